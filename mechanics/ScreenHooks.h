#pragma once
// What the level's machinery (the Scene, the orders, the mission's events, the world's ticks,
// the level's making) asks of the player's side and shows the player beyond the world: the
// mission the front end chose, the windows it opens and the game's hold while one is up, the
// named commands of the keys that work a screen or a tool rather than the world, the hand that
// turns the mouse into orders, the screens that show what the orders changed (the bag's hand,
// the rig's skills, an upgrader's panel, the build buttons), and a replay's dealings with the
// front end. The level's own answers (mechanics/ScreenHooks.cpp) are those of a game with no
// screens: the catalogue's current mission, no window, no hand, nothing shown; a replay's
// profile and mission taken from its header. The bag, the rig's parts and skills and an
// upgrader's choices are the world's own (mechanics/Bag.h, RigFitting.h, UnitUpgrades.h). The
// interface puts the player's answers in their place at start-up (interface/PlayerAnswers.cpp);
// a test listens by deriving and installing its own. Lines on the message bar go out through
// TellPlayer (world/AgentCombat.h).

#include <string>

class Agent;
class Building;
class GameMechanics;
struct MissionRecord;
struct ReplayHeader;

class ScreenHooks {
public:
    virtual ~ScreenHooks() = default;
    // The mission the front end started (a story mission or the random one); null for none.
    virtual MissionRecord* CurrentMission();
    // The story mission index of the body chosen on the galaxy map; -1 with no galaxy, nothing
    // chosen or a random mission there.
    virtual int SelectedStoryId();
    // The galaxy's seed (-1 with no galaxy built) and the mission of the body chosen on it (-1
    // with none chosen), which the profile file keeps.
    virtual int GalaxySeed();
    virtual int SelectedMissionId();
    // A level of the body chosen on the galaxy starts: the first start of it stamps it, and a
    // draw of the level's sequence goes to the stamp (none without a galaxy).
    virtual void StampLevel();
    // A window holds the game (a modal one is open): the Scene's entities stand still.
    virtual bool WindowHoldsGame();
    // The lost rig's "Mission Failed!" window, shown once; whether it is up. With no window to
    // show it the failure holds and pauses the level all the same, as the window does: the world
    // stands still until the level lets go of its entities.
    virtual void ShowMissionFailed();
    virtual bool MissionFailedShown();
    // A mission message from its giver in the message window; offerEnd: its closing ends the
    // mission. False when there is no message window to show it in.
    virtual bool ShowMissionMessage(const char* giver, const char* text, bool offerEnd);
    // The mission is over: the pop-ups in front of its last message go.
    virtual void ClearPopups();
    // The mission ends (the player gave up, or it is won): the results and what follows them.
    virtual void EndMission(bool giveUp);
    // The Scene let go of every entity: what the overlays drew with is gone.
    virtual void SceneReleased();
    // The hand took a unit or a building into the selection, or let it go: the HUD shows what
    // goes with it (the builder's build panel, a factory's production panel and its sound, an
    // upgrader's choices) and hides it again.
    virtual void AgentSelected(Agent* agent, bool selected);
    virtual void BuildingSelected(Building* building, bool selected);
    // The profile's achievement n was awarded: its line ("Achievement: ...") pops up.
    virtual void AchievementAwarded(const char* line, int n);
    // The mission of the galaxy's body carrying the story mission; false when no body (or no
    // galaxy) carries it.
    virtual bool StoryMissionId(int storyId, int* missionId);
    // A profile was read into the player's (from a save, or as the player's own): the galaxy
    // laid out for another player or another game is forgotten, and the bag's slots show what
    // the pilot may use.
    virtual void ProfileTaken(bool fromSave);
    // The HUD's objectives panel shown (a level starts) or hidden (the objectives are cleared).
    virtual void ShowObjectives(bool show);

    // The bag opens, or closes.
    virtual void ToggleInventory();
    // The terrain editor's last stroke undone, or the last undone one made again.
    virtual void UndoTerrainEdit(bool redo);
    // The developer's tool bar and debug text shown when hidden, hidden when shown.
    virtual void ToggleDebugTools();

    // The hand's frame: the mouse over the level turned into orders (none without screens).
    virtual void HandleMouseOrders(GameMechanics& game, float dt);
    // The rig's screen: the hand takes the bag's slot that a part taken off the rig went into
    // (a part fitted by the player's order); the pilot's skills changed.
    virtual void HoldBagSlot(int slot);
    virtual void SkillsChanged();
    // An upgrader's panel shows its choices as the upgrader stands now.
    virtual void RefreshUpgrade(Building* upgrader);
    // A factory's queue changed: its build buttons show it.
    virtual void BuildQueueChanged(Building* factory);

    // A replay and the front end. The front end's mission being recorded: its kind, id and
    // name go into the header (left as they are for a mission the front end did not choose).
    virtual void NameReplayMission(ReplayHeader& header);
    // A replay's profile put in the player's place; the player's own back (by name, or a new
    // player's start when there is none), and with screens the galaxy made again from it.
    virtual void TakeReplayProfile(const std::string& text);
    virtual void GiveBackProfile(const std::string& name, bool loaded);
    // Whether the missions' requirements are ignored (the developer's switch), and set.
    virtual bool RequirementsIgnored();
    virtual void SetRequirementsIgnored(bool ignored);
    // The replay's mission started as its header says: the world's own start of a story
    // mission or a level of no mission (mechanics/MissionStart.h); with screens through the
    // front end, which also makes a galaxy's body again.
    virtual void StartReplayMission(const ReplayHeader& header);
    // A replay's word to the viewer in the message dialog (the log has it anyway).
    virtual void SayAboutReplay(const std::string& text);
    // The viewer left a replay: the game's windows close and the list of replays comes back.
    virtual void ShowReplayList();

private:
    bool missionFailed_ = false;
};

// The answers in use: the level's own until the interface or a test puts its own here.
extern ScreenHooks* TheScreenHooks;
