// The program-wide state as the kit's dialogs see it: gProgramState with a
// program directory of its own, four empty buffers, A active.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "shell/buffer_slots.h"
#include "shell/program_state.h"

class KitTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static bool initialised = false;
    if (initialised) return;
    initialised = true;
    std::memset(&gProgramState, 0, sizeof gProgramState);
    InitProgramState(&gProgramState);
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::snprintf(gProgramState.ProgramDirectory, sizeof gProgramState.ProgramDirectory, "%styvkit-%lu-%lu", temp,
                  GetCurrentProcessId(), GetTickCount());
    CreateDirectoryA(gProgramState.ProgramDirectory, nullptr);
  }

  void SetUp() override {
    ProgramState* ps = &gProgramState;
    DropProgramStateBackup(ps);
    for (int s = 1; s <= kSlotCount; ++s) ClearSlot(s, ps);
    ps->ActiveBuffer = ps->SourceBuffer = ps->TargetBuffer = 1;
    ps->OpenedFromSetup = 0;
    ps->AbortRequested = 0;
    RECT screen;
    GetWindowRect(GetDesktopWindow(), &screen);
    ps->ScreenWidth = screen.right;
    ps->ScreenHeight = screen.bottom;
    ps->ScreenBitsPerPixel = 32;
  }

  // A picture of w x h in the buffer, samples (i * 97 + first) & 32767.
  static int16_t* Load(int buffer, const char* path, int w = 64, int h = 48, int colourType = 1, int first = 0) {
    ImageHeader header;
    InitImageHeader(&header);
    header.width = w;
    header.height = h;
    header.colourType = colourType;
    ImageMetadata metadata;
    InitImageMetadata(&metadata);
    std::snprintf(metadata.path, sizeof metadata.path, "%s", path);
    int16_t* samples = nullptr;
    if (!AllocPixels(&samples, &header)) return nullptr;
    const int n = w * h * SamplesPerPixel(&header);
    for (int i = 0; i < n; ++i) samples[i] = int16_t((i * 97 + first) & 32767);
    InstallImage(buffer, &gProgramState, samples, &header, &metadata);
    return samples;
  }

  static std::string PathOf(int slot) {
    ImageMetadata m;
    GetSlotMetadata(&m, slot, &gProgramState);
    return IsSlotLoaded(slot, &gProgramState) ? m.path : "";
  }

  static std::string IniValue(const char* section, const char* key) {
    char path[kPathSize + 32], value[128] = "";
    std::snprintf(path, sizeof path, "%s\\tyvorn.ini", gProgramState.ProgramDirectory);
    GetPrivateProfileStringA(section, key, "", value, sizeof value, path);
    return value;
  }
};
