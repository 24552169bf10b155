#include "gui/ScrollList.h"

#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/Window.h"
#include "gui/WindowManager.h"
#include "host/System.h"
#include "platform/InputState.h"
#include "render/Draw2D.h"
#include "render/Font.h"
#include "render/Sprite.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Atlas cells of the arrows picture (two columns, two rows): up arrows on the left, down
// arrows on the right, lit under the pointer in the top row.
constexpr int UP_FACE = 0x2020001, UP_HOVER = 0x2020000;
constexpr int DOWN_FACE = 0x2020101, DOWN_HOVER = 0x2020100;
constexpr uint32_t HIGHLIGHT_COLOUR = 0xFF619ADA;
// A second click of a row within this many seconds activates its entry.
constexpr float DOUBLE_CLICK_SECONDS = 0.3f;

// Names are shown with blanks for "_" and each word capitalised. With a width, a name longer
// than it is cut short and ends in "...", so that it never runs under the scroll bar.
void DrawName(Font* font, int x, int y, const char* name, int width = 0)
{
    if (!font || !name) return;
    char shown[sizeof ScrollListEntry::name];
    CopyText(shown, sizeof shown, name);
    FormatDisplayText(shown, 3);
    auto fits = [&](const char* text) {
        TextSize size;
        font->GetTextExtent(text, &size);
        return size.cx <= width;
    };
    if (width > 0 && !fits(shown)) {
        char cut[sizeof shown + 3];
        for (size_t keep = strlen(shown); keep > 0; --keep) {
            snprintf(cut, sizeof cut, "%.*s...", (int)keep, shown);
            if (fits(cut)) break;
        }
        CopyText(shown, sizeof shown, cut);
    }
    float r = font->r, g = font->g, b = font->b, a = font->a;
    font->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    GuiDrawText(font, x, y, shown);
    font->SetColor(r, g, b, a);
}

void ShowPicture(Sprite* sprite, const char* texture, int cell)
{
    if (!sprite) return;
    sprite->texture = GuiTexture(texture);
    sprite->SetAtlasCell(cell);
}

}  // namespace

ScrollList::ScrollList()
{
    rowWidth = ScreenHeight() / 3;
    rowHeight = ScreenHeight() / 16;
    id = WindowMgr ? WindowMgr->NewWindowId() : -1;
}

ScrollList::~ScrollList()
{
    if (listWindow) {
        for (Window* child = listWindow->firstChild; child;) {
            Window* next = child->nextSibling;
            delete child;
            child = next;
        }
        delete listWindow;
    }
    for (Sprite* icon : rowIcons) delete icon;
    delete background;
    delete highlight;
    delete preview;
}

ScrollList* ScrollList::FromUser(void* user)
{
    return user ? reinterpret_cast<ScrollList*>(*static_cast<intptr_t*>(user)) : nullptr;
}

int ScrollList::ButtonSide() const
{
    return ScreenHeight() / 24;
}

void ScrollList::Build()
{
    const int s = ButtonSide();
    const int H = ScreenHeight();
    rows = std::max(1, std::min(rows, MAX_ROWS));
    const int listHeight = rows * rowHeight;
    const intptr_t self = reinterpret_cast<intptr_t>(this);

    // Hidden until the owner shows the list: a list nobody draws takes no clicks either.
    listWindow = new Window(0, 0, 0, 0, 0, nullptr, WINDOW_FRAMELESS | WINDOW_NOT_MANAGED_DRAW | WINDOW_HIDDEN);
    listWindow->id = id;
    if (WindowMgr) WindowMgr->AddWindow(listWindow);

    auto add = [&](Button* button, bool carriesList) {
        button->id = id;
        if (carriesList) {
            button->userData = button->hoverUserData = self;
            button->hasUserData = button->hasHoverUserData = true;
        }
        listWindow->AddChild(button);
        return button;
    };
    auto arrow = [&](int atY, ButtonCallback press, int face, int hover) {
        Button* button = add(new Button(press, nullptr, rowWidth, atY, s, s, 0, GuiDefaultFont, "data/gui/arrows_updown.dds",
                                        "data/gui/arrows_updown.dds", nullptr, face, face, 0),
                             true);
        button->SetImage("data/gui/arrows_updown.dds", hover);
        button->hoverEnterCallback = OnWheel;
        return button;
    };
    arrows_[0] = arrow(0, ScrollUp, UP_FACE, UP_HOVER);
    arrows_[1] = arrow(listHeight - s, ScrollDown, DOWN_FACE, DOWN_HOVER);
    track = add(new Button(nullptr, nullptr, rowWidth, s, s, listHeight - 2 * s, 0, GuiDefaultFont, "data/gui/solid_grey.dds",
                           "data/gui/solid_grey.dds", nullptr, 0, 0, 0),
                false);
    ThumbGeometry(&thumbSize, &thumbStep);
    thumb = add(new Button(OnThumbPress, OnThumbRelease, rowWidth, s, s, s, 0, GuiDefaultFont, "data/gui/thumbscroll.dds",
                           "data/gui/thumbscroll.dds", nullptr, 0, 0, 0),
                true);
    thumb->SetImage("data/gui/highlight_blue.dds", 0);
    thumb->hoverEnterCallback = OnThumbDrag;
    for (int i = 0; i < rows; ++i) {
        Button* row = add(new Button(OnRowClick, nullptr, 0, i * rowHeight, rowWidth, rowHeight, 0, GuiDefaultFont,
                                     "data/gui/solid_black.dds", "data/gui/solid_black.dds", nullptr, 0, 0, 0),
                          true);
        row->SetImage("data/gui/highlight_darkblue.dds", 0);
        row->tag = i + 1;
        row->hasTag = true;
        row->hoverEnterCallback = OnWheel;
        rowButtons[i] = row;
    }

    const int previewSide = H / 12;
    preview = CreateGuiSprite(0, 0, previewSide, previewSide, "data/gui/blue.dds", 0xFFFFFFFF, 0, 0, 1, 1);
    background = CreateGuiSprite(0, 0, rowWidth + H / 16, listHeight + (int)(H * 0.2083333f), "data/gui/solid_darkgrey.dds",
                                 0xFFFFFFFF, 0, 0, 1, 1);
    for (int i = 0; i < rows; ++i)
        rowIcons[i] = CreateGuiSprite(0, i * rowHeight, s, s, "data/gui/emptyslot.dds", 0xFFFFFFFF, 0, 0, 1, 1);
    highlight = CreateGuiSprite(0, 0, rowWidth, rowHeight, "data/gui/highlight_blue.dds", HIGHLIGHT_COLOUR, 0, 0, 1, 1);
}

void ScrollList::Create(ScrollListEntries* newEntries, int atX, int atY)
{
    entries = newEntries;
    firstVisible = selected = entries ? entries->head : nullptr;
    selectedRow = 0;
    x = atX;
    y = atY;
    if (!built) Build();

    const int H = ScreenHeight();
    const int listHeight = rows * rowHeight;
    if (preview) preview->SetPosition(x + (int)(H * 0.0052083f), y + listHeight + H / 64);
    if (background) background->SetPosition(x - H / 96, y - H / 96);
    listWindow->Move(x, y);
    listWindow->FitToChildren(1, 1, 0, 0);

    // Rows without an entry stay in sight but take no clicks.
    for (int i = 0; i < rows; ++i) {
        Button* row = rowButtons[i];
        row->SetEnabled(i < EntryCount());
        if (i < EntryCount()) row->SetVisible(true);
    }
    built = true;
    UpdateThumb();
}

void ScrollList::SetVisible(bool on)
{
    shown = on;
    if (!listWindow) return;
    listWindow->SetEnabled(on);
    listWindow->SetVisible(on);
}

int ScrollList::FirstVisibleIndex() const
{
    int index = 0;
    for (auto* node = entries ? entries->head : nullptr; node && node != firstVisible; node = node->next) ++index;
    return index;
}

void ScrollList::ThumbGeometry(int* size, int* step) const
{
    const int s = ButtonSide();
    const int trackLength = rows * rowHeight - 2 * s;
    const int beyond = EntryCount() - rows;
    if (beyond <= 0 || trackLength <= s) {
        *size = s;
        *step = 0;
        return;
    }
    *size = std::max(s, trackLength / beyond);
    *step = (trackLength - *size) / beyond;
}

void ScrollList::UpdateThumb()
{
    if (!thumb) return;
    const int s = ButtonSide();
    ThumbGeometry(&thumbSize, &thumbStep);
    thumb->Move(rowWidth, s + thumbStep * FirstVisibleIndex());
    thumb->Resize(s, thumbSize);
}

void ScrollList::ScrollDown()
{
    int remaining = 0;
    for (auto* node = firstVisible; node; node = node->next) ++remaining;
    if (remaining <= rows) return;
    firstVisible = firstVisible->next;
    --selectedRow;
    UpdateThumb();
    GuiPlaySound("click");
}

void ScrollList::ScrollUp()
{
    if (!entries || !firstVisible || firstVisible == entries->head) return;
    auto* previous = entries->head;
    while (previous && previous->next != firstVisible) previous = previous->next;
    if (!previous) return;
    firstVisible = previous;
    ++selectedRow;
    UpdateThumb();
    GuiPlaySound("click");
}

int ScrollList::ScrollUp(void* user, Button*)
{
    if (ScrollList* list = FromUser(user)) list->ScrollUp();
    return 1;
}

int ScrollList::ScrollDown(void* user, Button*)
{
    if (ScrollList* list = FromUser(user)) list->ScrollDown();
    return 1;
}

int ScrollList::OnWheel(void* user, Button*)
{
    ScrollList* list = FromUser(user);
    MouseDevice* mouse = Input.mouse;
    if (!list || !mouse) return 1;
    if (mouse->wheel < 0)
        list->ScrollDown();
    else if (mouse->wheel > 0)
        list->ScrollUp();
    return 1;
}

int ScrollList::OnThumbPress(void* user, Button*)
{
    ScrollList* list = FromUser(user);
    MouseDevice* mouse = Input.mouse;
    if (!list || !list->thumb) return 1;
    if (mouse) {
        list->dragStartX = mouse->cursorX;
        list->dragStartY = mouse->cursorY;
    }
    list->dragAccumulator = 0;
    list->dragging = true;
    // Held, the thumb keeps the mouse wherever the pointer goes.
    list->thumb->flags |= WINDOW_CAPTURE;
    list->listWindow->flags |= WINDOW_CAPTURE;
    return 1;
}

int ScrollList::OnThumbRelease(void* user, Button*)
{
    ScrollList* list = FromUser(user);
    if (!list || !list->thumb) return 1;
    list->dragging = false;
    list->thumb->flags &= ~WINDOW_CAPTURE;
    list->listWindow->flags &= ~WINDOW_CAPTURE;
    return 1;
}

int ScrollList::OnThumbDrag(void* user, Button*)
{
    ScrollList* list = FromUser(user);
    MouseDevice* mouse = Input.mouse;
    if (!list || !mouse || !mouse->WasClicked(0)) return 1;
    list->dragAccumulator += mouse->stepY;
    const int s = list->ButtonSide();
    const int trackTop = list->y + s, trackBottom = list->y + list->rows * list->rowHeight - s;
    if (mouse->cursorY < trackTop || mouse->cursorY > trackBottom) list->dragAccumulator = 0;
    // A thumb that does not travel (nothing to scroll) drags nothing.
    const int step = list->thumbStep;
    if (!list->dragging || step <= 0) return 1;
    while (list->dragAccumulator >= step) {
        list->ScrollDown();
        list->dragAccumulator -= step;
    }
    while (list->dragAccumulator <= -step) {
        list->ScrollUp();
        list->dragAccumulator += step;
    }
    return 1;
}

void ScrollList::SelectRow(int row, Button* button)
{
    auto* node = firstVisible;
    for (int i = 0; i < row && node; ++i) node = node->next;
    if (!node) return;
    selectedRow = row;
    selected = node;
    void* user = &button->userData;
    if (selectCallback) selectCallback(user, this);
    float sincePrevious = button->timeSincePreviousPress;
    if (activateCallback && sincePrevious > 0.0f && sincePrevious <= DOUBLE_CLICK_SECONDS) activateCallback(user, this);
    GuiPlaySound("select");
}

int ScrollList::OnRowClick(void* user, Button* button)
{
    ScrollList* list = FromUser(user);
    MouseDevice* mouse = Input.mouse;
    if (!list || !button) return 1;
    // Only a fresh press selects: a button held since before is a drag coming over the rows.
    if (mouse && mouse->WasClicked(0)) return 1;
    int row = button->tag - 1;
    if (row < 0 || row >= list->rows) return 1;
    list->SelectRow(row, button);
    return 1;
}

void ScrollList::Draw()
{
    if (!built || !shown) return;
    if (backing) GuiDrawSprite(background);
    if (listWindow->flags & WINDOW_NOT_MANAGED_DRAW) listWindow->Draw();
    ThumbGeometry(&thumbSize, &thumbStep);
    if (selected && selectedRow >= 0 && selectedRow < rows && highlight) {
        int top = y + selectedRow * rowHeight;
        highlight->SetRect(x, top, x + rowWidth, top + rowHeight);
        GuiDrawSprite(highlight);
    }
    DrawRows();
    DrawSelected();
}

void ScrollList::DrawRows()
{
    const int s = ButtonSide();
    const int nameX = x + ScreenHeight() * 3 / 64;
    int top = y;
    auto* node = firstVisible;
    for (int i = 0; i < rows && node; ++i, node = node->next) {
        const ScrollListEntry* entry = node->value;
        if (entry) {
            if (Sprite* icon = rowIcons[i]) {
                ShowPicture(icon, entry->icon, entry->iconCell);
                icon->SetRect(x, top, x + s, top + s);
                GuiDrawSprite(icon);
            }
            DrawName(GuiListFont, nameX, top + 8, entry->name, x + rowWidth - s / 4 - nameX);
        }
        top += rowHeight;
    }
}

void ScrollList::DrawPreview(const char* texture, int cell, const char* name)
{
    const ScrollListEntry* entry = GetSelected();
    if (!entry) return;
    const int H = ScreenHeight();
    ShowPicture(preview, texture, cell);
    GuiDrawSprite(preview);
    const int top = y + rows * rowHeight + H / 64;
    DrawName(GuiDefaultFont, x + (int)(H * 0.0052083f) + (int)(H * 0.088541664f), top + (int)(H * 0.0026041667f),
             name ? name : entry->name);
}

void ScrollList::DrawSelected()
{
    if (const ScrollListEntry* entry = GetSelected()) DrawPreview(entry->icon, entry->iconCell);
}
