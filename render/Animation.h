#pragma once
// Skeletal animations: channels of evenly spaced keys that drive one value of one joint each.
// An Animation is shared by every mesh that asked the animation library for its name, so it is
// never changed once loaded; the playing state (slot, time, blend) lives in each mesh.
#include <string>
#include <vector>

class IndexedMesh;

// What jobs, task scripts and unit definitions ask a mesh to play. Each mesh maps an id to one
// of its animation slots (IndexedMesh::animationSlot).
enum AnimationId {
    ANIM_IDLE = 0,
    ANIM_WALK = 1,
    ANIM_WALK_BACKWARDS = 2,
    ANIM_JUMP = 3,
    ANIM_RUN = 4,
    ANIM_ATTACK = 5,
    ANIM_PAIN = 6,
    ANIM_DEATH = 7,
    ANIM_GETUP = 8,
    ANIM_USE = 9,
    ANIM_MINE = 10,
    ANIMATION_ID_COUNT = 11
};

// The id of an animation name ("ANIM_IDLE" .. "ANIM_USE", compared with case); 0 for others.
int AnimNameToId(const char* name);

// The joint value a channel drives. Translations are local joint positions, from which the
// joint's bind translation is taken off when they are applied.
enum AnimChannelType {
    CHANNEL_ROTATE_X = 0,
    CHANNEL_ROTATE_Y,
    CHANNEL_ROTATE_Z,
    CHANNEL_TRANSLATE_X,
    CHANNEL_TRANSLATE_Y,
    CHANNEL_TRANSLATE_Z,
    CHANNEL_UNKNOWN  // read and kept, never applied
};

// Limits of one channel's keys; files outside them are refused.
constexpr int MAX_CHANNEL_KEYS = 4095;

struct AnimChannel {
    AnimChannel();

    int index;            // position in the file
    char jointName[128];
    char typeName[64];    // as written in the file
    int jointIndex;       // into the joints of the mesh the animation was loaded for; -1 when absent
    int type;             // AnimChannelType
    float firstFrame;
    float lastFrame;
    float frameRate;      // half the file's value (the time runs at twice the frame delta)
    std::vector<float> keys;

    int KeyCount() const { return (int)keys.size(); }
};

struct Animation {
    std::vector<AnimChannel> channels;
    int hold = 0;  // 0 loops; otherwise it stays on its last key at the end

    int ChannelCount() const { return (int)channels.size(); }
    // Seconds the keys are spread over: (lastFrame - firstFrame) / frameRate of the first
    // channel. 0 for no channels and for spans that are not a positive, finite time.
    float Duration() const;
    void Clear() { channels.clear(); hold = 0; }
};

// The animation switches: whether skinned meshes and particle systems animate at all (the
// configuration's "playanimation", copied when a game begins; the "debug_animation" command
// toggles it), and
// whether poses are interpolated between keys ("debug_animblend" toggles it).
extern bool AnimationPlay;
extern bool AnimationInterpolate;

// The blend time of a slot change, seconds.
constexpr float ANIMATION_BLEND_TIME = 0.25f;

// ---- Animation text files

// Fills animation from an animation file's text (left unchanged). Channels are resolved against
// mesh's joints by name, without regard to case. A file that breaks the format (a channel
// outside the declared count, a key count outside 1..4095, a record cut short) is refused:
// logged with its line, animation left empty, false. A file of N bytes costs at most about 2 N
// in keys (each must be in the text) plus its channel records, 4096 at most.
bool ParseAnimation(char* text, Animation* animation, const IndexedMesh* mesh, const char* name = "");

// The text ParseAnimation reads back into the same animation (frame rates written at the file's
// value, that is twice the stored one).
std::string WriteAnimationText(const Animation& animation);
