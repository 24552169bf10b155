#pragma once
// "Mission Log": the player rereads the completed story missions ("Story" page: each one's
// summary or briefing) and the journal entries found so far ("Journals" page). A list of eight
// rows on the left scrolls with its arrows; the chosen entry's text on the right scrolls eight
// lines at a time with its own arrows; the wheel scrolls the list under the pointer, else the
// text. Story mission n has the texts "<m%d_summary>" and "<m%d_brief>", journal entry n
// "<journal_%d>" and "<journal_%d_desc>". Pauses the game while open.
#include "interface/InfoScreen.h"

constexpr int MISSION_LOG_ID = 1017;

class MissionLogGui : public InfoScreen {
public:
    static constexpr int ROWS = 8;
    static constexpr int LINES_SHOWN = 8;
    enum Page { STORY = 1, JOURNALS = 2 };

    MissionLogGui();
    static MissionLogGui* Create();
    void Build();
    void Draw() override;
    bool OnMouseMove(MouseDevice* mouse) override;

    // Row r shows entry offset + r + 1 of the page, enabled only when that entry is there to
    // read (a completed story mission, a found journal entry).
    void RefreshRows();
    // The entry shown in row r (0-based) is read; nothing but an empty text for a disabled row.
    void ChooseRow(int row);
    void ShowPage(int page);
    void SetStoryMode(bool summary);
    // The list one row down or up; the chosen entry stays chosen.
    void ScrollList(bool down);
    // The text one line down or up.
    void ScrollText(bool down);

    // Whether entry number n (1-based) of the page can be read.
    bool EntryAvailable(int page, int n) const;
    int Offset() const { return page == STORY ? storyOffset : journalOffset; }
    int Count() const { return page == STORY ? storyCount : journalCount; }

    Label* textLabel = nullptr;
    Button* textUp = nullptr;
    Button* textDown = nullptr;
    Button* storyTab = nullptr;
    Button* journalTab = nullptr;
    Button* listUp = nullptr;
    Button* listDown = nullptr;
    Button* rows[ROWS] = {};
    Button* summaryButton = nullptr;
    Button* briefingButton = nullptr;
    int selectedStory = 1;
    int selectedJournal = 1;
    int storyOffset = 0;
    int journalOffset = 0;
    int storyCount = 10;
    int journalCount = 25;
    int page = STORY;
    bool summaryMode = true;
    int firstLine = 0;
    int lineCount = 0;

protected:
    void Refresh() override;

private:
    void Select(int entry);
    void MarkSelectedRow();
    int listLeft = 0, listTop = 0, listWidth = 0, rowHeight = 0;
};

extern MissionLogGui* TheMissionLogGui;
