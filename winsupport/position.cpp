// TPosition: the window-position store.
#include "winsupport/position.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/appdir.h"
#include "platform/ini.h"

namespace qp {

namespace {

constexpr char kSection[] = "Values";
constexpr int kMaxNameLength = 12;

QString OwnerName(const QWidget* owner) {
  if (!owner) return QString();
  if (!owner->objectName().isEmpty()) return owner->objectName();
  QString name = QString::fromLatin1(owner->metaObject()->className());
  name = name.mid(name.lastIndexOf(QLatin1Char(':')) + 1);
  if (name.size() > 1 && name.front() == QLatin1Char('T') && name.at(1).isUpper()) name.remove(0, 1);
  return name;
}

bool OnSomeScreen(const QRect& r) {
  for (const QScreen* screen : QGuiApplication::screens()) {
    if (screen->geometry().intersects(r)) return true;
  }
  return false;
}

}  // namespace

TPosition::TPosition(QWidget* owner)
    : QObject(owner), owner_(owner), file_name_(OwnerName(owner) + QStringLiteral(".ini")) {}

bool TPosition::SetIniFileName(const QString& name) {
  if (name.size() > kMaxNameLength) return false;
  // The extension runs from the last "." after any folder part.
  const qsizetype folder_end = std::max({name.lastIndexOf(QLatin1Char('\\')),
                                         name.lastIndexOf(QLatin1Char(':')),
                                         name.lastIndexOf(QLatin1Char('/'))});
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  if (dot < 0 || dot < folder_end || name.mid(dot) != QStringLiteral(".ini")) return false;
  // A name with a folder part ("..\x.ini") would put the file outside the
  // folder the property chooses.
  if (folder_end >= 0 || name.contains(QChar(0))) return false;
  file_name_ = name.toLower();
  return true;
}

QString TPosition::IniPath() const {
  if (directory_ == WindowsDir) {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           QLatin1Char('/') + file_name_;
  }
  return QString::fromStdString(plat::ProgramFolder()) + file_name_;
}

void TPosition::Loaded() {
  QWidget* form = owner_;
  if (!form) return;
  const plat::IniFile ini(IniPath().toStdString());
  if (save_dimension_) {
    const int width = ini.ReadInteger(kSection, "Width", form->width());
    const int height = ini.ReadInteger(kSection, "Height", form->height());
    // A size of nothing (a damaged file) would leave a window nobody can see
    // or grab: keep the current size instead.
    form->resize(width > 0 ? width : form->width(), height > 0 ? height : form->height());
  }
  if (save_position_) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect();
    const int centred_left = area.left() + (area.width() - form->width()) / 2;
    const int centred_top = area.top() + (area.height() - form->height()) / 2;
    int left = ini.ReadInteger(kSection, "Left", centred_left);
    int top = ini.ReadInteger(kSection, "Top", centred_top);
    // A position on a screen that is gone (or a damaged file) would open
    // the window where nobody can reach it: centre it as on a first start.
    if (screen && !OnSomeScreen(QRect(left, top, form->width(), form->height()))) {
      left = centred_left;
      top = centred_top;
    }
    form->move(left, top);
  }
}

int TPosition::Save() {
  QWidget* form = owner_;
  if (!form) return 0;
  std::vector<plat::IniEntry> entries;
  if (save_dimension_) {
    entries.push_back({kSection, "Width", std::to_string(form->width())});
    entries.push_back({kSection, "Height", std::to_string(form->height())});
  }
  if (save_position_) {
    entries.push_back({kSection, "Left", std::to_string(form->x())});
    entries.push_back({kSection, "Top", std::to_string(form->y())});
  }
  if (entries.empty()) return 0;
  const QString path = IniPath();
  if (directory_ == WindowsDir) QDir().mkpath(QFileInfo(path).absolutePath());
  plat::IniFile ini(path.toStdString());
  return ini.WriteValues(entries);
}

}  // namespace qp
