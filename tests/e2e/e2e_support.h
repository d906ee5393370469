// Shared set-up of the end-to-end tests: a prepared folder holding the
// installer (and whatever the test puts beside it), and the installer
// started there.
#pragma once

#include "driver.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

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

// Closes the setup window as the caption's close box does and expects the
// process to end with exit code 0.
inline void closeAndExpectExitCode0(driver::Program &program, HWND window)
{
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD exitCode = 12345;
    ASSERT_TRUE(program.waitForExit(&exitCode)) << "the installer did not end";
    EXPECT_EQ(exitCode, 0u);
}

} // namespace e2e
