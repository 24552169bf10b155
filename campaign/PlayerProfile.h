#pragma once
// The player's persistent record: name, experience and level, skills, credits, completed
// missions, achievements, statistics, the unlocked units and buildings, the rig with its
// chassis, pilot and paint, and (through the inventory) what the player carries. One profile
// is current (GetPlayerProfile); it is written as a plain-text profile file, one per player in
// the profiles folder and one in every save game, and read back by the same reader, which also
// reads data/scripts/default_profile.cgs for a new player.
//
// A profile file is never rewritten in place: the writer fills a temporary file beside it and
// renames it over the old one, so a crash or a full disk leaves the previous profile whole.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class Agent;
class Item;
struct ChassisRecord;
class RigPart;
class ProfileReading;

constexpr int PROFILE_NAME_SIZE = 128;
constexpr int MAX_PROFILE_PATH = 600;
constexpr int PROFILE_LEVEL_MAX = 20;
constexpr int PROFILE_ACHIEVEMENTS = 25;
constexpr int PROFILE_SKILLS = 6;
constexpr int PROFILE_STATISTICS = 17;
constexpr const char* DEFAULT_PROFILE_SCRIPT = "data/scripts/default_profile.cgs";

// PlayerProfile::flags
constexpr uint32_t PROFILE_LOADED = 0x1;   // read from a file: "Continue Game" may go on
constexpr uint32_t PROFILE_STARTUP = 0x2;  // the start-up profile of the rig catalogue

// The statistics, in their order in the record and in the file.
enum ProfileStatistic : int {
    PROFILE_STAT_ENEMIES_KILLED = 0,
    PROFILE_STAT_CREATURES_KILLED,
    PROFILE_STAT_UNITS_LOST,
    PROFILE_STAT_UNITS_PRODUCED,
    PROFILE_STAT_BUILDINGS_PRODUCED,
    PROFILE_STAT_BUILDINGS_LOST,
    PROFILE_STAT_TURRET_KILLS,
    PROFILE_STAT_AIR_KILLS,
    PROFILE_STAT_RIG_KILLS,
    PROFILE_STAT_MINE_KILLS,
    PROFILE_STAT_BARREL_KILLS,
    PROFILE_STAT_HIGHEST_ORE,
    PROFILE_STAT_HIGHEST_FUEL,
    PROFILE_STAT_HIGHEST_BOT_LEVEL,
    PROFILE_STAT_HIGHEST_BOT_KILLS,
    PROFILE_STAT_GROUND_BOT_KILLS,
    PROFILE_STAT_CLOAKED_KILLS,
};
// The file keys of the statistics, in the same order.
extern const char* const PROFILE_STATISTIC_KEYS[PROFILE_STATISTICS];
// The new player's chassis.
constexpr const char* FIRST_CHASSIS = "basic";

// The experience threshold of a level: ((level - 1)^2 + 1) x 100, 0 for level 0.
int LevelThreshold(int level);
// The highest level (1..20) whose threshold the experience reaches; 0 below 100.
int LevelFromExperience(int experience);
// The experience between the level's threshold and the next one's (100 for level 0).
int ExperienceForNextLevel(int level);

// A profile name is a file name in the profiles folder: it must be non-empty, shorter than
// the name field, and hold only ASCII letters, digits, blanks, '_' and '-', so that no name,
// typed or read from a file, can reach outside that folder.
bool IsValidProfileName(const char* name);
// A save's base name follows the same rule, at most the 40 characters the save screen's name
// box takes: the save's three files stay in the profile's save folder.
constexpr int SAVE_NAME_LENGTH = 40;
bool IsValidSaveName(const char* name);
// The one place a profile's file is named: "<profiles folder>/<name>.cgs". False (out empty)
// for a name that is not valid or a path that does not fit.
bool ProfilePath(const char* name, char* out, size_t size);

class PlayerProfile {
public:
    PlayerProfile();
    ~PlayerProfile();
    PlayerProfile(const PlayerProfile&) = delete;
    PlayerProfile& operator=(const PlayerProfile&) = delete;

    // ---- Level and experience
    // Adds experience, recomputes the level and its span, and gives 2 skill points for every
    // level gained.
    void AddExperience(int amount);

    // ---- Missions
    bool IsMissionCompleted(int id) const;
    void SetMissionCompleted(int id, bool on);
    void ClearCompletedMissions();

    // ---- Achievements
    bool HasAchievement(int n) const;
    // Earns it and shows it in the achievement pop-ups with the sound "message".
    void AwardAchievement(int n);
    void CountAchievements(int* earned, int* total) const;
    // Awards what the statistics have earned; missionEnd selects the tests made at a mission's
    // end, otherwise those made during play.
    void CheckUnlocks(bool missionEnd);

    // ---- Resetting
    void ResetStatistics();
    // Everything back to nothing: counters, statistics, skills, missions, the inventory, the
    // unlocked units and buildings, the rig's equipment and weapons.
    void Clear();
    // Prepares the rig for a mission start; restore: a loaded game goes on with its saved
    // health, shields and kills.
    void ResetForMission(float startOre, float startFuel, bool restore);
    // A loaded game's rig, once its level stands, frozen and cloaked for as long as it was
    // saved; a new mission's rig is neither.
    void RestoreRigTimers();
    // The rig whole and still at the origin (at every level start).
    void ResetPlayerRig();

    // ---- Ore and fuel
    // Adds ore or fuel (a negative amount pays); the stock never falls below 0, and what is
    // gained counts towards the mission's total.
    void AddOre(float amount);
    void AddFuel(float amount);

    // ---- The rig (its parts come from the rig catalogue)
    // A new player's rig: the profile cleared, chassis "basic", pilot "default", a new
    // "Builder" agent.
    void SetDefaultRig();
    // Dresses the rig in the chassis's mesh with its body, the pilot and the canopy, then the
    // paint.
    void AttachRigParts();
    // The paint of the chassis's textures; null: the chassis's own.
    void SetRigPaint(const char* paint);

    // ---- The profile file
    // Writes the profile file (inGame adds the mission's state). The old file is replaced only
    // once the new one is wholly written; false (logged) when it cannot be written.
    bool Save(const char* path, bool inGame);
    // The profile file's text, as Save would write it.
    std::string Text(bool inGame);
    // Reads a profile file into this profile; false (logged) when it cannot be opened, and the
    // profile stays as it was. fromSave: a save game's profile, which brings its own galaxy;
    // takeCurrentMission: its current mission is taken too. A name in the file that is not a
    // valid profile name is refused (logged) and the profile keeps the name it had.
    bool Load(const char* path, bool fromSave, bool takeCurrentMission);
    // The same from a file already read: what was judged of the reading is what is loaded.
    bool Load(const ProfileReading& reading, bool fromSave, bool takeCurrentMission);
    // Loads the profile of that name from the profiles folder.
    bool LoadByName(const char* profileName);
    // Saves to the profiles folder under the profile's own name.
    bool SaveByName(bool inGame);
    // The name the screens give as the current profile: "none" until the profile was read from
    // its file (the record's own name is then a placeholder, a newcomer's).
    const char* ShownName() const { return (flags & PROFILE_LOADED) ? name : "none"; }
    // What a newcomer starts with (the shipped new-player profile: rig, pilot, weapons, kit and
    // credits), for the start-up profile a game began without a profile of its own plays with.
    // It stays the start-up profile: nothing to continue, no file of its own.
    bool TakeNewPlayerStart();

    char name[PROFILE_NAME_SIZE];
    uint32_t flags = 0;
    uint32_t completedMissions[4] = {};
    int galaxySeed = -1;
    int currentMissionId = 0;
    // The mission id of the body accepted on the galaxy map; -1 for none. Kept in the profile
    // file, so the choice outlives the program.
    int acceptedMissionId = -1;
    // How many journal entries the player has found (the story told so far).
    int backstoryCount = 0;
    int experience = 0;
    int level = 0;
    int levelSpan = 0;
    uint32_t achievements = 0;
    int statistics[PROFILE_STATISTICS] = {};
    // The mission time a loaded save goes on from (0 otherwise).
    float missionTime = 0.0f;
    float savedHealth = 0.0f;
    float savedShields = 0.0f;
    float freezeTime = 0.0f;
    float cooldownTime = 0.0f;
    float cloakedTime = 0.0f;
    int skills[PROFILE_SKILLS] = {};
    int skillPoints = 0;
    ChassisRecord* chassis = nullptr;
    Agent* rig = nullptr;  // owned
    RigPart* pilot = nullptr;
    char rigPaint[32];
    int spare = 0;
    // Credits to spend in the shop.
    int credits = 0;
    // The player's stock, and what was gained in the whole mission.
    float ore = 0.0f;
    float fuel = 0.0f;
    float oreGained = 0.0f;
    float fuelGained = 0.0f;
    // Unit control: how many bots the player may command now, what a mission starts with, the
    // upper bound (the configuration's), and how many are in use. The Scene recounts the first
    // and the last every playing frame.
    int unitControl = 2;
    int baseUnitControl = 2;
    int maxUnitControl = 50;
    int unitsInUse = 0;

    // The statistic of that file key (any case); null for a key that names none.
    int* FindStatistic(const char* key);
    // Shorthands for the statistics the game counts most.
    int& enemiesKilled() { return statistics[PROFILE_STAT_ENEMIES_KILLED]; }
    int& unitsLost() { return statistics[PROFILE_STAT_UNITS_LOST]; }

private:
    // Counters back to a new profile's, without touching the inventory or the definitions.
    void ClearRecord();
    // What Clear does beyond the record: the inventory, the unlocks and the rig's gear.
    void ClearHoldings();
};

// Hangs a new item of that definition on the rig at the bone, under the slot's name ("leftweapon"
// at "LeftWeapon", "rightweapon" at "RightWeapon"); what hung there goes. Null (nothing
// changed) without a rig or such an item, or when the rig has no room for it.
Item* AttachRigWeapon(Agent* rig, const char* itemName, const char* slot, const char* bone);

// One key of a profile file with the values the reader took after it.
struct ProfileLine {
    const char* key = nullptr;  // as the reader's key table spells it
    int line = 0;
    std::string text;                  // a word, or the rest of the line
    int numbers[PROFILE_SKILLS] = {};  // whole numbers, in their order
    float reals[2] = {};
    uint32_t words[4] = {};  // a flag word, or the mission blocks
};

// A profile file as PlayerProfile::Load takes it: one walk over the text with the reader's own
// key table, so that whatever judges a profile before or without loading it (a save's mission,
// the save list's header) sees exactly the keys and values the load takes. A word stands in a
// key's place wherever the values before it end, on a line of its own or not; words no key
// names are passed over.
class ProfileReading {
public:
    // Reads the file; false (logged) when it cannot be opened. quiet: as Take.
    bool Read(const char* path, bool quiet = false);
    // The text of a file of that name; quiet: values that are no numbers are not logged.
    void Take(const std::string& text, const char* path, bool quiet = false);
    // The last line of that key (a key given twice counts as the reader takes it: its last
    // line); null when the file has none.
    const ProfileLine* Last(const char* key) const;
    int Int(const char* key, int absent) const;
    std::string Text(const char* key) const;
    // The profile's name as the load takes it: the last name line that is a profile name, else
    // the file's own name; empty when neither is one.
    std::string Name() const;
    // The chassis the load dresses the rig in: the last chassis line's, or the new player's for
    // one the rigs do not know; empty when the file names none.
    std::string Chassis() const;

    std::string path;
    std::vector<ProfileLine> lines;
};

// The current profile: the rig catalogue's current one, or the start-up stand-in before the
// catalogue has made one.
PlayerProfile* GetPlayerProfile();
// The current profile's rig; null when there is none.
Agent* GetPlayerRig();
