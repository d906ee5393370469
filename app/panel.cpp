// The setup window's eight child controls and the agreement text.
#include "setup_app.h"

#include "layout.h"
#include "license_text.h"
#include "messages.h"

#include <commctrl.h>
#include <stdio.h>

HWND g_progressBar;

// The portable table carries the Windows constants' values.
static_assert(STYLE_CHILD == WS_CHILD && STYLE_VISIBLE == WS_VISIBLE &&
                  STYLE_DISABLED == WS_DISABLED && STYLE_BORDER == WS_BORDER &&
                  STYLE_VSCROLL == WS_VSCROLL && STYLE_MULTILINE == ES_MULTILINE &&
                  STYLE_READONLY == ES_READONLY && STYLE_DEFPUSHBUTTON == BS_DEFPUSHBUTTON,
              "panel style bits");

// Large for the stack; the conversion runs once per process.
static LicenseText s_license;

bool loadLicenseText(HWND agreementBox)
{
    // Binary mode: the text-mode rules are the conversion's own.
    FILE *file = fopen("LICENSE.txt", "rb");
    if (!file)
        return false;
    licenseTextBegin(&s_license);
    licenseTextReadStream(&s_license, file);
    fclose(file);
    SendMessageA(agreementBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(s_license.text));
    return true;
}

static HWND createControl(const PanelControl &control, HWND window, HINSTANCE instance)
{
    PixelRect r = panelControlRect(control);
    HWND child = CreateWindowExA(0, control.className, "",
                                 panelControlStyle(control, g_agreementLocked), r.left, r.top,
                                 r.width, r.height, window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                                 instance, nullptr);
    if (control.text)
        SendMessageA(child, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(control.text));
    return child;
}

// The table's order is the creation order; the agreement text is loaded
// before the buttons exist, since a missing file locks them.
void createPanelControls(HWND window, HINSTANCE instance)
{
    for (int i = 0; i < PANEL_CONTROL_COUNT; ++i) {
        const PanelControl &control = kPanelControls[i];
        if (control.id == IDC_PROGRESS_BAR) {
            initCommonControlsFromSystem();
            g_progressBar = createControl(control, window, instance);
            SendMessageA(g_progressBar, PBM_SETPOS, 0, 0);
            continue;
        }
        HWND child = createControl(control, window, instance);
        if (control.id == IDC_AGREEMENT_BOX && !loadLicenseText(child)) {
            showMessage(window, g_caption, MSG_LICENSE_MISSING);
            g_agreementLocked = true;
        }
    }
}
