// Opening a web address in the user's browser. Tests replace the opener so
// that nothing is launched and failure can be simulated.
#ifndef QUILLPRINT_PLATFORM_QT_URLOPEN_H_
#define QUILLPRINT_PLATFORM_QT_URLOPEN_H_

#include <QUrl>

#include <functional>

namespace qp {

using UrlOpener = std::function<bool(const QUrl&)>;

// Hands the address to the installed opener (QDesktopServices::openUrl by
// default). False when no program could be started for it.
bool OpenUrl(const QUrl& url);

// Installs an opener; an empty one puts QDesktopServices back.
void SetUrlOpener(UrlOpener opener);

}  // namespace qp

#endif  // QUILLPRINT_PLATFORM_QT_URLOPEN_H_
