#include "campaign/RigCatalog.h"

#include "campaign/PlayerProfile.h"
#include "host/Lexer.h"
#include "host/Log.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "platform/Files.h"
#include "render/Animation.h"
#include "render/IndexedMesh.h"
#include "render/TextureManager.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/CatalogueScript.h"

#include <cstring>
#include <string>
#include <vector>

RigCatalog* TheRigCatalog = nullptr;

namespace {

// The file names of a part's textures, as the texture manager keys them.
void CollectTextureNames(const Entity* part, std::vector<std::string>* names)
{
    if (!part || !part->mesh) return;
    for (const MeshMaterial& material : part->mesh->materials)
        for (const char* texture : {material.textureName, material.normalMapName, material.specularMapName}) {
            if (!texture[0] || StrICmp(texture, "none") == 0 || StrICmp(texture, "NO_TEXTURE") == 0) continue;
            char key[MAX_PATH_TEXT];
            GetFileName(texture, key);
            names->push_back(key);
        }
}

bool Contains(const std::vector<std::string>& names, const std::string& name)
{
    for (const std::string& held : names)
        if (StrICmp(held.c_str(), name.c_str()) == 0) return true;
    return false;
}

// The parts the current rig wears, and every part of the catalogue.
void WornParts(const RigCatalog& catalog, std::vector<const Entity*>* parts)
{
    const PlayerProfile* profile = catalog.currentProfile;
    if (!profile) return;
    if (const ChassisRecord* record = profile->chassis) {
        parts->push_back(record->chassis);
        parts->push_back(record->body);
        parts->push_back(record->canopy);
    }
    parts->push_back(profile->pilot);
}

void AllParts(const RigCatalog& catalog, std::vector<const Entity*>* parts)
{
    for (auto* node = catalog.chassisList.head; node; node = node->next) {
        parts->push_back(node->value->chassis);
        parts->push_back(node->value->body);
        parts->push_back(node->value->canopy);
    }
    for (auto* node = catalog.pilotList.head; node; node = node->next) parts->push_back(node->value);
}

}  // namespace

RigPart::RigPart(const char* partName, IndexedMesh* partMesh)
{
    CopyText(name, sizeof name, partName);
    mesh = partMesh;
    meshStates[0] = partMesh;
    meshCount = partMesh ? 1 : 0;
    scale = 1.0f;
    MatrixIdentity(&world);
}

RigCatalog::RigCatalog()
{
    chassisList.Init(RIG_CATALOG_PARTS);
    pilotList.Init(RIG_CATALOG_PARTS);
}

RigCatalog::~RigCatalog()
{
    // The profiles' rigs wear parts of the catalogue: they go first.
    delete currentProfile;
    currentProfile = nullptr;
    for (PlayerProfile*& profile : earlierProfiles) {
        delete profile;
        profile = nullptr;
    }
    ClearParts();
    if (TheRigCatalog == this) TheRigCatalog = nullptr;
}

void RigCatalog::ClearParts()
{
    // Profiles that wore the parts take them off and forget them.
    auto undress = [](PlayerProfile* profile) {
        if (!profile) return;
        if (profile->rig)
            for (const char* slot : {"body", "pilot", "canopy"}) profile->rig->RemoveAttachment(slot);
        profile->chassis = nullptr;
        profile->pilot = nullptr;
    };
    for (PlayerProfile* profile : earlierProfiles) undress(profile);
    undress(currentProfile);
    for (auto* node = chassisList.head; node; node = node->next) {
        ChassisRecord* record = node->value;
        delete record->chassis;
        delete record->body;
        delete record->canopy;
        delete record;
    }
    chassisList.Clear();
    for (auto* node = pilotList.head; node; node = node->next) delete node->value;
    pilotList.Clear();
}

void RigCatalog::Init()
{
    Load(RIGS_SCRIPT);
    PlayerProfile* profile = new PlayerProfile();
    SetCurrentProfile(profile);
    profile->SetDefaultRig();
    profile->flags |= PROFILE_STARTUP;
}

void RigCatalog::SetCurrentProfile(PlayerProfile* profile)
{
    if (profile == currentProfile) return;
    if (currentProfile) {
        if (earlierCount < RIG_EARLIER_PROFILES)
            earlierProfiles[earlierCount++] = currentProfile;
        else
            delete currentProfile;  // no room to keep it: nothing refers to it any more
    }
    currentProfile = profile;
}

bool RigCatalog::Load(const char* path)
{
    ClearParts();
    std::string text;
    const char* file = path && *path ? path : RIGS_SCRIPT;
    if (!ReadDataScript(file, &text)) return false;
    Lexer in(text.data(), text.size(), SCRIPT_RULES, file);
    Entity* part = nullptr;
    ChassisRecord* record = nullptr;
    // Keywords of the part lines keep their case; the animation and icon lines do not.
    auto exact = [](const char* token, const char* keyword) { return strcmp(token, keyword) == 0; };
    while (const char* token = in.Next()) {
        std::string key = token;
        const char* k = key.c_str();
        if (exact(k, "AddChassis") || exact(k, "AddPilot")) {
            const bool isChassis = exact(k, "AddChassis");
            const char* what = isChassis ? "chassis" : "pilot";
            std::string partName = in.NextValue();
            std::string meshFile = in.NextValue();
            IndexedMesh* mesh = LoadLibraryMesh(meshFile.c_str(), true);
            if (!mesh) {
                in.Warn(in.Line(), "%s '%s': no mesh '%s'", what, partName.c_str(), meshFile.c_str());
                continue;
            }
            if ((isChassis ? chassisList.count : pilotList.count) >= RIG_CATALOG_PARTS) {
                in.Warn(in.Line(), "%s '%s': the catalogue is full", what, partName.c_str());
                continue;
            }
            RigPart* made = new RigPart(partName.c_str(), mesh);
            if (isChassis) {
                record = new ChassisRecord();
                record->chassis = made;
                chassisList.PushBack(record);
            } else {
                pilotList.PushBack(made);
            }
            part = made;
        } else if (StrICmp(k, "ANIM_IDLE") == 0 || StrICmp(k, "ANIM_WALK") == 0 || StrICmp(k, "ANIM_ATTACK") == 0) {
            std::string file = in.NextValue();
            int kind = StrICmp(k, "ANIM_IDLE") == 0 ? ANIM_IDLE : StrICmp(k, "ANIM_WALK") == 0 ? ANIM_WALK : ANIM_ATTACK;
            if (part && part->mesh) AddMeshAnimation(part->mesh, file.c_str(), kind, 0, true);
        } else if (exact(k, "Hull") || exact(k, "Speed")) {
            float ignored = 0.0f;
            in.ReadFloat(k, &ignored);
        } else if (exact(k, "AddBody") || exact(k, "AddCanopy")) {
            bool body = exact(k, "AddBody");
            std::string meshFile = in.NextValue();
            if (!record || !part) continue;
            IndexedMesh* mesh = LoadLibraryMesh(meshFile.c_str(), true);
            if (!mesh) {
                in.Warn(in.Line(), "no mesh '%s'", meshFile.c_str());
                continue;
            }
            char partName[160];
            snprintf(partName, sizeof partName, body ? "%s_body" : "%s_canopy", part->name);
            RigPart*& slot = body ? record->body : record->canopy;
            delete slot;
            slot = new RigPart(partName, mesh);
        } else if (StrICmp(k, "ICONSHEET") == 0) {
            in.NextValue();  // the sheet is the character screen's
            int cell[4] = {};
            for (int& value : cell) in.ReadInt(k, &value, 0, 255);
            if (record)
                record->iconWord = (uint32_t)cell[0] << 24 | (uint32_t)cell[1] << 16 | (uint32_t)cell[2] << 8 | (uint32_t)cell[3];
        }
    }
    return true;
}

ChassisRecord* RigCatalog::FindChassis(const char* name) const
{
    if (!name) return nullptr;
    for (auto* node = chassisList.head; node; node = node->next)
        if (node->value->chassis && StrICmp(node->value->chassis->name, name) == 0) return node->value;
    return nullptr;
}

RigPart* RigCatalog::FindPilot(const char* name) const
{
    if (!name) return nullptr;
    for (auto* node = pilotList.head; node; node = node->next)
        if (StrICmp(node->value->name, name) == 0) return node->value;
    return nullptr;
}

ChassisRecord* RigCatalog::NextChassis(const ChassisRecord* record) const
{
    for (auto* node = chassisList.head; node; node = node->next)
        if (node->value == record) return node->next ? node->next->value : chassisList.head->value;
    return nullptr;
}

RigPart* RigCatalog::NextPilot(const RigPart* pilot) const
{
    for (auto* node = pilotList.head; node; node = node->next)
        if (node->value == pilot) return node->next ? node->next->value : pilotList.head->value;
    return nullptr;
}

void RigCatalog::RestoreRigTextures(bool all)
{
    std::vector<const Entity*> parts;
    if (all || !currentProfile)
        AllParts(*this, &parts);
    else
        WornParts(*this, &parts);
    for (const Entity* part : parts) {
        if (!part || !part->mesh) continue;
        std::vector<std::string> names;
        CollectTextureNames(part, &names);
        if (Textures)
            for (const std::string& texture : names) Textures->ReloadTextures(texture.c_str());
        part->mesh->RestoreBuffers();
    }
}

void RigCatalog::ReleaseRigTextures()
{
    std::vector<const Entity*> worn, all;
    WornParts(*this, &worn);
    AllParts(*this, &all);
    // A texture the rig wears stays, even when another part shares it.
    std::vector<std::string> kept;
    for (const Entity* part : worn) CollectTextureNames(part, &kept);
    for (const Entity* part : all) {
        if (!part || !part->mesh) continue;
        bool wornPart = false;
        for (const Entity* w : worn) wornPart = wornPart || w == part;
        if (wornPart) continue;
        std::vector<std::string> names;
        CollectTextureNames(part, &names);
        for (const std::string& texture : names)
            if (Textures && !Contains(kept, texture) && !strstr(texture.c_str(), "normalMapNone"))
                Textures->ReleaseTextures(texture.c_str());
        part->mesh->ReleaseBuffers();
    }
}

// ---- The rig of a profile

void PlayerProfile::SetDefaultRig()
{
    ClearRecord();
    chassis = TheRigCatalog ? TheRigCatalog->FindChassis("basic") : nullptr;
    pilot = TheRigCatalog ? TheRigCatalog->FindPilot("default") : nullptr;
    delete rig;
    rig = new Agent();
    CopyText(rig->name, sizeof rig->name, "Builder");
    rig->flags |= ENTITY_AGENT | ENTITY_AI | ENTITY_PLAYER | ENTITY_PLACED;
    rig->alignment = ALIGN_PLAYER;
    rig->speed = 5.0f;
    rig->noticeRange = rig->attackRange = 75.0f;
    rig->maxHealth = rig->health = 500.0f;
    AgentType* type = TheGame && TheGame->agentTypes ? TheGame->agentTypes->FindType("Builder") : nullptr;
    if (type && type->prototype) {
        const Agent* prototype = type->prototype;
        rig->agentType = type;
        rig->speed = prototype->speed;
        rig->noticeRange = prototype->noticeRange;
        rig->attackRange = prototype->attackRange;
        rig->maxHealth = prototype->maxHealth;
        rig->health = prototype->health;
        rig->maxShield = prototype->maxShield;
        rig->shield = prototype->shield;
        rig->damage = prototype->damage;
        rig->composition = prototype->composition;
        rig->scale = prototype->scale;
        // What the HUD's command panel offers for the rig.
        rig->commandWord = prototype->commandWord;
        rig->classWord |= prototype->classWord;
        rig->brainKind = prototype->brainKind;
    }
    if (chassis && chassis->chassis) {
        rig->mesh = chassis->chassis->mesh;
        rig->meshStates[0] = rig->mesh;
        rig->meshCount = rig->mesh ? 1 : 0;
    }
}

void PlayerProfile::AttachRigParts()
{
    if (!rig || !chassis || !chassis->chassis) return;
    rig->mesh = chassis->chassis->mesh;
    rig->meshStates[0] = rig->mesh;
    rig->meshCount = rig->mesh ? 1 : 0;
    rig->RemoveAttachment("body");
    if (chassis->body) rig->AddAttachment(chassis->body, "body", "attach");
    rig->RemoveAttachment("pilot");
    if (pilot) rig->AddAttachment(pilot, "pilot", "pilot");
    rig->RemoveAttachment("canopy");
    if (chassis->canopy) rig->AddAttachment(chassis->canopy, "canopy", "attach");
    rig->RebindAttachments();
    if (StrICmp(rigPaint, "none") == 0 || StrICmp(rigPaint, "default") == 0)
        SetRigPaint(nullptr);
    else
        SetRigPaint(rigPaint);
}

void PlayerProfile::SetRigPaint(const char* paint)
{
    IndexedMesh* mesh = chassis && chassis->chassis ? chassis->chassis->mesh : nullptr;
    if (Textures && mesh)
        for (const MeshMaterial& material : mesh->materials) {
            if (!material.textureName[0] || StrICmp(material.textureName, "NO_TEXTURE") == 0) continue;
            char key[MAX_PATH_TEXT];
            GetFileName(material.textureName, key);
            Textures->FindVariant(key, paint);
        }
    CopyText(rigPaint, sizeof rigPaint, paint ? paint : "default");
}
