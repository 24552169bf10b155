#include "campaign/RandomMission.h"

#include "campaign/Galaxy.h"
#include "campaign/MissionRecord.h"
#include "campaign/PlayerProfile.h"
#include "host/Random.h"
#include "host/System.h"
#include "platform/Files.h"
#include "platform/RandomUtil.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

int CategoryDeck[6] = {0, 1, 2, 3, 4, 5};
int FactionDeck[4] = {0, 1, 2, 3};
char MissionObjectiveText[256] = "not-set";
char MissionBriefingText[1024] = "not-set";

namespace {

const char* const CategoryVerbs[] = {"Eliminate", "Destroy", "Clear", "Repair", "Collect", "Prospect", "Build"};

int Draw(int* deck, int n)
{
    int value = deck[0];
    RotateArrayLeft(deck, n);
    return value;
}

bool Even()
{
    return Rand() % 2 == 0;
}

void SetText(char* out, size_t size, const char* text)
{
    CopyText(out, size, text);
}

}  // namespace


void GenerateMission(CelestialBody* body)
{
    RandomMissionBlock& m = body->mission;
    body->levelSeed = Rand() % 90000 + 10000;
    SetText(m.verb, sizeof m.verb, "mission-name");
    m.faction = Draw(FactionDeck, 4);
    m.category = Draw(CategoryDeck, 6);
    // Clearing rocks comes up half as often as the others.
    if (m.category == MISSION_CLEAR && Even()) m.category = Draw(CategoryDeck, 6);
    SetText(m.verb, sizeof m.verb, CategoryVerbs[m.category]);
    m.count = 1;
    SetText(m.target, sizeof m.target, "none");

    const char* environment = BodyEnvironmentName(body->environment);
    const int level = body->levelMin;
    const bool moon = strcasecmp(environment, "moon") == 0;
    switch (m.category) {
    case MISSION_ELIMINATE: {
        int r = Rand() % 3;
        if (moon) {
            SetText(m.target, sizeof m.target, "Elite_Scavenger");
        } else if (r == 0) {
            SetText(m.target, sizeof m.target, "creature_nest");
            m.count = level > 4 ? 3 : 2;
        } else if (r == 1) {
            SetText(m.target, sizeof m.target, "Elite_Scavenger");
        } else {
            SetText(m.target, sizeof m.target, Even() ? "Elite_Winged_Beast" : "Elite_Trex");
        }
        break;
    }
    case MISSION_DESTROY: {
        static const char* const targets[] = {"Scavenger_AA_Gun", "Scavenger_camp", "weapons_cache",
                                               "Scavenger_stronghold"};
        int r = Rand() % (level > 4 ? 4 : 3);
        SetText(m.target, sizeof m.target, targets[r]);
        m.count = r == 3 ? 1 : 2;
        break;
    }
    case MISSION_CLEAR:
        SetText(m.target, sizeof m.target,
                strcasecmp(environment, "winter") == 0 ? "ice_blocks" : "breakable_rocks");
        if (m.faction == 3) strncat(m.target, "_relic", sizeof m.target - strlen(m.target) - 1);
        break;
    case MISSION_REPAIR:
        switch (m.faction) {
        case 0:
        case 2: {
            if (!Even()) {
                SetText(m.target, sizeof m.target, "fuel_tank");
                SetText(m.verb, sizeof m.verb, "Fill");
            } else {
                SetText(m.target, sizeof m.target, "generators");
            }
            break;
        }
        case 1: {
            int r = Rand() % 3;
            if (r == 0) {
                SetText(m.target, sizeof m.target, "generators");
            } else if (r == 1) {
                SetText(m.target, sizeof m.target, "fuel_tank");
                SetText(m.verb, sizeof m.verb, "Fill");
            } else {
                SetText(m.target, sizeof m.target, "planetary_defense_cannon");
                m.count = 2;
            }
            break;
        }
        default:
            SetText(m.target, sizeof m.target, "radar_tower");
            m.count = 2;
            break;
        }
        break;
    case MISSION_COLLECT: {
        m.count = 3;
        static const char* const targets[] = {"computer_console", "relic", "alien_tablet", "probe_data"};
        static const char* const verbs[] = {"Restore", nullptr, "Analyze", "Download"};
        int r = Rand() % 4;
        SetText(m.target, sizeof m.target, targets[r]);
        if (verbs[r]) SetText(m.verb, sizeof m.verb, verbs[r]);
        break;
    }
    case MISSION_PROSPECT:
        m.count = (1 + level / 4) * 1000;
        SetText(m.target, sizeof m.target, Even() ? "ore" : "fuel");
        break;
    default:
        break;
    }
    m.experienceReward = (LevelThreshold(level + 1) - LevelThreshold(level)) / (level / 2 + 4);
    RandomRewardSum += m.experienceReward;
    m.creditReward = (level + 1) * 100;
}

void BuildMissionRecord(const CelestialBody* body, MissionRecord* record)
{
    const RandomMissionBlock& m = body->mission;
    record->ReleaseContents();
    record->levelSeed = body->levelSeed;
    SetText(record->name, sizeof record->name, "<rand_mission>");
    SetText(record->description, sizeof record->description, "<rand_desc>");
    SetText(record->briefing, sizeof record->briefing, "<rand_brief>");
    const char* faction = GetFactionKey(m.faction);
    SetText(record->faction, sizeof record->faction, faction ? faction : "");
    record->level = body->levelMin;
    record->experienceReward = m.experienceReward;
    record->creditReward = m.creditReward;
    SetText(record->environment, sizeof record->environment, BodyEnvironmentName(body->environment));
    record->flags = MISSION_DATA_BUILT | MISSION_DATA_OWN_ENVIRONMENT;
    record->levelTemplate = LEVEL_TEMPLATE_NONE;
    record->noDropship = false;

    Objective* o = new Objective();
    switch (m.category) {
    case MISSION_ELIMINATE: o->type = OBJECTIVE_ELIMINATE_ENEMIES; break;
    case MISSION_DESTROY:
        o->type = OBJECTIVE_DESTROY_BUILDING;
        if (strstr(m.target, "stronghold")) o->flags |= OBJECTIVE_MAP_CENTER;
        break;
    case MISSION_CLEAR: o->type = OBJECTIVE_DESTROY_TYPE; break;
    case MISSION_REPAIR:
        o->type = OBJECTIVE_REPAIR_OBJECT;
        o->flags |= OBJECTIVE_MAP_CENTER;
        break;
    case MISSION_COLLECT:
        o->type = OBJECTIVE_RECOVER_OBJECT;
        SetText(o->verb, sizeof o->verb, m.verb);
        break;
    case MISSION_PROSPECT: o->type = OBJECTIVE_MINING; break;
    case MISSION_BUILD: o->type = OBJECTIVE_BUILD; break;
    default: break;
    }
    if (m.category >= 0 && m.category <= MISSION_BUILD) {
        SetText(o->target, sizeof o->target, m.target);
        o->targetCount = m.count;
    }
    record->AddObjective(o);
    // A nest hunt brings its own creatures.
    if (m.category == MISSION_ELIMINATE && strcasecmp(m.target, "creature_nest") == 0) return;
    record->creatureCount = strcasecmp(record->environment, "moon") == 0 ? 0 : 1;
}

namespace {

// The crew and what it does, the operations and the ships of each faction.
struct FactionWords {
    const char* nestCrew;
    const char* nestActivity;
    const char* operations;
    const char* crew;
    const char* ships;
    const char* shipCrew;
    const char* probes;
    const char* site;
};
const FactionWords Words[4] = {
    {"geophysics team", "conducting a survey of", "mining operations", "workers", "our transport ships", "our workers",
     "Guild", "large scale mining operation"},
    {"civilian exploration team", "surveying", "military operations", "forces", "our supply ships", "our troops",
     "surveillance", "military supply post"},
    {"workers", "surveying", "operations", "workers", "our transport ships", "our workers", "company",
     "large scale mining operation"},
    {"archaeology team", "excavating", "scientific experiments in this area", "science teams", "our transport ships",
     "our science teams", "science", "scientific research station"},
};

bool Is(const char* a, const char* b)
{
    return strcasecmp(a, b) == 0;
}

}  // namespace

void BuildMissionBriefing(int faction, int category, const char* target, int count)
{
    char* line = MissionObjectiveText;
    char* text = MissionBriefingText;
    const size_t lineSize = sizeof MissionObjectiveText, textSize = sizeof MissionBriefingText;
    SetText(line, lineSize, "not-set");
    SetText(text, textSize, "not-set");
    if (!target) target = "none";
    const FactionWords& w = Words[faction >= 0 && faction < 4 ? faction : 0];
    const char* verb = category >= 0 && category <= MISSION_BUILD ? CategoryVerbs[category] : "none";

    if (count > 1 && count < 30)
        snprintf(line, lineSize, "%s %d %ss", verb, count, target);
    else if (count >= 30)
        snprintf(line, lineSize, "%s %d %s", verb, count, target);
    else
        snprintf(line, lineSize, "%s the %s", verb, target);

    switch (category) {
    case MISSION_ELIMINATE:
        if (Is(target, "creature_nest")) {
            snprintf(text, textSize,
                     count > 1 ? "Creature nests are preventing our %s from %s this area. Your task is to eliminate "
                                 "these nests and make the area safe for future missions."
                               : "A creature nest is preventing our %s from %s this area. Your task is to eliminate "
                                 "the nest and make the area safe for future missions.",
                     w.nestCrew, w.nestActivity);
        } else if (Is(target, "scavenger_boss")) {
            SetText(text, textSize,
                    "A dangerous Scavenger boss has been seen in this area. This scavenger is a threat to operations "
                    "in the area and must be eliminated!");
        } else if (Is(target, "Elite_Scavenger")) {
            SetText(text, textSize,
                    "A dangerous Elite-class Scavenger has been seen in this area. This scavenger is a serious "
                    "threat to operations in the area and must be eliminated!");
        } else if (Is(target, "Elite_Winged_Beast")) {
            SetText(text, textSize,
                    "There have been numerous reports of a huge winged creature in the area terrorizing workers. "
                    "Locate and eliminate this beast.");
        } else if (Is(target, "Elite_Trex")) {
            SetText(text, textSize,
                    "There have been reports of a huge dinosaur-like creature in the area terrorizing workers. "
                    "Locate and eliminate this beast.");
        }
        break;
    case MISSION_DESTROY:
        if (Is(target, "Scavenger_stronghold") || Is(target, "Scavenger_camp") || Is(target, "Scavenger_outpost")) {
            snprintf(text, textSize, "A %s is disrupting %s. Destroy the %s so that the area is safe for our %s.",
                     target, w.operations, target + 10, w.crew);
        } else if (Is(target, "weapons_cache")) {
            SetText(text, textSize,
                    "Intelligence reports have identified several Scavenger weapons caches on this planet. It is "
                    "vital that these caches are destroyed for the safety of future operations in this area.");
        } else if (Is(target, "Scavenger_AA_Gun")) {
            snprintf(text, textSize,
                     "Scavenger anti-air cannons are preventing %s from safely landing on this planet. Destroy all "
                     "the cannons so the skies are safe for %s.",
                     w.ships, w.shipCrew);
        }
        break;
    case MISSION_CLEAR: {
        // Rocks or ice: the briefing names what is really in the way.
        const bool rocks = strncmp(target, "breakable_rocks", 15) == 0;
        const char* name = rocks ? "Rocks" : "Ice blocks";
        SetText(line, lineSize, rocks ? "Clear rocks" : "Clear ice blocks");
        switch (faction) {
        case 1:
            snprintf(text, textSize,
                     "%s are preventing a key military outpost from being built. Destroy the %s in the area so that "
                     "our workers can begin construction.",
                     name, name);
            break;
        case 3:
            snprintf(text, textSize,
                     "%s are preventing our archaeologists from accessing a dig site. Destroy the %s in the area so "
                     "that our teams can access the underlying ruins.",
                     name, name);
            break;
        default:
            snprintf(text, textSize,
                     "%s are blocking one of our construction sites. Destroy the %s in the area so that our workers "
                     "can begin construction.",
                     name, name);
            break;
        }
        break;
    }
    case MISSION_REPAIR:
        if (Is(target, "generators")) {
            SetText(text, textSize,
                    "Some of our power generators have been damaged in recent Scavenger attacks. We need you to "
                    "locate and repair these generators. These buildings are critical for work in the area. You "
                    "will need to mine enough ore to complete the repairs.");
        } else if (Is(target, "radar_tower")) {
            SetText(text, textSize,
                    "Some of our radar towers have been damaged by Scavengers. We need you to repair these towers "
                    "so our work can resume. You will need to mine enough ore to complete the repairs.");
        } else if (Is(target, "fuel_tank")) {
            SetText(text, textSize,
                    "One of our remote stations is low on fuel. We need you to gather fuel and refill the fuel "
                    "tanks located at the station.");
            if (count > 1)
                snprintf(line, lineSize, "%s %d %ss", "Fill", count, target);
            else
                snprintf(line, lineSize, "%s %s", "Fill", target);
        } else if (Is(target, "planetary_defense_cannon")) {
            SetText(text, textSize,
                    "Several planetary defense cannons have been damaged by Scavengers making the area vulnerable to "
                    "air attacks. Your mission is to repair these vital planetary defenses. You will need to mine "
                    "enough ore to complete the repairs.");
        }
        break;
    case MISSION_COLLECT:
        if (Is(target, "probe_data")) {
            snprintf(text, textSize,
                     "Several of our %s probes have been analyzing this area for some time. Now their scans have "
                     "completed we need you to retrieve this data.",
                     w.probes);
            snprintf(line, lineSize, "%s %s", "Download", target);
        } else if (Is(target, "relic")) {
            SetText(text, textSize,
                    "We have detected alien relics on this planet. These ancient relics are vital in furthering our "
                    "understanding of alien culture and technology. To complete this mission you must locate and "
                    "collect several relics.");
        } else if (Is(target, "alien_tablet")) {
            SetText(text, textSize,
                    "This planet is rich in alien artifacts. We require some samples of alien writing to increase "
                    "our knowledge of this ancient language. To complete this mission you must locate and analyze "
                    "several alien tablets.");
            snprintf(line, lineSize, "%s %d %ss", "Analyze", count, target);
        } else if (Is(target, "computer_console")) {
            snprintf(text, textSize,
                     "One of our %s has recently gone silent. Your mission is to locate and restore all control "
                     "computers at this location. Be careful! We suspect there are hostiles in the area. It is "
                     "highly unlikely that all of the computers would malfunction at the same time from equipment "
                     "failure alone.",
                     "remote monitoring locations");
            snprintf(line, lineSize, "%s %d %ss", "Restore", count, target);
        }
        break;
    case MISSION_PROSPECT:
        if (Is(target, "ore")) {
            snprintf(text, textSize,
                     "This area could potentially be the site of a %s. Mine the specified amount of ore so we know "
                     "the area is viable for a full scale project.",
                     w.site);
            snprintf(line, lineSize, "Mine and collect %d %s", count, target);
        } else {
            SetText(text, textSize,
                    "This area could potentially be the site of a fueling station. Build wells and collect the "
                    "specified amount of fuel so we know this is a viable site.");
            snprintf(line, lineSize, "Collect %d %s", count, target);
        }
        break;
    default:
        break;
    }
    FormatDisplayText(line, 0);
    FormatDisplayText(text, 0);
}
