#include "stacking/series/series_reader.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "imagelib/statistics.h"

namespace {

void Say(StackHost* host, int show, HostMessage kind, const char* text) {
  if (show && host) host->Message(kind, text);
}

void SayFrame(StackHost* host, int show, const char* format, const char* name) {
  if (!show || !host) return;
  char text[kSeriesPathSize + 128];
  std::snprintf(text, sizeof text, format, name);
  host->Message(HostMessage::kError, text);
}

void CopyName(char* dst, const char* src) {
  std::snprintf(dst, kSeriesPathSize, "%s", src ? src : "");
}

int LowerAscii(int c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

bool EndsWithNoCase(const char* name, const char* tail) {
  const size_t n = std::strlen(name), t = std::strlen(tail);
  if (t > n) return false;
  for (size_t i = 0; i < t; ++i)
    if (LowerAscii(static_cast<unsigned char>(name[n - t + i])) != LowerAscii(static_cast<unsigned char>(tail[i])))
      return false;
  return true;
}

bool IsVideoExtension(const char* extension) {
  const char* e = extension[0] == '.' ? extension + 1 : extension;
  return LowerAscii(e[0]) == 'a' && LowerAscii(e[1]) == 'v' && LowerAscii(e[2]) == 'i' && e[3] == '\0';
}

// Directory part of a name with its separator, "" when it has none.
std::string DirectoryOf(const char* name) {
  const char* end = name;
  for (const char* p = name; *p; ++p)
    if (*p == '\\' || *p == '/' || *p == ':') end = p + 1;
  return std::string(name, size_t(end - name));
}

// Case-blind order first, so the order is that of the Windows file system,
// then byte order to make it total.
bool NameBefore(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int ca = LowerAscii(static_cast<unsigned char>(a[i])), cb = LowerAscii(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

int32_t NthPic(const FrameSeries* s) { return s->services.fitNthPic > 0 ? s->services.fitNthPic : 1; }

bool SameShape(const ImageHeader& a, const ImageHeader& b) {
  return a.width == b.width && a.height == b.height && (a.colourType == kColourRgb) == (b.colourType == kColourRgb);
}

// A picture through the loader, checked against the series' shape.
int LoadPicture(FrameSeries* s, const char* name, FrameBuffer* frame, FrameReadError* error) {
  ImageHeader h;
  InitImageHeader(&h);
  if (!s->services.pictures || !s->services.pictures->Load(name, frame, &h)) {
    *error = FrameReadError::kUnreadable;
    return 0;
  }
  if (!SameShape(h, s->header) || frame->capacity() < PictureSamples(&s->header)) {
    *error = FrameReadError::kMismatch;
    return 0;
  }
  return 1;
}

int ReadVideoFrame(FrameSeries* s, int32_t frameNumber, FrameBuffer* frame, FrameReadError* error) {
  if (!s->videoOpen || !s->services.video || frameNumber < 0) {
    *error = FrameReadError::kUnreadable;
    return 0;
  }
  if (!frame->Reserve(&s->header, kVideoSpareRows)) {
    *error = FrameReadError::kMemory;
    return 0;
  }
  const int64_t videoFrame = int64_t{frameNumber} * NthPic(s);
  if (videoFrame > INT32_MAX || !s->services.video->Read(int32_t(videoFrame), frame->samples(), &s->header)) {
    *error = FrameReadError::kUnreadable;
    return 0;
  }
  return 1;
}

// Counts the frames and finds the first; 0 after the reader's own message.
int LocateFrames(FrameSeries* s, const char* seriesName, int showErrors) {
  StackHost* host = s->services.host;
  switch (s->sourceKind) {
    case kSeriesAvi: {
      if (!s->services.video) return 0;
      int32_t count = 0;
      s->videoOpen = true;
      if (!s->services.video->Open(seriesName, &count, &s->header, showErrors)) return 0;
      s->frameCount = count / NthPic(s);
      CopyName(s->currentName, seriesName);
      return 1;
    }
    case kSeriesDirectory: {
      s->files = ListPictures(DirectoryOf(seriesName).c_str(), s->extension);
      if (s->files.empty() || !s->extension[0]) {
        s->files.clear();
        Say(host, showErrors, HostMessage::kError, "Kein passendes Bild zu finden !");
        return 0;
      }
      if (s->files.size() > size_t(INT32_MAX)) s->files.resize(size_t(INT32_MAX));
      s->frameCount = int32_t(s->files.size());
      CopyName(s->currentName, s->files[0].c_str());
      return 1;
    }
    case kSeriesNumbered: {
      char name[kSeriesPathSize];
      int32_t count = 0;
      while (count < kMaxSeriesFrames) {
        name[0] = '\0';
        MakeNumberedName(name, s->prefix, s->extension, s->numberWidth, s->firstNumber + count);
        if (!name[0] || !FileOpens(name)) break;
        ++count;
      }
      s->frameCount = count;
      MakeNumberedName(s->currentName, s->prefix, s->extension, s->numberWidth, s->firstNumber);
      return 1;
    }
    default:
      return 0;
  }
}

}  // namespace

std::vector<std::string> ListPictures(const char* directory, const char* extension) {
  std::vector<std::string> names;
  const std::string dir = directory && directory[0] ? directory : "";
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return names;
  while (const dirent* e = readdir(d)) {
    if (!EndsWithNoCase(e->d_name, extension)) continue;
    std::string full = dir + e->d_name;
    struct stat st;
    if (stat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    if (full.size() >= size_t(kSeriesPathSize)) continue;
    names.push_back(std::move(full));
  }
  closedir(d);
  std::sort(names.begin(), names.end(), NameBefore);
  return names;
}

int JudgeSeriesContent(const int16_t* samples, const ImageHeader* h, StackHost* host) {
  const ImageRect all = {0, 0, h->width, h->height};
  int32_t used = 0, usedRed = 0, usedGreen = 0, usedBlue = 0, zeros = 0, negatives = 0, highest = 0;
  if (ComputeRegionStatistics(&all, h, samples, &used, &usedRed, &usedGreen, &usedBlue, &zeros, &negatives,
                              &highest) != IMG_OK)
    return 0;
  struct Verdict {
    bool applies;
    const char* text;
    int usable;
  };
  const int32_t levels = h->levels > 0 ? h->levels : kFullScale;
  const Verdict verdicts[] = {
      {negatives > 0 && used == 0,
       "Die Bilder enthalten nur negative Werte !\nÜberlagerung unmöglich, bitte Bildaufnahme checken.", 0},
      {negatives > 0 && used == 1,
       "Die Bilder enthalten nur negative Werte und die 0 !\nÜberlagerung unmöglich, bitte Bildaufnahme checken.", 0},
      {zeros > 0 && used == 1,
       "Die Bilder enthalten nur Nullen !\nÜberlagerung unmöglich, bitte Bildaufnahme checken.", 0},
      {used == 1, "Die Bilder enthalten keine Information !\nÜberlagerung unmöglich, bitte Bildaufnahme checken.", 0},
      {highest < levels / 256,
       "Die Bilder enthalten extrem wenig Information !\nÜberlagerung aussichtslos, bitte Bildformat checken.", 1},
      {highest < levels / 32,
       "Die Bilder enthalten extrem wenig Kontrast !\nÜberlagerung wenig aussichtsreich, bitte Bildformat checken.", 1},
  };
  for (const Verdict& v : verdicts) {
    if (!v.applies) continue;
    if (host) host->Message(HostMessage::kNote, v.text);
    return v.usable;
  }
  return 1;
}

int OpenSeries(FrameSeries* series, const char* seriesName, int32_t sourceKind, int showErrors,
               const SeriesServices& services) {
  FrameSeries& s = *series;
  s.frameCount = 0;
  InitImageHeader(&s.header);
  s.prefix[0] = s.currentName[0] = s.extension[0] = '\0';
  s.numberWidth = s.firstNumber = 0;
  s.files.clear();
  s.services = services;
  s.sourceKind = sourceKind;
  s.videoOpen = false;
  if (!seriesName) return 0;
  SplitNumberedName(s.prefix, s.extension, &s.numberWidth, &s.firstNumber, seriesName, sourceKind);
  if (!LocateFrames(&s, seriesName, showErrors)) return 0;

  // The first frame, for the content check; only its header stays.
  FrameBuffer first;
  FrameReadError error = FrameReadError::kNone;
  if (sourceKind == kSeriesAvi) {
    if (!ReadVideoFrame(&s, 0, &first, &error) || s.frameCount < 1) {
      if (error != FrameReadError::kMemory)
        Say(services.host, showErrors, HostMessage::kError, "AVI kann nicht korrekt decodiert werden !");
      return 0;
    }
  } else {
    ImageHeader h;
    InitImageHeader(&h);
    if (s.frameCount < 1 || !services.pictures || !services.pictures->Load(s.currentName, &first, &h)) {
      Say(services.host, showErrors, HostMessage::kError, "Bilder nicht zu öffnen !");
      return 0;
    }
    s.header = h;
  }
  return JudgeSeriesContent(first.samples(), &s.header, showErrors ? services.host : nullptr);
}

int ReadSeriesFrame(FrameSeries* series, int32_t frameNumber, int32_t sourceKind, FrameBuffer* frame,
                    char* currentName, int showErrors, FrameReadError* error) {
  FrameReadError local = FrameReadError::kNone;
  if (!error) error = &local;
  *error = FrameReadError::kNone;
  FrameSeries* s = series;
  int ok = 0;
  switch (sourceKind) {
    case kSeriesAvi:
      CopyName(currentName, s->currentName[0] ? s->currentName : "");
      ok = ReadVideoFrame(s, frameNumber, frame, error);
      break;
    case kSeriesDirectory:
      if (frameNumber < 0 || size_t(frameNumber) >= s->files.size()) {
        *error = FrameReadError::kUnreadable;
        break;
      }
      CopyName(currentName, s->files[size_t(frameNumber)].c_str());
      ok = LoadPicture(s, currentName, frame, error);
      break;
    case kSeriesNumbered: {
      char name[kSeriesPathSize] = "";
      MakeNumberedName(name, s->prefix, s->extension, s->numberWidth, frameNumber);
      CopyName(currentName, name);
      if (!name[0]) {
        *error = FrameReadError::kUnreadable;
        break;
      }
      ok = LoadPicture(s, currentName, frame, error);
      break;
    }
    case kSeriesRecorded:
      ok = IsVideoExtension(s->extension) ? ReadVideoFrame(s, frameNumber, frame, error)
                                          : LoadPicture(s, currentName, frame, error);
      break;
    default:
      *error = FrameReadError::kUnreadable;
      break;
  }
  if (!ok && showErrors) {
    SayFrame(s->services.host, 1,
             *error == FrameReadError::kMismatch ? "Bild %s\npaßt nicht zu den anderen Bildern !"
             : *error == FrameReadError::kMemory ? "Zuwenig Speicher für Bild %s !"
                                                 : "Bild %s\nnicht ladbar !",
             currentName);
  }
  return ok;
}

bool SeriesReadsConcurrently(const FrameSeries* series) {
  if (series->sourceKind == kSeriesAvi || IsVideoExtension(series->extension)) return false;
  return series->services.pictures && series->services.pictures->LoadsConcurrently(series->currentName);
}

int CloseSeries(FrameSeries* series) {
  if (series->videoOpen && series->services.video) series->services.video->Close();
  series->videoOpen = false;
  series->files.clear();
  return 1;
}
