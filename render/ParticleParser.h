#pragma once
// Particle definitions: short keyword texts that fill a particle-system template, read from
// the entries of data/effects.pkb at start-up and from loose "*.txt" files under
// data/effects/particles/ when the developer console reloads them. Also the particle texture
// list, data/effects/particletextures/particletextures.txt.
//
// Format: tokens separated by blanks, tabs and line breaks; a keyword (compared exactly)
// followed by its values. Unknown keywords are reported on standard output and skipped;
// numbers that do not read as numbers are 0, and are logged with their line. "END_PARTICLE"
// ends the definition (the token after it is ignored), "END_OF_FILE" the text.
#include "host/Lexer.h"
#include "platform/PooledList.h"

#include <cstdint>

class ParticleSystem;

struct ParticleTextureName {
    char name[128];  // the file name up to its first "."
    int index;
};

class ParticleParser {
public:
    static constexpr int TEXTURE_LIST_SIZE = 100;
    static const char* const TEXTURE_LIST_PATH;

    // Reads the texture list.
    ParticleParser();
    virtual ~ParticleParser();

    // Fills the record from a zero-terminated text (left unchanged); source names it in
    // warnings. Returns where the text goes on after the definition's end (the token that
    // follows "END_PARTICLE" skipped), or null at "END_OF_FILE" or the end of the text. The
    // record is of fixed size: a text of N bytes costs nothing beyond its longest token.
    char* ParseDefinition(char* text, ParticleSystem* record, const char* source = nullptr);
    // Reads a whole file and parses it; false (record untouched) when it cannot be opened.
    // A file of N bytes costs N while it is read.
    bool LoadFile(const char* path, ParticleSystem* record);
    // Reads the texture list again; a missing file leaves it empty.
    void LoadTextureList();

    PooledList<ParticleTextureName> textureList;

private:
    // Reads the next token as a blend name; an unknown name leaves blend as it is.
    void ParseBlendMode(Lexer& in, uint16_t* blend);
};
