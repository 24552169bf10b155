// Scene files (levels, saves, the primitive catalogue): read into a level with a grid and an
// agent pool, which is emptied again after every input.
#include "fuzz/FuzzSupport.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareFuzzing();
    static GameMechanics* game = new GameMechanics();
    TheGame = game;
    game->CreateCatalogues();
    TheScene.InitLists();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TheScene.ReadSceneFile(WriteInputFile(data, size, ".sav"));
    TheScene.ResolveLinks();
    TheScene.EndIteration();
    TheScene.ReleaseEntities();
    return 0;
}
