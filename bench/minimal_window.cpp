// The lower bound of the size and start-up figures: the smallest program that
// shows the setup window as the user sees it (class, title, frame, menu bar,
// the eight child controls, LICENSE.txt in the agreement box) and runs a
// message loop. It has no commands, no resources and no install logic.
#include <windows.h>
#include <commctrl.h>

namespace {

struct Child {
    const char *className;
    int id;
    const char *text;
    int left, top, width, height;
    DWORD style;
};

const DWORD kLabel = WS_CHILD | WS_VISIBLE;
const DWORD kButton = WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON;
const DWORD kBox = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY;

// Client pixels as the setup window places them.
const Child kChildren[8] = {
    {"STATIC", 0, "Welcome to Ravenlook Install!", 24, 28, 280, 18, kLabel},
    {"STATIC", 0,
     "Read the License Agreement below and, in case you agree, press \"Agree\" to install "
     "Ravenlook:",
     24, 62, 450, 36, kLabel},
    {"STATIC", 0, "License Agreement:", 24, 122, 300, 18, kLabel},
    {"EDIT", 512, nullptr, 24, 147, 450, 109, kBox},
    {"BUTTON", 504, "Agree", 240, 263, 110, 21, kButton},
    {"BUTTON", 9013, "Not agree", 363, 263, 110, 21, kButton},
    {"STATIC", 0, "Status:", 24, 297, 300, 18, kLabel},
    {"msctls_progress32", 502, nullptr, 24, 323, 450, 30, kLabel},
};

// LICENSE.txt with its line feeds widened to CR LF, as a multi-line edit
// control needs them to break lines.
char g_file[32768];
char g_text[2 * sizeof g_file + 1];

void loadLicence(HWND box)
{
    HANDLE file = CreateFileA("LICENSE.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD got = 0;
    ReadFile(file, g_file, sizeof g_file, &got, nullptr);
    CloseHandle(file);
    char *out = g_text;
    for (DWORD i = 0; i < got; ++i) {
        if (g_file[i] == '\r')
            continue;
        if (g_file[i] == '\n')
            *out++ = '\r';
        *out++ = g_file[i];
    }
    *out = '\0';
    SetWindowTextA(box, g_text);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HMENU makeMenuBar()
{
    HMENU bar = CreateMenu();
    const char *titles[3] = {"&File", "&Uninstall", "&Help"};
    const char *items[3] = {"&Exit", "&Go...", "&About..."};
    for (int i = 0; i < 3; ++i) {
        HMENU popup = CreatePopupMenu();
        AppendMenuA(popup, MF_STRING, 9001 + i, items[i]);
        AppendMenuA(bar, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(popup), titles[i]);
    }
    return bar;
}

}   // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    InitCommonControls();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_MENU + 1);
    wc.lpszClassName = "myWindowClass";
    RegisterClassA(&wc);

    int left = (GetSystemMetrics(SM_CXSCREEN) - 505) / 2;
    HWND window = CreateWindowExA(WS_EX_CLIENTEDGE, "myWindowClass", "Ravenlook Install",
                                  WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, left, 50, 505, 425,
                                  nullptr, makeMenuBar(), instance, nullptr);
    for (const Child &c : kChildren) {
        HWND child = CreateWindowExA(0, c.className, c.text ? c.text : "", c.style, c.left, c.top,
                                     c.width, c.height, window,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance,
                                     nullptr);
        if (c.id == 512)
            loadLicence(child);
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
