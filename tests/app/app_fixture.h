// The program's windows inside a test process: the frame "HauptFenster" with
// its menu and the four buffer windows, made by the program's own start-up
// steps, hidden unless a test shows them. The program directory is a fresh
// folder of its own.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "shell/program_state.h"

class AppTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  // Every test starts with four empty buffers, A active, reduction 1, no
  // work files and the real dialogs.
  void SetUp() override;
  void TearDown() override;

  static HWND Frame();
  static HWND BufferWindow(int buffer);
  static std::string Title(HWND window);
  // A colour (1) or grey (0) picture of w x h whose metadata path is `path`.
  static void LoadPicture(int buffer, const char* path, int w = 64, int h = 48, int colourType = 1);
  // Writes or removes a file in the program directory.
  static void PutProgramFile(const char* name, bool present);
  static UINT MenuState(UINT id);   // MF_GRAYED, MF_CHECKED ...
  static bool QuitPosted();         // takes a WM_QUIT out of the queue
  static void Settle();             // lets every window paint
  static void SendCommand(UINT id) { SendMessageA(Frame(), WM_COMMAND, id, 0); }
};

// The same with the frame shown maximised and the buffers tiled, for tests
// that look at the screen.
class ShownAppTest : public AppTest {
 protected:
  void SetUp() override;
  void TearDown() override;
};
