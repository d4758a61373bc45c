// Reading code lists ("1, 3:5, >= 10") from definition text.
#pragma once

#include "base/metaclass.h"
#include "deflang/rixcodes.h"
#include "deflang/rixscanner.h"

namespace quin {

// Reads codes from the scanner's current token on and appends them to List:
// - "<", "<=", ">", ">=" and a signed number: an open range below or above (exclusive for
//   "<" and ">");
// - a lower value ("min", nothing before ":", or a signed number), optionally ":" and an upper
//   value ("max", nothing before ",", the terminator or the end of the text, or a number): a
//   range with both ends inclusive, or a single code without ":";
// codes are separated by ",". With a TerminatorClass the list ends with that token (accepted);
// without one, at the end of the text. Other text ends the list with '";" expected.' (nothing
// skipped); a "," at the end of the text is fatal ("Unexpected end of file."); an unreadable
// number skips the instruction. Lower above upper is an error, equal ends a warning; the
// range is kept as written.
void ParseCodeList(TRixCodeList& List, TRixScanner& Scanner, const ClassInfo* TerminatorClass);

}  // namespace quin
