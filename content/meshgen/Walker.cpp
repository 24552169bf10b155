// The walker: a small two-legged combat bot with a hull, a turning head and a gun on its right.
//
// Skeleton (rest positions in the model, y up, facing +z, +x its left):
//   Chassis (0, 1.0, 0)                 root; the camera follows it
//     LeftHip / RightHip (+-0.55, 0.95, 0)
//       LeftKnee / RightKnee            0.5 below the hip
//         LeftAnkle / RightAnkle        0.4 below the knee; the foot's sole is 0.05 lower
//     Turret (0, 1.38, -0.02)           the head
//       RightWeapon                     the gun on the head's right
//     AttachLoad, BackPack              where carried loads hang, behind the hull
//
// The legs are 0.9 from hip to ankle, so with a straight leg the sole touches the ground when
// the hip is 0.95 up. The walk keeps the supporting sole on the ground by lowering the chassis as
// the leg leans, and the ankles keep the soles level. The chassis never rolls: with the hips
// this far apart a roll would push one sole into the ground.
#include "content/meshgen/Catalogue.h"
#include "content/meshgen/ModelBuilder.h"

#include <cmath>

namespace {

const float THIGH = 0.5f;
const float SHIN = 0.4f;
const float CHASSIS_HEIGHT = 1.0f;

struct Paint {
    float r, g, b;
};
const Paint HULL = {0.42f, 0.47f, 0.55f};
const Paint HEAD = {0.55f, 0.60f, 0.66f};
const Paint DARK = {0.22f, 0.24f, 0.27f};
const Paint ACCENT = {0.85f, 0.48f, 0.12f};
const Paint GLOW = {0.35f, 0.90f, 1.00f};
const Paint LAMP = {0.95f, 0.15f, 0.10f};

MeshPart& Painted(MeshPart& part, const Paint& paint)
{
    return part.Colour(paint.r, paint.g, paint.b);
}

MeshPart Painted(MeshPart&& part, const Paint& paint)
{
    part.Colour(paint.r, paint.g, paint.b);
    return part;
}

// How far the chassis must come down for a sole to stay on the ground when the leg's thigh
// leans by hip (from straight down, in the world) and the knee bends by knee.
float LegDrop(float hip, float knee)
{
    return THIGH + SHIN - THIGH * std::cos(hip) - SHIN * std::cos(hip + knee);
}

void AddLeg(ModelBuilder& model, int chassis, const char* hipName, const char* kneeName, const char* ankleName, float side)
{
    int hip = model.AddJoint(hipName, chassis, Vec3(0.55f * side, -0.05f, 0.0f));
    model.Add(Painted(Sphere(0.13f, 6, 10), DARK), hip);
    model.Add(Painted(Box(Vec3(0.16f, THIGH, 0.2f)).Move(0.0f, -THIGH * 0.5f, 0.0f), HULL), hip);
    model.Add(Painted(Box(Vec3(0.17f, 0.12f, 0.21f)).Move(0.0f, -0.15f, 0.0f), ACCENT), hip);

    int knee = model.AddJoint(kneeName, hip, Vec3(0.0f, -THIGH, 0.0f));
    model.Add(Painted(Sphere(0.1f, 6, 10), DARK), knee);
    model.Add(Painted(Tube(0.065f, 0.09f, SHIN - 0.06f, 10).Move(0.0f, -SHIN + 0.02f, 0.0f), HULL), knee);

    int ankle = model.AddJoint(ankleName, knee, Vec3(0.0f, -SHIN, 0.0f));
    model.Add(Painted(Sphere(0.05f, 4, 8), DARK), ankle);
    model.Add(Painted(Box(Vec3(0.24f, 0.08f, 0.42f)).Move(0.0f, -0.01f, 0.06f), DARK), ankle);
    model.Add(Painted(Box(Vec3(0.2f, 0.05f, 0.08f)).Move(0.0f, 0.02f, 0.28f), ACCENT), ankle);
}

}  // namespace

void MakeWalker(IndexedMesh* mesh)
{
    ModelBuilder model(WHITE_TEXTURE, LIT_MESH_EFFECT, FLAT_NORMAL_MAP);
    int chassis = model.AddJoint("Chassis", -1, Vec3(0.0f, CHASSIS_HEIGHT, 0.0f));

    // Hull: a side profile with a sloping nose, as wide as the space between the hips.
    std::vector<Vec2> profile = {{-0.45f, -0.1f}, {0.35f, -0.1f}, {0.5f, 0.12f}, {0.35f, 0.35f}, {-0.45f, 0.35f}};
    model.Add(Painted(Extrusion(profile, 0.9f).Turn(0.0f, -0.5f * PI, 0.0f), HULL), chassis);
    model.Add(Painted(Cylinder(0.14f, 1.0f, 12).Turn(0.0f, 0.0f, 0.5f * PI).Move(0.5f, -0.05f, 0.0f), DARK), chassis);
    model.Add(Painted(Box(Vec3(0.7f, 0.06f, 0.5f)).Move(0.0f, 0.36f, -0.15f), DARK), chassis);
    for (float side : {-1.0f, 1.0f}) {
        model.Add(Painted(Cylinder(0.06f, 0.25f, 8).Move(0.25f * side, 0.3f, -0.38f), DARK), chassis);
        model.Add(Painted(Box(Vec3(0.06f, 0.1f, 0.3f)).Move(0.46f * side, 0.15f, 0.1f), ACCENT), chassis);
    }

    AddLeg(model, chassis, "LeftHip", "LeftKnee", "LeftAnkle", 1.0f);
    AddLeg(model, chassis, "RightHip", "RightKnee", "RightAnkle", -1.0f);

    int turret = model.AddJoint("Turret", chassis, Vec3(0.0f, 0.38f, -0.02f));
    model.Add(Painted(Cylinder(0.15f, 0.08f, 12).Move(0.0f, -0.04f, 0.0f), DARK), turret);
    model.Add(Painted(Box(Vec3(0.55f, 0.28f, 0.55f)).Move(0.0f, 0.17f, 0.0f), HEAD), turret);
    model.Add(Painted(Box(Vec3(0.42f, 0.08f, 0.04f)).Move(0.0f, 0.2f, 0.285f), GLOW), turret);
    model.Add(Painted(Cylinder(0.015f, 0.35f, 6).Move(0.18f, 0.3f, -0.15f), DARK), turret);
    model.Add(Painted(Sphere(0.035f, 4, 8).Move(0.18f, 0.66f, -0.15f), LAMP), turret);

    int weapon = model.AddJoint("RightWeapon", turret, Vec3(-0.35f, 0.16f, 0.05f));
    model.Add(Painted(Box(Vec3(0.14f, 0.16f, 0.34f)).Move(0.0f, 0.0f, 0.05f), ACCENT), weapon);
    model.Add(Painted(Cylinder(0.045f, 0.45f, 10).Turn(0.5f * PI, 0.0f, 0.0f).Move(0.0f, 0.0f, 0.2f), DARK), weapon);
    model.Add(Painted(Cylinder(0.065f, 0.07f, 10).Turn(0.5f * PI, 0.0f, 0.0f).Move(0.0f, 0.0f, 0.6f), DARK), weapon);

    model.AddJoint("AttachLoad", chassis, Vec3(0.0f, 0.1f, -0.62f));
    model.AddJoint("BackPack", chassis, Vec3(0.0f, 0.35f, -0.55f));
    model.Build(mesh);
}

// ---- Animations

namespace {

// Both legs: thigh leaning by hip in the world, knee bent by knee; the chassis turned by
// pitch leans the legs with it, so the hip channel takes it off again, and the ankle keeps the
// sole level.
void LegChannels(AnimationBuilder& animation, const char* hipName, const char* kneeName, const char* ankleName,
                 std::function<float(float)> hip, std::function<float(float)> knee,
                 std::function<float(float)> pitch = [](float) { return 0.0f; })
{
    animation.Channel(hipName, CHANNEL_ROTATE_X, [=](float p) { return hip(p) - pitch(p); });
    animation.Channel(kneeName, CHANNEL_ROTATE_X, knee);
    animation.Channel(ankleName, CHANNEL_ROTATE_X, [=](float p) { return -(hip(p) + knee(p)); });
}

// The walk cycle of one leg, phase 0..1: on the ground for the first half, swinging forward
// with a bent knee for the second. Negative leans are forward.
const float STEP_LEAN = 0.35f;
float StepHip(float phase)
{
    phase -= std::floor(phase);
    if (phase < 0.5f) return -STEP_LEAN + 2.0f * STEP_LEAN * (phase / 0.5f);
    float s = (phase - 0.5f) / 0.5f;
    return STEP_LEAN * std::cos(PI * s) - 0.3f * std::sin(PI * s);
}
float StepKnee(float phase)
{
    phase -= std::floor(phase);
    return phase < 0.5f ? 0.0f : 0.9f * std::sin(PI * (phase - 0.5f) / 0.5f);
}

}  // namespace

Animation MakeWalkerIdle()
{
    AnimationBuilder animation(60, 30.0f, true);
    // A slow breath: the knees give a little and the chassis sinks with them.
    auto breath = [](float p) { return 0.5f * (1.0f - std::cos(2.0f * PI * p)); };
    auto hip = [=](float p) { return -0.15f * breath(p); };
    auto knee = [=](float p) { return 0.3f * breath(p); };
    LegChannels(animation, "LeftHip", "LeftKnee", "LeftAnkle", hip, knee);
    LegChannels(animation, "RightHip", "RightKnee", "RightAnkle", hip, knee);
    animation.Channel("Chassis", CHANNEL_TRANSLATE_Y, [=](float p) { return CHASSIS_HEIGHT - LegDrop(hip(p), knee(p)); });
    animation.Channel("Turret", CHANNEL_ROTATE_Y, [](float p) { return 0.3f * Wave(p); });
    animation.Channel("RightWeapon", CHANNEL_ROTATE_X, [](float p) { return -0.05f * (1.0f - std::cos(4.0f * PI * p)); });
    return animation.Build();
}

Animation MakeWalkerWalk()
{
    AnimationBuilder animation(24, 30.0f, true);
    LegChannels(animation, "LeftHip", "LeftKnee", "LeftAnkle", [](float p) { return StepHip(p); },
                [](float p) { return StepKnee(p); });
    LegChannels(animation, "RightHip", "RightKnee", "RightAnkle", [](float p) { return StepHip(p + 0.5f); },
                [](float p) { return StepKnee(p + 0.5f); });
    // The supporting leg is the one in the first half of its step.
    animation.Channel("Chassis", CHANNEL_TRANSLATE_Y, [](float p) {
        float stance = p - std::floor(p) < 0.5f ? StepHip(p) : StepHip(p + 0.5f);
        return CHASSIS_HEIGHT - LegDrop(stance, 0.0f);
    });
    animation.Channel("Turret", CHANNEL_ROTATE_Y, [](float p) { return -0.06f * Wave(p); });
    return animation.Build();
}

Animation MakeWalkerAttack()
{
    AnimationBuilder animation(18, 30.0f, false);
    auto recoil = [](float p) { return Pulse(p, 0.08f, 0.7f); };
    animation.Channel("RightWeapon", CHANNEL_ROTATE_X, [=](float p) { return -0.4f * recoil(p); });
    animation.Channel("Turret", CHANNEL_ROTATE_X, [=](float p) { return -0.08f * recoil(p); });
    animation.Channel("Chassis", CHANNEL_TRANSLATE_Z, [=](float p) { return -0.06f * recoil(p); });
    return animation.Build();
}

Animation MakeWalkerPain()
{
    AnimationBuilder animation(15, 30.0f, false);
    auto hit = [](float p) { return Pulse(p, 0.15f, 1.0f); };
    auto pitch = [=](float p) { return -0.15f * hit(p); };
    auto hip = [=](float p) { return -0.25f * hit(p); };
    auto knee = [=](float p) { return 0.5f * hit(p); };
    LegChannels(animation, "LeftHip", "LeftKnee", "LeftAnkle", hip, knee, pitch);
    LegChannels(animation, "RightHip", "RightKnee", "RightAnkle", hip, knee, pitch);
    animation.Channel("Chassis", CHANNEL_ROTATE_X, pitch);
    animation.Channel("Chassis", CHANNEL_TRANSLATE_Y, [=](float p) { return CHASSIS_HEIGHT - LegDrop(hip(p), knee(p)); });
    animation.Channel("Turret", CHANNEL_ROTATE_Z, [](float p) { return 0.15f * Wave(p, 2.0f) * (1.0f - p); });
    return animation.Build();
}

Animation MakeWalkerDeath()
{
    AnimationBuilder animation(36, 30.0f, false);
    auto fold = [](float p) { return Smooth(0.0f, 0.6f, p); };
    auto pitch = [](float p) { return 0.3f * Smooth(0.35f, 0.85f, p) - 0.04f * Pulse(p, 0.85f, 1.0f); };
    auto hip = [=](float p) { return -0.9f * fold(p); };
    auto knee = [=](float p) { return 2.0f * fold(p); };
    LegChannels(animation, "LeftHip", "LeftKnee", "LeftAnkle", hip, knee, pitch);
    LegChannels(animation, "RightHip", "RightKnee", "RightAnkle", hip, knee, pitch);
    animation.Channel("Chassis", CHANNEL_ROTATE_X, pitch);
    animation.Channel("Chassis", CHANNEL_TRANSLATE_Y, [=](float p) { return CHASSIS_HEIGHT - LegDrop(hip(p), knee(p)); });
    animation.Channel("Turret", CHANNEL_ROTATE_X, [](float p) { return 0.45f * Smooth(0.3f, 0.8f, p); });
    animation.Channel("Turret", CHANNEL_ROTATE_Z, [](float p) { return -0.2f * Smooth(0.4f, 0.9f, p); });
    animation.Channel("RightWeapon", CHANNEL_ROTATE_X, [](float p) { return 0.5f * Smooth(0.35f, 0.85f, p); });
    return animation.Build();
}
