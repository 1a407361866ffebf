// orvanectl's entry: the arguments and the standard streams, handed on.
#include "ctl.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr), in(stdin);
    ctl::Io io{out, err, &in, isatty(fileno(stdout)) != 0, isatty(fileno(stdin)) != 0};
    return ctl::run(QCoreApplication::arguments(), io);
}
