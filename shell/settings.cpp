// The sections and keys of "tyvorn.ini" as one table, in the order in which
// the file is written and read, and the two loops that walk it.
#include "shell/settings.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <type_traits>
#include <utility>

#include "rastcodec/rastcodec.h"

namespace {

enum class Kind : uint8_t {
  Long,
  Double,
  Bool,
  String,
  Colour,
  Quad,
  Whole,   // a double field written as a whole number, read back as a double
};

enum class Access : uint8_t { ReadWrite, WriteOnly, ReadOnly };

// How a value is cut down before it reaches its 32-bit field.
enum class Narrow : uint8_t { None, Low16, SignedLow8 };

// Defaults that are not a constant of the row: the program directory before
// the row's text, or a converter version of the graphics library.
enum class From : uint8_t { Row, ProgramDirectory, GifVersion, JpegVersion, PcxVersion, TiffVersion };

struct Default {
  double number;        // long, BOOL, double
  int32_t parts[4];     // colour as red, green, blue; rectangle
  const char* text;     // string
  From from;
};

constexpr Default N(double v) { return {v, {}, "", From::Row}; }
constexpr Default Rgb(int32_t r, int32_t g, int32_t b) { return {0, {r, g, b, 0}, "", From::Row}; }
constexpr Default Rect(int32_t x, int32_t y, int32_t w, int32_t h) { return {0, {x, y, w, h}, "", From::Row}; }
constexpr Default Text(const char* t) { return {0, {}, t, From::Row}; }
constexpr Default Dir(const char* t) { return {0, {}, t, From::ProgramDirectory}; }
constexpr Default Version(From f) { return {0, {}, "", f}; }
constexpr Default kNone = N(0);   // write-only keys are never read

struct IniKey {
  int section;
  const char* name;
  Kind kind;
  size_t offset;        // of the field in ProgramState
  size_t size;          // of the field: a string's capacity
  Default def;
  Access access;
  Narrow narrow;
};

template <typename F>
constexpr bool FieldFits(Kind kind) {
  switch (kind) {
    case Kind::Long:
    case Kind::Bool: return std::is_same<F, int32_t>::value;
    case Kind::Double:
    case Kind::Whole: return std::is_same<F, double>::value;
    case Kind::String:
      return std::is_array<F>::value && std::is_same<std::remove_extent_t<F>, char>::value && sizeof(F) <= kPathSize;
    case Kind::Colour: return std::is_same<F, RGBQUAD>::value;
    case Kind::Quad: return std::is_same<F, int32_t[4]>::value;
  }
  return false;
}

template <typename F>
constexpr IniKey MakeKey(int section, const char* name, Kind kind, size_t offset, Default def,
                         Access access = Access::ReadWrite, Narrow narrow = Narrow::None) {
  return FieldFits<F>(kind) ? IniKey{section, name, kind, offset, sizeof(F), def, access, narrow}
                            : throw "the key's kind does not fit its field";
}

#define KEY(section, name, kind, field, ...)                                                                \
  MakeKey<std::remove_reference_t<decltype(std::declval<ProgramState&>().field)>>(                          \
      section, name, Kind::kind, offsetof(ProgramState, field), __VA_ARGS__)

// A contrast channel block: no prefix for the whole picture, then R, G, B.
#define CONTRAST_CHANNEL(i, prefix)                                                                         \
  KEY(kSectionContrast, prefix "Algorithm", Long, ContrastChannels[i].Algorithm, N(0)),                     \
  KEY(kSectionContrast, prefix "Gamma", Double, ContrastChannels[i].Gamma, N(1.0)),                         \
  KEY(kSectionContrast, prefix "LogMulti", Long, ContrastChannels[i].LogMulti, N(1)),                       \
  KEY(kSectionContrast, prefix "Toplevel", Long, ContrastChannels[i].Toplevel, N(32767)),                   \
  KEY(kSectionContrast, prefix "Backgroundlevel", Long, ContrastChannels[i].Backgroundlevel, N(0)),         \
  KEY(kSectionContrast, prefix "Histogramrange", Long, ContrastChannels[i].Histogramrange, N(0)),           \
  KEY(kSectionContrast, prefix "Curve1", Long, ContrastChannels[i].Curve[1], N(4095)),                      \
  KEY(kSectionContrast, prefix "Curve2", Long, ContrastChannels[i].Curve[2], N(8191)),                      \
  KEY(kSectionContrast, prefix "Curve3", Long, ContrastChannels[i].Curve[3], N(12287)),                     \
  KEY(kSectionContrast, prefix "Curve4", Long, ContrastChannels[i].Curve[4], N(16383)),                     \
  KEY(kSectionContrast, prefix "Curve5", Long, ContrastChannels[i].Curve[5], N(20479)),                     \
  KEY(kSectionContrast, prefix "Curve6", Long, ContrastChannels[i].Curve[6], N(24575)),                     \
  KEY(kSectionContrast, prefix "Curve7", Long, ContrastChannels[i].Curve[7], N(28671))

constexpr Access WO = Access::WriteOnly;
constexpr Access RO = Access::ReadOnly;
constexpr Access RW = Access::ReadWrite;

// Sections in the order in which the file is written and read.
constexpr struct {
  int number;
  const char* name;
} kSections[] = {
    {kSectionBasicdata, "Basicdata"},     {kSectionLivepic, "Livepic"},         {kSectionPalette, "Palette"},
    {kSectionDarkcurrent, "Darkcurrent"}, {kSectionContrast, "Contrast"},       {kSectionMasking, "Masking"},
    {kSectionPSF, "PSF"},                 {kSectionRGBCorr, "RGBCorr"},         {kSectionColortemp, "Colortemp"},
    {kSectionLimbdark, "Limbdark"},       {kSectionNoisefilter, "Noisefilter"}, {kSectionRemoveStars, "RemoveStars"},
    {kSectionTimelapse, "Timelapse"},     {kSectionMapping, "Mapping"},         {kSectionFitImage, "FitImage"},
    {kSectionBlinkcomp, "Blinkcomp"},     {kSectionRotate, "Rotate"},           {kSectionEnlarge, "Enlarge"},
    {kSectionShiftdifferenz, "Shiftdifferenz"},
    {kSectionTime, "Time"},               {kSectionGeopos, "Geopos"},           {kSectionAstronomy, "Astronomy"},
    {kSectionPicSave, "PicSave"},
};

// Every key of the file, section by section, each section's keys in file
// order. Where two keys of a section differ only in case they are one entry
// of the file: [Contrast] Backgroundlevel and BackgroundLevel are written in
// turn (the second wins) and both read that one value.
constexpr IniKey kKeys[] = {
    KEY(kSectionBasicdata, "CurrentPath", String, CurrentPath, Dir("")),
    KEY(kSectionBasicdata, "Camtype", Long, Camtype, N(0)),
    KEY(kSectionBasicdata, "Flatfield", String, Flatfield, Dir("")),
    KEY(kSectionBasicdata, "IsFlatfield", Bool, IsFlatfield, N(0)),
    KEY(kSectionBasicdata, "Flatfieldmethod", Long, Flatfieldmethod, N(0)),
    KEY(kSectionBasicdata, "Darkcurrent", String, Darkcurrent, Dir("")),
    KEY(kSectionBasicdata, "IsDarkcurrent", Bool, IsDarkcurrent, N(0)),
    KEY(kSectionBasicdata, "RawImagePath", String, RawImagePath, Dir("")),
    KEY(kSectionBasicdata, "GrabbFile", String, GrabbFile, Dir("\\video.avi")),
    KEY(kSectionBasicdata, "ErrectImage", Bool, ErrectImage, N(0)),
    KEY(kSectionBasicdata, "Errectangle", Double, Errectangle, N(0.0)),
    KEY(kSectionBasicdata, "IsWarped", Bool, IsWarped, N(0)),
    KEY(kSectionBasicdata, "Warpfactor", Double, Warpfactor, N(1.0)),
    KEY(kSectionBasicdata, "IsNoisefilter", Bool, IsNoisefilter, N(0)),
    KEY(kSectionBasicdata, "DigitDynamic", Long, DigitDynamic, N(0)),
    KEY(kSectionBasicdata, "Colorchannel", Long, Colorchannel, N(0)),
    KEY(kSectionBasicdata, "Framecount", Long, Framecount, N(1)),
    KEY(kSectionBasicdata, "Groupcount", Long, Groupcount, N(1)),
    KEY(kSectionBasicdata, "Intervall", Long, Intervall, N(1000)),
    KEY(kSectionBasicdata, "Grabbmethode", Long, Grabbmethode, N(0)),
    KEY(kSectionBasicdata, "IsGrabbTimer", Bool, IsGrabbTimer, N(0)),
    KEY(kSectionBasicdata, "Grabbtimer", Long, Grabbtimer, N(0)),
    KEY(kSectionBasicdata, "FocalLength", Long, FocalLength, N(2250)),
    KEY(kSectionBasicdata, "Aperture", Long, Aperture, N(150)),
    KEY(kSectionBasicdata, "Wavelength", Double, Wavelength, N(550.0)),
    KEY(kSectionBasicdata, "GrabOnHarddisk", Bool, GrabOnHarddisk, N(1)),
    KEY(kSectionBasicdata, "Drivernum", Long, Drivernum, N(0)),
    KEY(kSectionBasicdata, "Drivername", String, Drivername, Text("")),
    KEY(kSectionBasicdata, "Digitoffset", Long, Digitoffset, N(0)),
    KEY(kSectionBasicdata, "Digitmethod", Long, Digitmethod, N(1)),
    KEY(kSectionBasicdata, "Syncmethod", Long, Syncmethod, N(1)),
    KEY(kSectionBasicdata, "VideosetNotShow13", Bool, VideosetNotShow13, kNone, WO),
    KEY(kSectionBasicdata, "OriginalSize", Bool, OriginalSize, N(1)),
    KEY(kSectionBasicdata, "GrabbAVIs", Bool, GrabbAVIs, N(1)),
    KEY(kSectionBasicdata, "GrabbIntegrated", Bool, GrabbIntegrated, N(0)),
    KEY(kSectionBasicdata, "Grabbendless", Bool, Grabbendless, N(0)),
    KEY(kSectionBasicdata, "GrabbTimeMarker", Bool, GrabbTimeMarker, N(0)),
    KEY(kSectionBasicdata, "GrabbPlaceMarker", Bool, GrabbPlaceMarker, N(0)),
    KEY(kSectionBasicdata, "Grabb2GBLimit", Bool, Grabb2GBLimit, N(1)),
    KEY(kSectionBasicdata, "IsPreview", Bool, IsPreview, N(1)),

    KEY(kSectionLivepic, "Hotpixelmask", Bool, Hotpixelmask, N(0)),
    KEY(kSectionLivepic, "BlueXshift", Long, BlueXshift, N(0)),
    KEY(kSectionLivepic, "BlueYshift", Long, BlueYshift, N(0)),
    KEY(kSectionLivepic, "RedXshift", Long, RedXshift, N(0)),
    KEY(kSectionLivepic, "RedYshift", Long, RedYshift, N(0)),
    KEY(kSectionLivepic, "Gamma", Double, Gamma, N(1.0)),
    KEY(kSectionLivepic, "Backgroundlevel", Long, Backgroundlevel, N(0)),

    KEY(kSectionPalette, "Palettetype", Long, Palettetype, N(0)),
    KEY(kSectionPalette, "FirstColor", Colour, FirstColor, Rgb(0, 40, 0)),
    KEY(kSectionPalette, "LastColor", Colour, LastColor, Rgb(255, 160, 80)),
    KEY(kSectionPalette, "IsIsophots", Bool, IsIsophots, N(0)),
    KEY(kSectionPalette, "Isophotdistance", Long, Isophotdistance, N(32)),
    KEY(kSectionPalette, "Isophotdisplay", Long, Isophotdisplay, N(0)),
    KEY(kSectionPalette, "Isophotcolor", Colour, Isophotcolor, Rgb(0, 255, 0)),
    KEY(kSectionPalette, "Logscale", Bool, Logscale, N(0)),
    KEY(kSectionPalette, "Colorstep", Long, Colorstep, N(256)),

    KEY(kSectionDarkcurrent, "Method", Long, Method, N(1)),
    KEY(kSectionDarkcurrent, "Const", Long, Const, N(0)),
    KEY(kSectionDarkcurrent, "IsAutomatic", Bool, IsAutomatic, N(1)),
    KEY(kSectionDarkcurrent, "DegOfPolynom", Long, DegOfPolynom, N(2)),
    KEY(kSectionDarkcurrent, "EffOfPolynom", Double, EffOfPolynom, N(1.0)),
    KEY(kSectionDarkcurrent, "IsColor", Bool, IsColor, N(0)),

    KEY(kSectionContrast, "Contrastchannel", Long, Contrastchannel, N(0)),
    CONTRAST_CHANNEL(0, ""),
    CONTRAST_CHANNEL(1, "R"),
    CONTRAST_CHANNEL(2, "G"),
    CONTRAST_CHANNEL(3, "B"),
    KEY(kSectionContrast, "RSAlgorithm", Long, RSAlgorithm, N(2)),
    KEY(kSectionContrast, "RSLogMulti", Long, RSLogMulti, N(1)),
    KEY(kSectionContrast, "RSGamma", Double, RSGamma, N(1.0)),
    KEY(kSectionContrast, "RSLowlevel", Long, RSLowlevel, N(0)),
    KEY(kSectionContrast, "TurningPt", Long, TurningPt, N(128)),
    KEY(kSectionContrast, "HighGamma", Double, HighGamma, N(1.0)),
    KEY(kSectionContrast, "LowGamma", Double, LowGamma, N(1.0)),
    KEY(kSectionContrast, "LimitTopLevel", Bool, LimitTopLevel, N(0)),
    KEY(kSectionContrast, "RemoveBgType", Long, RemoveBgType, N(2)),
    KEY(kSectionContrast, "BackgroundLevel", Long, ContrastBackgroundLevel, N(0)),
    KEY(kSectionContrast, "Equalizing", Bool, Equalizing, N(1)),
    KEY(kSectionContrast, "RejectHotpixel", Bool, RejectHotpixel, N(1)),
    KEY(kSectionContrast, "Hotpixelnum", Long, Hotpixelnum, N(0)),
    KEY(kSectionContrast, "RejectDeadpixel", Bool, RejectDeadpixel, N(1)),
    KEY(kSectionContrast, "Deadpixelnum", Long, Deadpixelnum, N(0)),
    KEY(kSectionContrast, "RejectBackground", Bool, RejectBackground, N(0)),
    KEY(kSectionContrast, "UseHSIMethod", Bool, UseHSIMethod, N(0)),

    KEY(kSectionMasking, "Masktype", Long, Masktype, N(2)),
    KEY(kSectionMasking, "Maskeffect0", Double, Maskeffect0, N(1.0)),
    KEY(kSectionMasking, "Maskeffect1", Double, Maskeffect1, N(1.0)),
    KEY(kSectionMasking, "IsExact", Bool, IsExact, N(0)),
    KEY(kSectionMasking, "IsAdaptiv", Bool, IsAdaptiv, N(0)),
    KEY(kSectionMasking, "EffectLog", Bool, EffectLog, N(0)),
    KEY(kSectionMasking, "AutoContrast", Bool, AutoContrast, N(1)),
    KEY(kSectionMasking, "Lowpasstype", Long, Lowpasstype, N(1)),
    KEY(kSectionMasking, "LowCutoff", Long, LowCutoff, N(9)),
    KEY(kSectionMasking, "Highpasstype", Long, Highpasstype, N(0)),
    KEY(kSectionMasking, "HighCutoff", Long, HighCutoff, N(9)),
    KEY(kSectionMasking, "HighRectpart", Long, HighRectpart, N(5)),
    KEY(kSectionMasking, "Highpasschar", Long, Highpasschar, N(0)),
    KEY(kSectionMasking, "EffectFilter", Long, EffectFilter, N(8)),
    KEY(kSectionMasking, "Bandpassamptype", Long, Bandpassamptype, N(0)),
    KEY(kSectionMasking, "Bandpassampradius", Long, Bandpassampradius, N(25)),
    KEY(kSectionMasking, "Bandpassfilttype", Long, Bandpassfilttype, N(1)),
    KEY(kSectionMasking, "Bandpassfiltradius", Long, Bandpassfiltradius, N(5)),
    KEY(kSectionMasking, "Bandpassrectpart", Long, Bandpassrectpart, N(15)),
    KEY(kSectionMasking, "Bandpasschar", Long, Bandpasschar, N(0)),
    KEY(kSectionMasking, "SekSpectrum", Bool, SekSpectrum, N(0)),
    KEY(kSectionMasking, "RedRadius", Long, RedRadius, N(1)),
    KEY(kSectionMasking, "BlueRadius", Long, MaskingBlueRadius, N(1)),
    KEY(kSectionMasking, "Astigmatism", Bool, Astigmatism, N(0)),
    KEY(kSectionMasking, "Astigposwin", Long, Astigposwin, N(0)),
    KEY(kSectionMasking, "Astigsize", Long, Astigsize, N(1)),
    KEY(kSectionMasking, "Komacorr", Bool, Komacorr, N(0)),
    KEY(kSectionMasking, "Komaposwin", Long, Komaposwin, N(0)),
    KEY(kSectionMasking, "Komasize", Long, Komasize, N(1)),

    KEY(kSectionPSF, "PSFFctPath", String, PSFFctPath, Dir("")),
    KEY(kSectionPSF, "Method", Long, PSFMethod, N(0)),
    KEY(kSectionPSF, "PSFwidth", Long, PSFwidth, N(25)),
    KEY(kSectionPSF, "PSFheight", Long, PSFheight, N(25)),
    KEY(kSectionPSF, "UserPSF", Bool, UserPSF, N(0)),

    KEY(kSectionRGBCorr, "BlueXshift", Long, RGBCorrBlueXshift, N(0)),
    KEY(kSectionRGBCorr, "BlueYshift", Long, RGBCorrBlueYshift, N(0)),
    KEY(kSectionRGBCorr, "BlueSize", Long, BlueSize, N(0)),
    KEY(kSectionRGBCorr, "RedXshift", Long, RGBCorrRedXshift, N(0)),
    KEY(kSectionRGBCorr, "RedYshift", Long, RGBCorrRedYshift, N(0)),
    KEY(kSectionRGBCorr, "RedSize", Long, RedSize, N(0)),
    KEY(kSectionRGBCorr, "SeparateMethod", Long, SeparateMethod, N(0)),

    KEY(kSectionColortemp, "Red", Long, Red, N(0)),
    KEY(kSectionColortemp, "Green", Long, Green, N(0)),
    KEY(kSectionColortemp, "Blue", Long, Blue, N(0)),
    KEY(kSectionColortemp, "Saturation", Double, Saturation, N(1.0)),
    KEY(kSectionColortemp, "Colorangle", Double, Colorangle, N(0.0)),
    KEY(kSectionColortemp, "Temperature", Double, Temperature, N(5200.0)),
    KEY(kSectionColortemp, "Noisefilter", Bool, Noisefilter, N(0)),
    KEY(kSectionColortemp, "Noiseradius", Long, Noiseradius, N(3)),

    KEY(kSectionLimbdark, "Object", Long, Object, N(16)),
    KEY(kSectionLimbdark, "X-Center", Long, XCenter, kNone, WO),
    KEY(kSectionLimbdark, "Y-Center", Long, YCenter, kNone, WO),
    KEY(kSectionLimbdark, "Objectradius", Long, Objectradius, N(100)),
    KEY(kSectionLimbdark, "Unsharpradius", Long, Unsharpradius, N(15)),
    KEY(kSectionLimbdark, "PosAngle", Double, PosAngle, N(0.0)),
    KEY(kSectionLimbdark, "Exponent", Double, Exponent, N(1.67)),
    KEY(kSectionLimbdark, "Contrast", Bool, Contrast, N(1), RO),

    KEY(kSectionNoisefilter, "Filtertype", Long, Filtertype, N(4)),
    KEY(kSectionNoisefilter, "Pseudomedian", Bool, Pseudomedian, N(0)),
    KEY(kSectionNoisefilter, "Effect", Double, Effect, N(100.0)),
    KEY(kSectionNoisefilter, "Sigmaradius", Double, Sigmaradius, N(5.0)),

    KEY(kSectionRemoveStars, "Maskradius", Long, Maskradius, N(6)),
    KEY(kSectionRemoveStars, "Blueradius", Long, Blueradius, N(0)),
    KEY(kSectionRemoveStars, "IsBlueLimb", Bool, IsBlueLimb, N(0)),
    KEY(kSectionRemoveStars, "Masklevel", Double, Masklevel, N(0.15)),

    KEY(kSectionTimelapse, "Intpict", Long, Intpict, N(3)),
    KEY(kSectionTimelapse, "Resizefak", Long, Resizefak, N(2)),
    KEY(kSectionTimelapse, "IsAufblende", Bool, IsAufblende, N(0)),
    KEY(kSectionTimelapse, "IsAbblende", Bool, IsAbblende, N(0)),

    KEY(kSectionMapping, "Projection", Long, Projection, N(9)),
    KEY(kSectionMapping, "Grid", Bool, Grid, N(1)),
    KEY(kSectionMapping, "Lettering", Bool, Lettering, N(1)),
    KEY(kSectionMapping, "Scalebars", Bool, Scalebars, N(1)),
    KEY(kSectionMapping, "Greyscale", Bool, Greyscale, N(1)),
    KEY(kSectionMapping, "Matching", Bool, Matching, N(1)),
    KEY(kSectionMapping, "Gridcolor", Colour, Gridcolor, Rgb(0, 0, 0)),
    KEY(kSectionMapping, "Lettercolor", Colour, Lettercolor, Rgb(0, 128, 128)),
    KEY(kSectionMapping, "Inviscolor", Colour, Inviscolor, Rgb(64, 64, 64)),
    KEY(kSectionMapping, "Mapwidth", Long, Mapwidth, N(720)),
    KEY(kSectionMapping, "Mapheight", Long, Mapheight, N(360)),
    KEY(kSectionMapping, "Centerlong", Whole, Centerlong, N(0.0)),
    KEY(kSectionMapping, "Centerlat", Whole, Centerlat, N(0.0)),
    KEY(kSectionMapping, "Contrast", Bool, MappingContrast, N(1), RO),

    KEY(kSectionFitImage, "FitMethod", Long, FitMethod, N(1)),
    KEY(kSectionFitImage, "CheckMethod", Long, CheckMethod, N(2)),
    KEY(kSectionFitImage, "Searchradius", Long, Searchradius, N(50)),
    KEY(kSectionFitImage, "FitColor", Long, FitColor, N(0)),
    KEY(kSectionFitImage, "MinCorrelation", Double, MinCorrelation, N(0.85)),
    KEY(kSectionFitImage, "FitFFT", Bool, FitFFT, N(0)),
    KEY(kSectionFitImage, "Interlace", Bool, Interlace, kNone, WO),
    KEY(kSectionFitImage, "ExcludeBorder", Bool, ExcludeBorder, N(0)),
    KEY(kSectionFitImage, "Equalizing", Bool, FitImageEqualizing, N(0)),
    KEY(kSectionFitImage, "RGBCorrection", Bool, RGBCorrection, N(0)),
    KEY(kSectionFitImage, "RemoveHotPixel", Bool, HotPixelList.RemoveHotPixel, N(0)),
    KEY(kSectionFitImage, "DynamikCorrection", Bool, DynamikCorrection, N(1)),
    KEY(kSectionFitImage, "CheckSharpness", Bool, CheckSharpness, N(1)),
    KEY(kSectionFitImage, "CheckDistortion", Bool, CheckDistortion, N(1)),
    KEY(kSectionFitImage, "CheckSelection", Double, CheckSelection, N(0.25)),
    KEY(kSectionFitImage, "Safetycopy", Bool, Safetycopy, N(1)),
    KEY(kSectionFitImage, "SafeSort", Bool, SafeSort, N(0)),
    KEY(kSectionFitImage, "Histogram", Bool, Histogram, N(0)),
    KEY(kSectionFitImage, "Logfile", Bool, Logfile, N(0)),
    KEY(kSectionFitImage, "Logfilename", String, Logfilename, Text("")),
    KEY(kSectionFitImage, "SortPicPath", String, SortPicPath, Text("")),
    KEY(kSectionFitImage, "Checkarea", Double, Checkarea, N(0.5)),
    KEY(kSectionFitImage, "Checkmix", Double, Checkmix, N(0.5)),
    KEY(kSectionFitImage, "Subpixelfactor", Long, Subpixelfactor, N(0)),
    KEY(kSectionFitImage, "SubpixPart", Bool, SubpixPart, N(0)),
    KEY(kSectionFitImage, "SubpixOrigsize", Bool, SubpixOrigsize, N(0)),
    KEY(kSectionFitImage, "Addpicsource", Long, Addpicsource, N(0)),
    KEY(kSectionFitImage, "Imagetype", Long, Imagetype, N(0)),
    KEY(kSectionFitImage, "FitNthPic", Long, FitNthPic, N(1)),
    KEY(kSectionFitImage, "AddNPics", Long, AddNPics, N(1)),
    KEY(kSectionFitImage, "Turbo", Bool, Turbo, N(0)),
    KEY(kSectionFitImage, "Gaintype", Long, Gaintype, N(0)),
    KEY(kSectionFitImage, "Gaingamma", Double, Gaingamma, N(1.0)),
    KEY(kSectionFitImage, "Gainauto", Bool, Gainauto, N(0)),
    KEY(kSectionFitImage, "Superres", Bool, Superres, N(0)),
    KEY(kSectionFitImage, "Preprocess", Bool, Preprocess, N(1)),
    KEY(kSectionFitImage, "Qualitycheck", Bool, Qualitycheck, N(1)),
    KEY(kSectionFitImage, "Protokoll", Bool, Protokoll, N(0)),
    KEY(kSectionFitImage, "NotClose", Bool, NotClose, N(0)),
    KEY(kSectionFitImage, "Classicmode", Bool, Classicmode, N(0)),
    KEY(kSectionFitImage, "Classicbatch", Bool, Classicbatch, N(0)),
    KEY(kSectionFitImage, "RecenterFormat", Long, RecenterFormat, N(0)),
    KEY(kSectionFitImage, "RecenterPath", String, RecenterPath, Dir("")),

    KEY(kSectionBlinkcomp, "Frequency", Long, Frequency, N(2000)),

    KEY(kSectionRotate, "Rotangle", Double, Rotangle, kNone, WO),
    KEY(kSectionRotate, "X-Center", Long, RotateXCenter, kNone, WO),
    KEY(kSectionRotate, "Y-Center", Long, RotateYCenter, kNone, WO),
    KEY(kSectionRotate, "Flipmethod", Long, Flipmethod, N(2)),

    KEY(kSectionEnlarge, "Scale", Double, Scale, N(1.0)),
    KEY(kSectionEnlarge, "Method", Long, EnlargeMethod, N(3)),
    KEY(kSectionEnlarge, "Minification", Long, Minification, N(1)),
    KEY(kSectionEnlarge, "IsSection", Bool, IsSection, N(1)),
    KEY(kSectionEnlarge, "Pixelwidth", Double, Pixelwidth, N(16.0)),
    KEY(kSectionEnlarge, "Pixelheight", Double, Pixelheight, N(15.0)),

    KEY(kSectionShiftdifferenz, "Method", Long, ShiftdifferenzMethod, N(1)),
    KEY(kSectionShiftdifferenz, "Effect", Double, ShiftdifferenzEffect, N(0.33)),
    KEY(kSectionShiftdifferenz, "Angle", Double, Angle, N(2.5)),
    KEY(kSectionShiftdifferenz, "Tangent", Double, Tangent, N(2.0)),
    KEY(kSectionShiftdifferenz, "Radius", Double, Radius, N(2.0)),

    KEY(kSectionTime, "IsActual", Bool, IsActual, N(1)),

    KEY(kSectionGeopos, "Longitude", Double, Longitude, N(-7.1)),
    KEY(kSectionGeopos, "Latitude", Double, Latitude, N(50.8)),
    KEY(kSectionGeopos, "GeoHeight", Double, GeoHeight, N(67.0)),
    KEY(kSectionGeopos, "GPSLog", Bool, GPSLog, N(0)),

    KEY(kSectionAstronomy, "Object", Long, AstronomyObject, N(16)),

    KEY(kSectionPicSave, "Format", Long, Format, N(0)),
    KEY(kSectionPicSave, "Loadformat", Long, Loadformat, N(0)),
    KEY(kSectionPicSave, "SaveRect", Quad, SaveRect, Rect(0, 0, 300, 200)),
    KEY(kSectionPicSave, "Scalefactor", Double, Scalefactor, N(1.0)),
    KEY(kSectionPicSave, "IsThumbnail", Bool, IsThumbnail, N(0)),
    KEY(kSectionPicSave, "IsOriginal", Bool, IsOriginal, N(0)),
    KEY(kSectionPicSave, "GifVersion", Long, Gif.GifVersion, Version(From::GifVersion), RW, Narrow::Low16),
    KEY(kSectionPicSave, "GifFormat", Long, Gif.GifFormat, N(89)),
    KEY(kSectionPicSave, "GifGlobalColorMap", Bool, Gif.GifGlobalColorMap, N(1)),
    KEY(kSectionPicSave, "GifInterlaced", Bool, Gif.GifInterlaced, N(1)),
    KEY(kSectionPicSave, "GifGrayscale24", Bool, Gif.GifGrayscale24, N(0)),
    KEY(kSectionPicSave, "JpegVersion", Long, Jpeg.JpegVersion, Version(From::JpegVersion), RW, Narrow::Low16),
    KEY(kSectionPicSave, "JpegQuality", Long, Jpeg.JpegQuality, N(75)),
    KEY(kSectionPicSave, "JpegGrayscale", Bool, Jpeg.JpegGrayscale, N(0)),
    KEY(kSectionPicSave, "PcxVersion", Long, Pcx.PcxVersion, N(32), RW, Narrow::Low16),
    KEY(kSectionPicSave, "PcxPCXVersion", Long, Pcx.PcxPCXVersion, N(5), RW, Narrow::SignedLow8),
    KEY(kSectionPicSave, "PcxBitsPerPixel", Long, Pcx.PcxBitsPerPixel, Version(From::PcxVersion)),
    KEY(kSectionPicSave, "PcxCompression", Bool, Pcx.PcxCompression, N(1)),
    KEY(kSectionPicSave, "PngBitsPerPixel", Long, PngBitsPerPixel, N(16)),
    KEY(kSectionPicSave, "PngGrayscale", Bool, PngGrayscale, N(0)),
    KEY(kSectionPicSave, "TiffVersion", Long, Tiff.TiffVersion, Version(From::TiffVersion), RW, Narrow::Low16),
    KEY(kSectionPicSave, "TiffBitPerPixel", Long, Tiff.TiffBitPerPixel, N(24)),
    KEY(kSectionPicSave, "TiffCompression", Long, Tiff.TiffCompression, N(1)),
    KEY(kSectionPicSave, "TiffStripsize", Long, Tiff.TiffStripsize, N(10)),
    KEY(kSectionPicSave, "TiffSaveBits", Long, Tiff.TiffSaveBits, N(16), RW, Narrow::Low16),
    KEY(kSectionPicSave, "FITSColorOrg", Long, FITSColorOrg, N(0)),
    KEY(kSectionPicSave, "FITSFrameOrg", Long, FITSFrameOrg, N(1)),
    KEY(kSectionPicSave, "FITSBzero", Bool, FITSBzero, N(0)),
    KEY(kSectionPicSave, "CutFormat", Long, CutFormat, N(2)),
    KEY(kSectionPicSave, "CutXSize", Long, CutXSize, N(240)),
    KEY(kSectionPicSave, "CutYSize", Long, CutYSize, N(200)),
};

#undef CONTRAST_CHANNEL
#undef KEY

// The table lists every section, each in one run, in the order of kSections.
constexpr bool KeysFollowSections() {
  size_t s = 0;
  bool seen = false;
  for (const IniKey& k : kKeys) {
    if (k.section != kSections[s].number) {
      if (!seen || ++s == sizeof kSections / sizeof kSections[0] || k.section != kSections[s].number) return false;
    }
    seen = true;
  }
  return s + 1 == sizeof kSections / sizeof kSections[0];
}
static_assert(KeysFollowSections(), "keys grouped by section, in file order");

const char* SectionName(int number) {
  for (const auto& s : kSections)
    if (s.number == number) return s.name;
  return "";
}

bool Selected(const IniKey& k, int section) { return section == kAllSettings || section == k.section; }

// "%s\%s" of the program directory and the file name, without doubling a
// trailing separator of the directory.
bool IniPath(const ProgramState* ps, const char* fileName, char* path, size_t size) {
  const char* dir = ps->ProgramDirectory;
  const size_t len = strnlen(dir, kPathSize - 1);
  const bool separated = len > 0 && (dir[len - 1] == '\\' || dir[len - 1] == '/');
  const int n = std::snprintf(path, size, "%.*s%s%s", int(len), dir, separated ? "" : "\\", fileName);
  return n > 0 && size_t(n) < size;
}

// Field access by offset; memcpy keeps it free of aliasing assumptions.
template <typename T>
T Get(const ProgramState* ps, const IniKey& k) {
  T v;
  std::memcpy(&v, reinterpret_cast<const unsigned char*>(ps) + k.offset, sizeof v);
  return v;
}

template <typename T>
void Put(ProgramState* ps, const IniKey& k, const T& v) {
  std::memcpy(reinterpret_cast<unsigned char*>(ps) + k.offset, &v, sizeof v);
}

char* StringField(ProgramState* ps, const IniKey& k) { return reinterpret_cast<char*>(ps) + k.offset; }

// Truncated toward zero; what does not fit a long becomes its nearest end.
long WholeNumber(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return 2147483647L;
  if (v <= -2147483648.0) return -2147483647L - 1;
  return long(v);
}

int32_t LongDefault(const IniKey& k) {
  switch (k.def.from) {
    case From::GifVersion: return WORD(ConvertGIFGetVersion());
    case From::JpegVersion: return WORD(ConvertJPGGetVersion());
    case From::PcxVersion: return WORD(ConvertPCXGetVersion());
    case From::TiffVersion: return WORD(ConvertTIFGetVersion());
    default: return int32_t(k.def.number);
  }
}

int32_t Narrowed(int32_t v, Narrow narrow) {
  switch (narrow) {
    case Narrow::Low16: return int32_t(uint16_t(uint32_t(v)));
    case Narrow::SignedLow8: return int32_t(int8_t(uint8_t(uint32_t(v))));
    case Narrow::None: break;
  }
  return v;
}

RGBQUAD DefaultColour(const IniKey& k) {
  RGBQUAD c;
  c.rgbRed = BYTE(k.def.parts[0]);
  c.rgbGreen = BYTE(k.def.parts[1]);
  c.rgbBlue = BYTE(k.def.parts[2]);
  c.rgbReserved = 0;
  return c;
}

void WriteKey(const char* path, const ProgramState* ps, const IniKey& k) {
  const char* section = SectionName(k.section);
  switch (k.kind) {
    case Kind::Long: WriteIniLong(path, section, k.name, Get<int32_t>(ps, k)); break;
    case Kind::Bool: WriteIniBool(path, section, k.name, Get<int32_t>(ps, k)); break;
    case Kind::Double: WriteIniDouble(path, section, k.name, Get<double>(ps, k)); break;
    case Kind::Whole: WriteIniLong(path, section, k.name, WholeNumber(Get<double>(ps, k))); break;
    case Kind::Colour: WriteIniColour(path, section, k.name, Get<RGBQUAD>(ps, k)); break;
    case Kind::Quad: {
      int32_t q[4];
      std::memcpy(q, reinterpret_cast<const unsigned char*>(ps) + k.offset, sizeof q);
      WriteIniQuad(path, section, k.name, q);
      break;
    }
    case Kind::String: {
      // A field filled to the brim without its NUL is written up to its capacity.
      char text[kPathSize];
      const char* field = reinterpret_cast<const char*>(ps) + k.offset;
      const size_t n = strnlen(field, k.size - 1);
      std::memcpy(text, field, n);
      text[n] = '\0';
      WriteIniString(path, section, k.name, text);
      break;
    }
  }
}

void ReadKey(const char* path, ProgramState* ps, const IniKey& k) {
  const char* section = SectionName(k.section);
  switch (k.kind) {
    case Kind::Long: {
      int32_t v;
      ReadIniLong(path, section, k.name, &v, LongDefault(k));
      Put(ps, k, Narrowed(v, k.narrow));
      break;
    }
    case Kind::Bool: {
      BOOL v;
      ReadIniBool(path, section, k.name, &v, k.def.number != 0);
      Put<int32_t>(ps, k, v);
      break;
    }
    case Kind::Double:
    case Kind::Whole: {
      double v;
      ReadIniDouble(path, section, k.name, &v, k.def.number);
      Put(ps, k, v);
      break;
    }
    case Kind::Colour: {
      RGBQUAD v;
      ReadIniColour(path, section, k.name, &v, DefaultColour(k));
      Put(ps, k, v);
      break;
    }
    case Kind::Quad: {
      int32_t q[4];
      ReadIniQuad(path, section, k.name, q, k.def.parts);
      std::memcpy(reinterpret_cast<unsigned char*>(ps) + k.offset, q, sizeof q);
      break;
    }
    case Kind::String: {
      char def[kPathSize + 16];
      const char* dir = k.def.from == From::ProgramDirectory ? ps->ProgramDirectory : "";
      std::snprintf(def, sizeof def, "%.*s%s", int(strnlen(dir, kPathSize - 1)), dir, k.def.text);
      ReadIniString(path, section, k.name, StringField(ps, k), k.size, def);
      break;
    }
  }
}

}  // namespace

int SaveSettings(const ProgramState* ps, int section, const char* fileName) {
  char path[2 * kPathSize];
  if (!IniPath(ps, fileName ? fileName : kSettingsFileName, path, sizeof path)) return 0;
  for (const IniKey& k : kKeys)
    if (Selected(k, section) && k.access != Access::ReadOnly) WriteKey(path, ps, k);
  return 1;
}

int LoadSettings(ProgramState* ps, int section, const char* fileName) {
  char path[2 * kPathSize];
  if (!fileName || !IniPath(ps, fileName, path, sizeof path)) return 0;
  for (const IniKey& k : kKeys)
    if (Selected(k, section) && k.access != Access::WriteOnly) ReadKey(path, ps, k);
  return 1;
}
