// Shared steps of the end-to-end tests: a prepared folder holding the
// installer (and whatever the test puts beside it), the installer started
// there, and the install and the uninstall through the window as a user
// goes through them.
#pragma once

#include "driver.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace e2e {

using testsupport::kShortcutDir;

// The installer built by this tree (Windows path).
inline std::string installerPath()
{
    return testsupport::requiredPathFromEnvironment("RAVENLOOK_INSTALLER");
}

// The sample distribution folder (Windows path).
inline std::string distributionPath()
{
    return testsupport::requiredPathFromEnvironment("RAVENLOOK_DIST");
}

// A fresh folder c:\ravenlook-tests\<name> holding a copy of the installer
// as Ravenlook_inst.exe and, when licence is not null, a LICENSE.txt.
inline std::string prepareFolder(const std::string &name, const char *licence)
{
    std::string folder = testsupport::scratchFolder(name);
    CopyFileA(installerPath().c_str(), (folder + "\\Ravenlook_inst.exe").c_str(), FALSE);
    if (licence)
        testsupport::writeFile(folder + "\\LICENSE.txt", licence);
    return folder;
}

// A fresh folder c:\ravenlook-tests\<name> holding the sample
// distribution as a user extracts it (the setup program and the seven files
// it copies), without the files named in leaveOut.
inline std::string prepareDistribution(const std::string &name,
                                       const std::vector<std::string> &leaveOut = {})
{
    std::string folder = testsupport::scratchFolder(name);
    std::string dist = distributionPath();
    for (const std::string &file : testsupport::listFolder(dist)) {
        if (std::find(leaveOut.begin(), leaveOut.end(), file) != leaveOut.end())
            continue;
        EXPECT_TRUE(CopyFileA((dist + "\\" + file).c_str(), (folder + "\\" + file).c_str(), FALSE))
            << file;
    }
    EXPECT_TRUE(testsupport::fileExists(folder + "\\Ravenlook_inst.exe"));
    return folder;
}

// The processes that run the installed application, wherever it lies.
inline std::vector<DWORD> applications()
{
    return testsupport::processesWhere([](const std::string &image) {
        return _stricmp(image.c_str() + image.rfind('\\') + 1, testsupport::kApplicationExe) == 0;
    });
}

// The stand-in logs before it ends, and the file of a program still ending
// cannot be deleted yet: a test that removes it waits for this.
inline bool applicationsEnded()
{
    return driver::waitUntil([] { return applications().empty(); }, 10000);
}

// The stand-in application writes a line "app|<parent process>|<current
// directory>|<command line>" to this log when it starts, then ends at
// once, or stays when stays is true: the tests see what the installer
// started, and how. The settings reach it in the registry (see
// kStandinSettings), however it is started.
class StandInLog {
public:
    explicit StandInLog(bool stays = false) : path_("c:\\ravenlook-tests\\standin.log")
    {
        DeleteFileA(path_.c_str());
        EXPECT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, testsupport::kStandinSettings, "Log", REG_SZ,
                                  path_.c_str(), static_cast<DWORD>(path_.size() + 1)),
                  ERROR_SUCCESS);
        if (!stays)
            RegSetKeyValueA(HKEY_CURRENT_USER, testsupport::kStandinSettings, "Exit", REG_SZ, "1",
                            2);
    }
    ~StandInLog()
    {
        RegDeleteKeyA(HKEY_CURRENT_USER, testsupport::kStandinSettings);
        DeleteFileA(path_.c_str());
    }
    // The whole lines written so far, waiting up to the timeout for at
    // least count of them.
    std::vector<std::string> lines(size_t count = 1, int timeoutMs = 10000) const
    {
        std::vector<std::string> result;
        driver::waitUntil(
            [&] {
                result.clear();
                std::string text = testsupport::readFile(path_);
                for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
                     start = end + 1)
                    result.push_back(text.substr(start, end - start));
                return result.size() >= count;
            },
            timeoutMs);
        return result;
    }

private:
    std::string path_;
};

// Starts folder\Ravenlook_inst.exe there and waits for its visible window.
inline HWND startInstaller(driver::Program &program, const std::string &folder,
                           const std::string &args = "", int showCommand = -1)
{
    std::string exe = folder + "\\Ravenlook_inst.exe";
    if (!program.start(exe, args, folder, nullptr, showCommand)) {
        ADD_FAILURE() << "cannot start " << exe;
        return nullptr;
    }
    HWND window = driver::waitForWindow(program.pid(), testsupport::kWindowClass);
    if (!window)
        ADD_FAILURE() << "no setup window appeared";
    return window;
}

// Presses "Agree" and waits for the box that ends the install.
inline driver::MessageBoxView pressAgree(const driver::Program &program, HWND window)
{
    driver::pressButton(window, testsupport::ID_AGREE);
    return driver::waitForMessageBox(program.pid(), 60000);
}

// Expects the program to end with exit code 0.
inline void expectEndsWithCode0(driver::Program &program)
{
    DWORD exitCode = 12345;
    ASSERT_TRUE(program.waitForExit(&exitCode)) << "the program did not end";
    EXPECT_EQ(exitCode, 0u);
}

// Confirms a closing box and expects the program to end with exit code 0.
inline void confirmAndExpectEnd(driver::Program &program, const driver::MessageBoxView &box)
{
    driver::pressButton(box.handle, IDOK);
    expectEndsWithCode0(program);
}

// Closes the setup window as the caption's close box does and expects the
// process to end with exit code 0.
inline void closeAndExpectExitCode0(driver::Program &program, HWND window)
{
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    expectEndsWithCode0(program);
}

// Installs from the folder as a user does: "Agree", the completion box,
// its OK and the end of the installer.
inline void installThroughWindow(const std::string &folder)
{
    driver::Program program;
    HWND window = startInstaller(program, folder);
    ASSERT_NE(window, nullptr);
    driver::MessageBoxView box = pressAgree(program, window);
    ASSERT_EQ(box.text.substr(0, 23), "Installation completed!");
    confirmAndExpectEnd(program, box);
}

// Starts the uninstaller by a command line as Settings runs the entry's
// command, in a folder of its own, and waits for its window.
inline HWND startByCommand(driver::Program &program, const std::string &commandLine)
{
    if (!program.start("", "", "c:\\", commandLine.c_str())) {
        ADD_FAILURE() << "cannot start " << commandLine;
        return nullptr;
    }
    return driver::waitForWindow(program.pid(), testsupport::kWindowClass);
}

// Starts what Uninstall.lnk of the shortcut folder names, with its
// arguments, in its folder, and waits for its window.
inline HWND startFromUninstallShortcut(driver::Program &program,
                                       const std::string &shortcutFolder = kShortcutDir)
{
    testsupport::LinkFields link = testsupport::readShortcut(shortcutFolder + "\\Uninstall.lnk");
    EXPECT_TRUE(link.loaded);
    EXPECT_EQ(link.arguments, "-u");
    if (!program.start(link.path, link.arguments, link.workingDirectory)) {
        ADD_FAILURE() << "cannot start " << link.path;
        return nullptr;
    }
    return driver::waitForWindow(program.pid(), testsupport::kWindowClass);
}

// Chooses Uninstall > Go... and returns the question it asks (no handle
// when none comes: Go... is not enabled).
inline driver::MessageBoxView chooseGo(const driver::Program &program, HWND window)
{
    EXPECT_TRUE(driver::chooseMenuItem(program.pid(), window, 'u', 'g'));
    return driver::waitForMessageBox(program.pid(), 10000);
}

// Chooses Uninstall > Go..., answers OK and returns the box that reports
// the outcome.
inline driver::MessageBoxView goAndConfirm(const driver::Program &program, HWND window)
{
    driver::MessageBoxView question = chooseGo(program, window);
    if (!question.handle)
        return question;
    driver::pressButton(question.handle, IDOK);
    EXPECT_TRUE(driver::waitUntil([&] { return !IsWindow(question.handle); }));
    return driver::waitForMessageBox(program.pid(), 30000);
}

// The rest of an uninstall in the started uninstaller: Go..., OK,
// "Uninstall concluded!", OK and its end.
inline void concludeUninstall(driver::Program &program, HWND window)
{
    ASSERT_NE(window, nullptr) << "no uninstall window appeared";
    driver::MessageBoxView done = goAndConfirm(program, window);
    ASSERT_EQ(done.text, testsupport::kUninstallConcluded);
    confirmAndExpectEnd(program, done);
}

// The whole uninstall through the Uninstall shortcut.
inline void uninstallThroughShortcut(const std::string &shortcutFolder = kShortcutDir)
{
    driver::Program program;
    HWND window = startFromUninstallShortcut(program, shortcutFolder);
    ASSERT_NO_FATAL_FAILURE(concludeUninstall(program, window));
}

// Expects Uninstall > Go... to be greyed: the menu takes the key, and
// nothing comes of it. A chosen Go... would have posted its command before
// the About command sent after it, and its question would come first; the
// About box alone shows that nothing was chosen.
inline void expectGoGreyed(const driver::Program &program, HWND window)
{
    ASSERT_TRUE(driver::chooseMenuItem(program.pid(), window, 'u', 'g'));
    driver::sendCommand(window, testsupport::ID_ABOUT);
    HWND about = driver::waitForWindow(program.pid(), "#32770", 10000);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(driver::windowText(about), "About");
    EXPECT_EQ(driver::topWindows(program.pid(), "#32770", true).size(), 1u) << "Go... was chosen";
    driver::pressButton(about, IDOK);
    EXPECT_TRUE(driver::waitUntil([&] { return !IsWindow(about); }));
}

}   // namespace e2e
