// The floors of the install and uninstall figures under Wine.
//
//   floor_files copy SOURCE_DIR VENDOR_DIR VERSION_DIR
//       creates the two folders and copies the seven files from SOURCE_DIR
//       (the current directory, names relative as the setup program uses them)
//   floor_files delete VERSION_DIR
//       deletes the seven installed files and removes VERSION_DIR
//   Both print "ms=<elapsed milliseconds>" and "failures=<count>", timed
//   inside the process: the file work alone.
//
//   floor_files [-u]
//       the like-for-like floor: a bare window of the setup window's class
//       with its "Agree" button (504) and its "Uninstall > Go..." command
//       (9003) as a second button, driven by bench_driver.exe as the setup
//       program is. 504 does the install's work without its pauses: the
//       same probes, folders, copies, links (COM initialised around each, as
//       the setup program does), record, Apps & features entry and
//       completion box. 9003 asks the same confirmation, then does the
//       uninstall's work without its pause and shows the final box. Each step
//       is timed; when RAVENLOOK_BENCH_STEPS names a file, the times go there
//       as "<step>_ms=<milliseconds>" lines once the box is closed, so that
//       writing them is not part of the time the driver takes. With
//       RAVENLOOK_BENCH_PAUSES set it also sleeps where the setup program
//       pauses (four 1000 ms, one 2000 ms), outside the timed steps: what
//       the pauses cost beyond their length.
//
//   floor_files /S | /S -u
//       the same install or uninstall silently, as the setup program's
//       switches run it: from the program's own folder (the distribution,
//       or the installed copy for the uninstall), no window, no box, no
//       pauses, no steps written; the uninstall deletes only the seven
//       installed files. Exit code 0, 3010 when a file of ours waits for
//       the restart, 16 without LICENSE.txt beside it.
//
// The folder candidates, file rows and record encoding are the setup
// program's own tables. The Windows calls are written out plainly here and
// not taken from the setup program's helpers, so that whatever those add
// to the same calls shows as a difference.
#include <windows.h>

#include "../engine/tables.h"
#include "../record/pending_list.h"
#include "../record/record_codec.h"
#include "bench_clock.h"

#include <objbase.h>
#include <shlobj.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char kCaption[] = "Ravenlook Install";
const char kUninstallWarning[] =
    "ATTENTION: Videos saved in the installation directory will be removed.\n"
    "\t\tDo you really want to continue?";
const char kRecordKey[] = "Win310";
const char kRecordPath[] = "SOFTWARE\\Win310";
const char kEntryKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ravenlook 1.3";

enum { ID_AGREE = 504, ID_UNINSTALL = 9003, ID_TEXT = 512 };
// Exit codes of the silent runs, as the setup program's.
enum { EXIT_LICENSE_MISSING = 16, EXIT_RESTART_PENDING = 3010 };

// ---- the steps' times ------------------------------------------------------

// The current run's steps: their names and milliseconds.
enum { STEP_COUNT = 4 };
const char *const *g_stepNames;
double g_stepMs[STEP_COUNT];

void startSteps(const char *const names[STEP_COUNT])
{
    g_stepNames = names;
    for (double &ms : g_stepMs)
        ms = 0;
}

// Adds the time since start to a step; returns the time now, the next start.
double addStep(int step, double start)
{
    double now = nowMs();
    g_stepMs[step] += now - start;
    return now;
}

void writeSteps()
{
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("RAVENLOOK_BENCH_STEPS", path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    for (int i = 0; i < STEP_COUNT; ++i) {
        char line[64];
        int n = _snprintf(line, sizeof line - 1, "%s_ms=%.3f\n", g_stepNames[i], g_stepMs[i]);
        DWORD written;
        if (n > 0)
            WriteFile(file, line, static_cast<DWORD>(n), &written, nullptr);
    }
    CloseHandle(file);
}

// Sleeps where the setup program pauses, when asked to; returns the time
// after it, the start of the next step.
double pause(DWORD ms)
{
    char value[8];
    if (GetEnvironmentVariableA("RAVENLOOK_BENCH_PAUSES", value, sizeof value))
        Sleep(ms);
    return nowMs();
}

// ---- paths and folders -----------------------------------------------------

// out = path, cut at MAX_PATH - 1 bytes.
void copyPath(char *out, const char *path)
{
    _snprintf(out, MAX_PATH - 1, "%s", path);
    out[MAX_PATH - 1] = '\0';
}

// out = folder + "\" + name; false when it does not fit.
bool joinPath(char *out, const char *folder, const char *name)
{
    int n = _snprintf(out, MAX_PATH - 1, "%s\\%s", folder, name);
    out[MAX_PATH - 1] = '\0';
    return n >= 0 && n < MAX_PATH - 1;
}

// The first candidate SearchPathA finds under "c:\", into path.
bool probe(const char *const *candidates, int count, char *path)
{
    for (int i = 0; i < count; ++i) {
        char *filePart = nullptr;
        DWORD length = SearchPathA(kProbeRoot, candidates[i], nullptr, MAX_PATH - 1, path,
                                   &filePart);
        if (length > 0 && length < MAX_PATH - 1)
            return true;
    }
    return false;
}

// folder\Ravenlook into vendor and folder\Ravenlook\Ravenlook v1.3 into
// folder; false when they do not fit.
bool versionFolder(char *folder, char *vendor)
{
    return joinPath(vendor, folder, kVendorFolder) && joinPath(folder, vendor, kVersionFolder);
}

// A folder made, or one that stands there already.
bool makeFolder(const char *folder)
{
    if (CreateDirectoryA(folder, nullptr))
        return true;
    DWORD attributes = GetFileAttributesA(folder);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Both folders made (an existing one is kept as it is); the version
// folder's path into folder.
bool makeVersionFolder(char *folder)
{
    char vendor[MAX_PATH];
    return versionFolder(folder, vendor) && makeFolder(vendor) && makeFolder(folder);
}

// The folder's parent: the path up to its last backslash.
void parentOf(char *out, const char *folder)
{
    copyPath(out, folder);
    char *cut = strrchr(out, '\\');
    if (cut)
        *cut = '\0';
}

// An installed file without the read-only mark a distribution may carry.
void clearReadOnly(const char *file)
{
    DWORD attributes = GetFileAttributesA(file);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(file, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

// One list of the restart's pending file operations, as stored, and the
// copy with our deletions taken out.
struct PendingList {
    DWORD type, size;   // size in bytes
    WCHAR *data;        // null when the list is absent
    WCHAR *kept;
    size_t length;   // characters of kept
    int filtered;    // a PendingListResult
};
const wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t *const kPendingLists[] = {L"PendingFileRenameOperations",
                                        L"PendingFileRenameOperations2"};

// Reads a list whole; false when it cannot be.
bool readList(HKEY key, const wchar_t *value, PendingList *list)
{
    memset(list, 0, sizeof *list);
    LONG queried = RegQueryValueExW(key, value, nullptr, &list->type, nullptr, &list->size);
    if (queried != ERROR_SUCCESS)
        return queried == ERROR_FILE_NOT_FOUND;
    list->data = static_cast<WCHAR *>(malloc(list->size + sizeof(WCHAR)));
    DWORD read = list->size;
    return list->data &&
           RegQueryValueExW(key, value, nullptr, &list->type, reinterpret_cast<BYTE *>(list->data),
                            &read) == ERROR_SUCCESS &&
           read == list->size;
}

// Takes the restart's deletions of the installed files and of both folders
// out of both lists, as the install does once its folders are held: both
// read and filtered in memory, read again just before the writes, written
// only when unchanged. The bench forgets the deletions after each run, so
// none is ours here and nothing is written.
void cancelPendingDeletions(const char *installDir)
{
    enum { PATH_COUNT = INSTALL_FILE_COUNT + 2 };
    static WCHAR wide[PATH_COUNT][MAX_PATH];
    const char16_t *paths[PATH_COUNT];
    char path[MAX_PATH];
    int count = 0;
    for (int i = 0; i < PATH_COUNT; ++i) {
        if (i < INSTALL_FILE_COUNT)
            joinPath(path, installDir, kInstallFiles[i].destination);
        else if (i == INSTALL_FILE_COUNT)
            copyPath(path, installDir);
        else
            parentOf(path, installDir);
        if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide[count], MAX_PATH)) {
            paths[count] = reinterpret_cast<const char16_t *>(wide[count]);
            ++count;
        }
    }
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                      &key) != ERROR_SUCCESS)
        return;
    PendingList lists[2], again[2];
    bool usable = true, ours = false;
    for (int i = 0; i < 2; ++i)
        usable = readList(key, kPendingLists[i], &lists[i]) && usable;
    for (PendingList &list : lists) {
        if (usable && list.data)
            list.kept = static_cast<WCHAR *>(malloc(list.size + sizeof(WCHAR)));
        if (!list.kept)
            continue;
        memcpy(list.kept, list.data, list.size);
        list.length = list.size / sizeof(WCHAR);
        list.filtered = filterPendingList(reinterpret_cast<char16_t *>(list.kept), &list.length,
                                          list.type == REG_MULTI_SZ && list.size % 2 == 0, paths,
                                          count);
        usable = usable && list.filtered != PENDING_LIST_DAMAGED;
        ours = ours || list.filtered != PENDING_LIST_NONE_OURS;
    }
    memset(again, 0, sizeof again);
    for (int i = 0; i < 2 && usable && ours; ++i)
        usable = readList(key, kPendingLists[i], &again[i]) && again[i].type == lists[i].type &&
                 again[i].size == lists[i].size &&
                 (!lists[i].data || memcmp(again[i].data, lists[i].data, lists[i].size) == 0);
    for (int i = 0; i < 2 && usable && ours; ++i) {
        if (lists[i].filtered == PENDING_LIST_EMPTIED)
            RegDeleteValueW(key, kPendingLists[i]);
        else if (lists[i].filtered == PENDING_LIST_FILTERED)
            RegSetValueExW(key, kPendingLists[i], 0, REG_MULTI_SZ,
                           reinterpret_cast<const BYTE *>(lists[i].kept),
                           static_cast<DWORD>(lists[i].length * sizeof(WCHAR)));
    }
    for (int i = 0; i < 2; ++i) {
        free(lists[i].data);
        free(lists[i].kept);
        free(again[i].data);
    }
    RegCloseKey(key);
}

// One folder Windows names in the registry view, into folder.
bool readNamedFolder(REGSAM view, const char *value, char *folder)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = MAX_PATH - 1;
    bool read = RegQueryValueExA(key, value, nullptr, nullptr, reinterpret_cast<BYTE *>(folder),
                                 &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    folder[read ? size : 0] = '\0';
    return read;
}

// Reads the program-files folders Windows names, in both registry views,
// as the lookup does before it trusts a candidate; true with the native one
// in native when it exists, the lookup's fallback.
bool readNamedProgramFiles(char *native)
{
    static const REGSAM kViews[] = {KEY_WOW64_64KEY, 0};
    static const char *const kValues[] = {"ProgramFilesDir", "ProgramW6432Dir"};
    for (REGSAM view : kViews)
        for (const char *value : kValues)
            readNamedFolder(view, value, native);
    return (readNamedFolder(KEY_WOW64_64KEY, "ProgramW6432Dir", native) ||
            readNamedFolder(KEY_WOW64_64KEY, "ProgramFilesDir", native)) &&
           GetFileAttributesA(native) != INVALID_FILE_ATTRIBUTES;
}

// True when the held object is a plain folder, no link: asked of the
// handle (attributes and reparse tag), then of the path, as the program asks.
bool heldIsPlainFolder(HANDLE held, const char *folder)
{
    const DWORD kKind = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    FILE_ATTRIBUTE_TAG_INFO info;
    if (!GetFileInformationByHandleEx(held, FileAttributeTagInfo, &info, sizeof info) ||
        info.ReparseTag != 0 || (info.FileAttributes & kKind) != FILE_ATTRIBUTE_DIRECTORY)
        return false;
    DWORD attributes = GetFileAttributesA(folder);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & kKind) == FILE_ATTRIBUTE_DIRECTORY;
}

// Holds both levels of a version folder open without delete sharing, as
// the program does while it works in them, each checked for a link.
void holdVersionFolder(const char *folder, HANDLE held[2])
{
    char vendor[MAX_PATH];
    parentOf(vendor, folder);
    const char *levels[] = {vendor, folder};
    for (int i = 0; i < 2; ++i) {
        held[i] = CreateFileA(levels[i], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        // A link is refused, as the program refuses it (never the case here).
        if (held[i] != INVALID_HANDLE_VALUE && !heldIsPlainFolder(held[i], levels[i])) {
            CloseHandle(held[i]);
            held[i] = INVALID_HANDLE_VALUE;
        }
    }
}

void releaseFolders(HANDLE held[2])
{
    for (int i = 0; i < 2; ++i)
        if (held[i] != INVALID_HANDLE_VALUE)
            CloseHandle(held[i]);
}

// Deletes the plain files directly in the folder, entered as the current
// directory, which is restored afterwards.
void emptyFolder(const char *folder)
{
    char saved[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(sizeof saved, saved);
    bool restore = length > 0 && length < sizeof saved;
    if (!SetCurrentDirectoryA(folder))
        return;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA("*.*", &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (strcmp(entry.cFileName, ".") != 0 && strcmp(entry.cFileName, "..") != 0)
                DeleteFileA(entry.cFileName);
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    if (restore)
        SetCurrentDirectoryA(saved);
}

// ---- the install -----------------------------------------------------------

enum { STEP_PROBES, STEP_COPIES, STEP_LINKS, STEP_RECORD };
const char *const kInstallSteps[STEP_COUNT] = {"probes", "copies", "links", "record"};

// One shortcut through the shell's link object, COM initialised around it.
void writeLink(const ShortcutRow &row, const char *folder, const char *installDir,
               const char *target)
{
    char linkFile[MAX_PATH];
    WCHAR widePath[MAX_PATH];
    if (!joinPath(linkFile, folder, row.linkFile) ||
        !MultiByteToWideChar(CP_ACP, 0, linkFile, -1, widePath, MAX_PATH))
        return;
    HRESULT init = CoInitialize(nullptr);
    if (init != S_OK) {
        if (SUCCEEDED(init))
            CoUninitialize();
        return;
    }
    IShellLinkA *link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void **>(&link)))) {
        link->SetPath(target);
        link->SetDescription("");
        link->SetWorkingDirectory(installDir);
        char icon[MAX_PATH];
        if (row.withIcon && joinPath(icon, installDir, kIconFile))
            link->SetIconLocation(icon, 0);
        if (row.arguments[0])
            link->SetArguments(row.arguments);
        IPersistFile *persist = nullptr;
        if (SUCCEEDED(
                link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&persist)))) {
            persist->Save(widePath, TRUE);
            persist->Release();
        }
        link->Release();
    }
    CoUninitialize();
}

// HKLM\SOFTWARE\Win310, value "003": the encoded install directory.
void writeRecord(const char *installDir)
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "WINRV130");
    HKEY software;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ALL_ACCESS, &software) !=
        ERROR_SUCCESS)
        return;
    HKEY key;
    DWORD disposition = 0;
    char className[] = "WinCL310";
    if (RegCreateKeyExA(software, kRecordKey, 0, className, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, &disposition) == ERROR_SUCCESS) {
        unsigned char encoded[RECORD_ENCODE_CAPACITY];
        size_t length = encodeInstallPath(installDir, encoded, sizeof encoded);
        if (length)
            RegSetValueExA(key, "003", 0, REG_SZ, encoded, static_cast<DWORD>(length));
        RegCloseKey(key);
    }
    RegCloseKey(software);
}

void setText(HKEY key, const char *name, const char *text)
{
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                   static_cast<DWORD>(strlen(text) + 1));
}

void setNumber(HKEY key, const char *name, DWORD number)
{
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), sizeof number);
}

// The Apps & features entry, with the installed files' size in KB.
void writeEntry(const char *installDir)
{
    ULONGLONG bytes = 0;
    for (const InstallFileRow &row : kInstallFiles) {
        char path[MAX_PATH];
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (joinPath(path, installDir, row.destination) &&
            GetFileAttributesExA(path, GetFileExInfoStandard, &data))
            bytes += (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    char icon[MAX_PATH];
    char command[MAX_PATH];
    char quietCommand[MAX_PATH];
    joinPath(icon, installDir, kIconFile);
    _snprintf(command, sizeof command - 1, "\"%s\\Ravenlook_inst.exe\" -u", installDir);
    command[sizeof command - 1] = '\0';
    _snprintf(quietCommand, sizeof quietCommand - 1, "\"%s\\Ravenlook_inst.exe\" /S -u",
              installDir);
    quietCommand[sizeof quietCommand - 1] = '\0';

    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kEntryKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    setText(key, "DisplayName", "Ravenlook 1.3");
    setText(key, "DisplayVersion", "1.3");
    setText(key, "Publisher", "Ravenlook Team");
    setText(key, "InstallLocation", installDir);
    setText(key, "DisplayIcon", icon);
    setText(key, "UninstallString", command);
    setText(key, "QuietUninstallString", quietCommand);
    setNumber(key, "NoModify", 1);
    setNumber(key, "NoRepair", 1);
    setNumber(key, "EstimatedSize", static_cast<DWORD>((bytes + 1023) / 1024));
    RegCloseKey(key);
}

// The install; with a window, the completion box and the steps' times
// after it, without one (silent) neither. Returns the silent exit code.
int install(HWND window)
{
    startSteps(kInstallSteps);
    double at = pause(1000);
    char installDir[MAX_PATH];
    char linkFolder[MAX_PATH];
    char native[MAX_PATH];
    bool nativeExists = readNamedProgramFiles(native);
    if (!probe(kProgramFilesCandidates, PROGRAM_FILES_CANDIDATE_COUNT, installDir))
        copyPath(installDir, nativeExists ? native : kNoProgramFilesFolder);
    HANDLE installHeld[2], linkHeld[2] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
    bool built = makeVersionFolder(installDir);
    holdVersionFolder(installDir, installHeld);
    cancelPendingDeletions(installDir);
    addStep(STEP_PROBES, at);
    at = pause(1000);
    bool linked = probe(kStartMenuCandidates, START_MENU_CANDIDATE_COUNT, linkFolder) &&
                  makeVersionFolder(linkFolder);
    if (linked)
        holdVersionFolder(linkFolder, linkHeld);
    addStep(STEP_PROBES, at);
    at = pause(1000);

    for (const InstallFileRow &row : kInstallFiles) {
        char target[MAX_PATH];
        if (!built || !joinPath(target, installDir, row.destination))
            continue;
        clearReadOnly(target);
        bool copied = CopyFileA(row.source, target, FALSE) != 0;
        if (copied) {
            clearReadOnly(target);
            char stream[MAX_PATH];
            int n = _snprintf(stream, MAX_PATH - 1, "%s:Zone.Identifier", target);
            stream[MAX_PATH - 1] = '\0';
            if (n >= 0 && n < MAX_PATH - 1)
                DeleteFileA(stream);
        }
        at = addStep(STEP_COPIES, at);
        if (copied && linked && row.shortcut) {
            writeLink(*row.shortcut, linkFolder, installDir, target);
            at = addStep(STEP_LINKS, at);
        }
    }

    releaseFolders(linkHeld);
    releaseFolders(installHeld);
    at = pause(1000);
    writeRecord(installDir);
    writeEntry(installDir);
    addStep(STEP_RECORD, at);

    char completion[MAX_PATH + 32];
    _snprintf(completion, sizeof completion - 1, "Installation completed!\nDir: %s", installDir);
    completion[sizeof completion - 1] = '\0';
    if (window) {
        MessageBoxA(window, completion, kCaption, MB_OK);
        writeSteps();
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return 0;
}

// ---- the uninstall ---------------------------------------------------------

enum { STEP_SHORTCUTS, STEP_READ, STEP_FILES, STEP_KEYS };
const char *const kUninstallSteps[STEP_COUNT] = {"shortcuts", "read", "files", "keys"};

// The install directory from the record; false when it cannot be read.
bool readRecord(char *installDir)
{
    HKEY software;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ALL_ACCESS, &software) !=
        ERROR_SUCCESS)
        return false;
    HKEY key;
    DWORD size = MAX_PATH - 1;
    bool read = false;
    if (RegOpenKeyExA(software, kRecordKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        read = RegQueryValueExA(key, "003", nullptr, nullptr, reinterpret_cast<BYTE *>(installDir),
                                &size) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    RegCloseKey(software);
    if (read)
        decodeInstallPath(installDir, size);
    return read;
}

// Moves the running program's own file, when it is the installed one, out
// of the install directory into the Windows folder's Temp under a name of
// its own, to be deleted there at the next start; where it cannot be
// moved it stays.
void parkOwnFile(const char *installDir)
{
    char self[MAX_PATH], installed[MAX_PATH], windows[MAX_PATH], temp[MAX_PATH], parked[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    UINT windowsLength = GetSystemWindowsDirectoryA(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || windowsLength == 0 || windowsLength >= MAX_PATH ||
        !joinPath(installed, installDir, kUninstallerFile) || lstrcmpiA(self, installed) != 0 ||
        !joinPath(temp, windows, "Temp") || !GetTempFileNameA(temp, "rvl", 0, parked))
        return;
    if (MoveFileExA(self, parked, MOVEFILE_REPLACE_EXISTING))
        MoveFileExA(parked, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    else
        DeleteFileA(parked);
}

// Parks the running copy, then empties the install directory (silent: only
// the seven installed files) and removes it; what stays is deleted at the
// next start of the system, and so are the directory and its parent. True
// when a file of ours waits for it.
bool removeInstallDir(const char *installDir, bool silent)
{
    char vendor[MAX_PATH];
    parentOf(vendor, installDir);
    HANDLE held[2];
    holdVersionFolder(installDir, held);
    parkOwnFile(installDir);
    if (!silent)
        emptyFolder(installDir);
    for (const InstallFileRow &row : kInstallFiles) {
        char path[MAX_PATH];
        if (silent && joinPath(path, installDir, row.destination))
            DeleteFileA(path);
    }
    releaseFolders(held);
    if (RemoveDirectoryA(installDir)) {
        RemoveDirectoryA(vendor);
        return false;
    }
    bool waits = false;
    for (const InstallFileRow &row : kInstallFiles) {
        char path[MAX_PATH];
        if (joinPath(path, installDir, row.destination) &&
            GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
            MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
            waits = true;
        }
    }
    if (waits) {
        MoveFileExA(installDir, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        MoveFileExA(vendor, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    return waits;
}

// The uninstall; with a window, its confirmation, the final box and the
// steps' times after it, without one (silent) none of them. Returns the
// silent exit code.
int uninstall(HWND window)
{
    if (window &&
        MessageBoxA(window, kUninstallWarning, kCaption, MB_OKCANCEL | MB_DEFBUTTON2) != IDOK)
        return 0;
    startSteps(kUninstallSteps);
    double at = pause(2000);
    char linkFolder[MAX_PATH];
    char vendor[MAX_PATH];
    if (probe(kStartMenuCandidates, START_MENU_CANDIDATE_COUNT, linkFolder) &&
        versionFolder(linkFolder, vendor)) {
        HANDLE held[2];
        holdVersionFolder(linkFolder, held);
        emptyFolder(linkFolder);
        releaseFolders(held);
        RemoveDirectoryA(linkFolder);
        RemoveDirectoryA(vendor);
    }
    at = addStep(STEP_SHORTCUTS, at);

    char installDir[MAX_PATH];
    bool recorded = readRecord(installDir);
    char system[MAX_PATH];
    UINT length = GetSystemDirectoryA(system, sizeof system);
    if (length > 0 && length < sizeof system)
        SetCurrentDirectoryA(system);
    at = addStep(STEP_READ, at);

    bool waits = recorded && removeInstallDir(installDir, window == nullptr);
    at = addStep(STEP_FILES, at);

    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kRecordPath);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEntryKey);
    addStep(STEP_KEYS, at);

    if (window) {
        MessageBoxA(window, "Uninstall concluded!", kCaption, MB_OK);
        writeSteps();
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return waits ? EXIT_RESTART_PENDING : 0;
}

// ---- the window ------------------------------------------------------------

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == ID_AGREE)
            install(window);
        else if (LOWORD(wParam) == ID_UNINSTALL)
            uninstall(window);
        return 0;
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

HWND makeChild(HWND parent, const char *className, const char *text, int id, int top, DWORD style)
{
    return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, 24, top, 450, 24,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr,
                           nullptr);
}

int runWindow()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_MENU + 1);
    wc.lpszClassName = "myWindowClass";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(WS_EX_CLIENTEDGE, "myWindowClass", kCaption,
                                  WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 260, 50, 505, 200, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    if (!window)
        return 1;
    // The driver starts pressing once the agreement box (512) has text.
    makeChild(window, "EDIT", "The install's floor: the same work, no pauses.", ID_TEXT, 24,
              WS_BORDER | ES_READONLY);
    makeChild(window, "BUTTON", "Agree", ID_AGREE, 64, BS_PUSHBUTTON);
    makeChild(window, "BUTTON", "Uninstall", ID_UNINSTALL, 104, BS_PUSHBUTTON);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

// The uninstaller and a silent run work in the program's own folder, as the
// setup program's do.
void enterOwnFolder()
{
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        char folder[MAX_PATH];
        parentOf(folder, self);
        SetCurrentDirectoryA(folder);
    }
}

// "/S": the install with no window, when the licence is there to accept.
int installSilently()
{
    FILE *licence = fopen("LICENSE.txt", "rb");
    if (!licence)
        return EXIT_LICENSE_MISSING;
    fclose(licence);
    return install(nullptr);
}

}   // namespace

int main(int argc, char **argv)
{
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    bool uninstaller = argc == 2 && strcmp(argv[1], "-u") == 0;
    bool silentInstall = argc == 2 && strcmp(argv[1], "/S") == 0;
    bool silentUninstall = argc == 3 && strcmp(argv[1], "/S") == 0 && strcmp(argv[2], "-u") == 0;
    if (uninstaller || silentInstall || silentUninstall)
        enterOwnFolder();
    if (argc == 1 || uninstaller)
        return runWindow();
    if (silentInstall)
        return installSilently();
    if (silentUninstall)
        return uninstall(nullptr);
    int failures = 0;
    double start = 0, end = 0;
    if (argc == 5 && strcmp(argv[1], "copy") == 0) {
        if (!SetCurrentDirectoryA(argv[2])) {
            fprintf(stderr, "floor_files: no folder %s\n", argv[2]);
            return 2;
        }
        start = nowMs();
        CreateDirectoryA(argv[3], nullptr);
        CreateDirectoryA(argv[4], nullptr);
        for (const InstallFileRow &row : kInstallFiles) {
            char target[MAX_PATH];
            if (!joinPath(target, argv[4], row.destination) ||
                !CopyFileA(row.source, target, FALSE))
                ++failures;
        }
        end = nowMs();
    } else if (argc == 3 && strcmp(argv[1], "delete") == 0) {
        start = nowMs();
        for (const InstallFileRow &row : kInstallFiles) {
            char target[MAX_PATH];
            if (!joinPath(target, argv[2], row.destination) || !DeleteFileA(target))
                ++failures;
        }
        if (!RemoveDirectoryA(argv[2]))
            ++failures;
        end = nowMs();
    } else {
        fprintf(stderr, "usage: floor_files [-u] | /S [-u] | copy SOURCE VENDOR_DIR VERSION_DIR | "
                        "delete DIR\n");
        return 2;
    }
    printf("ms=%.3f\nfailures=%d\n", end - start, failures);
    return failures ? 1 : 0;
}
