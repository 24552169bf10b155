#include "campaign/PlayerProfile.h"

#include "host/Log.h"
#include "host/System.h"

#include <cstdio>
#include <cstring>

namespace {

PlayerProfile CurrentProfile;

}  // namespace

PlayerProfile* GetPlayerProfile()
{
    return &CurrentProfile;
}

bool PlayerProfile::Load(const char* file, bool, bool)
{
    if (!file) return false;
    FILE* stream = fopen(file, "rb");
    if (!stream) {
        Log("WARNING: the profile %s could not be opened\n", file);
        return false;
    }
    fclose(stream);
    CopyText(path, sizeof path, file);
    // The profile's name is its file name without the folder and the extension.
    const char* slash = strrchr(file, '/');
    CopyText(name, sizeof name, slash ? slash + 1 : file);
    if (char* dot = strrchr(name, '.')) *dot = 0;
    loaded = true;
    return true;
}

bool PlayerProfile::IsMissionCompleted(int id) const
{
    if (id < 0 || id >= 128) return false;
    return (completedMissions[id / 32] >> (id % 32)) & 1u;
}

void PlayerProfile::SetMissionCompleted(int id, bool on)
{
    if (id < 0 || id >= 128) return;
    if (on)
        completedMissions[id / 32] |= 1u << (id % 32);
    else
        completedMissions[id / 32] &= ~(1u << (id % 32));
}

void PlayerProfile::ClearCompletedMissions()
{
    for (uint32_t& bits : completedMissions) bits = 0;
}

void PlayerProfile::AddOre(float amount)
{
    ore += amount;
    if (ore < 0.0f) ore = 0.0f;
    if (amount > 0.0f) oreGained += amount;
}

void PlayerProfile::AddFuel(float amount)
{
    fuel += amount;
    if (fuel < 0.0f) fuel = 0.0f;
    if (amount > 0.0f) fuelGained += amount;
}
