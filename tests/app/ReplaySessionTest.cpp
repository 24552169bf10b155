// Every level played is recorded into the profile's replays, and a replay plays its game again:
// the levels of a game started straight from the settings and restarted verify in the program
// that played them and in a new process with "-verify"; a replay whose digest was changed stops,
// drawn, where it parts, and says so; the newest replays of a profile are kept and the oldest go;
// the galaxy's list of the profile's recent games plays one again and comes back.
#include "tests/app/PlayerSessionSupport.h"

#include "app/MainLoop.h"
#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "gui/MessageDialogGui.h"
#include "host/Log.h"
#include "campaign/LevelLoadSave.h"
#include "campaign/RandomMission.h"
#include "interface/CharacterGui.h"
#include "interface/InGameMenu.h"
#include "interface/Inventory.h"
#include "interface/MessageLists.h"
#include "interface/MessageWindow.h"
#include "interface/ResultsScreen.h"
#include "interface/UnitUpgrade.h"
#include "mechanics/Replay.h"
#include "platform/ConfigFile.h"
#include "mechanics/WorldChecksum.h"
#include "world/AgentTypeRegistry.h"
#include "world/Item.h"
#include "world/ItemCatalog.h"
#include "tests/app/NewProcess.h"

#include "host/System.h"

#include <algorithm>
#include <cmath>
#include <unistd.h>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <sys/wait.h>

using namespace playersession;

namespace {

constexpr const char* REPLAY_FILE = "VELDMARK_REPLAY_FILE";

// The replays of the profile, oldest first.
std::vector<std::string> ReplaysOf(const char* profile)
{
    std::vector<std::string> names;
    const std::string folder = ReplayDirector::FolderOf(profile);
    DirectorySearch search;
    std::string name;
    bool isDirectory = false;
    if (search.Begin(folder.c_str(), "*.replay"))
        while (search.Next(name, isDirectory))
            if (!isDirectory) names.push_back(folder + "/" + name);
    search.Close();
    std::sort(names.begin(), names.end());
    return names;
}

// A kept replay with one of its orders taken out, played again here as "-verify" plays it.
struct OneOrderDropped {
    uint32_t at = 0;  // the tick it was given at
    uint16_t kind = ORDER_NONE;
    int exitCode = 0;
    std::string path, line;
};

class ReplaySession : public PlayerSession {
protected:
    void SetUp() override
    {
        OnTheSmallestMachine();
        PlayerSession::SetUp();
    }
    // The kept replay of that name without the first order `dropped` picks (none when it picks none).
    static OneOrderDropped PlayWithoutOne(const std::string& name, const std::string& folder,
                                          const std::function<bool(const PlayerOrder&)>& dropped)
    {
        OneOrderDropped played;
        const std::string kept = SourcePath("tests/data/replays/" + name + ".replay");
        Replay replay;
        std::string why;
        EXPECT_TRUE(ReplayDirector::Open(kept.c_str(), &replay, &why)) << why;
        for (ReplayTick& tick : replay.ticks) {
            auto& orders = tick.orders;
            const auto found = std::find_if(orders.begin(), orders.end(), dropped);
            if (found == orders.end()) continue;
            played.at = tick.tick;
            played.kind = found->kind;
            orders.erase(found);
            break;
        }
        if (played.kind == ORDER_NONE) return played;
        played.path = folder + "/" + name + ".replay";
        EXPECT_TRUE(WriteTextFile(played.path, WriteReplay(replay)));
        played.line = VerifyReplayHere(played.path, &played.exitCode);
        return played;
    }
    // Played as a hand plays it: the level's word read and closed, the rig taken and the view
    // moved about.
    void PlayAWhile(float seconds)
    {
        UntilPlaying();
        if (TheMessageWindow && TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
        Press(DIK_TAB);
        for (float t = 0.0f; t < seconds; t += 1.0f) {
            Press(t < seconds / 2 ? DIK_LEFT : DIK_UP);
            PlayWithoutPictures(1.0f, 0.1f, [] { return true; });
        }
    }
    // A choice of the in-game menu, and YES to its question.
    void FromTheMenu(const char* choice)
    {
        Press(DIK_ESCAPE);
        ClickOn(FindButton(TheInGameMenu->menuWindow, choice));
        Passes(2, 0.05f);
        if (TheConfirmationDialog && TheConfirmationDialog->IsVisible())
            ClickOn(FindButton(TheConfirmationDialog->window, "YES"));
        Passes(2, 0.05f);
    }
    // A pass of the loop too short for the world to tick.
    static void StillPass() { Passes(1, 0.002f); }
    // The game saved from the menu under the name it proposes and loaded again at once: the
    // level goes on from the save, recorded with it.
    void SaveAndLoad()
    {
        Press(DIK_ESCAPE);
        ClickOn(FindShownButton(TheInGameMenu->menuWindow, "Save Game"));
        ClickOn(FindShownButton(TheLevelLoadSaveGui, "Save"));
        ClickOn(FindShownButton(TheInGameMenu->menuWindow, "Load Game"));
        ClickOn(FindShownButton(TheLevelLoadSaveGui, "Load"));
        ReadTheLevelsWord();
    }
    // A level started: its word comes up a moment later, and is read and closed.
    void ReadTheLevelsWord()
    {
        UntilPlaying();
        for (int i = 0; i < 40; ++i) {
            Passes(1, 0.05f);
            if (TheMessageWindow && TheMessageWindow->shown)
                ClickOn(TheMessageWindow->closeTextButton->IsVisible() ? TheMessageWindow->closeTextButton
                                                                        : TheMessageWindow->continueButton);
        }
        EXPECT_FALSE(GamePaused) << "the level goes on";
    }
    // The player's newest unit of that type in the level.
    static Agent* NewestOf(const char* type)
    {
        Agent* found = nullptr;
        for (Entity* e = TheScene.FirstInCategory(CATEGORY_ALL, 0); e; e = TheScene.NextInCategory())
            if ((e->flags & ENTITY_AGENT) && e->alignment == ALIGN_PLAYER && e->IsAlive() && StrICmp(e->name, type) == 0)
                found = static_cast<Agent*>(e);
        return found;
    }
};

TEST_F(ReplaySession, EachLevelOfAGameIsRecordedAndPlaysTheSameGameAgain)
{
    // Twenty replays of earlier games: the oldest go as new ones come.
    const std::string folder = ReplayDirector::FolderOf("Pilot");
    ASSERT_TRUE(CreateFolder(folder.c_str()));
    for (int i = 0; i < REPLAYS_KEPT; ++i) {
        char name[64];
        snprintf(name, sizeof name, "/20000101-0000%02d.replay", i);
        ASSERT_TRUE(WriteTextFile(folder + name, "an old game"));
    }

    // Started straight from the settings, played, restarted, played and abandoned.
    PlayAWhile(12.0f);
    FromTheMenu("Restart Mission");
    PlayAWhile(6.0f);
    FromTheMenu("Abort Mission");
    ASSERT_NE(TheGame->state, GAME_STATE_PLAYING) << "the mission was left";

    const std::vector<std::string> kept = ReplaysOf("Pilot");
    ASSERT_EQ(kept.size(), (size_t)REPLAYS_KEPT) << "the newest twenty are kept";
    EXPECT_NE(kept.front().find("20000101-000002"), std::string::npos) << "the two oldest went: " << kept.front();
    const std::string first = kept[kept.size() - 2], second = kept.back();

    for (const std::string& path : {first, second}) {
        SCOPED_TRACE(path);
        const std::string line = ExpectTheSameGame(path);
        EXPECT_EQ(line.find('\n'), line.size() - 1) << "one line";
        EXPECT_NE(line.find(path == first ? " restarted at " : " abandoned at "), std::string::npos) << line;
        // Left as a player leaves it: the player's own profile comes back.
        FromTheMenu("Abort Mission");
        EXPECT_FALSE(TheReplay.Playing());
        EXPECT_STREQ(GetPlayerProfile()->name, "Pilot");
    }

    // Drawn at 1/60 s frames, the camera moved elsewhere, it is the same game.
    Replay replay;
    std::string why;
    ASSERT_TRUE(ReplayDirector::Open(second.c_str(), &replay, &why)) << why;
    ASSERT_TRUE(TheReplay.Play(second, replay, true));
    for (int i = 0; i < 5000 && !TheReplay.Finished(); ++i) {
        if (TheMessageWindow && TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
        if (i % 50 == 0) Press(i % 100 ? DIK_RIGHT : DIK_DOWN);
        Passes(1, 1.0f / 60.0f);
    }
    EXPECT_TRUE(TheReplay.Finished());
    EXPECT_FALSE(TheReplay.Parted()) << TheReplay.VerdictLine();
    FromTheMenu("Abort Mission");

    // The same in a program of its own, as a player runs it.
    Shutdown();
    started = false;
    const newprocess::Outcome verified = newprocess::RunPhase(
        "ReplayProgram.DISABLED_VerifiesInANewProcess", {{newprocess::PHASE_DATA_HOME, base}, {REPLAY_FILE, first}});
    EXPECT_TRUE(verified.Passed()) << verified.output;
    EXPECT_NE(verified.output.find("replay " + first + ": the same game, "), std::string::npos) << verified.output;
}

namespace {

// The texts a frame draws.
class TextsDrawn : public GuiPainter {
public:
    TextsDrawn() { SetGuiPainter(this); }
    ~TextsDrawn() override { SetGuiPainter(nullptr); }
    void DrawText(Font* font, int x, int y, const char* text) override
    {
        texts.push_back(text);
        GuiPainter::DrawText(font, x, y, text);
    }
    bool Drew(const std::string& text) const { return std::find(texts.begin(), texts.end(), text) != texts.end(); }
    std::vector<std::string> texts;
};

}  // namespace

// Another window takes the focus while the player holds a key and drags a box: the level pauses
// and says why, its frames go on being drawn, the key and the box are let go; the focus back
// lifts the pause, and the level's replay plays the same game.
TEST_F(ReplaySession, ALevelWithoutTheFocusPausesSaysSoAndPlaysTheSameGameAgain)
{
    PlayAWhile(3.0f);
    ASSERT_FALSE(GamePaused);
    MoveMouseTo(Config->width / 3, Config->height / 3);
    InputScript::KeyDown(DIK_LEFT);
    InputScript::ButtonDown(0);
    Pass();
    MoveMouseTo(Config->width / 2, Config->height / 2);
    ASSERT_TRUE(TheGame->boxDragging) << "the box is being drawn";
    ASSERT_TRUE(Input.keyboard->IsKeyDown(DIK_LEFT));

    InputScript::Focus(false);
    int exitCode = 0;
    DrainMessages(&exitCode);
    EXPECT_TRUE(AppActive) << "the window is still shown: the loop does not wait";
    const int ticks = WorldTicks.count, frames = PresentedFrames;
    {
        TextsDrawn drawn;
        Passes(10, 0.05f);
        EXPECT_TRUE(GamePaused);
        EXPECT_TRUE(drawn.Drew("Paused"));
        EXPECT_TRUE(drawn.Drew("The game's window is in the background"));
    }
    EXPECT_GE(PresentedFrames - frames, 10) << "the frames go on";
    EXPECT_EQ(WorldTicks.count, ticks) << "the level holds still";
    EXPECT_FALSE(Input.keyboard->IsKeyDown(DIK_LEFT)) << "the key held is let go";
    EXPECT_FALSE(Input.mouse->IsButtonDown(0));
    EXPECT_FALSE(TheGame->boxDragging) << "the box ends with the button";

    InputScript::Focus(true);
    DrainMessages(&exitCode);
    Passes(10, 0.05f);
    EXPECT_FALSE(GamePaused) << "the focus back lifts the pause it made";
    EXPECT_GT(WorldTicks.count, ticks);
    EXPECT_FALSE(TheGame->boxDragging);

    // A pause of the player's own stays when the focus comes and goes.
    Press(DIK_PAUSE);
    ASSERT_TRUE(GamePaused);
    InputScript::Focus(false);
    DrainMessages(&exitCode);
    InputScript::Focus(true);
    DrainMessages(&exitCode);
    Passes(2, 0.05f);
    EXPECT_TRUE(GamePaused);
    Press(DIK_PAUSE);
    EXPECT_FALSE(GamePaused);
    PlayWithoutPictures(2.0f, 0.1f, [] { return true; });

    FromTheMenu("Abort Mission");
    const std::vector<std::string> kept = ReplaysOf("Pilot");
    ASSERT_FALSE(kept.empty());
    ExpectTheSameGame(kept.back(), " abandoned at ");
}

// The program as a player runs it, on the user folder a walk played in.
TEST(ReplayProgram, DISABLED_VerifiesInANewProcess)
{
    const std::string home = newprocess::HandedOver(newprocess::PHASE_DATA_HOME);
    const std::string file = newprocess::HandedOver(REPLAY_FILE);
    if (home.empty() || file.empty()) GTEST_SKIP() << "the second half of a walk, started by its first";
    ScopedEnv data("XDG_DATA_HOME", home.c_str());
    const char* argv[] = {"veldmark", "-replay", file.c_str(), "-verify"};
    testing::internal::CaptureStdout();
    const int exitCode = WinMain(4, const_cast<char**>(argv));
    const std::string line = testing::internal::GetCapturedStdout();
    printf("%s", line.c_str());
    EXPECT_EQ(exitCode, 0) << line;
    EXPECT_EQ(line.rfind("replay " + file + ": the same game, ", 0), 0u) << line;

    // A file cut short is refused, never played.
    const std::string cut = file + ".cut";
    std::string bytes = ReadTextFile(file);
    ASSERT_TRUE(WriteTextFile(cut, bytes.substr(0, bytes.size() / 2)));
    const char* cutArgv[] = {"veldmark", "-replay", cut.c_str(), "-verify"};
    testing::internal::CaptureStdout();
    EXPECT_EQ(WinMain(4, const_cast<char**>(cutArgv)), 2);
    const std::string refused = testing::internal::GetCapturedStdout();
    EXPECT_EQ(refused.rfind("replay " + cut + " cannot be played: ", 0), 0u) << refused;
}

// The factory taken on the build button and carried under the cursor for seconds while the
// world ticks, let go, taken again and put down: what the hand held was never the level's, so
// the game plays again the same, here and in a program of its own.
TEST_F(ReplaySession, AFactoryCarriedUnderTheCursorLetGoAndPutDownPlaysTheSameGameAgain)
{
    PlayAWhile(2.0f);
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    playerhand::SelectRig(Pass);
    int x = 0, y = 0;
    const auto carry = [&](int steps) {
        for (int i = 0; i < steps; ++i) {
            OnScreen(rig->GetPosition(), &x, &y);
            MoveMouseTo(x + (int)(120.0f * std::cos(i * 0.2f)), y - 60 + (int)(50.0f * std::sin(i * 0.3f)));
            Passes(2, 0.05f);
        }
    };
    ASSERT_TRUE(TakeFromBuildPanel("bot_factory"));
    carry(50);
    ASSERT_NE(TheGame->buildItems->current, nullptr) << "still in the hand after five seconds";
    Click(1);  // let go
    ASSERT_EQ(TheGame->buildItems->current, nullptr);
    PlayWithoutPictures(2.0f, 0.1f, [] { return true; });

    ASSERT_TRUE(TakeFromBuildPanel("bot_factory"));
    carry(30);
    Vec3 site;
    ASSERT_TRUE(FindOpenGround(rig->GetPosition(), &site));
    ASSERT_NE(PutDownAt(site, "bot_factory"), nullptr) << "the factory was put down";
    PlayWithoutPictures(4.0f, 0.1f, [] { return true; });
    FromTheMenu("Abort Mission");

    const std::string played = ReplaysOf("Pilot").back();
    ExpectTheSameGame(played);
    FromTheMenu("Abort Mission");
    Shutdown();
    started = false;
    const newprocess::Outcome verified = newprocess::RunPhase(
        "ReplayProgram.DISABLED_VerifiesInANewProcess", {{newprocess::PHASE_DATA_HOME, base}, {REPLAY_FILE, played}});
    EXPECT_TRUE(verified.Passed()) << verified.output;
    EXPECT_NE(verified.output.find("replay " + played + ": the same game, "), std::string::npos) << verified.output;
}

// "-replay FILE -verify" never waits for a person: a replay whose profile names a rig paint the
// data has no picture for is played to its verdict, the missing picture logged, with no box
// that a person would have to close (a program of its own, message boxes as a player has them).
TEST_F(ReplaySession, AVerificationNeverWaitsForAPerson)
{
    PlayAWhile(2.0f);
    FromTheMenu("Abort Mission");
    const std::vector<std::string> kept = ReplaysOf("Pilot");
    ASSERT_EQ(kept.size(), 1u);
    Replay replay;
    std::string why;
    ASSERT_TRUE(ReplayDirector::Open(kept[0].c_str(), &replay, &why)) << why;
    std::string& profile = replay.header.profile;
    const size_t paint = profile.find("rigPaint");
    if (paint != std::string::npos) {
        profile.replace(paint, profile.find('\n', paint) - paint, "rigPaint\tdafault");
    } else {
        const size_t end = profile.find("END_OF_FILE");
        ASSERT_NE(end, std::string::npos);
        profile.insert(end, "rigPaint\tdafault\n");
    }
    const std::string painted = ReplayDirector::FolderOf("Pilot") + "/painted.replay";
    ASSERT_TRUE(WriteTextFile(painted, WriteReplay(replay)));
    Shutdown();
    started = false;
    const newprocess::Outcome verified = newprocess::RunPhase(
        "ReplayProgram.DISABLED_VerifiesWithNoOneToAnswer", {{newprocess::PHASE_DATA_HOME, base}, {REPLAY_FILE, painted}});
    EXPECT_TRUE(verified.Passed()) << verified.output;

    // The verifier, the simulation alone, plays it too: its one line and nothing else, on the
    // display the test runs on, with no box and no window.
    const std::string command = "XDG_DATA_HOME='" + base + "' '" VELDMARK_VERIFIER "' '" + painted + "' 2>&1";
    FILE* out = popen(command.c_str(), "r");
    ASSERT_NE(out, nullptr);
    std::string said;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, out)) said += buffer;
    const int status = pclose(out);
    EXPECT_TRUE(WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 1)) << said;
    EXPECT_EQ(said.rfind("replay " + painted, 0), 0u) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
}

TEST(ReplayProgram, DISABLED_VerifiesWithNoOneToAnswer)
{
    const std::string home = newprocess::HandedOver(newprocess::PHASE_DATA_HOME);
    const std::string file = newprocess::HandedOver(REPLAY_FILE);
    if (home.empty() || file.empty()) GTEST_SKIP() << "the second half of a walk, started by its first";
    ScopedEnv data("XDG_DATA_HOME", home.c_str());
    // Boxes as a player's program shows them, on the display the test runs on.
    ScopedEnv quiet("VELDMARK_NO_MESSAGEBOX", nullptr);
    ScopedEnv ci("CI", nullptr);
    SetMessageBoxesEnabled(true);
    // A box left open would hold the program for good: the watch ends it, and the test fails.
    alarm(600);
    const char* argv[] = {"veldmark", "-replay", file.c_str(), "-verify"};
    testing::internal::CaptureStdout();
    const int exitCode = WinMain(4, const_cast<char**>(argv));
    const std::string line = testing::internal::GetCapturedStdout();
    alarm(0);
    SetMessageBoxesEnabled(false);
    EXPECT_TRUE(exitCode == 0 || exitCode == 1) << line;
    // The verification loads no picture at all, so the paint the data lacks is never asked for.
    EXPECT_EQ(line.rfind("replay " + file, 0), 0u) << line;
}

// What a program stopped while writing a replay left is settled by the next level's start: a
// whole copy whose replay never got its name takes it, a part of one goes. A profile named
// "none" keeps its replays apart from those of the games played with no profile.
TEST_F(ReplaySession, AStoppedWriteIsSettledAndEachProfileKeepsItsOwn)
{
    PlayAWhile(2.0f);
    // The level goes on: its file is the writer thread's, named once the thread has had its turn.
    TheReplay.FlushRecording();
    std::vector<std::string> kept = ReplaysOf("Pilot");
    ASSERT_EQ(kept.size(), 1u);
    const std::string whole = ReadTextFile(kept[0]);
    const std::string folder = ReplayDirector::FolderOf("Pilot");
    ASSERT_TRUE(WriteTextFile(folder + "/20010101-000000.replay.tmp", whole));
    ASSERT_TRUE(WriteTextFile(folder + "/20010101-000001.replay.tmp", whole.substr(0, whole.size() / 3)));

    FromTheMenu("Restart Mission");
    PlayAWhile(2.0f);
    FromTheMenu("Abort Mission");
    kept = ReplaysOf("Pilot");
    ASSERT_EQ(kept.size(), 3u) << "the two games, and the one whose write was stopped before its name";
    EXPECT_NE(kept[0].find("20010101-000000.replay"), std::string::npos) << kept[0];
    EXPECT_EQ(ReadTextFile(kept[0]), whole);
    for (const char* left : {"/20010101-000000.replay.tmp", "/20010101-000001.replay.tmp"})
        EXPECT_FALSE(FileExists((folder + left).c_str(), false)) << left;

    EXPECT_NE(ReplayDirector::FolderOf("none"), ReplayDirector::FolderOf(nullptr))
        << "the profile 'none' and the games of no profile";
    EXPECT_NE(ReplayDirector::FolderOf("None"), ReplayDirector::FolderOf(nullptr));
    EXPECT_EQ(ReplayDirector::FolderOf(nullptr), std::string(UserFolder) + "/replays/none") << "as stored before";
    EXPECT_EQ(ReplayDirector::FolderOf("Pilot"), std::string(UserFolder) + "/replays/Pilot");
}

// A level loaded from a save is recorded with the save, and plays again from it.
TEST_F(ReplaySession, ALevelLoadedFromASaveIsRecordedWithItsSave)
{
    PlayAWhile(3.0f);
    Press(DIK_ESCAPE);
    ClickOn(FindShownButton(TheInGameMenu->menuWindow, "Save Game"));
    ASSERT_TRUE(TheLevelLoadSaveGui->shown);
    ClickOn(FindShownButton(TheLevelLoadSaveGui, "Save"));  // under the name it proposes
    ASSERT_FALSE(TheLevelLoadSaveGui->shown);
    ClickOn(FindShownButton(TheInGameMenu->menuWindow, "Resume Game"));
    PlayWithoutPictures(2.0f, 0.1f, [] { return true; });
    Press(DIK_ESCAPE);
    ClickOn(FindShownButton(TheInGameMenu->menuWindow, "Load Game"));
    ASSERT_TRUE(TheLevelLoadSaveGui->shown);
    ClickOn(FindShownButton(TheLevelLoadSaveGui, "Load"));
    PlayAWhile(3.0f);
    FromTheMenu("Abort Mission");

    const std::vector<std::string> kept = ReplaysOf("Pilot");
    ASSERT_EQ(kept.size(), 2u) << "the level saved, and the level loaded";
    Replay replay;
    std::string why;
    ASSERT_TRUE(ReplayDirector::Open(kept.back().c_str(), &replay, &why)) << why;
    EXPECT_EQ(replay.header.restore, 1) << "a saved level going on";
    ASSERT_FALSE(replay.header.levelName.empty());
    EXPECT_EQ(replay.header.levelFile, ReadTextFile(replay.header.levelName)) << "the save's own level";
    for (const std::string& path : kept) {
        SCOPED_TRACE(path);
        ExpectTheSameGame(path);
        FromTheMenu("Abort Mission");
    }
}

// A save whose pilot already holds the ore the practice level's mining objective asks: the
// objective is met in the loaded level's first ticks and "Mission Complete!" comes up, which the
// hand reads and plays on from. The replay, played where no hand closes that window, is the same
// game: what steps in the world's tick steps alike whatever window the player holds open.
TEST_F(ReplaySession, ALevelLoadedWithItsObjectiveMetPlaysTheSameGameAgain)
{
    PlayAWhile(1.0f);
    GetPlayerProfile()->ore = 2000.0f;
    SaveAndLoad();
    const Objective* mining = TheObjectives->FindByName(OBJECTIVE_MINING, "ore");
    ASSERT_NE(mining, nullptr);
    EXPECT_TRUE(mining->flags & OBJECTIVE_DONE) << "met by the ore the save brought";
    PlayAWhile(3.0f);
    FromTheMenu("Exit Mission");

    const std::vector<std::string> kept = ReplaysOf("Pilot");
    ASSERT_EQ(kept.size(), 2u) << "the level saved, and the level loaded";
    ExpectTheSameGame(kept.back(), " won at ");
    FromTheMenu("Exit Mission");
}

TEST_F(ReplaySession, AReplayThatPartsFromItsGameStopsThereAndSaysWhere)
{
    PlayAWhile(3.0f);
    FromTheMenu("Abort Mission");
    const std::vector<std::string> kept = ReplaysOf("Pilot");
    ASSERT_EQ(kept.size(), 1u);
    Replay replay;
    std::string why;
    ASSERT_TRUE(ReplayDirector::Open(kept[0].c_str(), &replay, &why)) << why;
    ASSERT_GE(replay.checks.size(), 3u);
    // Its second second's digest changed, the place of the level's first entity with it.
    replay.checks[1].digest.sum ^= 1;
    replay.checks[1].digest.entities[0] ^= 0x10;
    const std::string tampered = kept[0] + ".tampered.replay";
    ASSERT_TRUE(WriteTextFile(tampered, WriteReplay(replay)));
    ASSERT_TRUE(ReplayDirector::Open(tampered.c_str(), &replay, &why)) << why;

    LogCaptureBegin();
    ASSERT_TRUE(TheReplay.Play(tampered, replay, false));
    // The viewer reads and closes what the level says, as its player did.
    for (int i = 0; i < 400 && !TheReplay.Finished(); ++i) {
        if (TheMessageWindow && TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
        Passes(1, 0.05f);
    }
    const std::string log = LogCaptureEnd();
    EXPECT_TRUE(TheReplay.Parted());
    EXPECT_EQ(TheReplay.Tick(), 10) << "it stops at the digest that differs";
    EXPECT_TRUE(GamePaused) << "the replay stands where it parted";
    ASSERT_TRUE(TheMessageDialog && TheMessageDialog->IsVisible());
    EXPECT_STREQ(TheMessageDialog->label->GetText(), "This replay parts from its game at 00:01 (tick 10)");
    EXPECT_NE(log.find("entity 0 '"), std::string::npos) << log;
    EXPECT_NE(log.find("): place"), std::string::npos) << log;
    ClickOn(FindButton(TheMessageDialog->window, "OK"));
    GamePaused = false;
    FromTheMenu("Abort Mission");
    EXPECT_FALSE(TheReplay.Playing());
    EXPECT_EQ(ReplaysOf("Pilot").size(), 2u) << "a replay played is not recorded again (the tampered copy is the second)";
}

// The panels' and the bag's clicks are orders: in a level loaded from a save (the pilot's ore,
// fuel and bag come with it), the factory's queue loses a unit, a construction is cancelled,
// the upgrader's choice, start and release are clicked, a pattern is learnt out of the bag and an
// item carried out of it is put down. Each click leaves the world as it was until the next tick,
// which takes the click's order and carries it out. Left by an abort, the level plays the same
// again from its replay, whose last order is the abort.
TEST_F(ReplaySession, ThePanelsAndTheBagGiveOrdersThatTheNextTickCarriesOutAndTheReplayPlaysAgain)
{
    PlayAWhile(1.0f);
    PlayerProfile* profile = GetPlayerProfile();
    profile->fuel = 500.0f;
    // A pilot of the first level, who may learn the repair bot.
    profile->experience = LevelThreshold(1);
    Item* cannisters = nullptr;
    {
        // The walk's own staging, kept by the save the level goes on from.
        const WorldChangeScope staged;
        Item* kit = CreateItemByName("repair_kit");
        Item* pattern = CreateItemByName("unitpattern");
        ASSERT_TRUE(kit && pattern);
        kit->stackCount = 1;
        snprintf(pattern->patternName, sizeof pattern->patternName, "repair_bot");
        ASSERT_TRUE(PlayerInventory->AddItem(kit, false, false, -1));
        ASSERT_TRUE(PlayerInventory->AddItem(pattern, false, false, -1));
        // A full bag, with cannisters to split and to hold.
        cannisters = PlayerInventory->FindItemByName("health_cannister");
        ASSERT_NE(cannisters, nullptr);
        cannisters->stackCount += 2;
        while (!PlayerInventory->IsFull()) {
            Item* filler = CreateItemByName("detector");
            ASSERT_NE(filler, nullptr);
            ASSERT_TRUE(PlayerInventory->AddItem(filler, false, false, -1));
        }
    }
    SaveAndLoad();
    ASSERT_EQ(TheGame->state, GAME_STATE_PLAYING);
    ASSERT_FLOAT_EQ(profile->fuel, 500.0f) << "the save's fuel";

    // A factory and an upgrader put down free beside the rig, a generator to be built by it.
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    Press(DIK_TAB);  // the rig selected,
    Press(DIK_TAB);  // and looked at
    Building* buildings[3] = {};
    const char* names[3] = {"bot_factory", "bot_upgrader", "power_generator"};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(TheGame->buildItems->SetCurrent(names[i], i < 2));
        // Ground where the building fits, in the upper part of the view, away from the panels.
        Vec3 site;
        int x = 0, y = 0;
        bool found = false;
        for (int step = 0; step < 16 && !found; ++step) {
            const Vec3 off(10.0f * std::cos(step * 0.3926991f), 0.0f, 10.0f * std::sin(step * 0.3926991f));
            found = FindOpenGround(rig->GetPosition() + off, &site) && OnScreen(site, &x, &y) && y < Config->height / 2 &&
                    !WindowMgr->IsPointOverWindow(x, y, false);
        }
        ASSERT_TRUE(found) << names[i];
        for (int attempt = 0; attempt < 6 && !buildings[i]; ++attempt) {
            MoveMouseTo(x + attempt * 24, y);
            Click(0);
            UntilTick();
            for (Entity* e = TheScene.FirstInCategory(CATEGORY_ALL, 0); e; e = TheScene.NextInCategory())
                if ((e->flags & ENTITY_BUILDING) && e->alignment == ALIGN_PLAYER && StrICmp(e->name, names[i]) == 0 &&
                    !(static_cast<Building*>(e)->stateFlags & BUILDING_PREVIEW) && e != buildings[0])
                    buildings[i] = static_cast<Building*>(e);
        }
        ASSERT_NE(buildings[i], nullptr) << names[i];
    }
    Building *factory = buildings[0], *upgrader = buildings[1], *construction = buildings[2];
    ASSERT_EQ(construction->buildState, BUILD_STATE_CONSTRUCTING);

    // Two miners queued at the factory.
    ASSERT_TRUE(ClickAt(factory->GetCenter(), 0));
    ASSERT_EQ(TheGame->GetFirstSelected(), factory);
    BuildPanel* panel = GetBuildPanel(factory->definition, false);
    ASSERT_NE(panel, nullptr);
    for (int i = 0; i < panel->buttonCount; ++i)
        if (StrICmp(panel->buttons[i].type->name, "miner") == 0) {
            ClickOn(panel->buttons[i].button);
            ClickOn(panel->buttons[i].button);
        }
    UntilTick();
    ASSERT_EQ(factory->buildQueue ? factory->buildQueue->count : 0, 2) << "two miners queued";
    Passes(2, 0.02f);

    // Each row: a click (the cursor taken there in passes too short for a tick), the world as
    // it was until the next tick, then that tick's order and what it did.
    struct Row {
        const char* action;
        uint16_t kind;
        std::function<void()> click;
        std::function<bool()> done;
    };
    auto run = [&](const Row& row) {
        SCOPED_TRACE(row.action);
        UntilTick();
        const int tick = WorldTicks.count;
        const uint64_t world = WorldChecksum();
        row.click();
        ASSERT_EQ(WorldTicks.count, tick) << "no tick during the click";
        EXPECT_FALSE(row.done()) << "nothing before the next tick";
        EXPECT_EQ(WorldChecksum(), world) << "the world untouched between ticks";
        UntilTick();
        const std::vector<PlayerOrder>& taken = TheOrders.LastTaken();
        EXPECT_TRUE(std::any_of(taken.begin(), taken.end(), [&](const PlayerOrder& o) { return o.kind == row.kind; }));
        EXPECT_TRUE(row.done()) << "done at the next tick";
    };
    auto clickOn = [](Window* window, int button = 0) {
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(window->IsVisible());
        playerhand::ClickOn(window, button, StillPass);
    };
    // Clicked where no other unit stands in front of it.
    auto select = [&](Entity* entity) {
        const Vec3 offsets[] = {Vec3(0.0f, 0.0f, 0.0f), Vec3(1.5f, 0.0f, 1.5f), Vec3(-1.5f, 0.0f, 1.5f),
                                Vec3(1.5f, 0.0f, -1.5f), Vec3(-1.5f, 0.0f, -1.5f)};
        for (const Vec3& off : offsets)
            if (TheGame->GetFirstSelected() != entity) ClickAt(entity->GetCenter() + off, 0);
        ASSERT_EQ(TheGame->GetFirstSelected(), entity);
        Passes(2, 0.02f);
    };

    run({"the second miner taken back from the queue", ORDER_UNQUEUE_UNIT, [&] { clickOn(QueueButtons[1]); },
         [&] { return factory->buildQueue->count == 1; }});
    select(construction);
    run({"the construction cancelled", ORDER_CANCEL_CONSTRUCTION,
         [&] { clickOn(TheEntityInfoGui->cancelConstructionButton); }, [&] { return !construction->IsAlive(); }});

    // The miner made walks into the upgrader.
    Agent* miner = nullptr;
    for (int second = 0; second < 30 && !(miner = NewestOf("miner")); ++second) Passes(10, 0.1f);
    ASSERT_NE(miner, nullptr) << "the factory made the miner";
    select(miner);
    ASSERT_TRUE(ClickAt(upgrader->GetCenter(), 1));
    for (int second = 0; second < 30 && upgrader->HeldUnit() != miner; ++second) Passes(10, 0.1f);
    ASSERT_EQ(upgrader->HeldUnit(), miner) << "the miner walked into the upgrader";
    select(upgrader);
    UpgradePanel* upgrades = GetUpgradePanel();
    Button* hull = nullptr;
    for (Button* button : upgrades->choices)
        if (button && button->IsVisible() && button->id == 2) hull = button;
    run({"hull 1 chosen", ORDER_UPGRADE_CHOICE, [&] { clickOn(hull); }, [&] { return upgrader->chosenUpgrades == 0x10u; }});
    run({"the upgrade started", ORDER_UPGRADE_START, [&] { clickOn(upgrades->startButton); },
         [&] { return miner->processTimer > 0.0f && profile->fuel == 475.0f; }});
    run({"the miner let out", ORDER_UPGRADE_EJECT, [&] { clickOn(upgrades->cancelButton); },
         [&] { return !upgrader->HeldUnit() && InLevel(miner) && profile->fuel == 500.0f; }});

    // The bag: the repair bot's pattern learnt, a health cannister split off into the slot it
    // left, the heal key pressed with the cannisters in the hand, the screen closed with the bag
    // full and the kit in the hand, and the repair kit carried out and put down.
    TypeInventoryKey();
    Inventory* bag = TheCharacterGui->inventory;
    ASSERT_TRUE(bag && bag->panel->IsVisible());
    int patternSlot = -1, kitSlot = -1, cannisterSlot = -1;
    for (int i = 0; i < Inventory::SLOT_COUNT; ++i) {
        if (bag->slots[i].item && StrICmp(bag->slots[i].item->patternName, "repair_bot") == 0) patternSlot = i;
        if (bag->slots[i].item && StrICmp(bag->slots[i].item->name, "repair_kit") == 0) kitSlot = i;
        if (bag->slots[i].item && StrICmp(bag->slots[i].item->name, "health_cannister") == 0) cannisterSlot = i;
    }
    ASSERT_GE(patternSlot, 0);
    ASSERT_GE(kitSlot, 0);
    ASSERT_GE(cannisterSlot, 0);
    cannisters = bag->slots[cannisterSlot].item;
    const int cannistersBefore = cannisters->stackCount;
    auto cannistersInTheBag = [&] {
        int n = 0;
        for (const BagSlot& slot : bag->slots)
            if (slot.item && StrICmp(slot.item->name, "health_cannister") == 0) n += slot.item->stackCount;
        return n;
    };
    ASSERT_GE(cannistersBefore, 3);
    AgentType* repairer = TheGame->agentTypes->FindType("repair_bot");
    ASSERT_NE(repairer, nullptr);
    ASSERT_FALSE(repairer->flags & AGENT_TYPE_OWNED);
    run({"the pattern learnt", ORDER_LEARN_PATTERN, [&] { clickOn(bag->cells[patternSlot].slotButton, 1); },
         [&] { return (repairer->flags & AGENT_TYPE_OWNED) && bag->slots[patternSlot].kind == 0; }});
    InputScript::KeyDown(DIK_LSHIFT);
    clickOn(bag->cells[cannisterSlot].slotButton);
    InputScript::KeyUp(DIK_LSHIFT);
    ASSERT_EQ(bag->HeldItem(), cannisters);
    ASSERT_EQ(bag->HeldCount(), 1) << "one off the stack in the hand";
    run({"one cannister split off into the free slot", ORDER_MOVE_ITEM,
         [&] { clickOn(bag->cells[patternSlot].slotButton); },
         [&] {
             const Item* split = bag->slots[patternSlot].item;
             return split && split != cannisters && StrICmp(split->name, "health_cannister") == 0 &&
                    split->stackCount == 1 && cannisters->stackCount == cannistersBefore - 1;
         }});
    ASSERT_TRUE(bag->IsFull());
    clickOn(bag->cells[cannisterSlot].slotButton);
    ASSERT_EQ(bag->HeldItem(), cannisters) << "the stack in the hand";
    // The rig's hull is whole: the key's order finds the cannisters the hand holds, and says so.
    run({"the heal key with the cannisters in the hand", ORDER_USE_ITEM,
         [&] {
             InputScript::KeyDown(DIK_H);
             InputScript::Type("h");
             InputScript::KeyUp(DIK_H);
             int exitCode = 0;
             DrainMessages(&exitCode);
         },
         [&] {
             const auto* said = TheGame->messageBar->Newest();
             return said && strcmp(said->text, "The rig's hull is already whole!") == 0 &&
                    cannistersInTheBag() == cannistersBefore;
         }});
    clickOn(bag->cells[cannisterSlot].slotButton);  // put back where it lies
    ASSERT_EQ(bag->HeldItem(), nullptr);
    clickOn(bag->cells[kitSlot].slotButton);
    ASSERT_EQ(bag->HeldItem(), bag->slots[kitSlot].item);
    Item* carried = bag->HeldItem();
    {
        UntilTick();
        const uint64_t world = WorldChecksum();
        const int tick = WorldTicks.count;
        TypeInventoryKey();  // closed with the bag full and the kit in the hand
        ASSERT_EQ(WorldTicks.count, tick);
        EXPECT_EQ(WorldChecksum(), world) << "closing the screen changes nothing of the world";
        EXPECT_EQ(bag->slots[kitSlot].item, carried) << "the kit never left its slot";
        EXPECT_EQ(bag->HeldItem(), nullptr) << "the hand let go";
        UntilTick();
        EXPECT_EQ(bag->slots[kitSlot].item, carried);
    }
    TypeInventoryKey();
    ClickOn(bag->cells[kitSlot].slotButton);
    ASSERT_EQ(bag->HeldItem(), carried);
    int worldX = Config->width - 140, worldY = Config->height / 2 - 60;
    for (int step = 0; step < 8 && WindowMgr->IsPointOverWindow(worldX, worldY, false); ++step) worldY += 30;
    MoveMouseTo(worldX, worldY);
    run({"the kit put down", ORDER_DROP_ITEM, [&] { playerhand::Click(0, StillPass); },
         [&] { return !bag->HeldItem() && InLevel(carried) && bag->slots[kitSlot].kind == 0; }});
    TypeInventoryKey();
    PlayWithoutPictures(2.0f, 0.1f, [] { return true; });
    FromTheMenu("Abort Mission");

    const std::vector<std::string> kept = ReplaysOf("Pilot");
    ASSERT_EQ(kept.size(), 2u) << "the level saved, and the level loaded";
    Replay replay;
    std::string why;
    ASSERT_TRUE(ReplayDirector::Open(kept.back().c_str(), &replay, &why)) << why;
    ASSERT_FALSE(replay.ticks.empty());
    EXPECT_EQ(replay.ticks.back().tick, replay.lastTick) << "the abort lands where the level stopped";
    EXPECT_EQ(replay.ticks.back().orders.back().kind, ORDER_ABORT) << "left by the menu";
    ExpectTheSameGame(kept.back(), " abandoned at ");
    FromTheMenu("Abort Mission");

    // Without its "learn pattern" order the replay is another game, from the tick it was given.
    uint32_t learnt = 0;
    for (ReplayTick& tick : replay.ticks) {
        auto& orders = tick.orders;
        const auto found = std::find_if(orders.begin(), orders.end(), [](const PlayerOrder& o) { return o.kind == ORDER_LEARN_PATTERN; });
        if (found == orders.end()) continue;
        learnt = tick.tick;
        orders.erase(found);
    }
    ASSERT_GT(learnt, 0u);
    const std::string dropped = base + "/dropped.replay";
    ASSERT_TRUE(WriteTextFile(dropped, WriteReplay(replay)));
    int exitCode = 0;
    const std::string line = VerifyReplayHere(dropped, &exitCode);
    EXPECT_EQ(exitCode, 1) << line;
    EXPECT_EQ(line.rfind("replay " + dropped + " parts at tick " + std::to_string(learnt) + " (", 0), 0u) << line;
    EXPECT_NE(line.find("the player's resources, bag or patterns"), std::string::npos) << line;
    FromTheMenu("Abort Mission");
}

// A level restarted from the "Mission Failed!" window: the rig brought down at a tick (the same
// in the replay's play), the replay's outcome says it was lost and its last order that it was
// restarted, and it plays the same game to its end.
TEST_F(ReplaySession, ALevelRestartedFromTheFailedWindowIsRecordedAsLostWithTheRestartLast)
{
    PlayAWhile(2.0f);
    const int downAt = TheReplay.Tick();
    auto bringDown = [] {
        // The walk's own blow, struck alike between the same ticks of the replay's play.
        const WorldChangeScope staged;
        if (Agent* rig = GetPlayerRig()) rig->TakeDamage(rig->GetMaxHealth() * 100.0f, nullptr, nullptr, 0, true);
    };
    bringDown();
    for (int i = 0; i < 100 && !TheInGameMenu->failedShown; ++i) Passes(1, 0.05f);
    ASSERT_TRUE(TheInGameMenu->failedShown);
    ClickOn(FindButton(TheInGameMenu->failedWindow, "Restart Mission"));
    ReadTheLevelsWord();
    FromTheMenu("Abort Mission");

    const std::vector<std::string> kept = ReplaysOf("Pilot");
    ASSERT_EQ(kept.size(), 2u) << "the level restarted, and the level aborted";
    Replay replay;
    std::string why;
    ASSERT_TRUE(ReplayDirector::Open(kept[0].c_str(), &replay, &why)) << why;
    EXPECT_EQ(replay.outcome, REPLAY_LOST);
    ASSERT_FALSE(replay.ticks.empty());
    EXPECT_EQ(replay.ticks.back().tick, replay.lastTick);
    EXPECT_EQ(replay.ticks.back().orders.back().kind, ORDER_RESTART);

    // Played again, the rig brought down at the same tick.
    ASSERT_TRUE(TheReplay.Play(kept[0], replay, true));
    bool broughtDown = false;
    for (int i = 0; i < 2000 && !TheReplay.Finished(); ++i) {
        if (TheMessageWindow && TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
        if (!broughtDown && TheReplay.Tick() == downAt) {
            bringDown();
            broughtDown = true;
        }
        Passes(1, 0.02f);
    }
    EXPECT_TRUE(broughtDown);
    EXPECT_TRUE(TheReplay.Finished());
    EXPECT_FALSE(TheReplay.Parted()) << TheReplay.VerdictLine();
    EXPECT_NE(TheReplay.VerdictLine().find(" lost at "), std::string::npos) << TheReplay.VerdictLine();
    if (TheInGameMenu->failedShown)
        ClickOn(FindButton(TheInGameMenu->failedWindow, "Abort Mission"));
    else
        FromTheMenu("Abort Mission");
    Passes(2, 0.05f);
    EXPECT_FALSE(TheReplay.Playing());
}

// The verdict names the tick the world first differs at: the pilot's ore changed by a hair
// between two ticks of the replay's play parts it at the next tick, whatever the checks' cadence;
// the same game played through says how far it went and how it ended, as its own play reached it.
TEST_F(ReplaySession, TheVerdictNamesTheTickTheWorldFirstDiffersAndWhatThePlayReached)
{
    PlayAWhile(4.0f);
    FromTheMenu("Abort Mission");
    const std::vector<std::string> kept = ReplaysOf("Pilot");
    ASSERT_EQ(kept.size(), 1u);
    Replay replay;
    std::string why;
    ASSERT_TRUE(ReplayDirector::Open(kept[0].c_str(), &replay, &why)) << why;
    const std::string line = ExpectTheSameGame(kept[0]);
    EXPECT_EQ(line, "replay " + kept[0] + ": the same game, " + std::to_string(replay.lastTick + 1) + " ticks, abandoned at " +
                        ReplayClockText(replay.endTime) + "\n");
    FromTheMenu("Abort Mission");

    ASSERT_TRUE(TheReplay.Play(kept[0], replay, true));
    constexpr int CHANGED_AFTER = 13;
    for (int i = 0; i < 2000 && !TheReplay.Finished(); ++i) {
        if (TheMessageWindow && TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
        if (TheReplay.Tick() == CHANGED_AFTER) GetPlayerProfile()->ore = std::nextafter(GetPlayerProfile()->ore, 1e9f);
        Passes(1, 0.02f);
    }
    EXPECT_TRUE(TheReplay.Parted());
    EXPECT_EQ(TheReplay.VerdictLine(), "replay " + kept[0] + " parts at tick " + std::to_string(CHANGED_AFTER + 1) +
                                           " (00:01): the player's resources, bag or patterns");
    FromTheMenu("Abort Mission");
}

// A file with no tick of play (the program stopped before its first) is refused, never verified.
TEST_F(ReplaySession, AReplayWithNoTickIsRefused)
{
    PlayAWhile(2.0f);
    FromTheMenu("Abort Mission");
    Replay replay;
    std::string why;
    ASSERT_TRUE(ReplayDirector::Open(ReplaysOf("Pilot")[0].c_str(), &replay, &why)) << why;
    const std::string header = base + "/header.replay";
    ASSERT_TRUE(WriteTextFile(header, WriteReplayHeader(replay.header)));
    int exitCode = 0;
    EXPECT_EQ(VerifyReplayHere(header, &exitCode), "the recording holds no tick of play");
    EXPECT_EQ(exitCode, 2);
}

// Each kept replay with its first order that acts taken out is another game, and must part: a
// kept replay that verified only because the checks could not see an order would pass here too.
TEST_F(ReplaySession, EachKeptReplayWithOneOrderDroppedParts)
{
    // What only paces, holds or leaves the level, or names groups, is not what is dropped.
    const uint16_t passive[] = {ORDER_GAME_SPEED, ORDER_PAUSE,   ORDER_RESUME, ORDER_SAVE, ORDER_ASSIGN_GROUP,
                                ORDER_RESTART,    ORDER_ABORT,   ORDER_CONSOLE};
    for (const char* name : {"first_mission_won", "second_mission_won", "mission_lost", "mission_restarted", "story1_opening",
                             "story1_loaded", "story2_opening", "story3_opening", "story4_opening", "story5_opening", "story6_opening",
                             "story7_opening"}) {
        SCOPED_TRACE(name);
        const OneOrderDropped played = PlayWithoutOne(name, base, [&](const PlayerOrder& o) {
            return std::find(std::begin(passive), std::end(passive), o.kind) == std::end(passive);
        });
        ASSERT_NE(played.kind, ORDER_NONE) << "the kept game gives an order that acts";
        EXPECT_EQ(played.exitCode, 1) << "order of kind " << played.kind << " dropped at tick " << played.at << ": "
                                      << played.line;
        EXPECT_EQ(played.line.rfind("replay " + played.path + " parts at tick ", 0), 0u) << played.line;
        FromTheMenu("Abort Mission");
    }
}

// The orders a story mission's opening gives through the hand are each seen by the checks: the
// kept opening without the factory put down, without the bot queued on its panel, or without
// the cannisters moved in the bag, is another game from the tick that order was given at.
TEST_F(ReplaySession, AnOpeningWithoutOneOrderOfTheHandParts)
{
    for (const uint16_t kind : {ORDER_PLACE_BUILDING, ORDER_QUEUE_UNIT, ORDER_MOVE_ITEM}) {
        SCOPED_TRACE(kind);
        const OneOrderDropped played =
            PlayWithoutOne("story1_opening", base, [kind](const PlayerOrder& o) { return o.kind == kind; });
        ASSERT_EQ(played.kind, kind) << "the opening gives the order";
        EXPECT_EQ(played.exitCode, 1) << played.line;
        EXPECT_EQ(played.line.rfind("replay " + played.path + " parts at tick " + std::to_string(played.at) + " (", 0), 0u)
            << played.line;
        // The ore the factory and the miner cost, and the bag: the pilot's own.
        EXPECT_NE(played.line.find(": the player's resources, bag or patterns"), std::string::npos) << played.line;
        FromTheMenu("Abort Mission");
    }
}

// A kept opening watched in the program: drawn at frames of a quarter second (two or three
// ticks to a frame) from its start until a while after the factory carried on the cursor was
// put down, the camera scrolled away the while, then played on to its end with no picture:
// the same game. So is the level loaded from that opening's save, drawn over its first ten
// seconds.
TEST_F(ReplaySession, AKeptOpeningWatchedDrawnAtAnotherFrameRateWithTheCameraElsewhereIsTheSameGame)
{
    for (const char* name : {"story1_opening", "story1_loaded"}) {
        SCOPED_TRACE(name);
        const std::string kept = SourcePath("tests/data/replays/" + std::string(name) + ".replay");
        Replay replay;
        std::string why;
        ASSERT_TRUE(ReplayDirector::Open(kept.c_str(), &replay, &why)) << why;
        int putDown = 0;
        for (const ReplayTick& tick : replay.ticks)
            for (const PlayerOrder& order : tick.orders)
                if (order.kind == ORDER_PLACE_BUILDING && !putDown) putDown = (int)tick.tick;
        const bool loaded = replay.header.restore == 1;
        ASSERT_TRUE(loaded || putDown > 0) << "the opening puts the factory down";
        const int drawnUntil = loaded ? 100 : putDown + 20;
        ASSERT_TRUE(TheReplay.Play(kept, replay, true));
        int drawn = 0;
        for (int i = 0; i < 2000 && !TheReplay.Finished(); ++i) {
            if (TheMessageWindow && TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
            if (TheReplay.Tick() > drawnUntil) {
                PlayWithoutPictures(0.25f, 0.25f, [] { return true; });
                continue;
            }
            if (i % 4 == 0) Press(i % 8 ? DIK_RIGHT : DIK_DOWN);
            Passes(1, 0.25f);
            ++drawn;
        }
        EXPECT_GT(drawn, drawnUntil / 3) << "the level was drawn";
        EXPECT_TRUE(TheReplay.Finished());
        EXPECT_FALSE(TheReplay.Parted()) << TheReplay.VerdictLine();
        FromTheMenu("Abort Mission");
    }
}

// The galaxy's "Replays": the profile's recent games, newest first, one that cannot be played
// shown as such and refused; a double click plays a game again, its digests matching along the
// way while the viewer holds it and plays it faster and slower, and leaving it brings the
// player back to the galaxy with their own profile.
TEST_F(ReplaySession, TheGalaxyListsTheRecentGamesAndPlaysOneAgain)
{
    PlayAWhile(4.0f);
    FromTheMenu("Abort Mission");
    ASSERT_TRUE(MissionScreen::galaxyPage && MissionScreen::galaxyPage->IsVisible()) << "back on the galaxy";
    std::vector<std::string> kept = ReplaysOf("Pilot");
    ASSERT_EQ(kept.size(), 1u);
    // The game's date made that of a fixed day, for the picture; an older file that is no replay.
    Replay replay;
    std::string why;
    ASSERT_TRUE(ReplayDirector::Open(kept[0].c_str(), &replay, &why)) << why;
    replay.header.startedAt = 1796000000;
    ASSERT_TRUE(WriteTextFile(kept[0], WriteReplay(replay)));
    ASSERT_TRUE(WriteTextFile(ReplayDirector::FolderOf("Pilot") + "/20000101-000000.replay", "not a game"));

    ClickOn(FindButtonWithin(MissionScreen::galaxyPage, "Replays"));
    LevelLoadSaveGui* screen = TheLevelLoadSaveGui;
    ASSERT_TRUE(screen->shown && screen->replayMode);
    EXPECT_FALSE(MissionScreen::galaxyPage->IsVisible());
    LevelBrowser* list = screen->browser;
    ASSERT_EQ(list->EntryCount(), 2);
    const std::string game = list->GetSelected()->name;
    const std::string mission = replay.header.missionName.empty() ? "Practice level" : replay.header.missionName;
    for (const std::string& part : {mission, std::string("Abandoned"), ReplayClockText(replay.endTime)})
        EXPECT_NE(game.find("  " + part), std::string::npos) << part << " in " << game;
    Image shot;
    ASSERT_TRUE(ShotOfNextFrame(base + "/replay_list.png", shot));
    const Pixels picture = ToPixels(shot);
    EXPECT_TRUE(MatchesReference(picture, "replay_list", {12, picture.width * picture.height / 50}));

    // The broken one is listed as such, and Play refuses it with a word; the list stays.
    ClickOn(list->rowButtons[1]);
    EXPECT_NE(std::string(list->GetSelected()->name).find("Cannot be played"), std::string::npos);
    ClickOn(FindShownButton(screen, "Play"));
    EXPECT_FALSE(TheReplay.Playing());
    ASSERT_TRUE(TheMessageDialog->IsVisible());
    EXPECT_EQ(std::string(TheMessageDialog->label->GetText()).rfind("This replay cannot be played: ", 0), 0u);
    ClickOn(FindButton(TheMessageDialog->window, "OK"));
    EXPECT_TRUE(screen->shown);

    // A double click on the game plays it. The viewer holds it with the pause key, and plays it
    // faster and slower again with the speed keys (their default keys, out of debug mode): they
    // change how many of its ticks run a frame, never the game it plays.
    ScopedGlobal<bool> debugging{Config->debugMode, false};
    auto typed = [](const char* key) {
        InputScript::Type(key);
        int exitCode = 0;
        DrainMessages(&exitCode);
    };
    auto ticksIn = [](int passes) {
        const int before = TheReplay.Tick();
        Passes(passes, 0.05f);
        return TheReplay.Tick() - before;
    };
    ClickOn(list->rowButtons[0]);
    ClickOn(list->rowButtons[0]);
    ASSERT_TRUE(TheReplay.Playing());
    EXPECT_FALSE(screen->shown);
    for (int i = 0; i < 100 && TheReplay.Tick() < 5; ++i) {
        if (TheMessageWindow && TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
        Passes(1, 0.05f);
    }
    ASSERT_FALSE(GamePaused);
    const float gameSpeed = GameSpeed;
    Press(DIK_PAUSE);
    EXPECT_TRUE(GamePaused);
    EXPECT_EQ(ticksIn(10), 0) << "the pause key holds the replay";
    Press(DIK_PAUSE);
    EXPECT_EQ(ticksIn(4), 2) << "a tick each tenth of a second";
    typed("=");
    typed("=");
    EXPECT_EQ(ticksIn(4), 8) << "four times as fast";
    typed("-");
    typed("-");
    EXPECT_EQ(ticksIn(4), 2) << "and back";
    EXPECT_EQ(GameSpeed, gameSpeed) << "the game's own speed is the game's";
    EXPECT_FALSE(TheReplay.Parted()) << TheReplay.VerdictLine();
    for (int i = 0; i < 400 && !TheReplay.Finished(); ++i) {
        if (TheMessageWindow && TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
        Passes(1, 0.05f);
    }
    EXPECT_TRUE(TheReplay.Finished());
    EXPECT_FALSE(TheReplay.Parted()) << TheReplay.VerdictLine();
    // Its end is the viewer's: the word says how the game ended, over the list it came from;
    // the game's own end (its window, results or rewards) is not played, and the player's
    // profile is back as it was.
    ASSERT_TRUE(TheMessageDialog->IsVisible()) << "it says where it ends";
    EXPECT_NE(std::string(TheMessageDialog->label->GetText()).find("abandoned at"), std::string::npos)
        << TheMessageDialog->label->GetText();
    EXPECT_FALSE(TheReplay.Playing());
    EXPECT_NE(TheGame->state, GAME_STATE_PLAYING);
    EXPECT_TRUE(screen->shown && screen->replayMode) << "back at the list";
    EXPECT_FALSE(TheResultsScreen && TheResultsScreen->IsVisible()) << "no results page";
    EXPECT_STREQ(GetPlayerProfile()->name, "Pilot");
    ClickOn(FindButton(TheMessageDialog->window, "OK"));
    EXPECT_FALSE(GamePaused);
    EXPECT_EQ(ReplaysOf("Pilot").size(), 2u) << "a game played again is not recorded again";
    ClickOn(FindShownButton(screen, "Back"));
    EXPECT_TRUE(MissionScreen::galaxyPage->IsVisible()) << "back on the galaxy";

    // Back (and Escape) leave the list for the galaxy.
    ClickOn(FindButtonWithin(MissionScreen::galaxyPage, "Replays"));
    ASSERT_TRUE(screen->shown);
    ClickOn(FindShownButton(screen, "Back"));
    EXPECT_FALSE(screen->shown);
    EXPECT_TRUE(MissionScreen::galaxyPage->IsVisible());
}

}  // namespace
