#pragma once
// The player's persistent record, one file per player in the profiles folder. So far only
// which profile is loaded is kept; the profile file's contents (level, experience, credits,
// skills, statistics, rig) come with the campaign.
class PlayerProfile {
public:
    // Loads a profile file into the game's profile; false (logged) when it cannot be opened,
    // and the profile stays as it was.
    bool Load(const char* path, bool makeCurrent, bool extra);

    char name[64] = "";
    char path[512] = "";
    int level = 0;
    bool loaded = false;
};

// The current profile.
PlayerProfile* GetPlayerProfile();
