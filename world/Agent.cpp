#include "world/Agent.h"

#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/ScreenHooks.h"
#include "platform/MathUtil.h"
#include "render/IndexedMesh.h"
#include "world/AiBrain.h"
#include "world/PathFinder.h"
#include "world/TaskManager.h"
#include "world/TaskStepsSupport.h"

#include <cstring>
#include <new>

bool WaypointQueue::Pop(Vec3* point)
{
    PooledList<Vec3>::Node* head = points_.head;
    if (!head) return false;
    if (point) *point = head->value;
    points_.Unlink(nullptr, head);
    return true;
}

Agent::Agent() : brain(nullptr), attachments(nullptr), attachmentCount(0), equipment(nullptr), equipmentCount(0)
{
    // A new agent's level state is the fields' own first values: the reset of a level's state
    // is checked against them, never against itself.
    ResetWhatItIs(true);
}

Agent::~Agent()
{
    ReleaseAttachments();
    delete[] equipment;
    // A job still held stays the task manager's: its pool outlives every agent's record.
    delete brain;
}

void Agent::Reset()
{
    Entity::Reset();
    Reset(false);
}

void Agent::Reset(bool full)
{
    ResetWhatItIs(full);
    MakeLevelState(full);
}

void Agent::ResetWhatItIs(bool full)
{
    flags |= ENTITY_AGENT;
    size = 3.0f;
    damage = 10.0f;

    classWord = 0;
    commandWord = COMMAND_MOVE | COMMAND_ATTACK | COMMAND_STOP;
    if (full) moveQueue.Init(AGENT_MOVE_QUEUE_SIZE);
    if (full) {
        delete brain;
        brain = new AIBrain();
    }
    brainKind = BRAIN_NONE;
    agentType = nullptr;
    ReleaseAttachments();
    delete[] equipment;
    equipment = nullptr;
    equipmentCount = 0;
    noticeRange = 25.0f;
    attackRange = 15.0f;
    meleeAttackTime = 2.0f;
    speed = 10.0f;
    oreCapacity = 40.0f;
    miningAmount = 5.0f;
    upgradeFlags = 0;
    botExperience = 0;
    botLevel = 0;
}

void Agent::ResetLevelState()
{
    // Whatever it still keeps going in the level it leaves ends with it.
    EndOwnedEffects();
    Entity::ResetLevelState();
    MakeLevelState(false);
}

void Agent::MakeLevelState(bool made)
{
    sinceReset = 0.0f;
    classWord &= ~AGENT_LEVEL_BITS;
    aiMode = 0;
    groupId = -1;
    // The route goes back to the pool, the job to the task manager: whoever the agent was
    // before, or wherever it stood, they are not its any more.
    if (!made) ForgetPath();
    path = nullptr;
    moveQueue.Clear();
    if (brain) {
        if (!made && brain->job) TaskManager::Get()->ReleaseJob(brain->job);
        // A new brain's state, whole: its fight, its moves to come back to, and whatever else
        // a brain learns to keep.
        *brain = AIBrain();
    }
    target.Clear();
    stepTarget = GetPosition();
    currentSpeed = 0.0f;
    previousTarget = Vec3();
    waitTime = 0.0f;
    blockedTime = 0.0f;
    spawner.Clear();
    spawnPoint = Vec3(-1000.0f, -1000.0f, -1000.0f);
    activeBuilding.Clear();
    activeObject.Clear();
    mine.Clear();
    dropOff.Clear();
    oreLoad = 0.0f;
    loadValue = 0.0f;
    workTimer = 0.0f;
    lastMinePosition = Vec3(0.0f, 0.0f, 0.0f);
    rememberMine = false;
    stance = AGENT_STANCE_DEFAULT;
    freezeTime = 0.0f;
    cloakTime = 0.0f;
    mineTimer = 0.0f;
    mines = 1;
    // Their owner ended them (EndOwnedEffects) as it left the level it had them in.
    healingEffect = nullptr;
    workEffect = nullptr;
    workSound = -1;
    for (StatusEffect& effect : statusEffects) effect = StatusEffect{0, 0.0f, 0.0f, 0.0f, 0.0f, EntityRef()};
    statusCount = 0;
    for (ThreatRecord& threat : threats) threat = ThreatRecord{EntityRef(), 0.0f, 0.0f};
    threatCount = 0;
    engagedTime = 0.0f;
    processTimer = 0.0f;
    pathRetryTime = 0.0f;
    goalBlockedTime = 0.0f;
    walkRoundFailed = 0;
    moveProgress.Restart();
    thinkOffset = 0.0f;
    // Its weapons start the level as a new unit's do: each waits out its interval.
    attackTimer = 0.0f;
    fireToggle = 0;
    ownShotMissedFoe = 0;
    for (int i = 0; i < attachmentCount; ++i) {
        attachments[i].clock = 0.0f;
        attachments[i].missedFoe = 0;
    }
}

void Agent::EndOwnedEffects()
{
    // The beam's hum is the one sound a unit keeps going.
    WorkBeam::Stop(this);
    healingEffect = nullptr;
    Entity::EndOwnedEffects();
}

bool Agent::GetWorldBounds(Vec3* min, Vec3* max)
{
    if (!mesh) return false;
    Vec3 low = mesh->boundsMin, high = mesh->boundsMax;
    for (int i = 0; i < attachmentCount; ++i) {
        const Entity* attached = attachments[i].entity;
        if (!attached || !attached->mesh) continue;
        low = Vec3Min(low, attached->mesh->boundsMin);
        high = Vec3Max(high, attached->mesh->boundsMax);
    }
    Vec3 position = GetPosition();
    if (min) *min = position + low * scale;
    if (max) *max = position + high * scale;
    return true;
}

bool Agent::IntersectRay(const Vec3& origin, const Vec3& direction)
{
    const Vec3 position = GetPosition();
    // One mesh's box about the agent, turned with it, and then its bounding sphere when it
    // has one: the box alone would pick the empty corners of a lanky unit.
    auto probe = [&](const IndexedMesh* probed) {
        Vec3 low = probed->boundsMin * scale, high = probed->boundsMax * scale;
        if (yaw != 0.0f) {
            Vec3 corners[8];
            GetBoxCorners(low, high, corners);
            low = Vec3(1e30f, 1e30f, 1e30f);
            high = Vec3(-1e30f, -1e30f, -1e30f);
            for (const Vec3& corner : corners) {
                Vec3 turned;
                Vec3TransformCoord(&turned, &corner, &rotation);
                low = Vec3Min(low, turned);
                high = Vec3Max(high, turned);
            }
        }
        Vec3 min = position + low, max = position + high;
        if (!BoxBoundProbe(&min, &max, &origin, &direction)) return false;
        if (probed->radius <= 0.0f) return true;
        // The sphere turns with the agent as its box does.
        Vec3 offset = probed->centre * scale, turned = offset;
        if (yaw != 0.0f) Vec3TransformCoord(&turned, &offset, &rotation);
        Vec3 centre = position + turned;
        return SphereBoundProbe(&centre, probed->radius * scale, &origin, &direction);
    };
    if (mesh && probe(mesh)) return true;
    for (int i = 0; i < attachmentCount; ++i) {
        const Entity* attached = attachments[i].entity;
        if (attached && attached->mesh && probe(attached->mesh)) return true;
    }
    return false;
}

void Agent::ForgetPath()
{
    // Back to the pool: routes forgotten and never returned would leave later agents without one.
    if (path && TheGame && TheGame->pathPool) TheGame->pathPool->Release(path);
    path = nullptr;
}

Entity* Agent::AddAttachment(Entity* attached, const char* attachmentName, const char* boneName, bool owned)
{
    if (!attached || !attachmentName) return nullptr;
    if (!boneName) boneName = "none";
    AgentAttachment* record = nullptr;
    for (int i = 0; i < attachmentCount; ++i)
        if (strcmp(attachments[i].name, attachmentName) == 0) record = &attachments[i];
    Entity* previous = nullptr;
    if (record) {
        previous = record->entity;
        // The agent's own entity is freed here; one it only held goes back to the caller.
        if (record->owned && previous != attached) {
            delete previous;
            previous = nullptr;
        }
    } else {
        if (!attachments) attachments = new (std::nothrow) AgentAttachment[AGENT_ATTACHMENTS]();
        if (!attachments || attachmentCount >= AGENT_ATTACHMENTS) return nullptr;
        record = &attachments[attachmentCount++];
        CopyText(record->name, sizeof record->name, attachmentName);
    }
    CopyText(record->bone, sizeof record->bone, boneName);
    record->entity = attached;
    record->boneIndex = mesh ? mesh->FindJoint(boneName) : -1;
    record->clock = 0.0f;
    record->missedFoe = 0;
    record->owned = owned;
    return previous;
}

Entity* Agent::RemoveAttachment(const char* attachmentName)
{
    if (!attachmentName) return nullptr;
    for (int i = 0; i < attachmentCount; ++i) {
        AgentAttachment& record = attachments[i];
        if (strcmp(record.name, attachmentName) != 0) continue;
        Entity* attached = record.entity;
        if (record.owned) {
            delete attached;
            attached = nullptr;
        }
        CopyText(record.bone, sizeof record.bone, "none");
        record.entity = nullptr;
        record.boneIndex = -1;
        record.owned = false;
        return attached;
    }
    return nullptr;
}

Entity* Agent::GetAttachedEntity(const char* attachmentName) const
{
    if (!attachmentName) return nullptr;
    for (int i = 0; i < attachmentCount; ++i)
        if (strcmp(attachments[i].name, attachmentName) == 0) return attachments[i].entity;
    return nullptr;
}

void Agent::RebindAttachments()
{
    for (int i = 0; i < attachmentCount; ++i)
        attachments[i].boneIndex = mesh ? mesh->FindJoint(attachments[i].bone) : -1;
}

void Agent::ReleaseAttachments()
{
    for (int i = 0; i < attachmentCount; ++i)
        if (attachments[i].owned) delete attachments[i].entity;
    delete[] attachments;
    attachments = nullptr;
    attachmentCount = 0;
}

void Agent::OnSelect()
{
    if (TheScreenHooks) TheScreenHooks->AgentSelected(this, true);
}

void Agent::OnDeselect()
{
    if (TheScreenHooks) TheScreenHooks->AgentSelected(this, false);
}
