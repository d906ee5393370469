// Evaluation of the process command line. Portable: no Windows API.
#pragma once

// The command line with the program name removed, together with the blanks
// and tabs that follow it. A program name in double quotes ends at the
// closing quote; an unquoted one at the first blank or tab. Trailing blanks
// stay. Never returns null: an absent line gives "".
const char *commandLineTail(const char *commandLine);

// How the program was asked to run, by its whole tail, compared exactly
// and case-sensitively: "-u" alone opens the window as the uninstaller,
// "/S" installs and "/S -u" uninstalls with no window; any other tail
// opens the window to install.
enum StartMode {
    START_INSTALL_WINDOW = 0,
    START_UNINSTALL_WINDOW = 1,
    START_SILENT_INSTALL = 2,
    START_SILENT_UNINSTALL = 3
};
int startModeOf(const char *tail);

// A silent run's exit code, as deployment tools read it: 0 when it worked,
// EXIT_RESTART_PENDING when something of ours waits for the next restart,
// otherwise the message index the window would have shown.
enum { EXIT_RESTART_PENDING = 3010 };   // ERROR_SUCCESS_REBOOT_REQUIRED
int silentExitCode(int messageIndex, bool restartPending);
