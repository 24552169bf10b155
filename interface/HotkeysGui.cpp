#include "interface/HotkeysGui.h"

#include "gui/GuiDraw.h"
#include "platform/ConfigFile.h"
#include "host/System.h"
#include "render/Draw2D.h"
#include "render/Font.h"

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

void HotkeysGui::Build()
{
    if (built) return;
    const int H = ScreenHeight();
    BuildFrame("Hotkeys", 25 * H / 32, 25 * H / 32);
    Finish();
}

void HotkeysGui::Draw()
{
    Window::Draw();
    const int H = ScreenHeight();
    const int x0 = left + H / 16;
    int y = top + 35 * H / 384;
    Font* heading = ScreenFont(1);
    Font* text = ScreenFont(4);
    if (heading) heading->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    if (text) text->SetColor(0.8f, 0.8f, 0.8f, 1.0f);
    for (int i = 0; i < HOTKEY_HELP_ROW_COUNT; ++i) {
        const HotkeyHelpRow& row = HOTKEY_HELP_ROWS[i];
        if (row.section) {
            if (i > 0) y += H / 48;
            GuiDrawText(heading, x0, y, row.section);
            y += 5 * H / 192;
        }
        char key[64];
        HotkeyHelpKeyText(row, key, sizeof key);
        if (heading) heading->SetColor(0.3f, 1.0f, 0.6f, 1.0f);
        GuiDrawText(heading, x0 + H / 48, y, key);
        if (heading) heading->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
        // The camera's longer key texts push their descriptions further right.
        GuiDrawText(text, x0 + (row.wideKey ? 65 * H / 384 : 5 * H / 48), y, row.description);
        y += H / 48;
    }
}
