// Shared body of the two stand-in programs (see standin.h).
#include "standin.h"

#include <tlhelp32.h>

enum {
    COMMAND_LINE_CAPACITY = 32768,   // the longest command line Windows passes
    LOG_LINE_CAPACITY = COMMAND_LINE_CAPACITY + 2 * MAX_PATH + 16,
    WINDOW_TEXT_CAPACITY = 512 + MAX_PATH,
    WINDOW_WIDTH = 480,
    WINDOW_HEIGHT = 200,
    TEXT_MARGIN = 16
};

static char g_logLine[LOG_LINE_CAPACITY];
static char g_windowText[WINDOW_TEXT_CAPACITY];
static char g_directory[MAX_PATH];
static HWND g_textControl;

// Appends src to the terminated text in dest, cutting it where the buffer ends.
static void appendText(char *dest, int capacity, int *length, const char *src)
{
    while (*src && *length < capacity - 1)
        dest[(*length)++] = *src++;
    dest[*length] = '\0';
}

// The tests' settings, in the registry, where they reach the program
// however it is started: the installer has the desktop's shell start it,
// which passes on the shell's environment, not the installer's.
static const char kSettingsKey[] = "Software\\Ravenlook Stand-in";

// The text of the setting, or false when it is not set.
static bool readSetting(const char *name, char *value, DWORD capacity)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = capacity - 1;
    bool read = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(value),
                                 &size) == ERROR_SUCCESS &&
                type == REG_SZ;
    RegCloseKey(key);
    value[read ? size : 0] = '\0';
    return read;
}

// The file name of the process that started this one, in lower case, as
// its process entry gives it; "" when it has ended or cannot be told.
static void parentName(char *name, int capacity)
{
    name[0] = '\0';
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    DWORD parent = 0;
    PROCESSENTRY32 entry;
    for (int pass = 0; pass < 2; ++pass) {
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot, &entry); more;
             more = Process32Next(snapshot, &entry)) {
            if (pass == 0 && entry.th32ProcessID == GetCurrentProcessId())
                parent = entry.th32ParentProcessID;
            if (pass == 1 && parent && entry.th32ProcessID == parent) {
                int length = 0;
                appendText(name, capacity, &length, CharLowerA(entry.szExeFile));
            }
        }
    }
    CloseHandle(snapshot);
}

// Appends "<tag>|<parent>|<current directory>|<command line>" and a line
// feed to the file the setting "Log" names. The line goes out in one write
// to the end of the file, so two programs logging to the same file do not
// mix their lines.
static void writeLogLine(const char *tag)
{
    char logFile[MAX_PATH];
    char parent[MAX_PATH];
    if (!readSetting("Log", logFile, sizeof logFile) || !logFile[0])
        return;
    parentName(parent, sizeof parent);
    int length = 0;
    g_logLine[0] = '\0';
    appendText(g_logLine, LOG_LINE_CAPACITY, &length, tag);
    appendText(g_logLine, LOG_LINE_CAPACITY, &length, "|");
    appendText(g_logLine, LOG_LINE_CAPACITY, &length, parent);
    appendText(g_logLine, LOG_LINE_CAPACITY, &length, "|");
    appendText(g_logLine, LOG_LINE_CAPACITY, &length, g_directory);
    appendText(g_logLine, LOG_LINE_CAPACITY, &length, "|");
    appendText(g_logLine, LOG_LINE_CAPACITY - 1, &length, GetCommandLineA());
    appendText(g_logLine, LOG_LINE_CAPACITY, &length, "\n");

    HANDLE file = CreateFileA(logFile, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(file, g_logLine, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(file);
}

// The icon the installer copies next to the program, in the requested size;
// the system's application icon when it is not there.
static HICON loadIcon(int size)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length > 0 && length < sizeof path) {
        char *slash = path;
        // cppcheck-suppress uninitvar ; GetModuleFileNameA filled and terminated path
        for (char *p = path; *p; ++p)
            if (*p == '\\' || *p == '/')
                slash = p + 1;
        const char kIconName[] = "Ravenlook.ico";
        if ((slash - path) + sizeof kIconName <= sizeof path) {
            lstrcpyA(slash, kIconName);
            HANDLE icon = LoadImageA(nullptr, path, IMAGE_ICON, size, size, LR_LOADFROMFILE);
            if (icon)
                return static_cast<HICON>(icon);
        }
    }
    return LoadIconA(nullptr, IDI_APPLICATION);
}

static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        g_textControl = CreateWindowExA(0, "STATIC", g_windowText, WS_CHILD | WS_VISIBLE | SS_LEFT,
                                        0, 0, 0, 0, window, nullptr,
                                        reinterpret_cast<CREATESTRUCTA *>(lParam)->hInstance,
                                        nullptr);
        SendMessageA(g_textControl, WM_SETFONT,
                     reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        return 0;
    case WM_SIZE:
        MoveWindow(g_textControl, TEXT_MARGIN, TEXT_MARGIN, LOWORD(lParam) - 2 * TEXT_MARGIN,
                   HIWORD(lParam) - 2 * TEXT_MARGIN, TRUE);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int runStandin(HINSTANCE instance, int showCommand, const StandinIdentity &identity)
{
    DWORD length = GetCurrentDirectoryA(sizeof g_directory, g_directory);
    if (length == 0 || length >= sizeof g_directory)
        g_directory[0] = '\0';

    writeLogLine(identity.logTag);
    char exitSetting[4];
    if (readSetting("Exit", exitSetting, sizeof exitSetting))
        return 0;

    int textLength = 0;
    appendText(g_windowText, WINDOW_TEXT_CAPACITY, &textLength, identity.description);
    appendText(g_windowText, WINDOW_TEXT_CAPACITY, &textLength, "\r\n\r\nCurrent directory:\r\n");
    appendText(g_windowText, WINDOW_TEXT_CAPACITY, &textLength, g_directory);

    WNDCLASSEXA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = loadIcon(32);
    windowClass.hIconSm = loadIcon(16);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = identity.windowClass;
    if (!RegisterClassExA(&windowClass))
        return 1;

    HWND window = CreateWindowExA(0, identity.windowClass, identity.title, WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, WINDOW_WIDTH, WINDOW_HEIGHT,
                                  nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
