// Damaged music and picture files that once killed, hung or swamped the game (found by the
// fuzz targets in fuzz/), read again through the loaders the game uses. Each must be refused
// with a logged error, or load within its memory bound: a file of N bytes may cost a few
// times N plus twice what its pixels legitimately take, never more. New finds go into
// tests/data/bad-files/ and a line of the table below.
#include "host/AudioOgg.h"
#include "host/ImageCodec.h"
#include "host/Log.h"
#include "host/System.h"
#include "tests/support/AllocationPeak.h"

#include <gtest/gtest.h>

#include <string>

namespace {

enum class Loader { Music, Texture };

struct BadFile {
    const char* path;
    Loader loader;
    // What the file legitimately describes, in bytes (0: nothing; it is refused).
    size_t describes;
    const char* logged;  // in the log when refused
};

size_t FileSize(const char* path)
{
    FileStatus status;
    return GetFileStatus(path, status) == 0 ? (size_t)status.size : 0;
}

}  // namespace

TEST(BadFiles, EachIsRefusedOrLoadsWithinItsMemoryBound)
{
    const size_t texture4096 = 4096u * 4096u * 4u;
    const BadFile files[] = {
        // The decoder divided by zero on these (a codebook it could not build kept dimension 0).
        {"tests/data/bad-files/ogg/residue_fpe_01inverse.ogg", Loader::Music, 0, "refused"},
        {"tests/data/bad-files/ogg/res2_fpe.ogg", Loader::Music, 0, "refused"},
        // The decoder leaked a little on every failed open of this one.
        {"tests/data/bad-files/ogg/ov_open_leak.ogg", Loader::Music, 0, "refused"},
        // Sound headers, then a stream that starts after bytes a reader must skip to find it.
        {"tests/data/bad-files/ogg/stream_after_skipped_bytes.ogg", Loader::Music, 0, "refused"},
        // Three chained streams of headers alone: the decoder failed to open it and leaked.
        {"tests/data/bad-files/ogg/chained_links_without_sound.ogg", Loader::Music, 0, "refused"},
        // Formats the game does not read: one hung the decoder, one read past its buffer.
        {"tests/data/bad-files/image/hdr_rle_hang.hdr", Loader::Texture, 0, "ERROR image"},
        {"tests/data/bad-files/image/pnm16_1x1.ppm", Loader::Texture, 0, "ERROR image"},
        // A Huffman table of more than 256 codes, written past the decoder's table.
        {"tests/data/bad-files/image/jpeg_huffman_index257.jpg", Loader::Texture, 0, "Huffman table"},
        {"tests/data/bad-files/image/jpeg_fill_before_start.jpg", Loader::Texture, 0, "Huffman table"},
        // 26 bytes declaring 17 million run-length coded pixels: the decoder made them all from
        // the zeros past the end, for seconds.
        {"tests/data/bad-files/image/tga_26_bytes_of_17m_pixels.tga", Loader::Texture, 0, "cannot come from"},
        // A 382-byte file claiming a 1.5 GB data chunk.
        {"tests/data/bad-files/image/png_idat_length_alloc_1_5GB.png", Loader::Texture, 0, "runs past the end"},
        // Small files of large pictures: they load, scaled to the largest texture, in 8-bit pixels.
        {"tests/data/bad-files/image/amplify_2049x2049.png", Loader::Texture, 2049u * 2049u * 4u + texture4096, nullptr},
        {"tests/data/bad-files/image/amplify_4100x4100.png", Loader::Texture, 4100u * 4100u * 4u + texture4096, nullptr},
    };
    for (const BadFile& file : files) {
        SCOPED_TRACE(file.path);
        size_t size = FileSize(file.path);
        ASSERT_GT(size, 0u);
        LogCaptureBegin();
        AllocationPeak peak;
        bool loaded;
        Image image;
        if (file.loader == Loader::Music) {
            AudioOggDecoder decoder;
            loaded = decoder.Open(file.path);
        } else {
            // As the graphics device loads a texture.
            loaded = CreateImageFromFileEx(file.path, IMAGE_DEFAULT, IMAGE_DEFAULT, IMAGE_FROM_FILE, PixelFormat::Unknown,
                                           IMAGE_DEFAULT, IMAGE_DEFAULT, 0, image);
        }
        size_t used = peak.Bytes();
        std::string log = LogCaptureEnd();
        if (file.logged) {
            EXPECT_FALSE(loaded);
            EXPECT_NE(log.find(file.logged), std::string::npos) << log;
            EXPECT_TRUE(image.IsEmpty());
        } else {
            ASSERT_TRUE(loaded) << log;
            EXPECT_EQ(image.width, MaxTextureSide);
            EXPECT_EQ(image.height, MaxTextureSide);
            EXPECT_EQ(image.format, PixelFormat::A8R8G8B8);
        }
        EXPECT_LE(used, 16 * size + 2 * file.describes + (4u << 20)) << "peak bytes";
    }
}
