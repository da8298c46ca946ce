// ProgramState: the one program-wide record of the main program, and the
// backup that set-up and editing dialogs take when they open.
//
// Fields backed by a key of "tyvorn.ini" bear the key's name; where a key
// name occurs in several sections, the later fields carry the section as a
// prefix (RGBCorrBlueXshift beside [Livepic]'s BlueXshift). Kinds: long and
// BOOL are 32-bit, colours are RGBQUAD (blue, green, red, 0), rectangles four
// int32. The record is never written to a file; only what the code relies on
// is asserted.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "imagelib/contrast.h"
#include "imagelib/image.h"
#include "rastcodec/rastcodec_options.h"

constexpr int kPathSize = 1024;
constexpr int kSlotCount = 8;          // 1..4 buffers A..D, 5..8 their undo copies
constexpr int kWorkBufferCount = 15;
constexpr int kMaxWorkers = 64;
constexpr int kSysColourCount = 28;
constexpr int kStepTextCount = 6;

// One channel of the contrast dialog: [Contrast] keys without prefix (whole
// picture), then with R, G and B. Curve[1..7] are the keys Curve1..Curve7.
struct ContrastChannelSettings {
  int32_t Algorithm;
  int32_t LogMulti;
  double Gamma;
  int32_t Toplevel;
  int32_t Backgroundlevel;
  int32_t Histogramrange;
  int32_t Curve[kCurvePoints];
};

// The hot-pixel list of the stacking pre-treatment; only the switch is saved.
struct HotPixelListBlock {
  BOOL RemoveHotPixel;
  int32_t Count;
  int32_t Width;                       // frame size the list was learnt on
  int32_t Height;
  void* Entries;                       // Count entries of 8 bytes, owned here
};

// Placement of the picture in the manual overlay dialog.
struct OverlayShiftRecord {
  int32_t X;
  int32_t Y;
  double Angle;                        // radians
};

// One buffer slot's header and metadata; the flag and samples lie apart.
struct SlotImage {
  ImageHeader Header;
  ImageMetadata Metadata;
};

struct ProgramState {
  // --- paths and display
  char ProgramDirectory[kPathSize];
  char CurrentPath[kPathSize];
  int32_t ScreenBitsPerPixel;
  int32_t ScreenWidth;
  int32_t ScreenHeight;
  int32_t DialogBaseUnitX;             // dialog units to pixels: x * DialogBaseUnitX / 4
  int32_t DialogBaseUnitY;             // y * DialogBaseUnitY / 8
  BOOL CaptureFullScreen;
  BOOL NightMode;
  BOOL Classicmode;                    // [FitImage]: 1 the one-page stacking dialog
  HPALETTE PaletteHandle;
  HBITMAP ZoomBitmap;                  // strip a buffer window is drawing
  BOOL OpenedFromSetup;                // 1: a pre-treatment dialog only edits settings
  BOOL DefiningBatchJob;               // 1: set-up dialogs define batch jobs of several series
  BOOL IsPreview;

  // --- run control
  BOOL AbortRequested;
  BOOL PauseRequested;
  BOOL QuitWithoutAsking;
  DWORD RunStartTick;
  int32_t ChooserOkMode;
  HWND ProgressWindow;                 // dialog that receives progress texts
  int32_t WorkerLimit;                 // processor count; workers only from 2 on
  int32_t RunningWorkers;
  CRITICAL_SECTION SumLock;            // adding a frame into the shared sum
  CRITICAL_SECTION JobLock;            // handing the next frame's job to a worker
  CRITICAL_SECTION LoadLock;           // loading frames from the series
  HANDLE WorkerHandles[kMaxWorkers];   // threads or child processes, from the front

  // --- settings
  int32_t Camtype;
  double Pixelwidth;                   // [Enlarge]
  double Pixelheight;
  char Flatfield[kPathSize];
  BOOL IsFlatfield;
  int32_t Flatfieldmethod;
  char Darkcurrent[kPathSize];
  BOOL IsDarkcurrent;
  char RawImagePath[kPathSize];
  char RecenterPath[kPathSize];        // [FitImage]
  char GrabbFile[kPathSize];
  BOOL ErrectImage;
  double Errectangle;
  BOOL IsWarped;
  double Warpfactor;
  BOOL IsNoisefilter;
  BOOL PretreatNoisefilter;            // noise filter switch of the pre-treatment page
  int32_t DigitDynamic;
  int32_t Colorchannel;
  int32_t Framecount;
  int32_t Groupcount;
  BOOL IsGrabbTimer;
  int32_t MaxCaptureFrames;            // frames that fit on the capture disk, at most 32768
  int32_t Intervall;
  int32_t Grabbmethode;
  int32_t Grabbtimer;
  int32_t FocalLength;
  int32_t Aperture;
  double Wavelength;
  BOOL GrabOnHarddisk;
  int32_t Syncmethod;
  int32_t Digitmethod;
  int32_t Drivernum;
  char Drivername[256];
  int32_t Digitoffset;
  BOOL VideosetNotShow13;
  BOOL OriginalSize;
  BOOL GrabbAVIs;
  BOOL GrabbIntegrated;
  BOOL Grabbendless;
  BOOL GrabbTimeMarker;
  BOOL GrabbPlaceMarker;
  BOOL Grabb2GBLimit;

  // [Livepic]
  BOOL Hotpixelmask;
  int32_t BlueXshift;
  int32_t BlueYshift;
  int32_t RedXshift;
  int32_t RedYshift;
  double Gamma;
  int32_t Backgroundlevel;

  // [Palette]
  int32_t Palettetype;
  RGBQUAD FirstColor;
  RGBQUAD LastColor;
  BOOL IsIsophots;
  int32_t Isophotdistance;
  int32_t Isophotdisplay;
  RGBQUAD Isophotcolor;
  BOOL Logscale;
  int32_t Colorstep;

  // [RGBCorr]
  int32_t RGBCorrBlueXshift;
  int32_t RGBCorrBlueYshift;
  int32_t BlueSize;
  int32_t RGBCorrRedXshift;
  int32_t RGBCorrRedYshift;
  int32_t RedSize;
  int32_t SeparateMethod;

  // [Colortemp]
  int32_t Red;
  int32_t Green;
  int32_t Blue;
  double Saturation;
  double Colorangle;
  double Temperature;
  BOOL Noisefilter;
  int32_t Noiseradius;

  // [Darkcurrent]
  int32_t Method;
  int32_t Const;
  BOOL IsAutomatic;
  int32_t DegOfPolynom;
  double EffOfPolynom;
  BOOL IsColor;

  // [RemoveStars]
  int32_t Maskradius;
  int32_t Blueradius;
  BOOL IsBlueLimb;
  double Masklevel;

  // [Timelapse]
  BOOL IsAufblende;
  BOOL IsAbblende;
  int32_t Intpict;
  int32_t Resizefak;

  // [Contrast]
  int32_t TurningPt;
  double HighGamma;
  double LowGamma;
  BOOL LimitTopLevel;
  int32_t RemoveBgType;
  int32_t ContrastBackgroundLevel;     // one file entry with ContrastChannels[0].Backgroundlevel
  BOOL Equalizing;
  BOOL RejectHotpixel;
  int32_t Hotpixelnum;
  BOOL RejectDeadpixel;
  int32_t Deadpixelnum;
  BOOL RejectBackground;
  BOOL UseHSIMethod;
  int32_t Contrastchannel;
  ContrastChannelSettings ContrastChannels[4];   // whole picture, R, G, B
  // Work areas of the contrast dialogs while one is open (null otherwise):
  // curve tables and histograms of 32768 entries, whole picture or
  // luminance, red, green, blue. Live: a cancel neither brings back nor
  // drops them.
  uint16_t* ContrastLuts[4];
  uint32_t* ContrastHistograms[4];
  int32_t RSAlgorithm;
  int32_t RSLogMulti;
  double RSGamma;
  int32_t RSLowlevel;

  // [Masking]
  int32_t Masktype;
  double Maskeffect0;
  double Maskeffect1;
  BOOL IsExact;
  BOOL IsAdaptiv;
  int32_t Lowpasstype;
  int32_t LowCutoff;
  int32_t Highpasstype;
  int32_t HighCutoff;
  int32_t HighRectpart;
  int32_t Highpasschar;
  int32_t EffectFilter;
  BOOL EffectLog;
  BOOL AutoContrast;
  int32_t Bandpassamptype;
  int32_t Bandpassfilttype;
  int32_t Bandpassampradius;
  int32_t Bandpassfiltradius;
  int32_t Bandpassrectpart;
  int32_t Bandpasschar;
  BOOL SekSpectrum;
  int32_t RedRadius;
  int32_t MaskingBlueRadius;
  BOOL Astigmatism;
  int32_t Astigposwin;
  int32_t Astigsize;
  BOOL Komacorr;
  int32_t Komaposwin;
  int32_t Komasize;

  // [PSF]
  char PSFFctPath[kPathSize];
  int32_t PSFMethod;
  int32_t PSFwidth;
  int32_t PSFheight;
  BOOL UserPSF;

  // [Limbdark]
  int32_t Object;
  int32_t XCenter;
  int32_t YCenter;
  int32_t Objectradius;
  int32_t Unsharpradius;
  double PosAngle;
  double Exponent;
  BOOL Contrast;

  // [Noisefilter]
  int32_t Filtertype;
  BOOL Pseudomedian;
  double Effect;
  double Sigmaradius;

  // [Mapping]
  int32_t Projection;
  BOOL Grid;
  BOOL Lettering;
  BOOL Scalebars;
  BOOL Greyscale;
  BOOL Matching;
  RGBQUAD Lettercolor;
  RGBQUAD Gridcolor;
  RGBQUAD Inviscolor;
  int32_t Mapwidth;
  int32_t Mapheight;
  double Centerlong;
  double Centerlat;
  BOOL MappingContrast;

  // [FitImage] and the stacking state kept beside it
  int32_t FitMethod;
  char PatternFile[kPathSize];         // picture or AVI the pattern was cut from
  int32_t PatternFrameTried;           // AVI frame numbers of the pattern dialogs
  int32_t PatternFrameIndex;
  ImageRect PatternRect;
  int16_t* PatternSamples;             // owned: the pattern template, freed by every stacking run
  int16_t* DarkFrameSamples;           // owned: dark frame and flat field a stacking run loaded
  int16_t* FlatFieldSamples;
  char SeriesPath[kPathSize];          // the video or first picture of the series to stack
  int32_t FitColor;
  int32_t Searchradius;
  OverlayShiftRecord OverlayShift;
  double MinCorrelation;
  BOOL FitFFT;
  BOOL Interlace;
  BOOL ExcludeBorder;
  BOOL FitImageEqualizing;
  BOOL RGBCorrection;
  HotPixelListBlock HotPixelList;      // RemoveHotPixel is its first field
  BOOL DynamikCorrection;
  int32_t CheckMethod;
  BOOL CheckSharpness;
  BOOL CheckDistortion;
  double CheckSelection;
  BOOL Safetycopy;
  BOOL SafeSort;
  BOOL Histogram;
  BOOL Logfile;
  char Logfilename[kPathSize];
  char SortPicPath[kPathSize];
  double Checkarea;
  double Checkmix;
  int32_t Subpixelfactor;
  BOOL SubpixPart;
  BOOL SubpixOrigsize;
  int32_t Addpicsource;
  int32_t Imagetype;
  int32_t FitNthPic;
  int32_t AddNPics;
  BOOL Turbo;
  int32_t Gaintype;
  double Gaingamma;
  BOOL Gainauto;
  BOOL Superres;
  BOOL Preprocess;
  BOOL Qualitycheck;
  BOOL Protokoll;
  BOOL NotClose;
  BOOL Classicbatch;
  char StepTexts[kStepTextCount][256]; // lines of the step-by-step stacking dialog

  // [Blinkcomp]
  int32_t Frequency;

  // [Rotate]
  double Rotangle;
  int32_t RotateXCenter;
  int32_t RotateYCenter;
  int32_t Flipmethod;

  // [Enlarge]
  double Scale;
  int32_t EnlargeMethod;
  int32_t Minification;
  BOOL IsSection;

  // [Shiftdifferenz]
  int32_t ShiftdifferenzMethod;
  double ShiftdifferenzEffect;
  double Angle;
  double Tangent;
  double Radius;

  DateTimeRecord StartTime;            // program start: UT with the machine's zone

  // [Time], [Geopos]
  BOOL IsActual;
  double Longitude;                    // degrees, east negative
  double Latitude;
  double GeoHeight;                    // metres
  BOOL GPSLog;
  BOOL GpsTransferFlag;                // 1: the GPS reader hands on its next position

  int32_t AstronomyObject;             // [Astronomy] Object
  int32_t RecenterFormat;              // [FitImage]

  // [PicSave]
  int32_t Format;
  int32_t Loadformat;
  int32_t SaveRect[4];
  double Scalefactor;
  GifOptions Gif;
  JpegOptions Jpeg;
  PcxOptions Pcx;
  BOOL PngGrayscale;
  int32_t PngBitsPerPixel;
  TiffOptions Tiff;
  int32_t FITSColorOrg;
  int32_t FITSFrameOrg;
  BOOL FITSBzero;
  int32_t CutFormat;
  int32_t CutXSize;
  int32_t CutYSize;
  int32_t AviFrameIndex;               // AVI frame chosen in the picture-open preview
  int32_t AviFrameCount;
  BOOL IsThumbnail;
  BOOL IsOriginal;

  // --- buffers: use the accessors of buffer_slots.h
  int32_t ActiveBuffer;                // buffer numbers 1..4, 0 before the frame exists
  int32_t SourceBuffer;
  int32_t TargetBuffer;
  int32_t SlotLoaded[kSlotCount];
  SlotImage Slots[kSlotCount];
  ImageHeader SpareHeader;
  ImageMetadata SpareMetadata;
  void* WorkBuffers[kWorkBufferCount]; // owned; release with ReleaseStateBuffer
  int16_t* SlotPixels[kSlotCount];     // owned by the slots

  // --- system colours of the night mode
  INT SysColourIndices[kSysColourCount];
  COLORREF SavedSysColours[kSysColourCount];
  COLORREF NightSysColours[kSysColourCount];
};

// The record is copied with memcpy and addressed by field offsets.
static_assert(std::is_standard_layout<ProgramState>::value && std::is_trivially_copyable<ProgramState>::value,
              "ProgramState is a plain record");
static_assert(kMaxWorkers == MAXIMUM_WAIT_OBJECTS, "one wait covers every worker");

extern ProgramState gProgramState;

// After the settings were loaded: empties the buffers, resets run control and
// Classicmode, sets the curve end points and initialises the three locks.
// Every other loaded setting stays.
void InitProgramState(ProgramState* ps);

// --- backup of set-up and editing dialogs
//
// A dialog calls BackupProgramState when it opens, and CommitProgramState or
// RestoreProgramState when it ends. Restore puts back every setting, the
// buffer slots and the work buffers as they were when the (latest) backup was
// taken; a dialog opened from another dialog takes a new backup over the
// shared one, so the outer dialog's cancel undoes only what came after.
// Locks, worker handles and counts, the abort and pause flags and the GDI
// handles of the palette and the zoom strip are live and never restored.
//
// While a backup is held, every owned buffer of the record (slot samples, work
// buffers, hot-pixel list, the pattern, dark and flat samples of the stacking)
// must be freed through ReleaseStateBuffer, never with
// FreeMem: a buffer the backup still points to is kept until the dialog ends.
void BackupProgramState(ProgramState* ps);
// The open dialog's backup taken again from the current state, without
// counting another dialog: a tab page does it when it is shown, so cancel
// goes back to the state the page met. Nothing without a backup of ps.
void RenewProgramStateBackup(ProgramState* ps);
void CommitProgramState(ProgramState* ps);
// 1 when a backup was put back, 0 when none was held.
int RestoreProgramState(ProgramState* ps);
// Frees (or keeps for the backup) a buffer owned by ps and clears the field.
void ReleaseStateBuffer(ProgramState* ps, void** field);
template <typename T>
inline void ReleaseStateBuffer(ProgramState* ps, T** field) {
  void* v = *field;
  ReleaseStateBuffer(ps, &v);
  *field = static_cast<T*>(v);
}
// Ends every backup of ps; used on the way out before the buffers are freed.
void DropProgramStateBackup(ProgramState* ps);
