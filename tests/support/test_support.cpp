#include "test_support.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>

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

std::string requiredPathFromEnvironment(const char *name)
{
    std::string value = environment(name);
    if (value.empty())
        ADD_FAILURE() << "environment variable " << name << " is not set (run through ctest)";
    return windowsPathOf(value);
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

void deleteTree(const std::string &path)
{
    if (!directoryExists(path)) {
        if (fileExists(path)) {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
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

void removeInstallation()
{
    deleteTree("c:\\program files\\Ravenlook");
    deleteTree("c:\\arquivos de programas");
    deleteTree("c:\\Ravenlook");
    deleteTree("c:\\windows\\start menu");
    deleteRecordKeys();
}

FolderMovedAway::FolderMovedAway(const std::string &path)
    : path_(path), parked_(path + ".parked-by-test")
{
    deleteTree(parked_);
    moved_ = MoveFileA(path_.c_str(), parked_.c_str()) != 0;
}

FolderMovedAway::~FolderMovedAway()
{
    if (moved_)
        MoveFileA(parked_.c_str(), path_.c_str());
}

}   // namespace testsupport
