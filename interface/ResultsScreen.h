#pragma once
// The end of a mission. A won mission ("Exit Mission" once every objective is done) is marked
// completed and its rewards are paid and the profile saved at once, as the level ends; the
// results screen ("Mission Complete") then shows the mission's name, its rewards, the time it
// took and the mission's statistics, modal over the front end, until "Continue" announces a new
// level, tests for the end of the campaign and opens the shop. A lost or abandoned mission
// reads the profile back from its file, so that nothing gained in it survives.
#include "campaign/PlayerProfile.h"
#include "interface/InfoScreen.h"

class Label;

// The twenty rows of the statistics block, in their order on the screen.
constexpr int RESULTS_ROWS = 20;
struct ResultsRow {
    const char* label;
    int value;
};

class ResultsScreen : public InfoScreen {
public:
    ResultsScreen();
    // Builds the screen the first time it is asked.
    void BuildOnce();
    // The labels from the mission just ended: name, rewards and "%02d:%02d" of the game clock.
    void Populate();
    void Draw() override;
    // The statistics of the mission just ended, as the rows show them.
    void TakeStatistics(const PlayerProfile& profile);
    void GetRows(ResultsRow out[RESULTS_ROWS]) const;
    // "Continue": closes the screen, announces a new level, tests for the end of the game and
    // opens the shop.
    static int OnContinue(void* user, Button* button);

    Label* nameLabel = nullptr;
    Label* creditsLabel = nullptr;
    Label* experienceLabel = nullptr;
    Label* timeLabel = nullptr;
    Button* continueButton = nullptr;
    // What the mission's end paid and left for the screen to show.
    int statistics[PROFILE_STATISTICS] = {};
    float oreMined = 0.0f, fuelCollected = 0.0f;
    int levelBefore = 0, levelAfter = 0;
    bool paidStory = false;
};

// Ends the running mission: won when not given up and every objective is complete.
void EndMission(bool giveUp);
// "%02d:%02d" of a game clock in seconds.
void FormatResultsTime(char* out, size_t size, float seconds);

extern ResultsScreen* TheResultsScreen;
