#pragma once
// What the three definition scripts (items.cgs, units.cgs, buildItems.cgs) share in reading:
// the token stream with its comments, numbers that are taken only when they are numbers, text
// fields that never overflow, meshes and animations through the libraries, and the texts of
// the string tables.
//
// A number that is not there stays in the stream and is read as the next keyword, as a hand
// edit that dropped a value would read; the reader says so in the log with the line.
#include "platform/Files.h"

#include <cstddef>
#include <cstdint>
#include <string>

class Entity;
class IndexedMesh;

class CatalogueScript {
public:
    // Opens the script (its path fixed first); false when it is missing.
    bool Open(const char* path);
    // The next token with the comments skipped, or null at the end of the script.
    const char* Next();
    // A word argument; empty at the end of the script.
    std::string Word();
    // A number argument: taken only when the next token is one. false, with value untouched,
    // when it is not (logged for key).
    bool Int(const char* key, int* value);
    bool Float(const char* key, float* value);
    // The same for a number with a meaning only within low..high: one beyond is taken as the
    // nearest end, and logged.
    bool Int(const char* key, int* value, int low, int high);
    bool Float(const char* key, float* value, float low, float high);
    // count numbers; the first that is missing stops the reading, and it and the rest stay
    // as they were.
    void Floats(const char* key, float* values, int count);
    // An icon sheet's cell: columns, rows, column and row, packed into one word (columns in
    // the top byte, the row in the lowest).
    int32_t IconCell(const char* key);
    // A colour as red, green, blue and alpha (1.0 where one is missing), packed as ARGB.
    uint32_t Colour(const char* key);
    // Copies text into a field of size bytes; a text that does not fit is cut to fit and
    // logged (false).
    bool CopyField(const char* key, char* field, size_t size, const char* text);
    // "WARNING: <script> line <n>: ..." with the line of the last token.
    void Warn(const char* format, ...) __attribute__((format(printf, 2, 3)));
    int Line();

private:
    ScriptReader reader_;
};

// The side a script names: "FRIENDLY", "ENEMY", "PLAYER"; any other word is neutral.
int AlignmentFromWord(const std::string& word);
// The material a script names ("Default" .. "Wood"); current for a word that is none of them.
int CompositionFromWord(const std::string& word, int current);
// The text of a string-table tag; the text of "<unknown>" when the tables lack the tag.
const char* DescriptionText(const char* tag);
// A mesh of the game's mesh library by its path (fixed first), loaded now; null without a
// library or when the mesh cannot be read.
IndexedMesh* LoadLibraryMesh(const char* path, bool loadNow);
// Adds an animation file (path fixed first) to the mesh and plays it for the animation kind
// (ANIM_IDLE ..), with the slot's flags; false without a mesh or an animation library.
bool AddMeshAnimation(IndexedMesh* mesh, const char* path, int kind, uint32_t slotFlags, bool loadNow);
// Sets the entity's scale and scales its world matrix with it, as "SetScale" does for an
// item or a unit prototype.
void ScaleEntity(Entity* entity, float scale);
