#include "campaign/LevelLoadSave.h"

#include "campaign/Galaxy.h"
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "gui/Button.h"
#include "gui/EditBox.h"
#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "gui/MessageDialogGui.h"
#include "gui/WindowManager.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "host/WorldGuard.h"
#include "interface/InGameMenu.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Scene.h"
#include "platform/InputState.h"
#include "platform/StringTable.h"
#include "platform/UserFolders.h"
#include "render/Draw2D.h"
#include "render/Font.h"
#include "terrain/Minimap.h"
#include "terrain/VisitedMap.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

LevelLoadSaveGui* TheLevelLoadSaveGui = nullptr;
SaveStep (*SaveStepHook)(int step) = nullptr;
SaveStep (*SettleStepHook)(int step) = nullptr;
SaveStep (*DeletionStepHook)(int step) = nullptr;

namespace {

// Kept in a folder of their own until all three files of a save are whole.
constexpr const char* STAGING_FOLDER = ".saving";
constexpr const char* SAVE_EXTENSIONS[3] = {".cgs", ".sav", ".vis"};

bool ReadWholeFile(const std::string& path, std::string* text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream out;
    out << in.rdbuf();
    *text = out.str();
    return true;
}

void ShowMessage(const char* text)
{
    Log("%s\n", text);
    if (!TheMessageDialog) return;
    TheMessageDialog->SetVisible(true);
    TheMessageDialog->SetText(text);
}

bool SettleDeletedProfile(const std::string& profileName);
void SettleStoppedSaves(const std::string& folder);

// Makes the current profile's save folder ready to be listed, loaded from or saved into, and
// answers it: saves a deletion of the profile stepped aside and could not put back are in it
// again, and a save a stop left half-way is back in place first.
std::string SettleSaveFolder()
{
    const char* name = GetPlayerProfile()->name;
    if (IsValidProfileName(name)) SettleDeletedProfile(name);
    const std::string folder = std::string(UserFolder) + "/savefiles/" + name;
    SettleStoppedSaves(folder);
    return folder;
}

// The screen closed after a save, a load or Close: hidden, the modal window it replaced back.
void CloseScreen()
{
    if (TheLevelLoadSaveGui) TheLevelLoadSaveGui->SetVisible(false);
}

}  // namespace

std::string SaveBaseName(const char* typed)
{
    std::string name = typed ? typed : "";
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && StrICmp(name.c_str() + dot, ".sav") == 0) name.erase(dot);
    return name;
}

namespace {

bool IsFile(const std::string& path)
{
    FileStatus status;
    return GetFileStatus(path.c_str(), status) == 0 && !status.isDirectory;
}

// The three files of a save of one base name, and where they wait while a save switches.
// The staged files are the new save, whole before the switch begins; the kept files are the
// old save's, stepped aside while the new ones go in place; the mark says that a switch has
// begun and not yet ended, and which files the old save had.
struct SaveSet {
    std::string staged[3], finals[3], kept[3], mark;

    SaveSet(const std::string& folder, const std::string& name)
    {
        const std::string staging = folder + "/" + STAGING_FOLDER + "/" + name;
        for (int i = 0; i < 3; ++i) {
            staged[i] = staging + SAVE_EXTENSIONS[i];
            finals[i] = folder + "/" + name + SAVE_EXTENSIONS[i];
            kept[i] = staging + ".old" + SAVE_EXTENSIONS[i];
        }
        mark = staging + ".switching";
    }
};

// The mark's text: "old" and the extensions of the files the old save had when its switch
// began, each of which is kept aside before a new one goes in.
std::string MarkText(const bool oldHad[3])
{
    std::string text = "old";
    for (int i = 0; i < 3; ++i)
        if (oldHad[i]) text += std::string(" ") + SAVE_EXTENSIONS[i];
    return text + "\n";
}

// What the old save had, as its mark says. A mark that says nothing (an older build's, or one
// cut short before any rename) counts as all three: a file in place that may be the old save's
// only copy is then never taken for a new one.
void ReadMark(const std::string& path, bool oldHad[3])
{
    std::string text;
    const bool said = ReadWholeFile(path, &text) && text.compare(0, 3, "old") == 0;
    std::istringstream words(said ? text.substr(3) : std::string());
    for (int i = 0; i < 3; ++i) oldHad[i] = !said;
    for (std::string word; words >> word;)
        for (int i = 0; i < 3; ++i) oldHad[i] |= word == SAVE_EXTENSIONS[i];
}

// The steps of one save's switch, or of the settling of what a stopped one left. A step that
// fails fails the whole; one stopped dead (the test seam plays a killed game) takes no further
// step at all, as the game would not.
struct SwitchSteps {
    SaveStep (*&hook)(int step);
    int count = 0;
    bool stopped = false;

    explicit SwitchSteps(SaveStep (*&stepHook)(int)) : hook(stepHook) {}

    template <class F> bool Take(F act)
    {
        if (stopped) return false;
        const SaveStep what = hook ? hook(++count) : SaveStep::Go;
        if (what == SaveStep::Stop) stopped = true;
        return what == SaveStep::Go && act();
    }
    bool Rename(const std::string& from, const std::string& to)
    {
        const bool done = Take([&] { return rename(from.c_str(), to.c_str()) == 0; });
        if (!done && !stopped) Log("ERROR: %s cannot be renamed to %s\n", from.c_str(), to.c_str());
        return done;
    }
    bool Remove(const std::string& path)
    {
        return Take([&] { return remove(path.c_str()) == 0 || errno == ENOENT; });
    }
    // The names of both folders on the disk, as they stand now.
    bool Sync(const std::string& folder, const std::string& staging)
    {
        return Take([&] { return SyncFolder(folder.c_str()) && SyncFolder(staging.c_str()); });
    }
    // The mark is on the disk before the first rename: after a power cut, no rename stands
    // without it.
    bool Mark(const std::string& path, const std::string& staging, const std::string& text)
    {
        return Take([&] {
            FILE* file = fopen(path.c_str(), "wb");
            if (!file) return false;
            bool made = fwrite(text.data(), 1, text.size(), file) == text.size();
            made = SyncFile(file) && made;
            return fclose(file) == 0 && made && SyncFolder(staging.c_str());
        });
    }
    // The mark gone from the disk before anything of the switch is cleared away: a stop then
    // never leaves a mark beside files the switch no longer accounts for.
    bool Unmark(const std::string& path, const std::string& staging)
    {
        return Take([&] { return (remove(path.c_str()) == 0 || errno == ENOENT) && SyncFolder(staging.c_str()); });
    }
};

// Renames that can all be taken back: an old save is switched for a new one whole or not at all.
struct Renames {
    SwitchSteps& steps;
    std::vector<std::pair<std::string, std::string>> done;

    bool Move(const std::string& from, const std::string& to)
    {
        if (!steps.Rename(from, to)) return false;
        done.emplace_back(from, to);
        return true;
    }
    // Every rename undone, the last first. One that cannot be ends the undoing there: the
    // files then stand as after a stop at that point of the switch, which the next reading of
    // the folder puts back; false then.
    bool Undo()
    {
        for (auto it = done.rbegin(); it != done.rend(); ++it)
            if (!steps.Rename(it->second, it->first)) {
                if (!steps.stopped) Log("ERROR: %s cannot be put back as %s\n", it->second.c_str(), it->first.c_str());
                return false;
            }
        done.clear();
        return true;
    }
};

// What a save stopped half-way left of one base name, settled. Every step can be stopped or
// fail and taken again from the start by the next reading of the folder, and none removes the
// only copy of a save's file:
// - while the mark stands, the switch is rolled back: a new file that went in steps out again
//   (it went in only after the old one of its kind stepped aside, so one is new only when the
//   old save had none or its old one is kept aside), the kept files go back in place, the
//   names go on the disk, and only then the mark goes;
// - without the mark, a kept file goes back in place when nothing stands there (an older
//   build's failed roll-back left it alone), and is dropped when the switch had ended; the new
//   files still waiting are dropped, the old save standing in place. (A switch from before
//   the mark existed is told by its new level still waiting: its kept files go back.)
// False when a step fails or stops: the files then stand as after a stop at that point.
bool SettleStoppedSave(const std::string& folder, const std::string& name, SwitchSteps& steps)
{
    const SaveSet set(folder, name);
    const std::string staging = folder + "/" + STAGING_FOLDER;
    const bool switching = IsFile(set.mark);
    if (switching) {
        bool oldHad[3];
        ReadMark(set.mark, oldHad);
        for (int i : {1, 0, 2})
            if (!IsFile(set.staged[i]) && IsFile(set.finals[i]) && (!oldHad[i] || IsFile(set.kept[i])) &&
                !steps.Rename(set.finals[i], set.staged[i]))
                return false;
        for (int i : {2, 1, 0})
            if (IsFile(set.kept[i]) && (!IsFile(set.finals[i]) || IsFile(set.staged[i])) &&
                !steps.Rename(set.kept[i], set.finals[i]))
                return false;
        if (!steps.Sync(folder, staging) || !steps.Unmark(set.mark, staging)) return false;
    }
    const bool oldSwitch = !switching && IsFile(set.staged[1]);
    for (int i = 0; i < 3; ++i) {
        if (!IsFile(set.kept[i])) continue;
        const bool putBack = oldSwitch || !IsFile(set.finals[i]);
        if (putBack ? !steps.Rename(set.kept[i], set.finals[i]) : !steps.Remove(set.kept[i])) return false;
    }
    for (int i = 0; i < 3; ++i)
        for (const std::string& path : {set.staged[i], set.staged[i] + ".tmp"})
            if (IsFile(path) && !steps.Remove(path)) return false;
    Log("The save '%s' stopped half-way is %s\n", name.c_str(), switching || oldSwitch ? "back as it was before" : "finished");
    return true;
}

// The names of the files in a folder; none when it is no folder.
std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> files;
    FileStatus status;
    if (GetFileStatus(folder.c_str(), status) != 0 || !status.isDirectory) return files;
    DirectorySearch search;
    std::string entry;
    bool isDirectory = false;
    if (search.Begin(folder.c_str(), "*"))
        while (search.Next(entry, isDirectory))
            if (!isDirectory) files.push_back(entry);
    search.Close();
    return files;
}

// Every save of the folder that a stop left half-way, settled before the folder is listed,
// loaded or saved into; steps taken as part of a larger settling count among its steps.
void SettleStoppedSaves(const std::string& folder, SwitchSteps& steps)
{
    const std::string staging = folder + "/" + STAGING_FOLDER;
    FileStatus status;
    if (GetFileStatus(staging.c_str(), status) != 0 || !status.isDirectory) return;
    std::set<std::string> names;
    // A save's name holds no dot: what comes before the first is the save's.
    for (const std::string& entry : FilesIn(staging))
        if (entry.find('.') != 0) names.insert(entry.substr(0, entry.find('.')));
    for (const std::string& name : names) {
        SettleStoppedSave(folder, name, steps);
        if (steps.stopped) return;
    }
    remove(staging.c_str());
}

void SettleStoppedSaves(const std::string& folder)
{
    SwitchSteps steps(SettleStepHook);
    SettleStoppedSaves(folder, steps);
}

// The body of the mission a save was made in, looked up in the galaxy of the save's seed
// without touching the galaxy in play when its seed is another. A save without a mission
// (-1) has none: the bodies that carry no mission (stars, gas giants) are no level to go on in.
bool SaveHasBody(int seed, int missionId)
{
    if (!TheGalaxy || seed < 0 || missionId < 0) return false;
    if (TheGalaxy->count > 0 && TheGalaxy->seed == seed) return TheGalaxy->FindBodyByMissionId(missionId) != nullptr;
    // The probe seeds the generator with the save's galaxy; the game's own sequence goes on
    // afterwards as if it had never been made.
    const unsigned kept = RandState();
    auto probe = std::make_unique<Galaxy>();
    probe->Generate(seed);
    SRand(kept);
    return probe->FindBodyByMissionId(missionId) != nullptr;
}

}  // namespace

// ---- Names and paths

std::string DefaultSaveName(time_t when)
{
    char text[64] = {};
    struct tm local;
    localtime_r(&when, &local);
    strftime(text, sizeof text, "savfile_%H%M_%b_%d_%Y", &local);
    return text;
}

std::string SaveProfilePath(const char* savePath)
{
    std::string path = savePath ? savePath : "";
    size_t slash = path.find_last_of("/\\");
    size_t dot = path.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.erase(dot);
    return path + ".cgs";
}

bool SaveFilePaths(const char* baseName, std::string* profile, std::string* scene, std::string* visited)
{
    char path[MAX_PROFILE_PATH];
    if (!SaveGamePath(path, sizeof path, GetPlayerProfile()->name, baseName)) return false;
    if (scene) *scene = path;
    if (profile) *profile = SaveProfilePath(path);
    if (visited) *visited = VisitedMapPath(path);
    return true;
}

// ---- Saving and loading

bool WriteSaveGame(const char* baseName)
{
    if (!SaveFilePaths(baseName, nullptr, nullptr, nullptr)) {
        ShowMessage("A save name holds letters, digits, blanks, '_' and '-' only.");
        return false;
    }
    // What a stopped save left goes back in place first: this save must not sweep it away.
    // When the old save of this name cannot be put back whole yet, it is not saved over.
    const std::string folder = SettleSaveFolder();
    const std::string staging = folder + "/" + STAGING_FOLDER;
    const SaveSet set(folder, baseName);
    bool unsettled = IsFile(set.mark);
    for (int i = 0; i < 3; ++i) unsettled |= IsFile(set.kept[i]);
    if (unsettled) {
        char text[300];
        snprintf(text, sizeof text,
                 "The game could not be saved as '%s'; the previous save is put back when the saves are next read.",
                 baseName);
        ShowMessage(text);
        return false;
    }
    if (!CreateFolder(folder.c_str()) || !CreateFolder(staging.c_str())) {
        char text[700];
        snprintf(text, sizeof text, "WARNING: Failed to create save directory %s", folder.c_str());
        ShowMessage(text);
        return false;
    }
    bool oldHad[3];
    for (int i = 0; i < 3; ++i) oldHad[i] = IsFile(set.finals[i]);
    bool written = GetPlayerProfile()->Save(set.staged[0].c_str(), true);
    written = written && TheScene.WriteSceneFile(set.staged[1].c_str());
    written = written && TheMinimap.SaveVisited(set.staged[1].c_str());
    // From the mark on, a stop at any step is settled by the next reading of the folder. The
    // three go in place only together, the level last (the list shows it); when one cannot,
    // every rename is taken back and the old save is as it was.
    SwitchSteps steps(SaveStepHook);
    Renames renames{steps, {}};
    written = written && steps.Mark(set.mark, staging, MarkText(oldHad));
    for (int i = 0; i < 3 && written; ++i)
        if (oldHad[i]) written = renames.Move(set.finals[i], set.kept[i]);
    for (int i : {2, 0, 1})
        if (written) written = renames.Move(set.staged[i], set.finals[i]);
    // The switch ends with the mark, once the new names are on the disk: from here on the new
    // save stands.
    written = written && SyncFolder(folder.c_str()) && steps.Unmark(set.mark, staging);
    bool oldKept = true;
    if (!written && !steps.stopped) oldKept = renames.Undo();
    // Taken back whole, the switch has not happened: the mark goes, once the old names are on
    // the disk, before the new files do, so that a stop among them leaves nothing that looks
    // half switched.
    if (!written && oldKept) {
        const bool synced = SyncFolder(folder.c_str()) && SyncFolder(staging.c_str());
        oldKept = (synced && steps.Unmark(set.mark, staging)) || !IsFile(set.mark);
    }
    if (oldKept) {
        const std::string* leftOver = written ? set.kept : set.staged;
        for (int i = 0; i < 3; ++i) steps.Remove(leftOver[i]);
        steps.Take([&] {
            remove(staging.c_str());
            return true;
        });
    }
    if (steps.stopped) return false;
    if (!written) {
        char text[300];
        if (oldKept)
            snprintf(text, sizeof text, "The game could not be saved as '%s'; the previous save is kept.", baseName);
        else
            snprintf(text, sizeof text,
                     "The game could not be saved as '%s'; the previous save is put back when the saves are next read.",
                     baseName);
        ShowMessage(text);
    }
    return written;
}

bool ReadSaveGame(const char* baseName)
{
    // A load replaces the level played, if there is one, outside any tick.
    const WorldChangeScope loading;
    std::string profilePath, scenePath;
    if (!SaveFilePaths(baseName, &profilePath, &scenePath, nullptr)) {
        ShowMessage("There is no save of that name.");
        return false;
    }
    SettleSaveFolder();
    char text[300];
    ProfileReading reading;
    if (!FileExists(scenePath.c_str(), false) || !reading.Read(profilePath.c_str())) {
        snprintf(text, sizeof text, "The save '%s' is incomplete and cannot be loaded.", baseName);
        ShowMessage(text);
        return false;
    }
    // The mission's body must be found before anything of the save is taken. It is judged on
    // the reading the profile is loaded from, so that a save that loads plays the mission its
    // next save is checked against.
    const int seed = reading.Int("galaxyseed", -1);
    const int missionId = reading.Int("currentMission", 0);
    if (!SaveHasBody(seed, missionId)) {
        snprintf(text, sizeof text, "The mission of the save '%s' is not in its galaxy.", baseName);
        ShowMessage(text);
        return false;
    }
    PlayerProfile* profile = GetPlayerProfile();
    if (!profile->Load(reading, true, true)) {
        snprintf(text, sizeof text, "The save '%s' cannot be read.", baseName);
        ShowMessage(text);
        return false;
    }
    if (TheGalaxy->count < 1) profile->galaxySeed = TheGalaxy->Generate(profile->galaxySeed);
    CelestialBody* body = TheGalaxy->FindBodyByMissionId(profile->currentMissionId);
    TheGalaxy->selectedBody = body;
    if (body && body->storyId >= 0) {
        MissionScreen::selectedIndex = body->storyId;
        MissionScreen::scratchActive = false;
    } else {
        MissionScreen::scratchActive = true;
    }
    if (TheGame) TheGame->SetLevelName(scenePath.c_str());
    CloseScreen();
    if (TheGame && TheGame->state == GAME_STATE_PLAYING) {
        TheGame->EndLevel();
        if (TheInGameMenu) TheInGameMenu->HideAll();
    }
    // A loaded game goes on where it was saved: the mission is restored, not started anew.
    if (!TheGalaxy->StartSelectedMission(false)) {
        if (TheGame) TheGame->ClearLevelName();
        ShowMessage("The mission of the save cannot be started.");
        return false;
    }
    return true;
}

namespace {

// A profile's saves while its deletion goes on: profile names hold no dot, so no profile takes
// this folder up and the save screens never list it.
constexpr const char* DELETED_SUFFIX = ".deleted";

std::string SaveFolderOf(const std::string& profileName)
{
    return std::string(UserFolder) + "/savefiles/" + profileName;
}

bool IsFolder(const std::string& path)
{
    FileStatus status;
    return GetFileStatus(path.c_str(), status) == 0 && status.isDirectory;
}

// The entries of a folder spelled as that name without regard to case, the one spelled
// exactly first, then the others in their order by name.
std::vector<std::string> EntriesSpelled(const std::string& folder, const std::string& name, bool isFolder)
{
    std::vector<std::string> found;
    DirectorySearch search;
    std::string entry;
    bool isDirectory = false;
    // The pattern holds no wildcard (no name does) and matches without regard to case.
    if (search.Begin(folder.c_str(), name.c_str()))
        while (search.Next(entry, isDirectory))
            if (isDirectory == isFolder) found.push_back(entry);
    search.Close();
    std::sort(found.begin(), found.end(), [&](const std::string& a, const std::string& b) {
        return (a == name) != (b == name) ? a == name : a < b;
    });
    return found;
}

// Whether an entry of exactly that spelling stands there, not merely one of another case.
bool IsSpelled(const std::string& folder, const std::string& name, bool isFolder)
{
    const std::vector<std::string> found = EntriesSpelled(folder, name, isFolder);
    return !found.empty() && found.front() == name;
}

// The name of a profile as its file spells it: a profile file of that name exactly, else one
// of another case; the name itself when there is none.
std::string ProfileSpelling(const std::string& profileName)
{
    const std::vector<std::string> files = EntriesSpelled(ProfilesFolder, profileName + ".cgs", false);
    return files.empty() ? profileName : files.front().substr(0, files.front().size() - strlen(".cgs"));
}

// The save folder of a profile (with the suffix: its saves a deletion set aside) as it stands
// on the disk: found without regard to case, as the save screens find it, under the name it
// really has, which is the name it is moved and removed by. A folder spelled as the profile's
// name is its own; one spelled otherwise is its when no other profile's file bears exactly
// that spelling (two profile files may differ by case alone). Empty when there is none.
std::string FindSaveFolder(const std::string& profileName, const char* suffix = "")
{
    const std::string saves = ResolvePathCase((std::string(UserFolder) + "/savefiles").c_str());
    const std::string wanted = profileName + suffix;
    for (const std::string& entry : EntriesSpelled(saves, wanted, true)) {
        const std::string spelled = entry.substr(0, entry.size() - strlen(suffix));
        if (entry == wanted || !IsSpelled(ProfilesFolder, spelled + ".cgs", false)) return saves + "/" + entry;
    }
    return std::string();
}

// Removes a save folder with every save and whatever a stopped save left aside, that first: a
// stop half-way through leaves nothing that a listing would put back as a save. False (logged)
// when anything of it stays.
bool RemoveSaveFolder(const std::string& folder)
{
    bool removed = true;
    for (const std::string& inner : {folder + "/" + STAGING_FOLDER, folder}) {
        if (!IsFolder(inner)) continue;
        for (const std::string& entry : FilesIn(inner)) {
            const std::string file = inner + "/" + entry;
            if (remove(file.c_str()) != 0 && errno != ENOENT) {
                Log("WARNING: could not delete %s\n", file.c_str());
                removed = false;
            }
        }
        if (remove(inner.c_str()) != 0) {
            Log("WARNING: could not delete %s\n", inner.c_str());
            removed = false;
        }
    }
    return removed;
}

// Saves set aside go back into the save folder a later save made meanwhile, a save at a time.
// What a stopped save left in either is settled first, each in its own folder: a save's mark
// never comes to stand beside another save of its name. Then for each save aside:
// - the folder holds one of its three files that also stands aside: it was saved over since (a
//   save is written whole), so the later save stays as it was saved and the older one's go;
// - else whatever the folder holds of it is what a stopped merge moved already, and the rest
//   joins it, the level last: the list shows the save only once it is whole.
// So a stop or a failure at any step leaves every save for the next settling to finish. False
// (logged) when anything stays aside.
bool MergeSavesBack(const std::string& aside, const std::string& folder, SwitchSteps& steps)
{
    for (const std::string& settled : {aside, folder}) {
        SettleStoppedSaves(settled, steps);
        if (steps.stopped) return false;
        if (IsFolder(settled + "/" + STAGING_FOLDER)) {
            Log("WARNING: %s holds a save stopped half-way: %s stays aside\n", settled.c_str(), aside.c_str());
            return false;
        }
    }
    const std::vector<std::string> later = FilesIn(folder);
    auto held = [&](const std::string& file) { return std::find(later.begin(), later.end(), file) != later.end(); };
    // A save's name holds no dot: what comes before the first is the save's.
    std::map<std::string, std::vector<std::string>> saves;
    for (const std::string& entry : FilesIn(aside)) saves[entry.substr(0, entry.find('.'))].push_back(entry);
    bool merged = true;
    for (auto& named : saves) {
        // Not a structured binding: a lambda may not take one before C++20 (clang says so).
        const std::string& save = named.first;
        std::vector<std::string>& files = named.second;
        const std::string level = save + SAVE_EXTENSIONS[1];
        std::sort(files.begin(), files.end(), [&](const std::string& a, const std::string& b) {
            return (a == level) != (b == level) ? b == level : a < b;
        });
        const bool savedOver = std::any_of(std::begin(SAVE_EXTENSIONS), std::end(SAVE_EXTENSIONS), [&](const char* e) {
            return held(save + e) && std::find(files.begin(), files.end(), save + e) != files.end();
        });
        for (const std::string& file : files) {
            const std::string from = aside + "/" + file, to = folder + "/" + file;
            if (savedOver) Log("The save '%s' set aside was saved over since: %s goes\n", save.c_str(), from.c_str());
            if (!savedOver && held(file)) Log("WARNING: %s cannot go back in place as %s\n", from.c_str(), to.c_str());
            if (savedOver ? !steps.Remove(from) : held(file) || !steps.Rename(from, to)) {
                merged = false;
                break;
            }
        }
        if (steps.stopped) return false;
    }
    return merged && steps.Sync(folder, aside) && steps.Take([&] { return remove(aside.c_str()) == 0; });
}

// Whether a save in the folder was made by the profile of that name, as its profile part names
// it.
bool HoldsSavesOf(const std::string& folder, const std::string& profileName)
{
    for (const std::string& entry : FilesIn(folder)) {
        const size_t dot = entry.find('.');
        if (dot == std::string::npos || entry.compare(dot, std::string::npos, SAVE_EXTENSIONS[0]) != 0) continue;
        ProfileReading reading;
        if (reading.Read((folder + "/" + entry).c_str(), true) && reading.Text("name") == profileName) return true;
    }
    return false;
}

// Whose saves a deletion set aside: the profile whose file is spelled as the folder is, which
// is how a deletion names it. An older build named it as the save folder it found, which may
// be spelled in another case than the profile's file: such a folder is that profile's when the
// profile has no save folder spelled as its file is, as the save screens find it, or when its
// saves were made under the profile's name. A profile of the name in another case (two files
// may differ by case alone) is another player, whose deletion stopped after its file went.
// Empty when the profile is gone.
std::string OwnerOfAside(const std::string& aside)
{
    const size_t slash = aside.find_last_of('/');
    const std::string spelled = aside.substr(slash + 1, aside.size() - slash - 1 - strlen(DELETED_SUFFIX));
    const std::string own = ProfileSpelling(spelled);
    if (!IsSpelled(ProfilesFolder, own + ".cgs", false)) return std::string();
    if (own != spelled && IsSpelled(aside.substr(0, slash), own, true) && !HoldsSavesOf(aside, own))
        return std::string();
    return own;
}

// Settles one profile's saves that a deletion set aside: they go back to a profile whose file
// is still there, and go for good when it is gone. False when they stay aside.
bool SettleDeletedProfile(const std::string& profileName)
{
    const std::string aside = FindSaveFolder(profileName, DELETED_SUFFIX);
    if (aside.empty()) return true;
    const std::string own = OwnerOfAside(aside);
    if (own.empty()) {
        Log("The saves set aside in %s are a deleted profile's: they go\n", aside.c_str());
        return RemoveSaveFolder(aside);
    }
    // The profile was never deleted: its saves go back into its own folder, spelled as the
    // profile's file is, which the save screens read first. An older build's leftover of the
    // name in another case is not that folder.
    const std::string home = SaveFolderOf(own);
    const bool homeStands = IsSpelled(std::string(UserFolder) + "/savefiles", own, true);
    SwitchSteps steps(SettleStepHook);
    if (homeStands ? MergeSavesBack(aside, home, steps) : steps.Rename(aside, home)) {
        Log("The saves of the profile '%s' are back: its deletion had not gone through\n", own.c_str());
        return true;
    }
    if (!steps.stopped) Log("WARNING: %s cannot go back in place as %s\n", aside.c_str(), home.c_str());
    return false;
}

}  // namespace

bool DeleteProfileSaves(const char* profileName)
{
    if (!IsValidProfileName(profileName)) return false;
    // Every folder its saves are found in, whatever the case it is spelled in.
    for (std::string folder; !(folder = FindSaveFolder(profileName)).empty();)
        if (!RemoveSaveFolder(folder)) return false;
    return true;
}

void SettleDeletedProfiles()
{
    const std::string saves = std::string(UserFolder) + "/savefiles";
    if (!IsFolder(saves)) return;
    DirectorySearch search;
    std::string entry;
    bool isDirectory = false;
    std::vector<std::string> names;
    const size_t suffix = strlen(DELETED_SUFFIX);
    if (search.Begin(saves.c_str(), "*"))
        while (search.Next(entry, isDirectory))
            if (isDirectory && entry.size() > suffix && entry.compare(entry.size() - suffix, suffix, DELETED_SUFFIX) == 0)
                names.push_back(entry.substr(0, entry.size() - suffix));
    search.Close();
    for (const std::string& name : names)
        if (IsValidProfileName(name.c_str())) SettleDeletedProfile(name);
}

bool ClearSavesForNewProfile(const char* profileName)
{
    if (!IsValidProfileName(profileName)) return false;
    // What a deletion set aside goes, in whatever case it is spelled, then the saves.
    while (!FindSaveFolder(profileName, DELETED_SUFFIX).empty())
        if (!SettleDeletedProfile(profileName)) return false;
    // The games an earlier profile of the name played are not the new one's.
    ReplayDirector::RemoveAllOf(profileName);
    return DeleteProfileSaves(profileName);
}

bool DeleteProfile(const char* profileName, std::string* failure)
{
    char profilePath[MAX_PROFILE_PATH];
    if (!IsValidProfileName(profileName) || !ProfilePath(profileName, profilePath, sizeof profilePath)) return false;
    const std::string saves = std::string(UserFolder) + "/savefiles";
    const std::string profiles = std::string(ProfilesFolder);
    char text[400];
    auto fail = [&](const char* format) {
        snprintf(text, sizeof text, format, profileName);
        Log("WARNING: %s\n", text);
        if (failure) *failure = text;
        return false;
    };
    // Saves a stopped deletion of this profile left aside go first: this deletion is asked for.
    const std::string earlier = FindSaveFolder(profileName, DELETED_SUFFIX);
    if (!earlier.empty() && !RemoveSaveFolder(earlier))
        return fail("The profile '%s' could not be deleted: the saves of its earlier deletion cannot be removed.");
    const std::string folder = FindSaveFolder(profileName);
    // Set aside under the name its profile's file is spelled by, whatever the case the folder is
    // spelled in: the settling tells by that name whose saves they are.
    const std::string aside =
        folder.substr(0, folder.find_last_of('/') + 1) + ProfileSpelling(profileName) + DELETED_SUFFIX;
    SwitchSteps steps(DeletionStepHook);
    Renames renames{steps, {}};
    // A step that fails puts the saves back: the profile stays whole. When they cannot go back
    // yet, the save screens put them back when they next read the profile's saves.
    auto keep = [&](const char* format) {
        return renames.Undo() || steps.stopped
                   ? fail(format)
                   : fail("The profile '%s' could not be deleted; its saves are back when they are next read.");
    };
    if (!folder.empty() && !(renames.Move(folder, aside) && steps.Take([&] { return SyncFolder(saves.c_str()); })))
        return keep("The profile '%s' could not be deleted: its saves cannot be moved. It is kept with its saves.");
    // The profile is deleted once its file is gone from the disk.
    const bool removed = steps.Take([&] { return remove(profilePath) == 0 || errno == ENOENT; }) &&
                         steps.Take([&] { return SyncFolder(profiles.c_str()); });
    if (!removed && FileExists(profilePath, false))
        return keep("The profile '%s' could not be deleted. It is kept with its saves.");
    if (!folder.empty() && !steps.Take([&] { return RemoveSaveFolder(aside); }))
        return fail("The profile '%s' is deleted, but some of its saves could not be removed.");
    // Its recorded games go with it; a new profile of the name starts with none.
    if (!ReplayDirector::RemoveAllOf(profileName))
        return fail("The profile '%s' is deleted, but some of its replays could not be removed.");
    return true;
}

int SaveGame(void* user, Button*)
{
    LevelLoadSaveGui* screen = TheLevelLoadSaveGui;
    if (!TheGame || !screen || !screen->nameBox) return 0;
    const bool confirmed = user && *static_cast<int*>(user) == 1;
    const std::string name = SaveBaseName(screen->nameBox->GetText());
    std::string profilePath;
    if (!SaveFilePaths(name.c_str(), &profilePath, nullptr, nullptr)) {
        ShowMessage("A save name holds letters, digits, blanks, '_' and '-' only.");
        GuiPlaySound("bad");
        return 0;
    }
    if (!confirmed && FileExists(profilePath.c_str(), false)) {
        ConfirmOverwrite();
        return 0;
    }
    if (!WriteSaveGame(name.c_str())) return 0;
    // Written between ticks; the order marks the tick it was written before.
    PlayerOrder saved;
    saved.kind = ORDER_SAVE;
    saved.text = name;
    TheOrders.Give(saved);
    CloseScreen();
    GuiPlaySound("blip");
    return 1;
}

void ConfirmOverwrite()
{
    if (!TheConfirmationDialog) return;
    TheConfirmationDialog->SetVisible(true);
    TheConfirmationDialog->SetText("Are you sure you want to overwrite this file?");
    TheConfirmationDialog->callback = SaveGameConfirmed;
    TheConfirmationDialog->userValue = 1;
}

void SaveGameConfirmed(void* userValue)
{
    SaveGame(userValue, nullptr);
}

int LoadSaveGame(void*, Button* button)
{
    LevelLoadSaveGui* screen = TheLevelLoadSaveGui;
    if (!button || !TheGame || !screen || !screen->nameBox) return 0;
    if (strlen(screen->nameBox->GetText()) < 2) {
        GuiPlaySound("bad");
        return 0;
    }
    return ReadSaveGame(SaveBaseName(screen->nameBox->GetText()).c_str()) ? 1 : 0;
}

// ---- The list of saves

void LevelBrowser::FillFromDirectory(const char* newFolder)
{
    CopyText(folder, sizeof folder, newFolder ? newFolder : "");
    SettleStoppedSaves(folder);
    struct Found {
        std::string name;
        time_t modified;
    };
    std::vector<Found> found;
    DirectorySearch search;
    std::string name;
    bool isDirectory = false;
    // Every save is looked at: the newest are kept, whatever order the folder gives them in.
    if (search.Begin(folder, "*.sav"))
        while (search.Next(name, isDirectory)) {
            if (isDirectory) continue;
            FileStatus status;
            if (GetFileStatus((std::string(folder) + "/" + name).c_str(), status) != 0 || status.isDirectory) continue;
            found.push_back({name, status.modified});
        }
    // Newest first; saves of the same second by name.
    std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.modified != b.modified ? a.modified > b.modified : a.name < b.name;
    });
    if ((int)found.size() > MAX_SAVES) found.resize(MAX_SAVES);
    saveList_.Free();
    saves_.clear();
    for (const Found& save : found) {
        auto entry = std::make_unique<ScrollListEntry>();
        CopyText(entry->name, sizeof entry->name, save.name.c_str());
        CopyText(entry->icon, sizeof entry->icon, "data/gui/savefile.dds");
        saves_.push_back(std::move(entry));
    }
    listsReplays = false;
    replays_.clear();
    ShowRows();
    if (!saves_.empty()) {
        ReadSaveHeader((std::string(folder) + "/" + saves_.front()->name).c_str());
        // A save keeps the name the screen proposed; a load names the newest save.
        if (TheLevelLoadSaveGui && TheLevelLoadSaveGui->nameBox && TheLevelLoadSaveGui->loadMode)
            TheLevelLoadSaveGui->nameBox->SetText(SaveBaseName(saves_.front()->name).c_str());
    }
}

void LevelBrowser::ShowRows()
{
    saveList_.Init(std::max(1, (int)saves_.size()));
    for (auto& entry : saves_) saveList_.PushBack(entry.get());
    const int W = ScreenWidth(), H = ScreenHeight();
    rows = 10;
    rowHeight = (int)(H * 0.036458332f);
    rowWidth = (int)(H * 0.5208333f);
    ScrollList::Create(&saveList_, (W - rowWidth) / 2 - H / 48, (int)(H * 0.21875f));
    selectCallback = LevelLoadSaveGui::OnSelect;
    // A double click on a recorded game plays it.
    activateCallback = nullptr;
    if (listsReplays) activateCallback = [](void*, ScrollList*) { return PlaySelectedReplay(nullptr, nullptr); };
}

namespace {

// When the game was played; a file that cannot be read tells nothing of it.
std::string ReplayDateText(const ReplayListing& game, const char* format)
{
    char text[64] = {};
    if (game.playable) FormatLocalTime(text, sizeof text, format, (time_t)game.header.startedAt);
    return text;
}

const char* ReplayOutcomeText(const ReplayListing& game)
{
    if (!game.playable) return GameText("<replay_broken>");
    switch (game.outcome) {
    case REPLAY_WON: return GameText("<replay_won>");
    case REPLAY_LOST: return GameText("<replay_lost>");
    case REPLAY_ABANDONED: return GameText("<replay_abandoned>");
    case REPLAY_RESTARTED: return GameText("<replay_restarted>");
    default: return GameText("<replay_not_ended>");
    }
}

// The mission's name, cut to what a row has room for; the file's own name for one that cannot
// be read.
std::string ReplayMissionText(const ReplayListing& game)
{
    constexpr size_t ROOM = 40;
    if (!game.playable) return game.path.substr(game.path.find_last_of('/') + 1);
    std::string name = game.header.missionName.empty() ? GameText("<replay_no_mission>") : game.header.missionName;
    if (name.size() > ROOM) name = name.substr(0, ROOM - 3) + "...";
    return name;
}

}  // namespace

void LevelBrowser::FillWithReplays()
{
    listsReplays = true;
    const PlayerProfile* profile = GetPlayerProfile();
    replays_ = ReplayDirector::ListOf((profile->flags & PROFILE_LOADED) ? profile->name : nullptr);
    saveList_.Free();
    saves_.clear();
    for (const ReplayListing& game : replays_) {
        auto entry = std::make_unique<ScrollListEntry>();
        std::string row = ReplayMissionText(game) + "  " + ReplayOutcomeText(game);
        if (game.playable) row = ReplayDateText(game, "%d/%m/%y %H:%M") + "  " + row + "  " + ReplayClockText(game.played);
        CopyText(entry->name, sizeof entry->name, row.c_str());
        CopyText(entry->icon, sizeof entry->icon, "data/gui/savefile.dds");
        saves_.push_back(std::move(entry));
    }
    ShowRows();
}

const ReplayListing* LevelBrowser::SelectedReplay() const
{
    const ScrollListEntry* entry = listsReplays ? GetSelected() : nullptr;
    for (size_t i = 0; entry && i < saves_.size(); ++i)
        if (saves_[i].get() == entry) return &replays_[i];
    return nullptr;
}

void LevelBrowser::ReadSaveHeader(const char* savePath)
{
    std::string text;
    const std::string profilePath = SaveProfilePath(savePath);
    ReadWholeFile(profilePath, &text);
    ProfileReading reading;
    reading.Take(text, profilePath.c_str(), true);
    const std::string pilot = reading.Name();
    const std::string chassis = reading.Chassis();
    CopyText(profileName, sizeof profileName, pilot.empty() ? "none" : pilot.c_str());
    profileLevel = LevelFromExperience(reading.Int("experience", 0));
    chassisKind = chassis == "basic" ? 2 : chassis == "round" ? 1 : 0;
    FileStatus status;
    dateText[0] = 0;
    if (GetFileStatus(savePath, status) == 0) {
        char when[64] = {};
        ctime_r(&status.modified, when);
        when[strcspn(when, "\n")] = 0;
        CopyText(dateText, sizeof dateText, when);
    }
}

void LevelBrowser::DrawSelected()
{
    Font* font = GuiListFont ? GuiListFont : GuiDefaultFont;
    const int H = ScreenHeight();
    const ScrollListEntry* entry = GetSelected();
    if (!entry) {
        // No game recorded yet: the list says so where its first row would be.
        if (listsReplays && saves_.empty() && font)
            GuiDrawText(font, x + H / 48, y + rowHeight / 4, GameText("<replays_none>"));
        return;
    }
    const ReplayListing* game = SelectedReplay();
    DrawPreview(entry->icon, entry->iconCell, game ? ReplayMissionText(*game).c_str() : nullptr);
    if (!font) return;
    const int left = x + (int)(H * 0.0052083f) + (int)(H * 0.088541664f);
    int top = y + rows * rowHeight + H / 64 + (int)(H * 0.026041666f);
    char line[160];
    font->SetColor(0.3f, 0.6f, 1.0f, 1.0f);
    if (game) {
        if (game->playable)
            snprintf(line, sizeof line, "%s, %s", ReplayOutcomeText(*game), ReplayClockText(game->endTime).c_str());
        else
            snprintf(line, sizeof line, "%s:", ReplayOutcomeText(*game));
        GuiDrawText(font, left, top, line);
        top += (int)(H * 0.020833334f);
        GuiDrawText(font, left, top, game->playable ? ReplayDateText(*game, "%a %b %e %H:%M:%S %Y").c_str() : game->why.c_str());
    } else {
        GuiDrawText(font, left, top, dateText);
        top += (int)(H * 0.020833334f);
        snprintf(line, sizeof line, "Profile: %s (%d)", profileName, profileLevel);
        GuiDrawText(font, left, top, line);
    }
    font->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
}

// ---- The screen

LevelLoadSaveGui::~LevelLoadSaveGui()
{
    delete browser;
}

void LevelLoadSaveGui::Build()
{
    if (container) return;
    const int W = ScreenWidth(), H = ScreenHeight();
    const int b = (int)(H * 0.026041666f), s = (int)(H * 0.013020833f), p = (int)(H * 0.6770833f), bh = H / 24;
    // The screen lies at the corner, so its children's places are screen places.
    flags |= WINDOW_FRAMELESS;
    id = SCREEN_ID;
    CopyText(caption, sizeof caption, "LevelLoadSave");
    container = this;
    auto keep = [this](auto* window) {
        owned_.emplace_back(window);
        AddChild(window);
        return window;
    };
    const int panelX = (W - p) / 2, panelY = (int)(H * 0.11979166f);
    panels_[0] = keep(new Window(panelX, panelY, p, p, "wframe_blue.dds"));
    const int bannerH = (int)(H * 0.052083332f);
    title = keep(new Button(nullptr, nullptr, panelX + b, panelY - bannerH / 2, p - 2 * b, bannerH, 0, nullptr,
                            "data/gui/missionbanner.dds", "data/gui/missionbanner.dds", nullptr, 0, 0, 0));
    title->SetText("Load Game");
    panels_[1] = keep(new Window(panelX + b, panelY + bannerH + s, p - 2 * b, p - 2 * s - bannerH - bh, "wframe_black.dds"));

    // The controls stand below the selected save's details, in the lower part of the black panel.
    const int screenX = (W - (int)(H * 0.5208333f)) / 2 - H / 48, screenY = H / 6;
    const int buttonW = (int)(H * 0.104166664f);
    const int closeX = screenX + p / 2 - (int)(W * 0.1953125f), rowY = screenY + p - (int)(H * 0.15104167f);
    auto button = [&](int atX, const char* text, ButtonCallback click, const char* face, bool hover) {
        Button* made = keep(new Button(nullptr, click, atX, rowY, buttonW, bh, 0, nullptr, face, face, nullptr,
                                       0x1030001, 0x1030002, 0));
        if (hover) made->SetImage(face, 0x1030000);
        made->SetText(text);
        return made;
    };
    closeButton = button(closeX, "Close", OnClose, "data/gui/button_red.dds", true);
    loadButton = button(closeX + b + buttonW, "Load", LoadSaveGame, "data/gui/button.dds", true);
    saveButton = button(closeX + b + buttonW, "Save", SaveGame, "data/gui/button.dds", false);
    playButton = button(closeX + b + buttonW, GameText("<replay_play>"), PlaySelectedReplay, "data/gui/button.dds", true);
    // Enter presses the mode's button (the screen's own key handling picks which).
    for (Button* made : {loadButton, saveButton, playButton}) made->flags |= WINDOW_DEFAULT_BUTTON;

    const int boxX = screenX + p / 2 - (int)(H * 0.13020833f);
    const int boxY = rowY - (int)(H * 0.065104164f);
    nameBox = keep(new EditBox("", boxX, boxY, (int)(H * 0.33854166f), bh, 1, GuiListFont, nullptr));
    nameBox->maximumLength = NAME_LENGTH;
    nameBox->enterCallback = OnNameEnter;
    nameLabel = keep(new Label("Save file name:", boxX - (int)(H * 0.15625f), boxY + H / 96, (int)(H * 0.13020833f), bh,
                               0, GuiListFont, false));

    browser = new LevelBrowser();
    // The black panel is the list's backing.
    browser->backing = false;
    FitToChildren(1, 1, 0, 0);
    if (WindowMgr) WindowMgr->AddWindow(this);
    Window::SetVisible(false);
    OpenLoadGameWindow();
}

void LevelLoadSaveGui::SetVisible(bool show)
{
    if (show) {
        ShowScreen(true);
        return;
    }
    shown = false;
    Window::SetVisible(false);
    if (WindowMgr) {
        WindowMgr->HideById(SCREEN_ID);
        if (WindowMgr->modal == this) WindowMgr->modal = savedModal;
    }
    savedModal = nullptr;
    if (browser) browser->SetVisible(false);
}

void LevelLoadSaveGui::ShowAsPage()
{
    ShowScreen(false);
}

void LevelLoadSaveGui::ShowScreen(bool modalScreen)
{
    shown = true;
    Window::SetVisible(true);
    if (WindowMgr) {
        WindowMgr->ShowById(SCREEN_ID);
        if (modalScreen && WindowMgr->modal != this) {
            savedModal = WindowMgr->modal;
            WindowMgr->modal = this;
        }
    }
    if (browser && replayMode) {
        browser->FillWithReplays();
        browser->SetVisible(true);
    } else if (browser) {
        browser->FillFromDirectory(SettleSaveFolder().c_str());
        if (!loadMode) browser->selected = nullptr;
        browser->SetVisible(true);
    }
}

bool LevelLoadSaveGui::IsModal() const
{
    return WindowMgr && WindowMgr->modal == this;
}

bool LevelLoadSaveGui::OnMouseDown(MouseDevice* mouse)
{
    return ForwardToList(mouse, [mouse](Window* child) { return child->OnMouseDown(mouse); });
}

bool LevelLoadSaveGui::OnMouseUp(MouseDevice* mouse)
{
    return ForwardToList(mouse, [mouse](Window* child) { return child->OnMouseUp(mouse); });
}

bool LevelLoadSaveGui::OnMouseMove(MouseDevice* mouse)
{
    if (!IsModal() || !browser || !browser->listWindow || !browser->IsVisible()) return false;
    bool handled = false;
    for (Window* child = browser->listWindow->firstChild; child; child = child->nextSibling)
        if (child->IsVisible()) handled |= child->OnMouseMove(mouse);
    return handled;
}

template <class F> bool LevelLoadSaveGui::ForwardToList(MouseDevice* mouse, F event)
{
    // The list's window is not among the modal screen's children: its rows get the mouse here.
    // As a page the screen is not modal, and the window manager reaches the list itself.
    if (!mouse || !IsModal() || !browser || !browser->listWindow || !browser->IsVisible()) return false;
    for (Window* child = browser->listWindow->firstChild; child; child = child->nextSibling)
        if (child->IsVisible() && child->HitTest(mouse->cursorX, mouse->cursorY) && event(child)) return true;
    return false;
}

void LevelLoadSaveGui::Draw()
{
    if (!shown) return;
    // The list's dark backing lies over the panels and under the buttons, the name box and its
    // label: panels first, then the list, then the controls on top.
    auto isPanel = [this](const Window* child) { return child == panels_[0] || child == panels_[1]; };
    for (Window* child = firstChild; child; child = child->nextSibling)
        if (isPanel(child) && child->IsVisible()) child->Draw();
    if (browser && browser->IsVisible()) browser->Draw();
    for (Window* child = firstChild; child; child = child->nextSibling)
        if (!isPanel(child) && child->IsVisible() && !(child->flags & WINDOW_FRAMELESS)) child->Draw();
}

bool LevelLoadSaveGui::OnKey(KeyboardDevice* keyboard)
{
    if (!shown || !keyboard) return false;
    // Enter does what the shown button does; Escape closes the screen as Close does.
    if (keyboard->lastKeyDown == VK_RETURN) {
        if (replayMode)
            PlaySelectedReplay(nullptr, playButton);
        else if (loadMode)
            LoadSaveGame(nullptr, loadButton);
        else
            SaveGame(nullptr, saveButton);
        return true;
    }
    if (keyboard->lastKeyDown == VK_ESCAPE) {
        OnClose(nullptr, nullptr);
        return true;
    }
    return false;
}

int LevelLoadSaveGui::OnClose(void*, Button*)
{
    const bool replays = TheLevelLoadSaveGui && TheLevelLoadSaveGui->replayMode;
    CloseScreen();
    if (replays && TheGalaxy)
        TheGalaxy->ShowScreen(true);
    else if (TheGame && TheGame->state != GAME_STATE_PLAYING)
        ReturnToMainMenu();
    GuiPlaySound("blip");
    return 1;
}

int LevelLoadSaveGui::OnNameEnter(void*, EditBox* box)
{
    if (box) box->SetFocus(false);
    if (WindowMgr && WindowMgr->focused == box) WindowMgr->focused = nullptr;
    GuiPlaySound("blip");
    return 1;
}

int LevelLoadSaveGui::OnSelect(void*, ScrollList* list)
{
    auto* browser = dynamic_cast<LevelBrowser*>(list);
    const ScrollListEntry* entry = browser ? browser->GetSelected() : nullptr;
    if (!entry || browser->listsReplays) return 1;
    browser->ReadSaveHeader((std::string(browser->folder) + "/" + entry->name).c_str());
    if (TheLevelLoadSaveGui && TheLevelLoadSaveGui->nameBox)
        TheLevelLoadSaveGui->nameBox->SetText(SaveBaseName(entry->name).c_str());
    return 1;
}

namespace {

enum class ScreenMode { Load, Save, Replays };

// Shows the mode's own controls and hides the others'.
LevelLoadSaveGui* SetScreenMode(ScreenMode mode)
{
    LevelLoadSaveGui* screen = TheLevelLoadSaveGui;
    if (!screen || !screen->container) return nullptr;
    screen->loadMode = mode != ScreenMode::Save;
    screen->replayMode = mode == ScreenMode::Replays;
    auto show = [](Window* widget, bool on) {
        widget->SetEnabled(on);
        widget->SetVisible(on);
    };
    show(screen->loadButton, mode == ScreenMode::Load);
    show(screen->saveButton, mode == ScreenMode::Save);
    show(screen->playButton, mode == ScreenMode::Replays);
    show(screen->nameBox, mode == ScreenMode::Save);
    show(screen->nameLabel, mode == ScreenMode::Save);
    screen->closeButton->SetText(mode == ScreenMode::Replays ? GameText("<replay_back>") : "Close");
    return screen;
}

}  // namespace

void OpenLoadGameWindow()
{
    if (LevelLoadSaveGui* screen = SetScreenMode(ScreenMode::Load)) screen->title->SetText("Load Game");
}

void OpenSaveGameWindow()
{
    LevelLoadSaveGui* screen = SetScreenMode(ScreenMode::Save);
    if (!screen) return;
    screen->nameBox->SetText(DefaultSaveName(time(nullptr)).c_str());
    screen->title->SetText("Save Game");
    if (screen->browser) screen->browser->selected = nullptr;
}

void OpenReplaysWindow()
{
    if (LevelLoadSaveGui* screen = SetScreenMode(ScreenMode::Replays)) screen->title->SetText(GameText("<replays_title>"));
}

int ShowReplays(void*, Button*)
{
    if (!TheLevelLoadSaveGui || !TheGalaxy) return 1;
    if (TheGalaxy->panel.frame) TheGalaxy->panel.frame->SetVisible(false);
    CloseAllGameWindows();
    OpenReplaysWindow();
    TheLevelLoadSaveGui->SetVisible(true);
    GuiPlaySound("blip");
    return 1;
}

int PlaySelectedReplay(void*, Button*)
{
    LevelLoadSaveGui* screen = TheLevelLoadSaveGui;
    const ReplayListing* game = screen && screen->browser ? screen->browser->SelectedReplay() : nullptr;
    if (!game || !TheGame) {
        GuiPlaySound("bad");
        return 0;
    }
    // Read again: the file may have changed since the list was made.
    const std::string path = game->path;
    Replay replay;
    std::string why;
    if (!ReplayDirector::Open(path.c_str(), &replay, &why)) {
        GuiPlaySound("bad");
        if (TheMessageDialog) {
            const std::string text = std::string(GameText("<replay_refused>")) + " " + why + ".";
            TheMessageDialog->SetText(text.c_str());
            TheMessageDialog->SetVisible(true);
        }
        return 0;
    }
    CloseScreen();
    GuiPlaySound("blip");
    return TheReplay.Play(path, replay, false) ? 1 : 0;
}
