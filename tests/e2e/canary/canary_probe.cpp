// The planting tests' positive control: loads each planted DLL by its bare
// name, as an unprotected program would. It imports the same system DLLs
// as the installer, so that it also shows which DLLs those load on their
// own when a program starts.
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
    // The DLLs stay loaded until the probe ends: loading them is its job.
    for (int i = 1; i < argc; ++i) {
        HMODULE loaded = LoadLibraryA(argv[i]);
        (void)loaded;
    }
    return 0;
}
