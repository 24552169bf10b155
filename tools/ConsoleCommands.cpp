// The console's commands, one function each, and their table in the order lines are matched.
// Every command leaves things as they are when what it names does not exist (no such agent
// type, item, effect, environment or particle file), without a message; only "enrich" says no
// with the "bad" sound. A command that changes the world runs in play as an order at a tick, on
// the units and at the place the order carries (RunConsoleOrder).
#include "tools/Console.h"
#include "tools/ConsoleTable.h"
#include "tools/TerrainEditor.h"

#include "campaign/Galaxy.h"
#include "campaign/PlayerProfile.h"
#include "gui/WindowManager.h"
#include "host/InputEvents.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "interface/CharacterGui.h"
#include "interface/Inventory.h"
#include "interface/MessageLists.h"
#include "interface/MissionHud.h"
#include "levelgen/Growth.h"
#include "mechanics/GameMechanics.h"
#include "drawing/WorldFrame.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/Files.h"
#include "platform/MathUtil.h"
#include "platform/MusicPlayer.h"
#include "platform/PackageFile.h"
#include "platform/SoundManager.h"
#include "platform/StringTable.h"
#include "platform/Timer.h"
#include "platform/UserFolders.h"
#include "render/Camera.h"
#include "render/Effect.h"
#include "render/EffectManager.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "render/ParticleManager.h"
#include "render/ParticleSystem.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"
#include "terrain/Environment.h"
#include "terrain/Minimap.h"
#include "terrain/ScanPulses.h"
#include "terrain/SplatPool.h"
#include "terrain/Terrain.h"
#include "terrain/Water.h"
#include "tools/GrowthTool.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Entity.h"
#include "world/Item.h"
#include "world/ItemCatalog.h"
#include "world/RaidManager.h"
#include "world/WorldQueries.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool Playing() { return TheGame && TheGame->state == GAME_STATE_PLAYING; }

void PlaySoundNamed(const char* name)
{
    if (SoundMgr) SoundMgr->PlaySound(name);
}

void PopUp(const char* text)
{
    if (TheGame && TheGame->popups) TheGame->popups->Add(text, 4.0f, 0, -1);
}

int IntOr(const char* argument, int defaultValue) { return argument ? atoi(argument) : defaultValue; }
float FloatOr(const char* argument, float defaultValue) { return argument ? (float)atof(argument) : defaultValue; }

// The units and the place of a console order being carried out at a tick: while it is set, the
// commands act on these and read neither the selection nor the view.
struct OrderedPlace {
    const std::vector<Entity*>* units;
    Vec3 point;
};
const OrderedPlace* Ordered = nullptr;

Entity* FirstSelected()
{
    if (Ordered) return Ordered->units->empty() ? nullptr : Ordered->units->front();
    return TheGame ? TheGame->GetFirstSelected() : nullptr;
}

Agent* FirstSelectedAgent()
{
    Entity* first = FirstSelected();
    return first && (first->flags & ENTITY_AGENT) ? static_cast<Agent*>(first) : nullptr;
}

template <class F> void ForEachSelected(F f)
{
    if (Ordered) {
        for (Entity* entity : *Ordered->units)
            if (entity) f(entity);
        return;
    }
    if (!TheGame) return;
    for (auto* node = TheGame->hand.selected.head; node; node = node->next)
        if (node->value) f(node->value);
}

// Where the camera's view ray meets the ground; false when it misses.
bool ViewPointOnGround(Vec3* out)
{
    return TheTerrain.heightmap && TheTerrain.IntersectRay(GameCamera.eye, GameCamera.direction, out, 2);
}

// Where the view ray meets the plane at height 0 (the eye when it never does).
Vec3 ViewPointOnPlane()
{
    Vec3 hit = GameCamera.eye;
    IntersectRayPlane(GameCamera.eye, GameCamera.direction, Vec3(0.0f, 1.0f, 0.0f), 0.0f, &hit);
    return hit;
}

Vec3 MousePoint()
{
    if (Ordered) return Ordered->point;
    return ConsolePlaceFromView(CONSOLE_WORLD_MOUSE);
}

// A particle file as a live system: the template of that name when one is loaded already,
// else the file read as a further template. Null when neither gives one.
ParticleSystem* StartParticleFile(const char* path)
{
    ParticleManager* particles = TheScene.particles;
    if (!particles) return nullptr;
    char base[256];
    GetFileBaseName(path, base);
    if (ParticleSystem* system = particles->SpawnSystem(base)) return system;
    if (!FileExists(path, false)) return nullptr;
    ParticleSystem* loaded = particles->LoadTemplate(path);
    return loaded && loaded->name[0] ? particles->SpawnSystem(loaded->name) : nullptr;
}

// The item 1.0 above the ground where the camera looks (above the origin when it looks at no
// ground), spinning, in the Scene.
void ScaledItemAtViewPoint(Item* item)
{
    Vec3 at = Ordered ? Ordered->point : ConsolePlaceFromView(CONSOLE_WORLD_GROUND);
    at.y += 1.0f;
    item->SetPosition(at);
    item->itemFlags |= ITEM_FLAG_ROLLED;
    item->flags &= ~ENTITY_PLACED;
    // A full Scene refuses it; then it is nobody's.
    if (!TheScene.AddEntity(item)) delete item;
}

// ---- The commands, in the table's order

void CmdQuit(const char*, const char*) { InputEvents.PostQuitMessage(0); }

void CmdEdit(const char*, const char*)
{
    // The editor's brushes change the ground itself: a replay's viewer changes nothing.
    if (TheOrders.fedByReplay) {
        if (TheGame && TheGame->messageBar) TheGame->messageBar->AddMessage("The editor is closed while a replay plays.", 4.0f, 0);
        return;
    }
    if (Playing() && !TheTerrainEditor) TheTerrainEditor = new TerrainEditor();
}

void CmdCam(const char*, const char*) { GameCamera.ResetOrientation(); }
void CmdShake(const char*, const char*) { StartCameraShake(1.0f, 0.9f, 6.28f); }

void CmdAnimCam(const char*, const char* argument)
{
    if (argument) {
        CameraAutoRotateSpeed = (float)atof(argument);
        CameraAutoRotate = true;
    } else {
        CameraAutoRotate = !CameraAutoRotate;
    }
}

void CmdDump(const char*, const char*)
{
    if (Textures) Textures->DumpStatistics();
}

void CmdDumpGui(const char*, const char*)
{
    if (WindowMgr) WindowMgr->Dump();
}

void CmdMeshList(const char*, const char*)
{
    if (TheMeshLibrary) TheMeshLibrary->DumpList();
}

void CmdCollision(const char*, const char*) { ShowCollisionVolumes = !ShowCollisionVolumes; }

void CmdDetail(const char*, const char*)
{
    if (Config) Config->terrainDetail = !Config->terrainDetail;
}

void CmdRigTexture(const char*, const char* argument)
{
    PlayerProfile* profile = GetPlayerProfile();
    if (profile) profile->SetRigPaint(argument && *argument ? argument : "default");
}

void CmdStringTable(const char*, const char*)
{
    if (Strings) Strings->Reload();
}

void CmdEnrich(const char*, const char*)
{
    Entity* first = FirstSelected();
    if (!first || !(first->flags & ENTITY_RESOURCE) || !EnrichOreNode(first)) PlaySoundNamed("bad");
}

void CmdReload(const char*, const char* argument)
{
    if (!Textures) return;
    bool kept = ForceLooseTextureFiles;
    ForceLooseTextureFiles = true;
    if (argument) {
        Textures->RecreateTexture(argument);
    } else if (!FirstSelected()) {
        Textures->ReloadAll();
    } else {
        ForEachSelected([](Entity* entity) {
            ReloadRecordTextures(entity);
            if (!(entity->flags & ENTITY_AGENT)) return;
            Agent* agent = static_cast<Agent*>(entity);
            for (int i = 0; i < agent->AttachmentCount(); ++i)
                if (Entity* part = agent->Attachment(i).entity) ReloadRecordTextures(part);
        });
    }
    ForceLooseTextureFiles = kept;
}

void CmdTexMem(const char*, const char*) { TextureStatsShown = !TextureStatsShown; }

void CmdAnims(const char*, const char*)
{
    if (TheMeshLibrary) TheMeshLibrary->LoadPendingAnimations();
}

void CmdPower(const char*, const char*)
{
    TheScene.power.supply += 100.0f;
}

void CmdOre(const char*, const char* argument)
{
    if (PlayerProfile* profile = GetPlayerProfile()) profile->AddOre((float)IntOr(argument, 100));
}

void CmdFuel(const char*, const char* argument)
{
    if (PlayerProfile* profile = GetPlayerProfile()) profile->AddFuel((float)IntOr(argument, 100));
}

void CmdRandom(const char*, const char*)
{
    Item* item = RollItemDrop();
    if (!item) return;
    if (item->kind == ITEM_KIND_UPGRADE || item->kind == ITEM_KIND_WEAPON) item->scale = 2.0f;
    ScaledItemAtViewPoint(item);
}

void CmdDrop(const char*, const char* argument)
{
    Item* item = CreateItemByName(argument);
    if (!item) return;
    if (Playing()) {
        item->scale = 2.0f;
        ScaledItemAtViewPoint(item);
        return;
    }
    // Outside play the item goes into the bag as a copy; the one made here is not needed.
    if (PlayerInventory) PlayerInventory->AddItem(item, false, true, PlayerInventory->FindFreeSlot(false));
    delete item;
}

void CmdAi(const char*, const char* argument)
{
    Agent* agent = TheScene.CreateAgent(argument, true);
    if (!agent) return;
    agent->SetPosition(MousePoint());
    agent->flags |= ENTITY_PLACED;
    if (agent->alignment == ALIGN_PLAYER && (agent->flags & ENTITY_AGENT)) {
        agent->classWord |= AGENT_CLASS_LEVELLING;
        if (PlayerProfile* profile = GetPlayerProfile()) profile->unitsInUse += 1;
    }
}

void CmdMessage(const char*, const char* argument)
{
    if (!TheGame || !TheGame->popups) return;
    // A message shows, the world goes on as it would have: the pick leaves the game's sequence
    // where it stood.
    int achievement = -1;
    if (strcmp(argument, "achievement") == 0) {
        const unsigned kept = RandState();
        achievement = Rand() % 16;
        SRand(kept);
    }
    TheGame->popups->Add(argument, 4.0f, 0, achievement);
}

void CmdAlert(const char*, const char* argument)
{
    if (TheGame && TheGame->messageBar) TheGame->messageBar->AddMessage(argument, 8.0f, 0);
}

void CmdResCount(const char*, const char*)
{
    int patches = 0, total = 0;
    for (Entity* e = TheScene.FirstEntity(SEGMENTS_ALL); e; e = TheScene.NextEntity())
        if (IsOreNode(e)) {
            ++patches;
            total += (int)e->GetHealth();
        }
    TheScene.EndIteration();
    char text[128];
    snprintf(text, sizeof text, "Patches: %d, Ore: %d, (Avg: %.0f)", patches, total,
             patches > 0 ? (double)total / patches : 0.0);
    if (TheGame && TheGame->messageBar) TheGame->messageBar->AddMessage(text, 10.0f, 0);
}

void CmdCredits(const char* line, const char*)
{
    // The purse stops at the ends of its number rather than wrapping to a debt or a fortune.
    if (PlayerProfile* profile = GetPlayerProfile()) {
        const long long total = (long long)profile->credits + GetIntArg(line, "credits", 1000);
        profile->credits = (int)std::min<long long>(std::max<long long>(total, INT_MIN), INT_MAX);
    }
    PlaySoundNamed("credits");
}

void CmdTree(const char*, const char*)
{
    if (!TheGrowthDB) return;
    Vec3 point = Ordered ? Ordered->point : ViewPointOnPlane();
    point.x = -point.x;
    if (GrowthInstance* instance = TheGrowthDB->CreateInstance("forest", point, false)) {
        instance->Grow();
        GrowthTool::SetVisible(true);
    }
}

void CmdRegen(const char*, const char*) { GrowthTool::GrowSelected(true); }

void CmdGrowth(const char*, const char* argument)
{
    if (!TheGrowthDB || !TheGrowthDB->selected) return;
    TheGrowthDB->selected->SetDefinitionByName(argument);
    Growth::PickRandomVariant(TheGrowthDB->selected);
    Growth::PlaceObject(TheGrowthDB->selected);
}

void CmdGrowthDef(const char*, const char* argument) { Growth::PlaceObjectByName(argument); }

void CmdPackageTest(const char*, const char*) { PackageFile::Test(); }

void CmdSound(const char*, const char* argument)
{
    if (!SoundMgr) return;
    float kept = SoundMgr->GetVolume();
    SoundMgr->SetVolume((float)atof(argument));
    SoundMgr->PlaySound("countdown");
    SoundMgr->SetVolume(kept);
}

void CmdFade(const char*, const char* argument)
{
    if (Music) Music->FadeOut(FloatOr(argument, 1.0f));
}

void CmdMusic(const char*, const char* argument)
{
    if (!Music) return;
    char path[MAX_PATH_TEXT];
    CopyText(path, sizeof path, argument);
    FixPath(path);
    Music->Play(path);
}

void CmdInstabuild(const char*, const char*)
{
    InstantBuild = !InstantBuild;
    PopUp(InstantBuild ? "Instabuild on" : "Instabuild off");
}

void CmdIgnore(const char*, const char*)
{
    MissionRequirementsIgnored = !MissionRequirementsIgnored;
    if (MissionRequirementsIgnored) {
        PopUp("Mission requirements off");
        if (PlayerProfile* profile = GetPlayerProfile()) profile->level = 10;
    } else {
        PopUp("Mission requirements on");
    }
}

void CmdTimer(const char*, const char* argument)
{
    FrameGraph::SetEnabled(!(argument && StrICmp(argument, "off") == 0));
}

void CmdAchievement(const char*, const char* argument)
{
    PlayerProfile* profile = GetPlayerProfile();
    if (!profile) return;
    profile->AwardAchievement(atoi(argument));
    profile->CheckUnlocks(false);
}

void CmdExp(const char*, const char* argument)
{
    if (PlayerProfile* profile = GetPlayerProfile()) profile->AddExperience(atoi(argument));
    if (TheCharacterGui) TheCharacterGui->UpdateExperienceBar();
}

void CmdScan(const char*, const char*) { TheScanEffects.BeginScan(FirstSelected()); }

void CmdDumpShaders(const char*, const char*)
{
    if (!LogFile) return;
    Log("Shaders\n");
    if (!TheEffectManager) return;
    for (int i = 0; i < TheEffectManager->GetCount(); ++i)
        if (Effect* effect = TheEffectManager->GetByIndex(i)) Log("\t%s\t\t%s\n", effect->name, effect->label);
}

void CmdTerrain(const char*, const char* argument)
{
    static const char* const snow[3] = {"data/textures/terrain/Snow_1-1.jpg", "data/textures/terrain/GRND_T08.JPG",
                                        "data/textures/terrain/Rocky_2-1.jpg"};
    static const char* const marsh[3] = {"data/textures/final/ground/ground_dirtA.jpg",
                                         "data/textures/final/ground/groundWetMarsh.jpg",
                                         "data/textures/final/ground/pavement_1.jpg"};
    static const char* const other[3] = {"data/textures/final/ground/ground_dirtRed.jpg",
                                         "data/textures/final/ground/groundDryGrass.jpg",
                                         "data/textures/final/ground/pavement_1.jpg"};
    const char* const* set = StrICmp(argument, "snow") == 0 ? snow : StrICmp(argument, "marsh") == 0 ? marsh : other;
    for (int layer = 0; layer < 3; ++layer) TheTerrain.SetGroundTextures(set[layer], layer);
}

void CmdEnvSet(const char*, const char* argument)
{
    if (!TheTerrain.SetEnvironment(argument)) return;
    // Every environment has a growth of its name: one of its objects shows the new look.
    Growth::PlaceObjectByName(argument);
    TheMinimap.miniTerrainRendered = false;
}

void CmdLoadEnv(const char*, const char*)
{
    Environment::LoadScript();
    TheMinimap.miniTerrainRendered = false;
}

void CmdEnvShadow(const char*, const char* argument)
{
    if (Environment* environment = Environment::GetCurrent()) environment->shadowValue = (float)atof(argument);
}

void CmdClearMissions(const char*, const char*)
{
    if (PlayerProfile* profile = GetPlayerProfile()) profile->ClearCompletedMissions();
}

void CmdClearStory(const char*, const char* argument)
{
    if (TheGalaxy) TheGalaxy->SetStoryMissionCompleted(atoi(argument), false);
}

void CmdSetStory(const char*, const char* argument)
{
    if (TheGalaxy) TheGalaxy->SetStoryMissionCompleted(atoi(argument), true);
}

void CmdSetSun(const char* line, const char*)
{
    // After "setsun" an axis letter may follow; the number comes after it (or after the blank
    // that stands in its place). Without a letter the axis is z.
    const char* rest = line + 6;
    int axis = 2;
    char letter = (char)tolower((unsigned char)*rest);
    if (letter == 'x' || letter == 'y' || letter == 'z') {
        axis = letter - 'x';
        ++rest;
    }
    float value = (float)atof(rest);
    Vec4& light = EffectValues.lightDirection;
    Vec3 d(-light.x, -light.y, -light.z);
    (axis == 0 ? d.x : axis == 1 ? d.y : d.z) = value;
    d = -d;
    float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    if (length > 0.0f) d = d * (1.0f / length);
    light.x = d.x, light.y = d.y, light.z = d.z;
}

void CmdAmbient(const char*, const char* argument)
{
    float values[3];
    int read = ParseConsoleNumbers(argument, values, 3);
    float* ambient[3] = {&EffectValues.ambient.x, &EffectValues.ambient.y, &EffectValues.ambient.z};
    for (int i = 0; i < read; ++i) *ambient[i] = values[i];
}

void CmdSetHealth(const char*, const char* argument)
{
    const float value = (float)IntOr(argument, 100);
    ForEachSelected([value](Entity* e) {
        e->SetHealth(value);
        if (e->GetHealth() > e->GetMaxHealth()) e->SetMaxHealth(value);
    });
}

void CmdSetMaxHealth(const char*, const char* argument)
{
    const float value = (float)IntOr(argument, 100);
    ForEachSelected([value](Entity* e) { e->SetMaxHealth(value); });
}

void CmdSetShields(const char*, const char* argument)
{
    const float value = (float)IntOr(argument, 100);
    ForEachSelected([value](Entity* e) {
        if (e->flags & ENTITY_SHIELD) e->shield = std::min(value, e->maxShield);
    });
}

void CmdSetVolume(const char*, const char* argument)
{
    if (SoundMgr) SoundMgr->SetVolume(FloatOr(argument, 1.0f));
}

void CmdSetAchievement(const char*, const char* argument)
{
    if (PlayerProfile* profile = GetPlayerProfile()) profile->AwardAchievement(atoi(argument));
}

void CmdTriggerAttack(const char*, const char*)
{
    AIManager* raids = TheGame ? TheGame->aiManager : nullptr;
    if (raids && raids->raidTimer >= 0.0f) raids->elapsed = raids->raidTimer;
}

void CmdSetCursor(const char*, const char* argument)
{
    Sprite* cursor = TheGame ? TheGame->cursorSprite : nullptr;
    const int quarter = IntOr(argument, 0);
    if (!cursor || quarter < 0 || quarter > 3) return;
    const float u = (quarter & 1) ? 0.5f : 0.0f, v = (quarter & 2) ? 0.5f : 0.0f;
    cursor->SetTexCoords(u, v, u + 0.5f, v + 0.5f);
}

void CmdCursorSize(const char*, const char* argument)
{
    if (argument) TheMissionHud.cursorSize = atoi(argument);
}

void Kill(Entity* e)
{
    e->SetHealth(0.0f);
    e->flags |= ENTITY_DEAD;
    e->Die(nullptr);
}

void CmdKill(const char*, const char*)
{
    // Dying may take an entity out of the selection: the victims are gathered first.
    Entity* victims[SELECTION_NODES];
    int count = 0;
    ForEachSelected([&](Entity* e) {
        if (count < SELECTION_NODES) victims[count++] = e;
    });
    for (int i = 0; i < count; ++i) Kill(victims[i]);
}

void CmdAllKill(const char*, const char*)
{
    std::vector<Entity*> victims;
    for (Entity* e = TheScene.FirstEntity(0x38); e; e = TheScene.NextEntity())
        if (e->flags & ENTITY_AGENT) victims.push_back(e);
    TheScene.EndIteration();
    for (Entity* e : victims) Kill(e);
}

void CmdDot(const char*, const char* argument)
{
    Agent* agent = FirstSelectedAgent();
    if (!agent) return;
    StatusEffect record{};
    record.kind = StrICmp(argument, "fire") == 0 ? 0 : 1;
    record.amount = 5.0f;
    record.interval = 1.0f;
    record.tickTimer = 1.0f;
    record.timeLeft = 5.0f;
    agent->ApplyStatusEffect(record);
}

void CmdFreeze(const char*, const char* argument)
{
    if (Agent* agent = FirstSelectedAgent()) agent->freezeTime = FloatOr(argument, 2.0f);
}

void CmdCloak(const char*, const char*)
{
    Agent* agent = FirstSelectedAgent();
    if (!agent) return;
    agent->classWord ^= AGENT_CLOAKED;
    const bool on = (agent->classWord & AGENT_CLOAKED) != 0;
    agent->cloakTime = on ? 30.0f : 0.0f;
    PlaySoundNamed(on ? "cloak_in" : "cloak_out");
}

void CmdShadowSize(const char*, const char* argument)
{
    if (!Config || !TheGame) return;
    Config->shadowMapSize = atoi(argument);
    RenderTargets.shadowMapSize = Config->shadowMapSize;
    TheGame->CreateShadowMap();
}

void CmdShaders(const char*, const char* argument)
{
    if (!TheEffectManager) return;
    if (!argument) {
        TheEffectManager->ReloadAll(true);
        return;
    }
    if (Effect* effect = TheEffectManager->GetEffect(argument, 0, false)) effect->Reload();
}

void CmdMinimap(const char*, const char*) { TheMinimap.miniTerrainRendered = false; }
void CmdSaveMinimap(const char*, const char*) { TheMinimap.SaveBitmap(); }

void CmdSaveScene(const char*, const char* argument)
{
    char path[MAX_PATH_TEXT * 2];
    // The name is a file of the save folder: a name that reaches elsewhere is refused.
    if (argument && (!*argument || strpbrk(argument, "/\\") || strstr(argument, ".."))) return;
    snprintf(path, sizeof path, "%s/savefiles/%s", UserFolder, argument ? argument : "savefile.txt");
    TheScene.WriteSceneFile(path);
}

void CmdVisited(const char*, const char*) { TheMinimap.miniTerrainRendered = false; }

void CmdRebuild(const char*, const char*)
{
    if (!TheScene.particles) return;
    TheScene.particles->LoadDefinitions(true);
    TheScene.particles->RefreshFromTemplates();
}

void CmdRemoveSystem(const char*, const char*)
{
    if (TheScene.particles) TheScene.particles->KillAll();
}

void StartWeather(const char* path, uint32_t flag)
{
    if (ParticleSystem* system = StartParticleFile(path)) {
        system->flags &= ~PARTICLE_TIMED;
        system->flags |= flag;
    }
}

void CmdSnow(const char*, const char*)
{
    StartWeather("data/effects/particles/snow.txt", PARTICLE_WEATHER_FRONT);
    StartWeather("data/effects/particles/snowblow.txt", PARTICLE_GROUND_WEATHER);
}

void CmdMist(const char*, const char*) { StartWeather("data/effects/particles/mist.txt", PARTICLE_GROUND_WEATHER); }
void CmdLava(const char*, const char*) { StartWeather("data/effects/particles/lava.txt", PARTICLE_WATER); }

// "data/effects/particles/<name>.txt", or the default system; false for a name too long.
bool ParticlePath(const char* argument, char* path, size_t size)
{
    if (argument && strlen(argument) > 180) return false;
    snprintf(path, size, "data/effects/particles/%s.txt", argument && *argument ? argument : "default");
    return true;
}

void CmdAddSystem(const char*, const char* argument)
{
    char path[256];
    if (!ParticlePath(argument, path, sizeof path)) return;
    Vec3 at;
    if (Entity* first = FirstSelected()) {
        Vec3 centre = first->GetCenter();
        at = Vec3(centre.x, first->GetPosition().y, centre.z);
    } else if (!ViewPointOnGround(&at)) {
        at = ViewPointOnPlane();
    }
    if (ParticleSystem* system = StartParticleFile(path)) {
        system->flags &= ~PARTICLE_TIMED;
        system->position = at;
    }
}

void CmdAddBurst(const char*, const char* argument)
{
    char path[256];
    if (!ParticlePath(argument, path, sizeof path)) return;
    Vec3 at(0.0f, 0.5f, 0.0f), ground;
    if (Entity* first = FirstSelected())
        at = first->GetPosition() + Vec3(0.0f, 0.5f, 0.0f);
    else if (ViewPointOnGround(&ground))
        at = ground + Vec3(0.0f, 1.0f, 0.0f);
    if (ParticleSystem* system = StartParticleFile(path)) {
        system->flags |= PARTICLE_TIMED;
        system->position = at;
    }
}

void CmdDeleteWater(const char*, const char*)
{
    if (TheGame && TheGame->water) TheGame->water->Clear();
}

void CmdRiver(const char*, const char*)
{
    if (!TheGame) return;
    if (!TheGame->water)
        TheGame->water = new WaterSet();
    else
        TheGame->water->ReleaseAll();
    TheGame->water->Build(TheTerrain);
    TheGame->water->BuildZones();
    TheTerrain.waterSet = TheGame->water;
    if (TheGame->water->count > 0)
        TheScene.sceneFlags |= SCENE_HAS_WATER;
    else
        TheScene.sceneFlags &= ~SCENE_HAS_WATER;
}

void BuyAll()
{
    if (!TheGame) return;
    if (TheGame->agentTypes) TheGame->agentTypes->SetPlayerTypesBit4();
    if (TheGame->buildItems) TheGame->buildItems->MarkAll();
}

void CmdBuy(const char*, const char* argument)
{
    if (strcmp(argument, "all") == 0) {
        BuyAll();
        return;
    }
    if (!TheGame) return;
    if (AgentType* type = TheGame->agentTypes ? TheGame->agentTypes->FindType(argument) : nullptr) {
        type->flags |= AGENT_TYPE_OWNED;
    } else if (BuildItem* item = TheGame->buildItems ? TheGame->buildItems->FindByName(argument) : nullptr) {
        item->flags |= BUILD_MARKED;
    }
}

void CmdAll(const char*, const char*)
{
    BuyAll();
    if (PlayerProfile* profile = GetPlayerProfile()) {
        profile->AddOre(10000.0f);
        profile->AddFuel(10000.0f);
    }
}

void CmdPlay3d(const char*, const char*)
{
    Entity* first = FirstSelected();
    if (!first || !SoundMgr) return;
    Vec3 at = first->GetPosition(), listener = GameCamera.eye, facing = GameCamera.direction;
    SoundMgr->PlaySound("explo", false, 0.0f, &at, &listener, &facing);
}

void CmdSplatTest(const char*, const char*)
{
    Vec3 at = Ordered ? Ordered->point : ConsolePlaceFromView(CONSOLE_WORLD_GROUND);
    at = SnapToCellCentre(at);
    IndexedMesh* mesh = new IndexedMesh();
    const int cells[4] = {-2, -2, 2, 2};
    mesh->CreateDebugGrid(Vec3(), cells, 1, 2.5f);
    mesh->ConformToTerrain(0, at, true, 0);
    Entity* splat = new Entity();
    CopyText(splat->name, sizeof splat->name, "AutoSplat");
    splat->AdoptMesh(mesh);
    splat->meshStates[0] = mesh;
    splat->meshCount = 1;
    splat->flags |= ENTITY_SPLAT;
    splat->SetPosition(at);
    if (!TheScene.splats.PushBack(splat)) delete splat;
}

}  // namespace

Vec3 ConsolePlaceFromView(ConsoleReach reach)
{
    Vec3 ground;
    switch (reach) {
    case CONSOLE_WORLD_MOUSE: return TheGame ? SnapToCellCentre(TheGame->pickedPoint) : Vec3();
    case CONSOLE_WORLD_GROUND: return ViewPointOnGround(&ground) ? ground : Vec3();
    case CONSOLE_WORLD_PLANE: return ViewPointOnPlane();
    default: return Vec3();
    }
}

void RunConsoleOrder(const char* line, const std::vector<Entity*>& units, const Vec3& point)
{
    const char* argument = nullptr;
    const int index = MatchConsoleCommand(line, &argument);
    if (index < 0) return;
    const ConsoleEntry& entry = ConsoleTable[index];
    // Only the world's commands come as orders: any other line an order carries is passed over.
    if (entry.reach == CONSOLE_AT_ONCE || (entry.needsArgument && !argument)) return;
    const OrderedPlace place{&units, point};
    Ordered = &place;
    entry.run(line, argument);
    Ordered = nullptr;
}

const ConsoleEntry ConsoleTable[] = {
    {"quit", true, false, CmdQuit},
    {"edit", true, false, CmdEdit},
    {"cam", true, false, CmdCam},
    {"shake", true, false, CmdShake},
    {"animcam", false, false, CmdAnimCam},
    {"dump", true, false, CmdDump},
    // The package reader has no self-test of its own: the word is kept so that it matches.
    {"test", true, false, CmdPackageTest},
    {"dumpgui", true, false, CmdDumpGui},
    {"meshlist", true, false, CmdMeshList},
    {"collision", true, false, CmdCollision},
    {"detail", true, false, CmdDetail},
    {"rigtexture", false, false, CmdRigTexture},
    {"stringtable", false, false, CmdStringTable},
    {"enrich", false, false, CmdEnrich, CONSOLE_WORLD},
    {"reload", false, false, CmdReload},
    {"texmem", true, false, CmdTexMem},
    {"anims", true, false, CmdAnims},
    {"power", true, false, CmdPower, CONSOLE_WORLD},
    {"ore", false, false, CmdOre, CONSOLE_WORLD},
    {"fuel", false, false, CmdFuel, CONSOLE_WORLD},
    {"random", true, false, CmdRandom, CONSOLE_WORLD_GROUND},
    {"drop", false, true, CmdDrop, CONSOLE_WORLD_GROUND},
    {"ai", false, true, CmdAi, CONSOLE_WORLD_MOUSE},
    {"message", false, true, CmdMessage},
    {"alert", false, true, CmdAlert},
    {"rescount", false, false, CmdResCount},
    {"credits", false, false, CmdCredits, CONSOLE_WORLD},
    {"tree", true, false, CmdTree, CONSOLE_WORLD_PLANE},
    {"regen", true, false, CmdRegen, CONSOLE_WORLD},
    {"growthdef", false, true, CmdGrowthDef, CONSOLE_WORLD},
    {"growth", false, true, CmdGrowth, CONSOLE_WORLD},
    {"sound", false, true, CmdSound},
    {"fade", false, false, CmdFade},
    {"music", false, true, CmdMusic},
    {"instabuild", true, false, CmdInstabuild, CONSOLE_WORLD},
    {"ignore", true, false, CmdIgnore, CONSOLE_WORLD},
    {"timer", false, false, CmdTimer},
    {"achievement", false, true, CmdAchievement, CONSOLE_WORLD},
    {"exp", false, true, CmdExp, CONSOLE_WORLD},
    {"scan", true, false, CmdScan, CONSOLE_WORLD},
    {"dumpshaders", true, false, CmdDumpShaders},
    {"terrain", false, true, CmdTerrain},
    {"envset", false, true, CmdEnvSet, CONSOLE_WORLD},
    {"loadenv", false, false, CmdLoadEnv},
    {"envshadow", false, true, CmdEnvShadow},
    {"clearmissions", true, false, CmdClearMissions},
    {"clearstory", false, true, CmdClearStory},
    {"setstory", false, true, CmdSetStory},
    {"setsun", false, false, CmdSetSun},
    {"ambient", false, false, CmdAmbient},
    {"sethealth", false, false, CmdSetHealth, CONSOLE_WORLD},
    {"setmaxhealth", false, false, CmdSetMaxHealth, CONSOLE_WORLD},
    {"setshields", false, false, CmdSetShields, CONSOLE_WORLD},
    {"setvolume", false, false, CmdSetVolume},
    {"setachievement", false, true, CmdSetAchievement, CONSOLE_WORLD},
    {"triggerattack", true, false, CmdTriggerAttack, CONSOLE_WORLD},
    {"setcursor", false, false, CmdSetCursor},
    {"cursorsize", false, false, CmdCursorSize},
    {"kill", false, false, CmdKill, CONSOLE_WORLD},
    {"allkill", false, false, CmdAllKill, CONSOLE_WORLD},
    {"dot", false, true, CmdDot, CONSOLE_WORLD},
    {"freeze", false, false, CmdFreeze, CONSOLE_WORLD},
    {"cloak", true, false, CmdCloak, CONSOLE_WORLD},
    {"shadowsize", false, true, CmdShadowSize},
    {"shaders", false, false, CmdShaders},
    {"minimap", false, false, CmdMinimap},
    {"saveminimap", false, false, CmdSaveMinimap},
    {"savescene", false, false, CmdSaveScene},
    {"visited", false, false, CmdVisited},
    {"rebuild", false, false, CmdRebuild},
    {"removesystem", false, false, CmdRemoveSystem},
    {"snow", true, false, CmdSnow},
    {"mist", true, false, CmdMist},
    {"lava", true, false, CmdLava},
    {"addsystem", false, false, CmdAddSystem},
    {"addburst", false, false, CmdAddBurst},
    {"deletewater", true, false, CmdDeleteWater, CONSOLE_WORLD},
    {"river", false, false, CmdRiver, CONSOLE_WORLD},
    {"buy", false, true, CmdBuy, CONSOLE_WORLD},
    {"all", true, false, CmdAll, CONSOLE_WORLD},
    {"play3d", false, false, CmdPlay3d},
    {"splattest", false, false, CmdSplatTest, CONSOLE_WORLD_GROUND},
};
const int ConsoleTableSize = (int)(sizeof ConsoleTable / sizeof ConsoleTable[0]);
