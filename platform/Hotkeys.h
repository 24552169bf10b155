#pragma once
// Player commands by name, and the key bindings that run them. The game registers its
// commands before hotkeys.cfg is read; each "keyboard_map key command" line of the file then
// binds a key to a registered command, and a key press runs what its key is bound to.
#include <cstddef>

using CommandFunction = void (*)();

// One binding of a key: the command's registered name and its function (none when unbound).
struct HotkeyBinding {
    char name[64];
    CommandFunction function;
};

// The four bindings of one key, in this order.
enum HotkeyModifier { HOTKEY_PLAIN = 0, HOTKEY_CTRL = 1, HOTKEY_ALT = 2, HOTKEY_CTRL_ALT = 3 };

struct HotkeyEntry {
    HotkeyBinding bindings[4];
};

constexpr int HOTKEY_CHARACTER_KEYS = 128;
constexpr int HOTKEY_FUNCTION_KEYS = 12;  // indexed by the key's number; F1..F9 are bindable

// The registry: 127 buckets of at most 8 commands each. A registration whose bucket is full
// (or whose name does not fit) is refused with a log line; false then.
bool RegisterCommand(const char* name, CommandFunction function);
// The command registered under name, compared without regard to case; none when absent.
CommandFunction FindCommand(const char* name);
// The registered spelling of a command name, or null when no such command exists.
const char* FindCommandName(const char* name);
// Forgets every registered command (shutdown and tests).
void ClearCommandRegistry();

// The binding a key press with those modifiers runs: the modifiers' own, else the key's plain
// one; none when the key is unbound.
const HotkeyBinding* FindBinding(const HotkeyEntry& entry, bool control, bool alt);

// A key press: runs the command bound to the character (codes 0..127) or function key (1..9)
// with the held modifiers, falling back to the key's plain binding. True when a command ran.
// Key presses meant for a text field (the game seam's IsTextInputFocused) are not hotkeys.
bool OnHotkeyCharacter(int code, bool control, bool alt);
bool OnFunctionKey(int number, bool control, bool alt);
