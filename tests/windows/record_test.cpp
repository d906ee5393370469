// The installation record, the entry in the list of installed programs and
// the restart's pending file operations against Wine's real registry. Every
// test starts from a registry without the keys and values it writes and
// leaves none behind.
#include "install_record.h"
#include "restart_operations.h"
#include "test_support.h"
#include "uninstall_entry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testsupport;

namespace {

const char kPath[] = "c:\\program files\\Ravenlook\\Ravenlook v1.3";

class InstallRecord : public ::testing::Test {
protected:
    void SetUp() override { deleteRecordKeys(); }
    void TearDown() override { deleteRecordKeys(); }
};

void writeRawValue(const std::string &bytes)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Win310", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "003", 0, REG_SZ, reinterpret_cast<const BYTE *>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

}   // namespace

TEST_F(InstallRecord, FirstWriteStoresTheEncodedPathUnderItsClass)
{
    EXPECT_FALSE(installRecordExists("Win310"));
    EXPECT_EQ(writeInstallRecord("Win310", "WinCL310", kPath), RECORD_OK);
    EXPECT_TRUE(installRecordExists("Win310"));

    std::string raw, keyClass;
    ASSERT_TRUE(readRawRecord(&raw, &keyClass));
    EXPECT_EQ(keyClass, "WinCL310");
    EXPECT_EQ(raw, encodedRecord(kPath));
    EXPECT_EQ(raw.size(), sizeof kPath) << "length + 1 bytes";
    EXPECT_EQ(raw[2], '\x5D') << "a backslash is stored as 0x5D";
}

TEST_F(InstallRecord, SecondWriteKeepsTheFirstPath)
{
    ASSERT_EQ(writeInstallRecord("Win310", "WinCL310", kPath), RECORD_OK);
    EXPECT_EQ(writeInstallRecord("Win310", "WinCL310", "c:\\Ravenlook\\Ravenlook v1.3"),
              RECORD_ALREADY_PRESENT);
    std::string raw;
    ASSERT_TRUE(readRawRecord(&raw, nullptr));
    EXPECT_EQ(raw, encodedRecord(kPath));
}

TEST_F(InstallRecord, RemovalDeletesTheKeyAndAllowsAFreshRecord)
{
    ASSERT_EQ(writeInstallRecord("Win310", "WinCL310", "c:\\Ravenlook\\Ravenlook v1.3"), RECORD_OK);
    EXPECT_TRUE(removeInstallRecord("Win310"));
    EXPECT_FALSE(installRecordExists("Win310"));
    EXPECT_TRUE(removeInstallRecord("Win310")) << "already gone counts as removed";
    EXPECT_EQ(writeInstallRecord("Win310", "WinCL310", kPath), RECORD_OK) << "written anew";
    std::string raw;
    ASSERT_TRUE(readRawRecord(&raw, nullptr));
    EXPECT_EQ(raw, encodedRecord(kPath));
}

TEST_F(InstallRecord, ReadBackGivesThePath)
{
    ASSERT_EQ(writeInstallRecord("Win310", "WinCL310", kPath), RECORD_OK);
    char buffer[100];
    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(readInstallRecord("Win310", buffer, 99), RECORD_OK);
    EXPECT_STREQ(buffer, kPath);
}

TEST_F(InstallRecord, EmptyPathIsAPresentArgument)
{
    EXPECT_EQ(writeInstallRecord("Win310", "WinCL310", ""), RECORD_OK);
    std::string raw;
    ASSERT_TRUE(readRawRecord(&raw, nullptr));
    EXPECT_EQ(raw, std::string(1, '\0'));
}

TEST_F(InstallRecord, StoredValueLongerThanTheCapacityGives28)
{
    std::string longPath = "c:\\" + std::string(120, 'x');
    ASSERT_EQ(writeInstallRecord("Win310", "WinCL310", longPath.c_str()), RECORD_OK);
    char buffer[100];
    EXPECT_EQ(readInstallRecord("Win310", buffer, 99), RECORD_VALUE_NOT_READ);
    EXPECT_EQ(buffer[0], '\0') << "the caller's buffer is terminated";
}

TEST_F(InstallRecord, ValueWithoutTerminatingZeroEndsAfterItsBytes)
{
    // Encoded bytes and no terminating zero, as another program could store.
    writeRawValue(std::string(50, 'b'));
    char buffer[100];
    memset(buffer, '#', sizeof buffer);
    ASSERT_EQ(readInstallRecord("Win310", buffer, 99), RECORD_OK);
    EXPECT_EQ(std::string(buffer), std::string(50, 'a'));
}

TEST_F(InstallRecord, ValueFillingTheCapacityWithoutZeroIsTerminated)
{
    // 99 bytes, no zero. Windows returns them as they are; Wine adds the
    // terminator and so reports 100 bytes, which exceed the capacity. Either
    // way the caller's buffer holds a terminated text.
    writeRawValue(std::string(99, 'b'));
    char buffer[100];
    memset(buffer, '#', sizeof buffer);
    int status = readInstallRecord("Win310", buffer, 99);
    ASSERT_TRUE(status == RECORD_OK || status == RECORD_VALUE_NOT_READ) << status;
    EXPECT_EQ(std::string(buffer), status == RECORD_OK ? std::string(99, 'a') : std::string());
}

TEST_F(InstallRecord, MissingValueGives28)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Win310", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    char buffer[100];
    EXPECT_EQ(readInstallRecord("Win310", buffer, 99), RECORD_VALUE_NOT_READ);
}

TEST_F(InstallRecord, NoKeyGives27AndDoesNotExist)
{
    char buffer[100];
    EXPECT_EQ(readInstallRecord("Win310", buffer, 99), RECORD_KEY_NOT_OPENED);
    EXPECT_FALSE(installRecordExists("Win310"));
}

TEST_F(InstallRecord, AbsentArgumentsGive0)
{
    char buffer[100];
    EXPECT_EQ(writeInstallRecord(nullptr, "WinCL310", kPath), RECORD_MISSING_ARGUMENT);
    EXPECT_EQ(writeInstallRecord("Win310", nullptr, kPath), RECORD_MISSING_ARGUMENT);
    EXPECT_EQ(writeInstallRecord("Win310", "WinCL310", nullptr), RECORD_MISSING_ARGUMENT);
    EXPECT_EQ(readInstallRecord(nullptr, buffer, 99), RECORD_MISSING_ARGUMENT);
    EXPECT_EQ(readInstallRecord("Win310", nullptr, 99), RECORD_MISSING_ARGUMENT);
    EXPECT_EQ(readInstallRecord("Win310", buffer, 0), RECORD_MISSING_ARGUMENT);
    EXPECT_EQ(readInstallRecord("Win310", buffer, -5), RECORD_MISSING_ARGUMENT);
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Win310")) << "nothing was created";
}

TEST_F(InstallRecord, PathTooLongForTheEncodingBufferIsNotRecorded)
{
    std::string tooLong(300, 'y');
    EXPECT_EQ(writeInstallRecord("Win310", "WinCL310", tooLong.c_str()), RECORD_VALUE_NOT_WRITTEN);
    EXPECT_FALSE(installRecordExists("Win310")) << "a partly written record never survives";
}

TEST_F(InstallRecord, EarlierReleasesKeyIsRemoved)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "WINRV130", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(removeEarlierRecord(), RECORD_OK);
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "WINRV130"));
    EXPECT_EQ(removeEarlierRecord(), RECORD_EARLIER_NOT_REMOVED) << "no key to delete";
}

TEST_F(InstallRecord, WritingRemovesTheEarlierReleasesKey)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "WINRV130", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(writeInstallRecord("Win310", "WinCL310", kPath), RECORD_OK);
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "WINRV130"));
}

TEST_F(InstallRecord, RecordIsStoredUnderSoftwareNotElsewhere)
{
    ASSERT_EQ(writeInstallRecord("Win310", "WinCL310", kPath), RECORD_OK);
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Win310"));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "Win310"));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, "SOFTWARE\\Win310"));
}

// ---- the entry in the system's list of installed programs -------------------
namespace {

class ProgramEntry : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProgramEntryKey); }
    void TearDown() override { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProgramEntryKey); }
};

const char kIcon[] = "c:\\program files\\Ravenlook\\Ravenlook v1.3\\Ravenlook.ico";
const char kCommand[] = "\"c:\\program files\\Ravenlook\\Ravenlook v1.3\\Ravenlook_inst.exe\" -u";

}   // namespace

TEST_F(ProgramEntry, HoldsEveryValueInPlaceOfAnEarlierEntry)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProgramEntryKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Stray", 0, REG_SZ, reinterpret_cast<const BYTE *>("old"), 4);
    RegCloseKey(key);

    EXPECT_STREQ(kUninstallEntryKey, kProgramEntryKey);
    ASSERT_TRUE(writeUninstallEntry(UninstallEntry{kPath, kIcon, kCommand, 1234}));
    const std::map<std::string, std::string> expected = {
        {"DisplayName", "Ravenlook 1.3"}, {"DisplayVersion", "1.3"},
        {"Publisher", "Ravenlook Team"},  {"InstallLocation", kPath},
        {"DisplayIcon", kIcon},           {"UninstallString", kCommand},
        {"NoModify", "dword:1"},          {"NoRepair", "dword:1"},
        {"EstimatedSize", "dword:1234"},
    };
    EXPECT_EQ(keyValues(HKEY_LOCAL_MACHINE, kProgramEntryKey), expected);

    EXPECT_TRUE(removeUninstallEntry());
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey));
    EXPECT_TRUE(removeUninstallEntry()) << "already gone counts as removed";
}

TEST_F(ProgramEntry, ListThatCannotTakeTheEntryLeavesNoKey)
{
    SKIP_UNLESS_WINE("the list is made unwritable by swapping it while it is empty");
    UninstallListUnwritable unwritable;
    ASSERT_TRUE(unwritable.active());
    EXPECT_FALSE(writeUninstallEntry(UninstallEntry{kPath, kIcon, kCommand, 1}));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey));
}

TEST_F(ProgramEntry, MissingTextIsRefusedAndLeavesNoHalfWrittenKey)
{
    EXPECT_FALSE(writeUninstallEntry(UninstallEntry{kPath, nullptr, kCommand, 1}));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey));
}

// ---- the restart's lists ------------------------------------------------------
// The registry round trip of cancelPendingDeletions in both lists (its
// filter's cases are the native FilterPendingList table). The lists come
// back exactly as they were, also when the watchdog ends the program; the
// names planted are the tests' own.
TEST(PendingDeletions, BothListsKeepAllButOurDeletions)
{
    PendingOperationsKept kept;
    const char *const ours[] = {"c:\\ravenlook-tests\\ours\\Ravenlook.exe",
                                "c:\\ravenlook-tests\\ours"};
    const std::wstring ourExe = L"*1\\??\\C:\\RAVENLOOK-TESTS\\OURS\\Ravenlook.exe";
    const std::wstring ourDir = L"\\??\\c:\\ravenlook-tests\\ours";
    const std::wstring theirs = L"*1\\??\\c:\\ravenlook-tests\\theirs.tmp";
    PendingList cutShort = pendingListOf({theirs, L"", ourExe, L"", L"\\??\\c:\\cut"});
    cutShort.bytes.resize(cutShort.bytes.size() - sizeof(wchar_t));   // no last terminator
    const PendingList none{};
    const struct {
        const char *what;
        PendingList before[2];
        int status;
        PendingList after[2];
    } cases[] = {
        {"ours go from both lists, a foreign entry stays in each",
         {pendingListOf({ourExe, L"", theirs, L"", L""}),
          pendingListOf({ourDir, L"", L"\\??\\c:\\x", L"\\??\\c:\\y", L""})},
         PENDING_CANCELLED,
         {pendingListOf({theirs, L"", L""}), pendingListOf({L"\\??\\c:\\x", L"\\??\\c:\\y", L""})}},
        {"a list left without names goes",
         {pendingListOf({ourExe, L"", L""}), none},
         PENDING_CANCELLED,
         {none, none}},
        {"damaged lists that hold ours stay as they are",
         {cutShort, pendingListOf({ourDir, L""}, REG_SZ)},
         PENDING_NOT_CANCELLED,
         {cutShort, pendingListOf({ourDir, L""}, REG_SZ)}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        for (int i = 0; i < 2; ++i)
            ASSERT_TRUE(writePendingList(kPendingValues[i], c.before[i]));
        EXPECT_EQ(cancelPendingDeletions(ours, 2), c.status);
        for (int i = 0; i < 2; ++i) {
            PendingList after;
            ASSERT_TRUE(readPendingList(kPendingValues[i], &after));
            EXPECT_EQ(after.present, c.after[i].present) << i;
            EXPECT_EQ(after.type, c.after[i].type) << i;
            EXPECT_TRUE(after.bytes == c.after[i].bytes) << "list " << i << " is not as expected";
        }
    }
}
