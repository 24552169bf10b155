#pragma once
// The world changes only in a tick, by the orders of that tick and the world's own rules: a
// level's course is then a function of its seed and the orders alone, and its replay plays the
// same game. While a level is played the game seals its world; what is allowed to change it
// opens a WorldChangeScope for the span it needs: the tick, and the level being made, loaded
// or ended. Every change a replay can see passes through WorldChange(): making or numbering an
// entity, adding it to the level or taking it out, an item moved, a resource, a hull or a
// shield changed, a draw from the level's random sequences.
//
// In the test build a change made into a sealed world outside every scope stops the program
// there and names the place and the calls that led to it; in the play build the check costs a
// call and does nothing, and the game goes on as it would have.
//
// It lives on the lowest floor so that the random sequences, which live here too, can ask it;
// the game above sets the seal and opens the scopes.

// What a change is, for the message that stops the program.
struct WorldChangeSite {
    const char* what;
    const char* file;
    int line;
    const char* function;
};

// The level is played (true) or there is none to keep (false): the game seals the world when a
// level stands and opens it again when the level is gone.
void SealWorld(bool sealed);
bool WorldIsSealed();

// A span in which the world may change, opened and closed in pairs (WorldChangeScope does both).
void BeginWorldChange();
void EndWorldChange();
// A span in which the world may change, for as long as it lives. Scopes nest.
class WorldChangeScope {
public:
    WorldChangeScope() { BeginWorldChange(); }
    ~WorldChangeScope() { EndWorldChange(); }
    WorldChangeScope(const WorldChangeScope&) = delete;
    WorldChangeScope& operator=(const WorldChangeScope&) = delete;
};

// Whether a change may be made now: the world is not sealed, or a scope is open.
bool WorldMayChange();

// Called by every change of the world; stops the test build when it is not allowed now.
void CheckWorldChange(const WorldChangeSite& site);
#define WORLD_CHANGE(what) CheckWorldChange(WorldChangeSite{(what), __FILE__, __LINE__, __func__})

// Whether this build stops the program at a change outside a tick.
bool WorldGuardStops();
