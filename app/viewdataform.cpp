// TViewDataForm: the window's build-up in pixels and its 17 grid columns,
// as they were designed.
#include "app/viewdataform.h"

#include <QFrame>
#include <QPushButton>
#include <QResizeEvent>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

#include "components/tzdbf.h"
#include "controls/navigator.h"
#include "controls/tzgrid.h"

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

}  // namespace

TViewDataForm::TViewDataForm(vz::TTzDbf* checks, QWidget* parent) : QDialog(parent) {
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
  TzGrid1->EndLayout();
  TzGrid1->OnDblClick = [this](vz::TObject*) { TzGrid1DblClick(); };

  TzNavigator1 = new TTzNavigator(this);
  TzNavigator1->setObjectName(QStringLiteral("TzNavigator1"));
  TzNavigator1->SetBounds(24, 312, 241, 25);

  BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), this);
  BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
  BitBtn1->setGeometry(416, 312, 75, 25);
  BitBtn1->setDefault(true);
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

  TzGrid1->SetDataSource(checks);
  TzNavigator1->SetDataSource(checks);
}

TViewDataForm::~TViewDataForm() {
  // The links detach before the table component goes.
  TzGrid1->SetDataSource(nullptr);
  TzNavigator1->SetDataSource(nullptr);
}

void TViewDataForm::TzGrid1DblClick() { accept(); }

void TViewDataForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
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
  TzNavigator1->move(24, height() - kBar + 15);
  BitBtn1->move(416, height() - kBar + 15);
}

}  // namespace qp
