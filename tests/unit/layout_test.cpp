#include "layout.h"

#include <tuple>
#include <type_traits>

#include <gtest/gtest.h>

namespace {

const unsigned long kChildVisible = 0x50000000UL;
const unsigned long kDefaultButton = 0x50000001UL;
const unsigned long kAgreementBoxStyle = 0x50A00804UL;
const unsigned long kDisabled = 0x08000000UL;

struct ControlCase {
    const char *name;
    const char *className;
    int id;
    const char *text;   // null: the control gets no text
    PixelRect rect;
    unsigned long style;
    bool lockable;
};

// In creation order: the order is the tab order and the z-order.
const ControlCase kControlCases[PANEL_CONTROL_COUNT] = {
    {"WelcomeLabel",
     "STATIC",
     0,
     "Welcome to Ravenlook Install!",
     {24, 28, 280, 18},
     kChildVisible,
     false},
    {"InstructionLabel",
     "STATIC",
     0,
     "Read the License Agreement below and, in case you agree, press \"Agree\" to install "
     "Ravenlook:",
     {24, 62, 450, 36},
     kChildVisible,
     false},
    {"AgreementLabel", "STATIC", 0, "License Agreement:", {24, 122, 300, 18}, kChildVisible, false},
    {"AgreementBox", "EDIT", 512, nullptr, {24, 147, 450, 109}, kAgreementBoxStyle, false},
    {"AgreeButton", "BUTTON", 504, "Agree", {240, 263, 110, 21}, kDefaultButton, true},
    {"NotAgreeButton", "BUTTON", 9013, "Not agree", {363, 263, 110, 21}, kDefaultButton, true},
    {"StatusLabel", "STATIC", 0, "Status:", {24, 297, 300, 18}, kChildVisible, false},
    {"ProgressBar", "msctls_progress32", 502, nullptr, {24, 323, 450, 30}, kChildVisible, false},
};

std::tuple<int, int, int, int> edges(const PixelRect &r)
{
    return std::make_tuple(r.left, r.top, r.width, r.height);
}

TEST(Panel, ControlsInCreationOrder)
{
    for (int i = 0; i < PANEL_CONTROL_COUNT; ++i) {
        const ControlCase &want = kControlCases[i];
        const PanelControl &got = kPanelControls[i];
        SCOPED_TRACE(want.name);
        EXPECT_STREQ(got.className, want.className);
        EXPECT_EQ(got.id, want.id);
        EXPECT_STREQ(got.text, want.text);   // equal only if both or neither are null
        EXPECT_EQ(edges(panelControlRect(got)), edges(want.rect));
        EXPECT_EQ(panelControlStyle(got, false), want.style) << "agreement unlocked";
        // With the agreement locked only the buttons are disabled.
        EXPECT_EQ(panelControlStyle(got, true),
                  want.lockable ? want.style | kDisabled : want.style);
    }
}

TEST(ScalePixels, ProductIsTruncatedTowardZero)
{
    EXPECT_EQ(scalePixels(17, kScaleY), 28);     // 28.9
    EXPECT_EQ(scalePixels(155, kScaleY), 263);   // 263.5
    EXPECT_EQ(scalePixels(73, kScaleH), 109);    // 109.5
    EXPECT_EQ(scalePixels(-17, kScaleY), -28);   // not floored to -29
    EXPECT_EQ(scalePixels(0, kScaleY), 0);
}

// 1.7f is slightly above 1.7, so 190 * 1.7f is just above 323. The double
// 1.7 is slightly below: evaluated in x87 extended precision, as 32-bit
// Windows code may do, 190 * 1.7 stays below 323 and truncates to 322. The
// factors therefore stay single precision, and the product of an int and a
// float is exact in double.
static_assert(std::is_same<decltype(kScaleY), const float>::value, "kScaleY is single precision");
static_assert(std::is_same<decltype(&scalePixels), int (*)(int, float)>::value,
              "scalePixels takes a single-precision factor");

TEST(ScalePixels, SinglePrecisionFactorGivesTheDesignedPixels)
{
    EXPECT_EQ(scalePixels(190, 1.7f), 323);
    EXPECT_EQ(scalePixels(190, kScaleY), 323);
}

struct CentringCase {
    const char *name;
    long desktopLeft, desktopRight;
    int requested, left;
};

const CentringCase kCentringCases[] = {
    {"WideDesktop", 0, 1024, 505, 259},
    {"NarrowDesktop", 0, 800, 505, 147},
    {"DesktopOneNarrowerTruncatesToZero", 0, 504, 505, 0},
    {"DesktopTwoNarrowerGivesMinusOne", 0, 503, 505, -1},
    {"DesktopFiveNarrowerTruncatesTowardZero", 0, 500, 505, -2},
    {"DesktopNotStartingAtZeroUsesItsWidth", -1024, 0, 505, 259},
    {"DesktopStartingRightOfZeroUsesItsWidth", 1024, 1824, 505, 147},
    {"NegativeRequestGivesZero", 0, 1024, -1, 0},
    {"ZeroRequestGivesHalfTheDesktop", 0, 1024, 0, 512},
};

TEST(Centring, LeftEdge)
{
    for (const CentringCase &c : kCentringCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(centredLeftFor(c.desktopLeft, c.desktopRight, c.requested), c.left);
    }
}

}   // namespace
