#pragma once

#ifdef ORVANE_CORE_TIER
#error "the Qt-free core does not include the window"
#endif

// The program's entry, shared by the real executable and the demo.
int orvaneMain(int argc, char *argv[]);
// True when another instance answers on the application's server name.
bool instanceRunning();
// Registers the compiled-in images (the program's code lives in a static library).
void orvaneInitResources();
