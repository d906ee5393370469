#include "command_line.h"

#include "message_ids.h"

#include <string.h>

static bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

const char *commandLineTail(const char *commandLine)
{
    if (!commandLine)
        return "";
    const char *p = commandLine;
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p && !isBlank(*p))
            ++p;
    }
    while (isBlank(*p))
        ++p;
    return p;
}

int startModeOf(const char *tail)
{
    static const char *const kSwitches[] = {"-u", "/S", "/S -u"};
    for (int i = 0; tail && i < 3; ++i)
        if (strcmp(tail, kSwitches[i]) == 0)
            return START_UNINSTALL_WINDOW + i;
    return START_INSTALL_WINDOW;
}

int silentExitCode(int messageIndex, bool restartPending)
{
    if (messageIndex != MSG_SUCCESS)
        return messageIndex;
    return restartPending ? EXIT_RESTART_PENDING : 0;
}
