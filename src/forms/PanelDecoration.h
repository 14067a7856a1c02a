#pragma once

#include "foundation/geometry/DisplayScale.h"
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
// the left and right, 2 px above it and 5 px below it (design pixels, at the scale the pictures
// were drawn for); the corners lie over the ends of the edges; the reflection fills the room
// below the body.
struct FramePieces {
    Rect topLeft, top, topRight, left, right, bottomLeft, bottom, bottomRight, reflection;
};

FramePieces FramePiecesFor(Rect body, const FramePictureSizes& sizes,
                           Tessel::Common::DisplayScale scale = Tessel::Common::DisplayScale());

// The display scales the program's pictures are drawn for, in percent, and the one of them a
// screen of the given scale uses: the nearest, the larger of two as near.
inline constexpr int PictureScales[] = {100, 150, 200};
int PictureScaleFor(Tessel::Common::DisplayScale scale);
// A picture resource's name at a picture scale: "Back", "Back_150", "Back_200".
std::wstring ScaledPictureName(const wchar_t* name, int pictureScale);

// The user's panel pictures are numbered 0 to 20: "Back.bmp", then "Back1.bmp" to "Back20.bmp".
constexpr int PictureCount = 21;
std::wstring PictureFileName(int number);
// The number of the panel picture a file of that name is (letter case aside), or -1.
int PictureNumberOf(std::wstring_view fileName);
// The numbers to try, in order, after the picture shown last: the search starts after it, wraps
// around and tries that same picture last of all. A last number outside 0 to 20 starts at 0.
std::vector<int> PictureSearchOrder(int lastShown);

} // namespace PanelDecoration
