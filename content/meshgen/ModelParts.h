#pragma once
// Pieces the model families share: limbs between two points and the weapons units carry.
#include "content/meshgen/Models.h"

// A tube from a to b (radius ra at a, rb at b).
MeshPart Limb(const Vec3& a, const Vec3& b, float ra, float rb, int sides = 6);
// A weapon of the given look at the joint (moved by at from it), pointing along +z, sized by
// scale. Returns how far in front of its place its muzzle is.
float AddWeaponLook(ModelBuilder& model, int joint, WeaponLook look, const Paint& main, const Paint& dark,
                    const Paint& glow, float scale, const Vec3& at = Vec3());
// Whether the look is an arm that swings (melee and work tools) rather than a gun that recoils.
bool IsArmLook(WeaponLook look);
