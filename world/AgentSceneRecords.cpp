// An agent's lines in scene and save files: the writer and the reader of what an agent adds
// to the entity's lines (its type, orders, load, brain and progress). Cells are the level
// grid's (column, row); -1 -1 stands for none.
#include "world/AgentSceneRecords.h"

#include "host/Lexer.h"
#include "host/Log.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/AiBrain.h"
#include "world/Building.h"
#include "world/Grid.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {

// The cell of a position; false (with -1 -1) off the grid or without one.
bool CellOf(const Vec3& position, int* column, int* row)
{
    *column = *row = -1;
    const Grid* grid = CurrentGrid();
    return grid && grid->WorldToCell(position, column, row);
}

Vec3 CellPosition(int column, int row)
{
    const Grid* grid = CurrentGrid();
    if (grid) return grid->CellToWorld(column, row);
    Grid level(128, 2.5f);
    return level.CellToWorld(column, row);
}

bool IsCell(int column, int row)
{
    return column != -1 || row != -1;
}

void WriteCellLine(FILE* file, const char* format, Entity* entity)
{
    int column, row;
    if (entity && CellOf(entity->GetPosition(), &column, &row)) fprintf(file, format, column, row);
}

int BrainMode(const Agent* agent)
{
    return agent->brain ? agent->brain->mode : AI_MODE_NONE;
}

}  // namespace

void Agent::SaveToScene(FILE* file)
{
    if (!file) return;
    if (flags & ENTITY_PLAYER) {
        if (BrainMode(this) == AI_MODE_BUILD) fprintf(file, "PlayerState\t\tBuild\n");
        if (BrainMode(this) == AI_MODE_REPAIR) fprintf(file, "PlayerState\t\tRepair\n");
        if (Entity* building = activeBuilding.Get())
            WriteCellLine(file, "PlayerActiveBuilding\t\t%d %d\n", building);
        else if (Entity* object = activeObject.Get())
            WriteCellLine(file, "PlayerActiveObject\t\t%d %d\n", object);
        return;
    }
    const AgentType* type = TheGame && TheGame->agentTypes ? TheGame->agentTypes->FindTypeFor(this) : nullptr;
    if (!type) return;

    // Inside an upgrader or recycler: at work there, or held by it and waiting.
    Entity* building = activeBuilding.Get();
    const bool inside = building && (building->flags & ENTITY_BUILDING) &&
                        (processTimer > 0.0f || static_cast<Building*>(building)->recycleTimer > 0.0f ||
                         static_cast<Building*>(building)->HeldUnit() == this);
    if (inside)
        fprintf(file, "CreateAgent\t\t\t%s\n", type->name);
    else
        fprintf(file, "AddAgent\t\t\t\t%s\n", type->name);
    // A unit on another side than its type's (an enemy bot, a scavenger won over) says so
    // before the lines that are read by side.
    if (!type->prototype || alignment != type->prototype->alignment)
        fprintf(file, "SetAlignment\t\t%s\n", AlignmentWord(alignment));
    // The own maximum: upgrades are saved apart and add to it again when read back.
    fprintf(file, "SetBothHealth\t\t\t" SCENE_EXACT " " SCENE_EXACT "\n", health, maxHealth);
    if (yaw != 0.0f) fprintf(file, "SetRotate\t\t\t\t\t" SCENE_EXACT "\n", yaw);
    if (targetYaw != yaw) fprintf(file, "TurningTo\t\t\t\t" SCENE_EXACT "\n", targetYaw);
    fprintf(file, "SetScale\t\t\t\t" SCENE_EXACT " " SCENE_EXACT " " SCENE_EXACT "\n", scale, scale, scale);
    int column, row;
    if (!inside) {
        CellOf(GetPosition(), &column, &row);
        fprintf(file, "SetMapCoord\t\t\t%d %d\n", column, row);
        // The cell for a reader that knows no more; the place itself, where the unit stood in it.
        const Vec3 at = GetPosition();
        fprintf(file, "SetPosition\t\t\t" SCENE_EXACT " " SCENE_EXACT " " SCENE_EXACT "\n", at.x, at.y, at.z);
    }
    if (groupId > -1) fprintf(file, "SetGroupId\t\t\t%d\n", groupId);
    if (botExperience > 0) fprintf(file, "Kills\t\t\t\t\t%d\n", kills);
    // Each line ends: a number running into the next keyword would be read as one word.
    if (classWord & AGENT_CLASS_MINE_LAYER) fprintf(file, "Mines\t\t\t\t\t%d\t%.2f\n", mines, mineTimer);
    if (flags & ENTITY_OBJECT_OF_INTEREST) fprintf(file, "SetFlag\t\t\t\tENTITY_OBJECT_OF_INTEREST\n");
    if (classWord & AGENT_OBJECTIVE) fprintf(file, "SetAgentObjective\n");
    if (classWord & AGENT_CLOAKED) fprintf(file, "CloakedTime\t\t\t\t%.2f\n", cloakTime);
    if (freezeTime > 0.0f) fprintf(file, "FreezeTime\t\t\t\t%.2f\n", freezeTime);
    if (classWord & AGENT_SPAWNED) fprintf(file, "SetAgentIsSpawned\n");
    if (classWord & AGENT_DISCOVERED) fprintf(file, "SetAgentDiscovered\n");
    // Seen by the player: the fog does not find it again.
    if (discovered) fprintf(file, "SetVisited\t\t%d\n", (int)discovered);
    WriteCellLine(file, "ActiveBuilding\t\t%d %d\n", building);

    if (alignment == ALIGN_PLAYER) {
        // The "AIMode" line keeps how the unit was told to fight (its stance).
        if (stance != AGENT_STANCE_DEFAULT) fprintf(file, "AIMode\t\t\t\t\t%d\n", stance);
        if (upgradeFlags != 0) fprintf(file, "SetUpgradeFlags\t\t\t%d\n", (int)upgradeFlags);
        if (botExperience > 0) fprintf(file, "BotExperience\t\t\t\t%d\n", botExperience);
        if (TheGame) TheGame->WriteControlGroups(this, file);
        if (HasStanceBits() && BrainMode(this) == AI_MODE_IDLE && CellOf(moveTarget, &column, &row))
            fprintf(file, "MoveCommand\t\t%d %d\n", column, row);
        for (const PooledList<Vec3>::Node* node = moveQueue.Points().head; node; node = node->next)
            if (CellOf(node->value, &column, &row)) fprintf(file, "MoveWaypoint\t\t%d %d\n", column, row);
        if (classWord & AGENT_CLASS_MINER) {
            if (oreLoad > 0.0f || loadValue > 0.0f || workTimer > 0.0f)
                fprintf(file, "MinerData\t\t\t%.2f %.2f %.2f\n", oreLoad, loadValue, workTimer);
            Entity* ore = mine.Get();
            Entity* home = dropOff.Get();
            if (ore || home) {
                int mineColumn = -1, mineRow = -1, homeColumn = -1, homeRow = -1;
                if (ore) CellOf(ore->GetPosition(), &mineColumn, &mineRow);
                if (home) CellOf(home->GetPosition(), &homeColumn, &homeRow);
                fprintf(file, "MinerCoords\t\t%d %d %d %d\n", mineColumn, mineRow, homeColumn, homeRow);
            }
            if (BrainMode(this) == AI_MODE_MINING) fprintf(file, "BrainState\t\tMining\n");
            if (BrainMode(this) == AI_MODE_MINING_RETURN_TO_DROPOFF)
                fprintf(file, "BrainState\t\tMiningReturnToDropoff\n");
        }
    } else {
        // The experience first: it sets a level, which the saved level then overrides. Without
        // it the next save would drop the kills that go with it.
        if (botExperience > 0) fprintf(file, "BotExperience\t\t\t\t%d\n", botExperience);
        if (alignment == ALIGN_ENEMY) {
            column = row = -1;
            if (spawnPoint.x > -900.0f) CellOf(spawnPoint, &column, &row);
            fprintf(file, "SpawnCoord\t\t\t%d %d\n", column, row);
            if (botLevel > 0 || (botExperience > 0 && LevelForExperience(botExperience) != botLevel))
                fprintf(file, "BotLevel\t\t\t\t%d\n", botLevel);
        }
    }
}

namespace {

struct RecordReader {
    Lexer& in;
    Scene& scene;
    Agent* agent;
    std::string* glued;

    bool Int(int* out)
    {
        const char* token = in.Peek();
        int value = 0;
        if (!token || in.ToInt(token, &value) != NumberStatus::OK) return false;
        in.Next();
        *out = value;
        return true;
    }
    // A number, or a number with the next keyword glued to it (the keyword is kept for the
    // reader to read next).
    bool Float(float* out)
    {
        const char* token = in.Peek();
        if (!token) return false;
        float value = 0.0f;
        size_t length = ScanNumber(token, true, true);
        if (length == 0 || !isalpha((unsigned char)token[length])) {
            if (in.ToFloat(token, &value) != NumberStatus::OK) return false;
            in.Next();
            *out = value;
            return true;
        }
        std::string number(token, length), rest(token + length);
        if (in.ToFloat(number.c_str(), &value) != NumberStatus::OK) return false;
        in.Next();
        *out = value;
        if (glued) *glued = rest;
        return true;
    }
    bool Cell(int* column, int* row) { return Int(column) && Int(row); }

    // The entity standing in a cell now, or, when the level is still being read, a link made
    // once it stands.
    void Link(int kind, int column, int row)
    {
        if (!agent || !IsCell(column, row)) return;
        // An agent in none of the lists waits inside the building: it is handed to the building
        // once the level stands.
        const bool held = kind == LINK_ACTIVE_BUILDING && !scene.Resolve(agent, agent->id);
        const bool toBuilding = kind == LINK_ACTIVE_BUILDING || kind == LINK_DROP_OFF;
        Entity* found = held         ? nullptr
                        : toBuilding ? scene.FindBuildingAtCell(column, row)
                                     : scene.FindEntityAtCell(column, row);
        switch (found ? kind : 0) {
        case LINK_ACTIVE_BUILDING: agent->activeBuilding.Set(found); return;
        case LINK_ACTIVE_OBJECT: agent->activeObject.Set(found); return;
        case LINK_MINE: agent->mine.Set(found); return;
        case LINK_DROP_OFF: agent->dropOff.Set(found); return;
        default: break;
        }
        if (!scene.AddPendingLink(agent, kind, column, row))
            Log("ERROR Scene: no room for the link of %s to cell %d %d\n", agent->name, column, row);
    }
};

// The player's rig in the scene.
Agent* FindRig(Scene& scene)
{
    for (int segment : {SEGMENT_UNIT, SEGMENT_AIR_UNIT})
        for (Scene::Node* node = scene.FirstInList(segment); node; node = scene.NextInList(node))
            if (node->value && (node->value->flags & ENTITY_PLAYER)) return static_cast<Agent*>(node->value);
    return nullptr;
}

}  // namespace

bool ReadAgentSceneRecord(const char* keyword, Lexer& in, Scene& scene, Agent* agent, std::string* glued)
{
    if (glued) glued->clear();
    const std::string word = keyword ? keyword : "";
    RecordReader r{in, scene, agent, glued};
    int column = -1, row = -1, value = 0;
    float number = 0.0f;

    if (word == "PlayerState") {
        std::string state = in.NextValue();
        Agent* rig = FindRig(scene);
        int mode = state == "Build" ? AI_MODE_BUILD : state == "Repair" ? AI_MODE_REPAIR : -1;
        if (rig && rig->brain && mode >= 0) rig->brain->mode = mode;
        return true;
    }
    if (word == "PlayerActiveBuilding" || word == "PlayerActiveObject") {
        if (!r.Cell(&column, &row)) return true;
        r.agent = FindRig(scene);
        r.Link(word == "PlayerActiveBuilding" ? LINK_ACTIVE_BUILDING : LINK_ACTIVE_OBJECT, column, row);
        return true;
    }
    if (word == "SetGroupId") {
        if (r.Int(&value) && agent) {
            agent->groupId = value;
            agent->classWord |= AGENT_CLASS_RAIDER;
        }
    } else if (word == "Mines") {
        if (r.Int(&value) && agent) agent->mines = value;
        if (r.Float(&number) && agent) agent->mineTimer = number;
    } else if (word == "CloakedTime") {
        if (r.Float(&number) && agent) {
            agent->cloakTime = number;
            agent->classWord |= AGENT_CLOAKED;
        }
    } else if (word == "FreezeTime") {
        if (r.Float(&number) && agent) agent->freezeTime = number;
    } else if (word == "SetAgentObjective") {
        if (agent) agent->classWord |= AGENT_OBJECTIVE;
    } else if (word == "SetAgentIsSpawned") {
        if (agent) agent->classWord |= AGENT_SPAWNED;
    } else if (word == "SetAgentDiscovered") {
        if (agent) agent->classWord |= AGENT_DISCOVERED;
    } else if (word == "ActiveBuilding") {
        if (r.Cell(&column, &row)) r.Link(LINK_ACTIVE_BUILDING, column, row);
    } else if (word == "MinerCoords") {
        int homeColumn = -1, homeRow = -1;
        if (r.Cell(&column, &row) && r.Cell(&homeColumn, &homeRow)) {
            r.Link(LINK_MINE, column, row);
            r.Link(LINK_DROP_OFF, homeColumn, homeRow);
        }
    } else if (word == "SpawnCoord") {
        // -1 -1: the agent has no spawn point yet, not the cell in the corner.
        if (r.Cell(&column, &row) && agent)
            agent->spawnPoint = IsCell(column, row) ? CellPosition(column, row) : Vec3(-1000.0f, -1000.0f, -1000.0f);
    } else if (word == "BotLevel") {
        if (r.Int(&value) && agent) agent->botLevel = value < 0 ? 0 : value > 10 ? 10 : value;
    } else if (word == "BotExperience") {
        if (r.Int(&value) && agent) {
            agent->botExperience = value < 0 ? 0 : value;
            agent->botLevel = Agent::LevelForExperience(agent->botExperience);
        }
    } else if (word == "AIMode") {
        // How the unit was told to fight; a number no stance has leaves it as it comes.
        if (r.Int(&value) && agent)
            agent->stance = value >= AGENT_STANCE_DEFAULT && value <= AGENT_STANCE_STOP ? value : AGENT_STANCE_DEFAULT;
    } else if (word == "SetUpgradeFlags") {
        if (r.Int(&value) && agent) agent->upgradeFlags = (uint32_t)value;
    } else if (word == "MoveCommand" || word == "MoveWaypoint") {
        if (r.Cell(&column, &row) && agent && !agent->moveQueue.Push(CellPosition(column, row)))
            Log("ERROR Scene: the move queue of %s is full\n", agent->name);
    } else if (word == "MinerData") {
        float load = 0.0f, worth = 0.0f, timer = 0.0f;
        if (r.Float(&load) && r.Float(&worth) && r.Float(&timer) && agent) {
            agent->oreLoad = load;
            agent->loadValue = worth;
            agent->workTimer = timer;
        }
    } else if (word == "BrainState") {
        std::string state = in.NextValue();
        int mode = AIBrain::FindMode(state.c_str());
        if (mode < 0)
            in.Warn(in.Line(), "unknown brain state '%s'", state.c_str());
        else if (agent && agent->brain)
            agent->brain->mode = mode;
    } else {
        return false;
    }
    return true;
}

void RestoreRigOrder(Agent* rig)
{
    if (!rig || !rig->brain) return;
    const int mode = rig->brain->mode;
    if (mode == AI_MODE_BUILD) rig->brain->SetJob("Build", rig, AI_MODE_BUILD);
    if (mode == AI_MODE_REPAIR) rig->brain->SetJob("Repair", rig, AI_MODE_REPAIR);
}
