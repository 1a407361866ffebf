// The form alone, for the start-up benchmark: Orvane's window as the form
// file describes it (every widget, style sheet and picture), built on a plain
// main window with none of Orvane's code behind it, ended after its first
// painted frame. What any program showing this form pays at start.
#include "app/main.h"
#include "firstpaint.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[]) {
    bench::markPhase("main");
    QApplication app(argc, argv);
    bench::markPhase("application");
    orvaneInitResources();
    QMainWindow window;
    window.setWindowFlags(Qt::FramelessWindowHint);
    Ui::MainWindow ui;
    ui.setupUi(&window);
    bench::markPhase("form built");
    new bench::FirstPaint(&window);
    window.show();
    bench::markPhase("shown");
    return app.exec();
}
