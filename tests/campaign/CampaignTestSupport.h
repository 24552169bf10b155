#pragma once
// A fresh catalogue and galaxy per test; the galaxy is the campaign's while the test runs.
#include "campaign/Galaxy.h"
#include "campaign/MissionScreen.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

class CampaignTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MissionScreen::ClearMissions();
        galaxy = std::make_unique<Galaxy>();
        TheGalaxy = galaxy.get();
    }
    void TearDown() override
    {
        galaxy.reset();
        TheGalaxy = nullptr;
        MissionScreen::ClearMissions();
    }
    // Reads a catalogue written to a temporary file.
    void LoadText(const std::string& text)
    {
        std::string path = MakeTempFolder("missions") + "/missions.cgs";
        ASSERT_TRUE(WriteTextFile(path, text));
        ASSERT_TRUE(MissionScreen::LoadMissions(path.c_str()));
    }

    std::unique_ptr<Galaxy> galaxy;
};
