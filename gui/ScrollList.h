#pragma once
// A list of named entries with pictures, shown a few rows at a time: up and down arrows, a track
// with a thumb to drag, the wheel over the rows, a highlight on the selected row, a preview of
// the selected entry below the list, a select callback on every row click and an activate
// callback on a second click of the same row within 0.3 seconds.
//
// A list is no window itself: it owns a frameless list window, registered with the window
// manager, which carries its buttons and takes the mouse; the window manager never draws it, the
// owner calls Draw every frame while the list is shown. The list is built once by the first
// Create and filled again by every later one (the buttons stay).
//
// The entries belong to the owner of the list: the list only points at them.
#include "platform/Files.h"
#include "platform/PooledList.h"

class Button;
class ScrollList;
class Sprite;
class Window;

// One entry: the name a row shows, and its picture (a whole texture, or one cell of an atlas when
// iconCell is above 0). Owners that need more derive their records from it.
struct ScrollListEntry {
    virtual ~ScrollListEntry() = default;
    char name[128] = {};
    char icon[MAX_PATH_TEXT] = {};
    int iconCell = 0;
    // The file browser's kind of entry: 1 a folder, 0 a file.
    int kind = 0;
};

using ScrollListEntries = PooledList<ScrollListEntry*>;

// The select, activate and file callbacks: the address of the row button's user value and the
// list; 1 when handled.
using ScrollListCallback = int (*)(void* user, ScrollList* list);

class ScrollList {
public:
    static constexpr int MAX_ROWS = 32;

    // Five rows H/3 wide and H/16 high (H the screen height), with an id of the window manager's.
    ScrollList();
    // Frees the buttons, the list window and the pictures (the window manager must be done with
    // the list window: windows are deleted at shutdown).
    virtual ~ScrollList();
    ScrollList(const ScrollList&) = delete;
    ScrollList& operator=(const ScrollList&) = delete;

    // Shows these entries from the first, with the first selected, at (x, y) on the screen;
    // builds the list window and its buttons on the first call (hidden, like the list, until
    // SetVisible). Rows without an entry are disabled.
    void Create(ScrollListEntries* newEntries, int atX, int atY);
    // The owner's per-frame drawing while the list is shown.
    void Draw();
    void SetVisible(bool on);
    bool IsVisible() const { return shown; }
    // Places and sizes the thumb for the first row shown.
    void UpdateThumb();

    // One entry on or back, when there is one: the selection stays on its entry; "click"
    // sounds.
    void ScrollDown();
    void ScrollUp();
    // The selected entry, or null.
    ScrollListEntry* GetSelected() const { return selected ? selected->value : nullptr; }
    // Where the first row shown stands in the entries.
    int FirstVisibleIndex() const;
    int EntryCount() const { return entries ? entries->count : 0; }

    // The button callbacks; every button of the list carries the list as its user value.
    static int ScrollUp(void* user, Button* button);
    static int ScrollDown(void* user, Button* button);
    static int OnWheel(void* user, Button* button);
    static int OnThumbPress(void* user, Button* button);
    static int OnThumbRelease(void* user, Button* button);
    static int OnThumbDrag(void* user, Button* button);
    static int OnRowClick(void* user, Button* button);

    int rows = 5;
    Sprite* background = nullptr;
    // The dark panel is drawn behind the list; a list set in a panel of its own goes without.
    bool backing = true;
    int selectedRow = 0;  // counted from the first row shown; may leave 0..rows-1 while scrolling
    int id = -1;
    Sprite* rowIcons[MAX_ROWS] = {};
    Sprite* highlight = nullptr;
    Sprite* preview = nullptr;
    Button* track = nullptr;
    Button* thumb = nullptr;
    int thumbSize = 0, thumbStep = 0;
    int x = 0, y = 0;
    int rowWidth = 0;
    int rowHeight = 0;
    Window* listWindow = nullptr;
    ScrollListEntries::Node* firstVisible = nullptr;
    ScrollListEntries::Node* selected = nullptr;
    ScrollListEntries* entries = nullptr;
    Button* rowButtons[MAX_ROWS] = {};
    ScrollListCallback selectCallback = nullptr;
    ScrollListCallback activateCallback = nullptr;
    int dragAccumulator = 0;
    int dragStartX = 0, dragStartY = 0;
    bool dragging = false;
    bool shown = false;
    bool built = false;

protected:
    // Each row from the first shown: its entry's picture and its name.
    virtual void DrawRows();
    // The selected entry's picture and name below the list.
    virtual void DrawSelected();
    // The picture and formatted name of the selected entry (or the name given), where
    // DrawSelected puts them.
    void DrawPreview(const char* texture, int cell, const char* name = nullptr);
    // The side of the arrows, the thumb and the row pictures: H/24.
    int ButtonSide() const;

private:
    void Build();
    // The thumb's height and its travel per entry. With nothing to scroll (no more entries than
    // rows) the thumb is the smallest and does not travel.
    void ThumbGeometry(int* size, int* step) const;
    void SelectRow(int row, Button* button);
    // The list a button callback was handed (every button's user value is the list).
    static ScrollList* FromUser(void* user);

    Button* arrows_[2] = {};  // up, down
};
