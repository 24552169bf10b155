// Key bindings (hotkeys.cfg), with the commands the shipped bindings name registered.
#include "fuzz/FuzzSupport.h"
#include "platform/ConfigFile.h"
#include "platform/Hotkeys.h"

#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

namespace {

void Command() {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareFuzzing();
    static std::set<std::string> names;  // the registry keeps the name pointers
    std::ifstream shipped("data/hotkeys.cfg");
    for (std::string line; std::getline(shipped, line);) {
        std::istringstream words(line);
        std::string keyword, key, command;
        if (words >> keyword >> key >> command && keyword == "keyboard_map") names.insert(command);
    }
    for (const std::string& name : names) RegisterCommand(name.c_str(), Command);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ConfigFile* config = new ConfigFile(nullptr);
    config->LoadHotkeys(WriteInputFile(data, size, ".cfg"));
    char key[32];
    config->FindHotkey("attack", key, true, sizeof key);
    return 0;
}
