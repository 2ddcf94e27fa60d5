// The game's scene: a snowy valley with four figures to throw at, one in
// each of the game's horizontal zones, and the hit mask drawn from the very
// same shapes.
#pragma once

#include <vector>

#include "raster.h"

namespace orvanel::scene {

struct Pictures {
    Canvas background;
    Mask mask;
};

Pictures renderScene();

// The nearest zone's figure, a bear in a bobble hat, standing with its feet
// at the given point; the icon shows it too.
void addBear(std::vector<Part>& parts, Vec feet);

} // namespace orvanel::scene
