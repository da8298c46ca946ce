// The picture formats the program knows by file extension, and the parts of
// a loaded picture's metadata that come from its file: name, path and the
// local time of the last write. Platform-free; the dispatchers of
// picture_files.h use them.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

enum class PictureFormat { Bmp, Gif, Jpeg, Pcx, Tiff, Fits, RawBitmap, Ppm, Png, Avi, Unknown };

// Filters of the picture choosers (description and pattern pairs): every
// format the loader reads, and every format a picture can be saved in.
inline constexpr char kPictureOpenFilter[] =
    "Bildformate\0*.BMP;*.FTS;*.FIT;*.TIF;*.GIF;*.PCX;*.JPG;*.PPM;*.PNG;*.AVI\0"
    "FITS-Bilder\0*.FTS;*.FIT\0Windows-Bitmaps\0*.BMP\0AVI-Videos\0*.AVI\0GIF-Format\0*.GIF\0"
    "JPEG-Format\0*.JPG\0Paintbrush-Format\0*.PCX\0TIFF-Format\0*.TIF\0Portable Pixelmap\0*.PPM\0"
    "PortableNetworkGraphics\0*.PNG\0Alle Dateien\0*.*\0";
inline constexpr char kPictureSaveFilter[] =
    "Bildformate\0*.BMP;*.FTS;*.FIT;*.TIF;*.GIF;*.PCX;*.JPG;*.PPM;*.PNG\0"
    "FITS-Bilder\0*.FTS;*.FIT\0Windows-Bitmaps\0*.BMP\0GIF-Format\0*.GIF\0"
    "JPEG-Format\0*.JPG\0Paintbrush-Format\0*.PCX\0TIFF-Format\0*.TIF\0Portable Pixelmap\0*.PPM\0"
    "PortableNetworkGraphics\0*.PNG\0Alle Dateien\0*.*\0";

// Format of an extension given with or without its leading ".", in any case;
// Unknown for anything else (also for null).
PictureFormat FormatOfExtension(const char* extension);

// 1 when the text after the name's last "." (the whole name when it has
// none) is one of the extensions the loader knows, else 0.
int IsImageFileName(const char* name);

// The file name of the metadata: the part after the last backslash, slash or
// colon (the whole name when there is none), cut to fit `capacity`.
void MetadataFileName(char* out, size_t capacity, const char* fileName);

// The path of the metadata: "<drive>:\<directory>\<file name>" from the
// current directory as the platform gives it ("C:\bilder" or "C:\"), cut to
// fit `capacity`.
void MetadataPath(char* out, size_t capacity, const char* currentDirectory, const char* fileName);

// The file time stamp of the metadata from the last write in UTC fields and
// the zone's bias in minutes (UTC = local + bias): the calendar fields of
// the local time (rounded to the millisecond) with zone 0, and as Julian day
// that of the local time.
DateTimeRecord LocalFileStamp(DateTimeRecord utc, int32_t biasMinutes);
