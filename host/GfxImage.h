#pragma once
// Between CPU images (host/Image.h) and the device: textures made from images, and surfaces
// read back into images (screenshots, saved height images, debug views).
#include "host/GfxDevice.h"
#include "host/Image.h"

// A 2D texture, or a cube texture for a six-face image, with the image's format, size and
// levels; every level is uploaded. A full chain asked for by `levels` 0 is completed on the
// GPU when the image has fewer levels.
GfxResult CreateTextureFromImage(GfxDevice* device, const Image& image, uint32_t levels, uint32_t usage,
                                 GfxPool pool, GfxBaseTexture** out);
// Uploads the levels and faces the texture and the image share (same format and size).
GfxResult UploadImage(GfxBaseTexture* texture, const Image& image);
// The pixels of a surface: a level of any texture, a render target, the back buffer or a
// system-memory surface, in the surface's format. False for formats images do not have.
bool ReadSurfaceImage(GfxDevice* device, GfxSurface* surface, Image& out);
