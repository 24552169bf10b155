// The slideshows' pictures are large and shown once: when a show has run out into the front
// end, its pictures' memory is given back, and a show built again has them again.
#include "app/AppShell.h"
#include "app/MainLoop.h"
#include "campaign/MissionScreen.h"
#include "campaign/StorySlideshow.h"
#include "host/Log.h"
#include "mechanics/GameMechanics.h"
#include "platform/Timer.h"
#include "platform/UserFolders.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"
#include "tests/app/ShellTestSupport.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace shelltest;

namespace {

TEST(IntroPictures, AShowThatRanOutLetsGoOfItsPictures)
{
    ScopedEnv data("XDG_DATA_HOME", MakeTempFolder("intro_pictures").c_str());
    ASSERT_TRUE(InitUserFolders());
    const char* argv[] = {"veldmark", "-windowed", "-1024"};
    LogCaptureBegin();
    const bool started = StartUp(3, const_cast<char**>(argv));
    LogCaptureEnd();
    if (!started) GTEST_SKIP() << "no display for the game's window";
    FrameTimer.SetClock(&ScriptedClock);
    FrameTimer.Init(true);

    // The texture manager knows its pictures by their file names.
    const char* const pictures[] = {"presents_text.dds", "main_logo_big.dds"};
    for (const char* picture : pictures) {
        const TextureRecord* record = Textures->FindTexture(picture);
        ASSERT_NE(record, nullptr) << picture;
        EXPECT_NE(record->texture, nullptr) << picture << " is there while the show runs";
    }
    Passes(220, 0.05f);
    ASSERT_EQ(TheGame->state, GAME_STATE_FRONT_END);
    for (const char* picture : pictures)
        EXPECT_EQ(Textures->FindTexture(picture)->texture, nullptr) << picture << " was let go of";

    // A new game's story builds the show again: its pictures come back.
    ASSERT_NE(IntroSlideshow, nullptr);
    BuildNewGameIntro(IntroSlideshow);
    ASSERT_GT(IntroSlideshow->slideCount, 0);
    const Sprite* first = IntroSlideshow->slides[0].layers[0].sprite;
    ASSERT_NE(first, nullptr);
    ASSERT_NE(first->texture, nullptr);
    EXPECT_NE(first->texture->texture, nullptr);
    IntroSlideshow->Release();
    EXPECT_EQ(Textures->FindTexture("intro_gate_bg.dds")->texture, nullptr);

    FrameTimer.SetClock(nullptr);
    FramePacing = FramePacer();
    Shutdown();
}

}  // namespace
