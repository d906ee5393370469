// The main of every Windows-side test program: GoogleTest's, and what a run
// without CTest (the test bundle's run-tests.cmd) needs besides:
//   - the first line names the system the program runs on, so that a kept
//     console output says where its results come from;
//   - a watchdog ends the program when one test runs past kTestDeadlineMs,
//     so that a hung test fails its program (which counts the tests it did
//     not finish as failed) instead of stopping the whole run; under CTest
//     the test's own TIMEOUT comes first;
//   - on Windows it runs no test without administrator rights: every test
//     that installs would fail, each with a less clear message;
//   - it removes what an earlier run that was ended may have left;
//   - under Wine it starts Wine's desktop process first, before any test
//     does: that process keeps the error output of the program that starts
//     it open for the rest of the session, and run-tests.cmd could not read
//     the file (a "Sharing violation") while it does.
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

const DWORD kTestDeadlineMs = 300000;

// The test that runs now ("" between tests) and when it started
// (GetTickCount), shared with the watchdog's thread under g_lock.
CRITICAL_SECTION g_lock;
char g_runningTest[512];
DWORD g_startedAt;

class TestClock : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo &test) override
    {
        EnterCriticalSection(&g_lock);
        snprintf(g_runningTest, sizeof g_runningTest, "%s.%s", test.test_suite_name(), test.name());
        g_startedAt = GetTickCount();
        LeaveCriticalSection(&g_lock);
    }
    void OnTestEnd(const testing::TestInfo &) override
    {
        EnterCriticalSection(&g_lock);
        g_runningTest[0] = '\0';
        LeaveCriticalSection(&g_lock);
    }
};

DWORD WINAPI watchdog(void *)
{
    for (;;) {
        Sleep(1000);
        EnterCriticalSection(&g_lock);
        if (g_runningTest[0] && GetTickCount() - g_startedAt > kTestDeadlineMs) {
            printf("[  TIMEOUT ] %s ran longer than %lu s: the program ends here\n", g_runningTest,
                   kTestDeadlineMs / 1000);
            fflush(stdout);
            testsupport::restoreKeptState();
            // Ends at once: an orderly exit could wait for the hung test.
            TerminateProcess(GetCurrentProcess(), 3);
        }
        LeaveCriticalSection(&g_lock);
    }
}

// Starts Wine's desktop process (GetDesktopWindow does, when there is none
// yet) with the error output pointed at NUL meanwhile.
void startWineDesktopAside()
{
    HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
    HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    if (nul == INVALID_HANDLE_VALUE)
        return;
    SetStdHandle(STD_ERROR_HANDLE, nul);
    GetDesktopWindow();
    SetStdHandle(STD_ERROR_HANDLE, errors);
    CloseHandle(nul);
}

}   // namespace

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    // A listing is read by run-tests.cmd line by line: nothing but the names.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();

    printf("[ INFO     ] running on %s\n", testsupport::systemDescription().c_str());
    if (testsupport::runningUnderWine())
        startWineDesktopAside();
    if (!testsupport::runningUnderWine() && !testsupport::processIsElevated(GetCurrentProcess())) {
        printf("[  FAILED  ] no administrator rights: start run-tests.cmd from an administrator "
               "command prompt\n");
        return 1;
    }
    testsupport::removeLeftovers();
    InitializeCriticalSection(&g_lock);
    testing::UnitTest::GetInstance()->listeners().Append(new TestClock);
    HANDLE thread = CreateThread(nullptr, 0, watchdog, nullptr, 0, nullptr);
    if (thread)
        CloseHandle(thread);   // it runs on until the process ends
    return RUN_ALL_TESTS();
}
