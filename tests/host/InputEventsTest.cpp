// The event pump and the devices: platform key and mouse events turned into the polled key
// and mouse state and into the window messages the window procedure handles. Events are
// pushed through the platform's queue by the scripted input, with no display.
#include "host/InputDevices.h"
#include "host/InputEvents.h"
#include "host/InputKeys.h"
#include "host/InputScript.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

class InputEventsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InputEvents.Pump();  // anything an earlier test left in the queue
        InputEvents.Reset();
        SetInputFaults(0);
    }
    void TearDown() override
    {
        InputEvents.Pump();
        InputEvents.Reset();
    }

    // Every message the pending events make.
    static std::vector<HostMessage> Messages()
    {
        std::vector<HostMessage> out;
        HostMessage m;
        while (InputEvents.PeekMessage(&m)) out.push_back(m);
        return out;
    }
    static std::vector<uint32_t> Characters(const std::vector<HostMessage>& messages)
    {
        std::vector<uint32_t> out;
        for (const HostMessage& m : messages)
            if (m.message == WM_CHAR) out.push_back(m.wParam);
        return out;
    }
    static std::vector<uint32_t> KeysDown(const std::vector<HostMessage>& messages)
    {
        std::vector<uint32_t> out;
        for (const HostMessage& m : messages)
            if (m.message == WM_KEYDOWN) out.push_back(m.wParam);
        return out;
    }
    static int Dik(const char* name) { return TranslateKeyName(name).dik; }
};

TEST_F(InputEventsTest, KeysTranslateToScanCodesAndVirtualKeys)
{
    struct Case {
        const char* name;  // the platform's name of the key
        int dik;
        int vk;
    };
    const Case cases[] = {
        {"A", 0x1E, 0x41},        {"Z", 0x2C, 0x5A},          {"0", 0x0B, 0x30},          {"F1", 0x3B, 0x70},
        {"F12", 0x58, 0x7B},      {"Keypad Enter", 0x9C, 0x0D}, {"Pause", 0xC5, 0x13},    {"Right Ctrl", 0x9D, 0x11},
        {"Right Alt", 0xB8, 0x12}, {"PrintScreen", 0xB7, 0x2C}, {"`", 0x29, 192},         {"/", 0x35, 191},
        {"Keypad 0", 0x52, 0x60},  {"Keypad /", 0xB5, 0x6F},
    };
    for (const Case& c : cases) {
        KeyCodes codes = TranslateKeyName(c.name);
        EXPECT_EQ(codes.dik, c.dik) << c.name;
        EXPECT_EQ(codes.vk, c.vk) << c.name;
        EXPECT_EQ(TranslateKey(ScancodeOfDik(c.dik), 0).dik, c.dik) << c.name << " back from its scan code";
    }
    KeyCodes unknown = TranslateKeyName("no such key");
    EXPECT_EQ(unknown.dik, 0);
    EXPECT_EQ(unknown.vk, 0);
}

TEST_F(InputEventsTest, EveryShippedHotkeyReachesTheWindowProcedure)
{
    // Each binding of the default hotkeys, pressed as a player would: function keys and
    // Control with a digit arrive as key messages, Control with a letter as its control code,
    // Tab as its character, everything else as the key's virtual-key code (its character
    // comes from the platform's text input).
    std::string text = ReadTextFile("data/hotkeys.cfg");
    ASSERT_FALSE(text.empty());
    for (size_t open = text.find("/*"); open != std::string::npos; open = text.find("/*")) {
        size_t close = text.find("*/", open);
        text.erase(open, close == std::string::npos ? std::string::npos : close + 2 - open);
    }
    std::istringstream file(text);
    std::string word;
    int bindings = 0;
    while (file >> word) {
        if (word != "keyboard_map") continue;
        std::string key, command;
        file >> key >> command;
        ++bindings;
        bool control = key.rfind("ctrl_", 0) == 0;
        std::string plain = control ? key.substr(5) : key;
        std::string name = plain;
        if (plain == "space") name = "Space";
        else if (plain == "tab") name = "Tab";
        else if (plain.size() == 1) name = std::string(1, char(toupper(plain[0])));
        int dik = Dik(name.c_str());
        ASSERT_NE(dik, 0) << key;

        if (control) InputScript::KeyDown(DIK_LCONTROL);
        InputScript::Tap(dik);
        if (control) InputScript::KeyUp(DIK_LCONTROL);
        std::vector<HostMessage> messages = Messages();
        std::vector<uint32_t> keys = KeysDown(messages), characters = Characters(messages);

        uint32_t expectedKey = plain[0] == 'F' && plain.size() == 2 ? 0x70 + (plain[1] - '1')
                               : plain == "space"                  ? 0x20
                               : plain == "tab"                    ? 0x09
                               : plain == "="                      ? 0xBB  // the key of '=' and '+'
                               : plain == "-"                      ? 0xBD
                                                                   : uint32_t(toupper(plain[0]));
        ASSERT_FALSE(keys.empty()) << key;
        EXPECT_EQ(keys.back(), expectedKey) << key;
        if (control) {
            EXPECT_EQ(messages[1].modifiers & MODIFIER_CONTROL, MODIFIER_CONTROL) << key;
            if (isalpha(plain[0])) EXPECT_EQ(characters, std::vector<uint32_t>{uint32_t(plain[0] - 'a' + 1)}) << key;
            else EXPECT_TRUE(characters.empty()) << key;
        } else if (plain == "tab") {
            EXPECT_EQ(characters, std::vector<uint32_t>{9}) << key;
        } else {
            EXPECT_TRUE(characters.empty()) << key;
        }
    }
    EXPECT_GE(bindings, 40);
}

TEST_F(InputEventsTest, ControlCodesAndTextCharacters)
{
    // Control with every letter gives 1..26, also with Shift; the keys the text input leaves
    // out give their control codes.
    InputScript::KeyDown(DIK_LCONTROL);
    for (char letter = 'A'; letter <= 'Z'; ++letter) InputScript::Tap(Dik(std::string(1, letter).c_str()));
    InputScript::KeyDown(DIK_RSHIFT);
    InputScript::Tap(DIK_A);
    InputScript::KeyUp(DIK_RSHIFT);
    InputScript::KeyUp(DIK_LCONTROL);
    std::vector<uint32_t> expected;
    for (uint32_t c = 1; c <= 26; ++c) expected.push_back(c);
    expected.push_back(1);
    EXPECT_EQ(Characters(Messages()), expected);

    struct Case {
        int dik;
        uint32_t character;
    };
    const Case keys[] = {{DIK_BACK, 8}, {DIK_TAB, 9}, {DIK_RETURN, 13}, {DIK_NUMPADENTER, 13}, {DIK_ESCAPE, 27}};
    for (const Case& c : keys) {
        InputScript::Tap(c.dik);
        EXPECT_EQ(Characters(Messages()), std::vector<uint32_t>{c.character}) << c.dik;
    }

    // Text: single-byte characters pass, others cannot be typed into the game.
    InputScript::Type("a\xc3\xa9\xe2\x82\xac~");  // a, e acute, euro sign, tilde
    EXPECT_EQ(Characters(Messages()), (std::vector<uint32_t>{'a', 0xE9, '~'}));

    // With Control the platform may still print the digit; Control with a digit is a key
    // message only. Alt keeps its text and says so.
    InputScript::KeyDown(DIK_LCONTROL);
    InputScript::KeyDown(DIK_1);
    InputScript::Type("1");
    InputScript::KeyUp(DIK_1);
    InputScript::KeyUp(DIK_LCONTROL);
    EXPECT_TRUE(Characters(Messages()).empty());
    InputScript::KeyDown(DIK_LMENU);
    InputScript::Type("x");
    InputScript::KeyUp(DIK_LMENU);
    std::vector<HostMessage> messages = Messages();
    ASSERT_EQ(Characters(messages), std::vector<uint32_t>{'x'});
    EXPECT_EQ(messages[1].modifiers, unsigned(MODIFIER_ALT));

    // A letter means what the layout prints on it: the key in the Q position of a French
    // keyboard is A.
    InputScript::KeyDown(DIK_LCONTROL);
    InputScript::KeyDown(DIK_Q, 'a');
    InputScript::KeyUp(DIK_Q, 'a');
    InputScript::KeyUp(DIK_LCONTROL);
    messages = Messages();
    EXPECT_EQ(KeysDown(messages), (std::vector<uint32_t>{VK_CONTROL, 'A'}));
    EXPECT_EQ(Characters(messages), std::vector<uint32_t>{1});
}

TEST_F(InputEventsTest, KeyStateAndKeyMessages)
{
    InputScript::KeyDown(DIK_UP);
    InputScript::KeyRepeat(DIK_UP);
    InputScript::KeyDown(DIK_LSHIFT);
    std::vector<HostMessage> messages = Messages();
    EXPECT_TRUE(InputEvents.IsKeyHeld(DIK_UP));
    EXPECT_EQ(InputEvents.KeyState()[0xC8], 0x80);
    EXPECT_EQ(InputEvents.KeyState()[0x2A], 0x80);
    ASSERT_EQ(messages.size(), 3u);
    // Up is an extended key: scan code 0x48 with the extended bit.
    EXPECT_EQ(messages[0].message, unsigned(WM_KEYDOWN));
    EXPECT_EQ(messages[0].wParam, uint32_t(VK_UP));
    EXPECT_EQ(messages[0].lParam, 1u | (0x48u << 16) | KEY_EXTENDED);
    // The repeat says the key was already down and changes nothing.
    EXPECT_EQ(messages[1].lParam, 1u | (0x48u << 16) | KEY_EXTENDED | KEY_WAS_DOWN);
    EXPECT_EQ(messages[1].modifiers, 0u);
    EXPECT_EQ(messages[2].modifiers, unsigned(MODIFIER_SHIFT));

    InputScript::KeyUp(DIK_UP);
    messages = Messages();
    EXPECT_FALSE(InputEvents.IsKeyHeld(DIK_UP));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].message, unsigned(WM_KEYUP));
    EXPECT_EQ(messages[0].lParam, 1u | (0x48u << 16) | KEY_EXTENDED | KEY_WAS_DOWN | KEY_RELEASED);
}

TEST_F(InputEventsTest, WindowMessages)
{
    struct Case {
        void (*act)();
        unsigned message;
        uint32_t wParam;
    };
    const Case cases[] = {
        {[] { InputScript::Minimise(); }, WM_SIZE, SIZE_MINIMIZED},
        {[] { InputScript::Restore(); }, WM_SIZE, SIZE_RESTORED},
        {[] { InputScript::Maximise(); }, WM_SIZE, SIZE_MAXIMIZED},
        {[] { InputScript::Focus(false); }, WM_ACTIVATE, WA_INACTIVE},
        {[] { InputScript::Focus(true); }, WM_ACTIVATE, WA_ACTIVE},
        {[] { InputScript::CloseWindow(); }, WM_CLOSE, 0},
        {[] { InputScript::Quit(); }, WM_QUIT, 0},
        {[] { InputEvents.PostQuitMessage(3); }, WM_QUIT, 3},
    };
    for (const Case& c : cases) {
        c.act();
        std::vector<HostMessage> messages = Messages();
        ASSERT_EQ(messages.size(), 1u) << c.message;
        EXPECT_EQ(messages[0].message, c.message);
        EXPECT_EQ(messages[0].wParam, c.wParam) << c.message;
    }
    EXPECT_FALSE(InputEvents.WaitMessage(0));
    InputScript::Quit();
    EXPECT_TRUE(InputEvents.WaitMessage(0));
}

TEST_F(InputEventsTest, DevicesFollowTheFocus)
{
    InputSystem* system = nullptr;
    ASSERT_EQ(CreateInputSystem(&system), DI_OK);
    InputDevice* keyboard = nullptr;
    ASSERT_EQ(system->CreateDevice(GUID_SysKeyboard, &keyboard), DI_OK);
    EXPECT_EQ(keyboard->SetDataFormat(c_dfDIMouse), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->SetDataFormat(c_dfDIKeyboard), DI_OK);
    EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_EXCLUSIVE), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
    unsigned char keys[256];
    EXPECT_EQ(keyboard->GetDeviceState(256, keys), DIERR_NOTACQUIRED);
    EXPECT_EQ(keyboard->Acquire(), DI_OK);
    EXPECT_EQ(keyboard->GetDeviceState(255, keys), DIERR_INVALIDPARAM);
    InputScript::KeyDown(DIK_S);
    ASSERT_EQ(keyboard->GetDeviceState(256, keys), DI_OK);
    EXPECT_EQ(keys[DIK_S], 0x80);

    // In the background: lost, then not acquired, and not to be taken back until the focus
    // returns; the key held when the focus went is up.
    InputScript::Focus(false);
    EXPECT_EQ(keyboard->GetDeviceState(256, keys), DIERR_INPUTLOST);
    EXPECT_EQ(keyboard->GetDeviceState(256, keys), DIERR_NOTACQUIRED);
    EXPECT_EQ(keyboard->Acquire(), DIERR_OTHERAPPHASPRIO);
    InputScript::Focus(true);
    EXPECT_EQ(keyboard->Acquire(), DI_OK);
    ASSERT_EQ(keyboard->GetDeviceState(256, keys), DI_OK);
    EXPECT_EQ(keys[DIK_S], 0);

    keyboard->Release();
    system->Release();
}

}  // namespace
