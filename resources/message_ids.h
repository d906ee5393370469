// The message indexes: each names one text of the message table that the
// setup window shows, and the install and uninstall procedures return one
// as their result. Below every layer: the engine returns them, the app
// shows their texts.
#pragma once

enum MessageIndex {
    MSG_CLASS_REGISTRATION_FAILED = 2,
    MSG_WINDOW_CREATION_FAILED = 3,
    MSG_WINDOW_ALREADY_VISIBLE = 4,
    MSG_INSTALL_DIR_FAILED = 5,   // result: the Ravenlook folder is not a folder and cannot be made
    MSG_VERSION_DIR_FAILED = 6,   // result: the same for the version folder in it
    MSG_COPY_FAILED = 7,          // result: a file failed to copy, or a required one is missing
    MSG_INSTALL_COMPLETED = 9,
    MSG_UNINSTALL_WARNING = 10,
    MSG_UNINSTALL_CONCLUDED = 11,
    MSG_UNINSTALL_FAILED = 12,   // result: the record cannot be read, or is refused
    MSG_INSTALL_FAILED = 13,     // result: the record cannot be written, or a path does not fit
    MSG_RESTART_PENDING = 14,    // result: an uninstall's deletions wait for the restart
    MSG_QUIT_QUESTION = 15,
    MSG_LICENSE_MISSING = 16,
    MSG_SUCCESS = 21,   // result of a successful install or uninstall
    MESSAGE_COUNT = 22
};
