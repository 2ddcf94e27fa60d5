// The SDL2 window for the facility.
#pragma once

namespace platform {

// Makes openScreen open a real window, shown and serviced by a thread of its
// own. Call before openScreen.
void installSdlWindow();

} // namespace platform
