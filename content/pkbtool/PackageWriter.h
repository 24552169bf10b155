#pragma once
// Writes package files (.pkb) for the data build. The game only reads packages; this is the
// other half, kept next to the reader's layout: a 16-byte header (magic, version, entry count,
// total data size), 272-byte directory entries, then the data back to back in directory order.
#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t PACKAGE_MAGIC = 0x00424B50;  // "PKB\0"
constexpr uint32_t PACKAGE_VERSION = 1;

struct PackageEntry {
    std::string name;        // the key the game looks up (a file name, at most 127 characters)
    std::string secondName;  // where it came from, shown in duplicate warnings
    std::vector<unsigned char> data;
};

// Writes the package in one go (through a temporary file, so a failed build never leaves a
// half-written package). Names that differ only in case count as the same name, because the
// game finds entries without regard to case: such duplicates are refused. False with a
// message in error on failure.
bool WritePackage(const std::string& path, const std::vector<PackageEntry>& entries, std::string* error = nullptr);

// Turns the tool's inputs (files, and folders read recursively in name order, hidden files
// skipped) into entries keyed by file name alone; the second name is the path below the
// input's parent folder. Two inputs with the same file name are an error.
bool CollectPackageInputs(const std::vector<std::string>& inputs, std::vector<PackageEntry>& entries,
                          std::string* error = nullptr);
