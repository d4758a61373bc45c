// Escaping for the contexts a page writes values into.
#pragma once

#include <string>
#include <string_view>

#include "base/orvstrings.h"  // HtmlEscape

namespace quin {

// Contents of a JavaScript string literal in single or double quotes, safe inside an HTML
// attribute and inside a script element: quotes, backslash, < > &, line breaks and other
// control characters are escaped; the text is prepared for the page's character set.
std::string JsEscape(std::string_view Text);
// Percent-encoding of a URL path segment or query value (unreserved characters stay).
std::string UrlEncode(std::string_view Text);
// Decodes %XX escapes (and '+' as a blank when PlusIsBlank). A malformed escape stays as
// it is.
std::string UrlDecode(std::string_view Text, bool PlusIsBlank);

}  // namespace quin
