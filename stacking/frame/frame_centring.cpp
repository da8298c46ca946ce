#include "stacking/frame/frame_centring.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "imagelib/centroid.h"
#include "imagelib/pattern_quality.h"
#include "imagelib/primitives.h"
#include "imagelib/summation.h"
#include "stacking/frame/pretreatment.h"

namespace {

constexpr int32_t kSearchBorder = 20;   // centring searches keep this far from the edges
constexpr int32_t kPatternStep = 2;

std::atomic<StackHost*> gElapsedHost{nullptr};

void ElapsedTimeThunk() { ShowElapsedTime(0, 0); }

void Middle(const ImageHeader* h, int32_t centre[4]) {
  centre[0] = h->width / 2;
  centre[1] = h->height / 2;
  centre[2] = centre[3] = 0;
}

int Fail(const ImageHeader* h, int32_t centre[4], double* match, const char** failure, const char* why) {
  Middle(h, centre);
  *match = 0.0;
  *failure = why;
  return 0;
}

// Methods 1 and 2: a centre within the border cannot be trusted.
void KeepInside(const ImageHeader* h, int32_t centre[4], double* match) {
  const bool inside = centre[0] >= kSearchBorder + 1 && centre[0] < h->width - kSearchBorder &&
                      centre[1] >= kSearchBorder + 1 && centre[1] < h->height - kSearchBorder;
  if (inside) {
    *match = 1.0;
  } else {
    Middle(h, centre);
    *match = 0.0;
  }
}

int32_t ClampStart(int32_t v, int32_t size) {
  if (v < kSearchBorder) return kSearchBorder;
  if (v >= size - kSearchBorder) return size - kSearchBorder - 1;
  return v;
}

int CentreOnPattern(const FrameRunContext& ctx, const int16_t* image, int32_t centre[4], double* match,
                    const char** failure) {
  const StackSettings& s = *ctx.settings;
  const ImageHeader* h = &ctx.workHeader;
  const int32_t f = ctx.factor;
  const ImageRect& p = s.PatternRect;
  if (s.Turbo == 1) {
    const ImageRect start = {ClampStart(p.x, h->width), ClampStart(p.y, h->height), p.w, p.h};
    if (MatchPatternInRadius(&start, s.Searchradius * f, f, kPatternStep, s.FitColor, h, image, ctx.pattern,
                             s.MinCorrelation, centre, match) == IMG_OK &&
        *match >= s.MinCorrelation)
      return 1;
  }
  const int32_t size[2] = {p.w, p.h};
  if (MatchPatternFull(size, f, kPatternStep, s.FitColor, h, image, ctx.pattern, centre, match, ElapsedTimeThunk) !=
      IMG_OK) {
    centre[0] = p.x;
    centre[1] = p.y;
    centre[2] = centre[3] = 0;
    *match = 0.0;
    *failure = "Muster nicht zu finden !";
    return 0;
  }
  return 1;
}

void Note(FrameRunContext* ctx, int32_t record, const char* text) {
  if (ctx->notes) ctx->notes->Add(text, NoteOrder(ctx->walk, record));
}

}  // namespace

void SetElapsedTimeHost(StackHost* host) { gElapsedHost.store(host); }

void ShowElapsedTime(int32_t, int32_t) {
  if (StackHost* host = gElapsedHost.load()) host->ShowElapsed();
}

void SetupFrameRun(FrameRunContext* ctx, const ImageHeader* frameHeader, const StackSettings* settings) {
  ctx->settings = settings;
  ctx->frameHeader = *frameHeader;
  ctx->factor = SumFactor(*settings);
  ctx->workHeader = *frameHeader;
  ctx->workHeader.width = frameHeader->width * ctx->factor;
  ctx->workHeader.height = frameHeader->height * ctx->factor;
  std::memset(ctx->referencePoint, 0, sizeof ctx->referencePoint);
  ctx->referenceSet = false;
  if (settings->FitMethod == kFitPatternFull || settings->FitMethod == kFitPatternNear) {
    const ImageRect& p = settings->PatternRect;
    ctx->referencePoint[0] = p.x + p.w / 2;
    ctx->referencePoint[1] = p.y + p.h / 2;
    ctx->referenceSet = true;
  }
}

int CentreFrame(const FrameRunContext& ctx, FrameWorkspace*, const int16_t* image, int32_t centre[4], double* match,
                const char** failure) {
  const ImageHeader* h = &ctx.workHeader;
  *failure = nullptr;
  const ImageRect inner = {kSearchBorder, kSearchBorder, h->width - 2 * kSearchBorder,
                           h->height - 2 * kSearchBorder};
  switch (ctx.settings->FitMethod) {
    case kFitRigid:
      Middle(h, centre);
      *match = 1.0;
      return 1;
    case kFitBrightness: {
      const ImageResult r = FindBrightnessCentroid(&inner, h, 0.4, image, centre);
      if (r == IMG_BAD_PARAMETER) return Fail(h, centre, match, failure, "Aufnahme ist zu hell !");
      if (r != IMG_OK) return Fail(h, centre, match, failure, "Schwerpunktsuche nicht möglich !");
      KeepInside(h, centre, match);
      return 1;
    }
    case kFitDisc: {
      double found = 0.0;
      if (FindObjectCentre(&inner, h, image, centre, &found) != IMG_OK)
        return Fail(h, centre, match, failure, "Zentrieren nicht möglich !");
      KeepInside(h, centre, match);
      return 1;
    }
    case kFitPatternFull:
    case kFitPatternNear:
      return CentreOnPattern(ctx, image, centre, match, failure);
    default:
      // Derotation and coordinates are placed by their own dialogs; a run
      // given them treats the frames as rigid.
      Middle(h, centre);
      *match = 1.0;
      return 1;
  }
}

int PlaceQualityBox(ImageRect* box, const int32_t centre[2], const ImageHeader* frame, const StackSettings& s) {
  const int32_t f = SumFactor(s);
  const int64_t cx = centre[0] / f, cy = centre[1] / f;
  const int64_t W = frame->width, H = frame->height;
  const double area = s.Checkarea;
  int64_t x = cx - int64_t(std::trunc(double(W) * 0.5 * area));
  int64_t w = int64_t(std::trunc(double(W) * area));
  int64_t y = cy - int64_t(std::trunc(double(H) * 0.5 * area));
  int64_t h = int64_t(std::trunc(double(H) * area));
  // Margins before the left and top edges, the edge distance at which the
  // box is cut on the right and bottom, and what it keeps there.
  const bool wide = s.ExcludeBorder == 1;
  const int64_t lead = wide ? 20 : 4, reach = wide ? 20 : 5, keep = wide ? 21 : 5;
  if (x < lead) x = lead;
  if (x + w >= W - reach) w = W - x - keep;
  if (y < lead) y = lead;
  if (y + h >= H - reach) h = H - y - keep;
  if (w < 1 || h < 1 || x + w > W || y + h > H) {
    *box = {0, 0, 0, 0};
    return 0;
  }
  *box = {int32_t(x), int32_t(y), int32_t(w), int32_t(h)};
  return 1;
}

int ProcessFrame(FrameRunContext* ctx, FrameWorkspace* ws, int16_t* frame, int32_t recordIndex, int32_t mode,
                 FrameRecord* records) {
  const StackSettings& s = *ctx->settings;
  FrameRecord* record = records ? &records[recordIndex] : nullptr;
  const int16_t* work = frame;
  if (ctx->factor > 1) {
    if (!ws->enlarged.Reserve(&ctx->workHeader)) {
      Note(ctx, recordIndex, "Out of memory !");
      return 0;
    }
  }
  int32_t filterError = 0;
  if (!ApplyNoiseFilterAndRgbAlignment(frame, &ctx->frameHeader, s, &ws->scratch, &filterError) && filterError) {
    char text[64];
    std::snprintf(text, sizeof text, "Rauschfilterfehler Nr. %ld !", long(filterError));
    Note(ctx, recordIndex, text);
  }
  ApplyPreAmplification(frame, &ctx->frameHeader, s);
  if (ctx->factor > 1) {
    EnlargeImage(&ctx->frameHeader, frame, ws->enlarged.samples(), ctx->factor);
    work = ws->enlarged.samples();
  }

  int32_t centre[4] = {0, 0, 0, 0};
  double match = 0.0;
  if (mode == kAddStored) {
    if (!record) return 0;
    centre[0] = record->centreX;
    centre[1] = record->centreY;
    match = record->matchValue;
  } else {
    const char* failure = nullptr;
    const int centred = CentreFrame(*ctx, ws, work, centre, &match, &failure);
    if (!centred && failure) Note(ctx, recordIndex, failure);
    if (match != 0.0 && !ctx->referenceSet) {
      ctx->referencePoint[0] = centre[0];
      ctx->referencePoint[1] = centre[1];
      ctx->referenceSet = true;
    }
    if (record) {
      record->centreX = centre[0];
      record->centreY = centre[1];
      record->centreWidth = centre[2];
      record->centreHeight = centre[3];
      record->matchValue = match;
    }
    // A frame that could not be centred is not used; one note is enough.
    if (record && centred && RanksFrames(s) && s.CheckSharpness == 1) {
      ImageRect box;
      const bool boxed = s.Checkarea != 0.0 && PlaceQualityBox(&box, centre, &ctx->frameHeader, s);
      double* q = record->qualityMeasures;
      if (!MeasureFrameQuality(&q[0], &q[1], &q[2], &q[3], &q[4], &q[5], &q[6], &record->pixelCount,
                               &record->qualityBox, frame, &ctx->frameHeader, boxed ? &box : nullptr)) {
        Note(ctx, recordIndex, "Qualitätscheck nicht möglich !");
        record->matchValue = match = 0.0;
      }
    }
  }

  if ((mode == kCentreMeasureAdd || mode == kAddStored) && match != 0.0 && ctx->referenceSet) {
    const int32_t shift[2] = {ctx->referencePoint[0] - centre[0], ctx->referencePoint[1] - centre[1]};
    const ImageHeader* wh = &ctx->workHeader;
    const ImageRect window = s.ExcludeBorder == 1 ? ImageRect{20, 20, wh->width - 40, wh->height - 40}
                                                  : ImageRect{0, 0, wh->width, wh->height};
    if (window.w > 0 && window.h > 0) {
      if (ctx->host) ctx->host->EnterSumLock();
      const ImageResult added =
          AddShiftedFrame(&window, shift, wh, work, wh, ctx->sum, ctx->count, recordIndex, 1, s.Imagetype);
      if (ctx->host) ctx->host->LeaveSumLock();
      if (added == IMG_OK) ++ctx->framesAdded;
    }
  }
  return 1;
}
