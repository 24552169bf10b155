#include "interface/ResultsScreen.h"

#include "campaign/Galaxy.h"
#include "campaign/MissionScreen.h"
#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "gui/WindowManager.h"
#include "host/System.h"
#include "host/WorldGuard.h"
#include "interface/CharacterGui.h"
#include "interface/EndGameScreen.h"
#include "interface/Inventory.h"
#include "interface/MessageLists.h"
#include "interface/MessageWindow.h"
#include "mechanics/Game.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Objectives.h"
#include "mechanics/Replay.h"
#include "platform/ConfigFile.h"
#include "platform/Files.h"
#include "platform/MusicPlayer.h"
#include "platform/SoundManager.h"
#include "render/Draw2D.h"
#include "render/Font.h"

#include <cstdio>

ResultsScreen* TheResultsScreen = nullptr;

namespace {

// The mission in play: its name and rewards, from the catalogue for a story mission and from
// the galaxy's body for a random one.
struct MissionRewards {
    const char* name = nullptr;
    int credits = 0;
    int experience = 0;
    bool story = false;
};

bool CurrentRewards(MissionRewards* out)
{
    CelestialBody* body = TheGalaxy ? TheGalaxy->selectedBody : nullptr;
    if (!body) return false;
    if (body->storyId >= 0) {
        if (!MissionScreen::missions || body->storyId >= MissionScreen::missionCount) return false;
        const MissionRecord& record = MissionScreen::missions[body->storyId];
        out->name = record.name;
        out->credits = record.creditReward;
        out->experience = record.experienceReward;
        out->story = true;
        return true;
    }
    MissionRecord* record = MissionScreen::GetCurrentMission();
    out->name = record ? record->name : body->name;
    out->credits = body->mission.creditReward;
    out->experience = body->mission.experienceReward;
    return true;
}

void PlayFrontEndMusic(const char* path, float fade)
{
    if (!Music || !Config || !Config->music) return;
    char fixed[128];
    CopyText(fixed, sizeof fixed, path);
    FixPath(fixed);
    Music->ClearPlaylist();
    Music->Play(fixed, (int)fade);
}

// What a won mission pays, at once: the rewards, the unlocks and the saved profile. The
// statistics are kept for the results screen and start again from 0.
void PayRewards(ResultsScreen* screen)
{
    PlayerProfile* profile = GetPlayerProfile();
    if (screen) screen->levelBefore = screen->levelAfter = profile->level;
    MissionRewards rewards;
    if (CurrentRewards(&rewards)) {
        profile->credits += rewards.credits;
        profile->AddExperience(rewards.experience);
    }
    if (screen) {
        screen->levelAfter = profile->level;
        screen->paidStory = rewards.story;
    }
    profile->CheckUnlocks(true);
    if (screen) screen->TakeStatistics(*profile);
    profile->ResetStatistics();
    profile->SaveByName(false);
}

// The character screen and its bag go with the level.
void HideInventory()
{
    if (!TheCharacterGui) return;
    TheCharacterGui->Window::SetVisible(false);
    if (TheCharacterGui->inventory && TheCharacterGui->inventory->panel)
        TheCharacterGui->inventory->panel->SetVisible(false);
}

}  // namespace

void FormatResultsTime(char* out, size_t size, float seconds)
{
    const int minutes = (int)(seconds / 60.0f);
    snprintf(out, size, "%02d:%02d", minutes, (int)seconds - 60 * minutes);
}

void EndMission(bool giveUp)
{
    // A replay's end is the viewer's: no rewards, no results, nothing of the profile.
    if (TheReplay.Playing()) {
        if (TheMessageWindow) TheMessageWindow->Show(false, false);
        TheReplay.Leave();
        return;
    }
    // The level ends here, in a tick or from the menu: what it gives the profile and takes
    // back is the level's end, not the hand's.
    const WorldChangeScope ending;
    if (TheMessageWindow) {
        TheMessageWindow->Show(false, false);
        if (WindowMgr) WindowMgr->modal = nullptr;
    }
    GamePaused = false;
    PlayerProfile* profile = GetPlayerProfile();
    const bool won = !giveUp && TheObjectives && TheObjectives->AllComplete();
    if (won) {
        if (TheGalaxy && TheGalaxy->selectedBody) {
            TheGalaxy->selectedBody->completed = 1;
            profile->SetMissionCompleted(TheGalaxy->selectedBody->missionId, true);
        }
        PayRewards(TheResultsScreen);
        if (TheGame) TheGame->EndLevel();
        CloseAllGameWindows();
        if (TheGame) TheGame->state = GAME_STATE_FRONT_END;
        HideInventory();
        if (TheResultsScreen) {
            TheResultsScreen->Populate();
            TheResultsScreen->SetVisible(true);
        }
    } else {
        profile->LoadByName(profile->name);
        if (TheGame) TheGame->EndLevel();
        CloseAllGameWindows();
        OpenShop(0);
        if (TheGame) TheGame->state = GAME_STATE_FRONT_END;
        HideInventory();
    }
    PlayFrontEndMusic("data/music/mission_screen.ogg", 2.0f);
}

ResultsScreen::ResultsScreen() : InfoScreen(-1, false) {}

void ResultsScreen::BuildOnce()
{
    if (built) return;
    const int H = ScreenHeight();
    BuildFrame("Mission Complete", 25 * H / 32, 25 * H / 32, true);
    Font* heading = ScreenFont(0);
    Font* text = ScreenFont(4);
    const int x0 = left + 5 * H / 192 + H / 48;
    int y = panelTop + H / 96;
    nameLabel = Keep(new Label("none", x0, y, frameWidth / 2, H / 32, 0, ScreenFont(1), false));
    y += H / 24;
    Keep(new Label("Rewards", x0, y, H / 6, H / 32, 0, heading, false));
    y += H / 32;
    const int valueX = x0 + 7 * H / 48;
    const struct {
        const char* row;
        const char* initial;
        Label** value;
    } rows[] = {{"Experience", "1000", &experienceLabel}, {"Credits", "2500", &creditsLabel},
                {"Elapsed time", "25:04", &timeLabel}};
    for (const auto& row : rows) {
        Keep(new Label(row.row, x0, y, H / 8, H / 48, 0, text, false));
        *row.value = Keep(new Label(row.initial, valueX, y, H / 8, H / 48, 0, text, false));
        y += H / 40;
    }
    // The rewards' mark: a cell of the damage-type sheet.
    Keep(new Button(nullptr, nullptr, left + frameWidth - 5 * H / 192 - H / 12 - H / 48, panelTop + H / 96, H / 12,
                    H / 12, 0, nullptr, "data/gui/damageTypes.dds", "data/gui/damageTypes.dds", nullptr, 0x04040102,
                    0x04040102, 0));
    const int buttonW = H / 5, buttonH = H / 28;
    continueButton = AddButton(left + (frameWidth - buttonW) / 2, top + frameHeight - 5 * H / 384 - H / 24 + (H / 24 - buttonH) / 2,
              buttonW, buttonH, "data/gui/button.dds", "Continue", OnContinue, true);
    Finish();
}

void ResultsScreen::Populate()
{
    if (!built) return;
    char value[32];
    FormatResultsTime(value, sizeof value, MissionTime);
    timeLabel->SetText(value);
    MissionRewards rewards;
    if (!CurrentRewards(&rewards)) {
        nameLabel->SetText("none");
        creditsLabel->SetText("none");
        experienceLabel->SetText("none");
        return;
    }
    nameLabel->SetText(rewards.name);
    int width = TextWidth(nameLabel->font, GuiDisplayText(rewards.name));
    nameLabel->Move((ScreenWidth() - width) / 2 - x, nameLabel->y);
    snprintf(value, sizeof value, "%d", rewards.credits);
    creditsLabel->SetText(value);
    snprintf(value, sizeof value, "%d", rewards.experience);
    experienceLabel->SetText(value);
}

void ResultsScreen::TakeStatistics(const PlayerProfile& profile)
{
    for (int i = 0; i < PROFILE_STATISTICS; ++i) statistics[i] = profile.statistics[i];
    oreMined = profile.oreGained;
    fuelCollected = profile.fuelGained;
}

void ResultsScreen::GetRows(ResultsRow out[RESULTS_ROWS]) const
{
    const int* s = statistics;
    const ResultsRow rows[RESULTS_ROWS] = {
        {"Total enemies killed", s[PROFILE_STAT_ENEMIES_KILLED]},
        {"Creatures killed", s[PROFILE_STAT_CREATURES_KILLED]},
        {"Scavengers killed", s[PROFILE_STAT_ENEMIES_KILLED] - s[PROFILE_STAT_CREATURES_KILLED]},
        {"Mine kills", s[PROFILE_STAT_MINE_KILLS]},
        {"Max barrel kills", s[PROFILE_STAT_BARREL_KILLS]},
        {"Turret kills", s[PROFILE_STAT_TURRET_KILLS]},
        {"Bot kills (ground)", s[PROFILE_STAT_GROUND_BOT_KILLS]},
        {"Air kills", s[PROFILE_STAT_AIR_KILLS]},
        {"Rig kills", s[PROFILE_STAT_RIG_KILLS]},
        {"Kills while cloaked", s[PROFILE_STAT_CLOAKED_KILLS]},
        {"Units produced", s[PROFILE_STAT_UNITS_PRODUCED]},
        {"Units lost", s[PROFILE_STAT_UNITS_LOST]},
        {"Buildings produced", s[PROFILE_STAT_BUILDINGS_PRODUCED]},
        {"Buildings lost", s[PROFILE_STAT_BUILDINGS_LOST]},
        {"Total Ore Mined", (int)oreMined},
        {"Total Fuel Collected", (int)fuelCollected},
        {"Highest Ore", s[PROFILE_STAT_HIGHEST_ORE]},
        {"Highest Fuel", s[PROFILE_STAT_HIGHEST_FUEL]},
        {"Highest Bot Level", s[PROFILE_STAT_HIGHEST_BOT_LEVEL]},
        {"Highest Bot Kills", s[PROFILE_STAT_HIGHEST_BOT_KILLS]},
    };
    for (int i = 0; i < RESULTS_ROWS; ++i) out[i] = rows[i];
}

void ResultsScreen::Draw()
{
    Window::Draw();
    const int H = ScreenHeight();
    Font* heading = ScreenFont(0);
    Font* text = ScreenFont(4);
    const int ox = left + 85 * H / 384, oy = top + 39 * H / 128;
    if (heading) heading->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    GuiDrawText(heading, ox - 35 * H / 384, oy - H / 32, "Statistics");
    if (!text) return;
    TextSize size;
    text->GetTextExtent("dummy", &size);
    const int step = size.cy + H / 384;
    ResultsRow rows[RESULTS_ROWS];
    GetRows(rows);
    int y = oy;
    char value[16];
    for (const ResultsRow& row : rows) {
        text->SetColor(0.506f, 0.702f, 1.0f, 1.0f);
        GuiDrawText(text, ox, y, row.label);
        snprintf(value, sizeof value, "%d", row.value);
        text->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
        GuiDrawText(text, ox + 65 * H / 384, y, value);
        y += step;
    }
}

int ResultsScreen::OnContinue(void*, Button*)
{
    ResultsScreen* screen = TheResultsScreen;
    if (screen && screen->IsOpen()) screen->SetVisible(false);
    PlayerProfile* profile = GetPlayerProfile();
    if (screen && screen->levelAfter > screen->levelBefore) {
        char line[64];
        snprintf(line, sizeof line, "Player level %d!", screen->levelAfter);
        if (TheGame && TheGame->messageBar) {
            TheGame->messageBar->AddMessage(line, 5.0f, 0);
            TheGame->messageBar->AddMessage("New stat points available", 6.0f, 0);
        }
        if (SoundMgr) SoundMgr->PlaySound("message");
        if (TheCharacterGui && TheCharacterGui->inventory) TheCharacterGui->inventory->UpdateSlotHighlights();
        screen->levelBefore = screen->levelAfter;
    }
    bool ended = false;
    if (TheGalaxy && TheEndGameScreen) {
        int completed = 0, total = 0;
        TheGalaxy->CountMissions(&completed, &total);
        const CelestialBody* last = TheGalaxy->FindBodyByStoryId(MissionScreen::missionCount - 1);
        const bool storyDone = last && profile->IsMissionCompleted(last->missionId);
        if (screen && screen->paidStory && storyDone) {
            TheEndGameScreen->Show(true, true);
            PlayFrontEndMusic("data/music/trailer_music.ogg", 1.0f);
            ended = TheEndGameScreen->IsOpen();
        } else if (total > 0 && completed == total) {
            TheEndGameScreen->Show(true, false);
            ended = TheEndGameScreen->IsOpen();
        }
    }
    if (TheGalaxy) TheGalaxy->ClearSelection();
    if (screen) screen->paidStory = false;
    bool firstCompletion = false;
    if (TheGalaxy && TheGalaxy->count > 0 && TheMessageWindow) {
        int bodies = 0, completed = 0;
        CountMissionBodies(&TheGalaxy->systems[0], &bodies, &completed);
        firstCompletion = completed == 1;
    }
    if (!ended) OpenShop(firstCompletion ? 1 : 0);
    return 1;
}
