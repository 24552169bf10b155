#include "host/InputEvents.h"

#include "host/Display.h"
#include "host/InputKeys.h"

#include <SDL.h>

InputEventPump InputEvents;

namespace {

// A shell that stops draining its messages must not make the queue grow without end; input
// beyond this is dropped, the window's own messages are always kept.
constexpr size_t MAX_QUEUED = 1024;

// The next code point of a UTF-8 text; -1 for a byte that starts no valid sequence.
int NextCodePoint(const unsigned char*& p)
{
    unsigned c = *p++;
    if (c < 0x80) return int(c);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (extra < 0) return -1;
    unsigned cp = c & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        if ((*p & 0xC0) != 0x80) return -1;
        cp = (cp << 6) | (*p++ & 0x3F);
    }
    return int(cp);
}

}  // namespace

void InputEventPump::Attach(SDL_Window* newWindow)
{
    if (captured) CaptureMouse(false);
    window = newWindow;
    focused = !window || (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

void InputEventPump::Pump()
{
    if (!SDL_WasInit(SDL_INIT_EVENTS)) return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        ++eventCount;
        Translate(&event);
    }
    // A window that went with its display connection is a destroyed window to the game.
    if (IsDisplayLost() && !displayLossPosted) {
        displayLossPosted = true;
        Post(WM_DESTROY, 0, 0);
    }
}

bool InputEventPump::PeekMessage(HostMessage* out)
{
    if (queue.empty()) Pump();
    if (queue.empty()) return false;
    if (out) *out = queue.front();
    queue.pop_front();
    return true;
}

bool InputEventPump::WaitMessage(int timeoutMs)
{
    if (!queue.empty()) return true;
    if (!SDL_WasInit(SDL_INIT_EVENTS)) return false;
    // In slices: a display connection that breaks meanwhile brings no event of its own.
    constexpr int SLICE_MS = 100;
    for (;;) {
        if (IsDisplayLost() && !displayLossPosted) return true;
        int wait = timeoutMs < 0 || timeoutMs > SLICE_MS ? SLICE_MS : timeoutMs;
        if (SDL_WaitEventTimeout(nullptr, wait) == 1) return true;
        if (timeoutMs >= 0 && (timeoutMs -= wait) <= 0) return IsDisplayLost() && !displayLossPosted;
    }
}

void InputEventPump::PostMessage(const HostMessage& message)
{
    queue.push_back(message);
}

void InputEventPump::PostQuitMessage(int exitCode)
{
    Post(WM_QUIT, uint32_t(exitCode), 0);
}

unsigned InputEventPump::Modifiers() const
{
    auto held = [this](int dik) { return (liveKeys[dik] & 0x80) != 0; };
    unsigned modifiers = 0;
    if (held(DIK_LSHIFT) || held(DIK_RSHIFT)) modifiers |= MODIFIER_SHIFT;
    if (held(DIK_LCONTROL) || held(DIK_RCONTROL)) modifiers |= MODIFIER_CONTROL;
    if (held(DIK_LMENU) || held(DIK_RMENU)) modifiers |= MODIFIER_ALT;
    return modifiers;
}

void InputEventPump::Hold(const Change& change)
{
    // Motion comes many times a frame: one entry holds all of it between two other changes.
    if (change.kind == Change::MOTION && backlog.back().kind == Change::MOTION) {
        backlog.back().x += change.x;
        backlog.back().y += change.y;
        backlog.back().wheel += change.wheel;
        return;
    }
    backlog.push_back(change);
}

void InputEventPump::Settle()
{
    while (!backlog.empty() && backlog.front().kind != Change::BUTTON) {
        const Change& change = backlog.front();
        if (change.kind == Change::KEY) {
            keys[change.index] = (unsigned char)change.x;
        } else {
            motionX += change.x;
            motionY += change.y;
            wheel += change.wheel;
        }
        backlog.pop_front();
    }
}

void InputEventPump::ReadMouse(int* dx, int* dy, int* wheelOut, unsigned char buttons[3])
{
    if (dx) *dx = motionX;
    if (dy) *dy = motionY;
    motionX = motionY = 0;
    int whole = int(wheel);  // toward zero; the rest of a partial turn waits for more
    wheel -= float(whole);
    if (wheelOut) *wheelOut = whole;
    // The button changes next in line, one of each button; what came after them waits for
    // the next read.
    bool changed[3] = {};
    while (!backlog.empty() && backlog.front().kind == Change::BUTTON && !changed[backlog.front().index]) {
        changed[backlog.front().index] = true;
        reportedDown[backlog.front().index] = (unsigned char)backlog.front().x;
        backlog.pop_front();
    }
    Settle();
    for (int b = 0; b < 3; ++b)
        if (buttons) buttons[b] = reportedDown[b];
}

void InputEventPump::ClearMouseMotion()
{
    motionX = motionY = 0;
    wheel = 0.0f;
    for (Change& change : backlog) {
        if (change.kind != Change::MOTION) continue;
        change.x = change.y = 0;
        change.wheel = 0.0f;
    }
}

void InputEventPump::CaptureMouse(bool capture)
{
    if (!window) {
        captured = false;
        return;
    }
    // Without relative mode (some drivers lack it) motion still arrives; the pointer then
    // merely stays visible.
    SDL_SetRelativeMouseMode(capture ? SDL_TRUE : SDL_FALSE);
    captured = capture;
}

void InputEventPump::Reset()
{
    if (captured) CaptureMouse(false);
    window = nullptr;
    focused = true;
    displayLossPosted = false;
    queue.clear();
    ReleaseAll();
}

void InputEventPump::ReleaseAll()
{
    for (unsigned char& key : keys) key = 0;
    for (unsigned char& key : liveKeys) key = 0;
    motionX = motionY = 0;
    wheel = 0.0f;
    for (int b = 0; b < 3; ++b) reportedDown[b] = buttonDown[b] = 0;
    backlog.clear();
}

void InputEventPump::Post(unsigned message, uint32_t wParam, uint32_t lParam)
{
    bool input = message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR;
    if (input && queue.size() >= MAX_QUEUED) return;
    HostMessage m;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.modifiers = Modifiers();
    queue.push_back(m);
}

void InputEventPump::Translate(const void* raw)
{
    const SDL_Event& event = *static_cast<const SDL_Event*>(raw);
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        OnKey(event.key.keysym.scancode, event.key.keysym.sym, event.type == SDL_KEYDOWN, event.key.repeat != 0);
        break;
    case SDL_TEXTINPUT:
        OnText(event.text.text);
        break;
    case SDL_MOUSEMOTION:
        if (Waiting()) {
            Hold({Change::MOTION, 0, event.motion.xrel, event.motion.yrel, 0.0f});
        } else {
            motionX += event.motion.xrel;
            motionY += event.motion.yrel;
        }
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        // Left, right, middle, as the game numbers them.
        int button = event.button.button == SDL_BUTTON_LEFT     ? 0
                     : event.button.button == SDL_BUTTON_RIGHT  ? 1
                     : event.button.button == SDL_BUTTON_MIDDLE ? 2
                                                                : -1;
        if (button >= 0) OnButton(button, event.type == SDL_MOUSEBUTTONDOWN);
        break;
    }
    case SDL_MOUSEWHEEL: {
        float notches = event.wheel.preciseY;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
        if (Waiting())
            Hold({Change::MOTION, 0, 0, 0, notches * 120.0f});
        else
            wheel += notches * 120.0f;
        break;
    }
    case SDL_WINDOWEVENT:
        // With a window, another window's events (a message box) are not ours.
        if (window && event.window.windowID != 0 && event.window.windowID != SDL_GetWindowID(window)) break;
        switch (event.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED: OnFocus(true); break;
        case SDL_WINDOWEVENT_FOCUS_LOST: OnFocus(false); break;
        case SDL_WINDOWEVENT_MINIMIZED: Post(WM_SIZE, SIZE_MINIMIZED, 0); break;
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_RESTORED: {
            int w = 0, h = 0;
            if (window) SDL_GetWindowSize(window, &w, &h);
            unsigned kind = event.window.event == SDL_WINDOWEVENT_MAXIMIZED ? SIZE_MAXIMIZED : SIZE_RESTORED;
            Post(WM_SIZE, kind, uint32_t(w & 0xFFFF) | (uint32_t(h & 0xFFFF) << 16));
            break;
        }
        case SDL_WINDOWEVENT_CLOSE: Post(WM_CLOSE, 0, 0); break;
        default: break;
        }
        break;
    case SDL_QUIT:
        Post(WM_QUIT, 0, 0);
        break;
    default:
        break;
    }
}

void InputEventPump::OnKey(int scancode, int keycode, bool down, bool repeat)
{
    KeyCodes codes = TranslateKey(scancode, keycode);
    if (!codes.dik && !codes.vk) return;
    bool wasDown = repeat || (liveKeys[codes.dik] & 0x80) != 0;
    if (down) keyRepeating = wasDown;
    if (codes.dik) {
        const unsigned char state = down ? 0x80 : 0;
        liveKeys[codes.dik] = state;
        if (Waiting() && backlog.size() < MAX_QUEUED)
            Hold({Change::KEY, codes.dik, state, 0, 0.0f});
        else
            keys[codes.dik] = state;
    }

    uint32_t lParam = 1u | (uint32_t(codes.dik & 0x7F) << 16);
    if (codes.dik & 0x80) lParam |= KEY_EXTENDED;
    if (wasDown || !down) lParam |= KEY_WAS_DOWN;
    if (!down) lParam |= KEY_RELEASED;
    if (codes.vk) Post(down ? WM_KEYDOWN : WM_KEYUP, uint32_t(codes.vk), lParam);
    if (!down) return;

    // The characters the platform's text input leaves out: control codes. With Control held
    // a letter is its control code (1..26) and no other key gives a character.
    int character = 0;
    if (Modifiers() & MODIFIER_CONTROL) {
        if (codes.vk >= 'A' && codes.vk <= 'Z') character = codes.vk - 'A' + 1;
    } else {
        switch (codes.vk) {
        case VK_BACK: character = 8; break;
        case VK_TAB: character = 9; break;
        case VK_RETURN: character = 13; break;
        case VK_ESCAPE: character = 27; break;
        default: break;
        }
    }
    if (character) Post(WM_CHAR, uint32_t(character), lParam);
}

void InputEventPump::OnText(const char* utf8)
{
    // Control turns keys into control codes (sent with the key); the platform may still
    // print a digit or sign for them.
    if (Modifiers() & MODIFIER_CONTROL) return;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8);
    while (*p) {
        int cp = NextCodePoint(p);
        // The game's characters are single bytes; the rest of the world's cannot be typed.
        if (cp >= 32 && cp < 256 && cp != 127) Post(WM_CHAR, uint32_t(cp), keyRepeating ? 1u | KEY_WAS_DOWN : 1u);
    }
}

void InputEventPump::OnButton(int button, bool down)
{
    unsigned char state = down ? 0x80 : 0;
    if (state == buttonDown[button]) return;
    buttonDown[button] = state;
    // Many clicks between two reads: keep the latest state and at most one click to show.
    // Three changes of the button waiting and a fourth coming: the last two of them (a whole
    // click) are dropped.
    int waiting = 0;
    for (const Change& change : backlog) waiting += change.kind == Change::BUTTON && change.index == button;
    for (int dropped = 0; waiting >= 3 && dropped < 2; ++dropped)
        for (auto it = backlog.end(); it != backlog.begin();) {
            --it;
            if (it->kind == Change::BUTTON && it->index == button) {
                backlog.erase(it);
                break;
            }
        }
    Settle();  // when the dropped click led the line
    backlog.push_back({Change::BUTTON, button, state, 0, 0.0f});
}

void InputEventPump::OnFocus(bool gained)
{
    if (gained) {
        focused = true;
        Post(WM_ACTIVATE, WA_ACTIVE, 0);
        return;
    }
    focused = false;
    ++focusLosses;
    ReleaseAll();
    if (captured) CaptureMouse(false);
    Post(WM_ACTIVATE, WA_INACTIVE, 0);
}
