#pragma once
// The event pump between the platform's event queue and the game. Every platform event is
// turned into two things:
//  - the raw device state the polled keyboard and mouse read (256 key bytes indexed by scan
//    code with 0x80 for a held key, mouse motion and wheel gathered since the last read, three
//    buttons), kept here because the platform only reports changes;
//  - window messages for the shell's message loop, shaped as the window procedure expects
//    them: a message number, a virtual-key code or character in wParam, the key's details in
//    lParam, plus the modifiers held when the event happened.
// Losing the focus lets go of every held key and button, so nothing stays held while the game
// is in the background. Main thread only.
#include <cstdint>
#include <deque>

struct SDL_Window;

// Message numbers, as the window procedure knows them.
enum : unsigned {
    WM_DESTROY = 0x0002,
    WM_SIZE = 0x0005,      // wParam: SIZE_RESTORED, SIZE_MINIMIZED or SIZE_MAXIMIZED
    WM_ACTIVATE = 0x0006,  // wParam: WA_ACTIVE or WA_INACTIVE
    WM_CLOSE = 0x0010,     // the player closes the window
    WM_QUIT = 0x0012,      // the program is asked to end; wParam: exit code
    WM_KEYDOWN = 0x0100,   // wParam: virtual-key code; sent again while the key repeats
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,  // wParam: character code 1..255
};
enum : unsigned { WA_INACTIVE = 0, WA_ACTIVE = 1 };
enum : unsigned { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };

// Modifier bits of a message: which modifiers were held when its event happened.
enum : unsigned { MODIFIER_SHIFT = 1, MODIFIER_CONTROL = 2, MODIFIER_ALT = 4 };

// lParam of key and character messages: bits 0..15 repeat count (1), 16..23 the scan code
// without its extended bit, 24 the extended bit, 30 the key was already down, 31 the key is
// being released.
enum : uint32_t { KEY_EXTENDED = 1u << 24, KEY_WAS_DOWN = 1u << 30, KEY_RELEASED = 1u << 31 };

struct HostMessage {
    unsigned message = 0;
    uint32_t wParam = 0;
    uint32_t lParam = 0;
    unsigned modifiers = 0;
};

class InputEventPump {
public:
    // The window whose events are read and whose mouse is captured; null reads the queue with
    // no window (scripted input), which then counts as focused.
    void Attach(SDL_Window* window);
    SDL_Window* GetWindow() const { return window; }

    // Moves every waiting platform event into the device state and the message queue. A lost
    // display connection (host/Display.h) arrives once, as WM_DESTROY.
    void Pump();
    // Takes the next message, pumping first when none is waiting; false when none.
    bool PeekMessage(HostMessage* out);
    // Blocks until a message or a platform event is waiting, at most timeoutMs (-1: no limit).
    // False when the time ran out.
    bool WaitMessage(int timeoutMs = -1);
    // Appends a message of the program's own (the shell's quit request, say).
    void PostMessage(const HostMessage& message);
    void PostQuitMessage(int exitCode);

    bool HasFocus() const { return focused; }
    // Counts focus losses: a device acquired before the last loss has lost its input.
    unsigned FocusLossCount() const { return focusLosses; }
    // Counts the platform events read so far (input, window changes): a count that has not
    // moved means nothing happened to the window meanwhile.
    unsigned EventCount() const { return eventCount; }

    // The raw keyboard as the devices read it: 256 bytes by scan code, 0x80 while held.
    const unsigned char* KeyState() const { return keys; }
    bool IsKeyHeld(int dik) const { return dik >= 0 && dik < 256 && (keys[dik] & 0x80) != 0; }
    // The modifiers held after the latest event (those a message is sent with).
    unsigned Modifiers() const;

    // The raw mouse since the last read: motion, wheel (120 per notch, forward positive) and
    // the three buttons (0 left, 1 right, 2 middle; 0x80 while down). A button pressed and
    // released between two reads is reported down by the first read and up by the next, so a
    // quick click is never lost. Until a button change has been handed out, whatever came
    // after it waits behind it, keys and motion too: a read sees the keyboard and the mouse as
    // they stood at one moment, so a Shift let go right after a click still holds for that
    // click, and the click lands where it was made.
    void ReadMouse(int* dx, int* dy, int* wheel, unsigned char buttons[3]);
    // Forgets gathered motion and wheel (when the mouse is taken, only movement from then on
    // counts).
    void ClearMouseMotion();
    // Takes the mouse for the game: the system pointer is hidden and held in the window, and
    // motion arrives as raw movement. Only with a window; released when the focus is lost.
    void CaptureMouse(bool capture);
    bool IsMouseCaptured() const { return captured; }

    // Forgets the window, every message and all device state (shutdown and tests).
    void Reset();

private:
    void Translate(const void* event);
    void OnKey(int scancode, int keycode, bool down, bool repeat);
    void OnText(const char* utf8);
    void OnButton(int button, bool down);
    void OnFocus(bool gained);
    void ReleaseAll();
    // Input that waits behind a button change not yet handed out.
    struct Change {
        enum Kind : uint8_t { KEY, BUTTON, MOTION } kind;
        int index;   // scan code, or button
        int x, y;    // KEY, BUTTON: 0x80 when down, else 0; MOTION: the movement
        float wheel;  // MOTION: wheel turn
    };
    // Something waits behind a button change: input coming now joins the line.
    bool Waiting() const { return !backlog.empty(); }
    void Hold(const Change& change);
    // Applies what waits ahead of the first button change still to be handed out.
    void Settle();

    void Post(unsigned message, uint32_t wParam, uint32_t lParam);

    SDL_Window* window = nullptr;
    bool focused = true;
    bool captured = false;
    bool displayLossPosted = false;
    unsigned focusLosses = 0;
    unsigned eventCount = 0;
    std::deque<HostMessage> queue;

    // The latest key pressed was a held key's repeat: the text it types is a repeat too.
    bool keyRepeating = false;
    unsigned char keys[256] = {};      // as handed out to the keyboard
    unsigned char liveKeys[256] = {};  // after the latest event
    int motionX = 0, motionY = 0;
    float wheel = 0.0f;  // in raw units; whole units are handed out, the rest kept
    // Per button: the state last handed out and the state after the latest event.
    unsigned char reportedDown[3] = {};
    unsigned char buttonDown[3] = {};
    // In the order they came: from the first button change not yet handed out on (each read
    // hands out at most one change of each button).
    std::deque<Change> backlog;
};

// The game's one pump.
extern InputEventPump InputEvents;
