#pragma once
// The GUI tests' world with a game object whose HUD fonts are the test's measuring font, so
// that the HUD's lists and panels draw their texts through the recording painter.
#include "mechanics/GameMechanics.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/Scoped.h"

class HudTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        game = new GameMechanics();
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

    GameMechanics* game = nullptr;

private:
    ScopedGlobal<GameMechanics*>* current = nullptr;
};
