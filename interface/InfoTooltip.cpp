#include "interface/InfoTooltip.h"

#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "gui/WindowManager.h"
#include "interface/HudLayout.h"
#include "interface/MessageLists.h"
#include "render/Draw2D.h"
#include "render/Font.h"
#include "render/Sprite.h"
#include "world/BuildItem.h"

#include <cstdio>

InfoTooltip* TheInfoTooltip = nullptr;

InfoTooltip::~InfoTooltip()
{
    for (Label*& label : labels) {
        delete label;
        label = nullptr;
    }
    delete window;
    delete background;
}

void InfoTooltip::Build()
{
    if (window) return;
    int w = HudLength(0.5208333), h = HudLength(0.1223958);
    int left = ScreenWidth() - w, top = ScreenHeight() - h;
    window = new Window();
    window->Move(left, top);
    window->SetSize(w, h);
    window->flags |= WINDOW_NOT_MANAGED_DRAW;
    background = CreateGuiSprite(left, top, w, h, "Data/gui/info_back.dds", 0xFFFFFFFF, 0.0f, 0.0f, 1.0f, 1.0f);
    Font* font = HudFont(4);
    for (int i = 0; i < LABELS; ++i) {
        labels[i] = new Label("", HudLength(0.0104167), HudLength(0.0104167) + i * HudLength(0.0234375), w - HudLength(0.0208333), HudLength(0.0234375), 0,
                              font, false);
        window->AddChild(labels[i]);
    }
    labels[1]->SetWrapWidth(HudLength(0.4947917));
    labels[1]->r = labels[1]->g = labels[1]->b = 0.8f;
    window->SetVisible(false);
}

void InfoTooltip::ShowText(const char* key)
{
    if (!window || !key) return;
    char text[96];
    snprintf(text, sizeof text, "<%s>", key);
    labels[0]->SetText(text);
    snprintf(text, sizeof text, "<%s_desc>", key);
    labels[1]->SetText(text);
    for (int i = 2; i < LABELS; ++i) labels[i]->SetText("");
    int lines = labels[1]->SetScroll(0, 6, nullptr);
    if (lines < 1) lines = 1;
    if (lines > 6) lines = 6;
    int line = HudLength(0.03125);
    int w = HudLength(0.5208333), h = (lines + 2) * line;
    // Right-aligned, standing on the main display's height above the bottom edge.
    int left = ScreenWidth() - w, top = ScreenHeight() - HudLength(0.1650390625) - h;
    window->Move(left, top);
    window->SetSize(w, h);
    labels[1]->Move(labels[1]->x, HudLength(0.0104167) + line);
    if (background) background->SetRect(left, top, left + w, top + h);
    window->SetVisible(true);
    shown = true;
}

void InfoTooltip::ShowBuildingTooltip(const BuildItem* item)
{
    if (!window || !item) return;
    ShowText(item->name);
    char text[96];
    snprintf(text, sizeof text, "Ore: %d   Fuel: %d   Power: %d", item->costOre, item->costFuel, item->costPower);
    labels[2]->SetText(text);
    // The costs on the box's last line, under the description however long it runs.
    labels[2]->Move(labels[2]->x, window->height - HudLength(0.03125));
}

void InfoTooltip::Draw()
{
    if (!shown || !window) return;
    if (background && background->texture) GuiDrawSprite(background);
    window->Draw();
}

void InfoTooltip::Hide()
{
    for (Label* label : labels)
        if (label) label->SetText("");
    shown = false;
    if (window) window->SetVisible(false);
}

int OnStatusIconHover(void*, Button* button)
{
    static const char* const names[] = {"Fire", "Acid", "Plasma"};
    if (!button || !TheInfoTooltip || button->id < 1 || button->id > 3) return 1;
    TheInfoTooltip->ShowText(names[button->id - 1]);
    return 1;
}

int ShowInfoPanelButton(void*, Button*)
{
    if (TheInfoTooltip) TheInfoTooltip->Hide();
    return 1;
}
