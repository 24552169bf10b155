#pragma once
// A heightmap: a grid of float heights between 0 and its vertical scale, and (made when first
// needed) a one-byte-per-texel dynamic texture "dyn_heightmap" that mirrors the grid as grey
// levels. The terrain builds its ground from one; the level generator smooths one and saves it
// as the level's height image; the terrain editor sculpts, smooths and noise-fills them and
// shows its brush strokes on the texture before reading the stroke back into the grid.
//
// A height h becomes the grey level trunc(h x 255 / verticalScale), kept to 0..255, and a grey
// level g reads back as g / 255 x verticalScale. The grid knows nothing of world units: the
// terrain multiplies by its cell size.
//
// Cells outside the grid read as 0 and are never written. Everything that touches the texture
// does nothing while there is none (no device, or the texture could not be made).
#include <vector>

struct TextureRecord;

class Heightmap {
public:
    Heightmap(int width, int height, float verticalScale);
    ~Heightmap();
    Heightmap(const Heightmap&) = delete;
    Heightmap& operator=(const Heightmap&) = delete;

    // Lets go of the grid and forgets the texture (which the texture manager keeps).
    void Free();

    float GetHeightAt(int x, int y) const;
    bool IsInside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    // Every cell becomes value, kept to -verticalScale .. +verticalScale.
    void Fill(float value);
    // The grid from an image file of any size, resampled to the grid; an image that cannot be
    // read leaves the grid all zero (false, nothing logged beyond the reader's own line).
    bool LoadImage(const char* path);

    // Finds or makes "dyn_heightmap" at the grid's size and uploads the grid; nothing when the
    // texture is already there.
    void RefreshTexture();
    // Writes every cell to its texel.
    void UploadToTexture();
    // Writes the grid as a grey BMP image (the level generator's height image); the texture is
    // refreshed on the way when it can be. False when the file could not be written.
    bool SaveTexture(const char* path);
    // One texel from a height; cells outside the grid are skipped. False when nothing was
    // written (no texture, or one that will not lock).
    bool SetTexel(int x, int y, float h);
    // A brush stroke on the texture only, square of side size around (cx, cy): mode 0 raises
    // with a linear falloff, 1 sets the height amount inside the radius, 2 adds amount inside it.
    // False when the texture cannot be drawn on (none, or one that will not lock).
    bool BrushTexture(float amount, int size, int cx, int cy, int mode);
    // Reads the texels of a square back into the grid: size 0 means the square of side width
    // from (0, 0), any other size the square of that side around (cx, cy).
    void ReadBackRegion(int size, int cx, int cy);

    // Blends every cell toward the mean of its 3 x 3 block (factor 0: unchanged, 1: the mean).
    void Smooth(float factor);
    // Every cell of the square of side size around (cx, cy) becomes the mean of its 3 x 3 block.
    void SmoothRegion(int size, int cx, int cy);
    // Every cell times the other grid's cell (as a fraction of the other's vertical scale);
    // cells the other grid does not have stay as they are.
    void MultiplyBy(const Heightmap& other);
    // Octave value noise over the grid; returns 0.
    int GenerateNoise(int seed, float zoom, float persistence, int octaves);

    // The texel a height becomes: trunc(h x 255 / verticalScale) kept to 0..255, so a height
    // below 0 never wraps round into a peak.
    int HeightToByte(float h) const;

    int width;
    int height;
    float verticalScale;
    std::vector<float> data;  // row-major, cell (x, y) at y x width + x
    TextureRecord* texture = nullptr;
};

// The lattice value of octave noise for an integer m, in (-1, 1].
float NoiseLatticeValue(int m);
