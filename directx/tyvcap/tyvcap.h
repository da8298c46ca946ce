// tyvcap: the capture library of tyvorn. Live video, AVI recording with file
// change, frame stamps and hand-off, video-file decoding, the DirectX probe,
// wide-string helpers and a few Direct3D 9 routines.
//
// Every export is stdcall (decorated on 32-bit builds, plain on 64-bit ones).
// Integers are 32 bits; HRESULT-returning calls give 0 for success.
#pragma once

#include <windows.h>
#include <oleauto.h>   // BSTR

#define TYVCAP_CALL __stdcall

#ifdef __cplusplus
extern "C" {
#endif

// Display window, probe and strings -------------------------------------------

// Creates the child window (class "DisplayWnd") that hosts the live picture; 1/0.
int TYVCAP_CALL TYVCAP_OpenDisplayWnd(HWND parent, int x, int y, int width, int height);
int TYVCAP_CALL TYVCAP_CloseDisplayWnd(void);
HWND TYVCAP_CALL TYVCAP_GetDisplayWnd(void);
// Moves the display window in its parent and fits the live picture to it; 1.
int TYVCAP_CALL TYVCAP_SetDisplayWndPos(int x, int y, int width, int height);
BOOL TYVCAP_CALL TYVCAP_SetDisplayWndOnTop(void);
// 1 when DirectX 8 or newer is there.
int TYVCAP_CALL TYVCAP_TestDXVersion(void);
// A table of `count` zeroed wide strings of `length` characters each, back to
// back; entry 0 is the start of the string block. 1, or 0 (table null) when
// memory fails.
int TYVCAP_CALL TYVCAP_AllocWcharArray(wchar_t*** table, int count, int length);
int TYVCAP_CALL TYVCAP_FreeWcharArray(wchar_t** table);   // 0
// ANSI -> UTF-16 including the terminator; dst holds strlen(src) + 1. Returns dst.
wchar_t* TYVCAP_CALL TYVCAP_StrToWchar(wchar_t* dst, const char* src);

// Capture graph and recording -------------------------------------------------

// Fills the rows of a table made by TYVCAP_AllocWcharArray with the names of
// the working video input devices (at most 20, cut to the row length); count.
int TYVCAP_CALL TYVCAP_EnumCaptureDevices(wchar_t** names);
// Binds the named device and runs its live picture; iniDirectory holds "tyvcap.ini".
HRESULT TYVCAP_CALL TYVCAP_InitCapture(const wchar_t* deviceFriendlyName, const char* iniDirectory);
void TYVCAP_CALL TYVCAP_GetVideoInfo(int* width, int* height, int* bitCount);
int TYVCAP_CALL TYVCAP_IsCrossbar(void);
HRESULT TYVCAP_CALL TYVCAP_SetupVideoformat(HWND owner, const wchar_t* caption);
HRESULT TYVCAP_CALL TYVCAP_SetupVideoquali(HWND owner, const wchar_t* caption);
HRESULT TYVCAP_CALL TYVCAP_SetupCrossbar(HWND owner, const wchar_t* caption);
// Starts recording into the AVI file; frameCount is not used.
HRESULT TYVCAP_CALL TYVCAP_CaptureVideo(int frameCount, const wchar_t* aviFileName);
void TYVCAP_CALL TYVCAP_GetCaptureState(int* framesCaptured, int* framesDropped, DWORD* elapsedMs,
                                        int* callbackFrames, int* newFrame);
// Continues the running recording in another file.
HRESULT TYVCAP_CALL TYVCAP_RenameCapVideo(const wchar_t* newFileName);
// Ends the recording (the file is complete) and returns to the live picture.
HRESULT TYVCAP_CALL TYVCAP_StopCapture(void);
// Stops and releases everything, a recording or a decoding session included.
int TYVCAP_CALL TYVCAP_CloseCapture(void);

// Frame grabber -----------------------------------------------------------------

int TYVCAP_CALL TYVCAP_SetTimemarker(int on);
int TYVCAP_CALL TYVCAP_SetPositionmarker(double longitude, double latitude, double altitudeMetres, int on);
// The getters wait for a frame newer than the last one handed out, then copy
// it: B,G,R rows of width x 3 bytes, bottom-up, width x height x 3 bytes at
// most (TYVCAP_GetVideoInfo's size). 0 when no graph runs or dst is null.
int TYVCAP_CALL TYVCAP_GetFrame(BYTE* dst);
// One byte per pixel: 0 luminance, 1 red, 2 green, 3 blue, 4 (b + 2g + r) / 4.
int TYVCAP_CALL TYVCAP_GetFrameChannel(BYTE* dst, unsigned channel);
// One sample per frame byte, byte << 7.
int TYVCAP_CALL TYVCAP_GetStandardFrame(short* dst);
// The library's own copy of the latest frame, valid until the next call of this getter.
int TYVCAP_CALL TYVCAP_GetFramePointer(BYTE** frame, int* length);

// Video-file decoding -----------------------------------------------------------

// Opens a video for decoding; 0x80040216 for a missing file, 0x80040248 for
// one that cannot be decoded. The outputs are 0 after any failure.
HRESULT TYVCAP_CALL TYVCAP_InitAVIDecoder2(const wchar_t* fileName, int* frames, int* width, int* height,
                                           int* bitCount);
// Frame frameIndex (0-based) as B,G,R rows of width x 3 bytes, bottom-up;
// 0x8004022B when the file holds no picture for it (an empty chunk where a
// recording dropped the frame, or one cut short): dst is then left as it was.
HRESULT TYVCAP_CALL TYVCAP_GetAVIFrame2(BYTE* dst, int frameIndex);
int TYVCAP_CALL TYVCAP_ExitAVIDecoder2(void);
// The same through the media detector (which this platform may not serve).
HRESULT TYVCAP_CALL TYVCAP_InitAVIDecoder(BSTR fileName, int* frames, int* width, int* height, int* bitCount);
HRESULT TYVCAP_CALL TYVCAP_GetAVIFrame(BYTE* dst, int frameIndex);
int TYVCAP_CALL TYVCAP_ExitAVIDecoder(void);

// Direct3D 9 --------------------------------------------------------------------

HRESULT TYVCAP_CALL TYVGPU_InitD3D(HWND window);
int TYVCAP_CALL TYVGPU_Cleanup(void);
HRESULT TYVCAP_CALL TYVGPU_Render(void);
int TYVCAP_CALL TYVGPU_GetStreamingCaps(int* maxStreams, int* pixelShaderVersion, int* vertexShaderVersion);
// 1 when the device has more than 3 streams and pixel and vertex shaders 3.0.
int TYVCAP_CALL TYVGPU_CheckStreamingComputing(void);

#ifdef __cplusplus
}
#endif
