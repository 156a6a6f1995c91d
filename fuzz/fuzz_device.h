#pragma once
// What the graphics fuzz targets and the mesh benchmarks share: a rendering device in
// memory under a scripted system (message boxes are answered, nothing reaches a screen)
// and a folder of this process's own for the files an input becomes, removed at exit.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
    WindowHandle window =
        CreateGameWindow("Zorbly Frondles", SCREEN_WIDTH, SCREEN_HEIGHT, IgnoreFuzzWindowMessages);
    return window && InitGraphics(window, SCREEN_WIDTH, SCREEN_HEIGHT, false);
  }();
  if (!started) {
    std::fprintf(stderr, "fuzz target: cannot make a rendering device\n");
    std::abort();
  }
}

inline const std::filesystem::path& FuzzFolder() {
  static const struct Folder {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("zf_fuzz_" + std::to_string(getpid()));
    Folder() { std::filesystem::create_directories(path); }
    ~Folder() {
      std::error_code error;
      std::filesystem::remove_all(path, error);
    }
  } folder;
  return folder.path;
}

inline bool WriteFuzzFile(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream file(path, std::ios::binary);
  return file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size)).good();
}
