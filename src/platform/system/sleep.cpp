#include "platform/system/sleep.h"

#include <chrono>
#include <thread>

void Sleep(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
