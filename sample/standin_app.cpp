// Ravenlook.exe of the sample distribution: the stand-in application.
#include "standin.h"

static const StandinIdentity kApplication = {
    "RavenlookStandinApplication",
    "Ravenlook 1.3",
    "This is the stand-in Ravenlook video application, installed by Ravenlook Install.",
    "app",
};

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    return runStandin(instance, showCommand, kApplication);
}
