// Printer offsets in the INI file: the bytes written for several printers
// (names an INI file cannot hold included), reading them back, and what a
// hand-edited value reads as.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "output/printeroffset.h"
#include "platform/ini.h"
#include "tests/support/tempdir.h"

namespace {

class PrinterOffsetIniTest : public qptest::TempDirTest {};

TEST_F(PrinterOffsetIniTest, EachPrinterKeepsItsOwnOffsetsAndOtherEntriesSurvive) {
  const std::string path = Path("quillprint.ini");
  qptest::WriteAll(path, "[Version]\nVersion=1.30\n");
  plat::IniFile ini(path);
  const std::map<std::string, qp::PrinterOffset> offsets = {
      {"HP_LaserJet_4", {1500, -800}},
      {"Office]Printer=2 ;#%", {25400, -25400}},
      {"PDF", {0, 0}},
      {"Too far", {30000, -99999}},  // clamped to one inch
  };
  ASSERT_EQ(qp::WritePrinterOffsets(ini, offsets, qp::OffsetUnit::kMillimetres), 0);
  EXPECT_EQ(qptest::ReadAll(path),
            "[Version]\nVersion=1.30\n"
            "\n[Printer Offsets]\nUnits=mm\n"
            "\n[Printer Offsets HP_LaserJet_4]\nHorizontal=1.5 mm\nVertical=-0.8 mm\n"
            "\n[Printer Offsets Office%5DPrinter%3D2%20%3B%23%25]\nHorizontal=25.4 mm\nVertical=-25.4 mm\n"
            "\n[Printer Offsets PDF]\nHorizontal=0 mm\nVertical=0 mm\n"
            "\n[Printer Offsets Too%20far]\nHorizontal=25.4 mm\nVertical=-25.4 mm\n");

  EXPECT_EQ(qp::ReadPrinterOffset(ini, "HP_LaserJet_4"), (qp::PrinterOffset{1500, -800}));
  EXPECT_EQ(qp::ReadPrinterOffset(ini, "Office]Printer=2 ;#%"), (qp::PrinterOffset{25400, -25400}));
  EXPECT_EQ(qp::ReadPrinterOffset(ini, "Too far"), (qp::PrinterOffset{25400, -25400}));
  EXPECT_EQ(qp::ReadPrinterOffset(ini, "Never set up"), (qp::PrinterOffset{}));
  EXPECT_EQ(qp::ReadOffsetUnit(ini, qp::OffsetUnit::kInches), qp::OffsetUnit::kMillimetres);
  EXPECT_EQ(qp::ReadOffsetUnit(plat::IniFile(Path("none.ini")), qp::OffsetUnit::kInches),
            qp::OffsetUnit::kInches);
}

TEST_F(PrinterOffsetIniTest, HandEditedValueReads) {
  const std::pair<const char*, int> cases[] = {
      {"1.5 mm", 1500}, {"+0.75", 750}, {"-2MM", -2000}, {"0.04 in", 1016}, {"-0.125IN", -3175},
      {"40 mm", 25400}, {"-2 in", -25400}, {"abc", 0}, {"", 0}, {"mm", 0}, {"1.5 cm", 0}, {"1,5", 0},
      {"1e3", 0}, {"nan", 0}, {"- 1", 0}};
  for (const auto& [text, microns] : cases) {
    const std::string path = Path("quillprint.ini");
    qptest::WriteAll(path, std::string("[printer offsets lp0]\nhorizontal = ") + text + "\nVertical=1 mm\n");
    const qp::PrinterOffset offset = qp::ReadPrinterOffset(plat::IniFile(path), "lp0");
    EXPECT_EQ(offset.horizontal_um, microns) << text;
    EXPECT_EQ(offset.vertical_um, 1000);
  }
}

}  // namespace
