// The player's rig: chassis (the walking frame with its animations), the body and canopy that
// ride each chassis, and the pilots. A chassis and its body wear the chassis's own texture, so
// that a paint (a variant of that texture) covers both; the painted panels are light and let
// the texture's colours through, the joints and feet are dark.
//
// Every chassis has the bones the rig hangs its parts on: "attach" on top of the frame for the
// body and canopy, "pilot" for the pilot, "LeftWeapon" and "RightWeapon" on the sides.
//
// The main display's portrait of the rig looks level at a point PILOT_SIGHT above the "pilot"
// bone. So that it looks the pilot in the face, that bone sits PILOT_SIGHT below the pilot's
// helmet, inside the frame, and a pilot's figure stands that far above its own origin: the
// pilot still sits in the seat.
#include "content/meshgen/Models.h"

#include "render/IndexedMesh.h"

#include <cmath>
#include <deque>
#include <string>

namespace {

const Paint PANEL = {0.95f, 0.95f, 0.95f};
const Paint JOINT = {0.25f, 0.26f, 0.3f};
const Paint LENS = {0.4f, 0.9f, 1.0f};
const Paint GLASS = {0.45f, 0.7f, 0.85f};

// How far above the pilot bone the portrait looks, and where in the seat the helmet is.
constexpr float PILOT_SIGHT = 1.6f;
constexpr float SEAT_HEIGHT = 0.25f;
constexpr float HELMET_HEIGHT = 0.32f;
constexpr float PILOT_DROP = PILOT_SIGHT - HELMET_HEIGHT;

struct RigShape {
    const char* name;    // the chassis, its files and its texture: "rig_<name>"
    float legLength;     // thigh and shin each
    float hipSide;       // from the middle to each hip
    Vec3 frame;          // width, height, depth of the frame the body sits on
    int legPairs;        // 1 two legs, 2 four legs
    bool roundFrame;     // a round frame instead of a flat one
};

const RigShape RIG_BASIC = {"basic", 0.55f, 0.45f, Vec3(1.1f, 0.35f, 1.0f), 1, false};
const RigShape RIG_ROUND = {"round", 0.5f, 0.5f, Vec3(1.2f, 0.45f, 1.2f), 1, true};
const RigShape RIG_STRIDER = {"strider", 0.8f, 0.4f, Vec3(0.9f, 0.3f, 1.2f), 1, false};
const RigShape RIG_CRAWLER = {"crawler", 0.4f, 0.55f, Vec3(1.3f, 0.35f, 1.5f), 2, false};

const char* const HIPS[] = {"LeftHip", "RightHip", "LeftRearHip", "RightRearHip"};
const char* const KNEES[] = {"LeftKnee", "RightKnee", "LeftRearKnee", "RightRearKnee"};
const char* const ANKLES[] = {"LeftAnkle", "RightAnkle", "LeftRearAnkle", "RightRearAnkle"};

std::string Texture(const RigShape& s)
{
    return std::string("data/textures/rigs/rig_") + s.name + ".dds";
}

float FrameHeight(const RigShape& s)
{
    return 2.0f * s.legLength + 0.1f;
}

void AddLeg(ModelBuilder& model, int frame, const RigShape& s, const char* hip, const char* knee, const char* ankle,
            float side, float z)
{
    int h = model.AddJoint(hip, frame, Vec3(side * s.hipSide, -0.05f, z));
    model.Add(Painted(Sphere(0.13f, 3, 8), JOINT), h);
    model.Add(Painted(Box(Vec3(0.16f, s.legLength, 0.2f)).Move(0.0f, -0.5f * s.legLength, 0.0f), PANEL), h);
    int k = model.AddJoint(knee, h, Vec3(0.0f, -s.legLength, 0.0f));
    model.Add(Painted(Sphere(0.11f, 3, 8), JOINT), k);
    model.Add(Painted(Box(Vec3(0.12f, s.legLength, 0.14f)).Move(0.0f, -0.5f * s.legLength, 0.0f), JOINT), k);
    // The foot turns back against the leg, so it stays flat on the ground.
    int a = model.AddJoint(ankle, k, Vec3(0.0f, -s.legLength, 0.0f));
    model.Add(Painted(Box(Vec3(0.26f, 0.08f, 0.36f)).Move(0.0f, -0.02f, 0.06f), JOINT), a);
}

void MakeChassis(IndexedMesh* mesh, const RigShape& s)
{
    std::string texture = Texture(s);
    ModelBuilder model(texture.c_str(), LIT_MESH_EFFECT, FLAT_NORMAL_MAP);
    int frame = model.AddJoint("Chassis", -1, Vec3(0.0f, FrameHeight(s), 0.0f));
    if (s.roundFrame)
        model.Add(Painted(Cylinder(0.5f * s.frame.x, s.frame.y, 14), PANEL), frame);
    else
        model.Add(Painted(Box(s.frame).Move(0.0f, 0.5f * s.frame.y, 0.0f), PANEL), frame);
    model.Add(Painted(Box(Vec3(s.frame.x * 0.6f, 0.06f, 0.08f)).Move(0.0f, 0.3f * s.frame.y, 0.5f * s.frame.z + 0.02f), LENS),
              frame);
    if (s.legPairs == 1) {
        AddLeg(model, frame, s, HIPS[0], KNEES[0], ANKLES[0], 1.0f, 0.0f);
        AddLeg(model, frame, s, HIPS[1], KNEES[1], ANKLES[1], -1.0f, 0.0f);
    } else {
        AddLeg(model, frame, s, HIPS[0], KNEES[0], ANKLES[0], 1.0f, 0.35f * s.frame.z);
        AddLeg(model, frame, s, HIPS[1], KNEES[1], ANKLES[1], -1.0f, 0.35f * s.frame.z);
        AddLeg(model, frame, s, HIPS[2], KNEES[2], ANKLES[2], 1.0f, -0.35f * s.frame.z);
        AddLeg(model, frame, s, HIPS[3], KNEES[3], ANKLES[3], -1.0f, -0.35f * s.frame.z);
    }
    int attach = model.AddJoint("attach", frame, Vec3(0.0f, s.frame.y, 0.0f));
    model.AddJoint("pilot", attach, Vec3(0.0f, SEAT_HEIGHT - PILOT_DROP, -0.05f));
    for (float side : {1.0f, -1.0f}) {
        int mount = model.AddJoint(side > 0.0f ? "LeftWeapon" : "RightWeapon", frame,
                                   Vec3(side * (0.5f * s.frame.x + 0.12f), 0.5f * s.frame.y, 0.1f));
        model.Add(Painted(Box(Vec3(0.12f, 0.2f, 0.3f)), JOINT), mount);
        // Shots of the rig's own gun leave from the right-hand mount.
        if (side < 0.0f) model.AddJoint("Gun", mount, Vec3(0.0f, 0.0f, 0.2f));
    }
    model.Build(mesh);
}

// The body: a hull over the frame, in the chassis's paint, with a seat for the pilot.
void MakeBody(IndexedMesh* mesh, const RigShape& s)
{
    std::string texture = Texture(s);
    ModelBuilder model(texture.c_str(), LIT_MESH_EFFECT, FLAT_NORMAL_MAP);
    float w = s.frame.x * 0.9f, d = s.frame.z * 0.9f;
    if (s.roundFrame) {
        model.Add(Painted(Tube(0.5f * w, 0.35f * w, 0.3f, 14), PANEL));
    } else {
        std::vector<Vec2> profile = {{-0.5f * d, 0.0f}, {0.5f * d, 0.0f}, {0.35f * d, 0.3f}, {-0.45f * d, 0.35f}};
        model.Add(Painted(Extrusion(profile, w).Turn(0.0f, -0.5f * PI, 0.0f), PANEL));
    }
    model.Add(Painted(Box(Vec3(0.4f, 0.08f, 0.4f)).Move(0.0f, 0.3f, -0.05f), JOINT));
    model.Build(mesh);
}

// The canopy: a low glass tub round the seat, the pilot's head and shoulders above it.
void MakeCanopy(IndexedMesh* mesh, const RigShape& s)
{
    ModelBuilder model(WHITE_TEXTURE, LIT_MESH_EFFECT, FLAT_NORMAL_MAP);
    float r = std::fmin(s.frame.x, s.frame.z) * 0.32f;
    model.Add(Painted(Dome(r, 4, 12).Move(0.0f, 0.12f, -0.05f), GLASS));
    model.Build(mesh);
}

struct PilotShape {
    const char* file;
    Paint suit, helmet, visor;
};

const PilotShape PILOT_DEFAULT = {"pilot_default.txt", {0.85f, 0.45f, 0.12f}, {0.9f, 0.9f, 0.92f}, {0.2f, 0.6f, 1.0f}};
const PilotShape PILOT_VETERAN = {"pilot_veteran.txt", {0.3f, 0.38f, 0.25f}, {0.35f, 0.4f, 0.3f}, {1.0f, 0.7f, 0.1f}};
const PilotShape PILOT_ACE = {"pilot_ace.txt", {0.15f, 0.15f, 0.2f}, {0.8f, 0.1f, 0.1f}, {0.9f, 0.9f, 0.9f}};

// A pilot seen from the seat up: shoulders, a helmet and its visor.
void MakePilot(IndexedMesh* mesh, const PilotShape& p)
{
    ModelBuilder model(WHITE_TEXTURE, LIT_MESH_EFFECT, FLAT_NORMAL_MAP);
    // The new-profile window frames a pilot on its neck.
    int seat = model.AddJoint("Seat", -1, Vec3(0.0f, PILOT_DROP, 0.0f));
    model.AddJoint("Neck", seat, Vec3(0.0f, 0.22f, 0.0f));
    model.Add(Painted(Box(Vec3(0.34f, 0.2f, 0.2f)).Move(0.0f, 0.1f, 0.0f), p.suit), seat);
    model.Add(Painted(Sphere(0.12f, 4, 10).Move(0.0f, HELMET_HEIGHT, 0.0f), p.helmet), seat);
    model.Add(Painted(Box(Vec3(0.16f, 0.06f, 0.04f)).Move(0.0f, HELMET_HEIGHT + 0.01f, 0.11f), p.visor), seat);
    model.Build(mesh);
}


// How far a leg's foot rises when its hip and knee are bent.
float FootRise(const RigShape& s, float hip, float knee)
{
    return s.legLength * (1.0f - std::cos(hip)) + s.legLength * (1.0f - std::cos(hip + knee));
}

// Legs of one side (and diagonals of a four-legged chassis) move together, half a step apart;
// the frame sinks so that the lowest foot stays on the ground.
void Legs(AnimationBuilder& a, const RigShape& s, float swing)
{
    auto hip = [=](int leg, float p) {
        float offset = (leg == 1 || leg == 2) ? 0.5f : 0.0f;
        return swing * Wave(p + offset);
    };
    auto knee = [=](int leg, float p) {
        float offset = (leg == 1 || leg == 2) ? 0.5f : 0.0f;
        return swing * 0.8f * std::fmax(0.0f, Wave(p + offset + 0.25f));
    };
    int legs = 2 * s.legPairs;
    for (int leg = 0; leg < legs; ++leg) {
        a.Channel(HIPS[leg], CHANNEL_ROTATE_X, [=](float p) { return hip(leg, p); });
        a.Channel(KNEES[leg], CHANNEL_ROTATE_X, [=](float p) { return knee(leg, p); });
        a.Channel(ANKLES[leg], CHANNEL_ROTATE_X, [=](float p) { return -(hip(leg, p) + knee(leg, p)); });
    }
    const RigShape shape = s;
    a.Channel("Chassis", CHANNEL_TRANSLATE_Y, [=](float p) {
        float lowest = 1e9f;
        for (int leg = 0; leg < legs; ++leg) lowest = std::fmin(lowest, FootRise(shape, hip(leg, p), knee(leg, p)));
        return FrameHeight(shape) - lowest;
    });
}

Animation Idle(const RigShape& s)
{
    AnimationBuilder a(40, 20.0f, true);
    Legs(a, s, 0.05f);
    return a.Build();
}

Animation Walk(const RigShape& s)
{
    AnimationBuilder a(20, 30.0f, true);
    Legs(a, s, 0.45f);
    return a.Build();
}

// The gun's mount kicks back with the shot.
Animation Attack(const RigShape&)
{
    AnimationBuilder a(18, 30.0f, false);
    a.Channel("RightWeapon", CHANNEL_TRANSLATE_Z, [](float p) { return 0.1f - 0.12f * Pulse(p, 0.15f, 0.9f); });
    return a.Build();
}

struct RigModel {
    const RigShape* shape;
    void (*chassis)(IndexedMesh*);
    void (*body)(IndexedMesh*);
    void (*canopy)(IndexedMesh*);
    Animation (*idle)();
    Animation (*walk)();
    Animation (*attack)();
};

#define RIG(shape)                                                                                             \
    {&shape, [](IndexedMesh* m) { MakeChassis(m, shape); }, [](IndexedMesh* m) { MakeBody(m, shape); },       \
     [](IndexedMesh* m) { MakeCanopy(m, shape); }, [] { return Idle(shape); }, [] { return Walk(shape); }, \
     [] { return Attack(shape); }}

const std::vector<RigModel>& Rigs()
{
    static const std::vector<RigModel> rigs = {RIG(RIG_BASIC), RIG(RIG_ROUND), RIG(RIG_STRIDER), RIG(RIG_CRAWLER)};
    return rigs;
}

#undef RIG

// The file names live as long as the catalogues.
std::deque<std::string>& Names()
{
    static std::deque<std::string> names;
    return names;
}

const char* Name(const RigShape& s, const char* suffix)
{
    Names().push_back(std::string("rig_") + s.name + suffix);
    return Names().back().c_str();
}

}  // namespace

const std::vector<MeshRecipe>& RigModelCatalogue()
{
    static const std::vector<MeshRecipe> recipes = [] {
        std::vector<MeshRecipe> all;
        for (const RigModel& rig : Rigs()) {
            all.push_back({Name(*rig.shape, ".txt"), rig.chassis});
            all.push_back({Name(*rig.shape, "_body.txt"), rig.body});
            all.push_back({Name(*rig.shape, "_canopy.txt"), rig.canopy});
        }
        all.push_back({PILOT_DEFAULT.file, [](IndexedMesh* m) { MakePilot(m, PILOT_DEFAULT); }});
        all.push_back({PILOT_VETERAN.file, [](IndexedMesh* m) { MakePilot(m, PILOT_VETERAN); }});
        all.push_back({PILOT_ACE.file, [](IndexedMesh* m) { MakePilot(m, PILOT_ACE); }});
        return all;
    }();
    return recipes;
}

const std::vector<AnimationRecipe>& RigAnimationCatalogue()
{
    static const std::vector<AnimationRecipe> recipes = [] {
        std::vector<AnimationRecipe> all;
        for (const RigModel& rig : Rigs()) {
            const char* mesh = Name(*rig.shape, ".txt");
            all.push_back({Name(*rig.shape, "_idle.txt"), mesh, ANIM_IDLE, false, rig.idle});
            all.push_back({Name(*rig.shape, "_walk.txt"), mesh, ANIM_WALK, false, rig.walk});
            all.push_back({Name(*rig.shape, "_attack.txt"), mesh, ANIM_ATTACK, false, rig.attack});
        }
        return all;
    }();
    return recipes;
}
