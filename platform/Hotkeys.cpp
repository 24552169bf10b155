#include "platform/Hotkeys.h"

#include "host/Log.h"
#include "host/System.h"
#include "platform/ConfigFile.h"
#include "platform/GameSeam.h"
#include "platform/PooledList.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int COMMAND_BUCKETS = 127;
constexpr int COMMANDS_PER_BUCKET = 8;
constexpr size_t COMMAND_NAME_SIZE = 128;

using CommandTable = NamedHashTable<CommandFunction, COMMAND_NAME_SIZE>;
CommandTable* Commands = nullptr;

// The commands whose bindings hotkeys.cfg keeps, in the order the file lists them.
const char* const SavedCommands[] = {
    "attack", "move", "repair", "stop", "heal", "laymine", "scan", "toggle_inventory",
    "toggle_camera_lock", "printscreen", "goto_alert", "select_player", "toggle_health_bars",
    "lay_freeze_trap", "recharge_shields", "aimode_default", "aimode_holdposition", "aimode_stop",
    "quick_slot_1", "quick_slot_2", "quick_slot_3", "quick_slot_4", "trackplayer", "resetcamera",
    "debug_incspeed", "debug_decspeed",
    "assignControlGroup_0", "assignControlGroup_1", "assignControlGroup_2", "assignControlGroup_3",
    "assignControlGroup_4", "assignControlGroup_5", "assignControlGroup_6", "assignControlGroup_7",
    "assignControlGroup_8", "assignControlGroup_9",
    "selectControlGroup_0", "selectControlGroup_1", "selectControlGroup_2", "selectControlGroup_3",
    "selectControlGroup_4", "selectControlGroup_5", "selectControlGroup_6", "selectControlGroup_7",
    "selectControlGroup_8", "selectControlGroup_9",
};

const char* const ModifierPrefixes[4] = {"", "ctrl_", "alt_", "ctrl_alt_"};

bool TextHasFocus()
{
    return GetGameSeam().IsTextInputFocused();
}

// Runs the binding for the held modifiers, falling back to the plain binding.
bool Dispatch(const HotkeyEntry& entry, bool control, bool alt)
{
    const HotkeyBinding* binding = FindBinding(entry, control, alt);
    if (!binding) return false;
    binding->function();
    return true;
}

// The key name of a binding: the modifier prefix, then the key.
void FormatKeyName(char* out, size_t size, int modifier, const char* key, bool parentheses)
{
    if (parentheses)
        snprintf(out, size, "(%s%s)", ModifierPrefixes[modifier], key);
    else
        snprintf(out, size, "%s%s", ModifierPrefixes[modifier], key);
}

}  // namespace

bool RegisterCommand(const char* name, CommandFunction function)
{
    if (!name) return false;
    if (!Commands) {
        Commands = new CommandTable;
        if (!Commands->Init(COMMAND_BUCKETS, COMMANDS_PER_BUCKET)) {
            Log("ERROR RegisterCommand: no memory for the command table\n");
            delete Commands;
            Commands = nullptr;
            return false;
        }
    }
    if (!CommandTable::NameFits(name)) {
        Log("ERROR RegisterCommand: command name too long: %.40s...\n", name);
        return false;
    }
    if (!Commands->Insert(name, function)) {
        Log("ERROR RegisterCommand: no room left for command %s\n", name);
        return false;
    }
    return true;
}

CommandFunction FindCommand(const char* name)
{
    if (!Commands) return nullptr;
    const CommandFunction* function = Commands->Find(name);
    return function ? *function : nullptr;
}

const char* FindCommandName(const char* name)
{
    if (!Commands) return nullptr;
    const CommandTable::Node* node = Commands->FindNode(name);
    return node ? node->name : nullptr;
}

void ClearCommandRegistry()
{
    delete Commands;
    Commands = nullptr;
}

const HotkeyBinding* FindBinding(const HotkeyEntry& entry, bool control, bool alt)
{
    const HotkeyBinding* binding = nullptr;
    if (control) {
        if (alt && entry.bindings[HOTKEY_CTRL_ALT].function)
            binding = &entry.bindings[HOTKEY_CTRL_ALT];
        else if (entry.bindings[HOTKEY_CTRL].function)
            binding = &entry.bindings[HOTKEY_CTRL];
    } else if (alt && entry.bindings[HOTKEY_ALT].function) {
        binding = &entry.bindings[HOTKEY_ALT];
    }
    if (!binding && entry.bindings[HOTKEY_PLAIN].function) binding = &entry.bindings[HOTKEY_PLAIN];
    return binding;
}

bool OnHotkeyCharacter(int code, bool control, bool alt)
{
    if (TextHasFocus() || !Config) return false;
    if (code < 0 || code >= HOTKEY_CHARACTER_KEYS) return false;
    return Dispatch(Config->characterKeys[code], control, alt);
}

bool OnFunctionKey(int number, bool control, bool alt)
{
    if (TextHasFocus() || !Config) return false;
    if (number < 1 || number > 9) return false;
    return Dispatch(Config->functionKeys[number], control, alt);
}

bool ConfigFile::BindHotkey(const char* key, const char* command)
{
    if (!key || !command) return false;
    // Bindings keep the command's registered spelling: hotkeys.cfg is written back by that
    // name, so a binding spelt in another case survives the next save.
    const char* registered = FindCommandName(command);
    if (!registered) return false;
    CommandFunction function = FindCommand(registered);

    char token[64];
    CopyText(token, sizeof token, key);
    size_t length = strlen(token);
    HotkeyEntry* entry = nullptr;
    int modifier = HOTKEY_PLAIN;
    int code = -1;
    if (length == 1) {
        code = static_cast<unsigned char>(token[0]);
    } else if (length == 2 && token[0] == 'F' && token[1] >= '1' && token[1] <= '9') {
        entry = &functionKeys[token[1] - '0'];
    } else if (strncmp(token, "space", 5) == 0) {
        code = ' ';
    } else if (strncmp(token, "tab", 3) == 0) {
        code = '\t';
    } else if (length == 10 && strncmp(token, "ctrl_alt_", 9) == 0) {
        code = static_cast<unsigned char>(token[9]);
        modifier = HOTKEY_CTRL_ALT;
    } else if (length == 6 && strncmp(token, "ctrl_", 5) == 0) {
        code = static_cast<unsigned char>(token[5]);
        modifier = HOTKEY_CTRL;
    } else if (length == 5 && strncmp(token, "alt_", 4) == 0) {
        code = static_cast<unsigned char>(token[4]);
        modifier = HOTKEY_ALT;
    }
    if (!entry) {
        if (code < 0 || code >= HOTKEY_CHARACTER_KEYS) return false;
        entry = &characterKeys[code];
    }
    HotkeyBinding& binding = entry->bindings[modifier];
    CopyText(binding.name, sizeof binding.name, registered);
    binding.function = function;
    return true;
}

bool ConfigFile::FindHotkey(const char* command, char* out, bool parentheses, size_t outSize) const
{
    if (!command || !out || outSize == 0) return false;
    for (int code = 0; code < HOTKEY_CHARACTER_KEYS; ++code) {
        for (int modifier = 0; modifier < 4; ++modifier) {
            const HotkeyBinding& binding = characterKeys[code].bindings[modifier];
            if (!binding.function || strcmp(binding.name, command) != 0) continue;
            char key[8];
            if (code == '\t')
                CopyText(key, sizeof key, "tab");
            else if (code == ' ')
                CopyText(key, sizeof key, "space");
            else
                snprintf(key, sizeof key, "%c", static_cast<char>(code));
            FormatKeyName(out, outSize, modifier, key, parentheses);
            return true;
        }
    }
    for (int number = 0; number < HOTKEY_FUNCTION_KEYS; ++number) {
        for (int modifier = 0; modifier < 4; ++modifier) {
            const HotkeyBinding& binding = functionKeys[number].bindings[modifier];
            if (!binding.function || strcmp(binding.name, command) != 0) continue;
            char key[16];
            snprintf(key, sizeof key, "F%d", number);
            FormatKeyName(out, outSize, modifier, key, parentheses);
            return true;
        }
    }
    return false;
}

void ConfigFile::LoadHotkeys(const char* path)
{
    if (!path) path = "data/hotkeys.cfg";
    // A missing file leaves the bindings as they are.
    ReadFile(path, !IsAbsolutePath(path));
}

void ConfigFile::SaveHotkeys(const char* path)
{
    if (!path) path = "data/hotkeys.cfg";
    FILE* file = fopen(path, "wb");
    if (!file) {
        Log("ERROR opening file %s for WRITING\n", path);
        return;
    }
    fprintf(file, "\n/* USER HOTKEYS */\n\n");
    for (const char* command : SavedCommands) {
        char key[32];
        if (!FindHotkey(command, key, false, sizeof key)) continue;
        size_t length = strlen(key);
        const char* tabs = "\t";
        if (length <= 2)
            tabs = "\t\t\t";
        else if (length == 3 || strcmp(key, "space") == 0)
            tabs = "\t\t";
        fprintf(file, "keyboard_map\t\t%s%s%s\n", key, tabs, command);
    }
    fprintf(file, "\nEOF\n");
    fclose(file);
}
