#include "platform/UserFolders.h"

#include "host/System.h"

#include <cstdio>
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
