#include "platform/ConfigFile.h"

#include "host/Display.h"
#include "host/Log.h"
#include "host/System.h"
#include "platform/Files.h"
#include "platform/SoundManager.h"
#include "platform/UserFolders.h"

#include "host/Lexer.h"

#include <cfloat>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

ConfigFile* Config = nullptr;

namespace {

enum class KeyKind { Bool, Int, Float, Text };

struct ConfigKey {
    const char* name;
    KeyKind kind;
    size_t offset;
    size_t size;  // text fields: buffer size
    bool clamped;
    float low;
    float high;
};

#define CONFIG_KEY(field, kind) {#field, kind, offsetof(ConfigFile, field), sizeof(ConfigFile::field), false, 0, 0}
#define CONFIG_RANGE(field, kind, lo, hi) {#field, kind, offsetof(ConfigFile, field), sizeof(ConfigFile::field), true, lo, hi}

const ConfigKey ConfigKeys[] = {
    CONFIG_KEY(fullscreen, KeyKind::Bool),
    CONFIG_KEY(lights, KeyKind::Bool),
    CONFIG_KEY(shadows, KeyKind::Bool),
    CONFIG_KEY(filterShadows, KeyKind::Bool),
    CONFIG_KEY(terrainColor, KeyKind::Bool),
    CONFIG_KEY(playanimation, KeyKind::Bool),
    CONFIG_KEY(music, KeyKind::Bool),
    CONFIG_KEY(messageBoxErrors, KeyKind::Bool),
    CONFIG_KEY(mainMenuEnabled, KeyKind::Bool),
    CONFIG_KEY(highResTimer, KeyKind::Bool),
    CONFIG_KEY(terrainSelfShadow, KeyKind::Bool),
    CONFIG_KEY(vsync, KeyKind::Bool),
    CONFIG_KEY(editTerrain, KeyKind::Bool),
    CONFIG_KEY(antiAliasing, KeyKind::Bool),
    CONFIG_KEY(reflections, KeyKind::Bool),
    CONFIG_KEY(weatherFX, KeyKind::Bool),
    CONFIG_KEY(glows, KeyKind::Bool),
    CONFIG_KEY(skipLogos, KeyKind::Bool),
    CONFIG_KEY(useLowResTextures, KeyKind::Bool),
    CONFIG_KEY(middleMousePans, KeyKind::Bool),
    CONFIG_KEY(smoothZoom, KeyKind::Bool),
    CONFIG_KEY(terrainDetail, KeyKind::Bool),
    CONFIG_KEY(buildingSplats, KeyKind::Bool),
    CONFIG_KEY(showHealthBars, KeyKind::Bool),
    CONFIG_KEY(debugMode, KeyKind::Bool),
    CONFIG_KEY(showGameTime, KeyKind::Bool),
    CONFIG_KEY(showClock, KeyKind::Bool),
    CONFIG_KEY(showFPS, KeyKind::Bool),
    CONFIG_KEY(showObjectiveIcons, KeyKind::Bool),
    // No display the game runs on is smaller or larger; a window of millions of pixels a side
    // cannot be made, and the game would not start until the file was mended by hand.
    CONFIG_RANGE(width, KeyKind::Int, 640, 8192),
    CONFIG_RANGE(height, KeyKind::Int, 480, 8192),
    CONFIG_KEY(glowSize, KeyKind::Int),
    CONFIG_KEY(glowQuality, KeyKind::Int),
    CONFIG_KEY(shadowType, KeyKind::Int),
    CONFIG_RANGE(SoundVolume, KeyKind::Int, 0, 10),  // tenths of full volume
    CONFIG_RANGE(MusicVolume, KeyKind::Int, 0, 10),
    CONFIG_KEY(lostDeviceRetryCount, KeyKind::Int),
    CONFIG_KEY(shadowMapSize, KeyKind::Int),
    CONFIG_RANGE(Difficulty, KeyKind::Int, 0, 2),
    CONFIG_RANGE(MaxUnitControl, KeyKind::Int, 10, 100),
    CONFIG_RANGE(antiAliasingSamples, KeyKind::Int, 0, 16),
    CONFIG_KEY(near, KeyKind::Float),
    CONFIG_KEY(far, KeyKind::Float),
    CONFIG_KEY(animUpdateDistance, KeyKind::Float),
    // The speeds are far wider than the options window's steps (a hand-edited file may go past
    // them), but stay within what the window can show and the camera can move.
    CONFIG_RANGE(scrollSpeed, KeyKind::Float, -1000.0f, 1000.0f),
    CONFIG_RANGE(mouseSpeed, KeyKind::Float, -10.0f, 10.0f),
    CONFIG_RANGE(zoomSpeed, KeyKind::Float, -1000.0f, 1000.0f),
    CONFIG_KEY(minZoom, KeyKind::Float),
    CONFIG_KEY(maxZoom, KeyKind::Float),
    CONFIG_RANGE(DamageAdjust, KeyKind::Float, 0.1f, 0.9f),
    CONFIG_RANGE(unitSpeed, KeyKind::Float, 0.1f, 4.0f),
    CONFIG_KEY(scenefile, KeyKind::Text),
    CONFIG_KEY(musicfile, KeyKind::Text),
    CONFIG_KEY(game, KeyKind::Text),
    CONFIG_KEY(screenshotFormat, KeyKind::Text),
    CONFIG_KEY(currentprofile, KeyKind::Text),
};

#undef CONFIG_KEY
#undef CONFIG_RANGE

const char* const FontSlotNames[FONT_SLOT_COUNT] = {"default", "small", "large", "interface", "interfacesmall", "console"};

const ConfigKey* FindConfigKey(const char* token)
{
    for (const ConfigKey& key : ConfigKeys)
        if (StrICmp(key.name, token) == 0) return &key;
    return nullptr;
}

// Booleans: 1 (any integer other than 1 is false), "true" or "on"; "false" and "off" are the
// other words a file may use. Anything else is read as false and logged.
bool ReadBool(const Lexer& in, const char* key, const char* token)
{
    int number = 0;
    if (in.ToInt(token, &number) == NumberStatus::OK) return number == 1;
    if (StrICmp(token, "true") == 0 || StrICmp(token, "on") == 0) return true;
    if (StrICmp(token, "false") != 0 && StrICmp(token, "off") != 0)
        in.Warn(in.Line(), "%s value '%.48s' is not a boolean, false is used", key, token);
    return false;
}

const char* BoolText(bool value)
{
    return value ? "true" : "false";
}

// A text value is written back in double quotes, which the reader cannot escape: a quote in
// it would open a text that runs over the lines below. Such quotes are dropped as it is read.
void ReadTextValue(const Lexer& in, const char* key, const char* value, char* field, size_t size)
{
    std::string text = value;
    size_t quotes = 0;
    for (size_t at = text.find('"'); at != std::string::npos; at = text.find('"', at)) {
        text.erase(at, 1);
        ++quotes;
    }
    if (quotes > 0) in.Warn(in.Line(), "%s value '%.48s' may not hold a double quote, '%.48s' is used", key, value, text.c_str());
    CopyText(field, size, text.c_str());
}

// A text as the reader reads it back as one value: quoted when it is empty, holds a blank or
// would be read bare as a comment's edge or the end of the file, which would take the lines
// below it with it.
std::string TextValue(const char* text)
{
    bool plain = text && *text && !strpbrk(text, " \t\r\n\v\f");
    for (const char* marker : {"/*", "*/", "EOF", "END_OF_FILE"}) plain = plain && StrICmp(text, marker) != 0;
    return plain ? std::string(text) : "\"" + std::string(text ? text : "") + "\"";
}

bool IsPowerOfTwoValue(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

}  // namespace

ConfigFile::ConfigFile(const char* path)
{
    CopyText(game, sizeof game, "Veldmark");
    CopyText(scenefile, sizeof scenefile, "none");
    CopyText(musicfile, sizeof musicfile, "none");
    CopyText(screenshotFormat, sizeof screenshotFormat, "png");
    CopyText(currentprofile, sizeof currentprofile, "#");
    const FontSlot defaultFonts[FONT_SLOT_COUNT] = {
        {"Arial Bold", 12}, {"Arial Bold", 10}, {"Arial Bold", 14},
        {"Arial", 10},      {"Arial Bold", 8},  {"Courier New", 12},
    };
    for (int i = 0; i < FONT_SLOT_COUNT; ++i) fonts[i] = defaultFonts[i];
    width = 1280;
    height = 1024;
    GetDesktopDisplaySize(&width, &height);
    pendingWidth = -1;
    pendingHeight = -1;
    shadowMapSize = 512;
    glowSize = 256;
    glowQuality = 1;
    near = 0.1f;
    far = 500.0f;
    animUpdateDistance = 20.0f;
    scrollSpeed = 30.0f;
    mouseSpeed = 1.0f;
    minZoom = 20.0f;
    maxZoom = 75.0f;
    zoomSpeed = 20.0f;
    lostDeviceRetryCount = 4;
    SoundVolume = 5;
    MusicVolume = 5;
    Difficulty = 1;
    MaxUnitControl = 50;
    DamageAdjust = 0.15f;
    unitSpeed = 1.1f;
    memset(characterKeys, 0, sizeof characterKeys);
    memset(functionKeys, 0, sizeof functionKeys);
    antiAliasingSamples = 4;
    shadowType = 0;
    fullscreen = false;
    lights = true;
    shadows = true;
    filterShadows = true;
    terrainColor = true;
    playanimation = true;
    music = true;
    messageBoxErrors = true;
    mainMenuEnabled = true;
    highResTimer = true;
    terrainSelfShadow = false;
    vsync = true;
    editTerrain = false;
    antiAliasing = false;
    reflections = true;
    weatherFX = true;
    glows = true;
    skipLogos = false;
    useLowResTextures = false;
    middleMousePans = true;
    smoothZoom = true;
    terrainDetail = true;
    buildingSplats = true;
    showHealthBars = false;
    debugMode = false;
    showGameTime = false;
    showClock = false;
    showFPS = false;
    showObjectiveIcons = true;

    if (!ReadFile(path, true)) Log("ERROR ConfigFile::ConfigFile could not open %s\n", path ? path : "(none)");
    ApplyFileLimits(path);
}

bool ConfigFile::ReadFile(const char* path, bool dataFile)
{
    if (!path) return false;
    FILE* file = dataFile ? OpenDataFile(path, "rb") : OpenFile(path, "rb");
    if (!file) return false;
    std::string text;
    ReadFileText(file, &text);
    fclose(file);
    char name[MAX_PATH_TEXT];
    GetFileName(path, name);
    ReadText(text.data(), text.size(), name);
    return true;
}

void ConfigFile::ApplyFileLimits(const char* path)
{
    int size = shadowMapSize < 256 ? 256 : shadowMapSize > 2048 ? 2048 : shadowMapSize;
    if (size != shadowMapSize)
        Log("WARNING: %s: shadowMapSize %d is outside 256..2048, %d is used\n", path ? path : "", shadowMapSize, size);
    shadowMapSize = size;
    if (!IsPowerOfTwoValue(glowSize)) {
        Log("WARNING: %s: glowSize %d is not a power of two, 256 is used\n", path ? path : "", glowSize);
        glowSize = 256;
    }
}

void ConfigFile::LoadFonts(const char* path)
{
    if (!path) path = "data/fonts.cfg";
    if (!ReadFile(path, true)) Log("ERROR ConfigFile::ConfigFile could not open %s\n", path);
    ApplyFileLimits(path);
}

void ConfigFile::GetSettingsPath(char* out, size_t size)
{
    snprintf(out, size, "%s/settings.cfg", UserFolder);
}

void ConfigFile::LoadSettings()
{
    char path[512];
    GetSettingsPath(path, sizeof path);
    FileStatus status;
    if (GetFileStatus(path, status) != 0) SaveSettings();
    if (!ReadFile(path, false)) Log("ERROR ConfigFile::ConfigFile could not open %s\n", path);
    ApplyFileLimits(path);
}

void ConfigFile::SaveSettings()
{
    char path[512];
    GetSettingsPath(path, sizeof path);
    FILE* file = fopen(path, "wb");
    if (!file) {
        Log("ERROR opening file %s for WRITING\n", path);
        return;
    }
    fprintf(file, "/*\nConfig File\t\t\t%s\n*/\n\n", path);
    fprintf(file, "fullscreen\t\t\t\t\t%s\n", BoolText(fullscreen));
    fprintf(file, "currentprofile\t\t\"%s\"\n", currentprofile);
    fprintf(file, "scrollSpeed\t\t\t\t\t%.1f\n", scrollSpeed);
    fprintf(file, "mouseSpeed\t\t\t\t\t%.1f\n", mouseSpeed);
    fprintf(file, "zoomSpeed\t\t\t\t\t\t%.1f\n", zoomSpeed);
    fprintf(file, "Difficulty\t\t\t\t\t%d\n", Difficulty);
    fprintf(file, "middleMousePans\t\t\t\t%s\n", BoolText(middleMousePans));
    fprintf(file, "smoothZoom\t\t\t\t\t%s\n", BoolText(smoothZoom));
    fprintf(file, "showHealthBars\t\t\t\t%s\n", BoolText(showHealthBars));
    fprintf(file, "showGameTime\t\t\t\t\t%s\n", BoolText(showGameTime));
    fprintf(file, "showClock\t\t\t\t\t\t%s\n", BoolText(showClock));
    fprintf(file, "showFPS\t\t\t\t\t\t%s\n", BoolText(showFPS));
    fprintf(file, "showObjectiveIcons\t\t\t%s\n", BoolText(showObjectiveIcons));
    // The sound manager holds the volume the player last set; without a working one (no sound
    // device) the configured volume is kept rather than lost from the file.
    float volume = SoundMgr && SoundMgr->IsEnabled() ? SoundMgr->GetVolume() * 10.0f : static_cast<float>(SoundVolume);
    fprintf(file, "SoundVolume\t\t\t\t\t%.0f\n", volume);
    fprintf(file, "music\t\t\t\t\t\t\t\t%s\n", BoolText(music));
    fprintf(file, "MusicVolume\t\t\t\t\t%d\n", MusicVolume);
    bool pending = pendingWidth > 0 && pendingHeight > 0;
    fprintf(file, "width\t\t\t\t\t\t\t%d\n", pending ? pendingWidth : width);
    fprintf(file, "height\t\t\t\t\t\t%d\n", pending ? pendingHeight : height);
    fprintf(file, "shadows\t\t\t\t\t\t%s\n", BoolText(shadows));
    fprintf(file, "shadowMapSize\t\t\t\t\t%d\n", shadowMapSize);
    fprintf(file, "glows\t\t\t\t\t\t\t%s\n", BoolText(glows));
    fprintf(file, "glowQuality\t\t\t\t\t%d\n", glowQuality);
    fprintf(file, "glowSize\t\t\t\t\t\t%d\n", glowSize);
    fprintf(file, "useLowResTextures\t\t\t\t%s\n", BoolText(useLowResTextures));
    fprintf(file, "terrainDetail\t\t\t\t\t%s\n", BoolText(terrainDetail));
    fprintf(file, "buildingSplats\t\t\t\t%s\n", BoolText(buildingSplats));
    fprintf(file, "reflections\t\t\t\t\t%s\n", BoolText(reflections));
    fprintf(file, "weatherFX\t\t\t\t\t\t%s\n", BoolText(weatherFX));
    fprintf(file, "vsync\t\t\t\t\t\t\t%s\n", BoolText(vsync));
    fprintf(file, "antiAliasing\t\t\t\t\t%s\n", BoolText(antiAliasing));
    fprintf(file, "antiAliasingSamples\t\t\t%d\n", antiAliasingSamples);
    fprintf(file, "screenshotFormat\t\t\t\t%s\n", TextValue(screenshotFormat).c_str());
    if (debugMode) fprintf(file, "debugMode\t\t\t\t\t%s\n", "true");
    fprintf(file, "\nEOF\n");
    fclose(file);
}

void ConfigFile::DefineFont(const char* slot, const char* face, int size)
{
    if (size <= 0) return;
    for (int i = 0; i < FONT_SLOT_COUNT; ++i) {
        if (StrICmp(slot, FontSlotNames[i]) != 0) continue;
        CopyText(fonts[i].face, sizeof fonts[i].face, face);
        fonts[i].size = size;
        return;
    }
}

void ConfigFile::Read(char* text)
{
    if (text) ReadText(text, strlen(text), "config");
}

void ConfigFile::ReadText(const char* text, size_t size, const char* name)
{
    Lexer in(text, size, CONFIG_RULES, name);
    int unknownLine = 0;
    for (const char* token = in.Next(); token; token = in.Next()) {
        if (in.Is(token, "DefineFont")) {
            std::string slot = in.NextValue();
            std::string face = in.NextValue();
            int size = 0;
            in.ReadInt("DefineFont", &size);
            if (in.CutShort()) break;
            DefineFont(slot.c_str(), face.c_str(), size);
            continue;
        }
        if (in.Is(token, "keyboard_map")) {
            std::string key = in.NextValue();
            std::string command = in.NextValue();
            if (in.CutShort()) break;
            BindHotkey(key.c_str(), command.c_str());
            continue;
        }
        const ConfigKey* key = FindConfigKey(token);
        if (!key) {
            // The words after an unknown key are skipped one by one; one warning a line will do.
            if (in.Line() != unknownLine) in.Warn(in.Line(), "unknown key '%.48s'", token);
            unknownLine = in.Line();
            continue;
        }
        char* field = reinterpret_cast<char*>(this) + key->offset;
        switch (key->kind) {
        case KeyKind::Bool: {
            const char* value = in.NextValue();
            if (in.CutShort()) break;
            *reinterpret_cast<bool*>(field) = ReadBool(in, key->name, value);
            break;
        }
        case KeyKind::Int: {
            int low = key->clamped ? static_cast<int>(key->low) : INT_MIN;
            int high = key->clamped ? static_cast<int>(key->high) : INT_MAX;
            int number = 0;
            in.ReadInt(key->name, &number, low, high);
            if (!in.CutShort()) *reinterpret_cast<int*>(field) = number;
            break;
        }
        case KeyKind::Float: {
            float low = key->clamped ? key->low : -FLT_MAX;
            float high = key->clamped ? key->high : FLT_MAX;
            float number = 0.0f;
            in.ReadFloat(key->name, &number, low, high);
            if (!in.CutShort()) *reinterpret_cast<float*>(field) = number;
            break;
        }
        case KeyKind::Text: {
            const char* value = in.NextValue();
            if (!in.CutShort()) ReadTextValue(in, key->name, value, field, key->size);
            break;
        }
        }
        if (in.CutShort()) break;  // a key without its value ends the reading
    }
    // Reading stops at the end marker; what a player wrote below it would be silently lost.
    if (in.Ended()) {
        size_t at = in.Offset();
        int line = 1;
        for (size_t i = 0; i < at && i < size; ++i) line += text[i] == '\n';
        while (at < size && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n')) {
            line += text[at] == '\n';
            ++at;
        }
        if (at < size && text[at] != '\0')
            Log("WARNING: %s line %d: the text after the end marker is ignored (settings go above it)\n", name, line);
    }
}
