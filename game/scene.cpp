#include "game.h"

namespace orvanel {

namespace {

constexpr std::string_view labelText = "OW!!";
constexpr platform::Colour labelColour = 0xFF000000u;
// Top-left corner of each zone's label, zone 1 first.
struct LabelPosition {
    float x;
    float y;
};
constexpr std::array<LabelPosition, zoneCount> labelPositions{{{190, 112}, {386, 177}, {474, 210}, {600, 254}}};
constexpr platform::Colour shotColour = 0xFFFF0000u;
// A disc shrinks from radius 18 (not yet advanced) to 8.5 in its last frame.
constexpr double radiusPerFrameLeft = 0.5;
constexpr double smallestRadius = 8.0;

} // namespace

void drawScene(const GameState& state)
{
    // 1. Hold the screen for the whole frame so no half-drawn frame shows.
    platform::lockScreen();
    // 2. The scene covers the whole screen: nothing of the last frame survives.
    if (state.backgroundImage != nullptr)
        platform::putImage(0.0f, 0.0f, *state.backgroundImage);
    // 3. The labels of recently hit zones, in zone order.
    for (std::size_t zone = 0; zone < labelPositions.size(); ++zone)
        if (state.labelTimer[zone] > 0)
            platform::drawText(labelPositions[zone].x, labelPositions[zone].y, labelText, labelColour);
    // 4. Every shot in throw order, later discs over earlier ones.
    for (std::int32_t i = 0; i < state.shotCount; ++i) {
        const Shot& shot = state.shots[static_cast<std::size_t>(i)];
        const double radius = shot.framesLeft * radiusPerFrameLeft + smallestRadius;
        platform::fillCircle(static_cast<float>(shot.x), static_cast<float>(shot.y), static_cast<float>(radius),
                             shotColour);
    }
    // 5. Mark every row changed and let the window thread show the frame.
    platform::unlockScreen(-1, -1);
}

} // namespace orvanel
