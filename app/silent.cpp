// Deployment without a person: "/S" installs and "/S -u" uninstalls with
// no window and no box, and the exit code says how it went. Running "/S"
// accepts the licence on the installing organisation's behalf, as every
// silent installer does; LICENSE.txt must still be there.
#include "setup_app.h"

#include "../engine/engine.h"
#include "command_line.h"

#include <stdio.h>

static bool licenceReadable()
{
    FILE *file = fopen("LICENSE.txt", "rb");
    if (!file)
        return false;
    fclose(file);
    return true;
}

int runSilently(int startMode)
{
    // Not even the system's boxes for a drive that is not ready.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    bool restartPending = false;
    int result = MSG_LICENSE_MISSING;
    if (startMode == START_SILENT_UNINSTALL) {
        // Nobody was asked about the videos in the install directory: only
        // our own files go.
        result = runUninstall(UNINSTALL_OURS_ONLY, &restartPending);
    } else if (licenceReadable()) {
        // No pauses, no progress and no application started: deployment
        // tools run installers as SYSTEM, where none may start.
        char installDir[PATH_CAPACITY];
        result = runInstall(installDir, nullptr, INSTALL_UNPAUSED);
    }
    return silentExitCode(result, restartPending);
}
