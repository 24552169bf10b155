#include "terrain/MinimapPings.h"

#include "platform/InputState.h"
#include "render/GraphicsDevice.h"
#include "render/RenderStateCache.h"
#include "render/Sprite.h"
#include "terrain/Minimap.h"
#include "world/Agent.h"
#include "world/Building.h"

#include <cmath>

namespace {

const char* const PING_TEXTURE = "Data/gui/planet_controls.dds";
constexpr int CELL_DAMAGE = 0x4040003;
constexpr int CELL_ORDER = 0x4040103;
constexpr int CELL_DESTINATION = 0x4040203;
constexpr int CELL_WAYPOINT = 0x4040303;
constexpr int MAX_WAYPOINTS_SHOWN = 16;

bool SamePing(const Ping& a, const Ping& b)
{
    const float e = 0.001f;
    return std::fabs(a.position.x - b.position.x) <= e && std::fabs(a.position.y - b.position.y) <= e &&
           std::fabs(a.position.z - b.position.z) <= e && a.kind == b.kind && a.entityId == b.entityId;
}

// Screen pixels of a map point: the whole screen stands for the picture.
void MapToScreen(const Vec3& p, int ws, int hs, float* x, float* y)
{
    *x = MinimapU(p.x) * (float)ws;
    *y = MinimapV(p.z) * (float)hs;
}

void DrawCentred(Sprite* sprite, float x, float y, int w, int h)
{
    int left = (int)(x - w / 2);
    int top = (int)(y - h / 2);
    sprite->SetRect(left, top, left + w, top + h);
    sprite->Draw();
}

}  // namespace

PingList::PingList()
{
    list.Init(CAPACITY);
}

PingList::~PingList()
{
    ReleaseSprite();
}

bool PingList::Add(const Vec3& position, int kind, int entityId, float time, int frame)
{
    if (list.count >= CAPACITY) return false;
    for (PooledList<Ping>::Node* node = list.head; node; node = node->next)
        if (node->value.entityId == entityId) {
            Remove(node->value);
            break;
        }
    if (kind == PING_DAMAGE) {
        lastAlertPosition = position;
        lastAlertFrame = frame;
    }
    Ping ping;
    ping.position = position;
    ping.kind = kind;
    ping.timeLeft = time;
    ping.entityId = entityId;
    return list.PushBack(ping);
}

bool PingList::Remove(const Ping& ping)
{
    PooledList<Ping>::Node* previous = nullptr;
    for (PooledList<Ping>::Node* node = list.head; node; previous = node, node = node->next)
        if (SamePing(node->value, ping)) {
            list.Unlink(previous, node);
            return true;
        }
    return false;
}

void PingList::RemoveAll()
{
    list.Clear();
    lastAlertFrame = 0;
}

void PingList::Step()
{
    PooledList<Ping>::Node* previous = nullptr;
    PooledList<Ping>::Node* node = list.head;
    while (node) {
        PooledList<Ping>::Node* next = node->next;
        node->value.timeLeft -= STEP;
        if (node->value.timeLeft <= 0.0f)
            list.Unlink(previous, node);
        else
            previous = node;
        node = next;
    }
}

void PingList::PulseSize(float timeLeft, int ws, int hs, int* width, int* height)
{
    // The pulse grows from nothing to 40 once a second.
    float t = 40.0f * (1.0f - std::fmod(timeLeft, 1.0f));
    int k = (int)t;
    *width = (int)((float)(k * ws) / 1024.0f) + (int)(0.109375f * (float)ws);
    *height = (int)((float)((int)(0.75f * t) * hs) / 768.0f) + (int)(0.145833f * (float)hs);
}

void PingList::CreateSprite(int screenHeight)
{
    if (sprite) return;
    int side = screenHeight / 48;
    sprite = ::CreateSprite(0, 0, side, side, PING_TEXTURE, 0xFFFFFFFF, 0.0f, 0.0f, 1.0f, 1.0f, true);
    if (sprite) sprite->SetAtlasCell(CELL_DAMAGE);
}

void PingList::ReleaseSprite()
{
    if (!sprite) return;
    ::ReleaseSprite(sprite);
    delete sprite;
    sprite = nullptr;
}

bool PingList::FindDestination(Entity* selected, Vec3* destination, Vec3* waypoints, int max, int* waypointCount)
{
    *waypointCount = 0;
    if (!selected) return false;
    if (selected->flags & ENTITY_BUILDING) {
        Building* building = static_cast<Building*>(selected);
        if (!(building->stateFlags & BUILDING_RALLY_POINT)) return false;
        *destination = building->rallyPoint;
        return true;
    }
    if (!(selected->flags & ENTITY_AGENT)) return false;
    Agent* agent = static_cast<Agent*>(selected);
    if (!agent->HasStanceBits()) return false;
    *destination = agent->moveTarget;
    for (const PooledList<Vec3>::Node* node = agent->moveQueue.Points().head; node && *waypointCount < max;
         node = node->next)
        waypoints[(*waypointCount)++] = node->value;
    return true;
}

void PingList::Draw(int ws, int hs, Sprite* rigMarker, Entity* rig, Entity* selected, bool shiftHeld)
{
    if (!sprite) return;
    Step();
    RenderStates.SetRenderState(RS_LIGHTING, 0);
    RenderStates.SetRenderState(RS_ZENABLE, 0);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 0);
    for (PooledList<Ping>::Node* node = list.head; node; node = node->next) {
        const Ping& ping = node->value;
        int w = 0, h = 0;
        PulseSize(ping.timeLeft, ws, hs, &w, &h);
        float x, y;
        MapToScreen(ping.position, ws, hs, &x, &y);
        sprite->SetAtlasCell(ping.kind == PING_DAMAGE ? CELL_DAMAGE : CELL_ORDER);
        DrawCentred(sprite, x, y, w, h);
    }

    Vec3 destination, waypoints[MAX_WAYPOINTS_SHOWN];
    int count = 0;
    if (shiftHeld && FindDestination(selected, &destination, waypoints, MAX_WAYPOINTS_SHOWN, &count)) {
        int w = (int)(0.09375f * (float)ws), h = (int)(0.125f * (float)hs);
        float x, y;
        MapToScreen(destination, ws, hs, &x, &y);
        // The flag stands on the point: its foot a quarter of its width in from the left.
        int left = (int)(x - w / 4), top = (int)(y - (int)(0.8f * (float)h));
        sprite->SetAtlasCell(CELL_DESTINATION);
        sprite->SetRect(left, top, left + w, top + h);
        sprite->Draw();
        sprite->SetAtlasCell(CELL_WAYPOINT);
        for (int i = 0; i < count; ++i) {
            MapToScreen(waypoints[i], ws, hs, &x, &y);
            DrawCentred(sprite, x, y, w, h);
        }
    }

    if (rigMarker && rig) {
        float x, y;
        MapToScreen(rig->GetCenter(), ws, hs, &x, &y);
        DrawCentred(rigMarker, x, y, hs / 6, hs / 12);
    }
}
