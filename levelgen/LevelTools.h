#pragma once
// What the level's making shows in the developer's windows over it: the level generator's
// window (its picture of the map and its environment box) and the growth tool's window over a
// growth catalogue; and the developer's orders a tick carries out (a console line, a placement
// of the terrain editor's). The windows are the tools' own (tools/MapGeneratorWindow.cpp,
// tools/GrowthTool.cpp). The level's own answers are those of a program with no tools: no window
// is shown, nothing is typed, nothing is drawn. The game installs the tools' answers at start-up;
// a test listens by deriving and installing its own.
#include <cstdint>
#include <vector>

class Entity;
class GrowthDB;
class MapGenerator;
struct PlayerOrder;
struct Vec3;

class LevelToolHooks {
public:
    virtual ~LevelToolHooks() = default;
    // A growth catalogue was made: the growth tool builds its window for it, hidden. It is
    // going: its window goes with it.
    virtual void GrowthCatalogueMade(GrowthDB& catalogue);
    virtual void GrowthCatalogueGone(GrowthDB& catalogue);
    // The map generator is going: the level generator's window over it goes too.
    virtual void MapGeneratorGone(MapGenerator& maps);
    // Whether the level generator's window over the map generator is shown.
    virtual bool MapWindowShown(const MapGenerator& maps);
    // What the window's environment box holds; null without the window.
    virtual const char* TypedEnvironment(const MapGenerator& maps);
    // The window's label names the environment.
    virtual void ShowEnvironment(MapGenerator& maps, const char* name);
    // Whether the window has a picture of the map to show; the picture shows mapWidth x
    // mapWidth pixels.
    virtual bool HasMapPicture(const MapGenerator& maps);
    virtual void ShowMapPicture(MapGenerator& maps, const uint32_t* pixels);
    // The developer's console line given as an order, run on the ordered units and point; the
    // terrain editor's placement the order carries. Without the tools nothing happens.
    virtual void RunConsoleOrder(const char* line, const std::vector<Entity*>& units, const Vec3& point);
    virtual void PlaceFromEditor(const PlayerOrder& order);
};

// The answers in use: the level's quiet ones until the game or a test puts its own here.
extern LevelToolHooks* TheLevelToolHooks;
