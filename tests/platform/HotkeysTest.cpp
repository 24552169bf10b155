#include "platform/ConfigFile.h"
#include "platform/Hotkeys.h"
#include "platform/PooledList.h"

#include "host/Log.h"
#include "tests/support/ScopedGameSeam.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Ran;

void Attack() { Ran.push_back("attack"); }
void Move() { Ran.push_back("move"); }
void GotoAlert() { Ran.push_back("goto_alert"); }
void SelectPlayer() { Ran.push_back("select_player"); }
void QuickSlot2() { Ran.push_back("quick_slot_2"); }
void Assign1() { Ran.push_back("assignControlGroup_1"); }
void Select1() { Ran.push_back("selectControlGroup_1"); }
void Trackplayer() { Ran.push_back("trackplayer"); }
void Other() { Ran.push_back("other"); }

// A game whose player is typing into a text field.
class Typing : public NullGameSeam {
public:
    bool IsTextInputFocused() override { return true; }
};

class Hotkeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearCommandRegistry();
        Ran.clear();
        folder = MakeTempFolder("hotkeys");
        RegisterCommand("attack", Attack);
        RegisterCommand("move", Move);
        RegisterCommand("goto_alert", GotoAlert);
        RegisterCommand("select_player", SelectPlayer);
        RegisterCommand("quick_slot_2", QuickSlot2);
        RegisterCommand("assignControlGroup_1", Assign1);
        RegisterCommand("selectControlGroup_1", Select1);
        RegisterCommand("trackplayer", Trackplayer);
        RegisterCommand("resetcamera", Other);
        config = std::make_unique<ConfigFile>((folder + "/absent.cfg").c_str());
        Config = config.get();
    }
    void TearDown() override
    {
        Config = nullptr;
        ClearCommandRegistry();
    }
    std::string Load(const std::string& text)
    {
        std::string path = folder + "/in.cfg";
        WriteTextFile(path, text);
        config->LoadHotkeys(path.c_str());
        return path;
    }
    std::string Save()
    {
        std::string path = folder + "/out.cfg";
        config->SaveHotkeys(path.c_str());
        return ReadTextFile(path);
    }
    std::string KeyOf(const char* command, bool parentheses = false)
    {
        char key[32];
        return config->FindHotkey(command, key, parentheses, sizeof key) ? key : "<none>";
    }

    std::string folder;
    std::unique_ptr<ConfigFile> config;
    ScopedGameSeam noGame;  // nobody is typing
};

}  // namespace

TEST_F(Hotkeys, BindingsSurviveSaveAndLoad)
{
    Load("keyboard_map a ATTACK\n"
         "keyboard_map space goto_alert\n"
         "keyboard_map tab select_player\n"
         "keyboard_map F2 quick_slot_2\n"
         "keyboard_map ctrl_1 assigncontrolgroup_1\n"
         "keyboard_map 1 selectControlGroup_1\n"
         "keyboard_map ctrl_alt_t trackplayer\n"
         "keyboard_map alt_m move\n"
         "keyboard_map q no_such_command\n"
         "keyboard_map F10 resetcamera\n"
         "keyboard_map F0 resetcamera\n"
         "keyboard_map ctrl_F1 resetcamera\n");
    std::string first = Save();
    EXPECT_EQ(first,
              "\n/* USER HOTKEYS */\n\n"
              "keyboard_map\t\ta\t\t\tattack\n"
              "keyboard_map\t\talt_m\tmove\n"
              "keyboard_map\t\tspace\t\tgoto_alert\n"
              "keyboard_map\t\ttab\t\tselect_player\n"
              "keyboard_map\t\tF2\t\t\tquick_slot_2\n"
              "keyboard_map\t\tctrl_alt_t\ttrackplayer\n"
              "keyboard_map\t\tctrl_1\tassignControlGroup_1\n"
              "keyboard_map\t\t1\t\t\tselectControlGroup_1\n"
              "\nEOF\n");
    EXPECT_EQ(KeyOf("resetcamera"), "<none>") << "F10, F0 and ctrl_F1 bind nothing";

    auto reloaded = std::make_unique<ConfigFile>((folder + "/absent.cfg").c_str());
    reloaded->LoadHotkeys((folder + "/out.cfg").c_str());
    std::swap(config, reloaded);
    EXPECT_EQ(Save(), first);
    EXPECT_EQ(KeyOf("attack", true), "(a)");
    EXPECT_EQ(KeyOf("trackplayer"), "ctrl_alt_t");
}

TEST_F(Hotkeys, ModifiedKeysFallBackToThePlainBinding)
{
    Load("keyboard_map 1 selectControlGroup_1\nkeyboard_map F2 quick_slot_2\nkeyboard_map m move\n");
    EXPECT_TRUE(OnHotkeyCharacter('1', true, false));
    EXPECT_TRUE(OnHotkeyCharacter('1', false, true));
    Load("keyboard_map ctrl_1 assignControlGroup_1\nkeyboard_map alt_m attack\n");
    EXPECT_TRUE(OnHotkeyCharacter('1', true, false));
    EXPECT_TRUE(OnHotkeyCharacter('1', true, true)) << "no ctrl+alt binding: the control one";
    EXPECT_TRUE(OnHotkeyCharacter('1', false, false));
    EXPECT_TRUE(OnHotkeyCharacter('m', false, true));
    EXPECT_TRUE(OnHotkeyCharacter('m', true, true)) << "control without its binding falls to plain";
    EXPECT_TRUE(OnFunctionKey(2, true, true));
    EXPECT_FALSE(OnHotkeyCharacter('z', false, false));
    EXPECT_FALSE(OnHotkeyCharacter(200, false, false));
    EXPECT_FALSE(OnHotkeyCharacter(-1, false, false));
    EXPECT_FALSE(OnFunctionKey(10, false, false));
    EXPECT_FALSE(OnFunctionKey(0, false, false));
    EXPECT_EQ(Ran, (std::vector<std::string>{"selectControlGroup_1", "selectControlGroup_1", "assignControlGroup_1",
                                             "assignControlGroup_1", "selectControlGroup_1", "attack", "move",
                                             "quick_slot_2"}));

    Ran.clear();
    Typing typing;
    ScopedGameSeam seam(&typing);
    EXPECT_FALSE(OnHotkeyCharacter('1', false, false)) << "keys typed into a text field are not hotkeys";
    EXPECT_FALSE(OnFunctionKey(2, false, false));
    EXPECT_TRUE(Ran.empty());
}

TEST_F(Hotkeys, FirstKeyInCodeOrderNamesTheCommand)
{
    Load("keyboard_map b attack\nkeyboard_map ctrl_a attack\nkeyboard_map F1 attack\n");
    EXPECT_EQ(KeyOf("attack"), "ctrl_a");
    EXPECT_EQ(KeyOf("attack", true), "(ctrl_a)");
    EXPECT_EQ(KeyOf("ATTACK"), "<none>") << "binding names compare exactly";
    EXPECT_EQ(KeyOf("move"), "<none>");
}

TEST_F(Hotkeys, RegistryRefusesAFullBucket)
{
    // Nine names that share one bucket: the ninth has no room.
    std::vector<std::string> names;
    int target = NamedTableBucket("attack", 127);
    for (int i = 0; names.size() < 9; ++i) {
        std::string name = "cmd" + std::to_string(i);
        if (NamedTableBucket(name.c_str(), 127) == target) names.push_back(name);
    }
    // "attack" already sits in that bucket: seven more fill it.
    for (int i = 0; i < 7; ++i) EXPECT_TRUE(RegisterCommand(names[i].c_str(), Other)) << names[i];
    LogCaptureBegin();
    EXPECT_FALSE(RegisterCommand(names[7].c_str(), Other));
    EXPECT_FALSE(RegisterCommand(std::string(200, 'x').c_str(), Other));
    std::string log = LogCaptureEnd();
    EXPECT_NE(log.find("ERROR RegisterCommand: no room left for command " + names[7]), std::string::npos) << log;
    EXPECT_EQ(FindCommand(names[7].c_str()), nullptr);
    EXPECT_EQ(FindCommand("Attack"), &Attack);
    EXPECT_EQ(FindCommand(names[6].c_str()), &Other);
    EXPECT_STREQ(FindCommandName("ASSIGNCONTROLGROUP_1"), "assignControlGroup_1");
}
