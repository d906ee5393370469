#include "tables.h"

#include "paths.h"

const char kProbeRoot[] = "c:\\";
const char kNoProgramFilesFolder[] = "c:";

const char *const kProgramFilesCandidates[PROGRAM_FILES_CANDIDATE_COUNT] = {
    "arquivos de programas",
    "program files",
};

// The accented letters are written as Windows-1252 bytes: \xE9 e acute,
// \xFC u diaeresis, \xFA u acute.
const char *const kStartMenuCandidates[START_MENU_CANDIDATE_COUNT] = {
    "windows\\menu iniciar\\programas",
    "windows\\start menu\\programs",
    "windows\\menu d\xE9marrer\\programmes",
    "windows\\startmen\xFC\\programme",
    "windows\\start menu\\programmi",
    "windows\\men\xFA Inicio\\programas",
    "documents and settings\\all users\\menu iniciar\\programas",
    "documents and settings\\all users\\start menu\\programs",
};

const char kVendorFolder[] = "Ravenlook";
const char kVersionFolder[] = "Ravenlook v1.3";
const char kApplicationFile[] = "Ravenlook.exe";
const char kIconFile[] = "Ravenlook.ico";
const char kUninstallerFile[] = "Ravenlook_inst.exe";
const char kUninstallSwitch[] = "-u";
const char kQuietUninstallSwitches[] = "/S -u";

static const ShortcutRow kHelpShortcut = {"Help.lnk", false, ""};
static const ShortcutRow kApplicationShortcut = {"Ravenlook.lnk", true, ""};
static const ShortcutRow kInspectorShortcut = {"Inspector.lnk", true, ""};
static const ShortcutRow kUninstallShortcut = {"Uninstall.lnk", true, kUninstallSwitch};

// The help page alone is optional: without it the install only writes no
// Help link.
const InstallFileRow kInstallFiles[INSTALL_FILE_COUNT] = {
    {"LICENSE.txt", "LICENSE.txt", nullptr, true},
    {"Ravenlook.001", "Ravenlook.ico", nullptr, true},
    {"Ravenlook.002", "Ravenlook.cfg", nullptr, true},
    {"README.html", "README.html", &kHelpShortcut, false},
    {"Ravenlook.000", "Ravenlook.exe", &kApplicationShortcut, true},
    {"Ravenlook.003", "Ravenlook_insp.exe", &kInspectorShortcut, true},
    {"Ravenlook.004", kUninstallerFile, &kUninstallShortcut, true},
};

bool isInstallDirUnder(const char *directory, const char *programFiles)
{
    char candidate[PATH_CAPACITY];
    return directory && pathCopy(candidate, sizeof candidate, programFiles) &&
           pathAppendComponent(candidate, sizeof candidate, kVendorFolder) &&
           pathAppendComponent(candidate, sizeof candidate, kVersionFolder) &&
           pathEqualsIgnoringCase(directory, candidate);
}

bool isRecordableInstallDir(const char *directory)
{
    for (int i = 0; i < RECORDABLE_INSTALL_DIR_COUNT; ++i) {
        char programFiles[PATH_CAPACITY];
        bool built = i < PROGRAM_FILES_CANDIDATE_COUNT
                         ? pathJoin(programFiles, sizeof programFiles,
                                    "c:", kProgramFilesCandidates[i])
                         : pathCopy(programFiles, sizeof programFiles, kNoProgramFilesFolder);
        if (built && isInstallDirUnder(directory, programFiles))
            return true;
    }
    return false;
}

bool buildUninstallCommand(char *dest, size_t capacity, const char *installDir,
                           const char *switches)
{
    char program[PATH_CAPACITY];
    if (!dest || !pathJoin(program, sizeof program, installDir, kUninstallerFile))
        return false;
    char command[2 * PATH_CAPACITY] = "\"";
    if (!pathAppend(command, sizeof command, program) ||
        !pathAppend(command, sizeof command, "\" ") ||
        !pathAppend(command, sizeof command, switches))
        return false;
    return pathCopy(dest, capacity, command);
}
