#pragma once
// The bitmap statements: DRAWBMP, DRAWSIZEDBMP, DRAWEXTBMP, DRAWSIZEDEXTBMP,
// MLOADBMP, MCOPYBMP, MCOPYSIZEDBMP, COPYDBMP, COPYSIZEDBMP, SAVEBMP and
// %BMPWIDTH / %BMPHEIGHT, over the host's Bitmaps.
#include <cstdint>
#include <string_view>

namespace vestil {

struct Runtime;

namespace gui {
// The raster operation of a mode argument: 0 SRCCOPY, 1 SRCAND, 2 SRCPAINT,
// 3 SRCINVERT, 4 DSTINVERT, anything else SRCCOPY.
uint32_t RasterOperation(int32_t mode);
// A resource name made only of decimal digits (at most 65535) selects the
// resource by number: that number, else -1 (select by name).
int32_t ResourceNumber(std::string_view name);
}  // namespace gui

void RegisterBitmapStatements(Runtime& rt);

}  // namespace vestil
