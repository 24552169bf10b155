#pragma once
// The level generator's window, a developer's tool over the program's map generator: the map's
// picture at the left, and the buttons that make, show and start levels. There is one at most;
// it goes with its map generator (LevelToolHooks::MapGeneratorGone).
#include <cstdint>

class EditBox;
class Label;
class MapGenerator;
class Sprite;
class Window;

class MapGeneratorWindow {
public:
    // Builds the window over the map generator once, hidden; the one already built for it
    // otherwise. Null without a window manager.
    static MapGeneratorWindow* Create(MapGenerator& maps);
    // The window over the map generator; null when it has none.
    static MapGeneratorWindow* Of(const MapGenerator& maps);
    // The window over the map generator goes (the map generator is going).
    static void Forget(const MapGenerator& maps);
    // Lets go of the window and its picture.
    ~MapGeneratorWindow();
    MapGeneratorWindow(const MapGeneratorWindow&) = delete;
    MapGeneratorWindow& operator=(const MapGeneratorWindow&) = delete;

    void SetVisible(bool show);
    bool IsVisible() const;
    // The picture and the windows in 2D mode, while the window is shown.
    void Draw();
    // The map cell under a point of the screen's picture.
    void MapPointFromScreen(int sx, int sy, int* mx, int* my) const;
    // The height image made from the kind grid again, shown in the picture.
    void LoadHeightImage();
    // The label names the environment.
    void ShowEnvironment(const char* name);
    // What the environment box holds.
    const char* TypedEnvironment() const;
    // The picture shows the map's mapWidth x mapWidth pixels, or one colour.
    void ShowPreview(const uint32_t* pixels);
    void FillPreview(uint32_t colour);

    MapGenerator& maps;
    EditBox* environmentBox = nullptr;
    Label* environmentLabel = nullptr;
    Window* window = nullptr;
    Sprite* previewSprite = nullptr;  // its texture is the dynamic "dyn_mapgen"

private:
    explicit MapGeneratorWindow(MapGenerator& maps);
};
