#include "app/AppShell.h"
#include "host/System.h"
#include "platform/DataFolder.h"

#include <cstdio>

int main(int argc, char** argv)
{
    // The data is found wherever the game is started from.
    if (EnterDataFolder(GetProgramFolder()).empty())
        fprintf(stderr, "WARNING: no data folder next to the program or in the working folder\n");
    return WinMain(argc, argv);
}
