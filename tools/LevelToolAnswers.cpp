// The developer tools' answers to the level's making: the growth tool builds and frees its
// window with each growth catalogue, and the level generator's window shows the map generator's
// environment and picture and goes with it; the console's lines and the terrain editor's
// placements given as orders are carried out by the tools themselves.
#include "tools/LevelToolAnswers.h"

#include "levelgen/LevelTools.h"
#include "tools/Console.h"
#include "tools/GrowthTool.h"
#include "tools/MapGeneratorWindow.h"
#include "tools/TerrainEditor.h"

namespace {

class ToolAnswers final : public LevelToolHooks {
public:
    void GrowthCatalogueMade(GrowthDB& catalogue) override { GrowthTool::BuildWindow(catalogue); }
    void GrowthCatalogueGone(GrowthDB& catalogue) override { GrowthTool::FreeWindow(catalogue); }
    void MapGeneratorGone(MapGenerator& maps) override { MapGeneratorWindow::Forget(maps); }
    bool MapWindowShown(const MapGenerator& maps) override
    {
        const MapGeneratorWindow* bench = MapGeneratorWindow::Of(maps);
        return bench && bench->IsVisible();
    }
    const char* TypedEnvironment(const MapGenerator& maps) override
    {
        const MapGeneratorWindow* bench = MapGeneratorWindow::Of(maps);
        return bench ? bench->TypedEnvironment() : nullptr;
    }
    void ShowEnvironment(MapGenerator& maps, const char* name) override
    {
        if (MapGeneratorWindow* bench = MapGeneratorWindow::Of(maps)) bench->ShowEnvironment(name);
    }
    bool HasMapPicture(const MapGenerator& maps) override
    {
        const MapGeneratorWindow* bench = MapGeneratorWindow::Of(maps);
        return bench && bench->previewSprite;
    }
    void ShowMapPicture(MapGenerator& maps, const uint32_t* pixels) override
    {
        if (MapGeneratorWindow* bench = MapGeneratorWindow::Of(maps)) bench->ShowPreview(pixels);
    }
    void RunConsoleOrder(const char* line, const std::vector<Entity*>& units, const Vec3& point) override
    {
        ::RunConsoleOrder(line, units, point);
    }
    void PlaceFromEditor(const PlayerOrder& order) override { ApplyEditorPlacement(order); }
};

ToolAnswers Answers;
LevelToolHooks* Before = nullptr;
bool Installed = false;

}  // namespace

void InstallLevelToolAnswers()
{
    if (Installed) return;
    Before = TheLevelToolHooks;
    TheLevelToolHooks = &Answers;
    Installed = true;
}

void RemoveLevelToolAnswers()
{
    if (!Installed) return;
    TheLevelToolHooks = Before;
    Installed = false;
}
