// Where the screen's picture lands in a window of any size (as large as fits
// with its shape kept, centred, black bars around it) and how a pointer
// position in the window maps back to a pixel of the picture.
#pragma once

namespace platform {

struct Rect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

// The picture's place in a window of the given size.
Rect letterbox(int windowWidth, int windowHeight, int pictureWidth, int pictureHeight);

// A window coordinate as a picture coordinate along one axis:
// floor((e - origin) * size / extent), with everything before the picture -1
// and everything after it size, so the bars and beyond read as outside.
int toPicture(int e, int origin, int extent, int size);

} // namespace platform
