#pragma once
// IndexedMesh: the one mesh class of the game. Units, buildings, items, projectiles, trees,
// rocks, decals, the sky, water and terrain chunks are all IndexedMeshes.
//
// A mesh holds what its text file says (materials with vertices, triangles and skin weights,
// and a joint hierarchy) and, per material, a sub-mesh: the same data made ready for drawing.
// On the way from the file to the sub-mesh every vertex is mirrored: x of positions and normals
// is negated, the second texture coordinate is negated and triangles are written first, third,
// second, so that they keep facing outwards. Ray tests mirror the ray the same way instead.
//
// A skinned mesh is posed on the CPU: each frame its animation is sampled into joint rotations
// and translations, the joint matrices are rebuilt down the hierarchy and the sub-mesh vertices
// rewritten from the material vertices. Because the pose lives in the mesh, every agent owns a
// mesh of its own; the file data (geometry, animations) is shared and never copied.
#include "host/GfxBuffers.h"
#include "host/GfxTypes.h"
#include "host/Maths.h"
#include "render/Animation.h"

#include <cstdint>
#include <memory>
#include <vector>

class Effect;
class MeshLibrary;
struct TextureRecord;

// IndexedMesh::flags
constexpr uint32_t MESH_SKINNED = 0x10;    // joints, materials and skin weights present
constexpr uint32_t MESH_INSTANCED = 0x20;  // the instance list is in use
constexpr uint32_t MESH_DYNAMIC = 0x40;    // vertices are rewritten after building
constexpr uint32_t MESH_BUILT = 0x80;      // sub-meshes made; nothing is updated or drawn without it

// MeshJoint::flags
constexpr uint32_t JOINT_WHEEL = 0x1;  // a joint named exactly "wheel": spins while walking

// IndexedMesh::slotFlags
constexpr uint32_t SLOT_RETURN_TO_IDLE = 0x2;  // at its end the slot blends back to idle

constexpr int MAX_MESH_INSTANCES = 128;
constexpr int MAX_VERTEX_INFLUENCES = 4;
// Sub-mesh indices are 16 bits, so one draw reaches at most this many vertices.
constexpr int MAX_SUBMESH_VERTICES = 65536;

// A vertex as the file gives it. The tangent is computed when the mesh is built.
struct MeshVertex {
    Vec3 position;
    float u = 0.0f, v = 0.0f;
    Vec3 normal;
    uint32_t colour = 0xFFFFFFFFu;  // ARGB
    Vec4 tangent;                   // x y z, handedness in w
};

struct MeshTriangle {
    int index[3] = {0, 0, 0};
};

// Up to four joint influences of one vertex; only weights above 0.01 are kept, in file order.
struct SkinWeight {
    int count = 0;
    int joint[MAX_VERTEX_INFLUENCES] = {0, 0, 0, 0};
    float weight[MAX_VERTEX_INFLUENCES] = {0, 0, 0, 0};
};

// The file data of one material. A mesh and all its clones point at the same geometry; the
// tangents that building stores in it come out the same for every one of them.
struct SkinPlan;
struct MeshGeometry {
    std::vector<MeshVertex> vertices;
    std::vector<MeshTriangle> triangles;
    std::vector<SkinWeight> weights;  // one per vertex, or none for a rigid material
    // The vertices regrouped for skinning four at a time, made when first skinned (on the
    // update thread) and dropped whenever the geometry is edited.
    std::shared_ptr<SkinPlan> skinPlan;
};

// One "mesh" record of the file: its geometry and how it is drawn.
struct MeshMaterial {
    MeshMaterial();

    std::shared_ptr<MeshGeometry> geometry;  // never null
    char textureName[256];                   // "NO_TEXTURE" until the file names one
    char cubeMapName[256];                   // "none" when unused, like the names below
    char normalMapName[256];
    char specularMapName[256];
    char effectName[256];
    char techniqueName[128];
    char blendTextureName[256];
    char blendNormalMapName[256];
    char alphaMapName[256];
    float repeatU;
    float repeatV;

    int VertexCount() const { return (int)geometry->vertices.size(); }
    int TriangleCount() const { return (int)geometry->triangles.size(); }
    int WeightCount() const { return (int)geometry->weights.size(); }
    const std::vector<MeshVertex>& Vertices() const { return geometry->vertices; }
    const std::vector<MeshTriangle>& Triangles() const { return geometry->triangles; }
    const std::vector<SkinWeight>& Weights() const { return geometry->weights; }
    // The geometry for changing it (the loader, the generators, the terrain's own meshes): a
    // geometry still shared with clones is copied first, so they never see the change.
    MeshGeometry& EditGeometry();
};

// A joint of the skeleton. Links are indices into the mesh's joints, -1 for none.
struct MeshJoint {
    MeshJoint();

    char name[128];
    Matrix bindMatrix;         // local transform from the file (row 4 the translation)
    Matrix worldMatrix;        // through the hierarchy, bind pose or current pose
    Vec3 rotation;             // radians, written by the animation channels
    Vec3 translation;          // offset from the bind translation, written by the channels
    Vec3 bindTranslation;      // row 4 of bindMatrix; of the bind-pose world matrix once built
    Matrix inverseBindMatrix;  // inverse of the bind-pose world matrix
    Matrix skinMatrix;         // inverseBindMatrix x worldMatrix
    int parent;
    int firstChild;
    int nextSibling;
    uint32_t flags;
};

// One vertex as the vertex buffers hold it (52 bytes, this layout exactly): the material vertex
// mirrored, coloured and with its tangent. The second texture coordinate set of the vertex
// layout reads the same bytes as the tangent's z and w.
struct MeshGpuVertex {
    float position[3];  // x negated
    float normal[3];    // x negated
    uint32_t colour;    // ARGB
    float u, v;         // v negated
    float tangent[4];
};
static_assert(sizeof(MeshGpuVertex) == 52, "the vertex layout is 52 bytes");

// A counted device object that one holder keeps: released when the holder lets it go, moved
// but never copied, so a sub-mesh frees exactly the references it took.
template <class T>
class DeviceObjectRef {
public:
    DeviceObjectRef() = default;
    ~DeviceObjectRef() { Reset(); }
    DeviceObjectRef(DeviceObjectRef&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
    DeviceObjectRef& operator=(DeviceObjectRef&& other) noexcept
    {
        if (this != &other) {
            Reset();
            object_ = other.object_;
            other.object_ = nullptr;
        }
        return *this;
    }
    DeviceObjectRef(const DeviceObjectRef&) = delete;
    DeviceObjectRef& operator=(const DeviceObjectRef&) = delete;

    T* Get() const { return object_; }
    T** Out() { Reset(); return &object_; }  // for the creating call
    // Holds another reference to object (shared with its other holders).
    void Share(T* object)
    {
        if (object) object->AddRef();
        Reset();
        object_ = object;
    }
    void Reset()
    {
        if (object_) object_->Release();
        object_ = nullptr;
    }
    explicit operator bool() const { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};

// A material made ready for drawing.
struct SubMesh {
    int vertexCount = 0;
    int triangleCount = 0;
    Vec3 boundsMin = Vec3(1000.0f, 1000.0f, 1000.0f);
    Vec3 boundsMax = Vec3(-1000.0f, -1000.0f, -1000.0f);
    float repeatU = 1.0f;
    float repeatV = 1.0f;

    // What the vertex and index buffers hold: mirrored vertices and 16-bit indices in draw
    // order (an instance batch holds every instance). Whatever rewrites them (skinning,
    // instancing, conforming, vertex colours) sets the matching flag so the upload follows.
    std::vector<MeshGpuVertex> vertices;
    std::vector<uint16_t> indices;
    bool verticesChanged = false;
    bool indicesChanged = false;

    // ---- On the graphics device. The buffers are made when the mesh is built and again
    // whenever they are missing or too small for the arrays above; the arrays reach them
    // before the next draw. A copy of a mesh may hold the index buffer of its source while
    // both index alike: the first of them to rewrite its indices gets a buffer of its own.
    DeviceObjectRef<GfxVertexBuffer> vertexBuffer;
    DeviceObjectRef<GfxIndexBuffer> indexBuffer;
    mutable bool indexBufferShared = false;
    uint32_t bufferVertices = 0;  // vertices and indices the buffers hold now
    uint32_t bufferIndices = 0;

    // Records of the texture manager and the effect manager (they own them).
    TextureRecord* diffuseTexture = nullptr;
    TextureRecord* cubeMap = nullptr;
    TextureRecord* normalMap = nullptr;
    TextureRecord* specularMap = nullptr;
    TextureRecord* blendTexture = nullptr;
    TextureRecord* blendNormalMap = nullptr;
    TextureRecord* alphaMap = nullptr;
    Effect* effect = nullptr;
    // The fixed-function material: white diffuse and ambient, no specular, no glow.
    GfxMaterial material;
};

// A colour's red, green and blue channels times the multipliers (alpha kept).
uint32_t ScaleColour(uint32_t argb, const float multipliers[3]);
// The mirroring on the way to the sub-mesh: a position and a normal (as the file, a pose or an
// instance's placement gives them) with x negated.
void WriteMirrored(const Vec3& position, const Vec3& normal, MeshGpuVertex* out);
// A whole file vertex at that position and normal: mirrored, its colour scaled by the
// multipliers, the second texture coordinate negated, the tangent as built.
void WriteGpuVertex(const MeshVertex& vertex, const Vec3& position, const Vec3& normal, const float multipliers[3],
                    MeshGpuVertex* out);
// The red, green and blue multipliers of a vertex colour preset (0 and unknown presets: none).
// The presets draw from the multiply-with-carry generator, so that colour variety never
// disturbs the seeded level sequence.
void GetColourPreset(int preset, float out[3]);

// ---- Drawing
// Render passes of IndexedMesh::Render: the depth pass draws the effects' "zpass" technique,
// the glow pass their "glow" (or "noglow"), every other pass their main technique.
constexpr int MESH_PASS_DEPTH = 1;
constexpr int MESH_PASS_GLOW = 3;
// Where the drawing code puts the mesh it is about to draw; the frustum test of a mesh of
// several sub-meshes moves their boxes there.
extern Vec3 MeshRenderPosition;
// Sub-meshes sent to be drawn (the frame statistics read it and reset it).
extern int MeshDrawCount;
// Sub-meshes drawn in any pass but the depth and glow passes through an effect that glows (a
// frame whose scene drew none has nothing to glow).
extern int GlowingMeshDrawCount;
// The glow pass's black occluders. Every glowing sub-mesh counted above also widens the screen
// area that glows (ForgetGlowingArea empties it). While culling is on, a glow-pass draw through
// a technique that does not glow is left out when its vertices lie wholly outside that area:
// black over the target's cleared black, it could only have hidden something glowing there.
void ForgetGlowingArea();
void SetGlowOccluderCulling(bool on);
// The screen area (x and y after the divide by w, -1..1) of a sub-mesh's vertices through
// WorldMatrix, ViewMatrix and ProjectionMatrix; false when any part may lie behind the eye.
struct ScreenArea {
    float x0 = 1.0f, y0 = 1.0f, x1 = -1.0f, y1 = -1.0f;
};
bool SubMeshScreenArea(const SubMesh& sub, ScreenArea* out);
// The effects' scene values (view, eye, shadow and fog textures) are set again by the next mesh
// drawn. They are also set again whenever the technique changes and once every frame; a pass
// that changes the view within a frame (reflections) calls this first.
void ForgetMeshSceneParameters();
// The vertex layout of every mesh buffer (made once per device, shared by all meshes).
GfxVertexDeclaration* GetMeshVertexDeclaration();
// Lets go of the shared vertex layout (before the device is destroyed).
void ReleaseMeshVertexDeclaration();

// One sampling of a skinned mesh's animation as its clock made it: the joints' values before
// it (or at rest) are set, or blended by weight, toward the animation's at that key.
struct PoseSample {
    std::shared_ptr<const Animation> animation;  // held: a slot may be given another meanwhile
    int key = 0;
    float fraction = 0.0f;  // toward the next key
    float weight = 1.0f;    // of the blend
    bool blending = false;
    bool interpolate = true;
};

// A pose kept as how to sample it rather than sampled: the joints' values are the base's (all
// at rest when it is empty) and then each sample's in turn. The animation clock only adds
// samples; whoever reads the pose samples what it needs of it: the world the chain of joints
// to a mount, the drawing the whole skeleton of a unit in view.
struct PoseRecipe {
    bool bind = true;  // the bind pose, as the mesh was built
    std::vector<Vec3> baseRotation, baseTranslation;
    std::vector<PoseSample> samples;
    int wheel = -1;  // the wheel that turns, and its turn at the latest sample
    float wheelTurn = 0.0f;
    uint32_t version = 0;  // new with every change: the key of whatever was computed from it
};

// How often the drawing poses a skinned mesh seen from that far: 0 every frame, between the
// world's last two ticks; 1 once a tick, at the tick's pose; more: once in that many ticks.
int PoseDetailForDistance(float distance);

class IndexedMesh {
public:
    // An empty mesh: no materials, joints or sub-meshes, scale 1, no slot chosen.
    IndexedMesh();
    // The mesh library's constructor: bufferMode 3 asks for dynamic vertices; with loadNow the
    // file is read and the mesh built at once.
    IndexedMesh(const char* fileName, int bufferMode, bool dynamic, bool loadNow);
    virtual ~IndexedMesh();
    IndexedMesh(const IndexedMesh&) = delete;
    IndexedMesh& operator=(const IndexedMesh&) = delete;

    // ---- Loading and building
    // Reads the mesh file of that name from the mesh packages (see MeshFormat.h). False, with
    // the mesh left empty, when the file is missing or refused.
    bool LoadMeshFile(const char* fileName);
    // Reads a mesh file's text (left unchanged). A file that breaks the format, or leaves out a
    // vertex, triangle or weight it declares, is refused: logged with its line, mesh left empty,
    // false. Joints the file leaves out, and joints outside the first joint's tree, are kept
    // with a warning: they are never moved. A file of N
    // bytes costs at most about 5 N (the counts it declares must fit in its text) plus its
    // materials and joints, 1024 of each at most.
    bool ParseMesh(char* text);
    // LoadMeshFile with the stored name, then BuildBuffers; for meshes whose loading waited.
    bool LoadAndBuild(bool dynamic);
    // Makes the sub-meshes from the materials: mirrored vertices, indices, bounds, tangents,
    // the bind pose of the joints, textures, effect and technique, and (with a graphics device)
    // the vertex and index buffers. textureOverride (when not null) replaces every material's
    // texture name first. Sets MESH_BUILT; false, with it clear, when the data cannot be drawn
    // or a buffer could not be made.
    bool BuildBuffers(const char* textureOverride, bool dynamic);
    // Turns this mesh into a copy of source that shares its geometry and animations, with
    // its own materials, joints, pose and sub-meshes, named "<base name>_clone". The copy is
    // listed in the mesh library's cloned list while it lives.
    void Clone(const IndexedMesh& source);
    // Replaces the mesh by one flat grid material covering integer cell rectangles
    // (x0, y0, x1, y1 each, count rectangles); the developer console's overlay.
    void CreateDebugGrid(const Vec3& origin, const int* rectangles, int count, float cellSize);
    // Drops materials, joints, sub-meshes and animations (the name stays).
    void ClearData();

    // ---- Per frame
    // Moves a built skinned mesh's animation on (at most once per frame or tick): its clock,
    // slots and blends, and the pose's recipe. In a tick nothing is posed: the world reads the
    // joints it needs through JointPoseMatrix and the drawing poses what it draws
    // (SkinForDrawing). Outside the world's ticks (a viewer, a unit stood up before its first
    // tick) the whole skeleton is posed and skinned at once. timeStep is the step, 0 while the
    // game is paused.
    virtual void Update(float timeStep);
    // Poses and skins the sub-meshes for the picture, at the detail drawDetail asks (see
    // PoseDetailForDistance): near, a mesh the world's latest tick moved is shown between its
    // pose before that tick and its pose after, by the share of a tick the frames have gathered,
    // so the limbs move every frame. The joints' matrices keep the tick's pose.
    void SkinForDrawing();
    // The joints' matrices (worldMatrix, skinMatrix) at the pose the animation clock has
    // reached, once per change of it; for whatever draws at a bone.
    void PoseJointsForDrawing();
    // A joint's matrix through the hierarchy (as MeshJoint::worldMatrix) at the pose the
    // animation clock has reached, computed from the joints between the root and it alone, the
    // same to the last bit as when the whole skeleton is posed; the world's reading of a pose.
    Matrix JointPoseMatrix(int joint) const;
    // Draws every sub-mesh: through its effect with the technique of the pass (MESH_PASS_*), or
    // with the fixed-function pipeline, where pass means "textured". Sub-meshes of a mesh of
    // several are culled against the view frustum one by one.
    virtual void Render(int pass, bool fixedFunction);
    // Moves the animation time on (the Scene calls it once per frame besides Update).
    void AdvanceAnimation(float timeStep) { time += timeStep; }
    // The animation from its start, as the mesh was built: the next Update plays the idle from
    // its first key and skins the vertices anew.
    void ResetAnimationState();
    // The animation clock and the pose it has reached, whole, as numbers (a unit's shots leave
    // from its posed bones, and a swing decides when it fires): what a save holds of it.
    // TakeBackAnimation puts back what HoldAnimation gave, and is false (nothing changed) for
    // numbers that do not fit this mesh.
    std::vector<float> HoldAnimation() const;
    bool TakeBackAnimation(const std::vector<float>& held);
    // The clock behind Update; true when the pose changed (a sample was added to the recipe).
    // frame < 0 skips the once-per-frame guard.
    bool EvaluateAnimation(float timeStep, int frame);
    // The joint matrices of joint and its subtree: the bind pose, or the pose of the joints'
    // rotation and translation values.
    void UpdateJointMatrices(int joint, int parent, bool bindMode);
    // The joints' values after recipe: of the joints marked in want, or of all when it is null.
    void SamplePose(const PoseRecipe& recipe, const uint8_t* want, Vec3* rotation, Vec3* translation) const;
    // Rewrites sub-mesh i's positions and normals from material i and the joints' skin
    // matrices. A vertex with no influence keeps its bind position.
    void SkinVertices(int i);

    // ---- Animation control
    // Asks the animation library for the named animation for this mesh and puts it in the next
    // free slot; the caller then sets that slot's slotAnimationId, animationSlot and slotFlags.
    // Null when all 11 slots are taken or there is no animation library.
    virtual Animation* AddAnimation(const char* name, bool loadNow);
    // Plays slot 0..10 from its start (with a short blend when asked). The current slot is only
    // restarted when forced.
    void SetAnimation(int slot, bool blend, bool force);
    // True when the current slot plays animation id; false while no slot is chosen.
    bool IsAnimationPlaying(int id) const;
    // The slot that plays animation id, or -1.
    int GetAnimationValue(int id) const;
    bool IsSkinned() const { return (flags & MESH_SKINNED) != 0; }
    bool IsAnimated() const { return (flags & MESH_BUILT) != 0 && !subMeshes.empty(); }
    // Index of the first joint of that name (without regard to case), or -1.
    int FindJoint(const char* jointName) const;

    // ---- Device buffers
    // Lets go of every sub-mesh's vertex and index buffer (before a device reset, or when the
    // mesh's user gives it up). Drawing the mesh again makes them anew.
    void ReleaseBuffers();
    // After a device reset: makes the buffers again and fills them with what the mesh showed
    // before (the pose, the draped heights, the faded colours and the instance batch stay as
    // they were). False when a buffer could not be made.
    bool RestoreBuffers();

    // ---- Geometry
    // Rewrites sub-mesh i from material i (mirrored, coloured with the mesh's colour preset,
    // stored tangents) and, when asked, its indices; then the centre. For meshes whose material
    // data changed (the terrain's chunks after height edits).
    void RebuildGeometry(int i, bool rewriteIndices);
    // Appends a world matrix to the instance list. With a source mesh (exactly one sub-mesh)
    // this mesh first becomes a copy of it. Returns the instance's index, or -1 when refused:
    // a source with other than one sub-mesh, or a batch that is full (MaxInstancesPerBatch).
    int AddInstance(const Matrix& matrix, bool rebuildNow, const IndexedMesh* source);
    void ClearInstances();
    // How many instances one batch can hold: 128, fewer when their vertices would not fit the
    // 16-bit indices of one draw.
    int MaxInstancesPerBatch() const;
    // Bakes every instance of material subMesh into sub-mesh subMesh: positions and normals
    // transformed by the instance matrices, colours by the preset and the instance flags
    // (1 drape over the ground, 2 blue, 4 red, 8 yellow), indices offset per instance.
    void Skin(int subMesh, bool rewriteIndices, int preset, bool conformToTerrain);
    // Drapes sub-mesh i over the ground around a world position.
    void ConformToTerrain(int i, const Vec3& position, bool recomputeNormals, int option);
    // One ARGB colour for every vertex of sub-mesh i (fading splats).
    void SetVertexColours(int i, uint32_t colour);
    // The mesh box over all materials (mirrored positions) from scratch; each sub-mesh box
    // grows by its material.
    void ComputeBounds();
    // centre = mean of the first material's (mirrored) positions, radius = the largest
    // distance of one of them from it.
    void ComputeCentre();
    // The mesh box turned by rotation about its centre, kept for angle (recomputed only when
    // angle changes; angle 0 is the mesh box itself).
    void GetTransformedBounds(float angle, const Matrix* rotation);
    // The ray against the file triangles, taken into mesh space (moved, scaled, turned by
    // rotation when given, mirrored). 1 on the first hit (distance and mesh-space point
    // written when asked), else 0.
    int IntersectRay(const Vec3& origin, const Vec3& direction, const Vec3& position, float rayScale,
                     const Matrix* rotation, float* outDistance, Vec3* outPoint) const;
    // The ray against the mesh box (turned when rotation and a non-zero angle are given) and,
    // for meshes of several sub-meshes, against their boxes.
    bool PickRay(const Vec3& origin, const Vec3& direction, float rayScale, const Vec3& position,
                 const Matrix* rotation, float angle);

    // ---- Data
    char name[128];
    uint32_t flags = 0;
    std::vector<SubMesh> subMeshes;
    Vec3 boundsMin = Vec3(1000.0f, 1000.0f, 1000.0f);
    Vec3 boundsMax = Vec3(-1000.0f, -1000.0f, -1000.0f);
    float scale = 1.0f;
    Vec3 transformedMin;
    Vec3 transformedMax;
    float boundsAngle = -999.0f;
    Vec3 centre;
    float radius = 0.0f;

    // Animation state.
    int currentKey = 0;
    int lastKey = -1;
    float lastFraction = -1.0f;            // where between lastKey and the next the pose was sampled
    const Animation* lastAnimation = nullptr;  // and from which animation
    float time = 0.0f;
    int lastFrame = -1;
    // The pose the clock has reached, and the one before the world's latest tick moved it on
    // (with that tick's number): the drawing shows the mesh between the two.
    PoseRecipe pose;
    PoseRecipe poseBeforeTick;
    int poseTick = -1;
    // The walking wheel's turn: it goes on turning between samples.
    float wheelTurn = 0.0f;
    // The drawing's: the pose the joints' matrices hold, the skin matrices of the pose before
    // the tick (and which pose that is), how finely it poses the mesh (PoseDetailForDistance).
    uint32_t jointsVersion = 0;
    std::vector<Matrix> skinBeforeTick;
    uint32_t skinBeforeVersion = 0;
    int drawDetail = 0;
    // What the skinned vertices show: the frame, the tick and the share they were skinned for.
    int skinnedFrame = -1;
    int skinnedTick = -1;
    float skinnedShare = -1.0f;
    int animationCount = 0;
    int currentSlot = -1;
    int previousSlot = -1;
    float blendRemaining = 0.0f;
    int slotAnimationId[ANIMATION_ID_COUNT];  // the id each slot plays
    int animationSlot[ANIMATION_ID_COUNT];    // the slot that plays each id, -1 for none
    uint32_t slotFlags[ANIMATION_ID_COUNT];
    std::shared_ptr<Animation> animations[ANIMATION_ID_COUNT];

    std::vector<MeshMaterial> materials;
    std::vector<MeshJoint> joints;

    std::vector<Matrix> instanceMatrices;
    std::vector<uint32_t> instanceFlags;
    int colourPreset = 0;

    int SubMeshCount() const { return (int)subMeshes.size(); }
    int MaterialCount() const { return (int)materials.size(); }
    int JointCount() const { return (int)joints.size(); }
    int InstanceCount() const { return (int)instanceMatrices.size(); }

private:
    friend class MeshLibrary;
    // BuildBuffers; a copy may take over source's index buffers where they index alike.
    bool Build(const char* textureOverride, bool dynamic, const IndexedMesh* source);
    // Textures, effect, technique and fixed-function material of sub-mesh i from material i.
    void BindMaterial(int i);
    // Makes sub-mesh i's buffers when missing (or too small) and sends it the arrays that
    // changed. False when there is no device or a buffer could not be made or filled.
    bool UploadBuffers(int i);
    // Writes material i's vertices into out (mirrored, coloured with the multipliers).
    void WriteGpuVertices(int i, const float multipliers[3], MeshGpuVertex* out) const;

    // Sets the joints' matrices to recipe's pose (the drawing's).
    void PoseJoints(const PoseRecipe& recipe);
    // The parent each joint is posed under from the root (-1 for the root, -2 for a joint the
    // walk never reaches: it is never moved), made when first asked.
    const std::vector<int>& PoseParents() const;

    MeshLibrary* library_ = nullptr;  // whose cloned list holds this mesh
    // The world's joint matrices, each with the pose version it was computed for.
    mutable std::vector<Matrix> chainMatrix_;
    mutable std::vector<uint32_t> chainVersion_;
    mutable std::vector<int> poseParents_;
    // Versions of this mesh's poses: a new one for every change, never one twice.
    uint32_t versions_ = 0;
    // The next sample starts from rest (the animation was started anew).
    bool restPending_ = true;
};

// Index of the first bone frame whose name matches without regard to case, -1 when none.
int FindFrameByName(const MeshJoint* frames, int count, const char* name);

// Where a bone of an entity's mesh stands in the world: the bone's current frame, through the
// entity's world matrix and scale, plus the entity's position; the position itself when the
// bone does not exist.
Vec3 GetBoneWorldPosition(const IndexedMesh* mesh, int bone, const Matrix& entityWorld, float scale, const Vec3& position);
