#include "tables.h"

#include "paths.h"

#include <algorithm>
#include <cctype>
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

// root + candidate + "\Ravenlook\Ravenlook v1.3\" + link name, composed the
// bounded way the installer composes it.
bool composeShortcutPath(char *dest, const char *candidate, const char *linkFile)
{
    return pathJoin(dest, PATH_CAPACITY, "c:", candidate) &&
           pathAppendComponent(dest, PATH_CAPACITY, kVendorFolder) &&
           pathAppendComponent(dest, PATH_CAPACITY, kVersionFolder) &&
           pathAppendComponent(dest, PATH_CAPACITY, linkFile);
}

TEST(ProbeTables, LongestShortcutPathFitsAPathBuffer)
{
    char path[PATH_CAPACITY];
    ASSERT_TRUE(composeShortcutPath(path, kStartMenuCandidates[6], "Uninstall.lnk"));
    EXPECT_STREQ(path, "c:\\documents and settings\\all users\\menu iniciar\\programas"
                       "\\Ravenlook\\Ravenlook v1.3\\Uninstall.lnk");
    EXPECT_EQ(std::strlen(path), 97u);

    size_t longest = 0;
    for (const char *candidate : kStartMenuCandidates)
        for (const InstallFileRow &row : kInstallFiles) {
            if (!row.shortcut)
                continue;
            SCOPED_TRACE(std::string(candidate) + " " + row.shortcut->linkFile);
            ASSERT_TRUE(composeShortcutPath(path, candidate, row.shortcut->linkFile));
            longest = std::max(longest, std::strlen(path));
        }
    EXPECT_EQ(longest, 97u);
}

TEST(ProbeTables, EveryInstalledFilePathFitsAPathBuffer)
{
    for (const char *programFiles : kProgramFilesCandidates)
        for (const InstallFileRow &row : kInstallFiles) {
            SCOPED_TRACE(std::string(programFiles) + " " + row.destination);
            char path[PATH_CAPACITY];
            EXPECT_TRUE(pathJoin(path, PATH_CAPACITY, "c:", programFiles) &&
                        pathAppendComponent(path, PATH_CAPACITY, kVendorFolder) &&
                        pathAppendComponent(path, PATH_CAPACITY, kVersionFolder) &&
                        pathAppendComponent(path, PATH_CAPACITY, row.destination));
        }
}

struct FileCase {
    const char *source;
    const char *destination;
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

class InstallFileTest : public ::testing::TestWithParam<int> {};

TEST_P(InstallFileTest, RowInCopyOrder)
{
    const FileCase &want = kFileCases[GetParam()];
    const InstallFileRow &got = kInstallFiles[GetParam()];
    EXPECT_STREQ(got.source, want.source);
    EXPECT_STREQ(got.destination, want.destination);
    EXPECT_EQ(got.required, want.required);
    if (!want.linkFile) {
        EXPECT_EQ(got.shortcut, nullptr);
        return;
    }
    ASSERT_NE(got.shortcut, nullptr);
    EXPECT_STREQ(got.shortcut->linkFile, want.linkFile);
    EXPECT_EQ(got.shortcut->withIcon, want.withIcon);
    ASSERT_NE(got.shortcut->arguments, nullptr);
    EXPECT_STREQ(got.shortcut->arguments, want.arguments);
}

INSTANTIATE_TEST_SUITE_P(Tables, InstallFileTest,
                         ::testing::Range(0, static_cast<int>(INSTALL_FILE_COUNT)),
                         [](const ::testing::TestParamInfo<int> &info) {
                             std::string name = kFileCases[info.param].destination;
                             for (char &c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return std::to_string(info.param + 1) + "_" + name;
                         });

TEST(ProbeTables, ApplicationAndIconAreInstalledFiles)
{
    EXPECT_STREQ(kApplicationFile, "Ravenlook.exe");
    EXPECT_STREQ(kIconFile, "Ravenlook.ico");
    EXPECT_STREQ(kInstallFiles[4].destination, kApplicationFile);
    EXPECT_STREQ(kInstallFiles[1].destination, kIconFile);
}

struct RecordableCase {
    const char *name;
    const char *directory;
    bool recordable;
};

const RecordableCase kRecordableCases[] = {
    {"ProgramFiles", "c:\\program files\\Ravenlook\\Ravenlook v1.3", true},
    {"ArquivosDeProgramas", "c:\\arquivos de programas\\Ravenlook\\Ravenlook v1.3", true},
    {"DriveRootFallback", "c:\\Ravenlook\\Ravenlook v1.3", true},
    {"UpperCase", "C:\\PROGRAM FILES\\RAVENLOOK\\RAVENLOOK V1.3", true},
    {"MixedCaseFallback", "C:\\rAVENLOOK\\ravenlook V1.3", true},
    {"WindowsFolder", "c:\\windows", false},
    {"DriveRoot", "c:\\", false},
    {"BareDrive", "c:", false},
    {"Empty", "", false},
    {"UserFolder", "c:\\users\\me", false},
    {"TrailingBackslash", "c:\\program files\\Ravenlook\\Ravenlook v1.3\\", false},
    {"OtherDrive", "d:\\program files\\Ravenlook\\Ravenlook v1.3", false},
    {"VendorFolderOnly", "c:\\program files\\Ravenlook", false},
    {"ProgramFilesOnly", "c:\\program files", false},
    {"SubFolder", "c:\\program files\\Ravenlook\\Ravenlook v1.3\\sub", false},
    {"OtherVersion", "c:\\program files\\Ravenlook\\Ravenlook v1.2", false},
    {"ForwardSlashes", "c:/program files/Ravenlook/Ravenlook v1.3", false},
};

class RecordableDirTest : public ::testing::TestWithParam<RecordableCase> {};

TEST_P(RecordableDirTest, Directory)
{
    EXPECT_EQ(isRecordableInstallDir(GetParam().directory), GetParam().recordable);
}

INSTANTIATE_TEST_SUITE_P(Tables, RecordableDirTest, ::testing::ValuesIn(kRecordableCases),
                         [](const ::testing::TestParamInfo<RecordableCase> &info) {
                             return std::string(info.param.name);
                         });

TEST(RecordableDir, NullIsNotRecordable)
{
    EXPECT_FALSE(isRecordableInstallDir(nullptr));
}

TEST(UninstallCommand, QuotesTheInstalledUninstallerAndAddsTheSwitch)
{
    char command[PATH_CAPACITY];
    ASSERT_TRUE(buildUninstallCommand(command, sizeof command,
                                      "c:\\arquivos de programas\\Ravenlook\\Ravenlook v1.3"));
    EXPECT_STREQ(command,
                 "\"c:\\arquivos de programas\\Ravenlook\\Ravenlook v1.3\\Ravenlook_inst.exe\" -u");
    EXPECT_STREQ(kInstallFiles[6].destination, kUninstallerFile);
    EXPECT_STREQ(kInstallFiles[6].shortcut->arguments, kUninstallSwitch);
}

TEST(UninstallCommand, CommandThatDoesNotFitIsRefused)
{
    // The quoted command is the folder plus 24 characters.
    std::string folder(80, 'f');
    char command[PATH_CAPACITY];
    std::memset(command, '#', sizeof command);
    EXPECT_FALSE(buildUninstallCommand(command, sizeof command, folder.c_str()));
    EXPECT_EQ(command[0], '#') << "the buffer is left as it was";
    ASSERT_TRUE(buildUninstallCommand(command, sizeof command, std::string(75, 'f').c_str()));
    EXPECT_EQ(std::strlen(command), 99u) << "the longest command that fits";
    EXPECT_FALSE(buildUninstallCommand(command, 50, "c:\\program files\\Ravenlook\\Ravenlook v1.3"))
        << "the caller's capacity bounds it";
}

}   // namespace
