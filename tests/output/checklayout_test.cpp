// The check layout against a fake measuring device: item order, texts, fonts
// and positions, truncation of inch and page-width positions, trimming, and
// the MICR line text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/checklayout.h"
#include "platform/datefmt.h"

namespace {

using qp::CheckFields;
using qp::DrawItem;
using qp::PrinterFigures;
using qp::TextExtent;

// Widths grow with length and size; only "Wg" reports a line height, so a
// layout that measured anything else for its line spacing would be caught.
// 12 point: 120 pixels, 14 point: 140, 8 point: 80.
TextExtent FakeMeasure(std::string_view text, std::string_view, int point_size, bool bold) {
  const int width = static_cast<int>(text.size()) * point_size * 4;
  const int height = text == "Wg" ? point_size * 10 + (bold ? 1 : 0) : 3;
  return TextExtent{width, height};
}

CheckFields SampleFields() {
  CheckFields f;
  f.first_name = "Ada  ";
  f.last_name = "Lovelace ";
  f.address = " 12 St James's Square ";
  f.city = "London  ";
  f.state = "LN";
  f.zip = "SW1Y ";
  f.bank_name = "Coutts & Co";
  f.bank_address = "440 Strand";
  f.bank_city = "London";
  f.bank_state = "";
  f.bank_zip = "WC2R";
  f.aba_number = " 123456789 ";
  f.account_number = "987654";
  f.check_number = " 1001  ";
  f.date = qp::CheckDate{1998, 12, 5};
  f.payee = "Charles Babbage ";
  f.amount_words = "One Hundred Twenty Three and 45/100";
  f.amount_text = "123.45";
  return f;
}

// A 600 pixels-per-inch printer whose page width differs from its printable
// width, so that the two cannot be mixed up unnoticed.
PrinterFigures Printer600() { return PrinterFigures{4800, 5001, 600, 600}; }

class ShortDatePatternGuard {
 public:
  ShortDatePatternGuard() : saved_(plat::ShortDatePattern()) {}
  ~ShortDatePatternGuard() { plat::SetShortDatePattern(saved_); }

 private:
  std::string saved_;
};

TEST(CheckLayoutTest, TwentyItemsInDrawingOrderAt600PixelsPerInch) {
  ShortDatePatternGuard guard;
  plat::SetShortDatePattern("MM/dd/yy");
  const std::vector<DrawItem> items = qp::LayoutCheck(SampleFields(), Printer600(), FakeMeasure);

  const std::string ariel = "Ariel";
  const std::string micr = "MICR 013 BT";
  // Names and places lose their trailing blanks, the check number both ends;
  // addresses and the payee print as typed. "1001" at 14 point is
  // 4 * 14 * 4 = 224 pixels wide.
  const std::vector<DrawItem> expected = {
      {"Ada Lovelace", ariel, 12, false, 60, 60},
      {" 12 St James's Square ", ariel, 12, false, 60, 180},
      {"London LN SW1Y", ariel, 12, false, 60, 300},
      {"Coutts & Co", ariel, 12, false, 2500, 60},
      {"440 Strand", ariel, 12, false, 2500, 180},
      {"London  WC2R", ariel, 12, false, 2500, 300},
      {"1001", ariel, 14, false, 4800 - 224, 60},
      {"12/05/98", ariel, 12, false, 4200, 540},
      {"Pay To the Order of: Charles Babbage ", ariel, 12, false, 60, 720},
      {"The Sum of: One Hundred Twenty Three and 45/100  123.45", ariel, 12, false, 60, 900},
      {"MEMO", ariel, 12, false, 60, 1440},
      {"Telephone check payment", ariel, 8, false, 480, 1440},
      {"as per Ada Lovelace", ariel, 8, false, 480, 1520},
      {"Customer verbal authorization 12/05/98", ariel, 8, false, 480, 1600},
      {"SIGNATURE NOT REQUIRED", ariel, 14, false, 3000, 1200},
      {"Your depositor has authorized this payment to payee.", ariel, 8, false, 3000, 1340},
      {"Payee to hold you harmless for payment of this document.", ariel, 8, false, 3000, 1420},
      {"This document shall be deposited only to the credit of payee", ariel, 8, false, 3000,
       1500},
      {"and absence of endorsement is guaranteed by payee's bank.", ariel, 8, false, 3000, 1580},
      {"  C1001C A123456789A 987654C", micr, 17, true, 480, 1800},
  };
  ASSERT_EQ(items.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("item " + std::to_string(i + 1));
    EXPECT_EQ(items[i].text, expected[i].text);
    EXPECT_EQ(items[i].family, expected[i].family);
    EXPECT_EQ(items[i].point_size, expected[i].point_size);
    EXPECT_EQ(items[i].bold, expected[i].bold);
    EXPECT_EQ(items[i].x, expected[i].x);
    EXPECT_EQ(items[i].y, expected[i].y);
  }
}

// Positions for printers whose resolution does not divide evenly: the
// fraction is dropped, never rounded, and x and y use their own resolution.
struct TruncationCase {
  PrinterFigures printer;
  int bank_x, legal_x, date_x, date_y, memo_x, memo_y, micr_x, micr_y, top_y;
};

class CheckLayoutTruncationTest : public ::testing::TestWithParam<TruncationCase> {};

TEST_P(CheckLayoutTruncationTest, FractionsOfPixelsAreDropped) {
  const TruncationCase& c = GetParam();
  const std::vector<DrawItem> items = qp::LayoutCheck(SampleFields(), c.printer, FakeMeasure);
  ASSERT_EQ(items.size(), 20u);
  EXPECT_EQ(items[0].y, c.top_y);
  EXPECT_EQ(items[3].x, c.bank_x);
  EXPECT_EQ(items[3].y, c.top_y);
  EXPECT_EQ(items[6].y, c.top_y);
  EXPECT_EQ(items[7].x, c.date_x);
  EXPECT_EQ(items[7].y, c.date_y);
  EXPECT_EQ(items[11].x, c.memo_x);
  EXPECT_EQ(items[11].y, c.memo_y);
  EXPECT_EQ(items[14].x, c.legal_x);
  EXPECT_EQ(items[19].x, c.micr_x);
  EXPECT_EQ(items[19].y, c.micr_y);
}

INSTANTIATE_TEST_SUITE_P(
    Printers, CheckLayoutTruncationTest,
    ::testing::Values(
        // 96 ppi: 0.8 in is 76.8, 0.9 in 86.4, 2.4 in 230.4, 0.1 in 9.6.
        TruncationCase{{768, 768, 96, 96}, 384, 460, 672, 86, 76, 230, 76, 288, 9},
        // Odd page width: half of 4799 is 2399.5, 0.6 of it 2879.4.
        TruncationCase{{4799, 4799, 600, 600}, 2399, 2879, 4200, 540, 480, 1440, 480, 1800, 60},
        // Different resolutions across and down: y follows 72, x follows 120.
        TruncationCase{{960, 960, 120, 72}, 480, 576, 840, 64, 96, 172, 96, 216, 7},
        // A 1200 ppi printer with a page width that is not a multiple of 10.
        TruncationCase{{9793, 9793, 1200, 1200}, 4896, 5875, 8400, 1080, 960, 2880, 960, 3600,
                       120}),
    [](const ::testing::TestParamInfo<TruncationCase>& info) {
      return "Dpi" + std::to_string(info.param.printer.pixels_per_inch_x) + "x" +
             std::to_string(info.param.printer.pixels_per_inch_y) + "Page" +
             std::to_string(info.param.printer.page_width);
    });

// The date stands in items 8 and 14 as the short date text; without a valid
// date both carry none.
TEST(CheckLayoutTest, DatePrintedTwiceIsTheSameShortDateText) {
  ShortDatePatternGuard guard;
  const struct {
    const char* pattern;
    qp::CheckDate date;
    const char* text;
  } cases[] = {{"MM/dd/yy", {1998, 12, 5}, "12/05/98"},   {"dd.MM.yyyy", {1998, 12, 5}, "05.12.1998"},
               {"yyyy-MM-dd", {1998, 12, 5}, "1998-12-05"}, {"MM/dd/yy", {}, ""},
               {"MM/dd/yy", {2023, 2, 29}, ""},            {"MM/dd/yy", {2024, 13, 1}, ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " -> '" + c.text + "'");
    plat::SetShortDatePattern(c.pattern);
    CheckFields f = SampleFields();
    f.date = c.date;
    const std::vector<DrawItem> items = qp::LayoutCheck(f, Printer600(), FakeMeasure);
    EXPECT_EQ(items[7].text, c.text);
    EXPECT_EQ(items[13].text, std::string("Customer verbal authorization ") + c.text);
  }
}

TEST(CheckLayoutTest, AmountInWordsLongerThanTheTableFieldIsPrintedWhole) {
  CheckFields f = SampleFields();
  f.amount_words =
      "Nine Million Nine Hundred Ninety Nine Thousand Nine Hundred Ninety Nine and 99/100";
  ASSERT_GT(f.amount_words.size(), 40u);
  f.amount_text = "9999999.99";
  const PrinterFigures printer = Printer600();
  const std::vector<DrawItem> items = qp::LayoutCheck(f, printer, FakeMeasure);
  EXPECT_EQ(items[9].text, "The Sum of: " + f.amount_words + "  9999999.99");
}

// At 12 point the largest amount's line ran past the printable area and
// lost its figures; it now shrinks to the largest size that fits, and only
// it: the next item is back at 12 point.
TEST(CheckLayoutTest, AmountLineTooWideForThePageShrinksInsteadOfLosingItsFigures) {
  CheckFields f = SampleFields();
  f.amount_words =
      "Nine Million Nine Hundred Ninety Nine Thousand Nine Hundred Ninety Nine and 99/100";
  f.amount_text = "9999999.99";
  const PrinterFigures printer = Printer600();
  const std::vector<DrawItem> items = qp::LayoutCheck(f, printer, FakeMeasure);
  const DrawItem& sum = items[9];
  auto right_edge = [&](int size) { return sum.x + FakeMeasure(sum.text, sum.family, size, false).width; };
  EXPECT_LT(sum.point_size, qp::kCheckBasePointSize);
  EXPECT_LE(right_edge(sum.point_size), printer.printable_width);
  EXPECT_GT(right_edge(sum.point_size + 1), printer.printable_width);
  EXPECT_EQ(sum.family, qp::kCheckBaseFont);
  EXPECT_EQ(items[10].point_size, qp::kCheckBasePointSize);
  EXPECT_EQ(qp::LayoutCheck(SampleFields(), printer, FakeMeasure)[9].point_size, qp::kCheckBasePointSize);
}

TEST(CheckLayoutTest, EmptyFieldsStillPrintEveryItemAndTheMicrSymbols) {
  const PrinterFigures printer = Printer600();
  const std::vector<DrawItem> items = qp::LayoutCheck(CheckFields{}, printer, FakeMeasure);
  ASSERT_EQ(items.size(), 20u);
  EXPECT_EQ(items[0].text, " ");
  EXPECT_EQ(items[2].text, "  ");
  EXPECT_EQ(items[6].text, "");
  EXPECT_EQ(items[6].x, printer.printable_width);
  EXPECT_EQ(items[8].text, "Pay To the Order of: ");
  EXPECT_EQ(items[9].text, "The Sum of:   ");
  EXPECT_EQ(items[10].text, "MEMO");
  EXPECT_EQ(items[14].text, "SIGNATURE NOT REQUIRED");
  EXPECT_EQ(items[19].text, "  CC AA C");
}

// Leading blanks stay, as the user typed them.
TEST(CheckLayoutTest, NamesAndPlacesLoseOnlyTrailingBlanks) {
  const struct {
    const char *first, *last, *city, *state, *zip;
    const char *name_line, *place_line;
  } cases[] = {
      {" John", " Smith", " Boston", "MA", "02101", " John  Smith", " Boston MA 02101"},
      {"", "Smith", "", "", "02101", " Smith", "  02101"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name_line);
    CheckFields f = SampleFields();
    f.first_name = c.first;
    f.last_name = c.last;
    f.city = c.city;
    f.state = c.state;
    f.zip = c.zip;
    const std::vector<DrawItem> items = qp::LayoutCheck(f, Printer600(), FakeMeasure);
    EXPECT_EQ(items[0].text, c.name_line);
    EXPECT_EQ(items[2].text, c.place_line);
    EXPECT_EQ(items[12].text, std::string("as per ") + c.name_line);
  }
}

TEST(MicrLineTextTest, NumbersAreTrimmedBetweenTheirSymbols) {
  const struct {
    const char *check, *aba, *account, *line;
  } cases[] = {
      {"  1001 ", " 123456789  ", "\t987654 ", "  C1001C A123456789A 987654C"},
      {"1 2", "12-34", "98 76", "  C1 2C A12-34A 98 76C"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(qp::MicrLineText(c.check, c.aba, c.account), c.line);
  }
}

}  // namespace
