// How an agent's shot leaves it: the weapon's type decides between a beam and projectiles.
#include "world/Agent.h"

#include "platform/MathUtil.h"
#include "render/IndexedMesh.h"
#include "world/ProjectileSystem.h"
#include "world/WeaponDef.h"

#include <cmath>

namespace {

constexpr float DEGREES = 0.0174532925f;

// The fire and acid damage over time the agent's upgrades lend its shots of this weapon.
uint32_t UpgradeBits(const Agent* agent)
{
    uint32_t bits = 0;
    if (agent->upgradeFlags & 0x2000) bits |= PROJECTILE_BURNS;
    if (agent->upgradeFlags & 0x4000) bits |= PROJECTILE_CORRODES;
    return bits;
}

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
    Vec3 origin = attacker->GetPosition();
    if (attachment && attachment->boneIndex >= 0)
        origin = GetBoneWorldPosition(attacker->mesh, attachment->boneIndex, attacker->world, attacker->scale, origin);
    Vec3 toTarget = target->GetPosition() - attacker->GetPosition();
    const float distance = Vec3Length(&toTarget);
    // Standing on the target leaves no direction: the shot then aims at the target itself.
    Vec3 direction;
    if (distance > 1e-6f) Vec3Normalize(&direction, &toTarget);
    const uint32_t flags = UpgradeBits(attacker) | PROJECTILE_TARGET_TEST;

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
