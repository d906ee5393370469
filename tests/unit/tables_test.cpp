#include "tables.h"

#include "paths.h"

#include <algorithm>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace {

TEST(ProbeTables, ProgramFilesCandidatesInProbeOrder)
{
    ASSERT_EQ(PROGRAM_FILES_CANDIDATE_COUNT, 2);
    EXPECT_STREQ(kProgramFilesCandidates[0], "arquivos de programas");
    EXPECT_STREQ(kProgramFilesCandidates[1], "program files");
    EXPECT_STREQ(kNoProgramFilesFolder, "c:");
    EXPECT_STREQ(kProbeRoot, "c:\\");
}

TEST(ProbeTables, StartMenuCandidatesInProbeOrderWithWindows1252Bytes)
{
    const char *const expected[] = {
        "windows\\menu iniciar\\programas",
        "windows\\start menu\\programs",
        "windows\\menu d\xE9marrer\\programmes",
        "windows\\startmen\xFC\\programme",
        "windows\\start menu\\programmi",
        "windows\\men\xFA Inicio\\programas",
        "documents and settings\\all users\\menu iniciar\\programas",
        "documents and settings\\all users\\start menu\\programs",
    };
    ASSERT_EQ(START_MENU_CANDIDATE_COUNT, 8);
    for (int i = 0; i < START_MENU_CANDIDATE_COUNT; ++i) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(kStartMenuCandidates[i], expected[i]);
        // Those under c:\windows count as found; the others must be the
        // all-users Programs folder itself.
        EXPECT_EQ(i < START_MENU_UNDER_WINDOWS_COUNT,
                  std::strncmp(expected[i], "windows\\", 8) == 0);
    }
    // The accented letters are single bytes, not UTF-8 sequences.
    EXPECT_EQ(std::strlen(kStartMenuCandidates[2]),
              std::strlen("windows\\menu demarrer\\programmes"));
    EXPECT_EQ(static_cast<unsigned char>(kStartMenuCandidates[2][14]), 0xE9);
    EXPECT_EQ(static_cast<unsigned char>(kStartMenuCandidates[3][16]), 0xFC);
    EXPECT_EQ(static_cast<unsigned char>(kStartMenuCandidates[5][11]), 0xFA);
}

// root + folder + "\Ravenlook\Ravenlook v1.3\" + file name, composed the
// bounded way the installer composes it.
bool composeInstalledPath(char *dest, const char *folder, const char *file)
{
    return pathJoin(dest, PATH_CAPACITY, "c:", folder) &&
           pathAppendComponent(dest, PATH_CAPACITY, kVendorFolder) &&
           pathAppendComponent(dest, PATH_CAPACITY, kVersionFolder) &&
           pathAppendComponent(dest, PATH_CAPACITY, file);
}

TEST(ProbeTables, EveryShortcutAndInstalledFilePathFitsAPathBuffer)
{
    char path[PATH_CAPACITY];
    ASSERT_TRUE(composeInstalledPath(path, kStartMenuCandidates[6], "Uninstall.lnk"));
    EXPECT_STREQ(path, "c:\\documents and settings\\all users\\menu iniciar\\programas"
                       "\\Ravenlook\\Ravenlook v1.3\\Uninstall.lnk");
    EXPECT_EQ(std::strlen(path), 97u);

    size_t longest = 0;
    for (const char *candidate : kStartMenuCandidates)
        for (const InstallFileRow &row : kInstallFiles) {
            if (!row.shortcut)
                continue;
            SCOPED_TRACE(std::string(candidate) + " " + row.shortcut->linkFile);
            ASSERT_TRUE(composeInstalledPath(path, candidate, row.shortcut->linkFile));
            longest = std::max(longest, std::strlen(path));
        }
    EXPECT_EQ(longest, 97u);

    for (const char *programFiles : kProgramFilesCandidates)
        for (const InstallFileRow &row : kInstallFiles) {
            SCOPED_TRACE(std::string(programFiles) + " " + row.destination);
            EXPECT_TRUE(composeInstalledPath(path, programFiles, row.destination));
        }
}

struct FileCase {
    const char *source, *destination;
    const char *linkFile;   // null: no shortcut
    bool withIcon;
    const char *arguments;
    bool required;   // only the help page may be missing
};

const FileCase kFileCases[INSTALL_FILE_COUNT] = {
    {"LICENSE.txt", "LICENSE.txt", nullptr, false, nullptr, true},
    {"Ravenlook.001", "Ravenlook.ico", nullptr, false, nullptr, true},
    {"Ravenlook.002", "Ravenlook.cfg", nullptr, false, nullptr, true},
    {"README.html", "README.html", "Help.lnk", false, "", false},
    {"Ravenlook.000", "Ravenlook.exe", "Ravenlook.lnk", true, "", true},
    {"Ravenlook.003", "Ravenlook_insp.exe", "Inspector.lnk", true, "", true},
    {"Ravenlook.004", "Ravenlook_inst.exe", "Uninstall.lnk", true, "-u", true},
};

TEST(InstallFiles, RowsInCopyOrder)
{
    for (int i = 0; i < INSTALL_FILE_COUNT; ++i) {
        const FileCase &want = kFileCases[i];
        const InstallFileRow &got = kInstallFiles[i];
        SCOPED_TRACE(want.destination);
        EXPECT_STREQ(got.source, want.source);
        EXPECT_STREQ(got.destination, want.destination);
        EXPECT_EQ(got.required, want.required);
        ASSERT_EQ(got.shortcut != nullptr, want.linkFile != nullptr) << "a shortcut or none";
        if (!got.shortcut)
            continue;
        EXPECT_STREQ(got.shortcut->linkFile, want.linkFile);
        EXPECT_EQ(got.shortcut->withIcon, want.withIcon);
        EXPECT_STREQ(got.shortcut->arguments, want.arguments);
    }
}

TEST(ProbeTables, ApplicationAndIconAreInstalledFiles)
{
    EXPECT_STREQ(kApplicationFile, "Ravenlook.exe");
    EXPECT_STREQ(kIconFile, "Ravenlook.ico");
    EXPECT_STREQ(kInstallFiles[4].destination, kApplicationFile);
    EXPECT_STREQ(kInstallFiles[1].destination, kIconFile);
}

TEST(RecordableDir, OnlyTheInstallDirectoryInAProgramFilesFolderOrOnC)
{
    const struct {
        const char *name, *directory;
        bool recordable;
    } cases[] = {
        {"ProgramFiles", "c:\\program files\\Ravenlook\\Ravenlook v1.3", true},
        {"ArquivosDeProgramas", "c:\\arquivos de programas\\Ravenlook\\Ravenlook v1.3", true},
        {"DriveRootFallback", "c:\\Ravenlook\\Ravenlook v1.3", true},
        {"UpperCase", "C:\\PROGRAM FILES\\RAVENLOOK\\RAVENLOOK V1.3", true},
        {"MixedCaseFallback", "C:\\rAVENLOOK\\ravenlook V1.3", true},
        {"WindowsFolder", "c:\\windows", false},
        {"DriveRoot", "c:\\", false},
        {"BareDrive", "c:", false},
        {"Empty", "", false},
        {"Null", nullptr, false},
        {"UserFolder", "c:\\users\\me", false},
        {"TrailingBackslash", "c:\\program files\\Ravenlook\\Ravenlook v1.3\\", false},
        {"OtherDrive", "d:\\program files\\Ravenlook\\Ravenlook v1.3", false},
        {"VendorFolderOnly", "c:\\program files\\Ravenlook", false},
        {"ProgramFilesOnly", "c:\\program files", false},
        {"SubFolder", "c:\\program files\\Ravenlook\\Ravenlook v1.3\\sub", false},
        {"OtherVersion", "c:\\program files\\Ravenlook\\Ravenlook v1.2", false},
        {"ForwardSlashes", "c:/program files/Ravenlook/Ravenlook v1.3", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(isRecordableInstallDir(c.directory), c.recordable);
    }
}

TEST(UninstallCommand, QuotesTheInstalledUninstallerAndAddsTheSwitch)
{
    char command[PATH_CAPACITY];
    const char kDir[] = "c:\\arquivos de programas\\Ravenlook\\Ravenlook v1.3";
    ASSERT_TRUE(buildUninstallCommand(command, sizeof command, kDir, kUninstallSwitch));
    EXPECT_STREQ(command,
                 "\"c:\\arquivos de programas\\Ravenlook\\Ravenlook v1.3\\Ravenlook_inst.exe\" -u");
    ASSERT_TRUE(buildUninstallCommand(command, sizeof command, kDir, kQuietUninstallSwitches));
    EXPECT_STREQ(command,
                 "\"c:\\arquivos de programas\\Ravenlook\\Ravenlook v1.3\\Ravenlook_inst.exe\" "
                 "/S -u");
    EXPECT_STREQ(kInstallFiles[6].destination, kUninstallerFile);
    EXPECT_STREQ(kInstallFiles[6].shortcut->arguments, kUninstallSwitch);
}

TEST(UninstallCommand, CommandThatDoesNotFitIsRefused)
{
    // The quoted command is the folder plus 24 characters.
    std::string folder(80, 'f');
    char command[PATH_CAPACITY];
    std::memset(command, '#', sizeof command);
    EXPECT_FALSE(buildUninstallCommand(command, sizeof command, folder.c_str(), "-u"));
    EXPECT_EQ(command[0], '#') << "the buffer is left as it was";
    ASSERT_TRUE(buildUninstallCommand(command, sizeof command, std::string(75, 'f').c_str(), "-u"));
    EXPECT_EQ(std::strlen(command), 99u) << "the longest command that fits";
    EXPECT_FALSE(
        buildUninstallCommand(command, 50, "c:\\program files\\Ravenlook\\Ravenlook v1.3", "-u"))
        << "the caller's capacity bounds it";
}

}   // namespace
