// The profile file: its writer and its reader side by side. Each line is a key, tabs and a
// value; the reader takes the keys in any order and any letter case, and skips what it does
// not know.
#include "campaign/Galaxy.h"
#include "campaign/PlayerProfile.h"
#include "campaign/RigCatalog.h"
#include "gui/GuiDraw.h"
#include "host/Lexer.h"
#include "host/Log.h"
#include "host/System.h"
#include "interface/Inventory.h"
#include "mechanics/GameMechanics.h"
#include "platform/Files.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Item.h"
#include "world/ItemCatalog.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>

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

// The new player's chassis.
constexpr const char* FIRST_CHASSIS = "basic";

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
    if (seed < 0 && TheGalaxy && TheGalaxy->seed >= 0) seed = TheGalaxy->seed;
    fprintf(file, "galaxyseed\t%d\n", seed);
    if (p.acceptedMissionId >= 0) fprintf(file, "acceptedMission\t%d\n", p.acceptedMissionId);
    if (inGame) {
        int mission = TheGalaxy && TheGalaxy->selectedBody ? TheGalaxy->selectedBody->missionId : -1;
        fprintf(file, "currentMission\t%d\n", mission);
        for (int i = 0; i < PROFILE_STATISTICS; ++i)
            fprintf(file, "%s\t%d\n", PROFILE_STATISTIC_KEYS[i], p.statistics[i]);
        fprintf(file, "totalOre\t%.1f\n", p.oreGained);
        fprintf(file, "totalFuel\t%.1f\n", p.fuelGained);
        // A save in play keeps the game's clock, so the loaded mission goes on from it.
        const bool playing = TheGame && TheGame->state == GAME_STATE_PLAYING;
        fprintf(file, "elapsedGameTime\t%.2f\n", playing ? MissionTime : p.missionTime);
        fprintf(file, "resources\t\t%.0f\t%.0f\t%d\t%d\n", p.ore, p.fuel, p.unitsInUse, p.unitControl);
        fprintf(file, "health\t%.2f\n", p.rig ? p.rig->health : p.savedHealth);
        fprintf(file, "shields\t%.2f\n", p.rig ? p.rig->shield : p.savedShields);
        fprintf(file, "freezeTime\t%.2f\n", p.rig ? p.rig->freezeTime : p.freezeTime);
        fprintf(file, "cooldownTime\t%.2f\n", p.cooldownTime);
        fprintf(file, "cloakedTime\t%.2f\n", p.rig ? p.rig->cloakTime : p.cloakedTime);
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
    if (PlayerInventory)
        for (int i = 0; i < Inventory::SLOT_COUNT; ++i) {
            const InventorySlot& slot = PlayerInventory->slots[i];
            if (slot.kind != 1 || !slot.item) continue;
            fprintf(file, "item\t\t%s\t%d\n", slot.item->name, i);
            WriteItemLines(file, slot.item);
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

// The value that fills the rest of the key's line, without the blanks after it; empty when
// the line holds the key alone.
std::string RestOfLine(Lexer& in)
{
    std::string value;
    in.ReadLineValue(&value, false);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r')) value.pop_back();
    return value;
}

// Calls read at each line the key opens, the lexer standing after the key. The lines are
// those the reader below takes: keys in any case, comments and what follows END_OF_FILE passed
// over; a key is the first word of its line.
template <class F> void EachKeyLine(const std::string& text, const char* key, F read)
{
    Lexer in(text.data(), text.size(), SCRIPT_RULES);
    int line = 0;
    while (const char* token = in.Next()) {
        if (in.Line() == line) continue;
        if (in.Is(token, key)) read(in);
        line = in.Line();
    }
}

}  // namespace

std::string ProfileTextValue(const std::string& text, const char* key)
{
    std::string value;
    EachKeyLine(text, key, [&](Lexer& in) { value = RestOfLine(in); });
    return value;
}

int ProfileTextInt(const std::string& text, const char* key, int absent)
{
    int value = absent;
    EachKeyLine(text, key, [&](Lexer& in) {
        value = 0;
        in.ReadInt(nullptr, &value);
    });
    return value;
}

Item* AttachRigWeapon(Agent* rig, const char* itemName, const char* slot, const char* bone)
{
    if (!rig || !itemName) return nullptr;
    Item* item = CreateItemByName(itemName);
    if (!item) return nullptr;
    Entity* previous = rig->AddAttachment(item, slot, bone, true);
    if (rig->GetAttachedEntity(slot) != item) {
        Log("WARNING: the rig has no room for '%s'\n", itemName);
        GuiPlaySound("bad");
        delete item;
        return nullptr;
    }
    if (previous && previous != item && (previous->flags & ENTITY_ITEM)) delete previous;
    return item;
}

bool PlayerProfile::Save(const char* path, bool inGame)
{
    if (!path || !*path) return false;
    // The old profile stays whole until the new one is on the disk.
    std::string temporary = std::string(path) + ".tmp";
    FILE* file = fopen(temporary.c_str(), "wb");
    if (!file) {
        Log("ERROR opening profile %s\n", path);
        return false;
    }
    Log("Openend profile %s\n", path);
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

bool PlayerProfile::Load(const char* path, bool fromSave, bool takeCurrentMission)
{
    if (!path || !*path) return false;
    FILE* file = fopen(path, "rb");
    if (!file) {
        Log("ERROR opening profile %s\n", path);
        return false;
    }
    Log("Openend profile %s\n", path);
    std::string text;
    ReadFileText(file, &text);
    fclose(file);

    if (fromSave && TheGalaxy) TheGalaxy->Reset();
    Clear();
    // A file whose name line is missing or refused is known by its file name.
    char fileName[MAX_PATH_TEXT];
    GetFileBaseName(path, fileName);
    if (IsValidProfileName(fileName)) CopyText(name, sizeof name, fileName);

    Lexer in(text.data(), text.size(), SCRIPT_RULES, path);
    Item* current = nullptr;
    bool currentInGrid = false;  // the current item lies in the inventory grid
    auto readInt = [&](const char* key, int* value) { in.ReadInt(key, value); };
    auto readFloat = [&](const char* key, float* value) { in.ReadFloat(key, value); };
    while (const char* token = in.Next()) {
        std::string key = token;
        const char* k = key.c_str();
        if (in.Is(k, "name")) {
            std::string value = RestOfLine(in);
            if (IsValidProfileName(value.c_str()))
                CopyText(name, sizeof name, value.c_str());
            else
                Log("ERROR: %s line %d: '%s' is not a profile name; it is called '%s'\n", path, in.Line(),
                    value.c_str(), name);
        } else if (in.Is(k, "experience")) {
            readInt(k, &experience);
            level = LevelFromExperience(experience);
            levelSpan = ExperienceForNextLevel(level);
        } else if (in.Is(k, "achievements")) {
            int bits = 0;
            readInt(k, &bits);
            achievements = (uint32_t)bits;
        } else if (in.Is(k, "backstoryCount")) {
            readInt(k, &backstoryCount);
        } else if (in.Is(k, "credits")) {
            readInt(k, &credits);
        } else if (in.Is(k, "chassis")) {
            std::string word = in.NextValue();
            chassis = TheRigCatalog ? TheRigCatalog->FindChassis(word.c_str()) : nullptr;
            // A chassis the rigs do not know is worn as the new player's, as it would be saved.
            if (TheRigCatalog && !chassis) {
                in.Warn(in.Line(), "no chassis '%s', '%s' is worn", word.c_str(), FIRST_CHASSIS);
                chassis = TheRigCatalog->FindChassis(FIRST_CHASSIS);
            }
        } else if (in.Is(k, "pilot")) {
            const char* word = in.NextValue();
            pilot = TheRigCatalog ? TheRigCatalog->FindPilot(word) : nullptr;
        } else if (in.Is(k, "rigPaint")) {
            // A paint line without a paint keeps the chassis's own, and the next line its key.
            std::string word = RestOfLine(in);
            word.erase(std::min(word.find_first_of(" \t"), word.size()));
            if (word.empty())
                in.Warn(in.Line(), "rigPaint has no value");
            else
                CopyText(rigPaint, sizeof rigPaint, word.c_str());
        } else if (in.Is(k, "skills")) {
            for (int& points : skills) readInt(k, &points);
        } else if (in.Is(k, "activeskillpoints")) {
            readInt(k, &skillPoints);
        } else if (in.Is(k, "galaxyseed")) {
            readInt(k, &galaxySeed);
        } else if (in.Is(k, "acceptedMission")) {
            readInt(k, &acceptedMissionId);
        } else if (in.Is(k, "currentMission")) {
            int mission = 0;
            readInt(k, &mission);
            if (takeCurrentMission) currentMissionId = mission;
        } else if (in.Is(k, "unit")) {
            const char* word = in.NextValue();
            if (TheGame && TheGame->agentTypes)
                for (auto* node = TheGame->agentTypes->types.head; node; node = node->next)
                    if (node->value && strcmp(node->value->name, word) == 0) node->value->flags |= AGENT_TYPE_OWNED;
        } else if (in.Is(k, "building")) {
            const char* word = in.NextValue();
            if (TheGame && TheGame->buildItems)
                if (BuildItem* item = TheGame->buildItems->FindByName(word)) item->flags |= BUILD_MARKED;
        } else if (in.Is(k, "item")) {
            std::string itemName = in.NextValue();
            int cell = -1;
            readInt(k, &cell);
            current = nullptr;
            if (PlayerInventory) {
                Item* item = CreateItemByName(itemName.c_str());
                if (item && PlayerInventory->AddItem(item, false, false, cell))
                    current = item;
                else
                    delete item;
            }
            currentInGrid = current != nullptr;
        } else if (in.Is(k, "attachleft")) {
            current = AttachRigWeapon(rig, in.NextValue(), "leftweapon", "LeftWeapon");
            currentInGrid = false;
        } else if (in.Is(k, "attachright")) {
            current = AttachRigWeapon(rig, in.NextValue(), "rightweapon", "RightWeapon");
            currentInGrid = false;
        } else if (in.Is(k, "upgrade")) {
            currentInGrid = false;
            std::string itemName = in.NextValue();
            int slot = -1;
            readInt(k, &slot);
            current = rig ? CreateItemByName(itemName.c_str()) : nullptr;
            if (!current) continue;
            Item* previous = rig->EquipItem(current, slot);
            if (rig->GetEquippedItem(slot) != current) {
                Log("WARNING: %s line %d: module '%s' has no slot %d\n", path, in.Line(), itemName.c_str(), slot);
                delete current;
                current = nullptr;
            }
            delete previous;
        } else if (in.Is(k, "item_upgradeFlags") || in.Is(k, "item_specialFlags")) {
            // Every bit of a flag word: profiles of earlier versions wrote the words with the
            // top bit set as numbers above INT_MAX, and those read back as the same word.
            const std::string token = in.NextValue();
            char* end = nullptr;
            errno = 0;
            const long long number = strtoll(token.c_str(), &end, 10);
            const bool whole = !token.empty() && *end == 0 && errno == 0 && number >= INT_MIN && number <= UINT32_MAX;
            if (!whole) in.Warn(in.Line(), "%s value '%.48s' is not a flag word, 0 is used", k, token.c_str());
            if (!current) continue;
            (in.Is(k, "item_upgradeFlags") ? current->upgradeFlags : current->specialFlags) = whole ? (uint32_t)number : 0;
        } else if (in.Is(k, "item_stackCount")) {
            int value = 0;
            readInt(k, &value);
            if (!current) continue;
            // An empty stack leaves the grid and the item goes with it: the lines that follow
            // belong to no item.
            bool emptied = currentInGrid && value < 1;
            if (emptied) in.Warn(in.Line(), "item '%s' has a stack count of %d, it is dropped", current->name, value);
            current->stackCount = value;
            if (PlayerInventory) PlayerInventory->RefreshSlot(current);
            if (emptied) current = nullptr;
        } else if (in.Is(k, "item_pattern")) {
            // A pattern line without a pattern leaves the item's own.
            std::string word = RestOfLine(in);
            word.erase(std::min(word.find_first_of(" \t"), word.size()));
            if (word.empty())
                in.Warn(in.Line(), "item_pattern has no value");
            else if (current)
                CopyText(current->patternName, sizeof current->patternName, word.c_str());
        } else if (in.Is(k, "item_upgradeDamage") || in.Is(k, "item_upgradeSpeed") || in.Is(k, "item_upgradeHull") ||
                   in.Is(k, "item_upgradeHealth") || in.Is(k, "item_upgradeRateOfFire") ||
                   in.Is(k, "item_upgradeShieldRecharge")) {
            float value = 0.0f;
            readFloat(k, &value);
            if (!current) continue;
            int bonus = in.Is(k, "item_upgradeDamage")       ? ITEM_BONUS_DAMAGE
                        : in.Is(k, "item_upgradeSpeed")      ? ITEM_BONUS_SPEED
                        : in.Is(k, "item_upgradeHull")       ? ITEM_BONUS_HULL
                        : in.Is(k, "item_upgradeHealth")     ? ITEM_BONUS_HEALTH
                        : in.Is(k, "item_upgradeRateOfFire") ? ITEM_BONUS_RATE_OF_FIRE
                                                             : ITEM_BONUS_SHIELDS;
            current->bonus[bonus] = value;
        } else if (in.Is(k, "totalOre")) {
            readFloat(k, &oreGained);
        } else if (in.Is(k, "totalFuel")) {
            readFloat(k, &fuelGained);
        } else if (in.Is(k, "elapsedGameTime")) {
            readFloat(k, &missionTime);
        } else if (in.Is(k, "health")) {
            readFloat(k, &savedHealth);
        } else if (in.Is(k, "shields")) {
            readFloat(k, &savedShields);
        } else if (in.Is(k, "freezeTime")) {
            readFloat(k, &freezeTime);
        } else if (in.Is(k, "cooldownTime")) {
            readFloat(k, &cooldownTime);
        } else if (in.Is(k, "cloakedTime")) {
            readFloat(k, &cloakedTime);
        } else if (in.Is(k, "resources")) {
            readFloat(k, &ore);
            readFloat(k, &fuel);
            readInt(k, &unitsInUse);
            readInt(k, &unitControl);
        } else if (in.Is(k, "MissionBlocks")) {
            int count = 0;
            in.ReadInt(k, &count, 0, (int)in.Remaining());
            for (int i = 0; i < count; ++i) {
                const char* word = in.NextValue();
                if (in.CutShort()) break;
                unsigned long bits = strtoul(word, nullptr, 16);
                if (i < 4) completedMissions[i] = (uint32_t)bits;
            }
        } else {
            for (int i = 0; i < PROFILE_STATISTICS; ++i)
                if (in.Is(k, PROFILE_STATISTIC_KEYS[i])) {
                    readInt(k, &statistics[i]);
                    break;
                }
        }
    }

    flags |= PROFILE_LOADED;
    AttachRigParts();
    if (PlayerInventory) PlayerInventory->UpdateSlotHighlights();
    // A galaxy laid out for another profile's seed is not this player's.
    if (!fromSave && TheGalaxy && TheGalaxy->count > 0 && TheGalaxy->seed != galaxySeed) TheGalaxy->Reset();
    if (TheRigCatalog) {
        TheRigCatalog->RestoreRigTextures(false);
        TheRigCatalog->ReleaseRigTextures();
    }
    return true;
}
