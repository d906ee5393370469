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
    for (int i = 1; i < argc; ++i)
        LoadLibraryA(argv[i]);
    return 0;
}
