#include "content/texgen/TextureBuild.h"

#include "content/texgen/Relief.h"
#include "host/DdsFile.h"
#include "host/ImageCodec.h"
#include "host/Log.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace {

uint8_t ToByte(float v) { return (uint8_t)std::lround(Clamp01(v) * 255.0f); }

void StoreLevel(const Canvas& canvas, uint8_t* bgra)
{
    for (const Colour& c : canvas.Pixels()) {
        bgra[0] = ToByte(c.b);
        bgra[1] = ToByte(c.g);
        bgra[2] = ToByte(c.r);
        bgra[3] = ToByte(c.a);
        bgra += 4;
    }
}

// Averaged normals are shorter than one and lean toward flat; make them unit length again.
void Renormalise(Canvas& canvas)
{
    for (uint32_t y = 0; y < canvas.Height(); y++) {
        for (uint32_t x = 0; x < canvas.Width(); x++) {
            Colour& c = canvas.At(x, y);
            float a = c.a;
            c = EncodeNormal((c.r * 255.0f - 128.0f) / 127.0f, (c.g * 255.0f - 128.0f) / 127.0f,
                                   (c.b * 255.0f - 128.0f) / 127.0f);
            c.a = a;
        }
    }
}

// Where a recipe's files go: its package folder and the path below it.
void SplitPath(const char* path, std::string& top, std::string& rest)
{
    std::string p = path;
    size_t slash = p.find('/');
    top = slash == std::string::npos ? std::string() : p.substr(0, slash);
    rest = slash == std::string::npos ? p : p.substr(slash + 1);
}

bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, std::string* error)
{
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    FILE* file = fopen(path.string().c_str(), "wb");
    bool ok = file && fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file && fclose(file) != 0) ok = false;
    if (!ok && error) *error = "cannot write " + path.string();
    return ok;
}

}  // namespace

bool PaintRecipe(const TextureRecipe& recipe, Canvas& canvas)
{
    canvas = Canvas(recipe.width, recipe.height);
    return recipe.paint && recipe.paint(canvas);
}

bool ImageFromCanvas(const Canvas& canvas, TextureStore store, bool mips, TextureKind kind, Image& out)
{
    out.Clear();
    uint32_t levels = mips && kind != TextureKind::Lookup ? FullMipCount(canvas.Width(), canvas.Height()) : 1;
    Image argb;
    if (!argb.Create(PixelFormat::A8R8G8B8, canvas.Width(), canvas.Height(), levels)) return false;
    Canvas level = canvas;
    for (uint32_t l = 0; l < levels; l++) {
        if (l > 0) {
            level = level.Halved();
            if (kind == TextureKind::NormalMap) Renormalise(level);
        }
        StoreLevel(level, argb.Level(0, l));
    }
    if (store == TextureStore::Argb || store == TextureStore::Jpeg) {
        out = std::move(argb);
        return true;
    }
    return ConvertImage(argb, store == TextureStore::Dxt1 ? PixelFormat::DXT1 : PixelFormat::DXT5, out);
}

namespace {

// The file bytes of an image in the recipe's store.
bool WriteStored(const Image& image, TextureStore store, std::vector<uint8_t>& out)
{
    if (store == TextureStore::Jpeg) return EncodeImageFile(image, ImageFileFormat::JPG, out);
    return WriteDds(image, out);
}

}  // namespace

bool BuildTexture(const TextureRecipe& recipe, std::vector<uint8_t>& dds, std::vector<uint8_t>* low)
{
    dds.clear();
    Canvas canvas;
    if (!PaintRecipe(recipe, canvas)) {
        Log("ERROR texgen: cannot paint %s\n", recipe.path);
        return false;
    }
    Image image;
    if (!ImageFromCanvas(canvas, recipe.store, recipe.mips, recipe.kind, image) || !WriteStored(image, recipe.store, dds)) {
        Log("ERROR texgen: cannot encode %s\n", recipe.path);
        return false;
    }
    if (low) {
        low->clear();
        Canvas half = canvas;
        if (recipe.kind != TextureKind::Lookup) {
            half = canvas.Halved();
            if (recipe.kind == TextureKind::NormalMap) Renormalise(half);
        }
        Image lowImage;
        if (!ImageFromCanvas(half, recipe.store, recipe.mips, recipe.kind, lowImage) ||
            !WriteStored(lowImage, recipe.store, *low)) {
            Log("ERROR texgen: cannot encode the low-detail copy of %s\n", recipe.path);
            return false;
        }
    }
    return true;
}

std::vector<std::string> OutputsOf(const TextureRecipe& recipe)
{
    std::string top, rest;
    SplitPath(recipe.path, top, rest);
    if (top == "textures") return {"textures/" + rest, "textureslow/" + rest};
    return {top + "/" + rest};
}

std::vector<std::string> OutputsOf(const std::vector<TextureRecipe>& recipes)
{
    std::vector<std::string> all;
    for (const TextureRecipe& recipe : recipes)
        for (const std::string& output : OutputsOf(recipe)) all.push_back(output);
    return all;
}

bool GenerateTextures(const std::vector<TextureRecipe>& recipes, const std::string& outputFolder, std::string* error)
{
    if (!CheckRecipes(recipes, error)) return false;

    // Recipes are independent: paint them side by side, write them in table order.
    struct Result {
        std::vector<uint8_t> dds, low;
        bool ok = false;
    };
    std::vector<Result> results(recipes.size());
    std::atomic<size_t> next{0};
    auto work = [&]() {
        for (size_t i = next++; i < recipes.size(); i = next++) {
            bool world = OutputsOf(recipes[i]).size() == 2;
            results[i].ok = BuildTexture(recipes[i], results[i].dds, world ? &results[i].low : nullptr);
        }
    };
    unsigned threads = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; t++) pool.emplace_back(work);
    work();
    for (std::thread& t : pool) t.join();

    for (size_t i = 0; i < recipes.size(); i++) {
        if (!results[i].ok) {
            if (error) *error = std::string("cannot make ") + recipes[i].path;
            return false;
        }
        std::vector<std::string> outputs = OutputsOf(recipes[i]);
        if (!WriteFile(std::filesystem::path(outputFolder) / outputs[0], results[i].dds, error)) return false;
        if (outputs.size() == 2 && !WriteFile(std::filesystem::path(outputFolder) / outputs[1], results[i].low, error))
            return false;
    }
    return true;
}
