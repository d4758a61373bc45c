// Number and date format settings: the separators that the formatter and the number parser
// take explicitly (never from the process locale).
#pragma once

#include <string>

namespace quin {

struct TFormatSettings {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';  // '\0' writes no thousands separator
  char ListSeparator = ',';
  char DateSeparator = '-';
  char TimeSeparator = ':';
  std::string ShortDateFormat = "yyyy-mm-dd";  // patterns as FormatDateTime reads them
  std::string LongTimeFormat = "hh:nn:ss";
};

}  // namespace quin
