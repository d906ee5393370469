#include "driver.h"

#include <algorithm>

namespace driver {

Program::~Program()
{
    terminate();
    if (started_) {
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
}

bool Program::start(const std::string &exe, const std::string &args, const std::string &cwd,
                    const char *commandLine, int showCommand)
{
    std::string line = commandLine ? std::string(commandLine)
                                   : "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    std::vector<char> mutableLine(line.begin(), line.end());
    mutableLine.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (showCommand >= 0) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(showCommand);
    }
    started_ = CreateProcessA(exe.empty() ? nullptr : exe.c_str(), mutableLine.data(), nullptr,
                              nullptr, FALSE, 0, nullptr, cwd.empty() ? nullptr : cwd.c_str(),
                              &startup, &info_) != 0;
    return started_;
}

bool Program::running() const
{
    return started_ && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Program::waitForExit(DWORD *exitCode, int timeoutMs)
{
    if (!started_ || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    GetExitCodeProcess(info_.hProcess, exitCode);
    return true;
}

void Program::terminate()
{
    if (running()) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
}

std::string windowText(HWND window)
{
    char text[32768];
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 5000, &length))
        return std::string();
    return std::string(text, std::min<size_t>(length, sizeof text - 1));
}

std::string windowClass(HWND window)
{
    char name[256];
    int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? length : 0);
}

static BOOL CALLBACK collectChild(HWND child, LPARAM context)
{
    auto *children = reinterpret_cast<std::vector<HWND> *>(context);
    children->push_back(child);
    return TRUE;
}

std::vector<Control> childControls(HWND parent)
{
    std::vector<HWND> all;
    EnumChildWindows(parent, collectChild, reinterpret_cast<LPARAM>(&all));
    std::vector<Control> controls;
    for (HWND child : all) {
        if (GetParent(child) != parent)
            continue;   // grandchildren (an edit's scroll bar, ...)
        Control c;
        c.handle = child;
        c.className = windowClass(child);
        c.id = GetDlgCtrlID(child);
        c.text = windowText(child);
        RECT screen;
        GetWindowRect(child, &screen);
        POINT topLeft = {screen.left, screen.top};
        POINT bottomRight = {screen.right, screen.bottom};
        ScreenToClient(parent, &topLeft);
        ScreenToClient(parent, &bottomRight);
        c.clientRect = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
        c.style = GetWindowLongA(child, GWL_STYLE);
        c.enabled = IsWindowEnabled(child) != 0;
        c.visible = IsWindowVisible(child) != 0;
        controls.push_back(c);
    }
    // Enumeration follows the Z order, which for siblings created without
    // reordering is the creation order.
    return controls;
}

HWND childById(HWND parent, int id)
{
    return GetDlgItem(parent, id);
}

struct TopWindowQuery {
    DWORD pid;
    const char *className;
    bool visibleOnly;
    std::vector<HWND> found;
};

static BOOL CALLBACK collectTopWindow(HWND window, LPARAM context)
{
    auto *query = reinterpret_cast<TopWindowQuery *>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != query->pid)
        return TRUE;
    if (query->visibleOnly && !IsWindowVisible(window))
        return TRUE;
    if (query->className && windowClass(window) != query->className)
        return TRUE;
    query->found.push_back(window);
    return TRUE;
}

std::vector<HWND> topWindows(DWORD pid, const char *className, bool visibleOnly)
{
    TopWindowQuery query = {pid, className, visibleOnly, {}};
    EnumWindows(collectTopWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND waitForWindow(DWORD pid, const char *className, int timeoutMs, bool visibleOnly)
{
    HWND found = nullptr;
    waitUntil(
        [&] {
            std::vector<HWND> windows = topWindows(pid, className, visibleOnly);
            found = windows.empty() ? nullptr : windows.front();
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

MessageBoxView readMessageBox(HWND box)
{
    MessageBoxView view;
    view.handle = box;
    view.caption = windowText(box);
    for (const Control &c : childControls(box)) {
        if (c.className == "Button") {
            view.buttonIds.push_back(c.id);
            if ((c.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                view.defaultButtonId = c.id;
        } else if (c.className == "Static" && (c.style & SS_TYPEMASK) == SS_ICON)
            view.hasIcon = view.hasIcon || (c.visible && SendMessageA(c.handle, STM_GETICON, 0, 0));
        else if (c.className == "Static" && c.id == 0xFFFF)
            view.text = c.text;
    }
    std::sort(view.buttonIds.begin(), view.buttonIds.end());
    return view;
}

// cppcheck-suppress constParameter ; HWND is an opaque handle, not data
MessageBoxView waitForMessageBox(DWORD pid, int timeoutMs, HWND notThis)
{
    HWND box = nullptr;
    waitUntil(
        [&] {
            for (HWND w : topWindows(pid, "#32770", true))
                if (w != notThis) {
                    box = w;
                    return true;
                }
            return false;
        },
        timeoutMs);
    // Give the box's controls a moment to receive their texts.
    if (box)
        waitUntil([&] { return !readMessageBox(box).buttonIds.empty(); }, 2000);
    return box ? readMessageBox(box) : MessageBoxView();
}

bool noMessageBoxWithin(DWORD pid, int milliseconds)
{
    return !waitUntil([&] { return !topWindows(pid, "#32770", true).empty(); }, milliseconds);
}

void pressButton(HWND dialog, int buttonId)
{
    HWND button = GetDlgItem(dialog, buttonId);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

void sendCommand(HWND window, int commandId)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

static bool popupMenuOpen(DWORD pid)
{
    return !topWindows(pid, "#32768", true).empty();
}

bool chooseMenuItem(DWORD pid, HWND window, char popupKey, char itemKey)
{
    PostMessageA(window, WM_SYSCOMMAND, SC_KEYMENU, popupKey);
    if (!waitUntil([&] { return popupMenuOpen(pid); }, 10000))
        return false;
    // The menu's modal loop reads every keyboard message of the thread.
    std::vector<HWND> popups = topWindows(pid, "#32768", true);
    PostMessageA(popups.front(), WM_CHAR, static_cast<WPARAM>(itemKey), 1);
    if (waitUntil([&] { return !popupMenuOpen(pid); }, 3000))
        return true;
    PostMessageA(popups.front(), WM_KEYDOWN, VK_ESCAPE, 1);
    return waitUntil([&] { return !popupMenuOpen(pid); }, 10000);
}

double nowMs()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::vector<COLORREF> settledPixels(const RECT &area, int timeoutMs)
{
    std::vector<COLORREF> last = screenPixels(area), now;
    waitUntil(
        [&] {
            Sleep(100);
            now = screenPixels(area);
            bool settled = now == last;
            last = now;
            return settled;
        },
        timeoutMs);
    return last;
}

std::vector<COLORREF> screenPixels(const RECT &area)
{
    std::vector<COLORREF> pixels;
    HDC screen = GetDC(nullptr);
    for (LONG y = area.top; y < area.bottom; ++y)
        for (LONG x = area.left; x < area.right; ++x)
            pixels.push_back(GetPixel(screen, x, y));
    ReleaseDC(nullptr, screen);
    return pixels;
}

bool saveScreenshot(const std::string &bmpPath)
{
    HDC screen = GetDC(nullptr);
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, previous);

    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    DWORD rowBytes = ((width * 3) + 3) & ~3u;
    std::vector<char> pixels(rowBytes * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO *>(&header),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    HANDLE out = CreateFileA(bmpPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return false;
    DWORD written;
    WriteFile(out, &file, sizeof file, &written, nullptr);
    WriteFile(out, &header, sizeof header, &written, nullptr);
    WriteFile(out, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
    CloseHandle(out);
    return true;
}

}   // namespace driver
