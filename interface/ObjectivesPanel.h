#pragma once
// The running mission's objectives on the HUD: the panel with the "Objectives" button that
// opens the briefing, and the lines of the objectives on their dark backing, a done one ticked.
// The front end builds the panel with the objectives and frees it with them; the objectives show
// and hide it through the ScreenHooks.
class Button;
class Objectives;
class Sprite;
class Window;

struct ObjectivesPanel {
    Window* panel = nullptr;
    Button* button = nullptr;
    int windowId = -1;
};
extern ObjectivesPanel TheObjectivesPanel;

// The panel with the "Objectives" button (hidden) and the sprites of the lines, once; nothing
// without a configuration and a window manager.
void BuildObjectivesPanel();
// The panel, its button and the sprites of the lines go.
void ReleaseObjectivesPanel();
void ShowObjectivesPanel(bool show);
// Draws the objectives' lines from the given point (null: the top left of the screen).
void DrawObjectiveLines(const Objectives& objectives, const int* point);

// The completion mark drawn after a done objective's line; made once with the panel.
extern Sprite* ObjectiveDoneMark;
// The dark backing the objective lines stand on.
extern Sprite* ObjectiveBacking;
