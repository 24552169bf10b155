#pragma once
// How the GUI reaches the screen, and what every widget shares: the painter that takes each
// quad and text a window draws (the 2D layer's in the game, a recorder in tests), the GUI's
// default fonts, the layout unit and the text behind string-table keys.
#include <cstdint>

class Font;
class Sprite;
struct TextureRecord;

class GuiPainter {
public:
    virtual ~GuiPainter() = default;
    // A quad as its sprite was last placed.
    virtual void DrawSprite(Sprite* sprite);
    // Text with its top-left corner at (x, y), in the font's current colour.
    virtual void DrawText(Font* font, int x, int y, const char* text);
};

// The painter in use: the one installed, else the 2D layer's.
GuiPainter& GuiPaint();
// Installs a painter for everything the GUI draws from now on; null goes back to the 2D layer.
void SetGuiPainter(GuiPainter* painter);
// True while no painter is installed and the GUI draws straight to the screen: only then may a
// window show a picture of what it drew before, which a recording painter would not see.
bool GuiPaintsOnScreen();

// Null-safe shorthands through the painter.
void GuiDrawSprite(Sprite* sprite);
void GuiDrawText(Font* font, int x, int y, const char* text);
// Word-wrapped text inside width, lines firstLine on, mostLines of them (below 1: all), one line
// height apart, each line through the painter.
void GuiDrawWrappedText(Font* font, const char* text, int width, int x, int y, int firstLine, int mostLines);

// What a widget shows for a text: a key in angle brackets ("<tip3>") is looked up in the string
// tables, and a key they lack shows itself.
const char* GuiDisplayText(const char* text);

// The texture of a data path through the texture manager; null without one.
TextureRecord* GuiTexture(const char* path);

// A screen quad for the GUI: a sprite of the 2D layer whose extra flags (the sprite flags of
// the builders: point filtering, wrapping, ...) are set on top.
Sprite* CreateGuiSprite(int x, int y, int w, int h, const char* texture, uint32_t colour, float ua, float va, float ub,
                        float vb, uint32_t spriteFlags = 0);

// The font record of widgets built without one (also the folder of their default pictures),
// and the game's list font, in which meters write their values. The game sets both once its
// fonts exist; null until then, and widgets then draw no text.
extern Font* GuiDefaultFont;
extern Font* GuiListFont;

// The layout unit: n/768 of the screen height, and n/1024 of its width, truncated.
int UnitH(int n);
int UnitW(int n);

// A named sound of the interface ("blip", "click", "select", "bad"); nothing without sound.
void GuiPlaySound(const char* name);
