// The installation record in the registry. Every key is opened with full
// access and closed on every path by the function that opened it.
#include "install_record.h"

#include "record_codec.h"

#include <windows.h>

const char kRecordKey[] = "Win310";
const char kRecordClass[] = "WinCL310";
const char kRecordValue[] = "003";
const char kEarlierRecordKey[] = "WINRV130";

static const char kSoftwareKey[] = "SOFTWARE";

static bool openSoftware(HKEY *software)
{
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSoftwareKey, 0, KEY_ALL_ACCESS, software) ==
           ERROR_SUCCESS;
}

int removeEarlierRecord()
{
    return RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEarlierRecordKey) == ERROR_SUCCESS
               ? RECORD_OK
               : RECORD_EARLIER_NOT_REMOVED;
}

int writeInstallRecord(const char *keyName, const char *className, const char *installDir)
{
    if (!keyName || !className || !installDir)
        return RECORD_MISSING_ARGUMENT;
    removeEarlierRecord();

    HKEY software;
    if (!openSoftware(&software))
        return RECORD_WRITE_SOFTWARE_FAILED;
    HKEY key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(software, keyName, 0, const_cast<char *>(className),
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        &disposition) != ERROR_SUCCESS) {
        RegCloseKey(software);
        return RECORD_CREATE_FAILED;
    }
    if (disposition == REG_OPENED_EXISTING_KEY) {
        RegCloseKey(key);
        RegCloseKey(software);
        return RECORD_ALREADY_PRESENT;
    }

    unsigned char encoded[RECORD_ENCODE_CAPACITY];
    size_t storedLength = encodeInstallPath(installDir, encoded, sizeof encoded);
    if (storedLength == 0 || RegSetValueExA(key, kRecordValue, 0, REG_SZ, encoded,
                                            static_cast<DWORD>(storedLength)) != ERROR_SUCCESS) {
        // A partly written record never survives.
        RegCloseKey(key);
        RegDeleteKeyA(software, keyName);
        RegCloseKey(software);
        return RECORD_VALUE_NOT_WRITTEN;
    }
    RegCloseKey(key);
    RegCloseKey(software);
    return RECORD_OK;
}

bool installRecordExists(const char *keyName)
{
    if (!keyName)
        return false;
    HKEY software;
    if (!openSoftware(&software))
        return false;
    HKEY key;
    bool exists = RegOpenKeyExA(software, keyName, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS;
    if (exists)
        RegCloseKey(key);
    RegCloseKey(software);
    return exists;
}

int readInstallRecord(const char *keyName, char *buffer, int capacity)
{
    if (!keyName || !buffer || capacity <= 0)
        return RECORD_MISSING_ARGUMENT;
    HKEY software;
    if (!openSoftware(&software))
        return RECORD_READ_SOFTWARE_FAILED;
    HKEY key;
    if (RegOpenKeyExA(software, keyName, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        RegCloseKey(software);
        return RECORD_KEY_NOT_OPENED;
    }
    DWORD size = static_cast<DWORD>(capacity);
    LONG queried = RegQueryValueExA(key, kRecordValue, nullptr, nullptr,
                                    reinterpret_cast<BYTE *>(buffer), &size);
    RegCloseKey(key);
    RegCloseKey(software);
    if (queried != ERROR_SUCCESS || size > static_cast<DWORD>(capacity)) {
        buffer[0] = '\0';
        return RECORD_VALUE_NOT_READ;
    }
    decodeInstallPath(buffer, size);
    return RECORD_OK;
}

bool removeInstallRecord(const char *keyName)
{
    if (!keyName)
        return false;
    HKEY software;
    if (!openSoftware(&software))
        return false;
    LONG result = RegDeleteKeyA(software, keyName);
    RegCloseKey(software);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}
