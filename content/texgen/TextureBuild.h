#pragma once
// Turning recipes into texture files: paint, build mip levels, compress, write. The textures
// package gets every world texture and the low-detail package a half-size copy of each; the
// GUI package gets the gui/ pictures.
#include "content/texgen/TextureTable.h"
#include "host/Image.h"

#include <string>
#include <vector>

// Paints a recipe on a fresh canvas of its size; false when its painter fails.
bool PaintRecipe(const TextureRecipe& recipe, Canvas& canvas);

// Encodes a canvas as an image in the recipe's store, with a full mip chain when asked
// (normal maps renormalised level by level).
bool ImageFromCanvas(const Canvas& canvas, TextureStore store, bool mips, TextureKind kind, Image& out);

// The file bytes of a recipe (DDS, or JPEG for a ".jpg" one), and of its low-detail copy when `low` is given (half size; a
// lookup keeps its size). False, logged, when encoding fails.
bool BuildTexture(const TextureRecipe& recipe, std::vector<uint8_t>& dds, std::vector<uint8_t>* low);

// The files a recipe makes, relative to the output folder: "textures/<path below
// textures/>" and "textureslow/<same>" for world textures, "gui/<path below gui/>" for GUI
// pictures.
std::vector<std::string> OutputsOf(const TextureRecipe& recipe);

// Every file the recipes make, in table order: what `texgen --list` prints.
std::vector<std::string> OutputsOf(const std::vector<TextureRecipe>& recipes);

// Writes every recipe's files below `outputFolder`. False with the problem in `error`.
bool GenerateTextures(const std::vector<TextureRecipe>& recipes, const std::string& outputFolder, std::string* error);
