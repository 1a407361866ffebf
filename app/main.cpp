#include "main.h"

#include "mainwindow.h"

#include <QApplication>
#include <QLocalSocket>

void orvaneInitResources() {
    static bool done = false;
    if (done) return;
    done = true;
    Q_INIT_RESOURCE(resources);
}

bool instanceRunning() {
    QLocalSocket socket;
    socket.connectToServer(QCoreApplication::applicationName(), QIODevice::ReadWrite);
    return socket.waitForConnected(100);
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
