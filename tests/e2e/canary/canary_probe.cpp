// The planting tests' positive control: loads each planted DLL by its bare
// name, as an unprotected program would. It imports the same system DLLs
// as the installer, so that it also shows which DLLs those load on their
// own when a program starts. Its exit code has a bit for each name that
// was loaded already before it asked (the first name bit 0): the system's
// copy, which the loader then uses for that name.
#include <windows.h>

#include <objbase.h>

int main(int argc, char **argv)
{
    // One call into each DLL the installer imports keeps them imported.
    if (argc < 0) {
        GetDesktopWindow();
        RegCloseKey(nullptr);
        CoTaskMemFree(nullptr);
    }
    int alreadyLoaded = 0;
    for (int i = 1; i < argc && i <= 16; ++i)
        if (GetModuleHandleA(argv[i]))
            alreadyLoaded |= 1 << (i - 1);
    // The DLLs stay loaded until the probe ends: loading them is its job.
    for (int i = 1; i < argc; ++i) {
        HMODULE loaded = LoadLibraryA(argv[i]);
        (void)loaded;
    }
    return alreadyLoaded;
}
