#pragma once
// The running mission's objectives: the list of what the player is asked to do, polled every
// half second of game time, counted by the world's hooks (deaths, builds, objects reached),
// completed once each with a sound and a message. The HUD shows them as lines with the
// "Objectives" button that opens the briefing (interface/ObjectivesPanel.h); the objectives
// show and hide that panel through the ScreenHooks.
//
// At most ten objectives are listed; an eleventh is refused with a warning in the log. An
// objective completes when its count reaches its target count (or passes it: a loaded save
// may carry more), and stays done.
#include "campaign/MissionRecord.h"
#include "platform/PooledList.h"

class Entity;

class Objectives {
public:
    static constexpr int MAX_OBJECTIVES = 10;
    static constexpr float CHECK_INTERVAL = 0.5f;

    // A line of the HUD's objective list.
    struct Line {
        char text[192];
        float colour[4];
        bool done;
    };

    Objectives();
    ~Objectives();
    Objectives(const Objectives&) = delete;
    Objectives& operator=(const Objectives&) = delete;

    // Lists an objective, or raises the target count of the listed one of the same type and
    // target. False (logged) when the list is full and it could not be listed.
    bool Add(Objective* objective);
    // The level generator's objectives; null when the list is full.
    Objective* AddObjective(const char* name, int type, const char* target);
    // Type 0 matches any type; the target compares exactly.
    Objective* FindByName(int type, const char* target) const;
    bool AllComplete() const;
    // A save's "Objective" line: the last listed objective with that index. Whether the list
    // frees the objective stays as it was.
    void SetState(int index, uint32_t flags, int count);
    // Level end: lets go of every objective, frees those made during play, hides the panel.
    void Clear();

    // Adds the frame time (0 while paused) and polls the active objectives every half
    // second; forced, at once.
    void Tick(bool force);
    void Update(Objective* objective);
    void Complete(Objective* objective);

    void OnEntityDied(Entity* entity);
    void OnEntityBuilt(Entity* entity);
    void OnObjectReached(Entity* entity);

    // The lines of the active objectives, in list order (at most max); their count.
    int BuildLines(Line* out, int max) const;

    int Count() const { return list.count; }

    PooledList<Objective*> list;
    float interval = CHECK_INTERVAL;
    float accumulator = 0.0f;
    // The last sound the objectives played ("objective", "objective_all", "blip").
    const char* lastSound = nullptr;
    int soundCount = 0;

private:
    void CountProgress(Objective* objective);
    void Play(const char* sound);
    // Enemy agents (ground, air and among the buildings) of this name still standing.
    static int CountFaction(const char* name, const Entity* dying);
    static int CountScavengers();
};

// The objectives of the running mission; made with the front end's windows.
extern Objectives* TheObjectives;
