#pragma once
// Ctrl-C and SIGTERM while a recording plays back. SDL turns them into a close of the
// window, which the headless replay never reads and the window's playback takes for the
// watcher's own close: a playback asks here between passes instead, and ends saying why.
#include <csignal>

// From now on SIGINT and SIGTERM are noted, unless ignored; a handler that was there
// before (SDL's) is still called after the note. Once per process: later calls change
// nothing.
void CatchStopSignals();
// The signal that asked the program to stop; 0 while none has.
int StopSignal();
// "SIGINT" or "SIGTERM", for the one line that says why a playback stopped.
const char* StopSignalName(int signal);
