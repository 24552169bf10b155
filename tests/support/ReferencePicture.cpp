#include "tests/support/ReferencePicture.h"

#include "host/Image.h"
#include "host/ImageCodec.h"
#include "host/System.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

bool UpdatingReferences()
{
    const char* update = getenv("VELDMARK_UPDATE_REFERENCES");
    return update && update[0] && strcmp(update, "0") != 0;
}

int ChannelDifference(uint32_t a, uint32_t b)
{
    int largest = 0;
    for (int shift = 0; shift < 32; shift += 8)
        largest = std::max(largest, std::abs((int)((a >> shift) & 0xFF) - (int)((b >> shift) & 0xFF)));
    return largest;
}

// Opaque pictures (every screen the tests read back) are written without their alpha: a
// third smaller, and read back the same.
bool SavePicture(const Pixels& pixels, const std::string& path)
{
    bool opaque = true;
    for (uint32_t c : pixels.argb) opaque = opaque && (c >> 24) == 0xFF;
    Image image;
    if (!image.Create(opaque ? PixelFormat::X8R8G8B8 : PixelFormat::A8R8G8B8, (uint32_t)pixels.width,
                      (uint32_t)pixels.height))
        return false;
    memcpy(image.Level(0, 0), pixels.argb.data(), pixels.argb.size() * 4);
    return SaveImageFile(path.c_str(), ImageFileFormat::PNG, image);
}

}  // namespace

std::string ReferencePath(const std::string& name)
{
    return std::string(VELDMARK_REFERENCE_FOLDER) + "/" + name + ".png";
}

std::string TestPictureFolder()
{
    return VELDMARK_TEST_PICTURE_FOLDER;
}

Pixels ReadPicture(const std::string& path)
{
    Pixels pixels;
    Image image;
    FileStatus status;
    if (GetFileStatus(path.c_str(), status) != 0 || !LoadImageFile(path.c_str(), image)) return pixels;
    if (image.format != PixelFormat::A8R8G8B8) return pixels;
    pixels.width = (int)image.width;
    pixels.height = (int)image.height;
    const uint32_t* texels = (const uint32_t*)image.Level(0, 0);
    pixels.argb.assign(texels, texels + (size_t)image.width * image.height);
    return pixels;
}

Pixels LoadReference(const std::string& name)
{
    return ReadPicture(ReferencePath(name));
}

Pixels CropPixels(const Pixels& picture, int x0, int y0, int x1, int y1)
{
    Pixels part;
    x0 = std::max(x0, 0), y0 = std::max(y0, 0);
    x1 = std::min(x1, picture.width), y1 = std::min(y1, picture.height);
    if (x1 <= x0 || y1 <= y0) return part;
    part.width = x1 - x0;
    part.height = y1 - y0;
    for (int y = y0; y < y1; ++y)
        part.argb.insert(part.argb.end(), picture.argb.begin() + (size_t)y * picture.width + x0,
                         picture.argb.begin() + (size_t)y * picture.width + x1);
    return part;
}

Pixels CropAround(const Pixels& picture, int ax, int ay, int bx, int by, int margin)
{
    return CropPixels(picture, std::min(ax, bx) - margin, std::min(ay, by) - margin, std::max(ax, bx) + margin,
                      std::max(ay, by) + margin);
}

::testing::AssertionResult MatchesReference(const Pixels& picture, const std::string& name, PictureTolerance tolerance)
{
    if (picture.width <= 0 || picture.height <= 0) return ::testing::AssertionFailure() << "no picture for " << name;
    Pixels reference = LoadReference(name);
    std::ostringstream problem;
    Pixels diff = picture;
    if (reference.argb.empty()) {
        problem << "there is no reference picture " << ReferencePath(name);
    } else if (reference.width != picture.width || reference.height != picture.height) {
        problem << "the picture is " << picture.width << " x " << picture.height << ", its reference "
                << ReferencePath(name) << " " << reference.width << " x " << reference.height;
    } else {
        int differing = 0, largest = 0, firstX = -1, firstY = -1;
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x) {
                size_t i = (size_t)y * picture.width + x;
                int difference = ChannelDifference(picture.argb[i], reference.argb[i]);
                largest = std::max(largest, difference);
                if (difference > tolerance.channel) {
                    if (differing++ == 0) firstX = x, firstY = y;
                    diff.argb[i] = 0xFFFF0000u;
                } else {
                    uint32_t c = reference.argb[i];
                    int grey = ((c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF)) / 12;
                    diff.argb[i] = 0xFF000000u | (uint32_t)grey << 16 | (uint32_t)grey << 8 | (uint32_t)grey;
                }
            }
        if (differing <= tolerance.pixels) return ::testing::AssertionSuccess();
        problem << differing << " pixels differ from " << ReferencePath(name) << " by more than " << tolerance.channel
                << " (at most " << tolerance.pixels << " may), the first at (" << firstX << ", " << firstY
                << "), the largest difference " << largest;
    }

    if (UpdatingReferences()) {
        if (!SavePicture(picture, ReferencePath(name)))
            return ::testing::AssertionFailure() << "cannot write " << ReferencePath(name);
        printf("updated the reference %s: %s\n", ReferencePath(name).c_str(), problem.str().c_str());
        return ::testing::AssertionSuccess();
    }
    std::string folder = TestPictureFolder();
    CreateFolder(folder.c_str());
    std::string picturePath = folder + "/" + name + ".png", diffPath = folder + "/" + name + "-diff.png";
    bool saved = SavePicture(picture, picturePath);
    if (!reference.argb.empty() && reference.width == picture.width && reference.height == picture.height)
        saved = SavePicture(diff, diffPath) && saved;
    else
        diffPath = "(none)";
    ::testing::AssertionResult result = ::testing::AssertionFailure();
    result << problem.str() << ";\n";
    if (saved)
        result << "the picture: " << picturePath << ", its differences: " << diffPath;
    else
        result << "and the picture could not be written to " << folder;
    return result << "\n(VELDMARK_UPDATE_REFERENCES=1 makes the picture the reference)";
}
