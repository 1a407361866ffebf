// The single-instance guard's name, and the probe for a program holding it.
// Qt Core and the local socket only: the window and orvanectl both use it.
#pragma once

#include <QString>

// The full server name of the program called `applicationName`.
QString instanceServerName(const QString &applicationName);
// True when that program holds its server name.
bool instanceRunning(const QString &applicationName);
