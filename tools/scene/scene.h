// The game's scene: a snowy valley with four figures to throw at, one in
// each of the game's horizontal zones, and the hit mask drawn from the very
// same shapes.
#pragma once

#include "raster.h"

namespace orvanel::scene {

struct Pictures {
    Canvas background;
    Mask mask;
};

Pictures renderScene();

} // namespace orvanel::scene
