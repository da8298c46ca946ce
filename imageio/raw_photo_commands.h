// The menu commands of raw photos: "&Digitalfotos mit DCRaw konvertieren ..."
// and "Alte Rohbilder &löschen". Both choose files in the multi-select
// chooser and return 1 when the user confirmed, else 0.
#pragma once

// Converts the chosen photos that have no PPM yet (raw_photos.h).
int ConvertRawPhotos();
// Deletes the chosen pictures without asking again.
int DeleteRawFrames();
