// The name list a multi-selection file chooser fills: for one file its full
// path; for several the directory, then each file name, every text ended by
// a NUL and the list by an empty text. Platform-free.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct MultiSelection {
  std::string directory;            // one trailing backslash dropped ("C:" for the root)
  std::vector<std::string> names;   // without directory
};

// Reads either form from the first `size` bytes of buffer. 0 when nothing
// was chosen or the list runs past the buffer without its end.
int ParseMultiSelection(const char* buffer, size_t size, MultiSelection* out);

// directory + "\" + name.
std::string ChosenPath(const MultiSelection& selection, size_t index);
