// Drawing a chart (platform/chart.h) into a picture of a requested size, on cairo with the
// installed fonts (fontconfig; Arial and other sans names are drawn with Liberation Sans, or
// DejaVu Sans where it is missing).
//
// The look: the background (colour or gradient) and bevels; the title on top; the legend on
// its side, outside the plot so it never covers data; for bar, line, area and point series a
// plot with the category labels along one axis (rotated when the axis asks for it, wrapped or
// cut with an ellipsis, and thinned out when they would overlap) and the values along value
// axes scaled to round steps, each series on its own axis (standard or custom) and bars side
// by side or stacked; empty points are left out (lines break there); marks that would overlap
// are left out; for pie series a pie per series with labelled slices. The 3-D options are kept
// by the model but the chart is drawn flat.
//
// Drawing is safe from any number of threads at once: each drawing has its own surface and
// context, and fonts come through cairo's and fontconfig's own thread-safe caches, which are
// set up once before the first drawing.
#pragma once

#include <string>

#include "base/exception.h"
#include "base/formatsettings.h"
#include "platform/bitmap.h"
#include "platform/chart.h"

namespace quin {

struct TChartDrawOptions {
  // The separators of the numbers on the axes and in marks and legends.
  TFormatSettings Numbers;
};

class EChartError : public Exception {
 public:
  using Exception::Exception;
};

// Chart drawn on a Width x Height picture. A size that ValidBitmapSize refuses raises
// EChartError. A chart without active series or points gives its background (and title).
TBitmap DrawChart(const TChart& Chart, int Width, int Height,
                  const TChartDrawOptions& Options = {});

// The PNG file of a picture (for samples and tests).
std::string EncodePng(const TBitmap& Bitmap);

}  // namespace quin
