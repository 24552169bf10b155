// An agent's lines in scene and save files: the writer and the reader of what an agent adds
// to the entity's lines (its type, orders, load, brain and progress). Cells are the level
// grid's (column, row); -1 -1 stands for none.
#include "world/AgentSceneRecords.h"

#include "host/Lexer.h"
#include "host/Log.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/ExactFloat.h"
#include "render/IndexedMesh.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/AiBrain.h"
#include "world/Building.h"
#include "world/Grid.h"
#include "world/PathFinder.h"
#include "world/ProjectileSystem.h"
#include "world/TaskManager.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The cell of a position; false (with -1 -1) off the grid or without one.
bool CellOf(const Vec3& position, int* column, int* row)
{
    *column = *row = -1;
    const Grid* grid = CurrentGrid();
    return grid && grid->WorldToCell(position, column, row);
}

Vec3 CellPosition(int column, int row)
{
    const Grid* grid = CurrentGrid();
    if (grid) return grid->CellToWorld(column, row);
    Grid level(128, 2.5f);
    return level.CellToWorld(column, row);
}

bool IsCell(int column, int row)
{
    return column != -1 || row != -1;
}

void WriteCellLine(FILE* file, const char* format, Entity* entity)
{
    int column, row;
    if (entity && CellOf(entity->GetPosition(), &column, &row)) fprintf(file, format, column, row);
}

int BrainMode(const Agent* agent)
{
    return agent->brain ? agent->brain->mode : AI_MODE_NONE;
}

// A shot's link to an entity that was set but has left the level.
constexpr int SHOT_GONE = -2;

// The values of a save's state lines: numbers whole, entities by their save numbers.
struct StateLine {
    FILE* file;
    explicit StateLine(FILE* out, const char* keyword) : file(out)
    {
        fputs(keyword, file);
        fputc('\t', file);
    }
    ~StateLine() { fputc('\n', file); }
    // A save prints tens of numbers a unit, and the replay's recorder hashes a save every
    // minute of play: they are printed as printf would, without it.
    StateLine& F(float value)
    {
        WriteExactFloats(file, " ", &value, 1, "");
        return *this;
    }
    StateLine& V(const Vec3& value) { return F(value.x).F(value.y).F(value.z); }
    StateLine& I(long value)
    {
        char text[24];
        char* at = text + sizeof text;
        unsigned long magnitude = value < 0 ? 0ul - (unsigned long)value : (unsigned long)value;
        do {
            *--at = (char)('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude);
        if (value < 0) *--at = '-';
        *--at = ' ';
        fwrite(at, 1, (size_t)(text + sizeof text - at), file);
        return *this;
    }
    StateLine& W(const char* word)
    {
        fputc(' ', file);
        fputs(word && *word ? word : "-", file);
        return *this;
    }
    StateLine& E(const Entity* entity) { return I(TheScene.SaveNumberOf(entity)); }
    StateLine& R(const EntityRef& ref) { return E(ref.Get()); }
    // An entity kept by its id alone (0 for none).
    StateLine& Id(unsigned id) { return E(id ? TheScene.FindEntityById((int)id, SEGMENTS_ALL) : nullptr); }
    // A shot's link: as R, and SHOT_GONE for an entity it was fired by or at that has left the
    // level since (a shell still flies on to where its target stood).
    StateLine& S(const EntityRef& ref) { return ref.IsSet() && !ref.Get() ? I(SHOT_GONE) : R(ref); }
    // What a shot carries of its weapon: 0, or 1 and the weapon whole but for its item (a shot
    // leaves its muzzle without one). Its words are the catalogue's names, single words.
    StateLine& Weapon(bool has, const WeaponDef& weapon)
    {
        I(has ? 1 : 0);
        if (!has) return *this;
        return W(weapon.name)
            .I(weapon.type)
            .I((long)(int32_t)weapon.flags)
            .F(weapon.damage)
            .F(weapon.shotTime)
            .F(weapon.range)
            .F(weapon.interval)
            .F(weapon.windUp)
            .I((long)(int32_t)weapon.colour)
            .W(weapon.texts[0])
            .W(weapon.texts[1])
            .W(weapon.soundName)
            .W(weapon.hitAnimation)
            .V(weapon.shootOffset);
    }
    StateLine& P(const ProgressClock& clock)
    {
        const ProgressClock::Held held = clock.Hold();
        return F(held.standing).F(held.closest).V(held.wayEnd).I(held.wayPoints).I(held.measured);
    }
};

}  // namespace

void Agent::SaveStateToScene(FILE* file)
{
    if (!file) return;
    fprintf(file, "SaveId\t\t\t\t%d\n", TheScene.SaveNumberOf(this));
    StateLine(file, "UnitMotion")
        .V(GetPosition())
        .F(yaw)
        .F(targetYaw)
        .F(previousYaw)
        .V(velocity)
        .V(moveTarget)
        .V(stepTarget)
        .V(previousTarget)
        .F(currentSpeed)
        .F(waitTime)
        .F(blockedTime)
        .I((long)(classWord & AGENT_LEVEL_BITS));
    StateLine(file, "UnitClocks")
        .F(ageTimers[0])
        .F(ageTimers[1])
        .F(sinceReset)
        .F(thinkOffset)
        .F(attackTimer)
        .I(fireToggle)
        .F(engagedTime)
        .F(processTimer)
        .F(pathRetryTime)
        .F(goalBlockedTime)
        .I(walkRoundFailed)
        .F(freezeTime)
        .F(cloakTime)
        .F(mineTimer)
        .I(mines)
        .F(shield)
        .F(maxShield);
    StateLine(file, "UnitWork")
        .I(aiMode)
        .R(target)
        .R(spawner)
        .V(spawnPoint)
        .R(activeBuilding)
        .R(activeObject)
        .R(mine)
        .R(dropOff)
        .V(lastMinePosition)
        .I(rememberMine)
        .F(oreLoad)
        .F(loadValue)
        .F(workTimer)
        .Id(ownShotMissedFoe)
        .I(kills)
        .I(stance);
    StateLine(file, "UnitProgress").P(moveProgress);
    {
        StateLine line(file, "UnitPath");
        if (!path) {
            line.I(-1);
        } else {
            line.I(path->current).I(path->count);
            for (int i = 0; i < path->count && i < PATH_POINTS; ++i) line.V(path->points[i]);
        }
    }
    {
        StateLine line(file, "UnitQueue");
        line.I(moveQueue.Count());
        for (const PooledList<Vec3>::Node* node = moveQueue.Points().head; node; node = node->next) line.V(node->value);
    }
    {
        StateLine line(file, "UnitMounts");
        line.I(attachmentCount);
        for (int i = 0; i < attachmentCount; ++i) line.F(attachments[i].clock).Id(attachments[i].missedFoe);
    }
    {
        StateLine line(file, "UnitThreats");
        line.I(threatCount);
        for (int i = 0; i < threatCount && i < AGENT_THREATS; ++i)
            line.R(threats[i].attacker).F(threats[i].threat).F(threats[i].lastHit);
    }
    {
        StateLine line(file, "UnitStatus");
        line.I(statusCount);
        for (int i = 0; i < statusCount && i < AGENT_STATUS_EFFECTS; ++i) {
            const StatusEffect& effect = statusEffects[i];
            line.I(effect.kind).F(effect.amount).F(effect.interval).F(effect.tickTimer).F(effect.timeLeft).R(effect.source);
        }
    }
    if (mesh) {
        const std::vector<float> pose = mesh->HoldAnimation();
        StateLine line(file, "UnitPose");
        line.I((long)pose.size());
        for (float value : pose) line.F(value);
    }
    if (!brain) return;
    {
        StateLine line(file, "UnitBrain");
        line.I(brain->mode)
            .I(brain->ownFight)
            .I(brain->resumeMode)
            .R(brain->resumeTarget)
            .V(brain->fightOrigin)
            .I(brain->holdsPlace)
            .I(brain->resumeAttackMove)
            .I(brain->moveHeldUp)
            .F(brain->wayLookedAt)
            .R(brain->fightFoe)
            .R(brain->noSpotFoe)
            .F(brain->noSpotAt)
            .P(brain->fightProgress)
            .I(brain->resumeLegCount);
        for (int i = 0; i < brain->resumeLegCount && i < AIBrain::RESUME_LEGS; ++i) line.V(brain->resumeLegs[i]);
    }
    const Job* job = brain->job;
    StateLine line(file, "UnitJob");
    if (!job) {
        line.W("-");
        return;
    }
    int step = -1, index = 0;
    for (const TaskStep* at = job->firstStep; at && step < 0; at = at->next, ++index)
        if (at == job->currentStep) step = index;
    line.W(job->name)
        .I(step)
        .F(job->timer)
        .I(job->stepState)
        .W(job->path ? job->path->name : "-")
        .I(job->pathIndex)
        .I(job->warnedLoop)
        .I((long)job->flags);
}

void Agent::SaveToScene(FILE* file)
{
    if (!file) return;
    if (flags & ENTITY_PLAYER) {
        if (BrainMode(this) == AI_MODE_BUILD) fprintf(file, "PlayerState\t\tBuild\n");
        if (BrainMode(this) == AI_MODE_REPAIR) fprintf(file, "PlayerState\t\tRepair\n");
        if (Entity* building = activeBuilding.Get())
            WriteCellLine(file, "PlayerActiveBuilding\t\t%d %d\n", building);
        else if (Entity* object = activeObject.Get())
            WriteCellLine(file, "PlayerActiveObject\t\t%d %d\n", object);
        return;
    }
    const AgentType* type = TheGame && TheGame->agentTypes ? TheGame->agentTypes->FindTypeFor(this) : nullptr;
    if (!type) return;

    // Inside an upgrader or recycler: at work there, or held by it and waiting.
    Entity* building = activeBuilding.Get();
    const bool inside = building && (building->flags & ENTITY_BUILDING) &&
                        (processTimer > 0.0f || static_cast<Building*>(building)->recycleTimer > 0.0f ||
                         static_cast<Building*>(building)->HeldUnit() == this);
    if (inside)
        fprintf(file, "CreateAgent\t\t\t%s\n", type->name);
    else
        fprintf(file, "AddAgent\t\t\t\t%s\n", type->name);
    // A unit on another side than its type's (an enemy bot, a scavenger won over) says so
    // before the lines that are read by side.
    if (!type->prototype || alignment != type->prototype->alignment)
        fprintf(file, "SetAlignment\t\t%s\n", AlignmentWord(alignment));
    // The own maximum: upgrades are saved apart and add to it again when read back.
    const float hull[] = {health, maxHealth}, scales[] = {scale, scale, scale};
    WriteExactFloats(file, "SetBothHealth\t\t\t", hull, 2, "\n");
    if (yaw != 0.0f) WriteExactFloats(file, "SetRotate\t\t\t\t\t", &yaw, 1, "\n");
    if (targetYaw != yaw) WriteExactFloats(file, "TurningTo\t\t\t\t", &targetYaw, 1, "\n");
    WriteExactFloats(file, "SetScale\t\t\t\t", scales, 3, "\n");
    int column, row;
    if (!inside) {
        CellOf(GetPosition(), &column, &row);
        fprintf(file, "SetMapCoord\t\t\t%d %d\n", column, row);
        // The cell for a reader that knows no more; the place itself, where the unit stood in it.
        const Vec3 at = GetPosition();
        const float place[] = {at.x, at.y, at.z};
        WriteExactFloats(file, "SetPosition\t\t\t", place, 3, "\n");
    }
    if (groupId > -1) fprintf(file, "SetGroupId\t\t\t%d\n", groupId);
    if (botExperience > 0) fprintf(file, "Kills\t\t\t\t\t%d\n", kills);
    // Each line ends: a number running into the next keyword would be read as one word.
    if (classWord & AGENT_CLASS_MINE_LAYER) fprintf(file, "Mines\t\t\t\t\t%d\t%.2f\n", mines, mineTimer);
    if (flags & ENTITY_OBJECT_OF_INTEREST) fprintf(file, "SetFlag\t\t\t\tENTITY_OBJECT_OF_INTEREST\n");
    if (classWord & AGENT_OBJECTIVE) fprintf(file, "SetAgentObjective\n");
    if (classWord & AGENT_CLOAKED) fprintf(file, "CloakedTime\t\t\t\t%.2f\n", cloakTime);
    if (freezeTime > 0.0f) fprintf(file, "FreezeTime\t\t\t\t%.2f\n", freezeTime);
    if (classWord & AGENT_SPAWNED) fprintf(file, "SetAgentIsSpawned\n");
    if (classWord & AGENT_DISCOVERED) fprintf(file, "SetAgentDiscovered\n");
    // Seen by the player: the fog does not find it again.
    if (discovered) fprintf(file, "SetVisited\t\t%d\n", (int)discovered);
    WriteCellLine(file, "ActiveBuilding\t\t%d %d\n", building);

    if (alignment == ALIGN_PLAYER) {
        // The "AIMode" line keeps how the unit was told to fight (its stance).
        if (stance != AGENT_STANCE_DEFAULT) fprintf(file, "AIMode\t\t\t\t\t%d\n", stance);
        if (upgradeFlags != 0) fprintf(file, "SetUpgradeFlags\t\t\t%d\n", (int)upgradeFlags);
        if (botExperience > 0) fprintf(file, "BotExperience\t\t\t\t%d\n", botExperience);
        if (TheGame) TheGame->WriteControlGroups(this, file);
        if (HasStanceBits() && BrainMode(this) == AI_MODE_IDLE && CellOf(moveTarget, &column, &row))
            fprintf(file, "MoveCommand\t\t%d %d\n", column, row);
        for (const PooledList<Vec3>::Node* node = moveQueue.Points().head; node; node = node->next)
            if (CellOf(node->value, &column, &row)) fprintf(file, "MoveWaypoint\t\t%d %d\n", column, row);
        if (classWord & AGENT_CLASS_MINER) {
            if (oreLoad > 0.0f || loadValue > 0.0f || workTimer > 0.0f)
                fprintf(file, "MinerData\t\t\t%.2f %.2f %.2f\n", oreLoad, loadValue, workTimer);
            Entity* ore = mine.Get();
            Entity* home = dropOff.Get();
            if (ore || home) {
                int mineColumn = -1, mineRow = -1, homeColumn = -1, homeRow = -1;
                if (ore) CellOf(ore->GetPosition(), &mineColumn, &mineRow);
                if (home) CellOf(home->GetPosition(), &homeColumn, &homeRow);
                fprintf(file, "MinerCoords\t\t%d %d %d %d\n", mineColumn, mineRow, homeColumn, homeRow);
            }
            if (BrainMode(this) == AI_MODE_MINING) fprintf(file, "BrainState\t\tMining\n");
            if (BrainMode(this) == AI_MODE_MINING_RETURN_TO_DROPOFF)
                fprintf(file, "BrainState\t\tMiningReturnToDropoff\n");
        }
    } else {
        // The experience first: it sets a level, which the saved level then overrides. Without
        // it the next save would drop the kills that go with it.
        if (botExperience > 0) fprintf(file, "BotExperience\t\t\t\t%d\n", botExperience);
        if (alignment == ALIGN_ENEMY) {
            column = row = -1;
            if (spawnPoint.x > -900.0f) CellOf(spawnPoint, &column, &row);
            fprintf(file, "SpawnCoord\t\t\t%d %d\n", column, row);
            if (botLevel > 0 || (botExperience > 0 && LevelForExperience(botExperience) != botLevel))
                fprintf(file, "BotLevel\t\t\t\t%d\n", botLevel);
        }
    }
    SaveStateToScene(file);
}

namespace {

// The mount a shot left from, as the index of the shooter's attachment it is: the mount is a
// place in the shooter's own array, which a load makes anew, and the shooter is in the save.
// (The weapon's item is not: for the rig it is equipment the profile holds, and a shot carries
// none anyway.) -1 for none, or a shooter gone.
int MountIndex(const EntityRef& shooter, const AgentAttachment* mount)
{
    Entity* entity = mount ? shooter.Get() : nullptr;
    if (!entity || !(entity->flags & ENTITY_AGENT)) return -1;
    const Agent* agent = static_cast<const Agent*>(entity);
    for (int i = 0; i < agent->attachmentCount; ++i)
        if (&agent->attachments[i] == mount) return i;
    return -1;
}

}  // namespace

void WriteShotsToScene(FILE* file, const ProjectileSystem& shots)
{
    if (!file) return;
    for (const auto* node = shots.projectiles.head; node; node = node->next) {
        const Projectile& p = *node->value;
        StateLine(file, "ShotProjectile")
            .S(p.shooter)
            .S(p.target)
            .I(MountIndex(p.shooter, p.mount))
            .I((long)p.flags)
            .V(p.position)
            .V(p.previousPosition)
            .V(p.launchPosition)
            .V(p.aimPoint)
            .V(p.direction)
            .F(p.speed)
            .F(p.splashRadius)
            .F(p.damage)
            .F(p.age)
            .I(p.targetHit ? 1 : 0)
            .I(p.alignment)
            .I(p.explosionKind)
            .Weapon(p.hasWeapon, p.weapon);
    }
    for (const auto* node = shots.beams.head; node; node = node->next) {
        const Beam& b = *node->value;
        StateLine line(file, "ShotBeam");
        line.S(b.shooter)
            .S(b.target)
            .I(MountIndex(b.shooter, b.mount))
            .I(b.weaponType)
            .F(b.damage)
            .F(b.duration)
            .F(b.age)
            .F(b.frameTimer)
            .F(b.accumulated)
            .I((long)(int32_t)b.colour)
            .I(b.alignment)
            .F(b.lastDealt)
            .I(b.chainCount);
        for (int i = 0; i < b.chainCount && i < BEAM_CHAIN_MAX; ++i) line.S(b.chain[i]);
        line.Weapon(b.hasWeapon, b.weapon);
    }
    for (const auto* node = shots.meleeHits.head; node; node = node->next) {
        const MeleeHit& hit = *node->value;
        StateLine(file, "ShotMelee").S(hit.attacker).S(hit.target).F(hit.delay);
    }
}

namespace {

struct RecordReader {
    Lexer& in;
    Scene& scene;
    Agent* agent;
    std::string* glued;

    bool Int(int* out)
    {
        const char* token = in.Peek();
        int value = 0;
        if (!token || in.ToInt(token, &value) != NumberStatus::OK) return false;
        in.Next();
        *out = value;
        return true;
    }
    // A number, or a number with the next keyword glued to it (the keyword is kept for the
    // reader to read next).
    bool Float(float* out)
    {
        const char* token = in.Peek();
        if (!token) return false;
        float value = 0.0f;
        size_t length = ScanNumber(token, true, true);
        if (length == 0 || !isalpha((unsigned char)token[length])) {
            if (in.ToFloat(token, &value) != NumberStatus::OK) return false;
            in.Next();
            *out = value;
            return true;
        }
        std::string number(token, length), rest(token + length);
        if (in.ToFloat(number.c_str(), &value) != NumberStatus::OK) return false;
        in.Next();
        *out = value;
        if (glued) *glued = rest;
        return true;
    }
    bool Cell(int* column, int* row) { return Int(column) && Int(row); }
    bool Vec(Vec3* out) { return Float(&out->x) && Float(&out->y) && Float(&out->z); }
    bool Flag(bool* out)
    {
        int value = 0;
        if (!Int(&value)) return false;
        *out = value != 0;
        return true;
    }
    bool Clock(ProgressClock::Held* out)
    {
        return Float(&out->standing) && Float(&out->closest) && Vec(&out->wayEnd) && Int(&out->wayPoints) &&
               Flag(&out->measured);
    }
    // A count of what follows, never more than the room it goes into.
    bool Count(int* out, int room)
    {
        if (!Int(out)) return false;
        if (*out < 0 || *out > room) {
            in.Warn(in.Line(), "a count of %d where %d fit: the line is passed over", *out, room);
            return false;
        }
        return true;
    }

    // The entity standing in a cell now, or, when the level is still being read, a link made
    // once it stands.
    void Link(int kind, int column, int row)
    {
        if (!agent || !IsCell(column, row)) return;
        // An agent in none of the lists waits inside the building: it is handed to the building
        // once the level stands.
        const bool held = kind == LINK_ACTIVE_BUILDING && !scene.Resolve(agent, agent->id);
        const bool toBuilding = kind == LINK_ACTIVE_BUILDING || kind == LINK_DROP_OFF;
        Entity* found = held         ? nullptr
                        : toBuilding ? scene.FindBuildingAtCell(column, row)
                                     : scene.FindEntityAtCell(column, row);
        switch (found ? kind : 0) {
        case LINK_ACTIVE_BUILDING: agent->activeBuilding.Set(found); return;
        case LINK_ACTIVE_OBJECT: agent->activeObject.Set(found); return;
        case LINK_MINE: agent->mine.Set(found); return;
        case LINK_DROP_OFF: agent->dropOff.Set(found); return;
        default: break;
        }
        if (!scene.AddPendingLink(agent, kind, column, row))
            Log("ERROR Scene: no room for the link of %s to cell %d %d\n", agent->name, column, row);
    }
};

// Room for a mesh's pose in a save: its clock, a blend's samples and a base for every joint.
constexpr int MAX_POSE_VALUES = 4096;

// The entity a save number names once the level stands.
Entity* Named(int number)
{
    return TheScene.EntityOfSaveNumber(number);
}

// A number the save gave an entity it does not hold (the unit's lines written alone) leaves
// the link the unit's scene lines made (a miner's refinery by its cell).
void SetRef(EntityRef* ref, int number)
{
    Entity* named = Named(number);
    if (named || number < 0) ref->Set(named);
}

unsigned IdOf(int number)
{
    const Entity* entity = Named(number);
    return entity ? entity->id : 0;
}

// A state line of the agent the reader stands on: its values read whole (or the line passed
// over, logged), then put back once the level has settled.
template <class Values, class Read, class Put>
void ReadState(RecordReader& r, const char* keyword, Read read, Put put)
{
    Values values;
    if (!read(values)) {
        r.in.Warn(r.in.Line(), "%s is cut short: the unit goes on without it", keyword);
        return;
    }
    if (!r.agent) return;
    r.scene.PutBackOnceSettled(r.agent, [values, put](Entity* entity) { put(static_cast<Agent*>(entity), values); });
}

struct MotionValues {
    Vec3 position, velocity, moveTarget, stepTarget, previousTarget;
    float yaw = 0.0f, targetYaw = 0.0f, previousYaw = 0.0f, speed = 0.0f, waitTime = 0.0f, blockedTime = 0.0f;
    int bits = 0;
};
struct ClockValues {
    float age[2] = {}, sinceReset = 0.0f, thinkOffset = 0.0f, attackTimer = 0.0f, engagedTime = 0.0f,
          processTimer = 0.0f, pathRetryTime = 0.0f, goalBlockedTime = 0.0f, freezeTime = 0.0f, cloakTime = 0.0f,
          mineTimer = 0.0f, shield = 0.0f, maxShield = 0.0f;
    int fireToggle = 0, walkRoundFailed = 0, mines = 0;
};
struct WorkValues {
    int aiMode = 0, target = -1, spawner = -1, activeBuilding = -1, activeObject = -1, mine = -1, dropOff = -1,
        missedFoe = -1, kills = 0, stance = 0;
    Vec3 spawnPoint, lastMinePosition;
    bool rememberMine = false;
    float oreLoad = 0.0f, loadValue = 0.0f, workTimer = 0.0f;
};
struct PathValues {
    int current = -1, count = -1;
    std::vector<Vec3> points;
};
struct MountValues {
    int count = 0;
    float clock[AGENT_ATTACHMENTS] = {};
    int missedFoe[AGENT_ATTACHMENTS] = {};
};
struct ThreatValues {
    int count = 0;
    int attacker[AGENT_THREATS] = {};
    float threat[AGENT_THREATS] = {}, lastHit[AGENT_THREATS] = {};
};
struct StatusValues {
    int count = 0;
    StatusEffect effects[AGENT_STATUS_EFFECTS] = {};
    int source[AGENT_STATUS_EFFECTS] = {};
};
struct BrainValues {
    int mode = AI_MODE_NONE, resumeMode = AI_MODE_NONE, resumeTarget = -1, fightFoe = -1, noSpotFoe = -1, legCount = 0;
    bool ownFight = false, holdsPlace = false, resumeAttackMove = false, moveHeldUp = false;
    Vec3 fightOrigin;
    float wayLookedAt = 0.0f, noSpotAt = 0.0f;
    ProgressClock::Held fightProgress;
    Vec3 legs[AIBrain::RESUME_LEGS];
};
struct JobValues {
    std::string name, path;
    int step = -1, stepState = 0, pathIndex = 0, flags = 0;
    float timer = 0.0f;
    bool warnedLoop = false;
};

// The lines of what an agent is doing (Agent::SaveStateToScene); false for another keyword.
bool ReadAgentState(const std::string& word, RecordReader& r)
{
    if (word == "UnitMotion") {
        ReadState<MotionValues>(
            r, "UnitMotion",
            [&](MotionValues& v) {
                return r.Vec(&v.position) && r.Float(&v.yaw) && r.Float(&v.targetYaw) && r.Float(&v.previousYaw) &&
                       r.Vec(&v.velocity) && r.Vec(&v.moveTarget) && r.Vec(&v.stepTarget) && r.Vec(&v.previousTarget) &&
                       r.Float(&v.speed) && r.Float(&v.waitTime) && r.Float(&v.blockedTime) && r.Int(&v.bits);
            },
            [](Agent* a, const MotionValues& v) {
                // A place off the map (a damaged save) leaves the unit where its scene lines
                // stood it, its move started afresh.
                int column = 0, row = 0;
                const Grid* grid = CurrentGrid();
                if (grid && !grid->WorldToCell(v.position, &column, &row)) {
                    Log("WARNING: the save puts %s off the map: it stays where its lines stood it\n", a->name);
                    return;
                }
                a->yaw = v.yaw;
                a->targetYaw = v.targetYaw;
                a->previousYaw = v.previousYaw;
                MatrixRotationY(&a->rotation, DegreesToRadians(v.yaw));
                a->SetPosition(v.position);
                a->velocity = v.velocity;
                a->moveTarget = v.moveTarget;
                a->stepTarget = v.stepTarget;
                a->previousTarget = v.previousTarget;
                a->currentSpeed = v.speed;
                a->waitTime = v.waitTime;
                a->blockedTime = v.blockedTime;
                a->classWord = (a->classWord & ~AGENT_LEVEL_BITS) | ((uint32_t)v.bits & AGENT_LEVEL_BITS);
            });
        return true;
    }
    if (word == "UnitClocks") {
        ReadState<ClockValues>(
            r, "UnitClocks",
            [&](ClockValues& v) {
                return r.Float(&v.age[0]) && r.Float(&v.age[1]) && r.Float(&v.sinceReset) && r.Float(&v.thinkOffset) &&
                       r.Float(&v.attackTimer) && r.Int(&v.fireToggle) && r.Float(&v.engagedTime) &&
                       r.Float(&v.processTimer) && r.Float(&v.pathRetryTime) && r.Float(&v.goalBlockedTime) &&
                       r.Int(&v.walkRoundFailed) && r.Float(&v.freezeTime) && r.Float(&v.cloakTime) &&
                       r.Float(&v.mineTimer) && r.Int(&v.mines) && r.Float(&v.shield) && r.Float(&v.maxShield);
            },
            [](Agent* a, const ClockValues& v) {
                a->ageTimers[0] = v.age[0];
                a->ageTimers[1] = v.age[1];
                a->sinceReset = v.sinceReset;
                a->thinkOffset = v.thinkOffset;
                a->attackTimer = v.attackTimer;
                a->fireToggle = v.fireToggle;
                a->engagedTime = v.engagedTime;
                a->processTimer = v.processTimer;
                a->pathRetryTime = v.pathRetryTime;
                a->goalBlockedTime = v.goalBlockedTime;
                a->walkRoundFailed = v.walkRoundFailed;
                a->freezeTime = v.freezeTime;
                a->cloakTime = v.cloakTime;
                a->mineTimer = v.mineTimer;
                a->mines = v.mines;
                a->shield = v.shield;
                a->maxShield = v.maxShield;
            });
        return true;
    }
    if (word == "UnitWork") {
        ReadState<WorkValues>(
            r, "UnitWork",
            [&](WorkValues& v) {
                return r.Int(&v.aiMode) && r.Int(&v.target) && r.Int(&v.spawner) && r.Vec(&v.spawnPoint) &&
                       r.Int(&v.activeBuilding) && r.Int(&v.activeObject) && r.Int(&v.mine) && r.Int(&v.dropOff) &&
                       r.Vec(&v.lastMinePosition) && r.Flag(&v.rememberMine) && r.Float(&v.oreLoad) &&
                       r.Float(&v.loadValue) && r.Float(&v.workTimer) && r.Int(&v.missedFoe) && r.Int(&v.kills) &&
                       r.Int(&v.stance);
            },
            [](Agent* a, const WorkValues& v) {
                a->aiMode = v.aiMode;
                SetRef(&a->target, v.target);
                SetRef(&a->spawner, v.spawner);
                a->spawnPoint = v.spawnPoint;
                SetRef(&a->activeBuilding, v.activeBuilding);
                SetRef(&a->activeObject, v.activeObject);
                SetRef(&a->mine, v.mine);
                SetRef(&a->dropOff, v.dropOff);
                a->lastMinePosition = v.lastMinePosition;
                a->rememberMine = v.rememberMine;
                a->oreLoad = v.oreLoad;
                a->loadValue = v.loadValue;
                a->workTimer = v.workTimer;
                a->ownShotMissedFoe = IdOf(v.missedFoe);
                a->kills = v.kills;
                a->stance = v.stance;
            });
        return true;
    }
    if (word == "UnitProgress") {
        ReadState<ProgressClock::Held>(
            r, "UnitProgress", [&](ProgressClock::Held& v) { return r.Clock(&v); },
            [](Agent* a, const ProgressClock::Held& v) { a->moveProgress.TakeBack(v); });
        return true;
    }
    if (word == "UnitPath") {
        ReadState<PathValues>(
            r, "UnitPath",
            [&](PathValues& v) {
                if (!r.Int(&v.current)) return false;
                if (v.current < 0) return true;
                if (!r.Count(&v.count, PATH_POINTS)) return false;
                v.points.resize((size_t)v.count);
                for (Vec3& point : v.points)
                    if (!r.Vec(&point)) return false;
                return true;
            },
            [](Agent* a, const PathValues& v) {
                a->ForgetPath();
                if (v.current < 0 || !TheGame || !TheGame->pathPool) return;
                a->path = TheGame->pathPool->Acquire();
                if (!a->path) {
                    Log("WARNING: no path is free for %s read from the save: it plans its way again\n", a->name);
                    return;
                }
                for (const Vec3& point : v.points) a->path->AddPoint(point);
                a->path->current = std::clamp(v.current, 0, a->path->count);
            });
        return true;
    }
    if (word == "UnitQueue") {
        ReadState<PathValues>(
            r, "UnitQueue",
            [&](PathValues& v) {
                if (!r.Count(&v.count, AGENT_MOVE_QUEUE_SIZE)) return false;
                v.points.resize((size_t)v.count);
                for (Vec3& point : v.points)
                    if (!r.Vec(&point)) return false;
                return true;
            },
            [](Agent* a, const PathValues& v) {
                // The points whole, in place of the cells the lines before named them by.
                a->moveQueue.Clear();
                for (const Vec3& point : v.points) a->moveQueue.Push(point);
            });
        return true;
    }
    if (word == "UnitMounts") {
        ReadState<MountValues>(
            r, "UnitMounts",
            [&](MountValues& v) {
                if (!r.Count(&v.count, AGENT_ATTACHMENTS)) return false;
                for (int i = 0; i < v.count; ++i)
                    if (!r.Float(&v.clock[i]) || !r.Int(&v.missedFoe[i])) return false;
                return true;
            },
            [](Agent* a, const MountValues& v) {
                for (int i = 0; i < v.count && i < a->attachmentCount; ++i) {
                    a->attachments[i].clock = v.clock[i];
                    a->attachments[i].missedFoe = IdOf(v.missedFoe[i]);
                }
            });
        return true;
    }
    if (word == "UnitThreats") {
        ReadState<ThreatValues>(
            r, "UnitThreats",
            [&](ThreatValues& v) {
                if (!r.Count(&v.count, AGENT_THREATS)) return false;
                for (int i = 0; i < v.count; ++i)
                    if (!r.Int(&v.attacker[i]) || !r.Float(&v.threat[i]) || !r.Float(&v.lastHit[i])) return false;
                return true;
            },
            [](Agent* a, const ThreatValues& v) {
                a->threatCount = v.count;
                for (int i = 0; i < AGENT_THREATS; ++i) {
                    ThreatRecord& threat = a->threats[i];
                    threat = ThreatRecord{EntityRef(), 0.0f, 0.0f};
                    if (i >= v.count) continue;
                    SetRef(&threat.attacker, v.attacker[i]);
                    threat.threat = v.threat[i];
                    threat.lastHit = v.lastHit[i];
                }
            });
        return true;
    }
    if (word == "UnitStatus") {
        ReadState<StatusValues>(
            r, "UnitStatus",
            [&](StatusValues& v) {
                if (!r.Count(&v.count, AGENT_STATUS_EFFECTS)) return false;
                for (int i = 0; i < v.count; ++i) {
                    StatusEffect& e = v.effects[i];
                    if (!(r.Int(&e.kind) && r.Float(&e.amount) && r.Float(&e.interval) && r.Float(&e.tickTimer) &&
                          r.Float(&e.timeLeft) && r.Int(&v.source[i])))
                        return false;
                }
                return true;
            },
            [](Agent* a, const StatusValues& v) {
                a->statusCount = v.count;
                for (int i = 0; i < AGENT_STATUS_EFFECTS; ++i) {
                    a->statusEffects[i] = i < v.count ? v.effects[i] : StatusEffect{0, 0.0f, 0.0f, 0.0f, 0.0f, EntityRef()};
                    a->statusEffects[i].source.Clear();
                    if (i < v.count) SetRef(&a->statusEffects[i].source, v.source[i]);
                }
            });
        return true;
    }
    if (word == "UnitPose") {
        ReadState<std::vector<float>>(
            r, "UnitPose",
            [&](std::vector<float>& v) {
                int count = 0;
                if (!r.Count(&count, MAX_POSE_VALUES)) return false;
                v.resize((size_t)count);
                for (float& value : v)
                    if (!r.Float(&value)) return false;
                return true;
            },
            [](Agent* a, const std::vector<float>& v) {
                if (a->mesh && !a->mesh->TakeBackAnimation(v))
                    Log("WARNING: the pose of %s in the save does not fit its mesh: its animation starts again\n", a->name);
            });
        return true;
    }
    if (word == "UnitBrain") {
        ReadState<BrainValues>(
            r, "UnitBrain",
            [&](BrainValues& v) {
                if (!(r.Int(&v.mode) && r.Flag(&v.ownFight) && r.Int(&v.resumeMode) && r.Int(&v.resumeTarget) &&
                      r.Vec(&v.fightOrigin) && r.Flag(&v.holdsPlace) && r.Flag(&v.resumeAttackMove) &&
                      r.Flag(&v.moveHeldUp) && r.Float(&v.wayLookedAt) && r.Int(&v.fightFoe) && r.Int(&v.noSpotFoe) &&
                      r.Float(&v.noSpotAt) && r.Clock(&v.fightProgress) && r.Count(&v.legCount, AIBrain::RESUME_LEGS)))
                    return false;
                for (int i = 0; i < v.legCount; ++i)
                    if (!r.Vec(&v.legs[i])) return false;
                return true;
            },
            [](Agent* a, const BrainValues& v) {
                AIBrain* brain = a->brain;
                if (!brain) return;
                brain->mode = v.mode;
                brain->ownFight = v.ownFight;
                brain->resumeMode = v.resumeMode;
                SetRef(&brain->resumeTarget, v.resumeTarget);
                brain->fightOrigin = v.fightOrigin;
                brain->holdsPlace = v.holdsPlace;
                brain->resumeAttackMove = v.resumeAttackMove;
                brain->moveHeldUp = v.moveHeldUp;
                brain->wayLookedAt = v.wayLookedAt;
                SetRef(&brain->fightFoe, v.fightFoe);
                SetRef(&brain->noSpotFoe, v.noSpotFoe);
                brain->noSpotAt = v.noSpotAt;
                brain->fightProgress.TakeBack(v.fightProgress);
                brain->resumeLegCount = v.legCount;
                for (int i = 0; i < AIBrain::RESUME_LEGS; ++i) brain->resumeLegs[i] = i < v.legCount ? v.legs[i] : Vec3();
            });
        return true;
    }
    if (word == "UnitJob") {
        ReadState<JobValues>(
            r, "UnitJob",
            [&](JobValues& v) {
                v.name = r.in.NextValue();
                if (v.name.empty()) return false;
                if (v.name == "-") return true;
                if (!(r.Int(&v.step) && r.Float(&v.timer) && r.Int(&v.stepState))) return false;
                v.path = r.in.NextValue();
                return !v.path.empty() && r.Int(&v.pathIndex) && r.Flag(&v.warnedLoop) && r.Int(&v.flags);
            },
            [](Agent* a, const JobValues& v) {
                AIBrain* brain = a->brain;
                if (!brain) return;
                // Whatever job the level's start gave it (a rig's work taken up) goes back first.
                if (brain->job) TaskManager::Get()->ReleaseJob(brain->job);
                brain->job = nullptr;
                if (v.name == "-") return;
                Job* job = TaskManager::Get()->NewJob();
                if (!job) {
                    Log("WARNING: no job is free for %s read from the save: it stands idle\n", a->name);
                    return;
                }
                if (!job->SetTask(v.name.c_str()) && v.name != job->name)
                    Log("WARNING: %s read from the save had the job %s, which the tasks do not hold\n", a->name,
                        v.name.c_str());
                job->agent.Set(a);
                job->currentStep = job->firstStep;
                for (int i = 0; i < v.step && job->currentStep; ++i) job->currentStep = job->currentStep->next;
                if (v.step < 0) job->currentStep = nullptr;
                job->timer = v.timer;
                job->stepState = v.stepState;
                job->path = nullptr;
                for (auto* node = TheScene.paths.head; node && v.path != "-"; node = node->next)
                    if (v.path == node->value.name) job->path = &node->value;
                job->pathIndex = v.pathIndex;
                job->warnedLoop = v.warnedLoop;
                job->flags = (uint32_t)v.flags;
                brain->job = job;
            });
        return true;
    }
    return false;
}

// ---- The shots in the air (WriteShotsToScene)

struct ShotLinks {
    int shooter = -1, target = -1, mount = -1;
    int chain[BEAM_CHAIN_MAX] = {};
};

// An entity a shot names by a save number, -1 none, SHOT_GONE gone; any other is damage.
bool ReadShotLink(RecordReader& r, int* out)
{
    return r.Int(out) && *out >= SHOT_GONE;
}

bool ReadShotWord(RecordReader& r, char* out, size_t size)
{
    const std::string word = r.in.NextValue();
    if (word.empty()) return false;
    CopyText(out, size, word == "-" ? "" : word.c_str());
    return true;
}

bool ReadShotWeapon(RecordReader& r, bool* has, WeaponDef* weapon)
{
    if (!r.Flag(has)) return false;
    if (!*has) return true;
    int flags = 0, colour = 0;
    const bool whole = ReadShotWord(r, weapon->name, sizeof weapon->name) && r.Int(&weapon->type) && r.Int(&flags) &&
                       r.Float(&weapon->damage) && r.Float(&weapon->shotTime) && r.Float(&weapon->range) &&
                       r.Float(&weapon->interval) && r.Float(&weapon->windUp) && r.Int(&colour) &&
                       ReadShotWord(r, weapon->texts[0], sizeof weapon->texts[0]) &&
                       ReadShotWord(r, weapon->texts[1], sizeof weapon->texts[1]) &&
                       ReadShotWord(r, weapon->soundName, sizeof weapon->soundName) &&
                       ReadShotWord(r, weapon->hitAnimation, sizeof weapon->hitAnimation) && r.Vec(&weapon->shootOffset);
    weapon->flags = (uint32_t)flags;
    weapon->colour = (uint32_t)colour;
    weapon->owner = nullptr;
    return whole && weapon->type >= 0 && weapon->type < WEAPON_TYPE_COUNT;
}

// The entity a shot's link names once the level stands; false (logged) for a number the save
// holds no entity of: the shot would strike or credit no one the game it came from knew.
bool Relink(EntityRef* ref, int number, const char* keyword)
{
    // Never in the level's lists: a link to it is set, and finds nothing.
    static Entity gone;
    ref->Clear();
    if (number == -1) return true;
    if (number == SHOT_GONE) {
        ref->entity = &gone;
        ref->id = 0;
        return true;
    }
    Entity* named = TheScene.EntityOfSaveNumber(number);
    if (!named) {
        Log("WARNING: a %s line of the save names entity %d, which the save does not hold: the shot is dropped\n",
            keyword, number);
        return false;
    }
    ref->Set(named);
    return true;
}

bool Remount(const AgentAttachment** mount, const EntityRef& shooter, int index, const char* keyword)
{
    *mount = nullptr;
    if (index == -1) return true;
    Entity* entity = shooter.Get();
    Agent* agent = entity && (entity->flags & ENTITY_AGENT) ? static_cast<Agent*>(entity) : nullptr;
    if (!agent || index < 0 || index >= agent->attachmentCount) {
        Log("WARNING: a %s line of the save fires from mount %d, which its shooter does not have: the shot is dropped\n",
            keyword, index);
        return false;
    }
    *mount = &agent->attachments[index];
    return true;
}

void FlyOn(bool taken, const char* keyword)
{
    if (!taken) Log("WARNING: no room for a %s of the save: the shot is dropped\n", keyword);
}

// A shot line read whole (or passed over, logged), flown on once the level stands.
bool ReadShotLine(const std::string& word, RecordReader& r)
{
    if (word != "ShotProjectile" && word != "ShotBeam" && word != "ShotMelee") return false;
    const char* keyword = word == "ShotProjectile" ? "ShotProjectile" : word == "ShotBeam" ? "ShotBeam" : "ShotMelee";
    ShotLinks links;
    bool whole = ReadShotLink(r, &links.shooter) && ReadShotLink(r, &links.target);
    if (word == "ShotMelee") {
        MeleeHit hit{};
        whole = whole && r.Float(&hit.delay);
        if (!whole) {
            r.in.Warn(r.in.Line(), "%s is cut short or damaged: the shot is dropped", keyword);
            return true;
        }
        r.scene.PutBackOnceSettled(nullptr, [hit, links, keyword](Entity*) mutable {
            if (!Relink(&hit.attacker, links.shooter, keyword) || !Relink(&hit.target, links.target, keyword)) return;
            FlyOn(TheProjectiles && TheProjectiles->TakeBack(hit), keyword);
        });
        return true;
    }
    if (word == "ShotProjectile") {
        Projectile p = Projectile();
        int flags = 0;
        whole = whole && r.Int(&links.mount) && r.Int(&flags) && r.Vec(&p.position) && r.Vec(&p.previousPosition) &&
                r.Vec(&p.launchPosition) && r.Vec(&p.aimPoint) && r.Vec(&p.direction) && r.Float(&p.speed) &&
                r.Float(&p.splashRadius) && r.Float(&p.damage) && r.Float(&p.age) && r.Flag(&p.targetHit) &&
                r.Int(&p.alignment) && r.Int(&p.explosionKind) && ReadShotWeapon(r, &p.hasWeapon, &p.weapon);
        p.flags = (uint32_t)flags;
        if (!whole) {
            r.in.Warn(r.in.Line(), "%s is cut short or damaged: the shot is dropped", keyword);
            return true;
        }
        r.scene.PutBackOnceSettled(nullptr, [p, links, keyword](Entity*) mutable {
            if (!Relink(&p.shooter, links.shooter, keyword) || !Relink(&p.target, links.target, keyword) ||
                !Remount(&p.mount, p.shooter, links.mount, keyword))
                return;
            FlyOn(TheProjectiles && TheProjectiles->TakeBack(p), keyword);
        });
        return true;
    }
    Beam b = Beam();
    int colour = 0;
    whole = whole && r.Int(&links.mount) && r.Int(&b.weaponType) && r.Float(&b.damage) && r.Float(&b.duration) &&
            r.Float(&b.age) && r.Float(&b.frameTimer) && r.Float(&b.accumulated) && r.Int(&colour) &&
            r.Int(&b.alignment) && r.Float(&b.lastDealt) && r.Count(&b.chainCount, BEAM_CHAIN_MAX);
    for (int i = 0; whole && i < b.chainCount; ++i) whole = ReadShotLink(r, &links.chain[i]);
    whole = whole && ReadShotWeapon(r, &b.hasWeapon, &b.weapon) && BeamKindOfWeaponType(b.weaponType) >= 0;
    b.colour = (uint32_t)colour;
    if (!whole) {
        r.in.Warn(r.in.Line(), "%s is cut short or damaged: the shot is dropped", keyword);
        return true;
    }
    r.scene.PutBackOnceSettled(nullptr, [b, links, keyword](Entity*) mutable {
        bool linked = Relink(&b.shooter, links.shooter, keyword) && Relink(&b.target, links.target, keyword) &&
                      Remount(&b.mount, b.shooter, links.mount, keyword);
        for (int i = 0; linked && i < b.chainCount; ++i) linked = Relink(&b.chain[i], links.chain[i], keyword);
        if (linked) FlyOn(TheProjectiles && TheProjectiles->TakeBack(b), keyword);
    });
    return true;
}

// The player's rig in the scene.
Agent* FindRig(Scene& scene)
{
    for (int segment : {SEGMENT_UNIT, SEGMENT_AIR_UNIT})
        for (Scene::Node* node = scene.FirstInList(segment); node; node = scene.NextInList(node))
            if (node->value && (node->value->flags & ENTITY_PLAYER)) return static_cast<Agent*>(node->value);
    return nullptr;
}

}  // namespace

bool ReadAgentSceneRecord(const char* keyword, Lexer& in, Scene& scene, Agent* agent, std::string* glued)
{
    if (glued) glued->clear();
    const std::string word = keyword ? keyword : "";
    RecordReader r{in, scene, agent, glued};
    int column = -1, row = -1, value = 0;
    float number = 0.0f;

    if (word == "PlayerState") {
        std::string state = in.NextValue();
        Agent* rig = FindRig(scene);
        int mode = state == "Build" ? AI_MODE_BUILD : state == "Repair" ? AI_MODE_REPAIR : -1;
        if (rig && rig->brain && mode >= 0) rig->brain->mode = mode;
        return true;
    }
    if (word == "PlayerActiveBuilding" || word == "PlayerActiveObject") {
        if (!r.Cell(&column, &row)) return true;
        r.agent = FindRig(scene);
        r.Link(word == "PlayerActiveBuilding" ? LINK_ACTIVE_BUILDING : LINK_ACTIVE_OBJECT, column, row);
        return true;
    }
    if (word == "SetGroupId") {
        if (r.Int(&value) && agent) {
            agent->groupId = value;
            agent->classWord |= AGENT_CLASS_RAIDER;
        }
    } else if (word == "Mines") {
        if (r.Int(&value) && agent) agent->mines = value;
        if (r.Float(&number) && agent) agent->mineTimer = number;
    } else if (word == "CloakedTime") {
        if (r.Float(&number) && agent) {
            agent->cloakTime = number;
            agent->classWord |= AGENT_CLOAKED;
        }
    } else if (word == "FreezeTime") {
        if (r.Float(&number) && agent) agent->freezeTime = number;
    } else if (word == "SetAgentObjective") {
        if (agent) agent->classWord |= AGENT_OBJECTIVE;
    } else if (word == "SetAgentIsSpawned") {
        if (agent) agent->classWord |= AGENT_SPAWNED;
    } else if (word == "SetAgentDiscovered") {
        if (agent) agent->classWord |= AGENT_DISCOVERED;
    } else if (word == "ActiveBuilding") {
        if (r.Cell(&column, &row)) r.Link(LINK_ACTIVE_BUILDING, column, row);
    } else if (word == "MinerCoords") {
        int homeColumn = -1, homeRow = -1;
        if (r.Cell(&column, &row) && r.Cell(&homeColumn, &homeRow)) {
            r.Link(LINK_MINE, column, row);
            r.Link(LINK_DROP_OFF, homeColumn, homeRow);
        }
    } else if (word == "SpawnCoord") {
        // -1 -1: the agent has no spawn point yet, not the cell in the corner.
        if (r.Cell(&column, &row) && agent)
            agent->spawnPoint = IsCell(column, row) ? CellPosition(column, row) : Vec3(-1000.0f, -1000.0f, -1000.0f);
    } else if (word == "BotLevel") {
        if (r.Int(&value) && agent) agent->botLevel = value < 0 ? 0 : value > 10 ? 10 : value;
    } else if (word == "BotExperience") {
        if (r.Int(&value) && agent) {
            agent->botExperience = value < 0 ? 0 : value;
            agent->botLevel = Agent::LevelForExperience(agent->botExperience);
        }
    } else if (word == "AIMode") {
        // How the unit was told to fight; a number no stance has leaves it as it comes.
        if (r.Int(&value) && agent)
            agent->stance = value >= AGENT_STANCE_DEFAULT && value <= AGENT_STANCE_STOP ? value : AGENT_STANCE_DEFAULT;
    } else if (word == "SetUpgradeFlags") {
        if (r.Int(&value) && agent) agent->upgradeFlags = (uint32_t)value;
    } else if (word == "MoveCommand" || word == "MoveWaypoint") {
        if (r.Cell(&column, &row) && agent && !agent->moveQueue.Push(CellPosition(column, row)))
            Log("ERROR Scene: the move queue of %s is full\n", agent->name);
    } else if (word == "MinerData") {
        float load = 0.0f, worth = 0.0f, timer = 0.0f;
        if (r.Float(&load) && r.Float(&worth) && r.Float(&timer) && agent) {
            agent->oreLoad = load;
            agent->loadValue = worth;
            agent->workTimer = timer;
        }
    } else if (word == "BrainState") {
        std::string state = in.NextValue();
        int mode = AIBrain::FindMode(state.c_str());
        if (mode < 0)
            in.Warn(in.Line(), "unknown brain state '%s'", state.c_str());
        else if (agent && agent->brain)
            agent->brain->mode = mode;
    } else if (!ReadShotLine(word, r) && !ReadAgentState(word, r)) {
        return false;
    }
    return true;
}

void RestoreRigOrder(Agent* rig)
{
    if (!rig || !rig->brain) return;
    const int mode = rig->brain->mode;
    if (mode == AI_MODE_BUILD) rig->brain->SetJob("Build", rig, AI_MODE_BUILD);
    if (mode == AI_MODE_REPAIR) rig->brain->SetJob("Repair", rig, AI_MODE_REPAIR);
}
