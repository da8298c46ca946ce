#include "message_script.h"

#include <gtest/gtest.h>

#include "shell/message_box.h"

namespace {

int FirstButton(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
      return IDYES;
    case MB_ABORTRETRYIGNORE:
      return IDABORT;
    case MB_RETRYCANCEL:
      return IDRETRY;
    default:
      return IDOK;
  }
}

}  // namespace

MessageBoxScript::MessageBoxScript() { SetMessageBoxHandler(&MessageBoxScript::Handle, this); }

MessageBoxScript::~MessageBoxScript() { SetMessageBoxHandler(nullptr, nullptr); }

MessageBoxScript& MessageBoxScript::Answer(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_.push_back(id);
  return *this;
}

size_t MessageBoxScript::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return boxes_.size();
}

RecordedBox MessageBoxScript::Box(size_t index) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (index < boxes_.size()) return boxes_[index];
  ADD_FAILURE() << "no message box number " << index << " (" << boxes_.size() << " shown)";
  return RecordedBox{nullptr, "", "", 0};
}

std::vector<RecordedBox> MessageBoxScript::Boxes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return boxes_;
}

int MessageBoxScript::Handle(void* context, HWND owner, const char* text, const char* title, UINT type) {
  auto* self = static_cast<MessageBoxScript*>(context);
  std::lock_guard<std::mutex> lock(self->mutex_);
  self->boxes_.push_back(RecordedBox{owner, title, text, type});
  if (self->answers_.empty()) return FirstButton(type);
  const int answer = self->answers_.front();
  self->answers_.pop_front();
  return answer;
}
