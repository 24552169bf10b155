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
    // The first body of this tree under the mouse, or null.
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

    // No systems and no seed; frees the planets and moons.
    void Reset();
    // Builds the galaxy from seed (-1: a new seed from the clock) and returns the seed used.
    // Systems already laid out stay as they are.
    int Generate(int seed);
    void GenerateLayout(bool spawnBackdrop);
    void GenerateStarSystem(int index, bool spawnBackdrop);

    void ClearSelection();
    void RefreshCompleted();
    void CountMissions(int* completed, int* total) const;
    CelestialBody* FindBodyByStoryId(int id);
    CelestialBody* FindBodyByMissionId(int id);
    // One draw of the generator: tells whether the level generated for the selected body made
    // the same draws as the first time it was generated.
    bool CheckLevelStamp();
    // Starts the selected body's mission: a random mission fills the mission screen's scratch
    // record, a story mission takes the body's level seed; the level is then requested with
    // that seed: anew when fromClick, restoring the loaded rig otherwise (a loaded game). False
    // (nothing done) without a selected body or below its level.
    bool StartSelectedMission(bool fromClick);
    // A planet or moon carrying a random mission the player may play (its level reached, not
    // completed), of that environment (-1: any), drawn at random from the systems open to the
    // player; its system is shown. Null when there is none.
    CelestialBody* PickMissionBody(int environment);
    // The story mission index of the selected body of the galaxy in play; -1 when there is no
    // galaxy, nothing is selected or the body carries a random mission.
    static int GetSelectedStoryId();

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
};

// The galaxy of the campaign; null until the front end makes it.
extern Galaxy* TheGalaxy;

// What the generation counts, shared with the random missions and the planet panel.
extern int NextMissionId;
extern int NextStoryIndex;
extern int MissionsPerLevel[Galaxy::LEVEL_COUNT];
extern int RandomRewardSum;

// All the bodies of a tree with a mission, and how many of them are completed.
void CountMissionBodies(const CelestialBody* tree, int* total, int* completed);
