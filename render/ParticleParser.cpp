#include "render/ParticleParser.h"

#include "host/System.h"
#include "platform/Files.h"
#include "render/ParticleSystem.h"
#include "render/TextureManager.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

const char* const ParticleParser::TEXTURE_LIST_PATH = "data/effects/particletextures/particletextures.txt";

namespace {

// The keywords a definition may use, in the order their handlers are numbered.
const char* const ATTRIBUTES[] = {
    "PARTICLE", "VERSION", "POSITION", "FORCE", "PITCH", "PITCH_Change", "YAW", "YAW_Change", "SPEED",
    "SPEED_Change", "RATE", "RATE_Change", "LIFETIME", "SIZE", "SIZE_Change", "SIZE_RATIO", "COLOR", "COLOR_MID",
    "COLOR_END", "MID_PERCENT", "ROTATION", "ROTATION_Change", "MAX_COUNT", "TEXTURE_ID", "Y_FAKE_COLLISION",
    "RANDOM_SCALE", "EMISSION_TIME", "RANDOM_ROTATION", "DIRECTION", "PARTICLE_COLLISION", "PARTICLE_FAKE_COLLISION",
    "PARTICLE_USE_COLLISION_NORMAL", "PARTICLE_SYSTEM_USE_DIRECTION", "AREA", "EFFECT_ID", "END_OF_FILE",
    "BEGIN_PARTICLE", "END_PARTICLE", "RENDER_TYPE", "HEIGHTMAP_COLLISION", "AUTO_Y_HEIGHT_OFF", "TEXTURE_NAME",
    "PARTICLE_LOCKED", "PARTICLE_STATE", "PARTICLE_SYSTEM_RENDER_ALPHA", "PARTICLE_SYSTEM_SOURCE_BLEND",
    "PARTICLE_SYSTEM_DEST_BLEND", "EMIT_TYPE", "PARTICLE_SYSTEM_RADIAL_DIR", "PARTICLE_SYSTEM_SMOOTH_LERP",
};
constexpr int ATTRIBUTE_COUNT = (int)(sizeof ATTRIBUTES / sizeof ATTRIBUTES[0]);
static_assert(ATTRIBUTE_COUNT == 50, "fifty particle attributes");

enum Attribute {
    A_PARTICLE, A_VERSION, A_POSITION, A_FORCE, A_PITCH, A_PITCH_CHANGE, A_YAW, A_YAW_CHANGE, A_SPEED,
    A_SPEED_CHANGE, A_RATE, A_RATE_CHANGE, A_LIFETIME, A_SIZE, A_SIZE_CHANGE, A_SIZE_RATIO, A_COLOR, A_COLOR_MID,
    A_COLOR_END, A_MID_PERCENT, A_ROTATION, A_ROTATION_CHANGE, A_MAX_COUNT, A_TEXTURE_ID, A_Y_FAKE_COLLISION,
    A_RANDOM_SCALE, A_EMISSION_TIME, A_RANDOM_ROTATION, A_DIRECTION, A_PARTICLE_COLLISION, A_PARTICLE_FAKE_COLLISION,
    A_PARTICLE_USE_COLLISION_NORMAL, A_USE_DIRECTION, A_AREA, A_EFFECT_ID, A_END_OF_FILE, A_BEGIN_PARTICLE,
    A_END_PARTICLE, A_RENDER_TYPE, A_HEIGHTMAP_COLLISION, A_AUTO_Y_HEIGHT_OFF, A_TEXTURE_NAME, A_PARTICLE_LOCKED,
    A_PARTICLE_STATE, A_RENDER_ALPHA, A_SOURCE_BLEND, A_DEST_BLEND, A_EMIT_TYPE, A_RADIAL_DIR, A_SMOOTH_LERP,
};

int FindAttribute(const char* token)
{
    for (int i = 0; i < ATTRIBUTE_COUNT; ++i) {
        if (strcmp(ATTRIBUTES[i], "LAST_TOKEN") == 0) break;
        if (strcmp(ATTRIBUTES[i], token) == 0) return i;
    }
    return -1;
}

const char* const BLEND_NAMES[] = {"ZERO", "ONE", "SRCCOLOR", "INVSRCCOLOR", "SRCALPHA", "INVSRCALPHA", "DESTALPHA",
                                   "INVDESTALPHA", "DESTCOLOR", "INVDESTCOLOR", "SRCALPHASAT", "BOTHSRCALPHA",
                                   "BOTHINVSRCALPHA", "BLENDFACTOR", "INVBLENDFACTOR"};

const char* const EMIT_TYPES[] = {"point", "area", "circle", "spiral", "disk"};

bool IsSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

ParticleParser::ParticleParser()
{
    textureList.Init(TEXTURE_LIST_SIZE);
    LoadTextureList();
}

ParticleParser::~ParticleParser()
{
    textureList.Free();
}

void ParticleParser::LoadTextureList()
{
    textureList.Clear();
    FILE* file = OpenDataFile(TEXTURE_LIST_PATH, "rb");
    if (!file) return;
    std::vector<char> text;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) text.insert(text.end(), chunk, chunk + got);
    fclose(file);
    text.push_back(0);

    cursor_ = text.data();
    int index = 0;
    for (char* token = NextToken(); token && strcmp(token, "END_OF_FILE") != 0; token = NextToken()) {
        ParticleTextureName entry;
        memset(&entry, 0, sizeof entry);
        CopyText(entry.name, sizeof entry.name, token);
        if (char* dot = strchr(entry.name, '.')) *dot = 0;
        entry.index = index++;
        if (!textureList.PushBack(entry)) break;
    }
    cursor_ = nullptr;
}

char* ParticleParser::NextToken()
{
    if (!cursor_) return nullptr;
    while (*cursor_ && IsSeparator(*cursor_)) ++cursor_;
    if (!*cursor_) return nullptr;
    char* start = cursor_;
    while (*cursor_ && !IsSeparator(*cursor_)) ++cursor_;
    if (*cursor_) *cursor_++ = 0;
    return start;
}

float ParticleParser::NextFloat()
{
    const char* token = NextToken();
    return token ? (float)atof(token) : 0.0f;
}

int ParticleParser::NextInt()
{
    const char* token = NextToken();
    return token ? atoi(token) : 0;
}

void ParticleParser::ParseBlendMode(uint16_t* blend)
{
    const char* token = NextToken();
    if (!token) return;
    for (int i = 0; i < (int)(sizeof BLEND_NAMES / sizeof BLEND_NAMES[0]); ++i)
        if (strcmp(BLEND_NAMES[i], token) == 0) *blend = (uint16_t)(i + 1);
}

char* ParticleParser::ParseDefinition(char* text, ParticleSystem* record)
{
    if (!text || !record) return nullptr;
    cursor_ = text;
    record->effectId = -1;
    auto readVector = [this](Vec3& v) {
        v.x = NextFloat();
        v.y = NextFloat();
        v.z = NextFloat();
    };
    auto readColour = [this](float* c) {
        c[0] = NextFloat() / 255.0f;
        c[1] = NextFloat() / 255.0f;
        c[2] = NextFloat() / 255.0f;
        c[3] = NextFloat() * 0.0078125f;
    };
    // A flag keyword can only set its flag, and only with the value 1.
    auto readFlag = [this, record](uint32_t flag) {
        if (NextInt() == 1) record->flags |= flag;
    };

    for (char* token = NextToken(); token; token = NextToken()) {
        switch (FindAttribute(token)) {
        case A_PARTICLE: {
            const char* name = NextToken();
            CopyText(record->name, sizeof record->name, name ? name : "");
            break;
        }
        case A_VERSION:
        case A_PARTICLE_COLLISION:
        case A_PARTICLE_FAKE_COLLISION:
        case A_PARTICLE_USE_COLLISION_NORMAL:
        case A_PARTICLE_STATE:
        case A_BEGIN_PARTICLE:
            break;
        case A_POSITION: readVector(record->position); break;
        case A_FORCE: readVector(record->force); break;
        case A_DIRECTION: readVector(record->direction); break;
        case A_AREA: readVector(record->area); break;
        case A_PITCH: record->pitch = NextFloat(); break;
        case A_PITCH_CHANGE: record->pitchChange = NextFloat(); break;
        case A_YAW: record->yaw = NextFloat(); break;
        case A_YAW_CHANGE: record->yawChange = NextFloat(); break;
        case A_SPEED: record->speed = NextFloat(); break;
        case A_SPEED_CHANGE: record->speedChange = NextFloat(); break;
        case A_RATE: record->rate = NextFloat(); break;
        case A_RATE_CHANGE: record->rateChange = NextFloat(); break;
        case A_LIFETIME: record->lifetime = NextFloat(); break;
        case A_SIZE: record->size = NextFloat(); break;
        case A_SIZE_CHANGE: record->sizeChange = NextFloat(); break;
        case A_SIZE_RATIO: record->sizeRatio = NextFloat(); break;
        case A_COLOR: readColour(record->colour); break;
        case A_COLOR_MID: readColour(record->colourMid); break;
        case A_COLOR_END: readColour(record->colourEnd); break;
        case A_MID_PERCENT: record->midPercent = NextFloat(); break;
        case A_ROTATION: record->rotation = NextFloat(); break;
        case A_ROTATION_CHANGE: record->rotationChange = NextFloat(); break;
        case A_MAX_COUNT: record->maxCount = NextInt(); break;
        case A_TEXTURE_ID: NextToken(); break;
        case A_Y_FAKE_COLLISION: record->yFakeCollision = NextFloat(); break;
        case A_RANDOM_SCALE: record->randomScale = NextFloat(); break;
        case A_EMISSION_TIME: record->emissionTime = NextFloat(); break;
        case A_RANDOM_ROTATION: record->randomRotation = NextFloat(); break;
        case A_EFFECT_ID: record->effectId = NextInt(); break;
        case A_USE_DIRECTION: readFlag(PARTICLE_USE_DIRECTION); break;
        case A_HEIGHTMAP_COLLISION: readFlag(PARTICLE_HEIGHTMAP_COLLISION); break;
        case A_AUTO_Y_HEIGHT_OFF: readFlag(PARTICLE_AUTO_Y_HEIGHT_OFF); break;
        case A_PARTICLE_LOCKED: readFlag(PARTICLE_LOCKED); break;
        case A_RENDER_ALPHA: readFlag(PARTICLE_RENDER_ALPHA); break;
        case A_RADIAL_DIR: readFlag(PARTICLE_RADIAL_DIR); break;
        case A_SMOOTH_LERP: readFlag(PARTICLE_SMOOTH_LERP); break;
        case A_TEXTURE_NAME: {
            const char* file = NextToken();
            if (file) {
                char path[MAX_PATH_TEXT];
                snprintf(path, sizeof path, "Data/textures/effects/%s", file);
                record->texture = Textures ? Textures->GetTexture(path) : nullptr;
            }
            break;
        }
        case A_SOURCE_BLEND: ParseBlendMode(&record->sourceBlend); break;
        case A_DEST_BLEND: ParseBlendMode(&record->destBlend); break;
        case A_EMIT_TYPE: {
            const char* type = NextToken();
            for (int i = 0; type && i < (int)(sizeof EMIT_TYPES / sizeof EMIT_TYPES[0]); ++i)
                if (StrICmp(EMIT_TYPES[i], type) == 0) record->emitType = i;
            break;
        }
        case A_RENDER_TYPE: {
            const char* type = NextToken();
            if (type && strcmp(type, "PARTICLE_DEFAULT_RENDERER") != 0 &&
                strcmp(type, "PARTICLE_DIRECTIONAL_RENDERER") != 0 &&
                strcmp(type, "PARTICLE_MUZZLEFLASH_RENDERER") != 0)
                printf("ERROR: %s unknown renderer type\n", type);
            break;
        }
        case A_END_PARTICLE: {
            NextToken();
            char* rest = cursor_ && *cursor_ ? cursor_ : nullptr;
            cursor_ = nullptr;
            return rest;
        }
        case A_END_OF_FILE:
            cursor_ = nullptr;
            return nullptr;
        default:
            printf("ERROR: %s is not a valid particle attribute\n", token);
            break;
        }
    }
    cursor_ = nullptr;
    return nullptr;
}

bool ParticleParser::LoadFile(const char* path, ParticleSystem* record)
{
    FILE* file = path ? OpenDataFile(path, "rb") : nullptr;
    if (!file) return false;
    std::vector<char> text;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) text.insert(text.end(), chunk, chunk + got);
    fclose(file);
    text.resize(text.size() + 4, 0);
    ParseDefinition(text.data(), record);
    return true;
}
