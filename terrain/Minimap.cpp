#include "terrain/Minimap.h"

#include "platform/ConfigFile.h"
#include "platform/Timer.h"
#include "render/Shader.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"

MinimapLayout ComputeMinimapLayout(int h)
{
    MinimapLayout layout;
    layout.width = layout.height = 150 * h / 768;
    layout.margin = 8 * h / 768;
    layout.x = layout.margin;
    layout.y = h - layout.margin - layout.height;
    layout.frameSize = 166 * h / 768;
    layout.frameY = h - layout.frameSize;
    return layout;
}

Minimap::Minimap()
{
    for (Matrix& m : savedTransforms_) MatrixIdentity(&m);
}

Minimap::~Minimap()
{
    delete fogShader;
    delete landscapeShader;
}

void Minimap::Release()
{
    pings.ReleaseSprite();
    for (Sprite** sprite : {&frameSprite, &pictureQuad, &circleSprite, &objectiveSprite, &rigMarkerSprite})
        if (*sprite) {
            ReleaseSprite(*sprite);
            *sprite = nullptr;
        }
    delete fogShader;
    fogShader = nullptr;
    delete landscapeShader;
    landscapeShader = nullptr;
    // The targets and the sight texture are the texture manager's.
    fogTarget = visibilityTarget = visitedTarget = sightTexture = nullptr;
    miniTerrainTarget = pictureTarget = nullptr;
    created = texturesCreated = miniTerrainRendered = false;
}

void Minimap::OnLostDevice() {}

void Minimap::OnResetDevice()
{
    if (texturesCreated) layout = ComputeMinimapLayout(Config ? Config->height : 768);
    if (sightTexture && sightTexture->texture) {
        FillSightTexture();
        miniTerrainRendered = false;
    }
}

void Minimap::AddPing(const Vec3& position, int kind, int entityId, float time)
{
    pings.Add(position, kind, entityId, time, FrameTimer.frameCount);
}

bool Minimap::ContainsPoint(int x, int y) const
{
    return x > layout.x && x < layout.x + layout.width && y > layout.y && y < layout.y + layout.height;
}
