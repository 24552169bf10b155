// What grows on a level, in the colours of each environment: two trees, a plant and two
// boulders per environment, and tufts of green, dry and alien grass. Each is one material (the
// growth areas draw all copies of a mesh as one batch) standing on the ground at its origin.
// Trees reach about two cells high, boulders keep within their cell.
#include "content/meshgen/Models.h"

#include "render/IndexedMesh.h"

#include <cmath>
#include <string>

namespace {

enum TreeKind : int { BROADLEAF, CONIFER, CACTUS, CRYSTAL, FUNGUS, CHARRED };

struct Palette {
    const char* environment;
    TreeKind first, second;
    Paint leaf, leaf2, trunk, rock, rock2;
    bool snow;
};

const Palette PALETTES[] = {
    {"forest", BROADLEAF, CONIFER, {0.22f, 0.45f, 0.16f}, {0.16f, 0.36f, 0.14f}, {0.4f, 0.27f, 0.15f},
     {0.45f, 0.45f, 0.42f}, {0.36f, 0.37f, 0.33f}, false},
    {"winter", CONIFER, CONIFER, {0.14f, 0.3f, 0.22f}, {0.18f, 0.34f, 0.26f}, {0.3f, 0.22f, 0.16f},
     {0.6f, 0.64f, 0.7f}, {0.48f, 0.52f, 0.58f}, true},
    {"desert", CACTUS, CACTUS, {0.4f, 0.52f, 0.25f}, {0.5f, 0.58f, 0.3f}, {0.62f, 0.5f, 0.32f},
     {0.74f, 0.56f, 0.36f}, {0.62f, 0.45f, 0.3f}, false},
    {"fall", BROADLEAF, BROADLEAF, {0.82f, 0.42f, 0.12f}, {0.7f, 0.2f, 0.1f}, {0.38f, 0.26f, 0.16f},
     {0.5f, 0.45f, 0.38f}, {0.42f, 0.38f, 0.32f}, false},
    {"marsh", BROADLEAF, CONIFER, {0.25f, 0.32f, 0.15f}, {0.2f, 0.27f, 0.14f}, {0.3f, 0.25f, 0.18f},
     {0.35f, 0.4f, 0.3f}, {0.3f, 0.33f, 0.26f}, false},
    {"moon", CRYSTAL, CRYSTAL, {0.7f, 0.76f, 0.88f}, {0.55f, 0.62f, 0.8f}, {0.4f, 0.4f, 0.44f},
     {0.55f, 0.55f, 0.56f}, {0.42f, 0.42f, 0.44f}, false},
    {"alien", FUNGUS, FUNGUS, {0.55f, 0.2f, 0.62f}, {0.2f, 0.7f, 0.65f}, {0.75f, 0.7f, 0.6f},
     {0.45f, 0.3f, 0.45f}, {0.34f, 0.24f, 0.4f}, false},
    {"lava", CHARRED, CHARRED, {1.0f, 0.42f, 0.1f}, {0.9f, 0.25f, 0.05f}, {0.12f, 0.1f, 0.09f},
     {0.2f, 0.18f, 0.18f}, {0.14f, 0.13f, 0.13f}, false},
};
constexpr int PALETTE_COUNT = (int)(sizeof PALETTES / sizeof PALETTES[0]);

void Build(IndexedMesh* mesh, const MeshPart& part)
{
    ModelBuilder model(WHITE_TEXTURE, LIT_MESH_EFFECT, FLAT_NORMAL_MAP);
    model.Add(part);
    model.Build(mesh);
}

MeshPart Squashed(MeshPart part, float sx, float sy, float sz)
{
    Matrix squash;
    MatrixScaling(&squash, sx, sy, sz);
    return part.Transform(squash);
}

MeshPart Tree(const Palette& p, TreeKind kind, int variant)
{
    const float grow = variant ? 1.2f : 1.0f;
    MeshPart tree;
    switch (kind) {
    case BROADLEAF:
        tree = Painted(Tube(0.22f, 0.14f, 2.2f * grow, 7), p.trunk);
        tree.Append(Painted(Squashed(Sphere(1.3f, 5, 8), 1.0f, 0.8f, 1.0f), variant ? p.leaf2 : p.leaf).Move(0.0f, 2.8f * grow, 0.0f));
        tree.Append(Painted(Sphere(0.8f, 4, 7), p.leaf).Move(0.6f, 2.3f * grow, 0.3f));
        break;
    case CONIFER:
        tree = Painted(Cylinder(0.16f, 0.9f, 6), p.trunk);
        for (int i = 0; i < 3; ++i) {
            float r = (1.4f - 0.35f * i) * grow, y = (0.7f + 1.0f * i) * grow;
            tree.Append(Painted(Cone(r, 1.5f * grow, 8), i % 2 ? p.leaf2 : p.leaf).Move(0.0f, y, 0.0f));
            if (p.snow) tree.Append(Painted(Cone(r * 0.45f, 0.6f, 8), {0.92f, 0.94f, 0.97f}).Move(0.0f, y + 0.95f * grow, 0.0f));
        }
        break;
    case CACTUS:
        tree = Painted(Cylinder(0.3f, 2.4f * grow, 8), p.leaf);
        tree.Append(Painted(Sphere(0.3f, 3, 8), p.leaf).Move(0.0f, 2.4f * grow, 0.0f));
        tree.Append(Painted(Cylinder(0.18f, 0.9f, 6), p.leaf2).Turn(0.0f, 0.0f, 1.57f).Move(0.9f, 1.2f, 0.0f));
        tree.Append(Painted(Cylinder(0.18f, 1.0f, 6), p.leaf2).Move(0.9f, 1.2f, 0.0f));
        if (variant) tree.Append(Painted(Cylinder(0.16f, 0.8f, 6), p.leaf2).Turn(0.0f, 0.0f, -1.57f).Move(-0.8f, 1.6f, 0.0f));
        break;
    case CRYSTAL:
        tree = Painted(Cone(0.5f, 3.2f * grow, 5), p.leaf);
        tree.Append(Painted(Cone(0.3f, 1.8f, 5), p.leaf2).Turn(0.0f, 0.0f, 0.4f).Move(0.4f, 0.0f, 0.2f));
        tree.Append(Painted(Cone(0.25f, 1.4f, 5), p.leaf2).Turn(0.3f, 0.0f, -0.35f).Move(-0.35f, 0.0f, -0.2f));
        break;
    case FUNGUS:
        tree = Painted(Tube(0.28f, 0.2f, 2.0f * grow, 8), p.trunk);
        tree.Append(Painted(Dome(1.4f * grow, 4, 10), variant ? p.leaf2 : p.leaf).Move(0.0f, 2.0f * grow, 0.0f));
        tree.Append(Painted(Sphere(0.15f, 3, 6), p.leaf2).Move(0.7f, 2.6f * grow, 0.3f));
        break;
    case CHARRED:
        tree = Painted(Tube(0.26f, 0.08f, 2.6f * grow, 6), p.trunk);
        tree.Append(Painted(Tube(0.1f, 0.03f, 1.1f, 5), p.trunk).Turn(0.0f, 0.0f, 0.8f).Move(0.0f, 1.4f, 0.0f));
        tree.Append(Painted(Tube(0.09f, 0.03f, 0.9f, 5), p.trunk).Turn(0.0f, 0.0f, -0.9f).Move(0.0f, 1.9f, 0.0f));
        tree.Append(Painted(Sphere(0.12f, 3, 6), p.leaf).Move(0.0f, 2.6f * grow, 0.0f));
        break;
    }
    return tree;
}

MeshPart Plant(const Palette& p)
{
    MeshPart plant;
    for (int i = 0; i < 5; ++i) {
        float a = 1.2566f * (float)i;
        plant.Append(Painted(Squashed(Sphere(0.35f, 3, 6), 1.0f, 0.7f, 1.0f), i % 2 ? p.leaf2 : p.leaf)
                         .Move(0.35f * std::cos(a), 0.3f, 0.35f * std::sin(a)));
    }
    return plant;
}

MeshPart Boulder(const Palette& p, int variant)
{
    MeshPart rock = Painted(Squashed(Sphere(0.9f, 4, 7), 1.2f, 0.7f, 1.0f), p.rock).Turn(0.0f, 0.4f, 0.1f).Move(0.0f, 0.4f, 0.0f);
    if (variant) {
        rock.Append(Painted(Squashed(Sphere(0.55f, 3, 6), 1.0f, 0.8f, 1.3f), p.rock2).Move(0.7f, 0.25f, 0.4f));
        rock.Append(Painted(Box(Vec3(0.5f, 0.4f, 0.45f)), p.rock2).Turn(0.2f, 0.7f, 0.1f).Move(-0.6f, 0.2f, -0.5f));
    }
    if (p.snow) rock.Append(Painted(Squashed(Dome(0.75f, 3, 7), 1.2f, 0.35f, 1.0f), {0.92f, 0.94f, 0.97f}).Move(0.0f, 0.82f, 0.0f));
    return rock;
}

MeshPart Tuft(const Paint& blade, const Paint& tip, int variant)
{
    MeshPart tuft;
    const int blades = variant ? 7 : 5;
    for (int i = 0; i < blades; ++i) {
        float a = 6.2832f * (float)i / (float)blades + 0.3f * (float)variant;
        float lean = 0.25f + 0.1f * (float)(i % 3);
        tuft.Append(Painted(Cone(0.07f, 0.55f + 0.12f * (float)(i % 2), 3), i % 2 ? tip : blade)
                        .Turn(lean * std::cos(a), 0.0f, lean * std::sin(a))
                        .Move(0.12f * std::cos(a), 0.0f, 0.12f * std::sin(a)));
    }
    return tuft;
}

template <int I>
void MakeTree0(IndexedMesh* mesh)
{
    Build(mesh, Tree(PALETTES[I], PALETTES[I].first, 0));
}
template <int I>
void MakeTree1(IndexedMesh* mesh)
{
    Build(mesh, Tree(PALETTES[I], PALETTES[I].second, 1));
}
template <int I>
void MakePlant(IndexedMesh* mesh)
{
    Build(mesh, Plant(PALETTES[I]));
}
template <int I>
void MakeBoulder0(IndexedMesh* mesh)
{
    Build(mesh, Boulder(PALETTES[I], 0));
}
template <int I>
void MakeBoulder1(IndexedMesh* mesh)
{
    Build(mesh, Boulder(PALETTES[I], 1));
}

void MakeGrassTuft0(IndexedMesh* mesh) { Build(mesh, Tuft({0.25f, 0.5f, 0.15f}, {0.4f, 0.62f, 0.2f}, 0)); }
void MakeGrassTuft1(IndexedMesh* mesh) { Build(mesh, Tuft({0.2f, 0.44f, 0.12f}, {0.35f, 0.55f, 0.18f}, 1)); }
void MakeDryTuft0(IndexedMesh* mesh) { Build(mesh, Tuft({0.62f, 0.55f, 0.3f}, {0.75f, 0.66f, 0.4f}, 0)); }
void MakeDryTuft1(IndexedMesh* mesh) { Build(mesh, Tuft({0.55f, 0.45f, 0.25f}, {0.7f, 0.6f, 0.35f}, 1)); }
void MakeAlienTuft0(IndexedMesh* mesh) { Build(mesh, Tuft({0.2f, 0.6f, 0.6f}, {0.6f, 0.3f, 0.75f}, 0)); }
void MakeAlienTuft1(IndexedMesh* mesh) { Build(mesh, Tuft({0.3f, 0.5f, 0.7f}, {0.75f, 0.4f, 0.8f}, 1)); }

template <int I>
void AddEnvironment(std::vector<MeshRecipe>& all, std::vector<std::string>& names)
{
    const std::string e = PALETTES[I].environment;
    const char* files[] = {"tree_", "tree_", "plant_", "boulder_", "boulder_"};
    const char* endings[] = {"_0.txt", "_1.txt", ".txt", "_0.txt", "_1.txt"};
    void (*makers[])(IndexedMesh*) = {MakeTree0<I>, MakeTree1<I>, MakePlant<I>, MakeBoulder0<I>, MakeBoulder1<I>};
    for (int k = 0; k < 5; ++k) {
        names.push_back(files[k] + e + endings[k]);
        all.push_back({nullptr, makers[k]});
    }
}

}  // namespace

const std::vector<MeshRecipe>& GrowthModelCatalogue()
{
    static std::vector<std::string> names;
    static const std::vector<MeshRecipe> recipes = [] {
        std::vector<MeshRecipe> all;
        AddEnvironment<0>(all, names);
        AddEnvironment<1>(all, names);
        AddEnvironment<2>(all, names);
        AddEnvironment<3>(all, names);
        AddEnvironment<4>(all, names);
        AddEnvironment<5>(all, names);
        AddEnvironment<6>(all, names);
        AddEnvironment<7>(all, names);
        static_assert(PALETTE_COUNT == 8, "one palette per environment");
        const MeshRecipe tufts[] = {{"grass_tuft_0.txt", MakeGrassTuft0}, {"grass_tuft_1.txt", MakeGrassTuft1},
                                    {"grass_dry_0.txt", MakeDryTuft0},    {"grass_dry_1.txt", MakeDryTuft1},
                                    {"grass_alien_0.txt", MakeAlienTuft0}, {"grass_alien_1.txt", MakeAlienTuft1}};
        for (const MeshRecipe& t : tufts) all.push_back(t);
        for (size_t i = 0; i < names.size(); ++i) all[i].fileName = names[i].c_str();
        return all;
    }();
    return recipes;
}
