#include "instance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

// The application's name in a folder no other user can write, so nobody
// else can take it first. Qt accepts a runtime folder only when it is this
// user's own with mode 0700, and makes one in the temporary folder where the
// session has none; failing both, the user's cache folder in the home. On
// Windows the name is a pipe's, which the server's access option keeps to
// this user.
QString instanceServerName(const QString &applicationName) {
#ifdef Q_OS_WIN
    return applicationName;
#else
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        QDir().mkpath(folder);
    }
    return folder + QLatin1Char('/') + applicationName;
#endif
}

bool instanceRunning(const QString &applicationName) {
    QLocalSocket socket;
    socket.connectToServer(instanceServerName(applicationName), QIODevice::ReadWrite);
    if (socket.waitForConnected(100)) return true;
    // An instance too busy to take the connection in time still holds the
    // name; only a name nobody listens on (or none at all) is free.
    return socket.error() != QLocalSocket::ServerNotFoundError &&
           socket.error() != QLocalSocket::ConnectionRefusedError;
}
