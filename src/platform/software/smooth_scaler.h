#pragma once
// A picture scaled smoothly to another size on the processor: each source row is widened
// once, and each output row mixes the two widened rows around it; every output channel is
// two source channels weighed out of 64.
#include <SDL.h>

#include <cstdint>
#include <vector>

// What scaling one size of picture to another takes, kept from frame to frame: for each
// output pixel the source pixel it starts from and, channel by channel, the weights of that
// one and the next; for each output row the source row it starts from and the weight of the
// next; and the last two source rows widened. Valid for the sizes and the shuffle width it
// was prepared for.
struct SmoothScaler {
  struct Row {
    int32_t start;
    uint8_t weight;
  };
  int sourceWidth = 0, sourceHeight = 0, width = 0, height = 0;
  int widest = -1;              // the widest shuffles asked for when prepared
  int shuffleBytes = 0;         // the width the tables are for: 0, 16 or 32
  std::vector<int32_t> starts;  // padded to whole groups of eight pixels
  std::vector<int8_t> weights;
  // For the shuffles, each pair of output pixels from the four source pixels from its
  // window: which byte of those goes where.
  std::vector<int32_t> windows;
  std::vector<uint8_t> orders;
  std::vector<Row> rows;
  std::vector<uint32_t> widened[2];
  int widenedRow[2] = {-1, -1};
};

// How wide the processor's byte shuffles go: 0, 16 or 32 bytes.
int ProcessorShuffleBytes();

// `source` scaled smoothly into `where` of `target`, both 32-bit of the same layout; the
// source at least 2 x 2. `widest` bounds the shuffles used (ProcessorShuffleBytes(), or
// less to check a narrower width against the plain code, 0).
void ScaleSmoothly(SmoothScaler* scaler, const SDL_Surface* source, SDL_Surface* target,
                   const SDL_Rect& where, int widest);
