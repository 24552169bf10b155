#include "render/ParticleParser.h"

#include "host/Lexer.h"
#include "host/System.h"
#include "platform/Files.h"
#include "render/ParticleSystem.h"
#include "render/TextureManager.h"

#include <cfloat>
#include <cstdio>
#include <cstring>
#include <string>

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

// Particles per second a definition may ask for. The emitter turns the rate into a whole number
// of particles each step; far beyond this it would not fit an int, and an emitter holds at most
// a hundred particles anyway.
constexpr float MAX_PARTICLE_RATE = 100000.0f;

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
    std::string text;
    ReadFileText(file, &text);
    fclose(file);

    Lexer in(text.data(), text.size(), PARTICLE_RULES, "particletextures.txt");
    int index = 0;
    for (const char* token = in.Next(); token && strcmp(token, "END_OF_FILE") != 0; token = in.Next()) {
        ParticleTextureName entry;
        memset(&entry, 0, sizeof entry);
        CopyText(entry.name, sizeof entry.name, token);
        if (char* dot = strchr(entry.name, '.')) *dot = 0;
        entry.index = index++;
        if (!textureList.PushBack(entry)) break;
    }
}

void ParticleParser::ParseBlendMode(Lexer& in, uint16_t* blend)
{
    const char* token = in.Next();
    if (!token) return;
    for (int i = 0; i < (int)(sizeof BLEND_NAMES / sizeof BLEND_NAMES[0]); ++i)
        if (strcmp(BLEND_NAMES[i], token) == 0) *blend = (uint16_t)(i + 1);
}

char* ParticleParser::ParseDefinition(char* text, ParticleSystem* record, const char* source)
{
    if (!text || !record) return nullptr;
    Lexer in(text, PARTICLE_RULES, source ? source : "particle definition");
    record->effectId = -1;
    // Bad numbers read as 0, and are logged with their keyword and line.
    auto number = [&in](const char* keyword, float low = -FLT_MAX, float high = FLT_MAX) {
        float value = 0.0f;
        in.ReadFloat(keyword, &value, low, high);
        return value;
    };
    auto integer = [&in](const char* keyword) {
        int value = 0;
        in.ReadInt(keyword, &value);
        return value;
    };
    auto readVector = [&number](const char* keyword, Vec3& v) {
        v.x = number(keyword);
        v.y = number(keyword);
        v.z = number(keyword);
    };
    auto readColour = [&number](const char* keyword, float* c) {
        c[0] = number(keyword) / 255.0f;
        c[1] = number(keyword) / 255.0f;
        c[2] = number(keyword) / 255.0f;
        c[3] = number(keyword) * 0.0078125f;
    };
    // A flag keyword can only set its flag, and only with the value 1.
    auto readFlag = [&integer, record](const char* keyword, uint32_t flag) {
        if (integer(keyword) == 1) record->flags |= flag;
    };

    for (const char* token = in.Next(); token; token = in.Next()) {
        int attribute = FindAttribute(token);
        const char* keyword = attribute >= 0 ? ATTRIBUTES[attribute] : token;
        switch (attribute) {
        case A_PARTICLE: {
            const char* name = in.Next();
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
        case A_POSITION: readVector(keyword, record->position); break;
        case A_FORCE: readVector(keyword, record->force); break;
        case A_DIRECTION: readVector(keyword, record->direction); break;
        case A_AREA: readVector(keyword, record->area); break;
        case A_PITCH: record->pitch = number(keyword); break;
        case A_PITCH_CHANGE: record->pitchChange = number(keyword); break;
        case A_YAW: record->yaw = number(keyword); break;
        case A_YAW_CHANGE: record->yawChange = number(keyword); break;
        case A_SPEED: record->speed = number(keyword); break;
        case A_SPEED_CHANGE: record->speedChange = number(keyword); break;
        case A_RATE: record->rate = number(keyword, -MAX_PARTICLE_RATE, MAX_PARTICLE_RATE); break;
        case A_RATE_CHANGE: record->rateChange = number(keyword, -MAX_PARTICLE_RATE, MAX_PARTICLE_RATE); break;
        case A_LIFETIME: record->lifetime = number(keyword); break;
        case A_SIZE: record->size = number(keyword); break;
        case A_SIZE_CHANGE: record->sizeChange = number(keyword); break;
        case A_SIZE_RATIO: record->sizeRatio = number(keyword); break;
        case A_COLOR: readColour(keyword, record->colour); break;
        case A_COLOR_MID: readColour(keyword, record->colourMid); break;
        case A_COLOR_END: readColour(keyword, record->colourEnd); break;
        case A_MID_PERCENT: record->midPercent = number(keyword); break;
        case A_ROTATION: record->rotation = number(keyword); break;
        case A_ROTATION_CHANGE: record->rotationChange = number(keyword); break;
        case A_MAX_COUNT: record->maxCount = integer(keyword); break;
        case A_TEXTURE_ID: in.Next(); break;
        case A_Y_FAKE_COLLISION: record->yFakeCollision = number(keyword); break;
        case A_RANDOM_SCALE: record->randomScale = number(keyword); break;
        case A_EMISSION_TIME: record->emissionTime = number(keyword); break;
        case A_RANDOM_ROTATION: record->randomRotation = number(keyword); break;
        case A_EFFECT_ID: record->effectId = integer(keyword); break;
        case A_USE_DIRECTION: readFlag(keyword, PARTICLE_USE_DIRECTION); break;
        case A_HEIGHTMAP_COLLISION: readFlag(keyword, PARTICLE_HEIGHTMAP_COLLISION); break;
        case A_AUTO_Y_HEIGHT_OFF: readFlag(keyword, PARTICLE_AUTO_Y_HEIGHT_OFF); break;
        case A_PARTICLE_LOCKED: readFlag(keyword, PARTICLE_LOCKED); break;
        case A_RENDER_ALPHA: readFlag(keyword, PARTICLE_RENDER_ALPHA); break;
        case A_RADIAL_DIR: readFlag(keyword, PARTICLE_RADIAL_DIR); break;
        case A_SMOOTH_LERP: readFlag(keyword, PARTICLE_SMOOTH_LERP); break;
        case A_TEXTURE_NAME: {
            const char* file = in.Next();
            if (file) {
                char path[MAX_PATH_TEXT];
                snprintf(path, sizeof path, "Data/textures/effects/%s", file);
                record->texture = Textures ? Textures->GetTexture(path) : nullptr;
            }
            break;
        }
        case A_SOURCE_BLEND: ParseBlendMode(in, &record->sourceBlend); break;
        case A_DEST_BLEND: ParseBlendMode(in, &record->destBlend); break;
        case A_EMIT_TYPE: {
            const char* type = in.Next();
            for (int i = 0; type && i < (int)(sizeof EMIT_TYPES / sizeof EMIT_TYPES[0]); ++i)
                if (StrICmp(EMIT_TYPES[i], type) == 0) record->emitType = i;
            break;
        }
        case A_RENDER_TYPE: {
            const char* type = in.Next();
            if (type && strcmp(type, "PARTICLE_DEFAULT_RENDERER") != 0 &&
                strcmp(type, "PARTICLE_DIRECTIONAL_RENDERER") != 0 &&
                strcmp(type, "PARTICLE_MUZZLEFLASH_RENDERER") != 0)
                printf("ERROR: %s unknown renderer type\n", type);
            break;
        }
        case A_END_PARTICLE: {
            // The word after the end marker goes with it; the next definition starts after the
            // blank that follows.
            in.Next();
            size_t at = in.Offset();
            size_t size = strlen(text);
            if (at < size) ++at;
            return at < size ? text + at : nullptr;
        }
        case A_END_OF_FILE:
            return nullptr;
        default:
            printf("ERROR: %s is not a valid particle attribute\n", token);
            break;
        }
    }
    return nullptr;
}

bool ParticleParser::LoadFile(const char* path, ParticleSystem* record)
{
    FILE* file = path ? OpenDataFile(path, "rb") : nullptr;
    if (!file) return false;
    std::string text;
    ReadFileText(file, &text);
    fclose(file);
    char name[MAX_PATH_TEXT];
    GetFileName(path, name);
    ParseDefinition(&text[0], record, name);
    return true;
}
