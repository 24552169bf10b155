#pragma once
// The program's command-line switches.
#include <string>

class ConfigFile;

// "-800", "-1024" and "-1280" pick a resolution, "-windowed" and "-fullscreen" the display
// mode (full screen also turns error message boxes off). Compared exactly; later switches
// win; everything else, the program path included, is ignored.
void ParseCommandLine(ConfigFile* config, int argc, char** argv);

// "-replay FILE" plays a recorded game; "-verify" with it checks the replay without drawing it.
struct ReplayRequest {
    std::string file;  // empty: no replay asked for
    bool verify = false;
};
ReplayRequest ReplayRequested(int argc, char** argv);
