// The whole program for a benchmark, started as a player starts it: a user folder of its own
// (within the benchmark program's temporary one) holding the given settings and a new pilot's
// profile, the real start-up on the display; on leaving, the program shut down, the folder
// removed and the program's own folder the user folder again. Its clocks time what the
// benchmark wants timed.
#pragma once

#include "app/AppShell.h"
#include "app/MainLoop.h"
#include "campaign/MissionScreen.h"
#include "mechanics/GameMechanics.h"
#include "host/Log.h"
#include "host/System.h"
#include "platform/UserFolders.h"
#include "tests/support/Scoped.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

inline double ClockSeconds(clockid_t clock)
{
    timespec now;
    clock_gettime(clock, &now);
    return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}
// Wall-clock seconds, and the processor seconds of every thread of the program.
inline double WallSeconds() { return ClockSeconds(CLOCK_MONOTONIC); }
inline double ProcessSeconds() { return ClockSeconds(CLOCK_PROCESS_CPUTIME_ID); }

class ProgramRun {
public:
    ProgramRun(const char* name, const std::string& settings)
        : folder_(std::string(getenv("XDG_DATA_HOME") ? getenv("XDG_DATA_HOME") : "/tmp") + "/" + name),
          data_("XDG_DATA_HOME", folder_.c_str())
    {
        CreateFolder(folder_.c_str());
        InitUserFolders();
        const std::string all = (WriteProfile() ? "currentprofile Bench\n" : "") + settings;
        if (FILE* file = fopen((std::string(UserFolder) + "/settings.cfg").c_str(), "wb")) {
            fwrite(all.data(), 1, all.size(), file);
            fclose(file);
        }
        const char* argv[] = {"veldmark", "-windowed", "-1024"};
        LogCaptureBegin();
        started_ = StartUp(3, const_cast<char**>(argv));
    }
    ~ProgramRun()
    {
        if (started_) Shutdown();
        LogCaptureEnd();
        const std::string command = "rm -rf '" + folder_ + "'";
        if (system(command.c_str()) != 0) {}
    }
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool Started() const { return started_; }
    // One pass of the main loop, its messages first, as the program runs it.
    static void Pass()
    {
        DrainMessages(nullptr);
        MainLoopPass();
    }
    // The first level, started from the front end as the settings start it, within a minute.
    bool IntoTheFirstLevel() const
    {
        if (!started_) return false;
        const double deadline = WallSeconds() + 60.0;
        while (WallSeconds() < deadline && TheGame && TheGame->state != GAME_STATE_PLAYING) {
            if (TheGame->state == GAME_STATE_FRONT_END) MissionScreen::StartMission(-1, 0);
            Pass();
        }
        return TheGame && TheGame->state == GAME_STATE_PLAYING;
    }

private:
    // A new pilot's profile with a galaxy of a fixed seed: a new player's galaxy seed comes
    // from the clock, and each launch would make and time another first level.
    static bool WriteProfile()
    {
        std::ifstream in("data/scripts/default_profile.cgs", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        std::string profile = text.str();
        for (const auto& edit : {std::make_pair("name\t\tnew player", "name\t\tBench"),
                                 std::make_pair("galaxyseed\t-1", "galaxyseed\t4242")}) {
            const size_t at = profile.find(edit.first);
            if (at == std::string::npos) return false;
            profile.replace(at, strlen(edit.first), edit.second);
        }
        const std::string folder = std::string(UserFolder) + "/profiles";
        CreateFolder(folder.c_str());
        std::ofstream out(folder + "/Bench.cgs", std::ios::binary);
        out << profile;
        return (bool)out;
    }

    std::string folder_;
    ScopedEnv data_;
    bool started_ = false;
};
