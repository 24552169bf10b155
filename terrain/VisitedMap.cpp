#include "terrain/VisitedMap.h"

#include "host/Log.h"
#include "host/System.h"
#include "platform/Files.h"
#include "terrain/Minimap.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

std::string VisitedMapPath(const char* name)
{
    std::string path = name ? name : "";
    size_t slash = path.find_last_of("/\\");
    size_t dot = path.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.erase(dot);
    path += ".vis";
    std::vector<char> fixed(path.begin(), path.end());
    fixed.push_back('\0');
    FixPath(fixed.data());
    return std::string(fixed.data());
}

bool Minimap::SaveVisited(const char* name)
{
    std::string path = VisitedMapPath(name);
    if (!fog.HasGrids()) {
        Log("ERROR: no visited map to write to %s\n", path.c_str());
        return false;
    }
    // The folder as it is spelt on the disk: the map is written beside the save it belongs to.
    size_t slash = path.find_last_of('/');
    if (slash != std::string::npos) path = ResolvePathCase(path.substr(0, slash).c_str()) + path.substr(slash);
    // The old map stays whole until the new one is on the disk.
    std::string temporary = path + ".tmp";
    FILE* file = fopen(temporary.c_str(), "wb");
    if (!file) {
        Log("ERROR opening file %s for WRITING (%s)\n", temporary.c_str(), strerror(errno));
        return false;
    }
    bool written = fwrite(fog.markers.data(), 1, fog.markers.size(), file) == fog.markers.size();
    written = SyncFile(file) && written;
    written = fclose(file) == 0 && written;
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
        Log("ERROR writing the visited map %s: the previous one is kept\n", path.c_str());
        remove(temporary.c_str());
        return false;
    }
    return true;
}

bool Minimap::LoadVisited(const char* name)
{
    std::string path = VisitedMapPath(name);
    // Most levels have no visited map: a missing file is no error.
    FILE* file = OpenFile(path.c_str(), "rb");
    if (!file) return false;
    // The grid takes N x N bytes and no more, whatever the file's length.
    std::vector<uint8_t> bytes(fog.markers.size());
    size_t got = bytes.empty() ? 0 : fread(bytes.data(), 1, bytes.size(), file);
    bool failed = ferror(file) != 0;
    fclose(file);
    if (failed) {
        Log("ERROR reading the visited map %s\n", path.c_str());
        return false;
    }
    // A short file fills the front of the grid; the rest keeps its markers.
    if (got > 0) std::memcpy(fog.markers.data(), bytes.data(), got);
    RenderVisitedMarks();
    return true;
}
