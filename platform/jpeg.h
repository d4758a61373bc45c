// JPEG encoding of pictures (libjpeg-turbo): baseline, 4:2:0, the standard tables scaled by
// the quality.
#pragma once

#include <string>

#include "base/exception.h"
#include "platform/bitmap.h"

namespace quin {

// The quality of the chart images the pages show.
constexpr int kChartJpegQuality = 80;

// The picture cannot be encoded or the file not written.
class EJpegError : public Exception {
 public:
  using Exception::Exception;
};

// The JPEG file of Bitmap at Quality (1 to 100). Raises EJpegError for an empty or oversized
// picture, a picture whose pixels do not match its size, or a quality outside the range.
std::string EncodeJpeg(const TBitmap& Bitmap, int Quality);
// Encodes Bitmap and writes it as FileName, replacing an earlier file in one step (readers see
// the old file or the new one, never a part); raises EJpegError, or EFOpenError when the file
// cannot be created.
void SaveJpegFile(const TBitmap& Bitmap, int Quality, const std::string& FileName);

}  // namespace quin
