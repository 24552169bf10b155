#pragma once
// "Hotkeys": a read-only table of the game's controls, by section. A row bound to a named
// command shows the key bound to it right now in the hotkey configuration ("<none>" when the
// command has no key); the others show fixed key texts. Opened over the options window, whose
// pause it keeps: closing gives the input back to the options window and leaves the pause.
#include "interface/InfoScreen.h"

constexpr int HOTKEYS_ID = 1019;

struct HotkeyHelpRow {
    const char* section;      // a heading begins here (null: the section goes on)
    const char* description;
    const char* command;      // the named command whose key is shown, or null
    const char* fixedKey;     // the key text of a row without a command
    bool wideKey = false;     // the camera's longer key texts push the description right
};

// The table in drawing order.
extern const HotkeyHelpRow HOTKEY_HELP_ROWS[];
extern const int HOTKEY_HELP_ROW_COUNT;

// The key text of a row: the command's bound key, "<none>" without one, or the fixed text.
void HotkeyHelpKeyText(const HotkeyHelpRow& row, char* out, size_t size);

class HotkeysGui : public InfoScreen {
public:
    HotkeysGui();
    static HotkeysGui* Create();
    void Build();
    void Draw() override;
};

extern HotkeysGui* TheHotkeysGui;
