#pragma once
// The one rule every whole game keeps: no unit of the player's loses hull for more than
// 3 s in a row while a foe that hurts it stands within its weapons' reach and it fires
// nothing (a slow gun reloading within reach of its target fires), unless the player's order is
// carrying it on: a plain move, or its way to the foe it was told to attack, making progress as
// the game measures it (world/ProgressClock.h: closer to the goal or the foe). The watch looks at the level after every
// step the loop takes (shelltest::Passes, and the walks' steps without pictures), and at the
// first breach of a test fails it, naming the unit, its order, mode, job, path and waiting
// state. Each test starts with a fresh watch.
#include "mechanics/Game.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/Timer.h"
#include "world/Agent.h"
#include "world/AiBrain.h"
#include "world/GridQueries.h"
#include "world/PathFinder.h"
#include "world/ProgressClock.h"
#include "world/ProjectileSystem.h"
#include "world/TaskManager.h"
#include "world/WeaponDef.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>

namespace beatingwatch {

// Seconds a unit may be beaten without firing back.
constexpr float MOST_BEATEN = 3.0f;
// A hit this recent counts as a foe hurting the unit now.
constexpr float HURTS_FOR = 2.0f;
// An order makes progress while it brought the unit closer within this long.
constexpr float PROGRESS_WITHIN = 1.0f;

class Watch {
public:
    // A fresh watch: nothing seen, nothing breached.
    void Reset()
    {
        units.clear();
        breached = false;
        lastTime = -1.0f;
    }

    // One look at the level as it stands after a step of the game.
    void Step()
    {
        if (!TheGame || TheGame->state != GAME_STATE_PLAYING || GamePaused) return;
        const float now = MissionTime;
        if (now < lastTime) units.clear();  // a new level
        const float dt = lastTime >= 0.0f && now > lastTime ? now - lastTime : 0.0f;
        lastTime = now;
        if (dt <= 0.0f) return;
        for (int segment : {SEGMENT_UNIT, SEGMENT_AIR_UNIT})
            for (Scene::Node* node = TheScene.FirstInList(segment); node; node = TheScene.NextInList(node))
                Look(node->value, now, dt);
    }

    bool Breached() const { return breached; }

private:
    struct Seen {
        Agent* agent = nullptr;
        float beaten = 0.0f;
        float lostHull = 0.0f;  // over the beating
        float lastHull = 0.0f;
        // The order the unit is carried on by (the move's goal, or the foe it was told to attack)
        // and how it gets on.
        Vec3 goal;
        unsigned foe = 0;
        bool carried = false;
        ProgressClock progress;
    };

    static float Hull(Agent* agent) { return agent->health + agent->shield; }

    static bool Armed(Agent* agent)
    {
        const WeaponDef* weapons[Agent::MAX_ITEM_WEAPONS];
        return agent->weapon || agent->GetItemWeapons(weapons, Agent::MAX_ITEM_WEAPONS) > 0;
    }

    static bool CanHitAir(Agent* agent)
    {
        if (agent->classWord & AGENT_CLASS_MELEE) return false;
        return !agent->weapon || (agent->weapon->type != WEAPON_MORTAR && agent->weapon->type != WEAPON_FLAME);
    }

    // The foe that hurt the unit lately and stands within its weapons' reach, if any.
    static Entity* FoeInReach(Agent* agent, float now)
    {
        for (int i = 0; i < agent->threatCount; ++i) {
            const ThreatRecord& record = agent->threats[i];
            Entity* foe = record.attacker.GetLive();
            if (!foe || now - record.lastHit > HURTS_FOR || foe->alignment != ALIGN_ENEMY) continue;
            if (foe->flags & ENTITY_AGENT) {
                const Agent* foeAgent = static_cast<Agent*>(foe);
                if (foeAgent->classWord & AGENT_CLOAKED) continue;
                if (foeAgent->IsAirUnit() && !CanHitAir(agent)) continue;
            }
            if (GroundDistanceToCells(agent->GetPosition(), foe) <= agent->GetAttackRange()) return foe;
        }
        return nullptr;
    }

    static bool Firing(const Agent* agent)
    {
        if (!TheProjectiles) return false;
        for (auto* n = TheProjectiles->beams.head; n; n = n->next)
            if (n->value->shooter.Get() == agent) return true;
        for (auto* n = TheProjectiles->projectiles.head; n; n = n->next)
            if (n->value->shooter.Get() == agent) return true;
        return false;
    }

    void Look(Entity* entity, float now, float dt)
    {
        if (!entity || !(entity->flags & ENTITY_AGENT) || !entity->IsAlive()) return;
        Agent* agent = static_cast<Agent*>(entity);
        Seen& seen = units[entity->id];
        if (seen.agent != agent) {
            seen = Seen();
            seen.agent = agent;
            seen.lastHull = Hull(agent);
        }
        const float hull = Hull(agent);
        const float lost = std::fmax(seen.lastHull - hull, 0.0f);
        seen.lastHull = hull;
        // The player's order carrying the unit on: a plain move, or the way to the foe it was
        // told to attack. One that carries the unit on is obeyed; one that stands is not a move.
        const AIBrain* brain = agent->brain;
        const bool ordered = agent->HasStanceBits() && brain && (brain->mode != AI_MODE_ATTACK || !brain->ownFight);
        Entity* told = ordered && brain->mode == AI_MODE_ATTACK ? agent->target.GetLive() : nullptr;
        const unsigned toldId = told ? told->id : 0;
        if (!ordered || !seen.carried || seen.foe != toldId || (!told && GetGroundDistance(seen.goal, agent->stepTarget) > 0.01f))
            seen.progress.Restart();
        seen.carried = ordered;
        seen.foe = toldId;
        seen.goal = agent->stepTarget;
        bool progressing = false;
        if (ordered) {
            if (told)
                seen.progress.TrackFoe(agent, told, dt);
            else
                seen.progress.TrackToward(agent, agent->stepTarget, dt);
            progressing = seen.progress.Standing() < PROGRESS_WITHIN;
        }
        // A unit that cannot fire, is frozen, or is told to hold its fire is not asked to.
        const bool exempt = !Armed(agent) || agent->freezeTime > 0.0f || agent->stance == AGENT_STANCE_STOP ||
                            (ordered && progressing);
        Entity* foe = exempt ? nullptr : FoeInReach(agent, now);
        if (!foe || Firing(agent) || WeaponsAtWork(agent)) {
            seen.beaten = seen.lostHull = 0.0f;
            return;
        }
        seen.beaten += dt;
        seen.lostHull += lost;
        if (breached || seen.beaten <= MOST_BEATEN || seen.lostHull <= 0.0f) return;
        breached = true;
        ADD_FAILURE() << "A unit of the player's stood beaten for " << seen.beaten << " s without firing: "
                      << Describe(agent, foe, seen.lostHull, now);
    }

    static std::string Describe(Agent* agent, Entity* foe, float lost, float now)
    {
        char text[1024];
        const AIBrain* brain = agent->brain;
        const Job* job = brain ? brain->job : nullptr;
        const Entity* target = agent->target.Get();
        const Vec3 at = agent->GetPosition(), goal = agent->stepTarget;
        std::snprintf(
            text, sizeof text,
            "%s #%u at (%.1f, %.1f), %.0f hull lost, at %.1f s; beaten by %s #%u %.1f away (reach %.1f); "
            "order: job %s step %s state %d, mode %s, %s fight, target %s, ordered target %s; "
            "path %d points (at %d), goal (%.1f, %.1f) %.1f away, queue %d; bits moving %d stepping %d waiting %d, "
            "wait %.2f s, blocked %.2f s, route retry %.2f s, goal held %.2f s, stance %d",
            agent->name, agent->id, at.x, at.z, lost, now, foe->name, foe->id,
            GroundDistanceToCells(at, foe), agent->GetAttackRange(), job ? job->name : "none",
            job && job->currentStep ? job->currentStep->name : "none", job ? job->stepState : -1,
            AIBrain::GetModeName(brain ? brain->mode : AI_MODE_NONE), brain && brain->ownFight ? "its own" : "an ordered",
            target ? target->name : "none", brain && brain->resumeTarget.Get() ? brain->resumeTarget.Get()->name : "none",
            agent->path ? agent->path->count : 0, agent->path ? agent->path->current : 0, goal.x, goal.z,
            GetGroundDistance(at, goal), agent->moveQueue.Count(), (agent->classWord & AGENT_MOVING) != 0,
            (agent->classWord & AGENT_STEPPING) != 0, (agent->classWord & AGENT_WAITING) != 0, agent->waitTime,
            agent->blockedTime, agent->pathRetryTime, agent->goalBlockedTime, agent->stance);
        return text;
    }

    std::map<unsigned, Seen> units;
    bool breached = false;
    float lastTime = -1.0f;
};

// The watch of the test that runs.
inline Watch TheWatch;

}  // namespace beatingwatch
