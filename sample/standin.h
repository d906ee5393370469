// The stand-in programs of the sample distribution: small windows that take
// the place of the Ravenlook application and its Inspector, so that the
// installer has real executables to copy, link to and start.
#pragma once

#include <windows.h>

struct StandinIdentity {
    const char *windowClass;   // a class of its own per program
    const char *title;         // the window caption
    const char *description;   // first paragraph of the window's text
    const char *logTag;        // first field of the log line: "app" or "insp"
};

// Writes the log line when the setting "Log" (in HKEY_CURRENT_USER under
// Software, key "Ravenlook Stand-in") names a file, then returns at once
// when the setting "Exit" is there; otherwise shows the window and runs
// its message loop. Returns the process exit code.
int runStandin(HINSTANCE instance, int showCommand, const StandinIdentity &identity);
