// The installation record, the entry in the list of installed programs and
// the restart's pending file operations against Wine's real registry. Every
// test starts from a registry without the keys and values it writes and
// leaves none behind.
#include "install_record.h"
#include "restart_operations.h"
#include "test_support.h"
#include "uninstall_entry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

const char kPath[] = "c:\\program files\\Ravenlook\\Ravenlook v1.3";
const char kFallbackPath[] = "c:\\Ravenlook\\Ravenlook v1.3";

class InstallRecord : public ::testing::Test {
protected:
    void SetUp() override { deleteRecordKeys(); }
    void TearDown() override { deleteRecordKeys(); }
};

// Creates HKLM\<path> and, given a value name, stores the bytes in it as a
// REG_SZ.
void plantKey(const char *path, const char *value = nullptr, const std::string &bytes = "")
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    if (value) {
        EXPECT_EQ(RegSetValueExA(key, value, 0, REG_SZ,
                                 reinterpret_cast<const BYTE *>(bytes.data()),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }
    RegCloseKey(key);
}

// The record read into 100 bytes of '#' with a capacity of 99: the status,
// and the text up to its terminator.
int readRecord(std::string *text)
{
    char buffer[100];
    memset(buffer, '#', sizeof buffer);
    int status = readInstallRecord("Win310", buffer, 99);
    text->assign(buffer, strnlen(buffer, sizeof buffer));
    return status;
}

void writeRecord(const std::string &path)
{
    ASSERT_EQ(writeInstallRecord("Win310", "WinCL310", path.c_str()), RECORD_OK);
}

std::string rawRecord()
{
    std::string raw;
    EXPECT_TRUE(readRawRecord(&raw, nullptr)) << "no record value";
    return raw;
}

}   // namespace

TEST_F(InstallRecord, WrittenOnceUnderSoftwareUntilRemoved)
{
    ASSERT_NO_FATAL_FAILURE(plantKey("WINRV130"));
    EXPECT_FALSE(installRecordExists("Win310"));
    EXPECT_EQ(writeInstallRecord("Win310", "WinCL310", kPath), RECORD_OK);
    EXPECT_TRUE(installRecordExists("Win310"));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "WINRV130")) << "the earlier release's key goes";
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Win310"));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "Win310"));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, "SOFTWARE\\Win310"));

    std::string raw, keyClass;
    ASSERT_TRUE(readRawRecord(&raw, &keyClass));
    EXPECT_EQ(keyClass, "WinCL310");
    EXPECT_EQ(raw, encodedRecord(kPath));
    EXPECT_EQ(raw.size(), sizeof kPath) << "length + 1 bytes";
    EXPECT_EQ(raw[2], '\x5D') << "a backslash is stored as 0x5D";

    EXPECT_EQ(writeInstallRecord("Win310", "WinCL310", kFallbackPath), RECORD_ALREADY_PRESENT);
    EXPECT_EQ(rawRecord(), encodedRecord(kPath)) << "the second write keeps the first path";

    EXPECT_TRUE(removeInstallRecord("Win310"));
    EXPECT_FALSE(installRecordExists("Win310"));
    EXPECT_TRUE(removeInstallRecord("Win310")) << "already gone counts as removed";
    EXPECT_EQ(writeInstallRecord("Win310", "WinCL310", ""), RECORD_OK)
        << "written anew, and an empty path is a present argument";
    EXPECT_EQ(rawRecord(), std::string(1, '\0'));
}

TEST_F(InstallRecord, ReadGivesTheStatusAndATerminatedText)
{
    const struct {
        const char *name;
        void (*plant)();
        int status;
        std::optional<std::string> text;   // none: not looked at
    } cases[] = {
        {"ReadBackGivesThePath", [] { writeRecord(kPath); }, RECORD_OK, kPath},
        {"StoredValueLongerThanTheCapacityGives28",
         [] { writeRecord("c:\\" + std::string(120, 'x')); }, RECORD_VALUE_NOT_READ, ""},
        // No terminating zero, as another program could store it.
        {"ValueWithoutTerminatingZeroEndsAfterItsBytes",
         [] { plantKey("SOFTWARE\\Win310", "003", std::string(50, 'b')); }, RECORD_OK,
         std::string(50, 'a')},
        {"MissingValueGives28", [] { plantKey("SOFTWARE\\Win310"); }, RECORD_VALUE_NOT_READ, ""},
        {"NoKeyGives27", [] {}, RECORD_KEY_NOT_OPENED, std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        deleteRecordKeys();
        ASSERT_NO_FATAL_FAILURE(c.plant());
        std::string text;
        EXPECT_EQ(readRecord(&text), c.status);
        if (c.text) {
            EXPECT_EQ(text, *c.text);
        }
        EXPECT_EQ(installRecordExists("Win310"), c.status != RECORD_KEY_NOT_OPENED);
    }
}

TEST_F(InstallRecord, ValueFillingTheCapacityWithoutZeroIsTerminated)
{
    // 99 bytes, no zero. Windows returns them as they are; Wine adds the
    // terminator and so reports 100 bytes, which exceed the capacity. Either
    // way the caller's buffer holds a terminated text.
    ASSERT_NO_FATAL_FAILURE(plantKey("SOFTWARE\\Win310", "003", std::string(99, 'b')));
    std::string text;
    int status = readRecord(&text);
    ASSERT_TRUE(status == RECORD_OK || status == RECORD_VALUE_NOT_READ) << status;
    EXPECT_EQ(text, status == RECORD_OK ? std::string(99, 'a') : std::string());
}

TEST_F(InstallRecord, RefusedWritesAndReadsLeaveNoRecord)
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
    // A path too long for the encoding buffer.
    EXPECT_EQ(writeInstallRecord("Win310", "WinCL310", std::string(300, 'y').c_str()),
              RECORD_VALUE_NOT_WRITTEN);
    EXPECT_FALSE(installRecordExists("Win310")) << "a partly written record never survives";
}

TEST_F(InstallRecord, EarlierReleasesKeyIsRemoved)
{
    ASSERT_NO_FATAL_FAILURE(plantKey("WINRV130"));
    EXPECT_EQ(removeEarlierRecord(), RECORD_OK);
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "WINRV130"));
    EXPECT_EQ(removeEarlierRecord(), RECORD_EARLIER_NOT_REMOVED) << "no key to delete";
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
const char kQuiet[] = "\"c:\\program files\\Ravenlook\\Ravenlook v1.3\\Ravenlook_inst.exe\" /S -u";

}   // namespace

TEST_F(ProgramEntry, HoldsEveryValueInPlaceOfAnEarlierEntryOrNone)
{
    EXPECT_FALSE(writeUninstallEntry(UninstallEntry{kPath, nullptr, kCommand, kQuiet, 1}))
        << "a missing text is refused";
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey)) << "no half-written key";

    ASSERT_NO_FATAL_FAILURE(plantKey(kProgramEntryKey, "Stray", std::string("old", 4)));
    EXPECT_STREQ(kUninstallEntryKey, kProgramEntryKey);
    ASSERT_TRUE(writeUninstallEntry(UninstallEntry{kPath, kIcon, kCommand, kQuiet, 1234}));
    const std::map<std::string, std::string> expected = {
        {"DisplayName", "Ravenlook 1.3"}, {"DisplayVersion", "1.3"},
        {"Publisher", "Ravenlook Team"},  {"InstallLocation", kPath},
        {"DisplayIcon", kIcon},           {"UninstallString", kCommand},
        {"QuietUninstallString", kQuiet}, {"NoModify", "dword:1"},
        {"NoRepair", "dword:1"},          {"EstimatedSize", "dword:1234"},
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
    EXPECT_FALSE(writeUninstallEntry(UninstallEntry{kPath, kIcon, kCommand, kQuiet, 1}));
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
        {"the first holds ours, the second is damaged: both stay as they are",
         {pendingListOf({ourExe, L"", theirs, L"", L""}), cutShort},
         PENDING_NOT_CANCELLED,
         {pendingListOf({ourExe, L"", theirs, L"", L""}), cutShort}},
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
