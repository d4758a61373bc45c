#include "deflang/rixscanner.h"

#include <cstring>
#include <limits>

#include "base/scopeguard.h"
#include "base/text.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TRixScanner, TOrvScanner)

// ---- Messages

const TOrvMsgClass TRixMsgError_InstrSepExpected{"TRixMsgError_InstrSepExpected",
                                                 &TOrvMsgKind_Error,
                                                 "<PLK>Oczekiwany \";\".<ENU>\";\" expected."};
const TOrvMsgClass TRixMsgError_ListSepExpected{
    "TRixMsgError_ListSepExpected", &TOrvMsgKind_Error,
    "<PLK>Oczekiwany \",\" lub \";\".<ENU>\",\" or \";\" expected."};
const TOrvMsgClass TRixMsgError_DefEndExpected{"TRixMsgError_DefEndExpected", &TOrvMsgKind_Error,
                                               "<PLK>Oczekiwany \"end\".<ENU>\"end\" expected."};
const TOrvMsgClass TRixMsgError_DefSimpleExpected{"TRixMsgError_DefSimpleExpected",
                                                  &TOrvMsgKind_Error,
                                                  "<PLK>Oczekiwany \"=\".<ENU>\"=\" expected."};
const TOrvMsgClass TRixMsgError_Unknown{"TRixMsgError_Unknown", &TOrvMsgKind_Error,
                                        "<PLK>Nieznany błąd.<ENU>Unknown error."};
const TOrvMsgClass TRixMsgError_UnknownKey{"TRixMsgError_UnknownKey", &TOrvMsgKind_Error,
                                           "<PLK>Nieznany klucz.<ENU>Unknown key."};
const TOrvMsgClass TRixMsgError_BinDataExpected{
    "TRixMsgError_BinDataExpected", &TOrvMsgKind_Error,
    "<PLK>Oczekiwane dane binarne.<ENU>Binary data expected."};
const TOrvMsgClass TRixMsgError_BooleanExpected{
    "TRixMsgError_BooleanExpected", &TOrvMsgKind_Error,
    "<PLK>Oczekiwana wartość \"0\" lub \"1\".<ENU>\"0\" or \"1\" expected."};
const TOrvMsgClass TRixMsgError_GUIDExpected{
    "TRixMsgError_GUIDExpected", &TOrvMsgKind_Error,
    "<PLK>Oczekiwany GUID (\"{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}\")."
    "<ENU>GUID (\"{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}\") expected."};
const TOrvMsgClass TRixMsgError_IdentifierExpected{
    "TRixMsgError_IdentifierExpected", &TOrvMsgKind_Error,
    "<PLK>Oczekiwany identyfikator.<ENU>Identifier expected."};
const TOrvMsgClass TRixMsgError_NumberExpected{"TRixMsgError_NumberExpected", &TOrvMsgKind_Error,
                                               "<PLK>Oczekiwana liczba.<ENU>Number expected."};
const TOrvMsgClass TRixMsgError_IntegerExpected{
    "TRixMsgError_IntegerExpected", &TOrvMsgKind_Error,
    "<PLK>Oczekiwana liczba całkowita.<ENU>Integer expected."};
const TOrvMsgClass TRixMsgError_StringExpected{"TRixMsgError_StringExpected", &TOrvMsgKind_Error,
                                               "<PLK>Oczekiwany tekst.<ENU>String expected."};
const TOrvMsgClass TRixMsgError_StringMultiLineNotAllowed{
    "TRixMsgError_StringMultiLineNotAllowed", &TOrvMsgKind_Error,
    "<PLK>Tekst wielolinijkowy w tym miejscu nie jest dozwolony."
    "<ENU>Multi-line strings are not allowed here."};
const TOrvMsgClass TRixMsgError_ListRParExpected{
    "TRixMsgError_ListRParExpected", &TOrvMsgKind_Error,
    "<PLK>Oczekiwany nawias zamykający ']'.<ENU>Closing parenthesis expected: ']'."};
const TOrvMsgClass TRixMsgError_ListRParInvalid{
    "TRixMsgError_ListRParInvalid", &TOrvMsgKind_Error,
    "<PLK>Nieprawidłowy nawias zamykający ']'.<ENU>Closing parenthesis invalid: ']'."};
const TOrvMsgClass TRixError_LanguageStringEmpty{
    "TRixError_LanguageStringEmpty", &TOrvMsgKind_Error,
    "<PLK>Tekst pusty w jednym z języków.<ENU>String empty in one of the languages."};
const TOrvMsgClass TRixWarning_Ignored{
    "TRixWarning_Ignored", &TOrvMsgKind_Warning,
    "<PLK>Ustawienie zignorowane; już nie używane.<ENU>Setting ignored; deprecated."};

namespace {

bool IsBlank(char C) { return C == ' '; }

// Whether NormaliseString would change Raw: a CR LF pair, a blank at either end or beside
// another blank, or a "\n".
bool NeedsNormalising(std::string_view Raw) {
  const size_t N = Raw.size();
  if (N > 0 && (IsBlank(Raw[0]) || IsBlank(Raw[N - 1]))) return true;
  for (size_t I = 0; I + 1 < N; ++I) {
    const char C = Raw[I];
    const char D = Raw[I + 1];
    if ((C == '\r' && D == '\n') || (IsBlank(C) && IsBlank(D)) || (C == '\\' && D == 'n'))
      return true;
  }
  return false;
}

// CR LF pairs become blanks, blanks are trimmed and collapsed, a blank next to "\n" is dropped,
// and each "\n" becomes CR LF. Two linear passes; a text that needs none of it is copied.
std::string NormaliseString(const std::string& Raw) {
  if (!NeedsNormalising(Raw)) return Raw;
  std::string A;
  A.reserve(Raw.size());
  bool PendingBlank = false;
  const size_t N = Raw.size();
  for (size_t I = 0; I < N; ++I) {
    const char C = Raw[I];
    if (C == '\r' && I + 1 < N && Raw[I + 1] == '\n') {
      PendingBlank = true;
      ++I;
    } else if (IsBlank(C)) {
      PendingBlank = true;
    } else {
      if (PendingBlank && !A.empty()) A += ' ';
      PendingBlank = false;
      A += C;
    }
  }
  std::string R;
  R.reserve(A.size() + 8);
  const size_t M = A.size();
  for (size_t I = 0; I < M; ++I) {
    if (A[I] == '\\' && I + 1 < M && A[I + 1] == 'n') {
      if (!R.empty() && R.back() == ' ') R.pop_back();
      R += "\r\n";
      ++I;
      if (I + 1 < M && A[I + 1] == ' ') ++I;
    } else {
      R += A[I];
    }
  }
  return R;
}

// Trims the characters up to the blank at both ends.
std::string_view TrimText(std::string_view S) {
  size_t B = 0, E = S.size();
  while (B < E && static_cast<unsigned char>(S[B]) <= ' ') ++B;
  while (E > B && static_cast<unsigned char>(S[E - 1]) <= ' ') --E;
  return S.substr(B, E - B);
}

}  // namespace

bool AllLanguageTextsFilled(const TRixScanner* Scanner, std::string_view Text,
                            const TOrvLangManager* LangManager, bool TrimFirst) {
  if (LangManager && !LangManager->Languages().empty()) {
    for (const std::string& Lang : LangManager->Languages()) {
      const std::string T = LangManager->TranslateTo(Text, Lang);
      if ((TrimFirst ? TrimText(T) : std::string_view(T)).empty()) return false;
    }
    return true;
  }
  return !(TrimFirst ? TrimText(Text) : Text).empty();
}

// ---- Creation and lexical settings

std::unique_ptr<TRixScanner> TRixScanner::CreateFromText(std::string AText, TOrvMsgList* AMsgList) {
  return New<TRixScanner>(std::move(AText), AMsgList);
}

std::unique_ptr<TRixScanner> TRixScanner::CreateFromStream(TStream& Stream, TOrvMsgList* AMsgList) {
  return New<TRixScanner>(ReadRestOfStream(Stream), AMsgList);
}

std::unique_ptr<TOrvTerminalList> TRixScanner::CreateTerminalList() {
  return New<TRixTerminalList>(CaseSensitive);
}

void TRixScanner::SetDefaults() {
  TOrvScanner::SetDefaults();
  MultiLineStrings = true;
}

bool TRixScanner::ReadMultiLineText(std::string& AText) {
  const bool Result = TOrvScanner::ReadMultiLineText(AText);
  if (AText.find("//!") == std::string::npos && AText.find("//?") == std::string::npos)
    return Result;
  const std::string_view Eol = EOLText.empty() ? std::string_view("\r\n") : EOLText;
  std::string Out;
  Out.reserve(AText.size());
  size_t I = 0;
  while (I < AText.size()) {
    const size_t E = AText.find(Eol, I);
    const size_t Next = E == std::string::npos ? AText.size() : E + Eol.size();
    const bool Drop = AText.compare(I, 3, "//!") == 0 || AText.compare(I, 3, "//?") == 0;
    if (!Drop) Out.append(AText, I, Next - I);
    I = Next;
  }
  AText.swap(Out);
  return Result;
}

// ---- Expectations and recovery

bool TRixScanner::Expect(const ClassInfo& TokenClass, const TOrvMsgClass& MsgClass, bool Recover) {
  if (Accept(TokenClass)) return true;
  AddMsgAt(MsgClass, Token->StartPos);
  if (Recover) SkipStatement(&TokenClass != &TRixTokenInstrSep::StaticClass());
  return false;
}

bool TRixScanner::ExpectText(const ClassInfo& TokenClass, const TOrvMsgKind& Kind, bool Recover,
                             std::string_view Text) {
  if (Accept(TokenClass)) return true;
  AddMsgText(Token->StartPos, Kind, std::string(Text));
  if (Recover) SkipStatement(&TokenClass != &TRixTokenInstrSep::StaticClass());
  return false;
}

void TRixScanner::SkipStatement(bool ReportMissing) {
  for (;;) {
    if (Token->Is<TRixTokenInstrSep>()) {
      NextToken();
      return;
    }
    if (Token->Is<TRixTokenDefStart>() || Token->Is<TOrvTokenEOF>()) {
      if (ReportMissing) AddMsgAt(TRixMsgError_InstrSepExpected, Pos);
      return;
    }
    NextToken();
  }
}

void TRixScanner::SkipDef(TOrvTextPos StartPos) {
  // Iterative: the nesting of the input never reaches the stack.
  int64_t Depth = 1;
  for (;;) {
    if (Token->Is<TOrvTokenEOF>()) {
      AddMsgAt(TRixMsgError_DefEndExpected, StartPos);
      return;
    }
    if (Token->Is<TRixTokenDefStart>()) {
      ++Depth;
    } else if (Token->Is<TRixTokenDefEnd>() && --Depth == 0) {
      NextToken();
      if (!Accept(TRixTokenInstrSep::StaticClass()))
        AddMsgAt(TRixMsgError_InstrSepExpected, LastTokenEnd());
      return;
    }
    NextToken();
  }
}

// ---- Typed readers

TRixReadResult TRixScanner::KeyAndEquals(std::string_view Key) {
  if (!Key.empty() && !AcceptIdentifier(Key)) return TRixReadResult::NoMatch;
  if (!Expect(TRixTokenDefSimple::StaticClass(), TRixMsgError_DefSimpleExpected, true))
    return TRixReadResult::Failed;
  return TRixReadResult::Ok;
}

bool TRixScanner::ReadDefComplexStart(std::string_view Key) {
  if (!Token || !Token->Is<TRixTokenDefStart>()) return Done(TRixReadResult::NoMatch);
  // Look one token ahead without reporting; when the key is another, the tokens go back to
  // where they were (the older token is kept aside, since reading on would drop it).
  const TOrvTextPos SavedPos = Pos;
  std::unique_ptr<TOrvToken> SavedOlder = std::move(OlderToken);
  {
    TSaveRestore Quiet(MsgsOn, false);
    NextToken();
  }
  const auto* Id = As<TOrvTokenIdentifier>(Token.get());
  if (Id && (CaseSensitive ? Id->Text == Key : SameText(Id->Text, Key))) {
    Recycle(std::move(SavedOlder));
    NextToken();
    return Done(TRixReadResult::Ok);
  }
  Recycle(std::move(Token));
  Token = std::move(PrevToken);
  PrevToken = std::move(OlderToken);
  OlderToken = std::move(SavedOlder);
  Pos = SavedPos;
  return Done(TRixReadResult::NoMatch);
}

bool TRixScanner::ReadDefSimpleStart(std::string_view Key) { return Done(KeyAndEquals(Key)); }

bool TRixScanner::ReadBinData(std::string_view Key, TDynByteArr& Data) {
  const TRixReadResult R = KeyAndEquals(Key);
  if (R != TRixReadResult::Ok) return Done(R);
  if (!Expect(TOrvTokenBinData::StaticClass(), TRixMsgError_BinDataExpected, true))
    return Done(TRixReadResult::Failed);
  Data = static_cast<const TOrvTokenBinData*>(PrevToken.get())->Bytes;
  Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, false);
  return Done(TRixReadResult::Ok);
}

bool TRixScanner::ReadDoubleBin(std::string_view Key, double& Value) {
  const TRixReadResult R = KeyAndEquals(Key);
  if (R != TRixReadResult::Ok) return Done(R);
  if (!Expect(TOrvTokenBinData::StaticClass(), TRixMsgError_BinDataExpected, true))
    return Done(TRixReadResult::Failed);
  const auto* B = static_cast<const TOrvTokenBinData*>(PrevToken.get());
  bool Good = B->Bytes.size() == sizeof(double);
  if (Good)
    std::memcpy(&Value, B->Bytes.data(), sizeof(double));
  else
    AddMsgAt(TRixMsgError_BinDataExpected, B->StartPos);
  Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, false);
  return Done(Good ? TRixReadResult::Ok : TRixReadResult::Failed);
}

bool TRixScanner::ReadBoolean(std::string_view Key, bool& Value) {
  const TRixReadResult R = KeyAndEquals(Key);
  if (R != TRixReadResult::Ok) return Done(R);
  if (!Expect(TOrvTokenInteger::StaticClass(), TRixMsgError_BooleanExpected, true))
    return Done(TRixReadResult::Failed);
  const auto* I = static_cast<const TOrvTokenInteger*>(PrevToken.get());
  if (I->Value == 0 || I->Value == 1)
    Value = I->Value == 1;
  else
    AddMsgAt(TRixMsgError_BooleanExpected, I->StartPos);
  Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, false);
  return Done(TRixReadResult::Ok);
}

bool TRixScanner::ReadDaySet(std::string_view Key, TOrvDaySet& Days) {
  const TRixReadResult R = KeyAndEquals(Key);
  if (R != TRixReadResult::Ok) return Done(R);
  ParseDaySet(Days);
  return Done(TRixReadResult::Ok);
}

bool TRixScanner::ReadGUID(std::string_view Key, TGUID& GUID) {
  const TRixReadResult R = KeyAndEquals(Key);
  if (R != TRixReadResult::Ok) return Done(R);
  if (!Token->Is<TOrvTokenString>()) {
    AddMsgAt(TRixMsgError_GUIDExpected, PrevToken->StartPos);  // at the "="
    return Done(TRixReadResult::Failed);
  }
  NextToken();
  TGUID G;
  const bool Good = TryStringToGUID(PrevToken->GetText(), G);
  if (Good)
    GUID = G;
  else
    AddMsgAt(TRixMsgError_GUIDExpected, PrevToken->StartPos);
  Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, false);
  return Done(Good ? TRixReadResult::Ok : TRixReadResult::Failed);
}

bool TRixScanner::ReadIdentifier(std::string_view Key, std::string& Value) {
  const TRixReadResult R = KeyAndEquals(Key);
  if (R != TRixReadResult::Ok) return Done(R);
  std::string V;
  if (!ParseIdentifier(V)) return Done(TRixReadResult::Failed);
  Value = LowerCase(V);
  Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, false);
  return Done(TRixReadResult::Ok);
}

bool TRixScanner::ReadIdentifierList(std::string_view Key, std::unique_ptr<TRixTextList>& List) {
  const TRixReadResult R = KeyAndEquals(Key);
  if (R != TRixReadResult::Ok) return Done(R);
  List.reset();
  FLastResult = ParseIdentifierList(List) ? TRixReadResult::Ok : TRixReadResult::Failed;
  return true;
}

bool TRixScanner::ReadInteger(std::string_view Key, int32_t& Value) {
  const TRixReadResult R = KeyAndEquals(Key);
  if (R != TRixReadResult::Ok) return Done(R);
  const bool Negative = Accept(TRixTokenMinus::StaticClass());
  // The smallest integer has no positive counterpart: its digits read as a float.
  const auto* F = As<TOrvTokenFloat>(Token.get());
  if (Negative && F && F->Text == "2147483648") {
    NextToken();
    Value = std::numeric_limits<int32_t>::min();
  } else {
    if (!Expect(TOrvTokenInteger::StaticClass(), TRixMsgError_IntegerExpected, true))
      return Done(TRixReadResult::Failed);
    const int32_t V = static_cast<const TOrvTokenInteger*>(PrevToken.get())->Value;
    Value = Negative ? -V : V;
  }
  Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, false);
  return Done(TRixReadResult::Ok);
}

bool TRixScanner::ReadNumber(std::string_view Key, double& Value) {
  const TRixReadResult R = KeyAndEquals(Key);
  if (R != TRixReadResult::Ok) return Done(R);
  double V = 0;
  if (!ParseNumber(V)) {
    SkipStatement(true);
    return Done(TRixReadResult::Failed);
  }
  Value = V;
  Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, false);
  return Done(TRixReadResult::Ok);
}

bool TRixScanner::ReadString(std::string_view Key, std::string& Value, bool AllowMultiLine,
                             bool AllowEmpty, const TOrvLangManager* LangManager) {
  const TRixReadResult R = KeyAndEquals(Key);
  if (R != TRixReadResult::Ok) return Done(R);
  std::string V;
  // A missing string has already been skipped to the end of its instruction; skipping again
  // would swallow the next instruction.
  if (!ParseString(V, AllowMultiLine, AllowEmpty, LangManager)) return Done(TRixReadResult::Failed);
  Value = std::move(V);
  Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, false);
  return Done(TRixReadResult::Ok);
}

bool TRixScanner::ReadStringList(std::string_view Key, std::unique_ptr<TRixTextList>& List,
                                 bool AllowMultiLine, bool AllowEmpty,
                                 const TOrvLangManager* LangManager) {
  const TRixReadResult R = KeyAndEquals(Key);
  if (R != TRixReadResult::Ok) return Done(R);
  List.reset();
  FLastResult = ParseStringList(List, AllowMultiLine, AllowEmpty, LangManager)
                    ? TRixReadResult::Ok
                    : TRixReadResult::Failed;
  return true;
}

bool TRixScanner::ReadIntegerList(std::string_view Key, std::unique_ptr<TRixIntegerList>& List) {
  const TRixReadResult R = KeyAndEquals(Key);
  if (R != TRixReadResult::Ok) return Done(R);
  List.reset();
  FLastResult = ParseIntegerList(List) ? TRixReadResult::Ok : TRixReadResult::Failed;
  return true;
}

bool TRixScanner::ReadSignature(std::string_view Key, const TGUID& ExpectedGUID) {
  const TRixReadResult R = KeyAndEquals(Key);
  if (R != TRixReadResult::Ok) return Done(R);
  if (!Token->Is<TOrvTokenString>()) throw ESIGErr();
  TGUID G;
  if (!TryStringToGUID(Token->GetText(), G) || G != ExpectedGUID) throw ESIGErr();
  NextToken();
  Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, false);
  return Done(TRixReadResult::Ok);
}

bool TRixScanner::ReadVersion(std::string_view Key, uint8_t Min, uint8_t Max) {
  int32_t Version = 0;
  return ReadVersion(Key, Min, Max, Version);
}

bool TRixScanner::ReadVersion(std::string_view Key, uint8_t Min, uint8_t Max, int32_t& Version) {
  const TRixReadResult R = KeyAndEquals(Key);
  if (R != TRixReadResult::Ok) return Done(R);
  const auto* I = As<TOrvTokenInteger>(Token.get());
  if (!I) throw EVERErr();
  const int32_t V = I->Value;
  const uint8_t Low = static_cast<uint8_t>(V & 0xFF);  // only the low byte counts
  if (Low < Min || Low > Max) throw EVERErr();
  NextToken();
  Version = V;
  Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, false);
  return Done(TRixReadResult::Ok);
}

// ---- Value parsers

bool TRixScanner::ParseIdentifier(std::string& Value) {
  if (!Expect(TOrvTokenIdentifier::StaticClass(), TRixMsgError_IdentifierExpected, true))
    return false;
  std::string V = PrevToken->GetText();
  while (Accept(TRixTokenIDPartSep::StaticClass())) {
    if (!Expect(TOrvTokenIdentifier::StaticClass(), TRixMsgError_IdentifierExpected, true))
      return false;
    V += '@';
    V += static_cast<const TOrvTokenText*>(PrevToken.get())->Text;
  }
  Value = std::move(V);
  return true;
}

bool TRixScanner::ParseTextList(std::unique_ptr<TRixTextList>& List, bool Identifiers,
                                bool AllowMultiLine, bool AllowEmpty,
                                const TOrvLangManager* LangManager) {
  // Reads one element; its token is a copy of the token it began at, holding the final value
  // and ending where the element ends.
  auto ReadElem = [&]() -> std::unique_ptr<TRixTextElem> {
    std::unique_ptr<TOrvToken> Start = CopyOf(*Token);
    std::string V;
    if (Identifiers ? !ParseIdentifier(V)
                    : !ParseString(V, AllowMultiLine, AllowEmpty, LangManager))
      return nullptr;
    Start->SetText(Identifiers ? LowerCase(V) : V);
    Start->SetEndPos(LastTokenEnd());
    return std::make_unique<TRixTextElem>(std::move(Start));
  };
  std::unique_ptr<TRixTextElem> Elem = ReadElem();
  if (!Elem) return false;
  auto DropList = OnScopeFail([&] { List.reset(); });
  if (List)
    List->Clear();
  else
    List = std::make_unique<TRixTextList>();
  List->Add(std::move(Elem));
  while (Accept(TRixTokenListSep::StaticClass())) {
    Elem = ReadElem();
    if (!Elem) return true;  // reported and skipped; the list keeps what it has
    List->Add(std::move(Elem));
  }
  Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, true);
  return true;
}

bool TRixScanner::ParseIdentifierList(std::unique_ptr<TRixTextList>& List) {
  return ParseTextList(List, /*Identifiers=*/true, /*AllowMultiLine=*/false, /*AllowEmpty=*/true,
                       nullptr);
}

bool TRixScanner::ParseStringList(std::unique_ptr<TRixTextList>& List, bool AllowMultiLine,
                                  bool AllowEmpty, const TOrvLangManager* LangManager) {
  return ParseTextList(List, false, AllowMultiLine, AllowEmpty, LangManager);
}

bool TRixScanner::ParseIntegerList(std::unique_ptr<TRixIntegerList>& List) {
  if (!Expect(TOrvTokenInteger::StaticClass(), TRixMsgError_IntegerExpected, true)) return false;
  auto DropList = OnScopeFail([&] { List.reset(); });
  if (List)
    List->Clear();
  else
    List = std::make_unique<TRixIntegerList>();
  List->Add(std::make_unique<TRixIntegerElem>(*PrevToken));
  while (Accept(TRixTokenListSep::StaticClass())) {
    if (!Expect(TOrvTokenInteger::StaticClass(), TRixMsgError_IntegerExpected, true)) return true;
    List->Add(std::make_unique<TRixIntegerElem>(*PrevToken));
  }
  Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, true);
  return true;
}

bool TRixScanner::ParseNumber(double& Value) {
  const bool Negative = Accept(TRixTokenMinus::StaticClass());
  double V;
  if (const auto* I = As<TOrvTokenInteger>(Token.get())) {
    V = I->Value;
  } else if (const auto* F = As<TOrvTokenFloat>(Token.get())) {
    V = F->Value;
  } else {
    AddMsgAt(TRixMsgError_NumberExpected, Token->StartPos);
    return false;
  }
  NextToken();
  Value = Negative ? -V : V;
  return true;
}

bool TRixScanner::ParseString(std::string& Value, bool AllowMultiLine, bool AllowEmpty,
                              const TOrvLangManager* LangManager) {
  if (!Expect(TOrvTokenString::StaticClass(), TRixMsgError_StringExpected, true)) return false;
  const std::string& Raw = static_cast<const TOrvTokenText*>(PrevToken.get())->Text;
  if (!AllowMultiLine) {
    const size_t Cut = Raw.find_first_of("\r\n");
    if (Cut != std::string::npos) {
      Value = Raw.substr(0, Cut);
      AddMsgAt(TRixMsgError_StringMultiLineNotAllowed, LastTokenEnd());
      return true;
    }
  }
  Value = NormaliseString(Raw);
  if (!AllowEmpty && !AllLanguageTextsFilled(this, Value, LangManager, false))
    AddMsgAt(TRixError_LanguageStringEmpty, LastTokenEnd());
  return true;
}

bool TRixScanner::ExpectDay(TOrvDay& Day, bool& Known) {
  if (!Expect(TOrvTokenIdentifier::StaticClass(), TRixMsgError_IdentifierExpected, true))
    return false;
  // An unknown key contributes no day and is not reported.
  Known = DayFromKey(LowerCase(static_cast<const TOrvTokenText*>(PrevToken.get())->Text), Day);
  return true;
}

bool TRixScanner::ParseDaySet(TOrvDaySet& Days) {
  Days = TOrvDaySet();
  while (!Accept(TRixTokenInstrSep::StaticClass())) {
    if (Token->Is<TOrvTokenEOF>()) {
      AddMsgAt(TOrvMsg_FatalError_UnexpectedEOF, Token->StartPos);
      break;  // without a message list nothing stops the reading: end here
    }
    TOrvDay First = dMon, Last = dMon;
    bool FirstKnown = false, LastKnown = false;
    if (!ExpectDay(First, FirstKnown)) break;
    Last = First;
    LastKnown = FirstKnown;
    if (Accept(TRixTokenRangeSep::StaticClass()) && !ExpectDay(Last, LastKnown)) break;
    if (FirstKnown && LastKnown)
      for (int D = First; D <= Last; ++D) Days.Include(static_cast<TOrvDay>(D));
    if (!Accept(TRixTokenListSep::StaticClass())) {
      Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, false);
      break;
    }
  }
  return true;
}

}  // namespace quin
