#include "fuzz/FuzzSupport.h"

#include "host/System.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string scratchFolder;
std::string scratchFile;

void RemoveScratch()
{
    if (!scratchFile.empty()) remove(scratchFile.c_str());
    if (!scratchFolder.empty()) rmdir(scratchFolder.c_str());
}

}  // namespace

void PrepareFuzzing()
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
    setenv("VELDMARK_NO_MESSAGEBOX", "1", 1);
    SetMessageBoxesEnabled(false);
    // Lower case: the loaders look data paths up in lower case.
    const char* tmp = getenv("TMPDIR");
    scratchFolder = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/veldmark-fuzz-" + std::to_string(getpid());
    CreateFolder(scratchFolder.c_str());
    setenv("XDG_DATA_HOME", scratchFolder.c_str(), 1);
    atexit(RemoveScratch);
}

const char* WriteInputFile(const uint8_t* data, size_t size, const char* extension)
{
    if (!scratchFile.empty()) remove(scratchFile.c_str());
    scratchFile = scratchFolder + "/input" + extension;
    FILE* file = fopen(scratchFile.c_str(), "wb");
    if (file) {
        if (size) fwrite(data, 1, size, file);
        fclose(file);
    }
    return scratchFile.c_str();
}

std::string InputText(const uint8_t* data, size_t size)
{
    return std::string(reinterpret_cast<const char*>(data), size);
}
