#pragma once
// Shared by the fuzz targets (one loader each, see fuzz.sh): a quiet, headless process with a
// user folder of its own, and the input as a file or as a text for the loaders that want those.
#include <cstddef>
#include <cstdint>
#include <string>

// Once, before the first input: no window, sound or message boxes; the working folder is the
// project root (fuzz.sh starts the targets there), so shipped data such as texture lists is found.
void PrepareFuzzing();

// Writes the input to this process's scratch file ending in `extension`; returns its path.
const char* WriteInputFile(const uint8_t* data, size_t size, const char* extension);

// The input as a writable, zero-terminated text (parsers that cut their text in place).
std::string InputText(const uint8_t* data, size_t size);
