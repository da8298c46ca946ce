// Camera raw photos: the program does not decode them itself but starts the
// converter "dcraw.exe" of the program directory on each chosen photo, as
// many at once as the worker limit allows, and dcraw leaves a 16-bit PPM
// beside the photo (read by ReadPpmImage). The converters are tracked as
// workers of ProgramState; nothing waits for the last ones to end.
#pragma once

#include <cstddef>

// What the menu commands (raw_photo_commands.h) do with the chooser's name list (either form): the
// directory becomes CurrentPath. A photo whose full name is longer than
// 128 characters ends the conversion with a message. 1/0.
int ConvertChosenRawPhotos(const char* selection, size_t size);
int DeleteChosenFiles(const char* selection, size_t size);

// Starts the converter on one photo with the photo's directory (CurrentPath)
// as working directory, then waits while the worker limit is reached. 1
// when the process started; a failed start shows nothing.
int StartDcraw(const char* photo);
