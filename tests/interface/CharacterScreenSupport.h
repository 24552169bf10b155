#pragma once
// The character screen built on the GUI tests' world: a game object with the test's font in
// every slot, a cleared profile whose rig is the test's, and the screen with its bag and shop
// over small catalogues the test fills.
#include "campaign/PlayerProfile.h"
#include "gui/Button.h"
#include "interface/CharacterGui.h"
#include "interface/Inventory.h"
#include "interface/ItemScrollList.h"
#include "interface/MissionHud.h"
#include "tests/interface/InterfaceTestSupport.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Item.h"
#include "world/ItemCatalog.h"
#include "world/WeaponDef.h"

#include <algorithm>
#include <cstdio>
#include <string>

class CharacterScreenFixture : public HudTest {
protected:
    void SetUp() override
    {
        HudTest::SetUp();
        GetPlayerProfile()->Clear();
        profileRig = new ScopedGlobal<Agent*>(GetPlayerProfile()->rig, &rig);
        game->CreateCatalogues();
        game->state = GAME_STATE_FRONT_END;
        FillCatalogues();
        screen = new CharacterGui();
        TheCharacterGui = screen;
        screen->Build();
        bag = screen->inventory;
    }
    void TearDown() override
    {
        delete screen;
        for (int slot = 0; slot < AGENT_EQUIPMENT_SLOTS; ++slot) delete rig.UnequipItem(slot);
        delete profileRig;
        GetPlayerProfile()->Clear();
        HudTest::TearDown();
    }

    // What the shop sells here; a test adds to it before the screen is built (or refills).
    virtual void FillCatalogues() {}

    static Item* NewItem(const char* name, int kind, int stack = 1, bool stackable = false)
    {
        Item* item = new Item();
        snprintf(item->name, sizeof item->name, "%s", name);
        item->kind = kind;
        item->stackCount = stack;
        item->buyLevel = 0;
        if (stackable) item->itemFlags |= ITEM_FLAG_STACKABLE;
        if (kind == ITEM_KIND_WEAPON) {
            item->weapon = new WeaponDef();
            item->weapon->type = WEAPON_LASER;
            item->weapon->damage = 12.0f;
            item->weapon->interval = 1.0f;
            item->weapon->windUp = 0.0f;
            item->weapon->owner = item;
        }
        return item;
    }
    // A definition of the item catalogue.
    Item* AddItemDefinition(const char* name, int kind, int price, int level)
    {
        Item* item = NewItem(name, kind);
        item->price = price;
        item->buyLevel = level;
        game->items->items.PushBack(item);
        return item;
    }
    BuildItem* AddBuilding(const char* name, int price, int level)
    {
        BuildItem* building = game->buildItems->Add(nullptr, name);
        building->buyCost = price;
        building->buyLevel = level;
        return building;
    }
    AgentType* AddUnit(const char* name, int price, int level, BuildItem* producer)
    {
        Agent* prototype = game->agentTypes->TakeFreeAgent();
        snprintf(prototype->name, sizeof prototype->name, "%s", name);
        prototype->alignment = ALIGN_PLAYER;
        AgentType* unit = game->agentTypes->DefineType(prototype, name);
        unit->buyCost = price;
        unit->buyLevel = level;
        unit->producer = producer;
        return unit;
    }

    void OpenInFrontEnd()
    {
        game->state = GAME_STATE_FRONT_END;
        screen->Show(true);
    }
    void DrawScreen()
    {
        painter.Clear();
        screen->Draw();
    }
    bool Drew(const std::string& text) const
    {
        return std::any_of(painter.texts.begin(), painter.texts.end(), [&](const DrawnText& t) { return t.text == text; });
    }
    const DrawnText* FindText(const std::string& text) const
    {
        for (const DrawnText& t : painter.texts)
            if (t.text == text) return &t;
        return nullptr;
    }

    Agent rig;
    CharacterGui* screen = nullptr;
    Inventory* bag = nullptr;

private:
    ScopedGlobal<Agent*>* profileRig = nullptr;
};
