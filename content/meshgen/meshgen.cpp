// meshgen MESH_FOLDER ANIM_FOLDER FILE...
//
// Writes every mesh of the catalogue into MESH_FOLDER and every animation into ANIM_FOLDER. The
// build names the files it expects after the folders; the run fails when the catalogue and that
// list disagree, so a model added on one side only is caught at once.
#include "content/meshgen/Catalogue.h"

#include <cstdio>
#include <set>
#include <string>

namespace {

bool WriteFile(const std::string& path, const std::string& text)
{
    std::string temporary = path + ".tmp";
    FILE* file = fopen(temporary.c_str(), "wb");
    if (!file) return false;
    bool ok = fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = fclose(file) == 0 && ok;
    return ok && rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: meshgen MESH_FOLDER ANIM_FOLDER [EXPECTED_FILE...]\n");
        return 2;
    }
    std::set<std::string> expected;
    for (int i = 3; i < argc; ++i) expected.insert(argv[i]);

    std::set<std::string> made;
    bool ok = true;
    auto write = [&](const std::string& folder, const std::vector<GeneratedFile>& files) {
        for (const GeneratedFile& file : files) {
            made.insert(file.fileName);
            if (!WriteFile(folder + "/" + file.fileName, file.text)) {
                fprintf(stderr, "meshgen: cannot write %s/%s\n", folder.c_str(), file.fileName.c_str());
                ok = false;
            }
        }
    };
    write(argv[1], GenerateMeshFiles());
    write(argv[2], GenerateAnimationFiles());

    if (argc > 3) {
        for (const std::string& name : made)
            if (!expected.count(name)) {
                fprintf(stderr, "meshgen: %s is made but not listed in content/meshgen/CMakeLists.txt\n", name.c_str());
                ok = false;
            }
        for (const std::string& name : expected)
            if (!made.count(name)) {
                fprintf(stderr, "meshgen: %s is listed but not in the catalogue\n", name.c_str());
                ok = false;
            }
    }
    return ok ? 0 : 1;
}
