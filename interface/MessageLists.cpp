#include "interface/MessageLists.h"

#include "gui/GuiDraw.h"
#include "gui/WindowManager.h"
#include "host/Log.h"
#include "host/System.h"
#include "interface/CharacterGui.h"
#include "interface/HudLayout.h"
#include "mechanics/GameMechanics.h"
#include "platform/StringTable.h"
#include "render/Camera.h"
#include "render/Draw2D.h"
#include "render/Font.h"
#include "render/Sprite.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t WHITE = 0xFFFFFFFF;

bool ModalOpen()
{
    return WindowMgr && WindowMgr->modal;
}

// The pop-ups and the bar would cover the character screen opened during a mission; they wait
// behind it instead, so a pop-up is still seen once the screen closes. In the front end the
// screen's own refusals ("Insufficient level!") must show beside it.
bool MessagesHeld()
{
    if (ModalOpen()) return true;
    return TheGame && TheGame->state == GAME_STATE_PLAYING && TheCharacterGui && TheCharacterGui->shown &&
           TheCharacterGui->IsVisible();
}

int TextWidthOf(Font* font, const char* text, int* height)
{
    TextSize size{};
    if (font) font->GetTextExtent(text, &size);
    if (height) *height = (int)size.cy;
    return (int)size.cx;
}

void ReleaseOwned(Sprite*& sprite)
{
    delete sprite;
    sprite = nullptr;
}

}  // namespace

Font* HudFont(int slot)
{
    if (!TheGame || slot < 0 || slot >= Game::FONT_COUNT) return nullptr;
    return TheGame->fonts[slot];
}

bool MessageNode::Equals(const MessageNode& a, const MessageNode& b)
{
    return memcmp(a.text, b.text, sizeof a.text) == 0 && a.x == b.x && a.y == b.y && a.z == b.z && a.time == b.time;
}

MessageList::MessageList()
{
    pool = new MessageNode[CAPACITY];
    memset(pool, 0, sizeof(MessageNode) * CAPACITY);
    capacity = CAPACITY;
    ResetPool();
}

MessageList::~MessageList()
{
    delete[] pool;
}

void MessageList::ResetPool()
{
    for (int i = 0; i < capacity; ++i) pool[i].next = i + 1 < capacity ? &pool[i + 1] : nullptr;
    free = capacity > 0 ? pool : nullptr;
    head = tail = nullptr;
    count = 0;
}

void MessageList::Remove(const MessageNode& node)
{
    MessageNode* previous = nullptr;
    for (MessageNode* at = head; at; previous = at, at = at->next) {
        if (!MessageNode::Equals(*at, node)) continue;
        if (previous)
            previous->next = at->next;
        else
            head = at->next;
        if (tail == at) tail = previous;
        at->next = free;
        free = at;
        --count;
        return;
    }
}

void MessageList::Clear()
{
    while (head) {
        MessageNode* node = head;
        head = node->next;
        node->next = free;
        free = node;
    }
    tail = nullptr;
    count = 0;
}

MessageNode* MessageList::Append(const char* text, float x, float y, float z, float time, int kind, int achievement)
{
    if (!free || count >= capacity) return nullptr;
    MessageNode* node = free;
    free = node->next;
    // The whole record in one piece, so Equals never meets bytes of an earlier text.
    MessageNode filled{};
    CopyText(filled.text, sizeof filled.text, text ? text : "");
    filled.x = x;
    filled.y = y;
    filled.z = z;
    filled.time = time;
    filled.kind = kind;
    filled.achievement = achievement;
    *node = filled;
    if (tail)
        tail->next = node;
    else
        head = node;
    tail = node;
    ++count;
    return node;
}

// ---- Floating texts

void FloatingTextList::Add(const char* text, float x, float y, float z)
{
    Append(text, x, y, z, 0.0f, 0, -1);
}

void FloatingTextList::Update(float dt)
{
    for (MessageNode* node = head; node;) {
        MessageNode* following = node->next;
        node->y += speed * dt;
        node->time += dt;
        if (node->time > LIFE) Remove(*node);
        node = following;
    }
}

void FloatingTextList::Draw()
{
    if (ModalOpen() || (WindowMgr && WindowMgr->focused)) return;
    Font* font = HudFont(1);
    for (MessageNode* node = head; node; node = node->next) {
        Vec3 at = ProjectToScreen(Vec3(node->x, node->y, node->z));
        GuiDrawText(font, (int)at.x, (int)at.y, node->text);
    }
}

// ---- Pop-ups

AchievementPopup::AchievementPopup()
{
    int w = ScreenWidth(), h = ScreenHeight();
    centreX = w / 2;
    centreY = (int)(0.66 * h);
    float ua, va, ub, vb;
    GetAtlasCellUV(AtlasCell(1, 4, 0, 0), &ua, &va, &ub, &vb);
    backdrop = CreateSprite(centreX - w / 4, centreY - h / 32, w / 2, h / 16, "Data/gui/messagebar.dds", WHITE, ua, va,
                            ub, vb, false);
    int side = h / 16;
    int left = centreX - w / 4, top = centreY - h / 32;
    badge = CreateSprite(left, top, side, side, "Data/gui/achievement_back.dds", WHITE, 0.0f, 0.0f, 1.0f, 1.0f, false);
    icon = CreateSprite(left, top, side, side, "Data/gui/achievements.dds", WHITE, 0.0f, 0.0f, 1.0f, 1.0f, false);
}

AchievementPopup::~AchievementPopup()
{
    ReleaseOwned(backdrop);
    ReleaseOwned(badge);
    ReleaseOwned(icon);
}

MessageNode* AchievementPopup::Add(const char* text, float seconds, int kind, int achievement)
{
    MessageNode* node = Append(text, 0.0f, 0.0f, 0.0f, seconds, kind, achievement >= 0 ? achievement : -1);
    if (!node) Log("Pop-up queue full: \"%s\" dropped\n", text ? text : "");
    return node;
}

void AchievementPopup::Update(float dt)
{
    if (MessagesHeld() || !head) return;
    head->time -= dt;
    if (head->time <= 0.0f) Remove(*head);
}

void AchievementPopup::Draw()
{
    if (MessagesHeld() || !head) return;
    const MessageNode& node = *head;
    int h = ScreenHeight();
    Font* titleFont = HudFont(2);
    Font* textFont = HudFont(1);
    char title[192];
    char description[160] = "";
    int titleX, titleY;
    if (node.achievement < 0) {
        CopyText(title, sizeof title, node.text);
        int height = 0;
        int width = TextWidthOf(titleFont, title, &height);
        titleX = centreX - width / 2;
        titleY = centreY - height / 2;
    } else {
        char nameKey[32], descriptionKey[40];
        snprintf(nameKey, sizeof nameKey, "<achieve_%d>", node.achievement + 1);
        snprintf(descriptionKey, sizeof descriptionKey, "<achieve_%d_desc>", node.achievement + 1);
        const char* name = Strings ? Strings->Lookup(nameKey) : nullptr;
        if (name)
            snprintf(title, sizeof title, "New achievement: %s", name);
        else
            CopyText(title, sizeof title, nameKey);
        CopyText(description, sizeof description, GuiDisplayText(descriptionKey));
        int badgeLeft = badge ? badge->left : centreX - ScreenWidth() / 4;
        int badgeTop = badge ? badge->top : centreY - h / 32;
        titleX = badgeLeft + h / 12;
        titleY = badgeTop + h / 192;
        if (badge) badge->SetAtlasCell(AtlasCell(2, 1, 0, 0));
        GuiDrawSprite(badge);
        if (icon) icon->SetAtlasCell(AtlasCell(5, 5, node.achievement % 5, node.achievement / 5));
        GuiDrawSprite(icon);
    }
    GuiDrawSprite(backdrop);
    GuiDrawText(titleFont, titleX, titleY, title);
    if (description[0]) GuiDrawText(textFont, titleX, titleY + h / 32, description);
}

// ---- Message bar

MessageBar::MessageBar()
{
    int h = ScreenHeight();
    barX = 0;
    barY = (int)(0.3 * h);
    int iconWidth = 25 * h / 96, iconHeight = 19 * h / 384;
    float ua, va, ub, vb;
    GetAtlasCellUV(AtlasCell(1, 4, 0, 1), &ua, &va, &ub, &vb);
    icon = CreateSprite(barX, barY - iconHeight / 2, iconWidth, iconHeight, "Data/gui/messagebar.dds", WHITE, ua, va,
                        ub, vb, false);
}

MessageBar::~MessageBar()
{
    ReleaseOwned(icon);
}

MessageNode* MessageBar::AddMessage(const char* text, float seconds, int kind)
{
    if (!text || count >= capacity) return nullptr;
    // A line may stand twice in the bar, only never twice in a row.
    char cut[sizeof(MessageNode::text)];
    CopyText(cut, sizeof cut, text);
    if (tail && strcmp(tail->text, cut) == 0) return nullptr;
    return Append(cut, 0.0f, 0.0f, 0.0f, seconds, kind, -1);
}

void MessageBar::Update(float dt)
{
    if (MessagesHeld()) return;
    for (MessageNode* node = head; node;) {
        MessageNode* following = node->next;
        node->time -= dt;
        if (node->time <= 0.0f) Remove(*node);
        node = following;
    }
}

void MessageBar::Draw()
{
    if (MessagesHeld() || !head) return;
    int h = ScreenHeight();
    Font* font = HudFont(1);
    if (font) font->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    int step = 5 * h / 96;
    int iconHeight = 19 * h / 384, iconWidth = 25 * h / 96;
    int n = 0;
    for (MessageNode* node = head; node; node = node->next, ++n) {
        int textHeight = 0;
        int textWidth = TextWidthOf(font, node->text, &textHeight);
        // The icon sits in the strip's left square: a text begins after it, centred on the
        // strip when it fits, and a longer one stretches the strip to hold it.
        int left = barX + 25 * h / 192 - textWidth / 2;
        if (left < barX + iconHeight) left = barX + iconHeight;
        int right = left + textWidth + h / 96;
        if (right < barX + iconWidth) right = barX + iconWidth;
        if (icon) {
            int top = barY + n * step;
            int row = node->kind == 0 ? 1 : node->kind == 1 ? 2 : 0;
            if (right == barX + iconWidth) {
                icon->SetRect(barX, top, right, top + iconHeight);
                icon->SetAtlasCell(AtlasCell(1, 4, 0, row));
                GuiDrawSprite(icon);
            } else {
                // The icon's half as painted, then the rest of the band drawn out to the text's end.
                int middle = barX + iconWidth / 2;
                icon->SetRect(barX, top, middle, top + iconHeight);
                icon->SetTexCoords(0.0f, row / 4.0f, 0.5f, (row + 1) / 4.0f);
                GuiDrawSprite(icon);
                icon->SetRect(middle, top, right, top + iconHeight);
                icon->SetTexCoords(0.5f, row / 4.0f, 1.0f, (row + 1) / 4.0f);
                GuiDrawSprite(icon);
            }
        }
        int top = barY - textHeight / 2 + 19 * h / 768 + n * step;
        GuiDrawText(font, left, top, node->text);
    }
}
