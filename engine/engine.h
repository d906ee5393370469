// The installation engine: folder lookup and emptying, the shortcut writer,
// and the install and uninstall procedures.
#pragma once

#include <windows.h>

#include "../resources/message_ids.h"
#include "paths.h"
#include "tables.h"

// Folder lookup. Each probe asks SearchPathA for a candidate under "c:\";
// the result is "c:\" joined with the candidate as written.
// Fills path (PATH_CAPACITY bytes) with the first existing program-files
// candidate that Windows names as a program-files folder (any existing
// one where Windows names none on drive C: and its native one does not
// exist); else with that native folder (see findNativeProgramFilesFolder);
// "c:" only when it does not exist either.
void findProgramFilesFolder(char *path);
// Fills path (PATH_CAPACITY bytes) with the system's own program-files
// folder, as Windows names it: ProgramW6432Dir, else ProgramFilesDir, of
// the 64-bit registry view. False when it names none, or none that exists.
bool findNativeProgramFilesFolder(char *path);
// Fills path with the first existing Start-menu Programs candidate that
// counts and returns true; false when none does (path is then undefined).
// One under c:\windows counts when that is the system's Windows folder,
// and path is the candidate; any other only when it is the all-users
// Programs folder, and path is then that folder as Windows names it.
bool findStartMenuFolder(char *path);
// True when the candidate exists under "c:\"; its full path goes to path.
bool probeFolder(const char *candidate, char *path);

// A system DLL loaded from the system folder, never from the program's.
HMODULE loadSystemLibrary(const char *name);
#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800   // missing from older SDK headers
#endif

// Results of holdFolder and holdVersionFolder.
enum FolderHold {
    FOLDER_HELD = 0,      // a plain folder (each level), held
    FOLDER_MISSING = 1,   // it (a level) does not exist
    FOLDER_REFUSED = 2    // a link (a reparse point), a file, or it cannot be held
};
// Holds the folder open without delete sharing, so that it can be neither
// renamed, removed nor swapped for a link while the program works in it;
// *held receives the handle, or INVALID_HANDLE_VALUE unless FOLDER_HELD.
int holdFolder(const char *folder, HANDLE *held);
// Holds the version folder and its Ravenlook parent (see holdFolder);
// held[] receives both handles. On anything but FOLDER_HELD nothing stays
// held.
int holdVersionFolder(const char *versionFolder, HANDLE held[2]);
void releaseFolders(HANDLE held[2]);

// Deletes every plain file directly inside the folder; subfolders, read-only
// files and files in use stay. False only when the folder cannot be entered.
// The current directory is restored exactly.
bool emptyFolder(const char *path);

// Writes one shell shortcut. icon file: bare name inside the working folder,
// or "" for none; arguments: "" or null for none. Returns a negative HRESULT
// on failure, 0 when COM was already initialised on this thread (nothing is
// written), otherwise the result of saving.
HRESULT createShortcut(const char *target, const char *linkFile, const char *description,
                       const char *workingFolder, const char *iconFile, const char *arguments);

// Told of each of the install's four steps, right after its pause; the
// caller shows the progress. runInstall accepts null for no report.
typedef void (*InstallStepDone)();

// How the install runs: with the window's pause before each step, or
// without them for a silent install.
enum InstallPace { INSTALL_PAUSED = 0, INSTALL_UNPAUSED = 1 };

// The install: folders, the seven files, the shortcuts, the record and the
// entry, four steps in every outcome, each after a pause unless
// INSTALL_UNPAUSED. installDir must
// hold PATH_CAPACITY bytes; it receives the install directory on success
// (MSG_SUCCESS) and "" on every failure:
// - MSG_RESTART_PENDING: an earlier uninstall's deletion of our files
//   waits for the restart and cannot be cancelled; nothing is done;
// - MSG_INSTALL_DIR_FAILED, MSG_VERSION_DIR_FAILED: that folder is not a
//   folder (a file, or a link) and cannot be made; nothing else is done,
//   and no folder made by this run is left;
// - MSG_COPY_FAILED: a present file failed to copy or a required one is
//   missing; every other row is copied, the record and the entry written;
// - MSG_INSTALL_FAILED: the record cannot be written (this wins over
//   MSG_COPY_FAILED), or the install directory does not fit its buffer.
int runInstall(char *installDir, InstallStepDone stepDone, int pace = INSTALL_PAUSED);
// Starts installDir\Ravenlook.exe there, with the signed-in user's own
// rights: through the desktop's shell, or, where no shell answers, as a
// child of this process. Failures are silent.
void launchInstalledProgram(const char *installDir);

// What the uninstall deletes in the install directory: everything the
// window warned the user about, or, when nobody was asked, only the seven
// files this program installs.
enum UninstallScope { UNINSTALL_EMPTYING = 0, UNINSTALL_OURS_ONLY = 1 };

// The uninstall: the shortcut folder, then the recorded install directory,
// each with its Ravenlook parent when that is left empty. The running
// uninstaller moves its own file out of the directory first; what is in
// use is deleted at the next restart, and *restartPending (may be null)
// tells whether a file of ours waits for it. Then the record and the entry
// in the list of installed programs are deleted. Neither folder is entered
// through a link: a shortcut folder that is one is left alone.
// MSG_SUCCESS, or MSG_UNINSTALL_FAILED when the record cannot be read,
// names a directory this program never installs to, or names one that is
// a link (then nothing of it is deleted and the record stays).
int runUninstall(int scope = UNINSTALL_EMPTYING, bool *restartPending = nullptr);

enum { INSTALL_STEP_COUNT = 4, INSTALL_STEP_PAUSE_MS = 1000 };
