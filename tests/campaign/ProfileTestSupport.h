#pragma once
// A test that spends ore or unlocks units works on the player's profile: it starts from a
// cleared one and leaves a cleared one behind, whatever the test did to it.
#include "campaign/PlayerProfile.h"

struct ScopedClearProfile {
    ScopedClearProfile() { GetPlayerProfile()->Clear(); }
    ~ScopedClearProfile() { GetPlayerProfile()->Clear(); }
    ScopedClearProfile(const ScopedClearProfile&) = delete;
    ScopedClearProfile& operator=(const ScopedClearProfile&) = delete;
};
