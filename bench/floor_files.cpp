// The floor of the install and uninstall figures under Wine: only the file
// work of the setup program, timed inside the process so that Wine's process
// start is not counted.
//   floor_files copy SOURCE_DIR VENDOR_DIR VERSION_DIR
//       creates the two folders and copies the seven files from SOURCE_DIR
//       (the current directory, names relative as the setup program uses them)
//   floor_files delete VERSION_DIR
//       deletes the seven installed files and removes VERSION_DIR
// Prints "ms=<elapsed milliseconds>" and "failures=<count>".
#include <windows.h>
#include "bench_clock.h"

#include <stdio.h>
#include <string.h>

namespace {

// Distribution name, installed name: the setup program's seven files.
const char *const kFiles[7][2] = {
    {"LICENSE.txt", "LICENSE.txt"},          {"Ravenlook.001", "Ravenlook.ico"},
    {"Ravenlook.002", "Ravenlook.cfg"},      {"README.html", "README.html"},
    {"Ravenlook.000", "Ravenlook.exe"},      {"Ravenlook.003", "Ravenlook_insp.exe"},
    {"Ravenlook.004", "Ravenlook_inst.exe"},
};

void joinPath(char *out, const char *folder, const char *name)
{
    _snprintf(out, MAX_PATH - 1, "%s\\%s", folder, name);
    out[MAX_PATH - 1] = '\0';
}

}   // namespace

int main(int argc, char **argv)
{
    int failures = 0;
    double start = 0, end = 0;
    if (argc == 5 && strcmp(argv[1], "copy") == 0) {
        if (!SetCurrentDirectoryA(argv[2])) {
            fprintf(stderr, "floor_files: no folder %s\n", argv[2]);
            return 2;
        }
        start = nowMs();
        CreateDirectoryA(argv[3], nullptr);
        CreateDirectoryA(argv[4], nullptr);
        for (const auto &file : kFiles) {
            char target[MAX_PATH];
            joinPath(target, argv[4], file[1]);
            if (!CopyFileA(file[0], target, FALSE))
                ++failures;
        }
        end = nowMs();
    } else if (argc == 3 && strcmp(argv[1], "delete") == 0) {
        start = nowMs();
        for (const auto &file : kFiles) {
            char target[MAX_PATH];
            joinPath(target, argv[2], file[1]);
            if (!DeleteFileA(target))
                ++failures;
        }
        if (!RemoveDirectoryA(argv[2]))
            ++failures;
        end = nowMs();
    } else {
        fprintf(stderr, "usage: floor_files copy SOURCE VENDOR_DIR VERSION_DIR | delete DIR\n");
        return 2;
    }
    printf("ms=%.3f\nfailures=%d\n", end - start, failures);
    return failures ? 1 : 0;
}
