#include "main.h"

#include "instance.h"
#include "mainwindow.h"

#include <QApplication>
#include <QFile>
#include <QLocalServer>

void orvaneInitResources() {
    static bool done = false;
    if (done) return;
    done = true;
    Q_INIT_RESOURCE(resources);
}

bool instanceRunning() { return instanceRunning(QCoreApplication::applicationName()); }

bool listenForInstances(QLocalServer &server) {
    const QString name = instanceServerName(QCoreApplication::applicationName());
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
