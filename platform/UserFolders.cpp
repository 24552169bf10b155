#include "platform/UserFolders.h"

#include "host/System.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

char LocalAppDataFolder[256] = "<NOT-SET>";
char UserFolder[256] = "<NOT-SET>";
char ProfilesFolder[256] = "<NOT-SET>";

bool InitUserFolders()
{
    CopyText(LocalAppDataFolder, sizeof LocalAppDataFolder, "<NOT-SET>");
    CopyText(UserFolder, sizeof UserFolder, "<NOT-SET>");
    CopyText(ProfilesFolder, sizeof ProfilesFolder, "<NOT-SET>");
    char text[700];
    std::string appData = LocalAppDataPath();
    if (appData.empty()) {
        ShowMessageBox("ERROR", "Found no folder for the player's files: neither XDG_DATA_HOME nor HOME names one.");
        return false;
    }
    // A folder name too long for the user paths would silently point elsewhere: refuse it.
    if (appData.size() >= sizeof LocalAppDataFolder - 32) {
        snprintf(text, sizeof text, "The folder for the player's files %s is too long a path.", appData.c_str());
        ShowMessageBox("ERROR", text);
        return false;
    }
    // A first start on a fresh account may lack the folder and its parents.
    if (!CreateFolder(appData.c_str())) {
        int error = errno;
        snprintf(text, sizeof text, "Failed to create the folder for the player's files %s: %s", appData.c_str(),
                 strerror(error));
        ShowMessageBox("ERROR", text);
        return false;
    }
    CopyText(LocalAppDataFolder, sizeof LocalAppDataFolder, appData.c_str());
    CopyText(UserFolder, sizeof UserFolder, (appData + "/Veldmark").c_str());

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
            snprintf(text, sizeof text, folder.warning, path.c_str());
            ShowMessageBox("WARNING", text);
        }
    }
    if (snprintf(ProfilesFolder, sizeof ProfilesFolder, "%s/profiles", UserFolder) >= (int)sizeof ProfilesFolder) return false;
    return true;
}
