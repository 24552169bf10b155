#pragma once
// A weapon definition: what one weapon does (its type, damage, range, firing interval, beam
// colour, sound and muzzle offset). Weapon items of the item catalogue own one; unit types
// copy theirs out of the catalogue, and every agent and item made from them carries a copy of
// its own. The attacks ask it whether it may fire and how much damage it deals.
#include "host/Maths.h"

#include <cstdint>

class Item;

// WeaponDef::type
enum WeaponType : int {
    WEAPON_LASER = 0,
    WEAPON_MISSILE = 1,
    WEAPON_ELECTRIC = 2,
    WEAPON_MORTAR = 3,
    WEAPON_BALLISTIC = 4,  // the machine guns
    WEAPON_FLAME = 5,
    WEAPON_ACID = 6,
    WEAPON_PLASMA = 7,
    WEAPON_PULSE = 8,
    WEAPON_NONE = 9,
    WEAPON_TYPE_COUNT = 10,
};

// WeaponDef::flags
constexpr uint32_t WEAPONFLAG_HOMING = 0x2;
constexpr uint32_t WEAPONFLAG_TARGET_ONLY = 0x4;
constexpr uint32_t WEAPONFLAG_DUAL_MIRROR = 0x10000;
constexpr uint32_t WEAPONFLAG_DUAL_CLUSTER = 0x20000;
constexpr uint32_t WEAPONFLAG_TRI_CLUSTER = 0x40000;

constexpr uint32_t DEFAULT_WEAPON_COLOUR = 0xFF1AFF1A;

class WeaponDef {
public:
    WeaponDef();

    // Every field of other, its owner included.
    void CopyFrom(const WeaponDef& other);
    const char* GetTypeName() const;
    float GetBaseDamage() const { return damage; }
    // The damage plus what the item carrying the weapon adds for this kind of weapon.
    float GetDamage() const;
    // Whether the time since the last shot has reached the interval.
    bool IsReady(float elapsed) const { return elapsed >= interval; }

    char name[32];
    int type;
    uint32_t flags;
    float damage;
    float shotTime;  // how long one shot of a beam weapon lasts
    float range;
    float interval;  // seconds between shots
    float windUp;
    uint32_t colour;  // ARGB
    char texts[2][32];
    char soundName[32];
    char hitAnimation[32];
    Vec3 shootOffset;
    Item* owner;  // the item that carries the weapon, or none
};

// The display name of a weapon type 0..9 ("Laser" .. "None"); null for any other number.
const char* WeaponTypeName(int type);
// The weapon type of a building's "weapon" word ("laser" .. "pulse", any case); -1 for others.
int WeaponTypeFromWord(const char* word);
// The weapon type of an item's type letter: 'A' acid, 'E' electric, 'F' flame, 'G' machine
// gun, 'M' mortar, 'P' missile, 'X' plasma, 'Z' pulse; any other letter is a laser.
int WeaponTypeFromLetter(char letter);
// Four script colour values (red, green, blue, alpha; 1.0 is full) as an ARGB word.
uint32_t PackScriptColour(float red, float green, float blue, float alpha);
