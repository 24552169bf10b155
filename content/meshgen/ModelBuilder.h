#pragma once
// Models and animations as short descriptions: a skeleton of named joints, materials, and
// parts (Shapes.h) that each ride one joint rigidly; animations as one curve per joint value.
//
//   ModelBuilder model("data/textures/white.dds", "data/shaders/flat.fx");
//   int body = model.AddJoint("Chassis", -1, Vec3(0, 1, 0));
//   model.Add(Box(Vec3(1, 0.5f, 0.9f)).Colour(0.5f, 0.5f, 0.6f), body);
//
// Coordinates are the mesh file's: y up, the model faces +z, and +x is the model's own left
// (the game mirrors x on the way to the screen).
#include "content/meshgen/Shapes.h"
#include "render/Animation.h"

#include <functional>
#include <string>
#include <vector>

class ModelBuilder {
public:
    // normalMap null: none (the game then binds its flat normal map).
    ModelBuilder(const char* texture, const char* effect, const char* normalMap = nullptr);

    // Starts another material; parts added after go into it. Returns its index.
    int AddMaterial(const char* texture, const char* effect, const char* normalMap = nullptr);
    // A joint offset from its parent's origin (joints are not turned at rest); the first joint
    // is the root of all others. Returns its index.
    int AddJoint(const char* name, int parent, const Vec3& offset);
    // A part given about the joint's origin; it moves with that joint. Parts of a model with
    // joints added without one ride the root joint; without joints the model is static.
    void Add(MeshPart part, int joint = -1);

    // Where a joint sits in the model at rest.
    Vec3 JointPosition(int joint) const;
    // Fills the mesh's materials and joints (the mesh is emptied first).
    void Build(IndexedMesh* mesh) const;

private:
    struct Material {
        std::string texture;
        std::string effect;
        std::string normalMap;
        MeshPart part;
        std::vector<int> vertexJoints;
    };
    struct Joint {
        std::string name;
        int parent;
        Vec3 offset;
    };
    std::vector<Material> materials_;
    std::vector<Joint> joints_;
};

class AnimationBuilder {
public:
    // keyCount keys at framesPerSecond. A looping cycle spreads them over one period without
    // repeating the first key at its end; a one-shot ends exactly on its last key.
    AnimationBuilder(int keyCount, float framesPerSecond, bool loops);

    // A channel whose value at phase p (0 at the start, 1 at the end of the animation) is
    // curve(p). Rotations in radians; translations are the joint's local position (its rest
    // offset plus the movement).
    void Channel(const char* joint, AnimChannelType type, const std::function<float(float)>& curve);
    Animation Build() const { return animation_; }
    // Seconds the animation takes when played.
    float Seconds() const { return keyCount_ / framesPerSecond_; }

private:
    int keyCount_;
    float framesPerSecond_;
    bool loops_;
    Animation animation_;
};

// Curves for animations.
float Wave(float phase, float cycles = 1.0f);              // sin(2 pi cycles phase)
float Smooth(float from, float to, float phase);           // 0 before from, 1 after to, smooth between
float Pulse(float phase, float attack, float release);     // rises to 1 by attack, back to 0 by release
