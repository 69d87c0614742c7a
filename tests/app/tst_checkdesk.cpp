// The check desk as a new user meets it, from the first run to a pack; the
// duplicate question, the positive-pay export, printing from the table
// window, and two copies of the program on one folder (the second is this
// binary started with --other-program); and what each step leaves in checks.dbf.
#include <QToolButton>
#include <QLabel>
#include <QPushButton>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QTimer>
#include <QtTest>

#include <map>
#include <memory>

#include "app/notesform.h"
#include "app/viewdataform.h"
#include "appfixture.h"
#include "components/tzdbf.h"
#include "controls/entry/datefield.h"
#include "controls/memo.h"
#include "controls/tzgrid.h"
#include "tests/support/pdftools.h"

using qp::TMainForm;
using qptest::CloseWindow;
using qptest::DbfImage;
using qptest::Padded;
using qptest::ShowActive;
using qptest::Type;
using qptest::TypeCheck;
using qptest::WhenShown;

constexpr int64_t kFileLockProbe = 0x40000001;  // inside the engine's lock range

namespace {

// Types and saves a sample check for each payee, numbered from `number`.
void SaveSamples(TMainForm& form, const QStringList& payees, int number = 1047) {
  for (const QString& payee : payees) {
    TypeCheck(form, payee, QString::number(number++));
    form.SaveCheckClick();
  }
}

// The payees the table window's grid shows, top to bottom, read while it
// is open.
QStringList GridPayees(TMainForm& form) {
  QStringList payees;
  WhenShown(form.ViewDataForm, [&] {
    vz::TTzDataSet* ds = form.Checks()->DataSet();
    const int active = ds->ActiveRecord();
    for (int row = 0; row < ds->RecordCount(); ++row) {
      ds->SetActiveRecord(row);
      payees << QString::fromStdString(ds->FieldByName("payee")->AsString());
    }
    ds->SetActiveRecord(active);
    form.ViewDataForm->accept();
  });
  form.ViewChecksClick();
  return payees;
}

// The second copy of the program: saves a check for `payee`, says "saved"
// and, after a line on its input, lists the grid's payees; then holds the
// record lock of the last check until its input ends.
int OtherProgram(const QString& folder, const QString& payee) {
  qptest::AppFixture fx("MM/dd/yy", folder);
  QTextStream out(stdout);
  QTextStream in(stdin);
  TMainForm form;
  SaveSamples(form, {payee}, 2);
  out << "saved" << Qt::endl;
  in.readLine();
  out << GridPayees(form).join(',') << Qt::endl;
  form.Checks()->DataSet()->Last();
  out << (form.Checks()->RLock() ? "locked" : "refused") << Qt::endl;
  in.readLine();
  fx.msgs->Answer(qp::MsgResult::kYes);
  form.close();
  return fx.exits.empty() ? 0 : 1;
}

}  // namespace

class TestCheckDesk : public QObject {
  Q_OBJECT

 private slots:
  void init() { qptest::Renew(fx_); }
  void cleanup() { qptest::Finish(fx_); }

  void newUserSavesListsReloadsAnnotatesDeletesAndPacks() {
    TMainForm form;
    QVERIFY(ShowActive(&form));
    const QStringList payees = {"Sangamon Valley Plumbing", "Prairie State Electric", "Lincoln Land Roofing"};
    SaveSamples(form, payees);
    QCOMPARE(GridPayees(form), payees);

    // Load: up one row in the grid, closed with the close box; View as
    // Table after a Load has the View caption again.
    form.ClearCheckClick();
    QStringList captions;
    WhenShown(form.ViewDataForm, [&] {
      captions << form.ViewDataForm->windowTitle();
      QTest::keyClick(form.ViewDataForm->TzGrid1, Qt::Key_Up);
      form.ViewDataForm->close();
    });
    form.LoadCheckClick();
    QCOMPARE(form.PayeeNameEdit->text(), payees[1]);
    QCOMPARE(form.CheckNumber->text(), QString("1048"));
    QCOMPARE(form.AmountNumbers->Value(), 1248.50);
    WhenShown(form.ViewDataForm, [&] {
      captions << form.ViewDataForm->windowTitle();
      form.ViewDataForm->accept();
    });
    form.Viewastable->trigger();
    QCOMPARE(captions, QStringList({"Load Check From Database", "View Check Database"}));

    // Notes of the current record (1048): Cancel writes nothing, Save does,
    // but not when nothing was typed.
    for (const auto& [typed, save] : {std::pair{"Not this", false}, {"Paid by phone", true}, {"", true}}) {
      const QByteArray before = fx_->Read("checks.dbf");
      WhenShown(form.NotesForm, [&] {
        QCOMPARE(form.NotesForm->PayeeLbl->text(), QString("Payor: Margaret Whitfield"));
        QCOMPARE(form.NotesForm->ChecknumLbl->text(), QString("Check #: 1048"));
        QTest::keyClicks(form.NotesForm->notes1, typed);
        (save ? form.NotesForm->SaveBtn : form.NotesForm->CancelBtn)->click();
      });
      form.CheckNotesClick();
      QCOMPARE(fx_->Read("checks.dbf") == before, !save || *typed == 0);
    }
    QCOMPARE(form.Checks()->DataSet()->FieldByName("notes")->Lines(), vz::TStrings{"Paid by phone"});

    // A check saved now takes nothing of the notes of the current record;
    // Ctrl+Delete in the grid marks it and Pack removes it (what Pack keeps
    // of the file is checked on its own below).
    SaveSamples(form, {"Fourth Payee"}, 1050);
    QCOMPARE(QByteArray::fromStdString(fx_->Dbf().Value(3, "NOTES")).trimmed().toInt(), 0);
    fx_->msgs->Answer(qp::MsgResult::kOk);
    WhenShown(form.ViewDataForm, [&] {
      QTest::keyClick(form.ViewDataForm->TzGrid1, Qt::Key_Delete, Qt::ControlModifier);
      form.ViewDataForm->accept();
    });
    form.ViewChecksClick();
    QCOMPARE(fx_->msgs->messages().back().text, QString("Delete Record ?"));
    QVERIFY(fx_->Dbf().Deleted(3));
    fx_->msgs->Answer(qp::MsgResult::kYes);
    form.pack->trigger();
    QCOMPARE(fx_->msgs->messages().back().text, QString("Records Removed"));
    QCOMPARE(GridPayees(form), payees);
  }

  // The table keeps 40 characters of the words; Load once put those 40 on
  // the check, which then printed a cut amount.
  void loadGivesTheWholeAmountInWords() {
    TMainForm form;
    QVERIFY(ShowActive(&form));
    const QString words = "Nine Million Nine Hundred Ninety-Nine Thousand Nine Hundred Ninety-Nine and 99/100";
    const QString edited = words.left(38) + "Tx";  // as long as the field, edited by the user
    const QString own = "Ninety-Nine Dollars";
    for (const auto& [typed, loaded] : {std::pair{QString(), words}, {edited, edited}, {own, own}}) {
      Type(form, form.AmountNumbers, "9999999.99");
      if (!typed.isEmpty()) Type(form, form.AmountEnglish, typed);
      form.SaveCheckClick();
      form.ClearCheckClick();
      WhenShown(form.ViewDataForm, [&] { form.ViewDataForm->accept(); });
      form.LoadCheckClick();
      QCOMPARE(form.AmountEnglish->text(), loaded);
    }
  }

  // A check number the table already has for the account is asked about;
  // No stores nothing and leaves the form, its marks and the table's
  // current record alone.
  void saveAsksAboutADuplicateCheckNumber() {
    const auto yes = qp::MsgResult::kYes, no = qp::MsgResult::kNo, none = qp::MsgResult(-1);  // none: not asked
    const struct { const char *number, *account; bool first_deleted; qp::MsgResult answer; } cases[] = {
        {"1047", "4021887365", false, yes}, {"1047", "4021887365", false, no},
        {" 1047", "4021887365 ", false, no},  // blanks around the number
        {"1047", "4021887366", false, none},  // another account
        {"1047", "4021887365", true, none}};  // the earlier check deleted
    for (const auto& c : cases) {
      qptest::Renew(fx_);
      TMainForm form;
      QVERIFY(ShowActive(&form));
      form.TransDate->SetDate(QDate(2025, 3, 14));
      SaveSamples(form, {"First Payee", "Second Payee"});
      vz::TTzDataSet* ds = form.Checks()->DataSet();
      if (c.first_deleted) {
        ds->First();
        QVERIFY(ds->Delete());
        ds->Last();
      }
      fx_->msgs->Clear();
      TypeCheck(form, "Third Payee", c.number);
      Type(form, form.AccountNumber, c.account);
      if (c.answer != none) fx_->msgs->Answer(c.answer);
      const QByteArray before = fx_->Read("checks.dbf");
      form.SaveCheckClick();

      const QString asked = "Check number 1047 of account 4021887365 is already in the table:\n\n"
                            "First Payee, 03/14/25, 1248.50\n\nSave this check anyway?";
      QCOMPARE(fx_->Told(), c.answer != none ? QStringList{asked} : QStringList());
      const bool saved = c.answer != no;
      QCOMPARE(fx_->Dbf().Stored(), saved ? 3 : 2);  // the header's count is written at the close
      if (!saved) {
        QCOMPARE(fx_->Read("checks.dbf"), before);
        QVERIFY(form.PayeeNameEdit->isModified());
        QCOMPARE(form.Checks()->GetCField("payee"), Padded("Second Payee", 40));
      }
    }
  }

  // The bank's file from the table window, as Python's csv module reads
  // it, and byte for byte what `quilltable positive-pay` writes.
  void exportWritesThePositivePayFile() {
    const QString header = "check_number|date|payee|amount|account_number|routing_number|status";
    const QString first = "1047|2025-03-14|Sangamon Valley Plumbing, Inc.|1248.50|4021887365|123456780|issued";
    const QString second = "1048|2024-12-31|Prairie \"State\" Electric|5.05|4021887365|123456780|void";
    const QString third = QString::fromUtf8("1049|2025-01-02|Über Röofing|0.00|4021887365|123456780|issued");
    ExportChecks({}, "Export All Checks for Positive Pay", {header, first, second, third});
    qptest::Renew(fx_);
    ExportChecks({2}, "Export the 2 Chosen Checks for Positive Pay", {header, first, third});
  }

  // Rows chosen with Shift+arrows print as one job: a check per page in
  // table order, each from its record with the words whole, after one
  // question about the MICR lines of them all.
  void printTheChecksChosenInTheTableWindow() {
    TMainForm form;
    QVERIFY(ShowActive(&form));
    const QStringList payees = {"Sangamon Valley Plumbing", "Prairie Electric", "Lincoln Roofing", "Not Chosen"};
    for (int i = 0; i < payees.size(); ++i) {
      TypeCheck(form, payees[i], QString::number(1047 + i));
      Type(form, form.AccountNumber, i == 1 ? "40218A7365" : "4021887365");
      form.SaveCheckClick();
    }
    const QString pdf = fx_->PrintTo("chosen.pdf");
    int preview_pages = 0;
    fx_->msgs->Clear();
    fx_->msgs->Answer(qp::MsgResult::kYes);
    WhenShown(form.ViewDataForm, [&] {
      TTzGrid* grid = form.ViewDataForm->TzGrid1;
      // Chosen from the third row upwards; printed in table order.
      QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                        grid->CellRect(2, grid->TitleOffset() + 2).center());
      QTest::keyClick(grid, Qt::Key_Up, Qt::ShiftModifier);
      QTest::keyClick(grid, Qt::Key_Up, Qt::ShiftModifier);
      form.ViewDataForm->PrintBtn->click();
      // The preview shows the same pages.
      QTimer::singleShot(0, [&] {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        auto* view = preview ? preview->findChild<QPrintPreviewWidget*>() : nullptr;
        preview_pages = view ? view->pageCount() : -1;
        if (preview) preview->reject();
      });
      form.ViewDataForm->PreviewBtn->click();
      form.ViewDataForm->accept();
    });
    form.ViewChecksClick();
    QCOMPARE(fx_->msgs->print_dialogs(), 1);
    QCOMPARE(int(fx_->msgs->messages().size()), 1);
    const QString question = fx_->msgs->messages()[0].text;
    QVERIFY2(question.startsWith("The bank may not be able to read the MICR line of 1 of these 3 checks:\n\n"
                                 "Check 1048 to Prairie Electric:\n"),
             qPrintable(question));
    const QString words = "One Thousand Two Hundred Forty-Eight and 50/100";  // longer than the table keeps
    QCOMPARE(qptest::PdfPages(pdf), 3);
    QCOMPARE(preview_pages, 3);
    for (int page = 1; page <= 3; ++page) {
      const QString got = qptest::PdfText(pdf, page);
      for (const QString& wanted : {payees[page - 1], QString::number(1046 + page), words}) {
        QVERIFY2(got.contains(wanted), qPrintable(QString("page %1 lacks %2: %3").arg(page).arg(wanted, got)));
      }
    }
  }

  // Each copy sees the other's checks; a note on a check the other copy
  // holds locked is refused and nothing is written, not even at the close.
  void twoProgramsShareTheTable() {
    QProcess other;
    other.start(QCoreApplication::applicationFilePath(), {"--other-program", fx_->dir.path(), "Other Copy"});
    QVERIFY(other.waitForReadyRead(20000));
    QCOMPARE(other.readLine().trimmed(), QByteArray("saved"));
    TMainForm form;
    TypeCheck(form, "This Copy", "1");
    form.SaveCheckClick();
    QCOMPARE(GridPayees(form), QStringList({"Other Copy", "This Copy"}));
    other.write("view\n");
    QVERIFY(other.waitForReadyRead(20000));
    QCOMPARE(other.readLine().trimmed(), QByteArray("Other Copy,This Copy"));
    QVERIFY(other.canReadLine() || other.waitForReadyRead(20000));
    QCOMPARE(other.readLine().trimmed(), QByteArray("locked"));

    const QByteArray before = fx_->Read("checks.dbf"), memo_before = fx_->Read("checks.dbt");
    fx_->msgs->Clear();
    WhenShown(form.NotesForm, [&] {
      QTest::keyClicks(form.NotesForm->notes1, "Never stored");
      form.NotesForm->SaveBtn->click();
    });
    form.CheckNotesClick();
    QCOMPARE(fx_->Told(), QStringList{"Cannot lock record, may be in use elsewhere..."});
    QCOMPARE(fx_->msgs->messages()[0].type, qp::MsgType::kError);
    QCOMPARE(fx_->Read("checks.dbf"), before);
    QCOMPARE(form.Checks()->DataSet()->FieldByName("notes")->AsString(), std::string("none"));
    other.closeWriteChannel();
    QVERIFY(other.waitForFinished(20000));
    QCOMPARE(other.exitCode(), 0);
    CloseWindow(form, *fx_);
    QCOMPARE(fx_->Read("checks.dbt"), memo_before);  // nothing written at the close either
    QCOMPARE(QByteArray::fromStdString(fx_->Dbf().Value(1, "NOTES")).trimmed().toInt(), 0);
  }

  // The table is made on the first run, held open with the window (No to
  // the close question keeps it) and closed with it; a second start opens
  // it. The year must survive a date format with four year digits.
  void firstRunMakesTheTableAndSaveWritesTheCheck() {
    qptest::Renew(fx_, "MM/dd/yyyy");
    {
      TMainForm form;
      QVERIFY(form.Checks()->Active());
      QVERIFY(QFileInfo::exists(fx_->Path("checks.dbt")));
      const DbfImage empty = fx_->Dbf();
      QVERIFY(empty.ok);
      QCOMPARE(empty.count, 0u);
      QCOMPARE(empty.fields.size(), qp::CheckRecord().size());
      for (size_t i = 0; i < empty.fields.size(); ++i) {
        const qp::CheckRecordField& want = qp::CheckRecord()[i];
        const qptest::DbfImage::Field& got = empty.fields[i];
        QVERIFY2(got.name == QString(want.name).toUpper().toStdString() && got.type == want.type &&
                     got.length == want.length && got.decimals == want.decimals,
                 want.name);
      }
      plat::File probe;
      QCOMPARE(probe.Open(fx_->PathStd("checks.dbf"), plat::kModeExclusive), plat::kSharingViolation);
      QVERIFY(ShowActive(&form));
      fx_->msgs->Answer(qp::MsgResult::kNo);
      form.close();
      QVERIFY(form.Checks()->Active());
      TypeCheck(form, QString(35, 'P'), "1047");
      Type(form, form.LastEdit, QString("Müller"));
      Type(form, form.AmountNumbers, "1234.5");
      form.TransDate->SetDate(QDate(1998, 12, 5));
      QTest::mouseClick(form.SaveCheck, Qt::LeftButton);
      QCOMPARE(int(fx_->msgs->messages().size()), 1);  // the close question
      QCOMPARE(form.Checks()->RecCount(), 1);
      CloseWindow(form, *fx_);
      QVERIFY(!form.Checks()->Active());
      QCOMPARE(probe.Open(fx_->PathStd("checks.dbf"), plat::kModeExclusive), plat::kOk);
    }
    const DbfImage dbf = fx_->Dbf();
    QVERIFY(dbf.ok);
    QCOMPARE(dbf.count, 1u);
    QVERIFY(!dbf.Deleted(0));
    // Code page 437; the words, longer than the field, cut at 40 characters.
    std::map<std::string, std::string> want = {{"plastname", Padded("M\x81ller", 30)},
                                               {"payee", Padded(std::string(35, 'P'), 40)},
                                               {"amtenglish", "One Thousand Two Hundred Thirty-Four and"},
                                               {"amtnumbers", "   1234.50"}, {"chkdate", "12/05/98"}};
    for (const qp::CheckRecordField& f : qp::CheckRecord()) {
      if (f.input == qp::CheckInput::kText) want.try_emplace(f.name, Padded(qp::SampleCheck().Text(f.name), f.length));
      if (want.count(f.name)) QCOMPARE(dbf.Value(0, f.name), want[f.name]);
    }
    TMainForm again;
    QVERIFY(again.Checks()->Active());
    QCOMPARE(again.Checks()->RecCount(), 1);
  }

  void saveOnlyAfterChanges() {
    // t: type in a field, a: type an amount, d: step the date, s: Save, c: Clear
    for (const auto& [steps, records] : {std::pair{"s", 0}, {"tssts", 2}, {"asds", 2}, {"tcs", 0}}) {
      qptest::Renew(fx_);
      TMainForm form;
      QVERIFY(ShowActive(&form));
      for (const char* step = steps; *step != 0; ++step) {
        switch (*step) {
          case 't': Type(form, form.CityEdit, "x"); break;
          case 'a': Type(form, form.AmountNumbers, "5"); break;
          case 'd':
            form.Notebook1->setCurrentIndex(2);
            form.TransDate->setFocus();
            QTest::keyClicks(form.TransDate, "122425");
            QCOMPARE(form.TransDate->Date(), QDate(2025, 12, 24));
            break;
          case 's': form.SaveCheckClick(); break;
          case 'c': form.ClearCheckClick(); break;
        }
      }
      QVERIFY2(form.Checks()->RecCount() == records, steps);
      QVERIFY(fx_->msgs->messages().empty());
    }
  }

  void saveWhileAnotherProgramHoldsTheLock() {
    TMainForm form;
    QVERIFY(ShowActive(&form));
    plat::File other;
    QCOMPARE(other.Open(fx_->PathStd("checks.dbf"), plat::kModeShared), plat::kOk);
    QCOMPARE(other.Lock(kFileLockProbe, 1), plat::kOk);

    Type(form, form.PayeeNameEdit, "Acme");
    form.SaveCheckClick();
    QCOMPARE(fx_->Told(), QStringList{"Cannot lock file to add record"});
    QCOMPARE(fx_->msgs->messages().front().type, qp::MsgType::kError);
    QCOMPARE(form.Checks()->RecCount(), 0);

    // Once the lock is free the same Save appends the check: the refused
    // Save must not have taken the changes for saved.
    QCOMPARE(other.Unlock(kFileLockProbe, 1), plat::kOk);
    form.SaveCheckClick();
    QCOMPARE(fx_->Told().size(), 1);
    QCOMPARE(form.Checks()->RecCount(), 1);
    other.Close();
    CloseWindow(form, *fx_);
    const DbfImage dbf = fx_->Dbf();
    QCOMPARE(dbf.count, 1u);
    QCOMPARE(dbf.Value(0, "PAYEE"), Padded("Acme", 40));
  }

  // Pack asks first, and needs the table to itself and something in it;
  // what a pack removes is the story's and the notes' test.
  void packRefuses() {
    // checks saved first (the first then marked deleted), the answer, another handle has the table open
    for (const auto& [saved, yes, shared_open] : {std::tuple{2, false, false}, {2, true, true}, {0, true, false}}) {
      qptest::Renew(fx_);
      SaveChecks(saved == 0 ? QStringList() : QStringList({"Payee 0", "Payee 1"}));
      if (saved > 0) QVERIFY(fx_->Patch("checks.dbf", fx_->Dbf().header, "*"));  // as the grid would
      fx_->msgs->Clear();
      TMainForm form;
      plat::File other;
      if (shared_open) QCOMPARE(other.Open(fx_->PathStd("checks.dbf"), plat::kModeShared), plat::kOk);
      fx_->msgs->Answer(yes ? qp::MsgResult::kYes : qp::MsgResult::kNo);
      form.pack->trigger();
      QStringList told = {"Remove Records marked for Deletion?"};
      if (yes) told << "Cannot Remove Records, Exclusive File Access Required";
      QCOMPARE(fx_->Told(), told);
      QCOMPARE(fx_->msgs->messages()[0].buttons, qp::MsgButtons::kYesNo);
      QCOMPARE(form.Checks()->RecCount(), saved);
      other.Close();
      CloseWindow(form, *fx_);
      QCOMPARE(int(fx_->Dbf().count), saved);
    }
  }

  // The program once never started the memo manager: no note could be read
  // or written, and Pack left every dead note in checks.dbt.
  void packRemovesTheNotesOfRemovedChecksOnly() {
    SaveChecks({"Payee 0", "Payee 1", "Payee 2"});
    {
      TMainForm form;
      vz::TTzDbf* checks = form.Checks();
      checks->DataSet()->First();
      for (const char* note : {"Note of payee 0", "Note of payee 1"}) {
        checks->DataSet()->FieldByName("notes")->SetLines({note, std::string(2000, 'x'), "end"});  // several blocks
        QVERIFY(checks->RLock());
        checks->Replace();
        checks->UnLock();
        checks->DataSet()->Next();
      }
      CloseWindow(form, *fx_);
    }
    QVERIFY(fx_->Patch("checks.dbf", fx_->Dbf().header, "*"));
    const qint64 memo_before = QFileInfo(fx_->Path("checks.dbt")).size();

    TMainForm form;
    fx_->msgs->Answer(qp::MsgResult::kYes);
    form.pack->trigger();
    QCOMPARE(fx_->msgs->messages().back().text, QString("Records Removed"));
    QVERIFY(QFileInfo(fx_->Path("checks.dbt")).size() < memo_before);
    vz::TTzDataSet* ds = form.Checks()->DataSet();
    ds->First();
    QCOMPARE(ds->FieldByName("payee")->AsString(), std::string("Payee 1"));
    QCOMPARE(ds->FieldByName("notes")->Lines().front(), std::string("Note of payee 1"));
    QCOMPARE(ds->FieldByName("notes")->Lines().back(), std::string("end"));
    ds->Next();
    QCOMPARE(ds->FieldByName("notes")->AsString(), std::string("none"));
    CloseWindow(form, *fx_);
  }

 private:
  // Saves three checks, voids the second, Ctrl-clicks the grid rows
  // `chosen` besides the current one in the table window and exports.
  void ExportChecks(const QList<int>& chosen, const QString& caption, const QStringList& rows) {
    TMainForm form;
    QVERIFY(ShowActive(&form));
    int number = 1047;
    for (const auto& [payee, date, amount] : {std::tuple{"Sangamon Valley Plumbing, Inc.", QDate(2025, 3, 14), "1248.50"},
                                              {"Prairie \"State\" Electric", QDate(2024, 12, 31), "5.05"},
                                              {"Über Röofing", QDate(2025, 1, 2), "0"}}) {
      TypeCheck(form, QString::fromUtf8(payee), QString::number(number++));
      Type(form, form.AmountNumbers, amount);
      form.TransDate->SetDate(date);
      form.SaveCheckClick();
    }
    vz::TTzDataSet* ds = form.Checks()->DataSet();
    ds->First();
    ds->Next();
    QVERIFY(ds->Delete());
    ds->First();

    const QString path = fx_->Path("bank.csv");
    fx_->msgs->Clear();
    fx_->msgs->AnswerSaveFile(path);
    WhenShown(form.ViewDataForm, [&] {
      TTzGrid* grid = form.ViewDataForm->TzGrid1;
      for (int row : chosen) {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          grid->CellRect(2, grid->TitleOffset() + row).center());
      }
      form.ViewDataForm->ExportBtn->click();
      form.ViewDataForm->accept();
    });
    form.ViewChecksClick();
    QCOMPARE(fx_->msgs->save_dialogs(), std::vector<QString>{caption});
    QCOMPARE(fx_->msgs->messages().back().text,
             QString("%1 checks written to %2").arg(rows.size() - 1).arg(path));

    QByteArray read;
    const char* reader = "import csv, sys\nfor row in csv.reader(open(sys.argv[1], newline='', encoding='utf-8')):"
                         " print('|'.join(row))";
    QVERIFY(qptest::RunTool("/usr/bin/python3", {"-c", reader, path}, &read));
    QCOMPARE(QString::fromUtf8(read).split('\n', Qt::SkipEmptyParts), rows);

    if (chosen.isEmpty()) {
      qunsetenv("LC_ALL");
      qputenv("LANG", "en_US.UTF-8");
      QVERIFY(qptest::RunTool(QUILLTABLE_PATH, {"positive-pay", fx_->Path("checks.dbf")}, &read));
      QCOMPARE(read, fx_->Read("bank.csv"));
    }
  }

  // Saves a sample check per payee in a window of its own, closed afterwards.
  void SaveChecks(const QStringList& payees, int number = 1047) {
    TMainForm form;
    SaveSamples(form, payees, number);
    CloseWindow(form, *fx_);
  }

  std::unique_ptr<qptest::AppFixture> fx_;
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc >= 4 && QByteArray(argv[1]) == "--other-program") {
    return OtherProgram(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
  }
  TestCheckDesk test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_checkdesk.moc"
