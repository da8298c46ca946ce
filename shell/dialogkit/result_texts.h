// The message texts of the image operators' result codes, in one place.
// Platform-free; dialog_messages.h shows them.
#pragma once

#include <cstdint>

// "Unsinniger Parameter wurde übergeben !" for 1 up to "Nicht genug
// Speicherplatz !" for 6; null for 0 (success) and for codes without a text.
const char* ImageResultText(int32_t code);
