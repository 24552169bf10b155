#pragma once
// The two boxes that ask the player something: a message with OK, and a question with YES and
// NO that runs the caller's action on YES. Each is built once and reached through its global
// pointer. Neither pauses the game; an open box is the window manager's modal window, and the
// modal window it replaced comes back when it closes, so a box opened over a modal screen
// returns the screen its input.
//
// To ask: open the confirmation box with SetVisible(true), set its text, then store the action
// (callback and, when needed, userValue). The action runs at most once, on YES; the box forgets
// it whenever it closes, so an answer never runs an earlier caller's action.
#include <memory>
#include <vector>

class Button;
class Label;
class Window;

class MessageDialogGui {
public:
    MessageDialogGui() = default;
    virtual ~MessageDialogGui();
    MessageDialogGui(const MessageDialogGui&) = delete;
    MessageDialogGui& operator=(const MessageDialogGui&) = delete;

    // Builds the box (W/2 x H/4 in the middle of the screen) with an OK button, hidden, and
    // registers its window with the window manager.
    virtual void Build();
    // Opens the box as the modal window, or closes it and puts the replaced modal window back.
    void SetVisible(bool on);
    bool IsVisible() const;
    // The message (cut to 255 characters).
    void SetText(const char* text);

    Window* window = nullptr;
    Label* label = nullptr;
    Window* savedModal = nullptr;
    // The confirmation box's action and the value whose address it gets.
    void (*callback)(void* userValue) = nullptr;
    int userValue = 0;

protected:
    // The panels and the label shared by both boxes; then the box's buttons go in.
    void BuildFrame();
    // The button's place, size and look; its text and click callback as given.
    Button* AddButton(int atX, const char* text, int (*click)(void*, Button*), const char* face);
    // Fits the window to its children and hides it.
    void Finish();

    bool shown_ = false;

private:
    std::vector<std::unique_ptr<Window>> owned_;
};

class ConfirmationDialogGui : public MessageDialogGui {
public:
    // The question box: YES and NO side by side.
    void Build() override;

    // YES: closes the box, then runs the stored action once; "blip".
    static int OnYes(void* user, Button* button);
    // NO: closes the box without the action and without a sound.
    static int OnNo(void* user, Button* button);
};

// OK: closes the message box; "blip".
int OnMessageBoxOk(void* user, Button* button);

// The two boxes, built by the front end.
extern MessageDialogGui* TheMessageDialog;
extern ConfirmationDialogGui* TheConfirmationDialog;
