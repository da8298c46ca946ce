// The dialog kit: what every set-up and editing dialog of the program shares,
// so that a dialog's own source holds only its table of controls and its
// apply step.
//
//   dialog_frame.h     opening (backup, source and target buffer, title, hot-key
//                      entry, centring, refusal of an empty or grey source), the
//                      one way out (commit with undo copy, apply, settings group,
//                      end 1 / restore, end 0, both freeing what the dialog owns),
//                      and the run state that disables the controls and holds a
//                      cancel back until the run returns
//   template_choice.h  which size of a template ("...800", "...1024") fits the screen
//   control_values.h   tables of sliders, radio groups, check boxes and number
//   control_table.h    fields bound to ProgramState fields (platform-free values,
//                      and their controls)
//   tab_host.h         a tab control with modeless pages
//   preview_pane.h     the zoomable picture preview with its bars and "-"/"+"
//   pane_markers.h     marks (shell/markers/) over the preview
//   plot_pane.h        a frame painted by the dialog: histograms, curves
//   section_preview.h  the preview of dialogs that work on the visible section
//   dialog_messages.h  result-code boxes and the progress helper
//   result_texts.h     the texts of the result codes
//
// The noise-filter set-up (stacking/noise_filter_dialog.cpp) is the smallest
// complete example; the masking and filter dialog (editing/filter_dialog.cpp)
// uses tabs and the preview, the RGB alignment (stacking/rgb_alignment_dialog.cpp)
// the preview with its own picture copies.
//
// A dialog in outline:
//
//   namespace {
//   constexpr BarSpec kBars[] = {...};                    // control_values.h
//   constexpr ControlTable kTable = {kBars, kRadios, kChecks, {}};
//   constexpr DialogFrameSpec kSpec = {kHotKeyFlat, "Flatfield für %s", kSectionDarkcurrent,
//                                      IDC_TARGET_A, IDC_OK, kFrameNeedsPicture | kFrameUndoTarget};
//   DialogFrame gFrame;
//
//   ApplyOutcome Apply(DialogFrame* frame, void*) {
//     ... operator on the source buffer's samples into a new block ...
//     if (ShowImageResult(frame->dialog, result)) return ApplyOutcome::kStay;
//     InstallImage(frame->ps->TargetBuffer, frame->ps, block, &header, &metadata);
//     return ApplyOutcome::kDone;
//   }
//   }  // namespace
//
//   INT_PTR CALLBACK FlatDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
//     switch (message) {
//       case WM_INITDIALOG:
//         if (OpenDialogFrame(&gFrame, &kSpec, dialog) != FrameSource::kOk) return TRUE;
//         ClampTableFields(kTable, &gProgramState);
//         ShowControlTable(dialog, kTable, &gProgramState);
//         return TRUE;
//       case WM_HSCROLL:
//         HandleTableScroll(dialog, kTable, &gProgramState, (HWND)lParam, wParam);
//         return TRUE;
//       case WM_COMMAND:
//         if (HandleTableCommand(dialog, kTable, &gProgramState, LOWORD(wParam), HIWORD(wParam))) return TRUE;
//         if (HandleTargetRadio(&gFrame, LOWORD(wParam))) return TRUE;
//         if (LOWORD(wParam) == IDC_OK) CommitDialogFrame(&gFrame, Apply, nullptr);
//         if (LOWORD(wParam) == IDC_CANCEL || LOWORD(wParam) == IDCANCEL) CancelDialogFrame(&gFrame);
//         return TRUE;
//       case WM_DESTROY:
//         DialogFrameDestroyed(&gFrame);
//         return FALSE;
//     }
//     return FALSE;   // colour messages too: default handling
//   }
//
// Templates go to resources/<topic>.rc with their ids in a header beside the
// dialog's source; the menu table (shell/menu_commands.cpp) names the
// procedure. Tests drive the real dialog with DialogDriver and
// MessageBoxScript (tests/shell/testkit/).
#pragma once

#include "control_table.h"
#include "control_values.h"
#include "dialog_frame.h"
#include "dialog_messages.h"
#include "pane_markers.h"
#include "plot_pane.h"
#include "preview_pane.h"
#include "result_texts.h"
#include "section_preview.h"
#include "tab_host.h"
#include "template_choice.h"
