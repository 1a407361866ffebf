// The floor of the start-up benchmark: the least a Qt Widgets program of
// Orvane's size can do, one 900 x 500 main window with a label.
#include "firstpaint.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char *argv[]) {
    bench::markPhase("main");
    QApplication app(argc, argv);
    bench::markPhase("application");
    QMainWindow window;
    window.resize(900, 500);
    window.setCentralWidget(new QLabel(QStringLiteral("Floor"), &window));
    new bench::FirstPaint(&window);
    window.show();
    bench::markPhase("shown");
    return app.exec();
}
