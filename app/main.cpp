#include "app/AppShell.h"

int main(int argc, char** argv)
{
    // The data is found wherever the game is started from.
    EnterGameDataFolder();
    return WinMain(argc, argv);
}
