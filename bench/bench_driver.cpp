// The Windows side of the benchmark, run under Wine by bench/bench.py: starts
// one program, drives it as a user would and prints how long each step took
// as "key=value" lines. One measurement per run, so each starts a fresh
// process. Every wait has a timeout; a program still running at the end is
// terminated (driver::Program does it on destruction).
//
//   bench_driver startup KIND EXE CWD     to the window showing the licence
//   bench_driver install KIND EXE CWD     from "Agree" to the completion box;
//                                         then whether the Apps & features
//                                         entry was written
//   bench_driver uninstall EXE CWD        from confirming to the final box
//   bench_driver silent EXE ARGS CWD      a run with no window (/S, /S -u):
//                                         process start to exit, its exit
//                                         code, and whether the Apps &
//                                         features entry is there afterwards
//   bench_driver clean                    removes what the installs made
//
// KIND is "setup" (a window of class myWindowClass with the agreement text
// in the edit control 512: the setup program and the minimal window) or
// "nsis" (an NSIS installer's licence page: a dialog #32770 holding a
// RichEdit control with the licence text).
//
// When RAVENLOOK_BENCH_SYNC names a folder, the driver stops at the point
// whose memory the host reads (the window shown, the completion box up):
// it writes <folder>\<tag>.ready with the process id and waits for the
// host's <folder>\<tag>.read before it goes on.
#include "bench_clock.h"
#include "driver.h"

#include <shlobj.h>

#include <stdio.h>
#include <string.h>

#include <string>

namespace {

const int kStartTimeoutMs = 60000;
const int kInstallTimeoutMs = 180000;
const int kExitTimeoutMs = 30000;
const int kSyncTimeoutMs = 15000;
// Poll often enough to resolve a few milliseconds, seldom enough not to
// take the CPU from the program measured.
const int kPollMs = 2;

// The Apps & features entry of the installed application.
const char kEntryKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ravenlook 1.3";

template <typename Condition> bool pollUntil(Condition condition, int timeoutMs)
{
    double end = nowMs() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (nowMs() > end)
            return false;
        Sleep(kPollMs);
    }
}

bool fileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Hands the running program over to the host for its memory reading.
void syncWithHost(const char *tag, DWORD pid)
{
    char folder[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("RAVENLOOK_BENCH_SYNC", folder, sizeof folder);
    if (length == 0 || length >= sizeof folder)
        return;
    std::string ready = std::string(folder) + "\\" + tag + ".ready";
    std::string read = std::string(folder) + "\\" + tag + ".read";
    DeleteFileA(read.c_str());
    HANDLE file = CreateFileA((ready + ".part").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    char text[32];
    int n = _snprintf(text, sizeof text, "%lu\n", static_cast<unsigned long>(pid));
    DWORD written;
    WriteFile(file, text, n, &written, nullptr);
    CloseHandle(file);
    MoveFileExA((ready + ".part").c_str(), ready.c_str(), MOVEFILE_REPLACE_EXISTING);
    bool answered = pollUntil([&] { return fileExists(read); }, kSyncTimeoutMs);
    printf("synced=%d\n", answered ? 1 : 0);
    DeleteFileA(ready.c_str());
    DeleteFileA(read.c_str());
}

struct Found {
    HWND window = nullptr;   // the top-level window
    HWND textHolder = nullptr;
};

BOOL CALLBACK findRichEdit(HWND child, LPARAM context)
{
    auto *found = reinterpret_cast<HWND *>(context);
    if (driver::windowClass(child).compare(0, 8, "RichEdit") == 0 ||
        lstrcmpiA(driver::windowClass(child).c_str(), "RICHEDIT50W") == 0) {
        *found = child;
        return FALSE;
    }
    return TRUE;
}

// The window the kind shows first and the control that holds its licence.
Found findLicenceWindow(DWORD pid, bool nsis)
{
    Found found;
    std::vector<HWND> windows = driver::topWindows(pid, nsis ? "#32770" : "myWindowClass", true);
    if (windows.empty())
        return found;
    found.window = windows.front();
    if (nsis)
        EnumChildWindows(found.window, findRichEdit, reinterpret_cast<LPARAM>(&found.textHolder));
    else
        found.textHolder = GetDlgItem(found.window, 512);
    return found;
}

bool hasText(HWND control)
{
    if (!control)
        return false;
    DWORD_PTR length = 0;
    return SendMessageTimeoutA(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length) &&
           length > 0;
}

// A visible dialog box of the process, other than skip, whose message text
// begins with the prefix.
// cppcheck-suppress constParameter ; HWND is an opaque handle, not data
HWND findBox(DWORD pid, const char *prefix, HWND skip)
{
    for (HWND w : driver::topWindows(pid, "#32770", true)) {
        if (w == skip)
            continue;
        if (driver::readMessageBox(w).text.compare(0, strlen(prefix), prefix) == 0)
            return w;
    }
    return nullptr;
}

// Starts the program and waits for its licence window; prints the times.
// Returns the window, or null after printing the failure.
HWND startToLicence(driver::Program &program, bool nsis, const std::string &exe,
                    const std::string &args, const std::string &cwd)
{
    double start = nowMs();
    if (!program.start(exe, args, cwd)) {
        printf("error=cannot start %s (%lu)\n", exe.c_str(), GetLastError());
        return nullptr;
    }
    double windowAt = 0;
    Found found;
    bool shown = pollUntil(
        [&] {
            found = findLicenceWindow(program.pid(), nsis);
            if (found.window && windowAt == 0)
                windowAt = nowMs();
            return found.window && hasText(found.textHolder);
        },
        kStartTimeoutMs);
    printf("window_ms=%.3f\n", windowAt ? windowAt - start : -1.0);
    if (!shown) {
        printf("error=%s\n", found.window ? "no licence text read" : "no window");
        return nullptr;
    }
    printf("ms=%.3f\n", nowMs() - start);
    return found.window;
}

void closeLicenceWindow(driver::Program &program, HWND window, bool nsis)
{
    if (nsis)
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    else
        PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD exitCode = 0;
    printf("exited=%d\n", program.waitForExit(&exitCode, kExitTimeoutMs) ? 1 : 0);
}

int startup(bool nsis, const std::string &exe, const std::string &cwd)
{
    driver::Program program;
    HWND window = startToLicence(program, nsis, exe, "", cwd);
    if (!window)
        return 1;
    syncWithHost("startup", program.pid());
    closeLicenceWindow(program, window, nsis);
    return 0;
}

// Presses the agreement button and waits for the completion box: the
// setup window's "Agree" (504) or the NSIS licence page's "I Agree" (IDOK).
// Whether the Apps & features entry is there: the benchmark reports
// whether ours and its floor did the same work.
void printEntry()
{
    HKEY entry;
    bool entered = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEntryKey, 0, KEY_READ, &entry) ==
                   ERROR_SUCCESS;
    if (entered)
        RegCloseKey(entry);
    printf("entry=%d\n", entered ? 1 : 0);
}

int install(bool nsis, const std::string &exe, const std::string &cwd)
{
    driver::Program program;
    HWND window = startToLicence(program, nsis, exe, "", cwd);
    if (!window)
        return 1;
    Sleep(200);   // let the window settle: its start is not part of the install
    double start = nowMs();
    driver::pressButton(window, nsis ? IDOK : 504);
    HWND box = nullptr;
    bool completed = pollUntil(
        [&] {
            return (box = findBox(program.pid(), "Installation completed!", window)) != nullptr;
        },
        kInstallTimeoutMs);
    double end = nowMs();
    if (!completed) {
        printf("error=no completion box\n");
        return 1;
    }
    printf("install_ms=%.3f\n", end - start);
    printEntry();
    syncWithHost("install", program.pid());
    driver::pressButton(box, IDOK);
    DWORD exitCode = 0;
    printf("exited=%d\n", program.waitForExit(&exitCode, kExitTimeoutMs) ? 1 : 0);
    return 0;
}

int uninstall(const std::string &exe, const std::string &cwd)
{
    driver::Program program;
    if (!program.start(exe, "-u", cwd)) {
        printf("error=cannot start %s (%lu)\n", exe.c_str(), GetLastError());
        return 1;
    }
    HWND window = driver::waitForWindow(program.pid(), "myWindowClass", kStartTimeoutMs);
    if (!window) {
        printf("error=no window\n");
        return 1;
    }
    Sleep(200);
    driver::sendCommand(window, 9003);
    HWND confirmation = nullptr;
    if (!pollUntil([&] { return (confirmation = findBox(program.pid(), "ATTENTION", nullptr)); },
                   kStartTimeoutMs)) {
        printf("error=no confirmation box\n");
        return 1;
    }
    double start = nowMs();
    driver::pressButton(confirmation, IDOK);
    HWND box = nullptr;
    bool concluded = pollUntil(
        [&] { return (box = findBox(program.pid(), "Uninstall concluded!", confirmation)); },
        kInstallTimeoutMs);
    double end = nowMs();
    if (!concluded) {
        printf("error=no final box\n");
        return 1;
    }
    printf("uninstall_ms=%.3f\n", end - start);
    syncWithHost("uninstall", program.pid());
    driver::pressButton(box, IDOK);
    DWORD exitCode = 0;
    printf("exited=%d\n", program.waitForExit(&exitCode, kExitTimeoutMs) ? 1 : 0);
    return 0;
}

// A silent run whole, from starting the process to its end.
int silent(const std::string &exe, const std::string &args, const std::string &cwd)
{
    driver::Program program;
    double start = nowMs();
    if (!program.start(exe, args, cwd)) {
        printf("error=cannot start %s (%lu)\n", exe.c_str(), GetLastError());
        return 1;
    }
    DWORD exitCode = 0;
    if (!program.waitForExit(&exitCode, kInstallTimeoutMs)) {
        printf("error=still running after %d ms\n", kInstallTimeoutMs);
        return 1;
    }
    printf("silent_ms=%.3f\nexit_code=%lu\n", nowMs() - start, exitCode);
    printEntry();
    return 0;
}

// Deletes a folder and everything below it, read-only files included.
void deleteTree(const std::string &folder)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                deleteTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

// Forgets the deletions an uninstall scheduled for the next start of the
// system (the running uninstaller's own file, parked in c:\windows\temp,
// and what stayed), in both lists, so that none of them can hit a later
// run's install. Prints how many paths were scheduled.
void clearScheduledDeletions()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    int scheduled = 0;
    for (const char *list : {"PendingFileRenameOperations", "PendingFileRenameOperations2"}) {
        // Pairs of strings: a path and its new name, empty for a deletion.
        char value[8192];
        DWORD size = sizeof value - 1;
        LONG read = RegQueryValueExA(key, list, nullptr, nullptr, reinterpret_cast<BYTE *>(value),
                                     &size);
        if (read == ERROR_MORE_DATA)
            scheduled = -1000;   // too many to count: shows as negative
        if (read == ERROR_SUCCESS) {
            value[size] = '\0';
            for (DWORD i = 0, n = 0; i < size; i += static_cast<DWORD>(strlen(value + i)) + 1, ++n)
                if (n % 2 == 0 && value[i])
                    ++scheduled;
        }
        if (read == ERROR_SUCCESS || read == ERROR_MORE_DATA)
            RegDeleteValueA(key, list);
    }
    RegCloseKey(key);
    printf("scheduled=%d\n", scheduled);
}

// Deletes the uninstallers the uninstalls parked to be deleted at the next
// start: c:\windows\temp\rvl*.tmp.
void deleteParkedUninstallers()
{
    char temp[MAX_PATH];
    UINT length = GetSystemWindowsDirectoryA(temp, MAX_PATH - 16);
    if (length == 0 || length >= MAX_PATH - 16)
        return;
    std::string folder = std::string(temp) + "\\Temp\\";
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "rvl*.tmp").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        SetFileAttributesA((folder + entry.cFileName).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA((folder + entry.cFileName).c_str());
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

// What the benchmark's installs leave: the install folder (both installers
// use it), the NSIS installer's start-menu folders, the record's key, the
// Apps & features entry, the deletions scheduled for the next start and
// the uninstallers parked for them.
// The setup program's own start-menu folder is removed by the host, which
// knows whether it made c:\windows\start menu itself.
int clean()
{
    clearScheduledDeletions();
    deleteParkedUninstallers();
    deleteTree("c:\\program files\\Ravenlook");
    const int folders[2] = {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS};
    for (int csidl : folders) {
        char programs[MAX_PATH];
        if (SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, programs) != S_OK)
            continue;
        std::string vendor = std::string(programs) + "\\Ravenlook";
        deleteTree(vendor + "\\Ravenlook v1.3");
        RemoveDirectoryA(vendor.c_str());   // only when nothing else is in it
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Win310");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEntryKey);
    printf("cleaned=1\n");
    return 0;
}

}   // namespace

int main(int argc, char **argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "startup" && argc == 5)
        return startup(std::string(argv[2]) == "nsis", argv[3], argv[4]);
    if (mode == "install" && argc == 5)
        return install(std::string(argv[2]) == "nsis", argv[3], argv[4]);
    if (mode == "uninstall" && argc == 4)
        return uninstall(argv[2], argv[3]);
    if (mode == "silent" && argc == 5)
        return silent(argv[2], argv[3], argv[4]);
    if (mode == "clean" && argc == 2)
        return clean();
    fprintf(stderr, "usage: bench_driver startup|install setup|nsis EXE CWD | uninstall EXE CWD | "
                    "silent EXE ARGS CWD | clean\n");
    return 2;
}
