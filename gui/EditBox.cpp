#include "gui/EditBox.h"

#include "gui/GuiDraw.h"
#include "gui/WindowManager.h"
#include "host/Clipboard.h"
#include "host/System.h"
#include "platform/Files.h"
#include "platform/InputState.h"
#include "platform/Timer.h"
#include "render/Draw2D.h"
#include "render/Font.h"
#include "render/Sprite.h"

#include <algorithm>
#include <cstring>

namespace {

// Every character the box can type, to measure the height of its text line.
const char* const MEASURE_TEXT = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ`1234567890-=\\~!@#$%^&*()_+|[];',./{}:<>?";

// The caret blinks on and off every 300 ms while the box inserts.
constexpr int BLINK_MS = 300;

// The US layout's characters of the keys beside the letters: the key's own and with Shift.
struct PunctuationKey {
    int key;
    char plain, shifted;
};
constexpr PunctuationKey PUNCTUATION[] = {
    {VK_OEM_3, '`', '~'},     {VK_OEM_MINUS, '-', '_'}, {VK_OEM_PLUS, '=', '+'},   {VK_OEM_5, '\\', '|'},
    {VK_OEM_4, '[', '{'},     {VK_OEM_6, ']', '}'},     {VK_OEM_1, ';', ':'},      {VK_OEM_7, '\'', '"'},
    {VK_OEM_COMMA, ',', '<'}, {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'},
};
// Shift with the digits 0 to 9.
constexpr char SHIFTED_DIGITS[] = ")!@#$%^&*(";

// What a full box still answers: leaving it, editing it and moving about in it.
bool WorksOnFullBox(int key)
{
    switch (key) {
    case VK_BACK:
    case VK_TAB:
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_HOME:
    case VK_END:
    case VK_DELETE:
    case VK_LSHIFT:
    case VK_RSHIFT:
        return true;
    default:
        return false;
    }
}

// Pasted text keeps what the box can show and type: no line breaks, tabs or control bytes, and
// no bytes of characters beyond plain ASCII.
bool Printable(char c)
{
    return c >= 32 && c <= 126;
}

}  // namespace

EditBox::EditBox(const char* initialText, int atX, int atY, int w, int h, int b, Font* boxFont,
                 const char* texturePrefix)
    : Window(atX, atY, w, h, b, texturePrefix, 0)
{
    flags |= WINDOW_TYPE_EDITBOX | WINDOW_FOCUSABLE;
    font = boxFont ? boxFont : GuiDefaultFont;
    char path[MAX_PATH_TEXT];
    auto face = [&](const char* file) {
        if (font)
            font->MakeGuiPath(path, file);
        else
            snprintf(path, sizeof path, "data/gui/%s", file);
        // The sizes do not matter: Draw lays the quads out every frame.
        return CreateGuiSprite(0, 0, 1, 1, path, 0xFFFFFFFF, 0.0f, 0.0f, 1.0f, 1.0f);
    };
    focusSprite = face("editbox_focus.dds");
    noFocusSprite = face("editbox_nofocus.dds");
    caretSprite = face("editbox_cursor.dds");
    textOffsetX = ScreenHeight() / 64;
    TextSize size;
    if (font) font->GetTextExtent(MEASURE_TEXT, &size);
    textOffsetY = (height - size.cy) / 2;
    SetText(initialText);
}

EditBox::~EditBox()
{
    delete focusSprite;
    delete noFocusSprite;
    delete caretSprite;
}

int EditBox::Capacity() const
{
    return std::max(0, std::min(maximumLength, TEXT_SIZE - 1));
}

int EditBox::Length() const
{
    return (int)strlen(text);
}

void EditBox::SetText(const char* newText)
{
    CopyText(text, sizeof text, newText ? newText : "");
    caret = Length();
}

void EditBox::SetPrompt(const char* newPrompt)
{
    hasPrompt = newPrompt != nullptr;
    CopyText(prompt, sizeof prompt, newPrompt ? newPrompt : "");
}

bool EditBox::PasteClipboard(std::string* out)
{
    return ReadClipboardText(out);
}

bool EditBox::InsertChar(char c, bool overwrite)
{
    int length = Length();
    caret = std::max(0, std::min(caret, length));
    if (overwrite && caret < length) {
        text[caret++] = c;
        return true;
    }
    // Inserting, or overwriting at the end (which appends): the text grows by one.
    if (length >= Capacity()) return false;
    memmove(text + caret + 1, text + caret, (size_t)(length - caret + 1));
    text[caret++] = c;
    return true;
}

void EditBox::DeleteRange(int position, int end)
{
    int length = Length();
    if (position < 0 || position >= std::min(end, length)) return;
    memmove(text + position, text + position + 1, (size_t)(length - position));
}

void EditBox::DrawTextAt(Font* font, int x, int y, const char* text)
{
    if (!font || !text || !text[0]) return;
    // Typed text is white, whatever colour another screen left in the shared font.
    const float r = font->r, g = font->g, b = font->b, a = font->a;
    font->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    GuiDrawText(font, x, y, text);
    font->SetColor(r, g, b, a);
}

char EditBox::KeyCharacter(int key, bool shift, bool capsLock)
{
    if (key == VK_SPACE) return ' ';
    if (key >= 'A' && key <= 'Z') return shift != capsLock ? (char)key : (char)(key - 'A' + 'a');
    if (key >= '0' && key <= '9') return shift ? SHIFTED_DIGITS[key - '0'] : (char)key;
    for (const PunctuationKey& p : PUNCTUATION)
        if (p.key == key) return shift ? p.shifted : p.plain;
    return 0;
}

void EditBox::Paste()
{
    std::string pasted;
    if (!PasteClipboard(&pasted)) return;
    // The room is what the text still lacks of its capacity, wherever the caret stands.
    int room = Capacity() - Length();
    for (char c : pasted) {
        if (room <= 0) break;
        if (!Printable(c)) continue;
        if (InsertChar(c, false)) --room;
    }
}

void EditBox::MoveFocusOn(KeyboardDevice* keyboard)
{
    Window* next = FindNextFocusable();
    if (!next) return;
    if (next->IsDefaultButton()) {
        // A key is no mouse button: the default button is clicked as by the left one.
        next->OnMouseDown(nullptr);
        next->OnMouseUp(nullptr);
        keyboard->lastKeyDown = 0;
        return;
    }
    SetFocus(false);
    if (next->SetFocus(true) && WindowMgr) WindowMgr->focused = next;
}

bool EditBox::OnKey(KeyboardDevice* keyboard)
{
    if (!HasFocus() || !keyboard) return false;
    const int key = keyboard->lastKeyDown;
    const int lengthBefore = Length();
    if (lengthBefore >= Capacity() && !WorksOnFullBox(key)) return true;
    const bool shift = keyboard->IsShiftDown();
    const bool control = keyboard->IsControlDown();

    switch (key) {
    case VK_ESCAPE:
        SetFocus(false);
        break;
    case VK_RETURN:
        if (enterCallback) enterCallback(nullptr, this);
        break;
    case VK_TAB:
        MoveFocusOn(keyboard);
        break;
    case VK_HOME:
        caret = 0;
        break;
    case VK_END:
        caret = Length();
        break;
    case VK_LEFT:
        if (caret > 0) --caret;
        break;
    case VK_RIGHT:
        if (caret < Length()) ++caret;
        break;
    case VK_BACK:
        if (caret > 0) {
            --caret;
            DeleteRange(caret, Length());
        }
        break;
    case VK_DELETE:
        DeleteRange(caret, Length());
        break;
    default:
        if (key == 'V' && control) {
            Paste();
        } else if (char c = KeyCharacter(key, shift, keyboard->IsCapsLockOn())) {
            InsertChar(c, keyboard->IsOverwriteMode());
        }
        break;
    }

    // A key that types the box full moves on to the next field, as Tab would.
    if (Capacity() > 1 && lengthBefore < Capacity() && Length() >= Capacity()) {
        keyboard->lastKeyDown = VK_TAB;
        OnKey(keyboard);
    }
    return true;
}

int EditBox::TextWidth(int count) const
{
    if (!font || count <= 0) return 0;
    char part[TEXT_SIZE];
    CopyText(part, (size_t)std::min(count + 1, TEXT_SIZE), text);
    TextSize size;
    font->GetTextExtent(part, &size);
    return size.cx;
}

void EditBox::PlaceCaretAt(int clickX)
{
    const int length = Length();
    const int start = x + (parent ? parent->x : 0) + textOffsetX;
    const int end = start + TextWidth(length);
    auto caretX = [&] { return start + TextWidth(caret); };
    if (clickX > end) {
        caret = length;
        return;
    }
    if (clickX < start) {
        caret = 0;
        return;
    }
    if (clickX == start || clickX == end || clickX == caretX()) return;
    // Step towards the click past the boundary next to it (by a few pixels' tolerance), then
    // settle one back onto that boundary. Reaching an end of the text first, the caret stays
    // there: a click in the first or last letter must be able to reach the ends.
    const int tolerance = ScreenHeight() / 256;
    if (clickX > caretX()) {
        while (caret < length && caretX() < clickX + tolerance) ++caret;
        if (caretX() >= clickX + tolerance && caret > 0) --caret;
    } else {
        while (caret > 0 && caretX() > clickX - tolerance) --caret;
        if (caretX() <= clickX - tolerance && caret < length) ++caret;
    }
}

bool EditBox::OnMouseDown(MouseDevice* mouse)
{
    if (!mouse) mouse = Input.mouse;
    if (!mouse || !HitTest(mouse->cursorX, mouse->cursorY)) {
        SetFocus(false);
        return false;
    }
    // The caret follows a click only once the box has the keyboard.
    if (HasFocus() && text[0]) PlaceCaretAt(mouse->cursorX);
    SetFocus(true);
    return true;
}

void EditBox::Draw()
{
    int sx = x, sy = y;
    if (parent) {
        sx += parent->x;
        sy += parent->y;
    }
    if (HasFocus()) {
        if (focusSprite) {
            focusSprite->SetRect(sx, sy, sx + width, sy + height);
            GuiDrawSprite(focusSprite);
        }
        // Overwriting shows a steady block over the character it replaces; inserting, a thin
        // blinking line.
        const bool overwrite = Input.keyboard && Input.keyboard->IsOverwriteMode();
        const long milliseconds = (long)(FrameTimer.GetTime() * 1000.0);
        if (caretSprite && (overwrite || (milliseconds / BLINK_MS) % 2 == 1)) {
            int caretWidth = 2;
            if (overwrite) {
                if (caret < Length() && font) {
                    char under[2] = {text[caret], 0};
                    TextSize size;
                    font->GetTextExtent(under, &size);
                    caretWidth = size.cx;
                } else {
                    caretWidth = (int)(ScreenHeight() * 0.013020833f);
                }
            }
            int cx = sx + textOffsetX + TextWidth(caret);
            caretSprite->SetRect(cx, sy, cx + caretWidth, sy + height);
            GuiDrawSprite(caretSprite);
        }
    } else if (noFocusSprite) {
        noFocusSprite->SetRect(sx, sy, sx + width, sy + height);
        GuiDrawSprite(noFocusSprite);
    }
    DrawTextAt(font, sx + textOffsetX, sy + textOffsetY, text);
    if (hasPrompt && font) {
        TextSize size;
        font->GetTextExtent(prompt, &size);
        DrawTextAt(font, sx - size.cx, sy + textOffsetY, prompt);
    }
}
