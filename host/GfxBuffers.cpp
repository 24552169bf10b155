// Vertex and index buffers (a memory copy in front of an OpenGL buffer) and vertex
// declarations.
#include "host/GfxBuffers.h"

#include "host/GfxDevice.h"
#include "host/GfxInternal.h"

// ---- GfxBuffer --------------------------------------------------------------------------------

GfxBuffer::GfxBuffer(GfxDevice* device, uint32_t length, uint32_t usage, GfxPool pool, bool counted)
    : GfxResource(device, pool, counted), bytes_(length, 0), usage_(usage)
{
}

GfxBuffer::~GfxBuffer() { ReleaseGL(); }

void GfxBuffer::ReleaseGL()
{
    if (buffer_ && device_) {
        GLuint name = buffer_;
        device_->ForgetBuffer(this);
        glDeleteBuffers(1, &name);
    }
    buffer_ = 0;
}

GfxResult GfxBuffer::Allocate()
{
    TakeGlError();
    GLuint name = 0;
    glGenBuffers(1, &name);
    glBindBuffer(GL_COPY_WRITE_BUFFER, name);
    glBufferData(GL_COPY_WRITE_BUFFER, bytes_.size(), bytes_.data(),
                 (usage_ & USAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    buffer_ = name;
    GfxResult result = TakeGlError();
    if (GfxFailed(result)) {
        glDeleteBuffers(1, &name);
        buffer_ = 0;
    }
    return result;
}

GfxResult GfxBuffer::Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags)
{
    if (!data) return ERR_INVALIDCALL;
    *data = nullptr;
    uint32_t length = (uint32_t)bytes_.size();
    if (offset > length || (size && size > length - offset)) return ERR_INVALIDCALL;
    if (size == 0) size = length - offset;
    if (!(flags & LOCK_READONLY) && size) {
        if (dirtyBegin_ == dirtyEnd_) {
            dirtyBegin_ = offset;
            dirtyEnd_ = offset + size;
        } else {
            if (offset < dirtyBegin_) dirtyBegin_ = offset;
            if (offset + size > dirtyEnd_) dirtyEnd_ = offset + size;
        }
        if (flags & LOCK_DISCARD) discard_ = true;
    }
    ++lockCount_;
    *data = bytes_.data() + offset;
    return GFX_OK;
}

GfxResult GfxBuffer::Unlock()
{
    if (lockCount_ == 0) return ERR_INVALIDCALL;
    if (--lockCount_ > 0) return GFX_OK;
    if (dirtyBegin_ != dirtyEnd_ && buffer_) {
        glBindBuffer(GL_COPY_WRITE_BUFFER, buffer_);
        if (discard_) {
            // A fresh store, so that drawing still under way from the old one need not finish.
            glBufferData(GL_COPY_WRITE_BUFFER, bytes_.size(), bytes_.data(),
                         (usage_ & USAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
        } else {
            glBufferSubData(GL_COPY_WRITE_BUFFER, dirtyBegin_, dirtyEnd_ - dirtyBegin_, bytes_.data() + dirtyBegin_);
        }
    }
    dirtyBegin_ = dirtyEnd_ = 0;
    discard_ = false;
    return GFX_OK;
}

GfxResult GfxVertexBuffer::GetDesc(VertexBufferDesc* desc) const
{
    if (!desc) return ERR_INVALIDCALL;
    desc->Format = FMT_UNKNOWN;
    desc->Type = RTYPE_VERTEXBUFFER;
    desc->Usage = usage_;
    desc->Pool = pool_;
    desc->Size = GetLength();
    desc->FVF = fvf_;
    return GFX_OK;
}

GfxResult GfxIndexBuffer::GetDesc(IndexBufferDesc* desc) const
{
    if (!desc) return ERR_INVALIDCALL;
    desc->Format = format_;
    desc->Type = RTYPE_INDEXBUFFER;
    desc->Usage = usage_;
    desc->Pool = pool_;
    desc->Size = GetLength();
    return GFX_OK;
}

// ---- GfxVertexDeclaration ---------------------------------------------------------------------

namespace {

uint32_t TypeSize(uint32_t type)
{
    switch (type) {
    case DECLTYPE_FLOAT1: return 4;
    case DECLTYPE_FLOAT2: return 8;
    case DECLTYPE_FLOAT3: return 12;
    case DECLTYPE_FLOAT4: return 16;
    case DECLTYPE_D3DCOLOR:
    case DECLTYPE_UBYTE4:
    case DECLTYPE_UBYTE4N:
    case DECLTYPE_SHORT2:
    case DECLTYPE_SHORT2N:
    case DECLTYPE_USHORT2N:
    case DECLTYPE_FLOAT16_2: return 4;
    case DECLTYPE_SHORT4:
    case DECLTYPE_SHORT4N:
    case DECLTYPE_USHORT4N:
    case DECLTYPE_FLOAT16_4: return 8;
    default: return 0;
    }
}

uint32_t TypeComponents(uint32_t type)
{
    switch (type) {
    case DECLTYPE_FLOAT1: return 1;
    case DECLTYPE_FLOAT2:
    case DECLTYPE_SHORT2:
    case DECLTYPE_SHORT2N:
    case DECLTYPE_USHORT2N:
    case DECLTYPE_FLOAT16_2: return 2;
    case DECLTYPE_FLOAT3: return 3;
    default: return 4;
    }
}

// -1 for fields no shader reads.
int LocationOf(uint32_t usage, uint32_t index)
{
    switch (usage) {
    case DECLUSAGE_POSITION:
    case DECLUSAGE_POSITIONT: return index == 0 ? (int)ATTRIB_POSITION : -1;
    case DECLUSAGE_NORMAL: return index == 0 ? (int)ATTRIB_NORMAL : -1;
    case DECLUSAGE_COLOR: return index < 2 ? (int)(ATTRIB_COLOR0 + index) : -1;
    case DECLUSAGE_TEXCOORD: return index < MAX_TEXCOORD_SETS ? (int)(ATTRIB_TEXCOORD0 + index) : -1;
    case DECLUSAGE_TANGENT: return index == 0 ? (int)ATTRIB_TANGENT : -1;
    case DECLUSAGE_BINORMAL: return index == 0 ? (int)ATTRIB_BINORMAL : -1;
    case DECLUSAGE_BLENDWEIGHT: return index == 0 ? (int)ATTRIB_BLENDWEIGHT : -1;
    case DECLUSAGE_BLENDINDICES: return index == 0 ? (int)ATTRIB_BLENDINDICES : -1;
    case DECLUSAGE_PSIZE: return index == 0 ? (int)ATTRIB_PSIZE : -1;
    default: return -1;
    }
}

}  // namespace

bool GfxVertexDeclaration::Build(const VertexElement* elements)
{
    if (!elements) return false;
    for (int i = 0; i < 64; ++i) {
        const VertexElement& e = elements[i];
        if (e.Stream == 0xFF) {
            elements_.push_back(e);
            return true;
        }
        if (e.Stream >= MAX_VERTEX_STREAMS || TypeSize(e.Type) == 0) return false;
        elements_.push_back(e);
        int location = LocationOf(e.Usage, e.UsageIndex);
        if (location < 0 || Has((uint32_t)location)) continue;
        attributes_.push_back(Attribute{(uint32_t)location, e.Stream, e.Offset, e.Type});
        locations_ |= 1u << location;
        if (e.Usage == DECLUSAGE_POSITIONT) pretransformed_ = true;
        if (e.Usage == DECLUSAGE_TEXCOORD) texCoordSizes_[e.UsageIndex] = TypeComponents(e.Type);
    }
    return false;  // no end marker within reason
}

GfxResult GfxVertexDeclaration::GetDeclaration(VertexElement* elements, uint32_t* count) const
{
    if (!count) return ERR_INVALIDCALL;
    *count = (uint32_t)elements_.size();
    if (elements)
        for (size_t i = 0; i < elements_.size(); ++i) elements[i] = elements_[i];
    return GFX_OK;
}

bool GfxVertexDeclaration::ElementsFromFVF(uint32_t fvf, std::vector<VertexElement>& out)
{
    out.clear();
    uint16_t offset = 0;
    auto add = [&](uint8_t type, uint8_t usage, uint8_t index) {
        out.push_back(VertexElement{0, offset, type, DECLMETHOD_DEFAULT, usage, index});
        offset = (uint16_t)(offset + TypeSize(type));
    };
    uint32_t position = fvf & FVF_POSITION_MASK;
    switch (position) {
    case FVF_XYZ: add(DECLTYPE_FLOAT3, DECLUSAGE_POSITION, 0); break;
    case FVF_XYZRHW: add(DECLTYPE_FLOAT4, DECLUSAGE_POSITIONT, 0); break;
    case FVF_XYZW: add(DECLTYPE_FLOAT4, DECLUSAGE_POSITION, 0); break;
    case FVF_XYZB1:
    case FVF_XYZB2:
    case FVF_XYZB3:
    case FVF_XYZB4:
    case FVF_XYZB5: {
        add(DECLTYPE_FLOAT3, DECLUSAGE_POSITION, 0);
        uint32_t betas = (position - FVF_XYZ) / 2;
        bool lastIsIndices = (fvf & (FVF_LASTBETA_UBYTE4 | FVF_LASTBETA_D3DCOLOR)) != 0;
        uint32_t weights = lastIsIndices ? betas - 1 : betas;
        if (weights > 4) return false;
        if (weights) add((uint8_t)(DECLTYPE_FLOAT1 + weights - 1), DECLUSAGE_BLENDWEIGHT, 0);
        if (lastIsIndices)
            add((fvf & FVF_LASTBETA_UBYTE4) ? DECLTYPE_UBYTE4 : DECLTYPE_D3DCOLOR, DECLUSAGE_BLENDINDICES, 0);
        break;
    }
    case 0: break;
    default: return false;
    }
    if (fvf & FVF_NORMAL) add(DECLTYPE_FLOAT3, DECLUSAGE_NORMAL, 0);
    if (fvf & FVF_PSIZE) add(DECLTYPE_FLOAT1, DECLUSAGE_PSIZE, 0);
    if (fvf & FVF_DIFFUSE) add(DECLTYPE_D3DCOLOR, DECLUSAGE_COLOR, 0);
    if (fvf & FVF_SPECULAR) add(DECLTYPE_D3DCOLOR, DECLUSAGE_COLOR, 1);
    uint32_t sets = (fvf & FVF_TEXCOUNT_MASK) >> FVF_TEXCOUNT_SHIFT;
    if (sets > 8) return false;
    for (uint32_t set = 0; set < sets; ++set) {
        static const uint8_t kTypes[4] = {DECLTYPE_FLOAT2, DECLTYPE_FLOAT3, DECLTYPE_FLOAT4, DECLTYPE_FLOAT1};
        add(kTypes[(fvf >> (set * 2 + 16)) & 3], DECLUSAGE_TEXCOORD, (uint8_t)set);
    }
    out.push_back(DECL_END());
    return true;
}

uint32_t GfxVertexDeclaration::FVFVertexSize(uint32_t fvf)
{
    std::vector<VertexElement> elements;
    if (!ElementsFromFVF(fvf, elements) || elements.size() < 2) return 0;
    const VertexElement& last = elements[elements.size() - 2];
    return last.Offset + TypeSize(last.Type);
}
