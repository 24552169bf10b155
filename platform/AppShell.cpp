#include "platform/AppShell.h"

#include "host/Log.h"
#include "host/System.h"
#include "platform/CommandLine.h"
#include "platform/ConfigFile.h"
#include "platform/Hotkeys.h"
#include "platform/StringTable.h"

#include <cstdio>
#include <ctime>
#include <string>

char LocalAppDataFolder[256] = "<NOT-SET>";
char UserFolder[256] = "<NOT-SET>";
char ProfilesFolder[256] = "<NOT-SET>";

bool InitUserFolders()
{
    CopyText(LocalAppDataFolder, sizeof LocalAppDataFolder, "<NOT-SET>");
    CopyText(UserFolder, sizeof UserFolder, "<NOT-SET>");
    CopyText(ProfilesFolder, sizeof ProfilesFolder, "<NOT-SET>");
    if (!GetLocalAppDataFolder(LocalAppDataFolder, sizeof LocalAppDataFolder)) {
        ShowMessageBox("ERROR", "\nERROR: Failed to get LOCAL_APP_DATA directory.");
        return false;
    }
    // A folder name too long for the user paths would silently point elsewhere: refuse it.
    if (snprintf(UserFolder, sizeof UserFolder, "%s/Veldmark", LocalAppDataFolder) >= (int)sizeof UserFolder - 16) {
        ShowMessageBox("ERROR", "\nERROR: Failed to get LOCAL_APP_DATA directory.");
        return false;
    }

    struct Folder {
        const char* sub;
        const char* warning;
    };
    const Folder folders[] = {
        {nullptr, "WARNING: Failed to create user data directory %s"},
        {"profiles", "WARNING: Failed to create user profiles directory %s"},
        {"heightmaps", "WARNING: Failed to create user heightmaps directory %s"},
        {"savefiles", "WARNING: Failed to create user savefiles directory %s"},
    };
    for (const Folder& folder : folders) {
        std::string path = UserFolder;
        if (folder.sub) path = path + "/" + folder.sub;
        FileStatus status;
        if (GetFileStatus(path.c_str(), status) != 0 && !CreateFolder(path.c_str())) {
            char text[700];
            snprintf(text, sizeof text, folder.warning, path.c_str());
            ShowMessageBox("WARNING", text);
        }
    }
    if (snprintf(ProfilesFolder, sizeof ProfilesFolder, "%s/profiles", UserFolder) >= (int)sizeof ProfilesFolder) return false;
    return true;
}

bool OpenLogFile()
{
    char path[512];
    snprintf(path, sizeof path, "%s/Veldmark/logfile.txt", LocalAppDataFolder);
    if (!LogOpen(path)) {
        char text[700];
        snprintf(text, sizeof text, "WARNING: Failed to open logfile %s", path);
        ShowMessageBox("WARNING", text);
        return false;
    }
    char when[128];
    FormatLocalTime(when, sizeof when, "%I:%M%p - %A, %B %d, %Y.\n", time(nullptr));
    // The header goes to the file only; the banner is the first logged line.
    fprintf(LogFile, "====================================\n");
    fprintf(LogFile, "LOG: %s", when);
    fprintf(LogFile, "====================================\n\n");
    fflush(LogFile);
    Log("======== Orlendt Games - Veldmark ========\n");
    return true;
}

int WinMain(int argc, char** argv)
{
    // No application-data folder means no log, settings or saves: a failure, not a clean exit.
    if (!InitUserFolders()) return 1;
    OpenLogFile();

    // Command-line switches override settings.cfg, which overrides config.cfg.
    Config = new ConfigFile("data/config.cfg");
    Config->LoadFonts("data/fonts.cfg");
    Config->LoadSettings();
    ParseCommandLine(Config, argc, argv);

    Strings = new StringTable;
    Strings->Init();

    // The player's own bindings when there are any; otherwise the shipped defaults become
    // the player's file.
    char hotkeys[512];
    snprintf(hotkeys, sizeof hotkeys, "%s/hotkeys.cfg", UserFolder);
    FileStatus status;
    if (GetFileStatus(hotkeys, status) == 0) {
        Config->LoadHotkeys(hotkeys);
    } else {
        Config->LoadHotkeys("data/hotkeys.cfg");
        Config->SaveHotkeys(hotkeys);
    }

    delete Strings;
    Strings = nullptr;
    ClearCommandRegistry();
    delete Config;
    Config = nullptr;
    LogClose();
    return 0;
}
