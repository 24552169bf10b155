#pragma once
// The load and save screen: one window lists the current profile's saves, newest first, shows
// the selected save's pilot, and in save mode takes a name. The same screen lists the profile's
// recent games, recorded as they were played, and plays one again. A save is three files of one base
// name in the profile's save folder: the profile (.cgs), the level (.sav) and the visited map
// (.vis). Saving writes each to a temporary name and puts them in place only when all three are
// whole, so a failed save leaves the previous one as it was. Loading reads the profile, finds
// the mission's body in the galaxy and starts the mission from the saved level; a save whose
// profile, level or body is missing is refused with a message and changes nothing.
#include "gui/FileBrowser.h"
#include "gui/Window.h"

#include "mechanics/Replay.h"

#include <ctime>
#include <string>

class Button;
class EditBox;
class Label;

class LevelBrowser : public FileBrowser {
public:
    static constexpr int MAX_SAVES = 256;

    // Lists the "*.sav" files of the folder, newest first (at most 256), and reads the first
    // one's header into the screen's name box.
    void FillFromDirectory(const char* newFolder);
    // The pilot of a save: its profile's name, level and chassis, and the file's date.
    void ReadSaveHeader(const char* savePath);

    // Lists the current profile's recorded games, newest first: each row its date and time, its
    // mission, how it ended and its length.
    void FillWithReplays();
    // The recorded game of the selected row, or null.
    const ReplayListing* SelectedReplay() const;

    char dateText[27] = "DD/MM/YY";
    char profileName[64] = "None";
    int profileLevel = 0;
    int chassisKind = 4;
    // The list holds recorded games rather than saves.
    bool listsReplays = false;

protected:
    void DrawSelected() override;

private:
    // Shows the rows made, in the screen's place for its list.
    void ShowRows();

    std::vector<std::unique_ptr<ScrollListEntry>> saves_;
    std::vector<ReplayListing> replays_;
    ScrollListEntries saveList_;
};

class LevelLoadSaveGui : public Window {
public:
    static constexpr int SCREEN_ID = 1015;
    static constexpr int NAME_LENGTH = 40;

    LevelLoadSaveGui() = default;
    ~LevelLoadSaveGui() override;

    // Builds the screen once, hidden, in load mode.
    void Build();
    // Opens (the list filled from the profile's save folder) or closes the screen as a modal
    // screen; the game is not paused.
    void SetVisible(bool show);
    // Opens the screen as a page of the front end beside its back button: shown and filled as
    // SetVisible does, but not modal, so the back button and Escape reach the front end.
    void ShowAsPage();
    void Draw() override;
    // Enter presses Load or Save, Escape closes.
    bool OnKey(KeyboardDevice* keyboard) override;
    // The list's rows take the mouse through the screen while it is the modal window.
    bool OnMouseDown(MouseDevice* mouse) override;
    bool OnMouseUp(MouseDevice* mouse) override;
    bool OnMouseMove(MouseDevice* mouse) override;

    static int OnClose(void* user, Button* button);
    static int OnNameEnter(void* user, EditBox* box);
    static int OnSelect(void* user, ScrollList* list);

    LevelBrowser* browser = nullptr;
    Window* container = nullptr;
    Button* closeButton = nullptr;
    Button* loadButton = nullptr;
    Button* saveButton = nullptr;
    Button* playButton = nullptr;
    Button* title = nullptr;
    EditBox* nameBox = nullptr;
    Label* nameLabel = nullptr;
    Window* savedModal = nullptr;
    bool shown = false;
    bool loadMode = true;
    // Lists the profile's recent games: "Play" plays the selected one, "Back" goes back to the
    // galaxy.
    bool replayMode = false;

private:
    template <class F> bool ForwardToList(MouseDevice* mouse, F event);
    void ShowScreen(bool modalScreen);
    bool IsModal() const;

    // The blue frame and the black inner panel, drawn under the list.
    Window* panels_[2] = {nullptr, nullptr};

    std::vector<std::unique_ptr<Window>> owned_;
};

// The modes of the screen: neither shows it.
void OpenLoadGameWindow();
void OpenSaveGameWindow();
void OpenReplaysWindow();
// The galaxy's "Replays": the profile's recent games, in place of the galaxy.
int ShowReplays(void* user, Button* button);
// "Play" (or a double click on a row): the selected game played again, as "-replay FILE" plays
// it; a replay that cannot be played says why and the list stays.
int PlaySelectedReplay(void* user, Button* button);

// The save a typed or listed name stands for: the name without its ".sav". Only that ending
// goes: "my.save.sav" is the save "my.save" (which no save name allows), never the save "my".
std::string SaveBaseName(const char* name);
// The default save name of that moment: "savfile_HHMM_Mon_DD_YYYY".
std::string DefaultSaveName(time_t when);
// The profile file of a save: the save's path with the extension of its last part replaced.
std::string SaveProfilePath(const char* savePath);
// The three files of a save of that base name for the current profile; false when the name is
// not a save name (logged).
bool SaveFilePaths(const char* baseName, std::string* profile, std::string* scene, std::string* visited);

// "Save": writes the current game under the name box's name (user value 1: already confirmed).
int SaveGame(void* user, Button* button);
// "Load": loads the save the name box names.
int LoadSaveGame(void* user, Button* button);
// Asks before a save is written over; YES saves again, confirmed.
void ConfirmOverwrite();
void SaveGameConfirmed(void* userValue);

// The save of that base name for the current profile; false (a message shown, the old save kept)
// when any of its files could not be written. A save stopped at any step (the game killed, the
// power gone) is settled when the save folder is next listed, loaded from or saved into: the
// old save is put back, or the new one finished, whole either way.
bool WriteSaveGame(const char* baseName);

// What one step of a save's switch does: goes on, fails as a refused rename would, or stops
// the save dead as a killed game would. Tests set the hook (steps are numbered from 1); the
// game leaves it empty.
enum class SaveStep { Go, Fail, Stop };
extern SaveStep (*SaveStepHook)(int step);
// The same for the steps by which the next reading of the save folder settles what a stopped
// save left.
extern SaveStep (*SettleStepHook)(int step);
// The same for the steps of a profile's deletion (DeleteProfile).
extern SaveStep (*DeletionStepHook)(int step);

// Loads the save of that base name; false (a message shown, the current profile as it was) when
// its profile, its level or its mission's body is missing.
bool ReadSaveGame(const char* baseName);

// Removes the profile's save folder: every save, and whatever a save stopped half-way left
// aside, so that a new profile of that name starts with none. Its saves are found as the save
// screens find them, without regard to case, and removed under the name they really have; a
// folder spelled exactly as another profile's file is that profile's and stays. False (logged)
// when anything of it stays.
bool DeleteProfileSaves(const char* profileName);

// Deletes a profile: its file and its save folder. Every step can be stopped and settled at the
// next start (SettleDeletedProfiles): the save folder first steps aside whole, under a name no
// profile can take; removing the profile file then deletes the profile; what stepped aside
// goes last. A step that fails before the profile file is gone puts the saves back. False when
// the profile could not be deleted (its file and saves stay; saves that could not go back at
// once are back when the save screens next read them) or some of its saves stay aside;
// failure then says what, for the player.
bool DeleteProfile(const char* profileName, std::string* failure);
// What deletions stopped half-way left: saves stepped aside go back to a profile whose file is
// still there, into its folder spelled as its file is (also the one a later save made, where a
// save of the same name made since stays as it was saved), and go for good when it is gone.
// At start-up, before a profile is made, and before the save screens read a profile's saves.
void SettleDeletedProfiles();
// A new profile of that name takes up nothing of an earlier one: what is left of its save
// folder (an older build stopped deleting it after the profile file) goes. False (logged) when
// some of it stays.
bool ClearSavesForNewProfile(const char* profileName);

extern LevelLoadSaveGui* TheLevelLoadSaveGui;
