#include "serial_settings.h"

#include <cstring>

int StopBitsCode(double stopBits) {
  const double code = stopBits * 2 - 1.999;
  if (!(code >= 0)) return 0;
  return code >= 2 ? 2 : int(code);
}

int ParityCode(char letter, int current) {
  static const char kLetters[] = "NOEMS";
  const char* p = letter ? std::strchr(kLetters, letter) : nullptr;
  return p ? int(p - kLetters) : current;
}
