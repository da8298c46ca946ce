#include <windows.h>

#include "program_main.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return RunTyvorn(instance); }
