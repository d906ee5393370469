// The uninstall procedure.
#include "engine.h"

#include "../record/install_record.h"
#include "../record/uninstall_entry.h"

// Deletes the path at the next restart, as the system does for what is in
// use now: the running uninstaller itself, an application left running. A
// folder goes then only if it is empty by that time.
static void removeAtRestart(const char *path)
{
    MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

// Where the version folder is missing, its Ravenlook parent goes when it is
// an empty plain folder; nothing is emptied or waits for the restart.
static void removeEmptyVendor(const char *versionFolder)
{
    char vendor[PATH_CAPACITY];
    HANDLE held;
    if (!pathCopy(vendor, sizeof vendor, versionFolder) || !pathRemoveLastComponent(vendor) ||
        holdFolder(vendor, &held) != FOLDER_HELD)
        return;
    CloseHandle(held);
    RemoveDirectoryA(vendor);
}

// Empties and removes the shortcut folder, then its Ravenlook parent when
// nothing else is left in it. A folder that is a link is left alone.
static void removeShortcutFolder()
{
    char folder[PATH_CAPACITY];
    if (!findStartMenuFolder(folder))
        return;
    if (!pathAppendComponent(folder, sizeof folder, kVendorFolder) ||
        !pathAppendComponent(folder, sizeof folder, kVersionFolder))
        return;
    HANDLE held[2];
    int hold = holdVersionFolder(folder, held);
    if (hold == FOLDER_MISSING)
        removeEmptyVendor(folder);
    if (hold != FOLDER_HELD)
        return;
    emptyFolder(folder);
    releaseFolders(held);
    RemoveDirectoryA(folder);
    if (pathRemoveLastComponent(folder))
        RemoveDirectoryA(folder);
}

// The running uninstaller cannot be deleted, but Windows lets its file be
// moved within its volume. Moved out of the install directory, into the
// Temp folder of the Windows folder (where standard users change nothing
// of others) under a name of its own, and deleted from there at the next
// restart, it no longer keeps the directory. Where it cannot be moved it
// stays, and goes at the restart with the directory.
static void moveOwnFileOut(const char *installDir)
{
    char self[MAX_PATH];
    char installed[PATH_CAPACITY];
    char temp[MAX_PATH];
    char parked[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    UINT tempLength = GetSystemWindowsDirectoryA(temp, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || tempLength == 0 || tempLength >= MAX_PATH ||
        !pathJoin(installed, sizeof installed, installDir, kUninstallerFile) ||
        !pathEqualsIgnoringCase(self, installed) || !pathAppendComponent(temp, MAX_PATH, "Temp") ||
        !GetTempFileNameA(temp, "rvl", 0, parked))
        return;
    if (MoveFileExA(self, parked, MOVEFILE_REPLACE_EXISTING))
        removeAtRestart(parked);
    else
        DeleteFileA(parked);
}

// Deletes the seven files this program installs, and nothing else.
static void deleteOurFiles(const char *installDir)
{
    for (int i = 0; i < INSTALL_FILE_COUNT; ++i) {
        char file[PATH_CAPACITY];
        if (pathJoin(file, sizeof file, installDir, kInstallFiles[i].destination))
            DeleteFileA(file);
    }
}

// Empties and removes the install directory, held by the caller while it
// is emptied, and its Ravenlook parent. The process leaves the directory
// first, so that it does not hold it, and moves its own file out of it.
// UNINSTALL_OURS_ONLY deletes only our seven files. What of ours cannot go
// now goes at the next restart: of the files only the names this program
// installs, and with them the directory, then its parent. True when a file
// of ours waits for the restart.
static bool removeInstallDir(const char *installDir, HANDLE held[2], int scope)
{
    char systemFolder[MAX_PATH];
    UINT length = GetSystemDirectoryA(systemFolder, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        SetCurrentDirectoryA(systemFolder);

    moveOwnFileOut(installDir);
    if (scope == UNINSTALL_OURS_ONLY)
        deleteOurFiles(installDir);
    else
        emptyFolder(installDir);
    releaseFolders(held);
    char parent[PATH_CAPACITY];
    if (!pathCopy(parent, sizeof parent, installDir) || !pathRemoveLastComponent(parent))
        return false;
    if (RemoveDirectoryA(installDir)) {
        RemoveDirectoryA(parent);
        return false;
    }
    bool ourFileWaits = false;
    for (int i = 0; i < INSTALL_FILE_COUNT; ++i) {
        char file[PATH_CAPACITY];
        if (pathJoin(file, sizeof file, installDir, kInstallFiles[i].destination) &&
            GetFileAttributesA(file) != INVALID_FILE_ATTRIBUTES) {
            removeAtRestart(file);
            ourFileWaits = true;
        }
    }
    // Only the user's own things are left otherwise: nothing of ours waits,
    // and no restart is asked for them.
    if (ourFileWaits) {
        removeAtRestart(installDir);
        removeAtRestart(parent);
    }
    return ourFileWaits;
}

int runUninstall(int scope, bool *restartPending)
{
    if (restartPending)
        *restartPending = false;
    removeShortcutFolder();

    char installDir[PATH_CAPACITY];
    if (readInstallRecord(kRecordKey, installDir, PATH_CAPACITY - 1) != RECORD_OK)
        return MSG_UNINSTALL_FAILED;
    // A damaged or foreign record must not make us empty c:\windows or a
    // user's folder: only a directory this program installs to is touched,
    // and never through a link put in its place.
    char native[PATH_CAPACITY];
    if (!isRecordableInstallDir(installDir) &&
        !(findNativeProgramFilesFolder(native) && isInstallDirUnder(installDir, native)))
        return MSG_UNINSTALL_FAILED;
    HANDLE held[2];
    int hold = holdVersionFolder(installDir, held);
    if (hold == FOLDER_REFUSED)
        return MSG_UNINSTALL_FAILED;
    bool waits = false;
    if (hold == FOLDER_HELD)
        waits = removeInstallDir(installDir, held, scope);
    else
        removeEmptyVendor(installDir);
    if (restartPending)
        *restartPending = waits;
    // The installation is gone (or goes at the restart): so do its record
    // and its entry in the list of installed programs.
    removeInstallRecord(kRecordKey);
    removeUninstallEntry();
    return MSG_SUCCESS;
}
