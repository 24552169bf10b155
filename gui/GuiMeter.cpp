#include "gui/GuiMeter.h"

#include "gui/GuiDraw.h"
#include "gui/WindowManager.h"
#include "host/System.h"
#include "platform/Timer.h"
#include "render/Draw2D.h"
#include "render/Font.h"
#include "render/Sprite.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* BAR_BACKGROUND = "Data/gui/white.dds";
constexpr const char* PLAIN_FILL = "Data/gui/Icons/white.dds";
constexpr const char* PROGRESS_FILL = "Data/gui/Icons/progress_bar.dds";

Sprite* BarSprite(const char* texture, uint32_t colour)
{
    return CreateGuiSprite(0, 0, 1, 1, texture, colour, 0.0f, 0.0f, 1.0f, 1.0f);
}

}  // namespace

GuiMeter::GuiMeter()
{
    flags = WINDOW_TYPE_GUIMETER;
    x = ScreenWidth() - UnitW(110);
    y = UnitH(48);
    barWidth = width = UnitW(200);
    barHeight = height = UnitH(14);
    textOffsetX = UnitW(4);
    textOffsetY = UnitH(2);
    background = BarSprite(BAR_BACKGROUND, 0xFF1A1A1A);
    fill = BarSprite(PROGRESS_FILL, 0xFF00E51A);
    SetValue(50.0f);
}

GuiMeter::GuiMeter(const char* meterText, uint32_t fillColour, uint32_t backColour, int atX, int atY, int w, int h,
                   bool wholeBar, const char* fillTexture, bool cropped)
{
    flags = WINDOW_TYPE_GUIMETER;
    x = atX;
    y = atY;
    barWidth = width = w;
    barHeight = height = h;
    noInset = wholeBar;
    croppedFill = cropped;
    background = BarSprite(BAR_BACKGROUND, backColour);
    const char* fillPicture = noInset ? PLAIN_FILL : fillTexture ? fillTexture : PROGRESS_FILL;
    fill = BarSprite(fillPicture, fillColour);
    CopyText(text, sizeof text, meterText ? meterText : "");
    SetValue(50.0f);
}

GuiMeter::~GuiMeter()
{
    delete background;
    delete fill;
    delete overlay;
    delete markerIcon;
}

void GuiMeter::SetValue(float newValue, const uint32_t* fillColour)
{
    value = newValue;
    if (value > maximum) value = maximum;
    if (value < 0.0f) value = 0.0f;
    float fraction = maximum > 0.0f ? value / maximum : 0.0f;

    if (background) background->SetRect(x, y, x + barWidth, y + barHeight);
    if (overlay) overlay->SetRect(x, y, x + barWidth, y + barHeight);

    int inset = noInset ? 0 : 1;
    int left = x + inset;
    int right = left + (int)((float)(barWidth - 2 * inset) * fraction);
    if (right < left) right = left;
    if (fill) {
        fill->SetRect(left, y + inset, right, y + barHeight - inset);
        if (fillColour) fill->SetColor(*fillColour);
        if (croppedFill) {
            if (animated) {
                if (!(fill->flags & SPRITE_DYNAMIC)) {
                    // The picture drifts: the fill is rewritten every frame, into a buffer
                    // made for that.
                    fill->flags |= SPRITE_DYNAMIC;
                    if (fill->vertexBuffer) fill->CreateBuffer();
                }
                float step = IsGuiPaused() ? 0.0f : FrameTimer.delta;
                if (step > 0.1f) step = 0.1f;
                if (step < 0.0f) step = 0.0f;
                shimmerPhase += 0.1f * step;
                if (shimmerPhase >= 1.0f) shimmerPhase = 0.0f;
                fill->SetTexCoords(shimmerPhase, 0.0f, shimmerPhase + fraction, 1.0f);
            } else {
                fill->SetTexCoords(0.0f, 0.0f, fraction, 1.0f);
            }
        }
    }
    if (markerShown && markerIcon) PlaceMarkerIcon();
}

void GuiMeter::PlaceMarkerIcon()
{
    int side = UnitH(24);
    markerIcon->SetRect(x - side, y - UnitH(8), x, y - UnitH(8) + side);
}

void GuiMeter::UpdateText(int shownValue, int shownMaximum)
{
    snprintf(text, sizeof text, "%6d/%d", shownValue, shownMaximum);
}

void GuiMeter::SetIcon(const char* texture)
{
    delete overlay;
    overlay = nullptr;
    if (!texture) return;
    overlay = CreateGuiSprite(x, y, barWidth, barHeight, texture, 0xFFFFFFFF, 0.0f, 0.0f, 1.0f, 1.0f);
}

void GuiMeter::SetAtlasIcon(const char* texture, int cell)
{
    delete markerIcon;
    markerIcon = nullptr;
    if (!texture) return;
    int side = UnitH(24);
    markerIcon = CreateGuiSprite(x - side, y - UnitH(8), side, side, texture, 0xFFFFFFFF, 0.0f, 0.0f, 1.0f, 1.0f);
    if (markerIcon && cell > 0) markerIcon->SetAtlasCell(cell);
}

void GuiMeter::SetMarker(int number)
{
    markerNumber = number;
    markerShown = number >= 0;
}

void GuiMeter::Draw()
{
    GuiDrawSprite(background);
    if (value > 0.0f) GuiDrawSprite(fill);
    GuiDrawSprite(overlay);
    Font* font = GuiListFont;
    if (font && strlen(text) > 1) {
        float r = font->r, g = font->g, b = font->b, a = font->a;
        font->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
        GuiDrawText(font, x + textOffsetX, y + textOffsetY, text);
        font->SetColor(r, g, b, a);
    }
    if (markerShown) {
        GuiDrawSprite(markerIcon);
        if (font) {
            char number[16];
            snprintf(number, sizeof number, "%d", markerNumber);
            int nx = x - UnitH(14) - (markerNumber > 9 ? UnitH(6) : 0);
            float r = font->r, g = font->g, b = font->b, a = font->a;
            font->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
            GuiDrawText(font, nx, y - UnitH(4), number);
            font->SetColor(r, g, b, a);
        }
    }
    DrawChildren();
}
