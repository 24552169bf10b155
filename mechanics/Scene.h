#pragma once
// The world of a level: so far the managers the Scene makes once at start-up and keeps for
// the whole run (mesh and animation libraries, effects, particles) and the names of the
// level's height and colour maps. The entity lists, the entity factory and the scene files
// come with the world.
class EffectManager;
class ParticleManager;

class Scene {
public:
    // Creates the libraries and managers (once; later calls change nothing); each enters the
    // device's release and restore lists itself. Needs the graphics device.
    void Init();
    // Frees the effect manager at shutdown, before the device goes.
    void ReleaseEffectManager();
    // Frees the particle manager at shutdown, before the device goes.
    void ReleaseParticleManager();

    // Frees the mesh and animation libraries at shutdown, before the device goes.
    void ReleaseLibraries();

    EffectManager* effects = nullptr;
    ParticleManager* particles = nullptr;
    char heightmapName[256] = "none";
    char colourMapName[256] = "none";
};

extern Scene TheScene;
