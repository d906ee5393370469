#include "command_line.h"

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

bool isUninstallSwitch(const char *tail)
{
    return tail && strcmp(tail, "-u") == 0;
}
