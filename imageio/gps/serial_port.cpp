#include "serial_port.h"

#include <cstdio>

#include "climate_frame.h"
#include "serial_settings.h"
#include "shell/message_box.h"

namespace {

constexpr DWORD kSensorPatienceMs = 2000;

// "COM10" and above open only under their device name.
HANDLE OpenDevice(const char* portName) {
  char device[64];
  if (std::snprintf(device, sizeof device, "\\\\.\\%s", portName) >= int(sizeof device)) return INVALID_HANDLE_VALUE;
  return CreateFileA(device, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

DWORD Waiting(HANDLE port) {
  DWORD errors = 0;
  COMSTAT status{};
  return ClearCommError(port, &errors, &status) ? status.cbInQue : 0;
}

}  // namespace

HANDLE OpenPortQuietly(const char* portName, DWORD baud, BYTE byteSize, char parityLetter, double stopBits,
                       const COMMTIMEOUTS& timeouts) {
  const HANDLE port = OpenDevice(portName);
  if (port == INVALID_HANDLE_VALUE) return nullptr;
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  COMMTIMEOUTS t = timeouts;
  if (GetCommState(port, &dcb)) {
    dcb.BaudRate = baud;
    dcb.ByteSize = byteSize;
    dcb.StopBits = BYTE(StopBitsCode(stopBits));
    dcb.Parity = BYTE(ParityCode(parityLetter, dcb.Parity));
    dcb.fParity = dcb.Parity != NOPARITY;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    if (SetCommState(port, &dcb) && SetCommTimeouts(port, &t)) return port;
  }
  CloseHandle(port);
  return nullptr;
}

HANDLE OpenSerialPort(const char* portName, DWORD baud, BYTE byteSize, char parityLetter, double stopBits) {
  const COMMTIMEOUTS timeouts{MAXDWORD, 5, 50, 5, 50};
  const HANDLE port = OpenPortQuietly(portName, baud, byteSize, parityLetter, stopBits, timeouts);
  if (!port)
    ShowMessageBoxF(nullptr, kTitleError, MB_OK | MB_ICONSTOP, "Serieller Port %s ist nicht zu öffnen !", portName);
  return port;
}

int CloseSerialPort(HANDLE port) {
  if (!port) return 0;
  PurgeComm(port, PURGE_RXCLEAR);
  CloseHandle(port);
  return 1;
}

int ReadClimateSensor(HANDLE port, double* temperature, double* humidity) {
  if (!port || Waiting(port) < 2) return 0;
  ClimateFrameBuffer frame{};
  const DWORD start = GetTickCount();
  int whole = 0;
  for (bool first = true;; first = false) {
    char chunk[sizeof frame.text];
    const DWORD want = Waiting(port);
    DWORD got = 0;
    if (want && !ReadFile(port, chunk, want < sizeof chunk ? want : sizeof chunk, &got, nullptr)) break;
    whole = AddClimateBytes(&frame, chunk, got);
    // A reply without "@" is no frame; a sensor that stops sending is given up.
    if (whole || (first && frame.length == 0) || GetTickCount() - start > kSensorPatienceMs) break;
    if (!got) Sleep(20);
  }
  double t, h;
  const int ok = whole && DecodeClimateFrame(frame.text, size_t(frame.length), &t, &h);
  PurgeComm(port, PURGE_RXCLEAR);
  if (!ok) return 0;
  *temperature = t;
  *humidity = h;
  return 1;
}
