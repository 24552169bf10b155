// The bots: two-legged walkers (the player's fighters and miners, the scavengers), vehicles on
// tracks, wheels or a hover skirt (the builder, tanks, the scanner, the carrier) and fliers
// (drones, the scavengers' probe, the hive's wasps, bats).
//
// Two-legged skeleton (y up, facing +z, +x the bot's own left):
//   Chassis                        the body; the camera follows it
//     LeftHip/Knee/Ankle, Right... the legs; the soles touch the ground at rest
//     Turret                       the head (or where a headless bot's guns sit)
//       RightWeapon [Gun]          the weapon and its muzzle; twin guns add LeftWeapon [Gun2]
//     AttachLoad, BackPack         where loads hang
// Arms that swing (blades, hammers, pickaxes, cranes, welders) hang from the shoulders as
// RightWeapon and LeftWeapon instead.
//
// Vehicle skeleton: Base on the ground (tracks and wheels ride it), Chassis (the hull, bouncing
// above it), Turret, RightWeapon [Gun], the wheels Wheel0.., AttachLoad and BackPack.
//
// Flier skeleton: Chassis (the body) with Rotor0.. or LeftWing/RightWing, and RightWeapon [Gun].
#include "content/meshgen/ModelParts.h"

#include <cmath>
#include <functional>
#include <string>

namespace {

// ---- Two-legged bots

const float SOLE = 0.05f;

float HipHeight(const BipedShape& s)
{
    return s.thigh + s.shin + SOLE;
}

float ChassisHeight(const BipedShape& s)
{
    return HipHeight(s) + 0.05f;
}

// How far the chassis comes down for a sole to stay on the ground when the thigh leans by hip
// and the knee bends by knee.
float LegDrop(const BipedShape& s, float hip, float knee)
{
    return s.thigh + s.shin - s.thigh * std::cos(hip) - s.shin * std::cos(hip + knee);
}

void AddLeg(ModelBuilder& model, const BipedShape& s, int chassis, const char* hipName, const char* kneeName,
            const char* ankleName, float side)
{
    float b = s.legBulk;
    int hip = model.AddJoint(hipName, chassis, Vec3(s.hipSide * side, -0.05f, 0.0f));
    model.Add(Painted(Sphere(0.13f * b, 4, 8), s.dark), hip);
    model.Add(Painted(Box(Vec3(0.16f * b, s.thigh, 0.2f * b)).Move(0.0f, -s.thigh * 0.5f, 0.0f), s.hullPaint), hip);
    model.Add(Painted(Box(Vec3(0.17f * b, 0.12f, 0.21f * b)).Move(0.0f, -s.thigh * 0.3f, 0.0f), s.trim), hip);
    int knee = model.AddJoint(kneeName, hip, Vec3(0.0f, -s.thigh, 0.0f));
    model.Add(Painted(Sphere(0.1f * b, 4, 8), s.dark), knee);
    model.Add(Painted(Tube(0.065f * b, 0.09f * b, s.shin - 0.06f, 8).Move(0.0f, -s.shin + 0.02f, 0.0f), s.hullPaint), knee);
    if (s.spikes) model.Add(Painted(Cone(0.05f, 0.2f, 5).Turn(-0.5f * PI, 0.0f, 0.0f).Move(0.0f, -0.05f, 0.05f), s.trim), knee);
    int ankle = model.AddJoint(ankleName, knee, Vec3(0.0f, -s.shin, 0.0f));
    model.Add(Painted(Box(Vec3(0.24f * b, 0.08f, 0.42f * b)).Move(0.0f, -0.01f, 0.06f * b), s.dark), ankle);
    model.Add(Painted(Box(Vec3(0.2f * b, 0.05f, 0.08f)).Move(0.0f, 0.02f, 0.06f * b + 0.21f * b), s.trim), ankle);
}

// The weapon or arm on one side; side -1 is the bot's right.
void AddArm(ModelBuilder& model, const BipedShape& s, int chassis, int turret, float side, float headWidth)
{
    const char* weaponName = side < 0.0f ? "RightWeapon" : "LeftWeapon";
    const char* gunName = side < 0.0f ? "Gun" : "Gun2";
    float scale = 0.8f + 0.4f * s.hull.x;
    if (IsArmLook(s.weapon)) {
        // Shoulders at the hull's sides.
        Vec3 shoulder(side * (s.hull.x * 0.5f + 0.1f), s.hull.y * 0.55f, 0.1f);
        int arm = model.AddJoint(weaponName, chassis, shoulder);
        model.Add(Painted(Sphere(0.1f * scale, 4, 6), s.dark), arm);
        float reach = AddWeaponLook(model, arm, s.weapon, s.trim, s.dark, s.glow, scale);
        model.AddJoint(gunName, arm, Vec3(0.0f, -0.3f * scale, reach));
        return;
    }
    int mount = model.AddJoint(weaponName, turret, Vec3(side * (headWidth * 0.5f + 0.12f), 0.16f, 0.05f));
    float muzzle = AddWeaponLook(model, mount, s.weapon, s.trim, s.dark, s.glow, scale);
    model.AddJoint(gunName, mount, Vec3(0.0f, 0.0f, muzzle));
}

// The walk of one leg, phase 0..1: on the ground for the first half, swinging forward with a
// bent knee for the second. Negative leans are forward.
float StepHip(float phase, float lean)
{
    phase -= std::floor(phase);
    if (phase < 0.5f) return -lean + 2.0f * lean * (phase / 0.5f);
    float t = (phase - 0.5f) / 0.5f;
    return lean * std::cos(PI * t) - 0.3f * std::sin(PI * t);
}

float StepKnee(float phase)
{
    phase -= std::floor(phase);
    return phase < 0.5f ? 0.0f : 0.9f * std::sin(PI * (phase - 0.5f) / 0.5f);
}

void LegChannels(AnimationBuilder& a, const char* hip, const char* knee, const char* ankle,
                 std::function<float(float)> hipCurve, std::function<float(float)> kneeCurve)
{
    a.Channel(hip, CHANNEL_ROTATE_X, hipCurve);
    a.Channel(knee, CHANNEL_ROTATE_X, kneeCurve);
    a.Channel(ankle, CHANNEL_ROTATE_X, [=](float p) { return -(hipCurve(p) + kneeCurve(p)); });
}

// A bot with a weapon or arm on its left too: twin guns, or a melee fighter's pair of arms.
bool HasLeftArm(const BipedShape& s)
{
    return s.twinGuns || s.weapon == LOOK_BLADES || s.weapon == LOOK_HAMMERS;
}

// Swinging arms: raised and brought down, the left one half a swing behind.
void ArmSwing(AnimationBuilder& a, const BipedShape& s)
{
    auto strike = [](float p) { return -1.5f * Smooth(0.0f, 0.45f, p) + 1.7f * Smooth(0.5f, 0.62f, p) - 0.2f * Smooth(0.7f, 1.0f, p); };
    a.Channel("RightWeapon", CHANNEL_ROTATE_X, strike);
    if (HasLeftArm(s)) a.Channel("LeftWeapon", CHANNEL_ROTATE_X, [=](float p) { return strike(std::fmod(p + 0.5f, 1.0f)); });
}

}  // namespace

void MakeBiped(IndexedMesh* mesh, const BipedShape& s)
{
    ModelBuilder model(WHITE_TEXTURE, LIT_MESH_EFFECT, FLAT_NORMAL_MAP);
    int chassis = model.AddJoint("Chassis", -1, Vec3(0.0f, ChassisHeight(s), 0.0f));
    float w = s.hull.x, h = s.hull.y, d = s.hull.z;
    std::vector<Vec2> profile = {{-0.5f * d, -0.22f * h}, {0.36f * d, -0.22f * h}, {0.5f * d, 0.25f * h},
                                 {0.36f * d, 0.78f * h},  {-0.5f * d, 0.78f * h}};
    model.Add(Painted(Extrusion(profile, w).Turn(0.0f, -0.5f * PI, 0.0f), s.hullPaint), chassis);
    model.Add(Painted(Box(Vec3(w * 0.8f, 0.06f, d * 0.5f)).Move(0.0f, 0.8f * h, -0.15f * d), s.dark), chassis);
    model.Add(Painted(Cylinder(0.12f, s.hipSide * 2.0f + 0.1f, 8).Turn(0.0f, 0.0f, 0.5f * PI).Move(s.hipSide + 0.05f, -0.05f, 0.0f), s.dark), chassis);
    for (float side : {-1.0f, 1.0f})
        model.Add(Painted(Box(Vec3(0.06f, 0.1f, d * 0.35f)).Move(side * (w * 0.5f + 0.01f), 0.3f * h, 0.1f * d), s.trim), chassis);
    if (s.backpack) {
        model.Add(Painted(Box(Vec3(w * 0.7f, h * 0.9f, 0.3f)).Move(0.0f, 0.4f * h, -0.5f * d - 0.14f), s.dark), chassis);
        for (float side : {-1.0f, 1.0f})
            model.Add(Painted(Cylinder(0.09f, h * 0.8f, 8).Move(side * w * 0.2f, 0.0f, -0.5f * d - 0.32f), s.trim), chassis);
    }
    if (s.shoulderPods)
        for (float side : {-1.0f, 1.0f}) {
            int pod = model.AddJoint(side < 0.0f ? "RightPod" : "LeftPod", chassis, Vec3(side * (w * 0.5f + 0.18f), 0.85f * h, -0.05f));
            AddWeaponLook(model, pod, LOOK_MISSILES, s.trim, s.dark, s.glow, 0.9f);
        }
    if (s.spikes)
        for (int i = 0; i < 3; ++i)
            model.Add(Painted(Cone(0.06f, 0.3f, 5).Turn(-0.35f, 0.0f, 0.0f).Move(0.0f, 0.78f * h, -0.3f * d + 0.25f * d * i), s.trim), chassis);

    AddLeg(model, s, chassis, "LeftHip", "LeftKnee", "LeftAnkle", 1.0f);
    AddLeg(model, s, chassis, "RightHip", "RightKnee", "RightAnkle", -1.0f);

    int turret = model.AddJoint("Turret", chassis, Vec3(0.0f, 0.8f * h, 0.0f));
    float headWidth = std::fmin(0.6f * w, 0.65f);
    switch (s.head) {
    case 1:
        model.Add(Painted(Cylinder(0.15f, 0.08f, 8).Move(0.0f, -0.04f, 0.0f), s.dark), turret);
        model.Add(Painted(Box(Vec3(headWidth, 0.28f, headWidth)).Move(0.0f, 0.17f, 0.0f), s.trim), turret);
        model.Add(Painted(Box(Vec3(headWidth * 0.75f, 0.08f, 0.04f)).Move(0.0f, 0.2f, headWidth * 0.5f + 0.01f), s.glow), turret);
        break;
    case 2:
        model.Add(Painted(Dome(headWidth * 0.55f, 3, 10), s.trim), turret);
        model.Add(Painted(Sphere(0.07f, 3, 6).Move(0.0f, headWidth * 0.3f, headWidth * 0.45f), s.glow), turret);
        break;
    case 3:
        model.Add(Painted(Box(Vec3(headWidth * 1.1f, 0.16f, headWidth * 0.7f)).Move(0.0f, 0.1f, 0.05f), s.trim), turret);
        model.Add(Painted(Box(Vec3(headWidth, 0.05f, 0.04f)).Move(0.0f, 0.11f, headWidth * 0.35f + 0.06f), s.glow), turret);
        break;
    default:
        break;
    }
    if (s.antenna) {
        model.Add(Painted(Cylinder(0.015f, 0.45f, 5).Move(headWidth * 0.3f, 0.25f, -0.12f), s.dark), turret);
        model.Add(Painted(Sphere(0.035f, 3, 6).Move(headWidth * 0.3f, 0.72f, -0.12f), s.glow), turret);
    }
    AddArm(model, s, chassis, turret, -1.0f, headWidth);
    if (HasLeftArm(s)) AddArm(model, s, chassis, turret, 1.0f, headWidth);
    model.AddJoint("AttachLoad", chassis, Vec3(0.0f, 0.1f, -0.5f * d - 0.12f));
    model.AddJoint("BackPack", chassis, Vec3(0.0f, 0.4f * h, -0.5f * d - 0.1f));
    model.Build(mesh);
}

Animation BipedIdle(const BipedShape& s)
{
    AnimationBuilder a(40, 20.0f, true);
    auto breath = [](float p) { return 0.5f * (1.0f - std::cos(2.0f * PI * p)); };
    auto hip = [=](float p) { return -0.12f * breath(p); };
    auto knee = [=](float p) { return 0.24f * breath(p); };
    LegChannels(a, "LeftHip", "LeftKnee", "LeftAnkle", hip, knee);
    LegChannels(a, "RightHip", "RightKnee", "RightAnkle", hip, knee);
    a.Channel("Chassis", CHANNEL_TRANSLATE_Y, [=](float p) { return ChassisHeight(s) - LegDrop(s, hip(p), knee(p)); });
    a.Channel("Turret", CHANNEL_ROTATE_Y, [](float p) { return 0.3f * Wave(p); });
    return a.Build();
}

Animation BipedWalk(const BipedShape& s)
{
    AnimationBuilder a(20, 30.0f, true);
    float lean = 0.35f;
    LegChannels(a, "LeftHip", "LeftKnee", "LeftAnkle", [=](float p) { return StepHip(p, lean); },
                [](float p) { return StepKnee(p); });
    LegChannels(a, "RightHip", "RightKnee", "RightAnkle", [=](float p) { return StepHip(p + 0.5f, lean); },
                [](float p) { return StepKnee(p + 0.5f); });
    a.Channel("Chassis", CHANNEL_TRANSLATE_Y, [=](float p) {
        float stance = p - std::floor(p) < 0.5f ? StepHip(p, lean) : StepHip(p + 0.5f, lean);
        return ChassisHeight(s) - LegDrop(s, stance, 0.0f);
    });
    a.Channel("Turret", CHANNEL_ROTATE_Y, [](float p) { return -0.06f * Wave(p); });
    return a.Build();
}

Animation BipedAttack(const BipedShape& s)
{
    AnimationBuilder a(18, 30.0f, false);
    if (IsArmLook(s.weapon)) {
        ArmSwing(a, s);
        a.Channel("Turret", CHANNEL_ROTATE_X, [](float p) { return 0.2f * Pulse(p, 0.5f, 0.9f); });
        return a.Build();
    }
    auto recoil = [](float p) { return Pulse(p, 0.08f, 0.7f); };
    a.Channel("RightWeapon", CHANNEL_ROTATE_X, [=](float p) { return -0.4f * recoil(p); });
    if (s.twinGuns) a.Channel("LeftWeapon", CHANNEL_ROTATE_X, [=](float p) { return -0.4f * recoil(std::fmod(p + 0.5f, 1.0f)); });
    a.Channel("Turret", CHANNEL_ROTATE_X, [=](float p) { return -0.08f * recoil(p); });
    a.Channel("Chassis", CHANNEL_TRANSLATE_Z, [=](float p) { return -0.06f * recoil(p); });
    return a.Build();
}

Animation BipedWork(const BipedShape& s)
{
    AnimationBuilder a(24, 30.0f, true);
    ArmSwing(a, s);
    a.Channel("Turret", CHANNEL_ROTATE_X, [](float p) { return 0.15f * Pulse(p, 0.4f, 0.8f); });
    return a.Build();
}

// ---- Vehicles

namespace {

float GroundClearance(const VehicleShape& s)
{
    return s.drive == 0 ? 0.3f : s.drive == 1 ? 0.35f : 0.45f;
}

float WheelRadius(const VehicleShape& s)
{
    return 0.28f + 0.08f * s.hull.y;
}

int WheelCount(const VehicleShape& s)
{
    return s.hull.z > 1.8f ? 6 : 4;
}

}  // namespace

void MakeVehicle(IndexedMesh* mesh, const VehicleShape& s)
{
    ModelBuilder model(WHITE_TEXTURE, LIT_MESH_EFFECT, FLAT_NORMAL_MAP);
    int base = model.AddJoint("Base", -1, Vec3());
    float w = s.hull.x, h = s.hull.y, d = s.hull.z;
    float lift = GroundClearance(s);
    int chassis = model.AddJoint("Chassis", base, Vec3(0.0f, lift + 0.5f * h, 0.0f));

    if (s.drive == 0) {
        for (float side : {-1.0f, 1.0f}) {
            float x = side * (0.5f * w + 0.14f);
            model.Add(Painted(Box(Vec3(0.26f, 0.42f, d * 1.05f)).Move(x, 0.21f, 0.0f), s.dark), base);
            for (int i = 0; i < 4; ++i)
                model.Add(Painted(Cylinder(0.14f, 0.28f, 8).Turn(0.0f, 0.0f, 0.5f * PI).Move(x + 0.14f, 0.2f, d * (-0.38f + 0.25f * i)), s.trim), base);
        }
    } else if (s.drive == 1) {
        int count = WheelCount(s);
        float r = WheelRadius(s);
        for (int i = 0; i < count; ++i) {
            float side = i % 2 ? 1.0f : -1.0f;
            float z = d * (-0.35f + 0.7f * (float)(i / 2) / (float)(count / 2 - 1));
            std::string name = "Wheel" + std::to_string(i);
            int wheel = model.AddJoint(name.c_str(), base, Vec3(side * (0.5f * w + 0.1f), r, z));
            model.Add(Painted(Cylinder(r, 0.2f, 10).Turn(0.0f, 0.0f, 0.5f * PI).Move(0.1f, 0.0f, 0.0f), s.dark), wheel);
            model.Add(Painted(Box(Vec3(0.22f, r * 0.5f, r * 0.5f)), s.trim), wheel);
        }
    } else {
        model.Add(Painted(Cylinder(0.5f * std::fmax(w, d) + 0.1f, 0.12f, 12).Move(0.0f, -0.5f * h - 0.1f, 0.0f), s.dark), chassis);
        model.Add(Painted(Cylinder(0.5f * std::fmax(w, d) - 0.1f, 0.05f, 12).Move(0.0f, -0.5f * h - 0.14f, 0.0f), s.glow), chassis);
    }

    // The hull, its nose sloping down at the front.
    std::vector<Vec2> profile = {{-0.5f * d, -0.5f * h}, {0.5f * d, -0.5f * h}, {0.5f * d, 0.1f * h},
                                 {0.3f * d, 0.5f * h},   {-0.5f * d, 0.5f * h}};
    model.Add(Painted(Extrusion(profile, w).Turn(0.0f, -0.5f * PI, 0.0f), s.hullPaint), chassis);
    model.Add(Painted(Box(Vec3(w + 0.04f, 0.08f, d * 0.9f)).Move(0.0f, 0.1f * h, -0.02f), s.trim), chassis);
    model.Add(Painted(Box(Vec3(0.1f, 0.06f, 0.04f)).Move(0.3f * w, 0.0f, 0.5f * d + 0.01f), s.glow), chassis);
    model.Add(Painted(Box(Vec3(0.1f, 0.06f, 0.04f)).Move(-0.3f * w, 0.0f, 0.5f * d + 0.01f), s.glow), chassis);
    if (s.cab) {
        model.Add(Painted(Box(Vec3(w * 0.55f, h * 0.7f, d * 0.3f)).Move(-0.15f * w, 0.85f * h, 0.2f * d), s.trim), chassis);
        model.Add(Painted(Box(Vec3(w * 0.45f, h * 0.25f, 0.04f)).Move(-0.15f * w, 0.95f * h, 0.35f * d + 0.01f), s.glow), chassis);
    }
    if (s.cargo) {
        model.Add(Painted(Box(Vec3(w * 0.9f, h * 1.2f, d * 0.6f)).Move(0.0f, 1.05f * h, -0.15f * d), s.trim), chassis);
        model.Add(Painted(Box(Vec3(w * 0.5f, h * 0.8f, 0.04f)).Move(0.0f, 1.0f * h, -0.45f * d - 0.01f), s.glow), chassis);
    }
    if (s.hopper)
        model.Add(Painted(Box(Vec3(w * 0.8f, 0.1f, d * 0.35f)).Move(0.0f, 0.55f * h, -0.3f * d), s.dark), chassis);

    int turret = model.AddJoint("Turret", chassis, Vec3(0.0f, 0.5f * h, s.cargo ? 0.3f * d : 0.05f * d));
    if (s.turret > 0.0f) {
        float t = s.turret;
        model.Add(Painted(Cylinder(0.45f * t, 0.1f, 10), s.dark), turret);
        model.Add(Painted(Box(Vec3(0.8f * t, 0.35f * t, 0.8f * t)).Move(0.0f, 0.27f * t, -0.05f * t), s.hullPaint), turret);
        model.Add(Painted(Box(Vec3(0.5f * t, 0.08f, 0.04f)).Move(0.0f, 0.35f * t, 0.35f * t + 0.01f), s.glow), turret);
    }
    if (s.dish) {
        model.Add(Painted(Cylinder(0.04f, 0.6f, 6), s.dark), turret);
        model.Add(Painted(Cone(0.35f, 0.15f, 12).Turn(0.6f, 0.0f, 0.0f).Move(0.0f, 0.65f, 0.0f), s.trim), turret);
        model.Add(Painted(Sphere(0.05f, 3, 6).Move(0.0f, 0.75f, 0.12f), s.glow), turret);
    }
    float scale = 0.9f + 0.4f * s.turret;
    float mountHeight = s.turret > 0.0f ? 0.27f * s.turret : 0.15f;
    int mount = model.AddJoint("RightWeapon", turret, Vec3(0.0f, mountHeight, s.turret > 0.0f ? 0.4f * s.turret : 0.1f));
    float muzzle = AddWeaponLook(model, mount, s.weapon, s.trim, s.dark, s.glow, scale);
    model.AddJoint("Gun", mount, Vec3(0.0f, 0.0f, muzzle));
    model.AddJoint("AttachLoad", chassis, Vec3(0.0f, 0.5f * h, -0.3f * d));
    model.AddJoint("BackPack", chassis, Vec3(0.0f, 0.6f * h, -0.3f * d));
    model.Build(mesh);
}

Animation VehicleIdle(const VehicleShape& s)
{
    AnimationBuilder a(40, 20.0f, true);
    float rest = GroundClearance(s) + 0.5f * s.hull.y;
    float bob = s.drive == 2 ? 0.06f : 0.015f;
    a.Channel("Chassis", CHANNEL_TRANSLATE_Y, [=](float p) { return rest + bob * 0.5f * (1.0f - std::cos(2.0f * PI * p)); });
    a.Channel("Turret", CHANNEL_ROTATE_Y, [=](float p) { return s.dish ? 2.0f * PI * p : 0.25f * Wave(p); });
    return a.Build();
}

Animation VehicleWalk(const VehicleShape& s)
{
    AnimationBuilder a(20, 30.0f, true);
    float rest = GroundClearance(s) + 0.5f * s.hull.y;
    a.Channel("Chassis", CHANNEL_TRANSLATE_Y, [=](float p) { return rest + 0.03f * std::fabs(Wave(p, 2.0f)); });
    a.Channel("Chassis", CHANNEL_ROTATE_X, [=](float p) { return (s.drive == 2 ? 0.08f : 0.02f) + 0.015f * Wave(p, 2.0f); });
    if (s.drive == 1)
        for (int i = 0; i < WheelCount(s); ++i) {
            std::string name = "Wheel" + std::to_string(i);
            a.Channel(name.c_str(), CHANNEL_ROTATE_X, [](float p) { return 2.0f * PI * p; });
        }
    if (s.dish) a.Channel("Turret", CHANNEL_ROTATE_Y, [](float p) { return 2.0f * PI * p; });
    return a.Build();
}

Animation VehicleAttack(const VehicleShape& s)
{
    AnimationBuilder a(18, 30.0f, false);
    float rest = GroundClearance(s) + 0.5f * s.hull.y;
    auto recoil = [](float p) { return Pulse(p, 0.08f, 0.7f); };
    a.Channel("RightWeapon", CHANNEL_ROTATE_X, [=](float p) { return -0.3f * recoil(p); });
    a.Channel("Chassis", CHANNEL_TRANSLATE_Z, [=](float p) { return -0.08f * recoil(p); });
    a.Channel("Chassis", CHANNEL_TRANSLATE_Y, [=](float p) { return rest + 0.03f * recoil(p); });
    return a.Build();
}

Animation VehicleWork(const VehicleShape& s)
{
    AnimationBuilder a(24, 30.0f, true);
    a.Channel("RightWeapon", CHANNEL_ROTATE_X, [](float p) { return 0.5f * Wave(p) - 0.2f; });
    a.Channel("Turret", CHANNEL_ROTATE_Y, [=](float p) { return 0.3f * Wave(p, 0.5f); });
    (void)s;
    return a.Build();
}

// ---- Fliers

namespace {

// Where a flier's body rides over its origin: big fliers higher, so their wings clear it.
float FlierHeight(const FlyerShape& s)
{
    return 1.2f * std::fmax(1.0f, s.size);
}

}  // namespace

void MakeFlyer(IndexedMesh* mesh, const FlyerShape& s)
{
    ModelBuilder model(WHITE_TEXTURE, LIT_MESH_EFFECT, FLAT_NORMAL_MAP);
    float z = s.size;
    int body = model.AddJoint("Chassis", -1, Vec3(0.0f, FlierHeight(s), 0.0f));
    switch (s.kind) {
    case 0:
        model.Add(Painted(Box(Vec3(0.7f, 0.3f, 0.9f) * z), s.body), body);
        model.Add(Painted(Dome(0.3f * z, 3, 10).Move(0.0f, 0.15f * z, 0.1f * z), s.trim), body);
        for (int i = 0; i < 4; ++i) {
            float sx = i % 2 ? 1.0f : -1.0f, sz = i / 2 ? 1.0f : -1.0f;
            Vec3 tip(sx * 0.75f * z, 0.1f * z, sz * 0.65f * z);
            model.Add(Painted(Limb(Vec3(), tip, 0.05f * z, 0.04f * z), s.dark), body);
            std::string name = "Rotor" + std::to_string(i);
            int rotor = model.AddJoint(name.c_str(), body, tip);
            model.Add(Painted(Cylinder(0.06f * z, 0.1f * z, 6), s.dark), rotor);
            model.Add(Painted(Box(Vec3(0.75f, 0.02f, 0.08f) * z).Move(0.0f, 0.11f * z, 0.0f), s.trim), rotor);
            model.Add(Painted(Box(Vec3(0.08f, 0.02f, 0.75f) * z).Move(0.0f, 0.11f * z, 0.0f), s.trim), rotor);
        }
        break;
    case 1:
    case 2: {
        bool insect = s.kind == 1;
        Matrix stretch;
        MatrixScaling(&stretch, 0.8f, 0.8f, insect ? 1.4f : 1.1f);
        model.Add(Painted(Sphere(0.3f * z, 4, 8).Transform(stretch), s.body), body);
        model.Add(Painted(Sphere(0.2f * z, 4, 8).Move(0.0f, 0.05f * z, 0.45f * z), s.trim), body);
        for (float side : {-1.0f, 1.0f})
            model.Add(Painted(Sphere(0.06f * z, 3, 6).Move(side * 0.1f * z, 0.12f * z, 0.6f * z), s.glow), body);
        if (insect) {
            // A striped abdomen and a sting.
            for (int i = 0; i < 3; ++i)
                model.Add(Painted(Sphere((0.26f - 0.05f * i) * z, 4, 8).Move(0.0f, -0.05f * z * i, (-0.45f - 0.22f * i) * z),
                                  i % 2 ? s.dark : s.trim),
                          body);
            model.Add(Painted(Cone(0.06f * z, 0.3f * z, 5).Turn(-0.5f * PI, 0.0f, 0.0f).Move(0.0f, -0.12f * z, -0.9f * z), s.dark), body);
        } else {
            model.Add(Painted(Cone(0.18f * z, 0.35f * z, 6).Turn(-0.5f * PI, 0.0f, 0.0f).Move(0.0f, 0.0f, -0.3f * z), s.body), body);
            for (float side : {-1.0f, 1.0f})
                model.Add(Painted(Cone(0.05f * z, 0.18f * z, 4).Move(side * 0.1f * z, 0.2f * z, 0.45f * z), s.trim), body);
        }
        for (float side : {-1.0f, 1.0f}) {
            int wing = model.AddJoint(side < 0.0f ? "RightWing" : "LeftWing", body, Vec3(side * 0.25f * z, 0.15f * z, 0.1f * z));
            float span = insect ? 0.8f : 1.2f;
            std::vector<Vec2> outline = {{0.0f, -0.2f}, {span * 0.6f, -0.35f}, {span, -0.1f}, {span * 0.7f, 0.25f}, {0.0f, 0.15f}};
            for (Vec2& p : outline) p = Vec2(p.x * side * z, p.y * z);
            model.Add(Painted(Extrusion(outline, 0.02f * z).Turn(0.5f * PI, 0.0f, 0.0f), insect ? s.glow : s.dark), wing);
        }
        break;
    }
    default:
        model.Add(Painted(Sphere(0.4f * z, 5, 10), s.body), body);
        model.Add(Painted(Sphere(0.12f * z, 3, 8).Move(0.0f, 0.0f, 0.36f * z), s.glow), body);
        for (int i = 0; i < 3; ++i) {
            float angle = 2.0f * PI * i / 3.0f;
            Vec3 tip(std::sin(angle) * 0.7f * z, -0.4f * z, std::cos(angle) * 0.7f * z - 0.1f * z);
            model.Add(Painted(Limb(Vec3(0.0f, -0.2f * z, 0.0f), tip, 0.03f * z, 0.015f * z, 5), s.dark), body);
        }
        {
            int ring = model.AddJoint("Rotor0", body, Vec3());
            model.Add(Painted(Cylinder(0.55f * z, 0.06f * z, 12).Move(0.0f, -0.03f * z, 0.0f), s.trim), ring);
        }
        break;
    }
    int mount = model.AddJoint("RightWeapon", body, Vec3(0.0f, -0.2f * z, 0.3f * z));
    float muzzle = AddWeaponLook(model, mount, s.weapon, s.trim, s.dark, s.glow, 0.8f * z);
    model.AddJoint("Gun", mount, Vec3(0.0f, 0.0f, muzzle));
    model.Build(mesh);
}

namespace {

// Rotors spin; wings beat at the given rate.
void FlyerMotion(AnimationBuilder& a, const FlyerShape& s, float beats)
{
    if (s.kind == 1 || s.kind == 2) {
        float depth = s.kind == 1 ? 0.5f : 0.8f;
        a.Channel("LeftWing", CHANNEL_ROTATE_Z, [=](float p) { return depth * Wave(p, beats); });
        a.Channel("RightWing", CHANNEL_ROTATE_Z, [=](float p) { return -depth * Wave(p, beats); });
    } else {
        int rotors = s.kind == 0 ? 4 : 1;
        for (int i = 0; i < rotors; ++i) {
            std::string name = "Rotor" + std::to_string(i);
            float turn = (i % 2 ? -2.0f : 2.0f) * PI * (s.kind == 0 ? 4.0f : 1.0f);
            a.Channel(name.c_str(), CHANNEL_ROTATE_Y, [=](float p) { return turn * p; });
        }
    }
}

}  // namespace

Animation FlyerIdle(const FlyerShape& s)
{
    AnimationBuilder a(40, 20.0f, true);
    FlyerMotion(a, s, 8.0f);
    a.Channel("Chassis", CHANNEL_TRANSLATE_Y, [=](float p) { return FlierHeight(s) + 0.08f * Wave(p); });
    return a.Build();
}

Animation FlyerWalk(const FlyerShape& s)
{
    AnimationBuilder a(20, 30.0f, true);
    FlyerMotion(a, s, 6.0f);
    a.Channel("Chassis", CHANNEL_ROTATE_X, [](float p) { return 0.2f + 0.03f * Wave(p); });
    return a.Build();
}

Animation FlyerAttack(const FlyerShape& s)
{
    AnimationBuilder a(18, 30.0f, false);
    FlyerMotion(a, s, 3.0f);
    auto recoil = [](float p) { return Pulse(p, 0.08f, 0.7f); };
    a.Channel("Chassis", CHANNEL_ROTATE_X, [=](float p) { return 0.15f - 0.2f * recoil(p); });
    a.Channel("RightWeapon", CHANNEL_ROTATE_X, [=](float p) { return -0.3f * recoil(p); });
    return a.Build();
}
