// Serial line settings as the device control block takes them, platform-free.
#pragma once

// 0 one stop bit, 1 one and a half, 2 two: trunc(stopBits * 2 - 1.999).
int StopBitsCode(double stopBits);
// 0 none ("N"), 1 odd ("O"), 2 even ("E"), 3 mark ("M"), 4 space ("S");
// any other letter keeps `current`.
int ParityCode(char letter, int current);
