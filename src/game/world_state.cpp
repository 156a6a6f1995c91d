#include "game/world_state.h"

WorldState world;
