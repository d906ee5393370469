// The install when its directory cannot be built: the program-files lookup
// is replaced here, at link time, by one that returns a folder so long that
// "\Ravenlook v1.3" no longer fits the path buffer. The real record is used.
#include "engine.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

using namespace testsupport;

// ---- the stand-in folder lookup --------------------------------------------
// 85 characters: "\Ravenlook" still fits the 100-byte buffer, the version folder not.
static const char kLongProgramFiles[] =
    "c:\\ravenlook-tests\\a-program-files-folder-with-a-name-long-enough-to-fill-the-buffer!";
static_assert(sizeof kLongProgramFiles - 1 == 85, "the stand-in path's length");

void findProgramFilesFolder(char *path)
{
    memcpy(path, kLongProgramFiles, sizeof kLongProgramFiles);
}
bool findStartMenuFolder(char *)
{
    return false;
}
bool probeFolder(const char *, char *)
{
    return false;
}
bool emptyFolder(const char *)
{
    return false;
}

// ---- tests -----------------------------------------------------------------
// The whole path is built before any folder is made: a path that does not
// fit leaves no folder made for nothing.
TEST(UnbuildableInstallDir, InstallGivesMessage13AndMakesNoFolderAndNoRecord)
{
    deleteRecordKeys();
    std::string base = scratchFolder(kLongProgramFiles + strlen("c:\\ravenlook-tests\\"));
    char installDir[PATH_CAPACITY];
    memset(installDir, '#', sizeof installDir);
    EXPECT_EQ(runInstall(installDir, nullptr), MSG_INSTALL_FAILED);
    EXPECT_STREQ(installDir, "");
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Win310")) << "no record written";
    EXPECT_TRUE(listFolder(base).empty()) << "not even the Ravenlook folder, which fits";
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey)) << "no entry";
    deleteTree(base);
    deleteRecordKeys();
}
