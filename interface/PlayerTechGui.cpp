#include "interface/PlayerTechGui.h"

#include "gui/GuiDraw.h"
#include "mechanics/GameMechanics.h"
#include "platform/InputState.h"
#include "render/Draw2D.h"
#include "render/Font.h"
#include "render/Sprite.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Building.h"

#include <cstdio>

PlayerTechGui* ThePlayerTechGui = nullptr;

namespace {
constexpr uint32_t WHITE = 0xFFFFFFFF, LIGHT_GREY = 0xFFCCCCCC;
}  // namespace

bool TechBuildingShown(const BuildItem& item)
{
    if (item.flags & BUILD_AI_CAN_BUILD) return false;
    return (item.flags & BUILD_MARKED) || item.buyCost <= 0;
}

bool TechUnitShown(const AgentType& type)
{
    if (!type.prototype || type.prototype->alignment != ALIGN_PLAYER) return false;
    return (type.flags & AGENT_TYPE_OWNED) || type.buyCost <= 0;
}

PlayerTechGui::PlayerTechGui() : InfoScreen(PLAYER_TECH_ID, true) {}

PlayerTechGui* PlayerTechGui::Create()
{
    PlayerTechGui* screen = new PlayerTechGui();
    screen->Build();
    return screen;
}

void PlayerTechGui::Build()
{
    if (built) return;
    const int H = ScreenHeight();
    const int m = 5 * H / 192, g = 5 * H / 384;
    BuildFrame("My Technology", 5 * m + PER_ROW * (13 * H / 192), 265 * H / 384);
    gridX = 2 * m;
    gridY = 5 * H / 96 + 2 * g + H / 48;
    const int side = H / 16;
    icon = KeepSprite(CreateGuiSprite(0, 0, side, side, "data/gui/transparent.dds", WHITE, 0.0f, 0.0f, 1.0f, 1.0f));
    box = KeepSprite(CreateGuiSprite(0, 0, side, side, "data/gui/panelblue.dds", LIGHT_GREY, 0.0f, 0.0f, 1.0f, 1.0f));
    backdrop =
        KeepSprite(CreateGuiSprite(0, 0, side, side, "data/gui/solid_darkgrey.dds", WHITE, 0.0f, 0.0f, 1.0f, 1.0f));
    Finish();
}

bool PlayerTechGui::DrawIcon(int n, int gridTop, TextureRecord* texture, int cell, int mouseX, int mouseY)
{
    const int H = ScreenHeight();
    const int step = 13 * H / 192, side = H / 16;
    const int x = left + gridX + (n % PER_ROW) * step, y = gridTop + (n / PER_ROW) * step;
    if (icon) {
        icon->texture = texture;
        icon->SetAtlasCell(cell);
        icon->SetPosition(x, y);
        GuiDrawSprite(icon);
    }
    return mouseX >= x && mouseX <= x + side && mouseY >= y && mouseY <= y + side;
}

void PlayerTechGui::Draw()
{
    Window::Draw();
    buildingsShown = unitsShown = 0;
    hoveredBuilding = nullptr;
    hoveredUnit = nullptr;
    if (!TheGame) return;
    const int H = ScreenHeight();
    const int step = 13 * H / 192;
    const MouseDevice* mouse = Input.mouse;
    const int mouseX = mouse ? mouse->cursorX : -1, mouseY = mouse ? mouse->cursorY : -1;
    Font* heading = ScreenFont(0);
    if (heading) heading->SetColor(1.0f, 1.0f, 1.0f, 1.0f);

    int y = top + gridY;
    GuiDrawText(heading, left + gridX, y, "Buildings");
    y += H / 32;
    if (TheGame->buildItems)
        for (auto* node = TheGame->buildItems->items.head; node; node = node->next) {
            const BuildItem* item = node->value;
            if (!item || !TechBuildingShown(*item)) continue;
            if (DrawIcon(buildingsShown, y, item->iconTexture, item->iconCell, mouseX, mouseY)) hoveredBuilding = item;
            ++buildingsShown;
        }
    y += ((buildingsShown + PER_ROW - 1) / PER_ROW) * step + H / 96;
    GuiDrawText(heading, left + gridX, y, "Units");
    y += H / 32;
    if (TheGame->agentTypes)
        for (auto* node = TheGame->agentTypes->types.head; node; node = node->next) {
            const AgentType* type = node->value;
            if (!type || !TechUnitShown(*type)) continue;
            if (DrawIcon(unitsShown, y, type->iconTexture, type->iconCell, mouseX, mouseY)) hoveredUnit = type;
            ++unitsShown;
        }
    if (hoveredBuilding || hoveredUnit) DrawHoverBox(mouseX, mouseY);
}

void PlayerTechGui::DrawHoverBox(int mouseX, int mouseY)
{
    const int H = ScreenHeight();
    const char* name = hoveredBuilding ? hoveredBuilding->name : hoveredUnit->name;
    const char* description = hoveredBuilding ? hoveredBuilding->longDescription : hoveredUnit->longDescription;
    description = GuiDisplayText(description ? description : "");
    char combat[128] = "";
    if (hoveredBuilding && (hoveredBuilding->flags & BUILD_TURRET) && hoveredBuilding->prototype) {
        Entity* prototype = hoveredBuilding->prototype;
        Building* turret = dynamic_cast<Building*>(prototype);
        snprintf(combat, sizeof combat, "Damage: %0.1f (%0.1f dps)  Range: %.1f\n",
                 prototype->GetDamage(prototype->weapon), prototype->GetDamagePerSecond(prototype->weapon),
                 turret ? turret->GetTypeRadius() : 0.0f);
    } else if (hoveredUnit && hoveredUnit->prototype) {
        Agent* agent = hoveredUnit->prototype;
        if (agent->classWord & AGENT_CLASS_MELEE)
            snprintf(combat, sizeof combat, "Damage: %0.1f (%0.1f dps)\n", agent->GetDamage(agent->weapon),
                     agent->GetDamagePerSecond(agent->weapon));
        else
            snprintf(combat, sizeof combat, "Damage: %0.1f (%0.1f dps)  Range: %.1f\n", agent->GetDamage(agent->weapon),
                     agent->GetDamagePerSecond(agent->weapon), agent->GetAttackRange());
    }
    Font* titleFont = ScreenFont(1);
    Font* textFont = ScreenFont(4);
    const int wrap = 55 * H / 192;
    const int lines = WrappedLineCount(textFont, description, wrap, 10);
    const int side = H / 16;
    const int boxLeft = mouseX - H / 96, boxTop = mouseY + side - H / 96;
    const int combatLines = combat[0] ? 1 : 0;
    if (box) {
        box->SetRect(boxLeft, boxTop, boxLeft + 5 * H / 16,
                     boxTop + 5 * H / 96 + (lines + combatLines) * (7 * H / 384));
        GuiDrawSprite(box);
    }
    if (titleFont) titleFont->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    GuiDrawText(titleFont, mouseX, mouseY + side, GuiDisplayText(name));
    if (!textFont) return;
    const float r = textFont->r, g = textFont->g, b = textFont->b, a = textFont->a;
    const int textTop = mouseY + side + 5 * H / 192;
    textFont->SetColor(0.8f, 0.8f, 0.8f, 1.0f);
    GuiDrawWrappedText(textFont, description, wrap, mouseX, textTop, 0, 10);
    if (combatLines) {
        textFont->SetColor(0.3f, 1.0f, 0.6f, 1.0f);
        GuiDrawText(textFont, mouseX, textTop + lines * (int)textFont->LineHeight(), combat);
    }
    textFont->SetColor(r, g, b, a);
}
