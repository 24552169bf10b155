#pragma once
// The window procedure: every window message of the game's window passes through here, in
// the order the event pump delivered them. Key presses go to the GUI first; what the GUI does
// not take drives the pause, Escape, the intro and the hotkeys.
#include <cstdint>

struct HostMessage;

// Returns the message's result (1 for the messages the game swallows, else 0).
intptr_t WndProc(const HostMessage& message);

// The focused window takes typed text (an edit box); false when no window has the focus.
bool IsTextInputFocused();
