#include "render/HintBox.h"

#include "host/System.h"
#include "platform/ConfigFile.h"
#include "platform/StringTable.h"
#include "render/Draw2D.h"
#include "render/Font.h"
#include "render/Sprite.h"

#include <algorithm>

namespace {

Font* tooltipFont = nullptr;
Font* hotkeyFont = nullptr;

const char* const BACKDROP = "data/textures/white.dds";

}  // namespace

void HintBox::SetFonts(Font* tooltip, Font* hotkeyLabel)
{
    tooltipFont = tooltip;
    hotkeyFont = hotkeyLabel;
}

HintBox::HintBox()
{
    text[0] = 0;
    CopyText(hotkeyText, sizeof hotkeyText, "none");
    borderSprite = CreateSprite(0, 0, 1, 1, BACKDROP, 0xFF000000, 0.0f, 0.0f, 1.0f, 1.0f, true);
    fillSprite = CreateSprite(0, 0, 1, 1, BACKDROP, 0xFF4D4D4D, 0.0f, 0.0f, 1.0f, 1.0f, true);
    shadowSprite = CreateSprite(0, 0, 1, 1, BACKDROP, 0x40000000, 0.0f, 0.0f, 1.0f, 1.0f, true);
}

HintBox::~HintBox()
{
    delete borderSprite;
    delete fillSprite;
    delete shadowSprite;
}

void HintBox::SetText(const char* newText)
{
    CopyText(text, sizeof text, newText ? newText : "");
}

void HintBox::SetHotkey(const char* action)
{
    hotkey = Config && action && Config->FindHotkey(action, hotkeyText, true, sizeof hotkeyText);
}

void HintBox::Draw(int x, int y, const char* newText)
{
    if (newText) SetText(newText);
    if (!tooltipFont) return;
    const char* shown = text;
    if (text[0] == '<' && Strings) {
        const char* entry = Strings->Lookup(text);
        if (entry) shown = entry;
    }
    const int W = ScreenWidth(), H = ScreenHeight();

    TextSize size;
    tooltipFont->GetTextExtent(shown, &size);
    int w = size.cx, h = size.cy;
    int hotkeyWidth = 0;
    if (hotkey && hotkeyFont) {
        TextSize keySize;
        hotkeyFont->GetTextExtent(hotkeyText, &keySize);
        hotkeyWidth = keySize.cx;
        w += hotkeyWidth + H / 96;
    }

    if (x + w + 5 > W) x = W - w - 5;
    if (y + h + 5 > H) y = H - h - 5;
    // Asked for left of the screen or above it (a hint under a building at the map's edge),
    // the box and its border start on the screen.
    x = std::max(x, 3);
    y = std::max(y, 1);
    drawnX = x;
    drawnY = y;
    drawnW = w;
    drawnH = h;

    if (shadowSprite) {
        shadowSprite->SetRect(x, y + 2, x + w + 5, y + h + 5);
        shadowSprite->Draw();
    }
    if (borderSprite) {
        borderSprite->SetRect(x - 3, y - 1, x + w + 2, y + h + 2);
        borderSprite->Draw();
    }
    if (fillSprite) {
        fillSprite->SetRect(x - 2, y, x + w + 1, y + h + 1);
        fillSprite->Draw();
    }

    tooltipFont->SetColor((float)((textColour >> 16) & 0xFF) / 255.0f, (float)((textColour >> 8) & 0xFF) / 255.0f,
                          (float)(textColour & 0xFF) / 255.0f, (float)(textColour >> 24) / 255.0f);
    tooltipFont->DrawText((float)x, (float)y, shown, 0);

    if (hotkey && hotkeyFont) {
        hotkeyFont->SetColor(0.3f, 1.0f, 0.6f, 1.0f);
        hotkeyFont->DrawText((float)(x + w - hotkeyWidth - H / 192), (float)y, hotkeyText, 0);
        hotkeyFont->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    }
}
