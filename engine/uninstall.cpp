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
    if (holdVersionFolder(folder, held) != FOLDER_HELD)
        return;
    emptyFolder(folder);
    releaseFolders(held);
    RemoveDirectoryA(folder);
    if (pathRemoveLastComponent(folder))
        RemoveDirectoryA(folder);
}

// Empties and removes the install directory, held by the caller while it
// is emptied, and its Ravenlook parent. The process leaves the directory
// first, so that it does not hold it. What cannot go now goes at the next
// restart: of the files only the names this program installs, then the
// directory, then its parent.
static void removeInstallDir(const char *installDir, HANDLE held[2])
{
    char systemFolder[MAX_PATH];
    UINT length = GetSystemDirectoryA(systemFolder, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        SetCurrentDirectoryA(systemFolder);

    emptyFolder(installDir);
    releaseFolders(held);
    char parent[PATH_CAPACITY];
    if (!pathCopy(parent, sizeof parent, installDir) || !pathRemoveLastComponent(parent))
        return;
    if (RemoveDirectoryA(installDir)) {
        RemoveDirectoryA(parent);
        return;
    }
    for (int i = 0; i < INSTALL_FILE_COUNT; ++i) {
        char file[PATH_CAPACITY];
        if (pathJoin(file, sizeof file, installDir, kInstallFiles[i].destination) &&
            GetFileAttributesA(file) != INVALID_FILE_ATTRIBUTES)
            removeAtRestart(file);
    }
    removeAtRestart(installDir);
    removeAtRestart(parent);
}

int runUninstall()
{
    removeShortcutFolder();

    char installDir[PATH_CAPACITY];
    if (readInstallRecord(kRecordKey, installDir, PATH_CAPACITY - 1) != RECORD_OK)
        return MSG_UNINSTALL_FAILED;
    // A damaged or foreign record must not make us empty c:\windows or a
    // user's folder: only a directory this program installs to is touched,
    // and never through a link put in its place.
    HANDLE held[2];
    if (!isRecordableInstallDir(installDir) ||
        holdVersionFolder(installDir, held) == FOLDER_REFUSED)
        return MSG_UNINSTALL_FAILED;
    removeInstallDir(installDir, held);
    // The installation is gone (or goes at the restart): so do its record
    // and its entry in the list of installed programs.
    removeInstallRecord(kRecordKey);
    removeUninstallEntry();
    return MSG_SUCCESS;
}
