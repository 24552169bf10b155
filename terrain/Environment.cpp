// The environment table, its script, and selecting an environment onto the terrain.
#include "terrain/Environment.h"

#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "mechanics/Scene.h"
#include "platform/Files.h"
#include "render/Effect.h"
#include "render/EffectManager.h"
#include "render/IndexedMesh.h"
#include "render/TextureManager.h"
#include "terrain/Terrain.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

char GroundTextureSlots[GROUND_TEXTURE_SLOTS][256];

namespace {

constexpr const char* SCRIPT_PATH = "Data/scripts/environments.cgs";
const char* const DEFAULT_SLOTS[GROUND_TEXTURE_SLOTS] = {
    "data/textures/terrain/Grass_9_1.jpg",
    "data/textures/terrain/Rocky_2-1.jpg",
    "data/textures/terrain/rock02M.jpg",
    "data/textures/terrain/GRND_B08.dds",
};
// The fog before any environment has been chosen: a dark teal.
const Vec4 DEFAULT_FOG(0.1216f, 0.2353f, 0.2863f, 1.0f);

Environment Table[MAX_ENVIRONMENTS];
int Count = 0;
bool Loaded = false;
int Current = -1;

void ResetSlots()
{
    for (int i = 0; i < GROUND_TEXTURE_SLOTS; ++i) CopyText(GroundTextureSlots[i], sizeof GroundTextureSlots[i], DEFAULT_SLOTS[i]);
}

// Fills the slots before anything reads them.
struct SlotDefaults {
    SlotDefaults() { ResetSlots(); }
} slotDefaults;

// One keyword of a DefineEnvironment block and the field it fills.
struct Field {
    const char* keyword;
    enum Kind { TEXT, INT, FLOATS } kind;
    size_t offset;
    size_t size;  // characters of a text, number of floats
};

#define FIELD(keyword, kind, member, size) {keyword, Field::kind, offsetof(Environment, member), size}
const Field FIELDS[] = {
    FIELD("texture1", TEXT, texture1, sizeof(Environment::texture1)),
    FIELD("texture2", TEXT, texture2, sizeof(Environment::texture2)),
    FIELD("texture3", TEXT, texture3, sizeof(Environment::texture3)),
    FIELD("normalmap", TEXT, normalmap, sizeof(Environment::normalmap)),
    FIELD("colormap", TEXT, colormap, sizeof(Environment::colormap)),
    FIELD("rivers", FLOATS, rivers, 1),
    FIELD("rivercolor", FLOATS, rivercolor, 4),
    FIELD("shader", TEXT, shader, sizeof(Environment::shader)),
    FIELD("minlevel", INT, minlevel, 1),
    FIELD("splat_texture", TEXT, splat_texture, sizeof(Environment::splat_texture)),
    FIELD("splat_normalmap", TEXT, splat_normalmap, sizeof(Environment::splat_normalmap)),
    FIELD("bumpVals", FLOATS, bumpVals, 2),
    FIELD("population", FLOATS, population, 1),
    FIELD("weatherType", INT, weatherType, 1),
    FIELD("shadowValue", FLOATS, shadowValue, 1),
};
#undef FIELD

void ReadField(Lexer& lexer, const Field& field, Environment* record)
{
    char* base = reinterpret_cast<char*>(record) + field.offset;
    switch (field.kind) {
    case Field::TEXT:
        CopyText(base, field.size, lexer.NextValue());
        break;
    case Field::INT: {
        // A value that is no number leaves the field as it was (the read logs it).
        int value;
        if (lexer.ReadInt(field.keyword, &value)) *reinterpret_cast<int*>(base) = value;
        break;
    }
    case Field::FLOATS:
        for (size_t i = 0; i < field.size; ++i) {
            float value;
            if (lexer.ReadFloat(field.keyword, &value)) reinterpret_cast<float*>(base)[i] = value;
        }
        break;
    }
}

}  // namespace

void Environment::Reset(int tableIndex)
{
    memset(this, 0, sizeof *this);
    CopyText(shader, sizeof shader, "terrain.fx");
    index = tableIndex;
    rivers = 0.5f;
    bumpVals[0] = 0.4f;
    bumpVals[1] = 0.75f;
    population = 0.1f;
    shadowValue = 0.2f;
}

void Environment::EnsureLoaded()
{
    if (Loaded) return;
    LoadScript();
}

void Environment::LoadScript()
{
    LoadScript(SCRIPT_PATH);
}

void Environment::LoadScript(const char* path)
{
    // The environment in use, to select again once the table is read anew.
    char current[sizeof Table[0].name] = "";
    if (Current >= 0 && Current < Count) CopyText(current, sizeof current, Table[Current].name);
    Count = 0;
    Loaded = true;
    ScriptReader script;
    if (!path || !script.Open(path)) return;
    Lexer& lexer = *script.Tokens();
    Environment* record = nullptr;
    while (const char* token = lexer.Next()) {
        // The block keyword keeps its case; the keywords inside it do not.
        if (strcmp(token, "DefineEnvironment") == 0) {
            int line = lexer.Line();
            std::string name = lexer.NextValue();
            if (Count >= MAX_ENVIRONMENTS) {
                lexer.Warn(line, "more than %d environments: '%s' is left out", MAX_ENVIRONMENTS, name.c_str());
                record = nullptr;
                continue;
            }
            record = &Table[Count];
            record->Reset(Count);
            ++Count;
            CopyText(record->name, sizeof record->name, name.c_str());
            continue;
        }
        if (!record) continue;
        for (const Field& field : FIELDS)
            if (lexer.Is(token, field.keyword)) {
                ReadField(lexer, field, record);
                break;
            }
    }
    script.Close();
    // A reload keeps the environment in use: by its name, or (when the script no longer has
    // it) whatever now stands in its place.
    if (Current >= 0 && Current < Count) {
        char name[sizeof Table[0].name];
        CopyText(name, sizeof name, FindIndex(current) >= 0 ? current : Table[Current].name);
        TheTerrain.SetEnvironment(name);
    }
}

int Environment::GetCount()
{
    return Count;
}

Environment* Environment::Get(int index)
{
    return index >= 0 && index < Count ? &Table[index] : nullptr;
}

int Environment::FindIndex(const char* name)
{
    if (!name) return -1;
    for (int i = 0; i < Count; ++i)
        if (StrICmp(Table[i].name, name) == 0) return i;
    return -1;
}

int Environment::FindByName(const char* name)
{
    int index = FindIndex(name);
    return index < 0 ? 0 : index;
}

Environment* Environment::GetCurrent()
{
    return Loaded && Current >= 0 && Current < MAX_ENVIRONMENTS && Current < Count ? &Table[Current] : nullptr;
}

int Environment::GetCurrentIndex()
{
    return GetCurrent() ? Current : -1;
}

Vec4 Environment::GetFogColour()
{
    const Environment* current = GetCurrent();
    if (!current) return DEFAULT_FOG;
    return Vec4(current->rivercolor[0], current->rivercolor[1], current->rivercolor[2], current->rivercolor[3]);
}

void Environment::ClearAll()
{
    Count = 0;
    Loaded = false;
    Current = -1;
    ResetSlots();
}

EnvironmentTint GetEnvironmentTint(const char* name)
{
    static const struct {
        const char* name;
        EnvironmentTint tint;
    } TINTS[] = {
        {"forest", {0.6f, 0.9f, 0.7f, LowGroundRule::DARKEN_RED_GREEN}},
        {"winter", {0.7f, 0.7f, 0.95f, LowGroundRule::DARKEN_RED_GREEN}},
        {"desert", {0.95f, 0.7f, 0.5f, LowGroundRule::DARKEN_RED_GREEN}},
        {"fall", {0.95f, 0.7f, 0.5f, LowGroundRule::DARKEN_RED_GREEN}},
        {"marsh", {0.95f, 0.7f, 0.5f, LowGroundRule::DARKEN_RED_GREEN}},
        {"moon", {0.8f, 0.9f, 0.95f, LowGroundRule::NONE}},
        {"alien", {0.95f, 0.5f, 0.9f, LowGroundRule::DARKEN_RED_BLUE}},
        {"lava", {0.95f, 0.5f, 0.0f, LowGroundRule::GLOWING}},
    };
    if (name)
        for (const auto& entry : TINTS)
            if (strcmp(entry.name, name) == 0) return entry.tint;
    return {0.8f, 0.8f, 0.8f, LowGroundRule::DARKEN_RED_GREEN};
}

// ---- Selecting an environment onto the terrain

void Terrain::SetGroundTextures(const char* name, int slot)
{
    if (!name || !Textures) return;
    TextureRecord* record = Textures->GetTexture(name);
    if (!record || !record->IsLoaded()) return;
    int index = slot >= 0 && slot <= 2 ? slot : 3;
    CopyText(GroundTextureSlots[index], sizeof GroundTextureSlots[index], name);
    for (auto& chunk : chunks) {
        IndexedMesh* mesh = chunk->groundMesh.get();
        if (!mesh || mesh->materials.empty() || mesh->subMeshes.empty()) continue;
        MeshMaterial& material = mesh->materials[0];
        SubMesh& sub = mesh->subMeshes[0];
        switch (index) {
        case 0:
            CopyText(material.textureName, sizeof material.textureName, name);
            sub.diffuseTexture = record;
            break;
        case 1:
            CopyText(material.blendTextureName, sizeof material.blendTextureName, name);
            sub.blendTexture = record;
            break;
        case 2:
            CopyText(material.specularMapName, sizeof material.specularMapName, name);
            sub.specularMap = record;
            break;
        default:
            CopyText(material.normalMapName, sizeof material.normalMapName, name);
            CopyText(material.blendNormalMapName, sizeof material.blendNormalMapName, name);
            sub.normalMap = sub.blendNormalMap = record;
            break;
        }
    }
}

Environment* Terrain::SetEnvironment(const char* name)
{
    int index = Environment::FindIndex(name);
    if (index < 0) return nullptr;
    Environment& environment = *Environment::Get(index);
    Current = index;
    EffectValues.shadowValue = environment.shadowValue;

    if (Textures)
        for (const char* slot : GroundTextureSlots) Textures->ReleaseTextures(slot);
    CopyText(GroundTextureSlots[0], sizeof GroundTextureSlots[0], environment.texture1);
    CopyText(GroundTextureSlots[1], sizeof GroundTextureSlots[1], environment.texture2);
    CopyText(GroundTextureSlots[2], sizeof GroundTextureSlots[2], environment.texture3);
    CopyText(GroundTextureSlots[3], sizeof GroundTextureSlots[3], environment.normalmap);
    CopyText(TheScene.colourMapName, sizeof TheScene.colourMapName, environment.colormap);
    if (Textures)
        for (const char* slot : GroundTextureSlots) Textures->ReloadTextures(slot);
    if (!created) return &environment;

    SetGroundTextures(environment.texture1, 0);
    SetGroundTextures(environment.texture2, 1);
    SetGroundTextures(environment.texture3, 2);
    SetGroundTextures(environment.normalmap, 3);
    LoadColourMap(environment.colormap, false);
    RebuildMeshes(0, 0, 0);

    char effectName[256];
    snprintf(effectName, sizeof effectName, "Data/shaders/%s", environment.shader);
    for (auto& chunk : chunks) {
        if (IndexedMesh* mesh = chunk->groundMesh.get(); mesh && !mesh->materials.empty() && !mesh->subMeshes.empty()) {
            MeshMaterial& material = mesh->materials[0];
            CopyText(material.effectName, sizeof material.effectName, effectName);
            if (TheEffectManager) {
                Effect* effect = TheEffectManager->GetEffect(effectName);
                TheEffectManager->LoadEffect(effect, material.techniqueName);
                mesh->subMeshes[0].effect = effect;
            }
        }
        if (IndexedMesh* mesh = chunk->splatMesh.get(); mesh && !mesh->materials.empty() && !mesh->subMeshes.empty()) {
            MeshMaterial& material = mesh->materials[0];
            SubMesh& sub = mesh->subMeshes[0];
            CopyText(material.textureName, sizeof material.textureName, environment.splat_texture);
            CopyText(material.normalMapName, sizeof material.normalMapName, environment.splat_normalmap);
            if (Textures) {
                if (TextureRecord* record = Textures->GetTexture(environment.splat_texture); record->IsLoaded())
                    sub.diffuseTexture = record;
                if (TextureRecord* record = Textures->GetTexture(environment.splat_normalmap); record->IsLoaded())
                    sub.normalMap = record;
            }
        }
    }
    return &environment;
}

const char* Terrain::SetRandomEnvironment()
{
    int count = Environment::GetCount();
    if (count <= 0) return nullptr;
    Environment* chosen = Environment::Get(Rand() % count);
    char name[sizeof chosen->name];
    CopyText(name, sizeof name, chosen->name);
    Environment* selected = SetEnvironment(name);
    return selected ? selected->name : nullptr;
}
