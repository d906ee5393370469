// The setup window's fixed geometry and its control table. Portable: no
// Windows API; the style bits carry the values of the Windows constants of
// the same names (checked against windows.h where the table is used).
#pragma once

#include "../resources/resource_ids.h"

enum {
    SETUP_WINDOW_WIDTH = 505,
    SETUP_WINDOW_HEIGHT = 425,
    SETUP_WINDOW_TOP = 50,
    PANEL_CONTROL_COUNT = 8
};

enum : unsigned long {
    STYLE_CHILD = 0x40000000UL,      // WS_CHILD
    STYLE_VISIBLE = 0x10000000UL,    // WS_VISIBLE
    STYLE_DISABLED = 0x08000000UL,   // WS_DISABLED
    STYLE_BORDER = 0x00800000UL,     // WS_BORDER
    STYLE_VSCROLL = 0x00200000UL,    // WS_VSCROLL
    STYLE_MULTILINE = 0x0004UL,      // ES_MULTILINE
    STYLE_READONLY = 0x0800UL,       // ES_READONLY
    STYLE_DEFPUSHBUTTON = 0x0001UL   // BS_DEFPUSHBUTTON
};

// Scale factors, single precision as the layout was designed with them.
extern const float kScaleX;      // left edges
extern const float kScaleY;      // top edges
extern const float kScaleW;      // widths of labels and buttons
extern const float kScaleWBox;   // widths of the agreement box and the bar
extern const float kScaleH;      // heights

struct PanelControl {
    const char *className;
    int id;
    const char *text;   // set with WM_SETTEXT; null for none
    int baseLeft, baseTop, baseWidth, baseHeight;
    bool wideBox;   // width scaled by kScaleWBox instead of kScaleW
    unsigned long style;
    bool lockable;   // created disabled while the agreement is locked
};

struct PixelRect {
    int left, top, width, height;
};

extern const PanelControl kPanelControls[PANEL_CONTROL_COUNT];

// base * factor, the product taken exactly and truncated toward zero.
int scalePixels(int base, float factor);

// The pixel rectangle of a control of the table.
PixelRect panelControlRect(const PanelControl &control);

// The style a control is created with, given the agreement lock.
unsigned long panelControlStyle(const PanelControl &control, bool agreementLocked);

// (desktop width - requested width) / 2 truncated toward zero; 0 for a
// negative request.
int centredLeftFor(long desktopLeft, long desktopRight, int requestedWidth);
