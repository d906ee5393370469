#include "layout.h"

const float kScaleX = 1.5f;
const float kScaleY = 1.7f;
const float kScaleW = 2.0f;
const float kScaleWBox = 1.5f;
const float kScaleH = 1.5f;

static const unsigned long kLabel = STYLE_CHILD | STYLE_VISIBLE;
static const unsigned long kButton = STYLE_CHILD | STYLE_VISIBLE | STYLE_DEFPUSHBUTTON;
static const unsigned long kAgreementBox = STYLE_CHILD | STYLE_VISIBLE | STYLE_BORDER |
                                           STYLE_VSCROLL | STYLE_MULTILINE | STYLE_READONLY;

const PanelControl kPanelControls[PANEL_CONTROL_COUNT] = {
    {"STATIC", 0, "Welcome to Ravenlook Install!", 16, 17, 140, 12, false, kLabel, false},
    {"STATIC", 0,
     "Read the License Agreement below and, in case you agree, press \"Agree\" to install "
     "Ravenlook:",
     16, 37, 225, 24, false, kLabel, false},
    {"STATIC", 0, "License Agreement:", 16, 72, 150, 12, false, kLabel, false},
    {"EDIT", IDC_AGREEMENT_BOX, nullptr, 16, 87, 300, 73, true, kAgreementBox, false},
    {"BUTTON", IDC_AGREE, "Agree", 160, 155, 55, 14, false, kButton, true},
    {"BUTTON", IDC_NOT_AGREE, "Not agree", 242, 155, 55, 14, false, kButton, true},
    {"STATIC", 0, "Status:", 16, 175, 150, 12, false, kLabel, false},
    {"msctls_progress32", IDC_PROGRESS_BAR, nullptr, 16, 190, 300, 20, true, kLabel, false},
};

int scalePixels(int base, float factor)
{
    // The factors are single-precision floats, slightly off their decimal
    // values (1.7f is 1.70000004768...). Widened to double, the product with
    // a small integer is exact, so truncation sees the float's own value
    // whatever precision the compiler evaluates in.
    return static_cast<int>(static_cast<double>(base) * static_cast<double>(factor));
}

PixelRect panelControlRect(const PanelControl &control)
{
    PixelRect r;
    r.left = scalePixels(control.baseLeft, kScaleX);
    r.top = scalePixels(control.baseTop, kScaleY);
    r.width = scalePixels(control.baseWidth, control.wideBox ? kScaleWBox : kScaleW);
    r.height = scalePixels(control.baseHeight, kScaleH);
    return r;
}

unsigned long panelControlStyle(const PanelControl &control, bool agreementLocked)
{
    return control.lockable && agreementLocked ? control.style | STYLE_DISABLED : control.style;
}

int centredLeftFor(long desktopLeft, long desktopRight, int requestedWidth)
{
    if (requestedWidth < 0)
        return 0;
    // C++ division truncates toward zero, also for a negative difference.
    return static_cast<int>((desktopRight - desktopLeft - requestedWidth) / 2);
}
