// The creatures: insects on legs spread out to the sides (crawlers, mantises, spiders), beasts
// on legs beneath them, worms that rear up from the ground and blobs.
//
// Skeleton: Body (the root, at the body's height), Head, the legs as Leg<n>L/Leg<n>R (the hip)
// with Knee<n>L/Knee<n>R, for a beast also Ankle<n>L/Ankle<n>R; a mantis adds LeftClaw and
// RightClaw, a worm Seg0.. from its tail up to its head, a blob Lobe0...
#include "content/meshgen/ModelParts.h"

#include <cmath>
#include <string>

namespace {

std::string LegName(const char* part, int pair, float side)
{
    return std::string(part) + std::to_string(pair) + (side < 0.0f ? "R" : "L");
}

// Where pair i of n sits along the body.
float PairZ(const CreatureShape& s, int pair)
{
    if (s.legPairs <= 1) return 0.0f;
    return s.length * (0.3f - 0.6f * (float)pair / (float)(s.legPairs - 1));
}

// Beast legs: thigh and shin, like a walker's, under the body.
float BeastThigh(const CreatureShape& s)
{
    return (s.height - 0.1f) * 0.52f;
}

float BeastShin(const CreatureShape& s)
{
    return (s.height - 0.1f) * 0.48f;
}

float BeastDrop(const CreatureShape& s, float hip, float knee)
{
    float a = BeastThigh(s), b = BeastShin(s);
    return a + b - a * std::cos(hip) - b * std::cos(hip + knee);
}

float StepSwing(float phase, float lean)
{
    phase -= std::floor(phase);
    if (phase < 0.5f) return -lean + 2.0f * lean * (phase / 0.5f);
    float t = (phase - 0.5f) / 0.5f;
    return lean * std::cos(PI * t) - 0.2f * std::sin(PI * t);
}

float StepBend(float phase)
{
    phase -= std::floor(phase);
    return phase < 0.5f ? 0.0f : 0.8f * std::sin(PI * (phase - 0.5f) / 0.5f);
}

// Which half of the gait a leg belongs to: alternate legs down either side.
float LegPhase(int pair, float side)
{
    return ((pair % 2 == 0) == (side > 0.0f)) ? 0.0f : 0.5f;
}

void AddHead(ModelBuilder& model, const CreatureShape& s, int body)
{
    float r = std::fmin(s.width, s.height) * 0.45f;
    int head = model.AddJoint("Head", body, Vec3(0.0f, 0.1f * s.height, 0.5f * s.length));
    model.Add(Painted(Sphere(r, 4, 8).Move(0.0f, 0.0f, 0.6f * r), s.body), head);
    for (float side : {-1.0f, 1.0f})
        model.Add(Painted(Sphere(0.2f * r, 3, 6).Move(side * 0.45f * r, 0.35f * r, 1.2f * r), s.eyes), head);
    switch (s.head) {
    case 0:  // mandibles
        for (float side : {-1.0f, 1.0f})
            model.Add(Painted(Limb(Vec3(side * 0.3f * r, -0.3f * r, 1.2f * r), Vec3(side * 0.1f * r, -0.4f * r, 2.0f * r), 0.12f * r, 0.03f * r, 5), s.accent), head);
        break;
    case 1:  // a jaw with teeth
        model.Add(Painted(Box(Vec3(1.2f * r, 0.4f * r, 1.2f * r)).Move(0.0f, -0.45f * r, 1.1f * r), s.belly), head);
        for (int i = 0; i < 4; ++i)
            model.Add(Painted(Cone(0.08f * r, 0.3f * r, 4).Move((-0.45f + 0.3f * i) * r, -0.3f * r, 1.6f * r), s.accent), head);
        break;
    case 2:  // mantis claws, folded and struck forward
        for (float side : {-1.0f, 1.0f}) {
            int claw = model.AddJoint(side < 0.0f ? "RightClaw" : "LeftClaw", body, Vec3(side * 0.4f * s.width, 0.0f, 0.4f * s.length));
            model.Add(Painted(Limb(Vec3(), Vec3(0.0f, 0.5f * s.height, 0.3f * s.length), 0.06f, 0.05f, 5), s.body), claw);
            model.Add(Painted(Limb(Vec3(0.0f, 0.5f * s.height, 0.3f * s.length), Vec3(0.0f, 0.05f, 0.5f * s.length), 0.05f, 0.02f, 5), s.accent), claw);
        }
        break;
    default:  // fangs
        for (float side : {-1.0f, 1.0f})
            model.Add(Painted(Cone(0.08f * r, 0.5f * r, 4).Turn(PI, 0.0f, 0.0f).Move(side * 0.25f * r, -0.3f * r, 1.3f * r), s.accent), head);
        break;
    }
}

void AddInsectLegs(ModelBuilder& model, const CreatureShape& s, int body)
{
    for (int pair = 0; pair < s.legPairs; ++pair)
        for (float side : {-1.0f, 1.0f}) {
            float z = PairZ(s, pair);
            int hip = model.AddJoint(LegName("Leg", pair, side).c_str(), body, Vec3(side * 0.45f * s.width, 0.0f, z));
            Vec3 knee(side * s.legSpan * 0.45f, s.height * 0.35f, 0.1f * z);
            Vec3 foot(side * s.legSpan, -s.height + 0.04f, 0.25f * z);
            model.Add(Painted(Limb(Vec3(), knee, 0.07f, 0.05f, 5), s.body), hip);
            int kneeJoint = model.AddJoint(LegName("Knee", pair, side).c_str(), hip, knee);
            model.Add(Painted(Limb(Vec3(), foot - knee, 0.05f, 0.025f, 5), s.accent), kneeJoint);
            model.Add(Painted(Sphere(0.04f, 3, 5).Move(foot.x - knee.x, foot.y - knee.y, foot.z - knee.z), s.accent), kneeJoint);
        }
}

void AddBeastLegs(ModelBuilder& model, const CreatureShape& s, int body)
{
    float thigh = BeastThigh(s), shin = BeastShin(s);
    for (int pair = 0; pair < s.legPairs; ++pair)
        for (float side : {-1.0f, 1.0f}) {
            int hip = model.AddJoint(LegName("Leg", pair, side).c_str(), body, Vec3(side * 0.4f * s.width, -0.05f, PairZ(s, pair)));
            model.Add(Painted(Sphere(0.16f * s.width, 4, 6), s.body), hip);
            model.Add(Painted(Limb(Vec3(), Vec3(0.0f, -thigh, 0.0f), 0.12f * s.width, 0.09f * s.width, 6), s.body), hip);
            int knee = model.AddJoint(LegName("Knee", pair, side).c_str(), hip, Vec3(0.0f, -thigh, 0.0f));
            model.Add(Painted(Limb(Vec3(), Vec3(0.0f, -shin + 0.02f, 0.0f), 0.08f * s.width, 0.07f * s.width, 6), s.belly), knee);
            int ankle = model.AddJoint(LegName("Ankle", pair, side).c_str(), knee, Vec3(0.0f, -shin, 0.0f));
            model.Add(Painted(Box(Vec3(0.2f * s.width, 0.08f, 0.3f * s.width)).Move(0.0f, -0.01f, 0.05f), s.accent), ankle);
        }
}

// The body's rest height: a beast's hips carry it, an insect's legs hold it up.
float BodyHeight(const CreatureShape& s)
{
    return s.kind == 1 ? BeastThigh(s) + BeastShin(s) + 0.1f : s.height;
}

}  // namespace

void MakeCreature(IndexedMesh* mesh, const CreatureShape& s)
{
    ModelBuilder model(WHITE_TEXTURE, LIT_MESH_EFFECT, FLAT_NORMAL_MAP);
    if (s.kind == 2) {
        // A worm of four segments, from the tail on the ground to the head raised up.
        int parent = -1;
        Vec3 offset(0.0f, s.width * 0.5f, -0.6f * s.length);
        for (int i = 0; i < 4; ++i) {
            std::string name = "Seg" + std::to_string(i);
            int seg = model.AddJoint(name.c_str(), parent, offset);
            float r = s.width * (0.5f - 0.05f * i);
            model.Add(Painted(Sphere(r, 4, 8), i % 2 ? s.belly : s.body), seg);
            if (s.spikes) model.Add(Painted(Cone(0.25f * r, 0.8f * r, 4).Move(0.0f, 0.8f * r, 0.0f), s.accent), seg);
            offset = i < 1 ? Vec3(0.0f, 0.0f, 0.4f * s.length) : Vec3(0.0f, 0.3f * s.height, 0.25f * s.length);
            parent = seg;
        }
        float r = s.width * 0.35f;
        int head = model.AddJoint("Head", parent, Vec3(0.0f, 0.2f * s.height, 0.2f * s.length));
        model.Add(Painted(Sphere(r, 4, 8), s.body), head);
        for (int i = 0; i < 5; ++i) {
            float angle = 2.0f * PI * i / 5.0f;
            model.Add(Painted(Cone(0.1f * r, 0.6f * r, 4).Turn(0.5f * PI, 0.0f, 0.0f).Move(std::sin(angle) * 0.6f * r, std::cos(angle) * 0.6f * r, 0.7f * r), s.accent), head);
        }
        model.Add(Painted(Sphere(0.3f * r, 3, 6).Move(0.0f, 0.0f, 0.85f * r), s.eyes), head);
        model.Build(mesh);
        return;
    }
    if (s.kind == 3) {
        // A blob: a glistening mound with lobes that reach and pull back.
        int body = model.AddJoint("Body", -1, Vec3());
        Matrix squash;
        MatrixScaling(&squash, 1.0f, 0.7f, 1.15f);
        model.Add(Painted(Dome(0.5f * s.width, 4, 12).Transform(squash), s.body), body);
        model.Add(Painted(Sphere(0.28f * s.width, 4, 8).Move(0.0f, 0.3f * s.width, 0.0f), s.belly), body);
        for (int i = 0; i < 3; ++i)
            model.Add(Painted(Sphere(0.06f * s.width, 3, 6).Move((-0.15f + 0.15f * i) * s.width, 0.3f * s.width, 0.5f * s.width), s.eyes), body);
        for (int i = 0; i < 4; ++i) {
            float angle = PI * 0.25f + PI * 0.5f * i;
            std::string name = "Lobe" + std::to_string(i);
            Vec3 root(std::sin(angle) * 0.4f * s.width, 0.12f * s.width, std::cos(angle) * 0.45f * s.width);
            int lobe = model.AddJoint(name.c_str(), body, root);
            Vec3 tip(std::sin(angle) * 0.35f * s.width, -0.04f * s.width, std::cos(angle) * 0.35f * s.width);
            model.Add(Painted(Limb(Vec3(), tip, 0.12f * s.width, 0.05f * s.width, 6), s.accent), lobe);
        }
        model.Build(mesh);
        return;
    }

    int body = model.AddJoint("Body", -1, Vec3(0.0f, BodyHeight(s), 0.0f));
    Matrix stretch;
    MatrixScaling(&stretch, s.width, s.kind == 1 ? 0.75f * s.width : 0.55f * s.width, s.length);
    model.Add(Painted(Sphere(0.5f, 5, 10).Transform(stretch), s.body), body);
    model.Add(Painted(Sphere(0.4f, 4, 8).Transform(stretch).Move(0.0f, -0.1f * s.width, 0.0f), s.belly), body);
    if (s.shell)
        model.Add(Painted(Dome(0.5f, 3, 10).Transform(stretch).Move(0.0f, 0.05f * s.width, -0.05f * s.length), s.accent), body);
    if (s.spikes)
        for (int i = 0; i < 4; ++i)
            model.Add(Painted(Cone(0.06f * s.width, 0.35f * s.width, 4).Turn(-0.4f, 0.0f, 0.0f).Move(0.0f, 0.3f * s.width, (0.25f - 0.18f * i) * s.length), s.accent), body);
    if (s.tail) {
        int tail = model.AddJoint("Tail", body, Vec3(0.0f, 0.05f * s.width, -0.48f * s.length));
        model.Add(Painted(Limb(Vec3(), Vec3(0.0f, 0.1f * s.width, -0.6f * s.length), 0.15f * s.width, 0.04f * s.width, 6), s.body), tail);
    }
    AddHead(model, s, body);
    if (s.kind == 1)
        AddBeastLegs(model, s, body);
    else
        AddInsectLegs(model, s, body);
    model.Build(mesh);
}

Animation CreatureIdle(const CreatureShape& s)
{
    AnimationBuilder a(40, 20.0f, true);
    if (s.kind == 2) {
        for (int i = 1; i < 4; ++i) {
            std::string name = "Seg" + std::to_string(i);
            a.Channel(name.c_str(), CHANNEL_ROTATE_Y, [=](float p) { return 0.2f * Wave(p + 0.15f * i); });
        }
        a.Channel("Head", CHANNEL_ROTATE_X, [](float p) { return 0.15f * Wave(p, 2.0f); });
        return a.Build();
    }
    if (s.kind == 3) {
        for (int i = 0; i < 4; ++i) {
            std::string name = "Lobe" + std::to_string(i);
            a.Channel(name.c_str(), CHANNEL_ROTATE_Y, [=](float p) { return 0.25f * Wave(p + 0.25f * i); });
        }
        return a.Build();
    }
    // Breathing lifts the body a little; the head looks about.
    a.Channel("Body", CHANNEL_TRANSLATE_Y, [=](float p) { return BodyHeight(s) + 0.02f * (0.5f - 0.5f * std::cos(2.0f * PI * p)); });
    a.Channel("Head", CHANNEL_ROTATE_Y, [](float p) { return 0.3f * Wave(p); });
    if (s.tail) a.Channel("Tail", CHANNEL_ROTATE_Y, [](float p) { return 0.25f * Wave(p, 2.0f); });
    return a.Build();
}

Animation CreatureWalk(const CreatureShape& s)
{
    AnimationBuilder a(20, 30.0f, true);
    if (s.kind == 2) {
        for (int i = 1; i < 4; ++i) {
            std::string name = "Seg" + std::to_string(i);
            a.Channel(name.c_str(), CHANNEL_ROTATE_Y, [=](float p) { return 0.4f * Wave(p + 0.25f * i); });
        }
        return a.Build();
    }
    if (s.kind == 3) {
        for (int i = 0; i < 4; ++i) {
            std::string name = "Lobe" + std::to_string(i);
            a.Channel(name.c_str(), CHANNEL_ROTATE_Y, [=](float p) { return 0.4f * Wave(p + 0.5f * (i % 2)); });
        }
        return a.Build();
    }
    for (int pair = 0; pair < s.legPairs; ++pair)
        for (float side : {-1.0f, 1.0f}) {
            float offset = LegPhase(pair, side);
            std::string leg = LegName("Leg", pair, side), knee = LegName("Knee", pair, side);
            if (s.kind == 1) {
                // Beasts trot like walkers: the ankle keeps the foot level.
                auto hip = [=](float p) { return StepSwing(p + offset, 0.3f); };
                auto bend = [=](float p) { return StepBend(p + offset); };
                a.Channel(leg.c_str(), CHANNEL_ROTATE_X, hip);
                a.Channel(knee.c_str(), CHANNEL_ROTATE_X, bend);
                a.Channel(LegName("Ankle", pair, side).c_str(), CHANNEL_ROTATE_X, [=](float p) { return -(hip(p) + bend(p)); });
            } else {
                // Insects swing each leg about the hip and lift it while it swings forward.
                a.Channel(leg.c_str(), CHANNEL_ROTATE_Y, [=](float p) { return side * 0.3f * StepSwing(p + offset, 1.0f); });
                a.Channel(leg.c_str(), CHANNEL_ROTATE_Z, [=](float p) { return side * 0.35f * StepBend(p + offset); });
            }
        }
    if (s.kind == 1)
        a.Channel("Body", CHANNEL_TRANSLATE_Y, [=](float p) {
            float stance = p - std::floor(p) < 0.5f ? StepSwing(p, 0.3f) : StepSwing(p + 0.5f, 0.3f);
            return BodyHeight(s) - BeastDrop(s, stance, 0.0f);
        });
    a.Channel("Head", CHANNEL_ROTATE_Y, [](float p) { return 0.1f * Wave(p); });
    return a.Build();
}

Animation CreatureAttack(const CreatureShape& s)
{
    AnimationBuilder a(18, 30.0f, false);
    auto lunge = [](float p) { return Pulse(p, 0.3f, 0.8f); };
    if (s.kind == 3) {
        for (int i = 0; i < 2; ++i) {
            std::string name = "Lobe" + std::to_string(i == 0 ? 0 : 3);
            a.Channel(name.c_str(), CHANNEL_ROTATE_X, [=](float p) { return -0.9f * lunge(p); });
        }
        return a.Build();
    }
    if (s.kind == 2) {
        a.Channel("Seg3", CHANNEL_ROTATE_X, [=](float p) { return 0.5f * lunge(p); });
        a.Channel("Head", CHANNEL_ROTATE_X, [=](float p) { return 0.4f * lunge(p); });
        return a.Build();
    }
    a.Channel("Head", CHANNEL_ROTATE_X, [=](float p) { return 0.35f * lunge(p); });
    a.Channel("Head", CHANNEL_TRANSLATE_Z, [=](float p) { return 0.5f * s.length + 0.25f * s.length * lunge(p); });
    if (s.head == 2)
        for (const char* claw : {"LeftClaw", "RightClaw"})
            a.Channel(claw, CHANNEL_ROTATE_X, [=](float p) { return 1.1f * lunge(p); });
    return a.Build();
}
