#include "mechanics/OrderQueue.h"

#include "mechanics/Scene.h"
#include "world/Entity.h"

#include <cstring>

OrderQueue TheOrders;

namespace {

unsigned LevelFirstId = FIRST_ENTITY_ID;

// The most units one order may name and the longest name it may carry: a file that says more is
// not an order.
constexpr uint32_t MOST_UNITS = 4096;
constexpr uint32_t LONGEST_TEXT = 4096;

void Put(std::string& out, const void* data, size_t size) { out.append(static_cast<const char*>(data), size); }
void PutU16(std::string& out, uint16_t v)
{
    const unsigned char b[2] = {(unsigned char)(v & 0xff), (unsigned char)(v >> 8)};
    Put(out, b, 2);
}
void PutU32(std::string& out, uint32_t v)
{
    const unsigned char b[4] = {(unsigned char)(v & 0xff), (unsigned char)(v >> 8 & 0xff), (unsigned char)(v >> 16 & 0xff),
                                (unsigned char)(v >> 24)};
    Put(out, b, 4);
}
void PutFloat(std::string& out, float v)
{
    uint32_t bits;
    memcpy(&bits, &v, 4);
    PutU32(out, bits);
}

struct Reader {
    const std::string& in;
    size_t at;
    bool ok = true;
    bool Has(size_t n) { return ok && (ok = in.size() >= at && in.size() - at >= n); }
    uint16_t U16()
    {
        if (!Has(2)) return 0;
        const unsigned char* p = reinterpret_cast<const unsigned char*>(in.data()) + at;
        at += 2;
        return (uint16_t)(p[0] | p[1] << 8);
    }
    uint32_t U32()
    {
        if (!Has(4)) return 0;
        const unsigned char* p = reinterpret_cast<const unsigned char*>(in.data()) + at;
        at += 4;
        return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
    }
    float Float()
    {
        const uint32_t bits = U32();
        float v;
        memcpy(&v, &bits, 4);
        return v;
    }
};

}  // namespace

bool PlayerOrder::operator==(const PlayerOrder& other) const
{
    return kind == other.kind && units == other.units && target == other.target &&
           memcmp(&point, &other.point, sizeof point) == 0 && args[0] == other.args[0] && args[1] == other.args[1] &&
           text == other.text;
}

void AppendOrder(std::string& out, const PlayerOrder& order)
{
    PutU16(out, order.kind);
    PutU32(out, (uint32_t)order.units.size());
    for (uint32_t unit : order.units) PutU32(out, unit);
    PutU32(out, order.target);
    PutFloat(out, order.point.x);
    PutFloat(out, order.point.y);
    PutFloat(out, order.point.z);
    PutU32(out, (uint32_t)order.args[0]);
    PutU32(out, (uint32_t)order.args[1]);
    PutU32(out, (uint32_t)order.text.size());
    out += order.text;
}

bool ReadOrder(const std::string& in, size_t* at, PlayerOrder* out)
{
    Reader r{in, *at};
    PlayerOrder order;
    order.kind = r.U16();
    const uint32_t count = r.U32();
    if (!r.ok || count > MOST_UNITS || !r.Has((size_t)count * 4)) return false;
    order.units.resize(count);
    for (uint32_t& unit : order.units) unit = r.U32();
    order.target = r.U32();
    order.point.x = r.Float();
    order.point.y = r.Float();
    order.point.z = r.Float();
    order.args[0] = (int32_t)r.U32();
    order.args[1] = (int32_t)r.U32();
    const uint32_t length = r.U32();
    if (!r.ok || length > LONGEST_TEXT || !r.Has(length)) return false;
    order.text.assign(in, r.at, length);
    r.at += length;
    *out = std::move(order);
    *at = r.at;
    return true;
}

void StartLevelNumbers() { LevelFirstId = NextEntityId; }

uint32_t LevelNumberOf(const Entity* entity)
{
    if (!entity || entity->id < LevelFirstId) return NO_LEVEL_ENTITY;
    return entity->id - LevelFirstId;
}

Entity* EntityOfLevelNumber(uint32_t number)
{
    if (number == NO_LEVEL_ENTITY) return nullptr;
    Entity* found = TheScene.FindEntityById((int)(LevelFirstId + number), SEGMENTS_ALL);
    return found && !(found->flags & ENTITY_DEAD) ? found : nullptr;
}

void OrderQueue::Give(const PlayerOrder& order)
{
    if (fedByReplay) return;
    waiting_.push_back(order);
}

std::vector<PlayerOrder> OrderQueue::TakeForTick()
{
    std::vector<PlayerOrder> taken;
    taken.swap(waiting_);
    lastTaken_ = taken;
    return taken;
}

void OrderQueue::FeedForTick(std::vector<PlayerOrder> orders) { waiting_ = std::move(orders); }

void OrderQueue::Clear()
{
    waiting_.clear();
    lastTaken_.clear();
}
