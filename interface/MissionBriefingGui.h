#pragma once
// The mission briefing screen, opened from the HUD's "Objectives" button. The screen itself
// comes with the game interface's briefing; until then it only knows whether it is open.
class MissionBriefingGui {
public:
    void SetVisible(bool show) { visible = show; }
    bool visible = false;
};

// The briefing screen, or null while the game interface has not made it.
extern MissionBriefingGui* TheMissionBriefing;
