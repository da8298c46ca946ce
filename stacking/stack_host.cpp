#include "stacking/stack_host.h"

#include <mutex>

namespace {

std::mutex gSumLock;

}  // namespace

void StackHost::EnterSumLock() { gSumLock.lock(); }
void StackHost::LeaveSumLock() { gSumLock.unlock(); }
