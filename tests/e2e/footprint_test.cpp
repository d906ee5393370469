// The installation's whole footprint: every file and folder of the c: drive
// and every key and value under HKEY_LOCAL_MACHINE\SOFTWARE (and whether
// HKEY_LOCAL_MACHINE\WINRV130 exists) are recorded before the install,
// after it and after the uninstall. What changed between two recordings
// must be exactly what the install or the uninstall is meant to change:
// anything else added, changed or removed fails, and is listed.
//
// On 64-bit Windows the 32-bit program (and this 32-bit test) sees
// HKLM\SOFTWARE as the 32-bit view, SOFTWARE\WOW6432Node, and its
// c:\windows\system32 is SysWOW64. There the recording takes the drive as it
// is, without the file-system redirection, and both registry views: the
// program's as "HKLM\SOFTWARE", the 64-bit one as "HKLM64\SOFTWARE", in
// which the program must change nothing.
#include "e2e_support.h"

#include <tlhelp32.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace testsupport;
using driver::MessageBoxView;
using driver::Program;

namespace {

// What the recording leaves out, and why. Only the test's own scratch
// folder: it holds the copy of the distribution the installer is started
// from and the stand-in application's log, both written by this test.
//
// Nothing that Wine writes by itself needs leaving out. Two recordings with
// nothing in between, and two around starting and ending cmd.exe, come out
// identical (see RecordingIsStableWhileNothingIsInstalled), and the install
// and the uninstall show no change outside their own items: Wine's temp
// folders (c:\windows\temp, c:\users\<name>\Temp), the profiles under
// c:\users, the system32 folder and the SOFTWARE\Microsoft and
// SOFTWARE\Wine keys all stay as they were, so they are recorded like
// everything else.
//
// Folders that lead off the c: drive are recorded as entries, but not
// entered: Wine makes the profile's Desktop, Documents, Downloads, Music,
// Pictures, Videos and Templates links to the Unix home folder, whose
// contents belong to the machine, not to the prefix.
//
// In the 64-bit view, its WOW6432Node is the 32-bit view, which is recorded
// once, under the name the program sees.
const char *const kIgnored[] = {
    "c:\\ravenlook-tests",
    "HKLM64\\SOFTWARE\\WOW6432Node",
};

std::string lowered(std::string text)
{
    for (char &c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool ignored(const std::string &item)
{
    for (const char *folder : kIgnored)
        if (within(item, folder))
            return true;
    return false;
}

// One recorded item: a file or folder ("c:\..."), a key ("HKLM\...") or a
// key's value ("HKLM\...\[name]"), under its name as stored and with what
// it holds. Names are looked up without regard to case, as Windows does;
// a name whose case changed counts as a change.
struct Item {
    std::string name;
    std::string content;
    bool operator==(const Item &other) const
    {
        return name == other.name && content == other.content;
    }
};

class Snapshot {
public:
    void set(const std::string &name, const std::string &content)
    {
        items_[lowered(name)] = Item{name, content};
    }
    const Item *find(const std::string &name) const
    {
        auto found = items_.find(lowered(name));
        return found == items_.end() ? nullptr : &found->second;
    }
    const std::map<std::string, Item> &items() const { return items_; }
    // Takes in another recording's items (of other names).
    void add(const Snapshot &other) { items_.insert(other.items_.begin(), other.items_.end()); }

private:
    std::map<std::string, Item> items_;   // by lower-case name
};

std::string utf8(const std::wstring &wide)
{
    if (wide.empty())
        return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string text(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], size,
                        nullptr, nullptr);
    return text;
}

std::wstring wide(const std::string &ansi)
{
    std::wstring text(ansi.size() + 1, L'\0');
    int size = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, &text[0],
                                   static_cast<int>(text.size()));
    text.resize(size > 0 ? static_cast<size_t>(size - 1) : 0);
    return text;
}

std::string hex64(uint64_t value)
{
    char text[17];
    snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

// Folds the bytes into two 32-bit lanes, a multiply for every four bytes:
// a check against rewrites, not against an adversary, and several times
// faster than a multiply per byte where the recording hashes the whole
// drive (over a gigabyte in a 64-bit prefix), under emulation too.
void hashBytes(const unsigned char *bytes, size_t count, uint32_t lanes[2])
{
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        uint32_t low, high;
        memcpy(&low, bytes + i, 4);
        memcpy(&high, bytes + i + 4, 4);
        lanes[0] = (lanes[0] ^ low) * 0x9E3779B1u;
        lanes[0] ^= lanes[0] >> 15;
        lanes[1] = (lanes[1] ^ high) * 0x85EBCA77u;
        lanes[1] ^= lanes[1] >> 13;
    }
    for (; i < count; ++i)
        lanes[0] = (lanes[0] ^ bytes[i]) * 0x9E3779B1u;
}

// A file's size, last-write time and a hash of its bytes, so that a
// rewrite shows even when it keeps the size and the time.
std::string describeFile(const std::wstring &path, const WIN32_FIND_DATAW &entry)
{
    uint64_t size = (static_cast<uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    uint64_t written = (static_cast<uint64_t>(entry.ftLastWriteTime.dwHighDateTime) << 32) |
                       entry.ftLastWriteTime.dwLowDateTime;
    std::string text = "file size=" + std::to_string(size) + " written=" + hex64(written);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return text + " unreadable";
    static std::vector<unsigned char> chunk(1 << 20);
    uint32_t lanes[2] = {2166136261u, 0x9747B28Cu};
    DWORD got = 0;
    while (ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr) && got > 0)
        hashBytes(chunk.data(), got, lanes);
    CloseHandle(file);
    return text + " hash=" + hex64((static_cast<uint64_t>(lanes[1]) << 32) | lanes[0]);
}

// True when the folder is really somewhere else than where it is listed:
// a reparse point (as Wine reports its links to Unix folders), or a folder
// whose final path is not the path it was reached by.
bool leadsOffTheDrive(const std::wstring &path, DWORD attributes)
{
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return true;
    HANDLE folder = CreateFileW(path.c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return false;
    wchar_t final[MAX_PATH * 4];
    DWORD length = GetFinalPathNameByHandleW(folder, final, MAX_PATH * 4, FILE_NAME_NORMALIZED);
    CloseHandle(folder);
    if (length == 0 || length >= MAX_PATH * 4)
        return false;
    std::string resolved = utf8(std::wstring(final, length));
    if (resolved.compare(0, 4, "\\\\?\\") == 0)
        resolved.erase(0, 4);
    return !within(resolved, utf8(path));
}

void recordFolder(const std::wstring &folder, Snapshot *snapshot)
{
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        std::wstring path = folder + L"\\" + name;
        std::string item = utf8(path);
        if (ignored(item))
            continue;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            snapshot->set(item, describeFile(path, entry));
        } else if (leadsOffTheDrive(path, entry.dwFileAttributes)) {
            snapshot->set(item, "folder, leads off the drive");
        } else {
            snapshot->set(item, "folder");
            recordFolder(path, snapshot);
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
}

// A value's type and its data's bytes, every byte outside printable ASCII
// escaped.
std::string describeValueBytes(DWORD type, const std::string &bytes)
{
    std::string text = "type=" + std::to_string(type) + " data=\"";
    for (char byte : bytes) {
        unsigned char c = static_cast<unsigned char>(byte);
        if (c >= 0x20 && c < 0x7f && c != '\\' && c != '"') {
            text.push_back(byte);
        } else {
            char escaped[5];
            snprintf(escaped, sizeof escaped, "\\x%02x", c);
            text += escaped;
        }
    }
    return text + "\"";
}

// A value as RegEnumValueW gives it; the data of the string types is
// UTF-16 and described as its UTF-8 text.
std::string describeValue(DWORD type, const std::vector<unsigned char> &data)
{
    if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ)
        return describeValueBytes(type, std::string(data.begin(), data.end()));
    std::wstring text(data.size() / 2, L'\0');
    memcpy(&text[0], data.data(), text.size() * 2);
    return describeValueBytes(type, utf8(text));
}

// Records the key and everything below it; view is the registry view every
// subkey is opened in (0, or KEY_WOW64_64KEY for the 64-bit one).
void recordKey(HKEY key, const std::wstring &name, REGSAM view, Snapshot *snapshot)
{
    std::string item = utf8(name);
    if (ignored(item))
        return;
    snapshot->set(item, "key");
    DWORD subKeys = 0, longestSubKey = 0, values = 0, longestValueName = 0, longestData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, &longestSubKey, nullptr, &values,
                         &longestValueName, &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
        snapshot->set(item, "key, unreadable");
        return;
    }
    for (DWORD i = 0; i < values; ++i) {
        std::vector<wchar_t> valueName(longestValueName + 2);
        std::vector<unsigned char> data(longestData + 2);
        DWORD nameLength = static_cast<DWORD>(valueName.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        LONG result = RegEnumValueW(key, i, valueName.data(), &nameLength, nullptr, &type,
                                    data.data(), &dataSize);
        std::string valueItem = item + "\\[" + utf8(std::wstring(valueName.data(), nameLength)) +
                                "]";
        if (result != ERROR_SUCCESS) {
            snapshot->set(item + "\\[#" + std::to_string(i) + "]", "value, unreadable");
            continue;
        }
        data.resize(dataSize);
        if (!ignored(valueItem))
            snapshot->set(valueItem, describeValue(type, data));
    }
    for (DWORD i = 0; i < subKeys; ++i) {
        std::vector<wchar_t> subName(longestSubKey + 2);
        DWORD subLength = static_cast<DWORD>(subName.size());
        if (RegEnumKeyExW(key, i, subName.data(), &subLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            snapshot->set(item + "\\#" + std::to_string(i), "key, unreadable");
            continue;
        }
        std::wstring sub(subName.data(), subLength);
        HKEY child;
        if (RegOpenKeyExW(key, sub.c_str(), 0, KEY_READ | view, &child) != ERROR_SUCCESS) {
            snapshot->set(utf8(name + L"\\" + sub), "key, cannot be opened");
            continue;
        }
        recordKey(child, name + L"\\" + sub, view, snapshot);
        RegCloseKey(child);
    }
}

// True on 64-bit Windows, where this 32-bit process runs under WoW64.
bool underWow64()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

void recordSoftware(const wchar_t *name, REGSAM view, Snapshot *snapshot)
{
    HKEY software;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_READ | view, &software) !=
        ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot open " << utf8(name);
        return;
    }
    recordKey(software, name, view, snapshot);
    RegCloseKey(software);
}

Snapshot takeSnapshot()
{
    // Every key and value read is a round trip to the registry's server: a
    // thread of its own reads the 64-bit view while this one takes the drive
    // and the 32-bit view, which halves the time a recording takes.
    Snapshot view64;
    std::thread other;
    if (underWow64())
        other = std::thread(
            [&view64] { recordSoftware(L"HKLM64\\SOFTWARE", KEY_WOW64_64KEY, &view64); });
    Snapshot snapshot;
    void *redirection = nullptr;
    bool unredirected = underWow64() && Wow64DisableWow64FsRedirection(&redirection);
    recordFolder(L"c:", &snapshot);
    if (unredirected)
        Wow64RevertWow64FsRedirection(redirection);
    recordSoftware(L"HKLM\\SOFTWARE", 0, &snapshot);
    if (other.joinable()) {
        other.join();
        snapshot.add(view64);
    }
    if (keyExists(HKEY_LOCAL_MACHINE, "WINRV130"))
        snapshot.set("HKLM\\WINRV130", "key");
    return snapshot;
}

// Adds the file or folder parent\name to the recording as a recording
// would show it, under the name's case on disk; parent is a recorded name.
void recordOne(const std::string &parent, const std::string &name, Snapshot *snapshot)
{
    WIN32_FIND_DATAW entry;
    std::wstring path = wide(parent + "\\" + name);
    HANDLE find = FindFirstFileW(path.c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << parent << "\\" << name << " is missing";
        return;
    }
    FindClose(find);
    std::string item = parent + "\\" + utf8(entry.cFileName);
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        snapshot->set(item, "folder");
    else
        snapshot->set(item, describeFile(path, entry));
}

// The differences between two recordings, as lower-case names.
struct Differences {
    std::set<std::string> added, removed, changed;
};

Differences compare(const Snapshot &before, const Snapshot &after)
{
    Differences differences;
    for (const auto &item : after.items()) {
        const Item *old = before.find(item.first);
        if (!old)
            differences.added.insert(item.first);
        else if (!(*old == item.second))
            differences.changed.insert(item.first);
    }
    for (const auto &item : before.items())
        if (!after.find(item.first))
            differences.removed.insert(item.first);
    return differences;
}

// The items, one a line, with what they held before and after.
std::string listed(const std::set<std::string> &names, const Snapshot &before,
                   const Snapshot &after)
{
    std::string text;
    for (const std::string &name : names) {
        const Item *was = before.find(name);
        const Item *now = after.find(name);
        text += "\n    " + (now ? now->name : was ? was->name : name);
        if (was)
            text += "\n        was: " + was->name + ": " + was->content;
        if (now)
            text += "\n        now: " + now->name + ": " + now->content;
    }
    return text.empty() ? " (none)" : text;
}

std::set<std::string> loweredAll(const std::set<std::string> &names)
{
    std::set<std::string> result;
    for (const std::string &name : names)
        result.insert(lowered(name));
    return result;
}

// Checks one kind of difference against exactly the expected items.
void expectExactly(const char *what, const std::set<std::string> &actual,
                   const std::set<std::string> &expected, const Snapshot &before,
                   const Snapshot &after)
{
    std::set<std::string> wanted = loweredAll(expected), unexpected, missing;
    for (const std::string &name : actual)
        if (!wanted.count(name))
            unexpected.insert(name);
    for (const std::string &name : wanted)
        if (!actual.count(name))
            missing.insert(name);
    EXPECT_TRUE(unexpected.empty())
        << what << " unexpectedly:" << listed(unexpected, before, after);
    EXPECT_TRUE(missing.empty()) << "not " << what
                                 << ", though expected:" << listed(missing, before, after);
}

void expectDifferences(const Snapshot &before, const Snapshot &after,
                       const std::set<std::string> &added, const std::set<std::string> &removed,
                       const std::set<std::string> &changed)
{
    Differences actual = compare(before, after);
    expectExactly("added", actual.added, added, before, after);
    expectExactly("removed", actual.removed, removed, before, after);
    expectExactly("changed", actual.changed, changed, before, after);
}

// The last part of a path or key name.
std::string leaf(const std::string &name)
{
    size_t slash = name.rfind('\\');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

// Each item a program creates carries the name it was given, in its case
// (the folders it goes into keep theirs: c:\Program Files stays so).
void expectNamedAsGiven(const Snapshot &snapshot, const std::set<std::string> &names)
{
    for (const std::string &name : names) {
        const Item *item = snapshot.find(name);
        if (item) {
            EXPECT_EQ(leaf(item->name), leaf(name)) << item->name;
        }
    }
}

// The names of the record as the recording shows them.
const char kRecordItem[] = "HKLM\\SOFTWARE\\Win310";
const char kRecordValueItem[] = "HKLM\\SOFTWARE\\Win310\\[003]";
const char kEarlierRecordItem[] = "HKLM\\WINRV130";

// A recorded file's size and hash, without its last-write time.
std::string sizeAndHash(const std::string &content)
{
    size_t written = content.find(" written=");
    size_t hash = content.find(" hash=");
    if (written == std::string::npos || hash == std::string::npos)
        return content;
    return content.substr(0, written) + content.substr(hash);
}

// The entry in the list of installed programs: its key and its values.
std::set<std::string> programEntryItems()
{
    const std::string key = std::string("HKLM\\") + kProgramEntryKey;
    std::set<std::string> items = {key};
    for (const auto &value : programEntryFor("", 0))
        items.insert(key + "\\[" + value.first + "]");
    return items;
}

// What an install adds: its folders, files, links, record and entry; the
// links go into menuFolder\Ravenlook v1.3.
std::set<std::string> itemsOfAnInstall(const std::string &menuFolder)
{
    const std::string shortcutDir = menuFolder + "\\Ravenlook v1.3";
    std::set<std::string> items = {kVendorDir,  kInstallDir, menuFolder,
                                   shortcutDir, kRecordItem, kRecordValueItem};
    for (const std::string &item : programEntryItems())
        items.insert(item);
    for (const std::string &name : kInstalledNames)
        items.insert(installed(name));
    for (const std::string &link : kShortcutNames)
        items.insert(shortcutDir + "\\" + link);
    return items;
}

// The compatibility links of Windows Vista to 11, through which a program
// written for older systems reaches the all-users Start menu, as the
// installer's last Start-menu candidate does.
struct CompatibilityLink {
    const char *link, *target;
};
const CompatibilityLink kCompatibilityLinks[] = {
    {"c:\\Documents and Settings", "c:\\users"},
    {"c:\\users\\All Users", "c:\\ProgramData"},
    {"c:\\ProgramData\\Start Menu", "c:\\ProgramData\\Microsoft\\Windows\\Start Menu"},
};
const char kAllUsersPrograms[] = "c:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";

// Windows has the links; a Wine prefix has none, so under Wine they are made
// for the scope (FolderLink) and removed again. A link there under Wine can
// only be this test's, left by a run that was killed: it is taken over.
class CompatibilityLinks {
public:
    CompatibilityLinks()
    {
        for (const CompatibilityLink &entry : kCompatibilityLinks) {
            if (runningUnderWine())
                links_.push_back(std::make_unique<FolderLink>(entry.link, entry.target, true));
            if (runningUnderWine() ? !links_.back()->made() : !isLink(entry.link))
                failure_ += std::string(entry.link) + " is not a link to " + entry.target + ". ";
        }
    }
    const std::string &failure() const { return failure_; }

private:
    std::vector<std::unique_ptr<FolderLink>> links_;
    std::string failure_;
};

class Footprint : public InstallationTest {
protected:
    void SetUp() override
    {
        SKIP_UNLESS_WINE("Windows changes its c: drive and HKLM\\SOFTWARE on its own");
        InstallationTest::SetUp();
    }
    void TearDown() override
    {
        InstallationTest::TearDown();
        deleteTree("c:\\ravenlook-tests\\footprint-source");
    }

    // Installs as a user, and sees the installed application start once and,
    // unless it is to stay running, end.
    void install(const std::string &folder, const e2e::StandInLog &log, bool appEnds = true)
    {
        ASSERT_NO_FATAL_FAILURE(e2e::installThroughWindow(folder));
        ASSERT_EQ(log.lines().size(), 1u) << "the installed application did not start once";
        if (appEnds) {
            ASSERT_TRUE(e2e::applicationsEnded()) << "the installed application did not end";
        }
    }
};

}   // namespace

// Without the installer nothing changes: the recording is stable, and what
// Wine does when a program starts and ends is not taken for a change.
TEST_F(Footprint, RecordingIsStableWhileNothingIsInstalled)
{
    const Snapshot first = takeSnapshot();
    ASSERT_TRUE(first.find("c:\\windows\\system32"));
    ASSERT_TRUE(first.find("HKLM\\SOFTWARE\\Microsoft"));
    if (underWow64()) {
        // Both registry views, and both system folders as they are: the
        // 64-bit kernel32.dll in system32, the 32-bit one in SysWOW64.
        ASSERT_TRUE(first.find("HKLM64\\SOFTWARE\\Microsoft"));
        EXPECT_FALSE(first.find("HKLM64\\SOFTWARE\\WOW6432Node"));
        const Item *native = first.find("c:\\windows\\system32\\kernel32.dll");
        const Item *wow64 = first.find("c:\\windows\\syswow64\\kernel32.dll");
        ASSERT_TRUE(native && wow64);
        EXPECT_NE(native->content, wow64->content);
    }
    const Snapshot second = takeSnapshot();
    {
        SCOPED_TRACE("nothing in between");
        expectDifferences(first, second, {}, {}, {});
    }
    {
        Program program;
        ASSERT_TRUE(program.start("c:\\windows\\system32\\cmd.exe", "/c exit", "c:\\"));
        DWORD exitCode = 12345;
        ASSERT_TRUE(program.waitForExit(&exitCode)) << "cmd.exe did not end";
    }
    const Snapshot third = takeSnapshot();
    {
        SCOPED_TRACE("a program started and ended");
        expectDifferences(second, third, {}, {}, {});
    }
}

TEST_F(Footprint, InstallAndUninstallChangeExactlyTheirOwnFilesAndKeys)
{
    // The machine as the install finds it: a Start menu for the shortcuts,
    // the earlier release's record, the extracted distribution, and the
    // stand-in's log that makes the started application end at once.
    HKEY earlier;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "WINRV130", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &earlier, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(earlier);
    std::string folder = e2e::prepareDistribution("footprint-source");
    e2e::StandInLog log;
    const Snapshot beforeInstall = takeSnapshot();
    ASSERT_TRUE(beforeInstall.find(kEarlierRecordItem));
    ASSERT_TRUE(beforeInstall.find(kStartMenuPrograms));
    ASSERT_FALSE(beforeInstall.find(kVendorDir));

    ASSERT_NO_FATAL_FAILURE(install(folder, log));
    const Snapshot afterInstall = takeSnapshot();

    std::set<std::string> added = itemsOfAnInstall(kMenuVendorDir);
    {
        SCOPED_TRACE("install");
        expectDifferences(beforeInstall, afterInstall, added, {kEarlierRecordItem}, {});
        expectNamedAsGiven(afterInstall, added);
    }
    // The added files are copies of the distribution's.
    for (const InstalledFile &file : kInstalledFiles) {
        const Item *copy = afterInstall.find(installed(file.name));
        if (!copy)
            continue;
        Snapshot source;
        recordOne(folder, file.source, &source);
        const Item *original = source.find(folder + "\\" + file.source);
        ASSERT_NE(original, nullptr) << file.source;
        EXPECT_EQ(sizeAndHash(copy->content), sizeAndHash(original->content))
            << file.name << " is not a copy of " << file.source;
    }
    // The record holds the install directory, each character one higher,
    // with its terminating zero.
    std::string encoded;
    for (char c : std::string(kInstallDir))
        encoded.push_back(static_cast<char>(c + 1));
    encoded.push_back('\0');
    const Item *record = afterInstall.find(kRecordValueItem);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->content, describeValueBytes(REG_SZ, encoded));

    // The user saves a video in a subfolder of the installation; it is the
    // only change between the install and the uninstall.
    ASSERT_TRUE(makeDirectories(installed("videos")));
    ASSERT_TRUE(writeFile(installed("videos\\holiday.avi"), "a holiday video"));
    Snapshot beforeUninstall = afterInstall;
    const std::string installDir = afterInstall.find(kInstallDir)->name;
    recordOne(installDir, "videos", &beforeUninstall);
    recordOne(installDir + "\\videos", "holiday.avi", &beforeUninstall);

    ASSERT_NO_FATAL_FAILURE(e2e::uninstallThroughShortcut());
    const Snapshot afterUninstall = takeSnapshot();

    // Gone: the links, both their folders, the installed files, the record
    // and the entry in the list of installed programs. Kept: the user's
    // subfolder and so the install directory and its parent. The running
    // uninstaller's own file is moved to the Windows folder's Temp, to be
    // deleted there at the restart: the one deletion waiting.
    std::set<std::string> removed = {kShortcutDir, kMenuVendorDir, kRecordItem, kRecordValueItem};
    for (const std::string &link : kShortcutNames)
        removed.insert(shortcut(link));
    for (const std::string &name : kInstalledNames)
        removed.insert(installed(name));
    for (const std::string &item : programEntryItems())
        removed.insert(item);
    const std::vector<std::string> pending = pendingRestartOperations();
    ASSERT_EQ(pending.size(), 1u);
    const std::string parked = pending[0].substr(7);
    EXPECT_TRUE(within(parked, "c:\\windows\\temp")) << parked;
    {
        SCOPED_TRACE("uninstall");
        expectDifferences(beforeUninstall, afterUninstall, {parked}, removed, {});
    }

    // After the restart only the user's video remains, and the folders that
    // hold it.
    ASSERT_NO_FATAL_FAILURE(restartSystem());
    const Snapshot afterRestart = takeSnapshot();
    {
        SCOPED_TRACE("restart");
        expectDifferences(beforeInstall, afterRestart,
                          {kVendorDir, kInstallDir, installed("videos"),
                           installed("videos\\holiday.avi")},
                          {kEarlierRecordItem}, {});
    }
}

// With nothing of the user's in the installation, and the installed
// application left running during the uninstall, the restart completes the
// uninstall: the drive and the registry are exactly as before the install.
TEST_F(Footprint, UninstallAndRestartLeaveTheSystemAsBeforeTheInstall)
{
    std::string folder = e2e::prepareDistribution("footprint-source");
    e2e::StandInLog log(true);   // the application stays
    const Snapshot beforeInstall = takeSnapshot();

    ASSERT_NO_FATAL_FAILURE(install(folder, log, false));
    ASSERT_NO_FATAL_FAILURE(e2e::uninstallThroughShortcut());
    // What is in use waits for the restart: the uninstaller moved out of the
    // way, then the application left running, its folder and the parent.
    std::vector<std::string> pending = pendingRestartOperations();
    ASSERT_EQ(pending.size(), 4u);
    EXPECT_TRUE(within(pending[0].substr(7), "c:\\windows\\temp")) << pending[0];
    EXPECT_EQ(std::vector<std::string>(pending.begin() + 1, pending.end()),
              (std::vector<std::string>{std::string("delete ") + installed("Ravenlook.exe"),
                                        std::string("delete ") + kInstallDir,
                                        std::string("delete ") + kVendorDir}));

    endProcesses(e2e::applications());
    ASSERT_NO_FATAL_FAILURE(restartSystem());
    const Snapshot afterRestart = takeSnapshot();
    expectDifferences(beforeInstall, afterRestart, {}, {}, {});
    EXPECT_TRUE(pendingRestartOperations().empty());
    size_t paths = 0;
    for (const auto &item : afterRestart.items())
        paths += item.second.name.compare(0, 2, "c:") == 0;
    std::cout << "[ INFO     ] compared " << paths << " paths of the drive and "
              << afterRestart.items().size() - paths << " registry keys and values" << std::endl;
}

// Windows 10 and 11 have no Start menu under c:\windows. The installer's
// last Start-menu candidate, c:\documents and settings\all users\start
// menu\programs, reaches the all-users Start menu through the compatibility
// links, also when a user has made the seventh candidate's folder there:
// the shortcuts land in c:\ProgramData\...\Start Menu\Programs, the
// uninstall takes them and their folders and leaves the links, and after
// the restart the system is as before the install. This one runs on
// Windows too; there it records nothing and ends at the restart.
class Windows10StartMenu : public Footprint {
protected:
    void SetUp() override { removeInstallation(); }
    static Snapshot recording() { return runningUnderWine() ? takeSnapshot() : Snapshot(); }
};

TEST_F(Windows10StartMenu, IsReachedThroughTheCompatibilityLinks)
{
    CompatibilityLinks links;
    ASSERT_EQ(links.failure(), "");
    ASSERT_FALSE(directoryExists("c:\\windows\\start menu"));
    // The seventh candidate, made by a user in c:\ProgramData, which every
    // user may: it is not the Start menu, and takes nothing.
    FolderMade planted("c:\\ProgramData\\menu iniciar\\programas");
    const std::string menuFolder = std::string(kAllUsersPrograms) + "\\Ravenlook";
    const std::string shortcutDir = menuFolder + "\\Ravenlook v1.3";
    ASSERT_TRUE(directoryExists(kAllUsersPrograms));
    ASSERT_FALSE(directoryExists(menuFolder));
    std::string folder = e2e::prepareDistribution("footprint-source");
    e2e::StandInLog log;
    const Snapshot beforeInstall = recording();

    ASSERT_NO_FATAL_FAILURE(install(folder, log));
    if (runningUnderWine()) {
        SCOPED_TRACE("install");
        const Snapshot afterInstall = takeSnapshot();
        std::set<std::string> added = itemsOfAnInstall(menuFolder);
        expectDifferences(beforeInstall, afterInstall, added, {}, {});
        expectNamedAsGiven(afterInstall, added);
    }
    EXPECT_EQ(listFolder(shortcutDir),
              (std::vector<std::string>{"Help.lnk", "Inspector.lnk", "Ravenlook.lnk",
                                        "Uninstall.lnk"}));
    LinkFields uninstallLink = readShortcut(shortcutDir + "\\Uninstall.lnk");
    EXPECT_EQ(uninstallLink.path, installed("Ravenlook_inst.exe"));
    EXPECT_EQ(uninstallLink.arguments, "-u");

    ASSERT_NO_FATAL_FAILURE(e2e::uninstallThroughShortcut(shortcutDir));
    EXPECT_FALSE(directoryExists(menuFolder)) << "the emptied Ravenlook folder goes too";
    EXPECT_FALSE(directoryExists(kVendorDir)) << "complete before the restart";
    for (const std::string &operation : pendingRestartOperations())
        EXPECT_FALSE(within(operation.substr(operation.find(' ') + 1), kVendorDir)) << operation;
    for (const CompatibilityLink &entry : kCompatibilityLinks)
        EXPECT_TRUE(isLink(entry.link)) << entry.link << " is left alone";

    RESTART_SYSTEM();
    expectDifferences(beforeInstall, takeSnapshot(), {}, {}, {});
}

// A distribution without the application (a partial extraction, a file a
// virus scanner took away): the install reports it, starts nothing, and
// still records what it copied, so that the entry's uninstall command and
// the restart leave the system exactly as before the install.
TEST_F(Footprint, InstallWithoutTheApplicationGives7AndItsUninstallLeavesNothing)
{
    std::string folder = e2e::prepareDistribution("footprint-source", {"Ravenlook.000"});
    e2e::StandInLog log;
    const Snapshot beforeInstall = takeSnapshot();
    {
        Program program;
        HWND window = e2e::startInstaller(program, folder);
        ASSERT_NE(window, nullptr);
        MessageBoxView box = e2e::pressAgree(program, window);
        ASSERT_NE(box.handle, nullptr);
        EXPECT_EQ(box.text, "Unable to copy installation file. (007)");
        driver::pressButton(box.handle, IDOK);
        ASSERT_TRUE(driver::waitUntil([&] { return !IsWindow(box.handle); }));
        e2e::closeAndExpectExitCode0(program, window);
    }
    EXPECT_TRUE(log.lines(1, 1000).empty()) << "nothing is started";
    EXPECT_FALSE(fileExists(installed("Ravenlook.exe")));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Win310"));
    std::string command = keyValues(HKEY_LOCAL_MACHINE, kProgramEntryKey)["UninstallString"];
    ASSERT_FALSE(command.empty()) << "no entry in the list of installed programs";

    // Settings runs the entry's command in a folder of its own.
    {
        Program program;
        ASSERT_NO_FATAL_FAILURE(
            e2e::concludeUninstall(program, e2e::startByCommand(program, command)));
    }
    ASSERT_NO_FATAL_FAILURE(restartSystem());
    expectDifferences(beforeInstall, takeSnapshot(), {}, {}, {});
}

namespace {

// Runs a command line as a deployment tool does, in a folder of its own,
// and returns its exit code: a window or a box would keep the program
// running, and no window of it may appear meanwhile.
DWORD runSilently(const std::string &commandLine)
{
    Program program;
    EXPECT_TRUE(program.start("", "", "c:\\", commandLine.c_str())) << commandLine;
    bool windowSeen = false;
    driver::waitUntil([&] {
        windowSeen = windowSeen || !driver::topWindows(program.pid(), nullptr, true).empty();
        return !program.running();
    });
    EXPECT_FALSE(windowSeen) << commandLine;
    DWORD exitCode = 12345;
    EXPECT_TRUE(program.waitForExit(&exitCode, 0)) << commandLine << " did not end by itself";
    return exitCode;
}

}   // namespace

// Deployment with no one at the screen: "/S" installs what "Agree" installs,
// with no window and no application started; the entry's quiet command
// removes it all but a file the user left; the exit code says how it went.
TEST_F(Footprint, SilentInstallAndQuietUninstallSayHowTheyWentByTheirExitCode)
{
    std::string folder = e2e::prepareDistribution("footprint-source");
    e2e::StandInLog log;
    const Snapshot beforeInstall = takeSnapshot();
    EXPECT_EQ(runSilently("\"" + folder + "\\Ravenlook_inst.exe\" /S"), 0u);
    EXPECT_TRUE(log.lines(1, 1000).empty()) << "nothing is started";
    {
        SCOPED_TRACE("silent install");
        std::set<std::string> added = itemsOfAnInstall(kMenuVendorDir);
        expectDifferences(beforeInstall, takeSnapshot(), added, {}, {});
    }

    ASSERT_TRUE(writeFile(installed("saved.avi"), "the user's"));
    std::string quiet = keyValues(HKEY_LOCAL_MACHINE, kProgramEntryKey)["QuietUninstallString"];
    DWORD exitCode = runSilently(quiet);
    EXPECT_TRUE(exitCode == 0 || exitCode == 3010) << exitCode;
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kRecordKey));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey));
    EXPECT_FALSE(directoryExists(kMenuVendorDir));
    EXPECT_EQ(listFolder(kInstallDir), std::vector<std::string>{"saved.avi"});
    ASSERT_NO_FATAL_FAILURE(restartSystem());
    EXPECT_EQ(readFile(installed("saved.avi")), "the user's") << "nobody was asked about it";

    // A file where the Ravenlook folder goes: 5, and no box waits for anyone.
    deleteTree(kVendorDir);
    ASSERT_TRUE(writeFile(kVendorDir, "in the way"));
    EXPECT_EQ(runSilently("\"" + folder + "\\Ravenlook_inst.exe\" /S"), 5u);
}
