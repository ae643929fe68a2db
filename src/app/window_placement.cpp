#include "window_placement.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include "profile.h"
#include "program_directory.h"

namespace corvane::app {

namespace {

QPointer<QWidget>& MainWindowStorage() {
    static QPointer<QWidget> window;
    return window;
}

QScreen* ScreenOf(const QWidget& window) {
    QScreen* screen = window.screen();
    return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

int LogicalDpi(const QWidget& window) {
    const QScreen* screen = ScreenOf(window);
    return screen != nullptr ? int(screen->logicalDotsPerInch()) : 96;
}

QSize ScreenSize(const QWidget& window) {
    const QScreen* screen = ScreenOf(window);
    return screen != nullptr ? screen->size() : QSize(1024, 768);
}

}  // namespace

std::string PlacementSection(const std::string& className, int logicalDpi) {
    std::string section = className + "_Placement";
    if (logicalDpi > 96)
        section += std::to_string(logicalDpi);
    return section;
}

QRect ClampToScreen(QRect rect, const QSize& screen) {
    // Left/Top/Right/Bottom as stored: Right and Bottom are exclusive edges.
    int left = rect.left(), top = rect.top();
    int right = left + rect.width(), bottom = top + rect.height();
    if (screen.width() < right) {
        left += screen.width() - right;
        right = screen.width();
    }
    if (screen.height() < bottom) {
        top += screen.height() - bottom;
        bottom = screen.height();
    }
    return QRect(QPoint(left, top), QSize(right - left, bottom - top));
}

QPoint CentredOrigin(const QRect& outer, const QSize& inner) {
    return {outer.left() + (outer.width() - inner.width()) / 2,
            outer.top() + (outer.height() - inner.height()) / 2};
}

void RestorePlacement(QWidget& window, const std::string& className) {
    const Profile profile(SettingsPath());
    const std::string section = PlacementSection(className, LogicalDpi(window));
    const int left = profile.ReadInteger(section, "Left", 0);
    const int top = profile.ReadInteger(section, "Top", 0);
    const int right = profile.ReadInteger(section, "Right", 0);
    const int bottom = profile.ReadInteger(section, "Bottom", 0);
    const bool maximized = profile.ReadBool(section, "Maximized", window.isMaximized());
    if (bottom != 0) {
        const QRect rect = ClampToScreen(
            QRect(QPoint(left, top), QSize(right - left, bottom - top)), ScreenSize(window));
        window.setGeometry(rect);
    } else {
        CentreForm(window);
    }
    if (maximized)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

void SavePlacement(const QWidget& window, const std::string& className) {
    Profile profile(SettingsPath());
    const std::string section = PlacementSection(className, LogicalDpi(window));
    const QRect normal = window.isMaximized() ? window.normalGeometry() : window.geometry();
    profile.WriteInteger(section, "Left", normal.left());
    profile.WriteInteger(section, "Top", normal.top());
    profile.WriteInteger(section, "Right", normal.left() + normal.width());
    profile.WriteInteger(section, "Bottom", normal.top() + normal.height());
    profile.WriteBool(section, "Maximized", window.isMaximized());
}

void CentreForm(QWidget& window) {
    QWidget* main = MainWindowStorage();
    const QSize size = window.frameGeometry().size();
    QPoint origin;
    if (main == nullptr || main == &window || main->isMaximized()) {
        origin = CentredOrigin(QRect(QPoint(0, 0), ScreenSize(window)), size);
    } else {
        origin = CentredOrigin(main->frameGeometry(), size);
    }
    window.move(origin);
}

void SetMainWindow(QWidget* window) {
    MainWindowStorage() = window;
}

QWidget* MainWindow() {
    return MainWindowStorage();
}

}  // namespace corvane::app
