// Plain-text logs in the program directory. Each call opens the file for
// appending, writes one line and closes it; a file that cannot be opened is
// passed over in silence.
#pragma once

// "debug.log": the text and a line end.
void WriteDebugLog(const char* text);
// "debug.log": the text as it is.
void WriteDebugLogRaw(const char* text);
// "GPS.log": the text and a line end.
void WriteGpsLog(const char* text);
// "notGPS.log": the text and a line end.
void WriteNotGpsLog(const char* text);
