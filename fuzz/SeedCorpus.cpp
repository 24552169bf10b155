// Writes the fuzz targets' seed inputs from the shipped data and the damaged files the tests
// replay: fuzz_seeds DATA_FOLDER BAD_FILES_FOLDER OUTPUT_FOLDER makes OUTPUT_FOLDER/<target>/.
// Package entries go to the target of their package; large inputs are left out or cut, since
// the fuzzer works best on small ones.
#include "content/pkbtool/PackageWriter.h"
#include "host/ImageCodec.h"
#include "mechanics/ReplayFile.h"
#include "platform/PackageFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr size_t LargestSeed = 256 * 1024;

std::string outputFolder;
int written = 0;

void Seed(const std::string& target, const std::string& name, const unsigned char* data, size_t size)
{
    if (size > LargestSeed) return;
    fs::create_directories(outputFolder + "/" + target);
    std::ofstream out(outputFolder + "/" + target + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data), (std::streamsize)size);
    ++written;
}

std::vector<unsigned char> ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void SeedFile(const std::string& target, const fs::path& path, size_t cut = LargestSeed)
{
    std::vector<unsigned char> bytes = ReadFile(path);
    Seed(target, path.filename().string(), bytes.data(), std::min(bytes.size(), cut));
}

std::string Extension(const std::string& name)
{
    size_t dot = name.rfind('.');
    std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
    for (char& c : ext) c = (char)tolower((unsigned char)c);
    return ext;
}

// The target an entry of a package feeds, by package and extension; empty for none.
std::string EntryTarget(const std::string& package, const std::string& entry)
{
    std::string ext = Extension(entry);
    if (ext == "dds") return "dds";
    if (ext == "png" || ext == "jpg" || ext == "jpeg" || ext == "bmp" || ext == "tga") return "image";
    if (ext == "wav") return "wave";
    if (ext == "fx" || ext == "fxh") return "effect";
    if (package == "mesh") return "mesh";
    if (package == "anims") return "anim";
    if (package == "effects") return "particle";
    return "";
}

// The game's picture formats have no shipped files: the first few textures, small, in each.
void SeedPictures(const std::string& name, const unsigned char* data, size_t size)
{
    static int pictures = 0;
    Image texture;
    if (pictures >= 4 || !CreateImageFromMemoryEx(data, size, 16, 16, 1, PixelFormat::A8R8G8B8, IMAGE_DEFAULT,
                                                  IMAGE_DEFAULT, 0, texture))
        return;
    ++pictures;
    const std::pair<ImageFileFormat, const char*> formats[] = {
        {ImageFileFormat::PNG, ".png"}, {ImageFileFormat::JPG, ".jpg"}, {ImageFileFormat::BMP, ".bmp"}, {ImageFileFormat::TGA, ".tga"}};
    for (const auto& [format, extension] : formats) {
        std::vector<uint8_t> bytes;
        if (EncodeImageFile(texture, format, bytes)) Seed("image", name + extension, bytes.data(), bytes.size());
    }
}

void SeedPackage(const fs::path& path)
{
    std::string package = path.stem().string();
    PackageFile file;
    if (!file.Open(path.string().c_str(), false)) return;
    std::vector<PackageEntry> sample;
    for (int i = 0; i < file.GetEntryCount(); ++i) {
        const char* name = file.GetEntryName(i);
        unsigned size = 0;
        const unsigned char* data = file.GetData(name, &size);
        if (!data) continue;
        std::string target = EntryTarget(package, name);
        if (!target.empty()) Seed(target, package + "_" + name, data, size);
        if (target == "dds") SeedPictures(name, data, size);
        // A small package of the smallest kind of entries for the package reader.
        if (sample.size() < 3 && size < 4096) sample.push_back({name, package + "/" + name, {data, data + size}});
        file.ReleaseData(name);
    }
    std::string samplePath = outputFolder + "/package/" + package + ".pkb";
    fs::create_directories(outputFolder + "/package");
    if (!sample.empty() && WritePackage(samplePath, sample)) ++written;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: fuzz_seeds DATA_FOLDER BAD_FILES_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    fs::path data = argv[1], bad = argv[2];
    outputFolder = argv[3];
    std::error_code error;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(data, error)) {
        if (!entry.is_regular_file()) continue;
        const fs::path& path = entry.path();
        std::string name = path.filename().string(), ext = Extension(name);
        std::string folder = path.parent_path().filename().string();
        if (ext == "pkb") SeedPackage(path);
        else if (name == "hotkeys.cfg") SeedFile("hotkeys", path);
        else if (ext == "cfg") SeedFile("config", path);
        else if (ext == "cgs") {
            SeedFile("script", path);
            SeedFile("scene", path);
            if (name == "default_profile.cgs") SeedFile("profile", path);
            else if (name == "missions.cgs") SeedFile("missions", path);
            else if (name == "mission_objects.cgs") SeedFile("missionobjects", path);
            else if (name == "growthdb.cgs") SeedFile("growth", path);
        }
        else if (folder == "strings") SeedFile("strings", path);
        else if (folder == "particles") SeedFile("particle", path);
        // The headers and the first pages are what the decoder is picky about.
        else if (ext == "ogg") SeedFile("ogg", path, 32 * 1024);
    }
    // The damaged files, each for the target of its folder.
    const std::map<std::string, std::string> badFolders = {{"ogg", "ogg"},       {"image", "image"},
                                                           {"mesh", "mesh"},     {"effect", "effect"},
                                                           {"particle", "particle"}, {"config", "config"},
                                                           {"profile", "profile"},   {"mission", "missions"},
                                                           {"scene", "scene"}};
    for (const auto& [folder, target] : badFolders)
        for (const fs::directory_entry& entry : fs::directory_iterator(bad / folder, error))
            if (entry.is_regular_file()) SeedFile(target, entry.path());
    // The level generator's stand-ins, each for the loader of the script it replaces.
    for (const fs::directory_entry& entry : fs::directory_iterator(bad / "levelgen", error)) {
        std::string name = entry.path().filename().string();
        if (name.rfind("mission_objects", 0) == 0) SeedFile("missionobjects", entry.path());
        if (name.rfind("growthdb", 0) == 0) SeedFile("growth", entry.path());
    }
    // Visited maps are written by a game only: a whole grid of every marker, and a short one.
    std::vector<unsigned char> visited(128 * 128);
    for (size_t i = 0; i < visited.size(); ++i) visited[i] = (unsigned char)(i / 7 % 4);
    Seed("visited", "whole.vis", visited.data(), visited.size());
    Seed("visited", "short.vis", visited.data(), 300);
    // A replay of a few ticks with orders and checks, ended, and one cut after its header.
    Replay replay;
    replay.header.profileName = "Pilot";
    replay.header.profile = "name\t\tPilot\n";
    replay.header.levelName = "savefiles/Pilot/one.sav";
    replay.header.levelFile = "level";
    PlayerOrder order;
    order.kind = 1;
    order.units = {1, 2};
    order.text = "scan";
    replay.ticks.push_back({2, {order}});
    replay.tickSums.assign(13, 0x1234);
    for (uint32_t tick : {0u, 10u, 12u}) {
        ReplayCheck check;
        check.tick = tick;
        check.digest.sum = 0x1234;
        check.digest.entities.assign(8, 0x5a);
        replay.checks.push_back(check);
    }
    ReplaySaveCheck save;
    save.tick = 12;
    replay.saves.push_back(save);
    replay.ended = true;
    replay.outcome = REPLAY_ABANDONED;
    Replay cut;
    cut.header = replay.header;
    for (const Replay& game : {replay, cut}) {
        const std::string bytes = WriteReplay(game);
        Seed("replay", game.ticks.empty() ? "cut.replay" : "small.replay",
             reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    }
    printf("fuzz_seeds: %d seed files in %s\n", written, outputFolder.c_str());
    return written > 0 ? 0 : 1;
}
