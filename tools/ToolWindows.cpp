#include "tools/ToolWindows.h"

#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "gui/WindowManager.h"
#include "host/System.h"

namespace {

// A 1 x 3 sheet: its row as an atlas cell.
constexpr int SheetRow(int row) { return 1 << 24 | 3 << 16 | row; }

void DeleteTree(Window* window)
{
    for (Window* child = window->firstChild; child;) {
        Window* following = child->nextSibling;
        DeleteTree(child);
        child = following;
    }
    delete window;
}

}  // namespace

ToolWindow::ToolWindow(const char* caption) : window(new Window())
{
    CopyText(window->caption, sizeof window->caption, caption);
    window->flags |= WINDOW_FRAMELESS;
    if (WindowMgr) window->id = WindowMgr->NewWindowId();
}

Window* ToolWindow::Add(Window* child)
{
    window->AddChild(child);
    return child;
}

Button* ToolWindow::AddButton(const char* text, ButtonCallback press, const char* face, int x, int y, int width,
                              int height)
{
    Button* button;
    if (face) {
        button = new Button(press, nullptr, x, y, width, height, 0, nullptr, face, face, nullptr, SheetRow(1),
                            SheetRow(2), 0);
        button->SetImage(face, SheetRow(0));
    } else {
        button = new Button(press, nullptr, x, y, width, height, 0, nullptr, "data/gui/solid_grey.dds",
                            "data/gui/solid_grey.dds", nullptr, 0, 0, 0);
        button->SetImage("data/gui/highlight_blue.dds", 0);
    }
    button->SetText(text);
    CopyText(button->caption, sizeof button->caption, text);
    Add(button);
    return button;
}

EditBox* ToolWindow::AddEditBox(const char* prompt, const char* text, int x, int y, int width, int height,
                                EditBoxCallback entered)
{
    EditBox* box = new EditBox(text, x, y, width, height, 1, nullptr, nullptr);
    box->SetPrompt(prompt);
    box->enterCallback = entered;
    CopyText(box->caption, sizeof box->caption, prompt);
    Add(box);
    return box;
}

Label* ToolWindow::AddLabel(const char* text, int x, int y, int width, int height)
{
    Label* label = new Label(text, x, y, width, height, 0, nullptr, false);
    CopyText(label->caption, sizeof label->caption, text);
    Add(label);
    return label;
}

Button* ToolWindow::AddCheckBox(const char* caption, ButtonCallback press, int x, int y, int size, bool ticked)
{
    Button* box = new Button(press, nullptr, x, y, size, size, 0, nullptr, "data/gui/checkbox.dds",
                             "data/gui/checkbox.dds", nullptr, SheetRow(1), SheetRow(2), 0);
    box->SetImage("data/gui/checkbox.dds", SheetRow(0));
    box->toggleMode = true;
    box->toggled = ticked;
    box->flags |= WINDOW_TYPE_CHECKBOX;
    CopyText(box->caption, sizeof box->caption, caption);
    Add(box);
    return box;
}

Window* ToolWindow::Finish()
{
    window->FitToChildren(1, 1, 0, 0);
    if (WindowMgr) WindowMgr->AddWindow(window);
    window->SetVisible(false);
    return window;
}

void ReleaseToolWindow(Window* window)
{
    if (!window) return;
    if (WindowMgr) {
        WindowMgr->windows.Remove(window);
        if (WindowMgr->focused && WindowMgr->focused->parent == window) WindowMgr->focused = nullptr;
        if (WindowMgr->modal == window) WindowMgr->modal = nullptr;
    }
    DeleteTree(window);
}

void DropFocus(EditBox* box)
{
    box->SetFocus(false);
    if (WindowMgr && WindowMgr->focused == box) WindowMgr->focused = nullptr;
}
