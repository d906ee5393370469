// What the tests meet on a machine that is not theirs alone, and must get
// right there: links, which the tests' helpers never enter, move or delete
// (shown on a link of their own; Windows' compatibility links deny listing
// but let a path through them open, and the program's Start-menu lookup
// goes through them), and other programs' file operations waiting for the
// restart, which the tests' cleanup leaves alone.
#include "engine.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

// The links Windows keeps for programs written for XP: to c:\users, to
// c:\programdata, and to its Microsoft\Windows\Start Menu.
const char *const kCompatibilityLinks[] = {"c:\\documents and settings", "c:\\users\\all users",
                                           "c:\\programdata\\start menu"};
const char kLinkedStartMenu[] = "c:\\documents and settings\\all users\\start menu\\programs";
const char kStartMenu[] = "c:\\programdata\\microsoft\\windows\\start menu\\programs";

}   // namespace

TEST(CompatibilityLinks, DenyListingButLetThePathToTheStartMenuThrough)
{
    SKIP_UNDER_WINE("Wine has no compatibility links");
    for (const char *link : kCompatibilityLinks) {
        SCOPED_TRACE(link);
        DWORD attributes = GetFileAttributesA(link);
        ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
        EXPECT_TRUE(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
        EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
        WIN32_FIND_DATAA entry = {};
        HANDLE find = FindFirstFileA((std::string(link) + "\\*").c_str(), &entry);
        EXPECT_EQ(find, INVALID_HANDLE_VALUE) << "listed: " << entry.cFileName;
        if (find != INVALID_HANDLE_VALUE)
            FindClose(find);
    }

    // Without c:\windows\start menu (the tests' own), the lookup takes the
    // eighth candidate, through three links, and gives the Start menu of
    // all users as Windows names it; what is made through them lands there.
    removeInstallation();
    char path[PATH_CAPACITY] = "garbage";
    ASSERT_TRUE(findStartMenuFolder(path));
    EXPECT_STRCASEEQ(path, kStartMenu);
    EXPECT_TRUE(reachedThroughLink(kLinkedStartMenu));
    std::string made = std::string(kLinkedStartMenu) + "\\Ravenlook";
    ASSERT_TRUE(CreateDirectoryA(made.c_str(), nullptr)) << GetLastError();
    EXPECT_TRUE(directoryExists(std::string(kStartMenu) + "\\Ravenlook"));
    EXPECT_TRUE(RemoveDirectoryA(made.c_str()));
}

// The guard of deleteTree and FolderMovedAway, on a link of the test's own
// (the system's are never put to the test): neither enters, moves nor
// deletes it, and its target keeps its file.
TEST(LinkGuard, LinksAreNeverEnteredMovedOrDeletedByTheTests)
{
    std::string target = scratchFolder("guard-target");
    ASSERT_TRUE(writeFile(target + "\\kept.txt", "kept"));
    std::string link = "c:\\ravenlook-tests\\guard-link";
    {
        FolderLink made(link, target);
        ASSERT_TRUE(made.made());
        deleteTree(link);
        EXPECT_TRUE(isLink(link));
        FolderMovedAway away(link);
        EXPECT_FALSE(away.moved());
        EXPECT_TRUE(isLink(link));
        EXPECT_TRUE(reachedThroughLink(link + "\\kept.txt"));
    }
    EXPECT_FALSE(isLink(link)) << "the test's own link goes";

    // A link test that failed leaves its link at one of our two levels: the
    // cleanup every test runs removes it, never what it leads to, or the
    // next tests would fail with 006 and hide the real failure.
    for (const char *level : {kVendorDir, kInstallDir}) {
        SCOPED_TRACE(level);
        removeInstallation();
        ASSERT_TRUE(level == kVendorDir || makeDirectories(kVendorDir));
        FolderLink left(level, target);
        ASSERT_TRUE(left.made());
        removeInstallation();
        EXPECT_FALSE(isLink(level));
        EXPECT_FALSE(directoryExists(kVendorDir));
    }
    EXPECT_EQ(listFolder(target), std::vector<std::string>{"kept.txt"});
    EXPECT_EQ(readFile(target + "\\kept.txt"), "kept");
    deleteTree(target);
}

// The profile's Desktop leads to the Unix home, which a test must never
// touch: the guard of deleteTree and FolderMovedAway has to see it as a
// link (only seeing is tried: a failure would cost the home's files).
TEST(WineLinks, ProfileFoldersLeadingToUnixAreLinks)
{
    SKIP_UNLESS_WINE("the profile's links to Unix folders are Wine's");
    std::string desktop = environment("USERPROFILE") + "\\Desktop";
    ASSERT_TRUE(directoryExists(desktop)) << desktop;
    EXPECT_TRUE(isLink(desktop)) << desktop;
    EXPECT_TRUE(reachedThroughLink(desktop + "\\any file"));
}

namespace {

// Both restart lists as they were before and after; the tests start
// without their own operations.
class PendingOperations : public ::testing::Test {
protected:
    void SetUp() override { clearPendingRestartOperations(); }
    PendingOperationsKept kept_;
};

// Another program's deletion (an update's, say), next to the tests' own
// c:\Ravenlook without being in it, planted without making the file.
const std::wstring kForeign = L"*1\\??\\C:\\Ravenlook-update.tmp";

}   // namespace

TEST_F(PendingOperations, CleanupForgetsOnlyTheTestsOwn)
{
    std::string own = scratchFolder("pending") + "\\leftover.tmp";
    ASSERT_TRUE(writeFile(own, "x"));
    ASSERT_TRUE(writePendingList(kPendingValues[1], pendingListOf({kForeign, L"", L""})));
    ASSERT_TRUE(MoveFileExA(own.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    std::vector<std::string> before = pendingRestartOperations();
    ASSERT_EQ(std::count(before.begin(), before.end(), "delete C:\\Ravenlook-update.tmp"), 1);
    ASSERT_EQ(std::count(before.begin(), before.end(), "delete " + own), 1);

    clearPendingRestartOperations();
    std::vector<std::string> after = pendingRestartOperations();
    std::vector<std::string> others;
    for (const std::string &operation : before)
        if (operation != "delete " + own)
            others.push_back(operation);
    EXPECT_EQ(after, others) << "another program's operations are kept, in their order";
    deleteTree("c:\\ravenlook-tests\\pending");
}

// The fixtures' own guard: lists that hold another program's entry come
// back exactly after a scope that changed them.
TEST_F(PendingOperations, KeptListComesBackAsItWas)
{
    ASSERT_TRUE(writePendingList(kPendingValues[0], pendingListOf({kForeign, L"", L""})));
    std::vector<std::string> before = pendingRestartOperations();
    {
        PendingOperationsKept kept;
        for (const wchar_t *value : kPendingValues)
            ASSERT_TRUE(writePendingList(value, PendingList()));
        ASSERT_EQ(pendingRestartOperations().size(), 0u);
    }
    EXPECT_EQ(pendingRestartOperations(), before);
}
