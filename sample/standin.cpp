// Shared body of the two stand-in programs (see standin.h).
#include "standin.h"

enum {
    COMMAND_LINE_CAPACITY = 32768,   // the longest command line Windows passes
    LOG_LINE_CAPACITY = COMMAND_LINE_CAPACITY + MAX_PATH + 16,
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

// True when the variable exists, also when its value is empty.
static bool environmentVariableSet(const char *name)
{
    char value[4];
    SetLastError(ERROR_SUCCESS);
    DWORD size = GetEnvironmentVariableA(name, value, sizeof value);
    return size > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
}

// Appends "<tag>|<current directory>|<command line>" and a line feed to the
// file named by RAVENLOOK_STANDIN_LOG. The line goes out in one write to the
// end of the file, so two programs logging to the same file do not mix their
// lines.
static void writeLogLine(const char *tag)
{
    char logFile[MAX_PATH];
    DWORD size = GetEnvironmentVariableA("RAVENLOOK_STANDIN_LOG", logFile, sizeof logFile);
    if (size == 0 || size >= sizeof logFile)
        return;
    int length = 0;
    g_logLine[0] = '\0';
    appendText(g_logLine, LOG_LINE_CAPACITY, &length, tag);
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
    if (environmentVariableSet("RAVENLOOK_STANDIN_EXIT"))
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
