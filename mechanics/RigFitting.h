#pragma once
// The rig's parts and the pilot's skills as the world changes them: a weapon or a module
// fitted from the hand of the bag (or taken off into it), and a skill point spent. The rig's
// screen (interface/CharacterGui.h) shows them and, in a level, gives the orders these carry
// out in a tick; between levels it calls them at once.

class Agent;
class Bag;
class Item;

// The rig's attachment slots by index: 0 engine, 1 tanks, 2 left weapon, 3 right weapon, 4
// centre gun (only the two weapon slots are offered).
constexpr int RIG_ATTACHMENT_SLOTS = 5;
constexpr int RIG_MODULE_SLOTS_SHOWN = 3;
constexpr int PLAYER_SKILLS = 6;
// The most points a skill takes.
constexpr int SKILL_POINTS_MAX = 5;

struct RigAttachmentSlot {
    const char* name;  // the attachment record's name
    const char* bone;
    int itemKind;      // the only kind of item the slot takes
};
extern const RigAttachmentSlot RIG_ATTACHMENTS[RIG_ATTACHMENT_SLOTS];

// What hangs on the rig in that attachment slot, let go of without being destroyed: the caller
// owns it. Null when the slot holds no item.
Item* TakeRigAttachment(Agent* rig, int index);
// The bag's hand fitted to the attachment slot (the part the rig gives back goes into the
// hand), or with an empty hand the slot's part taken into it. 1 when pressed to some end or
// refused with a sound, 0 without a rig or a bag.
int FitAttachmentFromHand(Bag& bag, int index);
// The same for a module slot; 0 too when the module is refused.
int FitModuleFromHand(Bag& bag, int slot);
// ORDER_FIT_PART on the player's bag: the part named (none: the hand empty) fitted to that slot
// of the rig, out of bag slot fromSlot (or the first holding it), and the part the rig gives
// back put into the bag (or beside the rig when the bag is full).
int FitRigPart(bool module, int index, const char* name, int fromSlot = -1);
// One skill point spent on skill (1-based), up to SKILL_POINTS_MAX a skill; false when refused.
bool SpendSkillPoint(int skill);
// Whether the skill (0-based) holds all the points it takes.
bool SkillIsFull(int skill);
