// The main program's life: a single instance, the start-up, the one message
// loop of the main thread and the exit.
#pragma once

#include <windows.h>

constexpr char kMutexName[] = "TyvornMutex";

// WinMain's work: 0 when start-up stops early (another instance runs, the
// trigonometric tables can be neither read nor written, a window class or
// the frame cannot be made), else the exit code of the quit message.
int RunTyvorn(HINSTANCE instance);

// The start-up steps that make the windows, also used by the tests.
// The program directory: the current drive and directory; 0 when it does not fit.
int BuildProgramDirectory(char* out, size_t capacity);
// "HauptFenster" and "WorkbildFenster"; 0 when either fails.
int RegisterWindowClasses(HINSTANCE instance);
// The frame window, not yet shown; its creation makes the buffer windows.
HWND CreateFrameWindow(HINSTANCE instance);

// The exit steps: buffers freed, every setting saved, tables freed, GDI
// objects and the menu given back, system colours restored, the mutex
// released. Runs once; later calls do nothing.
void FinishProgram();
