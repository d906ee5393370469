// Evaluation of the process command line. Portable: no Windows API.
#pragma once

// The command line with the program name removed, together with the blanks
// and tabs that follow it. A program name in double quotes ends at the
// closing quote; an unquoted one at the first blank or tab. Trailing blanks
// stay. Never returns null: an absent line gives "".
const char *commandLineTail(const char *commandLine);

// True only for the tail "-u", exactly and alone (case-sensitive).
bool isUninstallSwitch(const char *tail);
