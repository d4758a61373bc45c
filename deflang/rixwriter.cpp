#include "deflang/rixwriter.h"

#include <string>

#include "base/format.h"
#include "base/orvclasses.h"
#include "base/orvstrings.h"

namespace quin {

namespace {

void WriteLineWithComment(TStream& Stream, int Indent, std::string Line, std::string_view Comment) {
  if (!Comment.empty()) {
    Line += " // ";
    Line += Comment;
  }
  WriteStreamLine(Stream, Spaces(Indent) + Line);
}

std::string KeyLine(std::string_view Key, std::string_view Value) {
  std::string L(Key);
  L += " = ";
  L += Value;
  L += ';';
  return L;
}

}  // namespace

void WriteIndentedText(TStream& Stream, int& Indent, std::string_view Text) {
  WriteStreamText(Stream, Spaces(Indent) + std::string(Text));
}

void WriteIndentedLine(TStream& Stream, int& Indent, std::string_view Text) {
  WriteStreamLine(Stream, Spaces(Indent) + std::string(Text));
}

void WriteDefStart(TStream& Stream, int& Indent, std::string_view Key, std::string_view Comment) {
  WriteLineWithComment(Stream, Indent, "def " + std::string(Key), Comment);
  Indent += 2;
}

void WriteDefEnd(TStream& Stream, int& Indent, std::string_view Comment) {
  // An end without its start never makes the indentation negative.
  Indent = Indent >= 2 ? Indent - 2 : 0;
  WriteLineWithComment(Stream, Indent, "end;", Comment);
}

void WriteKeyValue(TStream& Stream, int& Indent, std::string_view Key, std::string_view Comment,
                   std::string_view ValueText) {
  WriteLineWithComment(Stream, Indent, KeyLine(Key, ValueText), Comment);
}

void WriteKeyIdentifier(TStream& Stream, int& Indent, std::string_view Key,
                        std::string_view Comment, std::string_view Identifier) {
  WriteKeyValue(Stream, Indent, Key, Comment, Identifier);
}

void WriteKeyInteger(TStream& Stream, int& Indent, std::string_view Key, std::string_view Comment,
                     int64_t Value) {
  WriteKeyValue(Stream, Indent, Key, Comment, IntToStr(Value));
}

void WriteKeyBoolean(TStream& Stream, int& Indent, std::string_view Key, std::string_view Comment,
                     bool Value) {
  WriteKeyInteger(Stream, Indent, Key, Comment, Value ? 1 : 0);
}

void WriteKeyDoubleBin(TStream& Stream, int& Indent, std::string_view Key, std::string_view Comment,
                       double Value) {
  WriteKeyValue(Stream, Indent, Key, Comment, DoubleToHexText("$", Value));
}

std::string EscapeLineBreaks(std::string_view Text) {
  std::string OneLine;
  OneLine.reserve(Text.size());
  for (size_t I = 0; I < Text.size(); ++I) {
    const char C = Text[I];
    if (C == '\r' || C == '\n') {
      OneLine += "\\n";
      if (C == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n') ++I;
    } else {
      OneLine += C;
    }
  }
  return OneLine;
}

void WriteKeyString(TStream& Stream, int& Indent, std::string_view Key, std::string_view Comment,
                    std::string_view Text) {
  // A quoted string must end on its line.
  WriteKeyValue(Stream, Indent, Key, Comment,
                "\"" + DoubleText(EscapeLineBreaks(Text), "\"") + "\"");
}

void WriteKeyText(TStream& Stream, int& Indent, std::string_view Key, std::string_view Comment,
                  std::string_view Text) {
  WriteKeyValue(Stream, Indent, Key, Comment, "<<" + DoubleText(Text, ">>") + ">>");
}

void WriteKeyGUID(TStream& Stream, int& Indent, std::string_view Key, std::string_view Comment,
                  const TGUID& GUID) {
  WriteKeyString(Stream, Indent, Key, Comment, GUIDToString(GUID));
}

void WriteObjectBlock(TStream& Stream, int& Indent, std::string_view ObjectName,
                      std::string_view Comment, std::string_view Text) {
  WriteIndentedLine(
      Stream, Indent,
      ObjectName.empty() ? std::string("object <<") : "object " + std::string(ObjectName) + " <<");
  size_t Begin = 0;
  while (Begin < Text.size() && (Text[Begin] == '\r' || Text[Begin] == '\n')) ++Begin;
  size_t End = Text.size();
  while (End > Begin && Text[End - 1] == ' ') --End;
  // ">>" is doubled as in every text, or it would end the block early and the rest of the text
  // would be read as instructions.
  WriteStreamText(Stream, DoubleText(Text.substr(Begin, End - Begin), ">>"));
  WriteLineWithComment(Stream, Indent, ">>;", Comment);
}

void WriteFileHeader(TStream& Stream, int& Indent, const TOrvStreamGUIDHeader& Header) {
  WriteKeyGUID(Stream, Indent, "signature", "", Header.Signature);
  WriteKeyInteger(Stream, Indent, "version", "", Header.Version);
  WriteStreamLine(Stream, "");
}

void WriteDoNotChangeNote(TStream& Stream) {
  WriteStreamLine(Stream, "// Do not change - may not function properly.");
  WriteStreamLine(Stream, "");
}

}  // namespace quin
