#include "gui/MessageDialogGui.h"

#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "gui/Window.h"
#include "gui/WindowManager.h"
#include "host/System.h"
#include "render/Draw2D.h"

MessageDialogGui* TheMessageDialog = nullptr;
ConfirmationDialogGui* TheConfirmationDialog = nullptr;

namespace {

// The button faces: a column of three cells, lit on top, then unpressed, then pressed.
constexpr int FACE_LIT = 0x1030000, FACE_UNPRESSED = 0x1030001, FACE_PRESSED = 0x1030002;

// The layout of both boxes, from the screen size.
struct Layout {
    int W, H;
    int border, buttonW, buttonH;
    int x, y, w, h;
    int buttonY;
    Layout()
    {
        W = ScreenWidth();
        H = ScreenHeight();
        border = (int)(H * 0.026041666f);
        buttonW = (int)(H * 0.104166664f);
        buttonH = H / 24;
        w = W / 2;
        h = H / 4;
        x = (W - w) / 2;
        y = (H - h) / 2;
        buttonY = y + 2 * border + (h - 2 * border - buttonH) - border / 2;
    }
};

}  // namespace

MessageDialogGui::~MessageDialogGui() = default;

void MessageDialogGui::BuildFrame()
{
    const Layout l;
    // The top-level window stands at the screen's origin, so its children are placed in screen
    // pixels; it draws nothing of its own.
    auto top = std::make_unique<Window>(0, 0, 0, 0, 0, nullptr, 0);
    top->flags |= WINDOW_FRAMELESS;
    window = top.get();
    owned_.push_back(std::move(top));
    if (WindowMgr) WindowMgr->AddWindow(window);

    auto keep = [&](Window* child) {
        owned_.emplace_back(child);
        window->AddChild(child);
    };
    keep(new Window(l.x, l.y, l.w, l.h, "wframe_blue.dds"));
    keep(new Window(l.x + l.border, l.y + l.border, l.w - 2 * l.border, l.h - 2 * l.border - l.buttonH,
                    "wframe_black.dds"));
    label = new Label("Message Box Error\nEnter your text here", l.x + 2 * l.border, l.y + 2 * l.border, l.H / 6,
                      (int)(l.H * 0.033854168f), 1, GuiDefaultFont, false);
    keep(label);
}

Button* MessageDialogGui::AddButton(int atX, const char* text, int (*click)(void*, Button*), const char* face)
{
    const Layout l;
    auto* button = new Button(nullptr, click, atX, l.buttonY, l.buttonW, l.buttonH, 0, GuiDefaultFont, face, face,
                              nullptr, FACE_UNPRESSED, FACE_PRESSED, 0);
    button->SetImage("data/gui/button.dds", FACE_LIT);
    button->SetText(text);
    owned_.emplace_back(button);
    window->AddChild(button);
    return button;
}

void MessageDialogGui::Finish()
{
    window->FitToChildren(1, 1, 0, 0);
    window->SetVisible(false);
}

void MessageDialogGui::Build()
{
    if (window) return;
    const Layout l;
    BuildFrame();
    // Escape acknowledges the message. Enter answers no box: a player typing into the screen
    // behind it must read the box before anything goes away.
    AddButton((l.W - l.buttonW) / 2, "OK", OnMessageBoxOk, "data/gui/button.dds")->flags |= WINDOW_CANCEL_BUTTON;
    Finish();
}

void ConfirmationDialogGui::Build()
{
    if (window) return;
    const Layout l;
    BuildFrame();
    callback = nullptr;
    userValue = 0;
    const int yesX = (l.W - 2 * l.buttonW - l.border) / 2;
    // Escape says no. Nothing says yes but a click: the questions delete profiles, overwrite
    // saves and throw a mission away.
    AddButton(yesX, "YES", OnYes, "data/gui/button.dds");
    AddButton(yesX + l.buttonW + l.border, "NO", OnNo, "data/gui/button_red.dds")->flags |= WINDOW_CANCEL_BUTTON;
    Finish();
}

bool MessageDialogGui::IsVisible() const
{
    return window && window->IsVisible();
}

void MessageDialogGui::SetVisible(bool on)
{
    if (!window) return;
    if (on) {
        window->SetVisible(true);
        // Opened again while open, the box keeps the window it replaced the first time.
        if (!shown_) savedModal = WindowMgr ? WindowMgr->modal : nullptr;
        shown_ = true;
        if (WindowMgr) WindowMgr->modal = window;
        return;
    }
    window->SetVisible(false);
    // A box that was not open has no modal window to give back.
    if (shown_ && WindowMgr) WindowMgr->modal = savedModal;
    savedModal = nullptr;
    shown_ = false;
    callback = nullptr;
    userValue = 0;
}

void MessageDialogGui::SetText(const char* text)
{
    if (label) label->SetText(text, true);
}

int ConfirmationDialogGui::OnYes(void*, Button* button)
{
    ConfirmationDialogGui* box = TheConfirmationDialog;
    if (!button || !box) return 1;
    // The action is taken out before it runs: it may ask the next question at once.
    void (*action)(void*) = box->callback;
    int value = box->userValue;
    box->SetVisible(false);
    if (action) action(&value);
    GuiPlaySound("blip");
    return 1;
}

int ConfirmationDialogGui::OnNo(void*, Button* button)
{
    ConfirmationDialogGui* box = TheConfirmationDialog;
    if (!button || !box) return 1;
    box->SetVisible(false);
    return 1;
}

int OnMessageBoxOk(void*, Button*)
{
    if (TheMessageDialog) TheMessageDialog->SetVisible(false);
    GuiPlaySound("blip");
    return 1;
}
