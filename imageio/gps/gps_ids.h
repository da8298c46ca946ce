// Control ids of the GPS, location and climate dialogs, shared by
// resources/gps_dialogs.rc and the code. Plain #defines: windres reads it.
#pragma once

// --- "gpswerte"
#define IDC_GPS_TAKE 101          // "Übernehmen"
#define IDC_GPS_TIME 102
#define IDC_GPS_LATITUDE 103
#define IDC_GPS_LONGITUDE 104
#define IDC_GPS_ALTITUDE 105
#define IDC_GPS_SATELLITES 106
#define IDC_GPS_INTEGRATION 107
#define IDC_GPS_RESET 108
#define IDC_GPS_READ_ONLY 109     // "Nur lesen"
#define IDC_GPS_PORT 110
#define IDC_GPS_LOG 111           // check box "GPS.log"
#define IDC_GPS_SYNC 112          // "Sychronisieren"

// --- "ortseingabe"
#define IDC_LOCATION_TAKE 101
#define IDC_LOCATION_CANCEL 102
#define IDC_LOCATION_LONGITUDE 103
#define IDC_LOCATION_LATITUDE 104
#define IDC_LOCATION_HEIGHT 105

// --- "KLIMAWERTE"
#define IDC_CLIMATE_TEMPERATURE 101
#define IDC_CLIMATE_HUMIDITY 102
