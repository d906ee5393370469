// The install procedure and the start of the installed application.
#include "engine.h"

#include "../record/install_record.h"
#include "../record/uninstall_entry.h"

#include <string.h>

static void pauseForStep(InstallStepDone stepDone)
{
    Sleep(INSTALL_STEP_PAUSE_MS);
    if (stepDone)
        stepDone();
}

// Creates base\Ravenlook and base\Ravenlook\Ravenlook v1.3 into folder. A
// version folder left by an earlier install is kept as it is: the user's
// videos live there, and the copies and links replace only our own files.
// False when the path does not fit its buffer.
static bool prepareVersionFolder(char *folder)
{
    if (!pathAppendComponent(folder, PATH_CAPACITY, kVendorFolder))
        return false;
    CreateDirectoryA(folder, nullptr);
    if (!pathAppendComponent(folder, PATH_CAPACITY, kVersionFolder))
        return false;
    CreateDirectoryA(folder, nullptr);
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
    char command[PATH_CAPACITY];
    if (!pathJoin(icon, sizeof icon, installDir, kIconFile) ||
        !buildUninstallCommand(command, sizeof command, installDir))
        return;
    UninstallEntry entry = {installDir, icon, command, installedSizeKb(installDir)};
    writeUninstallEntry(entry);
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
    writeProgramEntry(directory);
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
