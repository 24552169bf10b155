// Growth definitions and instances: the script reader, the instance list, merged meshes and
// drawing. The placing itself is GrowthPlacement.cpp.
#include "levelgen/Growth.h"

#include "host/GfxTypes.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "levelgen/LevelTools.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "render/GraphicsDevice.h"
#include "render/Camera.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "render/RenderStateCache.h"
#include "terrain/Terrain.h"
#include "world/CatalogueScript.h"
#include "world/Grid.h"
#include "world/GridQueries.h"

#include <algorithm>
#include <cstring>
#include <new>

GrowthDB* TheGrowthDB = nullptr;
bool GrowthMarkerShown = false;

namespace {

struct CategoryWord {
    const char* word;
    int category;
};
const CategoryWord MESH_KEYWORDS[] = {
    {"AddTree", GROWTH_TREE},         {"AddPlant", GROWTH_PLANT},       {"AddRock", GROWTH_ROCK},
    {"AddMainBuilding", GROWTH_MAIN_BUILDING}, {"AddBuilding", GROWTH_BUILDING}, {"AddButtress", GROWTH_BUTTRESS},
    {"AddWall", GROWTH_WALL},         {"AddWallCorner", GROWTH_WALL_CORNER}, {"AddDoodad", GROWTH_DOODAD},
};

struct AlgorithmWord {
    const char* word;
    int algorithm;
};
const AlgorithmWord ALGORITHMS[] = {
    {"CITY", GROWTH_CITY}, {"WALLTEST", GROWTH_WALLTEST}, {"RUINS", GROWTH_RUINS}, {"GRASS", GROWTH_GRASS}};

}  // namespace

void GrowthParams::SetDefaults()
{
    seed = 0;
    offset = Vec3();
    for (float& w : weights) w = 1.0f;
    width = height = 20;
    for (int i = 0; i < 3; ++i) {
        minimumScale[i] = 0.8f;
        maximumScale[i] = 1.2f;
    }
    density = 0.1f;
    blockCount = 0;
    circle = 1;
}

// ---- Instances

GrowthInstance::~GrowthInstance()
{
    Release();
}

void GrowthInstance::Release()
{
    const Grid* grid = CurrentGrid();
    auto loosen = [&](int c, int r) {
        GridCell* cell = grid->GetCell(c, r);
        if (cell && cell->occupant == this) {
            cell->occupant = nullptr;
            cell->next = nullptr;
        }
    };
    for (const GrowthObject& object : objects) {
        if (!grid) break;
        // The cell it stands in, and every cell its turned mesh covers.
        int column, row;
        if (grid->WorldToCell(object.position, &column, &row)) loosen(column, row);
        IntRect rect;
        if (!GetRotatedFootprintCells(&rect, object.mesh, object.position, object.rotation.y, object.scale.y)) continue;
        for (int r = rect.minY; r <= rect.maxY; ++r)
            for (int c = rect.minX; c <= rect.maxX; ++c) loosen(c, r);
    }
    objects.clear();
    for (Merged& m : merged) {
        if (TheMeshLibrary) TheMeshLibrary->RemoveMesh(m.mesh);
        delete m.mesh;
    }
    merged.clear();
}

void GrowthInstance::TakeCells()
{
    const Grid* grid = CurrentGrid();
    if (!grid) return;
    for (const GrowthObject& object : objects) {
        if (object.category == GROWTH_PLANT) continue;
        GridCell* cell = grid->GetCellAt(object.position);
        if (cell && !cell->occupant) cell->occupant = this;
    }
}

void GrowthInstance::SetDefinitionByName(const char* name)
{
    GrowthDef* found = TheGrowthDB ? TheGrowthDB->FindDefinition(name) : nullptr;
    if (found) definition = found;
}

IndexedMesh* GrowthInstance::GetObjectAt(int category, int index, int* walked) const
{
    int n = 0;
    IndexedMesh* mesh = nullptr;
    if (definition && category >= 0 && category < GROWTH_CATEGORIES) {
        const std::vector<IndexedMesh*>& list = definition->lists[category];
        for (; n < (int)list.size() && n <= index; ++n) mesh = list[n];
        if (index >= (int)list.size()) mesh = nullptr;
    }
    if (walked) *walked = n;
    return mesh;
}

// ---- The catalogue

GrowthDB::GrowthDB(bool readScript)
{
    toolParameters.SetDefaults();
    if (readScript) Load();
    if (TheLevelToolHooks) TheLevelToolHooks->GrowthCatalogueMade(*this);
}

GrowthDB::~GrowthDB()
{
    if (TheLevelToolHooks) TheLevelToolHooks->GrowthCatalogueGone(*this);
    ClearInstances();
    for (GrowthDef* d : definitions) delete d;
    if (TheGrowthDB == this) TheGrowthDB = nullptr;
}

bool GrowthDB::Load(const char* path)
{
    CatalogueScript in;
    const char* file = path ? path : SCRIPT;
    if (!in.Open(file)) {
        Log("ERROR growth: %s cannot be opened, nothing will grow\n", file);
        return false;
    }
    GrowthDef* current = nullptr;
    while (const char* token = in.Next()) {
        std::string key = token;
        if (key == "DefineGrowth") {
            std::string name = in.Word();
            current = new (std::nothrow) GrowthDef();
            if (!current) break;
            CopyText(current->name, sizeof current->name, name.c_str());
            definitions.push_back(current);
            continue;
        }
        if (!current) continue;
        const char* k = key.c_str();
        bool done = false;
        for (const CategoryWord& c : MESH_KEYWORDS) {
            if (StrICmp(k, c.word) != 0) continue;
            done = true;
            std::string mesh = in.Word();
            std::vector<IndexedMesh*>& list = current->lists[c.category];
            if ((int)list.size() >= GrowthDef::MAX_MESHES) {
                in.Warn("growth %s: %s holds %d meshes already, %s is left out", current->name, c.word,
                        GrowthDef::MAX_MESHES, mesh.c_str());
                break;
            }
            IndexedMesh* loaded = LoadLibraryMesh(mesh.c_str(), true);
            if (loaded) list.push_back(loaded);
            break;
        }
        if (done) continue;
        if (StrICmp(k, "colormode") == 0) {
            in.Int(k, &current->colormode);
        } else if (StrICmp(k, "population") == 0) {
            // Objects per cell: more than one has no room.
            in.Float(k, &current->population, 0.0f, 1.0f);
        } else if (StrICmp(k, "treepercent") == 0) {
            in.Float(k, &current->treepercent);
        } else if (StrICmp(k, "plantpercent") == 0) {
            in.Float(k, &current->plantpercent);
        } else if (StrICmp(k, "rockpercent") == 0) {
            in.Float(k, &current->rockpercent);
        } else if (StrICmp(k, "Algorithm") == 0) {
            std::string word = in.Word();
            for (const AlgorithmWord& a : ALGORITHMS)
                if (StrICmp(word.c_str(), a.word) == 0) current->algorithm = a.algorithm;
        }
    }
    return true;
}

GrowthDef* GrowthDB::FindDefinition(const char* name) const
{
    if (!name) return nullptr;
    for (GrowthDef* d : definitions)
        if (StrICmp(d->name, name) == 0) return d;
    return nullptr;
}

GrowthInstance* GrowthDB::CreateInstance(const char* name, const Vec3& centre, bool restored)
{
    selected = nullptr;
    GrowthDef* definition = FindDefinition(name);
    if (!definition) return nullptr;
    if ((int)instances.size() >= MAX_INSTANCES) {
        Log("WARNING growth: %d instances stand already, %s is not grown\n", MAX_INSTANCES, name);
        return nullptr;
    }
    GrowthInstance* instance = new (std::nothrow) GrowthInstance();
    if (!instance) return nullptr;
    CopyText(instance->name, sizeof instance->name, "GrowthInstance");
    instance->definition = definition;
    instance->centre = centre;
    instance->SetPosition(centre);
    instance->parameters = toolParameters;
    instance->restored = restored;
    instance->flags |= ENTITY_STATIC;
    instances.push_back(instance);
    selected = instance;
    return instance;
}

void GrowthDB::ClearInstances()
{
    for (GrowthInstance* instance : instances) delete instance;
    instances.clear();
    selected = nullptr;
}

void GrowthDB::RegrowAll()
{
    for (GrowthInstance* instance : instances) {
        instance->centre.y = TheTerrain.GetHeight(instance->centre);
        if (instance->restored && !instance->objects.empty()) {
            instance->TakeCells();
            continue;
        }
        instance->Grow();
    }
    for (GrowthInstance* instance : instances) Growth::RebuildMergedMeshes(instance);
}

// ---- Shared operations

namespace Growth {

void ApplyEnvironmentDefinition(const char* name)
{
    GrowthDef* definition = TheGrowthDB ? TheGrowthDB->FindDefinition(name) : nullptr;
    if (!definition) return;
    for (GrowthInstance* instance : TheGrowthDB->instances) {
        if (instance->definition && instance->definition->algorithm != GROWTH_NONE) continue;
        instance->definition = definition;
        PickRandomVariant(instance);
        RebuildMergedMeshes(instance);
    }
}

void PickRandomVariant(GrowthInstance* instance)
{
    if (!instance || !instance->definition) return;
    for (GrowthObject& object : instance->objects) {
        if (object.category < 0 || object.category >= GROWTH_CATEGORIES) continue;
        const std::vector<IndexedMesh*>& list = instance->definition->lists[object.category];
        if (list.empty()) {
            object.variant = 0;
            object.mesh = nullptr;
            continue;
        }
        object.variant = Rand() % (int)list.size();
        object.mesh = list[object.variant];
    }
}

void RebuildMergedMeshes(GrowthInstance* instance)
{
    if (!instance) return;
    instance->boundsMin = Vec3(1000.0f, 1000.0f, 1000.0f);
    instance->boundsMax = Vec3(-1000.0f, -1000.0f, -1000.0f);
    for (GrowthInstance::Merged& m : instance->merged) {
        if (TheMeshLibrary) TheMeshLibrary->RemoveMesh(m.mesh);
        delete m.mesh;
    }
    instance->merged.clear();
    for (const GrowthObject& object : instance->objects) {
        if (!object.mesh) continue;
        Matrix turn, size, move, m1, matrix;
        MatrixRotationY(&turn, object.rotation.y * 0.0174532924f);
        MatrixScaling(&size, object.scale.x, object.scale.y, object.scale.z);
        MatrixTranslation(&move, -object.position.x, object.position.y, object.position.z);
        MatrixMultiply(&m1, &turn, &size);
        MatrixMultiply(&matrix, &m1, &move);
        GrowthInstance::Merged* entry = nullptr;
        for (GrowthInstance::Merged& m : instance->merged)
            if (m.source == object.mesh) entry = &m;
        if (!entry) {
            if ((int)instance->merged.size() >= GrowthInstance::MAX_MERGED) {
                Log("WARNING growth: an instance draws %d meshes already, %s is left out\n", GrowthInstance::MAX_MERGED,
                    object.mesh->name);
                continue;
            }
            IndexedMesh* mesh = new (std::nothrow) IndexedMesh();
            if (!mesh) continue;
            if (mesh->AddInstance(matrix, false, object.mesh) < 0) {
                delete mesh;
                continue;
            }
            instance->merged.push_back({object.mesh, mesh});
            continue;
        }
        entry->mesh->AddInstance(matrix, false, nullptr);
    }
    const int colormode = instance->definition ? instance->definition->colormode : 1;
    for (GrowthInstance::Merged& m : instance->merged) {
        m.mesh->Skin(0, true, colormode, false);
        Vec3Minimize(&instance->boundsMin, &instance->boundsMin, &m.mesh->boundsMin);
        Vec3Maximize(&instance->boundsMax, &instance->boundsMax, &m.mesh->boundsMax);
    }
}

void DrawAll(int pass, bool draw)
{
    if (!draw || !TheGrowthDB) return;
    const bool detail = !Config || Config->terrainDetail;
    // The merged meshes hold their objects where they stand in the world.
    MatrixIdentity(&WorldMatrix);
    MeshRenderPosition = Vec3();
    if (Graphics) Graphics->SetTransform(TS_WORLD, &WorldMatrix);
    for (GrowthInstance* instance : TheGrowthDB->instances) {
        if (!detail && instance->definition && instance->definition->algorithm == GROWTH_GRASS) continue;
        for (GrowthInstance::Merged& m : instance->merged) m.mesh->Render(pass, false);
    }
    if (pass != 0) return;
    GrowthInstance* selected = TheGrowthDB->selected;
    Entity* cube = GrowthMarkerShown && selected ? TheScene.FindPrimitive("cube") : nullptr;
    if (cube && cube->mesh) {
        MatrixTranslation(&WorldMatrix, selected->centre.x, selected->centre.y, selected->centre.z);
        MeshRenderPosition = selected->centre;
        if (Graphics) Graphics->SetTransform(TS_WORLD, &WorldMatrix);
        cube->mesh->Render(pass, false);
    }
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 0);
    RenderStates.SetRenderState(RS_ALPHATESTENABLE, 0);
    RenderStates.SetRenderState(RS_SRCBLEND, BLEND_ONE);
    RenderStates.SetRenderState(RS_DESTBLEND, BLEND_ZERO);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);
}

}  // namespace Growth
