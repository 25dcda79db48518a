#include "ui/contrast.h"

#include <algorithm>
#include <cmath>

namespace qorv {

namespace {

double linearChannel(double channel) {
  return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

QColor mix(const QColor& from, const QColor& to, double share) {
  const auto channel = [share](int a, int b) {
    return static_cast<int>(std::lround(a + (b - a) * share));
  };
  return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                channel(from.blue(), to.blue()));
}

}  // namespace

double relativeLuminance(const QColor& colour) {
  const QColor rgb = colour.toRgb();
  return 0.2126 * linearChannel(rgb.redF()) + 0.7152 * linearChannel(rgb.greenF()) +
         0.0722 * linearChannel(rgb.blueF());
}

double contrastRatio(const QColor& first, const QColor& second) {
  const double a = relativeLuminance(first);
  const double b = relativeLuminance(second);
  return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

bool isDarkBackground(const QColor& background) { return relativeLuminance(background) < 0.5; }

QColor readableOn(const QColor& colour, const QColor& background) {
  if (contrastRatio(colour, background) >= kReadableContrast) return colour;
  const QColor white(255, 255, 255);
  const QColor black(0, 0, 0);
  const QColor extreme =
      contrastRatio(white, background) >= contrastRatio(black, background) ? white : black;
  // The contrast grows steadily on the way to the extreme, which always
  // reaches the ratio: halve the way to the least share that does.
  double low = 0;
  double high = 1;
  for (int step = 0; step < 16; ++step) {
    const double middle = (low + high) / 2;
    if (contrastRatio(mix(colour, extreme, middle), background) >= kReadableContrast)
      high = middle;
    else
      low = middle;
  }
  return mix(colour, extreme, high);
}

RowColours rowColoursOn(const QColor& background, const QColor& text) {
  if (!isDarkBackground(background)) return {QColor(0, 0, 0), QColor(255, 0, 0)};
  return {text, readableOn(QColor(255, 0, 0), background)};
}

QColor linkColourOn(const QColor& background, const QColor& themeLink) {
  if (!isDarkBackground(background)) return QColor(0, 0, 255);
  return readableOn(themeLink, background);
}

}  // namespace qorv
