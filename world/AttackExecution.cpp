// An agent's attack: how it closes in, faces its target and waits for its weapon, and how a
// shot leaves it (the weapon's type decides between a beam and projectiles).
#include "world/Agent.h"

#include "platform/MathUtil.h"
#include "platform/SoundManager.h"
#include "render/Animation.h"
#include "render/IndexedMesh.h"
#include "world/AiBrain.h"
#include "world/Grid.h"
#include "world/GridQueries.h"
#include "world/PathFinder.h"
#include "world/ProjectileSystem.h"
#include "world/TaskManager.h"
#include "world/WeaponDef.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr float DEGREES = 0.0174532925f;

Vec3 TurnedAboutY(const Vec3& v, float degrees)
{
    Matrix turn;
    MatrixRotationY(&turn, degrees * DEGREES);
    Vec3 out;
    Vec3TransformNormal(&out, &v, &turn);
    return out;
}

}  // namespace

void Agent::FireWeapon(const WeaponDef* weapon, Agent* attacker, Entity* target, const AgentAttachment* attachment)
{
    if (!weapon || !attacker || !target || !TheProjectiles) return;
    const Vec3 origin = MountMuzzlePoint(attacker, attachment, nullptr);
    Vec3 toTarget = target->GetPosition() - attacker->GetPosition();
    const float distance = Vec3Length(&toTarget);
    // Standing on the target leaves no direction: the shot then aims at the target itself.
    Vec3 direction;
    if (distance > 1e-6f) Vec3Normalize(&direction, &toTarget);
    const uint32_t flags = attacker->GetWeaponUpgradeBits(weapon) | PROJECTILE_TARGET_TEST;

    switch (weapon->type) {
    case WEAPON_LASER:
    case WEAPON_ELECTRIC:
    case WEAPON_BALLISTIC:
    case WEAPON_FLAME:
    case WEAPON_ACID: {
        static const int KIND_OF_TYPE[] = {BEAM_LASER, -1, BEAM_ELECTRIC, -1, BEAM_MACHINEGUN, BEAM_FLAME, BEAM_ACID};
        WeaponFx::SpawnMuzzleEffect(weapon->shotTime, attacker, target, weapon, KIND_OF_TYPE[weapon->type], attachment);
        break;
    }
    case WEAPON_MISSILE:
        if (weapon->flags & WEAPONFLAG_DUAL_CLUSTER) {
            float spread = (distance < 2.5f ? 2.5f : distance > 20.0f ? 20.0f : distance) / 20.0f * 30.0f;
            for (float side : {spread, -spread})
                TheProjectiles->Fire(origin, TurnedAboutY(direction, side), weapon->range, attacker, target, weapon,
                                     flags, attachment);
        } else {
            TheProjectiles->Fire(origin, direction, weapon->range, attacker, target, weapon, flags, attachment);
        }
        break;
    case WEAPON_MORTAR:
    case WEAPON_PLASMA:
    case WEAPON_PULSE:
        TheProjectiles->Fire(origin, direction, weapon->range, attacker, target, weapon, flags, attachment);
        break;
    default:
        break;
    }
}

// ---- The attack behaviours

namespace {

constexpr float MELEE_REACH = 3.6f;
constexpr float MELEE_BLOW_DELAY = 0.5f;
// A chased target that has moved this far from where the chaser's path ends is chased anew.
constexpr float CHASE_SLACK = 10.0f;

bool IsAirAgent(const Entity* entity)
{
    return entity && (entity->flags & ENTITY_AGENT) && static_cast<const Agent*>(entity)->IsAirUnit();
}

float GroundDistance(const Vec3& a, const Vec3& b)
{
    float dx = a.x - b.x, dz = a.z - b.z;
    return sqrtf(dx * dx + dz * dz);
}

// Where the attacker and its target stand for this frame of the attack.
struct AttackPlace {
    Entity* entity = nullptr;
    Vec3 point;  // the target's grid point, or a building's or item's centre
    Vec3 aim;    // where the weapons turn to: a unit where it stands, off its grid point
    Vec3 reach;   // where to go to reach it: beside a building or item, else its point
    float distance = 0.0f;
};

bool MeasureAttack(Agent* attacker, AttackPlace* place)
{
    Entity* target = attacker->target.GetLive();
    if (!target) return false;
    Grid* grid = CurrentGrid();
    auto snap = [grid](const Vec3& p) { return grid ? grid->SnapToGridPoint(p) : p; };
    Vec3 self = snap(attacker->GetPosition());
    place->entity = target;
    if (target->flags & (ENTITY_BUILDING | ENTITY_ITEM)) {
        // A building is in reach once its nearest wall is: from beside a wide camp its middle
        // lies farther off than a gun carries.
        place->point = target->GetCenter();
        place->distance = GroundDistanceToCells(self, target);
        // Beside it, or when guards and walls hold every cell there, a cell farther out.
        Vec3 beside;
        const bool found = FindFreeCellNear(&beside, target, attacker->GetPosition(), 0.0f, nullptr) ||
                           FindRaidStandCell(target, attacker->GetPosition(), &beside, nullptr);
        place->reach = found ? beside : place->point;
        place->aim = place->point;
    } else {
        place->point = place->reach = snap(target->GetPosition());
        place->distance = GroundDistance(self, place->point);
        // A foe within a cell of the attacker shares its grid point: turned toward that point
        // the attacker would face anywhere but the foe.
        place->aim = target->GetPosition();
    }
    return true;
}

// Turns the attacker toward its target at once; true when the target lies in its facing cone,
// or touches it.
bool FaceTowards(Agent* attacker, const AttackPlace& place)
{
    Vec3 to = place.aim - attacker->GetPosition();
    HeadingFromVector(to.x, to.z, &attacker->targetYaw);
    return attacker->Touches(place.entity) ||
           IsInFacingCone(attacker->GetPosition(), attacker->yaw, place.aim, 1000.0f, 30.0f);
}

void PlayAnimation(Agent* agent, int id, bool force)
{
    if (!agent->mesh) return;
    int slot = agent->mesh->GetAnimationValue(id);
    if (slot >= 0) agent->mesh->SetAnimation(slot, true, force);
}

// An attack frame that fired nothing leaves the attack animation.
int Unfired(Agent* agent)
{
    if (agent->mesh && agent->mesh->IsAnimationPlaying(ANIM_ATTACK)) PlayAnimation(agent, ANIM_IDLE, false);
    return 1;
}

// The end of the path the attacker walks (its move target without one).
Vec3 PathEnd(const Agent* agent)
{
    return agent->path && agent->path->count > 0 ? agent->path->points[agent->path->count - 1] : agent->moveTarget;
}

void AttackStatus(Agent* agent, const Job* job, const char* text)
{
    // A long job or step name cuts the text short: it is only shown.
    int length = snprintf(agent->statusText, sizeof agent->statusText, "%s %s %.1f\n%s", job ? job->name : "",
                          job && job->currentStep ? job->currentStep->name : "", job ? job->timer : 0.0f, text);
    if (length < 0) agent->statusText[0] = '\0';
}

// Fires whatever is ready: every weapon the attachments carry, or else the agent's own.
bool FireWhatIsReady(Agent* attacker, Entity* target)
{
    bool armed = false, fired = false;
    for (int i = 0; i < attacker->attachmentCount; ++i) {
        AgentAttachment& mount = attacker->attachments[i];
        Entity* item = mount.entity;
        if (!item || !(item->flags & ENTITY_ITEM) || !item->weapon) continue;
        armed = true;
        const WeaponDef* weapon = item->weapon;
        // Shells and flames cannot reach what flies.
        if (IsAirAgent(target) && (weapon->type == WEAPON_MORTAR || weapon->type == WEAPON_FLAME)) continue;
        if (!weapon->IsReady(mount.clock)) continue;
        mount.clock = 0.0f;
        Agent::FireWeapon(weapon, attacker, target, &mount);
        PlayAnimation(attacker, ANIM_ATTACK, false);
        fired = true;
    }
    if (armed) return fired;
    if (!attacker->weapon || !attacker->weapon->IsReady(attacker->attackTimer)) return false;
    // A skinned body swings into its attack first; the shot leaves once the swing is on.
    if (attacker->mesh && attacker->mesh->IsSkinned() && !attacker->mesh->IsAnimationPlaying(ANIM_ATTACK)) {
        PlayAnimation(attacker, ANIM_ATTACK, false);
        return true;
    }
    attacker->attackTimer = 0.0f;
    Agent::FireWeapon(attacker->weapon, attacker, target, nullptr);
    return true;
}

// The blow of a melee attacker within reach, when its melee interval has passed.
void StrikeWhenReady(Agent* attacker, Entity* target)
{
    if (!(attacker->attackTimer > attacker->meleeAttackTime)) return;
    if (TheProjectiles) TheProjectiles->QueueMeleeHit(MELEE_BLOW_DELAY, attacker, target);
    attacker->attackTimer = 0.0f;
    PlayAnimation(attacker, ANIM_ATTACK, true);
    if ((attacker->classWord & AGENT_CLASS_AOE_ATTACK) && SoundMgr) SoundMgr->PlaySound("spinner");
}

}  // namespace

bool Agent::Touches(const Entity* other) const
{
    if (!other || !(other->flags & ENTITY_AGENT)) return false;
    return GroundDistance(GetPosition(), other->GetPosition()) < 0.5f * (size + other->size);
}

void Agent::MarkShot(const AgentAttachment* mount, const Entity* target, bool hurt)
{
    const unsigned missed = hurt || !target ? 0u : target->id;
    if (!mount) {
        ownShotMissedFoe = missed;
        return;
    }
    for (int i = 0; i < attachmentCount; ++i)
        if (&attachments[i] == mount) attachments[i].missedFoe = missed;
}

void Agent::StopAttack(Agent* agent)
{
    if (!agent) return;
    agent->target.Clear();
    agent->aiMode = AI_MODE_NONE;
    if (agent->brain) agent->brain->mode = AI_MODE_NONE;
    if (agent->classWord & AGENT_MOVING) agent->StopMove();
    if (agent->mesh && agent->mesh->IsAnimationPlaying(ANIM_ATTACK)) PlayAnimation(agent, ANIM_IDLE, false);
}

int Agent::DoRangedAttack(float, Job*)
{
    AttackPlace place;
    if (!MeasureAttack(this, &place)) return 1;
    if (place.distance > GetAttackRange() - 1.0f) {
        // A walk under way goes on while it still leads there: planned afresh every frame, a
        // long way round is never walked.
        const bool mover = (place.entity->flags & ENTITY_AGENT) &&
                           (static_cast<Agent*>(place.entity)->classWord & AGENT_MOVING);
        const Vec3 goal = mover ? place.entity->GetPosition() : place.reach;
        if (!(classWord & (AGENT_MOVING | AGENT_STEPPING)) || GroundDistance(goal, PathEnd(this)) > CHASE_SLACK)
            MoveTo(place.reach, true);
        return Unfired(this);
    }
    if (!StopMove(1.0f) && !IsAirUnit()) return Unfired(this);
    if (!FaceTowards(this, place)) return Unfired(this);
    return FireWhatIsReady(this, place.entity) ? 1 : Unfired(this);
}

int Agent::DoRangedAttackInPlace(float, Job*)
{
    if (classWord & AGENT_MOVING) {
        StopMove(1.0f);
        return Unfired(this);
    }
    AttackPlace place;
    if (!MeasureAttack(this, &place)) return 1;
    if (place.distance > GetAttackRange() + 1.0f) {
        StopAttack(this);
        return 1;
    }
    if (!FaceTowards(this, place)) return Unfired(this);
    return FireWhatIsReady(this, place.entity) ? 1 : Unfired(this);
}

int Agent::UpdateAttackPosition(float, Job* job)
{
    AttackPlace place;
    if (!MeasureAttack(this, &place)) return 1;
    if (place.distance > noticeRange + 1.0f) {
        if (alignment != ALIGN_PLAYER) {
            StopAttack(this);
            AttackStatus(this, job, "Out of range, StopAttack");
            return 2;
        }
        MoveTo(place.point, true);
        return 1;
    }
    if (place.distance > noticeRange - 1.0f) return 1;
    if (!IsNextToEntity(GetPosition(), place.entity, false) && place.distance >= MELEE_REACH) {
        if (!(classWord & AGENT_MOVING)) {
            MoveTo(place.reach, true);
            AttackStatus(this, job, "Notmoving - Reaquired attack position");
        } else if (GroundDistance(place.entity->GetPosition(), PathEnd(this)) > CHASE_SLACK) {
            MoveTo(place.point, true);
            AttackStatus(this, job, "Invalid attack pos - Reaquired attack position");
        } else {
            char text[64];
            snprintf(text, sizeof text, "Moving to attack position\nWait time(%.1f)", waitTime);
            AttackStatus(this, job, text);
            if (waitTime > 0.5f) StopMove(1.0f);
        }
        return 1;
    }
    ForgetPath();
    if ((classWord & AGENT_MOVING) && !StopMove(0.25f)) return 1;
    AttackStatus(this, job, "StopMove successful -> doAttack");
    FaceTowards(this, place);
    StrikeWhenReady(this, place.entity);
    return 1;
}

int Agent::MeleeAttackInPlace(float, Job*)
{
    if (classWord & AGENT_MOVING) StopMove(0.25f);
    AttackPlace place;
    if (!MeasureAttack(this, &place)) return 1;
    if (!IsNextToEntity(GetPosition(), place.entity, false) && place.distance >= MELEE_REACH) {
        StopAttack(this);
        return 1;
    }
    if (FaceTowards(this, place)) StrikeWhenReady(this, place.entity);
    return 1;
}
