#pragma once
// The GUI drawn for real with 3D in it (portraits, previews): GuiOnScreen with an effect
// manager reading the shipped effects and textures, and mesh and animation libraries of its
// own, all let go again after the test.
#include "render/AnimLibrary.h"
#include "render/EffectManager.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "render/RenderStateCache.h"
#include "render/TextureManager.h"
#include "tests/gui/GuiTestSupport.h"

#include <memory>

class MeshesOnScreen : public GuiOnScreen {
protected:
    MeshesOnScreen(int width, int height) : GuiOnScreen(width, height) {}
    void SetUp() override
    {
        GuiOnScreen::SetUp();
        if (IsSkipped()) return;
        effects_ = std::make_unique<EffectManager>(Graphics->device);
        TheEffectManager = effects_.get();
        EffectValues = EffectBindingValues();
        EffectValues.getTexture = [](const char* name) {
            return Textures ? Textures->GetTexture(name)->texture : nullptr;
        };
        animations_ = std::make_unique<AnimLibrary>();
        TheAnimLibrary = animations_.get();
        meshes_ = std::make_unique<MeshLibrary>();
        TheMeshLibrary = meshes_.get();
        ForgetMeshSceneParameters();
        RenderStates.SetRenderState(RS_FOGENABLE, 0);
    }
    void TearDown() override
    {
        TheMeshLibrary = nullptr;
        meshes_.reset();
        TheAnimLibrary = nullptr;
        animations_.reset();
        TheEffectManager = nullptr;
        effects_.reset();
        EffectManager::ClosePackage();
        EffectValues = EffectBindingValues();
        ReleaseMeshVertexDeclaration();
        GuiOnScreen::TearDown();
    }

    std::unique_ptr<EffectManager> effects_;
    std::unique_ptr<AnimLibrary> animations_;
    std::unique_ptr<MeshLibrary> meshes_;
};
