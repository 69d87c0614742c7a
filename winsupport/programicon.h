// The program's picture: a bank check with a quill resting on its signature
// line. Painted in code so that it is sharp at every size.
#ifndef QUILLPRINT_WINSUPPORT_PROGRAMICON_H_
#define QUILLPRINT_WINSUPPORT_PROGRAMICON_H_

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace qp {

// The picture scaled to fit `size` (aspect kept, centred, transparent around).
QPixmap ProgramPicture(const QSize& size);

// The window icon: the picture at the usual icon sizes.
QIcon ProgramIcon();

}  // namespace qp

#endif  // QUILLPRINT_WINSUPPORT_PROGRAMICON_H_
