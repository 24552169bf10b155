// Apart from the other GUI tests: the texture generator's canvas types share names with the
// engine's maths.
#include "content/texgen/TextureTable.h"

#include <map>
#include <string>

std::map<std::string, std::string> ShippedTextureFiles()
{
    std::map<std::string, std::string> files;
    for (const TextureRecipe& recipe : TextureRecipes()) files[FileNameOf(recipe.path)] = recipe.path;
    return files;
}
