#include "campaign/Galaxy.h"

#include "campaign/MissionCatalogue.h"
#include "campaign/PlayerProfile.h"
#include "campaign/RandomMission.h"
#include "host/Random.h"
#include "host/SteadyMath.h"
#include "host/System.h"
#include "platform/MathUtil.h"
#include "platform/RandomUtil.h"
#include "mechanics/Scene.h"
#include "render/ParticleManager.h"
#include "render/ParticleSystem.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <strings.h>
#include <utility>
#include <vector>

Galaxy* TheGalaxy = nullptr;
int NextMissionId = 0;
int NextStoryIndex = 0;
int MissionsPerLevel[Galaxy::LEVEL_COUNT] = {};
int RandomRewardSum = 0;
bool MissionRequirementsIgnored = false;

namespace {

const char* const EnvironmentNames[BODY_ENVIRONMENT_COUNT] = {"forest", "desert", "fall",  "marsh",
                                                              "winter", "moon",   "alien", "lava"};
const char* const SystemWords[8] = {"Omicron", "Sigma", "Tau", "Upsilon", "Phi", "Chi", "Psi", "Omega"};
const char* const SystemSuffixes[5] = {"", "II", "III", "IV", "V"};
const char* const PlanetNames[4] = {"Alpha", "Beta", "Gamma", "Delta"};

constexpr float DEGREES = 0.01745329f;

// A float in [0, 1): one draw.
double Unit()
{
    return Rand() / 32768.0;
}

void FreeTree(CelestialBody* body)
{
    while (body) {
        CelestialBody* next = body->nextSibling;
        FreeTree(body->firstChild);
        delete body;
        body = next;
    }
}

// The first body of a tree (a body, its children, its next siblings) that matches.
template <class F> CelestialBody* FindInTree(CelestialBody* body, F matches)
{
    for (; body; body = body->nextSibling) {
        if (matches(body)) return body;
        if (CelestialBody* found = FindInTree(body->firstChild, matches)) return found;
    }
    return nullptr;
}

template <class F> CelestialBody* FindInSystems(Galaxy& galaxy, F matches)
{
    for (int s = 0; s < galaxy.count; ++s) {
        if (matches(&galaxy.systems[s])) return &galaxy.systems[s];
        if (CelestialBody* found = FindInTree(galaxy.systems[s].firstChild, matches)) return found;
    }
    return nullptr;
}

void CountTree(const CelestialBody* body, int* total, int* completed)
{
    for (; body; body = body->nextSibling) {
        if (body->missionId >= 0) ++*total;
        if (body->completed == 1) ++*completed;
        CountTree(body->firstChild, total, completed);
    }
}

// The next story mission goes on the first body of its level.
void PlaceStory(CelestialBody* body)
{
    if (NextStoryIndex >= MissionCatalogue::missionCount || !MissionCatalogue::missions) return;
    const MissionRecord& story = MissionCatalogue::missions[NextStoryIndex];
    if (story.level != body->levelMin) return;
    if (story.flags & MISSION_DATA_OWN_ENVIRONMENT) body->environment = (int8_t)BodyEnvironmentFromName(story.environment);
    body->storyId = NextStoryIndex;
    body->levelSeed = Rand() % 90000 + 10000;
    ++NextStoryIndex;
}

// Where a star system stands on the galaxy's map: on its orbit about the core (its position is
// the middle of the screen while the system itself is shown).
Vec3 OnGalaxyMap(const CelestialBody& system)
{
    float sine, cosine;
    SinCos(system.orbitAngle * DEGREES, &sine, &cosine);
    return Vec3(sine * system.orbitRadius, cosine * system.orbitRadius, 0.0f);
}

// The map's backdrop: the particle systems behind the galaxy or a star system. Each is spawned
// afresh whenever the view is shown and draws from a generator of its own, seeded by its place
// in the backdrop, so the backdrop looks the same whatever was spawned, drawn or played before.
class Backdrop {
public:
    // Every live system back to the pool first: the backdrop is all there is.
    Backdrop() { TheScene.particles->KillAll(); }

    // A system at a point: it runs for good (no timed emission), is stepped even where no view
    // sees it, and starts from the given point whatever its definition says.
    ParticleSystem* Spawn(const char* name, const Vec3& at)
    {
        const uint32_t place = spawned_++;
        ParticleSystem* system = TheScene.particles->SpawnSystem(name);
        if (!system) return nullptr;
        system->flags &= ~PARTICLE_TIMED;
        system->flags |= PARTICLE_ALWAYS_UPDATE | PARTICLE_OFFSET_ORIGIN;
        system->offset = at;
        MwcGenerator start;
        start.z += 1009u * place;
        start.w += 2003u * place;
        system->DrawFromOwnGenerator(start);
        return system;
    }

    // The backdrop settles before it is first seen.
    static void Settle()
    {
        for (int i = 0; i < 400; ++i) TheScene.particles->UpdateWith(0.05f);
    }

private:
    uint32_t spawned_ = 0;
};

}  // namespace

const char* BodyEnvironmentName(int environment)
{
    return environment >= 0 && environment < BODY_ENVIRONMENT_COUNT ? EnvironmentNames[environment] : "forest";
}

int BodyEnvironmentFromName(const char* name)
{
    for (int i = 0; name && i < BODY_ENVIRONMENT_COUNT; ++i)
        if (strcasecmp(name, EnvironmentNames[i]) == 0) return i;
    return 0;
}

void CelestialBody::Init()
{
    CopyText(name, sizeof name, "none");
    systemIndex = -1;
    environment = 0;
    levelMin = levelMax = 0;
    storyId = -1;
    missionId = -1;
    completed = 0;
    levelSeed = -1;
    levelStamp = -1;
    mission = RandomMissionBlock();
    starType = 0;
    gasGiant = 0;
    ringed = 0;
    scale = 1.0f;
    spinSpeed = 10.0f;
    orbitRadius = 2.0f;
    orbitSpeed = 100.0f;
    orbitAngle = 0.0f;
    extent = 1.0f;
    surface[0] = surface[1] = surface[2] = 0;
    MatrixIdentity(&world);
    spinAngle = 0.0f;
    position = Vec3(0, 0, 0);
    parent = firstChild = nextSibling = nullptr;
}

int CelestialBody::CountPlanets() const
{
    if (parent) return 0;
    int n = 0;
    for (const CelestialBody* b = firstChild; b; b = b->nextSibling) ++n;
    return n;
}

void CelestialBody::GetEnvironmentColour(float out[4]) const
{
    static const float colours[8][4] = {
        {0.2f, 0.5f, 0.8f, 1.0f}, {0.1f, 0.5f, 0.8f, 1.0f}, {0.3f, 0.3f, 0.7f, 1.0f}, {0.2f, 0.7f, 0.7f, 1.0f},
        {0.2f, 0.4f, 0.7f, 1.0f}, {0.5f, 0.5f, 0.5f, 0.2f}, {0.7f, 0.9f, 0.4f, 0.9f}, {0.9f, 0.2f, 0.1f, 0.9f},
    };
    const float* c = environment >= 0 && environment < 8 ? colours[environment] : colours[BODY_WINTER];
    for (int i = 0; i < 4; ++i) out[i] = c[i];
}

void CelestialBody::AppendChild(CelestialBody* child)
{
    child->parent = this;
    child->nextSibling = nullptr;
    CelestialBody** slot = &firstChild;
    while (*slot) slot = &(*slot)->nextSibling;
    *slot = child;
}

void CelestialBody::UpdateTransform(float dt)
{
    const bool systemView = TheGalaxy && TheGalaxy->galaxyView == 0;
    const float timeScale = TheGalaxy ? TheGalaxy->timeScale : 0.5f;
    // The worlds hold their places while the cursor rests on one of them (or on its marker):
    // a player who aimed at a moving world clicks it where it was aimed at.
    const CelestialBody* hovered = TheGalaxy ? TheGalaxy->hoveredBody : nullptr;
    const float orbitTime = systemView && hovered && hovered->parent ? 0.0f : dt;
    if (parent) {
        orbitAngle = (float)fmod(timeScale * orbitSpeed * orbitTime + orbitAngle, 360.0);
        float d = parent->scale + orbitRadius, s, c;
        SinCos(orbitAngle * DEGREES, &s, &c);
        position = Vec3(s * d, c * d, 0);
    } else if (systemView) {
        position = Vec3(0, 0, 0);
    }
    spinAngle = (float)fmod(spinAngle - spinSpeed * dt, 360.0);

    Matrix m, step;
    MatrixIdentity(&m);
    if (parent) {
        MatrixRotationX(&step, 1.3089969f);
        m = m * step;
    }
    MatrixScaling(&step, scale, scale, scale);
    m = m * step;
    if (parent)
        MatrixRotationZ(&step, spinAngle * DEGREES);
    else
        MatrixRotationY(&step, spinAngle * DEGREES);
    m = m * step;
    extent = scale;
    if (parent) position = position + parent->position;
    m._41 = position.x;
    m._42 = position.y;
    m._43 = position.z;
    world = m;
    for (CelestialBody* child = firstChild; child; child = child->nextSibling) {
        child->UpdateTransform(dt);
        extent += child->scale;
    }
}

void CelestialBody::PickSurface()
{
    surface[0] = environment;
    surface[1] = surface[2] = 0;
    switch (environment) {
    case BODY_FOREST:
    case BODY_FALL:
    case BODY_WINTER:
        surface[1] = Rand() % 6 + 1;
        surface[2] = Rand() % 3 + 1;
        break;
    case BODY_DESERT:
        surface[1] = Rand() % 4;
        surface[2] = Rand() % 3;
        break;
    case BODY_MARSH:
        surface[1] = Rand() % 2 + 1;
        surface[2] = Rand() % 2 + 1;
        break;
    case BODY_ALIEN:
        surface[1] = Rand() % 2 + 1;
        surface[2] = Rand() % 3 + 1;
        break;
    case BODY_LAVA: surface[2] = Rand() % 2; break;
    default: break;
    }
}

Galaxy::Galaxy()
{
    static const int colours[8][3] = {{220, 41, 0},    {249, 100, 0},   {255, 249, 0},  {255, 255, 227},
                                      {205, 237, 226}, {117, 181, 190}, {26, 156, 190}, {3, 87, 97}};
    for (int i = 0; i < 8; ++i) {
        for (int c = 0; c < 3; ++c) starColours[i][c] = colours[i][c] / 255.0f;
        starColours[i][3] = 1.0f;
    }
    MatrixIdentity(&viewMatrix);
}

// The screen's windows and the planets' meshes are released by the screen before the galaxy
// goes (ReleaseGui, ReleasePlanetAssets).
Galaxy::~Galaxy()
{
    for (CelestialBody& root : systems) FreeTree(root.firstChild);
    if (TheGalaxy == this) TheGalaxy = nullptr;
}

void Galaxy::ForgetSystems()
{
    // A galaxy made again from a profile's seed must not keep the old planets alive.
    for (CelestialBody& root : systems) {
        FreeTree(root.firstChild);
        root.Init();
    }
    count = 0;
    seed = -1;
    clickedBody = selectedBody = nullptr;
    hoveredBody = infoBody = nullptr;
}

int Galaxy::Generate(int newSeed)
{
    if (newSeed == -1) newSeed = (int)(((uint32_t)(uint64_t)time(nullptr) >> 1) % 99999u);
    seed = newSeed;
    SRand((unsigned)newSeed);
    GenerateLayout(galaxyView == 1);
    if (galaxyView == 0) GenerateStarSystem(selectedSystem, true);
    return newSeed;
}

void Galaxy::GenerateLayout(bool spawnBackdrop)
{
    if (count < 1) LayOut();
    // The spiral's arms, its stars and its core behind the systems.
    if (!spawnBackdrop || !backdropShown || !TheScene.particles || count < 1) return;
    Backdrop backdrop;
    ParticleSystem* first = backdrop.Spawn("galaxy", OnGalaxyMap(systems[0]));
    const int second = first && count > 1 ? 1 : 0;
    if (ParticleSystem* turned = backdrop.Spawn("galaxy", OnGalaxyMap(systems[second]))) turned->yaw += 180.0f;
    const int third = std::min(second + 1, count - 1), fourth = std::min(second + 2, count - 1);
    backdrop.Spawn("galaxy2", OnGalaxyMap(systems[third]));
    if (ParticleSystem* turned = backdrop.Spawn("galaxy2", OnGalaxyMap(systems[fourth]))) turned->yaw += 180.0f;
    for (int i = 0; i < 3; ++i)
        if (ParticleSystem* stars = backdrop.Spawn("galstars", Vec3(0, 0, -2))) {
            // Each further field a little wider and sparser.
            stars->area = stars->area * (1.0f + 0.25f * i);
            stars->rate *= 1.0f - 0.2f * i;
            stars->size *= 1.0f + 0.2f * i;
        }
    backdrop.Spawn("nebula", Vec3(0, 0, 0));
    backdrop.Spawn("galcenter", Vec3(0, 0, 0));
    Backdrop::Settle();
}

void Galaxy::LayOut()
{
    std::fill(MissionsPerLevel, MissionsPerLevel + LEVEL_COUNT, 0);
    NextMissionId = 0;
    NextStoryIndex = 0;
    float r = 0.6f, a = 0.0f;
    int k = 0, j = 0;
    do {
        CelestialBody& s = systems[count];
        s.scale = (float)(Unit() * 0.6 + 0.4);
        s.systemIndex = count;
        s.starType = Rand() % (s.scale < 0.5f ? 4 : s.scale < 0.75f ? 6 : 8);
        s.levelMin = (int)(NextMissionId / 100.0 * 10.0);
        s.levelMax = std::min(s.levelMin + 1, 10);
        r += 0.5f;
        a += 35.55555555555556f;
        float sine, cosine;
        SinCos(a * DEGREES, &sine, &cosine);
        s.position = Vec3(sine * r, cosine * r, 0);
        s.orbitRadius = r;
        s.orbitAngle = a;
        s.orbitSpeed = 20.0f;
        if (k < 8)
            CopyText(s.name, sizeof s.name, SystemWords[k % 8]);
        else
            snprintf(s.name, sizeof s.name, "%.40s %.8s", SystemWords[k % 8], SystemSuffixes[std::min(k / 8, 4)]);
        ++k;
        GenerateStarSystem(count, false);
        ++count;
        if (count >= MAX_SYSTEMS) break;
        if (++j > 9) {
            r = 0.6f;
            a = 180.0f;
            j = 0;
        }
    } while (NextMissionId < MISSION_TARGET);
}

void Galaxy::GenerateStarSystem(int index, bool spawnBackdrop)
{
    if (index < 0 || index >= MAX_SYSTEMS) return;
    CelestialBody& root = systems[index];
    if (!root.firstChild) MakeStarSystem(root);
    // Far stars, a haze and the star's corona behind the system.
    if (!spawnBackdrop || !backdropShown || !TheScene.particles) return;
    Backdrop backdrop;
    backdrop.Spawn("bgstars", Vec3(0, 0, -100));
    if (ParticleSystem* far = backdrop.Spawn("bgstars", Vec3(0, 0, -100))) {
        far->area = far->area * 1.5f;
        far->rate *= 0.6f;
        far->size *= 1.5f;
    }
    backdrop.Spawn("nebula", Vec3(0, 0, -2));
    if (ParticleSystem* corona = backdrop.Spawn("corona", Vec3(0, 0, root.scale))) corona->size = 1.75f * root.scale;
    Backdrop::Settle();
}

void Galaxy::MakeStarSystem(CelestialBody& root)
{
    const int n = root.levelMin >= 2 ? Rand() % 3 + 2 : 2;
    int environments[8];
    RandomPermutation(environments, 8);
    RandomPermutation(CategoryDeck, 6);
    RandomPermutation(FactionDeck, 4);
    int gasGiants[4];
    RandomPermutation(gasGiants, 4);
    int g = 0;

    float e = root.scale + 0.1f, p = 0.0f;
    for (int i = 0; i < n; ++i) {
        CelestialBody* planet = new CelestialBody();
        planet->spinAngle = (float)(Unit() * 360);
        planet->environment = (int8_t)environments[i];
        if (Rand() % 3 == 0) {
            planet->gasGiant = gasGiants[g];
            g = g < 3 ? g + 1 : 0;
        }
        // The levels spread evenly over the system's range, rounded.
        planet->levelMin = planet->levelMax =
            root.levelMin + (int)((double)(root.levelMax - root.levelMin) / (n - 1) * i + 0.5);
        if (!planet->IsGasGiant()) PlaceStory(planet);
        if (!planet->IsGasGiant() && planet->storyId < 0) GenerateMission(planet);
        planet->PickSurface();
        CopyText(planet->name, sizeof planet->name, PlanetNames[i]);
        root.AppendChild(planet);
        if (!planet->IsGasGiant()) {
            planet->scale = (float)(Unit() * 0.08 + 0.1);
            planet->missionId = NextMissionId++;
            ++MissionsPerLevel[std::clamp(planet->levelMin, 0, LEVEL_COUNT - 1)];
        } else {
            planet->scale = (float)(Unit() * 0.09 + 0.22);
            planet->ringed = Rand() % 2;
        }
        planet->orbitRadius = p + e + planet->scale;
        if (i > 0) planet->orbitRadius += (float)(Unit() * 0.19999998807907104 + 0.3);
        e = planet->scale;
        float speed = std::max(10.0f - planet->orbitRadius, 1.0f);
        planet->orbitSpeed = speed * speed * 0.1f;
        planet->orbitAngle = (float)(Unit() * 360);
        int m;
        if (!planet->IsGasGiant())
            m = n >= 3 ? Rand() % 3 : Rand() % 2 + 1;
        else
            m = n >= 3 ? Rand() % 3 + 1 : Rand() % 2 + 2;

        float b = planet->scale + 0.1f + (planet->ringed ? 0.15f : 0.0f), q = 0.0f;
        for (int k = 0; k < m; ++k) {
            CelestialBody* moon = new CelestialBody();
            moon->spinAngle = (float)(Unit() * 360);
            snprintf(moon->name, sizeof moon->name, "%.50s-%d", planet->name, k);
            if (planet->IsGasGiant() && k == 0)
                moon->levelMin = planet->levelMin;
            else
                moon->levelMin = root.levelMin + Rand() % (root.levelMax - root.levelMin + 1);
            moon->levelMax = moon->levelMin;
            moon->environment = (int8_t)(Rand() % 8);
            PlaceStory(moon);
            if (moon->storyId < 0) GenerateMission(moon);
            moon->PickSurface();
            moon->scale = (float)(Unit() * 0.02 + 0.04);
            moon->orbitRadius = k * 0.15f + b;
            moon->orbitSpeed = (m - k + 1) * 10.0f;
            moon->orbitAngle = (float)(Unit() * 360);
            q = std::max(q, moon->orbitRadius);
            planet->AppendChild(moon);
            moon->missionId = NextMissionId++;
            ++MissionsPerLevel[std::clamp(moon->levelMin, 0, LEVEL_COUNT - 1)];
        }
        planet->orbitRadius += q;
        p = planet->orbitRadius;
        e += q;
    }
}

void Galaxy::RefreshCompleted()
{
    PlayerProfile* profile = GetPlayerProfile();
    for (int s = 0; s < count; ++s)
        FindInTree(systems[s].firstChild, [&](CelestialBody* body) {
            if (body->missionId >= 0) body->completed = profile->IsMissionCompleted(body->missionId) ? 1 : 0;
            return false;
        });
}

void CountMissionBodies(const CelestialBody* tree, int* total, int* completed)
{
    *total = *completed = 0;
    if (!tree) return;
    if (tree->missionId >= 0) ++*total;
    if (tree->completed == 1) ++*completed;
    CountTree(tree->firstChild, total, completed);
}

void Galaxy::CountMissions(int* completed, int* total) const
{
    *completed = *total = 0;
    for (int s = 0; s < count; ++s) CountTree(systems[s].firstChild, total, completed);
}

CelestialBody* Galaxy::FindBodyByStoryId(int id)
{
    return FindInSystems(*this, [id](CelestialBody* b) { return b->storyId == id; });
}

void Galaxy::SetStoryMissionCompleted(int storyId, bool on)
{
    CelestialBody* body = FindBodyByStoryId(storyId);
    if (!body) return;
    GetPlayerProfile()->SetMissionCompleted(body->missionId, on);
    body->completed = on ? 1 : 0;
}

CelestialBody* Galaxy::FindBodyByMissionId(int id)
{
    return FindInSystems(*this, [id](CelestialBody* b) { return b->missionId == id; });
}

bool Galaxy::CheckLevelStamp()
{
    int stamp = Rand() % 10001;
    if (!selectedBody) return true;
    if (selectedBody->levelStamp == -1) {
        selectedBody->levelStamp = stamp;
        return true;
    }
    return stamp == selectedBody->levelStamp;
}

MissionRecord* Galaxy::TakeSelectedMission()
{
    CelestialBody* body = selectedBody;
    if (!body || (!MissionRequirementsIgnored && GetPlayerProfile()->level < body->levelMin)) return nullptr;
    MissionRecord* record = nullptr;
    if (body->storyId < 0) {
        record = &MissionCatalogue::scratch;
        BuildMissionRecord(body, record);
        MissionCatalogue::scratchActive = true;
    } else if (MissionCatalogue::missions && body->storyId < MissionCatalogue::missionCount) {
        record = &MissionCatalogue::missions[body->storyId];
        record->levelSeed = body->levelSeed;
        MissionCatalogue::selectedIndex = body->storyId;
        MissionCatalogue::scratchActive = false;
    }
    if (record && TheScene.particles) TheScene.particles->KillAll();
    return record;
}

CelestialBody* Galaxy::PickMissionBody(int environment)
{
    if (count < 1) return nullptr;
    const int level = GetPlayerProfile()->level;
    // Drawn before the systems are made: making them seeds the generator with the galaxy's seed.
    const unsigned draw = (unsigned)Rand();
    std::vector<std::pair<int, CelestialBody*>> found;
    for (int i = 0; i < count; ++i) {
        if (systems[i].levelMin > level) continue;
        // The system as the galaxy screen shows it: made from the galaxy's own seed.
        selectedSystem = i;
        galaxyView = 0;
        Generate(seed);
        std::vector<CelestialBody*> open;
        for (CelestialBody* planet = systems[i].firstChild; planet; planet = planet->nextSibling) {
            open.push_back(planet);
            for (CelestialBody* moon = planet->firstChild; moon; moon = moon->nextSibling) open.push_back(moon);
        }
        for (CelestialBody* body : open)
            if (body->missionId >= 0 && body->storyId < 0 && !body->IsGasGiant() && body->levelMin <= level &&
                !GetPlayerProfile()->IsMissionCompleted(body->missionId) &&
                (environment < 0 || body->environment == environment))
                found.push_back({i, body});
    }
    if (found.empty()) return nullptr;
    const auto& pick = found[draw % found.size()];
    selectedSystem = pick.first;
    return pick.second;
}

int GetSelectedStoryId()
{
    return TheGalaxy && TheGalaxy->selectedBody ? TheGalaxy->selectedBody->storyId : -1;
}
