#include "interface/InfoTooltip.h"

#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "gui/WindowManager.h"
#include "platform/StringTable.h"
#include "interface/HudLayout.h"
#include "interface/MessageLists.h"
#include "render/Draw2D.h"
#include "render/Font.h"
#include "render/Sprite.h"
#include "campaign/PlayerProfile.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Item.h"
#include "world/Building.h"
#include "world/WeaponDef.h"

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

namespace {

// The box stands at the right edge, clear of the HUD's panels along the bottom edge: the
// command bar over the main display reaches highest.
int BoxBottom()
{
    int h = ScreenHeight();
    return h - HudFraction(169, 1024) - HudFraction(7, 128) - h / 192;
}

void Colour(Label* label, float r, float g, float b)
{
    label->r = r;
    label->g = g;
    label->b = b;
    label->a = 1.0f;
}

// The text of a catalogue entry's name or description: its string-table key in angle brackets
// when it has no text of its own.
const char* EntryText(const char* text, const char* name, const char* suffix, char* out, size_t size)
{
    if (text && text[0] && text != GameText("<none>") && text != GameText("<unknown>")) return text;
    snprintf(out, size, "<%s%s>", name, suffix);
    return out;
}

}  // namespace

namespace {

// A catalogue entry's short description when it has one of its own, else its name: entries
// without one carry the "none" or "unknown" text, never a name a player should read.
const char* OwnTextOr(const char* text, const char* name)
{
    bool own = text && text[0] && text != GameText("<none>") && text != GameText("<unknown>");
    return own ? GuiDisplayText(text) : (name ? name : "");
}

}  // namespace

const char* BuildItemDisplayName(const BuildItem* item)
{
    return item ? OwnTextOr(item->shortDescription, item->name) : "";
}

const char* ItemDisplayName(const Item* item)
{
    return item ? OwnTextOr(item->shortDescription, item->name) : "";
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
    Colour(labels[0], 1.0f, 1.0f, 1.0f);
    int lines = labels[1]->SetScroll(0, 6, nullptr);
    if (lines < 1) lines = 1;
    if (lines > 6) lines = 6;
    int line = HudLength(0.03125);
    int w = HudLength(0.5208333), h = (lines + 2) * line;
    int left = ScreenWidth() - w, top = BoxBottom() - h;
    window->Move(left, top);
    window->SetSize(w, h);
    labels[0]->Move(labels[0]->x, HudLength(0.0104167));
    labels[1]->Move(labels[1]->x, HudLength(0.0104167) + line);
    if (background) background->SetRect(left, top, left + w, top + h);
    window->SetVisible(true);
    shown = true;
}

void InfoTooltip::ShowCatalogueEntry(const char* title, const char* description, int ore, int fuel)
{
    labels[0]->SetText(title);
    Colour(labels[0], 1.0f, 1.0f, 1.0f);
    labels[1]->SetText(description);
    int lines = labels[1]->SetScroll(0, 6, nullptr);
    descriptionLines_ = lines < 1 ? 1 : lines > 6 ? 6 : lines;
    const PlayerProfile* player = GetPlayerProfile();
    char text[48];
    snprintf(text, sizeof text, "Ore:%d", ore);
    labels[2]->SetText(text);
    snprintf(text, sizeof text, "Fuel:%d", fuel);
    labels[3]->SetText(text);
    bool oreShort = !player || player->ore < (float)ore, fuelShort = !player || player->fuel < (float)fuel;
    Colour(labels[2], oreShort ? 1.0f : 0.4f, oreShort ? 0.4f : 1.0f, 0.4f);
    Colour(labels[3], fuelShort ? 1.0f : 0.4f, fuelShort ? 0.4f : 1.0f, 0.4f);
    Colour(labels[4], 0.506f, 0.702f, 1.0f);
    Colour(labels[5], 0.741f, 0.776f, 0.569f);
    labels[6]->SetText("");
}

void InfoTooltip::PlaceCatalogueBox()
{
    TextSize size{};
    Font* font = labels[0]->font;
    if (font) font->GetTextExtent("dummy", &size);
    int line = size.cy > 0 ? size.cy : HudLength(0.0234375);
    int n = descriptionLines_;
    int pad = HudLength(0.0104167);
    labels[0]->Move(labels[0]->x, pad);
    labels[1]->Move(labels[1]->x, pad + line);
    labels[2]->Move(pad, pad + (n + 2) * line);
    int oreWidth = 0, oreHeight = 0;
    labels[2]->GetTextSize(&oreWidth, &oreHeight);
    labels[3]->Move(pad + oreWidth + HudLength(0.03125), pad + (n + 2) * line);
    labels[4]->Move(pad, pad + (n + 3) * line);
    labels[5]->Move(pad, pad + (n + 4) * line);
    bool weapon = labels[5]->GetText() && labels[5]->GetText()[0];
    int w = HudLength(0.5208333), h = (n + (weapon ? 5 : 4)) * line + 2 * pad;
    int left = ScreenWidth() - w, top = BoxBottom() - h;
    window->Move(left, top);
    window->SetSize(w, h);
    if (background) background->SetRect(left, top, left + w, top + h);
    window->SetVisible(true);
    shown = true;
}

void InfoTooltip::ShowBuildingTooltip(const BuildItem* item)
{
    if (!window || !item || !GetPlayerProfile()) return;
    char title[160], description[160];
    ShowCatalogueEntry(EntryText(item->shortDescription, item->name, "", title, sizeof title),
                       EntryText(item->longDescription, item->name, "_desc", description, sizeof description), item->costOre,
                       item->costFuel);
    Entity* prototype = item->prototype;
    int health = prototype ? (int)prototype->GetMaxHealth() : 0;
    int power = item->resourcePower >= 1 ? item->resourcePower : item->costPower;
    char text[160];
    snprintf(text, sizeof text, "Build time: %.0f seconds    Health: %d    Power: %d", item->buildTime, health, power);
    labels[4]->SetText(text);
    text[0] = '\0';
    if ((item->flags & BUILD_TURRET) && prototype && prototype->flags & ENTITY_BUILDING) {
        Building* turret = static_cast<Building*>(prototype);
        const char* type = WeaponTypeName(item->weapon);
        snprintf(text, sizeof text, "%s damage  %.1f   (%.1f dps)   Range: %.1f", type ? type : "None", turret->GetDamage(nullptr),
                 turret->GetDamagePerSecond(nullptr), turret->GetTypeRadius());
    }
    labels[5]->SetText(text);
    PlaceCatalogueBox();
}

void InfoTooltip::ShowUnitTooltip(const AgentType* type)
{
    Agent* prototype = type ? type->prototype : nullptr;
    if (!window || !prototype || !GetPlayerProfile()) return;
    char title[160], description[160];
    ShowCatalogueEntry(EntryText(type->shortDescription, type->name, "", title, sizeof title),
                       EntryText(type->longDescription, type->name, "_desc", description, sizeof description), type->oreCost,
                       type->fuelCost);
    char text[160];
    snprintf(text, sizeof text, "Build time: %.0f seconds        Health: %d", type->buildTime, (int)prototype->GetMaxHealth());
    labels[4]->SetText(text);
    text[0] = '\0';
    if (const WeaponDef* weapon = prototype->weapon)
        snprintf(text, sizeof text, "%s damage  %.1f   (%.1f dps)   Range: %.1f", weapon->GetTypeName() ? weapon->GetTypeName() : "None",
                 prototype->GetDamage(weapon), prototype->GetDamagePerSecond(weapon), prototype->GetAttackRange());
    else if (prototype->classWord & AGENT_CLASS_MELEE)
        snprintf(text, sizeof text, "Melee damage  %.1f   (%.1f dps)", prototype->GetDamage(nullptr),
                 prototype->GetDamagePerSecond(nullptr));
    labels[5]->SetText(text);
    PlaceCatalogueBox();
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
