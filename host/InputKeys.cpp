#include "host/InputKeys.h"

#include <SDL.h>

namespace {

struct KeyRow {
    SDL_Scancode scancode;
    int dik;
    int vk;
};

// Every key by position. Keypad keys keep their keypad codes whatever Num Lock says.
const KeyRow KEYS[] = {
    {SDL_SCANCODE_A, DIK_A, 'A'},
    {SDL_SCANCODE_B, DIK_B, 'B'},
    {SDL_SCANCODE_C, DIK_C, 'C'},
    {SDL_SCANCODE_D, DIK_D, 'D'},
    {SDL_SCANCODE_E, DIK_E, 'E'},
    {SDL_SCANCODE_F, DIK_F, 'F'},
    {SDL_SCANCODE_G, DIK_G, 'G'},
    {SDL_SCANCODE_H, DIK_H, 'H'},
    {SDL_SCANCODE_I, DIK_I, 'I'},
    {SDL_SCANCODE_J, DIK_J, 'J'},
    {SDL_SCANCODE_K, DIK_K, 'K'},
    {SDL_SCANCODE_L, DIK_L, 'L'},
    {SDL_SCANCODE_M, DIK_M, 'M'},
    {SDL_SCANCODE_N, DIK_N, 'N'},
    {SDL_SCANCODE_O, DIK_O, 'O'},
    {SDL_SCANCODE_P, DIK_P, 'P'},
    {SDL_SCANCODE_Q, DIK_Q, 'Q'},
    {SDL_SCANCODE_R, DIK_R, 'R'},
    {SDL_SCANCODE_S, DIK_S, 'S'},
    {SDL_SCANCODE_T, DIK_T, 'T'},
    {SDL_SCANCODE_U, DIK_U, 'U'},
    {SDL_SCANCODE_V, DIK_V, 'V'},
    {SDL_SCANCODE_W, DIK_W, 'W'},
    {SDL_SCANCODE_X, DIK_X, 'X'},
    {SDL_SCANCODE_Y, DIK_Y, 'Y'},
    {SDL_SCANCODE_Z, DIK_Z, 'Z'},
    {SDL_SCANCODE_1, DIK_1, '1'},
    {SDL_SCANCODE_2, DIK_2, '2'},
    {SDL_SCANCODE_3, DIK_3, '3'},
    {SDL_SCANCODE_4, DIK_4, '4'},
    {SDL_SCANCODE_5, DIK_5, '5'},
    {SDL_SCANCODE_6, DIK_6, '6'},
    {SDL_SCANCODE_7, DIK_7, '7'},
    {SDL_SCANCODE_8, DIK_8, '8'},
    {SDL_SCANCODE_9, DIK_9, '9'},
    {SDL_SCANCODE_0, DIK_0, '0'},
    {SDL_SCANCODE_RETURN, DIK_RETURN, VK_RETURN},
    {SDL_SCANCODE_ESCAPE, DIK_ESCAPE, VK_ESCAPE},
    {SDL_SCANCODE_BACKSPACE, DIK_BACK, VK_BACK},
    {SDL_SCANCODE_TAB, DIK_TAB, VK_TAB},
    {SDL_SCANCODE_SPACE, DIK_SPACE, VK_SPACE},
    {SDL_SCANCODE_MINUS, DIK_MINUS, VK_OEM_MINUS},
    {SDL_SCANCODE_EQUALS, DIK_EQUALS, VK_OEM_PLUS},
    {SDL_SCANCODE_LEFTBRACKET, DIK_LBRACKET, VK_OEM_4},
    {SDL_SCANCODE_RIGHTBRACKET, DIK_RBRACKET, VK_OEM_6},
    {SDL_SCANCODE_BACKSLASH, DIK_BACKSLASH, VK_OEM_5},
    {SDL_SCANCODE_NONUSHASH, DIK_BACKSLASH, VK_OEM_5},
    {SDL_SCANCODE_SEMICOLON, DIK_SEMICOLON, VK_OEM_1},
    {SDL_SCANCODE_APOSTROPHE, DIK_APOSTROPHE, VK_OEM_7},
    {SDL_SCANCODE_GRAVE, DIK_GRAVE, VK_OEM_3},
    {SDL_SCANCODE_COMMA, DIK_COMMA, VK_OEM_COMMA},
    {SDL_SCANCODE_PERIOD, DIK_PERIOD, VK_OEM_PERIOD},
    {SDL_SCANCODE_SLASH, DIK_SLASH, VK_OEM_2},
    {SDL_SCANCODE_NONUSBACKSLASH, DIK_OEM_102, VK_OEM_102},
    {SDL_SCANCODE_CAPSLOCK, DIK_CAPITAL, VK_CAPITAL},
    {SDL_SCANCODE_F1, DIK_F1, VK_F1},
    {SDL_SCANCODE_F2, DIK_F2, VK_F2},
    {SDL_SCANCODE_F3, DIK_F3, VK_F3},
    {SDL_SCANCODE_F4, DIK_F4, VK_F4},
    {SDL_SCANCODE_F5, DIK_F5, VK_F5},
    {SDL_SCANCODE_F6, DIK_F6, VK_F6},
    {SDL_SCANCODE_F7, DIK_F7, VK_F7},
    {SDL_SCANCODE_F8, DIK_F8, VK_F8},
    {SDL_SCANCODE_F9, DIK_F9, VK_F9},
    {SDL_SCANCODE_F10, DIK_F10, VK_F10},
    {SDL_SCANCODE_F11, DIK_F11, VK_F11},
    {SDL_SCANCODE_F12, DIK_F12, VK_F12},
    {SDL_SCANCODE_F13, DIK_F13, VK_F13},
    {SDL_SCANCODE_F14, DIK_F14, VK_F14},
    {SDL_SCANCODE_F15, DIK_F15, VK_F15},
    {SDL_SCANCODE_PRINTSCREEN, DIK_SYSRQ, VK_SNAPSHOT},
    {SDL_SCANCODE_SYSREQ, DIK_SYSRQ, VK_SNAPSHOT},
    {SDL_SCANCODE_SCROLLLOCK, DIK_SCROLL, VK_SCROLL},
    {SDL_SCANCODE_PAUSE, DIK_PAUSE, VK_PAUSE},
    {SDL_SCANCODE_INSERT, DIK_INSERT, VK_INSERT},
    {SDL_SCANCODE_HOME, DIK_HOME, VK_HOME},
    {SDL_SCANCODE_PAGEUP, DIK_PRIOR, VK_PRIOR},
    {SDL_SCANCODE_DELETE, DIK_DELETE, VK_DELETE},
    {SDL_SCANCODE_END, DIK_END, VK_END},
    {SDL_SCANCODE_PAGEDOWN, DIK_NEXT, VK_NEXT},
    {SDL_SCANCODE_RIGHT, DIK_RIGHT, VK_RIGHT},
    {SDL_SCANCODE_LEFT, DIK_LEFT, VK_LEFT},
    {SDL_SCANCODE_DOWN, DIK_DOWN, VK_DOWN},
    {SDL_SCANCODE_UP, DIK_UP, VK_UP},
    {SDL_SCANCODE_NUMLOCKCLEAR, DIK_NUMLOCK, VK_NUMLOCK},
    {SDL_SCANCODE_KP_DIVIDE, DIK_DIVIDE, VK_DIVIDE},
    {SDL_SCANCODE_KP_MULTIPLY, DIK_MULTIPLY, VK_MULTIPLY},
    {SDL_SCANCODE_KP_MINUS, DIK_SUBTRACT, VK_SUBTRACT},
    {SDL_SCANCODE_KP_PLUS, DIK_ADD, VK_ADD},
    {SDL_SCANCODE_KP_ENTER, DIK_NUMPADENTER, VK_RETURN},
    {SDL_SCANCODE_KP_1, DIK_NUMPAD1, VK_NUMPAD1},
    {SDL_SCANCODE_KP_2, DIK_NUMPAD2, VK_NUMPAD2},
    {SDL_SCANCODE_KP_3, DIK_NUMPAD3, VK_NUMPAD3},
    {SDL_SCANCODE_KP_4, DIK_NUMPAD4, VK_NUMPAD4},
    {SDL_SCANCODE_KP_5, DIK_NUMPAD5, VK_NUMPAD5},
    {SDL_SCANCODE_KP_6, DIK_NUMPAD6, VK_NUMPAD6},
    {SDL_SCANCODE_KP_7, DIK_NUMPAD7, VK_NUMPAD7},
    {SDL_SCANCODE_KP_8, DIK_NUMPAD8, VK_NUMPAD8},
    {SDL_SCANCODE_KP_9, DIK_NUMPAD9, VK_NUMPAD9},
    {SDL_SCANCODE_KP_0, DIK_NUMPAD0, VK_NUMPAD0},
    {SDL_SCANCODE_KP_PERIOD, DIK_DECIMAL, VK_DECIMAL},
    {SDL_SCANCODE_KP_EQUALS, DIK_NUMPADEQUALS, 0},
    {SDL_SCANCODE_KP_COMMA, DIK_NUMPADCOMMA, VK_SEPARATOR},
    {SDL_SCANCODE_APPLICATION, DIK_APPS, VK_APPS},
    {SDL_SCANCODE_MUTE, DIK_MUTE, VK_VOLUME_MUTE},
    {SDL_SCANCODE_AUDIOMUTE, DIK_MUTE, VK_VOLUME_MUTE},
    {SDL_SCANCODE_VOLUMEUP, DIK_VOLUMEUP, VK_VOLUME_UP},
    {SDL_SCANCODE_VOLUMEDOWN, DIK_VOLUMEDOWN, VK_VOLUME_DOWN},
    {SDL_SCANCODE_LCTRL, DIK_LCONTROL, VK_CONTROL},
    {SDL_SCANCODE_LSHIFT, DIK_LSHIFT, VK_SHIFT},
    {SDL_SCANCODE_LALT, DIK_LMENU, VK_MENU},
    {SDL_SCANCODE_LGUI, DIK_LWIN, VK_LWIN},
    {SDL_SCANCODE_RCTRL, DIK_RCONTROL, VK_CONTROL},
    {SDL_SCANCODE_RSHIFT, DIK_RSHIFT, VK_SHIFT},
    {SDL_SCANCODE_RALT, DIK_RMENU, VK_MENU},
    {SDL_SCANCODE_RGUI, DIK_RWIN, VK_RWIN},
};

// Scan code -> row, built once.
struct KeyIndex {
    KeyCodes byScancode[SDL_NUM_SCANCODES] = {};
    int scancodeOfDik[256] = {};
    KeyIndex()
    {
        for (const KeyRow& row : KEYS) {
            byScancode[row.scancode] = {row.dik, row.vk};
            // The first platform key of a scan code is its main one.
            if (!scancodeOfDik[row.dik]) scancodeOfDik[row.dik] = row.scancode;
        }
    }
};

const KeyIndex& Index()
{
    static const KeyIndex index;
    return index;
}

}  // namespace

KeyCodes TranslateKey(int scancode, int keycode)
{
    if (scancode <= SDL_SCANCODE_UNKNOWN || scancode >= SDL_NUM_SCANCODES) return {0, 0};
    KeyCodes codes = Index().byScancode[scancode];
    // A letter means what the layout prints on it.
    if (codes.dik && keycode >= 'a' && keycode <= 'z') codes.vk = keycode - 'a' + 'A';
    return codes;
}

KeyCodes TranslateKeyName(const char* name)
{
    if (!name) return {0, 0};
    SDL_Scancode scancode = SDL_GetScancodeFromName(name);
    return TranslateKey(scancode, UsKeycodeOfScancode(scancode));
}

int ScancodeOfDik(int dik)
{
    if (dik <= 0 || dik > 255) return 0;
    return Index().scancodeOfDik[dik];
}

int UsKeycodeOfScancode(int scancode)
{
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return 'a' + (scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return '1' + (scancode - SDL_SCANCODE_1);
    switch (scancode) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_RETURN: return SDLK_RETURN;
    case SDL_SCANCODE_ESCAPE: return SDLK_ESCAPE;
    case SDL_SCANCODE_BACKSPACE: return SDLK_BACKSPACE;
    case SDL_SCANCODE_TAB: return SDLK_TAB;
    case SDL_SCANCODE_SPACE: return SDLK_SPACE;
    case SDL_SCANCODE_MINUS: return '-';
    case SDL_SCANCODE_EQUALS: return '=';
    case SDL_SCANCODE_LEFTBRACKET: return '[';
    case SDL_SCANCODE_RIGHTBRACKET: return ']';
    case SDL_SCANCODE_BACKSLASH: return '\\';
    case SDL_SCANCODE_SEMICOLON: return ';';
    case SDL_SCANCODE_APOSTROPHE: return '\'';
    case SDL_SCANCODE_GRAVE: return '`';
    case SDL_SCANCODE_COMMA: return ',';
    case SDL_SCANCODE_PERIOD: return '.';
    case SDL_SCANCODE_SLASH: return '/';
    default: break;
    }
    if (scancode <= SDL_SCANCODE_UNKNOWN || scancode >= SDL_NUM_SCANCODES) return SDLK_UNKNOWN;
    return SDL_SCANCODE_TO_KEYCODE(scancode);
}
