// The menu bar and the commands of the buttons and menu items.
#include "setup_app.h"

#include "../engine/engine.h"
#include "../record/install_record.h"
#include "../resources/resource_ids.h"
#include "messages.h"

#include <commctrl.h>
#include <stdio.h>

void handleCreate(HWND window)
{
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    HMENU uninstallMenu = CreatePopupMenu();
    HMENU help = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, IDM_EXIT, "&Exit");
    AppendMenuA(bar, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(uninstallMenu, MF_STRING, IDM_UNINSTALL, "&Go...");
    AppendMenuA(bar, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(uninstallMenu), "&Uninstall");
    AppendMenuA(help, MF_STRING, IDM_ABOUT, "&About...");
    AppendMenuA(bar, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&Help");
    if (!installRecordExists(kRecordKey))
        EnableMenuItem(uninstallMenu, IDM_UNINSTALL, MF_BYCOMMAND | MF_GRAYED);
    SetMenu(window, bar);

    // The icon belongs to the window for the whole run; the system frees it
    // with the process.
    HANDLE icon = LoadImageA(nullptr, g_iconFileName, IMAGE_ICON, 16, 16, LR_LOADFROMFILE);
    if (icon)
        SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

// Each of the install's four steps fills a quarter of the bar. The control
// repaints at once, though no messages are processed while the install runs.
static void advanceProgressBar()
{
    SendMessageA(g_progressBar, PBM_DELTAPOS, 100 / INSTALL_STEP_COUNT, 0);
}

static void install(HWND window)
{
    HCURSOR previous = GetCursor();
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    char installDir[PATH_CAPACITY];
    int result = runInstall(installDir, advanceProgressBar);
    if (result == MSG_SUCCESS) {
        // msvcrt's own formatter (the C99 snprintf of MinGW would add 20 KB);
        // it does not terminate a text that fills the buffer, so the last
        // byte is reserved for the terminator.
        char completion[TEXT_CAPACITY];
        _snprintf(completion, sizeof completion - 1, "%s\nDir: %s",
                  messageText(MSG_INSTALL_COMPLETED), installDir);
        completion[sizeof completion - 1] = '\0';
        MessageBoxA(window, completion, g_caption, MB_OK);
        launchInstalledProgram(installDir);
        PostMessageA(window, WM_CLOSE, 0, 0);
    } else {
        showMessage(window, g_caption, result);
    }
    SetCursor(previous);
}

static void uninstall(HWND window)
{
    if (MessageBoxA(window, messageText(MSG_UNINSTALL_WARNING), g_caption,
                    MB_OKCANCEL | MB_DEFBUTTON2) != IDOK)
        return;
    HCURSOR previous = GetCursor();
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    Sleep(2000);
    int result = runUninstall();
    if (result == MSG_SUCCESS) {
        showMessage(window, g_caption, MSG_UNINSTALL_CONCLUDED);
        PostMessageA(window, WM_CLOSE, 0, 0);
    } else {
        showMessage(window, g_caption, result);
    }
    SetCursor(previous);
}

static void confirmQuit(HWND window)
{
    if (MessageBoxA(window, messageText(MSG_QUIT_QUESTION), g_caption,
                    MB_OKCANCEL | MB_DEFBUTTON2) == IDOK)
        PostMessageA(window, WM_CLOSE, 0, 0);
}

void handleCommand(HWND window, int commandId)
{
    switch (commandId) {
    case IDC_AGREE: install(window); break;
    case IDC_NOT_AGREE: confirmQuit(window); break;
    case IDM_EXIT: PostMessageA(window, WM_CLOSE, 0, 0); break;
    case IDM_UNINSTALL: uninstall(window); break;
    case IDM_ABOUT:
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), window,
                        aboutDialogProc, 0);
        break;
    default: break;
    }
}

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    default: return FALSE;
    }
}
