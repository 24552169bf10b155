#include "interface/AchievementsGui.h"

#include "campaign/PlayerProfile.h"
#include "gui/GuiDraw.h"
#include "gui/WindowManager.h"
#include "host/System.h"
#include "interface/HudLayout.h"
#include "platform/InputState.h"
#include "platform/StringTable.h"
#include "render/Draw2D.h"
#include "render/Font.h"
#include "render/Sprite.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

AchievementsGui* TheAchievementsGui = nullptr;

namespace {

constexpr uint32_t WHITE = 0xFFFFFFFF, LIGHT_GREY = 0xFFCCCCCC;

const char* AchievementName(int index)
{
    char key[32];
    snprintf(key, sizeof key, "<achieve_%d>", index + 1);
    return Strings ? Strings->Lookup(key) : nullptr;
}

// A badge's name centred under it. A name wider than the room between two badges breaks at
// its blanks onto a second line, so neighbouring names never run into each other.
void DrawCaption(Font* font, const char* caption, int centreX, int top, int room)
{
    if (!font) return;
    char lines[2][64] = {};
    CopyText(lines[0], sizeof lines[0], caption);
    if (TextWidth(font, caption) > room) {
        // The last blank that leaves the first line within the room, else the first blank.
        const char* breakAt = nullptr;
        for (const char* p = strchr(caption, ' '); p; p = strchr(p + 1, ' ')) {
            std::string head(caption, p);
            if (!breakAt || TextWidth(font, head.c_str()) <= room) breakAt = p;
            if (TextWidth(font, head.c_str()) > room) break;
        }
        if (breakAt) {
            CopyText(lines[0], std::min(sizeof lines[0], (size_t)(breakAt - caption) + 1), caption);
            CopyText(lines[1], sizeof lines[1], breakAt + 1);
        }
    }
    const int lineHeight = (int)font->LineHeight();
    for (int i = 0; i < 2 && lines[i][0]; ++i)
        GuiDrawText(font, centreX - TextWidth(font, lines[i]) / 2, top + i * lineHeight, lines[i]);
}

}  // namespace

BadgeLayout::BadgeLayout(int left, int top, int H)
{
    originX = left + 5 * H / 96;
    originY = top + 5 * H / 48;
    badgeSize = H / 12;
    stepX = badgeSize + 7 * H / 192;
    stepY = badgeSize + 19 * H / 384;
}

void BadgeLayout::BadgeAt(int index, int* x, int* y) const
{
    *x = originX + (index % PER_ROW) * stepX;
    *y = originY + (index / PER_ROW) * stepY;
}

int BadgeLayout::CountLineY(int shown, int H) const
{
    const int rows = (shown + PER_ROW - 1) / PER_ROW;
    return originY + rows * stepY + H / 96;
}

int BadgeLayout::FrameHeight(int H)
{
    // Five rows of badges with their names, the count line and the close button's strip.
    BadgeLayout layout(0, 0, H);
    const int needed = layout.CountLineY(MAX_BADGES, H) + H / 48 + H / 24 + 5 * H / 384;
    const int usual = 265 * H / 384;
    return needed > usual ? needed : usual;
}

AchievementsGui::AchievementsGui() : InfoScreen(ACHIEVEMENTS_ID, true) {}

AchievementsGui* AchievementsGui::Create()
{
    AchievementsGui* screen = new AchievementsGui();
    screen->Build();
    return screen;
}

void AchievementsGui::Build()
{
    if (built) return;
    const int H = ScreenHeight();
    badgeWidth = badgeHeight = H / 12;
    BuildFrame("Achievements", 5 * (badgeWidth + H / 48) + 6 * (5 * H / 192), BadgeLayout::FrameHeight(H));
    badge = KeepSprite(CreateGuiSprite(0, 0, badgeWidth, badgeHeight, "data/gui/achievement_back.dds", WHITE, 0.0f,
                                       0.0f, 1.0f, 1.0f));
    icon = KeepSprite(
        CreateGuiSprite(0, 0, badgeWidth, badgeHeight, "data/gui/achievements.dds", WHITE, 0.0f, 0.0f, 1.0f, 1.0f));
    box = KeepSprite(CreateGuiSprite(0, 0, badgeWidth, badgeHeight, "data/gui/panelblue.dds", LIGHT_GREY, 0.0f, 0.0f,
                                     1.0f, 1.0f));
    backdrop = KeepSprite(CreateGuiSprite(0, 0, badgeWidth, badgeHeight, "data/gui/solid_darkgrey.dds", WHITE, 0.0f,
                                          0.0f, 1.0f, 1.0f));
    Finish();
}

void AchievementsGui::Draw()
{
    Window::Draw();
    const int H = ScreenHeight();
    const BadgeLayout layout(left, top, H);
    const MouseDevice* mouse = Input.mouse;
    const int mouseX = mouse ? mouse->cursorX : -1, mouseY = mouse ? mouse->cursorY : -1;
    const PlayerProfile* profile = GetPlayerProfile();
    Font* nameFont = ScreenFont(4);
    shown = earned = 0;
    hovered = -1;
    for (int i = 0; i < BadgeLayout::MAX_BADGES; ++i) {
        const char* name = AchievementName(i);
        if (!name) break;
        const bool has = profile && profile->HasAchievement(i);
        earned += has;
        int x = 0, y = 0;
        layout.BadgeAt(i, &x, &y);
        if (badge) {
            badge->SetAtlasCell(AtlasCell(2, 1, has ? 0 : 1, 0));
            badge->SetPosition(x, y);
        }
        if (icon) {
            icon->SetAtlasCell(AtlasCell(5, 5, i % 5, i / 5));
            icon->SetColor(has ? WHITE : LIGHT_GREY);
            icon->SetPosition(x, y);
        }
        GuiDrawSprite(badge);
        GuiDrawSprite(icon);
        if (nameFont) nameFont->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
        // The table's name may carry its rule after a colon ("Ore Baron: hold ..."); under the
        // badge there is room for the name alone, the box shows the whole line.
        char caption[64];
        CopyText(caption, sizeof caption, name);
        if (char* colon = strchr(caption, ':')) *colon = '\0';
        DrawCaption(nameFont, caption, x + badgeWidth / 2, y + badgeHeight + H / 96, layout.stepX - H / 96);
        if (mouseX >= x && mouseX <= x + badgeWidth && mouseY >= y && mouseY <= y + badgeHeight) hovered = i;
        ++shown;
    }
    char line[64];
    snprintf(line, sizeof line, "Completed  %d / %d", earned, shown);
    Font* countFont = ScreenFont(0);
    if (countFont) countFont->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    GuiDrawText(countFont, layout.originX, layout.CountLineY(shown, H), line);
    if (hovered < 0) return;

    char nameKey[32], descriptionKey[40];
    snprintf(nameKey, sizeof nameKey, "<achieve_%d>", hovered + 1);
    snprintf(descriptionKey, sizeof descriptionKey, "<achieve_%d_desc>", hovered + 1);
    const char* name = GuiDisplayText(nameKey);
    const char* description = GuiDisplayText(descriptionKey);
    Font* titleFont = ScreenFont(1);
    Font* textFont = ScreenFont(4);
    const int wrap = 55 * H / 192;
    const int lines = WrappedLineCount(textFont, description, wrap, 10);
    const int boxLeft = mouseX - H / 96, boxTop = mouseY + badgeHeight - H / 96;
    if (box) {
        box->SetRect(boxLeft, boxTop, boxLeft + 5 * H / 16, boxTop + 5 * H / 96 + lines * (7 * H / 384));
        GuiDrawSprite(box);
    }
    if (titleFont) titleFont->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    GuiDrawText(titleFont, mouseX, mouseY + badgeHeight, name);
    if (!textFont) return;
    const float r = textFont->r, g = textFont->g, b = textFont->b, a = textFont->a;
    textFont->SetColor(0.8f, 0.8f, 0.8f, 1.0f);
    GuiDrawWrappedText(textFont, description, wrap, mouseX, mouseY + badgeHeight + 5 * H / 192, 0, 10);
    textFont->SetColor(r, g, b, a);
}
