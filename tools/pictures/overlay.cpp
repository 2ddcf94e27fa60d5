// Drawing the overlay: tints first, then the zone limits, the labels and
// the click points over them.
#include "overlay.h"

namespace orvanel::pictures {

namespace {

using platform::Colour;

// Overlay colours: hit pixels, black-looking pixels that miss, zone limits,
// the frames around label cells, the click points.
constexpr Colour hitTint = 0xFF00FF00;
constexpr Colour missTint = 0xFFFF8000;
constexpr Colour borderColour = 0xFFFFFF00;
constexpr Colour labelFrameColour = 0xFF00FFFF;
constexpr Colour clickColour = 0xFFFF0000;
// Zone limits are dashed so the scene shows between the dashes.
constexpr int dashLength = 4;
// Arms of the cross on a click point.
constexpr int crossArm = 3;

Colour mix(Colour a, Colour b)
{
    // Halves each channel before adding, so nothing carries into the next.
    return ((a >> 1 & 0x7F7F7F7F) + (b >> 1 & 0x7F7F7F7F)) | 0xFF000000;
}

// Sets a pixel, dropping what falls outside.
void put(platform::Image& image, int x, int y, Colour c)
{
    if (x >= 0 && y >= 0 && x < image.width && y < image.height)
        image
            .pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x)] =
            c;
}

} // namespace

platform::Image drawOverlay(const platform::Image& scene, const platform::Image& mask, const MaskAnalysis& analysis,
                            const std::array<LabelCheck, zoneCount>& labels)
{
    platform::Image out = scene;
    for (std::size_t i = 0; i < out.pixels.size() && i < mask.pixels.size(); ++i) {
        const Colour m = mask.pixels[i];
        if (m == hitColour)
            out.pixels[i] = mix(out.pixels[i], hitTint);
        else if (looksBlack(m))
            out.pixels[i] = mix(out.pixels[i], missTint);
    }
    for (const std::int32_t limit : zoneLimits)
        for (int y = 0; y < out.height; ++y)
            if (y / dashLength % 2 == 0)
                put(out, limit, y, borderColour);
    for (const LabelCheck& label : labels) {
        const Box& c = label.cell;
        for (int x = c.left - 1; x <= c.right + 1; ++x) {
            put(out, x, c.top - 1, labelFrameColour);
            put(out, x, c.bottom + 1, labelFrameColour);
        }
        for (int y = c.top; y <= c.bottom; ++y) {
            put(out, c.left - 1, y, labelFrameColour);
            put(out, c.right + 1, y, labelFrameColour);
            for (int x = c.left; x <= c.right; ++x)
                if (labelInkAt(x - c.left, y - c.top))
                    put(out, x, y, labelColour);
        }
    }
    for (const ZoneTargets& zone : analysis.zones) {
        if (zone.hits == 0)
            continue;
        for (int d = -crossArm; d <= crossArm; ++d) {
            put(out, zone.clickX + d, zone.clickY, clickColour);
            put(out, zone.clickX, zone.clickY + d, clickColour);
        }
    }
    return out;
}

} // namespace orvanel::pictures
