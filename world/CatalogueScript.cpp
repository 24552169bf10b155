#include "world/CatalogueScript.h"

#include "host/Lexer.h"
#include "host/System.h"
#include "platform/StringTable.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "world/Entity.h"
#include "world/WeaponDef.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

bool CatalogueScript::Open(const char* path)
{
    char fixed[MAX_PATH_TEXT];
    CopyText(fixed, sizeof fixed, path ? path : "");
    FixPath(fixed);
    return reader_.Open(fixed);
}

const char* CatalogueScript::Next()
{
    Lexer* in = reader_.Tokens();
    return in ? in->Next() : nullptr;
}

std::string CatalogueScript::Word()
{
    Lexer* in = reader_.Tokens();
    return in ? in->NextValue() : std::string();
}

bool CatalogueScript::Int(const char* key, int* value)
{
    Lexer* in = reader_.Tokens();
    const char* token = in ? in->Peek() : nullptr;
    int read = 0;
    if (!token || in->ToInt(token, &read) != NumberStatus::OK) {
        Warn("%s: a whole number is missing (found '%s')", key, token ? token : "the end of the script");
        return false;
    }
    in->Next();
    *value = read;
    return true;
}

bool CatalogueScript::Float(const char* key, float* value)
{
    Lexer* in = reader_.Tokens();
    const char* token = in ? in->Peek() : nullptr;
    float read = 0.0f;
    if (!token || in->ToFloat(token, &read) != NumberStatus::OK) {
        Warn("%s: a number is missing (found '%s')", key, token ? token : "the end of the script");
        return false;
    }
    in->Next();
    *value = read;
    return true;
}

bool CatalogueScript::Int(const char* key, int* value, int low, int high)
{
    int read = 0;
    if (!Int(key, &read)) return false;
    *value = std::clamp(read, low, high);
    if (*value != read) Warn("%s value %d is out of range, %d is used", key, read, *value);
    return true;
}

bool CatalogueScript::Float(const char* key, float* value, float low, float high)
{
    float read = 0.0f;
    if (!Float(key, &read)) return false;
    *value = std::clamp(read, low, high);
    if (*value != read) Warn("%s value %g is out of range, %g is used", key, (double)read, (double)*value);
    return true;
}

void CatalogueScript::Floats(const char* key, float* values, int count)
{
    for (int i = 0; i < count; ++i)
        if (!Float(key, &values[i])) return;
}

int32_t CatalogueScript::IconCell(const char* key)
{
    int cell[4] = {0, 0, 0, 0};
    for (int& value : cell)
        if (!Int(key, &value)) break;
    return (int32_t)((uint32_t)cell[0] << 24 | (uint32_t)(cell[1] & 0xFF) << 16 | (uint32_t)(cell[2] & 0xFF) << 8 |
                     (uint32_t)(cell[3] & 0xFF));
}

uint32_t CatalogueScript::Colour(const char* key)
{
    float rgba[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    Floats(key, rgba, 4);
    return PackScriptColour(rgba[0], rgba[1], rgba[2], rgba[3]);
}

bool CatalogueScript::CopyField(const char* key, char* field, size_t size, const char* text)
{
    if (!text) text = "";
    CopyText(field, size, text);
    if (strlen(text) < size) return true;
    Warn("%s: '%s' is longer than %zu characters and is cut", key, text, size - 1);
    return false;
}

void CatalogueScript::Warn(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    const Lexer* in = reader_.Tokens();
    if (in) in->Warn(in->Line(), "%s", text);
}

int CatalogueScript::Line()
{
    const Lexer* in = reader_.Tokens();
    return in ? in->Line() : 0;
}

int AlignmentFromWord(const std::string& word)
{
    if (word == "FRIENDLY") return ALIGN_FRIENDLY;
    if (word == "ENEMY") return ALIGN_ENEMY;
    return word == "PLAYER" ? ALIGN_PLAYER : ALIGN_NEUTRAL;
}

int CompositionFromWord(const std::string& word, int current)
{
    static const char* const names[] = {"Default", "Biological", "Mechanical", "BioMechanical",
                                        "Plant",   "Rock",       "Crystal",    "Wood"};
    for (int i = 0; i < (int)(sizeof names / sizeof names[0]); ++i)
        if (word == names[i]) return i;
    return current;
}

const char* DescriptionText(const char* tag)
{
    const char* text = Strings && tag ? Strings->Lookup(tag) : nullptr;
    return text ? text : GameText("<unknown>");
}

IndexedMesh* LoadLibraryMesh(const char* path, bool loadNow)
{
    if (!TheMeshLibrary || !path) return nullptr;
    char fixed[MAX_PATH_TEXT];
    CopyText(fixed, sizeof fixed, path);
    FixPath(fixed);
    IndexedMesh* mesh = TheMeshLibrary->GetMesh(fixed, 0, loadNow, false);
    if (loadNow && mesh && !mesh->IsAnimated()) return nullptr;
    return mesh;
}

bool AddMeshAnimation(IndexedMesh* mesh, const char* path, int kind, uint32_t slotFlags, bool loadNow)
{
    if (!mesh || !path || kind < 0 || kind >= ANIMATION_ID_COUNT) return false;
    char fixed[MAX_PATH_TEXT];
    CopyText(fixed, sizeof fixed, path);
    FixPath(fixed);
    if (!mesh->AddAnimation(fixed, loadNow)) return false;
    int slot = mesh->animationCount - 1;
    mesh->slotAnimationId[slot] = kind;
    mesh->animationSlot[kind] = slot;
    mesh->slotFlags[slot] = slotFlags;
    return true;
}

void ScaleEntity(Entity* entity, float scale)
{
    entity->scale = scale;
    Matrix scaling, scaled;
    MatrixScaling(&scaling, scale, scale, scale);
    MatrixMultiply(&scaled, &entity->world, &scaling);
    entity->world = scaled;
}
