// The pages' character set: browsers talk ISO-8859-2 with us, the program keeps Windows-1250.
#pragma once

#include <string>
#include <string_view>

namespace quin {

// Byte-wise recoding between ISO-8859-2 and Windows-1250. A character the target set lacks
// becomes '?'.
std::string Iso88592ToCp1250(std::string_view Text);
std::string Cp1250ToIso88592(std::string_view Text);

// Prepares text for a page declared as ISO-8859-2 whose parts may already be recoded (the
// translated texts are) or may still be Windows-1250 (values from files and users): the
// Windows-1250 codes of the Polish letters become their ISO-8859-2 codes, the other bytes
// 0x80-0x9F (no characters in ISO-8859-2) become their ISO-8859-2 letter when there is one,
// else a numeric character reference (a "\\uXXXX" escape ForScript). Applying it twice
// changes nothing.
std::string ToPageText(std::string_view Text, bool ForScript = false);

}  // namespace quin
