#pragma once
// The pause menu of a mission (load, save, options, restart, leave, resume) and the "Mission
// Failed!" window that takes its place when the mission is lost. Both are built once with the
// front end's windows and shown and hidden afterwards; while either is shown it is the modal
// window and the game stands still.
class Button;
class Window;

class InGameMenu {
public:
    InGameMenu() = default;

    // The pause menu, fitted to its panels and hidden.
    void Build();
    // Shows or hides the pause menu; showing names the fifth button "Exit Mission" when every
    // objective is complete, else "Abort Mission".
    void SetVisible(bool show);
    // The same for the failed window.
    void SetFailedVisible(bool show);
    // Both windows hidden, nothing modal, the game running again.
    void HideAll();

    // The buttons' callbacks (1: handled).
    static int OnLoadGameClicked(void* user, Button* button);
    static int OnSaveGameClicked(void* user, Button* button);
    static int OnOptionsClicked(void* user, Button* button);
    static int OnRestartClicked(void* user, Button* button);
    static int OnAbortClicked(void* user, Button* button);
    static int OnResumeClicked(void* user, Button* button);

    Window* menuWindow = nullptr;
    Window* failedWindow = nullptr;
    Button* abortButton = nullptr;
    bool menuShown = false;
    bool failedShown = false;
};

// The failed window, built into the in-game menu's failed window.
struct MissionFailedWindow {
    static void Build();
};

// The current mission again from its level seed, the profile as it was before the mission (0
// without the in-game menu).
int RestartMission();
// Leaves the mission: a failed or given-up mission loses what it gained; one whose objectives
// are all complete counts as won.
int AbortMission();
// The confirmation dialog's forms of the two.
void RestartMissionAction(void* userValue);
void AbortMissionAction(void* userValue);

// The game's Escape in a mission: toggles the pause menu unless a modal window is open or the
// failed window is shown (Escape is then taken and does nothing); a building preview is
// dropped instead. True when Escape was used.
bool InGameMenuOnEscape();

// Builds the in-game menu, the failed window and the load and save screen once (the front
// end's start-up).
void BuildInGameWindows();
// Frees them (shutdown).
void ReleaseInGameWindows();

extern InGameMenu* TheInGameMenu;
