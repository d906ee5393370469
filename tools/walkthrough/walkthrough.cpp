// The scripted walkthrough of `make run` without a display of the user's:
// installs from the sample distribution and uninstalls again through the
// windows, as a user would, and saves a picture of the screen at each step.
// Usage: walkthrough.exe DISTRIBUTION_FOLDER PICTURE_FOLDER
#include "driver.h"
#include "test_support.h"

#include <stdio.h>

#include <string>

using driver::MessageBoxView;
using driver::Program;
using namespace testsupport;

namespace {

std::string g_pictures;
int g_step = 0;

void picture(const char *name)
{
    Sleep(400);   // let the windows paint
    char file[64];
    snprintf(file, sizeof file, "%02d-%s.bmp", ++g_step, name);
    std::string path = g_pictures + "\\" + file;
    if (driver::saveScreenshot(path))
        printf("walkthrough: step %d, %s\n", g_step, name);
    else
        printf("walkthrough: no picture for step %d (%s)\n", g_step, name);
    fflush(stdout);
}

int fail(const char *what)
{
    printf("walkthrough: %s\n", what);
    picture("failure");
    return 1;
}

bool ended(Program &program)
{
    DWORD exitCode;
    return program.waitForExit(&exitCode, 20000);
}

}   // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        printf("usage: walkthrough DISTRIBUTION_FOLDER PICTURE_FOLDER\n");
        return 2;
    }
    std::string dist = windowsPathOf(argv[1]);
    g_pictures = windowsPathOf(argv[2]);
    removeInstallation();
    makeDirectories(kStartMenuPrograms);   // where the shortcuts go

    // The installer, started in the extracted distribution.
    Program installer;
    if (!installer.start(dist + "\\Ravenlook_inst.exe", "", dist))
        return fail("cannot start the installer");
    HWND window = driver::waitForWindow(installer.pid(), "myWindowClass");
    if (!window)
        return fail("no setup window");
    picture("setup-window");

    driver::pressButton(window, 504);
    Sleep(2200);
    picture("installing");
    MessageBoxView done = driver::waitForMessageBox(installer.pid(), 60000);
    if (!done.handle)
        return fail("no completion box");
    picture("installation-completed");
    driver::pressButton(done.handle, IDOK);
    if (!ended(installer))
        return fail("the installer did not end");

    // The application the installer started.
    HWND application = nullptr;
    DWORD applicationPid = 0;
    driver::waitUntil([&] {
        application = FindWindowA("RavenlookStandinApplication", nullptr);
        return application != nullptr;
    });
    if (application) {
        picture("application-started");
        GetWindowThreadProcessId(application, &applicationPid);
        PostMessageA(application, WM_CLOSE, 0, 0);
        driver::waitUntil([&] { return !IsWindow(application); });
    } else {
        printf("walkthrough: the application window did not appear\n");
    }

    // The uninstaller, as the Uninstall shortcut starts it.
    LinkFields link = readShortcut(std::string(kShortcutDir) + "\\Uninstall.lnk");
    if (!link.loaded)
        return fail("no Uninstall shortcut");
    Program uninstaller;
    if (!uninstaller.start(link.path, link.arguments, link.workingDirectory))
        return fail("cannot start the uninstaller");
    window = driver::waitForWindow(uninstaller.pid(), "myWindowClass");
    if (!window)
        return fail("no uninstaller window");
    picture("uninstaller-window");
    if (!driver::chooseMenuItem(uninstaller.pid(), window, 'u', 'g'))
        return fail("the Uninstall menu did not open");
    MessageBoxView question = driver::waitForMessageBox(uninstaller.pid(), 5000);
    if (!question.handle)
        return fail("no confirmation");
    picture("uninstall-confirmation");
    driver::pressButton(question.handle, IDOK);
    driver::waitUntil([&] { return !IsWindow(question.handle); });
    MessageBoxView concluded = driver::waitForMessageBox(uninstaller.pid(), 30000);
    if (!concluded.handle)
        return fail("no closing box");
    picture("uninstall-concluded");
    driver::pressButton(concluded.handle, IDOK);
    if (!ended(uninstaller))
        return fail("the uninstaller did not end");

    removeInstallation();
    printf("walkthrough: done\n");
    return 0;
}
