#pragma once
// A scroll list over a folder: its sub-folders first, then its files, each group in name order.
// Activating a folder (a second click on its row) walks into it, ".." walks back out; activating
// a file runs the file callback. A selected picture file (jpg, bmp, tga, dds) shows itself as
// the preview. The load and save screens derive their browser from it.
#include "gui/ScrollList.h"

#include <memory>
#include <vector>

class FileBrowser : public ScrollList {
public:
    // The longest folder path the browser walks into.
    static constexpr int MAX_FOLDER = 255;

    FileBrowser() = default;
    ~FileBrowser() override;

    // Lists the folder (a path ending in a separator) at (x, y) on the screen, shows the list and
    // makes a second click activate its entries. False, with the list as it was, when the path
    // is too long to be a folder of the browser's.
    bool Create(const char* newFolder, int atX, int atY);
    const char* GetFolder() const { return folder; }

    // The activate callback: into a folder, out through "..", or the file callback for a file.
    static int OnEntryClick(void* user, ScrollList* list);

    char folder[MAX_FOLDER + 1] = {};
    ScrollListCallback fileCallback = nullptr;

protected:
    // A picture file previews itself; anything else shows its entry's icon.
    void DrawSelected() override;

private:
    void Fill();

    std::vector<std::unique_ptr<ScrollListEntry>> owned_;
    ScrollListEntries list_;
};
