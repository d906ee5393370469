// The setup window as a user sees it: its frame, its eight controls, the
// agreement text, the start-up message for a missing licence and the lock
// of the buttons by -u.
#include "e2e_support.h"

#include <vector>

using namespace testsupport;
using driver::Control;
using driver::Program;

namespace {

const char kTwoLineLicence[] = "Ravenlook licence\nSecond line\r\nThird line\n";

struct ExpectedControl {
    const char *className;
    int id;
    const char *text;
    int left, top, width, height;
    bool lockable;
};

// As the user sees them, in creation order; pixels in client coordinates.
const ExpectedControl kExpectedControls[] = {
    {"Static", 0, "Welcome to Ravenlook Install!", 24, 28, 280, 18, false},
    {"Static", 0,
     "Read the License Agreement below and, in case you agree, press \"Agree\" to install "
     "Ravenlook:",
     24, 62, 450, 36, false},
    {"Static", 0, "License Agreement:", 24, 122, 300, 18, false},
    {"Edit", 512, "Ravenlook licence\r\nSecond line\r\nThird line\r\n", 24, 147, 450, 109, false},
    {"Button", 504, "Agree", 240, 263, 110, 21, true},
    {"Button", 9013, "Not agree", 363, 263, 110, 21, true},
    {"Static", 0, "Status:", 24, 297, 300, 18, false},
    {"msctls_progress32", 502, "", 24, 323, 450, 30, false},
};

bool sameClass(const std::string &actual, const char *expected)
{
    return lstrcmpiA(actual.c_str(), expected) == 0;
}

void expectButtonsEnabled(HWND window, bool enabled)
{
    EXPECT_EQ(IsWindowEnabled(GetDlgItem(window, 504)) != 0, enabled) << "Agree";
    EXPECT_EQ(IsWindowEnabled(GetDlgItem(window, 9013)) != 0, enabled) << "Not agree";
}

}   // namespace

TEST(SetupWindow, HasItsClassTitleStyleAndCentredRectangle)
{
    std::string folder = e2e::prepareFolder("window-frame", kTwoLineLicence);
    Program program;
    HWND window = e2e::startInstaller(program, folder);
    ASSERT_NE(window, nullptr);

    EXPECT_EQ(driver::windowClass(window), "myWindowClass");
    EXPECT_EQ(driver::windowText(window), "Ravenlook Install");
    RECT r;
    GetWindowRect(window, &r);
    // Centred on the desktop: (1024 - 505) / 2 = 259 on the tests' Wine
    // desktop, whatever the screen of a Windows machine gives.
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    EXPECT_EQ(r.left, (desktop.right - desktop.left - 505) / 2);
    EXPECT_EQ(r.top, 50);
    EXPECT_EQ(r.right - r.left, 505);
    EXPECT_EQ(r.bottom - r.top, 425);
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0) << "fixed size, no maximise box";
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(IsWindowVisible(window));
    e2e::closeAndExpectExitCode0(program, window);

    // Started minimised, as a shortcut set to "Minimised" starts it: the
    // program passes on how it was asked to show its window.
    Program minimised;
    window = e2e::startInstaller(minimised, folder, "", SW_SHOWMINNOACTIVE);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsIconic(window));
    e2e::closeAndExpectExitCode0(minimised, window);
}

TEST(SetupWindow, ShowsEightControlsInCreationOrder)
{
    std::string folder = e2e::prepareFolder("window-controls", kTwoLineLicence);
    Program program;
    HWND window = e2e::startInstaller(program, folder);
    ASSERT_NE(window, nullptr);

    std::vector<Control> controls = driver::childControls(window);
    ASSERT_EQ(controls.size(), 8u);
    for (size_t i = 0; i < controls.size(); ++i) {
        const ExpectedControl &want = kExpectedControls[i];
        const Control &got = controls[i];
        SCOPED_TRACE("control " + std::to_string(i + 1) + " " + want.className);
        EXPECT_TRUE(sameClass(got.className, want.className)) << got.className;
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(got.text, want.text);
        EXPECT_EQ(got.clientRect.left, want.left);
        EXPECT_EQ(got.clientRect.top, want.top);
        EXPECT_EQ(got.clientRect.right - got.clientRect.left, want.width);
        EXPECT_EQ(got.clientRect.bottom - got.clientRect.top, want.height);
        EXPECT_TRUE(got.enabled) << (want.lockable ? "a button" : "a label");
        EXPECT_TRUE(got.visible);
    }
    // The edit control takes WS_BORDER out of its style to draw the border
    // itself and adds ES_AUTOVSCROLL; the rest is the style it was created
    // with (the exact creation style is checked in the unit tests).
    const LONG boxStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY;
    EXPECT_EQ(controls[3].style & boxStyle, boxStyle);
    EXPECT_FALSE(controls[3].style & (ES_PASSWORD | ES_NUMBER));
    EXPECT_EQ(controls[4].style & 0xF, BS_DEFPUSHBUTTON);
    EXPECT_EQ(controls[5].style & 0xF, BS_DEFPUSHBUTTON);
    EXPECT_EQ(SendMessageA(controls[7].handle, PBM_GETPOS, 0, 0), 0) << "bar starts empty";
    EXPECT_EQ(SendMessageA(controls[7].handle, PBM_GETRANGE, FALSE, 0), 100) << "range 0 to 100";

    e2e::closeAndExpectExitCode0(program, window);
}

TEST(SetupWindow, MissingLicenceShowsMessage16AndDisablesTheButtons)
{
    std::string folder = e2e::prepareFolder("window-no-licence", nullptr);
    Program program;
    std::string exe = folder + "\\Ravenlook_inst.exe";
    ASSERT_TRUE(program.start(exe, "", folder));

    driver::MessageBoxView box = driver::waitForMessageBox(program.pid());
    ASSERT_NE(box.handle, nullptr) << "no message box for the missing LICENSE.txt";
    EXPECT_EQ(box.caption, "Ravenlook Install");
    EXPECT_EQ(box.text, "Please, extract ALL the files to a temporary directory and\n"
                        "run the installation program from this directory! (016)");
    EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
    EXPECT_FALSE(box.hasIcon);
    // Shown before the window is: the box is owned by the still hidden window.
    HWND owner = GetWindow(box.handle, GW_OWNER);
    EXPECT_EQ(driver::windowClass(owner), "myWindowClass");
    EXPECT_FALSE(IsWindowVisible(owner));

    driver::pressButton(box.handle, IDOK);
    HWND window = driver::waitForWindow(program.pid(), "myWindowClass");
    ASSERT_NE(window, nullptr);
    expectButtonsEnabled(window, false);
    EXPECT_EQ(driver::windowText(GetDlgItem(window, 512)), "");
    e2e::closeAndExpectExitCode0(program, window);
}

TEST(SetupWindow, UninstallSwitchLocksTheButtonsAndStillShowsTheText)
{
    // The switch counts only when it is exactly "-u", after any blanks and
    // after the program's name, quoted or not.
    const struct Case {
        const char *arguments;
        bool locked;
    } cases[] = {
        {"-u", true},  {"     -u", true}, {"\t-u", true}, {"-u ", false},        {"/u", false},
        {"-U", false}, {"-u x", false},   {"", false},    {"unquoted -u", true},
    };
    std::string folder = e2e::prepareFolder("window-switch", kTwoLineLicence);
    std::string exe = folder + "\\Ravenlook_inst.exe";
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("arguments \"") + c.arguments + "\"");
        std::string line = "\"" + exe + "\"" + (c.arguments[0] ? " " : "") + c.arguments;
        if (std::string(c.arguments) == "unquoted -u")
            line = "Ravenlook_inst.exe -u";
        Program program;
        ASSERT_TRUE(program.start(exe, "", folder, line.c_str()));
        HWND window = driver::waitForWindow(program.pid(), kWindowClass);
        ASSERT_NE(window, nullptr);
        expectButtonsEnabled(window, !c.locked);
        EXPECT_EQ(driver::windowText(GetDlgItem(window, ID_AGREEMENT_BOX)),
                  "Ravenlook licence\r\nSecond line\r\nThird line\r\n");
        e2e::closeAndExpectExitCode0(program, window);
    }
}

TEST(SetupWindow, LargeLicenceIsCutAtTheBoundAndTheWindowStillWorks)
{
    std::string licence;
    while (licence.size() < 40000)
        licence += "This licence line is repeated to make a long agreement text.\n";
    std::string folder = e2e::prepareFolder("window-large-licence", licence.c_str());
    Program program;
    HWND window = e2e::startInstaller(program, folder);
    ASSERT_NE(window, nullptr);
    std::string shown = driver::windowText(GetDlgItem(window, 512));
    EXPECT_EQ(shown.size(), 25599u);
    EXPECT_EQ(shown.substr(0, 64),
              "This licence line is repeated to make a long agreement text.\r\nTh");
    expectButtonsEnabled(window, true);
    e2e::closeAndExpectExitCode0(program, window);
}
