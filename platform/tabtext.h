// Tab-separated text placed into worksheet cells, as a spreadsheet pastes it: lines end with
// CR LF, fields are separated by tabs. A field becomes a number only when it reads as one
// under the separators the text was written with; everything else stays text (never a formula).
#pragma once

#include <string>
#include <string_view>

#include "base/formatsettings.h"
#include "platform/workbook.h"

namespace quin {

// A field read as a number, and the number format that shows it as the field did.
struct TXlParsedNumber {
  double Value = 0;
  std::string NumberFormat;  // "" (General), "#,##0.0" for grouped digits, "0.0%" for percents
};

// Blanks around the field are ignored; an optional sign, digits grouped by
// FS.ThousandSeparator in threes (or not grouped), at most one FS.DecimalSeparator, an optional
// exponent, and an optional trailing "%" (the value is then divided by 100).
bool ParseXlFieldNumber(std::string_view Field, const TFormatSettings& FS, TXlParsedNumber& N);

// Fills the cells from (Row, Col) on: field j of line i goes to (Row + i, Col + j). An empty
// field clears the cell's value. Whatever falls beyond column 256 or row 65536 is dropped; a
// CR or LF alone stays in the field's text.
void PlaceTabText(TXlWorksheet& Sheet, int Row, int Col, std::string_view Text,
                  const TFormatSettings& FS);

}  // namespace quin
