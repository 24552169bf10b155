#include "mechanics/Scene.h"

#include "host/Log.h"
#include "render/AnimLibrary.h"
#include "render/EffectManager.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "render/ParticleManager.h"

Scene TheScene;

void Scene::Init()
{
    if (!TheMeshLibrary) TheMeshLibrary = new MeshLibrary();
    if (!TheAnimLibrary) TheAnimLibrary = new AnimLibrary();
    if (!particles) particles = new ParticleManager();
    if (!effects && Graphics && Graphics->device) effects = new EffectManager(Graphics->device);
}

void Scene::ReleaseEffectManager()
{
    delete effects;
    effects = nullptr;
    EffectManager::ClosePackage();
}

void Scene::ReleaseParticleManager()
{
    delete particles;
    particles = nullptr;
}

void Scene::ReleaseLibraries()
{
    delete TheMeshLibrary;
    TheMeshLibrary = nullptr;
    delete TheAnimLibrary;
    TheAnimLibrary = nullptr;
}
