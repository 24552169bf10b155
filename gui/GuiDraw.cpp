#include "gui/GuiDraw.h"

#include "platform/SoundManager.h"
#include "platform/StringTable.h"
#include "render/Draw2D.h"
#include "render/Font.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"

Font* GuiDefaultFont = nullptr;
Font* GuiListFont = nullptr;

namespace {

GuiPainter ScreenPainter;
GuiPainter* Installed = nullptr;

}  // namespace

void GuiPainter::DrawSprite(Sprite* sprite)
{
    sprite->Draw();
}

void GuiPainter::DrawText(Font* font, int x, int y, const char* text)
{
    font->DrawText((float)x, (float)y, text);
}

GuiPainter& GuiPaint()
{
    return Installed ? *Installed : ScreenPainter;
}

void SetGuiPainter(GuiPainter* painter)
{
    Installed = painter;
}

bool GuiPaintsOnScreen()
{
    return Installed == nullptr;
}

void GuiDrawSprite(Sprite* sprite)
{
    if (sprite) GuiPaint().DrawSprite(sprite);
}

void GuiDrawText(Font* font, int x, int y, const char* text)
{
    if (font && text) GuiPaint().DrawText(font, x, y, text);
}

void GuiDrawWrappedText(Font* font, const char* text, int width, int x, int y, int firstLine, int mostLines)
{
    if (!font || !font->font || !text) return;
    struct Walk {
        Font* font;
        int x, y, first, last, index, shown, lineHeight;
    } walk = {font, x, y, firstLine, mostLines < 1 ? 1 << 30 : firstLine + mostLines - 1, 0, 0,
              (int)font->LineHeight()};
    font->WrapLines(
        text, width,
        [](void* user, const char* line) {
            Walk& w = *(Walk*)user;
            if (w.index >= w.first && w.index <= w.last) {
                GuiDrawText(w.font, w.x, w.y + w.shown * w.lineHeight, line);
                ++w.shown;
            }
            ++w.index;
        },
        &walk);
}

const char* GuiDisplayText(const char* text)
{
    if (!text || text[0] != '<' || !Strings) return text;
    const char* found = Strings->Lookup(text);
    return found ? found : text;
}

TextureRecord* GuiTexture(const char* path)
{
    return path && Textures ? Textures->GetTexture(path) : nullptr;
}

Sprite* CreateGuiSprite(int x, int y, int w, int h, const char* texture, uint32_t colour, float ua, float va, float ub,
                        float vb, uint32_t spriteFlags)
{
    Sprite* sprite = CreateSprite(x, y, w, h, texture, colour, ua, va, ub, vb, (spriteFlags & SPRITE_DYNAMIC) != 0);
    if (sprite) sprite->flags |= spriteFlags;
    return sprite;
}

int UnitH(int n)
{
    return ScreenHeight() * n / 768;
}

int UnitW(int n)
{
    return ScreenWidth() * n / 1024;
}

void GuiPlaySound(const char* name)
{
    if (SoundMgr && name) SoundMgr->PlaySound(name);
}
