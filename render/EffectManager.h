#pragma once
// The effect manager: one Effect record per effect file and variant, made on first request and
// compiled from the shader package "data/shaders.pkb" (or from loose files under data/shaders/)
// with the macros the graphics settings choose and the shared include "shared.fxh".
//
// A file that does not compile is reported (an error box, the log, the last-error text) and
// replaced in its record by "data/shaders/flat.fx"; a record whose fallback fails too has no
// effect and drawing code skips it. The Scene creates the manager, which enters itself in the
// graphics device's lost-device lists (ReleaseAll before a reset, RestoreAll after it) and
// leaves them when deleted; of several managers, the latest made is the one listed.
#include "platform/PooledList.h"
#include "render/DeviceListing.h"
#include "render/Effect.h"

#include <memory>
#include <string>
#include <vector>

class GfxDevice;
class PackageFile;

// The shader package, opened by the first effect manager and closed by ClosePackage.
extern PackageFile* ShaderPackage;

class EffectManager;
// The game's effect manager, made by the Scene's initialisation; meshes bind their effects
// from it.
extern EffectManager* TheEffectManager;

class EffectManager {
public:
    // Room for this many records at first; the list grows when more are asked for.
    static constexpr int INITIAL_EFFECTS = 100;
    static constexpr size_t LAST_ERROR_SIZE = 512;

    // Effects compile on the given device (the graphics device's). Opens the shader package
    // when it is not open yet.
    explicit EffectManager(GfxDevice* device);
    ~EffectManager();
    EffectManager(const EffectManager&) = delete;
    EffectManager& operator=(const EffectManager&) = delete;

    // The record of a file and variant; "none" means "flat.fx", and only the file name counts
    // (not its folder or the case of its letters). A record made here is not compiled yet:
    // callers follow with LoadEffect. Null when it does not exist and create is false.
    Effect* GetEffect(const char* fileName, int variant = 0, bool create = true);
    // Compiles a record once (later calls only return), falling back to flat.fx, and looks up
    // its techniques and parameters. label "none" is kept for the full-screen effects; any
    // other label is stored as "main". True when the record has an effect.
    bool LoadEffect(Effect* effect, const char* label);
    // Compiles the next effect file of the shader package that has not been compiled yet, so
    // the first level need not wait on the compiler; called once a frame while the player
    // waits anyway (the logo slides, the start screen, the pause before a level). The record
    // stays unloaded: its first LoadEffect looks up its techniques and keeps its label, and an
    // effect that does not compile here is reported there. False when nothing is left.
    bool PrecompileNext();
    // Gets the driver ready for the next set of draw states of the warm-up list ("warmup.txt" in
    // the shader package: the states a first level draws with), by a draw that shows nothing,
    // so that the first frames of a level need not wait while the driver makes its code. Meant,
    // like PrecompileNext, for frames where the player waits anyway; run after it, since the
    // list names the effects' programs. A line whose program is not made yet waits for
    // RetryWarmUp. False when nothing is left.
    bool WarmUpNext();
    // The lines that could not be warmed yet are tried again (once the level has made its own
    // programs).
    void RetryWarmUp();
    // Puts the lines of another list of the shader package after the warm-up list, once: the
    // states only some levels draw with (the water's, say), warmed when the level has them.
    void QueueWarmUp(const char* listName);
    // Lines of the list not warmed yet, and the list's length (for a progress bar).
    int WarmUpLeft() const { return (int)(warmUp_.size() - warmUpNext_); }
    int WarmUpCount() const { return (int)warmUp_.size(); }
    // Recompiles every record (also the ones that never compiled), from loose files when
    // asked. The last-error text starts over.
    void ReloadAll(bool looseFiles);
    // Around a device reset: the effects let go of their device objects; afterwards only
    // their handles are looked up again, nothing is recompiled.
    void ReleaseAll();
    void RestoreAll();
    // Closes the shader package; the shared include read from it goes with it.
    static void ClosePackage();

    int GetCount() const { return list_ ? list_->count : 0; }
    Effect* GetByIndex(int index) const;
    GfxDevice* GetDevice() const { return device_; }

    // "No shader errors." or the compiler's text of the last failed compile.
    static const char* GetLastError();
    // The macros the configuration asks for, in order.
    static void BuildMacroList(std::vector<std::string>* out);

private:
    struct Entry {
        char fileName[128];
        int variant;
        Effect* effect;
    };

    // Compiles path into a new effect object; false with the compiler's text (empty when the
    // file could not be read).
    bool Compile(const char* path, EffectObject** out, std::string* errors);
    bool Append(const Entry& entry);
    // The warm-up list's lines from the shader package, the first time only.
    void ReadWarmUpOnce();

    GfxDevice* device_;
    int precompiled_ = 0;  // package entries PrecompileNext has been through
    bool warmUpRead_ = false;
    std::vector<std::string> warmUp_;    // the list's lines
    size_t warmUpNext_ = 0;              // the next line WarmUpNext takes
    std::vector<std::string> warmLater_; // lines whose program was not there yet
    std::vector<std::string> queuedLists_;  // the further lists queued so far
    std::unique_ptr<PooledList<Entry>> list_;
    DeviceListing<EffectManager, &EffectManager::ReleaseAll, &EffectManager::RestoreAll> listing_{this, RELEASE_EFFECTS,
                                                                                                  RESTORE_EFFECTS};
};
