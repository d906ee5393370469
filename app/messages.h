// The message table: every text the setup program shows in a message box,
// named by a small integer index. Portable: no Windows API.
#pragma once

enum MessageIndex {
    MSG_CLASS_REGISTRATION_FAILED = 2,
    MSG_WINDOW_CREATION_FAILED = 3,
    MSG_WINDOW_ALREADY_VISIBLE = 4,
    MSG_INSTALL_COMPLETED = 9,
    MSG_UNINSTALL_WARNING = 10,
    MSG_UNINSTALL_CONCLUDED = 11,
    MSG_UNINSTALL_FAILED = 12,
    MSG_INSTALL_FAILED = 13,
    MSG_QUIT_QUESTION = 15,
    MSG_LICENSE_MISSING = 16,
    MSG_SUCCESS = 21,
    MESSAGE_COUNT = 22
};

// True for the indices 0 to 21 that name a table entry.
bool isMessageIndex(int index);

// The table text of the index, or "" for an index outside the table.
const char *messageText(int index);
