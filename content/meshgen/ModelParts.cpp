#include "content/meshgen/ModelParts.h"

#include <cmath>

MeshPart Limb(const Vec3& a, const Vec3& b, float ra, float rb, int sides)
{
    Vec3 d = b - a;
    float length = Vec3Length(&d);
    MeshPart tube = Tube(ra, rb, length > 0.0001f ? length : 0.0001f, sides);
    if (length < 0.0001f) return tube.Move(a.x, a.y, a.z);
    Vec3 up = d * (1.0f / length);
    // Any side at right angles to the limb; the tube is round, so which one does not show.
    Vec3 helper = std::fabs(up.y) < 0.9f ? Vec3(0.0f, 1.0f, 0.0f) : Vec3(1.0f, 0.0f, 0.0f);
    Vec3 side, front;
    Vec3Cross(&side, &helper, &up);
    Vec3Normalize(&side, &side);
    Vec3Cross(&front, &side, &up);
    Matrix m;
    MatrixIdentity(&m);
    m._11 = side.x, m._12 = side.y, m._13 = side.z;
    m._21 = up.x, m._22 = up.y, m._23 = up.z;
    m._31 = front.x, m._32 = front.y, m._33 = front.z;
    m._41 = a.x, m._42 = a.y, m._43 = a.z;
    return tube.Transform(m);
}

bool IsArmLook(WeaponLook look)
{
    return look == LOOK_BLADES || look == LOOK_HAMMERS || look == LOOK_PICKAXE || look == LOOK_CRANE ||
           look == LOOK_WELDER;
}

namespace {

// A barrel along +z from z0, length long.
MeshPart Barrel(float radius, float length, float z0, int sides = 8)
{
    return Cylinder(radius, length, sides).Turn(0.5f * PI, 0.0f, 0.0f).Move(0.0f, 0.0f, z0);
}

}  // namespace

float AddWeaponLook(ModelBuilder& model, int joint, WeaponLook look, const Paint& main, const Paint& dark,
                    const Paint& glow, float s, const Vec3& at)
{
    auto put = [&](MeshPart part) { model.Add(part.Move(at.x, at.y, at.z), joint); };
    switch (look) {
    case LOOK_NONE:
        return 0.0f;
    case LOOK_LASER:
        put(Painted(Box(Vec3(0.12f, 0.14f, 0.3f) * s).Move(0.0f, 0.0f, 0.05f * s), main));
        put(Painted(Barrel(0.035f * s, 0.5f * s, 0.15f * s), dark));
        put(Painted(Sphere(0.045f * s, 4, 6).Move(0.0f, 0.0f, 0.66f * s), glow));
        return 0.7f * s;
    case LOOK_MACHINEGUN:
        put(Painted(Box(Vec3(0.18f, 0.18f, 0.28f) * s), main));
        for (float side : {-1.0f, 1.0f})
            put(Painted(Barrel(0.03f * s, 0.45f * s, 0.1f * s, 6).Move(0.045f * side * s, 0.0f, 0.0f), dark));
        put(Painted(Cylinder(0.09f * s, 0.1f * s, 8).Turn(0.0f, 0.0f, 0.5f * PI).Move(0.14f * s, -0.05f * s, -0.02f * s), dark));
        return 0.55f * s;
    case LOOK_MISSILES:
        put(Painted(Box(Vec3(0.32f, 0.26f, 0.38f) * s), main));
        for (int i = 0; i < 4; ++i) {
            float x = (i % 2 ? 0.075f : -0.075f) * s, y = (i / 2 ? 0.06f : -0.06f) * s;
            put(Painted(Barrel(0.045f * s, 0.04f * s, 0.18f * s, 6).Move(x, y, 0.0f), dark));
            put(Painted(Sphere(0.03f * s, 3, 6).Move(x, y, 0.2f * s), glow));
        }
        return 0.22f * s;
    case LOOK_FLAMER:
        put(Painted(Barrel(0.06f * s, 0.3f * s, 0.0f), main));
        put(Painted(Cone(0.09f * s, 0.2f * s, 8).Turn(-0.5f * PI, 0.0f, 0.0f).Move(0.0f, 0.0f, 0.5f * s), dark));
        put(Painted(Cylinder(0.07f * s, 0.3f * s, 8).Move(0.0f, -0.18f * s, -0.05f * s), glow));
        return 0.5f * s;
    case LOOK_MORTAR:
        put(Painted(Box(Vec3(0.24f, 0.16f, 0.24f) * s), dark));
        put(Painted(Cylinder(0.1f * s, 0.4f * s, 10).Turn(0.25f * PI, 0.0f, 0.0f).Move(0.0f, 0.05f * s, 0.0f), main));
        return 0.35f * s;
    case LOOK_ARC:
        put(Painted(Barrel(0.04f * s, 0.5f * s, 0.0f), dark));
        for (int i = 0; i < 3; ++i)
            put(Painted(Barrel(0.09f * s, 0.05f * s, (0.12f + 0.12f * i) * s, 10), main));
        put(Painted(Sphere(0.08f * s, 4, 8).Move(0.0f, 0.0f, 0.56f * s), glow));
        return 0.6f * s;
    case LOOK_PLASMA:
        put(Painted(Box(Vec3(0.22f, 0.22f, 0.3f) * s), main));
        put(Painted(Barrel(0.08f * s, 0.45f * s, 0.1f * s, 10), dark));
        for (int i = 0; i < 2; ++i)
            put(Painted(Barrel(0.095f * s, 0.04f * s, (0.25f + 0.15f * i) * s, 10), glow));
        return 0.56f * s;
    case LOOK_PULSE:
        put(Painted(Box(Vec3(0.14f, 0.16f, 0.55f) * s).Move(0.0f, 0.0f, 0.2f * s), main));
        for (int i = 0; i < 3; ++i)
            put(Painted(Box(Vec3(0.15f, 0.03f, 0.06f) * s).Move(0.0f, 0.05f * s, (0.1f + 0.12f * i) * s), glow));
        put(Painted(Barrel(0.04f * s, 0.15f * s, 0.47f * s), dark));
        return 0.62f * s;
    case LOOK_ACID:
        put(Painted(Sphere(0.13f * s, 4, 8).Move(0.0f, 0.04f * s, -0.02f * s), glow));
        put(Painted(Barrel(0.035f * s, 0.35f * s, 0.08f * s, 6), dark));
        put(Painted(Cone(0.06f * s, 0.1f * s, 6).Turn(-0.5f * PI, 0.0f, 0.0f).Move(0.0f, 0.0f, 0.52f * s), main));
        return 0.52f * s;
    case LOOK_BLADES:
        put(Painted(Limb(Vec3(), Vec3(0.0f, -0.35f * s, 0.12f * s), 0.07f * s, 0.06f * s), dark));
        put(Painted(Box(Vec3(0.04f, 0.08f, 0.55f) * s).Move(0.0f, -0.38f * s, 0.38f * s), main));
        return 0.6f * s;
    case LOOK_HAMMERS:
        put(Painted(Limb(Vec3(), Vec3(0.0f, -0.4f * s, 0.1f * s), 0.09f * s, 0.08f * s), dark));
        put(Painted(Box(Vec3(0.24f, 0.24f, 0.3f) * s).Move(0.0f, -0.48f * s, 0.16f * s), main));
        return 0.3f * s;
    case LOOK_PICKAXE:
        put(Painted(Limb(Vec3(), Vec3(0.0f, -0.1f * s, 0.45f * s), 0.05f * s, 0.04f * s), dark));
        put(Painted(Box(Vec3(0.06f, 0.34f, 0.07f) * s).Turn(-0.3f, 0.0f, 0.0f).Move(0.0f, -0.12f * s, 0.48f * s), main));
        return 0.5f * s;
    case LOOK_CRANE:
        put(Painted(Limb(Vec3(), Vec3(0.0f, 0.25f * s, 0.6f * s), 0.06f * s, 0.05f * s), main));
        put(Painted(Limb(Vec3(0.0f, 0.25f * s, 0.6f * s), Vec3(0.0f, -0.1f * s, 0.8f * s), 0.05f * s, 0.04f * s), dark));
        for (float side : {-1.0f, 1.0f})
            put(Painted(Box(Vec3(0.03f, 0.14f, 0.05f) * s).Move(0.05f * side * s, -0.16f * s, 0.8f * s), dark));
        return 0.8f * s;
    case LOOK_WELDER:
        put(Painted(Limb(Vec3(), Vec3(0.0f, 0.05f * s, 0.5f * s), 0.05f * s, 0.04f * s), main));
        put(Painted(Cone(0.05f * s, 0.14f * s, 6).Turn(0.5f * PI, 0.0f, 0.0f).Move(0.0f, 0.05f * s, 0.5f * s), dark));
        put(Painted(Sphere(0.035f * s, 3, 6).Move(0.0f, 0.05f * s, 0.66f * s), glow));
        return 0.66f * s;
    }
    return 0.0f;
}
