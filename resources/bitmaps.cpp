// Bitmaps from the Qt resources of bitmaps.qrc: ":/bitmaps/<name>.png" and
// ":/bitmaps/<name>@2x.png", with the name in lower case.
#include "resources/bitmaps.h"

#include <QFile>
#include <QString>

// Qt's resource initialiser must be called from the global namespace; a
// static library's resources are not registered otherwise.
static void InitBitmapResources() { Q_INIT_RESOURCE(bitmaps); }

namespace qp {

QPixmap LoadResourceBitmap(std::string_view name, qreal device_pixel_ratio) {
  static const bool registered = (InitBitmapResources(), true);
  (void)registered;
  const QString base = QStringLiteral(":/bitmaps/") +
                       QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())).toLower();
  if (device_pixel_ratio > 1.5) {
    QPixmap large(base + QStringLiteral("@2x.png"));
    if (!large.isNull()) {
      large.setDevicePixelRatio(2.0);
      return large;
    }
  }
  return QPixmap(base + QStringLiteral(".png"));
}

}  // namespace qp
