#include "campaign/PlayerProfile.h"

#include "campaign/MissionCatalogue.h"
#include "campaign/RigCatalog.h"
#include "host/Log.h"
#include "host/System.h"
#include "host/WorldGuard.h"
#include "mechanics/Bag.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Replay.h"
#include "mechanics/Scene.h"
#include "mechanics/ScreenHooks.h"
#include "platform/ConfigFile.h"
#include "platform/Files.h"
#include "platform/GameSeam.h"
#include "platform/StringTable.h"
#include "platform/UserFolders.h"
#include "world/Agent.h"
#include "world/AgentCombat.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Item.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

const char* const PROFILE_STATISTIC_KEYS[PROFILE_STATISTICS] = {
    "enemiesKilled", "creaturesKilled", "unitsLost",    "unitsProduced",   "buildingsProduced", "buildingsLost",
    "turretKills",   "airKills",        "rigKills",     "mineKills",       "barrelKills",       "highestOre",
    "highestFuel",   "highestBotLevel", "highestBotKills", "groundBotKills", "cloakedKills",
};

namespace {

// Until the rig catalogue makes the first profile, the game's readers still find one.
PlayerProfile StandInProfile;

int ConfiguredMaxUnitControl()
{
    return Config ? Config->MaxUnitControl : 50;
}

// Items on the rig whose names hold "scav": what its weapons hold and what it has equipped.
int CountScavengerItems(const Agent* rig)
{
    if (!rig) return 0;
    int count = 0;
    for (int i = 0; i < rig->attachmentCount; ++i) {
        const Entity* held = rig->attachments[i].entity;
        if (held && (held->flags & ENTITY_ITEM) && strstr(held->name, "scav")) ++count;
    }
    for (int slot = 0; slot < AGENT_EQUIPMENT_SLOTS; ++slot) {
        const Item* item = rig->GetEquippedItem(slot);
        if (item && strstr(item->name, "scav")) ++count;
    }
    return count;
}

// A stock as a whole number; a stock past what a statistic can hold counts as the most it can.
int WholeStock(float amount)
{
    if (!(amount > 0.0f)) return 0;
    return amount >= 2147483520.0f ? 2147483520 : (int)amount;
}

void ShowNotice(const char* text)
{
    TellPlayer(text, 5.0f);
}

}  // namespace

// ---- Level curve

int LevelThreshold(int level)
{
    if (level <= 0) return 0;
    return ((level - 1) * (level - 1) + 1) * 100;
}

int LevelFromExperience(int experience)
{
    int level = 0;
    for (int k = 1; k <= PROFILE_LEVEL_MAX; ++k)
        if (LevelThreshold(k) <= experience) level = k;
    return level;
}

int ExperienceForNextLevel(int level)
{
    if (level <= 0) return 100;
    return LevelThreshold(level + 1) - LevelThreshold(level);
}

// ---- Names and paths

namespace {

// Non-empty, at most maxLength characters, each an ASCII letter, a digit, a blank, '_' or '-'.
bool IsPlainName(const char* name, size_t maxLength)
{
    if (!name || !*name) return false;
    if (strlen(name) > maxLength) return false;
    for (const unsigned char* p = (const unsigned char*)name; *p; ++p) {
        unsigned char c = *p;
        bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        bool digit = c >= '0' && c <= '9';
        if (!letter && !digit && c != ' ' && c != '_' && c != '-') return false;
    }
    return true;
}

}  // namespace

bool IsValidProfileName(const char* name)
{
    return IsPlainName(name, (size_t)PROFILE_NAME_SIZE - 1);
}

bool IsValidSaveName(const char* name)
{
    return IsPlainName(name, (size_t)SAVE_NAME_LENGTH);
}

bool ProfilePath(const char* name, char* out, size_t size)
{
    if (!out || size == 0) return false;
    out[0] = 0;
    if (!IsValidProfileName(name)) {
        Log("ERROR: '%s' is not a profile name\n", name ? name : "");
        return false;
    }
    int written = snprintf(out, size, "%s/%s.cgs", ProfilesFolder, name);
    if (written < 0 || (size_t)written >= size) {
        out[0] = 0;
        return false;
    }
    return true;
}

// ---- The record

PlayerProfile::PlayerProfile()
{
    CopyText(name, sizeof name, "new player");
    CopyText(rigPaint, sizeof rigPaint, "none");
    maxUnitControl = ConfiguredMaxUnitControl();
}

PlayerProfile::~PlayerProfile()
{
    // The rig's modules are the profile's: the rig lets them go without freeing them.
    if (rig)
        for (int slot = 0; slot < AGENT_EQUIPMENT_SLOTS; ++slot) delete rig->UnequipItem(slot);
    delete rig;
}

void PlayerProfile::AddExperience(int amount)
{
    int oldLevel = level;
    // A hand-edited file may hold any number: the sum stays within what the field holds.
    long long total = (long long)experience + amount;
    experience = total > INT_MAX ? INT_MAX : total < INT_MIN ? INT_MIN : (int)total;
    level = LevelFromExperience(experience);
    levelSpan = ExperienceForNextLevel(level);
    if (level > oldLevel) skillPoints += 2 * (level - oldLevel);
}

bool PlayerProfile::IsMissionCompleted(int id) const
{
    if (id < 0 || id >= 128) return false;
    return (completedMissions[id / 32] >> (id % 32)) & 1u;
}

void PlayerProfile::SetMissionCompleted(int id, bool on)
{
    if (id < 0 || id >= 128) return;
    if (on)
        completedMissions[id / 32] |= 1u << (id % 32);
    else
        completedMissions[id / 32] &= ~(1u << (id % 32));
}

void PlayerProfile::ClearCompletedMissions()
{
    for (uint32_t& bits : completedMissions) bits = 0;
}

bool PlayerProfile::HasAchievement(int n) const
{
    return (achievements >> ((unsigned)n % 32u)) & 1u;
}

void PlayerProfile::AwardAchievement(int n)
{
    if (n < 0 || n >= 32) return;
    achievements |= 1u << n;
    char tag[32];
    snprintf(tag, sizeof tag, "<achieve_%d>", n + 1);
    const char* text = Strings ? Strings->Lookup(tag) : nullptr;
    char line[128];
    snprintf(line, sizeof line, "Achievement: %s", text ? text : "invalid");
    if (TheScreenHooks) TheScreenHooks->AchievementAwarded(line, n);
}

void PlayerProfile::CountAchievements(int* earned, int* total) const
{
    int count = 0;
    for (int n = 0; n < PROFILE_ACHIEVEMENTS; ++n)
        if (HasAchievement(n)) ++count;
    if (earned) *earned = count;
    if (total) *total = PROFILE_ACHIEVEMENTS;
}

void PlayerProfile::CheckUnlocks(bool missionEnd)
{
    int before = 0;
    CountAchievements(&before, nullptr);
    int* s = statistics;
    if (!missionEnd) {
        if (WholeStock(ore) > s[PROFILE_STAT_HIGHEST_ORE]) s[PROFILE_STAT_HIGHEST_ORE] = WholeStock(ore);
        if (WholeStock(fuel) > s[PROFILE_STAT_HIGHEST_FUEL]) s[PROFILE_STAT_HIGHEST_FUEL] = WholeStock(fuel);
    }
    const int killed = s[PROFILE_STAT_ENEMIES_KILLED];
    // when: 0 always, 1 only at a mission's end, 2 only during play.
    auto test = [&](int n, int when, bool condition, const char* notice) {
        if (HasAchievement(n)) return;
        if (when == 1 && !missionEnd) return;
        if (when == 2 && missionEnd) return;
        if (!condition) return;
        AwardAchievement(n);
        if (notice) ShowNotice(notice);
    };
    const char* shopNotice = "New item unlocked in shop!";
    test(0, 1, s[PROFILE_STAT_HIGHEST_ORE] > 5000, nullptr);
    test(1, 1, s[PROFILE_STAT_HIGHEST_FUEL] > 5000, nullptr);
    test(2, 0, killed > 50, nullptr);
    test(3, 0, s[PROFILE_STAT_HIGHEST_BOT_LEVEL] > 9, shopNotice);
    test(4, 0, s[PROFILE_STAT_CREATURES_KILLED] > 30, shopNotice);
    test(5, 1, s[PROFILE_STAT_TURRET_KILLS] == killed && killed > 0, nullptr);
    test(6, 1, s[PROFILE_STAT_RIG_KILLS] == killed && killed > 0, "Camo rig skin unlocked!");
    test(7, 1, s[PROFILE_STAT_AIR_KILLS] == killed && killed > 0, nullptr);
    test(8, 1, killed == 0, nullptr);
    test(9, 0, s[PROFILE_STAT_BUILDINGS_PRODUCED] > 30, nullptr);
    test(10, 0, (long long)s[PROFILE_STAT_UNITS_PRODUCED] - s[PROFILE_STAT_UNITS_LOST] >= maxUnitControl, nullptr);
    if (missionEnd && !HasAchievement(11) && TheScreenHooks && MissionCatalogue::missionCount > 0) {
        int last = -1;
        const bool found = TheScreenHooks->StoryMissionId(MissionCatalogue::missionCount - 1, &last);
        test(11, 1, found && IsMissionCompleted(last), nullptr);
    }
    test(12, 0, level >= 10, nullptr);
    test(13, 0, s[PROFILE_STAT_MINE_KILLS] > 30, nullptr);
    test(14, 0, s[PROFILE_STAT_BARREL_KILLS] >= 4, nullptr);
    // With no journal in the tables there is nothing to have read.
    const int journal = CountJournalEntries();
    test(15, 0, journal > 0 && backstoryCount == journal, nullptr);
    test(16, 0, CountScavengerItems(rig) == 5, "Scavenger rig skin unlocked!");
    test(17, 0, PlayerBag->IsFull(), nullptr);
    test(18, 2, TheScene.FirstInList(SEGMENT_RESOURCE) == nullptr, nullptr);
    test(19, 1, killed != 0 && s[PROFILE_STAT_CLOAKED_KILLS] == killed, shopNotice);
    int after = 0;
    CountAchievements(&after, nullptr);
    if (before < 4 && after >= 4) ShowNotice("Racing rig skin unlocked!");
}

// ---- Resetting

int* PlayerProfile::FindStatistic(const char* key)
{
    if (!key) return nullptr;
    for (int i = 0; i < PROFILE_STATISTICS; ++i)
        if (StrICmp(PROFILE_STATISTIC_KEYS[i], key) == 0) return &statistics[i];
    return nullptr;
}

void PlayerProfile::ResetStatistics()
{
    for (int& value : statistics) value = 0;
    missionTime = savedHealth = savedShields = 0.0f;
    freezeTime = cooldownTime = cloakedTime = 0.0f;
    oreGained = fuelGained = 0.0f;
}

void PlayerProfile::ClearRecord()
{
    CopyText(name, sizeof name, "none");
    flags = 0;
    experience = level = levelSpan = 0;
    achievements = 0;
    backstoryCount = 0;
    spare = credits = unitsInUse = 0;
    ore = fuel = 0.0f;
    unitControl = baseUnitControl = 2;
    maxUnitControl = ConfiguredMaxUnitControl();
    CopyText(rigPaint, sizeof rigPaint, "none");
    ResetStatistics();
    for (int& points : skills) points = 0;
    skillPoints = 0;
    ClearCompletedMissions();
    galaxySeed = -1;
    currentMissionId = 0;
    acceptedMissionId = -1;
}

void PlayerProfile::ClearHoldings()
{
    PlayerBag->Clear();
    if (TheGame && TheGame->agentTypes) TheGame->agentTypes->ClearPlayerTypesBit4();
    if (TheGame && TheGame->buildItems) TheGame->buildItems->ClearMarks();
    if (!rig) return;
    // The rig's gear goes with the profile: its weapons were made for it.
    for (const char* slot : {"leftweapon", "rightweapon"}) {
        Entity* held = rig->RemoveAttachment(slot);
        if (held && (held->flags & ENTITY_ITEM)) delete held;
    }
    for (int slot = 0; slot < AGENT_EQUIPMENT_SLOTS; ++slot) delete rig->UnequipItem(slot);
    rig->SetPosition(Vec3());
    rig->velocity = Vec3();
    rig->currentSpeed = 0.0f;
    rig->yaw = rig->targetYaw = 0.0f;
    MatrixIdentity(&rig->rotation);
}

void PlayerProfile::Clear()
{
    ClearRecord();
    ClearHoldings();
}

void PlayerProfile::ResetForMission(float startOre, float startFuel, bool restore)
{
    unitControl = baseUnitControl;
    if (!restore) {
        unitsInUse = 0;
        ore = startOre;
        fuel = startFuel;
        statistics[PROFILE_STAT_ENEMIES_KILLED] = 0;
        statistics[PROFILE_STAT_UNITS_LOST] = 0;
        // The rig's kills are this mission's, as the enemies killed are: the results and the
        // rig's panel show the same count, and a game loaded gives the rig the count it saved.
        statistics[PROFILE_STAT_RIG_KILLS] = 0;
    }
    cooldownTime = 0.0f;
    if (!restore) freezeTime = cloakedTime = 0.0f;
    if (!rig) return;
    // What the rig had of the level before (what burns on it, its timers, its moves) goes when
    // the next level starts (Agent::ResetLevelState); the profile gives it its hull and its
    // count of kills, as saved or whole.
    if (!restore) {
        rig->kills = 0;
        rig->MakeWhole();
    } else {
        rig->kills = statistics[PROFILE_STAT_RIG_KILLS];
        rig->MakeWhole();
        if (savedHealth > 0.0f) rig->health = savedHealth;
        rig->shield = savedShields;
    }
    if (rig->HasEquippedFlag(ITEM_UPGRADE_SHIELDS))
        rig->flags |= ENTITY_SHIELD;
    else
        rig->flags &= ~ENTITY_SHIELD;
}

void PlayerProfile::RestoreRigTimers()
{
    if (!rig) return;
    rig->freezeTime = freezeTime > 0.0f ? freezeTime : 0.0f;
    rig->cloakTime = cloakedTime > 0.0f ? cloakedTime : 0.0f;
    // Cloaked while its cloak lasts, as the cannister left it.
    if (rig->cloakTime > 0.0f)
        rig->classWord |= AGENT_CLOAKED;
    else
        rig->classWord &= ~AGENT_CLOAKED;
}

void PlayerProfile::ResetPlayerRig()
{
    if (!rig) return;
    rig->MakeWhole();
    rig->SetPosition(Vec3());
    rig->velocity = Vec3();
    rig->currentSpeed = 0.0f;
    rig->yaw = rig->targetYaw = 0.0f;
    MatrixIdentity(&rig->rotation);
    rig->cloakTime = 0.0f;
    rig->classWord &= ~AGENT_CLOAKED;
}

void PlayerProfile::AddOre(float amount)
{
    WORLD_CHANGE("the ore changed");
    ore += amount;
    if (ore < 0.0f) ore = 0.0f;
    if (amount > 0.0f) oreGained += amount;
}

void PlayerProfile::AddFuel(float amount)
{
    WORLD_CHANGE("the fuel changed");
    fuel += amount;
    if (fuel < 0.0f) fuel = 0.0f;
    if (amount > 0.0f) fuelGained += amount;
}

// ---- The profile file's writer (its reader is the campaign's: campaign/ProfileFile.cpp)

namespace {

// The item's own lines after the line that names it.
void WriteItemLines(FILE* file, const Item* item)
{
    // Flag words go out signed, as the reader takes them back whole.
    fprintf(file, "item_upgradeFlags\t%d\n", (int)item->upgradeFlags);
    fprintf(file, "item_specialFlags\t%d\n", (int)item->specialFlags);
    if (item->patternName[0]) fprintf(file, "item_pattern\t%s\n", item->patternName);
    fprintf(file, "item_upgradeDamage\t%.4f\n", item->bonus[ITEM_BONUS_DAMAGE]);
    fprintf(file, "item_upgradeSpeed\t%.4f\n", item->bonus[ITEM_BONUS_SPEED]);
    fprintf(file, "item_upgradeHull\t%.4f\n", item->bonus[ITEM_BONUS_HULL]);
    fprintf(file, "item_upgradeHealth\t%.4f\n", item->bonus[ITEM_BONUS_HEALTH]);
    fprintf(file, "item_upgradeRateOfFire\t%.4f\n", item->bonus[ITEM_BONUS_RATE_OF_FIRE]);
    fprintf(file, "item_upgradeShieldRecharge\t%.4f\n", item->bonus[ITEM_BONUS_SHIELDS]);
    fprintf(file, "item_stackCount\t%d\n", item->stackCount);
}

// A profile without a chassis (a rigs script that lacks it) is written with the new player's,
// so that it loads back into a rig that can be worn.
const char* ChassisName(const ChassisRecord* record)
{
    return record && record->chassis ? record->chassis->name : FIRST_CHASSIS;
}

// The rig's weapon in that attachment, when it holds an item.
const Item* AttachedItem(const Agent* rig, const char* slot)
{
    if (!rig) return nullptr;
    Entity* held = rig->GetAttachedEntity(slot);
    return held && (held->flags & ENTITY_ITEM) ? static_cast<const Item*>(held) : nullptr;
}

// Writes the whole file; false when anything could not be written.
bool WriteProfile(FILE* file, PlayerProfile& p, bool inGame)
{
    fprintf(file, "name\t\t%s\n", p.name);
    fprintf(file, "experience\t%d\n", p.experience);
    fprintf(file, "achievements\t%d\n", (int)p.achievements);
    fprintf(file, "backstoryCount\t%d\n", p.backstoryCount);
    fprintf(file, "credits\t\t%d\n", p.credits);
    fprintf(file, "chassis\t\t%s\n", ChassisName(p.chassis));
    fprintf(file, "pilot\t\t%s\n", p.pilot ? p.pilot->name : "default");
    if (p.rigPaint[0] && strcmp(p.rigPaint, "none") != 0) fprintf(file, "rigPaint\t%s\n", p.rigPaint);
    fprintf(file, "skills\t%d %d %d %d %d %d\n", p.skills[0], p.skills[1], p.skills[2], p.skills[3], p.skills[4],
            p.skills[5]);
    if (p.skillPoints > 0) fprintf(file, "activeskillpoints\t%d\n", p.skillPoints);
    // A new profile's seed is its own until a galaxy is built from it.
    int seed = p.galaxySeed;
    if (seed < 0 && TheScreenHooks && TheScreenHooks->GalaxySeed() >= 0) seed = TheScreenHooks->GalaxySeed();
    fprintf(file, "galaxyseed\t%d\n", seed);
    if (p.acceptedMissionId >= 0) fprintf(file, "acceptedMission\t%d\n", p.acceptedMissionId);
    if (inGame) {
        int mission = TheScreenHooks ? TheScreenHooks->SelectedMissionId() : -1;
        fprintf(file, "currentMission\t%d\n", mission);
        for (int i = 0; i < PROFILE_STATISTICS; ++i)
            fprintf(file, "%s\t%d\n", PROFILE_STATISTIC_KEYS[i], p.statistics[i]);
        fprintf(file, "totalOre\t%.1f\n", p.oreGained);
        fprintf(file, "totalFuel\t%.1f\n", p.fuelGained);
        // A save in play keeps the game's clock, so the loaded mission goes on from it.
        const bool playing = TheGame && TheGame->state == GAME_STATE_PLAYING;
        fprintf(file, "elapsedGameTime\t%.2f\n", playing ? MissionTime : p.missionTime);
        fprintf(file, "resources\t\t%.0f\t%.0f\t%d\t%d\n", p.ore, p.fuel, p.unitsInUse, p.unitControl);
        // The rig's hull and timers as it stands in the level; between levels (a mission being
        // started from a save) the ones the profile holds for the rig to take up.
        const Agent* inPlay = playing ? p.rig : nullptr;
        fprintf(file, "health\t%.2f\n", inPlay ? inPlay->health : p.savedHealth);
        fprintf(file, "shields\t%.2f\n", inPlay ? inPlay->shield : p.savedShields);
        fprintf(file, "freezeTime\t%.2f\n", inPlay ? inPlay->freezeTime : p.freezeTime);
        fprintf(file, "cooldownTime\t%.2f\n", p.cooldownTime);
        fprintf(file, "cloakedTime\t%.2f\n", inPlay ? inPlay->cloakTime : p.cloakedTime);
    }
    fprintf(file, "MissionBlocks\t%d", 4);
    for (uint32_t word : p.completedMissions) fprintf(file, " %x", (unsigned)word);
    fprintf(file, "\n");
    if (TheGame && TheGame->agentTypes)
        for (auto* node = TheGame->agentTypes->types.head; node; node = node->next) {
            const AgentType* type = node->value;
            if (type && type->buyCost > 0 && (type->flags & AGENT_TYPE_OWNED)) fprintf(file, "unit\t\t%s\n", type->name);
        }
    if (TheGame && TheGame->buildItems)
        for (auto* node = TheGame->buildItems->items.head; node; node = node->next) {
            const BuildItem* item = node->value;
            if (item && item->buyCost > 0 && (item->flags & BUILD_MARKED)) fprintf(file, "building\t%s\n", item->name);
        }
    for (int i = 0; i < Bag::SLOT_COUNT; ++i) {
        const Item* item = PlayerBag->slots[i].item;
        if (!item) continue;
        fprintf(file, "item\t\t%s\t%d\n", item->name, i);
        WriteItemLines(file, item);
    }
    if (const Item* left = AttachedItem(p.rig, "leftweapon")) {
        fprintf(file, "attachleft\t%s\n", left->name);
        WriteItemLines(file, left);
    }
    if (const Item* right = AttachedItem(p.rig, "rightweapon")) {
        fprintf(file, "attachright\t%s\n", right->name);
        WriteItemLines(file, right);
    }
    // The module slots the character screen offers.
    for (int slot = 0; p.rig && slot < 3; ++slot)
        if (const Item* module = p.rig->GetEquippedItem(slot)) {
            fprintf(file, "upgrade\t\t%s %d\n", module->name, slot);
            WriteItemLines(file, module);
        }
    fprintf(file, "\nEND_OF_FILE\n\n");
    return ferror(file) == 0;
}

}  // namespace

std::string PlayerProfile::Text(bool inGame)
{
    // Written in memory: the replay's checks take it often, and nothing of it needs the disk.
    std::string text;
    char* buffer = nullptr;
    size_t size = 0;
    FILE* file = open_memstream(&buffer, &size);
    if (!file) {
        Log("ERROR: no room to write the profile %s\n", name);
        return text;
    }
    const bool written = WriteProfile(file, *this, inGame);
    if (fclose(file) == 0 && written && buffer) text.assign(buffer, size);
    free(buffer);
    return text;
}

bool PlayerProfile::Save(const char* path, bool inGame)
{
    if (!path || !*path) return false;
    // A replay plays with the profile it recorded in the player's place: nothing of it is
    // written over the player's own.
    if (TheReplay.HoldsProfile()) {
        Log("The replay's profile is not saved over %s\n", path);
        return true;
    }
    // The old profile stays whole until the new one is on the disk.
    std::string temporary = std::string(path) + ".tmp";
    FILE* file = fopen(temporary.c_str(), "wb");
    if (!file) {
        Log("ERROR opening profile %s\n", path);
        return false;
    }
    Log("Opened profile %s\n", path);
    bool written = WriteProfile(file, *this, inGame);
    written = SyncFile(file) && written;
    written = fclose(file) == 0 && written;
    if (!written || rename(temporary.c_str(), path) != 0) {
        Log("ERROR writing profile %s: the previous profile is kept\n", path);
        remove(temporary.c_str());
        return false;
    }
    return true;
}

// ---- The current profile

PlayerProfile* GetPlayerProfile()
{
    if (TheRigCatalog && TheRigCatalog->currentProfile) return TheRigCatalog->currentProfile;
    return &StandInProfile;
}

Agent* GetPlayerRig()
{
    PlayerProfile* profile = GetPlayerProfile();
    return profile ? profile->rig : nullptr;
}
