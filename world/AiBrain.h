#pragma once
// The brain every agent owns: the job it runs (a task-script job taken from the TaskManager)
// and its AI mode, its short-term intent. Orders hand a brain a job by name with a mode
// (SetJob); the computer's units choose their own next job in Think, every frame before the
// job runs, by the behaviour kind of their unit type (the agent's brainKind):
// ENEMY guards, NEUTRAL wanders, MINER mines, ATTACKBOT hunts the enemy, CREATURE roams and
// bites. The player's own units (kind 0) think nothing: they do what they are told. The rig
// is an ATTACKBOT too, so that standing idle it answers what comes at it, but a fight it
// picked itself ends when the foe is out of its sight.
//
// An ATTACKBOT answers whoever hurts it before anything else: the enemy in its attacker list
// that hurt it most comes before the nearest enemy and before any building, however far off it
// shot from, a gun tower too. The rig does so also while cutting ore, building or repairing. It
// walks up until it can fire, but no farther than a leash from where it took the fight up (never
// shorter than the reach of a foe that outranges it; none on hold position); at the leash, or when
// the attacker is dead, it goes back to the work it had, the move it was making, or (let off
// the leash) the place it stood. A plain move order is obeyed as given, and so is an ordered
// attack on a foe that fights back; one sent at a building, or at a foe that leaves it alone,
// answers whoever hurts it meanwhile and then goes back to its ordered target.
//
// Nothing goes on for good that gets nowhere, and nothing that gets somewhere is cut short:
// - Progress is coming closer to the move's goal or to the foe than ever on the way walked, or
//   weapons at work on the foe; one clock measures it for moves, fights and the watch alike
//   (world/ProgressClock.h). Going to and fro is not progress.
// - A reload is a fight getting somewhere: a slow gun between shots within reach of its foe is
//   not standing, and its focus fire holds.
// - A fight the unit took up itself that stands for a few seconds is let go, as at the leash.
// - No foe is taken up without ground within the leash to fire at it from: neither an attacker
//   nor a foe it notices across water or on a crag.
// - An ordered attack on a foe that can fight back is kept while it gets somewhere, and yields
//   to whoever beats the unit once it stands.
// - A plain move that stands while the unit is beaten, or stands held up among enemies that can
//   fight (a harmless building or unit never stops it), is broken off for the fight.
// - A fight interrupts a move: the move goes on when the fight ends. One that broke off a plain
//   move held up on its way lasts only until the way is free: a retreat is obeyed as soon as
//   the unit can move, however hard it is beaten.
// - On Stop the unit holds its fire: it takes no fight up and keeps its move while it is shot.
//
// A brain never holds a job the TaskManager cannot give: when the pool is empty it stays
// without one and tries again on a later frame.
#include "host/Maths.h"
#include "world/Entity.h"
#include "world/ProgressClock.h"

class Agent;
class Entity;
class Job;

enum AIMode : int {
    AI_MODE_IDLE = 0,
    AI_MODE_ATTACK = 1,
    AI_MODE_FLEE = 2,
    AI_MODE_MINING = 3,
    AI_MODE_MINING_RETURN_TO_DROPOFF = 4,
    AI_MODE_BUILD = 5,
    AI_MODE_BUILD_COMPLETE = 6,
    AI_MODE_REPAIR = 7,
    AI_MODE_EXTRACT_ORE = 8,
    AI_MODE_SALVAGE = 9,
    AI_MODE_UPGRADE_MOVE = 10,
    AI_MODE_RECYCLE_MOVE = 11,
    AI_MODE_WARP_MOVE = 12,
    AI_MODE_ITEM_MOVE_AND_ACTION = 13,
    AI_MODE_MOVE_AND_ATTACK = 14,
    AI_MODE_RAID = 15,
    AI_MODE_HEAL = 16,
    AI_MODE_NONE = 17,
    AI_MODE_COUNT = 18,
};

// The step state of the "Mine" job in which the miner heads back to its drop-off.
constexpr int MINE_STEP_RETURN_TO_DROPOFF = 5;
// An enemy holds a target this long before it weighs turning on whoever hurts it most.
constexpr float RETARGET_AFTER_SECONDS = 5.0f;
// A fight in which the unit neither walked, got closer to its foe nor fired for this long goes
// nowhere.
constexpr float FIGHT_GOES_NOWHERE = 2.0f;
// A plain move that has stood this long while the unit was beaten ends where it stands; one
// held up this long with the enemy in sight ends too.
constexpr float MOVE_STANDS_BEATEN = 1.0f;
constexpr float MOVE_STANDS_AMONG_FOES = 2.0f;

class AIBrain {
public:
    AIBrain() { Init(); }

    // No job, mode "None".
    void Init();
    // The mode's name ("Idle" .. "None"); "None" for a number outside the 18 modes.
    static const char* GetModeName(int mode);
    // The mode of a name (exact), or -1.
    static int FindMode(const char* name);

    // An order: the mode, then a new job of that template for the agent. Nonzero when the
    // template exists; 0 with no job when the TaskManager has none free.
    int SetJob(const char* jobName, Agent* agent, int mode);
    // The job goes back to the TaskManager and the brain is idle; without a job the mode stays.
    void ClearJob();
    void SetMode(int mode) { this->mode = mode; }

    // One frame of the behaviour of the agent's kind.
    void Think(Agent* agent);
    void ThinkGuard(Agent* agent);
    void ThinkWanderer(Agent* agent);
    void ThinkMiner(Agent* agent);
    void ThinkAttacker(Agent* agent);
    void ThinkCreature(Agent* agent);
    // An enemy turns on the attacker that hurt it most, when that one has clearly outdone the
    // current target. True when it looked the attacker up.
    bool RetargetToTopAttacker(Agent* agent);
    // One think's worth of the fight's progress clock (fightProgress), after the job ran.
    void TrackFight(Agent* agent, float step);

    Job* job;
    int mode;
    // The current fight was picked by ThinkAttacker, not ordered.
    bool ownFight;
    // The work (its mode) the rig left to answer an attacker, AI_MODE_NONE when none.
    int resumeMode;
    // The ordered attack the unit left to answer an attacker.
    EntityRef resumeTarget;
    // Where the agent stood when it took its own fight up: the leash is tied there.
    Vec3 fightOrigin;
    bool holdsPlace;
    // The move a fight on the way broke off (its goal first, then the points queued behind),
    // and whether it was given to attack on the way.
    static constexpr int RESUME_LEGS = 8;
    Vec3 resumeLegs[RESUME_LEGS];
    int resumeLegCount;
    bool resumeAttackMove;
    // The fight broke off a plain move held up on its way (it goes on once the way is free), and
    // when the way was last looked at.
    bool moveHeldUp;
    float wayLookedAt;
    // How long the fight with fightFoe has gone nowhere: the unit came no closer to it, nor
    // did its weapons work on it.
    ProgressClock fightProgress;
    EntityRef fightFoe;
    // The last foe found with no ground to fire at it from, and when.
    EntityRef noSpotFoe;
    float noSpotAt;

private:
    // The current job returned, a new one taken for the agent and pointed at the template
    // (none: the job keeps the TaskManager's default and does nothing). False when the pool
    // had no free job.
    bool TakeJob(Agent* agent, const char* jobName);
    // Shared by the guards and the creatures: they differ in whether flame throwers can hit
    // air and in what they do when idle.
    void ThinkHunter(Agent* agent, bool flameHitsAir, const char* idleJob);
    // An ATTACKBOT's own fight: the target, the mode and a new "AttackEntity" job. The first
    // fight of a run ties the leash and keeps the move it breaks off.
    void TakeOwnFight(Agent* agent, Entity* foe);
    // The first fight of a run ties the leash where the agent stands and keeps the work's move
    // (its goal and the points queued behind) to go on with after the fights.
    void KeepErrand(Agent* agent);
    // The fight is given up, at the leash or gone nowhere: back to the work, the move or the
    // place.
    void LetGo(Agent* agent);
    // The move a fight broke off goes on, as it was given.
    void ResumeMove(Agent* agent);
    // Whether the plain move a fight broke off could now go on past where it was held up: a
    // route through the units standing about leads on toward its goal. Looked at twice a second.
    bool WayFreeAgain(Agent* agent);
    // Nothing to come back to.
    void ForgetResume();
};
