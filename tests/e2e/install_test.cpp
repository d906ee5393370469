// Installing through the window: the user presses "Agree", reads the
// completion box, and the installed application starts.
#include "e2e_support.h"

#include <string>
#include <vector>

using namespace testsupport;
using driver::MessageBoxView;
using driver::Program;

namespace {

// A newer build: every file of the distribution changes. An executable
// keeps running with bytes appended after its image.
void changeDistribution(const std::string &folder)
{
    for (const InstalledFile &file : kInstalledFiles) {
        std::string path = folder + "\\" + file.source;
        ASSERT_TRUE(writeFile(path, readFile(path) + "newer build")) << path;
    }
}

class Install : public InstallationTest {
protected:
    void expectFilesCopiedFrom(const std::string &folder, const std::vector<std::string> &absent)
    {
        for (const InstalledFile &file : kInstalledFiles) {
            SCOPED_TRACE(file.name);
            if (std::find(absent.begin(), absent.end(), file.source) != absent.end()) {
                EXPECT_FALSE(fileExists(installed(file.name)));
                continue;
            }
            std::string original = readFile(folder + "\\" + file.source);
            ASSERT_FALSE(original.empty());
            EXPECT_TRUE(readFile(installed(file.name)) == original)
                << "not byte-identical to " << file.source;
        }
    }
};

}   // namespace

TEST_F(Install, FreshInstallCopiesLinksRecordsAndStartsTheApplication)
{
    std::string folder = e2e::prepareDistribution("install-fresh");
    // The mark of a download, which Windows keeps in a stream of each file
    // of an extracted zip, is not carried to the installed copies.
    const std::string mark = ":Zone.Identifier";
    if (!runningUnderWine()) {
        ASSERT_TRUE(writeFile(folder + "\\Ravenlook.000" + mark, "[ZoneTransfer]\r\nZoneId=3\r\n"));
    }
    e2e::StandInLog log;
    Program program;
    HWND window = e2e::startInstaller(program, folder);
    ASSERT_NE(window, nullptr);

    double start = driver::nowMs();
    MessageBoxView box = e2e::pressAgree(program, window);
    double elapsed = driver::nowMs() - start;
    ASSERT_NE(box.handle, nullptr) << "no completion box";
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.text, kCompletionText);
    EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
    EXPECT_FALSE(box.hasIcon);
    EXPECT_GE(elapsed, 4 * (1000 - driver::kClockSlackMs)) << "four pauses of a second";
    EXPECT_EQ(SendMessageA(GetDlgItem(window, ID_PROGRESS_BAR), PBM_GETPOS, 0, 0), 100);

    // Everything is in place before the user confirms.
    expectFilesCopiedFrom(folder, {});
    EXPECT_FALSE(!runningUnderWine() && fileExists(installed(kApplicationExe) + mark));
    std::string raw;
    ASSERT_TRUE(readRawRecord(&raw, nullptr));
    EXPECT_EQ(raw, encodedRecord(kInstallDir));

    const std::string icon = installed("Ravenlook.ico");
    const struct ExpectedLink {
        const char *file, *target, *icon, *arguments;
    } links[] = {
        {"Help.lnk", "README.html", "", ""},
        {"Ravenlook.lnk", "Ravenlook.exe", icon.c_str(), ""},
        {"Inspector.lnk", "Ravenlook_insp.exe", icon.c_str(), ""},
        {"Uninstall.lnk", "Ravenlook_inst.exe", icon.c_str(), "-u"},
    };
    EXPECT_EQ(listFolder(kShortcutDir), kShortcutNames);
    for (const ExpectedLink &link : links) {
        SCOPED_TRACE(link.file);
        LinkFields fields = readShortcut(shortcut(link.file));
        ASSERT_TRUE(fields.loaded);
        EXPECT_EQ(fields.path, installed(link.target));
        EXPECT_EQ(fields.workingDirectory, kInstallDir);
        EXPECT_EQ(fields.iconLocation, link.icon);
        EXPECT_EQ(fields.arguments, link.arguments);
        EXPECT_EQ(fields.description, "");
    }

    // Listed among the installed programs, with its own uninstaller.
    unsigned long bytes = 0;
    for (const InstalledFile &file : kInstalledFiles)
        bytes += static_cast<unsigned long>(readFile(installed(file.name)).size());
    EXPECT_EQ(keyValues(HKEY_LOCAL_MACHINE, kProgramEntryKey),
              programEntryFor(kInstallDir, (bytes + 1023) / 1024));

    e2e::confirmAndExpectEnd(program, box);
    std::vector<std::string> started = log.lines();
    ASSERT_EQ(started.size(), 1u) << "the application starts once, after the box";
    // Started by the desktop's shell, with the user's own rights, in the
    // install directory.
    EXPECT_EQ(started[0].substr(0, started[0].rfind('|')),
              std::string("app|explorer.exe|") + kInstallDir);
}

// A Start menu missing altogether, or a distribution without its help page:
// everything else is installed, and only the shortcuts that cannot be are
// left out.
TEST_F(Install, WithoutStartMenuOrHelpPageTheRestIsInstalled)
{
    const struct {
        const char *what;
        bool startMenu;
        std::vector<std::string> leftOut, shortcuts;
    } cases[] = {
        {"no Start menu", false, {}, {}},
        {"no README.html",
         true,
         {"README.html"},
         {"Inspector.lnk", "Ravenlook.lnk", "Uninstall.lnk"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.startMenu && !runningUnderWine())
            continue;   // Windows always has one behind c:\documents and settings
        removeInstallation();
        if (c.startMenu) {
            ASSERT_TRUE(makeDirectories(kStartMenuPrograms));
        }
        std::string folder = e2e::prepareDistribution("install-partial", c.leftOut);
        e2e::StandInLog log;
        Program program;
        HWND window = e2e::startInstaller(program, folder);
        ASSERT_NE(window, nullptr);
        MessageBoxView box = e2e::pressAgree(program, window);
        EXPECT_EQ(box.text, kCompletionText);
        expectFilesCopiedFrom(folder, c.leftOut);
        EXPECT_EQ(listFolder(kShortcutDir), c.shortcuts);
        EXPECT_EQ(directoryExists("c:\\windows\\start menu"), c.startMenu);
        e2e::confirmAndExpectEnd(program, box);
    }
}

// A failed install: the box names the failure, nothing is started, and the
// window stays for another try. A partial extraction copies the licence and
// writes the record and the entry, so that the uninstall can remove it; a
// file where the version folder goes leaves nothing, not even the shortcut
// folder.
TEST_F(Install, FailureIsReportedStartsNothingAndKeepsTheWindow)
{
    const struct {
        const char *what, *text;
        bool fileInTheWay, recorded;
        std::vector<std::string> installedNames;
    } cases[] = {
        {"only the licence", kCopyFailedText, false, true, {"LICENSE.txt"}},
        {"a file where the version folder goes",
         "Unable to create version directory. (006)",
         true,
         false,
         {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        removeInstallation();
        ASSERT_TRUE(makeDirectories(kStartMenuPrograms));
        if (c.fileInTheWay) {
            ASSERT_TRUE(makeDirectories(kVendorDir) && writeFile(kInstallDir, "not a folder"));
        }
        // The setup program is started under its own name; the distribution's
        // copy of it (Ravenlook.004) is missing like every other file.
        std::string folder = e2e::prepareFolder("install-failed", "Licence only.\n");
        e2e::StandInLog log;
        Program program;
        HWND window = e2e::startInstaller(program, folder);
        ASSERT_NE(window, nullptr);
        MessageBoxView box = e2e::pressAgree(program, window);
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
        EXPECT_EQ(SendMessageA(GetDlgItem(window, ID_PROGRESS_BAR), PBM_GETPOS, 0, 0), 100);
        EXPECT_EQ(listFolder(kInstallDir), c.installedNames);
        EXPECT_EQ(directoryExists(kShortcutDir), c.recorded);
        EXPECT_TRUE(listFolder(kShortcutDir).empty());
        EXPECT_EQ(keyExists(HKEY_LOCAL_MACHINE, kRecordKey), c.recorded);
        EXPECT_EQ(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey), c.recorded);
        if (c.fileInTheWay) {
            EXPECT_EQ(readFile(kInstallDir), "not a folder");
        }
        driver::pressButton(box.handle, IDOK);
        ASSERT_TRUE(driver::waitUntil([&] { return !IsWindow(box.handle); }));
        EXPECT_TRUE(log.lines(1, 1000).empty()) << "nothing is started";
        EXPECT_TRUE(program.running()) << "the window stays";
        e2e::closeAndExpectExitCode0(program, window);
    }
}

// Installing a newer build while Ravenlook is open: its file cannot be
// replaced, and the user is told so. Once Ravenlook is closed, "Agree" in
// the same window installs everything.
TEST_F(Install, RunningApplicationGives7UntilClosedThenAgreeAgainCompletes)
{
    std::string folder = e2e::prepareDistribution("install-in-use");
    e2e::StandInLog log(true);   // the application stays
    ASSERT_NO_FATAL_FAILURE(e2e::installThroughWindow(folder));
    ProgramWithWindow application(kApplicationClass);
    ASSERT_TRUE(application.found()) << "the installed application is not running";
    ASSERT_EQ(log.lines().size(), 1u);
    const std::string oldApplication = readFile(installed(kApplicationExe));
    ASSERT_NO_FATAL_FAILURE(changeDistribution(folder));

    Program program;
    HWND window = e2e::startInstaller(program, folder);
    ASSERT_NE(window, nullptr);
    MessageBoxView box = e2e::pressAgree(program, window);
    EXPECT_EQ(box.text, kCopyFailedText);
    EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
    for (const InstalledFile &file : kInstalledFiles) {
        SCOPED_TRACE(file.name);
        std::string expected = file.name == std::string(kApplicationExe)
                                   ? oldApplication
                                   : readFile(folder + "\\" + file.source);
        EXPECT_TRUE(readFile(installed(file.name)) == expected)
            << "only the file in use is not replaced";
    }
    driver::pressButton(box.handle, IDOK);
    ASSERT_TRUE(driver::waitUntil([&] { return !IsWindow(box.handle); }));
    EXPECT_TRUE(driver::noMessageBoxWithin(program.pid(), 500)) << "no completion box";
    EXPECT_EQ(log.lines().size(), 1u) << "the application is not started again";
    ASSERT_TRUE(program.running()) << "the window stays";

    ASSERT_TRUE(application.close()) << "the application did not end";
    box = e2e::pressAgree(program, window);
    EXPECT_EQ(box.text, kCompletionText);
    expectFilesCopiedFrom(folder, {});
    e2e::confirmAndExpectEnd(program, box);
    EXPECT_EQ(log.lines(2).size(), 2u) << "the new build starts";
    ProgramWithWindow newBuild(kApplicationClass);
    EXPECT_TRUE(newBuild.close());
}

// Installing again (to repair, or by mistake) replaces only what this
// program installs: the user's videos, folders and links stay.
TEST_F(Install, ReinstallReplacesOnlyItsOwnFilesAndKeepsTheFirstRecord)
{
    std::string folder = e2e::prepareDistribution("install-second");
    e2e::StandInLog log;
    ASSERT_NO_FATAL_FAILURE(e2e::installThroughWindow(folder));
    // The user's files, a changed distribution, a record naming another layout.
    writeFile(installed("holiday.avi"), "a video");
    makeDirectories(installed("videos"));
    writeFile(installed("videos\\kept.avi"), "kept");
    writeFile(shortcut("Notes.txt"), "the user's");
    writeFile(shortcut("Help.lnk"), "damaged");
    writeFile(folder + "\\README.html", "<p>A newer help page.</p>");
    deleteRecordKeys();
    writeRecordFor("c:\\arquivos de programas\\Ravenlook\\Ravenlook v1.3");

    Program program;
    HWND window = e2e::startInstaller(program, folder);
    ASSERT_NE(window, nullptr);
    MessageBoxView box = e2e::pressAgree(program, window);
    EXPECT_EQ(box.text, kCompletionText);
    EXPECT_EQ(readFile(installed("holiday.avi")), "a video");
    EXPECT_EQ(readFile(installed("videos\\kept.avi")), "kept");
    EXPECT_EQ(listFolder(kInstallDir).size(), 9u) << "the seven files, the video, the subfolder";
    expectFilesCopiedFrom(folder, {});
    EXPECT_EQ(readFile(installed("README.html")), "<p>A newer help page.</p>");
    EXPECT_EQ(listFolder(kShortcutDir),
              (std::vector<std::string>{"Help.lnk", "Inspector.lnk", "Notes.txt", "Ravenlook.lnk",
                                        "Uninstall.lnk"}));
    EXPECT_EQ(readFile(shortcut("Notes.txt")), "the user's");
    EXPECT_TRUE(readShortcut(shortcut("Help.lnk")).loaded) << "our link is written anew";
    std::string raw;
    ASSERT_TRUE(readRawRecord(&raw, nullptr));
    EXPECT_EQ(raw, encodedRecord("c:\\arquivos de programas\\Ravenlook\\Ravenlook v1.3"))
        << "the record keeps the first path";
    e2e::confirmAndExpectEnd(program, box);
}
