// The end-to-end driver: starts a real program under Wine and works its
// windows as a user would: finds the windows of its process, reads their
// texts, presses buttons. Every wait has a timeout and fails the test.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace driver {

enum { DEFAULT_TIMEOUT_MS = 20000 };

// A started program; terminated on destruction if it still runs, so a
// failing test leaves nothing behind.
class Program {
public:
    Program() = default;
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // Starts exe with the command line "exe" + (args empty ? "" : " " + args),
    // or with commandLine verbatim when given, in the folder cwd. With exe
    // empty, the system takes the program from the command line, as a
    // shell runs a command. A showCommand of 0 or more is passed in the
    // start-up information (STARTF_USESHOWWINDOW), as a shortcut passes
    // "Minimised".
    bool start(const std::string &exe, const std::string &args, const std::string &cwd,
               const char *commandLine = nullptr, int showCommand = -1);
    DWORD pid() const { return info_.dwProcessId; }
    HANDLE process() const { return info_.hProcess; }
    bool running() const;
    // Waits for the end; returns true and the exit code, or false on timeout.
    bool waitForExit(DWORD *exitCode, int timeoutMs = DEFAULT_TIMEOUT_MS);
    void terminate();

private:
    PROCESS_INFORMATION info_ = {};
    bool started_ = false;
};

struct Control {
    HWND handle;
    std::string className;
    int id;
    std::string text;
    RECT clientRect;   // in the parent's client coordinates
    LONG style;
    bool enabled;
    bool visible;
};

std::string windowText(HWND window);   // WM_GETTEXT with a timeout
std::string windowClass(HWND window);
// The direct children of a window in creation (Z) order.
std::vector<Control> childControls(HWND parent);
// First child with that id, or null.
HWND childById(HWND parent, int id);

// Top-level windows of the process, optionally only those of a class and
// only visible ones.
std::vector<HWND> topWindows(DWORD pid, const char *className, bool visibleOnly);
// Waits until a (visible) top-level window of the class exists.
HWND waitForWindow(DWORD pid, const char *className, int timeoutMs = DEFAULT_TIMEOUT_MS,
                   bool visibleOnly = true);

// A message box of the process (a visible #32770 dialog) and what it shows.
struct MessageBoxView {
    HWND handle = nullptr;
    std::string caption;
    std::string text;             // the box's message text
    std::vector<int> buttonIds;   // e.g. IDOK, IDCANCEL
    int defaultButtonId = 0;      // the button drawn as the default (BS_DEFPUSHBUTTON)
    bool hasIcon = false;         // a static with SS_ICON
};
MessageBoxView waitForMessageBox(DWORD pid, int timeoutMs = DEFAULT_TIMEOUT_MS,
                                 HWND notThis = nullptr);
MessageBoxView readMessageBox(HWND box);
// True when no visible #32770 of the process appears within the time.
bool noMessageBoxWithin(DWORD pid, int milliseconds);

// Presses the button with that id in a dialog as a click would.
void pressButton(HWND dialog, int buttonId);
// Sends a WM_COMMAND (menu item or button) to the window.
void sendCommand(HWND window, int commandId);

// Chooses a menu item with the keyboard as a user does: Alt + the popup's
// access key opens the popup, the item's access key chooses it. True when
// the popup opened and closed again after the key (for an item that stays
// open, such as a greyed one on Windows, an Escape closes it). Whether the
// item was chosen shows only in what follows. (Menus of another process
// cannot be read under Wine: GetMenu's handle means nothing outside the
// process that made it.)
bool chooseMenuItem(DWORD pid, HWND window, char popupKey, char itemKey);

// Milliseconds of the performance counter: GetTickCount moves in coarse
// ticks and would show a second's pause as less.
double nowMs();
// The system timer's resolution: a pause of the program may end this much
// before its time by the performance counter.
const double kClockSlackMs = 16.0;

// Waits until the rectangle of the screen shows the same pixels twice in
// a row, 100 ms apart (a window has finished painting), and returns them.
std::vector<COLORREF> settledPixels(const RECT &area, int timeoutMs = 5000);

// The colours of a rectangle of the screen, row by row.
std::vector<COLORREF> screenPixels(const RECT &area);

// Polls until the condition holds or the time is over.
template <typename Condition>
bool waitUntil(Condition condition, int timeoutMs = DEFAULT_TIMEOUT_MS)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (static_cast<int>(GetTickCount() - start) > timeoutMs)
            return false;
        Sleep(20);
    }
}

// Saves a picture of the whole screen as a 24-bit BMP (the demo's
// walkthrough converts it to PNG).
bool saveScreenshot(const std::string &bmpPath);

}   // namespace driver
