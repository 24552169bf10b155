#pragma once
// The mesh and animation text formats: the token stream, the value readers and the packages the
// files come from. Both formats are keyword files: tokens separated by blanks and line breaks
// (a token in double quotes may hold blanks), "/*" ... "*/" comments standing alone as tokens,
// and "END_OF_FILE" or "EOF" (any case, even inside a comment) ending the text. Keywords
// compare with case; words that are no keyword are skipped one by one.
//
// The game only reads these files; the writers beside the readers serve the content generator
// and the tests (write, read back, write again: the same text).
#include "host/Lexer.h"
#include "host/Maths.h"

#include <cstddef>
#include <string>

class IndexedMesh;
struct AnimChannel;

// Both formats are read by a Lexer under MODEL_RULES. The value readers convert the next tokens
// as decimal numbers: the leading numeric part of a token counts, a token without one gives 0,
// floats no float can hold give 0 and integers beyond the int range are clamped. Values read
// past the end of the text come back as 0 and mark the lexer as cut short, which the parsers
// treat as a broken file.
float ReadFloat(Lexer& in);
int ReadInt(Lexer& in);
void ReadFloat2(Lexer& in, float* a, float* b);
void ReadFloat3(Lexer& in, float* a, float* b, float* c);
void ReadVec3(Lexer& in, Vec3* out);
void ReadInt3(Lexer& in, int* a, int* b, int* c);
// One "joint" record (parent, name, 16 floats of the local bind matrix row by row) into joint
// index of mesh; false when the parent lies outside the declared joints or is the joint itself.
bool ReadJoint(Lexer& in, IndexedMesh* mesh, int index);
// One "channel" record; false when its key count lies outside 1..4095 or the text cannot hold it.
bool ReadAnimChannel(Lexer& in, AnimChannel* channel, const IndexedMesh* mesh);

// The packages the files are read from: "data/mesh.pkb" with "data/mesh_patch.pkb" before it,
// and "data/anims.pkb". They are opened on first use and stay open; pointing them elsewhere
// (tests, tools) closes the open ones. A null patch path means no patch package.
void SetMeshPackagePaths(const char* mainPath, const char* patchPath);
void SetAnimPackagePath(const char* path);
// Closes the mesh and mesh-patch packages (the graphics device does at its end); the next read
// opens them again.
void CloseMeshPackages();
bool MeshPackagesOpen();
// The text of the named entry (folders in name are dropped), patch package first; false when no
// package has it (an entry of size 0 counts as missing).
bool ReadMeshEntry(const char* name, std::string* text);
bool ReadAnimEntry(const char* name, std::string* text);

// The text IndexedMesh::ParseMesh reads back into the same materials and joints.
std::string WriteMeshText(const IndexedMesh& mesh);
