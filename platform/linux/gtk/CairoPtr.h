#pragma once
// Owning holders for cairo and pango values (the GHolder of GlibPtr.h with
// their release functions), so every path releases them.

#include <cairo.h>
#include <pango/pango.h>

#include "platform/linux/GlibPtr.h"

namespace kv::platform {

using CairoPtr = GHolder<cairo_t, cairo_destroy>;
using SurfacePtr = GHolder<cairo_surface_t, cairo_surface_destroy>;
using CairoPatternPtr = GHolder<cairo_pattern_t, cairo_pattern_destroy>;
using CairoRegionPtr = GHolder<cairo_region_t, cairo_region_destroy>;
using PangoAttrListPtr = GHolder<PangoAttrList, pango_attr_list_unref>;

}  // namespace kv::platform
