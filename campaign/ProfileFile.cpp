// The profile file: its writer and its reader side by side. Each line is a key, tabs and a
// value; the reader takes the keys in any order and any letter case, and skips what it does
// not know.
#include "campaign/PlayerProfile.h"
#include "campaign/RigCatalog.h"
#include "host/Lexer.h"
#include "host/Log.h"
#include "host/System.h"
#include "mechanics/Bag.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/ScreenHooks.h"
#include "platform/Files.h"
#include "platform/SoundManager.h"
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
#include <vector>

namespace {

// The value that fills the rest of the key's line, without the blanks after it; empty when
// the line holds the key alone.
std::string RestOfLine(Lexer& in)
{
    std::string value;
    in.ReadLineValue(&value, false);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r')) value.pop_back();
    return value;
}

// How a key's values follow it.
enum class Values {
    REST_OF_LINE,  // the rest of the line (a name)
    WORD_OF_LINE,  // the first word of the rest of the line; none when the line ends
    WORD,          // the next word
    INT,
    SKILLS,     // six whole numbers
    WORD_INT,   // a word and a whole number (an item and its cell or slot)
    FLAG_WORD,  // a flag word, signed or not
    REAL,
    RESOURCES,  // ore, fuel, units in use, unit control
    BLOCKS,     // a count and that many hexadecimal words
};

struct ProfileKey {
    const char* key;
    Values values;
};

// Every key the reader knows (and the statistics' keys, each a whole number).
constexpr ProfileKey PROFILE_KEYS[] = {
    {"name", Values::REST_OF_LINE},
    {"experience", Values::INT},
    {"achievements", Values::INT},
    {"backstoryCount", Values::INT},
    {"credits", Values::INT},
    {"chassis", Values::WORD},
    {"pilot", Values::WORD},
    {"rigPaint", Values::WORD_OF_LINE},
    {"skills", Values::SKILLS},
    {"activeskillpoints", Values::INT},
    {"galaxyseed", Values::INT},
    {"acceptedMission", Values::INT},
    {"currentMission", Values::INT},
    {"unit", Values::WORD},
    {"building", Values::WORD},
    {"item", Values::WORD_INT},
    {"attachleft", Values::WORD},
    {"attachright", Values::WORD},
    {"upgrade", Values::WORD_INT},
    {"item_upgradeFlags", Values::FLAG_WORD},
    {"item_specialFlags", Values::FLAG_WORD},
    {"item_stackCount", Values::INT},
    {"item_pattern", Values::WORD_OF_LINE},
    {"item_upgradeDamage", Values::REAL},
    {"item_upgradeSpeed", Values::REAL},
    {"item_upgradeHull", Values::REAL},
    {"item_upgradeHealth", Values::REAL},
    {"item_upgradeRateOfFire", Values::REAL},
    {"item_upgradeShieldRecharge", Values::REAL},
    {"totalOre", Values::REAL},
    {"totalFuel", Values::REAL},
    {"elapsedGameTime", Values::REAL},
    {"health", Values::REAL},
    {"shields", Values::REAL},
    {"freezeTime", Values::REAL},
    {"cooldownTime", Values::REAL},
    {"cloakedTime", Values::REAL},
    {"resources", Values::RESOURCES},
    {"MissionBlocks", Values::BLOCKS},
};

// The key table's entry for a word, with the key's own spelling; null for a word that is no key.
const ProfileKey* FindProfileKey(const Lexer& in, const char* word)
{
    static const std::vector<ProfileKey> keys = [] {
        std::vector<ProfileKey> all(std::begin(PROFILE_KEYS), std::end(PROFILE_KEYS));
        for (const char* statistic : PROFILE_STATISTIC_KEYS) all.push_back({statistic, Values::INT});
        return all;
    }();
    for (const ProfileKey& key : keys)
        if (in.Is(word, key.key)) return &key;
    return nullptr;
}

// Reads the values of one key into its line. Which values follow a key is the key's alone, so
// one walk finds the same keys in the same places, whoever reads the result.
void ReadValues(Lexer& in, const ProfileKey& key, const char* spelled, bool quiet, ProfileLine* out)
{
    const char* warn = quiet ? nullptr : spelled;
    switch (key.values) {
    case Values::REST_OF_LINE: out->text = RestOfLine(in); break;
    case Values::WORD_OF_LINE:
        // A line without a value keeps what it would set, and the next line its key.
        out->text = RestOfLine(in);
        out->text.erase(std::min(out->text.find_first_of(" \t"), out->text.size()));
        if (out->text.empty() && !quiet) in.Warn(in.Line(), "%s has no value", key.key);
        break;
    case Values::WORD: out->text = in.NextValue(); break;
    case Values::INT: in.ReadInt(warn, &out->numbers[0]); break;
    case Values::SKILLS:
        for (int& points : out->numbers) in.ReadInt(warn, &points);
        break;
    case Values::WORD_INT:
        out->text = in.NextValue();
        in.ReadInt(warn, &out->numbers[0]);
        break;
    case Values::FLAG_WORD: {
        // Every bit of a flag word: profiles of earlier versions wrote the words with the top
        // bit set as numbers above INT_MAX, and those read back as the same word.
        const std::string token = in.NextValue();
        char* end = nullptr;
        errno = 0;
        const long long number = strtoll(token.c_str(), &end, 10);
        const bool whole = !token.empty() && *end == 0 && errno == 0 && number >= INT_MIN && number <= UINT32_MAX;
        if (!whole && !quiet) in.Warn(in.Line(), "%s value '%.48s' is not a flag word, 0 is used", spelled, token.c_str());
        out->words[0] = whole ? (uint32_t)number : 0;
        break;
    }
    case Values::REAL: in.ReadFloat(warn, &out->reals[0]); break;
    case Values::RESOURCES:
        in.ReadFloat(warn, &out->reals[0]);
        in.ReadFloat(warn, &out->reals[1]);
        in.ReadInt(warn, &out->numbers[0]);
        in.ReadInt(warn, &out->numbers[1]);
        break;
    case Values::BLOCKS: {
        int count = 0;
        in.ReadInt(warn, &count, 0, (int)in.Remaining());
        // Words beyond the four a profile holds are read and dropped.
        for (int i = 0; i < count; ++i) {
            const char* word = in.NextValue();
            if (in.CutShort()) break;
            if (i < 4) {
                out->words[i] = (uint32_t)strtoul(word, nullptr, 16);
                out->numbers[0] = i + 1;
            }
        }
        break;
    }
    }
}

}  // namespace

bool ProfileReading::Read(const char* file, bool quiet)
{
    lines.clear();
    if (!file || !*file) return false;
    FILE* opened = fopen(file, "rb");
    if (!opened) {
        Log("ERROR opening profile %s\n", file);
        return false;
    }
    Log("Opened profile %s\n", file);
    std::string text;
    ReadFileText(opened, &text);
    fclose(opened);
    Take(text, file, quiet);
    return true;
}

void ProfileReading::Take(const std::string& text, const char* file, bool quiet)
{
    path = file ? file : "";
    lines.clear();
    Lexer in(text.data(), text.size(), SCRIPT_RULES, path.c_str());
    while (const char* token = in.Next()) {
        const ProfileKey* key = FindProfileKey(in, token);
        if (!key) continue;
        const std::string spelled = token;
        ProfileLine line;
        line.key = key->key;
        line.line = in.Line();
        ReadValues(in, *key, spelled.c_str(), quiet, &line);
        lines.push_back(std::move(line));
    }
}

const ProfileLine* ProfileReading::Last(const char* key) const
{
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
        if (strcmp(it->key, key) == 0) return &*it;
    return nullptr;
}

int ProfileReading::Int(const char* key, int absent) const
{
    const ProfileLine* line = Last(key);
    return line ? line->numbers[0] : absent;
}

std::string ProfileReading::Text(const char* key) const
{
    const ProfileLine* line = Last(key);
    return line ? line->text : std::string();
}

std::string ProfileReading::Name() const
{
    char fileName[MAX_PATH_TEXT];
    GetFileBaseName(path.c_str(), fileName);
    std::string named = IsValidProfileName(fileName) ? fileName : "";
    for (const ProfileLine& line : lines)
        if (strcmp(line.key, "name") == 0 && IsValidProfileName(line.text.c_str())) named = line.text;
    return named;
}

std::string ProfileReading::Chassis() const
{
    const ProfileLine* line = Last("chassis");
    if (!line) return std::string();
    return !TheRigCatalog || TheRigCatalog->FindChassis(line->text.c_str()) ? line->text : FIRST_CHASSIS;
}

Item* AttachRigWeapon(Agent* rig, const char* itemName, const char* slot, const char* bone)
{
    if (!rig || !itemName) return nullptr;
    Item* item = CreateItemByName(itemName);
    if (!item) return nullptr;
    Entity* previous = rig->AddAttachment(item, slot, bone, true);
    if (rig->GetAttachedEntity(slot) != item) {
        Log("WARNING: the rig has no room for '%s'\n", itemName);
        if (SoundMgr) SoundMgr->PlaySound("bad");
        delete item;
        return nullptr;
    }
    if (previous && previous != item && (previous->flags & ENTITY_ITEM)) delete previous;
    return item;
}

bool PlayerProfile::Load(const char* path, bool fromSave, bool takeCurrentMission)
{
    ProfileReading reading;
    return reading.Read(path) && Load(reading, fromSave, takeCurrentMission);
}

bool PlayerProfile::Load(const ProfileReading& reading, bool fromSave, bool takeCurrentMission)
{
    const char* path = reading.path.c_str();
    Clear();
    // A file whose name line is missing or refused is known by its file name.
    const std::string named = reading.Name();
    if (!named.empty()) CopyText(name, sizeof name, named.c_str());
    if (reading.Last("chassis"))
        chassis = TheRigCatalog ? TheRigCatalog->FindChassis(reading.Chassis().c_str()) : nullptr;

    Item* current = nullptr;
    bool currentInGrid = false;  // the current item lies in the inventory grid
    for (const ProfileLine& line : reading.lines) {
        const char* k = line.key;
        auto is = [k](const char* key) { return strcmp(k, key) == 0; };
        const int number = line.numbers[0];
        const float real = line.reals[0];
        if (is("name")) {
            if (!IsValidProfileName(line.text.c_str()))
                Log("ERROR: %s line %d: '%s' is not a profile name; it is called '%s'\n", path, line.line,
                    line.text.c_str(), name);
        } else if (is("experience")) {
            experience = number;
            level = LevelFromExperience(experience);
            levelSpan = ExperienceForNextLevel(level);
        } else if (is("achievements")) {
            achievements = (uint32_t)number;
        } else if (is("backstoryCount")) {
            backstoryCount = number;
        } else if (is("credits")) {
            credits = number;
        } else if (is("chassis")) {
            // A chassis the rigs do not know is worn as the new player's, as it would be saved.
            if (TheRigCatalog && !TheRigCatalog->FindChassis(line.text.c_str()))
                LogWarningAt(reading.path.c_str(), line.line, "no chassis '%s', '%s' is worn", line.text.c_str(), FIRST_CHASSIS);
        } else if (is("pilot")) {
            pilot = TheRigCatalog ? TheRigCatalog->FindPilot(line.text.c_str()) : nullptr;
        } else if (is("rigPaint")) {
            if (!line.text.empty()) CopyText(rigPaint, sizeof rigPaint, line.text.c_str());
        } else if (is("skills")) {
            std::copy(line.numbers, line.numbers + PROFILE_SKILLS, skills);
        } else if (is("activeskillpoints")) {
            skillPoints = number;
        } else if (is("galaxyseed")) {
            galaxySeed = number;
        } else if (is("acceptedMission")) {
            acceptedMissionId = number;
        } else if (is("currentMission")) {
            if (takeCurrentMission) currentMissionId = number;
        } else if (is("unit")) {
            if (TheGame && TheGame->agentTypes)
                for (auto* node = TheGame->agentTypes->types.head; node; node = node->next)
                    if (node->value && strcmp(node->value->name, line.text.c_str()) == 0)
                        node->value->flags |= AGENT_TYPE_OWNED;
        } else if (is("building")) {
            if (TheGame && TheGame->buildItems)
                if (BuildItem* item = TheGame->buildItems->FindByName(line.text.c_str())) item->flags |= BUILD_MARKED;
        } else if (is("item")) {
            current = nullptr;
            Item* item = CreateItemByName(line.text.c_str());
            if (item && PlayerBag->AddItem(item, false, false, number))
                current = item;
            else
                delete item;
            currentInGrid = current != nullptr;
        } else if (is("attachleft")) {
            current = AttachRigWeapon(rig, line.text.c_str(), "leftweapon", "LeftWeapon");
            currentInGrid = false;
        } else if (is("attachright")) {
            current = AttachRigWeapon(rig, line.text.c_str(), "rightweapon", "RightWeapon");
            currentInGrid = false;
        } else if (is("upgrade")) {
            currentInGrid = false;
            current = rig ? CreateItemByName(line.text.c_str()) : nullptr;
            if (!current) continue;
            Item* previous = rig->EquipItem(current, number);
            if (rig->GetEquippedItem(number) != current) {
                Log("WARNING: %s line %d: module '%s' has no slot %d\n", path, line.line, line.text.c_str(), number);
                delete current;
                current = nullptr;
            }
            delete previous;
        } else if (is("item_upgradeFlags") || is("item_specialFlags")) {
            if (current) (is("item_upgradeFlags") ? current->upgradeFlags : current->specialFlags) = line.words[0];
        } else if (is("item_stackCount")) {
            if (!current) continue;
            // An empty stack leaves the grid and the item goes with it: the lines that follow
            // belong to no item.
            bool emptied = currentInGrid && number < 1;
            if (emptied)
                LogWarningAt(reading.path.c_str(), line.line, "item '%s' has a stack count of %d, it is dropped", current->name, number);
            current->stackCount = number;
            PlayerBag->RefreshSlot(current);
            if (emptied) current = nullptr;
        } else if (is("item_pattern")) {
            if (current && !line.text.empty())
                CopyText(current->patternName, sizeof current->patternName, line.text.c_str());
        } else if (is("item_upgradeDamage") || is("item_upgradeSpeed") || is("item_upgradeHull") ||
                   is("item_upgradeHealth") || is("item_upgradeRateOfFire") || is("item_upgradeShieldRecharge")) {
            if (!current) continue;
            int bonus = is("item_upgradeDamage")       ? ITEM_BONUS_DAMAGE
                        : is("item_upgradeSpeed")      ? ITEM_BONUS_SPEED
                        : is("item_upgradeHull")       ? ITEM_BONUS_HULL
                        : is("item_upgradeHealth")     ? ITEM_BONUS_HEALTH
                        : is("item_upgradeRateOfFire") ? ITEM_BONUS_RATE_OF_FIRE
                                                       : ITEM_BONUS_SHIELDS;
            current->bonus[bonus] = real;
        } else if (is("totalOre")) {
            oreGained = real;
        } else if (is("totalFuel")) {
            fuelGained = real;
        } else if (is("elapsedGameTime")) {
            missionTime = real;
        } else if (is("health")) {
            savedHealth = real;
        } else if (is("shields")) {
            savedShields = real;
        } else if (is("freezeTime")) {
            freezeTime = real;
        } else if (is("cooldownTime")) {
            cooldownTime = real;
        } else if (is("cloakedTime")) {
            cloakedTime = real;
        } else if (is("resources")) {
            ore = line.reals[0];
            fuel = line.reals[1];
            unitsInUse = line.numbers[0];
            unitControl = line.numbers[1];
        } else if (is("MissionBlocks")) {
            std::copy(line.words, line.words + number, completedMissions);
        } else if (int* statistic = FindStatistic(k)) {
            *statistic = number;
        }
    }

    flags |= PROFILE_LOADED;
    AttachRigParts();
    if (TheScreenHooks) TheScreenHooks->ProfileTaken(fromSave);
    if (TheRigCatalog) {
        TheRigCatalog->RestoreRigTextures(false);
        TheRigCatalog->ReleaseRigTextures();
    }
    return true;
}

// ---- By name

bool PlayerProfile::LoadByName(const char* profileName)
{
    char path[MAX_PROFILE_PATH];
    if (!ProfilePath(profileName, path, sizeof path)) return false;
    return Load(path, false, false);
}

bool PlayerProfile::TakeNewPlayerStart()
{
    char path[MAX_PATH_TEXT];
    CopyText(path, sizeof path, DEFAULT_PROFILE_SCRIPT);
    FixPath(path);
    const bool read = Load(path, false, false);
    flags = (flags & ~PROFILE_LOADED) | PROFILE_STARTUP;
    return read;
}

bool PlayerProfile::SaveByName(bool inGame)
{
    char path[MAX_PROFILE_PATH];
    if (!ProfilePath(name, path, sizeof path)) return false;
    return Save(path, inGame);
}
