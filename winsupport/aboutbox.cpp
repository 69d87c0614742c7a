// TAboutBox: laid out in pixels, as dialogs of its kind always were.
#include "winsupport/aboutbox.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include "platform/qt/messages.h"
#include "platform/qt/urlopen.h"
#include "winsupport/programicon.h"
#include "winsupport/raisedlabel.h"

namespace qp {

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QFont& font,
                  const QPoint& at) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->setFont(font);
  label->move(at);
  label->adjustSize();
  return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(QStringLiteral("About Quillprint"));
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
  setFixedSize(298, 213);

  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setLineWidth(1);
  panel->setGeometry(8, 8, 281, 161);

  auto* icon = new QLabel(panel);
  icon->setObjectName(QStringLiteral("ProgramIcon"));
  icon->setGeometry(8, 8, 72, 61);
  icon->setPixmap(ProgramPicture(QSize(72, 61)));

  MakeLabel(panel, "ProductName", QStringLiteral("Quillprint"), QFont(QStringLiteral("Arial"), 10),
            QPoint(128, 16));
  MakeLabel(panel, "Version", QStringLiteral("Version 1.30"), QFont(QStringLiteral("Arial"), 8),
            QPoint(128, 40));
  MakeLabel(panel, "Comments", QStringLiteral("from"), font(), QPoint(98, 80));

  auto* maker = new RaisedLabel(QString::fromLatin1(kMakerName), panel);
  maker->setObjectName(QStringLiteral("MakerLabel"));
  maker->setFont(QFont(QStringLiteral("Times New Roman"), 20));
  maker->SetColors(QColor(0, 128, 128), QColor(0, 255, 255), QColor(0, 0, 128));  // teal, aqua, navy
  maker->move(48, 88);
  maker->resize(maker->sizeHint());

  auto* browse = new QPushButton(QStringLiteral("&Browse Website"), panel);
  browse->setObjectName(QStringLiteral("BrowseButton"));
  browse->setGeometry(82, 136, 134, 25);
  browse->setAutoDefault(false);
  connect(browse, &QPushButton::clicked, this, &TAboutBox::BrowseWebsiteClick);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("OKButton"));
  ok->setGeometry(111, 180, 75, 25);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::BrowseWebsiteClick() {
  if (!OpenUrl(QUrl(QString::fromLatin1(kMakerWebsite)))) {
    ShowMessage(this, QStringLiteral("Web Browser Program Not Found!"), MsgType::kInformation);
  }
}

void TAboutBox::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (centred_) return;
  centred_ = true;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->geometry().center());
    move(frame.topLeft());
  }
}

}  // namespace qp
