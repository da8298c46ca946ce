// The settings store: every user setting of ProgramState kept in "tyvorn.ini"
// in the program directory, read and written through the platform's
// private-profile functions.
//
// Values are written as "%ld", "%lf", "TRUE"/"FALSE", colours as "%ld,%ld,%ld"
// (red, green, blue) and rectangles as "%ld,%ld,%ld,%ld"; a key the file does
// not hold, or holds empty, takes its default. Only exactly "TRUE" reads as
// true, and a number that does not parse reads as 0.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "shell/program_state.h"

// Section groups of the file; 0 stands for all of them.
enum SettingsSection : int {
  kAllSettings = 0,
  kSectionBasicdata = 1,
  kSectionPalette = 2,
  kSectionDarkcurrent = 3,
  kSectionContrast = 4,
  kSectionMasking = 5,
  kSectionPSF = 6,
  kSectionLimbdark = 7,
  kSectionNoisefilter = 8,
  kSectionMapping = 9,
  kSectionFitImage = 10,
  kSectionBlinkcomp = 11,
  kSectionRotate = 12,
  kSectionEnlarge = 13,
  kSectionShiftdifferenz = 14,
  kSectionTime = 15,
  kSectionGeopos = 16,
  kSectionAstronomy = 17,
  kSectionPicSave = 18,
  kSectionRGBCorr = 19,
  kSectionColortemp = 20,
  kSectionLivepic = 21,
  kSectionRemoveStars = 22,
  kSectionTimelapse = 23,
};

constexpr char kSettingsFileName[] = "tyvorn.ini";

// Writes the keys of one section group (all for 0) from ps into the file
// fileName of ps->ProgramDirectory ("tyvorn.ini" when fileName is null).
// Other sections and keys of the file stay as they are. A number that is no
// section writes nothing. Returns 1; a file that cannot be written is left
// as it was without a message. 0 only when the path does not fit.
int SaveSettings(const ProgramState* ps, int section, const char* fileName);

// Reads the keys of one section group (all for 0) of the file fileName in
// ps->ProgramDirectory into ps; each key the file lacks takes its default,
// fields without a key of the group stay. Returns 1, or 0 without a file
// name or when the path does not fit (ps untouched).
int LoadSettings(ProgramState* ps, int section, const char* fileName);

// --- value helpers on one key; path is the full path of the file
void WriteIniLong(const char* path, const char* section, const char* key, long value);
void WriteIniDouble(const char* path, const char* section, const char* key, double value);
void WriteIniBool(const char* path, const char* section, const char* key, BOOL value);
void WriteIniString(const char* path, const char* section, const char* key, const char* value);
void WriteIniColour(const char* path, const char* section, const char* key, RGBQUAD value);
void WriteIniQuad(const char* path, const char* section, const char* key, const int32_t value[4]);
void WriteIniPair(const char* path, const char* section, const char* key, const int32_t value[2]);

// The readers hand the default to the platform as text, so a missing key reads
// as its default through the normal conversion and the reader returns 1; they
// return 0 when the platform gave no text at all (a key with an empty value)
// and the default was set directly. Numbers are read from at most 19 characters, strings from
// at most 251 (cut further to capacity - 1). A colour or rectangle text with
// fewer numbers reads the missing ones as 0; each colour number is kept as
// its low byte.
int ReadIniLong(const char* path, const char* section, const char* key, int32_t* value, int32_t def);
int ReadIniDouble(const char* path, const char* section, const char* key, double* value, double def);
int ReadIniBool(const char* path, const char* section, const char* key, BOOL* value, BOOL def);
int ReadIniString(const char* path, const char* section, const char* key, char* value, size_t capacity,
                  const char* def);
int ReadIniColour(const char* path, const char* section, const char* key, RGBQUAD* value, RGBQUAD def);
int ReadIniQuad(const char* path, const char* section, const char* key, int32_t value[4], const int32_t def[4]);
int ReadIniPair(const char* path, const char* section, const char* key, int32_t value[2], const int32_t def[2]);
