// The entry in the system's list of installed programs. The key is opened
// with the access each step needs and closed on every path.
#include "uninstall_entry.h"

#include "../resources/product.h"

#include <windows.h>

#include <string.h>

const char kUninstallEntryKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" PRODUCT_DISPLAY_NAME;

// One value of the entry: a text (REG_SZ) or a number (REG_DWORD).
struct EntryValue {
    const char *name;
    const void *data;
    bool isText;
};

bool writeUninstallEntry(const UninstallEntry &entry)
{
    // An earlier entry goes first, so that none of its values outlive it.
    removeUninstallEntry();
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallEntryKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD one = 1;
    const DWORD sizeKb = entry.estimatedSizeKb;
    const EntryValue values[] = {
        {"DisplayName", PRODUCT_DISPLAY_NAME, true},
        {"DisplayVersion", PRODUCT_DISPLAY_VERSION, true},
        {"Publisher", PRODUCT_PUBLISHER, true},
        {"InstallLocation", entry.installLocation, true},
        {"DisplayIcon", entry.displayIcon, true},
        {"UninstallString", entry.uninstallString, true},
        {"QuietUninstallString", entry.quietUninstallString, true},
        {"NoModify", &one, false},
        {"NoRepair", &one, false},
        {"EstimatedSize", &sizeKb, false},
    };
    bool written = true;
    for (const EntryValue &value : values) {
        if (!value.data) {
            written = false;
            break;
        }
        DWORD size = value.isText
                         ? static_cast<DWORD>(strlen(static_cast<const char *>(value.data)) + 1)
                         : sizeof(DWORD);
        if (RegSetValueExA(key, value.name, 0, value.isText ? REG_SZ : REG_DWORD,
                           static_cast<const BYTE *>(value.data), size) != ERROR_SUCCESS) {
            written = false;
            break;
        }
    }
    RegCloseKey(key);
    if (!written)
        removeUninstallEntry();
    return written;
}

bool removeUninstallEntry()
{
    LONG result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallEntryKey);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}
