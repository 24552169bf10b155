#include "interface/MissionBriefingGui.h"

MissionBriefingGui* TheMissionBriefing = nullptr;
