// The entry point: builds the setup window and runs the message loop.
#include "setup_app.h"

#include "../engine/paths.h"
#include "command_line.h"
#include "layout.h"
#include "messages.h"

#include <string.h>

char g_caption[TEXT_CAPACITY];
char g_iconFileName[TEXT_CAPACITY];
bool g_agreementLocked;
HWND g_setupWindow;

static const char kWindowClass[] = "myWindowClass";

static void copyText(char *dest, const char *source)
{
    strncpy(dest, source, TEXT_CAPACITY - 1);
    dest[TEXT_CAPACITY - 1] = '\0';
}

// The uninstaller finds its licence and icon beside itself, whoever starts
// it: the Uninstall shortcut starts it in its own folder, but the system's
// list of installed programs runs its command in a folder of its own.
// So does a silent install its distribution.
static void enterOwnFolder()
{
    char folder[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH && pathRemoveLastComponent(folder))
        SetCurrentDirectoryA(folder);
}

int centredLeft(int requestedWidth)
{
    RECT desktop;
    if (requestedWidth < 0 || !GetWindowRect(GetDesktopWindow(), &desktop))
        return 0;
    return centredLeftFor(desktop.left, desktop.right, requestedWidth);
}

static bool registerSetupWindowClass(HINSTANCE instance)
{
    WNDCLASSEXA wc;
    memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.style = 0;
    wc.lpfnWndProc = setupWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_MENU + 1);
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = kWindowClass;
    return RegisterClassExA(&wc) != 0;
}

LRESULT CALLBACK setupWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: handleCreate(window); return 0;
    case WM_COMMAND: handleCommand(window, LOWORD(wParam)); return 0;
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

// The SDK declares WinMain with its own parameter names.
// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name)
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    restrictDllSearchToSystem();

    copyText(g_caption, "Ravenlook Install");
    // The C runtime's own tail is not relied on: the rule for the program
    // name and the blanks after it is ours.
    int startMode = startModeOf(commandLineTail(GetCommandLineA()));
    g_agreementLocked = startMode == START_UNINSTALL_WINDOW;
    // A silent install takes the distribution beside the program, wherever
    // a deployment tool starts it.
    if (startMode != START_INSTALL_WINDOW)
        enterOwnFolder();
    if (startMode == START_SILENT_INSTALL || startMode == START_SILENT_UNINSTALL)
        return runSilently(startMode);
    copyText(g_iconFileName, "Ravenlook.ico");

    if (!registerSetupWindowClass(instance)) {
        showMessage(nullptr, g_caption, MSG_CLASS_REGISTRATION_FAILED);
        return 0;
    }

    g_setupWindow = CreateWindowExA(WS_EX_CLIENTEDGE, kWindowClass, g_caption,
                                    WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                    centredLeft(SETUP_WINDOW_WIDTH), SETUP_WINDOW_TOP,
                                    SETUP_WINDOW_WIDTH, SETUP_WINDOW_HEIGHT, nullptr, nullptr,
                                    instance, nullptr);
    if (!g_setupWindow) {
        showMessage(nullptr, g_caption, MSG_WINDOW_CREATION_FAILED);
        return 0;
    }

    createPanelControls(g_setupWindow, instance);

    if (ShowWindow(g_setupWindow, showCommand)) {
        showMessage(nullptr, g_caption, MSG_WINDOW_ALREADY_VISIBLE);
        return 0;
    }
    UpdateWindow(g_setupWindow);

    // No IsDialogMessage: Tab does not move the focus between the controls.
    MSG msg;
    memset(&msg, 0, sizeof msg);
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

// The process starts here, not in the C runtime's start-up code: the
// program has no constructors, no arguments of its own and no use for the
// rest of that code, which was a third of its size. WinMain gets what the
// system would give it, and its result is the exit code.
extern "C" __attribute__((force_align_arg_pointer)) void WinMainCRTStartup()
{
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int showCommand = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow
                                                               : SW_SHOWDEFAULT;
    char *tail = const_cast<char *>(commandLineTail(GetCommandLineA()));
    ExitProcess(static_cast<UINT>(WinMain(GetModuleHandleA(nullptr), nullptr, tail, showCommand)));
}
