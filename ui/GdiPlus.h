// The GDI+ flat API as the toolkit uses it, with an owner for each kind of GDI+ object so that
// nothing it creates can leak on any path.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <objidl.h>

#include <algorithm>

// The GDI+ headers expect the min/max macros that NOMINMAX removes.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "UniqueHandle.h"

namespace dui {

namespace gp = Gdiplus::DllExports;
using Gdiplus::GpStatus;

template <class T, Gdiplus::GpStatus(WINGDIPAPI* Delete)(T*)>
struct GdipTraits {
    using Handle = T*;
    static Handle empty() noexcept { return nullptr; }
    static void close(Handle h) noexcept { Delete(h); }
};

using GpImagePtr = UniqueHandle<GdipTraits<Gdiplus::GpImage, gp::GdipDisposeImage>>;
using GpGraphicsPtr = UniqueHandle<GdipTraits<Gdiplus::GpGraphics, gp::GdipDeleteGraphics>>;
using GpBrushPtr = UniqueHandle<GdipTraits<Gdiplus::GpBrush, gp::GdipDeleteBrush>>;
using GpPenPtr = UniqueHandle<GdipTraits<Gdiplus::GpPen, gp::GdipDeletePen>>;
using GpPathPtr = UniqueHandle<GdipTraits<Gdiplus::GpPath, gp::GdipDeletePath>>;
using GpFontPtr = UniqueHandle<GdipTraits<Gdiplus::GpFont, gp::GdipDeleteFont>>;
using GpFontFamilyPtr = UniqueHandle<GdipTraits<Gdiplus::GpFontFamily, gp::GdipDeleteFontFamily>>;
using GpStringFormatPtr =
    UniqueHandle<GdipTraits<Gdiplus::GpStringFormat, gp::GdipDeleteStringFormat>>;
using GpImageAttributesPtr =
    UniqueHandle<GdipTraits<Gdiplus::GpImageAttributes, gp::GdipDisposeImageAttributes>>;
using GpMatrixPtr = UniqueHandle<GdipTraits<Gdiplus::GpMatrix, gp::GdipDeleteMatrix>>;
using GpRegionPtr = UniqueHandle<GdipTraits<Gdiplus::GpRegion, gp::GdipDeleteRegion>>;

// A bitmap is an image for GDI+; the flat API hands it out as GpBitmap* and frees it as GpImage*.
inline Gdiplus::GpBitmap* asBitmap(const GpImagePtr& image) noexcept {
    return reinterpret_cast<Gdiplus::GpBitmap*>(image.get());
}

// Sum of live GDI+ objects held by owners; tests compare it before and after repeated work.
inline long liveGdiPlusObjects() noexcept {
    return GpImagePtr::live() + GpGraphicsPtr::live() + GpBrushPtr::live() + GpPenPtr::live() +
           GpPathPtr::live() + GpFontPtr::live() + GpFontFamilyPtr::live() +
           GpStringFormatPtr::live() + GpImageAttributesPtr::live() + GpMatrixPtr::live() +
           GpRegionPtr::live();
}

}  // namespace dui
