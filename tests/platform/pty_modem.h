// A pseudo-terminal with a tiny modem on its far side, for tests of the
// device port and the programs that open it.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace corvane::platform {

// The application of the test program, or one made for the test.
inline QCoreApplication& App() {
    if (QCoreApplication* running = QCoreApplication::instance())
        return *running;
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// The far side of a pseudo-terminal: answers each command line from a
// table, echoing it first when asked, as a modem with E1 does.
class PtyModem {
  public:
    PtyModem() {
        App();
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
            ADD_FAILURE() << "no pseudo-terminal";
            return;
        }
        slave_ = ptsname(master_);
        notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { Read(); });
    }
    ~PtyModem() {
        notifier_.reset();
        if (master_ >= 0) {
            ::close(master_);
        }
    }

    const std::string& SlavePath() const { return slave_; }
    // The far side goes away, as when the simulated modem program exits.
    void Hangup() {
        notifier_.reset();
        ::close(master_);
        master_ = -1;
    }
    void Answer(const std::string& command, const std::string& reply) { replies_[command] = reply; }
    bool echo = false;
    std::vector<std::string> commands;

  private:
    void Read() {
        char buffer[256];
        ssize_t count;
        while ((count = ::read(master_, buffer, sizeof buffer)) > 0) {
            for (ssize_t i = 0; i < count; ++i) {
                if (buffer[i] != '\r') {
                    line_ += buffer[i];
                    continue;
                }
                commands.push_back(line_);
                std::string out = echo ? line_ + "\r" : "";
                const auto reply = replies_.find(line_);
                out += reply != replies_.end() ? reply->second : "\r\nERROR\r\n";
                line_.clear();
                if (::write(master_, out.data(), out.size()) < 0) {
                    ADD_FAILURE() << "pty write failed";
                }
            }
        }
    }

    int master_ = -1;
    std::string slave_;
    std::string line_;
    std::map<std::string, std::string> replies_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace corvane::platform
