#pragma once
// "Mission Briefing": the current mission as its giver tells it: the giver's crest, picture,
// name and title, the mission's name and level, the briefing text (as many lines as its box
// holds, with arrows and the wheel), its objectives and its rewards. Opened from the HUD's "Objectives"
// button; it pauses the game and fills itself each time it opens.
#include "interface/InfoScreen.h"

#include <string>

class MissionBriefingGui : public InfoScreen {
public:
    // The briefing box is this many lines of the screen's small text tall.
    static constexpr int BOX_LINES = 10;

    MissionBriefingGui();
    static MissionBriefingGui* Create();
    void Build();
    void Draw() override;
    // The giver, the picture and the text of the current mission.
    void Refresh() override;
    // One line of the briefing down or up.
    void Scroll(bool down);
    bool OnMouseMove(MouseDevice* mouse) override;

    Button* crest = nullptr;
    Button* picture = nullptr;
    Label* giverLabel = nullptr;
    Button* upArrow = nullptr;
    Button* downArrow = nullptr;
    Label* textLabel = nullptr;
    int firstLine = 0;
    int lineCount = 0;
    // The briefing's lines the box shows at once.
    int linesShown = 1;
    // What Refresh found: the mission is a story mission, its giver's faction index.
    bool story = false;
    int faction = 0;
    std::string briefing;
};

// The briefing screen, or null while the front end has not made it.
extern MissionBriefingGui* TheMissionBriefing;
