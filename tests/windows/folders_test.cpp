// Folder lookup and emptying against the real folders of the test prefix.
#include "engine.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

using namespace testsupport;

namespace {

// Creates c:\<relative> (every missing level) and removes, afterwards,
// exactly the levels it created.
class CandidateFolder {
public:
    explicit CandidateFolder(const std::string &relative)
    {
        for (size_t start = 0;;) {
            size_t end = relative.find('\\', start);
            std::string level = "c:\\" + relative.substr(0, end);
            if (firstCreated_.empty() && !directoryExists(level))
                firstCreated_ = level;
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        EXPECT_TRUE(makeDirectories("c:\\" + relative)) << relative;
    }
    ~CandidateFolder()
    {
        if (!firstCreated_.empty())
            deleteTree(firstCreated_);
    }
    CandidateFolder(const CandidateFolder &) = delete;
    CandidateFolder &operator=(const CandidateFolder &) = delete;

private:
    std::string firstCreated_;
};

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

TEST_F(FolderLookup, PortugueseProgramFilesWinsOverEnglish)
{
    CandidateFolder portuguese("arquivos de programas");
    char path[PATH_CAPACITY] = "garbage";
    findProgramFilesFolder(path);
    EXPECT_STREQ(path, "c:\\arquivos de programas");
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

TEST_F(FolderLookup, ResultIsTheCandidateAsWrittenWhateverTheCaseOnDisk)
{
    CandidateFolder portuguese("Arquivos De PROGRAMAS");
    char path[PATH_CAPACITY] = "garbage";
    findProgramFilesFolder(path);
    EXPECT_STREQ(path, "c:\\arquivos de programas");
}

TEST_F(FolderLookup, EachStartMenuCandidateIsFoundWhenItIsTheOnlyOne)
{
    for (const char *candidate : kStartMenuCandidates) {
        SCOPED_TRACE(candidate);
        CandidateFolder folder(candidate);
        char path[PATH_CAPACITY] = "garbage";
        ASSERT_TRUE(findStartMenuFolder(path));
        EXPECT_EQ(std::string(path), std::string("c:\\") + candidate);
    }
}

TEST_F(FolderLookup, EarlierStartMenuCandidateWins)
{
    CandidateFolder second(kStartMenuCandidates[1]);
    CandidateFolder eighth(kStartMenuCandidates[7]);
    CandidateFolder sixth(kStartMenuCandidates[5]);
    char path[PATH_CAPACITY];
    ASSERT_TRUE(findStartMenuFolder(path));
    EXPECT_STREQ(path, "c:\\windows\\start menu\\programs");
}

TEST_F(FolderLookup, OnlyTheAllUsersStartMenuGivesTheEighthCandidate)
{
    CandidateFolder eighth("documents and settings\\all users\\start menu\\programs");
    char path[PATH_CAPACITY];
    ASSERT_TRUE(findStartMenuFolder(path));
    EXPECT_STREQ(path, "c:\\documents and settings\\all users\\start menu\\programs");
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
    CandidateFolder sixth("windows\\men\xFA Inicio\\programas");
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
    CandidateFolder a(fits);
    CandidateFolder b(tooLong);
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
