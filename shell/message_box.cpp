#include "message_box.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {

std::mutex gHandlerMutex;
MessageBoxHandler gHandler = nullptr;
void* gHandlerContext = nullptr;

}  // namespace

int ShowMessageBox(HWND owner, const char* text, const char* title, UINT type) {
  if (!text) text = "";
  if (!title) title = "";
  MessageBoxHandler handler;
  void* context;
  {
    std::lock_guard<std::mutex> lock(gHandlerMutex);
    handler = gHandler;
    context = gHandlerContext;
  }
  if (handler) return handler(context, owner, text, title, type);
  return MessageBoxA(owner, text, title, type);
}

int ShowMessageBoxF(HWND owner, const char* title, UINT type, const char* format, ...) {
  char text[2048];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format ? format : "", args);
  va_end(args);
  return ShowMessageBox(owner, text, title, type);
}

void SetMessageBoxHandler(MessageBoxHandler handler, void* context) {
  std::lock_guard<std::mutex> lock(gHandlerMutex);
  gHandler = handler;
  gHandlerContext = context;
}
