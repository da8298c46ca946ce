#include "gps_dialog.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "directx/tyvcap/tyvcap.h"
#include "gps_ids.h"
#include "gps_receiver.h"
#include "gps_texts.h"
#include "serial_port.h"
#include "shell/logs.h"
#include "shell/message_box.h"
#include "shell/program_state.h"

HWND gGpsDialog;
HWND gClimateDialog;

namespace {

constexpr UINT_PTR kClimateTimer = 1;

GpsState gGps;
// The last reading the dialog showed: what "Übernehmen" takes.
bool gHaveReading;
GpsPosition gShownPosition;
double gShownTime;

HANDLE gClimatePort;

HINSTANCE InstanceOf(HWND dialog) { return HINSTANCE(GetWindowLongPtrA(dialog, GWLP_HINSTANCE)); }

void ReportClockRefused(HWND dialog) {
  ShowMessageBox(dialog, "Die Systemzeit ist nicht zu setzen !", kTitleError, MB_OK | MB_ICONSTOP);
}

void CloseGps() {
  if (gGps.port) CloseGpsPort(gGps.port, &gGps);
  gGps.dialog = nullptr;
}

void EndGpsDialog(HWND dialog) {
  CloseGps();
  DestroyWindow(dialog);
}

void OnGpsInit(HWND dialog) {
  ProgramState* ps = &gProgramState;
  InterlockedExchange(reinterpret_cast<volatile LONG*>(&ps->GpsTransferFlag), 0);
  gHaveReading = false;
  gGpsDialog = dialog;
  char port[16];
  const bool found = FindGpsReceiver(&gGps, port, sizeof port) != 0;
  if (found) {
    char text[64];
    std::snprintf(text, sizeof text, "GPS ist an %s angeschlossen.", port);
    SetDlgItemTextA(dialog, IDC_GPS_PORT, text);
  }
  gGps.dialog = dialog;
  gGps.sampleCount = 0;
  CheckDlgButton(dialog, IDC_GPS_LOG, ps->GPSLog ? BST_CHECKED : BST_UNCHECKED);
  if (found) {
    StartGpsReader(&gGps);
    return;
  }
  DialogBoxParamA(InstanceOf(dialog), "ortseingabe", GetWindow(dialog, GW_OWNER), LocationDlgProc, 0);
  PostMessageA(dialog, WM_COMMAND, IDC_GPS_READ_ONLY, 0);
}

void OnGpsReading(HWND dialog) {
  if (!gGps.port) return;   // a reading that was under way when the port closed
  const GpsReadout r{{gGps.longitude, gGps.latitude, gGps.altitude}, gGps.satellites, gGps.time.hour,
                     gGps.time.minute, gGps.time.second, gGps.samplesUsed};
  GpsReadoutTexts texts;
  FormatGpsReadout(r, &texts);
  SetDlgItemTextA(dialog, IDC_GPS_TIME, texts.time);
  SetDlgItemTextA(dialog, IDC_GPS_INTEGRATION, texts.integration);
  SetDlgItemTextA(dialog, IDC_GPS_LONGITUDE, texts.longitude);
  SetDlgItemTextA(dialog, IDC_GPS_LATITUDE, texts.latitude);
  SetDlgItemTextA(dialog, IDC_GPS_ALTITUDE, texts.altitude);
  SetDlgItemTextA(dialog, IDC_GPS_SATELLITES, texts.satellites);
  if (gProgramState.GPSLog) WriteGpsLog(texts.logLine);
  gHaveReading = true;
  gShownPosition = r.position;
  gShownTime = gGps.last.utcTime;
  const bool clockRefused = gGps.clockResult < 0;
  StartGpsReader(&gGps);
  if (clockRefused) ReportClockRefused(dialog);
}

// Takes the position and time last shown; with none shown nothing is taken.
void OnGpsTake(HWND dialog) {
  ProgramState* ps = &gProgramState;
  if (gHaveReading) {
    if (!SetClockFromGps(gShownTime)) ReportClockRefused(dialog);
    ps->Longitude = gShownPosition.longitude;
    ps->Latitude = gShownPosition.latitude;
    ps->GeoHeight = gShownPosition.altitude;
  }
  CloseGps();
  if (gHaveReading) TYVCAP_SetPositionmarker(ps->Longitude, ps->Latitude, ps->GeoHeight, ps->GrabbPlaceMarker);
  DestroyWindow(dialog);
}

void OnGpsCommand(HWND dialog, int id) {
  ProgramState* ps = &gProgramState;
  switch (id) {
    case IDC_GPS_TAKE:
      OnGpsTake(dialog);
      break;
    case IDC_GPS_RESET:
      InterlockedExchange(&gGps.restart, 1);
      SendGpsInit(&gGps);
      break;
    case IDC_GPS_READ_ONLY:
    case IDCANCEL:
      EndGpsDialog(dialog);
      break;
    case IDC_GPS_LOG:
      ps->GPSLog = !ps->GPSLog;
      CheckDlgButton(dialog, IDC_GPS_LOG, ps->GPSLog ? BST_CHECKED : BST_UNCHECKED);
      break;
    case IDC_GPS_SYNC:
      InterlockedExchange(reinterpret_cast<volatile LONG*>(&ps->GpsTransferFlag), 1);
      break;
  }
}

// A number typed into a field, blanks around it allowed; false for
// anything else.
bool ReadNumber(HWND dialog, int id, double* value) {
  char text[80];
  GetDlgItemTextA(dialog, id, text, sizeof text);
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  if (end == text) return false;
  while (*end == ' ') ++end;
  if (*end || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

// The typed position, or the field to correct after its message.
bool TakeLocation(HWND dialog) {
  static const struct {
    int id;
    double limit;
    const char* name;
  } kFields[] = {{IDC_LOCATION_LONGITUDE, 180, "Die geografische Länge"},
                 {IDC_LOCATION_LATITUDE, 90, "Die geografische Breite"},
                 {IDC_LOCATION_HEIGHT, HUGE_VAL, "Die Höhe über NN"}};
  double values[3];
  for (int i = 0; i < 3; ++i) {
    const auto& f = kFields[i];
    const bool number = ReadNumber(dialog, f.id, &values[i]);
    if (!number || std::fabs(values[i]) > f.limit) {
      if (!number)
        ShowMessageBoxF(dialog, kTitleError, MB_OK | MB_ICONSTOP, "%s ist keine Zahl !", f.name);
      else
        ShowMessageBoxF(dialog, kTitleError, MB_OK | MB_ICONSTOP, "%s muss zwischen -%.0f und %.0f Grad liegen !",
                        f.name, f.limit, f.limit);
      SetFocus(GetDlgItem(dialog, f.id));
      SendDlgItemMessageA(dialog, f.id, EM_SETSEL, 0, -1);
      return false;
    }
  }
  ProgramState* ps = &gProgramState;
  ps->Longitude = values[0];
  ps->Latitude = values[1];
  ps->GeoHeight = values[2];
  return true;
}

void ShowLocation(HWND dialog) {
  const ProgramState* ps = &gProgramState;
  const struct {
    int id;
    double value;
  } kFields[] = {{IDC_LOCATION_LONGITUDE, ps->Longitude},
                 {IDC_LOCATION_LATITUDE, ps->Latitude},
                 {IDC_LOCATION_HEIGHT, ps->GeoHeight}};
  for (const auto& f : kFields) {
    char text[64];
    std::snprintf(text, sizeof text, "%lf", f.value);
    SetDlgItemTextA(dialog, f.id, text);
  }
}

void OnClimateTimer(HWND dialog) {
  double temperature, humidity;
  if (!ReadClimateSensor(gClimatePort, &temperature, &humidity)) return;
  char text[48];
  std::snprintf(text, sizeof text, "%3.1lf °C", temperature);
  SetDlgItemTextA(dialog, IDC_CLIMATE_TEMPERATURE, text);
  std::snprintf(text, sizeof text, "%3.1lf %%", humidity);
  SetDlgItemTextA(dialog, IDC_CLIMATE_HUMIDITY, text);
}

}  // namespace

INT_PTR CALLBACK GpsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OnGpsInit(dialog);
      return TRUE;
    case kGpsReadingMessage:
      OnGpsReading(dialog);
      return TRUE;
    case WM_COMMAND:
      OnGpsCommand(dialog, LOWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      EndGpsDialog(dialog);
      return TRUE;
    case WM_DESTROY:
      // Also when the frame goes first: no reader may outlive the dialog.
      CloseGps();
      if (gGpsDialog == dialog) gGpsDialog = nullptr;
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK LocationDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      BackupProgramState(&gProgramState);
      ShowLocation(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_LOCATION_TAKE:
        case IDOK:
          if (TakeLocation(dialog)) {
            CommitProgramState(&gProgramState);
            EndDialog(dialog, 1);
          }
          return TRUE;
        case IDC_LOCATION_CANCEL:
        case IDCANCEL:
          RestoreProgramState(&gProgramState);
          EndDialog(dialog, 0);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

INT_PTR CALLBACK ClimateSensorDlgProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      gClimateDialog = dialog;
      gClimatePort = OpenSerialPort("COM1", 4800, 8, 'N', 1.0);
      SetTimer(dialog, kClimateTimer, 1000, nullptr);
      return TRUE;
    case WM_TIMER:
      OnClimateTimer(dialog);
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(dialog);
      return TRUE;
    case WM_DESTROY:
      KillTimer(dialog, kClimateTimer);
      CloseSerialPort(gClimatePort);
      gClimatePort = nullptr;
      if (gClimateDialog == dialog) gClimateDialog = nullptr;
      return TRUE;
  }
  return FALSE;
}
