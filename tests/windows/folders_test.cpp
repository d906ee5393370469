// Folder lookup and emptying against the real folders of the test prefix.
#include "engine.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace testsupport;

namespace {

class FolderLookup : public ::testing::Test {
protected:
    void SetUp() override
    {
        // No candidate but the system's own c:\program files may exist
        // beforehand, and on Windows its Start menu behind its links.
        removeInstallation();
        deleteTree("c:\\documents and settings");
        for (const char *candidate : kStartMenuCandidates)
            ASSERT_FALSE(directoryExists(std::string("c:\\") + candidate) &&
                         !reachedThroughLink(std::string("c:\\") + candidate))
                << candidate;
        ASSERT_TRUE(directoryExists(kProgramFiles));
    }
    void TearDown() override
    {
        removeInstallation();
        deleteTree("c:\\documents and settings");
    }
};

}   // namespace

// Where Windows names its folders: the program-files folder in each
// registry view, the all-users Programs folder among the shell's folders.
const char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
// The shell reads the second and writes what it finds into the first.
const char *const kShellFolders[] = {
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"};

// Every user of Windows may make c:\arquivos de programas; only a system
// that names it as its program-files folder (a Portuguese Windows XP)
// installs there.
TEST_F(FolderLookup, ProgramFilesCandidateCountsWhereWindowsNamesIt)
{
    const struct {
        const char *what, *onDisk, *named, *expected;
    } cases[] = {
        {"merely made", "arquivos de programas", nullptr, "c:\\program files"},
        {"named, as on a Portuguese Windows XP", "arquivos de programas",
         "C:\\Arquivos de programas", "c:\\arquivos de programas"},
        {"named in another case than on disk: as written", "Arquivos De PROGRAMAS",
         "c:\\ARQUIVOS DE PROGRAMAS", "c:\\arquivos de programas"},
        {"none named on drive C:: every candidate counts", "arquivos de programas", "d:\\Programs",
         "c:\\arquivos de programas"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        if (c.named && !runningUnderWine())
            continue;   // a real machine's folders are not renamed for a test
        FolderMade made(std::string("c:\\") + c.onDisk);
        std::unique_ptr<RegistryValueSet> named64, named;
        if (c.named) {
            named64.reset(
                new RegistryValueSet(kCurrentVersion, "ProgramFilesDir", c.named, KEY_WOW64_64KEY));
            named.reset(new RegistryValueSet(kCurrentVersion, "ProgramFilesDir", c.named));
        }
        char path[PATH_CAPACITY] = "garbage";
        findProgramFilesFolder(path);
        EXPECT_STREQ(path, c.expected);
    }
    EXPECT_FALSE(directoryExists("c:\\arquivos de programas")) << "removed: the test made it";
}

TEST_F(FolderLookup, EnglishProgramFilesWhenItIsTheOnlyOne)
{
    char path[PATH_CAPACITY] = "garbage";
    findProgramFilesFolder(path);
    EXPECT_STREQ(path, "c:\\program files");
}

TEST_F(FolderLookup, NoProgramFilesFolderGivesTheDriveAlone)
{
    SKIP_UNLESS_WINE("c:\\program files can be moved away only in a throwaway prefix");
    FolderMovedAway away(kProgramFiles);
    ASSERT_TRUE(away.moved());
    char path[PATH_CAPACITY] = "garbage";
    findProgramFilesFolder(path);
    EXPECT_STREQ(path, "c:");
}

// A candidate under c:\windows counts as it is; one under c:\documents and
// settings only when Windows names it as the all-users Programs folder, as
// Windows XP does: merely made, it does not count (on Windows 10 and 11 the
// eighth, through the compatibility links, is the one named, and the path
// Windows gives for it is the one used).
TEST_F(FolderLookup, EachStartMenuCandidateCountsWhenItIsTheOnlyOne)
{
    for (int i = 0; i < START_MENU_CANDIDATE_COUNT; ++i) {
        const std::string candidate = std::string("c:\\") + kStartMenuCandidates[i];
        SCOPED_TRACE(candidate);
        FolderMade folder(std::string("c:\\") + kStartMenuCandidates[i]);
        char path[PATH_CAPACITY] = "garbage";
        if (i >= START_MENU_UNDER_WINDOWS_COUNT) {
            bool found = findStartMenuFolder(path);
            if (runningUnderWine())
                EXPECT_FALSE(found) << path;
            else
                EXPECT_STRCASEEQ(found ? path : "",
                                 "c:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs");
            if (!runningUnderWine())
                continue;   // a real machine's Start menu is not moved for a test
        }
        std::unique_ptr<RegistryValueSet> named[2];
        for (int k = 0; k < 2 && i >= START_MENU_UNDER_WINDOWS_COUNT; ++k)
            named[k].reset(
                new RegistryValueSet(kShellFolders[k], "Common Programs", candidate.c_str()));
        ASSERT_TRUE(findStartMenuFolder(path));
        EXPECT_EQ(std::string(path), candidate);
    }
}

TEST_F(FolderLookup, EarlierStartMenuCandidateWins)
{
    FolderMade second(std::string("c:\\") + kStartMenuCandidates[1]);
    FolderMade eighth(std::string("c:\\") + kStartMenuCandidates[7]);
    FolderMade sixth(std::string("c:\\") + kStartMenuCandidates[5]);
    char path[PATH_CAPACITY];
    ASSERT_TRUE(findStartMenuFolder(path));
    EXPECT_STREQ(path, "c:\\windows\\start menu\\programs");
}

TEST_F(FolderLookup, NoStartMenuCandidateGivesFalse)
{
    SKIP_UNLESS_WINE("Windows always has a Start menu behind c:\\documents and settings");
    char path[PATH_CAPACITY];
    EXPECT_FALSE(findStartMenuFolder(path));
}

TEST_F(FolderLookup, AccentedCandidateIsTheWindows1252NameOnDisk)
{
    // The tests run Wine under LANG=C.UTF-8, which makes the ANSI code page
    // 1252; the byte 0xFA is then u-acute, stored as UTF-8 on the Unix side.
    ASSERT_EQ(GetACP(), 1252u);
    FolderMade sixth("c:\\windows\\men\xFA Inicio\\programas");
    EXPECT_TRUE(GetFileAttributesW(L"c:\\windows\\men\u00FA Inicio\\programas") !=
                INVALID_FILE_ATTRIBUTES);
    char path[PATH_CAPACITY];
    ASSERT_TRUE(findStartMenuFolder(path));
    EXPECT_STREQ(path, "c:\\windows\\men\xFA Inicio\\programas");
}

TEST_F(FolderLookup, ProbeResultThatDoesNotFitCountsAsNotFound)
{
    // "c:\" + 95 characters = 98: fits the capacity of 99. 96 would need 100.
    std::string fits(95, 'f');
    std::string tooLong(96, 'g');
    FolderMade a(std::string("c:\\") + fits);
    FolderMade b(std::string("c:\\") + tooLong);
    char path[PATH_CAPACITY];
    EXPECT_TRUE(probeFolder(fits.c_str(), path));
    EXPECT_EQ(std::string(path), "c:\\" + fits);
    EXPECT_FALSE(probeFolder(tooLong.c_str(), path));
}

// ---- emptyFolder -----------------------------------------------------------

class EmptyFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = scratchFolder("empty-folder");
        before_ = currentDirectory();
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(before_.c_str());
        deleteTree(folder_);
    }
    std::string folder_, before_;
};

TEST_F(EmptyFolder, DeletesTheFilesAndKeepsSubfoldersAndTheirFiles)
{
    writeFile(folder_ + "\\one.txt", "1");
    writeFile(folder_ + "\\two.avi", "2");
    makeDirectories(folder_ + "\\videos");
    writeFile(folder_ + "\\videos\\kept.avi", "3");

    EXPECT_TRUE(emptyFolder(folder_.c_str()));
    EXPECT_EQ(listFolder(folder_), std::vector<std::string>{"videos"});
    EXPECT_EQ(readFile(folder_ + "\\videos\\kept.avi"), "3");
    EXPECT_EQ(currentDirectory(), before_);
}

TEST_F(EmptyFolder, ReadOnlyFileStays)
{
    std::string readOnly = folder_ + "\\locked.txt";
    writeFile(readOnly, "keep");
    writeFile(folder_ + "\\plain.txt", "go");
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(emptyFolder(folder_.c_str()));
    EXPECT_EQ(listFolder(folder_), std::vector<std::string>{"locked.txt"});
}

TEST_F(EmptyFolder, MissingFolderGivesFalseAndKeepsTheCurrentDirectory)
{
    std::string missing = folder_ + "\\not-there";
    EXPECT_FALSE(emptyFolder(missing.c_str()));
    EXPECT_EQ(currentDirectory(), before_);
}

TEST_F(EmptyFolder, EmptyFolderStaysAndGivesTrue)
{
    EXPECT_TRUE(emptyFolder(folder_.c_str()));
    EXPECT_TRUE(directoryExists(folder_));
}

TEST_F(EmptyFolder, RestoresACurrentDirectoryLongerThanItsOldBuffer)
{
    // 120 characters: more than the 99 a fixed buffer could remember.
    std::string deep = folder_ + "\\";
    deep += std::string(120 - deep.size(), 'd');
    ASSERT_EQ(deep.size(), 120u);
    ASSERT_TRUE(makeDirectories(deep));
    ASSERT_TRUE(SetCurrentDirectoryA(deep.c_str()));
    writeFile(folder_ + "\\file.txt", "x");

    EXPECT_TRUE(emptyFolder(folder_.c_str()));
    EXPECT_EQ(currentDirectory(), deep);
    EXPECT_FALSE(fileExists(folder_ + "\\file.txt"));
}

TEST_F(EmptyFolder, PathLongerThanItsBufferIsRefused)
{
    std::string deep = folder_ + "\\" + std::string(110, 'p');
    ASSERT_TRUE(makeDirectories(deep));
    writeFile(deep + "\\file.txt", "x");
    EXPECT_FALSE(emptyFolder(deep.c_str()));
    EXPECT_TRUE(fileExists(deep + "\\file.txt"));
}
