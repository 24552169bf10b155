#pragma once
// "My Technology": what the player can field, as two grids of icons: the buildings of the build
// catalogue open to the player (free ones and bought blueprints, never those only the computer
// builds) and the unit types open to the player. Hovering an icon shows its name, description
// and combat figures. Pauses the game while open.
#include "interface/InfoScreen.h"

class AgentType;
class BuildItem;
struct TextureRecord;

constexpr int PLAYER_TECH_ID = 1013;

// Whether the player may field it.
bool TechBuildingShown(const BuildItem& item);
bool TechUnitShown(const AgentType& type);

class PlayerTechGui : public InfoScreen {
public:
    static constexpr int PER_ROW = 10;

    PlayerTechGui();
    static PlayerTechGui* Create();
    void Build();
    void Draw() override;

    Sprite* icon = nullptr;
    Sprite* box = nullptr;
    Sprite* backdrop = nullptr;
    int gridX = 0, gridY = 0;
    // What the last draw found: icons of each grid, and the hovered one (null none).
    int buildingsShown = 0, unitsShown = 0;
    const BuildItem* hoveredBuilding = nullptr;
    const AgentType* hoveredUnit = nullptr;

private:
    // Draws one grid's icon at slot n below top; true when the mouse is on it.
    bool DrawIcon(int n, int top, TextureRecord* texture, int cell, int mouseX, int mouseY);
    void DrawHoverBox(int mouseX, int mouseY);
};

extern PlayerTechGui* ThePlayerTechGui;
