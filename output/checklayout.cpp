// Check layout: the 20 draw items of one check.
//
// Inch positions are held in tenths of an inch so that the truncation is
// exact integer arithmetic: in doubles a tenth-inch value times the
// resolution can fall just below the whole number (0.7 * 90 gives 62.99...)
// and truncation would then lose a pixel.
#include "output/checklayout.h"

#include <cstdint>
#include <utility>

#include "engine/textutil.h"
#include "platform/datefmt.h"

namespace qp {

namespace {

// tenths/10 inch at `ppi`, fraction dropped.
int Inches(int tenths, int ppi) {
  return static_cast<int>(static_cast<int64_t>(tenths) * ppi / 10);
}

// `tenths`/10 of the page width, fraction dropped.
int PageFraction(int tenths, int page_width) {
  return static_cast<int>(static_cast<int64_t>(tenths) * page_width / 10);
}

// Parts with trailing blanks removed, joined by single blanks. An empty part
// still takes its blank, as on the form: "" and "Smith" give " Smith".
std::string JoinTrimmed(std::initializer_list<std::string_view> parts) {
  std::string out;
  bool first = true;
  for (std::string_view part : parts) {
    if (!first) out += ' ';
    out += vz::TrimRight(part);
    first = false;
  }
  return out;
}

// The canvas of the job: a current font and the items drawn so far.
class Canvas {
 public:
  explicit Canvas(const TextMeasurer& measure) : measure_(measure) {}

  void SetFont(std::string family, int point_size, bool bold) {
    family_ = std::move(family);
    size_ = point_size;
    bold_ = bold;
  }
  int Size() const { return size_; }
  void SetSize(int point_size) { size_ = point_size; }

  int LineHeight() const { return measure_("Wg", family_, size_, bold_).height; }
  int TextWidth(std::string_view text) const { return measure_(text, family_, size_, bold_).width; }

  void TextOut(int x, int y, std::string text) {
    items_.push_back(DrawItem{std::move(text), family_, size_, bold_, x, y});
  }

  std::vector<DrawItem> Take() { return std::move(items_); }

 private:
  const TextMeasurer& measure_;
  std::string family_;
  int size_ = 0;
  bool bold_ = false;
  std::vector<DrawItem> items_;
};

}  // namespace

std::string CheckDateText(const CheckDate& date) {
  if (!plat::IsCalendarDate(date.year, date.month, date.day)) return std::string();
  return plat::FormatShortDate(date.year, date.month, date.day);
}

std::string MicrLineText(std::string_view check_number, std::string_view aba_number,
                         std::string_view account_number) {
  std::string line = "  C";
  line += vz::TrimBoth(check_number);
  line += "C A";
  line += vz::TrimBoth(aba_number);
  line += "A ";
  line += vz::TrimBoth(account_number);
  line += 'C';
  return line;
}

std::vector<DrawItem> LayoutCheck(const CheckFields& f, const PrinterFigures& printer,
                                  const TextMeasurer& measure) {
  const int px = printer.pixels_per_inch_x;
  const int py = printer.pixels_per_inch_y;
  const std::string payor_name = JoinTrimmed({f.first_name, f.last_name});
  const std::string date_text = CheckDateText(f.date);

  Canvas canvas(measure);
  canvas.SetFont(kCheckBaseFont, kCheckBasePointSize, false);

  // Payor's block at the left, bank's block from the middle of the page,
  // both three lines of the 12-point height from 0.1 inch down.
  int line = canvas.LineHeight();
  int y = Inches(1, py);
  canvas.TextOut(Inches(1, px), y, payor_name);
  y += line;
  canvas.TextOut(Inches(1, px), y, f.address);
  y += line;
  canvas.TextOut(Inches(1, px), y, JoinTrimmed({f.city, f.state, f.zip}));

  const int half_page = PageFraction(5, printer.page_width);
  line = canvas.LineHeight();
  y = Inches(1, py);
  canvas.TextOut(half_page, y, f.bank_name);
  y += line;
  canvas.TextOut(half_page, y, f.bank_address);
  y += line;
  canvas.TextOut(half_page, y, JoinTrimmed({f.bank_city, f.bank_state, f.bank_zip}));

  // The check number ends exactly at the right edge of the printable area.
  int saved = canvas.Size();
  canvas.SetSize(kCheckNumberPointSize);
  const std::string number = vz::TrimBoth(f.check_number);
  canvas.TextOut(printer.printable_width - canvas.TextWidth(number), Inches(1, py), number);
  canvas.SetSize(saved);

  canvas.TextOut(Inches(70, px), Inches(9, py), date_text);
  canvas.TextOut(Inches(1, px), Inches(12, py), "Pay To the Order of: " + f.payee);
  // The amount line must never lose its figures off the edge of the sheet:
  // a line too wide for the printable area is set in the largest smaller
  // size of the same font that fits (the words of 9,999,999.99 run to some
  // 9.5 inches at 12 point).
  const std::string sum = "The Sum of: " + f.amount_words + "  " + f.amount_text;
  saved = canvas.Size();
  const int sum_x = Inches(1, px);
  while (canvas.Size() > kCheckSmallestPointSize &&
         sum_x + canvas.TextWidth(sum) > printer.printable_width) {
    canvas.SetSize(canvas.Size() - 1);
  }
  canvas.TextOut(sum_x, Inches(15, py), sum);
  canvas.SetSize(saved);

  // Memo block: the telephone authorisation the check rests on.
  canvas.TextOut(Inches(1, px), Inches(24, py), "MEMO");
  saved = canvas.Size();
  canvas.SetSize(kCheckSmallPointSize);
  line = canvas.LineHeight();
  y = Inches(24, py);
  canvas.TextOut(Inches(8, px), y, "Telephone check payment");
  y += line;
  canvas.TextOut(Inches(8, px), y, "as per " + payor_name);
  y += line;
  canvas.TextOut(Inches(8, px), y, "Customer verbal authorization " + date_text);
  canvas.SetSize(saved);

  // Legal text of a draft that needs no signature: a 14-point heading, then
  // 8-point lines.
  const int legal_x = PageFraction(6, printer.page_width);
  saved = canvas.Size();
  canvas.SetSize(kCheckNumberPointSize);
  line = canvas.LineHeight();
  y = Inches(20, py);
  canvas.TextOut(legal_x, y, "SIGNATURE NOT REQUIRED");
  y += line;
  canvas.SetSize(kCheckSmallPointSize);
  canvas.TextOut(legal_x, y, "Your depositor has authorized this payment to payee.");
  line = canvas.LineHeight();
  y += line;
  canvas.TextOut(legal_x, y, "Payee to hold you harmless for payment of this document.");
  y += line;
  canvas.TextOut(legal_x, y, "This document shall be deposited only to the credit of payee");
  y += line;
  canvas.TextOut(legal_x, y, "and absence of endorsement is guaranteed by payee's bank.");
  canvas.SetSize(saved);

  canvas.SetFont(kCheckMicrFont, kCheckMicrPointSize, true);
  canvas.TextOut(Inches(8, px), Inches(30, py),
                 MicrLineText(f.check_number, f.aba_number, f.account_number));

  return canvas.Take();
}

}  // namespace qp
