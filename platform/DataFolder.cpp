#include "platform/DataFolder.h"

#include "host/System.h"

namespace {

// "data" below the folder, spelled in any case like every other data path.
bool HoldsDataFolder(const std::string& folder)
{
    std::string path = folder;
    if (!path.empty() && path.back() != '/') path += '/';
    path += "data";
    FileStatus status;
    return GetFileStatus(path.c_str(), status) == 0 && status.isDirectory;
}

}  // namespace

std::string EnterDataFolder(const std::string& programFolder)
{
    if (!programFolder.empty() && HoldsDataFolder(programFolder) && SetWorkingFolder(programFolder.c_str()))
        return GetWorkingFolder();
    if (HoldsDataFolder(".")) return GetWorkingFolder();
    return "";
}
