// Test support for the check desk: a fresh program folder per test, the
// component layer started with fixed regional settings, every box answered
// by a script, and the engine's halts recorded instead of ending the test.
#ifndef QUILLPRINT_TESTS_APP_APPFIXTURE_H_
#define QUILLPRINT_TESTS_APP_APPFIXTURE_H_

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <string>
#include <utility>
#include <vector>

#include "app/startup.h"
#include "components/messages.h"
#include "components/session.h"
#include "engine/errors.h"
#include "engine/national.h"
#include "platform/appdir.h"
#include "platform/datefmt.h"
#include "platform/file.h"
#include "platform/qt/scripted_messages.h"

namespace qptest {

inline bool ShowActive(QWidget* w) {
  w->show();
  w->activateWindow();
  return QTest::qWaitForWindowActive(w);
}

class AppFixture {
 public:
  // `folder`: the program's folder; a new temporary one when empty.
  explicit AppFixture(std::string date_format = "MM/dd/yy", const QString& folder = QString())
      : folder_(folder.isEmpty() ? dir.path() : folder), saved_cwd_(plat::CurrentDirectory()) {
    vz::ResetErrorStateForTesting();
    vz::ResetComponentMessagesForTesting();
    vz::InitNationalSettingsFor("en_US.UTF-8");
    vz::RegionalSettings regional;
    regional.short_date_format = std::move(date_format);
    vz::StartComponentLayer(regional);
    qp::InstallHaltBox([this](int status) { exits.push_back(status); });
    qp::InstallWarningBox();
    plat::SetProgramFolder(folder_.toStdString());
    qp::SetProgramFileName("quillprint");
  }

  ~AppFixture() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      w->hide();
      w->deleteLater();
    }
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    vz::StopComponentLayer();
    vz::SetWarningService({});
    vz::ResetComponentMessagesForTesting();
    vz::ResetErrorStateForTesting();
    plat::SetProgramFolder(std::string());
    plat::SetCurrentDirectory(saved_cwd_);
  }

  QString Path(const QString& name) const { return folder_ + QLatin1Char('/') + name; }
  std::string PathStd(const QString& name) const { return Path(name).toStdString(); }
  QByteArray Read(const QString& name) const {
    QFile f(Path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  QTemporaryDir dir;
  qp::ScopedScriptedMessages msgs;
  const QString folder_;
  std::vector<int> exits;  // exit statuses the halt box would have ended with

 private:
  std::string saved_cwd_;
};

}  // namespace qptest

#endif  // QUILLPRINT_TESTS_APP_APPFIXTURE_H_
