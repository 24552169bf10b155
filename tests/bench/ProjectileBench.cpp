// How long a frame of a full battle takes the projectile system: every pool full (64 missiles
// and shells homing on 60 foes, 64 beams of flame and lightning sweeping and chaining), fired
// anew at each frame so the pools stay full.
#include "host/Random.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/MathUtil.h"
#include "tests/world/BlockMesh.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/ProjectileSystem.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

struct Battle {
    GameMechanics game;
    GameMechanics* savedGame = TheGame;
    ProjectileSystem system;
    ProjectileSystem* savedSystem = TheProjectiles;
    std::vector<Agent*> foes;
    std::vector<Agent*> shooters;

    Battle()
    {
        TheGame = &game;
        TheProjectiles = &system;
        SRand(4711);
        TheScene.InitLists();
        game.CreateCatalogues();
        system.Init();
        system.LoadResources();
        for (int i = 0; i < 80; ++i) {
            Agent* agent = game.agentTypes->TakeFreeAgent();
            if (!agent) break;
            const bool foe = i < 60;
            agent->alignment = foe ? ALIGN_ENEMY : ALIGN_PLAYER;
            agent->SetPosition(foe ? Vec3(40.0f + (i % 10) * 3.0f, 0.0f, 20.0f + (i / 10) * 3.0f)
                                   : Vec3(20.0f, 0.0f, 10.0f + (i - 60) * 2.0f));
            agent->AdoptMesh(BlockMesh(-1.0f, 1.0f, -1.0f, 1.0f, 0.0f, 2.0f));
            agent->health = agent->maxHealth = 1e9f;
            agent->attackRange = 1000.0f;
            TheScene.AddEntity(agent);
            (foe ? foes : shooters).push_back(agent);
        }
    }
    ~Battle()
    {
        system.Clear();
        TheScene.ReleaseEntities();
        TheProjectiles = savedSystem;
        TheGame = savedGame;
    }

    // Every free record taken.
    void Refill()
    {
        for (int i = 0; system.freeProjectiles.count > 0; ++i) {
            Agent* shooter = shooters[i % shooters.size()];
            Agent* foe = foes[i % foes.size()];
            const uint32_t flags = i % 2 ? PROJECTILE_TRACKING | PROJECTILE_TARGET_TEST | PROJECTILE_MISSILE
                                         : PROJECTILE_SHELL | PROJECTILE_TARGET_TEST;
            system.Fire(shooter->GetPosition(), Vec3(), 1.0f, shooter, foe, nullptr, flags, nullptr);
        }
        for (int i = 0; system.freeBeams.count > 0; ++i) {
            Agent* shooter = shooters[i % shooters.size()];
            Agent* foe = foes[i % foes.size()];
            shooter->target.Set(foe);
            Vec3 to = foe->GetPosition() - shooter->GetPosition();
            HeadingFromVector(to.x, to.z, &shooter->yaw);
            system.StartBeam(100.0f, shooter, foe, nullptr, i % 2 ? BEAM_FLAME : BEAM_ELECTRIC, nullptr);
        }
    }
};

void AFrameOfAFullBattle(benchmark::State& state)
{
    Battle battle;
    if (battle.shooters.empty()) {
        state.SkipWithError("no agents");
        return;
    }
    for (auto _ : state) {
        battle.Refill();
        battle.system.Update(1.0f / 60.0f);
    }
    state.counters["projectiles"] = (double)battle.system.ActiveProjectiles();
    state.counters["beams"] = (double)battle.system.ActiveBeams();
}
BENCHMARK(AFrameOfAFullBattle)->Unit(benchmark::kMicrosecond);

}  // namespace
