// Warming the driver up: a draw's states written as one line of text, and a draw that covers
// no pixel made again from such a line.
//
// A line is words separated by spaces:
//   p=LABEL          the program (GfxProgram::GetLabel), "-" for the fixed-function pipeline,
//                    "?" for a program with no label (never warmed)
//   v=fFVF | v=dS.O.T.M.U.I,...   the vertex layout: an FVF code (hex) or declaration elements
//   t=bb | t=FORMAT  the render target: the back buffer or a target texture of that format
//   z=- | z=FORMAT   the depth-stencil surface
//   l=TTTTTTTT       light types (0 off), with lighting on in the fixed-function pipeline
//   w=0|1            a perspective projection (fog by eye distance), fixed function only
//   rN=V             a render state that is not 0
//   xS=K.F.P.Q.L     the texture at stage S: resource type, format, power-of-two width and
//                    height, a single level
//   sS.N=V           a sampler state of a stage with a texture or one the program samples,
//                    when not 0
//   mS.N=V           a texture stage state (fixed function only), when not 0
// A clear is a line of its own: "c=FLAGS t=FORMAT z=FORMAT a=AREA" (z=-1: no depth surface; AREA
// 1: part of the target, 2: a depth surface larger than the target).
// States that only carry values into the programs (fog colour and distances, reference values,
// the texture factor, point sizes, border colours) are left out: they never change the code.
#include "host/GfxDevice.h"
#include "host/GfxInternal.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

bool ValueOnlyRenderState(uint32_t state)
{
    switch (state) {
    case RS_ALPHAREF:
    case RS_FOGCOLOR:
    case RS_FOGSTART:
    case RS_FOGEND:
    case RS_FOGDENSITY:
    case RS_STENCILREF:
    case RS_TEXTUREFACTOR:
    case RS_AMBIENT:
    case RS_POINTSIZE:
    case RS_POINTSIZE_MIN:
    case RS_POINTSIZE_MAX:
    case RS_POINTSCALE_A:
    case RS_POINTSCALE_B:
    case RS_POINTSCALE_C:
    case RS_TWEENFACTOR:
    case RS_BLENDFACTOR: return true;
    default: return false;
    }
}

bool ValueOnlyStageState(uint32_t state)
{
    return (state >= TSS_BUMPENVMAT00 && state <= TSS_BUMPENVMAT11) || state == TSS_BUMPENVLSCALE ||
           state == TSS_BUMPENVLOFFSET || state == TSS_CONSTANT;
}

bool IsPowerOfTwo(uint32_t n) { return n && (n & (n - 1)) == 0; }

}  // namespace

void GfxDevice::RecordDrawStates(std::vector<std::string>* lines)
{
    recordedStates_ = lines;
    recordedSet_.clear();
    if (lines)
        for (const std::string& line : *lines) recordedSet_.insert(line);
}

std::string GfxDevice::DescribeDrawStates()
{
    std::ostringstream out;
    out << "p=";
    if (!program_)
        out << "-";
    else if (program_->GetLabel().empty())
        out << "?";
    else
        out << program_->GetLabel();

    if (!declaration_) {
        out << " v=f" << std::hex << fvf_ << std::dec;
    } else {
        std::vector<VertexElement> elements(64);
        uint32_t count = 0;
        declaration_->GetDeclaration(nullptr, &count);
        elements.resize(count);
        declaration_->GetDeclaration(elements.data(), &count);
        out << " v=d";
        for (uint32_t i = 0; i + 1 < count; ++i) {
            const VertexElement& e = elements[i];
            out << (i ? "," : "") << e.Stream << "." << e.Offset << "." << (int)e.Type << "." << (int)e.Method << "."
                << (int)e.Usage << "." << (int)e.UsageIndex;
        }
    }
    if (!renderTarget_ || renderTarget_->GetKind() == GfxSurface::BACK_BUFFER)
        out << " t=bb";
    else
        out << " t=" << (uint32_t)renderTarget_->GetFormat();
    if (depthStencil_)
        out << " z=" << (uint32_t)depthStencil_->GetFormat();
    else
        out << " z=-";
    if (!program_) {
        if (renderStates_[RS_LIGHTING]) {
            out << " l=";
            for (uint32_t i = 0; i < MAX_LIGHTS; ++i) out << (lightEnabled_[i] ? lights_[i].Type : 0u);
        }
        out << " w=" << (projection_._34 != 0.0f ? 1 : 0);
    }
    for (uint32_t i = 0; i < RENDER_STATE_COUNT; ++i)
        if (renderStates_[i] && !ValueOnlyRenderState(i)) out << " r" << i << "=" << renderStates_[i];
    const uint32_t sampled = program_ ? program_->GetSampledStages() : 0;
    for (uint32_t s = 0; s < MAX_SAMPLERS; ++s) {
        GfxBaseTexture* texture = textures_[s];
        const bool bound = texture && texture->GetGLName();
        // A stage the program samples with nothing bound still gives the driver its states.
        if (!bound && !((sampled >> s) & 1u)) continue;
        if (bound)
            out << " x" << s << "=" << (uint32_t)texture->GetType() << "." << (uint32_t)texture->GetFormat() << "."
                << (IsPowerOfTwo(texture->GetWidth()) ? 1 : 0) << "." << (IsPowerOfTwo(texture->GetHeight()) ? 1 : 0)
                << "." << (texture->GetLevelCount() == 1 ? 1 : 0);
        for (uint32_t i = 0; i < SAMPLER_STATE_COUNT; ++i)
            if (samplerStates_[s][i] && i != SAMP_BORDERCOLOR) out << " s" << s << "." << i << "=" << samplerStates_[s][i];
    }
    if (!program_)
        for (uint32_t s = 0; s < MAX_TEXTURE_STAGES; ++s)
            for (uint32_t i = 0; i < TEXTURE_STAGE_STATE_COUNT; ++i)
                if (stageStates_[s][i] && !ValueOnlyStageState(i)) out << " m" << s << "." << i << "=" << stageStates_[s][i];
    return out.str();
}

bool GfxDevice::WarmDraw(const std::string& line)
{
    if (loss_ != LOSS_NONE || !backBuffer_) return false;
    unsigned clearFlags = 0, clearTarget = 0;
    int clearDepth = -1, clearArea = 0;
    if (sscanf(line.c_str(), "c=%u t=%u z=%d a=%d", &clearFlags, &clearTarget, &clearDepth, &clearArea) == 4)
        return WarmClear(clearFlags, (GfxFormat)clearTarget, clearDepth, (clearArea & 1) != 0, (clearArea & 2) != 0);
    // What the line asks for.
    std::istringstream words(line);
    std::string word;
    std::vector<GfxProgram*> programs;
    bool fixedFunction = false, haveProgram = false;
    uint32_t fvf = 0;
    std::vector<VertexElement> elements;
    int targetFormat = -1, depthFormat = -1;
    uint32_t render[RENDER_STATE_COUNT] = {};
    struct StageTexture {
        bool used = false;
        uint32_t type = 0, format = 0;
        bool potWidth = true, potHeight = true, single = false;
    } stageTextures[MAX_SAMPLERS];
    uint32_t samplers[MAX_SAMPLERS][SAMPLER_STATE_COUNT] = {};
    bool samplerListed[MAX_SAMPLERS] = {};
    uint32_t stages[MAX_TEXTURE_STAGES][TEXTURE_STAGE_STATE_COUNT] = {};
    uint32_t lightTypes[MAX_LIGHTS] = {};
    bool perspective = false;
    while (words >> word) {
        if (word.size() < 3) return false;
        const std::string value = word.substr(word.find('=') + 1);
        if (word.compare(0, 2, "p=") == 0) {
            if (value == "?") return false;
            if (value == "-") {
                fixedFunction = haveProgram = true;
                continue;
            }
            // Every program of that name: two objects made from the same text are two programs
            // to the driver.
            for (GfxResource* resource : resources_) {
                GfxProgram* candidate = dynamic_cast<GfxProgram*>(resource);
                if (candidate && candidate->GetGLName() && candidate->GetLabel() == value) programs.push_back(candidate);
            }
            if (programs.empty()) return false;
            haveProgram = true;
        } else if (word.compare(0, 3, "v=f") == 0) {
            fvf = (uint32_t)strtoul(word.c_str() + 3, nullptr, 16);
        } else if (word.compare(0, 3, "v=d") == 0) {
            const char* at = word.c_str() + 3;
            while (*at) {
                unsigned stream, offset, type, method, usage, index;
                int used = 0;
                if (sscanf(at, "%u.%u.%u.%u.%u.%u%n", &stream, &offset, &type, &method, &usage, &index, &used) != 6)
                    return false;
                elements.push_back(VertexElement{(uint16_t)stream, (uint16_t)offset, (uint8_t)type, (uint8_t)method,
                                                 (uint8_t)usage, (uint8_t)index});
                at += used;
                if (*at == ',') ++at;
            }
            elements.push_back(DECL_END());
        } else if (word.compare(0, 2, "t=") == 0) {
            targetFormat = value == "bb" ? -1 : atoi(value.c_str());
        } else if (word.compare(0, 2, "z=") == 0) {
            depthFormat = value == "-" ? -1 : atoi(value.c_str());
        } else if (word.compare(0, 2, "l=") == 0) {
            for (uint32_t i = 0; i < MAX_LIGHTS && i < value.size(); ++i) lightTypes[i] = (uint32_t)(value[i] - '0');
        } else if (word.compare(0, 2, "w=") == 0) {
            perspective = value == "1";
        } else {
            unsigned a = 0, b = 0, v = 0;
            unsigned k, f, pw, ph, single;
            if (word[0] == 'r' && sscanf(word.c_str(), "r%u=%u", &a, &v) == 2 && a < RENDER_STATE_COUNT) {
                render[a] = v;
            } else if (word[0] == 'x' && sscanf(word.c_str(), "x%u=%u.%u.%u.%u.%u", &a, &k, &f, &pw, &ph, &single) == 6 &&
                       a < MAX_SAMPLERS) {
                stageTextures[a] = StageTexture{true, k, f, pw != 0, ph != 0, single != 0};
            } else if (word[0] == 's' && sscanf(word.c_str(), "s%u.%u=%u", &a, &b, &v) == 3 && a < MAX_SAMPLERS &&
                       b < SAMPLER_STATE_COUNT) {
                samplers[a][b] = v;
                samplerListed[a] = true;
            } else if (word[0] == 'm' && sscanf(word.c_str(), "m%u.%u=%u", &a, &b, &v) == 3 && a < MAX_TEXTURE_STAGES &&
                       b < TEXTURE_STAGE_STATE_COUNT) {
                stages[a][b] = v;
            } else {
                return false;
            }
        }
    }
    if (!haveProgram || (fvf == 0 && elements.empty())) return false;

    // Stand-ins: small objects of the same kinds. A texture's width and height keep whether
    // they are powers of two (12 is a whole number of compressed blocks and no power of two).
    std::vector<GfxResource*> made;
    GfxSurface* target = backBuffer_;
    if (targetFormat >= 0) {
        GfxTexture* texture = nullptr;
        if (GfxFailed(CreateTexture(4, 4, 1, USAGE_RENDERTARGET, (GfxFormat)targetFormat, POOL_DEFAULT, &texture)))
            return false;
        made.push_back(texture);
        target = nullptr;
        if (GfxFailed(texture->GetSurfaceLevel(0, &target))) target = nullptr;
        if (!target) {
            for (GfxResource* r : made) r->Release();
            return false;
        }
        made.push_back(target);
    }
    GfxSurface* depth = nullptr;
    if (depthFormat >= 0) {
        if (autoDepthStencil_ && (int)autoDepthStencil_->GetFormat() == depthFormat && targetFormat < 0) {
            depth = autoDepthStencil_;
        } else if (GfxSucceeded(CreateDepthStencilSurface(4, 4, (GfxFormat)depthFormat, 0, 0, false, &depth))) {
            made.push_back(depth);
        } else {
            depth = nullptr;
        }
    }
    GfxBaseTexture* standIns[MAX_SAMPLERS] = {};
    for (uint32_t s = 0; s < MAX_SAMPLERS; ++s) {
        const StageTexture& t = stageTextures[s];
        if (!t.used) continue;
        const uint32_t levels = t.single ? 1 : 0;
        if (t.type == RTYPE_CUBETEXTURE) {
            GfxCubeTexture* cube = nullptr;
            if (GfxSucceeded(CreateCubeTexture(t.potWidth ? 4 : 12, levels, 0, (GfxFormat)t.format, POOL_MANAGED, &cube)))
                standIns[s] = cube;
        } else {
            GfxTexture* texture = nullptr;
            if (GfxSucceeded(CreateTexture(t.potWidth ? 4 : 12, t.potHeight ? 4 : 12, levels, 0, (GfxFormat)t.format,
                                           POOL_MANAGED, &texture)))
                standIns[s] = texture;
        }
        if (standIns[s]) made.push_back(standIns[s]);
    }
    GfxVertexDeclaration* declaration = nullptr;
    if (!elements.empty()) {
        if (GfxFailed(CreateVertexDeclaration(elements.data(), &declaration))) {
            for (GfxResource* r : made) r->Release();
            return false;
        }
        made.push_back(declaration);
    }
    // Three vertices at one point: a triangle with no area, which the driver still prepares
    // its code for but which covers nothing.
    constexpr uint32_t STRIDE = 256;
    GfxVertexBuffer* vertices = nullptr;
    if (GfxFailed(CreateVertexBuffer(STRIDE * 4, 0, 0, POOL_MANAGED, &vertices))) {
        for (GfxResource* r : made) r->Release();
        return false;
    }
    made.push_back(vertices);
    {
        void* bytes = nullptr;
        if (GfxSucceeded(vertices->Lock(0, 0, &bytes, 0)) && bytes) {
            memset(bytes, 0, STRIDE * 4);
            vertices->Unlock();
        }
    }

    // What the game had, kept to put back.
    GfxSurface* oldTarget = renderTarget_;
    GfxSurface* oldDepth = depthStencil_;
    GfxBaseTexture* oldTextures[MAX_SAMPLERS];
    Stream oldStreams[MAX_VERTEX_STREAMS];
    GfxIndexBuffer* oldIndices = indices_;
    GfxVertexDeclaration* oldDeclaration = declaration_;
    const uint32_t oldFvf = fvf_;
    GfxProgram* oldProgram = program_;
    std::vector<GfxResource*> held = {oldTarget, oldDepth, oldIndices, oldDeclaration, oldProgram};
    for (uint32_t s = 0; s < MAX_SAMPLERS; ++s) held.push_back(oldTextures[s] = textures_[s]);
    for (uint32_t i = 0; i < MAX_VERTEX_STREAMS; ++i) held.push_back((oldStreams[i] = streams_[i]).buffer);
    for (GfxResource* r : held)
        if (r) r->AddRef();
    uint32_t oldRender[RENDER_STATE_COUNT], oldSamplers[MAX_SAMPLERS][SAMPLER_STATE_COUNT];
    uint32_t oldStages[MAX_TEXTURE_STAGES][TEXTURE_STAGE_STATE_COUNT];
    memcpy(oldRender, renderStates_, sizeof oldRender);
    memcpy(oldSamplers, samplerStates_, sizeof oldSamplers);
    memcpy(oldStages, stageStates_, sizeof oldStages);
    GfxLight oldLights[MAX_LIGHTS];
    bool oldLightEnabled[MAX_LIGHTS];
    for (uint32_t i = 0; i < MAX_LIGHTS; ++i) {
        oldLights[i] = lights_[i];
        oldLightEnabled[i] = lightEnabled_[i];
    }
    const Matrix oldProjection = projection_;
    const Viewport oldViewport = viewport_;
    const GfxRect oldScissor = scissor_;

    // The line's states.
    SetRenderTarget(0, target);
    SetDepthStencilSurface(depth);
    for (uint32_t s = 0; s < MAX_SAMPLERS; ++s) SetTexture(s, standIns[s]);
    for (uint32_t i = 0; i < MAX_VERTEX_STREAMS; ++i) SetStreamSource(i, vertices, 0, STRIDE);
    SetIndices(nullptr);
    if (declaration)
        SetVertexDeclaration(declaration);
    else
        SetFVF(fvf);
    if (fixedFunction) programs = {nullptr};
    for (uint32_t i = 0; i < RENDER_STATE_COUNT; ++i)
        if (!ValueOnlyRenderState(i)) renderStates_[i] = render[i];
    for (uint32_t s = 0; s < MAX_SAMPLERS; ++s)
        if (stageTextures[s].used || samplerListed[s])
            for (uint32_t i = 0; i < SAMPLER_STATE_COUNT; ++i)
                if (i != SAMP_BORDERCOLOR) samplerStates_[s][i] = samplers[s][i];
    if (fixedFunction) {
        for (uint32_t s = 0; s < MAX_TEXTURE_STAGES; ++s)
            for (uint32_t i = 0; i < TEXTURE_STAGE_STATE_COUNT; ++i)
                if (!ValueOnlyStageState(i)) stageStates_[s][i] = stages[s][i];
        for (uint32_t i = 0; i < MAX_LIGHTS; ++i) {
            lightEnabled_[i] = lightTypes[i] != 0;
            if (lightTypes[i]) lights_[i].Type = lightTypes[i];
        }
        projection_._34 = perspective ? 1.0f : 0.0f;
    }
    dirty_ = DIRTY_ALL;
    for (bool& d : samplerDirty_) d = true;
    ++uniformSerial_;
    std::vector<std::string>* recording = recordedStates_;
    recordedStates_ = nullptr;
    bool drawn = true;
    for (GfxProgram* program : programs) {
        SetProgram(program);
        drawn = GfxSucceeded(DrawPrimitive(PT_TRIANGLELIST, 0, 1)) && drawn;
    }
    recordedStates_ = recording;

    // Everything back as it was.
    memcpy(renderStates_, oldRender, sizeof oldRender);
    memcpy(samplerStates_, oldSamplers, sizeof oldSamplers);
    memcpy(stageStates_, oldStages, sizeof oldStages);
    for (uint32_t i = 0; i < MAX_LIGHTS; ++i) {
        lights_[i] = oldLights[i];
        lightEnabled_[i] = oldLightEnabled[i];
    }
    projection_ = oldProjection;
    if (oldTarget) SetRenderTarget(0, oldTarget);
    viewport_ = oldViewport;
    scissor_ = oldScissor;
    SetDepthStencilSurface(oldDepth);
    for (uint32_t s = 0; s < MAX_SAMPLERS; ++s) SetTexture(s, oldTextures[s]);
    for (uint32_t i = 0; i < MAX_VERTEX_STREAMS; ++i)
        SetStreamSource(i, oldStreams[i].buffer, oldStreams[i].offset, oldStreams[i].stride);
    SetIndices(oldIndices);
    if (oldDeclaration)
        SetVertexDeclaration(oldDeclaration);
    else
        SetFVF(oldFvf);
    SetProgram(oldProgram);
    dirty_ = DIRTY_ALL;
    for (bool& d : samplerDirty_) d = true;
    ++uniformSerial_;
    for (GfxResource* r : held)
        if (r) r->Release();
    for (GfxResource* r : made) r->Release();
    return drawn;
}

bool GfxDevice::WarmClear(uint32_t flags, GfxFormat targetFormat, int depthFormat, bool part, bool largerDepth)
{
    // A stand-in target of the same formats cleared as the line says: all of it or a corner,
    // with a depth surface of its size or a larger one.
    GfxTexture* texture = nullptr;
    if (GfxFailed(CreateTexture(4, 4, 1, USAGE_RENDERTARGET, targetFormat, POOL_DEFAULT, &texture))) return false;
    GfxSurface* target = nullptr;
    if (GfxFailed(texture->GetSurfaceLevel(0, &target)) || !target) {
        texture->Release();
        return false;
    }
    GfxSurface* depth = nullptr;
    const uint32_t depthEdge = largerDepth ? 8 : 4;
    if (depthFormat >= 0 &&
        GfxFailed(CreateDepthStencilSurface(depthEdge, depthEdge, (GfxFormat)depthFormat, 0, 0, false, &depth)))
        depth = nullptr;
    if (!depth) flags &= ~(uint32_t)(CLEAR_ZBUFFER | CLEAR_STENCIL);
    GfxSurface* oldTarget = renderTarget_;
    GfxSurface* oldDepth = depthStencil_;
    if (oldTarget) oldTarget->AddRef();
    if (oldDepth) oldDepth->AddRef();
    const Viewport oldViewport = viewport_;
    const GfxRect oldScissor = scissor_;
    std::vector<std::string>* recording = recordedStates_;
    recordedStates_ = nullptr;
    SetRenderTarget(0, target);
    SetDepthStencilSurface(depth);
    if (part) {
        viewport_.Width = viewport_.Height = 2;
        dirty_ |= DIRTY_VIEWPORT;
    }
    const bool cleared = flags && GfxSucceeded(Clear(0, nullptr, flags, 0, 1.0f, 0));
    recordedStates_ = recording;
    if (oldTarget) SetRenderTarget(0, oldTarget);
    viewport_ = oldViewport;
    scissor_ = oldScissor;
    SetDepthStencilSurface(oldDepth);
    dirty_ = DIRTY_ALL;
    ++uniformSerial_;
    if (oldTarget) oldTarget->Release();
    if (oldDepth) oldDepth->Release();
    if (depth) depth->Release();
    target->Release();
    texture->Release();
    return cleared;
}
