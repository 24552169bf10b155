// texgen <output folder> [outputs...]: paints every texture of the game into DDS files below
// the output folder. The build passes the list of files it expects, so a texture added to the
// table but not to the build (or the other way round) fails at once, by name.
// texgen --preview <folder>: writes every texture as a PNG (top level, with alpha) to look at.
#include "content/texgen/TextureBuild.h"
#include "content/texgen/TextureTable.h"
#include "host/ImageCodec.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: texgen <output folder> [expected outputs...]\n");
        return 2;
    }
    if (std::string(argv[1]) == "--preview") {
        if (argc != 3) {
            fprintf(stderr, "usage: texgen --preview <folder>\n");
            return 2;
        }
        bool ok = true;
        for (const TextureRecipe& recipe : TextureRecipes()) {
            Canvas canvas;
            Image image;
            std::string name = FileNameOf(recipe.path);
            std::string path = std::string(argv[2]) + "/" + name.substr(0, name.size() - 4) + ".png";
            ok = PaintRecipe(recipe, canvas) && ImageFromCanvas(canvas, TextureStore::Argb, false, recipe.kind, image) &&
                 SaveImageFile(path.c_str(), ImageFileFormat::PNG, image) && ok;
        }
        return ok ? 0 : 1;
    }
    std::vector<std::string> expected(argv + 2, argv + argc);
    std::string error;
    if (!GenerateTextures(TextureRecipes(), argv[1], argc > 2 ? &expected : nullptr, &error)) {
        fprintf(stderr, "texgen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
