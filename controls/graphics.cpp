// Colours (system colours over the palette, identifiers, numbers) and fonts.
#include "controls/graphics.h"

#include <QGuiApplication>

#include <array>
#include <cctype>
#include <charconv>

#include "components/messages.h"
#include "engine/textutil.h"

namespace {

struct ColorIdent {
  TColor color;
  const char* ident;
};

constexpr std::array<ColorIdent, 44> kIdents{{
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clLtGray, "clLtGray"},
    {clDkGray, "clDkGray"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clNone, "clNone"},
}};

// The palette entry standing for each system colour, by index.
QColor SystemQColor(int index, const QPalette& p) {
  using R = QPalette::ColorRole;
  switch (index) {
    case 0: return p.color(R::Button);
    case 1: return p.color(R::Window);
    case 2: return p.color(R::Highlight);
    case 3: return p.color(R::Mid);
    case 4: return p.color(R::Window);
    case 5: return p.color(R::Base);
    case 6: return p.color(R::Shadow);
    case 7: return p.color(R::WindowText);
    case 8: return p.color(R::Text);
    case 9: return p.color(R::HighlightedText);
    case 10:
    case 11: return p.color(R::Window);
    case 12: return p.color(R::Dark);
    case 13: return p.color(R::Highlight);
    case 14: return p.color(R::HighlightedText);
    case 15: return p.color(R::Button);
    case 16: return p.color(R::Dark);
    case 17: return p.color(QPalette::Disabled, R::Text);
    case 18: return p.color(R::ButtonText);
    case 19: return p.color(R::PlaceholderText);
    case 20: return p.color(R::Light);
    case 21: return p.color(R::Shadow);
    case 22: return p.color(R::Midlight);
    case 23: return p.color(R::ToolTipText);
    case 24: return p.color(R::ToolTipBase);
    default: return p.color(R::Window);
  }
}

[[noreturn]] void ConvertError(std::string_view text) {
  throw EConvertError(vz::ComponentText(qp::StrId::kInvalidNumber, {std::string(text)}));
}

}  // namespace

QColor ColorToQColor(TColor color, const QPalette& palette) {
  if (color == clNone || color == clDefault) return QColor(Qt::transparent);
  const auto bits = static_cast<uint32_t>(color);
  if (bits & 0x80000000u) return SystemQColor(static_cast<int>(bits & 0xFF), palette);
  return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                static_cast<int>((bits >> 16) & 0xFF));
}

bool IdentToColor(std::string_view ident, TColor* color) {
  const std::string wanted = vz::ToUpperAscii(ident);
  for (const ColorIdent& c : kIdents) {
    if (vz::ToUpperAscii(c.ident) == wanted) {
      *color = c.color;
      return true;
    }
  }
  return false;
}

std::string ColorToIdent(TColor color) {
  for (const ColorIdent& c : kIdents) {
    if (c.color == color) return c.ident;
  }
  return std::string();
}

int32_t StrToInt(std::string_view text) {
  std::string t = vz::TrimBoth(text);
  if (t.empty()) ConvertError(text);
  size_t at = 0;
  bool negative = false;
  if (t[at] == '+' || t[at] == '-') negative = t[at++] == '-';
  int base = 10;
  if (at < t.size() && t[at] == '$') {
    base = 16;
    ++at;
  } else if (at + 1 < t.size() && t[at] == '0' && (t[at + 1] == 'x' || t[at + 1] == 'X')) {
    base = 16;
    at += 2;
  }
  if (at >= t.size() || t[at] == '+' || t[at] == '-') ConvertError(text);
  uint64_t value = 0;
  auto [end, ec] = std::from_chars(t.data() + at, t.data() + t.size(), value, base);
  if (ec != std::errc() || end != t.data() + t.size()) ConvertError(text);
  // Hexadecimal numbers may name all 32 bits (a system colour is one);
  // decimal ones must fit the signed range.
  if (base == 16 && !negative) {
    if (value > 0xFFFFFFFFull) ConvertError(text);
    return static_cast<int32_t>(static_cast<uint32_t>(value));
  }
  if (value > (negative ? 0x80000000ull : 0x7FFFFFFFull)) ConvertError(text);
  return negative ? static_cast<int32_t>(-static_cast<int64_t>(value)) : static_cast<int32_t>(value);
}

TColor StringToColor(std::string_view text) {
  TColor color = clBlack;
  if (IdentToColor(vz::TrimBoth(text), &color)) return color;
  return StrToInt(text);
}

// ---- TFont ------------------------------------------------------------------------

TFont::TFont() : TFont(QGuiApplication::font()) {}

TFont::TFont(const QFont& font, TColor color) : color_(color) {
  name_ = font.family().toStdString();
  size_ = font.pointSize() > 0 ? font.pointSize() : 8;
  style_ = static_cast<TFontStyles>((font.bold() ? fsBold : 0) | (font.italic() ? fsItalic : 0) |
                                    (font.underline() ? fsUnderline : 0) |
                                    (font.strikeOut() ? fsStrikeOut : 0));
}

TFont::TFont(const TFont& other)
    : name_(other.name_), size_(other.size_), style_(other.style_), color_(other.color_) {}

void TFont::Changed() {
  if (!silent_ && OnChange) OnChange();
}

void TFont::SetName(std::string_view name) {
  if (name_ == name) return;
  name_ = std::string(name);
  Changed();
}

void TFont::SetSize(int points) {
  if (size_ == points) return;
  size_ = points;
  Changed();
}

void TFont::SetStyle(TFontStyles style) {
  if (style_ == style) return;
  style_ = style;
  Changed();
}

void TFont::SetColor(TColor color) {
  if (color_ == color) return;
  color_ = color;
  Changed();
}

void TFont::Assign(const TFont& source) {
  // Notifies even when nothing differs: assigning a font is an explicit
  // choice of it.
  name_ = source.name_;
  size_ = source.size_;
  style_ = source.style_;
  color_ = source.color_;
  Changed();
}

void TFont::AssignQFont(const QFont& font) {
  TFont made(font, color_);
  Assign(made);
}

QFont TFont::ToQFont() const {
  QFont f(QString::fromStdString(name_));
  f.setPointSize(size_ > 0 ? size_ : 8);
  f.setBold(style_ & fsBold);
  f.setItalic(style_ & fsItalic);
  f.setUnderline(style_ & fsUnderline);
  f.setStrikeOut(style_ & fsStrikeOut);
  return f;
}

bool TFont::SameAs(const TFont& other) const {
  return name_ == other.name_ && size_ == other.size_ && style_ == other.style_ && color_ == other.color_;
}
