// The entries of the key queue, as the window makes them and the game and
// the replay script read them: a typed character is one byte; a key that
// types nothing is namedKeyPrefix and a code byte; a close request from the
// window's frame is closeRequestKey.
#pragma once

#include <string>
#include <string_view>

namespace platform::keys {

constexpr std::string_view escape = "\x1b";
constexpr std::string_view enter = "\r";
constexpr std::string_view backspace = "\b";
constexpr std::string_view tab = "\t";

constexpr char namedKeyPrefix = '\xff';
constexpr std::string_view closeRequest = "\xff"
                                          "k";

// The code byte after namedKeyPrefix of each key that types nothing.
namespace code {
constexpr unsigned char up = 'H';
constexpr unsigned char down = 'P';
constexpr unsigned char left = 'K';
constexpr unsigned char right = 'M';
constexpr unsigned char home = 'G';
constexpr unsigned char end = 'O';
constexpr unsigned char pageUp = 'I';
constexpr unsigned char pageDown = 'Q';
constexpr unsigned char insert = 'R';
constexpr unsigned char del = 'S';
// F1 to F10 are f1 to f1 + 9 (';' to 'D'); F11 and F12 have codes apart.
constexpr unsigned char f1 = ';';
constexpr unsigned char f11 = 0x85;
constexpr unsigned char f12 = 0x86;
} // namespace code

// The queue entry of a key that types nothing.
inline std::string named(unsigned char code)
{
    return {namedKeyPrefix, static_cast<char>(code)};
}

} // namespace platform::keys
