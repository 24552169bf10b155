// The items: weapons and upgrade modules as they lie on the ground, the crate that opens, the
// cannisters and kits, traps and detectors, blueprints, journal pages, rocks, and the shots of
// the projectile weapons.
#include "content/meshgen/ModelParts.h"

#include <cmath>

namespace {

const Paint METAL = {0.55f, 0.58f, 0.62f};
const Paint DARK = {0.22f, 0.24f, 0.27f};
const Paint ORANGE = {0.88f, 0.5f, 0.12f};
const Paint CYAN = {0.35f, 0.9f, 1.0f};
const Paint RUST = {0.5f, 0.3f, 0.18f};
const Paint WOOD = {0.55f, 0.4f, 0.22f};
const Paint STONE = {0.48f, 0.46f, 0.43f};

ModelBuilder Lit()
{
    return ModelBuilder(WHITE_TEXTURE, LIT_MESH_EFFECT, FLAT_NORMAL_MAP);
}

// A weapon lying on the ground: its grip and the weapon itself.
void WeaponItem(IndexedMesh* mesh, WeaponLook look, const Paint& main, const Paint& glow)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Box(Vec3(0.12f, 0.22f, 0.14f)).Move(0.0f, 0.11f, -0.2f), DARK));
    AddWeaponLook(m, -1, look, main, DARK, glow, 1.2f, Vec3(0.0f, 0.25f, -0.25f));
    m.Build(mesh);
}

void MakeWeaponLaser(IndexedMesh* mesh) { WeaponItem(mesh, LOOK_LASER, METAL, Paint{1.0f, 0.2f, 0.2f}); }
void MakeWeaponMissile(IndexedMesh* mesh) { WeaponItem(mesh, LOOK_MISSILES, Paint{0.4f, 0.5f, 0.35f}, ORANGE); }
void MakeWeaponElectric(IndexedMesh* mesh) { WeaponItem(mesh, LOOK_ARC, Paint{0.5f, 0.45f, 0.7f}, CYAN); }
void MakeWeaponMortar(IndexedMesh* mesh) { WeaponItem(mesh, LOOK_MORTAR, Paint{0.45f, 0.45f, 0.3f}, ORANGE); }
void MakeWeaponMachinegun(IndexedMesh* mesh) { WeaponItem(mesh, LOOK_MACHINEGUN, METAL, ORANGE); }
void MakeWeaponFlame(IndexedMesh* mesh) { WeaponItem(mesh, LOOK_FLAMER, RUST, Paint{1.0f, 0.45f, 0.1f}); }
void MakeWeaponAcid(IndexedMesh* mesh) { WeaponItem(mesh, LOOK_ACID, METAL, Paint{0.5f, 1.0f, 0.3f}); }
void MakeWeaponPlasma(IndexedMesh* mesh) { WeaponItem(mesh, LOOK_PLASMA, METAL, Paint{0.8f, 0.4f, 1.0f}); }
void MakeWeaponPulse(IndexedMesh* mesh) { WeaponItem(mesh, LOOK_PULSE, METAL, CYAN); }

void Module(IndexedMesh* mesh, const Paint& shell, const Paint& light)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Box(Vec3(0.45f, 0.2f, 0.45f)).Move(0.0f, 0.1f, 0.0f), shell));
    m.Add(Painted(Box(Vec3(0.3f, 0.06f, 0.3f)).Move(0.0f, 0.23f, 0.0f), DARK));
    m.Add(Painted(Sphere(0.07f, 3, 6).Move(0.0f, 0.28f, 0.0f), light));
    for (float side : {-1.0f, 1.0f}) m.Add(Painted(Box(Vec3(0.05f, 0.12f, 0.35f)).Move(side * 0.25f, 0.1f, 0.0f), light));
    m.Build(mesh);
}

void MakeUpgradeModule(IndexedMesh* mesh) { Module(mesh, METAL, CYAN); }
void MakeScavModule(IndexedMesh* mesh) { Module(mesh, RUST, ORANGE); }

// The crate opens its lid on the Lid joint.
void MakeCrate(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    int base = m.AddJoint("Base", -1, Vec3());
    m.Add(Painted(Box(Vec3(0.8f, 0.5f, 0.6f)).Move(0.0f, 0.25f, 0.0f), WOOD), base);
    for (float side : {-1.0f, 1.0f}) m.Add(Painted(Box(Vec3(0.06f, 0.52f, 0.62f)).Move(side * 0.3f, 0.25f, 0.0f), DARK), base);
    int lid = m.AddJoint("Lid", base, Vec3(0.0f, 0.5f, -0.3f));
    m.Add(Painted(Box(Vec3(0.84f, 0.08f, 0.64f)).Move(0.0f, 0.04f, 0.3f), WOOD), lid);
    m.Add(Painted(Box(Vec3(0.2f, 0.04f, 0.1f)).Move(0.0f, 0.1f, 0.5f), ORANGE), lid);
    m.Build(mesh);
}

Animation CrateIdle()
{
    AnimationBuilder a(2, 10.0f, true);
    a.Channel("Lid", CHANNEL_ROTATE_X, [](float) { return 0.0f; });
    return a.Build();
}

Animation CrateOpen()
{
    AnimationBuilder a(12, 20.0f, false);
    a.Channel("Lid", CHANNEL_ROTATE_X, [](float p) { return -1.9f * Smooth(0.0f, 1.0f, p); });
    return a.Build();
}

void Cannister(IndexedMesh* mesh, const Paint& band, const Paint& light)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Cylinder(0.18f, 0.55f, 10), METAL));
    m.Add(Painted(Cylinder(0.19f, 0.18f, 10).Move(0.0f, 0.18f, 0.0f), band));
    m.Add(Painted(Cylinder(0.1f, 0.08f, 8).Move(0.0f, 0.55f, 0.0f), DARK));
    m.Add(Painted(Sphere(0.07f, 3, 6).Move(0.0f, 0.65f, 0.0f), light));
    m.Build(mesh);
}

void MakeCannisterRed(IndexedMesh* mesh) { Cannister(mesh, Paint{0.85f, 0.15f, 0.12f}, Paint{1.0f, 0.5f, 0.5f}); }
void MakeCannisterBlue(IndexedMesh* mesh) { Cannister(mesh, Paint{0.15f, 0.35f, 0.9f}, CYAN); }
void MakeCannisterGreen(IndexedMesh* mesh) { Cannister(mesh, Paint{0.2f, 0.75f, 0.25f}, Paint{0.6f, 1.0f, 0.5f}); }
void MakeCannisterPurple(IndexedMesh* mesh) { Cannister(mesh, Paint{0.55f, 0.25f, 0.8f}, Paint{0.9f, 0.6f, 1.0f}); }
void MakeCannisterGold(IndexedMesh* mesh) { Cannister(mesh, Paint{0.9f, 0.75f, 0.2f}, Paint{1.0f, 0.95f, 0.6f}); }

void MakeOreBox(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Box(Vec3(0.6f, 0.3f, 0.45f)).Move(0.0f, 0.15f, 0.0f), METAL));
    for (int i = 0; i < 5; ++i)
        m.Add(Painted(Sphere(0.09f, 3, 6).Move(-0.2f + 0.1f * i, 0.32f, 0.06f * (i % 2 ? 1 : -1)), Paint{0.78f, 0.55f, 0.18f}));
    m.Build(mesh);
}

void MakeFuelCan(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Box(Vec3(0.35f, 0.5f, 0.2f)).Move(0.0f, 0.25f, 0.0f), Paint{0.75f, 0.2f, 0.12f}));
    m.Add(Painted(Cylinder(0.05f, 0.1f, 6).Move(0.1f, 0.5f, 0.0f), DARK));
    m.Add(Painted(Box(Vec3(0.08f, 0.06f, 0.16f)).Move(-0.08f, 0.53f, 0.0f), DARK));
    m.Build(mesh);
}

void MakeCreditChip(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Cylinder(0.3f, 0.06f, 12), Paint{0.9f, 0.75f, 0.2f}));
    m.Add(Painted(Box(Vec3(0.3f, 0.02f, 0.06f)).Move(0.0f, 0.07f, 0.0f), DARK));
    m.Build(mesh);
}

void MakeDatapad(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Box(Vec3(0.5f, 0.05f, 0.36f)).Move(0.0f, 0.03f, 0.0f), DARK));
    m.Add(Painted(Box(Vec3(0.42f, 0.02f, 0.28f)).Move(0.0f, 0.06f, 0.0f), CYAN));
    m.Build(mesh);
}

void MakeDetector(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    for (int i = 0; i < 3; ++i) {
        float angle = 2.0f * PI * i / 3.0f;
        m.Add(Painted(Limb(Vec3(std::sin(angle) * 0.25f, 0.0f, std::cos(angle) * 0.25f), Vec3(0.0f, 0.5f, 0.0f), 0.02f, 0.02f, 4), DARK));
    }
    m.Add(Painted(Sphere(0.12f, 4, 8).Move(0.0f, 0.55f, 0.0f), METAL));
    m.Add(Painted(Sphere(0.05f, 3, 6).Move(0.0f, 0.6f, 0.1f), CYAN));
    m.Build(mesh);
}

void MakeMine(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Cylinder(0.25f, 0.08f, 10), DARK));
    m.Add(Painted(Dome(0.16f, 2, 8).Move(0.0f, 0.08f, 0.0f), Paint{0.4f, 0.45f, 0.3f}));
    m.Add(Painted(Sphere(0.03f, 3, 5).Move(0.0f, 0.25f, 0.0f), Paint{0.95f, 0.15f, 0.1f}));
    m.Build(mesh);
}

void MakeFreezeTrap(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Cylinder(0.3f, 0.08f, 8), METAL));
    for (int i = 0; i < 6; ++i) {
        float angle = PI / 3.0f * i;
        m.Add(Painted(Cone(0.05f, 0.3f, 4).Turn(0.4f * std::cos(angle), 0.0f, -0.4f * std::sin(angle)).Move(std::sin(angle) * 0.15f, 0.08f, std::cos(angle) * 0.15f), CYAN));
    }
    m.Build(mesh);
}

void MakeJournal(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Box(Vec3(0.3f, 0.08f, 0.4f)).Move(0.0f, 0.04f, 0.0f), Paint{0.45f, 0.25f, 0.15f}));
    m.Add(Painted(Box(Vec3(0.26f, 0.02f, 0.36f)).Move(0.0f, 0.09f, 0.0f), Paint{0.9f, 0.86f, 0.75f}));
    m.Build(mesh);
}

void Rock(IndexedMesh* mesh, float size)
{
    ModelBuilder m = Lit();
    Matrix squash;
    MatrixScaling(&squash, 1.0f, 0.7f, 0.85f);
    m.Add(Painted(Sphere(size, 4, 7).Transform(squash).Move(0.0f, 0.5f * size, 0.0f), STONE));
    m.Add(Painted(Sphere(size * 0.55f, 3, 6).Move(size * 0.6f, 0.3f * size, size * 0.2f), Paint{0.4f, 0.38f, 0.36f}));
    m.Build(mesh);
}

void MakeRockSmall(IndexedMesh* mesh) { Rock(mesh, 0.5f); }
void MakeRockLarge(IndexedMesh* mesh) { Rock(mesh, 1.0f); }

// ---- Shots in flight

void MakeMissile(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Cylinder(0.06f, 0.5f, 6).Turn(0.5f * PI, 0.0f, 0.0f).Move(0.0f, 0.0f, -0.25f), METAL));
    m.Add(Painted(Cone(0.06f, 0.15f, 6).Turn(0.5f * PI, 0.0f, 0.0f).Move(0.0f, 0.0f, 0.25f), Paint{0.9f, 0.2f, 0.15f}));
    for (int i = 0; i < 4; ++i) m.Add(Painted(Box(Vec3(0.02f, 0.18f, 0.12f)).Turn(0.0f, 0.0f, 0.5f * PI * i).Move(0.0f, 0.0f, -0.22f), DARK));
    m.Build(mesh);
}

void MakeMortarShell(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    Matrix stretch;
    MatrixScaling(&stretch, 1.0f, 1.0f, 1.6f);
    m.Add(Painted(Sphere(0.12f, 4, 8).Transform(stretch), DARK));
    m.Add(Painted(Cylinder(0.08f, 0.12f, 6).Turn(0.5f * PI, 0.0f, 0.0f).Move(0.0f, 0.0f, -0.3f), METAL));
    m.Build(mesh);
}

void Bolt(IndexedMesh* mesh, const Paint& core, const Paint& halo)
{
    ModelBuilder m(WHITE_TEXTURE, MESH_EFFECT);
    m.Add(Painted(Sphere(0.08f, 4, 8), core));
    Matrix stretch;
    MatrixScaling(&stretch, 1.0f, 1.0f, 2.0f);
    m.Add(Painted(Sphere(0.11f, 4, 8).Transform(stretch).Move(0.0f, 0.0f, -0.06f), halo));
    m.Build(mesh);
}

void MakePlasmaBlast(IndexedMesh* mesh) { Bolt(mesh, Paint{1.0f, 0.9f, 1.0f}, Paint{0.75f, 0.3f, 1.0f}); }
void MakePulseBlast(IndexedMesh* mesh) { Bolt(mesh, Paint{0.9f, 1.0f, 1.0f}, Paint{0.2f, 0.8f, 1.0f}); }

}  // namespace

const std::vector<MeshRecipe>& ItemModelCatalogue()
{
    static const std::vector<MeshRecipe> recipes = {
        {"weapon_laser.txt", MakeWeaponLaser},
        {"weapon_missile.txt", MakeWeaponMissile},
        {"weapon_electric.txt", MakeWeaponElectric},
        {"weapon_mortar.txt", MakeWeaponMortar},
        {"weapon_machinegun.txt", MakeWeaponMachinegun},
        {"weapon_flame.txt", MakeWeaponFlame},
        {"weapon_acid.txt", MakeWeaponAcid},
        {"weapon_plasma.txt", MakeWeaponPlasma},
        {"weapon_pulse.txt", MakeWeaponPulse},
        {"upgrade_module.txt", MakeUpgradeModule},
        {"scav_module.txt", MakeScavModule},
        {"crate.txt", MakeCrate},
        {"cannister_red.txt", MakeCannisterRed},
        {"cannister_blue.txt", MakeCannisterBlue},
        {"cannister_green.txt", MakeCannisterGreen},
        {"cannister_purple.txt", MakeCannisterPurple},
        {"cannister_gold.txt", MakeCannisterGold},
        {"ore_box.txt", MakeOreBox},
        {"fuel_can.txt", MakeFuelCan},
        {"credit_chip.txt", MakeCreditChip},
        {"datapad.txt", MakeDatapad},
        {"detector.txt", MakeDetector},
        {"mine.txt", MakeMine},
        {"freeze_trap.txt", MakeFreezeTrap},
        {"journal.txt", MakeJournal},
        {"rock_small.txt", MakeRockSmall},
        {"rock_large.txt", MakeRockLarge},
        {"missile.txt", MakeMissile},
        {"mortar.txt", MakeMortarShell},
        {"plasmablast.txt", MakePlasmaBlast},
        {"pulseblast.txt", MakePulseBlast},
    };
    return recipes;
}

const std::vector<AnimationRecipe>& ItemAnimationCatalogue()
{
    static const std::vector<AnimationRecipe> recipes = {
        {"crate_idle.txt", "crate.txt", ANIM_IDLE, false, CrateIdle},
        {"crate_open.txt", "crate.txt", ANIM_USE, true, CrateOpen},
    };
    return recipes;
}
