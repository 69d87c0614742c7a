// Colours and fonts as the data-aware controls keep them: a colour is a
// 32-bit TColor (an RGB value stored blue-green-red, or a system colour that
// follows the palette), a font is a TFont with a change notification. Both
// can be written as text in a stored column list (colour identifiers such as
// "clWindow", or numbers).
//
// System colours (the high bit set, the low byte the index) are resolved
// against a widget's palette at paint time, so a grid follows the desktop's
// colour scheme; clNone (0x1FFFFFFF) means "no colour given".
#ifndef QUILLPRINT_CONTROLS_GRAPHICS_H_
#define QUILLPRINT_CONTROLS_GRAPHICS_H_

#include <QColor>
#include <QFont>
#include <QPalette>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

using TColor = int32_t;

constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<uint32_t>(index)); }

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;

constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// The colour to paint with: a system colour from `palette`, an RGB value as
// it is. clNone and clDefault paint nothing (a transparent colour).
QColor ColorToQColor(TColor color, const QPalette& palette);

// The colour of an identifier ("clRed", "clWindow", ...; without regard to
// case). False, and *color unchanged, for a text that is no identifier.
bool IdentToColor(std::string_view ident, TColor* color);
// The identifier of a colour, or "" when it has none.
std::string ColorToIdent(TColor color);

// A text that is not a whole number. what() is the message a user sees.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A whole number written in decimal (with an optional sign) or in
// hexadecimal after "$" or "0x", blanks around allowed; EConvertError for
// anything else, and for a number outside 32 bits.
int32_t StrToInt(std::string_view text);
// A colour identifier, else StrToInt of the text.
TColor StringToColor(std::string_view text);

// Font styles, as bits (the numbers a stored font text uses).
enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;

// A font: family, size in points, style and colour. A setter that changes
// something, and every Assign, calls OnChange, unless notifications are
// held off with a ScopedSilence.
class TFont {
 public:
  // The application's font in clWindowText.
  TFont();
  explicit TFont(const QFont& font, TColor color = clWindowText);
  TFont(const TFont& other);
  TFont& operator=(const TFont& other) = delete;  // use Assign

  const std::string& Name() const { return name_; }
  void SetName(std::string_view name);
  int Size() const { return size_; }
  void SetSize(int points);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  TColor Color() const { return color_; }
  void SetColor(TColor color);

  // Takes every value of `source` (one notification, even when they were
  // the same).
  void Assign(const TFont& source);
  // Takes family, size and style of a Qt font; the colour stays.
  void AssignQFont(const QFont& font);
  QFont ToQFont() const;

  // Same family, size, style and colour.
  bool SameAs(const TFont& other) const;

  std::function<void()> OnChange;

  // Holds the font's notifications off for its lifetime (a copy that must
  // not count as a change made by the user).
  class ScopedSilence {
   public:
    explicit ScopedSilence(TFont& font) : font_(font), was_(font.silent_) { font_.silent_ = true; }
    ~ScopedSilence() { font_.silent_ = was_; }
    ScopedSilence(const ScopedSilence&) = delete;
    ScopedSilence& operator=(const ScopedSilence&) = delete;

   private:
    TFont& font_;
    bool was_;
  };

 private:
  void Changed();

  std::string name_;
  int size_ = 8;
  TFontStyles style_ = 0;
  TColor color_ = clWindowText;
  bool silent_ = false;
};

#endif  // QUILLPRINT_CONTROLS_GRAPHICS_H_
