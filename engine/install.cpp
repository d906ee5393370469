// The install procedure and the start of the installed application.
#include "engine.h"

#include "../record/install_record.h"
#include "../record/restart_operations.h"
#include "../record/uninstall_entry.h"

#include <string.h>

static void pauseForStep(InstallStepDone stepDone, int pace)
{
    if (pace == INSTALL_PAUSED)
        Sleep(INSTALL_STEP_PAUSE_MS);
    if (stepDone)
        stepDone();
}

// Turns base into base\Ravenlook\Ravenlook v1.3; false when it does not
// fit its buffer.
static bool buildVersionPath(char *folder)
{
    return pathAppendComponent(folder, PATH_CAPACITY, kVendorFolder) &&
           pathAppendComponent(folder, PATH_CAPACITY, kVersionFolder);
}

// Releases the folders and removes those that made[] marks, the version
// folder first: an install that fails leaves no folder made for nothing.
static void removeMadeFolders(const char *folder, HANDLE held[2], const bool made[2])
{
    char vendor[PATH_CAPACITY];
    releaseFolders(held);
    if (made[1])
        RemoveDirectoryA(folder);
    if (made[0] && pathCopy(vendor, sizeof vendor, folder) && pathRemoveLastComponent(vendor))
        RemoveDirectoryA(vendor);
}

// Makes the version folder and its Ravenlook parent and holds both (see
// holdVersionFolder) for the work in them; made[] tells which of the two
// this run made. A version folder left by an earlier install is kept as it
// is: the user's videos live there, and the copies and links replace only
// our own files. MSG_SUCCESS; MSG_INSTALL_DIR_FAILED or
// MSG_VERSION_DIR_FAILED when that level is not a folder (a file, a link)
// and cannot be made, and then no folder made here is left.
static int makeVersionFolder(const char *folder, HANDLE held[2], bool made[2])
{
    char vendor[PATH_CAPACITY];
    pathCopy(vendor, sizeof vendor, folder);
    pathRemoveLastComponent(vendor);
    made[0] = CreateDirectoryA(vendor, nullptr) != 0;
    made[1] = false;
    if (holdFolder(vendor, &held[0]) != FOLDER_HELD) {
        removeMadeFolders(folder, held, made);
        return MSG_INSTALL_DIR_FAILED;
    }
    made[1] = CreateDirectoryA(folder, nullptr) != 0;
    if (holdFolder(folder, &held[1]) == FOLDER_HELD)
        return MSG_SUCCESS;
    removeMadeFolders(folder, held, made);
    return MSG_VERSION_DIR_FAILED;
}

static void writeRowShortcut(const ShortcutRow &row, const char *shortcutFolder,
                             const char *installDir, const char *target)
{
    char linkFile[PATH_CAPACITY];
    if (!pathJoin(linkFile, sizeof linkFile, shortcutFolder, row.linkFile))
        return;
    createShortcut(target, linkFile, "", installDir, row.withIcon ? kIconFile : "", row.arguments);
}

// The mark a download's files carry (the stream Zone.Identifier), which
// CopyFileA copies along: an installed program keeping it would meet a
// security warning each time the shell starts it.
static void forgetDownloadMark(const char *file)
{
    char stream[MAX_PATH];
    if (pathCopy(stream, sizeof stream, file) &&
        pathAppend(stream, sizeof stream, ":Zone.Identifier"))
        DeleteFileA(stream);
}

// Lets the file be replaced and deleted later: CopyFileA copies the
// read-only mark of a distribution on a CD, or of an earlier installation
// made from one.
static void clearReadOnly(const char *file)
{
    DWORD attributes = GetFileAttributesA(file);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
        SetFileAttributesA(file, attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
    }
}

// Copies every row and writes each shortcut right after its file; a failure
// does not stop the rows after it. False when a present file failed to copy
// (in use, access denied, disk full) or a required one is missing, and when
// a target does not fit its path buffer.
static bool copyFilesAndShortcuts(const char *installDir, const char *shortcutFolder,
                                  bool shortcutFolderFound)
{
    bool allCopied = true;
    for (int i = 0; i < INSTALL_FILE_COUNT; ++i) {
        const InstallFileRow &row = kInstallFiles[i];
        char target[PATH_CAPACITY];
        if (!pathJoin(target, sizeof target, installDir, row.destination)) {
            allCopied = false;
            continue;
        }
        clearReadOnly(target);
        if (!CopyFileA(row.source, target, FALSE)) {
            if (row.required || GetFileAttributesA(row.source) != INVALID_FILE_ATTRIBUTES)
                allCopied = false;
            continue;
        }
        clearReadOnly(target);
        forgetDownloadMark(target);
        if (shortcutFolderFound && row.shortcut)
            writeRowShortcut(*row.shortcut, shortcutFolder, installDir, target);
    }
    return allCopied;
}

// An uninstall made before the restart has scheduled our files and folders
// for deletion at that restart; this install takes them out again, or the
// restart would delete what it installs now. False when they may still be
// scheduled.
static bool cancelOurPendingDeletions(const char *installDir)
{
    enum { PATH_COUNT = INSTALL_FILE_COUNT + 2 };
    char paths[PATH_COUNT][PATH_CAPACITY];
    int count = 0;
    for (int i = 0; i < INSTALL_FILE_COUNT; ++i)
        if (pathJoin(paths[count], PATH_CAPACITY, installDir, kInstallFiles[i].destination))
            ++count;
    // The directory fits: it is one already.
    pathCopy(paths[count++], PATH_CAPACITY, installDir);
    pathCopy(paths[count], PATH_CAPACITY, installDir);
    if (pathRemoveLastComponent(paths[count]))
        ++count;
    const char *names[PATH_COUNT];
    for (int i = 0; i < count; ++i)
        names[i] = paths[i];
    return cancelPendingDeletions(names, count) != PENDING_NOT_CANCELLED;
}

// The installed files' size in KB, rounded up, for the entry in the list of
// installed programs.
static unsigned long installedSizeKb(const char *installDir)
{
    unsigned long long bytes = 0;
    for (int i = 0; i < INSTALL_FILE_COUNT; ++i) {
        char file[PATH_CAPACITY];
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (pathJoin(file, sizeof file, installDir, kInstallFiles[i].destination) &&
            GetFileAttributesExA(file, GetFileExInfoStandard, &data))
            bytes += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) |
                     data.nFileSizeLow;
    }
    return static_cast<unsigned long>((bytes + 1023) / 1024);
}

// Lists the installation among the system's installed programs. Its
// failure is not the install's: the record decides the result.
static void writeProgramEntry(const char *installDir)
{
    char icon[PATH_CAPACITY];
    char command[2 * PATH_CAPACITY];
    char quietCommand[2 * PATH_CAPACITY];
    if (!pathJoin(icon, sizeof icon, installDir, kIconFile) ||
        !buildUninstallCommand(command, sizeof command, installDir, kUninstallSwitch) ||
        !buildUninstallCommand(quietCommand, sizeof quietCommand, installDir,
                               kQuietUninstallSwitches))
        return;
    UninstallEntry entry = {installDir, icon, command, quietCommand, installedSizeKb(installDir)};
    writeUninstallEntry(entry);
}

int runInstall(char *installDir, InstallStepDone stepDone, int pace)
{
    char shortcutFolder[PATH_CAPACITY];
    char directory[PATH_CAPACITY];
    HANDLE installHeld[2] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
    HANDLE shortcutHeld[2] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
    bool installMade[2] = {false, false};
    installDir[0] = '\0';

    // The install directory, held; then the restart's deletions of it are
    // taken out, or nothing stays made.
    pauseForStep(stepDone, pace);
    findProgramFilesFolder(directory);
    int result = MSG_SUCCESS;
    if (!buildVersionPath(directory))
        result = MSG_INSTALL_FAILED;
    else
        result = makeVersionFolder(directory, installHeld, installMade);
    if (result == MSG_SUCCESS && !cancelOurPendingDeletions(directory)) {
        removeMadeFolders(directory, installHeld, installMade);
        result = MSG_RESTART_PENDING;
    }

    // Without an install directory nothing is installed: no shortcut folder
    // is made for it either. The steps and their pauses stay the same.
    pauseForStep(stepDone, pace);
    bool shortcutMade[2];
    bool shortcutFolderFound = result == MSG_SUCCESS && findStartMenuFolder(shortcutFolder) &&
                               buildVersionPath(shortcutFolder) &&
                               makeVersionFolder(shortcutFolder, shortcutHeld, shortcutMade) ==
                                   MSG_SUCCESS;

    pauseForStep(stepDone, pace);
    if (result == MSG_SUCCESS &&
        !copyFilesAndShortcuts(directory, shortcutFolder, shortcutFolderFound))
        result = MSG_COPY_FAILED;
    releaseFolders(shortcutHeld);
    releaseFolders(installHeld);

    // After a failed copy the record and the entry are written all the
    // same, so that the uninstall can remove what was copied.
    pauseForStep(stepDone, pace);
    if (result != MSG_SUCCESS && result != MSG_COPY_FAILED)
        return result;
    int status = writeInstallRecord(kRecordKey, kRecordClass, directory);
    if (status != RECORD_OK && status != RECORD_ALREADY_PRESENT)
        return MSG_INSTALL_FAILED;
    writeProgramEntry(directory);
    if (result == MSG_SUCCESS)
        pathCopy(installDir, PATH_CAPACITY, directory);
    return result;
}
