#pragma once

#ifdef ORVANE_CORE_TIER
#error "the Qt-free core does not include the window"
#endif

class QLocalServer;

// The program's entry, shared by the real executable and the demo.
int orvaneMain(int argc, char *argv[]);
// True when another instance holds the application's server name.
bool instanceRunning();
// Opens the single-instance server, taking over a name only when nothing
// answers on it.
bool listenForInstances(QLocalServer &server);
// Registers the compiled-in images (the program's code lives in a static library).
void orvaneInitResources();
