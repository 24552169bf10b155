#pragma once
// The catalogue of mission objects: named assemblies (meshes, spawned units and buildings,
// splats, effects) the level generator puts at a site, several records of one name being
// variants of it. So far a record carries what the heightmap reads (its clearing); the
// mission objects' issue adds the script reader, the rest of the record and PlaceObject.
#include <cstdint>
#include <vector>

// MissionObject::objectFlags: the record is one of several variants of its name.
constexpr uint32_t MISSION_OBJECT_HAS_VARIANTS = 0x1;

// MissionObject::clearingShape
enum ClearingShape {
    CLEARING_DISC = 0,
    CLEARING_SQUARE = 1,
    CLEARING_PLUS = 2,
    CLEARING_ROCK_HILL = 3,
    CLEARING_ROUGH = 4,
    CLEARING_COMPOUND = 5,
};

struct MissionObject {
    char name[64] = "";
    int variantIndex = 0;
    int variantCount = 0;
    uint32_t objectFlags = 0;
    int clearingRadius = 8;
    int clearingShape = CLEARING_DISC;
};

class MissionObjects {
public:
    // The record of that name (case ignored): variant 0 or more picks that variant; below 0
    // one of the name's variants at random (one Rand() per variant walked). Null when no
    // record has the name.
    const MissionObject* Find(const char* name, int variant) const;

    std::vector<MissionObject> records;  // file order
    bool loaded = false;
};

// Made by the front end; null until then, and every object is then missing.
extern MissionObjects* TheMissionObjects;
