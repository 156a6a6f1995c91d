#pragma once
// What the graphics fuzz targets and the mesh benchmarks share: a rendering device in
// memory under a scripted system (message boxes are answered, nothing reaches a screen)
// and a folder of this process's own for the files an input becomes, removed at exit.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "gfx/graphics_device.h"
#include "platform/system/scripted_system.h"
#include "platform/system/system_driver.h"
#include "platform/system/window.h"
#include "shared/screen.h"

inline intptr_t IgnoreFuzzWindowMessages(WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }

inline ScriptedSystem& FuzzSystem() {
  static ScriptedSystem system;
  return system;
}

// The device for every input; a target without one has nothing to test, so it stops.
inline void StartFuzzDevice() {
  static const bool started = [] {
    SetSystemDriver(&FuzzSystem());
    WindowHandle window = CreateGameWindow("Zorbly Frondles", SCREEN_WIDTH, SCREEN_HEIGHT,
                                           IgnoreFuzzWindowMessages);
    return window && InitGraphics(window, SCREEN_WIDTH, SCREEN_HEIGHT, false);
  }();
  if (!started) {
    std::fprintf(stderr, "fuzz target: cannot make a rendering device\n");
    std::abort();
  }
}

inline const std::filesystem::path& FuzzFolder() {
  static const std::filesystem::path folder = [] {
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("zf_fuzz_" + std::to_string(getpid()));
    std::filesystem::create_directories(path);
    return path;
  }();
  // Registered after the name exists, so it runs while the name still does.
  static const bool removedAtExit = std::atexit([] {
    std::error_code error;
    std::filesystem::remove_all(FuzzFolder(), error);
  }) == 0;
  (void)removedAtExit;
  return folder;
}

inline bool WriteFuzzFile(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}
