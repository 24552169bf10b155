// pkbtool <output.pkb> <files or folders...>: packs files into a package for the game.
// Entries are keyed by file name alone; two inputs with the same file name are an error.
#include "content/pkbtool/PackageWriter.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: pkbtool <output.pkb> <files or folders...>\n");
        return 2;
    }
    std::vector<std::string> inputs(argv + 2, argv + argc);
    std::vector<PackageEntry> entries;
    std::string error;
    if (!CollectPackageInputs(inputs, entries, &error) || !WritePackage(argv[1], entries, &error)) {
        fprintf(stderr, "pkbtool: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    return 0;
}
