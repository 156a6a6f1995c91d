#pragma once
#include <cstdint>

// Gives up the calling thread for at least the given time.
void Sleep(uint32_t milliseconds);
