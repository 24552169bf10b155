#include "world/Item.h"

#include "host/System.h"
#include "platform/StringTable.h"

#include <cstdlib>

Item::Item()
{
    flags |= ENTITY_ITEM;
    CopyText(iconPath, sizeof iconPath, "data/gui/black.dds");
    CopyText(meshPath, sizeof meshPath, "none");
    CopyText(soundName, sizeof soundName, "blip");
    longDescription = GameText("<none>");
    shortDescription = GameText("<none>");
    itemFlags = 0;
    upgradeFlags = 0;
    specialFlags = 0;
    reserved = 0;
    kind = ITEM_KIND_PICKUP;
    action = 0;
    actionValue = 0;
    salvageIdleTime = 0.0f;
    // The icon picture is looked up when the catalogue names one.
    iconTexture = nullptr;
    iconCell = -1;
    stackCount = 1;
    for (float& value : bonus) value = 0.0f;
    price = 100;
    buyLevel = 1;
    CopyText(buyRequirement, sizeof buyRequirement, "none");
    achievement = -1;
    rarity = 1.0f;
    CopyText(buildRequirement, sizeof buildRequirement, "none");
    buildEnergy = 100;
    CopyText(patternName, sizeof patternName, "none");
    for (uint32_t& word : reservedWords) word = 0;
}

Item::~Item()
{
    free(ownedBlock_);
}

void Item::AdoptBlock(void* block)
{
    if (block == ownedBlock_) return;
    free(ownedBlock_);
    ownedBlock_ = block;
}
