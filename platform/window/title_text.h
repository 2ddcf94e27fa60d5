// The window title as the window manager should show it.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// UTF-8 stays as it is; any other bytes are taken as Latin-1, the character
// set of the game's keys, and written as UTF-8.
std::string displayTitle(std::string_view title);

} // namespace platform
