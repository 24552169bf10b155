#pragma once
// A skirmish without a screen: open ground with the shipped catalogues, meshes, primitives and
// jobs, the level's projectile system, a raid manager, the player's record and power ledger,
// and frames run in the game's own order (raids, every entity, then the shots in flight).
// Everything a frame fires is noted by weapon type before the shots are resolved.
#include "platform/Timer.h"
#include "render/AnimLibrary.h"
#include "terrain/Skybox.h"
#include "platform/StringTable.h"
#include "tests/world/BuildingTestSupport.h"
#include "world/Agent.h"
#include "world/AgentCombat.h"
#include "world/AiBrain.h"
#include "world/PathFinder.h"
#include "world/ProjectileSystem.h"
#include "world/RaidManager.h"
#include "world/TaskManager.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

class SkirmishWorld : public BuildingWorld {
protected:
    void SetUp() override
    {
        BuildingWorld::SetUp();
        TheAnimLibrary = animations.get();
        ASSERT_TRUE(strings.Init());
        game.LoadCatalogues();
        TheMeshLibrary->LoadAll();
        TheMeshLibrary->LoadPendingAnimations();
        ASSERT_TRUE(TheScene.ReadSceneFile("data/scripts/primitives.cgs"));
        ASSERT_NE(TaskManager::Get(), nullptr);
        PathFinder::InitNodePool();
        projectiles.Init();
        projectiles.LoadResources();
        raids.Reset();
        game.aiManager = &raids;
        game.state = GAME_STATE_PLAYING;
    }
    void TearDown() override
    {
        game.aiManager = nullptr;
        projectiles.Clear();
        BuildingWorld::TearDown();
        TheAnimLibrary = savedAnimations;
    }

    // A unit of the shipped type on the point of cell (column, row), in the level.
    Agent* Spawn(const char* type, int column, int row)
    {
        Agent* agent = TheScene.CreateAgent(type, false);
        EXPECT_NE(agent, nullptr) << type;
        if (!agent) return nullptr;
        Vec3 at = Corner(column, row);
        if (agent->IsAirUnit()) at.y = 10.0f;
        agent->SetPosition(at);
        agent->flags &= ~ENTITY_PLACED;
        agent->ResetMovement();
        agent->ClaimGridCell(at);
        EXPECT_NE(TheScene.AddEntity(agent), nullptr);
        return agent;
    }
    // A finished building of the shipped catalogue with its corner on cell (column, row),
    // holding its cells.
    Building* Raise(const char* name, int column, int row)
    {
        Building* building = TheScene.CreateBuilding(name);
        EXPECT_NE(building, nullptr) << name;
        if (!building) return nullptr;
        building->SetPosition(Corner(column, row));
        building->flags |= ENTITY_PLACED;
        building->GetFootprintBounds(nullptr, nullptr);
        return building;
    }

    // One frame of play, dt seconds, in the game's order.
    void Frame(float dt)
    {
        const WorldTickScope tick(dt);
        MissionTime += dt;
        raids.Update(dt);
        TheScene.Update();
        NoteShots();
        projectiles.Update(dt);
    }
    // Frames of dt until done answers true or the time is up; the seconds it took.
    float PlayUntil(float limit, float dt, const std::function<bool()>& done)
    {
        float elapsed = 0.0f;
        while (elapsed <= limit && !done()) {
            Frame(dt);
            elapsed += dt;
        }
        return elapsed;
    }

    // The weapon types of the shots now under way, and which side fired them.
    void NoteShots()
    {
        for (auto* node = projectiles.beams.head; node; node = node->next) Note(node->value->weaponType, node->value->alignment);
        for (auto* node = projectiles.projectiles.head; node; node = node->next) {
            const Projectile* p = node->value;
            Note(p->hasWeapon ? p->weapon.type : ProjectileDamageType(p->flags), p->alignment);
        }
        for (auto* node = projectiles.meleeHits.head; node; node = node->next) {
            const Entity* attacker = node->value->attacker.Get();
            Note(WEAPON_NONE, attacker ? attacker->alignment : -1);
        }
    }
    void Note(int type, int alignment) { shotsBySide[alignment].insert(type); }
    std::set<int> TypesFired() const
    {
        std::set<int> all;
        for (const auto& side : shotsBySide) all.insert(side.second.begin(), side.second.end());
        return all;
    }

    // Every agent of the level back to the pool (the templates stay).
    void ClearAgents()
    {
        std::vector<Entity*> agents;
        for (int segment : {SEGMENT_UNIT, SEGMENT_AIR_UNIT, SEGMENT_ENEMY_UNIT, SEGMENT_ENEMY_AIR_UNIT})
            for (Scene::Node* node = TheScene.FirstInList(segment); node; node = TheScene.NextInList(node))
                if (node->value && (node->value->flags & ENTITY_AGENT)) agents.push_back(node->value);
        for (Entity* agent : agents) TheScene.RemoveEntity(agent, REMOVE_EVERYWHERE);
    }

    int LiveAgents(int alignment)
    {
        int count = 0;
        for (int segment : {SEGMENT_UNIT, SEGMENT_AIR_UNIT, SEGMENT_ENEMY_UNIT, SEGMENT_ENEMY_AIR_UNIT})
            for (Scene::Node* node = TheScene.FirstInList(segment); node; node = TheScene.NextInList(node)) {
                Entity* e = node->value;
                if (e && (e->flags & ENTITY_AGENT) && !(e->flags & ENTITY_DEAD) && e->alignment == alignment) ++count;
            }
        return count;
    }

    std::unique_ptr<AnimLibrary> animations = std::make_unique<AnimLibrary>();
    AnimLibrary* savedAnimations = TheAnimLibrary;
    StringTable strings;
    ScopedGlobal<StringTable*> installedStrings{Strings, &strings};
    ProjectileSystem projectiles;
    ScopedGlobal<ProjectileSystem*> installedProjectiles{TheProjectiles, &projectiles};
    AIManager raids;
    ScopedGlobal<int> savedRaidId{NextRaidId, 1};
    ScopedGlobal<float> savedClock{MissionTime, 0.0f};
    ScopedGlobal<int> savedState{game.state, GAME_STATE_PLAYING};
    ScopedGlobal<int> savedAlert{LastUnderAttackAlertFrame, 0};
    // The primitives script loads the sky from this test's mesh library.
    ScopedGlobal<IndexedMesh*> savedSky{Skybox::mesh};
    std::map<int, std::set<int>> shotsBySide;
};
