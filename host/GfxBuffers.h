#pragma once
// Vertex buffers, index buffers and vertex declarations.
//
// A buffer keeps a copy of its bytes in memory, so a lock hands out that copy at once, for
// reading as well as writing (the terrain and the skinned meshes read back what they wrote);
// the last unlock sends the locked range to the GPU. Offset and size 0 lock the whole
// buffer; LOCK_DISCARD tells that the old contents are no longer needed.
#include "host/GfxResource.h"

#include <cstdint>
#include <vector>

class GfxBuffer : public GfxResource {
public:
    GfxResult Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags);
    GfxResult Unlock();
    uint32_t GetLength() const { return (uint32_t)bytes_.size(); }
    uint32_t GetUsage() const { return usage_; }
    // The OpenGL buffer name (for the device).
    uint32_t GetGLName() const { return buffer_; }
    const uint8_t* GetBytes() const { return bytes_.data(); }

protected:
    GfxBuffer(GfxDevice* device, uint32_t length, uint32_t usage, GfxPool pool, bool counted = true);
    ~GfxBuffer() override;
    void ReleaseGL() override;
    GfxResult Allocate();

    std::vector<uint8_t> bytes_;
    uint32_t usage_;
    uint32_t buffer_ = 0;
    uint32_t lockCount_ = 0;
    uint32_t dirtyBegin_ = 0, dirtyEnd_ = 0;
    bool discard_ = false;

    friend class GfxDevice;
};

class GfxVertexBuffer : public GfxBuffer {
public:
    GfxResult GetDesc(VertexBufferDesc* desc) const;
    uint32_t GetFVF() const { return fvf_; }

private:
    GfxVertexBuffer(GfxDevice* device, uint32_t length, uint32_t usage, uint32_t fvf, GfxPool pool,
                    bool counted = true)
        : GfxBuffer(device, length, usage, pool, counted), fvf_(fvf)
    {
    }
    uint32_t fvf_;
    friend class GfxDevice;
};

class GfxIndexBuffer : public GfxBuffer {
public:
    GfxResult GetDesc(IndexBufferDesc* desc) const;
    GfxFormat GetFormat() const { return format_; }
    uint32_t GetIndexSize() const { return format_ == FMT_INDEX32 ? 4 : 2; }

private:
    GfxIndexBuffer(GfxDevice* device, uint32_t length, uint32_t usage, GfxFormat format, GfxPool pool,
                   bool counted = true)
        : GfxBuffer(device, length, usage, pool, counted), format_(format)
    {
    }
    GfxFormat format_;
    friend class GfxDevice;
};

// What a vertex carries and where: made from a list of elements or from an FVF code.
class GfxVertexDeclaration : public GfxResource {
public:
    // Copies the elements (DECL_END included) into `elements` when given; `count` gets the
    // number of elements with the end marker.
    GfxResult GetDeclaration(VertexElement* elements, uint32_t* count) const;

    struct Attribute {
        uint32_t location;  // shader input (host/GfxInternal.h)
        uint32_t stream;
        uint32_t offset;
        uint32_t type;      // DECLTYPE_*
    };
    const std::vector<Attribute>& GetAttributes() const { return attributes_; }
    bool IsPretransformed() const { return pretransformed_; }
    bool Has(uint32_t location) const { return (locations_ >> location) & 1; }
    // Floats of texture coordinate set n (0 when absent).
    uint32_t TexCoordSize(uint32_t set) const { return set < 4 ? texCoordSizes_[set] : 0; }

    // The elements an FVF code stands for; false for codes that make no sense.
    static bool ElementsFromFVF(uint32_t fvf, std::vector<VertexElement>& out);
    // Bytes of one vertex of an FVF code (0 for codes that make no sense).
    static uint32_t FVFVertexSize(uint32_t fvf);

private:
    GfxVertexDeclaration(GfxDevice* device, bool counted) : GfxResource(device, POOL_MANAGED, counted) {}
    bool Build(const VertexElement* elements);

    std::vector<VertexElement> elements_;
    std::vector<Attribute> attributes_;
    uint32_t locations_ = 0;
    uint32_t texCoordSizes_[4] = {0, 0, 0, 0};
    bool pretransformed_ = false;

    friend class GfxDevice;
};
