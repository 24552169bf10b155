#pragma once
// Key codes of the game. The polled keyboard state is indexed by keyboard scan code (DIK_,
// the position of a key on a PC keyboard; codes of the extended keys carry 0x80), the window
// messages carry virtual-key codes (VK_, what the key means: letters and digits are their
// capital ASCII codes). The translation from the platform's keys to both lives here.

// Scan codes.
enum : int {
    DIK_ESCAPE = 0x01,
    DIK_1 = 0x02,
    DIK_2 = 0x03,
    DIK_3 = 0x04,
    DIK_4 = 0x05,
    DIK_5 = 0x06,
    DIK_6 = 0x07,
    DIK_7 = 0x08,
    DIK_8 = 0x09,
    DIK_9 = 0x0A,
    DIK_0 = 0x0B,
    DIK_MINUS = 0x0C,
    DIK_EQUALS = 0x0D,
    DIK_BACK = 0x0E,  // Backspace
    DIK_TAB = 0x0F,
    DIK_Q = 0x10,
    DIK_W = 0x11,
    DIK_E = 0x12,
    DIK_R = 0x13,
    DIK_T = 0x14,
    DIK_Y = 0x15,
    DIK_U = 0x16,
    DIK_I = 0x17,
    DIK_O = 0x18,
    DIK_P = 0x19,
    DIK_LBRACKET = 0x1A,
    DIK_RBRACKET = 0x1B,
    DIK_RETURN = 0x1C,
    DIK_LCONTROL = 0x1D,
    DIK_A = 0x1E,
    DIK_S = 0x1F,
    DIK_D = 0x20,
    DIK_F = 0x21,
    DIK_G = 0x22,
    DIK_H = 0x23,
    DIK_J = 0x24,
    DIK_K = 0x25,
    DIK_L = 0x26,
    DIK_SEMICOLON = 0x27,
    DIK_APOSTROPHE = 0x28,
    DIK_GRAVE = 0x29,
    DIK_LSHIFT = 0x2A,
    DIK_BACKSLASH = 0x2B,
    DIK_Z = 0x2C,
    DIK_X = 0x2D,
    DIK_C = 0x2E,
    DIK_V = 0x2F,
    DIK_B = 0x30,
    DIK_N = 0x31,
    DIK_M = 0x32,
    DIK_COMMA = 0x33,
    DIK_PERIOD = 0x34,
    DIK_SLASH = 0x35,
    DIK_RSHIFT = 0x36,
    DIK_MULTIPLY = 0x37,  // * on the keypad
    DIK_LMENU = 0x38,     // left Alt
    DIK_SPACE = 0x39,
    DIK_CAPITAL = 0x3A,  // Caps Lock
    DIK_F1 = 0x3B,
    DIK_F2 = 0x3C,
    DIK_F3 = 0x3D,
    DIK_F4 = 0x3E,
    DIK_F5 = 0x3F,
    DIK_F6 = 0x40,
    DIK_F7 = 0x41,
    DIK_F8 = 0x42,
    DIK_F9 = 0x43,
    DIK_F10 = 0x44,
    DIK_NUMLOCK = 0x45,
    DIK_SCROLL = 0x46,  // Scroll Lock
    DIK_NUMPAD7 = 0x47,
    DIK_NUMPAD8 = 0x48,
    DIK_NUMPAD9 = 0x49,
    DIK_SUBTRACT = 0x4A,  // - on the keypad
    DIK_NUMPAD4 = 0x4B,
    DIK_NUMPAD5 = 0x4C,
    DIK_NUMPAD6 = 0x4D,
    DIK_ADD = 0x4E,  // + on the keypad
    DIK_NUMPAD1 = 0x4F,
    DIK_NUMPAD2 = 0x50,
    DIK_NUMPAD3 = 0x51,
    DIK_NUMPAD0 = 0x52,
    DIK_DECIMAL = 0x53,  // . on the keypad
    DIK_OEM_102 = 0x56,  // the extra key beside left Shift on European keyboards
    DIK_F11 = 0x57,
    DIK_F12 = 0x58,
    DIK_F13 = 0x64,
    DIK_F14 = 0x65,
    DIK_F15 = 0x66,
    DIK_NUMPADEQUALS = 0x8D,
    DIK_NUMPADENTER = 0x9C,
    DIK_RCONTROL = 0x9D,
    DIK_MUTE = 0xA0,
    DIK_VOLUMEDOWN = 0xAE,
    DIK_VOLUMEUP = 0xB0,
    DIK_NUMPADCOMMA = 0xB3,
    DIK_DIVIDE = 0xB5,  // / on the keypad
    DIK_SYSRQ = 0xB7,   // Print Screen
    DIK_RMENU = 0xB8,   // right Alt
    DIK_PAUSE = 0xC5,
    DIK_HOME = 0xC7,
    DIK_UP = 0xC8,
    DIK_PRIOR = 0xC9,  // Page Up
    DIK_LEFT = 0xCB,
    DIK_RIGHT = 0xCD,
    DIK_END = 0xCF,
    DIK_DOWN = 0xD0,
    DIK_NEXT = 0xD1,  // Page Down
    DIK_INSERT = 0xD2,
    DIK_DELETE = 0xD3,
    DIK_LWIN = 0xDB,
    DIK_RWIN = 0xDC,
    DIK_APPS = 0xDD,
};

// Virtual-key codes. Letters 'A'..'Z' and digits '0'..'9' are their own codes.
enum : int {
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_CLEAR = 0x0C,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,  // Alt
    VK_PAUSE = 0x13,
    VK_CAPITAL = 0x14,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,  // Page Up
    VK_NEXT = 0x22,   // Page Down
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_SNAPSHOT = 0x2C,  // Print Screen
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_LWIN = 0x5B,
    VK_RWIN = 0x5C,
    VK_APPS = 0x5D,
    VK_NUMPAD0 = 0x60,
    VK_NUMPAD1 = 0x61,
    VK_NUMPAD2 = 0x62,
    VK_NUMPAD3 = 0x63,
    VK_NUMPAD4 = 0x64,
    VK_NUMPAD5 = 0x65,
    VK_NUMPAD6 = 0x66,
    VK_NUMPAD7 = 0x67,
    VK_NUMPAD8 = 0x68,
    VK_NUMPAD9 = 0x69,
    VK_MULTIPLY = 0x6A,
    VK_ADD = 0x6B,
    VK_SEPARATOR = 0x6C,
    VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E,
    VK_DIVIDE = 0x6F,
    VK_F1 = 0x70,
    VK_F2 = 0x71,
    VK_F3 = 0x72,
    VK_F4 = 0x73,
    VK_F5 = 0x74,
    VK_F6 = 0x75,
    VK_F7 = 0x76,
    VK_F8 = 0x77,
    VK_F9 = 0x78,
    VK_F10 = 0x79,
    VK_F11 = 0x7A,
    VK_F12 = 0x7B,
    VK_F13 = 0x7C,
    VK_F14 = 0x7D,
    VK_F15 = 0x7E,
    VK_NUMLOCK = 0x90,
    VK_SCROLL = 0x91,
    VK_LSHIFT = 0xA0,
    VK_RSHIFT = 0xA1,
    VK_LCONTROL = 0xA2,
    VK_RCONTROL = 0xA3,
    VK_LMENU = 0xA4,
    VK_RMENU = 0xA5,
    VK_VOLUME_MUTE = 0xAD,
    VK_VOLUME_DOWN = 0xAE,
    VK_VOLUME_UP = 0xAF,
    // The punctuation keys, named by what they carry on a US keyboard.
    VK_OEM_1 = 0xBA,       // ; :
    VK_OEM_PLUS = 0xBB,    // = +
    VK_OEM_COMMA = 0xBC,   // , <
    VK_OEM_MINUS = 0xBD,   // - _
    VK_OEM_PERIOD = 0xBE,  // . >
    VK_OEM_2 = 0xBF,       // / ?
    VK_OEM_3 = 0xC0,       // ` ~
    VK_OEM_4 = 0xDB,       // [ {
    VK_OEM_5 = 0xDC,       // \ |
    VK_OEM_6 = 0xDD,       // ] }
    VK_OEM_7 = 0xDE,       // ' "
    VK_OEM_102 = 0xE2,     // the extra key beside left Shift
};

// One key in both codes; 0 for a code the key does not have.
struct KeyCodes {
    int dik;
    int vk;
};

// A platform key: its scan code (position) and its key code (meaning in the current layout).
// Letters take their virtual-key code from the layout, as on the desktop the game was made
// for; every other code comes from the key's position. {0, 0} for keys the game cannot see.
KeyCodes TranslateKey(int scancode, int keycode);
// The same by the platform's name of a key ("A", "F1", "Space", "Left Ctrl", ...) in the
// US layout; {0, 0} for an unknown name.
KeyCodes TranslateKeyName(const char* name);
// The platform scan code of a scan code; 0 when no platform key has it.
int ScancodeOfDik(int dik);
// The key code a key has in the US layout (what scripted input sends with a scan code).
int UsKeycodeOfScancode(int scancode);
