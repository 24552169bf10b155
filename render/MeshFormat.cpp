// The mesh text format's reader, the value readers both formats share and the packages the files
// come from. Files are data we make, but a broken one (a hand edit, a bad generator change, a
// damaged package) must never take the game down: every count and index is checked before it is
// used, and a file that breaks the layout is refused as a whole rather than drawn half right.
#include "render/MeshFormat.h"

#include "host/Log.h"
#include "host/System.h"
#include "platform/Files.h"
#include "platform/PackageFile.h"
#include "render/Animation.h"
#include "render/IndexedMesh.h"

#include <cstdarg>
#include <cstring>
#include <string>

namespace {

// Beyond these a count is taken for a broken file rather than a big model.
constexpr int MAX_FILE_MATERIALS = 1024;
constexpr int MAX_FILE_JOINTS = 1024;
// Twice the vertices one draw can index: more triangles than that is no closed surface.
constexpr int MAX_FILE_TRIANGLES = 2 * MAX_SUBMESH_VERTICES;

// The fewest characters each record can be written in (keyword, one-character values and
// the blanks between them): what a file declares must fit in what is left of it.
constexpr size_t MIN_VERT_TEXT = 26;    // "vert" and 11 values
constexpr size_t MIN_TRI_TEXT = 11;     // "tri" and 4 values
constexpr size_t MIN_WEIGHT_TEXT = 8;   // "weight 0"

}  // namespace

// ---- Values

float ReadFloat(Lexer& in)
{
    float value = 0.0f;
    in.ToFloat(in.NextValue(), &value);
    return value;
}

int ReadInt(Lexer& in)
{
    int value = 0;
    in.ToInt(in.NextValue(), &value);
    return value;
}

void ReadFloat2(Lexer& in, float* a, float* b)
{
    *a = ReadFloat(in);
    *b = ReadFloat(in);
}

void ReadFloat3(Lexer& in, float* a, float* b, float* c)
{
    *a = ReadFloat(in);
    *b = ReadFloat(in);
    *c = ReadFloat(in);
}

void ReadVec3(Lexer& in, Vec3* out)
{
    ReadFloat3(in, &out->x, &out->y, &out->z);
}

void ReadInt3(Lexer& in, int* a, int* b, int* c)
{
    *a = ReadInt(in);
    *b = ReadInt(in);
    *c = ReadInt(in);
}

bool ReadJoint(Lexer& in, IndexedMesh* mesh, int index)
{
    MeshJoint& joint = mesh->joints[index];
    joint.parent = ReadInt(in);
    CopyText(joint.name, sizeof joint.name, in.NextValue());
    joint.flags = strcmp(joint.name, "wheel") == 0 ? JOINT_WHEEL : 0;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column) joint.bindMatrix.m[row][column] = ReadFloat(in);
    joint.bindTranslation = Vec3(joint.bindMatrix._41, joint.bindMatrix._42, joint.bindMatrix._43);
    return joint.parent >= -1 && joint.parent < mesh->JointCount() && joint.parent != index;
}

bool ReadAnimChannel(Lexer& in, AnimChannel* channel, const IndexedMesh* mesh)
{
    CopyText(channel->jointName, sizeof channel->jointName, in.NextValue());
    channel->jointIndex = mesh ? mesh->FindJoint(channel->jointName) : -1;
    CopyText(channel->typeName, sizeof channel->typeName, in.NextValue());
    static const char* const rotations[3] = {"rotateX", "rotateY", "rotateZ"};
    static const char* const translations[3] = {"translateX", "translateY", "translateZ"};
    channel->type = CHANNEL_UNKNOWN;
    for (int axis = 0; axis < 3; ++axis) {
        if (StrNICmp(channel->typeName, rotations[axis], 7) == 0) channel->type = CHANNEL_ROTATE_X + axis;
        if (StrNICmp(channel->typeName, translations[axis], 10) == 0) channel->type = CHANNEL_TRANSLATE_X + axis;
    }
    in.NextValue();
    channel->firstFrame = ReadFloat(in);
    in.NextValue();
    channel->lastFrame = ReadFloat(in);
    in.NextValue();
    channel->frameRate = ReadFloat(in) * 0.5f;
    in.NextValue();
    int keyCount = ReadInt(in);
    channel->keys.clear();
    if (keyCount < 1 || keyCount > MAX_CHANNEL_KEYS || (size_t)keyCount > in.Remaining() / 2) return false;
    channel->keys.resize(keyCount);
    for (float& key : channel->keys) key = ReadFloat(in);
    return true;
}

// ---- The mesh file

namespace {

class MeshParser {
public:
    MeshParser(IndexedMesh* mesh, const char* text) : mesh_(mesh), in_(text, MODEL_RULES, mesh->name) {}

    bool Run()
    {
        while (!failed_) {
            const char* token = in_.Next();
            if (!token) break;
            Keyword(token);
        }
        if (!failed_ && in_.CutShort()) Fail("the text ends inside a record");
        if (!failed_ && in_.InComment()) Log("WARNING: mesh %s: a comment is not closed\n", mesh_->name);
        if (!failed_) CheckComplete();
        if (!failed_) Validate();
        return !failed_;
    }

private:
    // What one material has read of the records it declared, and where it declared them.
    struct Progress {
        int vertices = 0, triangles = 0, weights = 0;
        int vertexLine = 0, triangleLine = 0, weightLine = 0;
    };

    void Refuse(int line, const char* format, va_list args)
    {
        char text[256];
        vsnprintf(text, sizeof text, format, args);
        Log("ERROR: mesh %s refused at line %d: %s\n", mesh_->name, line, text);
        failed_ = true;
    }

    void FailAt(int line, const char* format, ...) __attribute__((format(printf, 3, 4)))
    {
        va_list args;
        va_start(args, format);
        Refuse(line, format, args);
        va_end(args);
    }

    void Fail(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        va_list args;
        va_start(args, format);
        Refuse(in_.Line(), format, args);
        va_end(args);
    }

    // The text the records declared and not yet read need at the least.
    size_t OutstandingText() const
    {
        size_t total = 0;
        for (int m = 0; m < mesh_->MaterialCount(); ++m) {
            const MeshMaterial& material = mesh_->materials[m];
            const Progress& read = progress_[m];
            total += (size_t)(material.VertexCount() - read.vertices) * MIN_VERT_TEXT;
            total += (size_t)(material.TriangleCount() - read.triangles) * MIN_TRI_TEXT;
            total += (size_t)(material.WeightCount() - read.weights) * MIN_WEIGHT_TEXT;
        }
        return total;
    }

    // A count read for an allocation: within the limit and, for the records that come in
    // great numbers, no more than the rest of the text can hold together with what every
    // material still waits for, so that a few bytes of file never ask for gigabytes.
    int ReadCount(const char* keyword, int limit, size_t recordText)
    {
        int count = ReadInt(in_);
        if (count < 0 || count > limit) {
            Fail("\"%s %d\" is not a count this file can hold", keyword, count);
            return -1;
        }
        if (recordText > 0 && OutstandingText() + (size_t)count * recordText > in_.Remaining()) {
            Fail("\"%s %d\" asks for more records than the rest of the file holds", keyword, count);
            return -1;
        }
        return count;
    }

    MeshMaterial* Current(const char* keyword)
    {
        if (current_ >= 0 && current_ < mesh_->MaterialCount()) return &mesh_->materials[current_];
        Fail("\"%s\" comes before any \"mesh\"", keyword);
        return nullptr;
    }

    void Keyword(const char* token)
    {
        struct NameKeyword {
            const char* keyword;
            char (MeshMaterial::*field)[256];
        };
        static const NameKeyword nameKeywords[] = {
            {"cubemap", &MeshMaterial::cubeMapName},
            {"normalmap", &MeshMaterial::normalMapName},
            {"specularmap", &MeshMaterial::specularMapName},
            {"blendTexture", &MeshMaterial::blendTextureName},
            {"blendNormalmap", &MeshMaterial::blendNormalMapName},
            {"alpha", &MeshMaterial::alphaMapName},
        };
        for (const NameKeyword& name : nameKeywords) {
            if (strcmp(token, name.keyword) != 0) continue;
            const char* value = in_.NextValue();
            if (MeshMaterial* material = Current(name.keyword)) CopyLineValue(value, material->*name.field, 256);
            return;
        }

        if (strcmp(token, "Version") == 0) {
            in_.NextValue();
        } else if (strcmp(token, "nummeshes") == 0) {
            int count = ReadCount("nummeshes", MAX_FILE_MATERIALS, 0);
            if (count < 0) return;
            mesh_->materials.clear();
            mesh_->materials.resize(count);
            progress_.assign(count, Progress());
            current_ = -1;
        } else if (strcmp(token, "mesh") == 0) {
            int id = ReadInt(in_);
            if (id < 0) return Fail("negative mesh id %d", id);
            if (id >= mesh_->MaterialCount())
                return Fail("invalid mesh id %d: the file declares %d materials", id, mesh_->MaterialCount());
            current_ = id;
            progress_[id].vertices = 0;
        } else if (strcmp(token, "numverts") == 0) {
            MeshMaterial* material = Current(token);
            if (!material) return;
            progress_[current_].vertices = 0;
            material->EditGeometry().vertices.clear();
            int count = ReadCount("numverts", MAX_SUBMESH_VERTICES, MIN_VERT_TEXT);
            if (count < 0) return;
            material->EditGeometry().vertices.assign(count, MeshVertex());
            progress_[current_].vertexLine = in_.Line();
        } else if (strcmp(token, "numtris") == 0) {
            MeshMaterial* material = Current(token);
            if (!material) return;
            progress_[current_].triangles = 0;
            material->EditGeometry().triangles.clear();
            int count = ReadCount("numtris", MAX_FILE_TRIANGLES, MIN_TRI_TEXT);
            if (count < 0) return;
            material->EditGeometry().triangles.assign(count, MeshTriangle());
            progress_[current_].triangleLine = in_.Line();
        } else if (strcmp(token, "numweights") == 0) {
            MeshMaterial* material = Current(token);
            if (!material) return;
            progress_[current_].weights = 0;
            material->EditGeometry().weights.clear();
            int count = ReadCount("numweights", MAX_SUBMESH_VERTICES, MIN_WEIGHT_TEXT);
            if (count < 0) return;
            material->EditGeometry().weights.assign(count, SkinWeight());
            progress_[current_].weightLine = in_.Line();
        } else if (strcmp(token, "numjoints") == 0) {
            int count = ReadCount("numjoints", MAX_FILE_JOINTS, 0);
            if (count < 0) return;
            mesh_->joints.assign(count, MeshJoint());
            jointCounter_ = 0;
            jointLine_ = in_.Line();
        } else if (strcmp(token, "vert") == 0) {
            ReadVertex();
        } else if (strcmp(token, "tri") == 0) {
            ReadTriangle();
        } else if (strcmp(token, "weight") == 0) {
            ReadWeight();
        } else if (strcmp(token, "joint") == 0) {
            if (jointCounter_ >= mesh_->JointCount())
                return Fail("more \"joint\" records than the %d declared", mesh_->JointCount());
            int index = jointCounter_++;
            if (!ReadJoint(in_, mesh_, index))
                Fail("joint %d (%s) has parent %d", index, mesh_->joints[index].name, mesh_->joints[index].parent);
        } else if (strcmp(token, "texture") == 0 || strcmp(token, "shader") == 0) {
            const char* value = in_.NextValue();
            MeshMaterial* material = Current("texture");
            if (!material) return;
            CopyLineValue(value, material->textureName, sizeof material->textureName);
            if (StrICmp(material->textureName, "NO_TEXTURE") == 0)
                CopyText(material->textureName, sizeof material->textureName, "data/textures/default.dds");
        } else if (strcmp(token, "repeatUV") == 0) {
            float u, v;
            ReadFloat2(in_, &u, &v);
            if (MeshMaterial* material = Current("repeatUV")) {
                material->repeatU = u;
                material->repeatV = v;
            }
        } else if (strcmp(token, "effect") == 0) {
            const char* value = in_.NextValue();
            MeshMaterial* material = Current("effect");
            if (!material) return;
            CopyLineValue(value, material->effectName, sizeof material->effectName);
            if (strstr(material->effectName, "specular_pixel"))
                CopyText(material->effectName, sizeof material->effectName, "Data/shaders/flat.fx");
        } else if (strcmp(token, "technique") == 0) {
            const char* value = in_.NextValue();
            if (MeshMaterial* material = Current("technique"))
                CopyText(material->techniqueName, sizeof material->techniqueName, value);
        } else if (strcmp(token, "material") == 0) {
            // Fixed-function material values were never read from files.
        } else if (strcmp(token, "shaderparam") == 0) {
            if (strcmp(in_.NextValue(), "alpha") == 0) ReadFloat(in_);
        }
        // Any other word is skipped; the values after it are then skipped one by one.
    }

    void ReadVertex()
    {
        MeshMaterial* material = Current("vert");
        if (!material) return;
        std::vector<MeshVertex>& vertices = material->EditGeometry().vertices;
        int& counter = progress_[current_].vertices;
        if (counter >= (int)vertices.size())
            return Fail("more \"vert\" records than the %d declared for material %d", (int)vertices.size(), current_);
        MeshVertex& vertex = vertices[counter++];
        ReadVec3(in_, &vertex.position);
        ReadFloat2(in_, &vertex.u, &vertex.v);
        ReadVec3(in_, &vertex.normal);
        float colour[3];
        ReadFloat3(in_, &colour[0], &colour[1], &colour[2]);
        uint32_t argb = 0xFF000000u;
        for (int i = 0; i < 3; ++i) {
            float c = colour[i];
            uint32_t byte = c >= 1.0f ? 255u : c <= 0.0f ? 0u : (uint32_t)(c * 255.0f + 0.5f);
            argb |= byte << (16 - 8 * i);
        }
        vertex.colour = argb;
    }

    void ReadTriangle()
    {
        MeshMaterial* material = Current("tri");
        if (!material) return;
        std::vector<MeshTriangle>& triangles = material->EditGeometry().triangles;
        int& counter = progress_[current_].triangles;
        if (counter >= (int)triangles.size())
            return Fail("more \"tri\" records than the %d declared for material %d", (int)triangles.size(), current_);
        MeshTriangle& triangle = triangles[counter++];
        ReadInt(in_);
        ReadInt3(in_, &triangle.index[0], &triangle.index[1], &triangle.index[2]);
    }

    void ReadWeight()
    {
        MeshMaterial* material = Current("weight");
        if (!material) return;
        std::vector<SkinWeight>& weights = material->EditGeometry().weights;
        int& counter = progress_[current_].weights;
        if (counter >= (int)weights.size())
            return Fail("more \"weight\" records than the %d declared for material %d", (int)weights.size(), current_);
        SkinWeight& record = weights[counter++];
        int pairs = ReadInt(in_);
        if (pairs < 0 || pairs > MAX_VERTEX_INFLUENCES)
            return Fail("a weight record of %d pairs (at most %d)", pairs, MAX_VERTEX_INFLUENCES);
        record.count = 0;
        for (int i = 0; i < pairs; ++i) {
            int joint = ReadInt(in_);
            float weight = ReadFloat(in_);
            if (joint < 0) return Fail("a weight on joint %d", joint);
            if (weight > 0.01f) {
                record.joint[record.count] = joint;
                record.weight[record.count] = weight;
                ++record.count;
            }
        }
    }

    // Every record a file declares must come: one left out would stand at the origin.
    void CheckComplete()
    {
        for (int m = 0; m < mesh_->MaterialCount() && !failed_; ++m) {
            const MeshMaterial& material = mesh_->materials[m];
            const Progress& read = progress_[m];
            if (read.vertices != material.VertexCount())
                FailAt(read.vertexLine, "material %d declares %d vertices but gives %d", m, material.VertexCount(),
                       read.vertices);
            else if (read.triangles != material.TriangleCount())
                FailAt(read.triangleLine, "material %d declares %d triangles but gives %d", m,
                       material.TriangleCount(), read.triangles);
            else if (read.weights != material.WeightCount())
                FailAt(read.weightLine, "material %d declares %d weights but gives %d", m, material.WeightCount(),
                       read.weights);
        }
        // A joint left out is one no animation moves: it keeps its place at the origin.
        if (!failed_ && jointCounter_ != mesh_->JointCount())
            Log("WARNING: mesh %s line %d: the file declares %d joints but gives %d; the others never move\n",
                mesh_->name, jointLine_, mesh_->JointCount(), jointCounter_);
    }

    // What can only be checked once the whole file is read: indices against the counts that
    // were declared, and the joint hierarchy below the first joint. A joint outside that tree
    // (a loop of parents, a second root, a joint the file left out) is kept and never moved.
    void Validate()
    {
        const int jointCount = mesh_->JointCount();
        for (int m = 0; m < mesh_->MaterialCount() && !failed_; ++m) {
            const MeshMaterial& material = mesh_->materials[m];
            const int vertexCount = material.VertexCount();
            for (int t = 0; t < material.TriangleCount() && !failed_; ++t)
                for (int k = 0; k < 3; ++k) {
                    int index = material.Triangles()[t].index[k];
                    if (index < 0 || index >= vertexCount) {
                        Fail("triangle %d of material %d uses vertex %d of %d", t, m, index, vertexCount);
                        break;
                    }
                }
            for (int w = 0; w < material.WeightCount() && !failed_; ++w) {
                const SkinWeight& record = material.Weights()[w];
                for (int k = 0; k < record.count; ++k)
                    if (record.joint[k] >= jointCount) {
                        Fail("weight %d of material %d uses joint %d of %d", w, m, record.joint[k], jointCount);
                        break;
                    }
            }
        }
        if (failed_ || jointCount == 0) return;
        if (mesh_->joints[0].parent != -1) return Fail("the first joint has a parent");
        int outside = 0;
        for (int j = 1; j < jointCount; ++j) {
            int steps = 0;
            int walk = j;
            while (walk > 0 && steps++ <= jointCount) walk = mesh_->joints[walk].parent;
            if (walk != 0) ++outside;
        }
        if (outside > 0)
            Log("WARNING: mesh %s: %d joints are not below the first joint and never move\n", mesh_->name, outside);
        // Children in file order, each appended to its parent's list.
        for (MeshJoint& joint : mesh_->joints) joint.firstChild = joint.nextSibling = -1;
        for (int j = 1; j < jointCount; ++j) {
            if (mesh_->joints[j].parent < 0) continue;
            MeshJoint& parent = mesh_->joints[mesh_->joints[j].parent];
            if (parent.firstChild < 0) {
                parent.firstChild = j;
                continue;
            }
            int last = parent.firstChild;
            while (mesh_->joints[last].nextSibling >= 0) last = mesh_->joints[last].nextSibling;
            mesh_->joints[last].nextSibling = j;
        }
    }

    IndexedMesh* mesh_;
    Lexer in_;
    int current_ = -1;
    std::vector<Progress> progress_;  // one a material
    int jointCounter_ = 0;
    int jointLine_ = 0;
    bool failed_ = false;
};

}  // namespace

bool IndexedMesh::ParseMesh(char* text)
{
    ClearData();
    MeshParser parser(this, text);
    if (parser.Run()) return true;
    ClearData();
    return false;
}

// ---- Packages

namespace {

struct PackageSlot {
    PackageSlot(const char* defaultPath, bool isOptional) : path(defaultPath), optional(isOptional) {}
    std::string path;  // empty: no package
    PackageFile file;
    bool tried = false;
    bool optional = false;

    void Use(const char* newPath)
    {
        Close();
        path = newPath ? newPath : "";
    }

    void Close()
    {
        file.Close();
        tried = false;
    }

    // The entry's text, opening the package on first use.
    bool Read(const char* entryName, std::string* text)
    {
        if (!tried) {
            tried = true;
            if (!path.empty() && (!optional || FileExists(path.c_str(), false))) file.Open(path.c_str(), false);
        }
        if (file.GetEntryCount() == 0) return false;
        unsigned size = 0;
        const unsigned char* data = file.GetData(entryName, &size);
        if (!data || size == 0) return false;
        text->assign((const char*)data, size);
        file.ReleaseData(entryName);
        return true;
    }
};

PackageSlot& MeshPackage()
{
    static PackageSlot slot("data/mesh.pkb", false);
    return slot;
}

PackageSlot& MeshPatchPackage()
{
    static PackageSlot slot("data/mesh_patch.pkb", true);
    return slot;
}

PackageSlot& AnimPackage()
{
    static PackageSlot slot("data/anims.pkb", false);
    return slot;
}

}  // namespace

void SetMeshPackagePaths(const char* mainPath, const char* patchPath)
{
    MeshPackage().Use(mainPath);
    MeshPatchPackage().Use(patchPath);
}

void SetAnimPackagePath(const char* path)
{
    AnimPackage().Use(path);
}

void CloseMeshPackages()
{
    MeshPackage().Close();
    MeshPatchPackage().Close();
}

bool MeshPackagesOpen()
{
    return MeshPackage().file.GetEntryCount() > 0 || MeshPatchPackage().file.GetEntryCount() > 0;
}

bool ReadMeshEntry(const char* name, std::string* text)
{
    char entryName[MAX_PATH_TEXT];
    GetFileName(name ? name : "", entryName);
    return MeshPatchPackage().Read(entryName, text) || MeshPackage().Read(entryName, text);
}

bool ReadAnimEntry(const char* name, std::string* text)
{
    char entryName[MAX_PATH_TEXT];
    GetFileName(name ? name : "", entryName);
    return AnimPackage().Read(entryName, text);
}

bool IndexedMesh::LoadMeshFile(const char* fileName)
{
    ClearData();
    std::string text;
    if (!ReadMeshEntry(fileName, &text)) {
        Log("ERROR: trying to load mesh %s\n", fileName ? fileName : "");
        return false;
    }
    return ParseMesh(&text[0]);
}
