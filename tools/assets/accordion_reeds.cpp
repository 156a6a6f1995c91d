// The accordion's registers, shared by the volley chord and the tune.
#include "assets/sounds.h"

// Musette: one reed in tune, one a little sharp, one a little flat; the beating
// between them is the accordion's shimmer. A reed an octave down gives body.
const std::vector<Reed> MUSETTE_REEDS = {
    {0.0, 0, 0.34}, {14.0, 0, 0.3}, {-11.0, 0, 0.26}, {3.0, -1, 0.22}};
const std::vector<Reed> CHORD_REEDS = {{0.0, 0, 0.5}, {6.0, 0, 0.32}};
const std::vector<Reed> BASS_REEDS = {{0.0, 0, 0.55}, {0.0, 1, 0.3}, {4.0, -1, 0.25}};
