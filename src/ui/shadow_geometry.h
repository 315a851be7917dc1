#ifndef LITE_UI_SHADOW_GEOMETRY_H_
#define LITE_UI_SHADOW_GEOMETRY_H_

#include <windows.h>

#include <array>

namespace lite {

// How far a shadow reaches past each edge of its window.
struct ShadowMargins {
  int left;
  int top;
  int right;
  int bottom;
};

// The shadow window's rectangle: |window| grown by |margins|.
RECT ShadowBounds(const RECT& window, const ShadowMargins& margins);

// Where the window itself lies inside its shadow's bitmap.
RECT ShadowInnerRect(const RECT& window, const ShadowMargins& margins);

// One image of the main window's shadow, stretched into |rect|.
struct ShadowPiece {
  int image_id;
  RECT rect;
};

// The eight pieces around a main window of |width| x |height| with a
// shadow |border| pixels wide, in drawing order: corners 2 x border
// square, edges |border| thick, in the bitmap of the shadow window.
std::array<ShadowPiece, 8> MainWindowShadowPieces(int width, int height, int border);

// One part of an image copied 1:1: |destination| in the bitmap, from
// |source| (the top-left corner) in the image.
struct ImageCopy {
  RECT destination;
  POINT source;
};

// A message dialog's shadow bitmap of size |outer| filled from a picture of
// size |image|: each quarter of the bitmap (split at the integer halves)
// comes from the same corner of the picture, top-left, top-right,
// bottom-right, bottom-left. A larger picture loses its middle; a smaller
// one keeps its corners and leaves the middle empty.
std::array<ImageCopy, 4> ShadowQuadrants(SIZE outer, SIZE image);

}  // namespace lite

#endif  // LITE_UI_SHADOW_GEOMETRY_H_
