// The objectives on the HUD: the panel with the "Objectives" button that opens the briefing,
// and the list of the running mission's objectives drawn on its dark backing, a done one
// ticked.
#include "interface/ObjectivesPanel.h"

#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/Window.h"
#include "gui/WindowManager.h"
#include "interface/MissionBriefingGui.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Objectives.h"
#include "platform/ConfigFile.h"
#include "platform/SoundManager.h"
#include "render/Font.h"
#include "render/Sprite.h"

#include <algorithm>

Sprite* ObjectiveDoneMark = nullptr;
Sprite* ObjectiveBacking = nullptr;
ObjectivesPanel TheObjectivesPanel;

namespace {

constexpr int DONE_MARK_CELL = 0x04040102;
constexpr uint32_t OBJECTIVE_BACKING_COLOUR = 0x99000000;  // black, three fifths opaque

int OnObjectivesPressed(void*, Button* button)
{
    if (!button) return 1;
    if (TheMissionBriefing) TheMissionBriefing->SetVisible(true);
    if (SoundMgr) SoundMgr->PlaySound("blip");
    return 1;
}

}  // namespace

void BuildObjectivesPanel()
{
    Window*& panel = TheObjectivesPanel.panel;
    Button*& button = TheObjectivesPanel.button;
    if (!Config || !WindowMgr || panel) return;
    int h = Config->height;
    panel = new Window(0, (int)(h * 0.0833333f + h * 0.0234375f), 10, 10, 0, nullptr, WINDOW_FRAMELESS);
    TheObjectivesPanel.windowId = WindowMgr->NewWindowId();
    panel->id = TheObjectivesPanel.windowId;
    Font* font = TheGame ? TheGame->fonts[1] : nullptr;
    button = new Button(nullptr, OnObjectivesPressed, (int)(h * 0.0104167f), (int)(h * 0.0625f), (int)(h * 0.1041667f),
                        (int)(h * 0.03125f), 0, font, "data/gui/missionbanner.dds", "data/gui/missionbanner.dds",
                        nullptr, 0, 0, 0);
    button->SetText("Objectives");
    panel->AddChild(button);
    // Fitted where it stands, below the top-left corner, never over the middle of the screen.
    panel->FitToChildren(1, 1, 0, 0);
    panel->SetVisible(false);
    WindowMgr->AddWindow(panel);
    if (!ObjectiveDoneMark) {
        int side = (int)(h * 0.03125f);
        float ua, va, ub, vb;
        GetAtlasCellUV(DONE_MARK_CELL, &ua, &va, &ub, &vb);
        ObjectiveDoneMark =
            CreateSprite(0, 0, side, side, "data/gui/planet_controls.dds", 0xFFFFFFFF, ua, va, ub, vb, true);
    }
    if (!ObjectiveBacking)
        ObjectiveBacking = CreateSprite(0, 0, 1, 1, "data/textures/white.dds", OBJECTIVE_BACKING_COLOUR, 0.0f, 0.0f, 1.0f,
                                        1.0f, true);
}

void ShowObjectivesPanel(bool show)
{
    if (TheObjectivesPanel.panel) TheObjectivesPanel.panel->SetVisible(show);
}

void ReleaseObjectivesPanel()
{
    delete TheObjectivesPanel.button;
    TheObjectivesPanel.button = nullptr;
    delete TheObjectivesPanel.panel;
    TheObjectivesPanel.panel = nullptr;
    TheObjectivesPanel.windowId = -1;
    delete ObjectiveDoneMark;
    ObjectiveDoneMark = nullptr;
    delete ObjectiveBacking;
    ObjectiveBacking = nullptr;
}

void DrawObjectiveLines(const Objectives& objectives, const int* point)
{
    if (!Config || !TheGame) return;
    Font* font = TheGame->fonts[1];
    if (!font || !font->loaded) return;
    int w = Config->width, h = Config->height;
    float x = point ? (float)point[0] : (float)(w / 128);
    float y = (point ? (float)point[1] : (float)(h / 16)) + h * 0.0390625f;
    Objectives::Line lines[Objectives::MAX_OBJECTIVES];
    int count = objectives.BuildLines(lines, Objectives::MAX_OBJECTIVES);
    // One line of the font apart at least, so neither the words nor a tick reach the next line.
    const int lineStep = std::max((int)(h * 0.0182292f), (int)font->LineHeight());
    // The lines stand on a dark backing of their own: over a bright factory or a lit snowfield
    // the green words and their shadow alone are hard to read.
    if (count > 0 && ObjectiveBacking) {
        int widest = 0;
        for (int i = 0; i < count; ++i) {
            TextSize size{};
            font->GetTextExtent(lines[i].text, &size);
            const int tick = lines[i].done ? std::min((int)(h * 0.03125f), lineStep) : 0;
            widest = std::max(widest, size.cx + tick);
        }
        const int pad = std::max(2, h / 192);
        ObjectiveBacking->SetRect((int)x - pad, (int)y - pad, (int)x + widest + 2 * pad,
                                  (int)y + count * lineStep + pad);
        GuiDrawSprite(ObjectiveBacking);
    }
    font->SetShadow(true);
    for (int i = 0; i < count; ++i) {
        const Objectives::Line& line = lines[i];
        font->SetColor(line.colour[0], line.colour[1], line.colour[2], line.colour[3]);
        GuiDrawText(font, (int)x, (int)y, line.text);
        if (line.done && ObjectiveDoneMark) {
            // The tick stands on its own line, as tall as the line and level with its words,
            // so it never covers the next objective.
            TextSize size{};
            font->GetTextExtent(line.text, &size);
            const int side = std::min((int)(h * 0.03125f), lineStep);
            const int top = (int)y + (size.cy - side) / 2;
            ObjectiveDoneMark->SetRect((int)x + size.cx, top, (int)x + size.cx + side, top + side);
            GuiDrawSprite(ObjectiveDoneMark);
        }
        y += lineStep;
    }
    font->SetShadow(false);
    font->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
}
