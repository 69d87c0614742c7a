// The replaceable web-address opener.
#include "platform/qt/urlopen.h"

#include <QDesktopServices>

namespace qp {

namespace {

UrlOpener& Opener() {
  static UrlOpener opener;
  return opener;
}

}  // namespace

bool OpenUrl(const QUrl& url) {
  if (!url.isValid()) return false;
  const UrlOpener& opener = Opener();
  return opener ? opener(url) : QDesktopServices::openUrl(url);
}

void SetUrlOpener(UrlOpener opener) { Opener() = std::move(opener); }

}  // namespace qp
