// The check table behind the main window: made on the first run, what Save
// writes and when, Save against another program's lock, Pack, and the table
// closing with the window; checked on the bytes of checks.dbf.
#include <QDir>
#include <QToolButton>
#include <QtTest>

#include <memory>

#include "components/tzdbf.h"
#include "controls/entry/datefield.h"
#include "controls/entry/numericfield.h"
#include "deskhelpers.h"
#include "platform/file.h"

using qp::TMainForm;
using qptest::CloseWindow;
using qptest::DbfImage;
using qptest::Padded;
using qptest::Patch;
using qptest::ReadDbf;
using qptest::ShowActive;
using qptest::Type;

constexpr int64_t kFileLockProbe = 0x40000001;  // inside the engine's lock range

class TestCheckTable : public QObject {
  Q_OBJECT

 private slots:
  void init() { fx_ = std::make_unique<qptest::AppFixture>(); }
  void cleanup() { fx_.reset(); }

  // The table is made on the first run, held open with the window (No to
  // the close question keeps it) and closed with it; a second start opens it.
  void firstRunMakesTheTable() {
    TMainForm form;
    QVERIFY(form.Checks()->Active());
    QVERIFY(QFileInfo::exists(fx_->Path("checks.dbt")));
    const DbfImage dbf = ReadDbf(fx_->Path("checks.dbf"));
    QVERIFY(dbf.ok);
    QCOMPARE(dbf.count, 0u);
    QStringList fields;
    for (const qptest::DbfField& f : dbf.fields) {
      const QString name = QString::fromStdString(f.name).toLower();
      fields << QString("%1 %2 %3.%4").arg(name).arg(f.type).arg(f.length).arg(f.decimals);
    }
    QCOMPARE(fields, QStringList({"payee C 40.0", "amtenglish C 40.0", "checknum C 9.0", "amtnumbers F 10.2",
                                  "chkdate C 8.0", "acctnum C 20.0", "abanum C 9.0", "bcity C 30.0",
                                  "bstate C 2.0", "bzip C 10.0", "baddress C 35.0", "bname C 35.0",
                                  "pfirstname C 20.0", "plastname C 30.0", "paddress C 40.0", "pcity C 30.0",
                                  "pstate C 2.0", "pzip C 10.0", "notes M 10.0"}));
    plat::File probe;
    QCOMPARE(probe.Open(fx_->PathStd("checks.dbf"), plat::kModeExclusive), plat::kSharingViolation);
    fx_->msgs->Answer(qp::MsgResult::kNo);
    form.close();
    QVERIFY(form.Checks()->Active());
    CloseWindow(form, *fx_);
    QVERIFY(!form.Checks()->Active());
    QCOMPARE(probe.Open(fx_->PathStd("checks.dbf"), plat::kModeExclusive), plat::kOk);
    probe.Close();
    TMainForm again;
    QVERIFY(again.Checks()->Active());
    QVERIFY(fx_->exits.empty());
  }

  void saveWritesTheCheck_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("chkdate");
    QTest::newRow("American") << "MM/dd/yy" << "12/05/98";
    // The year must survive a format with four year digits.
    QTest::newRow("American with century") << "MM/dd/yyyy" << "12/05/98";
    QTest::newRow("German with century") << "dd.MM.yyyy" << "05.12.98";
  }

  void saveWritesTheCheck() {
    QFETCH(QString, format);
    QFETCH(QString, chkdate);
    fx_.reset();
    fx_ = std::make_unique<qptest::AppFixture>(format.toStdString());
    {
      TMainForm form;
      QVERIFY(ShowActive(&form));
      Type(form, form.FirstEdit, "Anna");
      Type(form, form.LastEdit, QString("Müller"));
      Type(form, form.StateEdit, "IL");
      Type(form, form.BankName, "First Prairie Savings Bank");
      Type(form, form.ABANumber, "123456780");
      Type(form, form.AccountNumber, "4021887365");
      Type(form, form.CheckNumber, "1047");
      Type(form, form.PayeeNameEdit, QString(35, 'P'));
      Type(form, form.AmountNumbers, "1234.5");
      form.TransDate->SetDate(QDate(1998, 12, 5));
      QTest::mouseClick(form.SaveCheck, Qt::LeftButton);
      QVERIFY(fx_->msgs->messages().empty());
      QCOMPARE(form.Checks()->RecCount(), 1);
      CloseWindow(form, *fx_);
    }
    const DbfImage dbf = ReadDbf(fx_->Path("checks.dbf"));
    QVERIFY(dbf.ok);
    QCOMPARE(dbf.count, 1u);
    QVERIFY(!dbf.Deleted(0));
    // Code page 437; the words, longer than the field, cut at 40 characters.
    for (const auto& [field, value] : {std::pair{"PFIRSTNAME", Padded("Anna", 20)}, {"PLASTNAME", Padded("M\x81ller", 30)},
                                       {"PSTATE", "IL"}, {"PADDRESS", Padded("", 40)},
                                       {"BNAME", Padded("First Prairie Savings Bank", 35)}, {"ABANUM", "123456780"},
                                       {"ACCTNUM", Padded("4021887365", 20)}, {"CHECKNUM", Padded("1047", 9)},
                                       {"PAYEE", Padded(std::string(35, 'P'), 40)},
                                       {"AMTENGLISH", "One Thousand Two Hundred Thirty-Four and"},
                                       {"AMTNUMBERS", "   1234.50"}, {"CHKDATE", chkdate.toStdString()}}) {
      QCOMPARE(dbf.Value(0, field), value);
    }
  }

  void saveOnlyAfterChanges_data() {
    QTest::addColumn<QString>("steps");  // t: type in a field, a: type an amount,
                                         // d: step the date, s: Save, c: Clear
    QTest::addColumn<int>("records");
    QTest::newRow("nothing typed") << "s" << 0;
    QTest::newRow("Save twice") << "tss" << 1;
    QTest::newRow("typing between the Saves") << "tsts" << 2;
    QTest::newRow("amount alone") << "as" << 1;
    QTest::newRow("date alone") << "ds" << 1;
    QTest::newRow("Clear leaves nothing to save") << "tcs" << 0;
  }

  void saveOnlyAfterChanges() {
    QFETCH(QString, steps);
    QFETCH(int, records);
    TMainForm form;
    QVERIFY(ShowActive(&form));
    for (QChar step : steps) {
      switch (step.toLatin1()) {
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
    QCOMPARE(form.Checks()->RecCount(), records);
    QVERIFY(fx_->msgs->messages().empty());
  }

  void saveWhileAnotherProgramHoldsTheLock() {
    TMainForm form;
    QVERIFY(ShowActive(&form));
    plat::File other;
    QCOMPARE(other.Open(fx_->PathStd("checks.dbf"), plat::kModeShared), plat::kOk);
    QCOMPARE(other.Lock(kFileLockProbe, 1), plat::kOk);

    Type(form, form.PayeeNameEdit, "Acme");
    form.SaveCheckClick();
    QCOMPARE(fx_->msgs->messages().size(), size_t{1});
    QCOMPARE(fx_->msgs->messages().front().text, QString("Cannot lock file to add record"));
    QCOMPARE(fx_->msgs->messages().front().type, qp::MsgType::kError);
    QCOMPARE(form.Checks()->RecCount(), 0);

    // Once the lock is free the same Save appends the check: the refused
    // Save must not have taken the changes for saved.
    QCOMPARE(other.Unlock(kFileLockProbe, 1), plat::kOk);
    form.SaveCheckClick();
    QCOMPARE(fx_->msgs->messages().size(), size_t{1});
    QCOMPARE(form.Checks()->RecCount(), 1);
    form.SaveCheckClick();
    QCOMPARE(form.Checks()->RecCount(), 1);
    other.Close();
    CloseWindow(form, *fx_);
    const DbfImage dbf = ReadDbf(fx_->Path("checks.dbf"));
    QCOMPARE(dbf.count, 1u);
    QCOMPARE(dbf.Value(0, "PAYEE"), Padded("Acme", 40));
  }

  void newCheckTakesNoNotesFromTheCurrentRecord() {
    SaveChecks({"Old check"});
    // The old check gets notes (memo block 7); opening the table makes it
    // the current record.
    const DbfImage before = ReadDbf(fx_->Path("checks.dbf"));
    QCOMPARE(before.count, 1u);
    QVERIFY(Patch(fx_->Path("checks.dbf"), before.At(0, "NOTES"), "         7"));
    SaveChecks({"New check"});
    const DbfImage dbf = ReadDbf(fx_->Path("checks.dbf"));
    QCOMPARE(dbf.count, 2u);
    QCOMPARE(dbf.Value(0, "NOTES"), std::string("         7"));
    QCOMPARE(dbf.Value(1, "PAYEE"), Padded("New check", 40));
    QCOMPARE(QByteArray::fromStdString(dbf.Value(1, "NOTES")).trimmed().toInt(), 0);
  }

  void pack_data() {
    QTest::addColumn<int>("saved");        // checks saved first; the first is then marked deleted
    QTest::addColumn<bool>("yes");         // the answer to the question
    QTest::addColumn<bool>("sharedOpen");  // another handle has the table open
    QTest::addColumn<QString>("message");  // after the question, "" for none
    QTest::addColumn<int>("left");         // records afterwards

    const QString removed = "Records Removed";
    const QString refused = "Cannot Remove Records, Exclusive File Access Required";
    QTest::newRow("answered No") << 2 << false << false << "" << 2;
    QTest::newRow("alone") << 2 << true << false << removed << 1;
    QTest::newRow("table open elsewhere") << 2 << true << true << refused << 2;
    QTest::newRow("no records") << 0 << true << false << refused << 0;
  }

  void pack() {
    QFETCH(int, saved);
    QFETCH(bool, yes);
    QFETCH(bool, sharedOpen);
    QFETCH(QString, message);
    QFETCH(int, left);
    SaveChecks(saved == 0 ? QStringList() : QStringList({"Payee 0", "Payee 1"}));
    if (saved > 0) {
      // Marked deleted as the table window's grid would.
      const DbfImage before = ReadDbf(fx_->Path("checks.dbf"));
      QCOMPARE(before.count, uint32_t(saved));
      QVERIFY(Patch(fx_->Path("checks.dbf"), before.header, "*"));
    }
    fx_->msgs->Clear();

    TMainForm form;
    plat::File other;
    if (sharedOpen) QCOMPARE(other.Open(fx_->PathStd("checks.dbf"), plat::kModeShared), plat::kOk);
    fx_->msgs->Answer(yes ? qp::MsgResult::kYes : qp::MsgResult::kNo);
    form.pack->trigger();

    const auto& boxes = fx_->msgs->messages();
    QCOMPARE(int(boxes.size()), message.isEmpty() ? 1 : 2);
    QCOMPARE(boxes[0].text, QString("Remove Records marked for Deletion?"));
    QCOMPARE(boxes[0].type, qp::MsgType::kConfirmation);
    QCOMPARE(boxes[0].buttons, qp::MsgButtons::kYesNo);
    if (!message.isEmpty()) {
      QCOMPARE(boxes[1].text, message);
      QCOMPARE(boxes[1].type, qp::MsgType::kInformation);
    }
    QCOMPARE(form.Checks()->RecCount(), left);
    QVERIFY(fx_->exits.empty());
    other.Close();
    CloseWindow(form, *fx_);

    const DbfImage dbf = ReadDbf(fx_->Path("checks.dbf"));
    QCOMPARE(int(dbf.count), left);
    if (left == 1) {
      QCOMPARE(dbf.Value(0, "PAYEE"), Padded("Payee 1", 40));
      QVERIFY(!dbf.Deleted(0));
    }
  }

  // The program once never started the memo manager: no note could be read
  // or written, and Pack left every dead note in checks.dbt.
  void packRemovesTheNotesOfRemovedChecksOnly() {
    SaveChecks({"Payee 0", "Payee 1", "Payee 2"});
    const vz::TStrings long_note = {std::string(2000, 'x'), "end"};  // several blocks
    {
      TMainForm form;
      vz::TTzDbf* checks = form.Checks();
      vz::TTzDataSet* ds = checks->DataSet();
      ds->First();
      for (const char* note : {"Note of payee 0", "Note of payee 1"}) {
        vz::TStrings lines = long_note;
        lines.insert(lines.begin(), note);
        ds->FieldByName("notes")->SetLines(lines);
        QVERIFY(checks->RLock());
        checks->Replace();
        checks->UnLock();
        ds->Next();
      }
      QVERIFY(fx_->exits.empty());
      CloseWindow(form, *fx_);
    }
    QVERIFY(Patch(fx_->Path("checks.dbf"), ReadDbf(fx_->Path("checks.dbf")).header, "*"));
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
    QVERIFY(fx_->exits.empty());
    CloseWindow(form, *fx_);
  }

  void unusableTableHalts_data() {
    QTest::addColumn<bool>("folder");
    QTest::newRow("not a table") << false;
    QTest::newRow("a folder of that name") << true;
  }

  void unusableTableHalts() {
    QFETCH(bool, folder);
    if (folder) {
      QVERIFY(QDir(fx_->dir.path()).mkdir("checks.dbf"));
    } else {
      QVERIFY(Patch(fx_->Path("checks.dbf"), 0, "this is no dBASE table at all, just some text"));
    }
    TMainForm form;
    QVERIFY(!fx_->exits.empty());
    QVERIFY(fx_->exits.front() != 0);
    const qp::RecordedMessage& box = fx_->msgs->messages().back();
    QCOMPARE(box.caption, QString("Program halted."));
    QCOMPARE(box.type, qp::MsgType::kStop);
    QVERIFY2(box.text.startsWith("Error # "), qPrintable(box.text));
  }

 private:
  // Saves one check per payee in a window of its own, closed afterwards.
  void SaveChecks(const QStringList& payees) {
    TMainForm form;
    QVERIFY(ShowActive(&form));
    for (const QString& payee : payees) {
      Type(form, form.PayeeNameEdit, payee);
      form.SaveCheckClick();
    }
    CloseWindow(form, *fx_);
  }

  std::unique_ptr<qptest::AppFixture> fx_;
};

QTEST_MAIN(TestCheckTable)
#include "tst_checktable.moc"
