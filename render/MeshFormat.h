#pragma once
// The mesh and animation text formats: the token stream, the value readers and the packages the
// files come from. Both formats are keyword files: tokens separated by blanks and line breaks
// (a token in double quotes may hold blanks), "/*" ... "*/" comments standing alone as tokens,
// and "END_OF_FILE" or "EOF" (any case, even inside a comment) ending the text. Keywords
// compare with case; words that are no keyword are skipped one by one.
//
// The game only reads these files; the writers beside the readers serve the content generator
// and the tests (write, read back, write again: the same text).
#include "host/Maths.h"

#include <cstddef>
#include <string>

class IndexedMesh;
struct AnimChannel;

// The tokens of one file's text, cut in place. Values read past the end of the text come back
// as 0 and mark the stream as cut short, which the parsers treat as a broken file.
class MeshTokenReader {
public:
    explicit MeshTokenReader(char* text);
    // The next token, or null at the end of the text.
    const char* Next();
    // The next token for a value; at the end of the text an empty token, and CutShort is set.
    const char* NextValue();
    bool CutShort() const { return cutShort_; }
    // Characters not read yet: no count in a file can ask for more records than this allows.
    size_t Remaining() const;

private:
    char* end_;
    char* last_ = nullptr;
    bool started_ = false;
    bool ended_ = false;
    bool cutShort_ = false;
};

// Decimal numbers: the leading numeric part of a token counts; a token without one gives 0.
// Floats that are not finite give 0; integers beyond the int range are clamped.
float ParseDecimalFloat(const char* token);
int ParseDecimalInt(const char* token);

float ReadFloat(MeshTokenReader& in);
int ReadInt(MeshTokenReader& in);
void ReadFloat2(MeshTokenReader& in, float* a, float* b);
void ReadFloat3(MeshTokenReader& in, float* a, float* b, float* c);
void ReadVec3(MeshTokenReader& in, Vec3* out);
void ReadInt3(MeshTokenReader& in, int* a, int* b, int* c);
// One "joint" record (parent, name, 16 floats of the local bind matrix row by row) into joint
// index of mesh; false when the parent lies outside the declared joints or is the joint itself.
bool ReadJoint(MeshTokenReader& in, IndexedMesh* mesh, int index);
// One "channel" record; false when its key count lies outside 1..4095.
bool ReadAnimChannel(MeshTokenReader& in, AnimChannel* channel, const IndexedMesh* mesh);

// True for the tokens that end a file ("END_OF_FILE", "EOF", any case).
bool IsEndOfFileToken(const char* token);

// The packages the files are read from: "data/mesh.pkb" with "data/mesh_patch.pkb" before it,
// and "data/anims.pkb". They are opened on first use and stay open; pointing them elsewhere
// (tests, tools) closes the open ones. A null patch path means no patch package.
void SetMeshPackagePaths(const char* mainPath, const char* patchPath);
void SetAnimPackagePath(const char* path);
// The text of the named entry (folders in name are dropped), patch package first; false when no
// package has it (an entry of size 0 counts as missing).
bool ReadMeshEntry(const char* name, std::string* text);
bool ReadAnimEntry(const char* name, std::string* text);

// The text IndexedMesh::ParseMesh reads back into the same materials and joints.
std::string WriteMeshText(const IndexedMesh& mesh);
