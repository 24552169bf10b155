#include "platform/MusicThread.h"

#include "host/AudioDevice.h"
#include "host/Log.h"
#include "host/System.h"
#include "platform/MusicPlayer.h"

#include <system_error>
#include <thread>

namespace {

std::thread MusicThreadHandle;
std::atomic<bool> MusicThreadStop{false};

}  // namespace

int MusicThreadProc(void*)
{
    MusicPlayer* player = Music;
    if (!player) return 0;
    while (!MusicThreadStop) {
        if (player->IsMusicOn() || player->IsFading()) player->Update();
        SleepMs(16);
    }
    AudioDevice::ReleaseThread();
    return 0;
}

bool StartMusicThread()
{
    if (MusicThreadHandle.joinable()) return true;
    MusicThreadStop = false;
    try {
        MusicThreadHandle = std::thread(MusicThreadProc, nullptr);
    } catch (const std::system_error& error) {
        Log("WARNING: the music thread could not be started (%s); the main loop plays the music\n", error.what());
        return false;
    }
    return true;
}

void StopMusicThread()
{
    if (!MusicThreadHandle.joinable()) return;
    MusicThreadStop = true;
    MusicThreadHandle.join();
    MusicThreadStop = false;
}

bool IsMusicThreadRunning()
{
    return MusicThreadHandle.joinable();
}
