// meshgen <output folder>: writes every mesh of the catalogue into <output folder>/mesh and
// every animation into <output folder>/anims.
// meshgen --list: the files that run makes, relative to the output folder, one a line.
#include "content/meshgen/Catalogue.h"
#include "content/meshgen/Models.h"
#include "host/System.h"

#include <cstdio>
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

struct Output {
    const char* folder;
    std::vector<GeneratedFile> files;
};

}  // namespace

int main(int argc, char** argv)
{
    std::string first = argc == 2 ? argv[1] : "";
    if (first.empty() || (first[0] == '-' && first != "--list")) {
        fprintf(stderr, "usage: meshgen <output folder> | meshgen --list\n");
        return 2;
    }
    // The engine's own meshes (sky, primitives) and the world's models share the two folders.
    const Output outputs[] = {{"mesh", GenerateMeshFiles()},
                              {"anims", GenerateAnimationFiles()},
                              {"mesh", GenerateModelMeshFiles()},
                              {"anims", GenerateModelAnimationFiles()}};
    bool ok = true;
    for (const Output& output : outputs) {
        std::string folder = first + "/" + output.folder;
        if (first != "--list" && !CreateFolder(folder.c_str())) ok = false;
        for (const GeneratedFile& file : output.files) {
            if (first == "--list") {
                printf("%s/%s\n", output.folder, file.fileName.c_str());
            } else if (!WriteFile(folder + "/" + file.fileName, file.text)) {
                fprintf(stderr, "meshgen: cannot write %s/%s\n", folder.c_str(), file.fileName.c_str());
                ok = false;
            }
        }
    }
    return ok ? 0 : 1;
}
