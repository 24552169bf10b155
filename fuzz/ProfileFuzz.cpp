// Player profiles: read into the current profile with the game's catalogues, the rigs and the
// world's bag to fill, then written out and read back, as a start and a save do.
#include "campaign/PlayerProfile.h"
#include "campaign/RigCatalog.h"
#include "fuzz/FuzzSupport.h"
#include "mechanics/GameMechanics.h"
#include "platform/StringTable.h"
#include "render/MeshLibrary.h"

#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareFuzzing();
    static StringTable* strings = new StringTable();
    strings->Init();
    Strings = strings;
    TheMeshLibrary = new MeshLibrary();
    static GameMechanics* game = new GameMechanics();
    TheGame = game;
    game->LoadCatalogues();
    TheRigCatalog = new RigCatalog();
    TheRigCatalog->Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PlayerProfile* profile = GetPlayerProfile();
    const char* input = WriteInputFile(data, size, ".cgs");
    profile->Load(input, false, true);
    std::string saved = std::string(input) + ".saved.cgs";
    if (profile->Save(saved.c_str(), true)) profile->Load(saved.c_str(), false, true);
    remove(saved.c_str());
    return 0;
}
