// The buffer choosers "puffercopy" and "pufferdelete". They only choose: the
// frame's command asks and copies or clears afterwards. Both end with 1 on
// "&Gut" and 0 on "&Abbruch", which puts ProgramState back as it was.
#pragma once

#include <windows.h>

// Sets SourceBuffer (the first loaded buffer at first; empty buffers cannot
// be chosen) and TargetBuffer (the active buffer at first).
INT_PTR CALLBACK BufferCopyDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Sets TargetBuffer; "&Gut" also keeps the active buffer's undo copy.
INT_PTR CALLBACK BufferDeleteDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
