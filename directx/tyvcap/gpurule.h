// Whether a graphics card could serve streaming computations.
#pragma once

namespace tyvcap {

// More than three vertex streams, and pixel and vertex shaders of at least
// version 3.0 (major version in the high byte of the low word).
inline bool StreamingCapsSuffice(int maxStreams, int pixelShaderVersion, int vertexShaderVersion) {
  return maxStreams > 3 && pixelShaderVersion > 0x2FF && vertexShaderVersion > 0x2FF;
}

}  // namespace tyvcap
