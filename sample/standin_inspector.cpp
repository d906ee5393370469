// Ravenlook_insp.exe of the sample distribution: the stand-in Inspector tool.
#include "standin.h"

static const StandinIdentity kInspector = {
    "RavenlookStandinInspector",
    "Ravenlook Inspector 1.3",
    "This is the stand-in Ravenlook Inspector tool, installed by Ravenlook Install.",
    "insp",
};

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    return runStandin(instance, showCommand, kInspector);
}
