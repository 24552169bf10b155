#include "render/Animation.h"

#include "host/Log.h"
#include "host/System.h"
#include "render/IndexedMesh.h"
#include "render/MeshFormat.h"

#include <cmath>
#include <cstring>

bool AnimationPlay = true;
bool AnimationInterpolate = true;

namespace {

constexpr int MAX_FILE_CHANNELS = 4096;

}  // namespace

int AnimNameToId(const char* name)
{
    static const char* const names[] = {
        "ANIM_IDLE", "ANIM_WALK", "ANIM_WALK_BACKWARDS", "ANIM_JUMP", "ANIM_RUN",
        "ANIM_ATTACK", "ANIM_PAIN", "ANIM_DEATH", "ANIM_GETUP", "ANIM_USE",
    };
    if (!name) return ANIM_IDLE;
    for (int id = 0; id < (int)(sizeof names / sizeof names[0]); ++id)
        if (strcmp(name, names[id]) == 0) return id;
    return ANIM_IDLE;
}

AnimChannel::AnimChannel()
    : index(0), jointIndex(-1), type(CHANNEL_UNKNOWN), firstFrame(0.0f), lastFrame(0.0f), frameRate(0.0f)
{
    CopyText(jointName, sizeof jointName, "none");
    typeName[0] = 0;
}

float Animation::Duration() const
{
    if (channels.empty()) return 0.0f;
    const AnimChannel& first = channels[0];
    if (first.frameRate == 0.0f) return 0.0f;
    float duration = (first.lastFrame - first.firstFrame) / first.frameRate;
    return std::isfinite(duration) && duration > 0.0f ? duration : 0.0f;
}

bool ParseAnimation(char* text, Animation* animation, const IndexedMesh* mesh, const char* name)
{
    animation->Clear();
    Lexer in(text, MODEL_RULES, name);
    int counter = 0;
    const char* error = nullptr;
    while (!error) {
        const char* token = in.Next();
        if (!token) break;
        if (strcmp(token, "Version") == 0) {
            in.NextValue();
        } else if (strcmp(token, "channelCount") == 0) {
            int count = ReadInt(in);
            if (count < 0 || count > MAX_FILE_CHANNELS) {
                error = "a channel count this file cannot hold";
                break;
            }
            animation->channels.clear();
            animation->channels.resize(count);
            for (int i = 0; i < count; ++i) animation->channels[i].index = i;
            counter = 0;
        } else if (strcmp(token, "channel") == 0) {
            if (counter >= animation->ChannelCount()) {
                error = "more channels than declared";
                break;
            }
            AnimChannel& channel = animation->channels[counter];
            channel.index = counter++;
            if (!ReadAnimChannel(in, &channel, mesh)) error = "a channel's key count is outside 1..4095";
        }
    }
    if (!error && in.CutShort()) error = "the text ends inside a record";
    if (error) {
        Log("ERROR: animation %s refused at line %d: %s\n", name ? name : "", in.Line(), error);
        animation->Clear();
        return false;
    }
    if (in.InComment()) Log("WARNING: animation %s: a comment is not closed\n", name ? name : "");
    // Channels declared but never given have no keys to play.
    animation->channels.resize(counter);
    return true;
}
