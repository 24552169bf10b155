#pragma once
// The render and sampler states an effect pass may set, by the names effect files use: the
// graphics device's state names without their prefix ("ZENABLE", "SRCBLEND", "MINFILTER"),
// and values by name ("TRUE", "SRCALPHA", "LESSEQUAL", "LINEAR") or as numbers (decimal,
// 0x hexadecimal, or a decimal fraction for the float states such as "FOGDENSITY").
// Names compare without regard to case; the device's prefixes ("RS_", "SAMP_", "BLEND_",
// "CMP_", ...) are accepted too.
#include <cstdint>
#include <string>

// True with the state's id and value when both are understood; false with a message in error.
bool ParseRenderState(const char* name, const char* value, uint32_t* state, uint32_t* bits, std::string* error);
bool ParseSamplerState(const char* name, const char* value, uint32_t* state, uint32_t* bits, std::string* error);
