// The pose of a skinned mesh: which slot plays, sampling its animation into joint values,
// the joint matrices down the hierarchy and the skinned vertices.
//
// The animation time of an entity's mesh runs at twice the frame delta (the Scene advances it
// and so does the sampling), and files store frame rates that are halved on loading, so the
// keys play at the speed they were made for.
#include "render/IndexedMesh.h"

#include "host/Log.h"
#include "platform/Timer.h"
#include "render/AnimLibrary.h"

#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <xmmintrin.h>
#define VELDMARK_SKIN_SSE 1
#else
#define VELDMARK_SKIN_SSE 0
#endif

#include <cstddef>

static_assert(offsetof(MeshGpuVertex, normal) == offsetof(MeshGpuVertex, position) + 3 * sizeof(float),
              "the skinning loop writes the position and the normal as one run of six floats");
static_assert(offsetof(MeshVertex, u) == offsetof(MeshVertex, position) + 3 * sizeof(float) &&
                  offsetof(MeshVertex, colour) == offsetof(MeshVertex, normal) + 3 * sizeof(float),
              "the skinning loop reads the position and the normal four floats at a time");

namespace {

// p x m for an affine matrix, with or without the translation row.
[[maybe_unused]] Vec3 TransformAffine(const Vec3& p, const Matrix& m, bool translate)
{
    Vec3 r(p.x * m._11 + p.y * m._21 + p.z * m._31, p.x * m._12 + p.y * m._22 + p.z * m._32,
           p.x * m._13 + p.y * m._23 + p.z * m._33);
    if (translate) r += Vec3(m._41, m._42, m._43);
    return r;
}


// Skins one vertex into out from its influences (none: it keeps its file position).
void SkinOne(const MeshVertex& vertex, const SkinWeight* record, const MeshJoint* joints, int jointCount,
             MeshGpuVertex* out)
{
#if VELDMARK_SKIN_SSE
    // Four lanes at once, each summed in the same order as the plain loop below, so the
    // skinned vertices come out the same to the last bit.
    // The position and the normal each come in with one load (their fourth lane is the
    // next field, never used) and are spread across the lanes from there.
    const __m128 p3 = _mm_loadu_ps(&vertex.position.x), n3 = _mm_loadu_ps(&vertex.normal.x);
    const __m128 px = _mm_shuffle_ps(p3, p3, _MM_SHUFFLE(0, 0, 0, 0)), py = _mm_shuffle_ps(p3, p3, _MM_SHUFFLE(1, 1, 1, 1)),
                 pz = _mm_shuffle_ps(p3, p3, _MM_SHUFFLE(2, 2, 2, 2));
    const __m128 nx = _mm_shuffle_ps(n3, n3, _MM_SHUFFLE(0, 0, 0, 0)), ny = _mm_shuffle_ps(n3, n3, _MM_SHUFFLE(1, 1, 1, 1)),
                 nz = _mm_shuffle_ps(n3, n3, _MM_SHUFFLE(2, 2, 2, 2));
    __m128 position = _mm_setzero_ps(), normal = _mm_setzero_ps();
    int influences = 0;
    if (record) {
        int count = record->count < MAX_VERTEX_INFLUENCES ? record->count : MAX_VERTEX_INFLUENCES;
        for (int k = 0; k < count; ++k) {
            int joint = record->joint[k];
            if (joint < 0 || joint >= jointCount) continue;
            const Matrix& m = joints[joint].skinMatrix;
            const __m128 row1 = _mm_loadu_ps(&m._11), row2 = _mm_loadu_ps(&m._21), row3 = _mm_loadu_ps(&m._31),
                         row4 = _mm_loadu_ps(&m._41);
            const __m128 w = _mm_set1_ps(record->weight[k]);
            __m128 p = _mm_add_ps(_mm_add_ps(_mm_mul_ps(px, row1), _mm_mul_ps(py, row2)), _mm_mul_ps(pz, row3));
            p = _mm_add_ps(p, row4);
            position = _mm_add_ps(position, _mm_mul_ps(p, w));
            __m128 n = _mm_add_ps(_mm_add_ps(_mm_mul_ps(nx, row1), _mm_mul_ps(ny, row2)), _mm_mul_ps(nz, row3));
            normal = _mm_add_ps(normal, _mm_mul_ps(n, w));
            ++influences;
        }
    }
    if (influences == 0) {
        // Nothing moves it: it stays where the file put it.
        WriteMirrored(vertex.position, vertex.normal, out);
        return;
    }
    // Mirrored on the way out, as WriteMirrored does: x negated. The position and the
    // normal lie side by side in the vertex: (x y z nx) in one store, (ny nz) in another.
    const __m128 mirror = _mm_set_ps(0.0f, 0.0f, 0.0f, -0.0f);
    position = _mm_xor_ps(position, mirror);
    normal = _mm_xor_ps(normal, mirror);
    const __m128 zzNxNx = _mm_shuffle_ps(position, normal, _MM_SHUFFLE(0, 0, 2, 2));
    _mm_storeu_ps(out->position, _mm_shuffle_ps(position, zzNxNx, _MM_SHUFFLE(2, 0, 1, 0)));
    _mm_storel_pi(reinterpret_cast<__m64*>(&out->normal[1]), _mm_shuffle_ps(normal, normal, _MM_SHUFFLE(3, 3, 2, 1)));
#else
    Vec3 position, normal;
    int influences = 0;
    if (record) {
        int count = record->count < MAX_VERTEX_INFLUENCES ? record->count : MAX_VERTEX_INFLUENCES;
        for (int k = 0; k < count; ++k) {
            int joint = record->joint[k];
            if (joint < 0 || joint >= jointCount) continue;
            const Matrix& m = joints[joint].skinMatrix;
            position += TransformAffine(vertex.position, m, true) * record->weight[k];
            normal += TransformAffine(vertex.normal, m, false) * record->weight[k];
            ++influences;
        }
    }
    if (influences == 0) {
        // Nothing moves it: it stays where the file put it.
        position = vertex.position;
        normal = vertex.normal;
    }
    WriteMirrored(position, normal, out);
#endif
}

}  // namespace

void IndexedMesh::Update(float timeStep)
{
    if (!(flags & MESH_BUILT) || subMeshes.empty() || !(flags & MESH_SKINNED) || !AnimationPlay) return;
    // A mesh drawn several times in one frame moves its clock once; the world's ticks move it
    // again, however many a frame runs (both counters only grow, so their sum is new at each
    // frame and each tick).
    int frame = FrameTimer.GetFrameCount() + WorldTicks.count;
    const bool inTick = WorldTicks.inTick;
    if (inTick && poseTick != WorldTicks.count) {
        // The pose on show before this tick: the picture moves from it to this tick's.
        poseBeforeTick = pose;
        poseTick = WorldTicks.count;
    }
    if (!EvaluateAnimation(timeStep, frame)) return;
    if (inTick) {
        skinnedFrame = -1;
        return;
    }
    poseTick = -1;
    PoseJoints(pose);
    for (int i = 0; i < MaterialCount(); ++i) SkinVertices(i);
    skinnedFrame = FrameTimer.GetFrameCount();
    skinnedTick = WorldTicks.count;
    skinnedShare = 1.0f;
}

int PoseDetailForDistance(float distance)
{
    // Near the camera a limb's swing between two ticks shows; further off the tick's pose
    // will do, and far off a stride's every third tick: a unit there is a few pixels tall.
    if (distance < 60.0f) return 0;
    if (distance < 120.0f) return 1;
    return 3;
}

void IndexedMesh::SkinForDrawing()
{
    if (!(flags & MESH_BUILT) || subMeshes.empty() || !(flags & MESH_SKINNED)) return;
    const int tick = WorldTicks.count;
    // Posed once in so many ticks: what was skinned stays on show in between, though each tick
    // moved the pose (a tick marks the skin stale by its frame; a mesh set to rest or put back
    // has no skinned tick, and is skinned at once).
    if (drawDetail > 1 && skinnedTick >= 0 && skinnedTick <= tick && tick - skinnedTick < drawDetail) return;
    const bool between = drawDetail == 0 && poseTick >= 0 && poseTick == tick && poseBeforeTick.version != pose.version;
    const float share = between ? WorldTicks.carry : 1.0f;
    if (skinnedFrame >= 0 && skinnedTick == tick && skinnedShare == share && jointsVersion == pose.version) return;
    skinnedFrame = FrameTimer.GetFrameCount();
    skinnedTick = tick;
    skinnedShare = share;
    if (between && share < 1.0f && skinBeforeVersion != poseBeforeTick.version) {
        if (jointsVersion != poseBeforeTick.version) PoseJoints(poseBeforeTick);
        skinBeforeTick.resize(joints.size());
        for (size_t j = 0; j < joints.size(); ++j) skinBeforeTick[j] = joints[j].skinMatrix;
        skinBeforeVersion = poseBeforeTick.version;
    }
    PoseJointsForDrawing();
    if (share >= 1.0f || !between) {
        for (int i = 0; i < MaterialCount(); ++i) SkinVertices(i);
        return;
    }
    // A tenth of a second turns a limb little: the matrices are blended entry by entry.
    thread_local std::vector<Matrix> tickPose;
    tickPose.resize(joints.size());
    for (size_t j = 0; j < joints.size(); ++j) {
        tickPose[j] = joints[j].skinMatrix;
        const Matrix& before = skinBeforeTick[j];
        Matrix& drawn = joints[j].skinMatrix;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) drawn.m[r][c] = before.m[r][c] + (tickPose[j].m[r][c] - before.m[r][c]) * share;
    }
    for (int i = 0; i < MaterialCount(); ++i) SkinVertices(i);
    for (size_t j = 0; j < joints.size(); ++j) joints[j].skinMatrix = tickPose[j];
}

void IndexedMesh::PoseJointsForDrawing()
{
    if (jointsVersion != pose.version) PoseJoints(pose);
}

void IndexedMesh::PoseJoints(const PoseRecipe& recipe)
{
    jointsVersion = recipe.version;
    if (joints.empty()) return;
    if (recipe.bind) {
        UpdateJointMatrices(0, -1, true);
        return;
    }
    thread_local std::vector<Vec3> rotation, translation;
    rotation.resize(joints.size());
    translation.resize(joints.size());
    SamplePose(recipe, nullptr, rotation.data(), translation.data());
    for (size_t j = 0; j < joints.size(); ++j) {
        joints[j].rotation = rotation[j];
        joints[j].translation = translation[j];
    }
    UpdateJointMatrices(0, -1, false);
}

bool IndexedMesh::EvaluateAnimation(float timeStep, int frame)
{
    // A clock that stands still (the game held, a level just made or loaded standing up)
    // leaves the clock and the pose as they are, a blend under way too: only a mesh that has
    // no pose yet takes its first at once. (The clock may have gone on since its last sample:
    // that sample is the next step's to take.)
    if (timeStep == 0.0f && currentSlot >= 0 && !restPending_) return false;
    float w = 1.0f;
    bool blending = false;
    if (blendRemaining > 0.0f) {
        w = 1.0f - blendRemaining / ANIMATION_BLEND_TIME;
        blendRemaining -= timeStep;
        if (blendRemaining < 0.0f) blendRemaining = 0.0f;
        blending = true;
    }
    if (frame >= 0) {
        if (lastFrame == frame) return false;
        lastFrame = frame;
    }
    if (currentSlot < 0) {
        int idle = animationSlot[ANIM_IDLE];
        if (idle < 0) return false;
        currentSlot = idle;
        previousSlot = -1;
        time = 0.0f;
        blendRemaining = 0.0f;
    }
    if (currentSlot >= ANIMATION_ID_COUNT) return false;
    const Animation* animation = animations[currentSlot].get();
    if (!animation || animation->channels.empty() || animation->channels[0].keys.empty()) return false;

    int wheel = -1;
    for (int j = 0; j < JointCount(); ++j)
        if (joints[j].flags & JOINT_WHEEL) wheel = j;
    if (wheel >= 0 && animationSlot[ANIM_WALK] >= 0 && currentSlot == animationSlot[ANIM_WALK])
        wheelTurn = std::fmod(wheelTurn + 5.0f * timeStep, 360.0f);

    // An animation without a positive length holds its first key.
    const float duration = animation->Duration();
    const bool holding = animation->hold != 0;
    time += timeStep;
    if (time < 0.0f || !std::isfinite(time)) time = 0.0f;
    if (duration <= 0.0f) {
        time = 0.0f;
    } else if (time >= duration) {
        time = holding ? duration : 0.0f;
        int idle = animationSlot[ANIM_IDLE];
        if ((slotFlags[currentSlot] & SLOT_RETURN_TO_IDLE) && idle >= 0 && idle != currentSlot) {
            time = 0.0f;
            previousSlot = currentSlot;
            currentSlot = idle;
            blendRemaining = ANIMATION_BLEND_TIME;
        }
    }

    const int keyCount = animation->channels[0].KeyCount();
    float position = duration > 0.0f ? time / duration * (float)keyCount : 0.0f;
    if (!(position >= 0.0f)) position = 0.0f;
    if (position > (float)keyCount) position = (float)keyCount;
    int key = (int)position;
    const float fraction = position - (float)key;
    if (key >= keyCount) key = holding ? keyCount - 1 : 0;
    currentKey = key;
    if (!blending && currentKey == lastKey && (!AnimationInterpolate || fraction <= 0.1f)) return false;
    // A clock that stands still (the game paused) samples the very pose on show again: the
    // unit is left as it is rather than skinned anew every frame.
    if (!blending && timeStep == 0.0f && currentKey == lastKey && fraction == lastFraction && animation == lastAnimation)
        return false;

    // The sample is kept, not taken: the pose starts from rest, or from the fading pose before
    // while a blend runs. A blend restarted again and again would keep every sample, so past a
    // few they are taken into the base.
    constexpr size_t MAX_SAMPLES = 6;
    if (!blending || restPending_) {
        pose.baseRotation.clear();
        pose.baseTranslation.clear();
        pose.samples.clear();
    } else if (pose.samples.size() >= MAX_SAMPLES) {
        std::vector<Vec3> rotation(joints.size()), translation(joints.size());
        SamplePose(pose, nullptr, rotation.data(), translation.data());
        pose.baseRotation = std::move(rotation);
        pose.baseTranslation = std::move(translation);
        pose.samples.clear();
    }
    PoseSample sample;
    sample.animation = animations[currentSlot];
    sample.key = currentKey;
    sample.fraction = fraction;
    sample.weight = w;
    sample.blending = blending;
    sample.interpolate = AnimationInterpolate;
    pose.samples.push_back(sample);
    pose.bind = false;
    pose.wheel = wheel;
    pose.wheelTurn = wheelTurn;
    pose.version = ++versions_;
    restPending_ = false;
    lastKey = currentKey;
    lastFraction = fraction;
    lastAnimation = animation;
    return true;
}

void IndexedMesh::SamplePose(const PoseRecipe& recipe, const uint8_t* want, Vec3* rotation, Vec3* translation) const
{
    const int count = JointCount();
    const bool based = recipe.baseRotation.size() == (size_t)count && recipe.baseTranslation.size() == (size_t)count;
    for (int j = 0; j < count; ++j) {
        if (want && !want[j]) continue;
        rotation[j] = based ? recipe.baseRotation[j] : Vec3();
        translation[j] = based ? recipe.baseTranslation[j] : Vec3();
    }
    for (const PoseSample& sample : recipe.samples) {
        const float w = sample.weight;
        for (int j = 0; j < count; ++j) {
            if ((want && !want[j]) || (joints[j].flags & JOINT_WHEEL)) continue;
            if (sample.blending) {
                rotation[j] *= 1.0f - w;
                translation[j] *= 1.0f - w;
            } else {
                rotation[j] = Vec3();
                translation[j] = Vec3();
            }
        }
        const Animation* animation = sample.animation.get();
        if (!animation || animation->channels.empty()) continue;
        const int keyCount = animation->channels[0].KeyCount();
        const bool holding = animation->hold != 0;
        const int key = sample.key;
        const float fraction = sample.fraction;
        for (const AnimChannel& channel : animation->channels) {
            const int keys = channel.KeyCount();
            if (keys <= key) continue;
            const int j = channel.jointIndex;
            if (j < 0 || j >= count || (want && !want[j])) continue;
            const MeshJoint& joint = joints[j];
            if (joint.flags & JOINT_WHEEL) continue;
            float value = channel.keys[key];
            if (sample.interpolate) {
                // A channel as long as the first wraps to its first key when looping; a shorter
                // one stays on its last key rather than reading past it.
                int next = key + 1;
                if (next >= keys) next = (!holding && keys >= keyCount) ? 0 : key;
                value = (1.0f - fraction) * channel.keys[key] + fraction * channel.keys[next];
            }
            float* target = nullptr;
            switch (channel.type) {
            case CHANNEL_ROTATE_X: target = &rotation[j].x; break;
            case CHANNEL_ROTATE_Y: target = &rotation[j].y; break;
            case CHANNEL_ROTATE_Z: target = &rotation[j].z; break;
            case CHANNEL_TRANSLATE_X: target = &translation[j].x; value -= joint.bindTranslation.x; break;
            case CHANNEL_TRANSLATE_Y: target = &translation[j].y; value -= joint.bindTranslation.y; break;
            case CHANNEL_TRANSLATE_Z: target = &translation[j].z; value -= joint.bindTranslation.z; break;
            default: continue;
            }
            if (sample.blending)
                *target += (value - *target) * w;
            else
                *target = value;
        }
    }
    // A wheel takes no channel: only the walking one turns, by the turn it had at the sample.
    for (int j = 0; j < count; ++j) {
        if ((want && !want[j]) || !(joints[j].flags & JOINT_WHEEL)) continue;
        rotation[j] = Vec3(j == recipe.wheel ? recipe.wheelTurn : 0.0f, 0.0f, 0.0f);
        translation[j] = Vec3();
    }
}

namespace {

// A joint's matrix through the hierarchy from its values: the one arithmetic of every pose,
// kept out of line so that the whole skeleton and a chain of it come out the same to the bit.
[[gnu::noinline]] Matrix PosedJoint(const Matrix& bind, const Vec3& rotation, const Vec3& translation, const Matrix* parent)
{
    Matrix rx, ry, rz, t;
    MatrixRotationX(&rx, rotation.x);
    MatrixRotationY(&ry, rotation.y);
    MatrixRotationZ(&rz, rotation.z);
    MatrixTranslation(&t, translation.x, translation.y, translation.z);
    Matrix local = rx * ry * rz * t * bind;
    return parent ? local * *parent : local;
}

// Walks the subtree under `joint` (parents before children, children in list order), calling
// visit(joint, parent) once for each. Iterative, and every joint visited at most once, so that a
// hierarchy made in code with a loop in it cannot recurse without end. The walk's lists are kept
// from one walk to the next: a unit on screen is posed every frame, and the lists would otherwise
// be made and freed for every joint.
template <class Visit>
void WalkJoints(const std::vector<MeshJoint>& joints, int joint, int parent, Visit visit)
{
    const int count = (int)joints.size();
    if (joint < 0 || joint >= count) return;
    thread_local std::vector<int> stack;
    thread_local std::vector<int> parents;
    thread_local std::vector<int> children;
    thread_local std::vector<uint8_t> done;
    stack.clear();
    parents.clear();
    done.assign(joints.size(), 0);
    stack.push_back(joint);
    parents.push_back(parent);
    while (!stack.empty()) {
        const int j = stack.back();
        const int p = parents.back();
        stack.pop_back();
        parents.pop_back();
        if (done[j]) continue;
        done[j] = 1;
        visit(j, p);
        // Children pushed in reverse so they are visited in list order.
        children.clear();
        for (int c = joints[j].firstChild; c >= 0 && c < count && (int)children.size() < count; c = joints[c].nextSibling)
            children.push_back(c);
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            stack.push_back(*it);
            parents.push_back(j);
        }
    }
}

}  // namespace

void IndexedMesh::UpdateJointMatrices(int joint, int parent, bool bindMode)
{
    WalkJoints(joints, joint, parent, [&](int j, int p) {
        MeshJoint& current = joints[j];
        const bool hasParent = p >= 0 && p < JointCount();
        if (bindMode) {
            current.worldMatrix = hasParent ? current.bindMatrix * joints[p].worldMatrix : current.bindMatrix;
            if (!MatrixInverse(&current.inverseBindMatrix, nullptr, &current.worldMatrix))
                MatrixIdentity(&current.inverseBindMatrix);
            current.skinMatrix = current.inverseBindMatrix * current.worldMatrix;
            current.bindTranslation = Vec3(current.worldMatrix._41, current.worldMatrix._42, current.worldMatrix._43);
        } else {
            current.worldMatrix = PosedJoint(current.bindMatrix, current.rotation, current.translation,
                                             hasParent ? &joints[p].worldMatrix : nullptr);
            current.skinMatrix = current.inverseBindMatrix * current.worldMatrix;
        }
    });
}

const std::vector<int>& IndexedMesh::PoseParents() const
{
    if (poseParents_.size() == joints.size()) return poseParents_;
    // The walk of UpdateJointMatrices from the root: each joint under the parent it is posed
    // under there.
    poseParents_.assign(joints.size(), -2);
    WalkJoints(joints, 0, -1, [&](int j, int p) { poseParents_[j] = p; });
    return poseParents_;
}

Matrix IndexedMesh::JointPoseMatrix(int joint) const
{
    if (joint < 0 || joint >= JointCount()) {
        Matrix identity;
        MatrixIdentity(&identity);
        return identity;
    }
    const std::vector<int>& parents = PoseParents();
    // A joint the walk never reaches is never moved.
    if (parents[joint] == -2) return joints[joint].worldMatrix;
    const size_t count = joints.size();
    if (chainMatrix_.size() != count) {
        chainMatrix_.assign(count, Matrix());
        chainVersion_.assign(count, UINT32_MAX);
    }
    const uint32_t version = pose.version;
    if (chainVersion_[joint] == version) return chainMatrix_[joint];
    // The joints from it up to the first one already posed at this version (or the root).
    thread_local std::vector<int> chain;
    chain.clear();
    for (int j = joint; j >= 0 && chainVersion_[j] != version; j = parents[j]) chain.push_back(j);
    thread_local std::vector<uint8_t> want;
    thread_local std::vector<Vec3> rotation, translation;
    if (!pose.bind) {
        want.assign(count, 0);
        rotation.resize(count);
        translation.resize(count);
        for (int j : chain) want[j] = 1;
        SamplePose(pose, want.data(), rotation.data(), translation.data());
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const int j = *it, p = parents[j];
        const MeshJoint& current = joints[j];
        const Matrix* parent = p >= 0 ? &chainMatrix_[p] : nullptr;
        if (pose.bind)
            chainMatrix_[j] = parent ? current.bindMatrix * *parent : current.bindMatrix;
        else
            chainMatrix_[j] = PosedJoint(current.bindMatrix, rotation[j], translation[j], parent);
        chainVersion_[j] = version;
    }
    return chainMatrix_[joint];
}

// A material's vertices regrouped for skinning: those moved by one joint alone go four at a
// time (a joint's vertices side by side, their positions, normals and weights laid out by
// lane), the rest one at a time. It belongs to the geometry, so every clone of a mesh shares it.
struct SkinPlan {
    struct alignas(16) Quad {
        float px[4], py[4], pz[4], nx[4], ny[4], nz[4], weight[4];
        uint32_t vertex[4];  // a joint's last quad repeats its last vertex to fill the lanes
        int joint;
    };
    // What it was made from; a geometry that no longer matches gets a new plan.
    const MeshVertex* vertices = nullptr;
    const SkinWeight* weights = nullptr;
    size_t vertexCount = 0, weightCount = 0;
    std::vector<Quad> quads;  // by joint
    std::vector<uint32_t> others;
};

namespace {

[[maybe_unused]] const SkinPlan& PlanFor(MeshGeometry& geometry)
{
    std::shared_ptr<SkinPlan>& plan = geometry.skinPlan;
    const std::vector<MeshVertex>& vertices = geometry.vertices;
    const std::vector<SkinWeight>& weights = geometry.weights;
    if (plan && plan->vertices == vertices.data() && plan->vertexCount == vertices.size() &&
        plan->weights == weights.data() && plan->weightCount == weights.size())
        return *plan;
    auto made = std::make_shared<SkinPlan>();
    made->vertices = vertices.data();
    made->weights = weights.data();
    made->vertexCount = vertices.size();
    made->weightCount = weights.size();
    std::map<int, std::vector<uint32_t>> byJoint;
    for (size_t v = 0; v < vertices.size(); ++v) {
        const SkinWeight* record = v < weights.size() ? &weights[v] : nullptr;
        if (record && record->count == 1 && record->joint[0] >= 0)
            byJoint[record->joint[0]].push_back((uint32_t)v);
        else
            made->others.push_back((uint32_t)v);
    }
    for (const auto& [joint, list] : byJoint)
        for (size_t first = 0; first < list.size(); first += 4) {
            SkinPlan::Quad quad;
            quad.joint = joint;
            for (size_t lane = 0; lane < 4; ++lane) {
                const uint32_t v = list[first + lane < list.size() ? first + lane : list.size() - 1];
                const MeshVertex& vertex = vertices[v];
                quad.vertex[lane] = v;
                quad.px[lane] = vertex.position.x;
                quad.py[lane] = vertex.position.y;
                quad.pz[lane] = vertex.position.z;
                quad.nx[lane] = vertex.normal.x;
                quad.ny[lane] = vertex.normal.y;
                quad.nz[lane] = vertex.normal.z;
                quad.weight[lane] = weights[v].weight[0];
            }
            made->quads.push_back(quad);
        }
    plan = std::move(made);
    return *plan;
}

}  // namespace

void IndexedMesh::SkinVertices(int i)
{
    if (i < 0 || i >= MaterialCount() || i >= SubMeshCount()) return;
    MeshMaterial& material = materials[i];
    SubMesh& sub = subMeshes[i];
    const std::vector<MeshVertex>& vertices = material.Vertices();
    if (sub.vertices.size() != vertices.size()) return;  // an instance batch, not this material's copy
    const std::vector<SkinWeight>& weights = material.Weights();
    const int jointCount = JointCount();
    const size_t vertexCount = vertices.size(), weightCount = weights.size();
    const MeshVertex* in = vertices.data();
    const SkinWeight* records = weights.data();
    const MeshJoint* poses = joints.data();
    MeshGpuVertex* skinnedVertices = sub.vertices.data();
#if VELDMARK_SKIN_SSE
    (void)vertexCount;
    const SkinPlan& plan = PlanFor(*material.geometry);
    // Each lane is one vertex, summed in the same order as for a vertex on its own, so the
    // result is the same to the last bit.
    const __m128 zero = _mm_setzero_ps(), mirror = _mm_set1_ps(-0.0f);
    int jointOfRows = -1;
    __m128 m11 = zero, m12 = zero, m13 = zero, m21 = zero, m22 = zero, m23 = zero, m31 = zero, m32 = zero,
           m33 = zero, m41 = zero, m42 = zero, m43 = zero;
    for (const SkinPlan::Quad& quad : plan.quads) {
        if (quad.joint >= jointCount) {
            for (uint32_t v : quad.vertex) SkinOne(in[v], &records[v], poses, jointCount, &skinnedVertices[v]);
            continue;
        }
        if (quad.joint != jointOfRows) {
            jointOfRows = quad.joint;
            const Matrix& m = joints[quad.joint].skinMatrix;
            m11 = _mm_set1_ps(m._11), m12 = _mm_set1_ps(m._12), m13 = _mm_set1_ps(m._13);
            m21 = _mm_set1_ps(m._21), m22 = _mm_set1_ps(m._22), m23 = _mm_set1_ps(m._23);
            m31 = _mm_set1_ps(m._31), m32 = _mm_set1_ps(m._32), m33 = _mm_set1_ps(m._33);
            m41 = _mm_set1_ps(m._41), m42 = _mm_set1_ps(m._42), m43 = _mm_set1_ps(m._43);
        }
        const __m128 px = _mm_load_ps(quad.px), py = _mm_load_ps(quad.py), pz = _mm_load_ps(quad.pz);
        const __m128 nx = _mm_load_ps(quad.nx), ny = _mm_load_ps(quad.ny), nz = _mm_load_ps(quad.nz);
        const __m128 w = _mm_load_ps(quad.weight);
        auto row = [](__m128 x, __m128 y, __m128 z, __m128 a, __m128 b, __m128 c) {
            return _mm_add_ps(_mm_add_ps(_mm_mul_ps(x, a), _mm_mul_ps(y, b)), _mm_mul_ps(z, c));
        };
        // Mirrored on the way out: x negated.
        __m128 x = _mm_xor_ps(_mm_add_ps(zero, _mm_mul_ps(_mm_add_ps(row(px, py, pz, m11, m21, m31), m41), w)), mirror);
        __m128 y = _mm_add_ps(zero, _mm_mul_ps(_mm_add_ps(row(px, py, pz, m12, m22, m32), m42), w));
        __m128 z = _mm_add_ps(zero, _mm_mul_ps(_mm_add_ps(row(px, py, pz, m13, m23, m33), m43), w));
        __m128 normalX = _mm_xor_ps(_mm_add_ps(zero, _mm_mul_ps(row(nx, ny, nz, m11, m21, m31), w)), mirror);
        const __m128 normalY = _mm_add_ps(zero, _mm_mul_ps(row(nx, ny, nz, m12, m22, m32), w));
        const __m128 normalZ = _mm_add_ps(zero, _mm_mul_ps(row(nx, ny, nz, m13, m23, m33), w));
        // Back to one vertex a row: (x y z nx) in one store, (ny nz) in another.
        _MM_TRANSPOSE4_PS(x, y, z, normalX);
        const __m128 yz01 = _mm_unpacklo_ps(normalY, normalZ), yz23 = _mm_unpackhi_ps(normalY, normalZ);
        MeshGpuVertex* out0 = &skinnedVertices[quad.vertex[0]];
        MeshGpuVertex* out1 = &skinnedVertices[quad.vertex[1]];
        MeshGpuVertex* out2 = &skinnedVertices[quad.vertex[2]];
        MeshGpuVertex* out3 = &skinnedVertices[quad.vertex[3]];
        _mm_storeu_ps(out0->position, x);
        _mm_storeu_ps(out1->position, y);
        _mm_storeu_ps(out2->position, z);
        _mm_storeu_ps(out3->position, normalX);
        _mm_storel_pi(reinterpret_cast<__m64*>(&out0->normal[1]), yz01);
        _mm_storeh_pi(reinterpret_cast<__m64*>(&out1->normal[1]), yz01);
        _mm_storel_pi(reinterpret_cast<__m64*>(&out2->normal[1]), yz23);
        _mm_storeh_pi(reinterpret_cast<__m64*>(&out3->normal[1]), yz23);
    }
    for (uint32_t v : plan.others)
        SkinOne(in[v], v < weightCount ? &records[v] : nullptr, poses, jointCount, &skinnedVertices[v]);
#else
    for (size_t v = 0; v < vertexCount; ++v)
        SkinOne(in[v], v < weightCount ? &records[v] : nullptr, poses, jointCount, &skinnedVertices[v]);
#endif
    sub.verticesChanged = true;
}

Animation* IndexedMesh::AddAnimation(const char* animationName, bool loadNow)
{
    if (!TheAnimLibrary) return nullptr;
    if (animationCount >= ANIMATION_ID_COUNT) {
        Log("WARNING: mesh %s already has %d animations; %s left out\n", name, ANIMATION_ID_COUNT,
            animationName ? animationName : "");
        return nullptr;
    }
    std::shared_ptr<Animation> animation = TheAnimLibrary->GetAnimation(animationName, 0, this, loadNow);
    animations[animationCount++] = animation;
    return animation.get();
}

void IndexedMesh::SetAnimation(int slot, bool blend, bool force)
{
    if (slot < 0 || slot >= ANIMATION_ID_COUNT) return;
    if (slot == currentSlot && !force) return;
    previousSlot = currentSlot;
    currentSlot = slot;
    time = 0.0f;
    blendRemaining = blend ? ANIMATION_BLEND_TIME : 0.0f;
}

bool IndexedMesh::IsAnimationPlaying(int id) const
{
    if (currentSlot < 0 || currentSlot >= ANIMATION_ID_COUNT) return false;
    return slotAnimationId[currentSlot] == id;
}

int IndexedMesh::GetAnimationValue(int id) const
{
    if (id < 0 || id >= ANIMATION_ID_COUNT) return -1;
    return animationSlot[id];
}
