// The printed check as a list of draw items: where every text of the check
// goes, in which font, for a printer of given figures. Plain C++ so that the
// layout can be tested without a printer; output/qt only renders the items.
//
// Positions are printer device pixels from the top-left corner of the
// printable area. An inch position is the inch value times the printer's
// pixels per inch in that direction with the fraction dropped; fractions of
// the page width are truncated the same way. Line heights come from the
// height of "Wg" in the font in force.
#ifndef QUILLPRINT_OUTPUT_CHECKLAYOUT_H_
#define QUILLPRINT_OUTPUT_CHECKLAYOUT_H_

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qp {

// Font names as the check asks for them; the Qt side substitutes "Ariel"
// and draws its own E-13B shapes when no MICR font is installed.
inline constexpr char kCheckBaseFont[] = "Ariel";
inline constexpr char kCheckMicrFont[] = "MICR 013 BT";
inline constexpr int kCheckBasePointSize = 12;
inline constexpr int kCheckNumberPointSize = 14;
inline constexpr int kCheckSmallPointSize = 8;
inline constexpr int kCheckMicrPointSize = 17;
// The amount line shrinks to fit the printable width, down to this size.
inline constexpr int kCheckSmallestPointSize = 4;

// The date of the check. A date that is not a real calendar date (the
// zero date included) prints as empty text.
struct CheckDate {
  int year = 0;
  int month = 0;
  int day = 0;
};

// What the main window's fields show at the moment of printing, as typed:
// the layout trims where the check needs it and nothing else.
struct CheckFields {
  std::string first_name;
  std::string last_name;
  std::string address;
  std::string city;
  std::string state;
  std::string zip;

  std::string bank_name;
  std::string bank_address;
  std::string bank_city;
  std::string bank_state;
  std::string bank_zip;
  std::string aba_number;
  std::string account_number;

  std::string check_number;
  CheckDate date;
  std::string payee;
  std::string amount_words;
  // The amount field's own text (two decimals), printed after the words.
  std::string amount_text;
};

// The figures of the selected printer, read before each job.
struct PrinterFigures {
  int printable_width = 0;  // device pixels, the right edge of the check number
  int page_width = 0;       // device pixels, for the half and 0.6 columns
  int pixels_per_inch_x = 0;
  int pixels_per_inch_y = 0;
};

// Width and height of a text in device pixels.
struct TextExtent {
  int width = 0;
  int height = 0;
};

// Measures `text` in the given font on the target device. The layout asks
// for "Wg" to learn a line height and for the check number to right-align it.
using TextMeasurer = std::function<TextExtent(std::string_view text, std::string_view family,
                                              int point_size, bool bold)>;

// One text to draw: (x, y) is the left end and the top of the text.
struct DrawItem {
  std::string text;
  std::string family;
  int point_size = 0;
  bool bold = false;
  int x = 0;
  int y = 0;
};

// The 20 items of the check in drawing order; the last is the MICR line in
// kCheckMicrFont. Texts over-long for the page are kept whole (they run off
// to the right), but for the amount line, which is set in a smaller size of
// its font when it would not fit the printable width; empty fields give
// empty texts. Figures of zero or less
// give positions of zero or less; the printing side refuses such printers
// before it gets here.
std::vector<DrawItem> LayoutCheck(const CheckFields& fields, const PrinterFigures& printer,
                                  const TextMeasurer& measure);

// The MICR line: two blanks, "C", check number, "C", a blank, "A", ABA
// number, "A", a blank, account number, "C". Each number is trimmed at both
// ends. "A" is the transit symbol and "C" the on-us symbol in a MICR font.
std::string MicrLineText(std::string_view check_number, std::string_view aba_number,
                         std::string_view account_number);

// The date as the short-date text of the platform, "" for no valid date.
std::string CheckDateText(const CheckDate& date);

}  // namespace qp

#endif  // QUILLPRINT_OUTPUT_CHECKLAYOUT_H_
