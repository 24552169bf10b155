#pragma once
// The galaxy of the campaign, its mission picker: a seeded set of star systems, each a tree of
// celestial bodies (the star at the root, its planets as children, each planet's moons as
// the planet's children). Every planet and moon that carries a mission is one pickable
// mission, known by its mission id; the player profile keeps which ids are completed.
//
// The same seed always gives the same galaxy: a profile stores only the seed. Every draw of
// the generation comes from the game's one generator (host/Random.h), in a fixed order.
#include "host/Maths.h"

#include <cstdint>
#include <string>
#include <vector>

class Button;
class Effect;
class Entity;
class GuiMeter;
class IndexedMesh;
class Label;
class ModelViewer;
class Sprite;
class Window;
struct MissionRecord;
struct TextureRecord;

// The random mission a body carries when it has no story mission.
struct RandomMissionBlock {
    int faction = 0;   // 0 guild, 1 military, 2 corporate, 3 science
    int category = 0;  // MissionCategory
    char target[64] = "none";
    int count = 0;
    char verb[64] = "none";
    int creditReward = 0;
    int experienceReward = 0;
};

enum MissionCategory {
    MISSION_ELIMINATE = 0,
    MISSION_DESTROY = 1,
    MISSION_CLEAR = 2,
    MISSION_REPAIR = 3,
    MISSION_COLLECT = 4,
    MISSION_PROSPECT = 5,
    MISSION_BUILD = 6,
};

// The planets' environments, in the order of their surfaces.
enum BodyEnvironment {
    BODY_FOREST = 0,
    BODY_DESERT = 1,
    BODY_FALL = 2,
    BODY_MARSH = 3,
    BODY_WINTER = 4,
    BODY_MOON = 5,
    BODY_ALIEN = 6,
    BODY_LAVA = 7,
    BODY_ENVIRONMENT_COUNT = 8,
};
// The name of a body's environment ("forest" ...), "forest" outside the table.
const char* BodyEnvironmentName(int environment);
// The environment of a name (case ignored); 0 for an unknown name.
int BodyEnvironmentFromName(const char* name);

class CelestialBody {
public:
    CelestialBody() { Init(); }
    // The fresh body: no mission, no story, no children. Leaves a child tree alone.
    void Init();

    int CountPlanets() const;
    bool IsGasGiant() const { return gasGiant > 0; }
    void GetEnvironmentColour(float out[4]) const;
    // Moves the body along its orbit and spins it by dt seconds, then its children.
    void UpdateTransform(float dt);
    // The body of this tree under the mouse, or null. A marker under the mouse names its body
    // before any world does: a moon's diamond drawn over its planet picks the moon.
    CelestialBody* HitTest(float mouseX, float mouseY);
    // The surface's ocean and cloud variants for its environment (draws from the generator).
    void PickSurface();
    // Appends a child at the end of the child chain.
    void AppendChild(CelestialBody* child);

    char name[64];
    int systemIndex;
    int8_t environment;
    int levelMin;
    int levelMax;
    int storyId;
    int missionId;
    int completed;
    int levelSeed;
    int levelStamp;
    RandomMissionBlock mission;
    int starType;
    int gasGiant;
    int ringed;
    float scale;
    float spinSpeed;
    float orbitRadius;
    float orbitSpeed;
    float orbitAngle;
    float extent;
    int surface[3];
    Matrix world;
    float spinAngle;
    Vec3 position;
    CelestialBody* parent;
    CelestialBody* firstChild;
    CelestialBody* nextSibling;

private:
    // The first body of this tree whose marker (markers true) or whose globe the ray meets.
    CelestialBody* HitAlong(const Vec3& from, const Vec3& direction, bool markers);
};

// The markers over bodies: a mission the player may take, one done, one still locked.
enum BodyMarker {
    MARKER_NONE = -1,
    MARKER_AVAILABLE = 0,
    MARKER_COMPLETED = 1,
    MARKER_LOCKED = 2,
};
// In a star system a body's marker floats this far above its surface, this wide.
constexpr float SYSTEM_MARKER_LIFT = 0.15f, SYSTEM_MARKER_SIZE = 0.25f;
// A system's marker on the galaxy map: above the system's star, by this much and this large.
constexpr float GALAXY_MARKER_LIFT = 0.5f, GALAXY_MARKER_SIZE = 0.5f;

// The planet panel: the briefing of one mission body with its picture, faction, giver,
// rewards and the "Accept" and "Close" buttons.
struct PlanetPanel {
    Window* frame = nullptr;
    Button* environmentPicture = nullptr;
    Label* planetLabel = nullptr;
    Label* environmentLabel = nullptr;
    ModelViewer* preview = nullptr;
    Button* crest = nullptr;
    Label* nameLabel = nullptr;
    Label* factionLabel = nullptr;
    Label* levelLabel = nullptr;
    Label* objectivesLabel = nullptr;
    Label* descLabel = nullptr;
    ModelViewer* giverPreview = nullptr;
    Label* giverLabel = nullptr;
    Button* briefingBacking = nullptr;
    Label* briefingLabel = nullptr;
    Button* upArrow = nullptr;
    Button* downArrow = nullptr;
    Button* acceptButton = nullptr;
    Button* closeButton = nullptr;
    int firstLine = 0;
    int lineCount = 0;
    // The briefing's lines the box holds at once, as the heading above it leaves it.
    int linesShown = 1;
    // Where the heading's lower lines and the briefing box stand when the name takes one line,
    // and where the box ends.
    int objectivesTop = 0;
    int briefingTop = 0;
    int briefingBottom = 0;
    bool accessible = false;
};

class Galaxy {
public:
    static constexpr int MAX_SYSTEMS = 100;
    // The galaxy holds at least this many missions.
    static constexpr int MISSION_TARGET = 100;
    static constexpr int LEVEL_COUNT = 11;

    Galaxy();
    ~Galaxy();
    Galaxy(const Galaxy&) = delete;
    Galaxy& operator=(const Galaxy&) = delete;

    // No systems and no seed; frees the planets and moons (and greys the screen's briefing
    // button: GalaxyScreen.cpp).
    void Reset();
    // The same for the galaxy alone.
    void ForgetSystems();
    // Builds the galaxy from seed (-1: a new seed from the clock) and returns the seed used.
    // Systems already laid out stay as they are.
    int Generate(int seed);
    void GenerateLayout(bool spawnBackdrop);
    void GenerateStarSystem(int index, bool spawnBackdrop);

    void ClearSelection();
    // The body becomes the mission waiting to be started (the "Accept" of the planet panel),
    // and the profile remembers it.
    void AcceptBody(CelestialBody* body);
    // The mission the profile had accepted, waiting again: when nothing is selected and that
    // body is still open and not done.
    void RestoreAcceptedMission();
    void RefreshCompleted();
    void CountMissions(int* completed, int* total) const;
    CelestialBody* FindBodyByStoryId(int id);
    // Marks the player's mission of the body carrying that story mission (and the body);
    // nothing when the galaxy has no such body.
    void SetStoryMissionCompleted(int storyId, bool on);
    CelestialBody* FindBodyByMissionId(int id);
    // One draw of the generator: tells whether the level generated for the selected body made
    // the same draws as the first time it was generated.
    bool CheckLevelStamp();
    // The selected body's mission made current: a random mission fills the catalogue's scratch
    // record, a story mission takes the body's level seed. Null (nothing done) without a
    // selected body or below its level.
    MissionRecord* TakeSelectedMission();
    // Starts the selected body's mission (GalaxyScreen.cpp): it is made current, the map
    // closes, and the level is requested with its seed: anew when fromClick, restoring the
    // loaded rig otherwise (a loaded game). False (nothing done) without a selected body or
    // below its level.
    bool StartSelectedMission(bool fromClick);
    // A planet or moon carrying a random mission the player may play (its level reached, not
    // completed), of that environment (-1: any), drawn at random from the systems open to the
    // player; its system is shown. Null when there is none.
    CelestialBody* PickMissionBody(int environment);

    // ---- Drawing (GalaxyRender.cpp)
    // The planet meshes and textures (once), then the screen's windows and the overlay sprites.
    void LoadPlanetAssets();
    // Frees what LoadPlanetAssets made (shutdown, before the device goes).
    void ReleasePlanetAssets();
    // Moves the bodies on by the frame's time and steps the backdrop.
    void Update();
    // Draws the backdrop and the bodies of the shown view with the galaxy's own camera.
    void Render();
    // The marker a star system shows in galaxy view.
    BodyMarker GalaxyMarker(CelestialBody* root);
    // The marker a body shows in system view.
    BodyMarker SystemMarker(CelestialBody* body);

    // ---- The map screen (GalaxyScreen.cpp)
    void CreateGui();
    // The mouse on the map: hovering, picking, entering a system. True when it took the mouse.
    bool HandleInput();
    void SetGalaxyView(bool on);
    // The screen's title and controls as the current view wants them.
    void ApplyViewLayout();
    // Whether a mission body may be played now.
    bool CanAccess(const CelestialBody* body) const;
    // The slanted shape of the start-mission button under the mouse.
    static bool IsInStartButton();
    void FitSystemCamera();
    void UpdateStartButton(float dt);
    // A left press on a body: true for a double click (the same body again within 0.3 s).
    bool RegisterClick(CelestialBody* hit);
    // Shows or hides the galaxy's windows (the map screen, never the planet panel on its own).
    void ShowScreen(bool on);
    // Deletes the screen's windows (with the galaxy).
    void ReleaseGui();
    // A window of the screen, deleted with it.
    template <class W> W* Keep(W* window)
    {
        ownedWindows.push_back(window);
        return window;
    }

    // ---- The planet panel and the texts (GalaxyPanel.cpp)
    void CreatePlanetPanel();
    void RefreshPlanetPanel();
    // The panel of a body the player may not take yet.
    void DrawPlanetPanel();
    void DrawFactionCrest(const char* factionKey, bool chief);
    // The briefing one line further (down) or back (up), the arrows following.
    void ScrollBriefing(bool down);
    void DrawInfoPanel();
    void BuildTooltip(CelestialBody* body);
    // Where a tooltip box of that size goes beside the mouse: below and to the right, or on
    // another side of it where that would cover the open briefing; false (no tooltip) where
    // every side would.
    bool PlaceTooltip(int mouseX, int mouseY, int boxW, int boxH, int* x, int* y) const;
    // The tooltip's text of a body.
    std::string TooltipText(const CelestialBody* body) const;
    // The in-game overlay of the current mission (the loading screen draws it).
    void DrawMissionInfo();
    bool PlanetPanelShown() const;
    // The point lies on the shown planet panel (its window is frameless: the window manager
    // does not count it).
    bool IsPointOverPanel(int x, int y) const;

    CelestialBody systems[MAX_SYSTEMS];
    int count = 0;
    int seed = -1;
    int galaxyView = 1;
    int selectedSystem = -1;
    CelestialBody* hoveredBody = nullptr;
    CelestialBody* clickedBody = nullptr;
    CelestialBody* selectedBody = nullptr;
    CelestialBody* infoBody = nullptr;
    float timeScale = 0.5f;
    float cameraDistance = 15.0f;
    float cameraTargetDistance = 15.0f;
    float panX = 0.0f, panY = 0.0f;
    Matrix viewMatrix;  // the galaxy camera's view, used while picking
    int showOrbits = 1;
    float starColours[8][4];

    // The galaxy camera's projection and viewport while picking.
    Matrix projectionMatrix;
    bool cameraSet = false;
    float clickTimer = 0.0f;
    float blinkTimer = 1.0f;

    // Drawing resources.
    bool assetsLoaded = false;
    IndexedMesh* planetMesh = nullptr;
    IndexedMesh* ringMesh = nullptr;
    IndexedMesh* selectedMesh = nullptr;
    IndexedMesh* orbitRing = nullptr;
    IndexedMesh* markers[3] = {};
    IndexedMesh* previewMesh = nullptr;
    Entity* previewEntity = nullptr;
    TextureRecord* surfaceTextures[BODY_ENVIRONMENT_COUNT] = {};
    TextureRecord* oceanTextures[7] = {};
    TextureRecord* cloudTextures[4] = {};
    TextureRecord* gasGiantTexture = nullptr;
    TextureRecord* sunTexture = nullptr;
    Effect* starEffect = nullptr;
    Effect* planetEffect = nullptr;
    Effect* gasGiantEffect = nullptr;
    Sprite* environmentSprite = nullptr;
    Sprite* environmentFrame = nullptr;

    // The map screen's windows, all with one window id.
    int windowId = -1;
    Window* container = nullptr;
    Button* titleBanner = nullptr;
    Button* currentBriefingButton = nullptr;
    Button* missionBriefingButton = nullptr;
    Button* startButton = nullptr;
    Sprite* tooltipFrames[2] = {};
    Sprite* tooltipMeterBack = nullptr;
    Sprite* tooltipMeter = nullptr;
    PlanetPanel panel;
    // The backdrop is spawned only while the map screen shows.
    bool backdropShown = false;
    std::vector<Window*> ownedWindows;

private:
    // The spiral of systems, each with its planets and moons.
    void LayOut();
    void MakeStarSystem(CelestialBody& root);
};

// The "Current\nBriefing" button with nothing accepted: grey and disabled.
void GreyCurrentBriefing(Button* button);

// An atlas cell of a sheet of columns x rows.
constexpr int AtlasCellCode(int columns, int rows, int column, int row)
{
    return columns << 24 | rows << 16 | column << 8 | row;
}

// The map screen's buttons. Those with a value take 1 for "open" and 0 for "close".
int OnAcceptMission(void* user, Button* button);
int OnMissionBriefing(void* user, Button* button);
int OnCurrentBriefing(void* user, Button* button);
int OnZoomIn(void* user, Button* button);
int OnZoomOut(void* user, Button* button);
int OnFrameSystem(void* user, Button* button);
int OnToggleOrbits(void* user, Button* button);
int OnShopManageRig(void* user, Button* button);
// The briefing's arrows: value 1 one line down, else one line up.
int OnScrollBriefing(void* user, Button* button);

// The console's "ignore": every mission may be played, whatever its requirements.
extern bool MissionRequirementsIgnored;

// The darkening of a moon passing behind its planet: within 30 degrees of the planet's orbital
// angle a moon's light is scaled by the returned alpha (0.2 right behind it up to 1); false
// (alpha untouched) further off.
bool MoonShadeAlpha(float moonAngle, float planetAngle, float* alpha);
// Whether the map takes a point of a w x h screen: not the bottom band, not the control
// panels behind their slanted upper edges.
bool GalaxyMapTakesPoint(int x, int y, int w, int h);
// Whether the start-mission button takes a point: inside it, beyond its cut upper-left corner.
bool StartButtonTakesPoint(int x, int y, int w, int h);
// The body whose tooltip shows: the hovered one, else the last one hovered for 0.3 seconds
// after the mouse left it. dt is the frame's time.
CelestialBody* TooltipBody(CelestialBody* hovered, float dt);
// Forgets the lingering tooltip (the view changed).
void ClearTooltipLinger();

// The galaxy of the campaign; null until the front end makes it.
extern Galaxy* TheGalaxy;

// What the generation counts, shared with the random missions and the planet panel.
extern int NextMissionId;
extern int NextStoryIndex;
extern int MissionsPerLevel[Galaxy::LEVEL_COUNT];
extern int RandomRewardSum;

// All the bodies of a tree with a mission, and how many of them are completed.
void CountMissionBodies(const CelestialBody* tree, int* total, int* completed);

// The mission's title a body carries: the catalogue's name of a story mission, the objective
// line of a random one.
std::string MissionTitle(const CelestialBody* body);

// The story mission index of the body selected on the galaxy map; -1 when there is no galaxy,
// nothing is selected or the body carries a random mission. The level reads it through its
// ScreenHooks (SelectedStoryId).
int GetSelectedStoryId();
