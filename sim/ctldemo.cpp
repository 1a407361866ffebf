// orvanectl against a simulated wheel, for trying the command line without a
// wheel (and for the README's examples): the model comes from
// ORVANE_DEMO_MODEL (default M-ZEN) and the wheel is the demo's, with
// coloured LEDs, on battery over Bluetooth. It lives as long as one command,
// so what a command stores is gone by the next.
#include "app/ctl.h"
#include "simwheel.h"

#include <QCoreApplication>
#include <QTextStream>

#include <unistd.h>
#include <cstdio>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const QByteArray model = qgetenv("ORVANE_DEMO_MODEL").toUpper();
    const std::string name = model.isEmpty() ? std::string("M-ZEN") : model.toStdString();
    sim::plug(0x2007, name);
    sim::setFlash(0x2007, sim::showroomState(name));
    QTextStream out(stdout), err(stderr), in(stdin);
    ctl::Io io{out, err, &in, isatty(fileno(stdout)) != 0, isatty(fileno(stdin)) != 0};
    io.firmwareWriteMs = 300;
    return ctl::run(QCoreApplication::arguments(), io);
}
