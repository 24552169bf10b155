#pragma once
// The texture manager: textures kept by name in a 127-bucket named table.

class TextureManager {
public:
    // Bucket of a name in a table of bucketCount buckets. Letters are folded to lower case
    // first, so every spelling of a name lands in the bucket its case-insensitive lookup
    // searches. An empty name (or no table) gives 0.
    static int HashName(const char* name, int bucketCount);
};
