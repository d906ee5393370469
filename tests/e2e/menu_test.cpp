// The menu bar, the confirmations of "Not agree", Exit, the About box, the
// window's small icon and the caption's close box.
#include "e2e_support.h"

#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace testsupport;
using driver::MessageBoxView;
using driver::Program;

namespace {

const char kLicence[] = "Menu test licence.\n";

class Menu : public ::testing::Test {
protected:
    void SetUp() override
    {
        deleteRecordKeys();
        folder_ = e2e::prepareFolder("menu", kLicence);
    }
    void TearDown() override { deleteRecordKeys(); }

    HWND start(Program &program, const std::string &args = "")
    {
        return e2e::startInstaller(program, folder_, args);
    }
    std::string folder_;
};

}   // namespace

// Alt+U, G: the Uninstall popup opens and takes the key; its item is greyed
// without a record and does nothing, and asks first when there is one.
TEST_F(Menu, GoIsGreyedWithoutARecordAndAsksFirstWithOne)
{
    for (bool recorded : {false, true}) {
        SCOPED_TRACE(recorded ? "a record" : "no record");
        if (recorded)
            writeRecordFor(kInstallDir);
        Program program;
        HWND window = start(program);
        ASSERT_NE(window, nullptr);
        if (!recorded) {
            e2e::expectGoGreyed(program, window);
            EXPECT_TRUE(program.running());
        } else {
            MessageBoxView box = e2e::chooseGo(program, window);
            ASSERT_NE(box.handle, nullptr) << "Go... could not be chosen";
            EXPECT_EQ(box.text, kUninstallWarning);
            driver::pressButton(box.handle, IDCANCEL);
        }
        e2e::closeAndExpectExitCode0(program, window);
    }
}

TEST_F(Menu, FileExitEndsWithoutAQuestion)
{
    Program program;
    HWND window = start(program);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(driver::chooseMenuItem(program.pid(), window, 'f', 'e'));
    e2e::expectEndsWithCode0(program);
}

TEST_F(Menu, NotAgreeAsksAndCancelKeepsTheWindowOpen)
{
    Program program;
    HWND window = start(program);
    ASSERT_NE(window, nullptr);
    driver::pressButton(window, ID_NOT_AGREE);
    MessageBoxView box = driver::waitForMessageBox(program.pid());
    ASSERT_NE(box.handle, nullptr);
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.text, "Do you want to quit Ravenlook Install?");
    EXPECT_EQ(box.buttonIds, (std::vector<int>{IDOK, IDCANCEL}));
    EXPECT_EQ(box.defaultButtonId, IDCANCEL);
    EXPECT_FALSE(box.hasIcon);

    driver::pressButton(box.handle, IDCANCEL);
    ASSERT_TRUE(driver::waitUntil([&] { return !IsWindow(box.handle); }));
    EXPECT_TRUE(driver::noMessageBoxWithin(program.pid(), 300));
    EXPECT_TRUE(program.running());
    EXPECT_TRUE(IsWindowVisible(window));

    driver::pressButton(window, ID_NOT_AGREE);
    box = driver::waitForMessageBox(program.pid());
    ASSERT_NE(box.handle, nullptr);
    e2e::confirmAndExpectEnd(program, box);
}

// Help > About opens it, then its command; OK closes it, then Escape.
TEST_F(Menu, AboutBoxShowsItsSixControlsAndClosesWithOkAndEscape)
{
    Program program;
    HWND window = start(program);
    ASSERT_NE(window, nullptr);
    for (int closeWith : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(closeWith == IDOK ? "OK" : "Escape");
        if (closeWith == IDOK)
            ASSERT_TRUE(driver::chooseMenuItem(program.pid(), window, 'h', 'a'));
        else
            driver::sendCommand(window, ID_ABOUT);
        HWND about = driver::waitForWindow(program.pid(), "#32770");
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(driver::windowText(about), "About");
        EXPECT_EQ(GetWindow(about, GW_OWNER), window);
        LONG style = GetWindowLongA(about, GWL_STYLE);
        EXPECT_TRUE(style & WS_CAPTION);
        EXPECT_FALSE(style & WS_SYSMENU) << "no close box";
        EXPECT_TRUE(GetWindowLongA(about, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);

        std::vector<driver::Control> controls = driver::childControls(about);
        ASSERT_EQ(controls.size(), 6u);
        const int ids[] = {IDOK, 109, 301, 303, 304, 305};
        const char *classes[] = {"Button", "Button", "Static", "Static", "Static", "Static"};
        for (size_t i = 0; i < 6; ++i) {
            EXPECT_EQ(controls[i].id, ids[i]);
            EXPECT_EQ(lstrcmpiA(controls[i].className.c_str(), classes[i]), 0)
                << controls[i].className;
        }
        EXPECT_EQ(controls[0].text, "OK");
        EXPECT_EQ(controls[1].style & BS_TYPEMASK, BS_GROUPBOX);
        EXPECT_NE(controls[2].text.find("1.5"), std::string::npos) << controls[2].text;
        EXPECT_NE(controls[3].text.find("1.3"), std::string::npos) << controls[3].text;
        EXPECT_FALSE(IsWindowEnabled(window)) << "the box is modal";

        if (closeWith == IDOK)
            driver::pressButton(about, IDOK);
        else
            PostMessageA(controls[0].handle, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(driver::waitUntil([&] { return !IsWindow(about); }, 10000));
        EXPECT_TRUE(driver::waitUntil([&] { return IsWindowEnabled(window) != 0; }, 10000));
    }
    EXPECT_TRUE(program.running());
    e2e::closeAndExpectExitCode0(program, window);
}

TEST_F(Menu, UnknownCommandDoesNothing)
{
    Program program;
    HWND window = start(program);
    ASSERT_NE(window, nullptr);
    for (int id : {0, 1, 2, 503, 505, 9002, 9004, 9011, 9014, 65535})
        driver::sendCommand(window, id);
    EXPECT_TRUE(driver::noMessageBoxWithin(program.pid(), 1000));
    EXPECT_TRUE(program.running());
    EXPECT_TRUE(IsWindowVisible(window));
    e2e::closeAndExpectExitCode0(program, window);
}

namespace {

// The caption's small icon as the screen shows it (Wine draws the caption
// itself on the test display). The icon of another process's window cannot
// be asked for under Wine: WM_GETICON answers 0 across processes.
std::vector<COLORREF> captionIcon(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    int frame = GetSystemMetrics(SM_CXFIXEDFRAME) + GetSystemMetrics(SM_CXEDGE);
    RECT icon = {r.left, r.top, r.left + frame + 20,
                 r.top + GetSystemMetrics(SM_CYCAPTION) + frame};
    return driver::settledPixels(icon);
}

// The right end of the caption, one caption button wide, as the screen shows
// it: the close box and the frame around it.
std::vector<COLORREF> closeBox(HWND window, LONG *width)
{
    RECT r;
    GetWindowRect(window, &r);
    int frame = GetSystemMetrics(SM_CXFIXEDFRAME) + GetSystemMetrics(SM_CXEDGE);
    RECT box = {r.right - frame - GetSystemMetrics(SM_CXSIZE), r.top, r.right,
                r.top + frame + GetSystemMetrics(SM_CYCAPTION)};
    *width = box.right - box.left;
    return driver::screenPixels(box);
}

// Whether the black pixels of an area (the glyph's ink; frames and button
// edges are grey) draw an X: they span a square from corner to corner, and
// each lies on one of its diagonals. A letter drawn in its place, as with
// Wine's fallback font where Marlett is missing ("r" for the close glyph),
// has a stem off the diagonals or too little ink.
::testing::AssertionResult inkFormsAnX(const std::vector<COLORREF> &pixels, LONG width)
{
    std::vector<POINT> ink;
    for (size_t i = 0; i < pixels.size(); ++i) {
        COLORREF c = pixels[i];
        if (GetRValue(c) < 64 && GetGValue(c) < 64 && GetBValue(c) < 64)
            ink.push_back({static_cast<LONG>(i) % width, static_cast<LONG>(i) / width});
    }
    if (ink.size() < 8)
        return ::testing::AssertionFailure() << ink.size() << " black pixels, too few for a glyph";
    RECT span = {ink[0].x, ink[0].y, ink[0].x, ink[0].y};
    for (const POINT &p : ink) {
        span.left = std::min(span.left, p.x);
        span.right = std::max(span.right, p.x);
        span.top = std::min(span.top, p.y);
        span.bottom = std::max(span.bottom, p.y);
    }
    LONG w = span.right - span.left, h = span.bottom - span.top;
    if (w < 4 || labs(w - h) > 1)
        return ::testing::AssertionFailure()
               << "the black pixels span " << w + 1 << "x" << h + 1 << ", not a square";
    auto inkNear = [&](LONG x, LONG y) {
        return std::any_of(ink.begin(), ink.end(), [&](const POINT &p) {
            return labs(p.x - x) <= 1 && labs(p.y - y) <= 1;
        });
    };
    const POINT ends[] = {{span.left, span.top},
                          {span.right, span.top},
                          {span.left, span.bottom},
                          {span.right, span.bottom},
                          {span.left + w / 2, span.top + h / 2}};
    for (const POINT &end : ends)
        if (!inkNear(end.x, end.y))
            return ::testing::AssertionFailure()
                   << "no black pixel at the corner or centre (" << end.x << ", " << end.y << ")";
    for (const POINT &p : ink) {
        // Distance from each diagonal, times its length; w + h is about 1.4 px.
        LONG dx = p.x - span.left, dy = p.y - span.top;
        if (labs(dx * h - dy * w) > w + h && labs((w - dx) * h - dy * w) > w + h)
            return ::testing::AssertionFailure()
                   << "black pixel (" << p.x << ", " << p.y << ") is off both diagonals";
    }
    return ::testing::AssertionSuccess();
}

}   // namespace

TEST_F(Menu, SmallIconComesFromRavenlookIcoWhenPresent)
{
    std::vector<COLORREF> standard;
    {
        Program program;
        HWND window = start(program);
        ASSERT_NE(window, nullptr);
        standard = captionIcon(window);
        e2e::closeAndExpectExitCode0(program, window);
    }
    // The same window again: the standard icon draws the same pixels.
    {
        Program program;
        HWND window = start(program);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(captionIcon(window) == standard) << "the caption is not stable";
        e2e::closeAndExpectExitCode0(program, window);
    }
    ASSERT_TRUE(CopyFileA((e2e::distributionPath() + "\\Ravenlook.001").c_str(),
                          (folder_ + "\\Ravenlook.ico").c_str(), FALSE));
    Program program;
    HWND window = start(program);
    ASSERT_NE(window, nullptr);
    std::vector<COLORREF> ours = captionIcon(window);
    size_t different = 0;
    for (size_t i = 0; i < ours.size() && i < standard.size(); ++i)
        different += ours[i] != standard[i];
    EXPECT_GT(different, 20u) << "the caption still shows the standard icon";
    e2e::closeAndExpectExitCode0(program, window);
}

TEST_F(Menu, CloseBoxShowsTheCloseGlyph)
{
    SKIP_UNLESS_WINE("the glyph is Wine's own caption drawing with the prefix's Marlett font");
    Program program;
    HWND window = start(program);
    ASSERT_NE(window, nullptr);
    LONG width = 0;
    std::vector<COLORREF> box;
    driver::waitUntil(
        [&] {
            box = closeBox(window, &width);
            return static_cast<bool>(inkFormsAnX(box, width));
        },
        5000);
    EXPECT_TRUE(inkFormsAnX(box, width))
        << "the close box does not show its X (is Marlett missing?)";
    e2e::closeAndExpectExitCode0(program, window);
}
