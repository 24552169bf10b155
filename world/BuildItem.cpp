#include "world/BuildItem.h"

#include "host/System.h"
#include "platform/StringTable.h"
#include "world/Entity.h"

#include <cstring>
#include <new>

BuildItem::BuildItem()
{
    CopyText(name, sizeof name, "none");
    CopyText(iconName, sizeof iconName, "none");
    longDescription = GameText("<none>");
    shortDescription = GameText("<none>");
    prototype = nullptr;
    CopyText(splatTextures[0], sizeof splatTextures[0], "none");
    CopyText(splatTextures[1], sizeof splatTextures[1], "none");
    iconTexture = nullptr;
    iconCell = -1;
    units = nullptr;
    category = 0;
    flags = 0;
    buildWidth = buildDepth = 1;
    costPower = costOre = costFuel = 0;
    buildTime = 10.0f;
    buyCost = buyLevel = 0;
    weapon = 9;
    resourcePower = resourceOre = resourceFuel = resourceCredits = 0;
    for (int i = 0; i < BUILD_ITEM_MESHES; ++i) {
        constructionMeshes[i] = nullptr;
        addedMeshes[i] = nullptr;
        addedMeshFlags[i] = 0;
    }
    constructionMeshCount = 0;
    addedMeshCount = 0;
    CopyText(spawnType, sizeof spawnType, "miner");
    spawnCounts[0] = spawnCounts[1] = 5;
    spawnInterval = 10.0f;
    spawnRadius = 10.0f;
    level = 0;
    addOnFlags = 0;
    particleSystem[0] = 0;
    CopyText(selectedSound, sizeof selectedSound, "none");
    turretPivot = Vec3();
}

BuildItem::~BuildItem()
{
    delete units;
}

BuildItemList::BuildItemList()
{
    items.Init(MAX_BUILD_ITEMS);
}

BuildItemList::~BuildItemList()
{
    for (PooledList<BuildItem*>::Node* node = items.head; node; node = node->next) delete node->value;
}

BuildItem* BuildItemList::Add(Entity* prototype, const char* name)
{
    if (items.IsFull()) return nullptr;
    BuildItem* item = new (std::nothrow) BuildItem();
    if (!item) return nullptr;
    item->prototype = prototype;
    const char* itemName = prototype ? prototype->name : name;
    if (itemName) CopyText(item->name, sizeof item->name, itemName);
    items.PushBack(item);
    return item;
}

BuildItem* BuildItemList::FindByName(const char* name) const
{
    if (!name) return nullptr;
    for (PooledList<BuildItem*>::Node* node = items.head; node; node = node->next)
        if (strcmp(node->value->name, name) == 0) return node->value;
    return nullptr;
}

void BuildItemList::MarkAll()
{
    for (PooledList<BuildItem*>::Node* node = items.head; node; node = node->next)
        if (!(node->value->flags & BUILD_AI_CAN_BUILD)) node->value->flags |= BUILD_MARKED;
}

void BuildItemList::ClearMarks()
{
    for (PooledList<BuildItem*>::Node* node = items.head; node; node = node->next) node->value->flags &= ~BUILD_MARKED;
}
