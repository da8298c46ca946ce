#include "chooser_script.h"

#include <gtest/gtest.h>

#include <cderr.h>

#include <cstring>

#include "shell/program_state.h"

namespace {

std::vector<std::string> SplitFilter(const char* filter) {
  std::vector<std::string> parts;
  for (const char* p = filter; p && *p; p += std::strlen(p) + 1) parts.emplace_back(p);
  return parts;
}

// What the platform returns for one confirmed path: the path, the offset of
// its name and that of the text after the name's last "." (0 without one).
BOOL FillPath(OPENFILENAMEA* request, const std::string& path, DWORD* error) {
  const bool list = (request->Flags & OFN_ALLOWMULTISELECT) != 0;
  if (path.size() + (list ? 1 : 0) >= request->nMaxFile) {
    *error = FNERR_BUFFERTOOSMALL;
    return FALSE;
  }
  std::memcpy(request->lpstrFile, path.c_str(), path.size() + 1);
  if (list) request->lpstrFile[path.size() + 1] = '\0';
  const size_t slash = path.find_last_of('\\');
  const size_t name = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = path.find_last_of('.');
  request->nFileOffset = WORD(name);
  request->nFileExtension = WORD(dot != std::string::npos && dot >= name ? dot + 1 : 0);
  return TRUE;
}

std::string WithoutBackslash(std::string directory) {
  while (directory.size() > 3 && directory.back() == '\\') directory.pop_back();
  return directory;
}

std::string Join(const std::string& directory, const std::string& name) {
  const std::string d = WithoutBackslash(directory);
  return d.back() == '\\' ? d + name : d + "\\" + name;
}

}  // namespace

ChooserScript::ChooserScript() { SetFileDialogHandler(&ChooserScript::Handle, this); }

ChooserScript::~ChooserScript() {
  SetFileDialogHandler(nullptr, nullptr);
  if (!answers_.empty()) ADD_FAILURE() << answers_.size() << " chooser answer(s) never asked for";
}

ChooserScript& ChooserScript::Choose(const std::string& path, unsigned filterIndex) {
  answers_.push_back(Answer{Reply::Path, path, {}, filterIndex, 0, 0});
  return *this;
}

ChooserScript& ChooserScript::ChooseDirectory(const std::string& directory) {
  answers_.push_back(Answer{Reply::Directory, directory, {}, 1, 0, 0});
  return *this;
}

ChooserScript& ChooserScript::ChooseFiles(const std::string& directory, const std::vector<std::string>& names) {
  answers_.push_back(Answer{Reply::Files, directory, names, 1, 0, 0});
  return *this;
}

ChooserScript& ChooserScript::Frame(int frame) {
  if (answers_.empty())
    ADD_FAILURE() << "Frame() without an answer to go with";
  else
    answers_.back().frame = frame;
  return *this;
}

ChooserScript& ChooserScript::Cancel() {
  answers_.push_back(Answer{Reply::Cancel, "", {}, 1, 0, 0});
  return *this;
}

ChooserScript& ChooserScript::Fail(DWORD error) {
  answers_.push_back(Answer{Reply::Fail, "", {}, 1, 0, error});
  return *this;
}

RecordedChooser ChooserScript::Chooser(size_t index) const {
  if (index < choosers_.size()) return choosers_[index];
  ADD_FAILURE() << "no chooser number " << index << " (" << choosers_.size() << " opened)";
  return RecordedChooser{ChooserKind::Open, nullptr, "", {}, "", "", 0, 0, -1, false};
}

BOOL ChooserScript::Handle(void* context, ChooserKind kind, OPENFILENAMEA* request, DWORD* error) {
  auto* self = static_cast<ChooserScript*>(context);
  RecordedChooser record{kind,
                         request->hwndOwner,
                         request->lpstrTitle ? request->lpstrTitle : "",
                         SplitFilter(request->lpstrFilter),
                         request->lpstrInitialDir ? request->lpstrInitialDir : "",
                         request->lpstrFile ? request->lpstrFile : "",
                         request->Flags,
                         gProgramState.ChooserOkMode,
                         -1,
                         false};
  *error = 0;
  record.confirmed = self->Respond(kind, request, error, &record) != FALSE;
  self->choosers_.push_back(record);
  return record.confirmed ? TRUE : FALSE;
}

BOOL ChooserScript::Respond(ChooserKind kind, OPENFILENAMEA* request, DWORD* error, RecordedChooser* record) {
  if (answers_.empty()) return FALSE;
  const Answer a = answers_.front();
  answers_.pop_front();
  BOOL confirmed = FALSE;
  switch (a.reply) {
    case Reply::Cancel:
      return FALSE;
    case Reply::Fail:
      *error = a.error;
      return FALSE;
    case Reply::Path:
      confirmed = FillPath(request, a.path, error);
      break;
    case Reply::Directory:
      // The name field keeps the dummy name; only the folder changed.
      confirmed = FillPath(request, Join(a.path, request->lpstrFile), error);
      break;
    case Reply::Files: {
      if (a.names.size() == 1) {
        confirmed = FillPath(request, Join(a.path, a.names[0]), error);
        break;
      }
      std::string list = WithoutBackslash(a.path);
      const size_t offset = list.size() + 1;
      for (const std::string& name : a.names) list += '\0' + name;
      list += '\0';
      if (list.size() >= request->nMaxFile) {
        *error = FNERR_BUFFERTOOSMALL;
        return FALSE;
      }
      std::memcpy(request->lpstrFile, list.data(), list.size());
      request->lpstrFile[list.size()] = '\0';
      request->nFileOffset = WORD(offset);
      request->nFileExtension = 0;
      confirmed = TRUE;
      break;
    }
  }
  if (!confirmed) return FALSE;
  request->nFilterIndex = a.filterIndex;
  if (kind == ChooserKind::PictureOpen) {
    gProgramState.AviFrameIndex = a.frame;
    record->frame = a.frame;
  }
  return TRUE;
}
