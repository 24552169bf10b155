#pragma once
// The builder of the level generator's developer windows: a frameless top-level window at the
// screen's corner whose controls stand at screen places, registered with the window manager
// and hidden when finished. The windows keep their controls; ReleaseToolWindow frees them.
#include "gui/Button.h"
#include "gui/EditBox.h"

class Label;

class ToolWindow {
public:
    explicit ToolWindow(const char* caption);

    Window* Add(Window* child);
    // A text button with a press callback. On a sheet of three rows (face not null: the
    // highlight row, the face and the pressed face), or on grey faces under the blue
    // highlight.
    Button* AddButton(const char* text, ButtonCallback press, const char* face, int x, int y, int width, int height);
    // A number or name box whose prompt stands left of it; Enter runs the callback and lets the
    // focus go.
    EditBox* AddEditBox(const char* prompt, const char* text, int x, int y, int width, int height,
                        EditBoxCallback entered);
    Label* AddLabel(const char* text, int x, int y, int width, int height);
    // A square toggle on the check box sheet, ticked or not.
    Button* AddCheckBox(const char* caption, ButtonCallback press, int x, int y, int size, bool ticked);
    // Sized to its controls, registered and hidden.
    Window* Finish();

private:
    Window* window;
};

// Takes the window from the window manager (when there is one) and frees it with every
// control under it.
void ReleaseToolWindow(Window* window);
// The box's text is taken: it lets the focus go.
void DropFocus(EditBox* box);
