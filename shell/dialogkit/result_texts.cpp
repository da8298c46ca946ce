#include "result_texts.h"

#include "imagelib/image.h"

const char* ImageResultText(int32_t code) {
  switch (code) {
    case IMG_BAD_PARAMETER:
      return "Unsinniger Parameter wurde übergeben !";
    case IMG_BAD_RECT:
      return "Unmöglicher Bildausschnitt wurde übergeben !";
    case IMG_NULL_ARRAY:
      return "Unbekannter Pointer auf Datenfeld !";
    case IMG_NULL_IMAGE:
      return "Unbekannter Pointer auf Bilddaten !";
    case IMG_BAD_PIXEL_TYPE:
      return "Nicht erlaubter Datentyp der Pixel !";
    case IMG_NO_MEMORY:
      return "Nicht genug Speicherplatz !";
    default:
      return nullptr;
  }
}
