#pragma once

#include "views/GroupGeometry.h"

#include <string>
#include <string_view>
#include <vector>

// Where the panel's decoration goes, free of any window: the nine pieces of a group card's shadow
// frame and its reflection, and the order in which the user's panel pictures are tried.
namespace PanelDecoration {

using GroupGeometry::Rect;

struct Size {
    int width = 0;
    int height = 0;
};

// The sizes of the frame pictures.
struct FramePictureSizes {
    Size topLeft, top, topRight, left, right, bottomLeft, bottom, bottomRight, reflection;
};

// Destination of each picture around a card's body. The frame reaches 3 px beyond the body on
// the left and right, 2 px above it and 5 px below it; the corners lie over the ends of the
// edges; the reflection fills the room below the body.
struct FramePieces {
    Rect topLeft, top, topRight, left, right, bottomLeft, bottom, bottomRight, reflection;
};

FramePieces FramePiecesFor(Rect body, const FramePictureSizes& sizes);

// The user's panel pictures are numbered 0 to 20: "Back.bmp", then "Back1.bmp" to "Back20.bmp".
constexpr int PictureCount = 21;
std::wstring PictureFileName(int number);
// The number of the panel picture a file of that name is (letter case aside), or -1.
int PictureNumberOf(std::wstring_view fileName);
// The numbers to try, in order, after the picture shown last: the search starts after it, wraps
// around and tries that same picture last of all. A last number outside 0 to 20 starts at 0.
std::vector<int> PictureSearchOrder(int lastShown);

} // namespace PanelDecoration
