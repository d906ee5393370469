// The installation record: HKEY_LOCAL_MACHINE\SOFTWARE\<key>, value "003"
// holding the encoded install directory.
#pragma once

// Record statuses: RECORD_OK for success, a distinct number per failing step.
enum RecordStatus {
    RECORD_MISSING_ARGUMENT = 0,         // write, read: an argument absent, or capacity <= 0
    RECORD_CREATE_FAILED = 1,            // write: the key cannot be created or opened
    RECORD_ALREADY_PRESENT = 2,          // write: the key existed; nothing written
    RECORD_EARLIER_NOT_REMOVED = 7,      // remove earlier: the old key cannot be deleted
    RECORD_VALUE_NOT_WRITTEN = 26,       // write: "003" not written; the new key deleted again
    RECORD_KEY_NOT_OPENED = 27,          // read: the key does not exist or cannot be opened
    RECORD_VALUE_NOT_READ = 28,          // read: "003" missing or longer than the capacity
    RECORD_WRITE_SOFTWARE_FAILED = 29,   // write: HKLM\SOFTWARE cannot be opened
    RECORD_READ_SOFTWARE_FAILED = 32,    // read: HKLM\SOFTWARE cannot be opened
    RECORD_OK = 39
};

extern const char kRecordKey[];          // "Win310"
extern const char kRecordClass[];        // "WinCL310"
extern const char kRecordValue[];        // "003"
extern const char kEarlierRecordKey[];   // "WINRV130", directly under HKEY_LOCAL_MACHINE

// Creates the key and writes the encoded directory; a key that already
// exists is left as it is (RECORD_ALREADY_PRESENT).
int writeInstallRecord(const char *keyName, const char *className, const char *installDir);

// True when the key under HKEY_LOCAL_MACHINE\SOFTWARE opens with full access.
bool installRecordExists(const char *keyName);

// Reads and decodes the directory. At most capacity bytes are read from the
// registry; the text is always terminated, at the latest at
// buffer[capacity], so the buffer must hold capacity + 1 bytes.
int readInstallRecord(const char *keyName, char *buffer, int capacity);

// Deletes the earlier release's key: RECORD_OK or RECORD_EARLIER_NOT_REMOVED.
int removeEarlierRecord();

// Deletes the key under HKEY_LOCAL_MACHINE\SOFTWARE once the installation it
// records is removed; true when it is gone (also when there was none).
bool removeInstallRecord(const char *keyName);
