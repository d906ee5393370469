// Shared set-up of the end-to-end tests: a prepared folder holding the
// installer (and whatever the test puts beside it), and the installer
// started there.
#pragma once

#include "driver.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace e2e {

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

// The stand-in application writes a line "app|<current directory>|<command
// line>" to this log when it starts, then ends at once: the tests see what
// the installer started, and no window stays behind. The variables reach
// it through the installer, which passes its environment on.
class StandInLog {
public:
    StandInLog() : path_("c:\\ravenlook-tests\\standin.log")
    {
        DeleteFileA(path_.c_str());
        SetEnvironmentVariableA("RAVENLOOK_STANDIN_LOG", path_.c_str());
        SetEnvironmentVariableA("RAVENLOOK_STANDIN_EXIT", "1");
    }
    ~StandInLog()
    {
        SetEnvironmentVariableA("RAVENLOOK_STANDIN_LOG", nullptr);
        SetEnvironmentVariableA("RAVENLOOK_STANDIN_EXIT", nullptr);
        DeleteFileA(path_.c_str());
    }
    // The lines written so far, waiting up to the timeout for the first.
    std::vector<std::string> lines(int timeoutMs = 10000) const
    {
        std::vector<std::string> result;
        driver::waitUntil([&] { return testsupport::fileExists(path_); }, timeoutMs);
        std::string text = testsupport::readFile(path_);
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            std::string line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.empty())
                result.push_back(line);
            start = end + 1;
        }
        return result;
    }

private:
    std::string path_;
};

// Starts folder\Ravenlook_inst.exe there and waits for its visible window.
inline HWND startInstaller(driver::Program &program, const std::string &folder,
                           const std::string &args = "")
{
    std::string exe = folder + "\\Ravenlook_inst.exe";
    if (!program.start(exe, args, folder)) {
        ADD_FAILURE() << "cannot start " << exe;
        return nullptr;
    }
    HWND window = driver::waitForWindow(program.pid(), "myWindowClass");
    if (!window)
        ADD_FAILURE() << "no setup window appeared";
    return window;
}

// Presses "Agree" and waits for the box that ends the install.
inline driver::MessageBoxView pressAgree(const driver::Program &program, HWND window)
{
    driver::pressButton(window, 504);
    return driver::waitForMessageBox(program.pid(), 60000);
}

// Confirms a closing box and expects the program to end with exit code 0.
inline void confirmAndExpectEnd(driver::Program &program, const driver::MessageBoxView &box)
{
    driver::pressButton(box.handle, IDOK);
    DWORD exitCode = 12345;
    ASSERT_TRUE(program.waitForExit(&exitCode)) << "the program did not end";
    EXPECT_EQ(exitCode, 0u);
}

// Closes the setup window as the caption's close box does and expects the
// process to end with exit code 0.
inline void closeAndExpectExitCode0(driver::Program &program, HWND window)
{
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD exitCode = 12345;
    ASSERT_TRUE(program.waitForExit(&exitCode)) << "the installer did not end";
    EXPECT_EQ(exitCode, 0u);
}

}   // namespace e2e
