// The walker walking under the lit effect, as a unit walks in the game: four moments of its
// stride drawn side by side into a picture (saved as a PNG and checked against its reference;
// set VELDMARK_TEST_PICTURES to a folder to keep it), the legs moving between them while the
// body stays, and the faces shaded.
#include "host/ImageCodec.h"
#include "platform/Timer.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "tests/render/MeshDrawSupport.h"
#include "tests/support/ReferencePicture.h"
#include "tests/support/TestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

TEST_F(MeshDrawTest, TheWalkerWalksUnderTheLitEffect)
{
    IndexedMesh* walker = meshes->GetMesh("walker.txt", 0, true, false);
    ASSERT_TRUE(walker->IsSkinned());
    // As a unit sets up its mesh: the idle and walk animations in their slots, then the walk.
    ASSERT_NE(walker->AddAnimation("walker_idle.txt", true), nullptr);
    ASSERT_NE(walker->AddAnimation("walker_walk.txt", true), nullptr);
    walker->slotAnimationId[0] = ANIM_IDLE;
    walker->animationSlot[ANIM_IDLE] = 0;
    walker->slotAnimationId[1] = ANIM_WALK;
    walker->animationSlot[ANIM_WALK] = 1;
    walker->SetAnimation(walker->GetAnimationValue(ANIM_WALK), true, false);

    // Frames a quarter of the stride apart (the stride takes 0.8 s: the Scene and the mesh each
    // move the time on by the frame's delta).
    const int size = 160, frames = 4;
    const float delta = 0.2f;
    LookAt(Vec3(2.4f, 1.8f, 2.9f), Vec3(0.0f, 0.85f, 0.0f), 1.0f);
    std::vector<MeshPicture> pictures;
    for (int f = 0; f < frames; ++f) {
        // The blend into the walk runs out within the first frame.
        for (int step = 0; step < (f == 0 ? 2 : 1); ++step) {
            ++FrameTimer.frameCount;
            walker->AdvanceAnimation(delta);
            walker->Update(delta);
        }
        pictures.push_back(DrawOnTarget(size, size, [&] { walker->Render(0, false); }));
        ASSERT_EQ(pictures.back().width, size);
    }
    EXPECT_TRUE(walker->IsAnimationPlaying(ANIM_WALK));

    // The picture of the stride, frame after frame.
    MeshPicture strip;
    strip.width = size * frames;
    strip.height = size;
    strip.argb.resize((size_t)strip.width * size);
    for (int f = 0; f < frames; ++f)
        for (int y = 0; y < size; ++y)
            std::copy_n(&pictures[f].argb[(size_t)y * size], size, &strip.argb[(size_t)y * strip.width + f * size]);
    std::string path = MakeTempFolder("walk") + "/walker_walk.png";
    ASSERT_TRUE(SavePixels(strip, path));
    if (const char* keep = getenv("VELDMARK_TEST_PICTURES")) SavePixels(strip, std::string(keep) + "/walker_walk.png");
    Image saved;
    ASSERT_TRUE(LoadImageFile(path.c_str(), saved));
    EXPECT_EQ(saved.width, (uint32_t)strip.width);
    EXPECT_TRUE(MatchesReference(strip, "walker_walk"));

    // Where the walker is on screen: its rows from the top of the head to the soles.
    int top = size, bottom = 0;
    for (const MeshPicture& p : pictures)
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                if (p.Covered(x, y)) top = std::min(top, y), bottom = std::max(bottom, y);
    ASSERT_LT(top, bottom);
    const int height = bottom - top;
    EXPECT_GT(height, size / 2) << "the walker fills the picture";
    const int legsFrom = top + height * 55 / 100, headTo = top + height * 25 / 100;

    for (int f = 0; f < frames; ++f) {
        SCOPED_TRACE(f);
        const MeshPicture& now = pictures[f];
        const MeshPicture& next = pictures[(f + 1) % frames];
        int covered = now.CoveredCount();
        EXPECT_GT(covered, size * size / 10);
        // The legs swing from one frame to the next; the head barely turns.
        int legs = now.Difference(next, legsFrom, bottom);
        int head = now.Difference(next, top, headTo);
        EXPECT_GT(legs, 120) << "legs";
        EXPECT_GT(legs, 3 * head) << "head " << head;

        // Lit and shaded: the hull's faces towards the sun are clearly brighter than the ones
        // turned away, and nothing is burnt out.
        int darkest = 255, brightest = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                if (!now.Covered(x, y)) continue;
                uint32_t c = now.At(x, y);
                int luma = (int)(0.3f * ((c >> 16) & 0xFF) + 0.59f * ((c >> 8) & 0xFF) + 0.11f * (c & 0xFF));
                darkest = std::min(darkest, luma);
                brightest = std::max(brightest, luma);
            }
        EXPECT_GT(brightest - darkest, 60);
        EXPECT_LT(brightest, 255);
    }
    // Half a stride apart the legs have changed places.
    EXPECT_GT(pictures[0].Difference(pictures[2], legsFrom, bottom), 200);
}

// A walking pose as a save holds it comes back whole; one whose sample names a key below the
// first (a damaged save) is refused and leaves the pose as it was.
TEST_F(MeshDrawTest, AHeldPoseComesBackAndADamagedOneIsRefused)
{
    IndexedMesh* walker = meshes->GetMesh("walker.txt", 0, true, false);
    ASSERT_NE(walker->AddAnimation("walker_walk.txt", true), nullptr);
    walker->slotAnimationId[0] = ANIM_WALK;
    walker->animationSlot[ANIM_WALK] = 0;
    walker->SetAnimation(walker->GetAnimationValue(ANIM_WALK), true, false);
    for (int step = 0; step < 3; ++step) {
        ++FrameTimer.frameCount;
        walker->AdvanceAnimation(0.1f);
        walker->Update(0.1f);
    }
    const std::vector<float> held = walker->HoldAnimation();
    ASSERT_GE(held.size(), 15u + 6u) << "a sample of the walk";
    ASSERT_TRUE(walker->TakeBackAnimation(held));
    EXPECT_EQ(walker->HoldAnimation(), held);
    std::vector<float> damaged = held;
    damaged[14 + 1] = -5.0f;  // the first sample's key
    EXPECT_FALSE(walker->TakeBackAnimation(damaged));
    EXPECT_EQ(walker->HoldAnimation(), held);
}
