// An agent's frame: settling when placed, thinking every 0.1 s (brain and job, healing, the
// shield, status effects, threat upkeep), then moving, turning, hovering and animating. The
// think step is spread over frames by a random offset per agent, so that a level's agents do
// not all think in the same frame.
#include "world/Agent.h"

#include "host/SteadyMath.h"
#include "world/AgentCombat.h"

#include "host/System.h"
#include "mechanics/Game.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/MathUtil.h"
#include "platform/RandomUtil.h"
#include "platform/SoundManager.h"
#include "platform/Timer.h"
#include "render/IndexedMesh.h"
#include "terrain/Terrain.h"
#include "world/AiBrain.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Effects.h"
#include "world/Item.h"
#include "world/PathFinder.h"
#include "world/TaskManager.h"
#include "world/TaskStepsSupport.h"
#include "world/WorldQueries.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr float THINK_INTERVAL = 0.1f;
constexpr float THINK_JITTER = 0.05f;
constexpr float MAX_STEP = 0.1f;
constexpr float THREAT_MEMORY = 30.0f;
constexpr float HEALTH_NODE_RANGE = 6.0f;
constexpr float SPAWNER_RANGE = 30.0f;
constexpr int ANIMATION_IDLE = 0;
constexpr int ANIMATION_WALK = 1;
constexpr int ANIMATION_DIG = 10;

const char* const STATUS_NAMES[3] = {"fire", "acid", "plasma"};
const char* const MINER_STATES[] = {"Idle",        "FindMine",        "GotoMine",  "MovingToMine", "Mining",
                                    "GotoDropoff", "MovingToDropoff", "Unloading", "NodeDepleted"};
const char* const BUILD_STATES[] = {"BuildIdle", "BuildGotoPosition", "BuildMovingToPosition", "BuildConstructing",
                                    "BuildCompleted"};

// A system that rides along with the agent, one unit up.
ParticleSystem* SpawnFollowing(const char* name, Entity* owner, uint32_t how = 0)
{
    return StartEffect(name, owner, Vec3(0.0f, 1.0f, 0.0f), how);
}

template <size_t N>
const char* StateName(const char* const (&names)[N], int state)
{
    return state >= 0 && state < (int)N ? names[state] : "";
}

}  // namespace

float Agent::GetOreCapacity() const
{
    float capacity = oreCapacity;
    if (upgradeFlags & 0x400) capacity *= 1.5f;
    if (classWord & AGENT_CLASS_HEAVY) capacity *= 2.0f;
    return capacity;
}

float Agent::GetMiningAmount() const
{
    float amount = miningAmount;
    if (upgradeFlags & 0x800) amount *= 2.0f;
    if (classWord & AGENT_CLASS_HEAVY) amount *= 2.0f;
    return amount;
}

float Agent::GetAttackRange() const
{
    if (!(flags & ENTITY_PLAYER) || !TheCombatHooks) return attackRange;
    return attackRange + 0.5f * (float)TheCombatHooks->PlayerSkill(PLAYER_SKILL_RANGE);
}

void Agent::Update()
{
    int frame = WorldStepCount();
    if (updateFrame == frame) return;
    updateFrame = frame;
    float step = GamePaused ? 0.0f : WorldStep();
    if (step < 0.0f) step = 0.0f;
    if (step > MAX_STEP) step = MAX_STEP;
    ageTimers[0] += step;
    ageTimers[1] += step;
    sinceReset += step;

    if (flags & ENTITY_PLACED) SettlePlaced(step);
    MeasureSizeIfPending();
    if (!IsAlive()) return;
    if (freezeTime > 0.0f) {
        freezeTime -= step;
        if (freezeTime < 0.0f) freezeTime = 0.0f;
        return;
    }
    if (cloakTime > 0.0f) {
        cloakTime -= step;
        if (cloakTime <= 0.0f) {
            cloakTime = 0.0f;
            if (classWord & AGENT_CLOAKED) {
                if (SoundMgr) SoundMgr->PlaySound("cloak_out");
                classWord &= ~AGENT_CLOAKED;
            }
        }
    }
    if (ageTimers[0] > THINK_INTERVAL) {
        float thinkStep = ageTimers[0] - thinkOffset;
        thinkOffset = RandomFloat(0.0f, THINK_JITTER);
        ageTimers[0] = thinkOffset;
        Think(thinkStep);
        if (!IsAlive()) return;
    }

    // Movement.
    if (classWord & AGENT_STEPPING) {
        if (IsAirUnit()) {
            previousTarget = moveTarget;
            moveTarget = stepTarget;
            classWord &= ~(AGENT_STEPPING | AGENT_WAITING);
            classWord |= AGENT_MOVING;
        } else if (TheGame) {
            TheGame->StepAgentToward(this, stepTarget);
        }
    }
    if (path && path->count == 0) ForgetPath();
    if (!HasStanceBits() && !moveQueue.IsEmpty()) {
        Vec3 point;
        if (moveQueue.Pop(&point)) MoveTo(point, true);
    }
    bool moved = HasStanceBits() && FollowPath(step);
    TrackMoveProgress(step);
    // A plain move (no job behind it) that has gone nowhere for a while, its way held or its
    // goal out of reach, ends as near as the agent got: it would otherwise wait on for good.
    if (brain && !brain->job && moveProgress.Standing() > MOVE_GOES_NOWHERE) EndMoveHere();

    UpdateMeshes(step);
    TurnTowardTarget(step);
    if (IsAirUnit()) {
        bool moving = (classWord & AGENT_MOVING) != 0;
        if (!moving) Hover(step);
        SeparateAirUnits(step, moving);
    }
    if (mesh && mesh->animationCount > 0) {
        if (moved && mesh->currentSlot != ANIMATION_WALK)
            mesh->SetAnimation(ANIMATION_WALK, true, true);
        else if (!moved && mesh->currentSlot == ANIMATION_WALK)
            mesh->SetAnimation(ANIMATION_IDLE, true, false);
    }
}

void Agent::Settle()
{
    if (flags & ENTITY_PLACED) SettlePlaced(0.0f);
    MeasureSizeIfPending();
}

void Agent::MeasureSizeIfPending()
{
    if (!(flags & ENTITY_SIZE_PENDING)) return;
    if (mesh) size = std::fmax(mesh->boundsMax.x - mesh->boundsMin.x, mesh->boundsMax.z - mesh->boundsMin.z) * scale;
    flags &= ~ENTITY_SIZE_PENDING;
}

void Agent::SettlePlaced(float step)
{
    flags &= ~ENTITY_PLACED;
    Vec3 position = GetPosition();
    position.y = TheTerrain.GetHeight(position);
    SetPosition(position);
    if (!(IsAirUnit() && (classWord & AGENT_MOVING))) previousTarget = moveTarget = stepTarget = position;
    if (spawnPoint.x < -900.0f) {
        spawnPoint = position;
    } else if (brainKind == BRAIN_CREATURE || (classWord & AGENT_SPAWNED)) {
        if (Building* home = FindNearestBuilding(BUILD_SPAWNPOINT, spawnPoint, SPAWNER_RANGE)) {
            spawner = home;
            home->agents.PushBack(this);
            ++home->spawnedTotal;
        }
    }
    if (classWord & AGENT_CLASS_MINER) {
        float load = GetOreCapacity() > 0.0f ? oreLoad / GetOreCapacity() : 0.0f;
        const char* hopper = load >= 0.5f ? "hopper_full" : load >= 0.01f ? "hopper_half" : "hopper_empty";
        if (IndexedMesh* hopperMesh = GetHopperMesh(hopper)) {
            Entity* carried = new Entity();
            carried->mesh = hopperMesh;
            CopyText(carried->name, sizeof carried->name, hopper);
            AddAttachment(carried, "hopper", (classWord & AGENT_CLASS_HEAVY) ? "BackPack" : "AttachLoad", true);
        }
    }
    ClaimGridCell(position);
    if (mesh) mesh->Update(step);
}

void Agent::Think(float step)
{
    UpdateBrain(step);
    if (brain && brainKind == BRAIN_ATTACKBOT) brain->TrackFight(this, step);
    UpdateHealing();
    if (alignment == ALIGN_ENEMY || brainKind == BRAIN_ATTACKBOT) RefreshThreats(step);
    if (flags & ENTITY_PLAYER) {
        for (int i = 0; i < equipmentCount; ++i)
            if (equipment[i].item && (equipment[i].item->upgradeFlags & ITEM_UPGRADE_HEALING)) {
                health = std::fmin(health + step, GetMaxHealth());
                break;
            }
    }
    if ((classWord & AGENT_CLASS_MINE_LAYER) && mineTimer > 0.0f) {
        mineTimer -= step;
        if (mineTimer <= 0.0f) {
            ++mines;
            mineTimer = 0.0f;
        }
    }
    if ((flags & ENTITY_SHIELD) && shield < maxShield)
        shield = std::fmin(shield + GetShieldBonus() * step * 0.1f, maxShield);
    if (damageSmoke && GetMaxHealth() > 0.0f && health / GetMaxHealth() > 0.5f) StopEffect(&damageSmoke);
    UpdateStatusEffects(step);
    if (!IsAlive() || HasDied()) return;
    // The weapons' clocks: the agent's own and each mount's, since their last shot.
    attackTimer += step;
    for (int i = 0; i < attachmentCount; ++i) attachments[i].clock += step;
    // The work beam shows and sounds only while the agent stands at its work: its loop goes
    // off with its glow, or it would hum on behind the agent wherever it walks.
    int mode = CurrentAiMode();
    bool working = mode == 5 || mode == 7 || mode == 8 || mode == 9 || mode == 13;
    if (!(working && !HasStanceBits())) WorkBeam::Stop(this);
}

int Agent::CurrentAiMode() const
{
    return brain ? brain->mode : aiMode;
}

bool Agent::HasEquippedSpecial(uint32_t special) const
{
    for (int i = 0; i < equipmentCount; ++i)
        if (equipment[i].item && (equipment[i].item->specialFlags & special)) return true;
    return false;
}

void Agent::UpdateBrain(float step)
{
    if (!brain) return;
    brain->Think(this);
    Job* job = brain->job;
    if (job && job->Run(step) == JOB_ENDED) {
        TaskManager::Get()->ReleaseJob(job);
        brain->mode = AI_MODE_NONE;
        brain->job = job = nullptr;
    }
    if (!job) {
        CopyText(statusText, sizeof statusText, "none");
        brain->mode = AI_MODE_NONE;
        return;
    }
    if (!job->currentStep) {
        CopyText(statusText, sizeof statusText, "none");
        return;
    }
    if (!job->currentStep->name[0]) return;
    const char* state = nullptr;
    if (classWord & AGENT_CLASS_MINER)
        state = StateName(MINER_STATES, job->stepState);
    else if (brain->mode == AI_MODE_BUILD)
        state = StateName(BUILD_STATES, job->stepState);
    if (state) snprintf(statusText, sizeof statusText, "%s %s ", job->currentStep->name, state);
}

void Agent::UpdateHealing()
{
    if (!(classWord & AGENT_HEALING)) {
        StopEffect(&healingEffect);
        return;
    }
    bool keep = health < GetMaxHealth();
    // Without enough power the player's health nodes stop healing; the enemy's always work.
    if (alignment != ALIGN_ENEMY && TheScene.unitControl.supply < TheScene.unitControl.demand) keep = false;
    Building* node = nullptr;
    const Vec3 position = GetPosition();
    for (int segment = SEGMENT_BUILDING; keep && !node && segment <= SEGMENT_NEUTRAL_BUILDING; ++segment) {
        if (segment != SEGMENT_BUILDING && segment != SEGMENT_ENEMY_BUILDING && segment != SEGMENT_NEUTRAL_BUILDING) continue;
        for (const Scene::Node* n = TheScene.FirstInList(segment); n; n = TheScene.NextInList(n)) {
            Entity* entity = n->value;
            if (!(entity->flags & ENTITY_BUILDING) || !entity->IsAlive() || entity->alignment != alignment) continue;
            Building* building = static_cast<Building*>(entity);
            if (!building->definition || !(building->definition->flags & BUILD_HEALTH_NODE)) continue;
            if (GetGroundDistance(building->GetPosition(), position) > HEALTH_NODE_RANGE) continue;
            node = building;
            break;
        }
    }
    if (!node) {
        classWord &= ~AGENT_HEALING;
        StopEffect(&healingEffect);
        return;
    }
    if (!healingEffect) healingEffect = SpawnFollowing("healing", this);
}

void Agent::ApplyStatusEffect(const StatusEffect& record)
{
    if (record.kind < STATUS_FIRE || record.kind > STATUS_PLASMA) return;
    StatusEffect* free = nullptr;
    for (StatusEffect& effect : statusEffects) {
        if (effect.timeLeft > 0.0f && effect.kind == record.kind) {
            if (record.timeLeft > effect.timeLeft) effect.timeLeft = record.timeLeft;
            return;
        }
        if (effect.timeLeft <= 0.0f && !free) free = &effect;
    }
    if (!free) return;
    *free = record;
    ++statusCount;
}

void Agent::UpdateStatusEffects(float step)
{
    for (StatusEffect& effect : statusEffects) {
        if (effect.timeLeft <= 0.0f) continue;
        effect.tickTimer -= step;
        if (effect.tickTimer <= 0.0f) {
            effect.tickTimer = effect.interval;
            float amount = effect.amount;
            if ((effect.kind == STATUS_FIRE && HasEquippedSpecial(ITEM_SPECIAL_RESIST_FIRE_1)) ||
                (effect.kind == STATUS_ACID && HasEquippedSpecial(ITEM_SPECIAL_RESIST_ACID_1)))
                amount *= 0.5f;
            Entity* source = effect.source.GetLive();
            if (effect.kind == STATUS_PLASMA) {
                if (flags & ENTITY_SHIELD) shield = std::fmax(shield - amount, 0.0f);
            } else {
                TakeDamage(amount, source, nullptr, DAMAGE_TYPE_RAW, false);
            }
            char effectName[32];
            snprintf(effectName, sizeof effectName, "%s_explo", STATUS_NAMES[effect.kind]);
            SpawnFollowing(effectName, this, EFFECT_ONCE);
            if (health <= 0.0f && !HasDied()) {
                Die(source);
                // Whoever set the agent burning has killed it: the kill counts with its
                // statistics and its experience, as a direct hit's would.
                if (source) source->AddKill(this);
            }
            // Dead is dead: the effects still pending end with the agent, and nobody is
            // credited with the kill twice.
            if (HasDied()) {
                for (StatusEffect& pending : statusEffects) pending = StatusEffect{0, 0.0f, 0.0f, 0.0f, 0.0f, EntityRef()};
                statusCount = 0;
                return;
            }
        }
        effect.timeLeft -= step;
        if (effect.timeLeft <= 0.0f) {
            effect = StatusEffect{0, 0.0f, 0.0f, 0.0f, 0.0f, EntityRef()};
            if (statusCount > 0) --statusCount;
        }
    }
}

void Agent::AddThreat(Entity* attacker, float amount)
{
    if (!attacker) return;
    ThreatRecord* record = FindThreat(attacker);
    if (!record) {
        if (threatCount < AGENT_THREATS) {
            record = &threats[threatCount++];
            record->threat = 0.0f;
        } else {
            // The attacker heard from longest ago makes room; what it built up stays.
            record = &threats[0];
            for (ThreatRecord& candidate : threats)
                if (candidate.lastHit < record->lastHit) record = &candidate;
        }
        record->attacker.Set(attacker);
    }
    record->threat += amount;
    record->lastHit = MissionTime;
}

void Agent::RefreshThreats(float step)
{
    engagedTime = target.GetLive() ? engagedTime + step : 0.0f;
    int kept = 0;
    for (int i = 0; i < threatCount; ++i) {
        ThreatRecord record = threats[i];
        Entity* attacker = record.attacker.Get();
        bool cloaked = attacker && (attacker->flags & ENTITY_AGENT) && (static_cast<Agent*>(attacker)->classWord & AGENT_CLOAKED);
        if (!attacker || cloaked || MissionTime - record.lastHit >= THREAT_MEMORY) continue;
        threats[kept++] = record;
    }
    for (int i = kept; i < threatCount; ++i) threats[i] = ThreatRecord{EntityRef(), 0.0f, 0.0f};
    threatCount = kept;
}

ThreatRecord* Agent::FindThreat(const Entity* attacker)
{
    if (!attacker) return nullptr;
    for (int i = 0; i < threatCount; ++i)
        if (threats[i].attacker.entity == attacker && threats[i].attacker.id == attacker->id) return &threats[i];
    return nullptr;
}

ThreatRecord* Agent::GetTopThreat()
{
    ThreatRecord* top = nullptr;
    for (int i = 0; i < threatCount; ++i)
        if (threats[i].threat > 0.0f && (!top || threats[i].threat > top->threat)) top = &threats[i];
    return top;
}

void Agent::UpdateMeshes(float step)
{
    // Every unit's animation clock goes on in every tick, seen or not; nothing is posed here.
    // Its weapons fire from its bones, posed from that clock when they fire (the joints from
    // the root to the mount alone), so a shot leaves from the same place wherever the player
    // looks; the drawing poses what it draws.
    if (!mesh) return;
    // A miner's pick strikes the ground on the dig animation's 15th frame.
    bool digging = (classWord & AGENT_CLASS_MINER) && !(classWord & AGENT_CLASS_HEAVY) &&
                   mesh->IsAnimationPlaying(ANIMATION_DIG) && (CurrentAiMode() == 3 || target.IsSet());
    int keyBefore = mesh->currentKey;
    mesh->Update(step);
    if (digging && keyBefore < 15 && mesh->currentKey >= 15 && SoundMgr) {
        char sound[16];
        snprintf(sound, sizeof sound, "pickaxe_%d", CosmeticRandom().Int(1, 3));
        SoundMgr->PlaySound(sound);
    }
    for (int i = 0; i < attachmentCount; ++i) {
        Entity* attached = attachments[i].entity;
        if (attached && attached->mesh && attached->mesh->IsSkinned()) attached->mesh->Update(step);
    }
}

void Agent::TurnTowardTarget(float step)
{
    if (std::fabs(yaw - targetYaw) < 0.01f) return;
    if (std::fabs(yaw) > 360.0f) yaw = std::fmod(yaw, 360.0f);
    if (std::fabs(targetYaw) > 360.0f) targetYaw = std::fmod(targetYaw, 360.0f);
    float difference = WrapDegrees(yaw - targetYaw);
    float turn = GetSpeed() / 6.0f * step * 600.0f;
    if (IsAirUnit()) turn *= 0.25f;
    if (std::fabs(difference) < turn) {
        yaw = targetYaw;
        if (yaw < 0.0f) yaw += 360.0f;
    } else {
        yaw += difference > 0.0f ? -turn : turn;
    }
    MatrixRotationY(&rotation, DegreesToRadians(yaw));
}

void Agent::SeparateAirUnits(float step, bool moving)
{
    Vec3 position = GetPosition();
    auto pushFrom = [&](const Vec3& other) {
        float dx = position.x - other.x, dz = position.z - other.z;
        float d2 = dx * dx + dz * dz;
        float d = std::sqrt(d2);
        if (d < 0.0001f) {
            // On the same spot: any way out will do.
            float angle = RandomFloat(0.0f, 2.0f * PI);
            SinCos(angle, &dz, &dx);
        } else {
            dx /= d;
            dz /= d;
        }
        float push = std::fmin(std::fmax(4.0f / std::fmax(d2, 0.0001f), 0.1f), 10.0f) * step;
        if (moving) push *= 0.25f;
        position.x += dx * push;
        position.z += dz * push;
    };
    for (int segment : {SEGMENT_AIR_UNIT, SEGMENT_ENEMY_AIR_UNIT})
        for (const Scene::Node* n = TheScene.FirstInList(segment); n; n = TheScene.NextInList(n)) {
            Entity* other = n->value;
            if (other == this || !(other->flags & ENTITY_AGENT) || !static_cast<Agent*>(other)->IsAirUnit()) continue;
            Vec3 at = other->GetPosition();
            if (GetGroundDistance(position, at) < size) pushFrom(at);
        }
    if (Entity* victim = target.Get()) {
        Vec3 at = victim->GetPosition();
        if (GetGroundDistance(position, at) < 2.5f) pushFrom(at);
    }
    SetPosition(position);
}
