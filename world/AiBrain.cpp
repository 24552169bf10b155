#include "world/AiBrain.h"

#include "host/Random.h"
#include "mechanics/Game.h"
#include "mechanics/Scene.h"
#include "render/Animation.h"
#include "render/IndexedMesh.h"
#include "world/Agent.h"
#include "world/BuildItem.h"
#include "world/Grid.h"
#include "world/GridQueries.h"
#include "world/PathFinder.h"
#include "world/ProgressClock.h"
#include "world/Building.h"
#include "world/TaskManager.h"
#include "world/TaskStepsSupport.h"
#include "world/WeaponDef.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const char* const ModeNames[AI_MODE_COUNT] = {
    "Idle",          "Attack", "Flee",       "Mining",  "MiningReturnToDropoff", "Build",
    "BuildComplete", "Repair", "ExtractOre", "Salvage", "UpgradeMove",           "RecycleMove",
    "WarpMove", "ItemMoveAndAction", "MoveAndAttack", "Raid", "Heal", "None",
};

// A value in [0, 1).
float Draw()
{
    return (float)Rand() / 32768.0f;
}

bool IsCloakedAgent(const Entity* entity)
{
    return entity && (entity->flags & ENTITY_AGENT) && (static_cast<const Agent*>(entity)->classWord & AGENT_CLOAKED);
}

bool CannotHitAir(const Agent* agent, bool flameHitsAir)
{
    if (agent->classWord & AGENT_CLASS_MELEE) return true;
    if (flameHitsAir || !agent->weapon) return false;
    return agent->weapon->type == WEAPON_MORTAR || agent->weapon->type == WEAPON_FLAME;
}

// The agent gives up its target: no target, nothing in mind, standing still and idle.
void StopAttack(Agent* agent)
{
    agent->target.Clear();
    if (agent->brain) agent->brain->mode = AI_MODE_NONE;
    agent->ResetMovement();
    IndexedMesh* mesh = agent->mesh;
    int slot = mesh ? mesh->animationSlot[ANIM_IDLE] : -1;
    if (slot >= 0) mesh->SetAnimation(slot, true, true);
}

bool IsAgent(const Entity* entity)
{
    return entity && (entity->flags & ENTITY_AGENT);
}

// How far the foe's weapons reach: a unit's attack range, a gun tower's, none for anything else.
float ReachOf(const Entity* foe)
{
    if (IsAgent(foe)) return static_cast<const Agent*>(foe)->GetAttackRange();
    if (!(foe->flags & ENTITY_BUILDING)) return 0.0f;
    const Building* building = static_cast<const Building*>(foe);
    return building->definition && (building->definition->flags & BUILD_TURRET) ? building->GetTypeRadius() : 0.0f;
}

// How far a fight the agent took up itself may lead it from where it stood: about twice its
// weapon's reach, and never less than the reach of a foe that outranges it, or that foe would
// beat it where it stands. Told to hold its position, it fires from its own cell or not at all.
float Leash(const Agent* agent, const Entity* foe)
{
    if (agent->stance == AGENT_STANCE_HOLD_POSITION) {
        const Grid* grid = CurrentGrid();
        return grid ? grid->cellSize : 1.0f;
    }
    return std::max(2.0f * agent->GetAttackRange(), ReachOf(foe));
}

// A foe that cannot be shot from anywhere within the leash tied at that point.
bool BeyondTheLeash(const Agent* agent, const Vec3& tiedAt, const Entity* foe)
{
    return GetGroundDistance(tiedAt, foe->GetPosition()) > Leash(agent, foe) + agent->GetAttackRange();
}

// Whether the agent can get, within the leash tied at that point, to ground it fires at the foe
// from: a walkable cell of the agent's own walk region within its weapons' reach of the foe (as
// the attack measures it: a building's nearest cell). A foe on a crag or across water it cannot
// come within reach of is no fight to take up. What flies reaches everywhere.
bool HasFiringSpot(const Agent* agent, const Vec3& tiedAt, Entity* foe)
{
    const Grid* grid = CurrentGrid();
    if (!grid || agent->IsAirUnit()) return true;
    const float reach = agent->GetAttackRange() - 1.0f;
    const float leash = Leash(agent, foe);
    const bool wide = (foe->flags & (ENTITY_BUILDING | ENTITY_ITEM)) != 0;
    const Vec3 at = grid->SnapToGridPoint(foe->GetPosition());
    auto within = [&](const Vec3& spot) {
        return (wide ? GroundDistanceToCells(spot, foe) : GetGroundDistance(spot, at)) <= reach &&
               GetGroundDistance(spot, tiedAt) <= leash;
    };
    // Where it stands will do, most often: nothing to search.
    if (reach > 0.0f && within(agent->GetPosition())) return true;
    const GridCell* own = grid->GetCellAt(grid->SnapToGridPoint(agent->GetPosition()));
    int x0, y0, x1, y1;
    if (reach <= 0.0f || !grid->WorldToCell(at, &x0, &y0)) return false;
    x1 = x0, y1 = y0;
    int fx0, fy0, fx1, fy1;
    if (wide && foe->GetGridFootprint(&fx0, &fy0, &fx1, &fy1)) x0 = fx0, y0 = fy0, x1 = fx1, y1 = fy1;
    const int cells = (int)std::ceil(reach / grid->cellSize);
    for (int row = y0 - cells; row <= y1 + cells; ++row)
        for (int column = x0 - cells; column <= x1 + cells; ++column) {
            const GridCell* cell = grid->GetCell(column, row);
            if (!cell || !(cell->flags & CELL_WALKABLE) || grid->CannotReach(own, cell)) continue;
            if (within(grid->CellToWorld(column, row))) return true;
        }
    return false;
}

// Whether a foe can hurt anyone: a weapon of its own or on it, or its fists.
bool CanFightBack(Entity* foe)
{
    if (foe->weapon) return true;
    if (foe->flags & ENTITY_BUILDING) {
        const BuildItem* definition = static_cast<Building*>(foe)->definition;
        return definition && (definition->flags & BUILD_TURRET);
    }
    if (!(foe->flags & ENTITY_AGENT)) return false;
    const Agent* agent = static_cast<Agent*>(foe);
    const WeaponDef* weapons[Agent::MAX_ITEM_WEAPONS];
    return (agent->classWord & AGENT_CLASS_MELEE) || agent->GetItemWeapons(weapons, Agent::MAX_ITEM_WEAPONS) > 0;
}

// A plain move held up and broken off for a fight looks this often whether its way is free.
constexpr float WAY_LOOKED_AT_EVERY = 0.5f;

// A hit this recent means a foe hurts the agent now.
constexpr float HURT_LATELY = 2.0f;

// Whether a foe hurt the agent within the last moments.
bool HurtLately(const Agent* agent)
{
    for (int i = 0; i < agent->threatCount; ++i)
        if (agent->threats[i].attacker.GetLive() && MissionTime - agent->threats[i].lastHit < HURT_LATELY) return true;
    return false;
}

// The attacker the agent answers: of those in its attacker list (units and gun towers) that
// are enemies still standing and within reach of its weapons, the one that hurt it most. One
// that shot from beyond the agent's sight is answered too: it hurt the agent; one that could
// not be reached without going past the leash is not.
Entity* TopAttacker(Agent* agent)
{
    const bool noAir = CannotHitAir(agent, false);
    const Vec3 at = agent->GetPosition();
    Entity* top = nullptr;
    float most = 0.0f;
    for (int i = 0; i < agent->threatCount; ++i) {
        const ThreatRecord& record = agent->threats[i];
        Entity* attacker = record.attacker.GetLive();
        if (!attacker || !(attacker->flags & (ENTITY_AGENT | ENTITY_BUILDING)) || attacker->alignment != ALIGN_ENEMY)
            continue;
        if (IsCloakedAgent(attacker) || (noAir && IsAgent(attacker) && static_cast<Agent*>(attacker)->IsAirUnit()))
            continue;
        if (record.threat <= most || BeyondTheLeash(agent, at, attacker)) continue;
        // The search for ground to fire from, last: only for an attacker that would be answered.
        if (!HasFiringSpot(agent, agent->brain && agent->brain->holdsPlace ? agent->brain->fightOrigin : at, attacker))
            continue;
        most = record.threat;
        top = attacker;
    }
    return top;
}

// Of two foes that both hurt the unit, the one it has worn down to less health than the other
// has is finished first: turning from it to a fresh one throws the fire spent on it away, and a
// unit beset by more than it can beat would fall with nothing to show for its fight.
bool WornDownFurther(Entity* target, Entity* other)
{
    return target->GetHealth() <= other->GetHealth();
}

// A few of the nearest foes are looked at for ground to fire from; past them the agent hunts
// nothing this think. A foe found with none is not searched round again for a while: a whole
// army before an island must not search the shore for each of them every think.
constexpr int FOES_SEARCHED = 3;
constexpr float NO_SPOT_KEPT = 1.0f;

// The nearest enemy unit or building within the agent's notice range that it may hunt and has
// ground to fire at from within the leash; of those that can fight only, when asked.
Entity* NearestFoe(Agent* agent, bool armedOnly = false)
{
    const Vec3 from = agent->GetPosition();
    const bool noAir = CannotHitAir(agent, false);
    AIBrain* brain = agent->brain;
    const Vec3 tiedAt = brain && brain->holdsPlace ? brain->fightOrigin : from;
    Entity* refused[FOES_SEARCHED] = {};
    for (int tries = 0; tries < FOES_SEARCHED; ++tries) {
        float best = agent->noticeRange;
        Entity* nearest = nullptr;
        for (int segment : {SEGMENT_ENEMY_UNIT, SEGMENT_ENEMY_AIR_UNIT, SEGMENT_ENEMY_BUILDING}) {
            for (Scene::Node* node = TheScene.FirstInList(segment); node; node = TheScene.NextInList(node)) {
                Entity* candidate = node->value;
                if (!candidate || candidate == agent) continue;
                if (!(candidate->flags & (ENTITY_AGENT | ENTITY_BUILDING))) continue;
                if ((candidate->flags & ENTITY_DEAD) || candidate->alignment != ALIGN_ENEMY) continue;
                if (candidate->flags & ENTITY_BUILDING) {
                    const BuildItem* definition = static_cast<Building*>(candidate)->definition;
                    if (definition && (definition->flags & BUILD_NO_AUTO_ATTACK)) continue;
                } else if (noAir && static_cast<Agent*>(candidate)->IsAirUnit()) {
                    continue;
                }
                const float d = candidate->DistanceTo(from);
                if (d >= best || std::find(refused, refused + tries, candidate) != refused + tries) continue;
                if (armedOnly && !CanFightBack(candidate)) continue;
                best = d;
                nearest = candidate;
            }
        }
        if (!nearest) return nullptr;
        const bool known = brain && brain->noSpotFoe.Get() == nearest && MissionTime >= brain->noSpotAt &&
                           MissionTime - brain->noSpotAt < NO_SPOT_KEPT;
        if (!known && HasFiringSpot(agent, tiedAt, nearest)) return nearest;
        if (brain && !known) {
            brain->noSpotFoe.Set(nearest);
            brain->noSpotAt = MissionTime;
        }
        refused[tries] = nearest;
    }
    return nullptr;
}

// The work the rig leaves to answer an attacker and takes up again afterwards, by its mode.
const char* ResumableJob(int mode)
{
    switch (mode) {
    case AI_MODE_EXTRACT_ORE: return "ExtractOre";
    case AI_MODE_BUILD: return "Build";
    case AI_MODE_REPAIR: return "Repair";
    default: return nullptr;
    }
}

}  // namespace

void AIBrain::Init()
{
    job = nullptr;
    mode = AI_MODE_NONE;
    ownFight = false;
    noSpotFoe.Clear();
    noSpotAt = 0.0f;
    ForgetResume();
}

void AIBrain::ForgetResume()
{
    resumeMode = AI_MODE_NONE;
    resumeTarget.Clear();
    fightOrigin = Vec3();
    holdsPlace = false;
    resumeLegCount = 0;
    resumeAttackMove = false;
    moveHeldUp = false;
    wayLookedAt = 0.0f;
    fightProgress.Restart();
    fightFoe.Clear();
}

const char* AIBrain::GetModeName(int mode)
{
    return mode >= 0 && mode < AI_MODE_COUNT ? ModeNames[mode] : ModeNames[AI_MODE_NONE];
}

int AIBrain::FindMode(const char* name)
{
    for (int mode = 0; name && mode < AI_MODE_COUNT; ++mode)
        if (strcmp(name, ModeNames[mode]) == 0) return mode;
    return -1;
}

bool AIBrain::TakeJob(Agent* agent, const char* jobName)
{
    TaskManager* tasks = TaskManager::Get();
    if (job && tasks) tasks->ReleaseJob(job);
    job = tasks ? tasks->NewJob() : nullptr;
    if (!job) return false;
    job->agent.Set(agent);
    if (jobName) job->SetTask(jobName);
    return true;
}

int AIBrain::SetJob(const char* jobName, Agent* agent, int newMode)
{
    mode = newMode;
    ownFight = false;
    ForgetResume();
    if (!TakeJob(agent, nullptr)) return 0;
    return job->SetTask(jobName) ? 1 : 0;
}

void AIBrain::ClearJob()
{
    // Whatever the player says next replaces the work or the move an attacker interrupted.
    ForgetResume();
    if (!job) return;
    if (TaskManager* tasks = TaskManager::Get()) tasks->ReleaseJob(job);
    job = nullptr;
    mode = AI_MODE_IDLE;
    ownFight = false;
}

void AIBrain::Think(Agent* agent)
{
    if (!agent) return;
    switch (agent->brainKind) {
    case BRAIN_ENEMY: ThinkGuard(agent); break;
    case BRAIN_NEUTRAL: ThinkWanderer(agent); break;
    case BRAIN_MINER: ThinkMiner(agent); break;
    case BRAIN_ATTACKBOT: ThinkAttacker(agent); break;
    case BRAIN_CREATURE: ThinkCreature(agent); break;
    default: break;
    }
}

void AIBrain::ThinkWanderer(Agent* agent)
{
    if (job) return;
    TakeJob(agent, Draw() < 0.5f ? "WaitOnTime" : "Wander");
}

void AIBrain::ThinkMiner(Agent* agent)
{
    if (mode == AI_MODE_IDLE || mode == AI_MODE_NONE) return;
    if (!job && !TakeJob(agent, "Mine")) return;
    // An order to the drop-off starts the mining job in its homeward state.
    if (mode == AI_MODE_MINING_RETURN_TO_DROPOFF) {
        job->stepState = MINE_STEP_RETURN_TO_DROPOFF;
        mode = AI_MODE_MINING;
    }
}

void AIBrain::ThinkAttacker(Agent* agent)
{
    const bool rig = (agent->flags & ENTITY_PLAYER) != 0;
    // On Stop it holds its fire: it takes no fight up and ends no move for one, but goes back to
    // whatever a fight broke off.
    const bool holdsFire = agent->stance == AGENT_STANCE_STOP;
    if (mode == AI_MODE_ATTACK) {
        const bool nowhere = fightProgress.Standing() > FIGHT_GOES_NOWHERE;
        if (!ownFight) {
            // An attack the player ordered on a foe that can fight back goes on as ordered while
            // it gets somewhere. Sent at what cannot hurt anyone (a building without guns, an
            // unarmed unit), or standing with its foe out of reach, it first answers whoever
            // beats it meanwhile, and then takes the ordered attack up again.
            Entity* ordered = agent->target.GetLive();
            if (!ordered || (CanFightBack(ordered) && !nowhere)) return;
            Entity* attacker = TopAttacker(agent);
            if (!attacker || attacker == ordered) return;
            TakeOwnFight(agent, attacker);
            resumeTarget.Set(ordered);
            return;
        }
        // A held-up move the fight broke off goes on as soon as its way is free.
        if (moveHeldUp && WayFreeAgain(agent)) {
            StopAttack(agent);
            ResumeMove(agent);
            ClearJob();
            return;
        }
        Entity* target = agent->target.GetLive();
        // A fight that gets nowhere is let go, as at the leash.
        if (target && nowhere) {
            LetGo(agent);
            return;
        }
        // A foe that hurt it is followed as far as the leash and no farther.
        if (target && agent->FindThreat(target) && holdsPlace &&
            (GetGroundDistance(fightOrigin, agent->GetPosition()) > Leash(agent, target) ||
             BeyondTheLeash(agent, fightOrigin, target))) {
            LetGo(agent);
            return;
        }
        // The pilot's rig goes no further after a foe it picked than it sees: what runs into the
        // dark is let go, and the rig is not led into a camp or a lair it never meant to enter.
        if (rig && target && !agent->FindThreat(target) &&
            GetGroundDistance(agent->GetPosition(), target->GetPosition()) > agent->noticeRange) {
            StopAttack(agent);
            return;
        }
        // Whoever hurts it comes before a building or a foe that leaves it alone; between two
        // that hurt it, it weighs them as the enemy does.
        Entity* attacker = TopAttacker(agent);
        if (!attacker || attacker == target) return;
        if (!target || !agent->FindThreat(target)) {
            agent->target.Set(attacker);
            agent->engagedTime = 0.0f;
        } else if (agent->engagedTime > RETARGET_AFTER_SECONDS && !WornDownFurther(target, attacker)) {
            RetargetToTopAttacker(agent);
        }
        return;
    }
    if (rig && ResumableJob(mode) && !holdsFire) {
        // At its work the rig answers only whoever hurts it, and comes back to the work after.
        Entity* attacker = TopAttacker(agent);
        if (!attacker) return;
        const int work = mode;
        WorkBeam::Stop(agent);
        TakeOwnFight(agent, attacker);
        resumeMode = work;
        return;
    }
    if (mode != AI_MODE_IDLE && mode != AI_MODE_NONE) return;
    // A plain move order is obeyed while it gets somewhere, between the legs of its way too; one
    // given to attack on the way is not. A move that stands while the unit is beaten, or held up
    // among enemies that can fight, is broken off for the fight and goes on after it.
    const bool underWay = agent->HasStanceBits() || !agent->moveQueue.IsEmpty();
    if (underWay && !(agent->classWord & AGENT_ORDERED_MOVE)) {
        const float standing = agent->moveProgress.Standing();
        if (holdsFire || standing < MOVE_STANDS_BEATEN) return;
        Entity* foe = HurtLately(agent) ? TopAttacker(agent) : nullptr;
        if (!foe && standing >= MOVE_STANDS_AMONG_FOES) foe = NearestFoe(agent, true);
        if (!foe) return;
        KeepErrand(agent);
        agent->EndMoveHere();
        TakeOwnFight(agent, foe);
        moveHeldUp = resumeLegCount > 0;
        wayLookedAt = MissionTime;
        return;
    }
    if (holdsFire) {
        if (!underWay && resumeLegCount > 0) ResumeMove(agent);
        return;
    }
    if (Entity* attacker = TopAttacker(agent)) {
        TakeOwnFight(agent, attacker);
        return;
    }
    if (const char* work = ResumableJob(resumeMode)) {
        SetJob(work, agent, resumeMode);
        return;
    }
    if (Entity* ordered = resumeTarget.GetLive()) {
        agent->target.Set(ordered);
        agent->engagedTime = 0.0f;
        SetJob("AttackEntity", agent, AI_MODE_ATTACK);
        return;
    }
    if (!underWay) {
        // The errand the fights broke off goes on; with none, the next fight ties a new leash.
        if (resumeLegCount > 0) {
            ResumeMove(agent);
            return;
        }
        ForgetResume();
    }
    agent->target.Clear();
    if (Entity* nearest = NearestFoe(agent)) {
        TakeOwnFight(agent, nearest);
    } else {
        agent->target.Clear();
        mode = AI_MODE_NONE;
    }
}

void AIBrain::TakeOwnFight(Agent* agent, Entity* foe)
{
    KeepErrand(agent);
    agent->target.Set(foe);
    agent->engagedTime = 0.0f;
    mode = AI_MODE_ATTACK;
    ownFight = TakeJob(agent, "AttackEntity");
}

void AIBrain::KeepErrand(Agent* agent)
{
    // A fight that follows another on the same errand keeps the first one's leash and errand.
    if (!holdsPlace) {
        holdsPlace = true;
        fightOrigin = agent->GetPosition();
        resumeLegCount = 0;
        resumeAttackMove = (agent->classWord & AGENT_ORDERED_MOVE) != 0;
        if (agent->HasStanceBits()) resumeLegs[resumeLegCount++] = agent->stepTarget;
        for (const auto* node = agent->moveQueue.Points().head; node && resumeLegCount < RESUME_LEGS; node = node->next)
            resumeLegs[resumeLegCount++] = node->value;
    }
}

void AIBrain::TrackFight(Agent* agent, float step)
{
    Entity* foe = mode == AI_MODE_ATTACK ? agent->target.GetLive() : nullptr;
    if (!foe || fightFoe.Get() != foe) {
        fightProgress.Restart();
        fightFoe.Set(foe);
    }
    if (foe) fightProgress.TrackFoe(agent, foe, step);
}

void AIBrain::LetGo(Agent* agent)
{
    // The attacker it let go is not answered again unless it hurts the agent anew.
    if (ThreatRecord* record = agent->FindThreat(agent->target.Get())) record->threat = 0.0f;
    // With no work, no ordered attack and no move to go back to, the agent walks back to where
    // it stood.
    if (resumeMode == AI_MODE_NONE && !resumeTarget.GetLive() && resumeLegCount == 0) {
        resumeLegs[resumeLegCount++] = fightOrigin;
        resumeAttackMove = false;
    }
    StopAttack(agent);
}

bool AIBrain::WayFreeAgain(Agent* agent)
{
    if (MissionTime >= wayLookedAt && MissionTime - wayLookedAt < WAY_LOOKED_AT_EVERY) return false;
    wayLookedAt = MissionTime;
    const Grid* grid = CurrentGrid();
    if (!grid || agent->IsAirUnit() || resumeLegCount <= 0) return true;
    int x, y, goalX, goalY, heldX, heldY;
    if (!grid->WorldToCell(grid->SnapToGridPoint(agent->GetPosition()), &x, &y) ||
        !grid->WorldToCell(grid->SnapToGridPoint(resumeLegs[0]), &goalX, &goalY) ||
        !grid->WorldToCell(grid->SnapToGridPoint(fightOrigin), &heldX, &heldY))
        return false;
    bool complete = false;
    const PathNode* end = PathFinder::FindRouteToward(x, y, goalX, goalY, grid, agent, &complete);
    // Only a way that leads past where the move was held up is free: coming back to the same
    // jam is no way on.
    return end && (complete || end->h < PathEstimate(heldX, heldY, goalX, goalY) - 1.0f);
}

void AIBrain::ResumeMove(Agent* agent)
{
    const int legs = resumeLegCount;
    const bool attackMove = resumeAttackMove;
    Vec3 points[RESUME_LEGS];
    for (int i = 0; i < legs; ++i) points[i] = resumeLegs[i];
    ForgetResume();
    if (legs <= 0) return;
    agent->MoveTo(points[0], true);
    agent->moveQueue.Clear();
    for (int i = 1; i < legs; ++i) agent->moveQueue.Push(points[i]);
    if (attackMove) agent->classWord |= AGENT_ORDERED_MOVE;
}

void AIBrain::ThinkGuard(Agent* agent)
{
    ThinkHunter(agent, false, "ReturnToSpawnPoint");
}

void AIBrain::ThinkCreature(Agent* agent)
{
    ThinkHunter(agent, true, "Wander");
}

void AIBrain::ThinkHunter(Agent* agent, bool flameHitsAir, const char* idleJob)
{
    Entity* target = agent->target.GetLive();
    if (mode != AI_MODE_ATTACK) {
        float distance = 0.0f;
        Entity* nearest = TheScene.FindNearest(agent, &distance, ALIGN_PLAYER, ENTITY_AGENT | ENTITY_BUILDING,
                                               CannotHitAir(agent, flameHitsAir));
        agent->target.Set(nearest);
        if (nearest && distance <= agent->noticeRange - 1.0f && !IsCloakedAgent(nearest)) {
            mode = AI_MODE_ATTACK;
            TakeJob(agent, "AttackEntity");
        } else {
            agent->target.Clear();
            mode = AI_MODE_NONE;
        }
    } else if (target) {
        Vec3 from = agent->GetPosition();
        Vec3 to = (target->flags & ENTITY_AGENT) ? target->GetPosition() : target->GetCenter();
        float dx = to.x - from.x, dz = to.z - from.z;
        float d = std::sqrt(dx * dx + dz * dz);
        if (d > agent->noticeRange - 1.0f || IsCloakedAgent(target)) {
            StopAttack(agent);
        } else if ((target->flags & ENTITY_AGENT) && agent->threatCount > 0 &&
                   agent->engagedTime > RETARGET_AFTER_SECONDS) {
            RetargetToTopAttacker(agent);
        }
    }
    if (job) return;
    // A raider keeps an empty job: the raid, not the brain, says where it goes.
    if (agent->classWord & AGENT_CLASS_RAIDER)
        TakeJob(agent, nullptr);
    else
        TakeJob(agent, Draw() < 0.5f ? "WaitOnTime" : idleJob);
}

bool AIBrain::RetargetToTopAttacker(Agent* agent)
{
    if (!agent || !agent->target.IsSet()) return false;
    const ThreatRecord* current = agent->FindThreat(agent->target.Get());
    const ThreatRecord* top = agent->GetTopThreat();
    if (!top || top == current) return false;
    if (current) {
        float diff = top->threat - current->threat;
        if (diff <= 0.0f) return false;
        float mostHealth = agent->GetMaxHealth();
        float r1 = diff / top->threat;
        float r2 = mostHealth > 0.0f ? diff / mostHealth : 0.0f;
        if (r1 + (r2 - r1) * 0.75f <= 0.25f) return false;
    }
    // The enemy looks its attackers up among the player's units, the player's bots among the
    // enemy's.
    const bool playerSide = agent->alignment == ALIGN_PLAYER;
    const int ground = playerSide ? SEGMENT_ENEMY_UNIT : SEGMENT_UNIT;
    const int air = playerSide ? SEGMENT_ENEMY_AIR_UNIT : SEGMENT_AIR_UNIT;
    uint32_t segments = (agent->classWord & AGENT_CLASS_MELEE) ? (1u << ground) : (1u << ground) | (1u << air);
    // The player's bots remember the enemy's gun towers that shoot them too.
    if (playerSide) segments |= 1u << SEGMENT_ENEMY_BUILDING;
    if (Entity* attacker = TheScene.FindEntityById((int)top->attacker.id, segments)) {
        agent->target.Set(attacker);
        agent->engagedTime = 0.0f;
    }
    return true;
}
