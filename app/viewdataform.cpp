// TViewDataForm: the window's build-up in pixels and its 17 grid columns,
// as they were designed.
#include "app/viewdataform.h"

#include <algorithm>

#include <QDir>
#include <QFrame>
#include <QPushButton>
#include <QSaveFile>
#include <QResizeEvent>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

#include "app/checkrecord.h"
#include "app/positivepay.h"
#include "components/tzdbf.h"
#include "controls/navigator.h"
#include "controls/tzgrid.h"
#include "engine/fieldbuf.h"
#include "platform/qt/messages.h"

namespace qp {

namespace {

// The designed columns: every field of the check record but the amount in
// words and the notes. Titles are centred unless given otherwise.
struct ColumnDesign {
  const char* field;
  const char* title;
  vz::TAlignment title_alignment = vz::taCenter;
  vz::TAlignment cell_alignment = vz::taLeftJustify;
  bool cell_alignment_given = false;
  int width = 0;  // 0: the column's default width
};

const ColumnDesign kColumns[] = {
    {"payee", "Payee", vz::taCenter, vz::taCenter, true},
    {"checknum", "Check #", vz::taLeftJustify},
    {"amtnumbers", "Amount", vz::taLeftJustify},
    {"chkdate", "Date"},
    {"acctnum", "Acct. Num"},
    {"abanum", "ABA Num"},
    {"bcity", "Bank City"},
    {"bstate", "Bank State"},
    {"bzip", "Bank Zip"},
    {"baddress", "Bank Address"},
    {"bname", "Bank Name"},
    {"pfirstname", "Payor First"},
    {"plastname", "Payor Last"},
    {"paddress", "Payor Address"},
    {"pcity", "Payor City"},
    {"pstate", "Payor State", vz::taCenter, vz::taLeftJustify, false, 70},
    {"pzip", "Payor Zip", vz::taCenter, vz::taLeftJustify, false, 69},
};

// The bar under the grid, left to right from the navigator's end: the
// window's own buttons, then OK.
constexpr int kBarButtonTop = 312;
constexpr int kPrintLeft = 272;
constexpr int kPreviewLeft = 329;
constexpr int kExportLeft = 386;
constexpr int kOkLeft = 460;

}  // namespace

TViewDataForm::TViewDataForm(vz::TTzDbf* checks, QWidget* parent) : QDialog(parent), checks_(checks) {
  setObjectName(QStringLiteral("ViewDataForm"));
  setWindowTitle(QStringLiteral("View Check Database"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setGeometry(123, 139, 544, 375);

  auto* panel = new QFrame(this);
  panel_ = panel;
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setGeometry(0, 0, width(), 297);
  auto* panel_layout = new QVBoxLayout(panel);
  panel_layout->setContentsMargins(0, 0, 0, 0);
  TzGrid1 = new TTzGrid(panel);
  TzGrid1->setObjectName(QStringLiteral("TzGrid1"));
  TzGrid1->SetName("TzGrid1");
  panel_layout->addWidget(TzGrid1);

  TzGrid1->BeginLayout();
  for (const ColumnDesign& design : kColumns) {
    TTzColumn* column = TzGrid1->Columns()->Add();
    column->SetFieldName(design.field);
    column->Title().SetCaption(design.title);
    column->Title().SetAlignment(design.title_alignment);
    if (design.cell_alignment_given) column->SetAlignment(design.cell_alignment);
    if (design.width > 0) column->SetWidth(design.width);
  }
  TzGrid1->SetBooleanBox(bbCheckBox);
  TzGrid1->SetDepressDisabled(false);
  TzGrid1->SetFixedColumns(0);
  TzGrid1->SetOptions(TzGrid1->Options() | dgMultiSelect);
  TzGrid1->EndLayout();
  TzGrid1->OnDblClick = [this](vz::TObject*) { TzGrid1DblClick(); };

  TzNavigator1 = new TTzNavigator(this);
  TzNavigator1->setObjectName(QStringLiteral("TzNavigator1"));
  TzNavigator1->SetBounds(24, 312, 241, 25);

  BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), this);
  BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
  BitBtn1->setGeometry(kOkLeft, kBarButtonTop, 75, 25);
  BitBtn1->setDefault(true);
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

  // The window's own buttons on the bar, left to right.
  const struct {
    QPushButton** button;
    const char* name;
    const char* caption;
    const char* tip;
    int left;
    int width;
    void (TViewDataForm::*click)();
  } bar[] = {
      {&PrintBtn, "PrintBtn", "&Print", "Print the chosen checks, or the current one, one check per page",
       kPrintLeft, 54, &TViewDataForm::PrintBtnClick},
      {&PreviewBtn, "PreviewBtn", "Pre&view", "Show the chosen checks, or the current one, as they will print",
       kPreviewLeft, 54, &TViewDataForm::PreviewBtnClick},
      {&ExportBtn, "ExportBtn", "&Export...", "Write the chosen checks, or all, to a positive-pay file for the bank",
       kExportLeft, 66, &TViewDataForm::ExportBtnClick},
  };
  for (const auto& b : bar) {
    auto* button = new QPushButton(QString::fromUtf8(b.caption), this);
    button->setObjectName(QLatin1String(b.name));
    button->setGeometry(b.left, kBarButtonTop, b.width, 25);
    button->setAutoDefault(false);
    button->setToolTip(QString::fromUtf8(b.tip));
    connect(button, &QPushButton::clicked, this, b.click);
    *b.button = button;
  }

  TzGrid1->SetDataSource(checks);
  TzNavigator1->SetDataSource(checks);
}

TViewDataForm::~TViewDataForm() {
  // The links detach before the table component goes.
  TzGrid1->SetDataSource(nullptr);
  TzNavigator1->SetDataSource(nullptr);
}

void TViewDataForm::TzGrid1DblClick() { accept(); }

namespace {

// The record numbers of the grid's chosen rows in table order: the table
// component's bookmark is the record number.
std::vector<int32_t> ChosenRows(const TTzGrid& grid) {
  std::vector<int32_t> records;
  for (const std::string& row : grid.SelectedRows()) {
    records.push_back(vz::SlotInt32(reinterpret_cast<const uint8_t*>(row.data())));
  }
  std::sort(records.begin(), records.end());
  return records;
}

}  // namespace

std::vector<int32_t> TViewDataForm::ChosenRecords() const {
  std::vector<int32_t> records = ChosenRows(*TzGrid1);
  if (records.size() < 2) records.clear();
  return records;
}

bool TViewDataForm::ChecksToPrint(std::vector<CheckFields>* checks) {
  // Unlike Export, one chosen check is printed alone.
  const std::vector<int32_t> chosen = ChosenRows(*TzGrid1);
  if (chosen.empty()) {
    // An empty table has no check to print.
    if (checks_->DataSet()->IsEmpty()) return true;
    checks->push_back(PrintFields(GetCheck(*checks_)));
    return true;
  }
  std::vector<StoredCheck> records;
  if (!ReadStoredChecks(*checks_, chosen, &records)) return false;  // reported by the engine
  for (const StoredCheck& record : records) checks->push_back(PrintFields(record.values));
  return true;
}

void TViewDataForm::RunChecksJob(const ChecksJob& job) {
  TzGrid1->Guarded([this, &job] {
    std::vector<CheckFields> checks;
    if (!job || !ChecksToPrint(&checks) || checks.empty()) return;
    job(checks, this);
  });
}

void TViewDataForm::PrintBtnClick() { RunChecksJob(OnPrintChecks); }

void TViewDataForm::PreviewBtnClick() { RunChecksJob(OnPreviewChecks); }

void TViewDataForm::ExportBtnClick() {
  TzGrid1->Guarded([this] {
    const std::vector<int32_t> chosen = ChosenRecords();
    const QString caption =
        chosen.empty() ? QStringLiteral("Export All Checks for Positive Pay")
                       : QStringLiteral("Export the %1 Chosen Checks for Positive Pay").arg(chosen.size());
    const QString path = Messages().SaveFileName(this, caption, QDir::current().filePath(QStringLiteral("positive-pay.csv")),
                                                 QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty()) return;  // cancelled: nothing written
    std::vector<StoredCheck> records;
    if (!ReadStoredChecks(*checks_, chosen, &records)) return;  // reported by the engine
    const std::string csv = PositivePayCsv(records);
    // Written beside and renamed over: a failed export leaves an earlier
    // file of that name whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv.data(), static_cast<qint64>(csv.size())) !=
                                                 static_cast<qint64>(csv.size()) ||
        !file.commit()) {
      ShowMessage(this, QStringLiteral("Could not write %1:\n%2").arg(path, file.errorString()), MsgType::kError);
      return;
    }
    ShowMessage(this,
                records.size() == 1 ? QStringLiteral("1 check written to %1").arg(path)
                                    : QStringLiteral("%1 checks written to %2").arg(records.size()).arg(path),
                MsgType::kInformation);
  });
}

void TViewDataForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Each showing starts with nothing chosen: the records may have been
  // packed and renumbered since.
  TzGrid1->ClearSelection();
  // The keys belong to the grid (arrows, Ctrl+Delete), whatever had the
  // focus when the window was last closed.
  TzGrid1->setFocus();
}

void TViewDataForm::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  // As designed at 544 by 375; a larger window (maximised, say) gives the
  // grid all the room, and the bar below keeps its height.
  constexpr int kBar = 375 - 297;
  panel_->setGeometry(0, 0, width(), height() - kBar);
  const int top = height() - kBar + (kBarButtonTop - 297);
  TzNavigator1->move(24, top);
  PrintBtn->move(kPrintLeft, top);
  PreviewBtn->move(kPreviewLeft, top);
  ExportBtn->move(kExportLeft, top);
  BitBtn1->move(kOkLeft, top);
}

}  // namespace qp
