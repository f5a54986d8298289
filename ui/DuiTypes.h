// Value types every part of the toolkit passes around: colours and float rectangles. Kept tiny so
// controls and the host can include it without pulling in the drawing code.
#pragma once

#include <cstdint>

#include "ui/GdiPlus.h"

namespace dui {

// A GDI+ colour 0xAARRGGBB. Toolkit colours built by argbColor carry alpha 254 when opaque.
using ArgbColor = std::uint32_t;

// x, y, width, height as 32-bit floats (fields X, Y, Width, Height), the GDI+ layout.
using RectF = Gdiplus::RectF;

}  // namespace dui
