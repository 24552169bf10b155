// texgen <output folder>: paints every texture of the game into DDS files below the output
// folder (textures/, textureslow/ and gui/).
// texgen --list: the files that run makes, relative to the output folder, one a line.
// texgen --preview <folder>: writes every texture as a PNG (top level, with alpha) to look at.
#include "content/texgen/TextureBuild.h"
#include "content/texgen/TextureTable.h"
#include "host/ImageCodec.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    std::string first = argc > 1 ? argv[1] : "";
    if (first == "--list" && argc == 2) {
        for (const std::string& output : OutputsOf(TextureRecipes())) printf("%s\n", output.c_str());
        return 0;
    }
    if (first == "--preview" && argc == 3) {
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
    if (argc != 2 || first.empty() || first[0] == '-') {
        fprintf(stderr, "usage: texgen <output folder> | texgen --list | texgen --preview <folder>\n");
        return 2;
    }
    std::string error;
    if (!GenerateTextures(TextureRecipes(), first, &error)) {
        fprintf(stderr, "texgen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
