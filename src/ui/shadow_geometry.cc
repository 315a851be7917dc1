#include "ui/shadow_geometry.h"

#include <algorithm>

#include "ui/resource_ids.h"

namespace lite {

RECT ShadowBounds(const RECT& window, const ShadowMargins& margins) {
  return RECT{window.left - margins.left, window.top - margins.top, window.right + margins.right,
              window.bottom + margins.bottom};
}

RECT ShadowInnerRect(const RECT& window, const ShadowMargins& margins) {
  return RECT{margins.left, margins.top, margins.left + (window.right - window.left),
              margins.top + (window.bottom - window.top)};
}

std::array<ShadowPiece, 8> MainWindowShadowPieces(int width, int height, int border) {
  const int a = border;
  const int d = 2 * a;
  const int w = width;
  const int h = height;
  const int outer_width = w + d;
  const int outer_height = h + d;
  return {{
      {IDR_SHADOW_TOP_LEFT, {0, 0, d, d}},
      {IDR_SHADOW_TOP, {d, 0, w, a}},
      {IDR_SHADOW_TOP_RIGHT, {w, 0, outer_width, d}},
      {IDR_SHADOW_RIGHT, {a + w, d, outer_width, h}},
      {IDR_SHADOW_BOTTOM_RIGHT, {w, h, outer_width, outer_height}},
      {IDR_SHADOW_BOTTOM, {d, a + h, w, outer_height}},
      {IDR_SHADOW_BOTTOM_LEFT, {0, h, d, outer_height}},
      {IDR_SHADOW_LEFT, {0, d, a, h}},
  }};
}

std::array<ImageCopy, 4> ShadowQuadrants(SIZE outer, SIZE image) {
  const int left_width = std::min<int>(outer.cx / 2, image.cx);
  const int right_width = std::min<int>(outer.cx - outer.cx / 2, image.cx);
  const int top_height = std::min<int>(outer.cy / 2, image.cy);
  const int bottom_height = std::min<int>(outer.cy - outer.cy / 2, image.cy);
  const int right = outer.cx - right_width;
  const int bottom = outer.cy - bottom_height;
  const int image_right = image.cx - right_width;
  const int image_bottom = image.cy - bottom_height;
  return {{
      {{0, 0, left_width, top_height}, {0, 0}},
      {{right, 0, outer.cx, top_height}, {image_right, 0}},
      {{right, bottom, outer.cx, outer.cy}, {image_right, image_bottom}},
      {{0, bottom, left_width, outer.cy}, {0, image_bottom}},
  }};
}

}  // namespace lite
