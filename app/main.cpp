// quillprint: the check-writing program.
//
//   quillprint [--dir FOLDER] [--screenshot FILE.png]
//
// --dir FOLDER         keep the check table and the INI files in FOLDER (a
//                      shared network folder, say) instead of the program's
//                      folder; FOLDER must exist.
// --screenshot FILE    show the window, save a picture of it to FILE and
//                      end without asking and without writing the INI
//                      files (for the documentation).
//
// Exit status: 0 after a normal close; the exit status of an engine error
// after the "Program halted." box; 2 when the program's folder cannot be
// used or the arguments are wrong.
#include <cstdio>

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>

#include "app/mainform.h"
#include "app/startup.h"
#include "components/session.h"
#include "engine/national.h"
#include "platform/appdir.h"
#include "platform/qt/messages.h"
#include "regional/regional.h"
#include "winsupport/programicon.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quillprint"));
  QApplication::setApplicationDisplayName(QLatin1String(qp::kApplicationTitle));
  QApplication::setApplicationVersion(QStringLiteral("1.30"));
  QApplication::setWindowIcon(qp::ProgramIcon());
  qp::SetApplicationTitle(QLatin1String(qp::kApplicationTitle));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Writes and prints bank checks."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption dir_option(
      QStringLiteral("dir"), QStringLiteral("Keep the check table and INI files in <folder>."),
      QStringLiteral("folder"));
  const QCommandLineOption screenshot_option(
      QStringLiteral("screenshot"),
      QStringLiteral("Save a picture of the main window to <file> and quit."),
      QStringLiteral("file"));
  parser.addOption(dir_option);
  parser.addOption(screenshot_option);
  if (!parser.parse(QApplication::arguments())) {
    std::fprintf(stderr, "quillprint: %s\n", qPrintable(parser.errorText()));
    return 2;
  }
  if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
  if (parser.isSet(QStringLiteral("version"))) parser.showVersion();

  qp::InstallHaltBox();
  qp::InstallWarningBox();

  const qp::FolderChoice folder = qp::ChooseProgramFolder(
      parser.value(dir_option), plat::ExecutableFolder(), qp::UserDataFolder());
  if (folder.folder.empty()) {
    std::fprintf(stderr, "quillprint: %s\n", qPrintable(folder.error));
    qp::ShowMessage(nullptr, folder.error, qp::MsgType::kError);
    return 2;
  }
  plat::SetProgramFolder(folder.folder);
  qp::SetProgramFileName(QFileInfo(QApplication::applicationFilePath()).fileName().toStdString());

  vz::InitNationalSettings();
  const vz::ComponentLayer components(qp::SystemRegionalSettings());

  // Taken as given now: the window makes the program's folder current.
  QString screenshot = parser.value(screenshot_option);
  if (!screenshot.isEmpty()) screenshot = QFileInfo(screenshot).absoluteFilePath();

  qp::TMainForm form;
  form.show();
  // Without a window manager nobody else would activate the window, and it
  // would keep its inactive caption and get no keys.
  form.activateWindow();

  if (!screenshot.isEmpty()) {
    // Long enough for the window system to map and paint the window.
    QTimer::singleShot(800, &form, [&form, screenshot] {
      const bool saved = form.grab().save(screenshot);
      if (!saved) std::fprintf(stderr, "quillprint: cannot write %s\n", qPrintable(screenshot));
      QApplication::exit(saved ? 0 : 1);
    });
  }
  return QApplication::exec();
}
