// The dialogs of the star mask: "Sterne maskiere&n ..." takes the stars out
// of a picture and puts them back later, from the mask in memory or from a
// saved mask file; "Rotschw&äche korrigieren ..." lifts the weak red of a
// digital photograph around its stars.
#pragma once

#include <windows.h>

// Ends with 1 after "&Übernehmen" (the result is in the target buffer), 0
// after "&Abbruch" or when the active buffer is empty.
INT_PTR CALLBACK RemoveStarsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Ends with 1 after "&Übernehmen", 0 after "&Abbruch" or for a picture that is
// not a colour picture.
INT_PTR CALLBACK RedWeaknessDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
