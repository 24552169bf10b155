// The beams, move orders, turns, messages and stock the job steps share.
#include "world/TaskStepsSupport.h"

#include "campaign/PlayerProfile.h"
#include "host/SteadyMath.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/SoundManager.h"
#include "host/System.h"
#include "render/IndexedMesh.h"
#include "world/Agent.h"
#include "world/AgentCombat.h"
#include "world/Effects.h"
#include "world/Grid.h"
#include "world/GridQueries.h"

#include <cmath>

namespace {
constexpr float DEGREES = 180.0f / PI;
}

void WorkBeam::Start(Agent* agent, const Vec3& direction, const char* name)
{
    if (!agent) return;
    StopEffect(&agent->workEffect);
    // A beam shows at its full length from its first frame.
    if (ParticleSystem* beam = StartWorkBeam(name, agent, direction)) agent->workEffect = beam;
    if (!SoundMgr) return;
    int sound = SoundMgr->FindSound("buildbeam");
    if (agent->workSound >= 0 && sound >= 0 && SoundMgr->IsPlaying(sound, agent->workSound))
        SoundMgr->StopSound(sound, agent->workSound);
    agent->workSound = SoundMgr->PlaySound("buildbeam", true);
}

void WorkBeam::Stop(Agent* agent)
{
    if (!agent) return;
    // A beam the particles took back meanwhile (all of them cleared at once) may be playing
    // for another by now: only the agent's own is stopped.
    if (EffectOwner(agent->workEffect) != agent) agent->workEffect = nullptr;
    StopEffect(&agent->workEffect);
    if (SoundMgr && agent->workSound >= 0) {
        int sound = SoundMgr->FindSound("buildbeam");
        if (sound >= 0 && SoundMgr->IsPlaying(sound, agent->workSound)) SoundMgr->StopSound(sound, agent->workSound);
    }
    agent->workSound = -1;
}

void WorkBeam::Keep(Agent* agent, Entity* target, const char* name)
{
    if (!agent || !target) return;
    if (agent->workEffect && StrICmp(EffectName(agent->workEffect), name) == 0) return;
    Start(agent, target->GetCenter() - agent->GetPosition(), name);
}

bool StepSupport::IsBeside(const Vec3& position, Entity* entity, bool sameCellCounts)
{
    const Grid* grid = CurrentGrid();
    return IsNextToEntity(grid ? grid->SnapToGridPoint(position) : position, entity, sameCellCounts);
}

void StepSupport::OrderMove(Agent* agent, const Vec3& target)
{
    if (!agent) return;
    if (!agent->moveQueue.IsEmpty()) agent->moveQueue.Clear();
    agent->MoveTo(target, true);
}

void StepSupport::TurnToward(Agent* agent, const Vec3& point)
{
    if (!agent) return;
    Vec3 position = agent->GetPosition();
    float dx = point.x - position.x, dz = point.z - position.z;
    if (dx * dx + dz * dz < 1e-8f) return;
    agent->targetYaw = Atan2(dx, dz) * DEGREES;
}

bool StepSupport::IsInFrontCone(const Agent* agent, const Vec3& point, float coneDegrees, float range)
{
    Vec3 position = agent->GetPosition();
    float dx = point.x - position.x, dz = point.z - position.z;
    float distance = std::sqrt(dx * dx + dz * dz);
    if (distance > range) return false;
    if (distance < 1e-4f) return true;
    float heading = Atan2(dx, dz) * DEGREES;
    return std::fabs(WrapDegrees(agent->yaw - heading)) <= coneDegrees * 0.5f;
}

void StepSupport::ShowMessage(const char* text, float seconds)
{
    TellPlayer(text, seconds);
}

void StepSupport::PlaySound(const char* name)
{
    if (SoundMgr) SoundMgr->PlaySound(name);
}

void StepSupport::SpawnEffect(const char* name, const Vec3& at)
{
    PlaceEffect(name, at);
}

void StepSupport::FloatText(const char* text, const Vec3& at)
{
    if (TheCombatHooks) TheCombatHooks->FloatText(text, at);
}

float StepSupport::PlayerOre()
{
    return GetPlayerProfile() ? GetPlayerProfile()->ore : 0.0f;
}

float StepSupport::PlayerFuel()
{
    return GetPlayerProfile() ? GetPlayerProfile()->fuel : 0.0f;
}

void StepSupport::AddPlayerOre(float amount)
{
    if (GetPlayerProfile()) GetPlayerProfile()->AddOre(amount);
}

void StepSupport::AddPlayerFuel(float amount)
{
    if (GetPlayerProfile()) GetPlayerProfile()->AddFuel(amount);
}

void StepSupport::ShowNodeStage(Entity* node)
{
    if (!node || node->meshCount != 3) return;
    IndexedMesh* stage = node->health > node->GetMaxHealth() * 0.5f ? node->meshStates[1] : node->meshStates[2];
    if (stage) node->mesh = stage;
}
