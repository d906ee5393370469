// The installation record, the entry in the list of installed programs and
// the restart's pending file operations against Wine's real registry. Every
// test starts from a registry without the keys and values it writes and
// leaves none behind.
#include "install_record.h"
#include "restart_operations.h"
#include "test_support.h"
#include "uninstall_entry.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
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

// ---- the restart's pending file operations ----------------------------------
namespace {

const wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingValue[] = L"PendingFileRenameOperations";

// Each case writes the whole list; what it held before comes back after.
class PendingDeletions : public ::testing::Test {
protected:
    PendingOperationsKept kept_;
};

// The value's data as the system stores it: each name followed by its
// terminator; a deletion's second name is empty.
std::wstring names(std::initializer_list<std::wstring> list)
{
    std::wstring data;
    for (const std::wstring &name : list) {
        data += name;
        data.push_back(L'\0');
    }
    return data;
}

const std::wstring kEnd(1, L'\0');   // the empty name that ends the list

// Stores exactly the data. A character other than zero follows it in
// memory: the system counts a terminator that follows the data as part of
// a string value.
void writePending(DWORD type, const std::wstring &data)
{
    std::wstring buffer = data + L'X';
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, kPendingValue, 0, type,
                             reinterpret_cast<const BYTE *>(buffer.data()),
                             static_cast<DWORD>(data.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void removePending()
{
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    RegDeleteValueW(key, kPendingValue);
    RegCloseKey(key);
}

// The value's type and data; type 0 when there is no value.
std::pair<DWORD, std::wstring> readPending()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return {0, L"?key?"};
    DWORD type = 0, size = 0;
    LONG result = RegQueryValueExW(key, kPendingValue, nullptr, &type, nullptr, &size);
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1);
    if (result == ERROR_SUCCESS)
        result = RegQueryValueExW(key, kPendingValue, nullptr, &type,
                                  reinterpret_cast<BYTE *>(data.data()), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return {0, L""};
    return {type, std::wstring(data.data(), size / sizeof(wchar_t))};
}

// What an install passes: its files, its directory and the parent.
const char *const kOurPaths[] = {
    "c:\\program files\\Ravenlook\\Ravenlook v1.3\\Ravenlook.exe",
    "c:\\program files\\Ravenlook\\Ravenlook v1.3\\Ravenlook_inst.exe",
    "c:\\program files\\Ravenlook\\Ravenlook v1.3",
    "c:\\program files\\Ravenlook",
};
const wchar_t kOurExe[] = L"\\??\\c:\\program files\\Ravenlook\\Ravenlook v1.3\\Ravenlook.exe";
const wchar_t kOurDir[] = L"\\??\\c:\\program files\\Ravenlook\\Ravenlook v1.3";
const wchar_t kOurParent[] = L"\\??\\c:\\program files\\Ravenlook";

struct PendingCase {
    const char *what;
    DWORD type;   // 0: no value before
    std::wstring before;
    int status;
    DWORD typeAfter;   // 0: no value after
    std::wstring after;
};

}   // namespace

TEST_F(PendingDeletions, OnlyOurDeletionsAreTakenOutOfTheRestartsList)
{
    const PendingCase cases[] = {
        {"foreign deletions and renames stay in their order around ours", REG_MULTI_SZ,
         names({L"\\??\\c:\\other\\a.tmp", L"", kOurExe, L"", L"\\??\\c:\\x\\old",
                L"!\\??\\c:\\x\\new", kOurDir, L"", L"\\??\\c:\\other\\b.tmp", L"", kOurParent,
                L""}) +
             kEnd,
         PENDING_CANCELLED, REG_MULTI_SZ,
         names({L"\\??\\c:\\other\\a.tmp", L"", L"\\??\\c:\\x\\old", L"!\\??\\c:\\x\\new",
                L"\\??\\c:\\other\\b.tmp", L""}) +
             kEnd},
        {"ours in any letter case, one without the prefix: the value goes", REG_MULTI_SZ,
         names({L"\\??\\C:\\PROGRAM FILES\\RAVENLOOK\\RAVENLOOK V1.3\\RAVENLOOK_INST.EXE", L"",
                L"c:\\Program Files\\ravenlook\\ravenlook V1.3", L"", kOurParent, L""}) +
             kEnd,
         PENDING_CANCELLED, 0, L""},
        {"a list without its closing empty name", REG_MULTI_SZ,
         names({kOurExe, L"", L"\\??\\c:\\other\\a.tmp", L""}), PENDING_CANCELLED, REG_MULTI_SZ,
         names({L"\\??\\c:\\other\\a.tmp", L""})},
        {"a rename of our file, and names that only begin like ours", REG_MULTI_SZ,
         names({kOurExe, L"\\??\\c:\\elsewhere.exe", std::wstring(kOurExe) + L".bak", L"",
                std::wstring(kOurParent) + L"2", L""}) +
             kEnd,
         PENDING_NONE_OURS, REG_MULTI_SZ,
         names({kOurExe, L"\\??\\c:\\elsewhere.exe", std::wstring(kOurExe) + L".bak", L"",
                std::wstring(kOurParent) + L"2", L""}) +
             kEnd},
        {"nothing pending", 0, L"", PENDING_NONE_OURS, 0, L""},
        {"a value of another type", REG_SZ, std::wstring(kOurExe) + kEnd, PENDING_LEFT_ALONE,
         REG_SZ, std::wstring(kOurExe) + kEnd},
        {"a last name without its terminator", REG_MULTI_SZ,
         names({kOurExe, L""}) + L"\\??\\c:\\other", PENDING_LEFT_ALONE, REG_MULTI_SZ,
         names({kOurExe, L""}) + L"\\??\\c:\\other"},
    };
    for (const PendingCase &c : cases) {
        SCOPED_TRACE(c.what);
        removePending();
        if (c.type)
            writePending(c.type, c.before);
        EXPECT_EQ(cancelPendingDeletions(kOurPaths, 4), c.status);
        std::pair<DWORD, std::wstring> after = readPending();
        EXPECT_EQ(after.first, c.typeAfter);
        EXPECT_TRUE(after.second == c.after) << "the value is not as expected";
    }
}
