// Speed and memory of the data grid over the check table, offscreen, at the
// table window's size (536 x 297) with its 17 columns, on a shared
// checks.dbf of each size given (by default 1,000,000 and 1,000 records),
// side by side:
//
//   open + paint   the table component opened on the file (shared, as the
//                  program opens it), the grid made, bound to it and the
//                  whole window painted once (after a first paint of an
//                  empty grid has loaded Qt's fonts and style)
//   Page Down,     one key press each, handled and the grid painted again,
//   Page Up,       timed one by one over 1,000 presses (Page Up from where
//   Ctrl+End,      Page Down ended; Ctrl+End and Ctrl+Home alternate);
//   Ctrl+Home      median and 95th percentile
//   memory         resident memory after the first page, after paging with
//                  Page Down through the whole table, and the difference
//
// Each table is written once, through the engine's exclusive Append, into a
// new folder in the temporary directory, removed afterwards.
//
// Usage: grid_bench [records...] [--screenshot FILE.png]
//   --screenshot paints the grid over a table of 60 checks (one deleted,
//   the current record in edit) at 1x and 2x into FILE.png and FILE@2x.png
//   and measures nothing.
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/checkrecord.h"
#include "bench_common.h"
#include "components/messages.h"
#include "components/session.h"
#include "components/tzdbf.h"
#include "controls/tzgrid.h"
#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/fieldbuf.h"
#include "engine/real48.h"
#include "platform/file.h"

namespace {

using qpbench::Clock;

constexpr int kPresses = 1000;
constexpr int kGridWidth = 536;
constexpr int kGridHeight = 297;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "grid_bench: %s failed: %s\n", what.c_str(), vz::TakeMessage().c_str());
  std::exit(1);
}

// Resident memory in kilobytes.
long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      long kb = 0;
      status >> kb;
      return kb;
    }
    status.ignore(1 << 20, '\n');
  }
  return -1;
}

// checks.dbf with `records` checks: the sample check, each with a payee,
// number, amount and date of its own; every tenth marked deleted when
// `some_deleted`.
void WriteTable(const std::string& file, int records, bool some_deleted) {
  auto fields = qp::CheckTableStructure(/*with_notes=*/true);
  if (!vz::CreateDBF(file, fields)) Fail("CreateDBF");
  if (!vz::USE(file + " EXCLUSIVE")) Fail("USE");
  struct Text {
    uint8_t* slot;
    size_t length;
    std::string text;
  };
  std::vector<Text> texts;
  const qp::CheckValues& sample = qp::SampleCheck();
  for (const qp::CheckRecordField& f : qp::CheckRecord()) {
    if (f.input != qp::CheckInput::kText) continue;
    const int n = vz::FieldNo(f.name);
    texts.push_back({vz::FieldAddress(n), vz::FieldLen(n), qp::ToTableText(sample.Text(f.name))});
  }
  auto slot = [](const char* name) { return vz::FieldAddress(vz::FieldNo(name)); };
  auto length = [](const char* name) { return vz::FieldLen(vz::FieldNo(name)); };
  static const char* const kPayees[] = {"Sangamon Valley Plumbing & Heating", "Prairie State Electric",
                                        "Lincoln Land Roofing", "Capital City Hardware",
                                        "Route 66 Auto Repair"};
  for (int i = 1; i <= records; ++i) {
    vz::ClearRecord();
    for (const Text& t : texts) vz::SetSlotText(t.slot, t.length, t.text);
    const std::string n = std::to_string(i);
    vz::SetSlotText(slot("payee"), length("payee"), std::string(kPayees[i % 5]) + " #" + n);
    vz::SetSlotText(slot("checknum"), length("checknum"), n);
    vz::Real48::From(10 + (i % 997) * 1.25).Store(slot("amtnumbers"));
    char date[9];
    std::snprintf(date, sizeof date, "%02d/%02d/25", 1 + i % 12, 1 + i % 28);
    vz::SetSlotText(slot("chkdate"), length("chkdate"), date);
    vz::Append();
    if (some_deleted && i % 10 == 4) vz::DeleteRec();
    if (vz::ErrorCode() != 0) Fail("Append");
  }
  vz::USE("");
}

// The table window's columns.
void TableWindowColumns(TTzGrid* grid) {
  struct Column {
    const char* field;
    const char* title;
    vz::TAlignment title_alignment;
    int width;
  };
  static const Column kColumns[] = {
      {"payee", "Payee", vz::taCenter, 0},           {"checknum", "Check #", vz::taLeftJustify, 0},
      {"amtnumbers", "Amount", vz::taLeftJustify, 0}, {"chkdate", "Date", vz::taCenter, 0},
      {"acctnum", "Acct. Num", vz::taCenter, 0},      {"abanum", "ABA Num", vz::taCenter, 0},
      {"bcity", "Bank City", vz::taCenter, 0},        {"bstate", "Bank State", vz::taCenter, 0},
      {"bzip", "Bank Zip", vz::taCenter, 0},          {"baddress", "Bank Address", vz::taCenter, 0},
      {"bname", "Bank Name", vz::taCenter, 0},        {"pfirstname", "Payor First", vz::taCenter, 0},
      {"plastname", "Payor Last", vz::taCenter, 0},   {"paddress", "Payor Address", vz::taCenter, 0},
      {"pcity", "Payor City", vz::taCenter, 0},       {"pstate", "Payor State", vz::taCenter, 70},
      {"pzip", "Payor Zip", vz::taCenter, 69},
  };
  grid->BeginLayout();
  for (const Column& c : kColumns) {
    TTzColumn* column = grid->Columns()->Add();
    column->SetFieldName(c.field);
    column->Title().SetCaption(c.title);
    column->Title().SetAlignment(c.title_alignment);
    if (std::string(c.field) == "payee") column->SetAlignment(vz::taCenter);
    if (c.width) column->SetWidth(c.width);
  }
  grid->EndLayout();
  grid->SetBooleanBox(bbCheckBox);
  grid->SetDepressDisabled(false);
  grid->SetFixedColumns(0);
}

double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Setup {
  std::unique_ptr<vz::TComponent> form;
  vz::TTzDbf* table = nullptr;
  std::unique_ptr<QWidget> window;
  TTzGrid* grid = nullptr;
};

Setup Open(const std::string& file) {
  Setup s;
  s.form = std::make_unique<vz::TComponent>(nullptr);
  s.table = new vz::TTzDbf(s.form.get());
  s.table->SetName("Checks");
  s.table->DbfFields() = qp::CheckTableFields();
  s.table->SetDbfFileName(file);
  s.table->SetActive(true);
  if (!s.table->Active()) Fail("open");
  s.window = std::make_unique<QWidget>();
  s.window->resize(kGridWidth, kGridHeight);
  s.grid = new TTzGrid(s.window.get());
  s.grid->setGeometry(0, 0, kGridWidth, kGridHeight);
  TableWindowColumns(s.grid);
  s.grid->SetDataSource(s.table);
  s.window->show();
  s.grid->setFocus();
  return s;
}

void Press(TTzGrid* grid, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, mods);
  QApplication::sendEvent(grid, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods);
  QApplication::sendEvent(grid, &release);
  grid->viewport()->repaint();
}


struct Stats {
  double median = 0;
  double p95 = 0;
};

Stats Of(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  Stats s;
  s.median = samples[samples.size() / 2];
  s.p95 = samples[std::min(samples.size() - 1, samples.size() * 95 / 100)];
  return s;
}

struct Figures {
  int records = 0;
  double open_ms = 0;
  Stats page_down, page_up, ctrl_end, ctrl_home;
  long rss_first_kb = 0;
  long rss_after_kb = 0;
  int pages = 0;
};

Figures Measure(const std::string& folder, int records) {
  Figures f;
  f.records = records;
  const std::string file = folder + "/checks.dbf";
  WriteTable(file, records, false);

  const auto start = Clock::now();
  Setup s = Open(file);
  s.window->repaint();
  f.open_ms = Millis(Clock::now() - start);
  QApplication::processEvents();
  f.rss_first_kb = ResidentKb();

  auto timed = [&](int key, Qt::KeyboardModifiers mods) {
    const auto t = Clock::now();
    Press(s.grid, key, mods);
    return Millis(Clock::now() - t);
  };
  std::vector<double> samples;
  for (int i = 0; i < kPresses; ++i) samples.push_back(timed(Qt::Key_PageDown, Qt::NoModifier));
  f.page_down = Of(samples);
  samples.clear();
  for (int i = 0; i < kPresses; ++i) samples.push_back(timed(Qt::Key_PageUp, Qt::NoModifier));
  f.page_up = Of(samples);
  std::vector<double> ends;
  std::vector<double> homes;
  for (int i = 0; i < kPresses; ++i) {
    ends.push_back(timed(Qt::Key_End, Qt::ControlModifier));
    homes.push_back(timed(Qt::Key_Home, Qt::ControlModifier));
  }
  f.ctrl_end = Of(ends);
  f.ctrl_home = Of(homes);

  // Through the whole table, a page at a time.
  vz::TTzDataSet* ds = s.table->DataSet();
  while (!ds->Eof()) {
    Press(s.grid, Qt::Key_PageDown);
    ++f.pages;
    if (f.pages % 256 == 0) QApplication::processEvents();
  }
  QApplication::processEvents();
  f.rss_after_kb = ResidentKb();
  s.window.reset();
  s.form.reset();
  return f;
}

int Screenshot(const std::string& folder, const std::string& out) {
  const std::string file = folder + "/checks.dbf";
  WriteTable(file, 60, true);
  Setup s = Open(file);
  QApplication::processEvents();
  // A few records down, in edit, as a user changing a payee sees it.
  Press(s.grid, Qt::Key_Down);
  Press(s.grid, Qt::Key_Down);
  Press(s.grid, Qt::Key_Down);
  s.table->DataSet()->Edit();
  QApplication::processEvents();
  s.window->repaint();
  const QPixmap one = s.window->grab();
  QPixmap two(s.window->size() * 2);
  two.setDevicePixelRatio(2);
  two.fill(Qt::white);
  s.window->render(&two);
  std::string large = out;
  const size_t dot = large.rfind(".png");
  large.insert(dot == std::string::npos ? large.size() : dot, "@2x");
  if (!one.save(QString::fromStdString(out)) || !two.save(QString::fromStdString(large))) {
    std::fprintf(stderr, "grid_bench: cannot write %s\n", out.c_str());
    return 1;
  }
  std::printf("wrote %s and %s\n", out.c_str(), large.c_str());
  return 0;
}

void PrintRow(const char* label, const std::vector<Figures>& all, double (*value)(const Figures&),
              const char* unit) {
  std::printf("  %-28s", label);
  for (const Figures& f : all) std::printf(" %14.3f", value(f));
  std::printf("  %s\n", unit);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::vector<int> sizes;
  std::string screenshot;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--screenshot" && i + 1 < argc) {
      screenshot = argv[++i];
      continue;
    }
    char* fake[] = {argv[0], argv[i]};
    const int n = qpbench::RecordCount(2, fake, 0, "grid_bench [records...] [--screenshot FILE.png]");
    if (n < 1) return 2;
    sizes.push_back(n);
  }
  if (sizes.empty()) sizes = {1000000, 1000};

  vz::SetHaltHook([](const std::string& text, unsigned code) {
    std::fprintf(stderr, "grid_bench: engine error %u: %s\n", code, text.c_str());
    std::exit(1);
  });
  vz::ComponentLayer layer{vz::RegionalSettings{}};

  std::string templ = plat::TempDirectory() + "/qpgridbench-XXXXXX";
  if (!mkdtemp(templ.data())) return 1;
  const std::string folder = templ;
  int status = 0;
  if (!screenshot.empty()) {
    status = Screenshot(folder, screenshot);
  } else {
    double warm_ms = 0;
    {
      // Qt loads its fonts and the style on the first paint of all; the
      // program has done so long before it opens a table.
      const auto warm_start = Clock::now();
      QWidget warm;
      warm.resize(kGridWidth, kGridHeight);
      auto* grid = new TTzGrid(&warm);
      grid->resize(warm.size());
      TableWindowColumns(grid);
      warm.show();
      warm.repaint();
      QImage text(200, 40, QImage::Format_ARGB32_Premultiplied);
      QPainter painter(&text);
      painter.setFont(grid->font());
      painter.drawText(2, 30, QStringLiteral("Sangamon Valley Plumbing 0123456789"));
      warm_ms = Millis(Clock::now() - warm_start);
    }
    std::vector<Figures> all;
    for (int n : sizes) {
      const std::string sub = folder + "/" + std::to_string(n);
      std::filesystem::create_directory(sub);
      all.push_back(Measure(sub, n));
      std::filesystem::remove_all(sub);
    }
    std::printf("grid_bench: %dx%d grid, 17 columns, %d presses per key (ms unless noted)\n", kGridWidth,
                kGridHeight, kPresses);
    std::printf("  (Qt's first paint of a grid in this process, fonts and style loaded: %.1f ms)\n", warm_ms);
    std::printf("  %-28s", "records");
    for (const Figures& f : all) std::printf(" %14d", f.records);
    std::printf("\n");
    PrintRow("open + first paint", all, [](const Figures& f) { return f.open_ms; }, "ms");
    PrintRow("Page Down median", all, [](const Figures& f) { return f.page_down.median; }, "ms");
    PrintRow("Page Down p95", all, [](const Figures& f) { return f.page_down.p95; }, "ms");
    PrintRow("Page Up median", all, [](const Figures& f) { return f.page_up.median; }, "ms");
    PrintRow("Page Up p95", all, [](const Figures& f) { return f.page_up.p95; }, "ms");
    PrintRow("Ctrl+End median", all, [](const Figures& f) { return f.ctrl_end.median; }, "ms");
    PrintRow("Ctrl+End p95", all, [](const Figures& f) { return f.ctrl_end.p95; }, "ms");
    PrintRow("Ctrl+Home median", all, [](const Figures& f) { return f.ctrl_home.median; }, "ms");
    PrintRow("Ctrl+Home p95", all, [](const Figures& f) { return f.ctrl_home.p95; }, "ms");
    PrintRow("pages to the end", all, [](const Figures& f) { return double(f.pages); }, "presses");
    PrintRow("RSS after first page", all, [](const Figures& f) { return f.rss_first_kb / 1024.0; }, "MB");
    PrintRow("RSS after whole table", all, [](const Figures& f) { return f.rss_after_kb / 1024.0; }, "MB");
    PrintRow("RSS growth", all, [](const Figures& f) { return (f.rss_after_kb - f.rss_first_kb) / 1024.0; },
             "MB");
  }
  std::filesystem::remove_all(folder);
  return status;
}
