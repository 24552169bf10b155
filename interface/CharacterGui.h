#pragma once
// The character screen: the player's rig turning on a paper doll with its two weapon slots and
// three module slots, the rig's attributes and weapons (ATTRIBUTES), the six skills with their
// meters and "+" buttons (SKILLS), the experience bar and level badge, the player's name and
// credits, the paints the achievements unlock, the bag (the inventory grid with its hotbar) and
// the buttons to the technology, achievements and mission log screens.
//
// Between missions the shop stands beside it (its three lists, Buy, the sell field and Back);
// in a mission the screen opens from the HUD and the shop stays away.
//
// The screen is several top-level windows (the screen itself, its outer frame with the close
// button, the bag's panel, the shop's window and the lists' windows), shown and hidden together
// by Show. The screen draws all of them itself, in order, so the item carried under the pointer
// lies over everything.
#include "mechanics/RigFitting.h"
#include "gui/Window.h"

class Agent;
class Button;
class GuiMeter;
class HintBox;
class Inventory;
class Item;
class ItemScrollList;
class Label;
class ModelViewer;
class Sprite;

constexpr int CHARACTER_SCREEN_ID = 1005;
constexpr int SHOP_WINDOW_ID = 1006;

class CharacterGui : public Window {
public:
    CharacterGui();
    ~CharacterGui() override;

    // Makes every part of the screen and of the shop, then hides it all.
    void Build();
    // Opens (between missions with the shop, in a mission without it) or closes the screen.
    // Closing puts a carried item back into the bag (a stack of its kind takes it); a full bag
    // drops it beside the rig in a mission, and keeps it in hand between missions.
    void Show(bool on);
    // The whole screen, as Show does it: the callers that open and close windows by their
    // visibility reach every part of the screen this way.
    void SetVisible(bool on) { Show(on); }

    // The level the experience has reached goes into the profile; the meter shows the way
    // through the level ("%4d/%d": experience, the next level's threshold).
    void UpdateExperienceBar();
    // A skill's meter: 20 a point, one less below the full five (4 points show 79).
    void UpdateSkillBars();
    // The shop's Buy button follows the selected entry of the current tab.
    void UpdateBuyButton();
    // The lists filled again (after a purchase or the "Show Purchased" box).
    void RefillShopLists();
    // The list of the current tab.
    ItemScrollList* CurrentList() const;

    void Draw() override;
    // The paper doll turns.
    bool Animates() const override;

    ModelViewer* viewer = nullptr;
    Inventory* inventory = nullptr;
    GuiMeter* experienceMeter = nullptr;
    GuiMeter* skillMeters[PLAYER_SKILLS] = {};
    HintBox* hintBox = nullptr;
    Button* skillButtons[PLAYER_SKILLS] = {};
    Button* armourBadge = nullptr;
    Button* paintButtons[4] = {};
    bool shown = true;
    Window* frame = nullptr;
    Button* attachButtons[RIG_ATTACHMENT_SLOTS] = {};
    Button* moduleButtons[RIG_MODULE_SLOTS_SHOWN] = {};
    Button* levelBadge = nullptr;
    Button* closeButton = nullptr;
    Button* techButton = nullptr;
    Button* achievementsButton = nullptr;
    Button* logButton = nullptr;
    Button* buyButton = nullptr;
    int shopTab = 0;
    bool showPurchased = true;

    // The shop's parts.
    Window* shopWindow = nullptr;
    Button* shopTabs[3] = {};
    Button* showPurchasedBox = nullptr;
    Button* sellButton = nullptr;
    Button* backButton = nullptr;
    ItemScrollList* shopLists[3] = {};

    // The skill hint: shown while the flag is set, after half a second over a row.
    bool skillHintShown = false;
    float skillHoverTime = 0.0f;
    // The slot pressed last on the paper doll.
    Button* lastAttachButton = nullptr;

private:
    void BuildShopPage();
    void DrawAttributes();
    void DrawSkills();
    void DrawSlotIcons();
    void DrawTooltips(int mouseX, int mouseY);
    void DrawUsabilityMarker(const Item* item, int x, int y);
    // A framed panel among the screen's children.
    Window* AddPanel(int x, int y, int w, int h, const char* frameTexture);
    Label* AddLabel(const char* text, int x, int y, Window* parent);

    Sprite* moduleIcons_[RIG_MODULE_SLOTS_SHOWN] = {};
    Sprite* attachmentIcons_[RIG_ATTACHMENT_SLOTS] = {};
    Sprite* marker_ = nullptr;
    Sprite* damageTypeIcons_[10] = {};
    GuiMeter* hullMeter_ = nullptr;
    GuiMeter* shieldMeter_ = nullptr;
    Button* viewerOverlay_ = nullptr;
    Button* skillRows_[PLAYER_SKILLS] = {};
    // The rig's mesh the doll's camera was last fitted to.
    const void* fittedMesh_ = nullptr;
    // Every window the screen made, freed with it.
    Window* owned_[160] = {};
    int ownedCount_ = 0;
    template <class W> W* Keep(W* window)
    {
        KeepWindow(window);
        return window;
    }
    void KeepWindow(Window* window);
};

// The screen's buttons. Each answers 0 when there is no character screen, else 1 (a refused
// module answers 0).
int OnShowTechClicked(void* user, Button* button);
int OnAchievementsClicked(void* user, Button* button);
int OnMissionLogClicked(void* user, Button* button);
int OnRigPaintClicked(void* user, Button* button);
int OnAttachSlotPressed(void* user, Button* button);
int OnModuleSlotPressed(void* user, Button* button);
int OnSkillClicked(void* user, Button* button);
int OnSkillHover(void* user, Button* button);
int OnSkillHoverEnd(void* user, Button* button);
// The shop's.
int OnShopTabPressed(void* user, Button* button);
int OnShowPurchasedToggled(void* user, Button* button);
int OnShopBuy(void* user, Button* button);
int OnShopSell(void* user, Button* button);
int OnShopBack(void* user, Button* button);

// The paper doll's slots by index, for the screen's buttons and for tests: a weapon slot
// (attachment index 2 or 3) and a module slot (0..2) pressed with or without a carried item;
// in a level the press gives an order for the next tick.
int PressAttachmentSlot(int index);
int PressModuleSlot(int slot);
// Buys the selected entry of the current tab; the press time of the Buy button guards against
// a double press.
void BuySelectedEntry();
// Sells the carried item.
void SellCarriedItem();

// The pointer lies over the character screen's rectangle.
bool IsPointOverCharacterScreen(Window* window);

// The one character screen, built by the front end; null before that.
extern CharacterGui* TheCharacterGui;
