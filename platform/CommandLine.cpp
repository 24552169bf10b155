#include "platform/CommandLine.h"

#include "platform/ConfigFile.h"

#include <cstring>

void ParseCommandLine(ConfigFile* config, int argc, char** argv)
{
    if (!config || !argv) return;
    for (int i = 0; i < argc; ++i) {
        const char* argument = argv[i];
        if (!argument) continue;
        if (strcmp(argument, "-800") == 0) {
            config->width = 800;
            config->height = 600;
        } else if (strcmp(argument, "-1024") == 0) {
            config->width = 1024;
            config->height = 768;
        } else if (strcmp(argument, "-1280") == 0) {
            config->width = 1280;
            config->height = 1024;
        } else if (strcmp(argument, "-windowed") == 0) {
            config->fullscreen = false;
        } else if (strcmp(argument, "-fullscreen") == 0) {
            config->fullscreen = true;
            config->messageBoxErrors = false;
        }
    }
}

ReplayRequest ReplayRequested(int argc, char** argv)
{
    ReplayRequest request;
    if (!argv) return request;
    for (int i = 0; i < argc; ++i) {
        const char* argument = argv[i];
        if (!argument) continue;
        if (strcmp(argument, "-replay") == 0 && i + 1 < argc && argv[i + 1]) request.file = argv[++i];
        else if (strcmp(argument, "-verify") == 0) request.verify = true;
    }
    return request;
}
