#include "app/WndProc.h"

#include "app/MainLoop.h"
#include "campaign/MissionScreen.h"
#include "campaign/StorySlideshow.h"
#include "gui/WindowManager.h"
#include "host/InputEvents.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "platform/GameSeam.h"
#include "platform/ConfigFile.h"
#include "platform/Hotkeys.h"
#include "platform/InputState.h"
#include "tools/Console.h"

bool IsTextInputFocused()
{
    return GetGameSeam().IsTextInputFocused();
}

namespace {

bool ModalOpen() { return WindowMgr && WindowMgr->modal; }
bool InIntro() { return TheGame && TheGame->state == GAME_STATE_INTRO; }

// A modal window is answered first: the game's keys wait until it closes (a key would act on
// the game behind it, or open and close windows there), all but the screenshot, which takes the
// window as the player sees it.
bool HeldBackByModal(const HotkeyEntry* entry, bool control, bool alt)
{
    if (!ModalOpen() || !entry) return false;
    const HotkeyBinding* binding = FindBinding(*entry, control, alt);
    return binding && StrICmp(binding->name, "printscreen") != 0;
}

const HotkeyEntry* CharacterEntry(int code)
{
    return Config && code >= 0 && code < HOTKEY_CHARACTER_KEYS ? &Config->characterKeys[code] : nullptr;
}

// A held key repeats: text boxes take the repeats, the game's keys act once a press (a held
// heal key used a cannister at each repeat).
void OnKeyDown(int key, bool control, bool alt, bool repeat)
{
    KeyboardDevice* keyboard = Input.keyboard;
    if (keyboard) keyboard->lastKeyDown = key;
    if (WindowMgr && WindowMgr->OnKey(keyboard)) {
        // Taken by the GUI. Only the developer console's history keys act beyond this.
        if ((key == VK_UP || key == VK_DOWN) && ConsoleHasFocus()) BrowseConsoleHistory(key == VK_UP);
        return;
    }
    switch (key) {
    case VK_PAUSE:
    case VK_SCROLL:
        if (!ModalOpen()) GamePaused = !GamePaused;
        PausedWithoutFocus = false;
        return;
    case VK_ESCAPE:
        if (FrontEndScreenState == 0 && TheGame && !InIntro()) {
            TheGame->OnEscape();
        } else if (InIntro()) {
            if (IntroSlideshow) IntroSlideshow->Next();
        } else if (!ModalOpen()) {
            MissionScreen::OnBack(0, 0);
        }
        return;
    case VK_SPACE:
        if (InIntro() && IntroSlideshow) IntroSlideshow->StopVoiceOver();
        return;
    default:
        break;
    }
    if (key == VK_RETURN) {
        OpenConsole();
        return;
    }
    if (repeat) return;
    if (key >= '0' && key <= '9') {
        if (control && !HeldBackByModal(CharacterEntry(key), control, alt)) OnHotkeyCharacter(key, control, alt);
    } else if (key >= VK_F1 && key <= VK_F9) {
        const int number = key - VK_F1 + 1;
        if (!(Config && HeldBackByModal(&Config->functionKeys[number], control, alt))) OnFunctionKey(number, control, alt);
    }
}

// A level whose window loses the focus pauses, as the Pause key would (the pause is noted among
// the orders, so its replay plays the same game), and the sign says why; the focus back lifts
// that pause, and no other. The front end goes on as it is.
void OnFocusChanged(bool focused)
{
    if (!focused) {
        if (TheGame && TheGame->state == GAME_STATE_PLAYING && !GamePaused) {
            GamePaused = true;
            PausedWithoutFocus = true;
        }
        return;
    }
    if (!PausedWithoutFocus) return;
    PausedWithoutFocus = false;
    if (TheGame && TheGame->state == GAME_STATE_PLAYING) GamePaused = false;
}

void OnCharacter(int code, bool control, bool shift, bool alt, bool repeat)
{
    if (IsTextInputFocused() || repeat) return;
    if (control) code += shift ? 64 : 96;
    if (HeldBackByModal(CharacterEntry(code), control, alt)) return;
    OnHotkeyCharacter(code, control, alt);
}

}  // namespace

intptr_t WndProc(const HostMessage& message)
{
    if (Input.keyboard) Input.keyboard->lastKeyDown = 0;
    bool control = (message.modifiers & MODIFIER_CONTROL) != 0;
    bool alt = (message.modifiers & MODIFIER_ALT) != 0;
    bool shift = (message.modifiers & MODIFIER_SHIFT) != 0;
    switch (message.message) {
    case WM_CLOSE:
        // Closing the window destroys it, which ends the program.
    case WM_DESTROY:
        InputEvents.PostQuitMessage(0);
        return 0;
    case WM_ACTIVATE: {
        // Without the focus the window is still shown: the loop goes on drawing it (only a
        // minimised window waits), and a level holds still until the player is back.
        unsigned state = message.wParam & 0xFFFF;
        OnFocusChanged(state == 1 || state == 2);
        return 0;
    }
    case WM_SIZE:
        if (message.wParam == SIZE_MINIMIZED || message.wParam == 3 || message.wParam == 4)
            AppActive = false;
        else if (message.wParam == SIZE_RESTORED || message.wParam == SIZE_MAXIMIZED)
            AppActive = true;
        return 0;
    case WM_KEYUP:
        if (Input.keyboard) Input.keyboard->lastKeyUp = (int)message.wParam;
        if (WindowMgr) WindowMgr->OnKeyUp(Input.keyboard);
        return 0;
    case WM_KEYDOWN:
        // The key is read with the modifiers it came with, not the pass's poll.
        if (Input.keyboard) Input.keyboard->messageModifiers = (int)(message.modifiers & (MODIFIER_SHIFT | MODIFIER_CONTROL));
        OnKeyDown((int)message.wParam, control, alt, (message.lParam & KEY_WAS_DOWN) != 0);
        if (Input.keyboard) Input.keyboard->messageModifiers = -1;
        return 0;
    case WM_CHAR:
        OnCharacter((int)message.wParam, control, shift, alt, (message.lParam & KEY_WAS_DOWN) != 0);
        return 0;
    default:
        return 0;
    }
}
