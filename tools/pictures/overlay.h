// The overlay picture: the scene as the game shows it, with the mask's hit
// pixels tinted green, black-looking misses orange, the zone limits dashed
// yellow, each label drawn in its cells with a cyan frame around them, and
// a red cross on each zone's point to click.
#pragma once

#include "analysis.h"
#include "platform.h"

namespace orvanel::pictures {

platform::Image drawOverlay(const platform::Image& scene, const platform::Image& mask, const MaskAnalysis& analysis,
                            const std::array<LabelCheck, zoneCount>& labels);

} // namespace orvanel::pictures
