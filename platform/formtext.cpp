#include "platform/formtext.h"

#include <cmath>

#include "base/format.h"
#include "base/text.h"

namespace quin {

// ----- Values and objects

TFormValue TFormValue::Integer(std::int64_t V) {
  TFormValue R;
  R.Kind = TKind::Integer;
  R.Int = V;
  return R;
}

TFormValue TFormValue::Number(double V) {
  TFormValue R;
  R.Kind = TKind::Float;
  R.Float = V;
  return R;
}

TFormValue TFormValue::String(std::string_view V) {
  TFormValue R;
  R.Kind = TKind::String;
  R.Text = V;
  return R;
}

TFormValue TFormValue::Ident(std::string_view V) {
  TFormValue R;
  R.Kind = TKind::Ident;
  R.Text = V;
  return R;
}

bool TFormValue::GetNumber(double& V) const {
  if (Kind == TKind::Integer) {
    V = double(Int);
    return true;
  }
  if (Kind == TKind::Float) {
    V = Float;
    return true;
  }
  return false;
}

bool TFormValue::GetBool(bool& V) const {
  if (Kind != TKind::Ident) return false;
  if (SameText(Text, "True")) {
    V = true;
    return true;
  }
  if (SameText(Text, "False")) {
    V = false;
    return true;
  }
  return false;
}

bool TFormValue::GetLines(std::vector<std::string>& Lines) const {
  if (Kind == TKind::String) {
    Lines = {Text};
    return true;
  }
  if (Kind != TKind::List) return false;
  std::vector<std::string> R;
  for (const TFormValue& I : Items) {
    if (I.Kind != TKind::String) return false;
    R.push_back(I.Text);
  }
  Lines = std::move(R);
  return true;
}

const TFormProperty* TFormObject::Find(std::string_view PropName) const {
  for (auto I = Properties.rbegin(); I != Properties.rend(); ++I)
    if (SameText(I->Name, PropName)) return &*I;
  return nullptr;
}

void TFormObject::Add(std::string_view PropName, TFormValue Value) {
  Properties.push_back({std::string(PropName), std::move(Value)});
}

bool operator==(const TFormValue& A, const TFormValue& B) {
  return A.Kind == B.Kind && A.Int == B.Int && A.Float == B.Float && A.Text == B.Text &&
         A.Names == B.Names && A.Items == B.Items && A.Entries == B.Entries;
}

bool operator==(const TFormObject& A, const TFormObject& B) {
  if (A.Name != B.Name || A.ClassName != B.ClassName || A.Children != B.Children ||
      A.Properties.size() != B.Properties.size())
    return false;
  for (size_t I = 0; I < A.Properties.size(); ++I)
    if (A.Properties[I].Name != B.Properties[I].Name ||
        !(A.Properties[I].Value == B.Properties[I].Value))
      return false;
  return true;
}

// ----- Errors

namespace {

std::string ReasonTemplate(EFormTextError::TReason Reason) {
  switch (Reason) {
    case EFormTextError::kExpected:
      return Cp1250(
          "<PLK>Opis komponentu, wiersz %s: oczekiwano %s.<ENU>Component text, line %s: %s "
          "expected.");
    case EFormTextError::kEndOfText:
      return Cp1250(
          "<PLK>Opis komponentu, wiersz %s: nieoczekiwany koniec tekstu.<ENU>Component text, "
          "line %s: unexpected end of the text.");
    case EFormTextError::kBadValue:
      return Cp1250(
          "<PLK>Opis komponentu, wiersz %s: nieprawidłowa wartość.<ENU>Component text, line "
          "%s: invalid value.");
    case EFormTextError::kBadChar:
      return Cp1250(
          "<PLK>Opis komponentu, wiersz %s: niedozwolony znak.<ENU>Component text, line %s: "
          "invalid character.");
    case EFormTextError::kTooDeep:
      return Cp1250(
          "<PLK>Opis komponentu, wiersz %s: zbyt głębokie zagnieżdżenie.<ENU>Component text, "
          "line %s: nested too deeply.");
    case EFormTextError::kTooLarge:
      break;
  }
  return Cp1250(
      "<PLK>Opis komponentu, wiersz %s: tekst jest zbyt duży.<ENU>Component text, line %s: the "
      "text is too large.");
}

TDynStringArr ReasonArgs(EFormTextError::TReason Reason, int Line, std::string_view What) {
  if (Reason == EFormTextError::kExpected) return {IntToStr(Line), std::string(What)};
  return {IntToStr(Line)};
}

}  // namespace

EFormTextError::EFormTextError(TReason AReason, int ALine, std::string_view What)
    : EOrvException(ReasonTemplate(AReason), ReasonArgs(AReason, ALine, What)),
      Reason(AReason),
      Line(ALine) {}

// ----- Reader

namespace {

bool IsIdentStart(char C) { return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_'; }
bool IsIdentChar(char C) { return IsIdentStart(C) || (C >= '0' && C <= '9'); }
bool IsDigit(char C) { return C >= '0' && C <= '9'; }
int HexDigit(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  return -1;
}

class TFormReader {
 public:
  explicit TFormReader(std::string_view AText) : FText(AText) {}

  TFormObject ReadRoot() {
    if (FText.size() > kFormTextMaxSize) Fail(EFormTextError::kTooLarge);
    SkipBlanks();
    TFormObject Root = ReadObject(0);
    SkipBlanks();
    if (FPos < FText.size()) Fail(EFormTextError::kExpected, "end of text");
    return Root;
  }

 private:
  [[noreturn]] void Fail(EFormTextError::TReason Reason, std::string_view What = "") const {
    throw EFormTextError(Reason, FLine, What);
  }

  bool AtEnd() const { return FPos >= FText.size(); }
  char Peek() const { return AtEnd() ? '\0' : FText[FPos]; }

  void CountNode() {
    if (++FNodes > kFormTextMaxNodes) Fail(EFormTextError::kTooLarge);
  }

  void Enter(int Depth) const {
    if (Depth > kFormTextMaxDepth) Fail(EFormTextError::kTooDeep);
  }

  // Blanks, tabs and line breaks (CR LF, LF or CR), counting lines.
  void SkipBlanks() {
    while (!AtEnd()) {
      const char C = FText[FPos];
      if (C == '\n' || (C == '\r' && (FPos + 1 >= FText.size() || FText[FPos + 1] != '\n')))
        ++FLine;
      if (C != ' ' && C != '\t' && C != '\r' && C != '\n') return;
      ++FPos;
    }
  }

  std::string_view ReadIdent() {
    if (!IsIdentStart(Peek()))
      Fail(AtEnd() ? EFormTextError::kEndOfText : EFormTextError::kBadChar);
    const size_t Start = FPos;
    while (!AtEnd() && IsIdentChar(FText[FPos])) ++FPos;
    return FText.substr(Start, FPos - Start);
  }

  // An identifier with "." parts (property names, references to other components).
  std::string ReadDottedIdent() {
    std::string R(ReadIdent());
    while (Peek() == '.') {
      ++FPos;
      R += '.';
      R += ReadIdent();
    }
    return R;
  }

  void Expect(char C, std::string_view What) {
    SkipBlanks();
    if (Peek() != C) Fail(AtEnd() ? EFormTextError::kEndOfText : EFormTextError::kExpected, What);
    ++FPos;
  }

  // The keyword at the position (case ignored) when it stands alone; the position is kept.
  bool AtKeyword(std::string_view Word) const {
    if (FPos + Word.size() > FText.size()) return false;
    if (!SameText(FText.substr(FPos, Word.size()), Word)) return false;
    return FPos + Word.size() == FText.size() || !IsIdentChar(FText[FPos + Word.size()]);
  }

  // "object" | "inherited" | "inline", [Name ":"] Class ["[" index "]"], properties and
  // owned objects, "end".
  TFormObject ReadObject(int Depth) {
    Enter(Depth);
    CountNode();
    if (!AtKeyword("object") && !AtKeyword("inherited") && !AtKeyword("inline"))
      Fail(AtEnd() ? EFormTextError::kEndOfText : EFormTextError::kExpected, "\"object\"");
    ReadIdent();
    TFormObject Obj;
    SkipBlanks();
    std::string First(ReadIdent());
    SkipBlanks();
    if (Peek() == ':') {
      ++FPos;
      SkipBlanks();
      Obj.Name = std::move(First);
      Obj.ClassName = ReadIdent();
    } else {
      Obj.ClassName = std::move(First);
    }
    SkipBlanks();
    if (Peek() == '[') {  // the creation order of an inherited component
      ++FPos;
      SkipBlanks();
      ReadNumber(false);
      Expect(']', "\"]\"");
    }
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Fail(EFormTextError::kEndOfText);
      if (AtKeyword("end")) {
        FPos += 3;
        return Obj;
      }
      if (AtKeyword("object") || AtKeyword("inherited") || AtKeyword("inline"))
        Obj.Children.push_back(ReadObject(Depth + 1));
      else
        ReadProperty(Obj, Depth);
    }
  }

  void ReadProperty(TFormObject& Obj, int Depth) {
    CountNode();
    std::string Name = ReadDottedIdent();
    Expect('=', "\"=\"");
    SkipBlanks();
    Obj.Properties.push_back({std::move(Name), ReadValue(Depth + 1)});
  }

  TFormValue ReadValue(int Depth) {
    Enter(Depth);
    CountNode();
    const char C = Peek();
    if (AtEnd()) Fail(EFormTextError::kEndOfText);
    if (C == '\'' || C == '#') return TFormValue::String(ReadString());
    if (C == '-' || C == '+' || C == '$' || IsDigit(C)) return ReadNumber(true);
    if (IsIdentStart(C)) return TFormValue::Ident(ReadDottedIdent());
    if (C == '[') return ReadSet();
    if (C == '(') return ReadList(Depth);
    if (C == '<') return ReadCollection(Depth);
    if (C == '{') return ReadBinary();
    Fail(EFormTextError::kBadValue);
  }

  // Parts of quoted text and #nnn characters, joined by "+" across lines.
  std::string ReadString() {
    std::string R;
    for (;;) {
      ReadStringPart(R);
      const size_t Save = FPos;
      const int SaveLine = FLine;
      SkipBlanks();
      if (Peek() != '+') {
        FPos = Save;
        FLine = SaveLine;
        return R;
      }
      ++FPos;
      SkipBlanks();
      if (Peek() != '\'' && Peek() != '#') Fail(EFormTextError::kExpected, "string");
    }
  }

  void ReadStringPart(std::string& R) {
    for (;;) {
      const char C = Peek();
      if (C == '\'') {
        ++FPos;
        for (;;) {
          if (AtEnd() || FText[FPos] == '\r' || FText[FPos] == '\n')
            Fail(AtEnd() ? EFormTextError::kEndOfText : EFormTextError::kExpected, "\"'\"");
          const char Ch = FText[FPos++];
          if (Ch == '\'') {
            if (Peek() != '\'') break;
            ++FPos;
          }
          R += Ch;
        }
      } else if (C == '#') {
        ++FPos;
        if (!IsDigit(Peek())) Fail(EFormTextError::kBadValue);
        std::uint32_t Code = 0;
        while (IsDigit(Peek())) {
          Code = Code * 10 + std::uint32_t(FText[FPos++] - '0');
          if (Code > 0x10FFFF) Fail(EFormTextError::kBadValue);
        }
        // Up to 255 a byte of the text's own code page, above it a Unicode character.
        R += Code <= 255 ? char(Code) : CodePointToCp1250(Code);
      } else {
        return;
      }
    }
  }

  // Integers (decimal or "$" hexadecimal) and floating numbers with an optional exponent and
  // an optional type letter (s, c, d).
  TFormValue ReadNumber(bool AllowFloat) {
    const size_t Start = FPos;
    if (Peek() == '-' || Peek() == '+') ++FPos;
    if (Peek() == '$') {
      ++FPos;
      std::uint64_t V = 0;
      int Digits = 0;
      for (int D; (D = HexDigit(Peek())) >= 0; ++FPos, ++Digits) {
        if (Digits >= 16) Fail(EFormTextError::kBadValue);
        V = V * 16 + std::uint64_t(D);
      }
      if (Digits == 0) Fail(EFormTextError::kBadValue);
      return TFormValue::Integer(std::int64_t(FText[Start] == '-' ? 0 - V : V));
    }
    bool IsFloat = false;
    while (IsDigit(Peek())) ++FPos;
    if (Peek() == '.' && AllowFloat) {
      IsFloat = true;
      ++FPos;
      while (IsDigit(Peek())) ++FPos;
    }
    if ((Peek() == 'E' || Peek() == 'e') && AllowFloat) {
      IsFloat = true;
      ++FPos;
      if (Peek() == '-' || Peek() == '+') ++FPos;
      while (IsDigit(Peek())) ++FPos;
    }
    const std::string_view Digits = FText.substr(Start, FPos - Start);
    if (Digits.empty()) Fail(EFormTextError::kBadValue);
    if (IsFloat && (Peek() == 's' || Peek() == 'c' || Peek() == 'd' || Peek() == 'S' ||
                    Peek() == 'C' || Peek() == 'D'))
      ++FPos;
    if (IsIdentChar(Peek())) Fail(EFormTextError::kBadValue);
    if (!IsFloat) {
      long long V = 0;
      const std::string_view Plain = Digits.substr(Digits[0] == '+' ? 1 : 0);
      if (TryStrToInt64(Plain, V)) return TFormValue::Integer(V);
    }
    double D = 0;
    const TFormatSettings Point;
    if (!TryStrToFloat(Digits, D, Point) || !std::isfinite(D)) Fail(EFormTextError::kBadValue);
    return TFormValue::Number(D);
  }

  TFormValue ReadSet() {
    ++FPos;
    TFormValue R;
    R.Kind = TFormValue::TKind::Set;
    SkipBlanks();
    if (Peek() == ']') {
      ++FPos;
      return R;
    }
    for (;;) {
      SkipBlanks();
      CountNode();
      R.Names.emplace_back(ReadIdent());
      SkipBlanks();
      if (Peek() == ']') {
        ++FPos;
        return R;
      }
      Expect(',', "\",\"");
    }
  }

  TFormValue ReadList(int Depth) {
    ++FPos;
    TFormValue R;
    R.Kind = TFormValue::TKind::List;
    for (;;) {
      SkipBlanks();
      if (Peek() == ')') {
        ++FPos;
        return R;
      }
      R.Items.push_back(ReadValue(Depth + 1));
    }
  }

  // "<" then items "item" properties "end", then ">".
  TFormValue ReadCollection(int Depth) {
    ++FPos;
    TFormValue R;
    R.Kind = TFormValue::TKind::Collection;
    for (;;) {
      SkipBlanks();
      if (Peek() == '>') {
        ++FPos;
        return R;
      }
      if (!AtKeyword("item"))
        Fail(AtEnd() ? EFormTextError::kEndOfText : EFormTextError::kExpected, "\"item\"");
      FPos += 4;
      CountNode();
      TFormObject Item;
      for (;;) {
        SkipBlanks();
        if (AtEnd()) Fail(EFormTextError::kEndOfText);
        if (AtKeyword("end")) {
          FPos += 3;
          break;
        }
        ReadProperty(Item, Depth);
      }
      R.Entries.push_back(std::move(Item));
    }
  }

  TFormValue ReadBinary() {
    ++FPos;
    TFormValue R;
    R.Kind = TFormValue::TKind::Binary;
    int High = -1;
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Fail(EFormTextError::kEndOfText);
      const char C = FText[FPos++];
      if (C == '}') {
        if (High >= 0) Fail(EFormTextError::kBadValue);
        return R;
      }
      const int D = HexDigit(C);
      if (D < 0) Fail(EFormTextError::kBadValue);
      if (High < 0) {
        High = D;
      } else {
        R.Text += char(High * 16 + D);
        High = -1;
      }
    }
  }

  std::string_view FText;
  size_t FPos = 0;
  int FLine = 1;
  int FNodes = 0;
};

}  // namespace

TFormObject ReadFormText(std::string_view Text) { return TFormReader(Text).ReadRoot(); }

}  // namespace quin
