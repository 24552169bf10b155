#include "levelgen/MissionObjects.h"

#include "host/Random.h"
#include "host/System.h"

MissionObjects* TheMissionObjects = nullptr;

const MissionObject* MissionObjects::Find(const char* name, int variant) const
{
    if (!name) return nullptr;
    const MissionObject* choice = nullptr;
    int k = 0;
    for (const MissionObject& record : records) {
        if (StrICmp(record.name, name) != 0) continue;
        if (variant >= 0) {
            if (record.variantIndex == variant) return &record;
            continue;
        }
        // Each of the k variants seen so far stays the choice with chance 1/k.
        ++k;
        if (Rand() % k == 0) choice = &record;
        if (!(record.objectFlags & MISSION_OBJECT_HAS_VARIANTS)) break;
    }
    return choice;
}
