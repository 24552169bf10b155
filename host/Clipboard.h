#pragma once
// The clipboard's text, for pasting into the text boxes. While the game's window is open this is
// the desktop's clipboard; without a window (the tools, the tests) the program keeps a clipboard
// of its own, so pasting behaves the same there.
#include <string>

// The clipboard's text as it stands (bytes, possibly UTF-8); false when there is no clipboard to
// read.
bool ReadClipboardText(std::string* out);
// Puts text on the clipboard; false when it could not be put there.
bool WriteClipboardText(const char* text);
