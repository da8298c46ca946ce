// Names of scratch folders under the temp directory that no other test
// process uses: ctest runs the tests of one program in parallel processes, and
// several checkouts and builds share the machine's temp directory.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

inline std::filesystem::path ScratchName(const std::string& stem) {
  static const uint64_t salt =
      (uint64_t(std::random_device{}()) << 32) ^ uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
  static unsigned serial = 0;
  std::string name = stem + "_" + std::to_string(salt) + "_" + std::to_string(++serial);
  for (char& c : name)
    if (c == '/' || c == '\\') c = '_';
  return std::filesystem::temp_directory_path() / name;
}
