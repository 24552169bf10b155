#pragma once
// The game's generated textures: one recipe per texture, each a short description of how it
// is painted. The packages key entries by file name alone and the texture manager finds
// textures by file name without the folder, so no two recipes may share a file name.
#include "content/texgen/Canvas.h"

#include <cstdint>
#include <string>
#include <vector>

// How the pixels are stored in the file.
enum class TextureStore {
    Argb,  // A8R8G8B8: GUI pictures, lookups, small and normal-map textures
    Dxt1,  // large opaque colour textures
    Dxt5,  // large colour textures with alpha
    Jpeg,  // the ground pictures the game names as ".jpg": one opaque level, mips made on loading
};

enum class TextureKind {
    Picture,    // an ordinary picture
    NormalMap,  // normals: mip levels are renormalised
    Lookup,     // a table of values: never mip-mapped, and the low-detail copy keeps its size
};

struct TextureRecipe {
    // Below the data folder, as the game names it: "textures/math/pow1d_30.dds" goes into
    // the textures package, "gui/..." into the GUI package. Lower case, like all of data/.
    const char* path;
    uint32_t width;
    uint32_t height;
    TextureStore store;
    bool mips;  // a full chain, for textures seen in the world at every distance
    TextureKind kind;
    bool (*paint)(Canvas& canvas);  // paints a canvas of width x height, cleared transparent
};

// Every texture the game ships.
const std::vector<TextureRecipe>& TextureRecipes();

// The file name of a recipe's path (the package key): "pow1d_30.dds".
std::string FileNameOf(const char* path);

// Checks a table before anything is painted: every path lies below "textures/" or "gui/"
// and ends in ".dds", or in ".jpg" for a JPEG picture without mips (and only then), sizes are powers of two from 1 to 2048, a lookup has no mips, a
// recipe has a painter, and no two recipes share a file name (compared without regard to
// case, as the game looks them up). False with the first problem in `error`.
bool CheckRecipes(const std::vector<TextureRecipe>& recipes, std::string* error);
