// The check layout against a fake measuring device: item order, texts, fonts
// and positions, truncation of inch and page-width positions, trimming, the
// amount line that shrinks to fit, and the MICR line text.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "output/checklayout.h"
#include "platform/datefmt.h"
#include "samplefields.h"

namespace {

using qp::CheckFields;
using qp::DrawItem;
using qp::PrinterFigures;
using qptest::SampleFields;

// Widths grow with length and size; only "Wg" reports a line height, so a
// layout that measured anything else for its line spacing would be caught.
// 12 point: 120 pixels, 14 point: 140, 8 point: 80.
qp::TextExtent FakeMeasure(std::string_view text, std::string_view, int point_size, bool bold) {
  const int width = static_cast<int>(text.size()) * point_size * 4;
  return {width, text == "Wg" ? point_size * 10 + (bold ? 1 : 0) : 3};
}

// A 600 pixels-per-inch printer whose page width differs from its printable
// width, so that the two cannot be mixed up unnoticed.
constexpr PrinterFigures kPrinter600{4800, 5001, 600, 600};

std::vector<DrawItem> Layout(const CheckFields& f, const PrinterFigures& p = kPrinter600) {
  return qp::LayoutCheck(f, p, FakeMeasure);
}

class CheckLayoutTest : public ::testing::Test {
 protected:
  void TearDown() override { plat::SetShortDatePattern(saved_); }
  const std::string saved_ = plat::ShortDatePattern();
};

TEST_F(CheckLayoutTest, TwentyItemsInDrawingOrderAt600PixelsPerInch) {
  plat::SetShortDatePattern("MM/dd/yy");
  const std::vector<DrawItem> items = Layout(SampleFields());
  const std::string a = "Ariel";
  // Names and places lose their trailing blanks only, the check number
  // both ends; addresses and the payee print as typed. "1001" at 14 point is
  // 4 * 14 * 4 = 224 pixels wide.
  const std::vector<DrawItem> expected = {
      {" Ada Lovelace", a, 12, false, 60, 60},
      {" 12 St James's Square ", a, 12, false, 60, 180},
      {" London LN SW1Y", a, 12, false, 60, 300},
      {"Coutts & Co", a, 12, false, 2500, 60},
      {"440 Strand", a, 12, false, 2500, 180},
      {"London  WC2R", a, 12, false, 2500, 300},
      {"1001", a, 14, false, 4800 - 224, 60},
      {"12/05/98", a, 12, false, 4200, 540},
      {"Pay To the Order of: Charles Babbage ", a, 12, false, 60, 720},
      {"The Sum of: One Hundred Twenty Three and 45/100  123.45", a, 12, false, 60, 900},
      {"MEMO", a, 12, false, 60, 1440},
      {"Telephone check payment", a, 8, false, 480, 1440},
      {"as per  Ada Lovelace", a, 8, false, 480, 1520},
      {"Customer verbal authorization 12/05/98", a, 8, false, 480, 1600},
      {"SIGNATURE NOT REQUIRED", a, 14, false, 3000, 1200},
      {"Your depositor has authorized this payment to payee.", a, 8, false, 3000, 1340},
      {"Payee to hold you harmless for payment of this document.", a, 8, false, 3000, 1420},
      {"This document shall be deposited only to the credit of payee", a, 8, false, 3000, 1500},
      {"and absence of endorsement is guaranteed by payee's bank.", a, 8, false, 3000, 1580},
      {"  C1001C A123456789A 987654C", "MICR 013 BT", 17, true, 480, 1800},
  };
  ASSERT_EQ(items.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const DrawItem &got = items[i], &want = expected[i];
    EXPECT_EQ(std::tie(got.text, got.family, got.point_size, got.bold, got.x, got.y),
              std::tie(want.text, want.family, want.point_size, want.bold, want.x, want.y))
        << "item " << i + 1 << ": " << got.text;
  }
}

// Positions for printers whose resolution does not divide evenly: the
// fraction is dropped, never rounded, and x and y use their own resolution.
TEST(CheckLayoutTruncationTest, FractionsOfPixelsAreDropped) {
  // The top line's y (name, bank, number), the bank's x, the date's x and y,
  // the memo's x and y, the legal text's x and the MICR line's x and y.
  const struct {
    PrinterFigures printer;
    std::vector<int> at;
  } cases[] = {// 96 ppi: 0.8 in is 76.8, 0.9 in 86.4, 2.4 in 230.4, 0.1 in 9.6.
               {{768, 768, 96, 96}, {9, 9, 9, 384, 672, 86, 76, 230, 460, 76, 288}},
               // Odd page width: half of 4799 is 2399.5, 0.6 of it 2879.4.
               {{4799, 4799, 600, 600}, {60, 60, 60, 2399, 4200, 540, 480, 1440, 2879, 480, 1800}},
               // Different resolutions across and down: y follows 72, x follows 120.
               {{960, 960, 120, 72}, {7, 7, 7, 480, 840, 64, 96, 172, 576, 96, 216}}};
  for (const auto& c : cases) {
    const std::vector<DrawItem> i = Layout(SampleFields(), c.printer);
    ASSERT_EQ(i.size(), 20u);
    SCOPED_TRACE(c.printer.page_width);
    EXPECT_EQ(std::vector<int>({i[0].y, i[3].y, i[6].y, i[3].x, i[7].x, i[7].y, i[11].x, i[11].y, i[14].x,
                                i[19].x, i[19].y}),
              c.at);
  }
}

// The date stands in items 8 and 14 as the short date text; without a valid
// date (which dates are valid is the date format's rule) both carry none.
TEST_F(CheckLayoutTest, DatePrintedTwiceIsTheSameShortDateText) {
  const struct { const char* pattern; qp::CheckDate date; const char* text; } cases[] = {
      {"dd.MM.yyyy", {1998, 12, 5}, "05.12.1998"}, {"MM/dd/yy", {2023, 2, 29}, ""}};
  for (const auto& c : cases) {
    plat::SetShortDatePattern(c.pattern);
    CheckFields f = SampleFields();
    f.date = c.date;
    const std::vector<DrawItem> items = Layout(f);
    EXPECT_EQ(items[7].text, c.text) << c.pattern;
    EXPECT_EQ(items[13].text, std::string("Customer verbal authorization ") + c.text);
  }
}

// At 12 point the largest amount's line ran past the printable area and
// lost its figures; it now shrinks to the largest size that fits, and only
// it: the next item is back at 12 point. Its words, longer than the table
// field, are printed whole.
TEST_F(CheckLayoutTest, AmountLineTooWideForThePageShrinksInsteadOfLosingItsFigures) {
  const CheckFields f = qptest::LargestAmount();
  ASSERT_GT(f.amount_words.size(), 40u);
  const std::vector<DrawItem> items = Layout(f);
  const DrawItem& sum = items[9];
  EXPECT_EQ(sum.text, "The Sum of: " + f.amount_words + "  9999999.99");
  auto right_edge = [&](int size) { return sum.x + FakeMeasure(sum.text, sum.family, size, false).width; };
  EXPECT_LT(sum.point_size, qp::kCheckBasePointSize);
  EXPECT_LE(right_edge(sum.point_size), kPrinter600.printable_width);
  EXPECT_GT(right_edge(sum.point_size + 1), kPrinter600.printable_width);
  EXPECT_EQ(sum.family, qp::kCheckBaseFont);
  EXPECT_EQ(items[10].point_size, qp::kCheckBasePointSize);
  EXPECT_EQ(Layout(SampleFields())[9].point_size, qp::kCheckBasePointSize);
}

TEST_F(CheckLayoutTest, EmptyFieldsStillPrintEveryItemAndTheMicrSymbols) {
  const std::vector<DrawItem> items = Layout(CheckFields{});
  ASSERT_EQ(items.size(), 20u);
  const std::vector<std::string> texts = {items[0].text, items[2].text, items[6].text, items[8].text,
                                          items[9].text, items[14].text, items[19].text};
  EXPECT_EQ(texts, (std::vector<std::string>{" ", "  ", "", "Pay To the Order of: ", "The Sum of:   ",
                                             "SIGNATURE NOT REQUIRED", "  CC AA C"}));
  EXPECT_EQ(items[6].x, kPrinter600.printable_width);
  // The numbers are trimmed between their symbols; blanks inside them stay.
  EXPECT_EQ(qp::MicrLineText("1 2", "12-34", "98 76"), "  C1 2C A12-34A 98 76C");
}

}  // namespace
