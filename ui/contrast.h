#pragma once

#include <QColor>

namespace qorv {

/// The contrast ratio that text needs against its background to be read
/// comfortably (WCAG's level AA for normal text).
inline constexpr double kReadableContrast = 4.5;

/// The relative luminance of a colour in sRGB, from 0 (black) to 1 (white),
/// as WCAG defines it.
double relativeLuminance(const QColor& colour);

/// WCAG's contrast ratio of two colours, from 1 (equal) to 21 (black and
/// white); the order of the two does not matter.
double contrastRatio(const QColor& first, const QColor& second);

/// A dark theme's background: light text is drawn on it.
bool isDarkBackground(const QColor& background);

/// `colour` itself when it reaches `kReadableContrast` against
/// `background`; otherwise the colour nearest to it on its way to white or
/// to black, whichever stands out more from the background, that does.
QColor readableOn(const QColor& colour, const QColor& background);

/// The colours of the page list's rows: the tick shows as red.
struct RowColours {
  QColor unticked;
  QColor ticked;
};

/// On a light background black and pure red, as the list always was; on a
/// dark one the list's own text colour and a red readable on it.
RowColours rowColoursOn(const QColor& background, const QColor& text);

/// The colour of a link on `background`: pure blue on a light background,
/// the theme's link colour, made readable, on a dark one.
QColor linkColourOn(const QColor& background, const QColor& themeLink);

}  // namespace qorv
