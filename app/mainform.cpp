// TMainForm: the window's build-up in pixels, as it was designed, and its
// commands.
#include "app/mainform.h"

#include <exception>
#include <utility>

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QShowEvent>
#include <QStatusBar>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/notesform.h"
#include "app/printeroffsetsform.h"
#include "app/startup.h"
#include "app/viewdataform.h"
#include "controls/entry/datefield.h"
#include "controls/entry/entrycontroller.h"
#include "controls/entry/entrynotebook.h"
#include "controls/entry/keypress.h"
#include "controls/entry/limitededit.h"
#include "controls/entry/numericfield.h"
#include "components/tzdbf.h"
#include "controls/memo.h"
#include "engine/errors.h"
#include "engine/real48.h"
#include "engine/textutil.h"
#include "output/amountwords.h"
#include "output/micrcheck.h"
#include "output/qt/checkprinter.h"
#include "platform/appdir.h"
#include "platform/file.h"
#include "platform/ini.h"
#include "platform/qt/help.h"
#include "platform/qt/messages.h"
#include "winsupport/aboutbox.h"
#include "winsupport/position.h"
#include "winsupport/programicon.h"

// Qt's resource initialiser must be called from the global namespace.
static void InitGlyphResources() { Q_INIT_RESOURCE(quillprint); }

namespace qp {

namespace {

constexpr char kDefaultVersion[] = "1.30";
constexpr int kToolBarHeight = 78;
constexpr int kToolButtonSize = 57;
constexpr int kStatusBarHeight = 19;
constexpr int kEditHeight = 21;
constexpr int kLabelRise = 16;

// Runs a command at the window boundary: an exception must not travel
// through Qt's event handling, so the component layer's errors end here in
// an error box and the window carries on.
template <typename Command>
void RunCommand(QWidget* window, Command&& command) {
  try {
    std::forward<Command>(command)();
  } catch (const vz::EVozuvError& e) {
    ShowMessage(window, QString::fromStdString(e.what()), MsgType::kError);
  } catch (const std::exception& e) {
    ShowMessage(window, QString::fromLocal8Bit(e.what()), MsgType::kError);
  }
}

QFont LabelFont() { return QFont(QStringLiteral("Arial"), 10); }

// A label standing above its field, as every label of the pages does.
void LabelAbove(QWidget* page, const QString& text, const QRect& field) {
  auto* label = new QLabel(text, page);
  label->setFont(LabelFont());
  label->adjustSize();
  label->move(field.left(), field.top() - kLabelRise);
}

template <typename Edit>
Edit* PlaceField(Edit* edit, const char* name, const QString& label, int left, int top, int width,
                 const QString& hint) {
  edit->setObjectName(QLatin1String(name));
  edit->setGeometry(left, top, width, kEditHeight);
  edit->setToolTip(hint);
  LabelAbove(edit->parentWidget(), label, edit->geometry());
  return edit;
}

// A plain edit of the check record, with the typing limit the record
// gives its field.
QLineEdit* MakeEdit(QWidget* page, const char* name, const QString& label, int left, int top,
                    int width, const QString& hint) {
  auto* edit = new LimitedEdit(FindCheckEdit(name)->typing_limit, page);
  return PlaceField(edit, name, label, left, top, width, hint);
}

}  // namespace

TMainForm::TMainForm(QWidget* parent) : TGradientForm(parent) {
  InitGlyphResources();
  RegisterFormFonts();
  setObjectName(QStringLiteral("MainForm"));
  setWindowIcon(ProgramIcon());
  SetCaptionTextColor(QColor(255, 255, 255));
  SetGradientStartColor(QColor(0, 0, 0));
  SetGradientStopColor(QColor(0, 0, 255));
  SetPaintGradient(gfpAlways);
  SetCaption(QStringLiteral("Quillprint"));
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
  setGeometry(133, 101, 536, 432);

  QWidget* client = ClientArea();
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  BuildMenu();
  layout->setMenuBar(MainMenu1);

  auto* tool_bar = new QFrame(client);
  tool_bar->setObjectName(QStringLiteral("ToolBar"));
  tool_bar->setFrameStyle(QFrame::Panel | QFrame::Raised);
  tool_bar->setFixedHeight(kToolBarHeight);
  BuildToolBar(tool_bar);
  layout->addWidget(tool_bar);

  auto* panel = new QFrame(client);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* panel_layout = new QVBoxLayout(panel);
  panel_layout->setContentsMargins(1, 1, 1, 1);
  Notebook1 = new TEntryNotebook(panel);
  Notebook1->setObjectName(QStringLiteral("Notebook1"));
  Notebook1->SetTabSize(QSize(174, 18));
  QFont active_tab(QStringLiteral("Arial"), font().pointSize());
  active_tab.setBold(true);
  Notebook1->SetActiveTabFont(active_tab);
  panel_layout->addWidget(Notebook1);
  layout->addWidget(panel, 1);
  BuildPages();

  StatusBar1 = new QStatusBar(client);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setFixedHeight(kStatusBarHeight);
  layout->addWidget(StatusBar1);

  EntryController1 = new TEntryController(this);
  EntryController1->setObjectName(QStringLiteral("EntryController1"));

  Position1 = new TPosition(this);
  Position1->setObjectName(QStringLiteral("Position1"));
  Position1->SetIniFileName(QStringLiteral("mainform.ini"));

  Checks_ = std::make_unique<vz::TTzDbf>(nullptr);
  Checks_->SetName("Checks");
  Checks_->DbfFields() = CheckTableFields();

  RunCommand(this, [this] { FormCreate(); });
  Position1->Loaded();
  // Start-up's next step: the two windows that show the table, bound to it
  // for the life of the program.
  RunCommand(this, [this] {
    ViewDataForm = new TViewDataForm(Checks_.get(), this);
    ViewDataForm->OnPrintChecks = [this](const std::vector<CheckFields>& checks, QWidget* over) {
      PrintChecks(checks, over);
    };
    ViewDataForm->OnPreviewChecks = [this](const std::vector<CheckFields>& checks, QWidget* over) {
      PreviewChecks(checks, over);
    };
    NotesForm = new TNotesForm(Checks_.get(), this);
  });
}

TMainForm::~TMainForm() {
  // The windows' controls are linked to the table: they go first.
  delete ViewDataForm;
  delete NotesForm;
}

// ---- build-up -------------------------------------------------------------------

void TMainForm::BuildMenu() {
  MainMenu1 = new QMenuBar(ClientArea());
  MainMenu1->setObjectName(QStringLiteral("MainMenu1"));

  QMenu* file = MainMenu1->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("File1"));
  PrintCheck1 = file->addAction(QStringLiteral("&Print Check"));
  PrintCheck1->setObjectName(QStringLiteral("PrintCheck1"));
  connect(PrintCheck1, &QAction::triggered, this, &TMainForm::PrintCheck1Click);
  PrintPreview1 = file->addAction(QStringLiteral("Print Pre&view"));
  PrintPreview1->setObjectName(QStringLiteral("PrintPreview1"));
  connect(PrintPreview1, &QAction::triggered, this, &TMainForm::PrintPreview1Click);
  PrinterOffsets1 = file->addAction(QStringLiteral("Printer &Offsets..."));
  PrinterOffsets1->setObjectName(QStringLiteral("PrinterOffsets1"));
  connect(PrinterOffsets1, &QAction::triggered, this, &TMainForm::PrinterOffsets1Click);
  file->addSeparator();
  Exit1 = file->addAction(QStringLiteral("E&xit"));
  Exit1->setObjectName(QStringLiteral("Exit1"));
  connect(Exit1, &QAction::triggered, this, &TMainForm::Exit1Click);

  QMenu* tools = MainMenu1->addMenu(QStringLiteral("&Tools"));
  tools->setObjectName(QStringLiteral("Tools1"));
  QMenu* utilities = tools->addMenu(QStringLiteral("&Database Utilities"));
  utilities->setObjectName(QStringLiteral("DatabaseUtilities1"));
  utilities->setToolTipsVisible(true);
  Viewastable = utilities->addAction(QStringLiteral("&View as Table"));
  Viewastable->setObjectName(QStringLiteral("Viewastable"));
  Viewastable->setToolTip(QStringLiteral("Display Checks Database in Table Format"));
  connect(Viewastable, &QAction::triggered, this, &TMainForm::ViewastableClick);
  pack = utilities->addAction(QStringLiteral("&Pack"));
  pack->setObjectName(QStringLiteral("pack"));
  pack->setToolTip(QStringLiteral("Remove Records Marked for Deletion"));
  connect(pack, &QAction::triggered, this, &TMainForm::packClick);

  QMenu* help = MainMenu1->addMenu(QStringLiteral("&Help"));
  help->setObjectName(QStringLiteral("Help1"));
  Contents1 = help->addAction(QStringLiteral("&Contents"));
  Contents1->setObjectName(QStringLiteral("Contents1"));
  connect(Contents1, &QAction::triggered, this, &TMainForm::Contents1Click);
  About1 = help->addAction(QStringLiteral("&About"));
  About1->setObjectName(QStringLiteral("About1"));
  connect(About1, &QAction::triggered, this, &TMainForm::About1Click);
}

void TMainForm::BuildToolBar(QWidget* bar) {
  struct Button {
    QToolButton** slot;
    const char* name;
    const char* caption;
    const char* hint;
    const char* glyph;
    int left;
  };
  const Button buttons[] = {
      {&PrintBtn, "PrintBtn", "Print", "Print Check", "print", 8},
      {&SaveCheck, "SaveCheck", "&Save", "Add Check Data to Database", "save", 72},
      {&LoadCheck, "LoadCheck", "&Load", "Load Check from Database", "load", 136},
      {&ViewChecks, "ViewChecks", "&View", "View Checks Database", "view", 200},
      {&ClearCheck, "ClearCheck", "Clear", "Clear Check Fields", "clear", 264},
      {&CheckNotes, "CheckNotes", "&Notes", "View/Edit Individual Check Notes", "notes", 328},
      {&HelpBtn, "HelpBtn", "&Help", "Show Online Help", "help", 392},
      {&ExitBtn, "ExitBtn", "E&xit", "Exit Program", "exit", 456},
  };
  const int top = (kToolBarHeight - kToolButtonSize) / 2;
  for (const Button& b : buttons) {
    auto* button = new QToolButton(bar);
    button->setObjectName(QLatin1String(b.name));
    button->setText(QLatin1String(b.caption));
    button->setToolTip(QLatin1String(b.hint));
    button->setIcon(QIcon(QStringLiteral(":/glyphs/%1.png").arg(QLatin1String(b.glyph))));
    button->setIconSize(QSize(32, 32));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    // Like speed buttons they never take the focus: Enter and Tab walk the
    // fields, and a click leaves the focus in the field being typed in.
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(b.left, top, kToolButtonSize, kToolButtonSize);
    *b.slot = button;
  }
  // Alt+H belongs to the Help menu: two owners of one key would make Qt
  // ignore it altogether. The menu's Contents does what the button does.
  HelpBtn->setShortcut(QKeySequence());
  connect(PrintBtn, &QToolButton::clicked, this, &TMainForm::PrintBtnClick);
  connect(SaveCheck, &QToolButton::clicked, this, &TMainForm::SaveCheckClick);
  connect(ClearCheck, &QToolButton::clicked, this, &TMainForm::ClearCheckClick);
  connect(HelpBtn, &QToolButton::clicked, this, &TMainForm::HelpBtnClick);
  connect(ExitBtn, &QToolButton::clicked, this, &TMainForm::ExitBtnClick);
  connect(LoadCheck, &QToolButton::clicked, this, &TMainForm::LoadCheckClick);
  connect(ViewChecks, &QToolButton::clicked, this, &TMainForm::ViewChecksClick);
  connect(CheckNotes, &QToolButton::clicked, this, &TMainForm::CheckNotesClick);
}

void TMainForm::BuildPages() {
  auto* payor = new QWidget;
  payor->setObjectName(QStringLiteral("PayorPage"));
  FirstEdit = MakeEdit(payor, "FirstEdit", QStringLiteral("First Name"), 24, 32, 161,
                       QStringLiteral("First name of Payor"));
  LastEdit = MakeEdit(payor, "LastEdit", QStringLiteral("Last Name"), 200, 32, 177,
                      QStringLiteral("Payor's Last Name"));
  AddressEdit = MakeEdit(payor, "AddressEdit", QStringLiteral("Payor Address"), 24, 80, 353,
                         QStringLiteral("Payor's Address"));
  CityEdit = MakeEdit(payor, "CityEdit", QStringLiteral("City"), 24, 128, 177,
                      QStringLiteral("Payor's City"));
  StateEdit = MakeEdit(payor, "StateEdit", QStringLiteral("State"), 216, 128, 49,
                       QStringLiteral("Payor's State"));
  ZipEdit = MakeEdit(payor, "ZipEdit", QStringLiteral("Zipcode"), 280, 128, 97,
                     QStringLiteral("Payor's Zipcode"));
  Notebook1->AddPage(payor, QStringLiteral("&Payor Information"),
                     QStringLiteral("Payor's Personal Information"));

  auto* bank = new QWidget;
  bank->setObjectName(QStringLiteral("BankPage"));
  BankName = MakeEdit(bank, "BankName", QStringLiteral("Bank Name"), 24, 32, 353,
                      QStringLiteral("Bank Name as it appears on check"));
  BankAddress = MakeEdit(bank, "BankAddress", QStringLiteral("Bank Address"), 24, 80, 353,
                         QStringLiteral("Bank Address as it appears on Check"));
  BankCity = MakeEdit(bank, "BankCity", QStringLiteral("City"), 24, 128, 177,
                      QStringLiteral("Bank City as it appears on Check"));
  BankState = MakeEdit(bank, "BankState", QStringLiteral("State"), 216, 128, 49,
                       QStringLiteral("Bank State (if any) as it appears on Check"));
  BankZip = MakeEdit(bank, "BankZip", QStringLiteral("Zipcode"), 280, 128, 97,
                     QStringLiteral("Bank Zipcode (If any) as it appears on check"));
  ABANumber = MakeEdit(bank, "ABANumber", QStringLiteral("ABA Number"), 24, 176, 81,
                       QStringLiteral("9 Digit ABA number on Check"));
  ABACheck = new QLabel(bank);
  ABACheck->setObjectName(QStringLiteral("ABACheck"));
  ABACheck->setGeometry(24, 176 + kEditHeight + 2, 353, kLabelRise);
  ABACheck->setToolTip(
      QStringLiteral("An ABA routing number has 9 digits; the last is a check digit"));
  connect(ABANumber, &QLineEdit::textChanged, this, &TMainForm::ABANumberChange);
  AccountNumber = MakeEdit(bank, "AccountNumber", QStringLiteral("Account Number"), 144, 176, 233,
                           QStringLiteral("Individual's Account number"));
  Notebook1->AddPage(bank, QStringLiteral("&Bank Information"),
                     QStringLiteral("Payor's Bank Information"));

  // Made in the order they stand on the page; the tab order below differs.
  auto* check = new QWidget;
  check->setObjectName(QStringLiteral("CheckPage"));
  CheckNumber = MakeEdit(check, "CheckNumber", QStringLiteral("Check Number"), 24, 32, 89,
                         QStringLiteral("Individual Check Number"));
  AmountNumbers = PlaceField(new TNumericField(check), "AmountNumbers",
                             QStringLiteral("Check Amount"), 136, 32, 130,
                             QStringLiteral("Amount check is payable for"));
  TransDate = PlaceField(new TDateField(check), "TransDate", QStringLiteral("Check Date"), 304, 32,
                         121, QStringLiteral("Date check was printed"));
  AmountEnglish = MakeEdit(check, "AmountEnglish", QStringLiteral("Amount"), 24, 80, 313,
                           QStringLiteral("Amount of Check in words"));
  PayeeNameEdit = MakeEdit(check, "PayeeNameEdit", QStringLiteral("Payee Name"), 24, 128, 313,
                           QStringLiteral("Pay to the order of"));
  Notebook1->AddPage(check, QStringLiteral("&Check Information"), QStringLiteral("Check Details"));

  const std::vector<QWidget*> order = {
      FirstEdit,   LastEdit,      AddressEdit,   CityEdit,    StateEdit,
      ZipEdit,     BankName,      BankAddress,   BankCity,      BankState,   BankZip,
      ABANumber,   AccountNumber, TransDate,     AmountNumbers, PayeeNameEdit, AmountEnglish,
      CheckNumber,
  };
  QWidget::setTabOrder(Notebook1->tabBar(), FirstEdit);
  for (size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);

  connect(AmountNumbers, &TNumericField::Changed, this, &TMainForm::AmountNumbersChange);

  // The notebook, the payor and bank edits and the date field drop the
  // Enter character, so that it never reaches a default button.
  auto swallow = [this](QKeyEvent* event) { return CheckNumberKeyPress(event); };
  Notebook1->SetKeyPressHandler(swallow);
  TransDate->SetKeyPressHandler(swallow);
  for (QLineEdit* edit : {FirstEdit, LastEdit, AddressEdit, CityEdit, StateEdit, ZipEdit, BankName,
                          BankAddress, BankCity, BankState, BankZip, ABANumber, AccountNumber}) {
    SetKeyPressHandler(edit, swallow);
  }
}

std::vector<QLineEdit*> TMainForm::TextEdits() const {
  std::vector<QLineEdit*> edits;
  for (const CheckRecordField& f : CheckRecord()) {
    if (f.input == CheckInput::kText) edits.push_back(findChild<QLineEdit*>(QLatin1String(f.edit)));
  }
  return edits;
}

// ---- life of the window ---------------------------------------------------------

void TMainForm::FormCreate() {
  plat::SetCurrentDirectory(plat::ProgramFolder());
  ini_path_ = ProgramIniPath(plat::ProgramFolder(), ProgramFileName());
  version_ = QString::fromStdString(
      plat::IniFile(ini_path_).ReadString("Version", "Version", kDefaultVersion));
  // The table opens in the program's folder, now the current one; a table
  // that is missing is made from the field list first.
  Checks_->SetDbfFileName("checks");
  Checks_->SetActive(true);
}

void TMainForm::FormShow() {
  TransDate->SetDate(QDate::currentDate());
  FirstEdit->setFocus();
}

bool TMainForm::FormCloseQuery() {
  return ShowMessage(this, QStringLiteral("Exit Quillprint Now?"), MsgType::kConfirmation,
                     MsgButtons::kYesNo) == MsgResult::kYes;
}

void TMainForm::FormClose() {
  if (closed_) return;
  closed_ = true;
  plat::IniFile(ini_path_).WriteString("Version", "Version", version_.toStdString());
  Position1->Save();
  Checks_->SetActive(false);
}

void TMainForm::showEvent(QShowEvent* event) {
  TGradientForm::showEvent(event);
  if (shown_ || event->spontaneous()) return;
  shown_ = true;
  FormShow();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (closed_) {
    event->accept();
    return;
  }
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  RunCommand(this, [this] { FormClose(); });
  event->accept();
}

// ---- keys and fields ------------------------------------------------------------

bool TMainForm::CheckNumberKeyPress(QKeyEvent* event) { return IsEnterKey(event); }

void TMainForm::ABANumberChange() {
  // Told at once but never in a box: a number half typed is no error yet,
  // and an empty one says nothing until the check is printed.
  QString text;
  bool sound = false;
  switch (CheckRoutingNumber(ABANumber->text().toStdString())) {
    case RoutingStatus::kEmpty:
      break;
    case RoutingStatus::kNotNineDigits:
      text = QStringLiteral("Routing number: not 9 digits");
      break;
    case RoutingStatus::kWrongCheckDigit:
      text = QStringLiteral("Routing number: wrong check digit");
      break;
    case RoutingStatus::kValid:
      text = QStringLiteral("Routing number: check digit correct");
      sound = true;
      break;
  }
  QPalette palette = ABACheck->palette();
  palette.setColor(QPalette::WindowText, sound ? QColor(0, 110, 0) : QColor(190, 0, 0));
  ABACheck->setPalette(palette);
  ABACheck->setText(text);
}

void TMainForm::AmountNumbersChange() {
  AmountEnglish->setText(QString::fromStdString(
      AmountInWords(vz::Real48::From(AmountNumbers->Value()))));
}

CheckValues TMainForm::FormValues() const {
  CheckValues v;
  for (const CheckRecordField& f : CheckRecord()) {
    if (f.input != CheckInput::kText) continue;
    v.text[f.name] = findChild<QLineEdit*>(QLatin1String(f.edit))->text().toStdString();
  }
  v.amount = AmountNumbers->Value();
  const QDate date = TransDate->Date();
  v.date = CheckDate{date.year(), date.month(), date.day()};
  return v;
}

CheckFields TMainForm::CalibrationFields() const {
  CheckValues values = FormValues();
  const CheckValues& sample = SampleCheck();
  for (auto& [field, text] : values.text) {
    if (text.empty()) text = sample.Text(field);
  }
  if (values.amount == 0) values.amount = sample.amount;
  if (CheckDateText(values.date).empty()) values.date = sample.date;
  return PrintFields(values);
}

PrinterOffset TMainForm::StoredOffset(const QPrinter& printer) const {
  return ReadPrinterOffset(plat::IniFile(ini_path_), OffsetPrinterName(printer).toStdString());
}

CheckFields TMainForm::Fields() const {
  CheckFields f = PrintFields(FormValues());
  // The figures as the amount field shows them, even while its text is
  // not a valid amount.
  f.amount_text = AmountNumbers->FormattedText().toStdString();
  return f;
}

bool TMainForm::AnythingChanged() const {
  for (const QLineEdit* edit : TextEdits()) {
    if (edit->isModified()) return true;
  }
  return AmountNumbers->IsModified() || TransDate->IsModified();
}

void TMainForm::ClearChangeMarks() {
  for (QLineEdit* edit : TextEdits()) edit->setModified(false);
  AmountNumbers->SetModified(false);
  TransDate->SetModified(false);
}

// ---- commands -------------------------------------------------------------------

QPrinter* TMainForm::Printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return printer_.get();
}

bool TMainForm::MicrLineMayPrint(const std::vector<CheckFields>& checks, QWidget* over) {
  QString faults;
  int faulty = 0;
  for (const CheckFields& check : checks) {
    const std::vector<std::string> problems = MicrLineProblems(check);
    if (problems.empty()) continue;
    ++faulty;
    // Among several checks each fault names its check.
    if (checks.size() > 1) {
      faults += QStringLiteral("\nCheck %1 to %2:")
                    .arg(QString::fromStdString(check.check_number), QString::fromStdString(check.payee));
    }
    for (const std::string& problem : problems) faults += QStringLiteral("\n") + QString::fromStdString(problem);
  }
  if (faulty == 0) return true;
  const QString text =
      checks.size() == 1
          ? QStringLiteral("The bank may not be able to read this check's MICR line:\n%1\n\nPrint the check anyway?")
                .arg(faults)
          : QStringLiteral("The bank may not be able to read the MICR line of %1 of these %2 checks:\n%3\n\n"
                           "Print the checks anyway?")
                .arg(faulty)
                .arg(checks.size())
                .arg(faults);
  return ShowMessage(over, text, MsgType::kConfirmation, MsgButtons::kYesNo) == MsgResult::kYes;
}

void TMainForm::PrintChecks(const std::vector<CheckFields>& checks, QWidget* over) {
  RunCommand(over, [this, &checks, over] {
    // Asked before the print dialog, so that No leaves the checks to be
    // put right at once.
    if (!MicrLineMayPrint(checks, over)) return;
    QPrinter* printer = Printer();
    if (!Messages().ExecPrintDialog(printer, over)) return;  // cancelled: nothing printed
    printer_figures_ = ReadPrinterFigures(*printer);
    const PrintStatus status =
        qp::PrintChecks(printer, checks, MicrDrawing::kFontWhenInstalled, StoredOffset(*printer));
    if (status.outcome == PrintOutcome::kFailed) ShowMessage(over, status.message, MsgType::kError);
  });
}

void TMainForm::PreviewChecks(const std::vector<CheckFields>& checks, QWidget* over) {
  RunCommand(over, [this, &checks, over] {
    qp::PreviewChecks(
        Printer(), checks, over, [over](const QString& message) { ShowMessage(over, message, MsgType::kError); },
        [this](const QPrinter& printer) { return StoredOffset(printer); });
  });
}

void TMainForm::PrintBtnClick() { PrintChecks({Fields()}, this); }

void TMainForm::PrintCheck1Click() { PrintBtnClick(); }

void TMainForm::PrintPreview1Click() { PreviewChecks({Fields()}, this); }

void TMainForm::PrinterOffsets1Click() {
  RunCommand(this, [this] {
    TPrinterOffsetsForm dialog(Printer(), ini_path_, CalibrationFields(), this);
    dialog.exec();
  });
}

bool TMainForm::DuplicateMayBeSaved(const CheckValues& check) {
  // As the table will hold them: through the code page, then trimmed as
  // the MICR line trims them.
  auto stored = [](const std::string& text) { return vz::TrimBoth(FromTableText(ToTableText(text))); };
  const std::string number = stored(check.Text("checknum"));
  if (number.empty()) return true;
  const std::string account = stored(check.Text("acctnum"));
  std::vector<StoredCheck> records;
  // A table that cannot be read has been reported; the check stays
  // unsaved in the form.
  if (!ReadStoredChecks(*Checks_, {}, &records)) return false;
  for (const StoredCheck& r : records) {
    if (r.deleted || vz::TrimBoth(r.values.Text("checknum")) != number ||
        vz::TrimBoth(r.values.Text("acctnum")) != account) {
      continue;
    }
    const QString text =
        QStringLiteral("Check number %1 of account %2 is already in the table:\n\n%3, %4, %5\n\n"
                       "Save this check anyway?")
            .arg(QString::fromStdString(number),
                 account.empty() ? QStringLiteral("(none)") : QString::fromStdString(account),
                 QString::fromStdString(r.values.Text("payee")),
                 QString::fromStdString(CheckDateText(r.values.date)),
                 QString::fromStdString(AmountFigures(r.values.amount)));
    return ShowMessage(this, text, MsgType::kConfirmation, MsgButtons::kYesNo) == MsgResult::kYes;
  }
  return true;
}

void TMainForm::SaveCheckClick() {
  RunCommand(this, [this] {
    if (!AnythingChanged()) return;
    const CheckValues check = FormValues();
    // Asked before the record buffer is filled: No leaves the table, the
    // form and its change marks as they were.
    if (!DuplicateMayBeSaved(check)) return;
    vz::TTzDbf& checks = *Checks_;
    PutCheck(checks, check);

    if (!checks.ALock()) {
      // The marks stay: the check is still unsaved, and Save must append
      // it once the lock is free.
      ShowMessage(this, QStringLiteral("Cannot lock file to add record"), MsgType::kError);
      return;
    }
    checks.Append();
    checks.UnLock();
    ClearChangeMarks();
  });
}

void TMainForm::ClearCheckClick() {
  for (QLineEdit* edit : TextEdits()) edit->setText(QString());
  // Set by the program: no change event, so the words stay empty.
  AmountNumbers->SetValue(0);
  TransDate->SetDate(QDate::currentDate());
}

void TMainForm::packClick() {
  RunCommand(this, [this] {
    if (ShowMessage(this, QStringLiteral("Remove Records marked for Deletion?"),
                    MsgType::kConfirmation, MsgButtons::kYesNo) != MsgResult::kYes) {
      return;
    }
    if (Checks_->Pack()) {
      ShowMessage(this, QStringLiteral("Records Removed"), MsgType::kInformation);
    } else {
      ShowMessage(this, QStringLiteral("Cannot Remove Records, Exclusive File Access Required"),
                  MsgType::kInformation);
    }
  });
}

void TMainForm::ShowTableWindow(const QString& caption) {
  ViewDataForm->setWindowTitle(caption);
  // However it closes (OK, a double click, the close box), the record the
  // grid stands on is the table's current record.
  ViewDataForm->exec();
}

void TMainForm::LoadCheckClick() {
  RunCommand(this, [this] {
    ShowTableWindow(QStringLiteral("Load Check From Database"));
    // An empty table has no check to load; the form keeps what it shows.
    if (Checks_->DataSet()->IsEmpty()) return;
    const CheckValues v = GetCheck(*Checks_);
    for (const CheckRecordField& f : CheckRecord()) {
      switch (f.input) {
        case CheckInput::kText:
          findChild<QLineEdit*>(QLatin1String(f.edit))->setText(QString::fromStdString(v.Text(f.name)));
          break;
        case CheckInput::kAmount:
          // Set by the program: no change event, so the words stay as loaded.
          AmountNumbers->SetValue(v.amount);
          break;
        case CheckInput::kDate:
          // A stored date that is no date leaves the field as it was.
          if (v.date.year != 0) TransDate->SetDate(QDate(v.date.year, v.date.month, v.date.day));
          break;
        case CheckInput::kNotes:
          break;
      }
    }
  });
}

void TMainForm::ViewChecksClick() {
  RunCommand(this, [this] { ShowTableWindow(QStringLiteral("View Check Database")); });
}

void TMainForm::ViewastableClick() { ViewChecksClick(); }

void TMainForm::CheckNotesClick() {
  RunCommand(this, [this] {
    vz::TTzDataSet* ds = Checks_->DataSet();
    TTzMemo* memo = NotesForm->notes1;
    memo->document()->setModified(false);
    const bool save = NotesForm->exec() == QDialog::Accepted && memo->document()->isModified();
    if (save) {
      // The lock first: when it is refused, nothing of the typed notes goes
      // into the record.
      if (Checks_->RLock()) {
        ds->UpdateRecord();  // the memo's lines become the record's new note
        Checks_->Replace();
        Checks_->UnLock();
      } else {
        ShowMessage(this, QStringLiteral("Cannot lock record, may be in use elsewhere..."),
                    MsgType::kError);
      }
    }
    // What the window left of an edit (the record is written or not, as
    // decided above) must not linger for the grid or the next Save.
    if (ds->State() == vz::dsEdit || ds->State() == vz::dsInsert) ds->Cancel();
  });
}

void TMainForm::HelpBtnClick() {
  // The viewer finds the file by the program's folder, whatever the
  // current folder became meanwhile.
  plat::SetCurrentDirectory(plat::ProgramFolder());
  ShowHelpContents(HelpFilePath(), this);
}

void TMainForm::Contents1Click() { HelpBtnClick(); }

void TMainForm::About1Click() {
  TAboutBox box(this);
  box.exec();
}

void TMainForm::ExitBtnClick() { close(); }

void TMainForm::Exit1Click() { close(); }

}  // namespace qp
