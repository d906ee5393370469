// The shortcut writer: one .lnk file through the shell's link object, with
// COM initialised and uninitialised around it.
#include "engine.h"

#include <objbase.h>
#include <shlobj.h>

enum { LINK_PATH_WIDE_CAPACITY = 260 };   // wide characters, terminator included

static const CLSID kClsidShellLink = {
    0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const IID kIidShellLinkA = {
    0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const IID kIidPersistFile = {
    0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Converts the link path and saves; the path must convert whole, or nothing
// is saved: a cut path would name another file.
static HRESULT saveLink(IPersistFile *persist, const char *linkFile)
{
    WCHAR widePath[LINK_PATH_WIDE_CAPACITY];
    if (!linkFile ||
        MultiByteToWideChar(CP_ACP, 0, linkFile, -1, widePath, LINK_PATH_WIDE_CAPACITY) == 0)
        return E_INVALIDARG;
    return persist->Save(widePath, TRUE);
}

static HRESULT fillAndSave(IShellLinkA *link, const char *target, const char *linkFile,
                           const char *description, const char *workingFolder, const char *iconFile,
                           const char *arguments)
{
    link->SetPath(target);
    link->SetDescription(description);
    link->SetWorkingDirectory(workingFolder);
    if (iconFile && iconFile[0]) {
        char iconLocation[PATH_CAPACITY];
        if (!pathJoin(iconLocation, sizeof iconLocation, workingFolder, iconFile))
            return E_INVALIDARG;
        link->SetIconLocation(iconLocation, 0);
    }
    if (arguments && arguments[0])
        link->SetArguments(arguments);

    IPersistFile *persist = nullptr;
    HRESULT result = link->QueryInterface(kIidPersistFile, reinterpret_cast<void **>(&persist));
    if (FAILED(result))
        return result;
    result = saveLink(persist, linkFile);
    persist->Release();
    return result;
}

HRESULT createShortcut(const char *target, const char *linkFile, const char *description,
                       const char *workingFolder, const char *iconFile, const char *arguments)
{
    // The program uses COM only around each shortcut and the one launch,
    // each balanced: anything but a fresh start means someone else owns it
    // here, and nothing is written. An S_FALSE still counts, so it is
    // balanced.
    HRESULT init = CoInitialize(nullptr);
    if (init != S_OK) {
        if (SUCCEEDED(init))
            CoUninitialize();
        return 0;
    }
    IShellLinkA *link = nullptr;
    HRESULT result = CoCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      kIidShellLinkA, reinterpret_cast<void **>(&link));
    if (SUCCEEDED(result)) {
        result = fillAndSave(link, target, linkFile, description, workingFolder, iconFile,
                             arguments);
        link->Release();
    }
    CoUninitialize();
    return result;
}
