// The bitmaps of the data-aware controls, by resource name: the grid's
// indicator glyphs ("TZGARROW", "TZEDIT", "TZINSERT") and the navigator's
// button glyphs ("tzn_First" ... "tzn_Refresh"). Names are matched without
// regard to case, as resource names always were.
//
// A bitmap holds its images side by side in one strip (the navigator's:
// the normal image, then the disabled one). Each comes at two scales, for
// screens of device pixel ratio 1 and 2; the pixmap returned carries the
// ratio of the scale chosen, so it paints at the same logical size.
#ifndef QUILLPRINT_RESOURCES_BITMAPS_H_
#define QUILLPRINT_RESOURCES_BITMAPS_H_

#include <QPixmap>

#include <string_view>

namespace qp {

// The bitmap of that name at the scale nearest `device_pixel_ratio`
// (1 or 2); a null pixmap when the resources have none of that name.
QPixmap LoadResourceBitmap(std::string_view name, qreal device_pixel_ratio = 1.0);

}  // namespace qp

#endif  // QUILLPRINT_RESOURCES_BITMAPS_H_
