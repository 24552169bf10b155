// The message and confirmation boxes: each opens as the modal window and gives the modal window
// back when it closes; YES runs the caller's action once and sounds, NO runs nothing and is
// silent, and no answer ever runs an earlier caller's action; Escape says NO or OK, and Enter answers neither box
// or OK; a long message is cut.
#include "gui/Button.h"
#include "gui/Label.h"
#include "gui/MessageDialogGui.h"
#include "gui/Window.h"
#include "host/AudioDevice.h"
#include "platform/SoundManager.h"
#include "platform/Timer.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/platform/SoundTestSupport.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <algorithm>
#include <map>
#include <memory>
#include <string>

namespace {

int deletes = 0, lastValue = 0;
void DeleteSomething(void* value)
{
    ++deletes;
    lastValue = value ? *static_cast<int*>(value) : -1;
}

class MessageDialogTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        deletes = lastValue = 0;
        // The GUI's sounds on a loopback device: a "blip" long enough to be heard playing.
        sounds = std::make_unique<SoundManager>();
        ASSERT_TRUE(sounds->Init(AudioDevice::OpenLoopback(22050)));
        ASSERT_NE(InstallSoundPackage(MakeTempFolder("dialog-sounds"), {{"blip.wav", "blip.wav", ToneWave(22050)}}),
                  nullptr);
        ASSERT_TRUE(sounds->LoadSound("blip", "blip.wav", 2));
        SoundMgr = sounds.get();
        FrameTimer.frameCount = 100;
        question.Build();
        message.Build();
    }
    void TearDown() override
    {
        FrameTimer.frameCount = 0;
        GuiTest::TearDown();
    }
    bool BlipPlaying() { return sounds->IsPlaying(sounds->FindSound("blip"), -1); }
    void StopSounds()
    {
        sounds->StopAll();
        FrameTimer.frameCount += 20;  // a sound may start again 10 frames on
    }
    // The box's buttons by their text.
    std::map<std::string, Button*> Buttons(MessageDialogGui& box)
    {
        std::map<std::string, Button*> found;
        for (Window* child = box.window->firstChild; child; child = child->nextSibling)
            if (auto* button = dynamic_cast<Button*>(child)) found[button->text] = button;
        return found;
    }
    void Press(Button* button) { Click(button->x + button->width / 2, button->y + button->height / 2); }

    std::unique_ptr<SoundManager> sounds;
    ScopedGlobal<SoundManager*> soundManager{SoundMgr};
    ConfirmationDialogGui question;
    MessageDialogGui message;
    ScopedGlobal<ConfirmationDialogGui*> theQuestion{TheConfirmationDialog, &question};
    ScopedGlobal<MessageDialogGui*> theMessage{TheMessageDialog, &message};
};

}  // namespace

TEST_F(MessageDialogTest, TheBoxesAreBuiltHiddenInTheMiddleOfTheScreen)
{
    for (MessageDialogGui* box : {(MessageDialogGui*)&question, &message}) {
        ASSERT_NE(box->window, nullptr);
        EXPECT_FALSE(box->IsVisible());
        EXPECT_EQ(manager.modal, nullptr);
        // The blue frame is the first child: W/2 x H/4 in the middle of the 1024 x 768 screen.
        Window* frame = box->window->firstChild;
        EXPECT_EQ(frame->x, 256);
        EXPECT_EQ(frame->y, 288);
        EXPECT_EQ(frame->width, 512);
        EXPECT_EQ(frame->height, 192);
        EXPECT_STREQ(box->label->GetText(), "Message Box Error\nEnter your text here");
    }
    EXPECT_EQ(Buttons(message).size(), 1u);
    EXPECT_TRUE(Buttons(message).count("OK"));
    std::map<std::string, Button*> answers = Buttons(question);
    ASSERT_TRUE(answers.count("YES") && answers.count("NO"));
    const int bw = (int)(768 * 0.104166664f), b = (int)(768 * 0.026041666f);
    EXPECT_EQ(answers["YES"]->x, (1024 - 2 * bw - b) / 2);
    EXPECT_EQ(answers["NO"]->x, answers["YES"]->x + bw + b);
    EXPECT_EQ(answers["NO"]->y, answers["YES"]->y);
}

TEST_F(MessageDialogTest, YesRunsTheActionOnceAndGivesTheModalScreenBack)
{
    Window screen(0, 0, 1024, 768, 0, nullptr, 0);
    manager.AddWindow(&screen);
    manager.modal = &screen;
    std::map<std::string, Button*> answers = Buttons(question);

    struct Step {
        const char* what;
        bool storeAction;
        const char* answer;
        int deletes;  // how often the action has run after the answer
        bool blip;
    };
    const Step steps[] = {
        {"YES runs the stored action", true, "YES", 1, true},
        {"YES with no action of its own only closes", false, "YES", 1, true},
        {"NO runs nothing and is silent", true, "NO", 1, false},
        {"YES after a NO runs no earlier action", false, "YES", 1, true},
        {"a new question, a new action", true, "YES", 2, true},
    };
    for (const Step& step : steps) {
        StopSounds();
        question.SetVisible(true);
        question.SetText("Delete the profile?");
        if (step.storeAction) {
            question.callback = DeleteSomething;
            question.userValue = 42;
        }
        EXPECT_EQ(manager.modal, question.window) << step.what;
        EXPECT_EQ(question.savedModal, &screen) << step.what;
        Press(answers[step.answer]);
        EXPECT_EQ(deletes, step.deletes) << step.what;
        EXPECT_FALSE(question.IsVisible()) << step.what;
        EXPECT_EQ(manager.modal, &screen) << step.what << ": the screen has the input again";
        EXPECT_EQ(question.callback, nullptr) << step.what;
        EXPECT_EQ(BlipPlaying(), step.blip) << step.what;
    }
    EXPECT_EQ(lastValue, 42) << "the action gets the address of its value";

    // OK closes the message box the same way.
    StopSounds();
    message.SetVisible(true);
    Press(Buttons(message)["OK"]);
    EXPECT_FALSE(message.IsVisible());
    EXPECT_EQ(manager.modal, &screen);
    EXPECT_TRUE(BlipPlaying());
    manager.modal = nullptr;
}

TEST_F(MessageDialogTest, BoxesUnwindInTheOrderTheyOpened)
{
    Window screen(0, 0, 1024, 768, 0, nullptr, 0);
    manager.modal = &screen;
    question.SetVisible(true);
    question.SetVisible(true);  // opened twice: still the screen behind it
    message.SetVisible(true);
    EXPECT_EQ(manager.modal, message.window);
    message.SetVisible(false);
    EXPECT_EQ(manager.modal, question.window);
    question.SetVisible(false);
    EXPECT_EQ(manager.modal, &screen);
    question.SetVisible(false);  // closing a closed box gives nothing back
    EXPECT_EQ(manager.modal, &screen);
    manager.modal = nullptr;
}

TEST_F(MessageDialogTest, EscapeSaysNoAndEnterAnswersNeither)
{
    const struct {
        const char* what;
        MessageDialogGui* box;
        int key;
        bool answers;
    } cases[] = {
        {"Enter on the question", &question, VK_RETURN, false},
        {"Escape on the question", &question, VK_ESCAPE, true},
        {"Enter on the message", &message, VK_RETURN, false},
        {"Escape on the message", &message, VK_ESCAPE, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        deletes = 0;
        c.box->SetVisible(true);
        c.box->callback = DeleteSomething;
        keyboard.lastKeyDown = c.key;
        EXPECT_EQ(manager.OnKey(&keyboard), c.answers) << "the key is the box's";
        EXPECT_EQ(c.box->IsVisible(), !c.answers);
        EXPECT_EQ(deletes, 0) << "only a click says yes";
        if (c.answers) {
            EXPECT_EQ(manager.modal, nullptr);
        }
        c.box->SetVisible(false);
    }
    // Another key is no answer.
    question.SetVisible(true);
    keyboard.lastKeyDown = 'Y';
    EXPECT_FALSE(manager.OnKey(&keyboard));
    EXPECT_TRUE(question.IsVisible());
    question.SetVisible(false);
}

TEST_F(MessageDialogTest, ALongMessageIsCutTo255Characters)
{
    message.SetText(std::string(300, 'm').c_str());
    EXPECT_EQ(std::string(message.label->GetText()), std::string(255, 'm'));
    painter.Clear();
    message.SetVisible(true);
    manager.Draw();
    std::vector<std::string> texts = painter.Texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), std::string(255, 'm')), texts.end()) << "drawn over the backdrop";
    EXPECT_NE(std::find(texts.begin(), texts.end(), "OK"), texts.end());
    message.SetVisible(false);
}
