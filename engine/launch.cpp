// Starting the installed application after the install. The setup runs as
// an administrator; the application must not: a video opened in its first
// session would run with those rights, and Windows refuses drag and drop
// from the user's Explorer into an elevated window. So the desktop's shell,
// which runs as the signed-in user, is asked to start it: the shell's own
// ShellExecute, reached through the desktop window's view. Where no shell
// answers (no Explorer, a session without a shell) the setup starts it.
#include "engine.h"

#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlobj.h>
#include <string.h>

typedef BSTR(WINAPI *SysAllocStringFn)(const OLECHAR *);
typedef void(WINAPI *SysFreeStringFn)(BSTR);

enum { SHELL_CHAIN_LENGTH = 9 };   // the objects from the shell's windows to its dispatch

// The objects the chain has got so far, released in reverse by its owner.
struct ShellChain {
    IUnknown *objects[SHELL_CHAIN_LENGTH];
    int count;
};

// Keeps the object a call put in the slot (an interface pointer's
// address, read once the call has returned); false when it gave none.
static bool keep(ShellChain *chain, HRESULT result, void *slot)
{
    IUnknown *object = *static_cast<IUnknown **>(slot);
    if (FAILED(result) || !object || chain->count == SHELL_CHAIN_LENGTH)
        return false;
    chain->objects[chain->count++] = object;
    return true;
}

// What became of asking the shell.
enum ShellAnswer {
    SHELL_ABSENT = 0,    // no shell answered: nothing was asked of it
    SHELL_STARTED = 1,   // it took the program to start
    SHELL_REFUSED = 2    // it was asked and did not start it (the user may have said no)
};

// Asks the desktop's shell to start the program, in the folder, in a
// normal window, without arguments. The strings the shell is given are
// BSTRs: oleaut32 is not imported, its DLL comes from the system folder.
static int startThroughShell(const WCHAR *program, const WCHAR *folder)
{
    HMODULE oleaut = loadSystemLibrary("oleaut32.dll");
    if (!oleaut)
        return SHELL_ABSENT;
    SysAllocStringFn allocString = reinterpret_cast<SysAllocStringFn>(
        reinterpret_cast<void *>(GetProcAddress(oleaut, "SysAllocString")));
    SysFreeStringFn freeString = reinterpret_cast<SysFreeStringFn>(
        reinterpret_cast<void *>(GetProcAddress(oleaut, "SysFreeString")));
    HRESULT initialised = CoInitialize(nullptr);

    ShellChain chain;
    memset(&chain, 0, sizeof chain);
    IShellWindows *windows = nullptr;
    IDispatch *desktop = nullptr;
    IServiceProvider *provider = nullptr;
    IShellBrowser *browser = nullptr;
    IShellView *view = nullptr;
    IDispatch *background = nullptr;
    IShellFolderViewDual *folderView = nullptr;
    IDispatch *application = nullptr;
    IShellDispatch2 *shell = nullptr;
    VARIANT location;
    VARIANT none;
    VARIANT directory;
    VARIANT show;
    memset(&location, 0, sizeof location);   // VT_EMPTY, as the others
    memset(&none, 0, sizeof none);
    memset(&directory, 0, sizeof directory);
    memset(&show, 0, sizeof show);
    V_VT(&location) = VT_I4;
    V_I4(&location) = CSIDL_DESKTOP;
    long desktopWindow = 0;
    int answer = SHELL_ABSENT;
    // Only a shell running in its own process is asked: the elevated process
    // loads nothing for it but the system's registered proxies.
    if (allocString && freeString &&
        keep(&chain,
             CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                              reinterpret_cast<void **>(&windows)),
             &windows) &&
        keep(&chain,
             windows->FindWindowSW(&location, &none, SWC_DESKTOP, &desktopWindow, SWFO_NEEDDISPATCH,
                                   &desktop),
             &desktop) &&
        keep(&chain,
             desktop->QueryInterface(IID_IServiceProvider, reinterpret_cast<void **>(&provider)),
             &provider) &&
        keep(&chain,
             provider->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                    reinterpret_cast<void **>(&browser)),
             &browser) &&
        keep(&chain, browser->QueryActiveShellView(&view), &view) &&
        keep(&chain,
             view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch,
                                 reinterpret_cast<void **>(&background)),
             &background) &&
        keep(&chain,
             background->QueryInterface(IID_IShellFolderViewDual,
                                        reinterpret_cast<void **>(&folderView)),
             &folderView) &&
        keep(&chain, folderView->get_Application(&application), &application) &&
        keep(&chain,
             application->QueryInterface(IID_IShellDispatch2, reinterpret_cast<void **>(&shell)),
             &shell)) {
        BSTR file = allocString(program);
        V_VT(&directory) = VT_BSTR;
        V_BSTR(&directory) = allocString(folder);
        V_VT(&show) = VT_I4;
        V_I4(&show) = SW_SHOWNORMAL;
        // S_FALSE: the shell did not start it.
        if (file && V_BSTR(&directory))
            answer = shell->ShellExecute(file, none, directory, none, show) == S_OK ? SHELL_STARTED
                                                                                    : SHELL_REFUSED;
        freeString(V_BSTR(&directory));
        freeString(file);
    }
    while (chain.count > 0)
        chain.objects[--chain.count]->Release();
    if (SUCCEEDED(initialised))
        CoUninitialize();
    FreeLibrary(oleaut);
    return answer;
}

void launchInstalledProgram(const char *installDir)
{
    if (!installDir || !installDir[0])
        return;
    char application[PATH_CAPACITY];
    WCHAR program[MAX_PATH];
    WCHAR folder[MAX_PATH];
    if (!pathJoin(application, sizeof application, installDir, kApplicationFile))
        return;
    SetCurrentDirectoryA(installDir);
    // A shell that was asked is not overruled: what it refused (a warning
    // the user cancelled) is not started with the setup's rights instead.
    if (MultiByteToWideChar(CP_ACP, 0, application, -1, program, MAX_PATH) &&
        MultiByteToWideChar(CP_ACP, 0, installDir, -1, folder, MAX_PATH) &&
        startThroughShell(program, folder) != SHELL_ABSENT)
        return;
    // The full path as the application name and no command line: no part of
    // a path with blanks (c:\Program.exe) can be started in its place.
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (CreateProcessA(application, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}
