// The player's game (interface/PlayerGame.h): made and let go with its messages and HUD, and
// the base HUD (the cursor, the six fonts, the FPS, clock and debug labels, the pause sign).
#include "interface/PlayerGame.h"

#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "gui/WindowManager.h"
#include "host/System.h"
#include "platform/ConfigFile.h"
#include "platform/InputState.h"
#include "platform/PackageFile.h"
#include "render/Font.h"
#include "render/GraphicsDevice.h"
#include "render/Sprite.h"
#include "tools/TerrainEditor.h"

#include <algorithm>
#include <cstring>

namespace {

int TextExtentWidth(Font* font, const char* text)
{
    TextSize size{};
    font->GetTextExtent(text, &size);
    return (int)size.cx;
}

constexpr const char* CURSOR_TEXTURE = "data/gui/icons/cursors.dds";
constexpr const char* CURSOR_FALLBACK = "data/textures/white.dds";
constexpr uint32_t PAUSE_BOX_COLOUR = 0xBFFFFFFF;

// The cursor shows the arrow cell of the 4 x 4 cursor atlas; without the GUI package (a broken
// install) it falls back to a small light square so the player still sees where the mouse is.
Sprite* MakeCursorSprite(int size)
{
    if (GuiPackage && GuiPackage->FindEntry("cursors.dds") >= 0)
        return CreateSprite(0, 0, size, size, CURSOR_TEXTURE, 0xFFFFFFFF, 0.0f, 0.0f, 0.25f, 0.25f, true);
    int side = size / 3 > 4 ? size / 3 : 4;
    return CreateSprite(0, 0, side, side, CURSOR_FALLBACK, 0xFFE8EEFF, 0.0f, 0.0f, 1.0f, 1.0f, true);
}

uint32_t PackColour(const float colour[4])
{
    auto byte = [](float v) { return (uint32_t)(v <= 0.0f ? 0 : v >= 1.0f ? 255 : (int)(v * 255.0f + 0.5f)); };
    return byte(colour[3]) << 24 | byte(colour[0]) << 16 | byte(colour[1]) << 8 | byte(colour[2]);
}

int TextWidth(Font* font, const char* text)
{
    TextSize size{};
    if (font && font->loaded) font->GetTextExtent(text, &size);
    return size.cx;
}

Label* MakeLabel(const char* text, int x, int y, Font* font)
{
    Label* label = new Label(text, x, y, 120, 12, 0, font, false);
    label->SetVisible(false);
    return label;
}

}  // namespace

PlayerGame::PlayerGame()
{
    CreateMessageLists();
}

PlayerGame::~PlayerGame()
{
    ReleaseMessageLists();
    ReleaseHud();
    delete pauseBox_;
    pauseBox_ = nullptr;
    for (Label** label : {&fpsLabel, &timeLabel, &debugLabel}) {
        delete *label;
        *label = nullptr;
    }
}

bool PlayerGame::CreateBaseHud()
{
    if (!Config) return false;
    int w = Config->width, h = Config->height;
    float scale = h / 768.0f;
    if (!cursorSprite) cursorSprite = MakeCursorSprite((int)(CURSOR_SIZE * scale));
    for (int slot = 0; slot < FONT_COUNT; ++slot) {
        if (fonts[slot]) continue;
        fonts[slot] = new Font("gui");
        int size = (int)(Config->fonts[slot].size * scale);
        if (size < 1) size = 1;
        fonts[slot]->Load(Config->fonts[slot].face, size, 0);
    }
    int margin = (int)(h * 0.0104167f);
    if (!timeLabel) {
        timeLabel = MakeLabel("Time:", w - margin - TextWidth(fonts[1], "Mission time: 1:00:00"), (int)(h * 0.0494792f),
                              fonts[1]);
        timeLabel->r = 0.8f, timeLabel->g = 0.8f, timeLabel->b = 0.0f, timeLabel->a = 1.0f;
    }
    // The GUI's default font does not exist yet when the HUD is made: the labels take the
    // game's first font, which becomes it.
    if (!fpsLabel) fpsLabel = MakeLabel("FPS:", w - margin - TextWidth(fonts[0], "FPS: 120.0"), (int)(h * 0.0416667f), fonts[0]);
    if (!debugLabel) debugLabel = MakeLabel("Debug:", 0, (int)(h * 0.0416667f), fonts[0]);
    // The options window comes with the game interface.
    return true;
}

void PlayerGame::DrawBaseGui()
{
    if (!Config) return;
    int w = Config->width, h = Config->height;
    // The status labels belong to no window: the update shows them as the settings ask, and
    // they are drawn here, over the HUD and the windows. The clock stands below the frame
    // rate's lines, however many there are, and in its own place without them.
    const int margin = (int)(h * 0.0104167f);
    if (state == GAME_STATE_FRONT_END) {
        // Over the front end the labels share one row along the top edge, right to left: each
        // screen keeps its own banners and counts in the corner below them.
        int right = w - margin;
        for (Label* label : {fpsLabel, timeLabel}) {
            if (!label || !label->IsVisible()) continue;
            int textWidth = 0;
            label->GetTextSize(&textWidth, nullptr);
            label->Move(right - textWidth, 0);
            right -= textWidth + margin;
        }
    } else {
        // In a mission they stand below the resource bar, as they were made, and left of the
        // terrain editor's panel while it is open at the right edge.
        int right = w - margin;
        const Window* editor = TheTerrainEditor && TheTerrainEditor->active ? TheTerrainEditor->window : nullptr;
        if (editor && editor->IsVisible()) right = std::min(right, editor->x - margin);
        if (fpsLabel) fpsLabel->Move(right - TextWidth(fonts[0], "FPS: 120.0"), (int)(h * 0.0416667f));
        if (timeLabel) {
            int below = (int)(h * 0.0494792f);
            if (fpsLabel && fpsLabel->IsVisible()) {
                int textHeight = 0;
                fpsLabel->GetTextSize(nullptr, &textHeight);
                below = std::max(below, fpsLabel->y + textHeight);
            }
            timeLabel->Move(right - TextWidth(fonts[1], "Mission time: 1:00:00"), below);
        }
    }
    for (Label* label : {fpsLabel, timeLabel, debugLabel})
        if (label && label->IsVisible()) label->Draw();
    bool modalOpen = WindowMgr && WindowMgr->modal;
    if (GamePaused && !modalOpen) {
        // In a level the sign stands in the middle; over the galaxy it keeps above the planet
        // panel, which takes the middle of the screen, and under the system's title.
        const char* why = PausedWithoutFocus ? "The game's window is in the background" : nullptr;
        Font* font = fonts[0] && fonts[0]->loaded ? fonts[0] : nullptr;
        Font* small = fonts[1] && fonts[1]->loaded ? fonts[1] : font;
        int boxWidth = (int)(h * 0.1692708f), boxHeight = (int)(h * 0.078125f);
        if (why && small) boxWidth = std::max(boxWidth, TextExtentWidth(small, why) + (int)(h * 0.03125f));
        const int boxTop = state == GAME_STATE_FRONT_END ? (int)(h * 0.09f) : (h - boxHeight) / 2;
        if (!pauseBox_)
            pauseBox_ = CreateSprite(0, 0, boxWidth, boxHeight, "data/gui/black.dds", PAUSE_BOX_COLOUR, 0.0f, 0.0f,
                                     1.0f, 1.0f, false);
        if (pauseBox_) {
            pauseBox_->SetRect((w - boxWidth) / 2, boxTop, (w + boxWidth) / 2, boxTop + boxHeight);
            GuiDrawSprite(pauseBox_);
        }
        if (font) {
            // The button font is shared: the word borrows it in white and hands it back in
            // the colour and shadow the buttons drawn after it expect.
            const float r = font->r, g = font->g, b = font->b, a = font->a;
            const bool shadow = font->shadow;
            font->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
            font->SetShadow(true);
            const int wordY = boxTop + boxHeight / 2 - (int)(h * (why ? 0.0260417f : 0.0104167f));
            GuiDrawText(font, w / 2 - (int)(h * 0.0390625f), wordY, "Paused");
            font->SetColor(r, g, b, a);
            font->SetShadow(shadow);
        }
        if (why && small) {
            const float r = small->r, g = small->g, b = small->b, a = small->a;
            small->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
            GuiDrawText(small, (w - TextExtentWidth(small, why)) / 2, boxTop + boxHeight / 2 + (int)(h * 0.0052083f), why);
            small->SetColor(r, g, b, a);
        }
    }
    if (CursorHidden || !Input.mouse) return;
    if (!cursorSprite) cursorSprite = MakeCursorSprite((int)(CURSOR_SIZE / 768.0f * h));
    if (!cursorSprite) return;
    cursorSprite->SetColor(PackColour(cursorColour));
    cursorSprite->SetPosition(Input.mouse->cursorX, Input.mouse->cursorY);
    cursorSprite->Draw();
}
