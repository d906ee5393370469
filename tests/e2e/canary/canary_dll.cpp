// A planted DLL: when any process loads it, it leaves a marker file named
// after itself in c:\ravenlook-tests\canary-markers, holding the loading
// program's name. The DLL-planting tests place copies named like system
// DLLs beside the installer and fail if a marker appears.
#include <windows.h>

#include <string.h>

static void leaveMarker(HMODULE self)
{
    char dll[MAX_PATH];
    char program[MAX_PATH];
    if (!GetModuleFileNameA(self, dll, MAX_PATH) || !GetModuleFileNameA(nullptr, program, MAX_PATH))
        return;
    const char *name = dll;
    // cppcheck-suppress uninitvar ; GetModuleFileNameA filled and terminated dll
    for (const char *p = dll; *p; ++p)
        if (*p == '\\' || *p == '/')
            name = p + 1;
    char marker[MAX_PATH];
    wsprintfA(marker, "c:\\ravenlook-tests\\canary-markers\\%s.txt", name);
    CreateDirectoryA("c:\\ravenlook-tests", nullptr);
    CreateDirectoryA("c:\\ravenlook-tests\\canary-markers", nullptr);
    HANDLE file = CreateFileA(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(file, program, static_cast<DWORD>(strlen(program)), &written, nullptr);
    WriteFile(file, "\r\n", 2, &written, nullptr);
    CloseHandle(file);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        leaveMarker(instance);
    return TRUE;
}

// A few of the names programs look for in the real DLLs, so that a loader
// resolving imports against the planted copy finds something.
extern "C" __declspec(dllexport) void WINAPI InitCommonControls() {}
extern "C" __declspec(dllexport) BOOL WINAPI InitCommonControlsEx(const void *)
{
    return TRUE;
}
