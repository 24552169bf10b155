#include "mechanics/RigFitting.h"

#include "campaign/PlayerProfile.h"
#include "host/Log.h"
#include "host/System.h"
#include "mechanics/Bag.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/ScreenHooks.h"
#include "platform/SoundManager.h"
#include "world/Agent.h"
#include "world/AgentCombat.h"
#include "world/Item.h"

const RigAttachmentSlot RIG_ATTACHMENTS[RIG_ATTACHMENT_SLOTS] = {
    {"engine", "attach", ITEM_KIND_ENGINE},
    {"tanks", "attach", ITEM_KIND_STORAGE},
    {"leftweapon", "LeftWeapon", ITEM_KIND_WEAPON},
    {"rightweapon", "RightWeapon", ITEM_KIND_WEAPON},
    {"centergun", "CenterGun", ITEM_KIND_WEAPON},
};

namespace {

void Sound(const char* name)
{
    if (SoundMgr && name) SoundMgr->PlaySound(name);
}

Agent* PlayerRig()
{
    const PlayerProfile* profile = GetPlayerProfile();
    return profile ? profile->rig : nullptr;
}

// A part the pilot may not fit yet: the refusal says why, not only how it sounds.
void RefuseForLevel()
{
    TellPlayer("Insufficient level!", 2.0f);
    Sound("bad");
}

// Puts an item down beside the rig in the level; false (the item still the caller's) without a
// level or when the level refuses it.
bool DropBesideRig(Item* item)
{
    return item && TheGame && TheGame->state == GAME_STATE_PLAYING && PlaceItemBesideRig(item);
}

}  // namespace

Item* TakeRigAttachment(Agent* rig, int index)
{
    if (!rig || index < 0 || index >= RIG_ATTACHMENT_SLOTS) return nullptr;
    const RigAttachmentSlot& slot = RIG_ATTACHMENTS[index];
    Entity* held = rig->GetAttachedEntity(slot.name);
    if (!held || !(held->flags & ENTITY_ITEM)) return nullptr;
    // Disowned first, so that letting go of it does not free it.
    rig->AddAttachment(held, slot.name, slot.bone, false);
    rig->RemoveAttachment(slot.name);
    return static_cast<Item*>(held);
}

int FitAttachmentFromHand(Bag& bag, int index)
{
    const PlayerProfile* profile = GetPlayerProfile();
    Agent* rig = PlayerRig();
    if (!rig || index < 0 || index >= RIG_ATTACHMENT_SLOTS) return 1;
    const RigAttachmentSlot& slot = RIG_ATTACHMENTS[index];
    if (Item* carried = bag.dragItem) {
        if (carried->buyLevel > profile->level) {
            RefuseForLevel();
            return 1;
        }
        if (carried->kind != slot.itemKind) {
            Sound(index < 2 ? "blip" : "bad");
            return 1;
        }
        Item* previous = TakeRigAttachment(rig, index);
        rig->AddAttachment(carried, slot.name, slot.bone, true);
        if (rig->GetAttachedEntity(slot.name) != carried) {
            // The rig has no room for another part: everything stays as it was.
            if (previous) rig->AddAttachment(previous, slot.name, slot.bone, true);
            Sound("bad");
            return 1;
        }
        bag.TakeCarried();
        if (previous) bag.Carry(previous);
    } else {
        Item* detached = TakeRigAttachment(rig, index);
        if (!detached) {
            Sound("bad");
            return 1;
        }
        bag.Carry(detached);
    }
    Sound("blip");
    return 1;
}

int FitModuleFromHand(Bag& bag, int slot)
{
    const PlayerProfile* profile = GetPlayerProfile();
    Agent* rig = PlayerRig();
    if (!rig || slot < 0 || slot >= RIG_MODULE_SLOTS_SHOWN) return 1;
    if (Item* carried = bag.dragItem) {
        if (carried->kind != ITEM_KIND_UPGRADE) {
            Sound("bad");
            return 0;
        }
        if (carried->buyLevel > profile->level) {
            RefuseForLevel();
            return 0;
        }
        bag.TakeCarried();
        if (Item* previous = rig->EquipItem(carried, slot)) bag.Carry(previous);
    } else if (Item* removed = rig->UnequipItem(slot)) {
        bag.Carry(removed);
    }
    Sound("blip");
    return 1;
}

int FitRigPart(bool module, int index, const char* name, int fromSlot)
{
    Bag& bag = *PlayerBag;
    if (!name) return 0;
    // The world's hand is empty between ticks: the part comes out of the bag, from the slot the
    // hand held when it still holds it, and what the rig gives back goes into the bag.
    // What the hand carried into the level is fitted when it is the part named, else put away.
    Item* carried = bag.dragItem;
    if (carried && !(name[0] && StrICmp(carried->name, name) == 0)) {
        bag.TakeCarried();
        if (!bag.PutAway(carried, true, -1)) {
            bag.Carry(carried);
            return 0;
        }
    }
    if (name[0] && !bag.dragItem) {
        Item* part = bag.TakeOne(fromSlot, name);
        if (!part) return 0;
        bag.Carry(part);
    }
    const int pressed = module ? FitModuleFromHand(bag, index) : FitAttachmentFromHand(bag, index);
    Item* back = bag.TakeCarried();
    if (!back) return pressed;
    const int slot = fromSlot >= 0 && fromSlot < Bag::SLOT_COUNT ? fromSlot : -1;
    if (!bag.AddItem(back, false, false, slot)) {
        // No room left: the part is put down beside the rig rather than lost.
        if (!DropBesideRig(back)) {
            Log("ERROR: the part %s has no place left in the bag and is lost\n", back->name);
            delete back;
        }
        return pressed;
    }
    // The player goes on holding what the rig gave back (the viewer of a replay holds nothing).
    if (!TheOrders.fedByReplay)
        for (int i = 0; i < Bag::SLOT_COUNT; ++i)
            if (bag.slots[i].item == back && TheScreenHooks) TheScreenHooks->HoldBagSlot(i);
    return pressed;
}

bool SkillIsFull(int skill)
{
    const PlayerProfile* profile = GetPlayerProfile();
    return profile && skill >= 0 && skill < PLAYER_SKILLS && profile->skills[skill] >= SKILL_POINTS_MAX;
}

bool SpendSkillPoint(int skill)
{
    PlayerProfile* profile = GetPlayerProfile();
    if (!profile || skill < 1 || skill > PLAYER_SKILLS) return false;
    int& points = profile->skills[skill - 1];
    if (points >= SKILL_POINTS_MAX) {
        Sound("bad");
        return false;
    }
    if (profile->skillPoints < 1) return false;
    --profile->skillPoints;
    ++points;
    if (TheScreenHooks) TheScreenHooks->SkillsChanged();
    Sound("blip");
    return true;
}
