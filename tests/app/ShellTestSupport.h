#pragma once
// What the tests of the running shell share: a scripted clock for the frame timer and the frame
// pacer, window messages made by hand, and pictures of whole frames as the player's screenshot
// takes them.
#include "host/Image.h"
#include "host/ImageCodec.h"
#include "host/InputEvents.h"
#include "platform/ConfigFile.h"
#include "platform/InputState.h"
#include "platform/Timer.h"
#include "render/GraphicsDevice.h"
#include "app/MainLoop.h"
#include "tests/world/BeatingWatch.h"

#include <cstdint>
#include <string>

namespace shelltest {

// Each pass advances the clock by hand.
inline uint64_t ClockTicks = 0;
inline uint64_t Ticks() { return ClockTicks; }
inline uint64_t Frequency() { return 1000000; }
inline uint32_t Milliseconds() { return (uint32_t)(ClockTicks / 1000); }
inline const ClockSource ScriptedClock = {Ticks, Frequency, Milliseconds};
// The frame pacer's sleeps move the scripted clock on instead of sleeping.
inline void ScriptedSleep(double seconds) { ClockTicks += (uint64_t)(seconds * 1000000.0 + 0.5); }

// Passes of the main loop, each one `seconds` long on the scripted clock, the units watched
// after each.
inline void Passes(int count, float seconds)
{
    for (int i = 0; i < count; ++i) {
        ClockTicks += (uint64_t)(seconds * 1000000.0f);
        MainLoopPass();
        beatingwatch::TheWatch.Step();
    }
}

inline HostMessage Key(unsigned message, uint32_t code, unsigned modifiers = 0)
{
    HostMessage m;
    m.message = message;
    m.wParam = code;
    m.modifiers = modifiers;
    return m;
}

// Runs one frame with the screenshot command's picture taken when it is presented; the mouse
// cursor is parked in the top-left corner.
inline bool ShotOfNextFrame(const std::string& path, Image& out)
{
    if (Input.mouse) Input.mouse->cursorX = Input.mouse->cursorY = 0;
    Graphics->SaveScreenshot(path.c_str(), Config->width, Config->height);
    RenderFrame();
    Image loaded;
    return LoadImageFile(path.c_str(), loaded) && ConvertImage(loaded, PixelFormat::A8R8G8B8, out);
}

inline uint32_t PixelAt(const Image& image, int x, int y)
{
    const uint8_t* p = image.Level(0, 0) + (size_t)y * image.LevelPitch(0) + (size_t)x * 4;
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

}  // namespace shelltest
