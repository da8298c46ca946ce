// The values behind a dialog's controls, without any window: which field of
// a record a control edits, how a slider position becomes a setting and
// back, the text shown beside a slider, how a typed number is read and
// limited, and the clamping of loaded settings into what the controls can
// show. control_table.h puts these tables on real controls.
//
// A dialog describes its controls in tables of the specs below, e.g.
//
//   constexpr BarSpec kBars[] = {
//     // bar  text  min  max  page  mapping              text shown                      field
//     {108, 107,   0, 100, 10, BarMap::kLinear, 1.0,  BarText::kDouble, "%3.0lf %%",
//      KIT_FIELD(ProgramState, Effect)},
//     {105, 104, -50,  50, 10, BarMap::kLinear, 1.0,  BarText::kSigmaFactor, "%5.3lf",
//      KIT_FIELD(ProgramState, Sigmaradius)},
//   };
//   constexpr RadioSpec kRadios[] = {{110, 10, 0, KIT_FIELD(ProgramState, Filtertype)}};
//   constexpr CheckSpec kChecks[] = {{103, KIT_FIELD(ProgramState, Pseudomedian), false}};
//   constexpr ControlTable kTable = {kBars, kRadios, kChecks, {}};
//
// Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

// --- fields

enum class FieldKind : int32_t { kInt32, kDouble, kByte };

// A 32-bit integer (or BOOL), double or byte (a colour's channel) member of
// a record, by offset.
struct FieldRef {
  uint32_t offset;
  FieldKind kind;
};

template <typename T>
constexpr FieldRef MakeFieldRef(size_t offset) {
  static_assert(std::is_same<T, int32_t>::value || std::is_same<T, double>::value || std::is_same<T, uint8_t>::value,
                "controls edit 32-bit integers (BOOL too), doubles and bytes");
  return FieldRef{uint32_t(offset), std::is_same<T, double>::value    ? FieldKind::kDouble
                                    : std::is_same<T, uint8_t>::value ? FieldKind::kByte
                                                                      : FieldKind::kInt32};
}

// KIT_FIELD(ProgramState, Sigmaradius), KIT_FIELD(ProgramState, ContrastChannels[1].Gamma)
// (an array element too: KIT_FIELD(ContrastChannelSettings, Curve[3])).
#define KIT_FIELD(Record, member)                                                                 \
  MakeFieldRef<std::remove_cv_t<std::remove_reference_t<decltype(std::declval<Record&>().member)>>>( \
      offsetof(Record, member))

double ReadField(const void* record, FieldRef field);
// Integer fields take the value rounded to the nearest whole number, bytes
// also limited to 0..255.
void WriteField(void* record, FieldRef field, double value);

// A short list of table rows; converts from an array, empty by default.
template <typename T>
struct KitSpan {
  const T* items = nullptr;
  int count = 0;
  constexpr KitSpan() = default;
  template <size_t N>
  constexpr KitSpan(const T (&array)[N]) : items(array), count(int(N)) {}
  constexpr const T* begin() const { return items; }
  constexpr const T* end() const { return items + count; }
};

// --- sliders

// How a slider position p becomes a setting.
enum class BarMap : int32_t {
  kLinear,     // p x scale
  kStrength,   // up to 100: p x 0.01; above: (p - 100) x 0.1 + 1.0 (100 % .. 2000 %)
  kOdd,        // 2p + 1 (odd kernel sizes)
  kEven,       // 2p
  kMagnification,  // below 90: p x 0.01 + 0.1; from 90: (p - 90) x 0.1 + 1.0 (0.10 .. 1.00 .. 10.0 on 0..180)
  kInverted,   // (max - p) x scale: a vertical bar whose top is the largest value
  kUsageRate,  // below 11: (p - 1) x 0.001 (0.1 % steps); above: (p - 10) x 0.01 (1 % steps)
  kReversed,   // 1 - p x scale, the position rounded (a weight shown from the other side)
  kOddHalf,    // 2p + 1, the position of a setting v being v div 2 (an even 24 sits where 25 does)
};

// What the text beside a slider shows of the setting v, through its format.
enum class BarText : int32_t {
  kNone,
  kLong,         // (long) v: "%ld", "%ld°"
  kPercent,      // (long)(v x 100 + 0.5): "%ld %%"
  kDouble,       // v: "%3.0lf %%"
  kSigmaFactor,  // the noise filters' threshold factor 10^(0.02 v) (NoiseSigmaFactor): "%5.3lf"
  kHundredfold,  // v x 100: "%3.1lf %%"
  kMixRatio,     // both sides of a kReversed percentage, p = (long)(100 - 100 v + 0.5): 100 - p and p, "%ld / %ld"
  kEveryNth,     // "jedes Bild" for 1, else (long) v: "jedes %ld. Bild"
  kCheckArea,    // "Planet" where (long)(100 v + 0.5) is 0, else v: "%4.2lf"
  kPosition,     // the bar's position for v (degrees of an angle kept in radians): "%ld °"
};

struct BarSpec {
  int bar;                   // scroll-bar control
  int text;                  // value text, 0 for none
  int32_t min, max;          // the bar's range, which every move keeps to
  int32_t page;              // page step
  BarMap map;
  double scale;              // kLinear only
  BarText show;
  const char* format;
  FieldRef field;
};

double BarValue(const BarSpec& spec, int32_t position);
// The position that shows value, limited to the range.
int32_t BarPosition(const BarSpec& spec, double value);
// The setting range the bar can reach, lowest first.
void BarValueRange(const BarSpec& spec, double* lowest, double* highest);
void FormatBarText(char* out, size_t capacity, const BarSpec& spec, double value);

// --- radio groups, check boxes, number fields

// count consecutive radio buttons from firstId set the field to firstValue,
// firstValue + 1, ... or, with a table of count values, to those. A group
// with an `otherwise` button shows any other value on it and keeps that
// value until a button is clicked (settings files may hold such values).
struct RadioSpec {
  int firstId;
  int count;
  int32_t firstValue;
  FieldRef field;
  const int32_t* values = nullptr;
  int otherwise = -1;
};

// The value of button i (0..count-1) of a group.
int32_t RadioValue(const RadioSpec& spec, int i);
// The button whose value is value; -1 for none.
int RadioIndex(const RadioSpec& spec, double value);
// The button that shows value: its own, else the group's `otherwise` (-1 for none).
int ShownRadioIndex(const RadioSpec& spec, double value);

// A check box ticked while the field is not 0 (inverted: while it is 0).
struct CheckSpec {
  int id;
  FieldRef field;
  bool inverted;
};

// An edit field holding a number between min and max, shown with format
// ("%ld" for integer fields, which get whole numbers only). A number outside
// the range is limited to it, or refused like text that is no number.
struct NumberSpec {
  int edit;
  FieldRef field;
  double min, max;
  const char* format;
  bool refuseOutside = false;
};

enum class NumberParse { kOk, kClamped, kRefused };

// Reads a number typed by a user: blanks around it are allowed and a decimal
// comma counts as a point; anything else (empty text, letters, a fraction
// where whole is asked, an exponent that overflows) is refused. A number
// outside min..max is limited to it.
NumberParse ParseNumber(const char* text, double min, double max, bool whole, double* value);
void FormatNumber(char* out, size_t capacity, const NumberSpec& spec, double value);
// ParseNumber by the field's rules: whole numbers for integer fields, and a
// number outside the range refused where the spec says so.
NumberParse ParseNumberField(const NumberSpec& spec, const char* text, double* value);

struct ControlTable {
  KitSpan<BarSpec> bars;
  KitSpan<RadioSpec> radios;
  KitSpan<CheckSpec> checks;
  KitSpan<NumberSpec> numbers;
};

// Limits every field of the table to what its control can show: bars to the
// range they reach, radio groups to their values (outside: the first), number
// fields to min..max. Settings read from "tyvorn.ini" go through this when a
// dialog opens, so a hand-edited file cannot carry a value past the controls.
// Returns the number of fields changed.
int ClampTableFields(const ControlTable& table, void* record);
