// Serial ports: opening with line settings and time-outs, closing, and the
// temperature and humidity sensor read over one.
#pragma once

#include <windows.h>

// Opens "COM1".."COM256" for reading and writing, exclusively, with baud,
// byte size, parity letter ("N", "O", "E", "M", "S"; others keep the
// device's parity) and 1, 1.5 or 2 stop bits, without flow control, reads
// waiting at most 5 ms a byte plus 50 ms. Null after the message
// "Serieller Port %s ist nicht zu öffnen !".
HANDLE OpenSerialPort(const char* portName, DWORD baud, BYTE byteSize, char parityLetter, double stopBits);
// Discards pending input and closes; 0 for a null handle.
int CloseSerialPort(HANDLE port);

// The same opening without a message and with the given time-outs; null
// when the port cannot be opened or set up.
HANDLE OpenPortQuietly(const char* portName, DWORD baud, BYTE byteSize, char parityLetter, double stopBits,
                       const COMMTIMEOUTS& timeouts);

// Reads one sensor frame: 0 at once when fewer than 2 bytes are waiting or
// what waits holds no "@"; else collects from the "@" on until the frame is
// whole, for at most about 2 s. 1 with the temperature (°C) and humidity
// (%), 0 with both untouched. Pending input is discarded afterwards.
int ReadClimateSensor(HANDLE port, double* temperature, double* humidity);
