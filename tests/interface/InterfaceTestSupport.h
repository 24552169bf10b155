#pragma once
// The GUI tests' world with a game object whose HUD fonts are the test's measuring font, so
// that the HUD's lists and panels draw their texts through the recording painter.
#include "campaign/PlayerProfile.h"
#include "interface/EntityInfoGui.h"
#include "interface/PlayerGame.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/Scoped.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

class HudTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        game = new PlayerGame();
        for (Font*& slot : game->fonts) slot = &font;
        current = new ScopedGlobal<GameMechanics*>(TheGame, game);
    }
    void TearDown() override
    {
        delete current;
        // The fonts are the test's.
        for (Font*& slot : game->fonts) slot = nullptr;
        delete game;
        GuiTest::TearDown();
    }

    PlayerGame* game = nullptr;

private:
    ScopedGlobal<GameMechanics*>* current = nullptr;
};

// The main display built on the HUD's world, shown as the game's, with a cleared profile; a
// page is what the display draws for one selected entity, as texts.
class MainDisplayTest : public HudTest {
protected:
    void SetUp() override
    {
        HudTest::SetUp();
        ASSERT_TRUE(TheScene.InitLists());
        game->CreateCatalogues();
        display = new EntityInfoGui();
        display->CreateMainDisplay();
        shownDisplay = std::make_unique<ScopedGlobal<EntityInfoGui*>>(TheEntityInfoGui, display);
        GetPlayerProfile()->Clear();
    }
    void TearDown() override
    {
        GetPlayerProfile()->Clear();
        shownDisplay.reset();
        delete display;
        display = nullptr;
        HudTest::TearDown();
    }

    void Select(Entity* entity)
    {
        game->hand.selected.Clear();
        if (entity) game->hand.selected.PushBack(entity);
    }
    std::vector<std::string> Page(Entity* entity)
    {
        Select(entity);
        painter.Clear();
        display->Update(entity);
        return painter.Texts();
    }
    static bool Has(const std::vector<std::string>& texts, const std::string& text)
    {
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }

    EntityInfoGui* display = nullptr;

private:
    std::unique_ptr<ScopedGlobal<EntityInfoGui*>> shownDisplay;
};
