#pragma once
// A graphics device made the way the running game makes it, on a window of its own, for the
// mechanics tests that draw: the configuration (no message boxes, no multisampling), the window
// and the device live as long as the object, and the globals point at them meanwhile.
#include "host/GfxWindow.h"
#include "host/Log.h"
#include "platform/ConfigFile.h"
#include "render/GraphicsDevice.h"
#include "tests/support/Scoped.h"

#include <memory>

class GameScreen {
public:
    GameScreen(int width, int height, bool shadows = true) : config_(Quiet())
    {
        config_->width = width;
        config_->height = height;
        config_->messageBoxErrors = false;
        config_->shadows = shadows;
        config_->antiAliasing = false;
        config_->antiAliasingSamples = 0;
        if (!window_.Create("Veldmark", width, height, false)) return;
        graphics_ = std::make_unique<GraphicsDevice>();
        device_ = std::make_unique<ScopedGlobal<GraphicsDevice*>>(Graphics, graphics_.get());
        initialised_ = graphics_->InitGraphics(&window_, false, width, height);
    }
    ~GameScreen()
    {
        device_.reset();
        graphics_.reset();
        window_.Destroy();
    }
    GameScreen(const GameScreen&) = delete;
    GameScreen& operator=(const GameScreen&) = delete;

    // False when no display is reachable: the test skips.
    bool HasDisplay() const { return graphics_ != nullptr; }
    // The device started as the game starts it.
    bool Initialised() const { return initialised_; }
    GraphicsDevice* graphics() const { return graphics_.get(); }

private:
    // The defaults of a configuration without files, read without filling the test's log.
    static std::unique_ptr<ConfigFile> Quiet()
    {
        LogCaptureBegin();
        auto config = std::make_unique<ConfigFile>(nullptr);
        LogCaptureEnd();
        return config;
    }

    std::unique_ptr<ConfigFile> config_;
    ScopedGlobal<ConfigFile*> configured_{Config, config_.get()};
    GfxWindow window_;
    std::unique_ptr<GraphicsDevice> graphics_;
    std::unique_ptr<ScopedGlobal<GraphicsDevice*>> device_;
    bool initialised_ = false;
};
