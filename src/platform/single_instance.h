// One running program per program directory. The first instance holds a
// lock file in the directory and listens on a local socket; a later start
// finds the lock taken, asks the first one to raise its window and ends.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

namespace corvane::platform {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    explicit SingleInstance(const QString& programDirectory, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the only instance. Otherwise the running
    // one has been asked to come forward and this process should end.
    bool Acquire();

    // The socket name both instances derive from the directory.
    static QString ServerName(const QString& programDirectory);

  signals:
    // Another start asked this instance to show itself.
    void activationRequested();

  private:
    void AcceptConnections();

    QString directory_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
};

}  // namespace corvane::platform
