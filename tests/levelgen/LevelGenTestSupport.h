#pragma once
// Shared by the level generator's tests: a map generator and a mission-object catalogue of
// the test's own as the program's, an environments script whose numbers never change (so
// pinned levels stay pinned whatever the shipped data says), the user folder, and missions
// built in a line.
#include "campaign/MissionRecord.h"
#include "host/Random.h"
#include "host/System.h"
#include "levelgen/CellGrid.h"
#include "levelgen/LevelGenerator.h"
#include "levelgen/MapGenerator.h"
#include "levelgen/MissionObjects.h"
#include "mechanics/Scene.h"
#include "platform/UserFolders.h"
#include "terrain/Environment.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// The eight environments with fixed level numbers: rivers and bumpVals are all the
// generator reads.
inline std::string LevelEnvironments()
{
    struct Row {
        const char* name;
        const char* rivers;
        const char* bump;
    };
    const Row rows[] = {{"forest", "0.6", "0.4 0.75"}, {"winter", "0.4", "0.3 0.7"},  {"desert", "0.2", "0.45 0.9"},
                        {"fall", "0.5", "0.4 0.8"},    {"marsh", "1.0", "0.2 0.4"},   {"moon", "1.0", "0.3 1.2"},
                        {"alien", "0.5", "0.5 1.0"},   {"lava", "0.0", "0.6 1.1"}};
    std::string text;
    for (const Row& r : rows)
        text += std::string("DefineEnvironment ") + r.name + "\nrivers " + r.rivers + "\nbumpVals " + r.bump + "\n\n";
    return text;
}

inline uint64_t Fnv1a(const void* data, size_t size)
{
    uint64_t h = 1469598103934665603ull;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) h = (h ^ bytes[i]) * 1099511628211ull;
    return h;
}

class LevelGenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(InitUserFolders());
        std::string path = MakeTempFolder("levelgen-env") + "/environments.cgs";
        ASSERT_TRUE(WriteTextFile(path, LevelEnvironments()));
        Environment::ClearAll();
        Environment::LoadScript(path.c_str());
        ASSERT_EQ(Environment::GetCount(), 8);
        TheLevelGenerator.Clear();
        TheLevelGenerator.forceRivers = false;
        CellGrid::Instance().Reset();
        // Clearings of every shape, so the pinned levels cover them all.
        AddObject("relic", 6, CLEARING_PLUS);
        AddObject("outpost", 10, CLEARING_COMPOUND);
        AddObject("computer", 5, CLEARING_SQUARE);
        AddObject("wreckage", 7, CLEARING_ROUGH);
        AddObject("rockset", 5, CLEARING_ROUGH);
        AddObject("tree_rock", 5, CLEARING_DISC);
        for (const char* hill : {"hill_tree", "hill_snow", "hill_desert", "hill_rock"}) AddObject(hill, 0, CLEARING_ROCK_HILL);
        AddObject("terrainHole", 4, CLEARING_SQUARE);
        AddObject("terrainHole_ice", 4, CLEARING_SQUARE);
    }
    void TearDown() override
    {
        Environment::ClearAll();
        CellGrid::Instance().Reset();
        TheLevelGenerator.Clear();
    }

    void AddObject(const char* name, int radius, int shape)
    {
        MissionObject object;
        CopyText(object.name, sizeof object.name, name);
        object.clearingRadius = radius;
        object.clearingShape = shape;
        objects.records.push_back(object);
    }
    Objective& AddObjective(MissionRecord& mission, int type, const char* target, int count, uint32_t flags = 0)
    {
        objectives.emplace_back();
        Objective& o = objectives.back();
        o.type = type;
        CopyText(o.target, sizeof o.target, target);
        o.targetCount = count;
        o.flags |= flags;
        if (mission.objectiveCount < MAX_MISSION_OBJECTIVES) mission.objectives[mission.objectiveCount++] = &o;
        return o;
    }
    static MissionRecord Mission(const char* environment, int layout, int start = 0)
    {
        MissionRecord m;
        m.flags = MISSION_DATA_BUILT | MISSION_DATA_OWN_ENVIRONMENT;
        CopyText(m.environment, sizeof m.environment, environment);
        m.levelTemplate = layout;
        m.playerStart = start;
        return m;
    }
    // The layout and the kind grid of a mission from a seed.
    void Generate(const MissionRecord& mission, unsigned seed)
    {
        SRand(seed);
        TheLevelGenerator.Layout(&mission);
        maps.BuildHeightmap(TheLevelGenerator);
    }
    int CountKind(int kind) const
    {
        int n = 0;
        for (int k : maps.kinds) n += k == kind;
        return n;
    }

    MapGenerator maps;
    MissionObjects objects;
    std::deque<Objective> objectives;
    ScopedGlobal<MapGenerator*> currentMaps{TheMapGenerator, &maps};
    ScopedGlobal<MissionObjects*> currentObjects{TheMissionObjects, &objects};
    ScopedGlobal<char[256]> heightmapName{TheScene.heightmapName};
};
