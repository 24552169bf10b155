#include "mechanics/Scene.h"

#include "host/Log.h"
#include "render/AnimLibrary.h"
#include "render/EffectManager.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "render/ParticleManager.h"

Scene TheScene;

namespace {

void ReleaseEffects(void*)
{
    if (TheScene.effects) TheScene.effects->ReleaseAll();
}

void RestoreEffects(void*)
{
    if (TheScene.effects) TheScene.effects->RestoreAll();
}

void ReleaseParticles(void*)
{
    if (TheScene.particles) TheScene.particles->ReleaseBuffers();
}

void RestoreParticles(void*)
{
    if (TheScene.particles) TheScene.particles->RestoreBuffers();
}

}  // namespace

void Scene::Init()
{
    if (!TheMeshLibrary) TheMeshLibrary = new MeshLibrary();
    if (!TheAnimLibrary) TheAnimLibrary = new AnimLibrary();
    if (!particles) particles = new ParticleManager();
    if (!effects && Graphics && Graphics->device) effects = new EffectManager(Graphics->device);
    SetDeviceReleaseStep(RELEASE_EFFECTS, ReleaseEffects);
    SetDeviceRestoreStep(RESTORE_EFFECTS, RestoreEffects);
    SetDeviceReleaseStep(RELEASE_PARTICLES, ReleaseParticles);
    SetDeviceRestoreStep(RESTORE_PARTICLES, RestoreParticles);
}

void Scene::ReleaseEffectManager()
{
    SetDeviceReleaseStep(RELEASE_EFFECTS, nullptr);
    SetDeviceRestoreStep(RESTORE_EFFECTS, nullptr);
    delete effects;
    effects = nullptr;
    EffectManager::ClosePackage();
}

void Scene::ReleaseParticleManager()
{
    SetDeviceReleaseStep(RELEASE_PARTICLES, nullptr);
    SetDeviceRestoreStep(RESTORE_PARTICLES, nullptr);
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
