// Defence against DLL planting: setup programs are run from download and
// temporary folders, where a DLL placed beside them would otherwise be
// loaded in preference to the system's copy.
#include "setup_app.h"

#include "../engine/engine.h"

typedef BOOL(WINAPI *SetDefaultDllDirectoriesFn)(DWORD);
typedef void(WINAPI *InitCommonControlsFn)(void);

// Restricts every later DLL search of the process to the system folder.
// SetDefaultDllDirectories is missing on old systems; there the current
// directory is at least taken out of the search.
void restrictDllSearchToSystem()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDllDirectoriesFn setDefault =
        kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                     reinterpret_cast<void *>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
               : nullptr;
    if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        SetDllDirectoryA("");
}

// comctl32.dll is not a KnownDLL, so it is not imported: the system's copy
// is loaded by its full place. The module stays loaded for the whole run,
// since the progress bar's window class lives in it.
bool initCommonControlsFromSystem()
{
    HMODULE comctl = loadSystemLibrary("comctl32.dll");
    if (!comctl)
        return false;
    InitCommonControlsFn init = reinterpret_cast<InitCommonControlsFn>(
        reinterpret_cast<void *>(GetProcAddress(comctl, "InitCommonControls")));
    if (init)
        init();
    // comctl32 stays loaded for the whole run (see above).
    return init != nullptr;
}
