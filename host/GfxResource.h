#pragma once
// The base of every object the graphics device makes (buffers, textures, surfaces, vertex
// declarations, shader programs).
//
// Objects are counted: whoever keeps another pointer calls AddRef, whoever drops one calls
// Release, and the object is freed when the count reaches zero. The device holds its own
// reference to whatever is bound (textures, vertex streams, indices, render target,
// depth-stencil surface, program) until it is unbound, so releasing a bound object is safe.
// Objects made in POOL_DEFAULT must all be released before the device can be reset.
#include "host/GfxTypes.h"

#include <cstdint>

class GfxDevice;

class GfxResource {
public:
    GfxResource(const GfxResource&) = delete;
    GfxResource& operator=(const GfxResource&) = delete;

    virtual uint32_t AddRef();
    virtual uint32_t Release();
    GfxPool GetPool() const { return pool_; }
    GfxDevice* GetDevice() const { return device_; }

protected:
    // `counted` objects of POOL_DEFAULT keep the device from being reset while they live;
    // the device's own helpers are not counted.
    GfxResource(GfxDevice* device, GfxPool pool, bool counted = true);
    virtual ~GfxResource();
    // Frees the OpenGL objects. Called from the destructor, or by the device when it goes
    // first (the object then lives on as an empty shell until its last Release).
    virtual void ReleaseGL() {}

    GfxDevice* device_;
    GfxPool pool_;
    uint32_t refs_ = 1;
    bool counted_;

    friend class GfxDevice;
};
