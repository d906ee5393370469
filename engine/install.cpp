// The install procedure and the start of the installed application.
#include "engine.h"

#include "../record/install_record.h"

#include <string.h>

static void pauseForStep(InstallStepDone stepDone)
{
    Sleep(INSTALL_STEP_PAUSE_MS);
    if (stepDone)
        stepDone();
}

// Creates base\Ravenlook and base\Ravenlook\Ravenlook v1.3 into folder; a
// version folder that cannot be created (it exists from an earlier install)
// is emptied instead. False when the path does not fit its buffer.
static bool prepareVersionFolder(char *folder)
{
    if (!pathAppendComponent(folder, PATH_CAPACITY, kVendorFolder))
        return false;
    CreateDirectoryA(folder, nullptr);
    if (!pathAppendComponent(folder, PATH_CAPACITY, kVersionFolder))
        return false;
    if (!CreateDirectoryA(folder, nullptr))
        emptyFolder(folder);
    return true;
}

static void writeRowShortcut(const ShortcutRow &row, const char *shortcutFolder,
                             const char *installDir, const char *target)
{
    char linkFile[PATH_CAPACITY];
    if (!pathJoin(linkFile, sizeof linkFile, shortcutFolder, row.linkFile))
        return;
    createShortcut(target, linkFile, "", installDir, row.withIcon ? kIconFile : "", row.arguments);
}

static void copyFilesAndShortcuts(const char *installDir, const char *shortcutFolder,
                                  bool shortcutFolderFound)
{
    for (int i = 0; i < INSTALL_FILE_COUNT; ++i) {
        const InstallFileRow &row = kInstallFiles[i];
        char target[PATH_CAPACITY];
        if (!pathJoin(target, sizeof target, installDir, row.destination))
            continue;
        bool copied = CopyFileA(row.source, target, FALSE) != 0;
        if (copied && shortcutFolderFound && row.shortcut)
            writeRowShortcut(*row.shortcut, shortcutFolder, installDir, target);
    }
}

int runInstall(char *installDir, InstallStepDone stepDone)
{
    char shortcutFolder[PATH_CAPACITY];
    char directory[PATH_CAPACITY];
    installDir[0] = '\0';

    pauseForStep(stepDone);
    findProgramFilesFolder(directory);
    bool directoryBuilt = prepareVersionFolder(directory);

    pauseForStep(stepDone);
    bool shortcutFolderFound = findStartMenuFolder(shortcutFolder) &&
                               prepareVersionFolder(shortcutFolder);

    pauseForStep(stepDone);
    if (directoryBuilt)
        copyFilesAndShortcuts(directory, shortcutFolder, shortcutFolderFound);

    pauseForStep(stepDone);
    if (!directoryBuilt)
        return MSG_INSTALL_FAILED;
    int status = writeInstallRecord(kRecordKey, kRecordClass, directory);
    if (status != RECORD_OK && status != RECORD_ALREADY_PRESENT)
        return MSG_INSTALL_FAILED;
    pathCopy(installDir, PATH_CAPACITY, directory);
    return MSG_SUCCESS;
}

void launchInstalledProgram(const char *installDir)
{
    if (!installDir || !installDir[0])
        return;
    char application[PATH_CAPACITY];
    if (!pathJoin(application, sizeof application, installDir, kApplicationFile))
        return;
    SetCurrentDirectoryA(installDir);
    // The full path as the application name and no command line: no part of
    // a path with blanks (c:\Program.exe) can be started in its place.
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (CreateProcessA(application, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}
