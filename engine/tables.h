// The installation's fixed tables: the folders probed, the files copied and
// the shortcuts written. Portable: no Windows API. Names are Windows-1252.
#pragma once

#include <stddef.h>

enum {
    PROGRAM_FILES_CANDIDATE_COUNT = 2,
    START_MENU_CANDIDATE_COUNT = 8,
    START_MENU_UNDER_WINDOWS_COUNT = 6,   // the first six lie under c:\windows
    INSTALL_FILE_COUNT = 7,
    RECORDABLE_INSTALL_DIR_COUNT = PROGRAM_FILES_CANDIDATE_COUNT + 1
};

extern const char kProbeRoot[];              // "c:\" : every probe's search path
extern const char kNoProgramFilesFolder[];   // "c:" : when no candidate exists
extern const char *const kProgramFilesCandidates[PROGRAM_FILES_CANDIDATE_COUNT];
extern const char *const kStartMenuCandidates[START_MENU_CANDIDATE_COUNT];

extern const char kVendorFolder[];             // "Ravenlook"
extern const char kVersionFolder[];            // "Ravenlook v1.3"
extern const char kApplicationFile[];          // "Ravenlook.exe", started after installing
extern const char kIconFile[];                 // "Ravenlook.ico"
extern const char kUninstallerFile[];          // "Ravenlook_inst.exe", the installed setup program
extern const char kUninstallSwitch[];          // "-u", which starts it as the uninstaller
extern const char kQuietUninstallSwitches[];   // "/S -u": the uninstall with no window

struct ShortcutRow {
    const char *linkFile;    // name in the shortcut folder
    bool withIcon;           // icon = install directory + "\" + icon file name
    const char *arguments;   // "" for none
};

struct InstallFileRow {
    const char *source;            // in the current directory
    const char *destination;       // in the install directory
    const ShortcutRow *shortcut;   // null when the file gets no shortcut
    bool required;                 // missing from the distribution, it fails the install
};

extern const InstallFileRow kInstallFiles[INSTALL_FILE_COUNT];

// True when the directory is programFiles\Ravenlook\Ravenlook v1.3,
// compared without regard to letter case.
bool isInstallDirUnder(const char *directory, const char *programFiles);

// True when the directory is one this program can record: a program-files
// candidate, or the fallback "c:", followed by "\Ravenlook\Ravenlook v1.3",
// compared without regard to letter case. Only such a directory, or one
// under the program-files folder Windows names, is emptied by the
// uninstaller.
bool isRecordableInstallDir(const char *directory);

// dest = the quoted installed uninstaller, a blank and the switches:
// "<installDir>\Ravenlook_inst.exe" -u. False when it does not fit.
bool buildUninstallCommand(char *dest, size_t capacity, const char *installDir,
                           const char *switches);
