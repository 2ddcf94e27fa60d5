// drawScene: one whole frame drawn from the game's state: the scene, the
// labels of recently hit zones, then every shot's disc.
#include "game.h"

namespace orvanel {

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
        const double radius = discRadius(shot.framesLeft);
        platform::fillCircle(static_cast<float>(shot.x), static_cast<float>(shot.y), static_cast<float>(radius),
                             shotColour);
    }
    // 5. Mark every row changed and let the window thread show the frame.
    platform::unlockScreen(-1, -1);
}

} // namespace orvanel
