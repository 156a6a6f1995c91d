// Draws and synthesises every picture and sound the game reads, into one folder.
// Usage: zf_make_assets <output folder>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "assets/art.h"
#include "assets/sounds.h"
#include "platform/gfx/image_file.h"

namespace {

struct PictureFile {
  const char* name;
  Canvas (*draw)();
  bool tga;
};

constexpr PictureFile PICTURES[] = {
    {"wood.png", DrawWood, false},
    {"sauce.png", DrawSauce, false},
    {"splat.png", DrawSplat, false},
    {"pastaplain.png", DrawPastaPlain, false},
    {"pastasauced.png", DrawPastaSauced, false},
    {"tomato.png", DrawTomato, false},
    {"parm.png", DrawParm, false},
    {"energyslice.tga", DrawEnergySlice, true},
    {"healthslice.tga", DrawHealthSlice, true},
};

struct SoundFile {
  const char* name;
  Samples (*make)();
};

constexpr SoundFile SOUNDS[] = {
    {"Accordion.wav", MakeAccordionChord},
    {"gears.wav", MakeGears},
    {"phasing.wav", MakePhasing},
    {"music1.wav", MakeMusic},
    {"splat.wav", MakeSplat},
    {"squish.wav", MakeSquish},
};

bool WritePicture(const std::string& folder, const PictureFile& picture) {
  Canvas canvas = picture.draw();
  std::string path = folder + "/" + picture.name;
  bool written =
      picture.tga ? SaveImageTga(path.c_str(), canvas.width, canvas.height, canvas.pixels.data())
                  : SaveImagePng(path.c_str(), canvas.width, canvas.height, canvas.pixels.data());
  if (!written) std::fprintf(stderr, "zf_make_assets: cannot write %s\n", path.c_str());
  return written;
}

bool WriteSound(const std::string& folder, const SoundFile& sound) {
  return WriteWave(folder + "/" + sound.name, sound.make());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: zf_make_assets <output folder>\n");
    return 2;
  }
  std::string folder = argv[1];
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) {
    std::fprintf(stderr, "zf_make_assets: no such folder: %s\n", folder.c_str());
    return 1;
  }
  bool allWritten = true;
  for (const PictureFile& picture : PICTURES)
    allWritten = WritePicture(folder, picture) && allWritten;
  for (const SoundFile& sound : SOUNDS) allWritten = WriteSound(folder, sound) && allWritten;
  return allWritten ? 0 : 1;
}
