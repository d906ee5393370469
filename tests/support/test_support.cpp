#include "test_support.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace testsupport {

const char kProgramFiles[] = "c:\\program files";
const char kInstallDir[] = "c:\\program files\\Ravenlook\\Ravenlook v1.3";
const char kStartMenuPrograms[] = "c:\\windows\\start menu\\programs";
const char kShortcutDir[] = "c:\\windows\\start menu\\programs\\Ravenlook\\Ravenlook v1.3";

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

const char kProgramEntryKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ravenlook 1.3";
static const char kUninstallList[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
static const char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
static const char kPendingOperations[] = "PendingFileRenameOperations";

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

// The strings of PendingFileRenameOperations, as stored: pairs of a source
// and a target, the target empty for a deletion, the paths with the native
// prefix \??\. Empty when the value is missing.
static std::vector<std::wstring> pendingStrings()
{
    std::vector<std::wstring> strings;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return strings;
    std::vector<wchar_t> data(65536);
    DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t)), type = 0;
    LONG result = RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type,
                                   reinterpret_cast<BYTE *>(data.data()), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_MULTI_SZ)
        return strings;
    // The value's end is its size: an empty target is an empty string.
    const wchar_t *end = data.data() + size / sizeof(wchar_t);
    for (const wchar_t *p = data.data(); p < end;) {
        std::wstring text(p, std::find(p, end, L'\0'));
        p += text.size() + 1;
        strings.push_back(text);
    }
    return strings;
}

// A path of PendingFileRenameOperations in the ANSI code page, without its
// native prefix.
static std::string pendingPath(std::wstring wide)
{
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
    std::vector<std::wstring> strings = pendingStrings();
    for (size_t i = 0; i + 1 < strings.size(); i += 2) {
        if (strings[i].empty())
            break;
        std::string source = pendingPath(strings[i]);
        operations.push_back(strings[i + 1].empty()
                                 ? "delete " + source
                                 : "rename " + source + " " + pendingPath(strings[i + 1]));
    }
    return operations;
}

// The folders where the tests install, and where they keep their files.
static const char *const kOwnFolders[] = {
    "c:\\program files\\Ravenlook",
    "c:\\arquivos de programas\\Ravenlook",
    "c:\\Ravenlook",
    "c:\\ravenlook-tests",
};
static const size_t kInstallFolderCount = 3;

// True when the path is one of the first folderCount of the tests' own
// folders or lies below one.
static bool isOwnPath(const std::string &path, size_t folderCount = std::size(kOwnFolders))
{
    for (size_t i = 0; i < folderCount; ++i) {
        const char *folder = kOwnFolders[i];
        size_t length = strlen(folder);
        if (path.size() >= length && _strnicmp(path.c_str(), folder, length) == 0 &&
            (path.size() == length || path[length] == '\\'))
            return true;
    }
    return false;
}

PendingOperationsKept::PendingOperationsKept()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot read the restart's list";
        return;
    }
    // Sized and read with the same call: the ANSI call gives the size of
    // the converted text, which can be too small for the stored one.
    DWORD size = 0;
    LONG result = RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type_, nullptr,
                                   &size);
    if (result == ERROR_SUCCESS) {
        saved_.resize(size);
        result = RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type_,
                                  saved_.data(), &size);
        saved_.resize(result == ERROR_SUCCESS ? size : 0);
    }
    RegCloseKey(key);
    present_ = result == ERROR_SUCCESS;
    known_ = present_ || result == ERROR_FILE_NOT_FOUND;
    if (!known_)
        ADD_FAILURE() << "cannot read the restart's list (" << result << ")";
}

PendingOperationsKept::~PendingOperationsKept()
{
    // A list that could not be read is left as the test leaves it, never
    // deleted in its stead.
    HKEY key;
    if (!known_ ||
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    if (present_)
        RegSetValueExW(key, L"PendingFileRenameOperations", 0, type_, saved_.data(),
                       static_cast<DWORD>(saved_.size()));
    else
        RegDeleteValueA(key, kPendingOperations);
    RegCloseKey(key);
}

void clearPendingRestartOperations()
{
    std::vector<std::wstring> strings = pendingStrings();
    std::vector<wchar_t> kept;
    for (size_t i = 0; i + 1 < strings.size() && !strings[i].empty(); i += 2) {
        if (isOwnPath(pendingPath(strings[i])))
            continue;
        for (size_t k = i; k < i + 2; ++k) {
            kept.insert(kept.end(), strings[k].begin(), strings[k].end());
            kept.push_back(L'\0');
        }
    }
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    if (kept.empty()) {
        RegDeleteValueA(key, kPendingOperations);
    } else {
        kept.push_back(L'\0');
        RegSetValueExW(key, L"PendingFileRenameOperations", 0, REG_MULTI_SZ,
                       reinterpret_cast<const BYTE *>(kept.data()),
                       static_cast<DWORD>(kept.size() * sizeof(wchar_t)));
    }
    RegCloseKey(key);
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
            if (SUCCEEDED(persist->Load(wide, STGM_READ))) {
                char text[MAX_PATH];
                fields.loaded = true;
                // Pre-filled so that a field that was never written shows.
                strcpy(text, "?unset?");
                link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
                fields.path = text;
                strcpy(text, "?unset?");
                link->GetArguments(text, MAX_PATH);
                fields.arguments = text;
                strcpy(text, "?unset?");
                link->GetWorkingDirectory(text, MAX_PATH);
                fields.workingDirectory = text;
                strcpy(text, "?unset?");
                link->GetDescription(text, MAX_PATH);
                fields.description = text;
                strcpy(text, "?unset?");
                link->GetIconLocation(text, MAX_PATH, &fields.iconIndex);
                fields.iconLocation = text;
            }
            persist->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(init))
        CoUninitialize();
    return fields;
}

// Ends the programs a test left running from an installation (the
// application the installer started, an uninstaller), by their process ids:
// their files could not be deleted, and the next test would meet them.
// When one test program runs all its tests, as the test bundle does, the
// application one test started may not have ended when the next begins.
static void endProgramsOfTheInstallation()
{
    HANDLE list = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (list == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(list, &entry); more; more = Process32Next(list, &entry)) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE |
                                         SYNCHRONIZE,
                                     FALSE, entry.th32ProcessID);
        if (!process)
            continue;
        char image[MAX_PATH];
        DWORD length = MAX_PATH;
        if (QueryFullProcessImageNameA(process, 0, image, &length) &&
            isOwnPath(std::string(image, length), kInstallFolderCount)) {
            TerminateProcess(process, 99);
            WaitForSingleObject(process, 5000);
        }
        CloseHandle(process);
    }
    CloseHandle(list);
}

void removeInstallation()
{
    endProgramsOfTheInstallation();
    deleteTree("c:\\program files\\Ravenlook");
    deleteTree("c:\\arquivos de programas");
    deleteTree("c:\\Ravenlook");
    deleteTree("c:\\windows\\start menu");
    deleteTree("c:\\documents and settings\\all users\\start menu\\programs\\Ravenlook");
    deleteRecordKeys();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProgramEntryKey);
    clearPendingRestartOperations();
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
