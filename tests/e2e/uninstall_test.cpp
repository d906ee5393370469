// Uninstalling as a user does: the "Uninstall" shortcut starts the installed
// copy with -u in the install directory, "Go..." asks, OK removes.
#include "e2e_support.h"

#include <iostream>
#include <string>
#include <vector>

using namespace testsupport;
using driver::MessageBoxView;
using driver::Program;

namespace {

const char kWarning[] = "ATTENTION: Videos saved in the installation directory will be removed.\n"
                        "\t\tDo you really want to continue?";

std::string installed(const char *name)
{
    return std::string(kInstallDir) + "\\" + name;
}

class Uninstall : public ::testing::Test {
protected:
    void SetUp() override
    {
        removeInstallation();
        ASSERT_TRUE(makeDirectories(kStartMenuPrograms));
    }
    void TearDown() override { removeInstallation(); }

    // A real installation through the window, as a user makes it.
    void install()
    {
        std::string folder = e2e::prepareDistribution("uninstall-source");
        e2e::StandInLog log;
        Program program;
        HWND window = e2e::startInstaller(program, folder);
        ASSERT_NE(window, nullptr);
        MessageBoxView box = e2e::pressAgree(program, window);
        ASSERT_EQ(box.text.substr(0, 23), "Installation completed!");
        e2e::confirmAndExpectEnd(program, box);
        log.lines();   // the application started and ended
        deleteTree("c:\\ravenlook-tests\\uninstall-source");
    }

    // Starts what Uninstall.lnk names, with its arguments, in its folder.
    HWND followUninstallShortcut(Program &program)
    {
        LinkFields link = readShortcut(std::string(kShortcutDir) + "\\Uninstall.lnk");
        EXPECT_TRUE(link.loaded);
        EXPECT_EQ(link.arguments, "-u");
        EXPECT_EQ(link.workingDirectory, kInstallDir);
        if (!program.start(link.path, link.arguments, link.workingDirectory)) {
            ADD_FAILURE() << "cannot start " << link.path;
            return nullptr;
        }
        return driver::waitForWindow(program.pid(), "myWindowClass");
    }

    // Chooses Uninstall > Go... and returns the confirmation box.
    MessageBoxView chooseGo(Program &program, HWND window)
    {
        EXPECT_TRUE(driver::chooseMenuItem(program.pid(), window, 'u', 'g'));
        return driver::waitForMessageBox(program.pid(), 5000);
    }

    void expectEndsWithCode0(Program &program)
    {
        DWORD exitCode = 12345;
        ASSERT_TRUE(program.waitForExit(&exitCode)) << "the uninstaller did not end";
        EXPECT_EQ(exitCode, 0u);
    }
};

}   // namespace

TEST_F(Uninstall, ShortcutStartsTheInstalledCopyThatRemovesTheInstallation)
{
    ASSERT_NO_FATAL_FAILURE(install());
    makeDirectories(installed("videos"));
    writeFile(installed("videos\\holiday.avi"), "kept");
    writeFile(installed("saved.avi"), "removed");

    Program program;
    HWND window = followUninstallShortcut(program);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, 504))) << "Agree is locked by -u";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, 9013)));
    EXPECT_FALSE(driver::windowText(GetDlgItem(window, 512)).empty()) << "licence shown";

    // Cancel, the default, changes nothing.
    MessageBoxView box = chooseGo(program, window);
    ASSERT_NE(box.handle, nullptr) << "Go... is not enabled";
    EXPECT_EQ(box.caption, "Ravenlook Install");
    EXPECT_EQ(box.text, kWarning);
    EXPECT_EQ(box.buttonIds, (std::vector<int>{IDOK, IDCANCEL}));
    EXPECT_EQ(box.defaultButtonId, IDCANCEL);
    EXPECT_FALSE(box.hasIcon);
    driver::pressButton(box.handle, IDCANCEL);
    ASSERT_TRUE(driver::waitUntil([&] { return !IsWindow(box.handle); }));
    EXPECT_TRUE(driver::noMessageBoxWithin(program.pid(), 500));
    EXPECT_EQ(listFolder(kShortcutDir).size(), 4u);
    EXPECT_EQ(listFolder(kInstallDir).size(), 9u);

    // OK removes, after the pause.
    box = chooseGo(program, window);
    ASSERT_NE(box.handle, nullptr);
    DWORD start = GetTickCount();
    driver::pressButton(box.handle, IDOK);
    ASSERT_TRUE(driver::waitUntil([&] { return !IsWindow(box.handle); }));
    MessageBoxView done = driver::waitForMessageBox(program.pid(), 30000);
    DWORD elapsed = GetTickCount() - start;
    ASSERT_NE(done.handle, nullptr);
    EXPECT_EQ(done.text, "Uninstall concluded!");
    EXPECT_EQ(done.caption, "Ravenlook Install");
    EXPECT_EQ(done.buttonIds, std::vector<int>{IDOK});
    EXPECT_GE(elapsed, 2000u);

    EXPECT_FALSE(directoryExists(kShortcutDir));
    EXPECT_TRUE(directoryExists("c:\\windows\\start menu\\programs\\Ravenlook"));
    EXPECT_EQ(readFile(installed("videos\\holiday.avi")), "kept");
    // What remains directly in the install directory: the subfolder, and
    // the running uninstaller itself where the system refuses to delete it.
    std::vector<std::string> left = listFolder(kInstallDir);
    std::vector<std::string> allowed = {"Ravenlook_inst.exe", "videos"};
    for (const std::string &name : left)
        EXPECT_NE(std::find(allowed.begin(), allowed.end(), name), allowed.end()) << name;
    EXPECT_NE(std::find(left.begin(), left.end(), "videos"), left.end());
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Win310")) << "the record stays";

    driver::pressButton(done.handle, IDOK);
    expectEndsWithCode0(program);
    std::cout << "[ INFO     ] left in the install directory: ";
    for (const std::string &name : left)
        std::cout << name << " ";
    std::cout << std::endl;
}

TEST_F(Uninstall, WithoutARecordGoIsGreyedAndAForcedCommandGives12)
{
    ASSERT_NO_FATAL_FAILURE(install());
    deleteRecordKeys();
    Program program;
    HWND window = followUninstallShortcut(program);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(driver::chooseMenuItem(program.pid(), window, 'u', 'g'));
    EXPECT_TRUE(driver::noMessageBoxWithin(program.pid(), 1500)) << "Go... is greyed";

    // The command sent anyway, as another program could send it.
    driver::sendCommand(window, 9003);
    MessageBoxView box = driver::waitForMessageBox(program.pid(), 5000);
    ASSERT_NE(box.handle, nullptr);
    EXPECT_EQ(box.text, kWarning);
    driver::pressButton(box.handle, IDOK);
    ASSERT_TRUE(driver::waitUntil([&] { return !IsWindow(box.handle); }));
    MessageBoxView failure = driver::waitForMessageBox(program.pid(), 30000);
    ASSERT_NE(failure.handle, nullptr);
    EXPECT_EQ(failure.text, "Unable to get installation directory! (012)");
    EXPECT_FALSE(directoryExists(kShortcutDir)) << "the shortcut folder goes first";
    EXPECT_EQ(listFolder(kInstallDir).size(), 7u) << "the install directory is untouched";

    driver::pressButton(failure.handle, IDOK);
    EXPECT_TRUE(driver::waitUntil([&] { return !IsWindow(failure.handle); }));
    Sleep(300);
    EXPECT_TRUE(program.running()) << "a failed uninstall leaves the window open";
    e2e::closeAndExpectExitCode0(program, window);
}

TEST_F(Uninstall, RecordNamingAnotherFolderGives12AndDeletesNothingThere)
{
    std::string canary = scratchFolder("uninstall-canary");
    writeFile(canary + "\\precious.doc", "keep me");
    writeRecordFor(canary);
    std::string folder = e2e::prepareFolder("uninstall-foreign", "Licence.\n");

    Program program;
    HWND window = e2e::startInstaller(program, folder, "-u");
    ASSERT_NE(window, nullptr);
    MessageBoxView box = chooseGo(program, window);
    ASSERT_NE(box.handle, nullptr) << "Go... is enabled: a record exists";
    driver::pressButton(box.handle, IDOK);
    ASSERT_TRUE(driver::waitUntil([&] { return !IsWindow(box.handle); }));
    MessageBoxView failure = driver::waitForMessageBox(program.pid(), 30000);
    ASSERT_NE(failure.handle, nullptr);
    EXPECT_EQ(failure.text, "Unable to get installation directory! (012)");
    EXPECT_EQ(readFile(canary + "\\precious.doc"), "keep me");
    EXPECT_TRUE(directoryExists(canary));
    driver::pressButton(failure.handle, IDOK);
    e2e::closeAndExpectExitCode0(program, window);
    deleteTree(canary);
}
