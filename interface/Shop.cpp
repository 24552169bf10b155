// The shop: the page of the character screen on which the player spends credits between
// missions. Items go into the bag and can be bought again; buildings and units are bought once
// and stay the player's. An item dropped on the sell field is sold. Every deal writes the
// profile at once.
#include "campaign/Galaxy.h"
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "gui/WindowManager.h"
#include "host/System.h"
#include "interface/CharacterGui.h"
#include "interface/Inventory.h"
#include "interface/ItemScrollList.h"
#include "mechanics/GameMechanics.h"
#include "render/Draw2D.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Item.h"
#include "world/ItemCatalog.h"

#include <cstdint>

namespace {

int U(int n)
{
    return UnitH(n);
}

// The shop's panel in reference pixels, against the right edge of the screen.
constexpr int SHOP_W = 382, SHOP_H = 652, SHOP_Y = 52;
constexpr int LIST_DX = 29, LIST_DY = 136;
constexpr int LIST_ROWS = 5, LIST_ROW_WIDTH = 300, LIST_ROW_HEIGHT = 40;
constexpr int RADIO_GROUP = 55;
// A second press of Buy within this many seconds is the same purchase.
constexpr float DOUBLE_PRESS_SECONDS = 0.3f;

constexpr int Cell(int columns, int rows, int column, int row)
{
    return columns << 24 | rows << 16 | column << 8 | row;
}

int ShopX()
{
    return ScreenWidth() - U(SHOP_W);
}

Font* ShopFont(int slot)
{
    if (TheGame && TheGame->fonts[slot]) return TheGame->fonts[slot];
    return GuiDefaultFont;
}

void SaveProfile()
{
    PlayerProfile* profile = GetPlayerProfile();
    if (profile && (profile->flags & PROFILE_LOADED)) profile->SaveByName(false);
}

int ListPressed(void*, ScrollList* list)
{
    if (TheCharacterGui && list && list->GetSelected()) TheCharacterGui->UpdateBuyButton();
    return 1;
}

}  // namespace

void CharacterGui::BuildShopPage()
{
    if (shopLists[0]) return;
    const int sx = ShopX(), sy = U(SHOP_Y);
    shopWindow = Keep(new Window(0, 0, 0, 0, 0, nullptr, WINDOW_FRAMELESS | WINDOW_NOT_MANAGED_DRAW));
    shopWindow->id = SHOP_WINDOW_ID;
    CopyText(shopWindow->caption, sizeof shopWindow->caption, "SHOP");
    if (WindowMgr) WindowMgr->AddWindow(shopWindow);
    auto add = [this](Window* child) {
        child->id = SHOP_WINDOW_ID;
        shopWindow->AddChild(child);
        return child;
    };

    add(Keep(new Window(sx, sy, U(SHOP_W), U(SHOP_H), "wframe_blue.dds")));
    Button* banner = Keep(new Button(nullptr, nullptr, sx + U(101), sy + U(8), U(180), U(32), 0, ShopFont(2),
                                     "data/gui/missionbanner.dds", "data/gui/missionbanner.dds", nullptr, 0, 0, 0));
    banner->SetText("SHOP");
    add(banner);

    // The tabs: items, buildings, units; each column of the sheet holds a tab's face, its
    // pressed face and its light.
    const int columns[3] = {0, 2, 1};
    for (int tab = 0; tab < 3; ++tab) {
        Button* button = Keep(new Button(OnShopTabPressed, nullptr, sx + U(29 + 108 * tab), sy + U(46), U(108), U(55), 0,
                                         nullptr, "data/gui/storetabs.dds", "data/gui/storetabs.dds", nullptr,
                                         Cell(3, 3, columns[tab], 1), Cell(3, 3, columns[tab], 0), 0));
        button->SetImage("data/gui/storetabs.dds", Cell(3, 3, columns[tab], 2));
        button->radioGroup = RADIO_GROUP;
        button->userData = tab + 1;
        button->hasUserData = true;
        add(button);
        shopTabs[tab] = button;
    }
    shopTabs[0]->SelectInGroup(RADIO_GROUP);

    showPurchasedBox = Keep(new Button(OnShowPurchasedToggled, nullptr, sx + U(29), sy + U(106), U(24), U(24), 0, nullptr,
                                       "data/gui/checkbox.dds", "data/gui/checkbox.dds", nullptr, Cell(1, 3, 0, 1),
                                       Cell(1, 3, 0, 2), 0));
    showPurchasedBox->SetImage("data/gui/checkbox.dds", Cell(1, 3, 0, 0));
    showPurchasedBox->toggleMode = true;
    showPurchasedBox->toggled = true;
    add(showPurchasedBox);
    Label* purchased = Keep(new Label("Show Purchased", sx + U(60), sy + U(110), 0, 0, 0, ShopFont(2), false));
    add(purchased);

    // The three lists share one place; the current tab's is shown.
    for (int tab = 0; tab < 3; ++tab) {
        ItemScrollList* list = new ItemScrollList();
        list->rows = LIST_ROWS;
        list->rowWidth = U(LIST_ROW_WIDTH);
        list->rowHeight = U(LIST_ROW_HEIGHT);
        // Closing the front end's pages by their id closes the lists too.
        list->id = SHOP_WINDOW_ID;
        list->selectCallback = ListPressed;
        list->showPurchased = showPurchased;
        shopLists[tab] = list;
    }
    const int listX = sx + U(LIST_DX), listY = sy + U(LIST_DY);
    shopLists[0]->FillItems(TheGame ? TheGame->items : nullptr, listX, listY);
    shopLists[1]->FillBuildings(TheGame ? TheGame->buildItems : nullptr, listX, listY);
    shopLists[2]->FillUnits(TheGame ? TheGame->agentTypes : nullptr, listX, listY);

    // The entry's panel, with Buy in its lower right corner.
    const int panelY = listY + LIST_ROWS * U(LIST_ROW_HEIGHT) + U(8);
    add(Keep(new Window(listX, panelY, U(324), U(250), "wframe_black.dds")));
    buyButton = Keep(new Button(OnShopBuy, nullptr, listX + U(324) - U(104), panelY + U(250) - U(42), U(96), U(32), 0,
                                ShopFont(0), "data/gui/button.dds", "data/gui/button.dds", nullptr, Cell(1, 3, 0, 1),
                                Cell(1, 3, 0, 2), 0));
    buyButton->SetImage("data/gui/highlight_blue.dds", 0);
    buyButton->hasUserData = true;
    buyButton->userData = 0;
    buyButton->SetText("Buy");
    add(buyButton);

    // The sell field: whatever is dropped on it is sold.
    const int sellY = panelY + U(250) + U(4);
    add(Keep(new Window(sx + U(21), sellY, U(340), U(50), "wframe_black.dds")));
    sellButton = Keep(new Button(OnShopSell, nullptr, sx + U(21), sellY, U(340), U(50), 0, nullptr,
                                 "data/gui/transparent.dds", "data/gui/transparent.dds", nullptr, 0, 0, 0));
    sellButton->flags |= WINDOW_FRAMELESS | WINDOW_NOT_MANAGED_DRAW;
    add(sellButton);
    Label* sell = Keep(new Label("DROP HERE TO SELL", sx + U(21) + U(170), sellY + U(17), 0, 0, 0, ShopFont(2), true));
    add(sell);

    backButton = Keep(new Button(nullptr, OnShopBack, (ScreenWidth() - U(120)) / 2, ScreenHeight() - U(46), U(120), U(36), 0,
                                 ShopFont(0), "data/gui/button_red.dds", "data/gui/button_red.dds", nullptr,
                                 Cell(1, 3, 0, 1), Cell(1, 3, 0, 2), 0));
    backButton->SetImage("data/gui/button_red.dds", Cell(1, 3, 0, 0));
    backButton->SetText("Back");
    add(backButton);

    shopWindow->FitToChildren(1, 1, 0, 0);
    UpdateBuyButton();
}

ItemScrollList* CharacterGui::CurrentList() const
{
    return shopTab >= 0 && shopTab < 3 ? shopLists[shopTab] : nullptr;
}

void CharacterGui::RefillShopLists()
{
    for (int tab = 1; tab < 3; ++tab) {
        ItemScrollList* list = shopLists[tab];
        if (!list) continue;
        list->showPurchased = showPurchased;
        list->Refill();
        list->UpdateThumb();
    }
}

void CharacterGui::UpdateBuyButton()
{
    if (!buyButton) return;
    ItemScrollList* list = CurrentList();
    ShopOffer offer;
    const bool enabled = list && DescribeOffer(list->kind, list->SelectedDefinition(), &offer) && CanBuyOffer(offer);
    buyButton->SetEnabled(enabled);
    if (enabled) {
        buyButton->SetIcon("data/gui/button.dds", "data/gui/button.dds", Cell(1, 3, 0, 1), Cell(1, 3, 0, 2));
        buyButton->SetImage("data/gui/button_grey.dds", Cell(1, 3, 0, 0));
    } else {
        buyButton->SetIcon("data/gui/button_grey.dds", "data/gui/button_grey.dds", Cell(1, 3, 0, 1), Cell(1, 3, 0, 2));
        buyButton->SetImage("data/gui/button_grey.dds", Cell(1, 3, 0, 0));
    }
}

void BuySelectedEntry()
{
    CharacterGui* screen = TheCharacterGui;
    PlayerProfile* profile = GetPlayerProfile();
    ItemScrollList* list = screen ? screen->CurrentList() : nullptr;
    if (!list || !profile || !list->GetSelected()) return;
    ShopOffer offer;
    if (!DescribeOffer(list->kind, list->SelectedDefinition(), &offer)) return;
    if (list->kind == ITEM_LIST_ITEMS) {
        Item* definition = list->SelectedItem();
        Inventory* bag = screen->inventory;
        // The level and the achievement are asked as the Buy button asks them.
        if (CanBuyOffer(offer) && bag && bag->AddItem(definition, true, true, -1)) {
            profile->credits -= offer.price;
            GuiPlaySound("credits");
        } else if (!CanBuyOffer(offer)) {
            GuiPlaySound("bad");
        }
        SaveProfile();
    } else if (list->kind == ITEM_LIST_BUILDINGS) {
        BuildItem* building = list->SelectedBuilding();
        if (offer.owned || profile->credits < offer.price || profile->level < offer.requiredLevel) {
            GuiPlaySound("bad");
            return;
        }
        building->flags |= BUILD_MARKED;
        profile->credits -= offer.price;
        GuiPlaySound("credits");
        list->Refill();
        list->UpdateThumb();
        SaveProfile();
    } else {
        AgentType* unit = list->SelectedUnit();
        if (offer.owned) {
            GuiPlaySound("bad");
            return;
        }
        if (!CanBuyOffer(offer)) return;
        unit->flags |= AGENT_TYPE_OWNED;
        profile->credits -= offer.price;
        GuiPlaySound("credits");
        list->Refill();
        list->UpdateThumb();
        SaveProfile();
    }
    screen->UpdateBuyButton();
}

void SellCarriedItem()
{
    PlayerProfile* profile = GetPlayerProfile();
    Inventory* bag = TheCharacterGui ? TheCharacterGui->inventory : nullptr;
    if (!profile || !profile->rig || !bag || !bag->dragItem) return;
    const long long credits = (long long)profile->credits + GetItemValue(bag->dragItem, true);
    profile->credits = credits > INT32_MAX ? INT32_MAX : (int)credits;
    delete bag->TakeCarried();
    SaveProfile();
    GuiPlaySound("credits");
    TheCharacterGui->UpdateBuyButton();
}

int OnShopTabPressed(void* user, Button* button)
{
    CharacterGui* screen = TheCharacterGui;
    if (!screen) return 0;
    const int tab = user ? (int)*static_cast<intptr_t*>(user) - 1 : -1;
    if (tab < 0 || tab > 2) return 1;
    screen->shopTab = tab;
    if (button) button->SelectInGroup(RADIO_GROUP);
    screen->Show(true);
    screen->UpdateBuyButton();
    GuiPlaySound("blip");
    return 1;
}

int OnShowPurchasedToggled(void*, Button* button)
{
    CharacterGui* screen = TheCharacterGui;
    if (!screen) return 0;
    // The box turns over once the press is done: it is about to show the other state.
    screen->showPurchased = button ? !button->toggled : !screen->showPurchased;
    screen->RefillShopLists();
    screen->UpdateBuyButton();
    GuiPlaySound("blip");
    return 1;
}

int OnShopBuy(void*, Button* button)
{
    if (!TheCharacterGui) return 0;
    if (button && button->timeSincePreviousPress > 0.0f && button->timeSincePreviousPress < DOUBLE_PRESS_SECONDS) return 1;
    BuySelectedEntry();
    return 1;
}

int OnShopSell(void*, Button*)
{
    if (!TheCharacterGui) return 0;
    SellCarriedItem();
    return 1;
}

int OnShopBack(void*, Button*)
{
    CharacterGui* screen = TheCharacterGui;
    if (!screen) return 0;
    CloseAllGameWindows();
    screen->Show(false);
    if (TheGalaxy)
        TheGalaxy->ShowScreen(true);
    else if (MissionScreen::galaxyPage)
        MissionScreen::galaxyPage->SetVisible(true);
    if (MissionScreen::windows[1]) MissionScreen::windows[1]->SetVisible(true);
    SaveProfile();
    GuiPlaySound("blip");
    return 1;
}
