#pragma once
// The three header packets of every Vorbis stream in an Ogg file, read and checked before the
// decoder sees the file. The decoder trusts some setup values it later divides or steps by
// (a codebook dimension of 0 kills the process with a division by zero, or loops for ever):
// a stream is refused here unless every header reads to its end and every value is sound.
#include <cstdio>
#include <string>

// Reads the whole file from its current position; true when it holds one logical stream, a
// Vorbis stream whose headers pass (chained and multiplexed files are refused). On false,
// reason says what was wrong ("codebook 3 used by residue 0 has dimension 0"). The file
// position is left anywhere: the caller seeks back. A file of N bytes costs at most N bytes of
// header packets and one page (64 KB) of buffer.
bool CheckVorbisHeaders(FILE* file, std::string* reason);

// The same over the three packets of one stream (identification, comment, setup).
bool CheckVorbisHeaderPackets(const unsigned char* const packets[3], const long sizes[3], std::string* reason);
