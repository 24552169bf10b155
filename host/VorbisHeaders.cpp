#include "host/VorbisHeaders.h"

#include "host/SteadyMath.h"

#include <ogg/ogg.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Bits of a header packet, least significant bit of each byte first, as the format packs them.
// Reading past the end marks the reader failed and gives 0.
class BitReader {
public:
    BitReader(const unsigned char* data, long size) : data_(data), bits_(size > 0 ? (uint64_t)size * 8 : 0) {}

    uint32_t Read(int count)
    {
        if (count <= 0) return 0;
        if ((uint64_t)count > bits_ - position_) {
            failed_ = true;
            position_ = bits_;
            return 0;
        }
        uint32_t value = 0;
        for (int i = 0; i < count; ++i, ++position_)
            value |= (uint32_t)((data_[position_ >> 3] >> (position_ & 7)) & 1) << i;
        return value;
    }
    bool Skip(uint64_t count)
    {
        if (count > bits_ - position_) {
            failed_ = true;
            position_ = bits_;
            return false;
        }
        position_ += count;
        return true;
    }
    uint64_t BitsLeft() const { return bits_ - position_; }
    bool Failed() const { return failed_; }

private:
    const unsigned char* data_;
    uint64_t bits_;
    uint64_t position_ = 0;
    bool failed_ = false;
};

// Bits needed to write the value (0 for 0).
int BitLength(uint32_t value)
{
    int bits = 0;
    while (value) {
        ++bits;
        value >>= 1;
    }
    return bits;
}

// The greatest r with r^dimensions <= entries: the value count of a lattice lookup table.
uint64_t LatticeValues(uint32_t entries, uint32_t dimensions)
{
    if (entries < 1 || dimensions < 1) return 0;
    auto power = [&](uint64_t base) {  // base^dimensions, saturated just above entries
        uint64_t result = 1;
        for (uint32_t i = 0; i < dimensions && result <= entries; ++i) result *= base;
        return result;
    };
    uint64_t r = (uint64_t)std::floor(Pow((double)entries, 1.0 / dimensions));
    if (r < 1) r = 1;
    while (r > 1 && power(r) > entries) --r;
    while (power(r + 1) <= entries) ++r;
    return r;
}

struct Codebook {
    uint32_t dimensions = 0;
    uint32_t entries = 0;
    uint32_t lookup = 0;
};

class SetupReader {
public:
    SetupReader(BitReader& bits, int channels, std::string* reason) : in_(bits), channels_(channels), reason_(reason) {}

    bool Read()
    {
        int bookCount = (int)in_.Read(8) + 1;
        for (int i = 0; i < bookCount; ++i)
            if (!ReadCodebook(i)) return false;
        int times = (int)in_.Read(6) + 1;
        for (int i = 0; i < times; ++i)
            if (in_.Read(16) != 0) return Fail("unknown time-domain transform");
        floors_ = (int)in_.Read(6) + 1;
        for (int i = 0; i < floors_; ++i)
            if (!ReadFloor(i)) return false;
        residues_ = (int)in_.Read(6) + 1;
        for (int i = 0; i < residues_; ++i)
            if (!ReadResidue(i)) return false;
        mappings_ = (int)in_.Read(6) + 1;
        for (int i = 0; i < mappings_; ++i)
            if (!ReadMapping(i)) return false;
        int modes = (int)in_.Read(6) + 1;
        for (int i = 0; i < modes; ++i) {
            in_.Read(1);
            uint32_t window = in_.Read(16), transform = in_.Read(16), mapping = in_.Read(8);
            if (window != 0 || transform != 0) return Fail("mode " + std::to_string(i) + " has an unknown window or transform");
            if ((int)mapping >= mappings_) return Fail("mode " + std::to_string(i) + " names no mapping");
        }
        if (in_.Read(1) != 1 || in_.Failed()) return Fail("the setup header is cut short");
        return true;
    }

private:
    bool Fail(const std::string& what)
    {
        if (reason_) *reason_ = what;
        return false;
    }
    bool CutShort() { return Fail("the setup header is cut short"); }

    bool ReadCodebook(int index)
    {
        std::string name = "codebook " + std::to_string(index);
        if (in_.Read(24) != 0x564342) return in_.Failed() ? CutShort() : Fail(name + " has no sync pattern");
        Codebook book;
        book.dimensions = in_.Read(16);
        book.entries = in_.Read(24);
        if (in_.Failed()) return CutShort();
        if (BitLength(book.dimensions) + BitLength(book.entries) > 24) return Fail(name + " is too large");
        // The code lengths must make a complete prefix code (one entry of one bit aside): the
        // decoder cannot build its table otherwise, and then leaves the book with no dimension.
        // Each entry of length n takes 2^(32 - n) of the 2^32 codes of length 32.
        uint64_t taken = 0, used = 0, shortest = 33;
        auto take = [&](uint32_t length, uint64_t count) {
            taken += count << (32 - length);
            used += count;
            if (count) shortest = std::min<uint64_t>(shortest, length);
        };
        if (in_.Read(1) == 0) {
            bool sparse = in_.Read(1) != 0;
            if (in_.BitsLeft() < (uint64_t)book.entries * (sparse ? 1 : 5)) return CutShort();
            for (uint32_t e = 0; e < book.entries && !in_.Failed(); ++e)
                if (!sparse || in_.Read(1)) take(in_.Read(5) + 1, 1);
        } else {
            uint32_t length = in_.Read(5) + 1;
            for (uint32_t e = 0; e < book.entries && !in_.Failed();) {
                uint32_t count = in_.Read(BitLength(book.entries - e));
                if (length > 32 || count > book.entries - e) return Fail(name + " has a bad length list");
                take(length, count);
                e += count;
                ++length;
            }
        }
        if (in_.Failed()) return CutShort();
        if (used > 1 ? taken != (1ull << 32) : used == 1 && shortest != 1)
            return Fail(name + "'s code lengths do not make a complete code");
        book.lookup = in_.Read(4);
        if (book.lookup == 1 || book.lookup == 2) {
            in_.Read(32);
            in_.Read(32);
            uint32_t valueBits = in_.Read(4) + 1;
            in_.Read(1);
            uint64_t values = book.lookup == 1 ? LatticeValues(book.entries, book.dimensions)
                                               : (uint64_t)book.entries * book.dimensions;
            if (!in_.Skip(values * valueBits)) return CutShort();
        } else if (book.lookup != 0) {
            return Fail(name + " has an unknown lookup type");
        }
        if (in_.Failed()) return CutShort();
        books_.push_back(book);
        return true;
    }

    // A book the decoder reads vectors of: it must exist, have values and a dimension, which
    // the decoder divides and steps by.
    bool VectorBook(uint32_t book, const std::string& user)
    {
        if (book >= books_.size()) return Fail(user + " names codebook " + std::to_string(book) + ", which does not exist");
        if (books_[book].lookup == 0) return Fail(user + " uses codebook " + std::to_string(book) + ", which has no values");
        if (books_[book].dimensions < 1)
            return Fail("codebook " + std::to_string(book) + " used by " + user + " has dimension 0");
        return true;
    }

    bool ReadFloor(int index)
    {
        std::string name = "floor " + std::to_string(index);
        uint32_t type = in_.Read(16);
        if (type == 0) {
            uint32_t order = in_.Read(8), rate = in_.Read(16), barkMap = in_.Read(16);
            in_.Read(6);
            in_.Read(8);
            uint32_t bookCount = in_.Read(4) + 1;
            if (in_.Failed()) return CutShort();
            if (order < 1 || rate < 1 || barkMap < 1) return Fail(name + " has a zero order, rate or bark map size");
            for (uint32_t i = 0; i < bookCount; ++i)
                if (!VectorBook(in_.Read(8), name)) return in_.Failed() ? CutShort() : false;
            return true;
        }
        if (type != 1) return Fail(name + " is of unknown type " + std::to_string(type));
        uint32_t partitions = in_.Read(5);
        uint32_t partitionClass[32];
        int maxClass = -1;
        for (uint32_t i = 0; i < partitions; ++i) {
            partitionClass[i] = in_.Read(4);
            maxClass = std::max(maxClass, (int)partitionClass[i]);
        }
        uint32_t classDimensions[16];
        for (int c = 0; c <= maxClass; ++c) {
            classDimensions[c] = in_.Read(3) + 1;
            uint32_t subclasses = in_.Read(2);
            if (subclasses && in_.Read(8) >= books_.size()) return Fail(name + " names a codebook that does not exist");
            for (uint32_t k = 0; k < (1u << subclasses); ++k)
                if ((int)in_.Read(8) - 1 >= (int)books_.size()) return Fail(name + " names a codebook that does not exist");
        }
        in_.Read(2);
        int rangeBits = (int)in_.Read(4);
        // The decoder draws the curve between neighbouring x positions, dividing by their distance:
        // no position may repeat.
        std::vector<uint32_t> positions = {0, 1u << rangeBits};
        for (uint32_t i = 0; i < partitions; ++i)
            for (uint32_t k = 0; k < classDimensions[partitionClass[i]]; ++k) {
                positions.push_back(in_.Read(rangeBits));
                if (positions.size() > 65) return Fail(name + " has too many points");
            }
        if (in_.Failed()) return CutShort();
        std::sort(positions.begin(), positions.end());
        if (std::adjacent_find(positions.begin(), positions.end()) != positions.end())
            return Fail(name + " repeats an x position");
        return true;
    }

    bool ReadResidue(int index)
    {
        std::string name = "residue " + std::to_string(index);
        uint32_t type = in_.Read(16);
        if (type > 2) return Fail(name + " is of unknown type " + std::to_string(type));
        in_.Read(24);
        in_.Read(24);
        in_.Read(24);
        uint32_t classifications = in_.Read(6) + 1;
        uint32_t classBook = in_.Read(8);
        uint32_t cascade[64];
        int stages = 0;
        for (uint32_t i = 0; i < classifications; ++i) {
            cascade[i] = in_.Read(3);
            if (in_.Read(1)) cascade[i] |= in_.Read(5) << 3;
            for (int bit = 0; bit < 8; ++bit) stages += (cascade[i] >> bit) & 1;
        }
        std::vector<uint32_t> stageBooks;
        for (int i = 0; i < stages; ++i) stageBooks.push_back(in_.Read(8));
        if (in_.Failed()) return CutShort();
        // The classification book splits a partition word into one class per dimension.
        if (classBook >= books_.size()) return Fail(name + " names codebook " + std::to_string(classBook) + ", which does not exist");
        const Codebook& phrase = books_[classBook];
        if (phrase.dimensions < 1)
            return Fail("codebook " + std::to_string(classBook) + " used by " + name + " has dimension 0");
        uint64_t words = 1;
        for (uint32_t d = 0; d < phrase.dimensions; ++d) {
            words *= classifications;
            if (words > phrase.entries) return Fail(name + " has more class words than its codebook has entries");
        }
        for (uint32_t book : stageBooks)
            if (!VectorBook(book, name)) return false;
        return true;
    }

    bool ReadMapping(int index)
    {
        std::string name = "mapping " + std::to_string(index);
        if (in_.Read(16) != 0) return Fail(name + " is of unknown type");
        uint32_t submaps = in_.Read(1) ? in_.Read(4) + 1 : 1;
        if (in_.Read(1)) {
            uint32_t steps = in_.Read(8) + 1;
            int bits = BitLength((uint32_t)channels_ - 1);
            for (uint32_t i = 0; i < steps; ++i) {
                uint32_t magnitude = in_.Read(bits), angle = in_.Read(bits);
                if (magnitude == angle || magnitude >= (uint32_t)channels_ || angle >= (uint32_t)channels_)
                    return in_.Failed() ? CutShort() : Fail(name + " couples channels that do not exist");
            }
        }
        if (in_.Read(2) != 0) return Fail(name + " sets reserved bits");
        if (submaps > 1)
            for (int c = 0; c < channels_; ++c)
                if (in_.Read(4) >= submaps) return Fail(name + " sends a channel to a submap that does not exist");
        for (uint32_t i = 0; i < submaps; ++i) {
            in_.Read(8);
            uint32_t floor = in_.Read(8), residue = in_.Read(8);
            if (in_.Failed()) return CutShort();
            if ((int)floor >= floors_ || (int)residue >= residues_)
                return Fail(name + " names a floor or residue that does not exist");
        }
        return true;
    }

    BitReader& in_;
    int channels_;
    std::string* reason_;
    std::vector<Codebook> books_;
    int floors_ = 0;
    int residues_ = 0;
    int mappings_ = 0;
};

bool HeaderStart(BitReader& in, uint32_t type)
{
    if (in.Read(8) != type) return false;
    for (const char* c = "vorbis"; *c; ++c)
        if (in.Read(8) != (uint32_t)(unsigned char)*c) return false;
    return true;
}

}  // namespace

bool CheckVorbisHeaderPackets(const unsigned char* const packets[3], const long sizes[3], std::string* reason)
{
    auto fail = [&](const char* what) {
        if (reason) *reason = what;
        return false;
    };
    BitReader id(packets[0], sizes[0]);
    if (!HeaderStart(id, 1)) return fail("not a Vorbis stream");
    if (id.Read(32) != 0) return fail("unknown Vorbis version");
    int channels = (int)id.Read(8);
    uint32_t rate = id.Read(32);
    id.Skip(96);
    uint32_t shortBlock = id.Read(4), longBlock = id.Read(4);
    if (id.Read(1) != 1 || id.Failed()) return fail("the identification header is cut short");
    if (channels < 1 || rate < 1) return fail("no channels or no sample rate");
    if (shortBlock < 6 || longBlock < shortBlock || longBlock > 13) return fail("bad block sizes");

    BitReader comment(packets[1], sizes[1]);
    if (!HeaderStart(comment, 3)) return fail("the comment header is missing");

    BitReader setup(packets[2], sizes[2]);
    if (!HeaderStart(setup, 5)) return fail("the setup header is missing");
    return SetupReader(setup, channels, reason).Read();
}

bool CheckVorbisHeaders(FILE* file, std::string* reason)
{
    auto fail = [&](const std::string& what) {
        if (reason) *reason = what;
        return false;
    };
    if (!file) return fail("no file");
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    ogg_stream_state stream;
    bool started = false, checked = false, refused = false;
    std::vector<std::vector<unsigned char>> packets;
    std::string why;
    for (bool end = false; !end && !refused;) {
        char* buffer = ogg_sync_buffer(&sync, 65536);
        size_t got = buffer ? fread(buffer, 1, 65536, file) : 0;
        if (!buffer || ogg_sync_wrote(&sync, (long)got) != 0) {
            why = "out of memory";
            refused = true;
            break;
        }
        end = got == 0;
        ogg_page page;
        for (int synced; !refused && (synced = ogg_sync_pageout(&sync, &page)) != 0;) {
            if (synced < 0) continue;  // bytes skipped to the next page, as the decoder skips them
            if (!started) {
                if (!ogg_page_bos(&page)) {
                    why = "the file does not start a stream";
                    refused = true;
                    break;
                }
                ogg_stream_init(&stream, ogg_page_serialno(&page));
                started = true;
            } else if (ogg_page_bos(&page) || ogg_page_serialno(&page) != stream.serialno) {
                // Music of ours is one stream a file. The decoder's way through chained and
                // multiplexed files is where it fails and leaks on damaged ones.
                why = "the file holds more than one stream";
                refused = true;
                break;
            }
            if (checked || ogg_stream_pagein(&stream, &page) != 0) continue;
            ogg_packet packet;
            for (int result; !checked && (result = ogg_stream_packetout(&stream, &packet)) != 0;) {
                if (result < 0) {
                    why = "a header page is missing";
                    refused = true;
                    break;
                }
                packets.emplace_back(packet.packet, packet.packet + packet.bytes);
                if (packets.size() < 3) continue;
                const unsigned char* data[3] = {packets[0].data(), packets[1].data(), packets[2].data()};
                const long sizes[3] = {(long)packets[0].size(), (long)packets[1].size(), (long)packets[2].size()};
                if (!CheckVorbisHeaderPackets(data, sizes, &why)) {
                    refused = true;
                    break;
                }
                // The audio pages that follow need not be kept.
                checked = true;
                packets.clear();
                packets.shrink_to_fit();
                ogg_stream_reset(&stream);
            }
        }
    }
    ogg_sync_clear(&sync);
    if (started) ogg_stream_clear(&stream);
    if (refused) return fail(why);
    if (!started) return fail("no Ogg stream");
    if (!checked) return fail("the stream ends before its headers");
    return true;
}
