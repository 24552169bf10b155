#include "gui/FileBrowser.h"

#include "gui/GuiDraw.h"
#include "host/Log.h"
#include "host/System.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr const char* FOLDER_ICONS = "data/gui/editor/editor_icons_2.dds";
// The folder picture in the editor's second icon sheet (four by four cells).
constexpr int FOLDER_CELL = 0x4040000;
constexpr const char* FILE_ICON = "data/gui/savefile.dds";

// Kinds of entry.
constexpr int FILE_ENTRY = 0, FOLDER_ENTRY = 1;

bool IsPicture(const char* name)
{
    char extension[MAX_PATH_TEXT];
    GetExtension(name, extension);
    for (const char* kind : {"jpg", "bmp", "tga", "dds"})
        if (StrICmp(extension, kind) == 0) return true;
    return false;
}

}  // namespace

FileBrowser::~FileBrowser()
{
    // The list points into the pool; the entries go with the browser.
    list_.Free();
}

void FileBrowser::Fill()
{
    std::vector<std::unique_ptr<ScrollListEntry>> found[2];
    DirectoryList listing(folder, "*.*");
    for (int kind : {FOLDER_ENTRY, FILE_ENTRY}) {
        listing.SetWantDirectories(kind == FOLDER_ENTRY);
        for (const char* path = listing.First(); path; path = listing.Next()) {
            auto entry = std::make_unique<ScrollListEntry>();
            GetFileName(path, entry->name);
            entry->kind = kind;
            CopyText(entry->icon, sizeof entry->icon, kind == FOLDER_ENTRY ? FOLDER_ICONS : FILE_ICON);
            entry->iconCell = kind == FOLDER_ENTRY ? FOLDER_CELL : 0;
            found[kind].push_back(std::move(entry));
        }
        // The file system lists in no particular order; the player reads names alphabetically.
        std::sort(found[kind].begin(), found[kind].end(),
                  [](const auto& a, const auto& b) { return StrICmp(a->name, b->name) < 0; });
    }

    owned_.clear();
    for (int kind : {FOLDER_ENTRY, FILE_ENTRY})
        for (auto& entry : found[kind]) owned_.push_back(std::move(entry));
    list_.Init((int)owned_.size());
    for (auto& entry : owned_) list_.PushBack(entry.get());
}

bool FileBrowser::Create(const char* newFolder, int atX, int atY)
{
    if (!newFolder || strlen(newFolder) > (size_t)MAX_FOLDER) {
        Log("FileBrowser: the folder %.40s... is too long to open\n", newFolder ? newFolder : "");
        return false;
    }
    CopyText(folder, sizeof folder, newFolder);
    Fill();
    ScrollList::Create(&list_, atX, atY);
    activateCallback = OnEntryClick;
    SetVisible(true);
    return true;
}

int FileBrowser::OnEntryClick(void* user, ScrollList* list)
{
    auto* browser = dynamic_cast<FileBrowser*>(list);
    const ScrollListEntry* entry = browser ? browser->GetSelected() : nullptr;
    if (!entry) return 1;
    if (entry->kind != FOLDER_ENTRY) {
        if (browser->fileCallback) browser->fileCallback(user, list);
        return 1;
    }
    if (strcmp(entry->name, ".") == 0) return 1;
    char next[MAX_PATH_TEXT * 2];
    if (strcmp(entry->name, "..") == 0) {
        GetParentDirectory(browser->folder, next);
    } else {
        snprintf(next, sizeof next, "%s%s/", browser->folder, entry->name);
        if (strlen(next) > (size_t)MAX_FOLDER) {
            Log("FileBrowser: %s%s is too deep to open\n", browser->folder, entry->name);
            GuiPlaySound("bad");
            return 1;
        }
    }
    browser->Create(next, browser->x, browser->y);
    browser->UpdateThumb();
    return 1;
}

void FileBrowser::DrawSelected()
{
    const ScrollListEntry* entry = GetSelected();
    if (!entry) return;
    if (entry->kind == FILE_ENTRY && IsPicture(entry->name)) {
        char path[MAX_PATH_TEXT * 2];
        snprintf(path, sizeof path, "%s%s", folder, entry->name);
        DrawPreview(path, 0);
    } else {
        DrawPreview(entry->icon, entry->iconCell);
    }
}
