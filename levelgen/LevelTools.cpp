// The level's own answers to what its making shows in the developer's windows: there are none.
#include "levelgen/LevelTools.h"

namespace {
LevelToolHooks NoToolAnswers;
}  // namespace

LevelToolHooks* TheLevelToolHooks = &NoToolAnswers;

void LevelToolHooks::GrowthCatalogueMade(GrowthDB&) {}

void LevelToolHooks::GrowthCatalogueGone(GrowthDB&) {}

void LevelToolHooks::MapGeneratorGone(MapGenerator&) {}

bool LevelToolHooks::MapWindowShown(const MapGenerator&)
{
    return false;
}

const char* LevelToolHooks::TypedEnvironment(const MapGenerator&)
{
    return nullptr;
}

void LevelToolHooks::ShowEnvironment(MapGenerator&, const char*) {}

bool LevelToolHooks::HasMapPicture(const MapGenerator&)
{
    return false;
}

void LevelToolHooks::ShowMapPicture(MapGenerator&, const uint32_t*) {}

void LevelToolHooks::RunConsoleOrder(const char*, const std::vector<Entity*>&, const Vec3&) {}

void LevelToolHooks::PlaceFromEditor(const PlayerOrder&) {}
