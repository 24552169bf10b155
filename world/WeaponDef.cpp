#include "world/WeaponDef.h"

#include "host/System.h"
#include "world/Item.h"

namespace {

const char* const TYPE_NAMES[WEAPON_TYPE_COUNT] = {"Laser", "Missile", "Electric", "Mortar", "Ballistic",
                                                   "Flame", "Acid",    "Plasma",   "Pulse",  "None"};

// The words a building script names its weapon with, by type.
const char* const TYPE_WORDS[WEAPON_NONE] = {"laser", "missile", "electric", "mortar", "machinegun",
                                             "flame", "acid",    "plasma",   "pulse"};

uint8_t ColourByte(float value)
{
    if (value >= 1.0f) return 255;
    if (value <= 0.0f) return 0;
    return (uint8_t)(int)(value * 255.0f + 0.5f);
}

}  // namespace

WeaponDef::WeaponDef()
{
    CopyText(name, sizeof name, "default");
    type = WEAPON_MISSILE;
    flags = 0;
    damage = 10.0f;
    shotTime = 0.0f;
    range = 30.0f;
    interval = 4.0f;
    windUp = 4.0f;
    colour = DEFAULT_WEAPON_COLOUR;
    CopyText(texts[0], sizeof texts[0], "default");
    CopyText(texts[1], sizeof texts[1], "default");
    CopyText(soundName, sizeof soundName, "attack");
    CopyText(hitAnimation, sizeof hitAnimation, "FireHit");
    shootOffset = Vec3(0.0f, 0.0f, 0.8f);
    owner = nullptr;
}

void WeaponDef::CopyFrom(const WeaponDef& other)
{
    if (&other == this) return;
    CopyText(name, sizeof name, other.name);
    type = other.type;
    flags = other.flags;
    damage = other.damage;
    shotTime = other.shotTime;
    range = other.range;
    interval = other.interval;
    windUp = other.windUp;
    colour = other.colour;
    CopyText(texts[0], sizeof texts[0], other.texts[0]);
    CopyText(texts[1], sizeof texts[1], other.texts[1]);
    CopyText(soundName, sizeof soundName, other.soundName);
    CopyText(hitAnimation, sizeof hitAnimation, other.hitAnimation);
    shootOffset = other.shootOffset;
    owner = other.owner;
}

const char* WeaponDef::GetTypeName() const
{
    return WeaponTypeName(type);
}

float WeaponDef::GetDamage() const
{
    return owner ? damage + owner->GetDamageBonus(this) : damage;
}

const char* WeaponTypeName(int type)
{
    return type >= 0 && type < WEAPON_TYPE_COUNT ? TYPE_NAMES[type] : nullptr;
}

int WeaponTypeFromWord(const char* word)
{
    if (!word) return -1;
    for (int type = 0; type < WEAPON_NONE; ++type)
        if (StrICmp(word, TYPE_WORDS[type]) == 0) return type;
    return -1;
}

int WeaponTypeFromLetter(char letter)
{
    switch (letter) {
    case 'A': return WEAPON_ACID;
    case 'E': return WEAPON_ELECTRIC;
    case 'F': return WEAPON_FLAME;
    case 'G': return WEAPON_BALLISTIC;
    case 'M': return WEAPON_MORTAR;
    case 'P': return WEAPON_MISSILE;
    case 'X': return WEAPON_PLASMA;
    case 'Z': return WEAPON_PULSE;
    default: return WEAPON_LASER;
    }
}

uint32_t PackScriptColour(float red, float green, float blue, float alpha)
{
    return (uint32_t)ColourByte(alpha) << 24 | (uint32_t)ColourByte(red) << 16 | (uint32_t)ColourByte(green) << 8 |
           ColourByte(blue);
}
