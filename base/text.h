// Text inside the program is 8-bit Windows-1250, as the survey and report files hold it.
// Source files are UTF-8: every Polish literal passes through Cp1250() once.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quin {

// UTF-8 text -> Windows-1250 bytes. Characters that Windows-1250 lacks become '?';
// malformed UTF-8 sequences become '?' as well.
std::string Cp1250(std::string_view Utf8);
// The Windows-1250 byte of a Unicode code point; '?' when Windows-1250 lacks it.
char CodePointToCp1250(uint32_t CodePoint);
// Windows-1250 bytes -> UTF-8 (for logs and for tests that compare with UTF-8 literals).
std::string Cp1250ToUtf8(std::string_view Text);

// ASCII case mapping and comparison of keys, identifiers and tags (bytes >= 128 unchanged).
inline char LowerChar(char C) { return (C >= 'A' && C <= 'Z') ? char(C + 32) : C; }
inline char UpperChar(char C) { return (C >= 'a' && C <= 'z') ? char(C - 32) : C; }
std::string LowerCase(std::string_view S);
std::string UpperCase(std::string_view S);
// <0, 0 or >0, ordinal on the ASCII-lower-cased bytes.
int CompareText(std::string_view A, std::string_view B);
bool SameText(std::string_view A, std::string_view B);

}  // namespace quin
