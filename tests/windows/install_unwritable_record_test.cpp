// The install and uninstall procedures with a registry that refuses the
// record. Wine's registry always lets us write, so the record is replaced
// here, at link time, by a stand-in whose answers each test chooses.
#include "engine.h"
#include "install_record.h"
#include "messages.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

using namespace testsupport;

// ---- the stand-in record ---------------------------------------------------
HWND g_progressBar = nullptr;   // no window in this test: progress goes nowhere

const char kRecordKey[] = "Win310";
const char kRecordClass[] = "WinCL310";
const char kRecordValue[] = "003";
const char kEarlierRecordKey[] = "WINRV130";

namespace {
int s_writeStatus = RECORD_WRITE_SOFTWARE_FAILED;
int s_readStatus = RECORD_READ_SOFTWARE_FAILED;
std::string s_readDirectory;
int s_writeCalls = 0;
}   // namespace

int writeInstallRecord(const char *, const char *, const char *)
{
    ++s_writeCalls;
    return s_writeStatus;
}
bool installRecordExists(const char *)
{
    return false;
}
int readInstallRecord(const char *, char *buffer, int capacity)
{
    if (s_readStatus == RECORD_OK) {
        strncpy(buffer, s_readDirectory.c_str(), capacity);
        buffer[capacity] = '\0';
    }
    return s_readStatus;
}
int removeEarlierRecord()
{
    return RECORD_EARLIER_NOT_REMOVED;
}

// ---- tests -----------------------------------------------------------------
namespace {

class RecordRefused : public ::testing::Test {
protected:
    void SetUp() override
    {
        removeInstallation();
        before_ = currentDirectory();
        source_ = scratchFolder("refused-record-source");
        for (const InstallFileRow &row : kInstallFiles)
            writeFile(source_ + "\\" + row.source, std::string("content of ") + row.source);
        ASSERT_TRUE(makeDirectories(kStartMenuPrograms));
        SetCurrentDirectoryA(source_.c_str());
        s_writeCalls = 0;
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(before_.c_str());
        deleteTree(source_);
        removeInstallation();
    }
    std::string before_, source_;
};

}   // namespace

TEST_F(RecordRefused, InstallGivesMessage13WithFilesAndShortcutsInPlace)
{
    s_writeStatus = RECORD_WRITE_SOFTWARE_FAILED;
    char installDir[PATH_CAPACITY];
    memset(installDir, '#', sizeof installDir);
    EXPECT_EQ(runInstall(installDir), MSG_INSTALL_FAILED);
    EXPECT_STREQ(installDir, "") << "the output is empty on failure";
    EXPECT_EQ(s_writeCalls, 1);
    for (const InstallFileRow &row : kInstallFiles) {
        SCOPED_TRACE(row.destination);
        EXPECT_EQ(readFile(std::string(kInstallDir) + "\\" + row.destination),
                  std::string("content of ") + row.source);
    }
    EXPECT_EQ(listFolder(kShortcutDir),
              (std::vector<std::string>{"Help.lnk", "Inspector.lnk", "Ravenlook.lnk",
                                        "Uninstall.lnk"}));
}

TEST_F(RecordRefused, EveryOtherFailingWriteStatusGivesMessage13)
{
    const int statuses[] = {RECORD_MISSING_ARGUMENT, RECORD_CREATE_FAILED, RECORD_VALUE_NOT_WRITTEN,
                            RECORD_WRITE_SOFTWARE_FAILED};
    for (int status : statuses) {
        SCOPED_TRACE(status);
        s_writeStatus = status;
        char installDir[PATH_CAPACITY];
        EXPECT_EQ(runInstall(installDir), MSG_INSTALL_FAILED);
        EXPECT_STREQ(installDir, "");
    }
}

TEST_F(RecordRefused, RecordAlreadyPresentCountsAsSuccess)
{
    s_writeStatus = RECORD_ALREADY_PRESENT;
    char installDir[PATH_CAPACITY];
    EXPECT_EQ(runInstall(installDir), MSG_SUCCESS);
    EXPECT_STREQ(installDir, kInstallDir);
}

TEST_F(RecordRefused, UninstallWithUnreadableRecordRemovesShortcutsThenGives12)
{
    s_writeStatus = RECORD_OK;
    char installDir[PATH_CAPACITY];
    ASSERT_EQ(runInstall(installDir), MSG_SUCCESS);
    SetCurrentDirectoryA(before_.c_str());

    s_readStatus = RECORD_READ_SOFTWARE_FAILED;
    EXPECT_EQ(runUninstall(), MSG_UNINSTALL_FAILED);
    EXPECT_FALSE(directoryExists(kShortcutDir)) << "the shortcut folder goes first";
    EXPECT_EQ(listFolder(kInstallDir).size(), 7u) << "the install directory is untouched";
}

TEST_F(RecordRefused, UninstallRefusesARecordNamingAForeignFolder)
{
    std::string canary = scratchFolder("canary");
    writeFile(canary + "\\precious.txt", "keep me");
    const std::string foreign[] = {canary, "c:\\windows", "c:\\", "c:\\program files",
                                   "c:\\program files\\Ravenlook"};
    for (const std::string &directory : foreign) {
        SCOPED_TRACE(directory);
        s_readStatus = RECORD_OK;
        s_readDirectory = directory;
        EXPECT_EQ(runUninstall(), MSG_UNINSTALL_FAILED);
    }
    EXPECT_EQ(readFile(canary + "\\precious.txt"), "keep me");
    EXPECT_TRUE(fileExists("c:\\windows\\win.ini"));
    deleteTree(canary);
}

TEST_F(RecordRefused, UninstallAcceptsTheRecordInAnyLetterCase)
{
    s_writeStatus = RECORD_OK;
    char installDir[PATH_CAPACITY];
    ASSERT_EQ(runInstall(installDir), MSG_SUCCESS);
    SetCurrentDirectoryA(before_.c_str());
    s_readStatus = RECORD_OK;
    s_readDirectory = "C:\\PROGRAM FILES\\RAVENLOOK\\RAVENLOOK V1.3";
    EXPECT_EQ(runUninstall(), MSG_SUCCESS);
    EXPECT_FALSE(directoryExists(kInstallDir));
}
