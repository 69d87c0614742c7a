// TNotesForm: the window's build-up in pixels, as it was designed.
#include "app/notesform.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/checkrecord.h"
#include "components/tzdbf.h"
#include "controls/memo.h"
#include "engine/textutil.h"

namespace qp {

namespace {

QString TableText(vz::TTzDbf* checks, const char* field) {
  return QString::fromStdString(FromTableText(vz::TrimRight(checks->GetCField(field))));
}

}  // namespace

TNotesForm::TNotesForm(vz::TTzDbf* checks, QWidget* parent) : QDialog(parent), checks_(checks) {
  setObjectName(QStringLiteral("NotesForm"));
  setWindowTitle(QStringLiteral("Check Notes"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setGeometry(158, 131, 544, 410);

  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setGeometry(12, 17, 513, 313);
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(1, 1, 1, 1);
  notes1 = new TTzMemo(panel);
  notes1->setObjectName(QStringLiteral("notes1"));
  notes1->SetCaptionPos(cpDetached);
  layout->addWidget(notes1);

  PayeeLbl = new QLabel(this);
  PayeeLbl->setObjectName(QStringLiteral("PayeeLbl"));
  PayeeLbl->move(24, 344);
  ChecknumLbl = new QLabel(this);
  ChecknumLbl->setObjectName(QStringLiteral("ChecknumLbl"));
  ChecknumLbl->move(24, 360);

  SaveBtn = new QPushButton(QStringLiteral("&Save"), this);
  SaveBtn->setObjectName(QStringLiteral("SaveBtn"));
  SaveBtn->setToolTip(QStringLiteral("Saves notes to database"));
  SaveBtn->setGeometry(424, 344, 75, 25);
  connect(SaveBtn, &QPushButton::clicked, this, &QDialog::accept);
  CancelBtn = new QPushButton(QStringLiteral("&Cancel"), this);
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  CancelBtn->setToolTip(QStringLiteral("Discard changes"));
  CancelBtn->setGeometry(336, 344, 75, 25);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  // Enter belongs to the notes: it breaks lines there and must not close
  // the window through a default button.
  SaveBtn->setAutoDefault(false);
  CancelBtn->setAutoDefault(false);

  notes1->SetDataSource(checks);
  notes1->SetDataField(QStringLiteral("notes"));
}

TNotesForm::~TNotesForm() = default;

void TNotesForm::FormShow() {
  const QString first = TableText(checks_, "pfirstname").trimmed();
  PayeeLbl->setText(QStringLiteral("Payor: ") + first + QLatin1Char(' ') + TableText(checks_, "plastname"));
  PayeeLbl->adjustSize();
  ChecknumLbl->setText(QStringLiteral("Check #: ") + TableText(checks_, "checknum"));
  ChecknumLbl->adjustSize();
  notes1->setFocus();
}

void TNotesForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

}  // namespace qp
