// The install and uninstall procedures with a record whose answers each
// test chooses: one that accepts, one that refuses. Wine's registry always
// lets us write, so the record is replaced here, at link time, by a
// stand-in. Everything else (files, folders, links, the entry in the list
// of installed programs, the restart's pending operations) is real.
#include "driver.h"
#include "engine.h"
#include "install_record.h"
#include "message_ids.h"
#include "test_support.h"
#include "uninstall_entry.h"

#include <gtest/gtest.h>

#include <string.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace testsupport;

// ---- the stand-in record ---------------------------------------------------
const char kRecordKey[] = "Win310";
const char kRecordClass[] = "WinCL310";
const char kRecordValue[] = "003";
const char kEarlierRecordKey[] = "WINRV130";

namespace {
int s_writeStatus = RECORD_WRITE_SOFTWARE_FAILED;
int s_readStatus = RECORD_READ_SOFTWARE_FAILED;
std::string s_readDirectory;
int s_writeCalls = 0;
int s_removeCalls = 0;
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
bool removeInstallRecord(const char *)
{
    ++s_removeCalls;
    return true;
}

// ---- tests -----------------------------------------------------------------
namespace {

class RecordRefused : public InstallationTest {
protected:
    void SetUp() override
    {
        InstallationTest::SetUp();
        before_ = currentDirectory();
        source_ = scratchFolder("refused-record-source");
        for (const InstallFileRow &row : kInstallFiles)
            writeFile(source_ + "\\" + row.source, std::string("content of ") + row.source);
        SetCurrentDirectoryA(source_.c_str());
        s_writeCalls = 0;
        s_removeCalls = 0;
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(before_.c_str());
        deleteTree(source_);
        InstallationTest::TearDown();
    }
    std::string before_, source_;
};

}   // namespace

namespace {

// What the disk and the record show at each report of a step.
struct StepSeen {
    double atMs;
    bool installDirExists, shortcutDirExists, filesCopied;
    int recordWrites;
    bool heldFast;   // no folder made so far can be moved or removed
};
std::vector<StepSeen> s_steps;

// Tries to move and to remove each folder, as a user swapping it for a link
// would; a folder that moves is moved back.
bool heldFast(std::initializer_list<const char *> folders)
{
    bool held = true;
    for (const char *folder : folders) {
        std::string moved = std::string(folder) + "-moved";
        held = held && !RemoveDirectoryA(folder) && !MoveFileA(folder, moved.c_str());
        MoveFileA(moved.c_str(), folder);
    }
    return held;
}

void recordStep()
{
    s_steps.push_back(
        {driver::nowMs(), directoryExists(kInstallDir), directoryExists(kShortcutDir),
         listFolder(kInstallDir).size() == INSTALL_FILE_COUNT &&
             listFolder(kShortcutDir).size() == 4,
         s_writeCalls,
         s_steps.size() != 2 || heldFast({kVendorDir, kInstallDir, kMenuVendorDir, kShortcutDir})});
}

}   // namespace

TEST_F(RecordRefused, InstallReportsFourStepsEachAfterItsPause)
{
    s_writeStatus = RECORD_OK;
    s_steps.clear();
    char installDir[PATH_CAPACITY];
    double start = driver::nowMs();
    ASSERT_EQ(runInstall(installDir, recordStep), MSG_SUCCESS);
    ASSERT_EQ(s_steps.size(), 4u);
    for (size_t i = 0; i < s_steps.size(); ++i) {
        SCOPED_TRACE(i + 1);
        double previous = i == 0 ? start : s_steps[i - 1].atMs;
        EXPECT_GE(s_steps[i].atMs - previous, 1000 - driver::kClockSlackMs)
            << "a pause of a second before each step";
    }
    // Step 1 comes before any folder, 2 after the install directory, 3 after
    // the shortcut folder, 4 after the files and links, and the record last.
    EXPECT_FALSE(s_steps[0].installDirExists);
    EXPECT_TRUE(s_steps[1].installDirExists);
    EXPECT_FALSE(s_steps[1].shortcutDirExists);
    EXPECT_TRUE(s_steps[2].shortcutDirExists);
    EXPECT_TRUE(s_steps[2].heldFast) << "the folders are held while the install works in them";
    EXPECT_FALSE(s_steps[2].filesCopied);
    EXPECT_TRUE(s_steps[3].filesCopied);
    EXPECT_EQ(s_steps[3].recordWrites, 0);
    EXPECT_EQ(s_writeCalls, 1);
}

// Only the record decides: a record already there counts as written, any
// other failure to write it gives 13, with the files and the shortcuts in
// place, and no entry in the list of installed programs without a record.
TEST_F(RecordRefused, RecordThatCannotBeWrittenGives13WithFilesAndShortcutsInPlace)
{
    const int statuses[] = {RECORD_WRITE_SOFTWARE_FAILED, RECORD_MISSING_ARGUMENT,
                            RECORD_CREATE_FAILED, RECORD_VALUE_NOT_WRITTEN, RECORD_ALREADY_PRESENT};
    for (int status : statuses) {
        SCOPED_TRACE(status);
        bool success = status == RECORD_ALREADY_PRESENT;
        s_writeStatus = status;
        s_writeCalls = 0;
        char installDir[PATH_CAPACITY];
        memset(installDir, '#', sizeof installDir);
        EXPECT_EQ(runInstall(installDir, nullptr), success ? MSG_SUCCESS : MSG_INSTALL_FAILED);
        EXPECT_STREQ(installDir, success ? kInstallDir : "") << "the output is empty on failure";
        EXPECT_EQ(s_writeCalls, 1);
        for (const InstallFileRow &row : kInstallFiles)
            EXPECT_EQ(readFile(installed(row.destination)), std::string("content of ") + row.source)
                << row.destination;
        EXPECT_EQ(listFolder(kShortcutDir), kShortcutNames);
        EXPECT_EQ(keyValues(HKEY_LOCAL_MACHINE, kProgramEntryKey)["InstallLocation"],
                  success ? kInstallDir : "");
    }
}

TEST_F(RecordRefused, ListOfProgramsThatCannotTakeTheEntryLeavesTheInstallSuccessful)
{
    SKIP_UNLESS_WINE("the list is made unwritable by swapping it while it is empty");
    s_writeStatus = RECORD_OK;
    UninstallListUnwritable unwritable;
    ASSERT_TRUE(unwritable.active());
    char installDir[PATH_CAPACITY];
    EXPECT_EQ(runInstall(installDir, nullptr), MSG_SUCCESS);
    EXPECT_STREQ(installDir, kInstallDir);
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey)) << "no half-written entry";
    EXPECT_EQ(listFolder(kInstallDir).size(), 7u);
}

namespace {

int s_stepReports = 0;
std::function<void(int)> s_atStep;   // told of each step's number
void countStep()
{
    ++s_stepReports;
    if (s_atStep)
        s_atStep(s_stepReports);
}

}   // namespace

// A folder in the way is a file of the same name, or a link a standard
// user put there: the procedure still goes through its four steps, then
// reports the folder, having copied nothing, linked nothing, recorded
// nothing, written nothing through the link and left no folder of its own.
// An earlier uninstall's deletion waiting for the restart stays scheduled.
TEST_F(RecordRefused, InstallGives5Or6WhenAFileOrALinkStandsWhereAFolderGoes)
{
    const struct {
        const char *blocked;
        bool link;
        int result;
    } cases[] = {
        {kVendorDir, false, MSG_INSTALL_DIR_FAILED},
        {kInstallDir, false, MSG_VERSION_DIR_FAILED},
        {kVendorDir, true, MSG_INSTALL_DIR_FAILED},
        {kInstallDir, true, MSG_VERSION_DIR_FAILED},
    };
    std::string target = scratchFolder("link-target");
    ASSERT_TRUE(writeFile(target + "\\precious.txt", "keep me"));
    s_writeStatus = RECORD_OK;
    PendingOperationsKept kept;
    const PendingList pending = pendingListOf({L"*1\\??\\C:\\Program Files\\Ravenlook", L"", L""});
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.blocked) + (c.link ? " (a link)" : " (a file)"));
        removeInstallation();
        ASSERT_TRUE(writePendingList(kPendingValues[0], pending));
        ASSERT_TRUE(makeDirectories(kStartMenuPrograms));
        ASSERT_TRUE(makeDirectories(kVendorDir));
        deleteTree(c.blocked);
        std::unique_ptr<FolderLink> link;
        if (c.link)
            link.reset(new FolderLink(c.blocked, target));
        ASSERT_TRUE(c.link ? link->made() : writeFile(c.blocked, "a file in the way"));
        s_writeCalls = 0;
        s_stepReports = 0;
        char installDir[PATH_CAPACITY];
        memset(installDir, '#', sizeof installDir);
        EXPECT_EQ(runInstall(installDir, countStep), c.result);
        EXPECT_STREQ(installDir, "");
        EXPECT_EQ(s_stepReports, 4) << "the bar moves as always";
        EXPECT_EQ(c.link ? listFolder(target) : std::vector<std::string>{readFile(c.blocked)},
                  std::vector<std::string>{c.link ? "precious.txt" : "a file in the way"});
        EXPECT_EQ(s_writeCalls, 0) << "no record";
        EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey)) << "no entry";
        EXPECT_TRUE(listFolder(kStartMenuPrograms).empty()) << "no shortcut folder";
        PendingList after;
        ASSERT_TRUE(readPendingList(kPendingValues[0], &after));
        EXPECT_TRUE(after.bytes == pending.bytes) << "the restart's list is unchanged";
    }
}

// Every row is tried, then the record and the entry are written, so that
// the uninstall can remove what was copied; the result says a file failed.
TEST_F(RecordRefused, InstallGives7AfterAllRowsWhenARequiredFileIsMissingOrInUse)
{
    s_writeStatus = RECORD_OK;
    DeleteFileA((source_ + "\\Ravenlook.000").c_str());
    char installDir[PATH_CAPACITY];
    EXPECT_EQ(runInstall(installDir, nullptr), MSG_COPY_FAILED);
    EXPECT_STREQ(installDir, "");
    EXPECT_FALSE(fileExists(installed("Ravenlook.exe")));
    EXPECT_EQ(listFolder(kInstallDir).size(), 6u) << "the rows after it are copied";
    EXPECT_EQ(listFolder(kShortcutDir),
              (std::vector<std::string>{"Help.lnk", "Inspector.lnk", "Uninstall.lnk"}));
    EXPECT_EQ(s_writeCalls, 1);
    EXPECT_EQ(keyValues(HKEY_LOCAL_MACHINE, kProgramEntryKey)["InstallLocation"], kInstallDir);

    // The file back, and an installed one held open without sharing, as a
    // browser could hold the help page: that copy fails, though the help
    // page alone may be missing; the others replace theirs.
    writeFile(source_ + "\\Ravenlook.000", "content of Ravenlook.000");
    writeFile(source_ + "\\LICENSE.txt", "a newer licence");
    HANDLE held = CreateFileA(installed("README.html").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    writeFile(source_ + "\\README.html", "a newer help page");
    EXPECT_EQ(runInstall(installDir, nullptr), MSG_COPY_FAILED);
    CloseHandle(held);
    EXPECT_EQ(readFile(installed("README.html")), "content of README.html");
    EXPECT_EQ(readFile(installed("LICENSE.txt")), "a newer licence");
    EXPECT_EQ(readFile(installed("Ravenlook.exe")), "content of Ravenlook.000");

    // The record that cannot be written still decides: 13 wins over 7.
    s_writeStatus = RECORD_CREATE_FAILED;
    DeleteFileA((source_ + "\\Ravenlook.003").c_str());
    EXPECT_EQ(runInstall(installDir, nullptr), MSG_INSTALL_FAILED);
}

// An uninstall before the restart scheduled our files and folders for
// deletion; the install takes exactly those out of the list.
TEST_F(RecordRefused, InstallCancelsThePendingDeletionsOfWhatItInstalls)
{
    s_writeStatus = RECORD_OK;
    std::string foreign = scratchFolder("pending-foreign") + "\\old.tmp";
    writeFile(foreign, "x");
    ASSERT_TRUE(MoveFileExA(foreign.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    ASSERT_TRUE(makeDirectories(kInstallDir));
    for (const char *path : {"Ravenlook.exe", "Ravenlook_inst.exe"}) {
        writeFile(installed(path), "left by the uninstall");
        ASSERT_TRUE(MoveFileExA(installed(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    }
    ASSERT_TRUE(MoveFileExA("C:\\PROGRAM FILES\\RAVENLOOK\\RAVENLOOK V1.3", nullptr,
                            MOVEFILE_DELAY_UNTIL_REBOOT));
    ASSERT_TRUE(MoveFileExA(kVendorDir, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    ASSERT_EQ(pendingRestartOperations().size(), 5u);

    char installDir[PATH_CAPACITY];
    EXPECT_EQ(runInstall(installDir, nullptr), MSG_SUCCESS);
    EXPECT_EQ(pendingRestartOperations(), std::vector<std::string>{"delete " + foreign});
    deleteTree("c:\\ravenlook-tests\\pending-foreign");

    // A damaged list with a deletion of ours in Windows 10's form: it cannot
    // be cancelled, so nothing is installed, and the list stays as it is.
    removeInstallation();
    PendingOperationsKept kept;
    PendingList damaged = pendingListOf(
        {L"*1\\??\\C:\\Program Files\\Ravenlook\\Ravenlook v1.3", L"", L"cut"});
    damaged.bytes.resize(damaged.bytes.size() - sizeof(wchar_t));
    ASSERT_TRUE(writePendingList(kPendingValues[1], damaged));
    s_writeCalls = s_stepReports = 0;
    EXPECT_EQ(runInstall(installDir, countStep), MSG_RESTART_PENDING);
    EXPECT_EQ(s_stepReports, 4) << "the bar moves as always";
    EXPECT_FALSE(directoryExists(kVendorDir)) << "nothing is made";
    EXPECT_EQ(s_writeCalls, 0) << "no record";
    PendingList after;
    ASSERT_TRUE(readPendingList(kPendingValues[1], &after));
    EXPECT_TRUE(after.bytes == damaged.bytes) << "the list is unchanged";
}

TEST_F(RecordRefused, UninstallWithUnreadableRecordRemovesShortcutsThenGives12)
{
    s_writeStatus = RECORD_OK;
    char installDir[PATH_CAPACITY];
    ASSERT_EQ(runInstall(installDir, nullptr), MSG_SUCCESS);
    SetCurrentDirectoryA(before_.c_str());

    s_readStatus = RECORD_READ_SOFTWARE_FAILED;
    EXPECT_EQ(runUninstall(), MSG_UNINSTALL_FAILED);
    EXPECT_FALSE(directoryExists(kShortcutDir)) << "the shortcut folder goes first";
    EXPECT_EQ(listFolder(kInstallDir).size(), 7u) << "the install directory is untouched";
    EXPECT_EQ(s_removeCalls, 0) << "the record stays";
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey)) << "the entry stays";
}

// A canary folder of the test's own is offered as the recorded directory,
// and under Wine the system's own folders too, with every file in them held
// open without delete sharing: a guard that let one through would fail
// this test, but could delete nothing of the prefix the later tests run
// on. On a real Windows no system folder is handed to the uninstall.
TEST_F(RecordRefused, UninstallRefusesARecordNamingAForeignFolder)
{
    std::string canary = scratchFolder("canary");
    writeFile(canary + "\\precious.txt", "keep me");
    std::vector<std::string> foreign = {canary};
    std::vector<HANDLE> held;
    if (runningUnderWine()) {
        foreign.insert(foreign.end(), {"c:\\windows", "c:\\", kProgramFiles, kVendorDir});
        for (size_t i = 1; i < foreign.size(); ++i)
            for (const std::string &name : listFolder(foreign[i])) {
                HANDLE file = CreateFileA((foreign[i] + "\\" + name).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr);
                if (file != INVALID_HANDLE_VALUE)
                    held.push_back(file);
            }
        ASSERT_FALSE(DeleteFileA("c:\\windows\\win.ini")) << "the files are not held";
    }
    // An entry in the list of installed programs, as a real installation has.
    ASSERT_TRUE(writeUninstallEntry(UninstallEntry{kInstallDir, "icon", "command", "quiet", 1}));
    for (const std::string &directory : foreign) {
        SCOPED_TRACE(directory);
        s_readStatus = RECORD_OK;
        s_readDirectory = directory;
        EXPECT_EQ(runUninstall(), MSG_UNINSTALL_FAILED);
    }
    for (HANDLE file : held)
        CloseHandle(file);
    EXPECT_EQ(s_removeCalls, 0) << "a refused record stays";
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey)) << "and so does the entry";
    EXPECT_EQ(readFile(canary + "\\precious.txt"), "keep me");
    EXPECT_TRUE(!runningUnderWine() || fileExists("c:\\windows\\win.ini"));
    deleteTree(canary);
}

// Started from inside the install directory, as the Uninstall shortcut
// starts it, the uninstall leaves that directory first: with nothing of
// the installation running, all of it goes at once.
TEST_F(RecordRefused, UninstallFromInsideTheDirectoryAcceptsTheRecordInAnyLetterCase)
{
    s_writeStatus = RECORD_OK;
    char installDir[PATH_CAPACITY];
    ASSERT_EQ(runInstall(installDir, nullptr), MSG_SUCCESS);
    ASSERT_TRUE(SetCurrentDirectoryA(kInstallDir));
    s_readStatus = RECORD_OK;
    s_readDirectory = "C:\\PROGRAM FILES\\RAVENLOOK\\RAVENLOOK V1.3";
    EXPECT_EQ(runUninstall(), MSG_SUCCESS);
    // Nothing was in use: all of it goes at once, nothing waits for a restart.
    EXPECT_FALSE(directoryExists(kVendorDir));
    EXPECT_FALSE(directoryExists("c:\\windows\\start menu\\programs\\Ravenlook"));
    EXPECT_TRUE(pendingRestartOperations().empty());
    EXPECT_EQ(s_removeCalls, 1);
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey));
}

// Folders of ours swapped for links to a folder that holds a user's files,
// among them one named like ours: nothing is written or deleted through
// them, now or at the restart.
TEST_F(RecordRefused, NothingIsWrittenOrDeletedThroughAFolderSwappedForALink)
{
    std::string target = scratchFolder("link-target");
    ASSERT_TRUE(writeFile(target + "\\Ravenlook.exe", "the user's"));
    const std::vector<std::string> targetFiles = {"Ravenlook.exe"};
    s_writeStatus = RECORD_OK;
    s_readStatus = RECORD_OK;
    s_readDirectory = kInstallDir;
    char installDir[PATH_CAPACITY];
    {
        SCOPED_TRACE("the shortcut folder: no link written, left alone by the uninstall");
        ASSERT_TRUE(makeDirectories(std::string(kStartMenuPrograms) + "\\Ravenlook"));
        FolderLink link(kShortcutDir, target);
        ASSERT_TRUE(link.made());
        EXPECT_EQ(runInstall(installDir, nullptr), MSG_SUCCESS);
        EXPECT_EQ(listFolder(kInstallDir).size(), 7u);
        EXPECT_EQ(runUninstall(), MSG_SUCCESS);
        EXPECT_TRUE(isLink(kShortcutDir));
        EXPECT_EQ(listFolder(target), targetFiles);
        EXPECT_FALSE(directoryExists(kInstallDir)) << "the rest goes";
    }
    SCOPED_TRACE("the install directory: message 12, the record and the entry stay");
    SetCurrentDirectoryA(source_.c_str());
    ASSERT_EQ(runInstall(installDir, nullptr), MSG_SUCCESS);
    deleteTree(kInstallDir);
    FolderLink link(kInstallDir, target);
    ASSERT_TRUE(link.made());
    s_removeCalls = 0;
    EXPECT_EQ(runUninstall(), MSG_UNINSTALL_FAILED);
    EXPECT_EQ(s_removeCalls, 0);
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey));
    for (const std::string &operation : pendingRestartOperations())
        EXPECT_EQ(operation.find("delete c:\\program files\\Ravenlook"), std::string::npos)
            << operation;
    RESTART_SYSTEM();
    EXPECT_EQ(listFolder(target), targetFiles);
}

// The seventh Start-menu candidate as a standard user can make it on
// Windows 10 and 11: a link, in c:\ProgramData, to the all-users Programs
// folder. Re-pointed at a folder of the user's once our folders are made,
// it takes nothing: the work goes through the path Windows gives.
TEST_F(RecordRefused, StartMenuLinkRePointedDuringTheInstallTakesNothing)
{
    const std::string programs = "c:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
    RemoveDirectoryA(kStartMenuPrograms);
    RemoveDirectoryA("c:\\windows\\start menu");
    FolderMade menu(runningUnderWine() ? "c:\\documents and settings\\all users\\menu iniciar"
                                       : "c:\\ProgramData\\menu iniciar");
    const std::string candidate = std::string("c:\\documents and settings\\all users\\") +
                                  "menu iniciar\\programas";
    const std::string users = scratchFolder("users-menu") + "\\Ravenlook\\Ravenlook v1.3";
    ASSERT_TRUE(makeDirectories(users));
    std::unique_ptr<FolderLink> link(new FolderLink(candidate, programs));
    ASSERT_TRUE(link->made());
    s_atStep = [&](int step) {
        if (step != 3)
            return;
        EXPECT_TRUE(directoryExists(programs + "\\Ravenlook\\Ravenlook v1.3"));
        link.reset();
        link.reset(new FolderLink(candidate, "c:\\ravenlook-tests\\users-menu"));
        EXPECT_TRUE(directoryExists(candidate + "\\Ravenlook\\Ravenlook v1.3")) << "re-pointed";
    };
    s_writeStatus = RECORD_OK;
    char installDir[PATH_CAPACITY];
    EXPECT_EQ(runInstall(installDir, countStep), MSG_SUCCESS);
    s_atStep = nullptr;
    link.reset();
    EXPECT_TRUE(listFolder(users).empty()) << "nothing written through the link";
    EXPECT_EQ(listFolder(programs + "\\Ravenlook\\Ravenlook v1.3"), kShortcutNames);
}

// A Windows whose program-files folder is none of the candidates
// (C:\Programme): the install goes under it, not to c:\, where every user
// may change what is made, and the uninstall accepts its record.
TEST_F(RecordRefused, InstallGoesUnderTheProgramFilesFolderWindowsNames)
{
    SKIP_UNLESS_WINE("a real machine's folders are not renamed for a test");
    const char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    const char kProgramme[] = "c:\\Programme";
    FolderMade programme(kProgramme);
    RegistryValueSet named64(kCurrentVersion, "ProgramFilesDir", kProgramme, KEY_WOW64_64KEY);
    RegistryValueSet native(kCurrentVersion, "ProgramW6432Dir", kProgramme, KEY_WOW64_64KEY);
    RegistryValueSet named(kCurrentVersion, "ProgramFilesDir", kProgramme);
    s_writeStatus = RECORD_OK;
    char installDir[PATH_CAPACITY];
    ASSERT_EQ(runInstall(installDir, nullptr), MSG_SUCCESS);
    EXPECT_STREQ(installDir, "c:\\Programme\\Ravenlook\\Ravenlook v1.3");
    EXPECT_EQ(listFolder(installDir).size(), 7u);
    s_readStatus = RECORD_OK;
    s_readDirectory = installDir;
    EXPECT_EQ(runUninstall(), MSG_SUCCESS);
    EXPECT_TRUE(listFolder(kProgramme).empty());
}
