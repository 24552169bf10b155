#pragma once
// GLSL text shared by every program the device links: the attribute names and locations,
// and the preludes put in front of vertex and fragment sources (see host/GfxProgram.h).
#include <cstdint>
#include <string>
#include <vector>

struct ShaderAttribute {
    const char* name;
    uint32_t location;
};
const std::vector<ShaderAttribute>& ShaderAttributes();

const std::string& VertexPrelude();
const std::string& FragmentPrelude();

// Compiles and links; 0 with the compiler's text in `log` on failure.
uint32_t LinkGlProgram(const std::string& vertexSource, const std::string& fragmentSource, std::string& log);
