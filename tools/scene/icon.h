// The game's icon: the bear of the bundled scene, head and shoulders, on a
// rounded tile of winter sky, drawn at any of the desktop's square sizes.
#pragma once

#include <cstdint>
#include <vector>

namespace orvanel::scene {

// The sizes, in pixels, that the icon is made in for a desktop's theme.
inline constexpr int iconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// size x size pixels as 0xAARRGGBB, top row first; transparent outside the
// tile.
std::vector<std::uint32_t> renderIcon(int size);

} // namespace orvanel::scene
