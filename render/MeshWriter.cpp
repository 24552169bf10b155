// Writers of the mesh and animation text formats, for the content generator and the tests. They
// write what the readers keep, in an order the readers accept, so that a file written, read
// back and written again comes out the same. Floats are written with six significant digits,
// which a float reads back to exactly.
#include "render/Animation.h"
#include "render/IndexedMesh.h"
#include "render/MeshFormat.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

void Append(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

void Append(std::string& out, const char* format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    int length = vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length > 0) out.append(buffer, (size_t)length < sizeof buffer ? (size_t)length : sizeof buffer - 1);
}

void AppendFloat(std::string& out, float value)
{
    Append(out, " %.6g", value == 0.0f ? 0.0f : value);
}

// Names go in quotes when they hold a blank or are empty, so they stay one token.
void AppendName(std::string& out, const char* name)
{
    if (!name[0] || strpbrk(name, " \t\r\n"))
        Append(out, " \"%s\"", name);
    else
        Append(out, " %s", name);
}

void AppendNameLine(std::string& out, const char* keyword, const char* value, const char* unset)
{
    if (strcmp(value, unset) == 0) return;
    out += keyword;
    AppendName(out, value);
    out += '\n';
}

}  // namespace

std::string WriteMeshText(const IndexedMesh& mesh)
{
    std::string out;
    out += "Version 1\n";
    Append(out, "nummeshes %d\n", mesh.MaterialCount());
    if (mesh.JointCount() > 0) {
        Append(out, "numjoints %d\n", mesh.JointCount());
        for (const MeshJoint& joint : mesh.joints) {
            Append(out, "joint %d", joint.parent);
            AppendName(out, joint.name);
            for (int row = 0; row < 4; ++row)
                for (int column = 0; column < 4; ++column) AppendFloat(out, joint.bindMatrix.m[row][column]);
            out += '\n';
        }
    }
    for (int m = 0; m < mesh.MaterialCount(); ++m) {
        const MeshMaterial& material = mesh.materials[m];
        Append(out, "mesh %d\n", m);
        AppendNameLine(out, "texture", material.textureName, "NO_TEXTURE");
        AppendNameLine(out, "cubemap", material.cubeMapName, "none");
        AppendNameLine(out, "normalmap", material.normalMapName, "none");
        AppendNameLine(out, "specularmap", material.specularMapName, "none");
        AppendNameLine(out, "blendTexture", material.blendTextureName, "none");
        AppendNameLine(out, "blendNormalmap", material.blendNormalMapName, "none");
        AppendNameLine(out, "alpha", material.alphaMapName, "none");
        if (material.repeatU != 1.0f || material.repeatV != 1.0f) {
            out += "repeatUV";
            AppendFloat(out, material.repeatU);
            AppendFloat(out, material.repeatV);
            out += '\n';
        }
        AppendNameLine(out, "effect", material.effectName, "none");
        AppendNameLine(out, "technique", material.techniqueName, "none");

        Append(out, "numverts %d\n", material.VertexCount());
        for (const MeshVertex& vertex : material.Vertices()) {
            out += "vert";
            AppendFloat(out, vertex.position.x);
            AppendFloat(out, vertex.position.y);
            AppendFloat(out, vertex.position.z);
            AppendFloat(out, vertex.u);
            AppendFloat(out, vertex.v);
            AppendFloat(out, vertex.normal.x);
            AppendFloat(out, vertex.normal.y);
            AppendFloat(out, vertex.normal.z);
            for (int shift = 16; shift >= 0; shift -= 8) AppendFloat(out, (float)((vertex.colour >> shift) & 0xFF) / 255.0f);
            out += '\n';
        }
        Append(out, "numtris %d\n", material.TriangleCount());
        for (int t = 0; t < material.TriangleCount(); ++t) {
            const MeshTriangle& triangle = material.Triangles()[t];
            Append(out, "tri %d %d %d %d\n", t, triangle.index[0], triangle.index[1], triangle.index[2]);
        }
        if (material.WeightCount() > 0) {
            Append(out, "numweights %d\n", material.WeightCount());
            for (const SkinWeight& record : material.Weights()) {
                Append(out, "weight %d", record.count);
                for (int k = 0; k < record.count && k < MAX_VERTEX_INFLUENCES; ++k) {
                    Append(out, " %d", record.joint[k]);
                    AppendFloat(out, record.weight[k]);
                }
                out += '\n';
            }
        }
    }
    out += "END_OF_FILE\n";
    return out;
}

std::string WriteAnimationText(const Animation& animation)
{
    std::string out;
    out += "Version 1\n";
    Append(out, "channelCount %d\n", animation.ChannelCount());
    for (const AnimChannel& channel : animation.channels) {
        out += "channel";
        AppendName(out, channel.jointName);
        AppendName(out, channel.typeName);
        out += " firstFrame";
        AppendFloat(out, channel.firstFrame);
        out += " lastFrame";
        AppendFloat(out, channel.lastFrame);
        out += " frameRate";
        AppendFloat(out, channel.frameRate * 2.0f);
        Append(out, " keyCount %d\n", channel.KeyCount());
        for (int k = 0; k < channel.KeyCount(); ++k) {
            AppendFloat(out, channel.keys[k]);
            out += (k % 8 == 7 || k + 1 == channel.KeyCount()) ? "\n" : "";
        }
    }
    out += "END_OF_FILE\n";
    return out;
}
