#include "multi_selection.h"

#include <cstring>

namespace {

// The text starting at `at`, or false when no NUL ends it within size.
bool TextAt(const char* buffer, size_t size, size_t at, std::string* text) {
  if (at >= size) return false;
  const void* end = std::memchr(buffer + at, '\0', size - at);
  if (!end) return false;
  text->assign(buffer + at, static_cast<const char*>(end));
  return true;
}

void DropOneBackslash(std::string* path) {
  if (!path->empty() && path->back() == '\\') path->pop_back();
}

}  // namespace

int ParseMultiSelection(const char* buffer, size_t size, MultiSelection* out) {
  if (!buffer || !out) return 0;
  out->directory.clear();
  out->names.clear();
  std::string first;
  if (!TextAt(buffer, size, 0, &first) || first.empty()) return 0;
  size_t at = first.size() + 1;
  std::string name;
  // A single file comes as its whole path, without a second text.
  if (at >= size || buffer[at] == '\0') {
    const size_t slash = first.find_last_of('\\');
    if (slash == std::string::npos || slash + 1 == first.size()) return 0;
    out->directory = first.substr(0, slash);
    out->names.push_back(first.substr(slash + 1));
    return 1;
  }
  out->directory = first;
  DropOneBackslash(&out->directory);
  for (;;) {
    if (!TextAt(buffer, size, at, &name)) {
      // The list was cut off: better nothing than half of it.
      out->names.clear();
      return 0;
    }
    if (name.empty()) return 1;
    out->names.push_back(name);
    at += name.size() + 1;
  }
}

std::string ChosenPath(const MultiSelection& selection, size_t index) {
  return selection.directory + "\\" + selection.names.at(index);
}
