// Escaping for the contexts a page writes values into (HTML text itself: HtmlEscape in
// base/orvstrings.h), and the small HTML helpers that the pages and the table output share
// (colours, spans, alignment, style tags).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/colors.h"
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

// "#RRGGBB" of the colour, system colours resolved first.
std::string FormatHtmlColor(TColor Color);
// " bgcolor=" and the colour.
std::string FormatHtmlBgColor(TColor Color);
// ' colspan = "N"' / ' rowspan = "N"' when N > 1, else empty.
std::string FormatHtmlColSpan(int N);
std::string FormatHtmlRowSpan(int N);
// ' align = "left"' for 0, "right" for 1, "center" for 2, else empty.
std::string FormatHtmlAlign(int Align);
// "<b>", "<i>", "<u>" for the bits 1, 2 and 4 in this order, and their closing tags.
std::string FormatHtmlOpenStyleTags(int Bits);
std::string FormatHtmlCloseStyleTags(int Bits);

}  // namespace quin
