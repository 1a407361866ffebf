// orvanectl: the wheel from the command line. Its main() only hands the
// arguments and the standard streams to run(), which the tests call
// in-process against the simulated wheel.
#pragma once

#include <QStringList>

class QTextStream;

namespace ctl {

enum Exit {
    Done = 0,
    Failed = 1,    // the wheel failed or refused; the user said no
    BadInput = 2,  // bad usage or bad input; nothing was written
    NoWheel = 3,   // no wheel, no permission, or Orvane's window holds it
};

struct Io {
    QTextStream &out;
    QTextStream &err;
    QTextStream *in = nullptr;  // answers to questions; nullptr: nobody to ask
    bool terminal = false;      // `out` is a terminal: a progress bar, not lines
    bool typed = false;         // answers come from a terminal, which echoes the Enter
    // After an image the wheel writes it and restarts; like the window, wait
    // before reconnecting, so as not to reach it before it has gone.
    int firmwareWriteMs = 7000;
    int reconnectMs = 30000;  // back on the bus and answering within this time
};

// `arguments` as main's argument vector gives them, the program's name first.
int run(const QStringList &arguments, Io &io);

}  // namespace ctl
