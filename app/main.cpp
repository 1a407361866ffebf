#include "main.h"

#include "mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

void orvaneInitResources() {
    static bool done = false;
    if (done) return;
    done = true;
    Q_INIT_RESOURCE(resources);
}

namespace {
// The guard's full name: the application's name in a folder no other user can
// write, so nobody else can take it first. Qt accepts a runtime folder only
// when it is this user's own with mode 0700, and makes one in the temporary
// folder where the session has none; failing both, the user's cache folder
// in the home. On Windows the name is a pipe's, which the server's access
// option keeps to this user.
QString instanceServerName() {
    const QString name = QCoreApplication::applicationName();
#ifdef Q_OS_WIN
    return name;
#else
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        QDir().mkpath(folder);
    }
    return folder + QLatin1Char('/') + name;
#endif
}
}  // namespace

bool instanceRunning() {
    QLocalSocket socket;
    socket.connectToServer(instanceServerName(), QIODevice::ReadWrite);
    if (socket.waitForConnected(100)) return true;
    // An instance too busy to take the connection in time still holds the
    // name; only a name nobody listens on (or none at all) is free.
    return socket.error() != QLocalSocket::ServerNotFoundError &&
           socket.error() != QLocalSocket::ConnectionRefusedError;
}

bool listenForInstances(QLocalServer &server) {
    const QString name = instanceServerName();
#ifdef Q_OS_WIN
    server.setSocketOptions(QLocalServer::UserAccessOption);
#endif
    // No access option on Unix: with one, Qt renames a new socket over the
    // name, live instance or not; a plain listen fails while it is taken.
    if (!server.listen(name) && server.serverError() == QAbstractSocket::AddressInUseError &&
        !instanceRunning()) {
        QLocalServer::removeServer(name);  // left by an instance that ended without closing it
        server.listen(name);
    }
#ifndef Q_OS_WIN
    // The folder keeps other users out already, unless it is an open cache folder.
    if (server.isListening())
        QFile::setPermissions(server.fullServerName(), QFile::ReadOwner | QFile::WriteOwner);
#endif
    return server.isListening();
}

int orvaneMain(int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (instanceRunning()) return -17;
    int result = 0;
    {
        MainWindow window;  // frameless from its constructor on
        window.show();
        result = app.exec();
    }
    return result;
}
