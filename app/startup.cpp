// Start-up services of the check desk: the program's folder, the INI and
// help file paths, and the boxes behind the engine's halt hook and the
// components' warnings.
#include "app/startup.h"

#include <cstdlib>
#include <utility>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QStandardPaths>
#include <QWidget>

#include "components/messages.h"
#include "engine/errors.h"
#include "platform/appdir.h"
#include "platform/file.h"
#include "platform/qt/messages.h"

namespace qp {

namespace {

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

std::string& StoredProgramFileName() {
  static std::string name = "quillprint";
  return name;
}

// The halt box may be asked for while another box is up; the owner is
// whatever the user is working with at that moment.
QWidget* BoxOwner() {
  if (QWidget* grabber = QWidget::mouseGrabber()) return grabber->window();
  return QApplication::activeWindow();
}

}  // namespace

FolderChoice ChooseProgramFolder(const QString& dir_option, const std::string& executable_folder,
                                 const std::string& data_folder) {
  FolderChoice choice;
  if (!dir_option.isEmpty()) {
    const QFileInfo info(dir_option);
    if (!info.isDir()) {
      // Never make a folder the user may have mistyped: an empty check
      // table there would hide the real one.
      choice.error = QStringLiteral("The folder \"%1\" does not exist.")
                         .arg(QDir::toNativeSeparators(dir_option));
      return choice;
    }
    choice.folder = WithSlash(plat::AbsolutePath(info.absoluteFilePath().toStdString()));
    return choice;
  }
  if (!executable_folder.empty() && plat::IsWritableFolder(executable_folder)) {
    choice.folder = WithSlash(executable_folder);
    return choice;
  }
  if (data_folder.empty() || !QDir().mkpath(QString::fromStdString(data_folder)) ||
      !plat::IsWritableFolder(data_folder)) {
    choice.error = QStringLiteral("Neither the program's folder nor \"%1\" can be written. "
                                  "Start Quillprint with --dir and a folder of your own.")
                       .arg(QString::fromStdString(data_folder));
    return choice;
  }
  choice.folder = WithSlash(data_folder);
  return choice;
}

std::string UserDataFolder() {
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (base.isEmpty()) return std::string();
  return (base + QStringLiteral("/quillprint")).toStdString();
}

const std::string& ProgramFileName() { return StoredProgramFileName(); }

void SetProgramFileName(const std::string& name) {
  StoredProgramFileName() = name.empty() ? std::string("quillprint") : name;
}

std::string ProgramIniPath(const std::string& folder, const std::string& program_file_name) {
  std::string name = program_file_name;
  const size_t slash = name.find_last_of('/');
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const size_t dot = name.find_last_of('.');
  // A leading dot names a hidden file, not an extension.
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return WithSlash(folder) + name + ".ini";
}

QString HelpFilePath() {
  const QString in_program_folder =
      QString::fromStdString(plat::ProgramFolder()) + QLatin1String(kHelpFileName);
  const QString exe = QString::fromStdString(plat::ExecutableFolder());
  QStringList candidates = {in_program_folder};
  if (!exe.isEmpty()) {
    candidates << exe + QLatin1String(kHelpFileName)
               << QDir::cleanPath(exe + QStringLiteral("../share/quillprint/")) +
                      QLatin1Char('/') + QLatin1String(kHelpFileName);
  }
  for (const QString& path : candidates) {
    if (QFileInfo(path).isFile()) return path;
  }
  return in_program_folder;
}

void RegisterFormFonts() {
  // Insert only once: substitutes accumulate, and a face already named
  // first would be tried again and again.
  for (const char* family : {"MS Sans Serif", "Arial"}) {
    const QString name = QLatin1String(family);
    if (!QFont::substitutes(name).contains(QStringLiteral("Liberation Sans"))) {
      QFont::insertSubstitution(name, QStringLiteral("Liberation Sans"));
    }
  }
}

void InstallHaltBox(ExitFunction exit_fn) {
  if (!exit_fn) exit_fn = [](int status) { std::exit(status); };
  vz::SetHaltHook([exit_fn = std::move(exit_fn)](const std::string& text, unsigned code) {
    QString shown = QString::fromStdString(text);
    if (shown.size() > 255) {
      int keep = 255;
      // Never leave half of a surrogate pair at the end.
      if (shown.at(keep - 1).isHighSurrogate()) --keep;
      shown.truncate(keep);
    }
    ShowMessage(BoxOwner(), shown, MsgType::kStop, MsgButtons::kOk,
                QStringLiteral("Program halted."));
    exit_fn(vz::ExitStatusFor(code));
  });
}

void InstallWarningBox() {
  vz::SetWarningService([](const std::string& text) {
    ShowMessage(BoxOwner(), QString::fromStdString(text), MsgType::kWarning);
  });
}

}  // namespace qp
