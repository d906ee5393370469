#include "test_support.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <iterator>

namespace testsupport {

// ---- the product's facts (product_facts.h) ------------------------------------
const char kProgramFiles[] = "c:\\program files";
const char kVendorDir[] = "c:\\program files\\Ravenlook";
const char kInstallDir[] = "c:\\program files\\Ravenlook\\Ravenlook v1.3";
const char kStartMenuPrograms[] = "c:\\windows\\start menu\\programs";
const char kMenuVendorDir[] = "c:\\windows\\start menu\\programs\\Ravenlook";
const char kShortcutDir[] = "c:\\windows\\start menu\\programs\\Ravenlook\\Ravenlook v1.3";

std::string installed(const std::string &name)
{
    return std::string(kInstallDir) + "\\" + name;
}

std::string shortcut(const std::string &name)
{
    return std::string(kShortcutDir) + "\\" + name;
}

const InstalledFile kInstalledFiles[7] = {
    {"LICENSE.txt", "LICENSE.txt"},          {"Ravenlook.001", "Ravenlook.ico"},
    {"Ravenlook.002", "Ravenlook.cfg"},      {"README.html", "README.html"},
    {"Ravenlook.000", "Ravenlook.exe"},      {"Ravenlook.003", "Ravenlook_insp.exe"},
    {"Ravenlook.004", "Ravenlook_inst.exe"},
};
const std::vector<std::string> kInstalledNames = {"LICENSE.txt",       "README.html",
                                                  "Ravenlook.cfg",     "Ravenlook.exe",
                                                  "Ravenlook.ico",     "Ravenlook_insp.exe",
                                                  "Ravenlook_inst.exe"};
const std::vector<std::string> kShortcutNames = {"Help.lnk", "Inspector.lnk", "Ravenlook.lnk",
                                                 "Uninstall.lnk"};
const char kApplicationExe[] = "Ravenlook.exe";

const char kRecordKey[] = "SOFTWARE\\Win310";
const char kProgramEntryKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ravenlook 1.3";

std::map<std::string, std::string> programEntryFor(const std::string &installDir,
                                                   unsigned long sizeKb)
{
    return {
        {"DisplayName", "Ravenlook 1.3"},
        {"DisplayVersion", "1.3"},
        {"Publisher", "Ravenlook Team"},
        {"InstallLocation", installDir},
        {"DisplayIcon", installDir + "\\Ravenlook.ico"},
        {"UninstallString", "\"" + installDir + "\\Ravenlook_inst.exe\" -u"},
        {"QuietUninstallString", "\"" + installDir + "\\Ravenlook_inst.exe\" /S -u"},
        {"NoModify", "dword:1"},
        {"NoRepair", "dword:1"},
        {"EstimatedSize", "dword:" + std::to_string(sizeKb)},
    };
}

const char kCaption[] = "Ravenlook Install";
const char kCompletionText[] =
    "Installation completed!\nDir: c:\\program files\\Ravenlook\\Ravenlook v1.3";
const char kCopyFailedText[] = "Unable to copy installation file. (007)";
const char kUninstallWarning[] =
    "ATTENTION: Videos saved in the installation directory will be removed.\n"
    "\t\tDo you really want to continue?";
const char kUninstallConcluded[] = "Uninstall concluded!";
const char kUninstallRefused[] = "Unable to get installation directory! (012)";
const char kWindowClass[] = "myWindowClass";
const char kApplicationClass[] = "RavenlookStandinApplication";

const char kStandinSettings[] = "Software\\Ravenlook Stand-in";
const char kProgramDecoy[] = "c:\\Program.exe";
const char kProgramDecoyMarker[] = "c:\\ravenlook-tests\\Program.exe made by a test";
const char kWineAppDefaults[] = "Software\\Wine\\AppDefaults\\";

// ---- helpers --------------------------------------------------------------------

std::string windowsPathOf(const std::string &unixPath)
{
    if (unixPath.empty() || unixPath[0] != '/')
        return unixPath;
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string environment(const char *name)
{
    char value[4096];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

bool runningUnderWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::string systemDescription()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    char text[128] = "an unknown system";
    typedef const char *(CDECL * WineVersion)();
    auto wineVersion = reinterpret_cast<WineVersion>(
        reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "wine_get_version")));
    // GetVersionEx tells a program without a manifest Windows 8; ntdll's
    // RtlGetVersion the truth.
    typedef LONG(WINAPI * RtlGetVersion)(OSVERSIONINFOW *);
    auto rtlGetVersion = reinterpret_cast<RtlGetVersion>(
        reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlGetVersion")));
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (wineVersion)
        snprintf(text, sizeof text, "Wine %s", wineVersion());
    else if (rtlGetVersion && rtlGetVersion(&version) == 0)
        snprintf(text, sizeof text, "Windows %lu.%lu.%lu", version.dwMajorVersion,
                 version.dwMinorVersion, version.dwBuildNumber);
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    return std::string(text) + (wow64 ? ", 32-bit program under WoW64" : ", 32-bit system");
}

bool processIsElevated(HANDLE process)
{
    HANDLE token;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return false;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    BOOL known = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
    CloseHandle(token);
    return known && elevation.TokenIsElevated;
}

// The folder of the running test program.
static std::string programFolder()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    std::string folder(path, length);
    return folder.substr(0, folder.rfind('\\'));
}

// Where the test bundle puts each input, relative to the test programs
// (tests/bundle/CMakeLists.txt lays it out so).
struct BundleInput {
    const char *variable;
    const char *relativePath;
};
static const BundleInput kBundleInputs[] = {
    {"RAVENLOOK_INSTALLER", "Ravenlook\\Ravenlook_inst.exe"},
    {"RAVENLOOK_DIST", "Ravenlook"},
    {"RAVENLOOK_CANARY_DIR", "canary"},
    {"RAVENLOOK_CANARY_PROBE", "canary\\canary_probe.exe"},
};

std::string requiredPathFromEnvironment(const char *name)
{
    std::string value = environment(name);
    if (!value.empty())
        return windowsPathOf(value);
    for (const BundleInput &input : kBundleInputs) {
        if (strcmp(input.variable, name) != 0)
            continue;
        std::string path = programFolder() + "\\" + input.relativePath;
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            ADD_FAILURE() << "environment variable " << name << " is not set (ctest sets it), "
                          << "and " << path << " is missing (the test bundle has it)";
        return path;
    }
    ADD_FAILURE() << "environment variable " << name << " is not set (run through ctest)";
    return std::string();
}

bool fileExists(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool directoryExists(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool makeDirectories(const std::string &path)
{
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') {
            std::string level = path.substr(0, i);
            if (!directoryExists(level) && !CreateDirectoryA(level.c_str(), nullptr))
                return false;
        }
    }
    return directoryExists(path);
}

bool writeFile(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string readFile(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

std::vector<std::string> listFolder(const std::string &path)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = entry.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

bool isLink(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool reachedThroughLink(const std::string &path)
{
    for (size_t i = 3; i <= path.size(); ++i)
        if ((i == path.size() || path[i] == '\\') && isLink(path.substr(0, i)))
            return true;
    return false;
}

void deleteTree(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        return;
    }
    for (const std::string &name : listFolder(path))
        deleteTree(path + "\\" + name);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path.c_str());
}

std::string currentDirectory()
{
    char buffer[1024];
    DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

std::string scratchFolder(const std::string &name)
{
    std::string path = "c:\\ravenlook-tests\\" + name;
    deleteTree(path);
    makeDirectories(path);
    return path;
}

bool keyExists(HKEY root, const char *subKey)
{
    HKEY key;
    if (RegOpenKeyExA(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void deleteRecordKeys()
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Win310");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "WINRV130");
}

bool readRawRecord(std::string *bytes, std::string *keyClass, const char *keyName)
{
    HKEY key;
    std::string subKey = std::string("SOFTWARE\\") + keyName;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char className[256];
    DWORD classLength = sizeof className;
    if (keyClass &&
        RegQueryInfoKeyA(key, className, &classLength, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
        keyClass->assign(className, classLength);
    unsigned char data[1024];
    DWORD size = sizeof data;
    DWORD type = 0;
    LONG result = RegQueryValueExA(key, "003", nullptr, &type, data, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return false;
    bytes->assign(reinterpret_cast<char *>(data), size);
    return true;
}

std::string encodedRecord(const std::string &directory)
{
    std::string encoded;
    for (char c : directory)
        encoded.push_back(static_cast<char>(static_cast<unsigned char>(c) + 1));
    encoded.push_back('\0');
    return encoded;
}

void writeRecordFor(const std::string &directory)
{
    std::string encoded = encodedRecord(directory);
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Win310", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "003", 0, REG_SZ, reinterpret_cast<const BYTE *>(encoded.data()),
                   static_cast<DWORD>(encoded.size()));
    RegCloseKey(key);
}

static const char kUninstallList[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
static const char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

std::map<std::string, std::string> keyValues(HKEY root, const char *subKey)
{
    std::map<std::string, std::string> values;
    HKEY key;
    if (RegOpenKeyExA(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD i = 0;; ++i) {
        char name[256];
        unsigned char data[4096];
        DWORD nameLength = sizeof name, size = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS)
            break;
        std::string text;
        if (type == REG_SZ)
            text.assign(reinterpret_cast<char *>(data),
                        size > 0 ? strnlen(reinterpret_cast<char *>(data), size) : 0);
        else if (type == REG_DWORD && size == sizeof(DWORD))
            text = "dword:" + std::to_string(*reinterpret_cast<DWORD *>(data));
        else
            text = "type:" + std::to_string(type);
        values[std::string(name, nameLength)] = text;
    }
    RegCloseKey(key);
    return values;
}

const wchar_t *const kPendingValues[2] = {L"PendingFileRenameOperations",
                                          L"PendingFileRenameOperations2"};

// Every live PendingOperationsKept and RegistryValueSet, so that the
// watchdog can put back what they keep before it ends a hung test program.
static std::vector<PendingOperationsKept *> g_keptLists;
static std::vector<RegistryValueSet *> g_valuesSet;

bool readPendingList(const wchar_t *value, PendingList *list)
{
    *list = PendingList();
    HKEY key;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key);
    if (result != ERROR_SUCCESS)
        return false;
    // Sized and read with the same wide call, at exactly the stored size.
    DWORD size = 0;
    result = RegQueryValueExW(key, value, nullptr, &list->type, nullptr, &size);
    list->bytes.resize(size);
    if (result == ERROR_SUCCESS)
        result = RegQueryValueExW(key, value, nullptr, &list->type, list->bytes.data(), &size);
    RegCloseKey(key);
    list->bytes.resize(size);
    list->present = result == ERROR_SUCCESS;
    if (!list->present)
        *list = PendingList();
    return list->present || result == ERROR_FILE_NOT_FOUND;
}

bool writePendingList(const wchar_t *value, const PendingList &list)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    // A character other than zero follows the data: the system counts a
    // terminator that follows a string value's data as part of it.
    std::vector<BYTE> data = list.bytes;
    data.insert(data.end(), {'X', 0});
    LONG result = list.present ? RegSetValueExW(key, value, 0, list.type, data.data(),
                                                static_cast<DWORD>(list.bytes.size()))
                               : RegDeleteValueW(key, value);
    RegCloseKey(key);
    return result == ERROR_SUCCESS || (!list.present && result == ERROR_FILE_NOT_FOUND);
}

PendingList pendingListOf(std::initializer_list<std::wstring> names, DWORD type)
{
    std::wstring data;
    for (const std::wstring &name : names)
        data += name + L'\0';
    PendingList list;
    list.present = true;
    list.type = type;
    const BYTE *bytes = reinterpret_cast<const BYTE *>(data.data());
    list.bytes.assign(bytes, bytes + data.size() * sizeof(wchar_t));
    return list;
}

// The names of a list up to its end, the last one cut at the end if it
// has no terminator.
static std::vector<std::wstring> namesOf(const PendingList &list)
{
    std::vector<std::wstring> names;
    const wchar_t *p = reinterpret_cast<const wchar_t *>(list.bytes.data());
    const wchar_t *end = p + list.bytes.size() / sizeof(wchar_t);
    while (p < end) {
        names.emplace_back(p, std::find(p, end, L'\0'));
        p += names.back().size() + 1;
    }
    return names;
}

// A source's path in the ANSI code page, without its prefix in any form:
// "\??\" as Wine writes it, "*1\??\" as Windows 10 and 11 do.
static std::string pendingPath(std::wstring wide)
{
    if (!wide.empty() && wide[0] == L'*')
        wide.erase(0, wide.find_first_not_of(L"0123456789", 1));
    if (wide.compare(0, 4, L"\\??\\") == 0)
        wide.erase(0, 4);
    char text[1024];
    int length = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text, sizeof text, nullptr,
                                     nullptr);
    return length > 0 ? text : "?";
}

std::vector<std::string> pendingRestartOperations()
{
    std::vector<std::string> operations;
    for (const wchar_t *value : kPendingValues) {
        PendingList list;
        EXPECT_TRUE(readPendingList(value, &list)) << "cannot read the restart's list";
        std::vector<std::wstring> names = namesOf(list);
        for (size_t i = 0; i + 1 < names.size() && !names[i].empty(); i += 2)
            operations.push_back(names[i + 1].empty() ? "delete " + pendingPath(names[i])
                                                      : "rename " + pendingPath(names[i]) + " " +
                                                            pendingPath(names[i + 1]));
    }
    return operations;
}

// The folders the tests install into and the Start menus they use: their
// own c:\windows\start menu\programs, and on Windows 10 and 11 the
// all-users one behind the compatibility links.
static const char *const kInstallBases[] = {
    "c:\\program files",
    "c:\\arquivos de programas",
    "c:",
    kStartMenuPrograms,
    "c:\\documents and settings\\all users\\start menu\\programs",
    "c:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs",
    "c:\\Programme"};

bool within(const std::string &path, const std::string &folder)
{
    return path.size() >= folder.size() &&
           _strnicmp(path.c_str(), folder.c_str(), folder.size()) == 0 &&
           (path.size() == folder.size() || path[folder.size()] == '\\');
}

// Where an uninstall moves its running uninstaller, to be deleted at the
// next restart: c:\windows\temp\rvl<hex>.tmp.
static const char kParkedFolder[] = "c:\\windows\\temp";
static bool isParkedUninstaller(const std::string &path)
{
    size_t slash = path.rfind('\\');
    return slash == strlen(kParkedFolder) && within(path, kParkedFolder) &&
           _strnicmp(path.c_str() + slash + 1, "rvl", 3) == 0 && path.size() > slash + 8 &&
           _stricmp(path.c_str() + path.size() - 4, ".tmp") == 0;
}

// True when the path lies in an installation the tests make, or in their
// own c:\ravenlook-tests, or is an uninstaller an uninstall moved away.
static bool isOwnPath(const std::string &path)
{
    for (const char *base : kInstallBases)
        if (within(path, std::string(base) + "\\Ravenlook"))
            return true;
    return within(path, "c:\\ravenlook-tests") || isParkedUninstaller(path);
}

void clearPendingRestartOperations()
{
    for (const wchar_t *value : kPendingValues) {
        // A list that cannot be read is never written.
        PendingList list;
        if (!readPendingList(value, &list) || !list.present || list.type != REG_MULTI_SZ ||
            list.bytes.size() % 2 || (!list.bytes.empty() && list.bytes.back()) ||
            (list.bytes.size() >= 2 && list.bytes[list.bytes.size() - 2]))
            continue;
        std::vector<std::wstring> names = namesOf(list);
        std::wstring kept;
        size_t i = 0;
        bool dropped = false, anyName = false;
        for (; i + 1 < names.size() && !names[i].empty(); i += 2) {
            if (isOwnPath(pendingPath(names[i]))) {
                dropped = true;
                continue;
            }
            kept += names[i] + L'\0' + names[i + 1] + L'\0';
        }
        if (!dropped)
            continue;
        // The rest exactly as stored, from the first name not walked.
        size_t restStart = 0;
        for (size_t k = 0; k < i; ++k)
            restStart += names[k].size() + 1;
        const wchar_t *all = reinterpret_cast<const wchar_t *>(list.bytes.data());
        kept.append(all + restStart, list.bytes.size() / sizeof(wchar_t) - restStart);
        for (wchar_t c : kept)
            anyName = anyName || c;
        const BYTE *bytes = reinterpret_cast<const BYTE *>(kept.data());
        list.bytes.assign(bytes, bytes + kept.size() * sizeof(wchar_t));
        list.present = anyName;
        writePendingList(value, list);
    }
}

PendingOperationsKept::PendingOperationsKept()
{
    for (int i = 0; i < 2; ++i)
        known_[i] = readPendingList(kPendingValues[i], &saved_[i]);
    EXPECT_TRUE(known_[0] && known_[1]) << "cannot read the restart's lists";
    g_keptLists.push_back(this);
}

PendingOperationsKept::~PendingOperationsKept()
{
    restore();
    g_keptLists.erase(std::find(g_keptLists.begin(), g_keptLists.end(), this));
}

void PendingOperationsKept::restore() const
{
    // A list that could not be read is left as the test leaves it, never
    // deleted in its stead.
    for (int i = 0; i < 2; ++i)
        if (known_[i])
            writePendingList(kPendingValues[i], saved_[i]);
}

void restoreKeptState()
{
    for (const PendingOperationsKept *kept : g_keptLists)
        kept->restore();
    for (const RegistryValueSet *value : g_valuesSet)
        value->restore();
}

void restartSystem()
{
    char wineboot[MAX_PATH];
    UINT length = GetSystemDirectoryA(wineboot, MAX_PATH);
    ASSERT_TRUE(length > 0 && length < MAX_PATH - 20);
    std::string command = std::string("\"") + wineboot + "\\wineboot.exe\" -r";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process))
        << "cannot start " << command;
    DWORD waited = WaitForSingleObject(process.hProcess, 60000);
    if (waited != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ASSERT_EQ(waited, static_cast<DWORD>(WAIT_OBJECT_0)) << "wineboot -r did not finish";
}

UninstallListUnwritable::UninstallListUnwritable()
{
    HKEY key;
    // Only an empty list can be swapped for a volatile one and back.
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallList, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    DWORD subKeys = 1, values = 1;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (subKeys != 0 || values != 0 ||
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallList) != ERROR_SUCCESS)
        return;
    active_ = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallList, 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS;
    if (active_)
        RegCloseKey(key);
}

UninstallListUnwritable::~UninstallListUnwritable()
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProgramEntryKey);
    if (!active_)
        return;
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallList);
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallList, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS)
        RegCloseKey(key);
}

LinkFields readShortcut(const std::string &linkFile)
{
    LinkFields fields;
    HRESULT init = CoInitialize(nullptr);
    IShellLinkA *link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void **>(&link)))) {
        IPersistFile *persist = nullptr;
        if (SUCCEEDED(
                link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&persist)))) {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, wide, MAX_PATH);
            fields.loaded = SUCCEEDED(persist->Load(wide, STGM_READ));
            // Each buffer pre-filled, so that a field that was never written shows.
            auto field = [](std::string *out, auto get) {
                char text[MAX_PATH] = "?unset?";
                get(text);
                *out = text;
            };
            if (fields.loaded) {
                field(&fields.path,
                      [&](char *t) { link->GetPath(t, MAX_PATH, nullptr, SLGP_RAWPATH); });
                field(&fields.arguments, [&](char *t) { link->GetArguments(t, MAX_PATH); });
                field(&fields.workingDirectory,
                      [&](char *t) { link->GetWorkingDirectory(t, MAX_PATH); });
                field(&fields.description, [&](char *t) { link->GetDescription(t, MAX_PATH); });
                field(&fields.iconLocation,
                      [&](char *t) { link->GetIconLocation(t, MAX_PATH, &fields.iconIndex); });
            }
            persist->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(init))
        CoUninitialize();
    return fields;
}

// Under Wine: the host path of a Windows path; "" elsewhere.
static std::string hostPathOf(const std::string &windowsPath)
{
    using HostPathOf = char *(*)(const WCHAR *);   // a cdecl export of kernel32
    auto hostPath = reinterpret_cast<HostPathOf>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    WCHAR wide[MAX_PATH];
    if (!hostPath || !MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH))
        return std::string();
    char *path = hostPath(wide);
    if (!path)
        return std::string();
    std::string result = path;
    HeapFree(GetProcessHeap(), 0, path);
    return result;
}

// Starts the program (a Windows path, or under Wine a host program by its
// host path: Wine gives no handle to wait for one) with the command line,
// and waits up to 20 s for the state it makes.
template <typename Condition>
static bool runUntil(const std::string &application, std::string commandLine, Condition condition)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(application.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(20))
        if (condition())
            return true;
    return false;
}

std::vector<DWORD> processesWhere(const std::function<bool(const std::string &)> &imageMatches)
{
    std::vector<DWORD> ids;
    HANDLE list = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (list == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(list, &entry); more; more = Process32Next(list, &entry)) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        char image[MAX_PATH];
        DWORD length = MAX_PATH;
        if (process && QueryFullProcessImageNameA(process, 0, image, &length) &&
            imageMatches(std::string(image, length)))
            ids.push_back(entry.th32ProcessID);
        if (process)
            CloseHandle(process);
    }
    CloseHandle(list);
    return ids;
}

void endProcesses(const std::vector<DWORD> &ids)
{
    for (DWORD id : ids) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (!process)
            continue;
        TerminateProcess(process, 99);
        WaitForSingleObject(process, 10000);
        CloseHandle(process);
    }
}

// True when the folder lists the path's name though it cannot be reached:
// a link whose target is gone.
static bool danglingLink(const std::string &path)
{
    size_t slash = path.rfind('\\');
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES || slash == std::string::npos)
        return false;
    std::vector<std::string> names = listFolder(path.substr(0, slash));
    return std::find_if(names.begin(), names.end(), [&](const std::string &name) {
               return _stricmp(name.c_str(), path.c_str() + slash + 1) == 0;
           }) != names.end();
}

// Removes a link a test made, never its target: on Windows a junction goes
// with RemoveDirectoryA; under Wine, whose calls act on the target, the
// host's rm removes it.
static bool removeLink(const std::string &path)
{
    auto gone = [&] {
        return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES && !danglingLink(path);
    };
    if (!runningUnderWine())
        return RemoveDirectoryA(path.c_str()) != 0;
    return runUntil(windowsPathOf("/bin/rm"), "/bin/rm -f \"" + hostPathOf(path) + "\"", gone);
}

void removeInstallation()
{
    endProcesses(processesWhere([](const std::string &image) {
        for (const char *base : kInstallBases)
            if (within(image, std::string(base) + "\\Ravenlook"))
                return true;
        return isParkedUninstaller(image);
    }));
    for (const std::string &name : listFolder(kParkedFolder))
        if (isParkedUninstaller(std::string(kParkedFolder) + "\\" + name))
            DeleteFileA((std::string(kParkedFolder) + "\\" + name).c_str());
    for (const char *base : kInstallBases) {
        std::string vendor = std::string(base) + "\\Ravenlook";
        std::string version = vendor + "\\Ravenlook v1.3";
        for (const std::string &level : {version, vendor})
            if (isLink(level) || danglingLink(level))
                removeLink(level);
        deleteTree(version);
        // A file in the Ravenlook folder's place is a test's too.
        if (fileExists(vendor))
            DeleteFileA(vendor.c_str());
        else
            RemoveDirectoryA(vendor.c_str());
    }
    RemoveDirectoryA(kStartMenuPrograms);
    RemoveDirectoryA("c:\\windows\\start menu");
    deleteRecordKeys();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProgramEntryKey);
    clearPendingRestartOperations();
}

void InstallationTest::SetUp()
{
    removeInstallation();
    ASSERT_TRUE(makeDirectories(kStartMenuPrograms));
}

void removeDecoys()
{
    DeleteFileA(kProgramDecoy);
    DeleteFileA((std::string(kVendorDir) + "\\" + kApplicationExe).c_str());
    DeleteFileA(kProgramDecoyMarker);
}

// The shell's windows (CLSID_ShellWindows) turned to a class nobody serves.
static const char kShellWindowsTreatAs[] =
    "SOFTWARE\\Classes\\CLSID\\{9BA05972-F6A8-11CF-A442-00A0C90A8F39}\\TreatAs";

NoShellAnswers::NoShellAnswers()
{
    static const char kNobody[] = "{0B7E1A6C-3C11-4F0E-9D6B-7A1E5C2B9F00}";
    EXPECT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, kShellWindowsTreatAs, nullptr, REG_SZ, kNobody,
                              sizeof kNobody),
              ERROR_SUCCESS);
}

NoShellAnswers::~NoShellAnswers()
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kShellWindowsTreatAs);
}

void removeLeftovers()
{
    if (fileExists(kProgramDecoyMarker))
        removeDecoys();
    removeInstallation();
    RegDeleteKeyA(HKEY_CURRENT_USER, kStandinSettings);
    if (runningUnderWine())
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kShellWindowsTreatAs);
    for (const std::string &name : listFolder("c:\\ravenlook-tests")) {
        std::string path = "c:\\ravenlook-tests\\" + name;
        if (isLink(path) || danglingLink(path))
            removeLink(path);
    }
    if (runningUnderWine())
        for (const char *program : {"Ravenlook_inst.exe", "Ravenlook.exe", "probe.exe"}) {
            std::string key = std::string(kWineAppDefaults) + program;
            RegDeleteKeyA(HKEY_CURRENT_USER, (key + "\\DllOverrides").c_str());
            RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
        }
}

FolderMade::FolderMade(const std::string &path)
{
    for (size_t i = 3; i <= path.size() && firstMade_.empty(); ++i)
        if ((i == path.size() || path[i] == '\\') && !directoryExists(path.substr(0, i)))
            firstMade_ = path.substr(0, i);
    EXPECT_TRUE(makeDirectories(path)) << path;
}

FolderMade::~FolderMade()
{
    if (!firstMade_.empty())
        deleteTree(firstMade_);
}

FolderLink::FolderLink(const std::string &linkPath, const std::string &target, bool takeOverLink)
    : link_(linkPath)
{
    if (GetFileAttributesA(link_.c_str()) != INVALID_FILE_ATTRIBUTES) {
        made_ = takeOverLink && isLink(link_);
        return;
    }
    auto linked = [&] { return isLink(link_); };
    if (runningUnderWine()) {
        std::string link = hostPathOf(link_), to = hostPathOf(target);
        made_ = !link.empty() && !to.empty() &&
                runUntil(windowsPathOf("/bin/ln"), "/bin/ln -s -T \"" + to + "\" \"" + link + "\"",
                         linked);
    } else {
        char system[MAX_PATH];
        UINT length = GetSystemDirectoryA(system, MAX_PATH);
        std::string cmd = std::string(system, length < MAX_PATH ? length : 0) + "\\cmd.exe";
        made_ = runUntil(cmd, "cmd.exe /c mklink /J \"" + link_ + "\" \"" + target + "\"", linked);
    }
}

FolderLink::~FolderLink()
{
    // The cleanup may have removed it already.
    if (made_ && (isLink(link_) || danglingLink(link_))) {
        EXPECT_TRUE(removeLink(link_)) << "the link " << link_ << " stays";
    }
}

RegistryValueSet::RegistryValueSet(const char *subKey, const char *name, const char *text,
                                   REGSAM view)
    : subKey_(subKey), name_(name), view_(view)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE | view,
                      &key) != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot open " << subKey;
        return;
    }
    DWORD size = 0;
    LONG result = RegQueryValueExA(key, name, nullptr, &type_, nullptr, &size);
    if (result == ERROR_SUCCESS) {
        saved_.resize(size);
        result = RegQueryValueExA(key, name, nullptr, &type_, saved_.data(), &size);
    }
    present_ = result == ERROR_SUCCESS;
    known_ = present_ || result == ERROR_FILE_NOT_FOUND;
    LONG set = !known_ ? ERROR_SUCCESS
               : text  ? RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                                        static_cast<DWORD>(strlen(text) + 1))
                       : RegDeleteValueA(key, name);
    EXPECT_TRUE(set == ERROR_SUCCESS || set == ERROR_FILE_NOT_FOUND) << name << ": " << set;
    RegCloseKey(key);
    g_valuesSet.push_back(this);
}

RegistryValueSet::~RegistryValueSet()
{
    restore();
    g_valuesSet.erase(std::find(g_valuesSet.begin(), g_valuesSet.end(), this));
}

void RegistryValueSet::restore() const
{
    HKEY key;
    if (!known_ || RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey_.c_str(), 0, KEY_SET_VALUE | view_,
                                 &key) != ERROR_SUCCESS)
        return;
    if (present_)
        RegSetValueExA(key, name_.c_str(), 0, type_, saved_.data(),
                       static_cast<DWORD>(saved_.size()));
    else
        RegDeleteValueA(key, name_.c_str());
    RegCloseKey(key);
}

FolderMovedAway::FolderMovedAway(const std::string &path)
    : path_(path), parked_(path + ".parked-by-test")
{
    deleteTree(parked_);
    moved_ = !isLink(path_) && MoveFileA(path_.c_str(), parked_.c_str()) != 0;
}

FolderMovedAway::~FolderMovedAway()
{
    if (moved_)
        MoveFileA(parked_.c_str(), path_.c_str());
}

ProgramWithWindow::ProgramWithWindow(const char *windowClass, int timeoutMs)
{
    for (int waited = 0; !window_ && waited <= timeoutMs; waited += 50) {
        window_ = FindWindowA(windowClass, nullptr);
        if (!window_)
            Sleep(50);
    }
    DWORD id = 0;
    if (window_ && GetWindowThreadProcessId(window_, &id))
        process_ = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
}

ProgramWithWindow::~ProgramWithWindow()
{
    if (!process_)
        return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 10000);
    }
    CloseHandle(process_);
}

bool ProgramWithWindow::close(int timeoutMs)
{
    if (!process_)
        return false;
    PostMessageA(window_, WM_CLOSE, 0, 0);
    return WaitForSingleObject(process_, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
}

}   // namespace testsupport
