#include "interface/HotkeysGui.h"

#include "gui/GuiDraw.h"
#include "interface/InfoScreen.h"
#include "platform/ConfigFile.h"
#include "host/System.h"
#include "render/Draw2D.h"
#include "render/Font.h"

#include <algorithm>

HotkeysGui* TheHotkeysGui = nullptr;

const HotkeyHelpRow HOTKEY_HELP_ROWS[] = {
    {"Player Controls", "Select player", "select_player", nullptr},
    {nullptr, "Goto last alert", "goto_alert", nullptr},
    {nullptr, "Open/Close character inventory", "toggle_inventory", nullptr},
    {nullptr, "Quick slot items", nullptr, "F1 - F4"},
    {"Camera Controls", "Scroll screen", nullptr, "Arrow-keys", true},
    {nullptr, "Rotate camera", nullptr, "ctrl + Left|Right", true},
    {nullptr, "Change camera pitch", nullptr, "ctrl + Up|Down", true},
    {nullptr, "Camera tracks selected unit", "trackplayer", nullptr},
    {nullptr, "Reset camera rotation", "resetcamera", nullptr},
    {"Unit Controls", "Attack", "attack", nullptr},
    {nullptr, "Move", "move", nullptr},
    {nullptr, "Stop", "stop", nullptr},
    {nullptr, "Scan ore patches", "scan", nullptr},
    {nullptr, "Repair", "repair", nullptr},
    {nullptr, "Use health cannister on selected", "heal", nullptr},
    {nullptr, "Use shield cannister on selected", "recharge_shields", nullptr},
    {nullptr, "Lay mine", "laymine", nullptr},
    {nullptr, "Lay freeze trap", "lay_freeze_trap", nullptr},
    {nullptr, "Toggle health bars on all units", "toggle_health_bars", nullptr},
    {nullptr, "Select control group", nullptr, "1-9"},
    {nullptr, "Assign control group", nullptr, "ctrl + 1-9"},
    {"Bot A.I. Modes", "Default (move and attack)", "aimode_default", nullptr},
    {nullptr, "Hold position", "aimode_holdposition", nullptr},
    {nullptr, "Stop (don't attack or move)", "aimode_stop", nullptr},
    {"Misc", "Print screen", "printscreen", nullptr},
};
const int HOTKEY_HELP_ROW_COUNT = (int)(sizeof HOTKEY_HELP_ROWS / sizeof HOTKEY_HELP_ROWS[0]);

void HotkeyHelpKeyText(const HotkeyHelpRow& row, char* out, size_t size)
{
    if (!row.command) {
        CopyText(out, size, row.fixedKey ? row.fixedKey : "");
        return;
    }
    if (!Config || !Config->FindHotkey(row.command, out, false, size)) CopyText(out, size, "<none>");
}

HotkeysGui::HotkeysGui() : InfoScreen(HOTKEYS_ID, false) {}

HotkeysGui* HotkeysGui::Create()
{
    HotkeysGui* screen = new HotkeysGui();
    screen->Build();
    return screen;
}

namespace {

// The table's measures: rows at least one line of the key font apart, and the descriptions
// in one column that starts clear of the widest key.
struct HotkeyTableLayout {
    int rowStep = 0, headingStep = 0, keyX = 0, descriptionX = 0, height = 0;

    explicit HotkeyTableLayout(int H)
    {
        Font* heading = ScreenFont(1);
        const int line = heading && heading->loaded ? (int)heading->LineHeight() + 1 : 0;
        rowStep = std::max(H / 48, line);
        headingStep = std::max(5 * H / 192, line + H / 192);
        keyX = H / 48;
        descriptionX = 5 * H / 48;
        for (int i = 0; i < HOTKEY_HELP_ROW_COUNT; ++i) {
            char key[64];
            HotkeyHelpKeyText(HOTKEY_HELP_ROWS[i], key, sizeof key);
            descriptionX = std::max(descriptionX, keyX + TextWidth(heading, key) + H / 48);
        }
        height = 0;
        for (int i = 0; i < HOTKEY_HELP_ROW_COUNT; ++i) {
            if (HOTKEY_HELP_ROWS[i].section) height += (i > 0 ? rowStep : 0) + headingStep;
            height += rowStep;
        }
    }
};

}  // namespace

void HotkeysGui::Build()
{
    if (built) return;
    const int H = ScreenHeight();
    // A square frame, made taller where the whole table needs more room below its banner.
    const HotkeyTableLayout layout(H);
    const int side = 25 * H / 32, needed = 35 * H / 384 + layout.height + H / 16;
    BuildFrame("Hotkeys", side, std::min(std::max(side, needed), H));
    Finish();
}

void HotkeysGui::Draw()
{
    Window::Draw();
    const int H = ScreenHeight();
    const HotkeyTableLayout layout(H);
    const int x0 = left + H / 16;
    int y = top + 35 * H / 384;
    Font* heading = ScreenFont(1);
    Font* text = ScreenFont(4);
    if (heading) heading->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    if (text) text->SetColor(0.8f, 0.8f, 0.8f, 1.0f);
    for (int i = 0; i < HOTKEY_HELP_ROW_COUNT; ++i) {
        const HotkeyHelpRow& row = HOTKEY_HELP_ROWS[i];
        if (row.section) {
            if (i > 0) y += layout.rowStep;
            GuiDrawText(heading, x0, y, row.section);
            y += layout.headingStep;
        }
        char key[64];
        HotkeyHelpKeyText(row, key, sizeof key);
        if (heading) heading->SetColor(0.3f, 1.0f, 0.6f, 1.0f);
        GuiDrawText(heading, x0 + layout.keyX, y, key);
        if (heading) heading->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
        GuiDrawText(text, x0 + layout.descriptionX, y, row.description);
        y += layout.rowStep;
    }
}
