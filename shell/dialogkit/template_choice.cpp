#include "template_choice.h"

#include <cstdio>

const char* TemplateSuffix(const TemplateSizes& sizes, int32_t measure) {
  const int count = sizes.count < 1 ? 1 : sizes.count > 3 ? 3 : sizes.count;
  for (int i = 0; i + 1 < count; ++i)
    if (measure < sizes.limits[i]) return sizes.suffixes[i];
  return sizes.suffixes[count - 1] ? sizes.suffixes[count - 1] : "";
}

void ChooseDialogTemplate(char* out, size_t capacity, const char* base, const TemplateSizes& sizes, int32_t measure) {
  if (!capacity) return;
  std::snprintf(out, capacity, "%s%s", base ? base : "", TemplateSuffix(sizes, measure));
}
