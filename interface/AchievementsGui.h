#pragma once
// "Achievements": the player's badges in rows of five, earned ones lit, each with its icon of
// the 5 x 5 sheet and its name under it; a line counts the earned ones and hovering a badge
// shows its name and description. Achievement n exists while the string table has
// "<achieve_n>"; the profile says which are earned. Pauses the game while open.
#include "interface/InfoScreen.h"

constexpr int ACHIEVEMENTS_ID = 1016;

// Where the screen puts one badge and the count line, for a screen of height H whose frame
// begins at (left, top).
struct BadgeLayout {
    static constexpr int MAX_BADGES = 25;
    static constexpr int PER_ROW = 5;
    int originX = 0, originY = 0;
    int badgeSize = 0;
    int stepX = 0, stepY = 0;

    BadgeLayout(int left, int top, int H);
    void BadgeAt(int index, int* x, int* y) const;
    // The count line stands below the last row that holds a badge.
    int CountLineY(int shown, int H) const;
    // The frame height that holds five full rows and the count line.
    static int FrameHeight(int H);
};

class AchievementsGui : public InfoScreen {
public:
    AchievementsGui();
    static AchievementsGui* Create();
    void Build();
    void Draw() override;

    Sprite* badge = nullptr;
    Sprite* icon = nullptr;
    Sprite* box = nullptr;
    Sprite* backdrop = nullptr;
    int badgeWidth = 0, badgeHeight = 0;
    // What the last draw found: badges shown, earned, the hovered index (-1 none).
    int shown = 0, earned = 0, hovered = -1;
};

extern AchievementsGui* TheAchievementsGui;
