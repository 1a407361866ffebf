// Orvane's side of the start-up benchmark: the window built the way the
// program's main (orvaneMain) builds it, against a simulated M-ZEN, ended after its first
// painted frame (see firstpaint.h).
#include "app/main.h"
#include "app/mainwindow.h"
#include "benchwindow.h"
#include "firstpaint.h"
#include "sim/simwheel.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    bench::markPhase("main");
    tu::isolateSettings();
    sim::setLogEnabled(false);
    sim::plug(bench::kPid, "M-ZEN");

    QApplication app(argc, argv);
    bench::markPhase("application");
    if (instanceRunning()) return -17;
    bench::markPhase("instance probe");
    MainWindow window;  // frameless from its constructor on, as in orvaneMain
    bench::markPhase("window built");
    new bench::FirstPaint(&window);
    window.show();
    bench::markPhase("shown");
    return app.exec();
}
