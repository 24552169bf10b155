#include "interface/EndGameScreen.h"

#include "campaign/Galaxy.h"
#include "campaign/MissionScreen.h"
#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "platform/StringTable.h"
#include "render/Draw2D.h"
#include "render/Font.h"
#include "render/Sprite.h"

EndGameScreen* TheEndGameScreen = nullptr;

EndGameScreen::EndGameScreen() : InfoScreen(-1, false) {}

void EndGameScreen::BuildOnce()
{
    if (built) return;
    const int H = ScreenHeight();
    const int m = 5 * H / 192, g = 5 * H / 384, c = H / 24;
    BuildFrame("Congratulations", 25 * H / 32, 125 * H / 192, true);
    const int panelW = frameWidth - 2 * m, panelH = frameHeight - 2 * g - 5 * H / 96 - c;
    picture = KeepSprite(CreateGuiSprite(left + m + g, panelTop + g, panelW - 2 * g, panelH - 2 * g,
                                         "data/gui/solid_darkgrey.dds", 0xFFFFFFFF, 0.0f, 0.0f, 1.0f, 1.0f));
    const int buttonW = H / 5, buttonH = H / 28;
    AddButton(left + (frameWidth - buttonW) / 2, panelTop + panelH + (c - buttonH) / 2, buttonW, buttonH,
              "data/gui/button.dds", "Continue", OnContinue, true);
    Finish();
}

void EndGameScreen::Show(bool show, bool story)
{
    if (!built) {
        visible = false;
        return;
    }
    const bool wasStory = storyEnding && visible;
    if (show) {
        storyEnding = story;
        // The pictures stay with the texture manager, which the intro's story shares.
        if (picture) picture->texture = GuiTexture(story ? "data/gui/story/scav_intro.dds" : "data/gui/story/intro_space.dds");
        GuiPlaySound("message");
        SetVisible(true);
        return;
    }
    SetVisible(false);
    if (!wasStory || !TheGalaxy) return;
    int completed = 0, total = 0;
    TheGalaxy->CountMissions(&completed, &total);
    if (total > 0 && completed == total) Show(true, false);
}

void EndGameScreen::Draw()
{
    Window::Draw();
    if (!picture) return;
    GuiDrawSprite(picture);
    const char* text = GameText(TextKey());
    if (!text || !text[0]) return;
    const int H = ScreenHeight();
    Font* font = ScreenFont(3);
    if (font) font->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    const int inset = 5 * H / 192;
    GuiDrawWrappedText(font, text, picture->width - 2 * inset, picture->left + inset, picture->top + 5 * H / 384, 0,
                       10);
}

int EndGameScreen::OnContinue(void*, Button*)
{
    if (TheEndGameScreen) TheEndGameScreen->Show(false, false);
    // A second ending shown at once stays over the shop.
    OpenShop(0);
    return 1;
}
