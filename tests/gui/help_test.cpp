// Every help topic the program opens has its page, and the help window
// shows the page of the topic asked for.
#include <QFile>
#include <QTextBrowser>

#include "app/help_topics.h"
#include "gui_support.h"
#include "platform/help_window.h"

namespace corvane::testing {
namespace {

TEST(Help, EveryTopicHasAPageAndTheWindowShowsIt) {
    platform::SetHelpPages(QStringLiteral("qrc:/help/%1.html"));
    for (const int topic :
         {app::kHelpContents, app::kHelpFaxEditor, app::kHelpPhoneBook, app::kHelpPhoneBookEditor,
          app::kHelpDeleteFax, app::kHelpTroubleshooting}) {
        SCOPED_TRACE(topic);
        EXPECT_TRUE(QFile::exists(QStringLiteral(":/help/%1.html").arg(topic)));
        platform::HelpWindow* window = platform::ShowHelpTopic(topic);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->CurrentSource().endsWith(QStringLiteral("/%1.html").arg(topic)));
        EXPECT_FALSE(window->findChild<QTextBrowser*>()->toPlainText().trimmed().isEmpty());
    }
    platform::ShowHelpTopic(app::kHelpContents)->close();
}

}  // namespace
}  // namespace corvane::testing
