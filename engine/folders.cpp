// Finding the program-files and Start-menu folders by fixed probes, and
// emptying a folder.
//
// The setup program runs with administrator rights, but on Windows every
// user may make folders at c:\ and in c:\ProgramData and owns what they
// make. So a probe's result counts only where no user could have made it:
// a program-files folder that Windows names as one, a Start menu under the
// system's Windows folder, or the very folder Windows names as the
// all-users Programs folder.
#include "engine.h"

#include <stdlib.h>
#include <string.h>

enum {
    NAMED_PROGRAM_FILES_LIMIT = 4,   // two values in each of two registry views
    CSIDL_COMMON_PROGRAMS_ID = 0x17
};

bool probeFolder(const char *candidate, char *path)
{
    char *filePart = nullptr;
    DWORD length = SearchPathA(kProbeRoot, candidate, nullptr, PATH_CAPACITY - 1, path, &filePart);
    // A result that does not fit the capacity returns the size it needs,
    // and the buffer does not hold it.
    return length > 0 && length < PATH_CAPACITY - 1;
}

HMODULE loadSystemLibrary(const char *name)
{
    HMODULE module = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module)
        return module;
    // Systems without the search flags reject them: name the file fully.
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !pathAppendComponent(path, MAX_PATH, name))
        return nullptr;
    return LoadLibraryA(path);
}

// A folder Windows names in HKLM\...\CurrentVersion of the registry view,
// as an absolute path "X:\..." that fits a path buffer.
static bool readNamedFolder(REGSAM view, const char *value, char folder[PATH_CAPACITY])
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = PATH_CAPACITY - 1;
    bool read = RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE *>(folder),
                                 &size) == ERROR_SUCCESS &&
                type == REG_SZ;
    RegCloseKey(key);
    if (!read)
        return false;
    folder[size] = '\0';
    return folder[0] && folder[1] == ':' && folder[2] == '\\';
}

// Collects the program-files folders on drive C: that Windows names: the
// native one of a 64-bit Windows (ProgramFilesDir of the 64-bit view,
// ProgramW6432Dir) and ProgramFilesDir of the program's own view. Returns
// how many.
static int readNamedProgramFiles(char named[][PATH_CAPACITY])
{
    static const char *const kValues[] = {"ProgramFilesDir", "ProgramW6432Dir"};
    static const REGSAM kViews[] = {KEY_WOW64_64KEY, 0};
    int count = 0;
    for (REGSAM view : kViews)
        for (const char *value : kValues) {
            char *folder = named[count];
            if (readNamedFolder(view, value, folder) && (folder[0] == 'c' || folder[0] == 'C'))
                ++count;
        }
    return count;
}

bool findNativeProgramFilesFolder(char *path)
{
    // The 64-bit view is the only one on a 32-bit Windows.
    if (!readNamedFolder(KEY_WOW64_64KEY, "ProgramW6432Dir", path) &&
        !readNamedFolder(KEY_WOW64_64KEY, "ProgramFilesDir", path))
        return false;
    size_t length = strlen(path);
    while (length > 3 && path[length - 1] == '\\')
        path[--length] = '\0';
    // Not a drive's root, where every user may make folders; no byte the
    // record cannot store (0xFF would end its text).
    DWORD attributes = GetFileAttributesA(path);
    return length > 3 && !strchr(path, 0xFF) && attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void findProgramFilesFolder(char *path)
{
    char named[NAMED_PROGRAM_FILES_LIMIT][PATH_CAPACITY];
    int namedCount = readNamedProgramFiles(named);
    char native[PATH_CAPACITY];
    bool nativeExists = findNativeProgramFilesFolder(native);
    for (int i = 0; i < PROGRAM_FILES_CANDIDATE_COUNT; ++i) {
        if (!probeFolder(kProgramFilesCandidates[i], path))
            continue;
        bool counts = namedCount == 0 && !nativeExists;
        for (int n = 0; n < namedCount; ++n)
            counts = counts || pathEqualsIgnoringCase(path, named[n]);
        if (counts)
            return;
    }
    // Never c:\ where Windows names a folder of its own: every user may make
    // and change folders at c:\.
    pathCopy(path, PATH_CAPACITY, nativeExists ? native : kNoProgramFilesFolder);
}

// The volume and file index of a file or folder, through any links.
static bool identify(const char *path, BY_HANDLE_FILE_INFORMATION *info)
{
    HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool known = GetFileInformationByHandle(file, info) != 0;
    CloseHandle(file);
    return known;
}

// True when both paths name the same folder, however they reach it.
static bool sameFolder(const char *a, const char *b)
{
    BY_HANDLE_FILE_INFORMATION first;
    BY_HANDLE_FILE_INFORMATION second;
    return identify(a, &first) && identify(b, &second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

// The all-users Programs folder as the shell names it; "" when it cannot
// tell. The shell is not imported: its DLL comes from the system folder.
static void commonProgramsFolder(char path[MAX_PATH])
{
    typedef HRESULT(WINAPI * GetFolderPathFn)(HWND, int, HANDLE, DWORD, char *);
    path[0] = '\0';
    HMODULE shell = loadSystemLibrary("shell32.dll");
    if (!shell)
        return;
    GetFolderPathFn getFolderPath = reinterpret_cast<GetFolderPathFn>(
        reinterpret_cast<void *>(GetProcAddress(shell, "SHGetFolderPathA")));
    if (!getFolderPath ||
        getFolderPath(nullptr, CSIDL_COMMON_PROGRAMS_ID, nullptr, 0, path) != S_OK)
        path[0] = '\0';
    FreeLibrary(shell);
}

// True when "c:\windows" is the system's Windows folder: only
// administrators can make folders there.
static bool windowsFolderIsTheSystems()
{
    char windows[MAX_PATH];
    UINT length = GetSystemWindowsDirectoryA(windows, MAX_PATH);
    return length > 0 && length < MAX_PATH && pathEqualsIgnoringCase(windows, "c:\\windows");
}

bool findStartMenuFolder(char *path)
{
    char common[MAX_PATH];
    common[0] = '\0';
    for (int i = 0; i < START_MENU_CANDIDATE_COUNT; ++i) {
        if (!probeFolder(kStartMenuCandidates[i], path))
            continue;
        if (i < START_MENU_UNDER_WINDOWS_COUNT) {
            if (windowsFolderIsTheSystems())
                return true;
            continue;
        }
        if (!common[0])
            commonProgramsFolder(common);
        // From here on the path Windows gives, never the candidate's own:
        // a user may have made a link on the way to it and re-point it.
        if (common[0] && sameFolder(path, common) && pathCopy(path, PATH_CAPACITY, common))
            return true;
    }
    return false;
}

// The current directory at any length; null when it cannot be read.
// The caller frees it.
static char *rememberCurrentDirectory()
{
    DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0)
        return nullptr;
    char *saved = static_cast<char *>(malloc(needed));
    if (!saved)
        return nullptr;
    DWORD length = GetCurrentDirectoryA(needed, saved);
    if (length == 0 || length >= needed) {
        free(saved);
        return nullptr;
    }
    return saved;
}

static void restoreCurrentDirectory(char *saved)
{
    if (saved) {
        SetCurrentDirectoryA(saved);
        free(saved);
    }
}

bool emptyFolder(const char *path)
{
    if (!path || strlen(path) >= PATH_CAPACITY)
        return false;
    char *saved = rememberCurrentDirectory();
    if (!SetCurrentDirectoryA(path)) {
        restoreCurrentDirectory(saved);
        return false;
    }
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA("*.*", &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (strcmp(entry.cFileName, ".") != 0 && strcmp(entry.cFileName, "..") != 0)
                DeleteFileA(entry.cFileName);
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    restoreCurrentDirectory(saved);
    return true;
}
