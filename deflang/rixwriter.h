// Writing definition text: one instruction or block line at a time, in the fixed layout that
// the definition-language readers accept. The caller owns the indentation counter; block starts
// raise it by 2 and block ends lower it by 2. A non-empty comment is appended as " // " + text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/guid.h"
#include "base/orvbinary.h"
#include "base/orvstreams.h"

namespace quin {

// Indent blanks and Text, no line end.
void WriteIndentedText(TStream& Stream, int& Indent, std::string_view Text);
// Indent blanks, Text, CR LF.
void WriteIndentedLine(TStream& Stream, int& Indent, std::string_view Text);
// "def " + Key; then Indent grows by 2.
void WriteDefStart(TStream& Stream, int& Indent, std::string_view Key,
                   std::string_view Comment = "");
// Indent shrinks by 2; then "end;".
void WriteDefEnd(TStream& Stream, int& Indent, std::string_view Comment = "");
// Key = ValueText;
void WriteKeyValue(TStream& Stream, int& Indent, std::string_view Key, std::string_view Comment,
                   std::string_view ValueText);
void WriteKeyIdentifier(TStream& Stream, int& Indent, std::string_view Key,
                        std::string_view Comment, std::string_view Identifier);
void WriteKeyInteger(TStream& Stream, int& Indent, std::string_view Key, std::string_view Comment,
                     int64_t Value);
// 0 or 1.
void WriteKeyBoolean(TStream& Stream, int& Indent, std::string_view Key, std::string_view Comment,
                     bool Value);
// "$" and the 16 upper-case hex digits of the double's bytes in memory order: it returns bit
// for bit.
void WriteKeyDoubleBin(TStream& Stream, int& Indent, std::string_view Key, std::string_view Comment,
                       double Value);
// Text with every line break (CR LF, CR or LF) written as "\n", which the readers turn back
// into CR LF.
std::string EscapeLineBreaks(std::string_view Text);
// Key = "Text"; with every double quote doubled and line breaks written as "\n".
void WriteKeyString(TStream& Stream, int& Indent, std::string_view Key, std::string_view Comment,
                    std::string_view Text);
// Key = <<Text>>; with every ">>" doubled.
void WriteKeyText(TStream& Stream, int& Indent, std::string_view Key, std::string_view Comment,
                  std::string_view Text);
// Key = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
void WriteKeyGUID(TStream& Stream, int& Indent, std::string_view Key, std::string_view Comment,
                  const TGUID& GUID);
// "object Name <<", Text (trailing blanks and leading line breaks removed, ">>" doubled), then
// the indented line ">>;".
void WriteObjectBlock(TStream& Stream, int& Indent, std::string_view ObjectName,
                      std::string_view Comment, std::string_view Text);
// The keys "signature" and "version" of a file header, then an empty line.
void WriteFileHeader(TStream& Stream, int& Indent, const TOrvStreamGUIDHeader& Header);
// "// Do not change - may not function properly." and an empty line.
void WriteDoNotChangeNote(TStream& Stream);

}  // namespace quin
