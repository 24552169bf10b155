#pragma once
// The one configuration object: defaults, then data/config.cfg, data/fonts.cfg, the user's
// settings.cfg and the command line, each overriding the one before. The options window
// changes fields and rewrites settings.cfg with SaveSettings. The same keyword reader reads
// the key bindings of hotkeys.cfg.
#include "platform/Hotkeys.h"

#include <cstddef>

// Font slots of data/fonts.cfg, in the order the game makes its fonts from them.
enum FontSlotId {
    FONT_DEFAULT = 0,
    FONT_SMALL,
    FONT_LARGE,
    FONT_INTERFACE,
    FONT_INTERFACE_SMALL,
    FONT_CONSOLE,
    FONT_SLOT_COUNT
};

struct FontSlot {
    char face[64];
    int size;
};

class ConfigFile {
public:
    // Sets the defaults (the screen size from the desktop's current mode) and reads path.
    // Every reading here costs the file's size while it is read: values land in fixed fields.
    explicit ConfigFile(const char* path);

    // Reads a fonts file (data/fonts.cfg when path is null); logged when it cannot be opened.
    void LoadFonts(const char* path);
    // Reads the user's settings.cfg, writing it from the current values first when missing.
    void LoadSettings();
    // Rewrites the user's settings.cfg in full.
    void SaveSettings();
    // The keyword reader over one whole file's text (the text is not changed). A value that is
    // not a number, or out of its key's range, is logged with its line; an unknown key too.
    void Read(char* text);

    // Key bindings (hotkeys.cfg). Null paths mean data/hotkeys.cfg. A missing file to load
    // leaves the bindings as they are.
    void LoadHotkeys(const char* path);
    void SaveHotkeys(const char* path);
    // The key name bound to a command ("a", "ctrl_1", "space", "F2"), wrapped as "(%s)" with
    // parentheses. The name is compared exactly; false when the command has no key.
    bool FindHotkey(const char* command, char* out, bool parentheses, size_t outSize = 32) const;
    // Binds a key token of a keyboard_map line to a registered command; false when either is
    // not understood (the line is then ignored).
    bool BindHotkey(const char* key, const char* command);

    // Path of the user's settings file.
    static void GetSettingsPath(char* out, size_t size);

    char game[128];
    char scenefile[128];
    char musicfile[128];
    char screenshotFormat[32];
    char currentprofile[32];  // "#" while no profile has been chosen
    FontSlot fonts[FONT_SLOT_COUNT];
    int width;
    int height;
    // A resolution chosen in the options window; it takes effect at the next start. -1 when none.
    int pendingWidth;
    int pendingHeight;
    int shadowMapSize;
    int glowSize;
    int glowQuality;
    float near;
    float far;
    float animUpdateDistance;
    float scrollSpeed;
    float mouseSpeed;
    float minZoom;
    float maxZoom;
    float zoomSpeed;
    int lostDeviceRetryCount;
    int SoundVolume;  // tenths of full volume
    int MusicVolume;  // tenths of full volume
    int Difficulty;
    int MaxUnitControl;
    float DamageAdjust;
    float unitSpeed;
    HotkeyEntry characterKeys[HOTKEY_CHARACTER_KEYS];
    HotkeyEntry functionKeys[HOTKEY_FUNCTION_KEYS];
    int antiAliasingSamples;
    int shadowType;
    bool fullscreen;
    bool lights;
    bool shadows;
    bool filterShadows;
    bool terrainColor;
    bool playanimation;
    bool music;
    bool messageBoxErrors;
    bool mainMenuEnabled;
    bool highResTimer;
    bool terrainSelfShadow;
    bool vsync;
    bool editTerrain;
    bool antiAliasing;
    bool reflections;
    bool weatherFX;
    bool glows;
    bool skipLogos;
    bool useLowResTextures;
    bool middleMousePans;
    bool smoothZoom;
    bool terrainDetail;
    bool buildingSplats;
    bool showHealthBars;
    bool debugMode;
    bool showGameTime;
    bool showClock;
    bool showFPS;
    bool showObjectiveIcons;

private:
    // Reads a whole file into the keyword reader; false when it cannot be opened.
    bool ReadFile(const char* path, bool dataFile);
    void ReadText(const char* text, size_t size, const char* name);
    // Limits that hold for a whole file rather than for one value.
    void ApplyFileLimits(const char* path);
    void DefineFont(const char* slot, const char* face, int size);
};

extern ConfigFile* Config;
