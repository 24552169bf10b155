#include "content/meshgen/ModelBuilder.h"

#include "host/System.h"

#include <cmath>

ModelBuilder::ModelBuilder(const char* texture, const char* effect, const char* normalMap)
{
    AddMaterial(texture, effect, normalMap);
}

int ModelBuilder::AddMaterial(const char* texture, const char* effect, const char* normalMap)
{
    materials_.push_back(Material{texture, effect, normalMap ? normalMap : "none", MeshPart(), {}});
    return (int)materials_.size() - 1;
}

int ModelBuilder::AddJoint(const char* name, int parent, const Vec3& offset)
{
    joints_.push_back(Joint{name, parent, offset});
    return (int)joints_.size() - 1;
}

Vec3 ModelBuilder::JointPosition(int joint) const
{
    Vec3 position;
    for (int j = joint; j >= 0 && j < (int)joints_.size(); j = joints_[j].parent) position += joints_[j].offset;
    return position;
}

void ModelBuilder::Add(MeshPart part, int joint)
{
    if (!joints_.empty() && joint < 0) joint = 0;
    Vec3 at = JointPosition(joint);
    part.Move(at.x, at.y, at.z);
    Material& material = materials_.back();
    material.part.Append(part);
    material.vertexJoints.insert(material.vertexJoints.end(), part.vertices.size(), joint);
}

void ModelBuilder::Build(IndexedMesh* mesh) const
{
    mesh->ClearData();
    mesh->materials.resize(materials_.size());
    for (size_t m = 0; m < materials_.size(); ++m) {
        const Material& source = materials_[m];
        MeshMaterial& material = mesh->materials[m];
        CopyText(material.textureName, sizeof material.textureName, source.texture.c_str());
        CopyText(material.effectName, sizeof material.effectName, source.effect.c_str());
        CopyText(material.normalMapName, sizeof material.normalMapName, source.normalMap.c_str());
        MeshGeometry& geometry = material.EditGeometry();
        geometry.vertices = source.part.vertices;
        // Rounding noise of the turns (1e-8 where 0 was meant) would only clutter the files.
        auto tidy = [](Vec3& v) {
            for (float* c : {&v.x, &v.y, &v.z})
                if (std::fabs(*c) < 1e-6f) *c = 0.0f;
        };
        for (MeshVertex& vertex : geometry.vertices) {
            tidy(vertex.position);
            tidy(vertex.normal);
        }
        geometry.triangles = source.part.triangles;
        if (!joints_.empty()) {
            geometry.weights.resize(source.vertexJoints.size());
            for (size_t v = 0; v < source.vertexJoints.size(); ++v) {
                SkinWeight& weight = geometry.weights[v];
                weight.count = 1;
                weight.joint[0] = source.vertexJoints[v];
                weight.weight[0] = 1.0f;
            }
        }
    }
    mesh->joints.resize(joints_.size());
    for (size_t j = 0; j < joints_.size(); ++j) {
        MeshJoint& joint = mesh->joints[j];
        CopyText(joint.name, sizeof joint.name, joints_[j].name.c_str());
        joint.parent = joints_[j].parent;
        MatrixTranslation(&joint.bindMatrix, joints_[j].offset.x, joints_[j].offset.y, joints_[j].offset.z);
        joint.bindTranslation = joints_[j].offset;
    }
}

AnimationBuilder::AnimationBuilder(int keyCount, float framesPerSecond, bool loops)
    : keyCount_(keyCount < 1 ? 1 : keyCount), framesPerSecond_(framesPerSecond), loops_(loops)
{
}

void AnimationBuilder::Channel(const char* joint, AnimChannelType type, const std::function<float(float)>& curve)
{
    static const char* const typeNames[] = {"rotateX", "rotateY", "rotateZ", "translateX", "translateY", "translateZ"};
    AnimChannel channel;
    channel.index = animation_.ChannelCount();
    CopyText(channel.jointName, sizeof channel.jointName, joint);
    CopyText(channel.typeName, sizeof channel.typeName, type < CHANNEL_UNKNOWN ? typeNames[type] : "none");
    channel.type = type;
    // The game plays frames at twice the stored rate (halved on loading, time run at double
    // speed), so a span of keyCount frames at the file's rate lasts keyCount / rate seconds.
    channel.firstFrame = 0.0f;
    channel.lastFrame = (float)keyCount_;
    channel.frameRate = framesPerSecond_ * 0.5f;
    channel.keys.resize(keyCount_);
    for (int k = 0; k < keyCount_; ++k) {
        float phase = loops_ ? (float)k / (float)keyCount_ : keyCount_ > 1 ? (float)k / (float)(keyCount_ - 1) : 0.0f;
        channel.keys[k] = curve(phase);
    }
    animation_.channels.push_back(channel);
}

float Wave(float phase, float cycles)
{
    return std::sin(2.0f * PI * cycles * phase);
}

float Smooth(float from, float to, float phase)
{
    if (phase <= from) return 0.0f;
    if (phase >= to) return 1.0f;
    float t = (phase - from) / (to - from);
    return t * t * (3.0f - 2.0f * t);
}

float Pulse(float phase, float attack, float release)
{
    if (phase < attack) return Smooth(0.0f, attack, phase);
    return 1.0f - Smooth(attack, release, phase);
}
