#include "base/orvscanner.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "base/format.h"
#include "base/scopeguard.h"
#include "base/text.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TOrvToken, TOrvObject)
QUIN_IMPLEMENT_CLASS(TOrvTokenBOF, TOrvToken)
QUIN_IMPLEMENT_CLASS(TOrvTokenEOF, TOrvToken)
QUIN_IMPLEMENT_CLASS(TOrvTokenText, TOrvToken)
QUIN_IMPLEMENT_CLASS(TOrvTokenUnknown, TOrvTokenText)
QUIN_IMPLEMENT_CLASS(TOrvTokenString, TOrvTokenText)
QUIN_IMPLEMENT_CLASS(TOrvTokenStringMultiLine, TOrvTokenString)
QUIN_IMPLEMENT_CLASS(TOrvTokenIdentifier, TOrvTokenText)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TOrvTokenNumber, TOrvTokenText)
QUIN_IMPLEMENT_CLASS(TOrvTokenInteger, TOrvTokenNumber)
QUIN_IMPLEMENT_CLASS(TOrvTokenFloat, TOrvTokenNumber)
QUIN_IMPLEMENT_CLASS(TOrvTokenBinData, TOrvTokenText)
QUIN_IMPLEMENT_CLASS(TOrvTerminal, TOrvTokenText)
QUIN_IMPLEMENT_CLASS(TOrvTokenList, TOrvObjectList)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TOrvTerminalList, TOrvObjectList)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TOrvScanner, TOrvObject)

const TOrvMsgClass TOrvMsg_FatalError_UnexpectedEOF{
    "TOrvMsg_FatalError_UnexpectedEOF", &TOrvMsgKind_FatalError,
    "<PLK>Nieoczekiwany koniec pliku.<ENU>Unexpected end of file."};
const TOrvMsgClass TOrvMsg_Error_EndOfCommentExpected{
    "TOrvMsg_Error_EndOfCommentExpected", &TOrvMsgKind_Error,
    "<PLK>Oczekiwany koniec komentarza.<ENU>End of comment expected."};
const TOrvMsgClass TOrvMsg_Error_StringExceedsEOLn{
    "TOrvMsg_Error_StringExceedsEOLn", &TOrvMsgKind_Error,
    "<PLK>Tekst nie zakończony pomimo końca linii.<ENU>String exceeds end of line."};
const TOrvMsgClass TOrvMsg_Error_UnknownSymbol{
    "TOrvMsg_Error_UnknownSymbol", &TOrvMsgKind_Error,
    "<PLK>Nieznany symbol \"%s\" (kod #%s).<ENU>Unknown symbol \"%s\" (code #%s)."};
const TOrvMsgClass TOrvMsg_Error_InvalidNumericFormat{
    "TOrvMsg_Error_InvalidNumericFormat", &TOrvMsgKind_Error,
    "<PLK>Niedozwolony format liczby.<ENU>Invalid numeric format."};
const TOrvMsgClass TOrvMsg_Error_InvalidBinData{
    "TOrvMsg_Error_InvalidBinData", &TOrvMsgKind_Error,
    "<PLK>Nieprawidłowe dane binarne.<ENU>Invalid binary data."};

namespace {
// The class of plain messages made from a kind and a free template.
const TOrvMsgClass kPlainMsg{"TOrvMsg", &TOrvMsgKind_Error, ""};

const TFormatSettings& PointSettings() {
  static const TFormatSettings FS{};  // '.' decimal separator
  return FS;
}

int HexValue(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  return -1;
}

}  // namespace

// ---- Tokens

std::string TOrvTokenInteger::AsString() const { return IntToStr(Value); }

std::string TOrvTokenFloat::AsString() const { return FloatToStr(Value, PointSettings()); }

TOrvTokenBinData::TOrvTokenBinData(const TOrvTextPos& AStartPos, const TOrvTextPos& AEndPos,
                                   std::string_view AText)
    : TOrvTokenText(AStartPos, AEndPos, "") {
  SetText(AText);
}

bool TOrvTokenBinData::TryDecode(std::string_view Hex, TDynByteArr& Bytes,
                                 EOrvInvalidBinData::TReason& Reason) {
  if (Hex.empty() || Hex.size() % 2 != 0) {
    Reason = EOrvInvalidBinData::kInvalidSize;
    return false;
  }
  Bytes.resize(Hex.size() / 2);
  for (size_t I = 0; I < Bytes.size(); ++I) {
    const int Hi = HexValue(Hex[2 * I]);
    const int Lo = HexValue(Hex[2 * I + 1]);
    if (Hi < 0 || Lo < 0) {
      Reason = EOrvInvalidBinData::kInvalidChars;
      return false;
    }
    Bytes[I] = static_cast<uint8_t>(Hi * 16 + Lo);
  }
  return true;
}

void TOrvTokenBinData::SetText(std::string_view AText) {
  TOrvTokenText::SetText(AText);
  EOrvInvalidBinData::TReason Reason;
  if (!TryDecode(Text, Bytes, Reason)) {
    Bytes.clear();
    throw EOrvInvalidBinData(Reason);
  }
}

std::unique_ptr<TOrvObject> TOrvTerminal::CreateCopy() const {
  std::unique_ptr<TOrvTerminal> T = OwnedAs<TOrvTerminal>(ClassType().Create());
  if (!T) return std::unique_ptr<TOrvObject>(new TOrvTerminal(*this));  // abstract class
  T->StartPos = StartPos;
  T->EndPos = EndPos;
  T->Text = Text;
  return T;
}

int TOrvTokenList::AddCopy(const TOrvToken& Token) {
  return TOrvObjectList::Add(CopyOf(Token).release());
}

// ---- Terminal table

void TOrvTerminalList::AfterConstruction() {
  RegisterTerminals();
  Build();
}

void TOrvTerminalList::AddTerminal(std::string_view Text, const ClassInfo& TokenClass) {
  if (Text.empty()) throw EListError("Empty terminal text");
  if (!TokenClass.Factory || !TokenClass.InheritsFrom(TOrvTerminal::StaticClass()))
    throw EListError(std::string("Class ") + TokenClass.Name + " is no creatable terminal");
  FPending.push_back({CaseSensitive ? std::string(Text) : UpperCase(Text), &TokenClass});
}

void TOrvTerminalList::AddKeyword(std::string_view Text) {
  AddTerminal(Text, TOrvTerminal::StaticClass());
}

void TOrvTerminalList::Build() {
  std::array<size_t, 256> Counts{};
  for (const auto& It : FPending) ++Counts[static_cast<unsigned char>(It.Text[0])];
  for (size_t C = 0; C < 256; ++C) Map[C].reserve(Map[C].size() + Counts[C]);
  for (auto& It : FPending) Map[static_cast<unsigned char>(It.Text[0])].push_back(std::move(It));
  FPending.clear();
  for (auto& Bucket : Map) {
    // Insertion sort, longest first; equal lengths keep their order of registration.
    for (size_t I = 1; I < Bucket.size(); ++I) {
      TOrvTerminalMapItem Item = std::move(Bucket[I]);
      size_t J = I;
      while (J > 0 && Bucket[J - 1].Text.size() < Item.Text.size()) {
        Bucket[J] = std::move(Bucket[J - 1]);
        --J;
      }
      Bucket[J] = std::move(Item);
    }
  }
}

bool TOrvTerminalList::Same(const char* A, const char* B, size_t N) const {
  if (CaseSensitive) return std::memcmp(A, B, N) == 0;
  for (size_t I = 0; I < N; ++I)
    if (UpperChar(A[I]) != UpperChar(B[I])) return false;
  return true;
}

// The entries of a bucket share their first character (under the table's case rule): only the
// rest of each is compared.
const ClassInfo* TOrvTerminalList::MatchAt(std::string_view Text, int32_t Offset,
                                           int32_t& MatchLen) const {
  MatchLen = 0;
  if (Offset < 1 || static_cast<size_t>(Offset) > Text.size()) return nullptr;
  const size_t I = static_cast<size_t>(Offset) - 1;
  const char C = CaseSensitive ? Text[I] : UpperChar(Text[I]);
  const size_t Left = Text.size() - I;
  for (const auto& It : Map[static_cast<unsigned char>(C)]) {
    const size_t N = It.Text.size();
    if (N <= Left && Same(It.Text.data() + 1, Text.data() + I + 1, N - 1)) {
      MatchLen = static_cast<int32_t>(N);
      return It.TokenClass;
    }
  }
  return nullptr;
}

const ClassInfo* TOrvTerminalList::FindWord(std::string_view Word) const {
  if (Word.empty()) return nullptr;
  const char C = CaseSensitive ? Word[0] : UpperChar(Word[0]);
  for (const auto& It : Map[static_cast<unsigned char>(C)])
    if (It.Text.size() == Word.size() && Same(It.Text.data() + 1, Word.data() + 1, Word.size() - 1))
      return It.TokenClass;
  return nullptr;
}

// ---- Character sets

// ---- Scanner

namespace {
int32_t CheckedLength(const std::string& S) {
  if (S.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max() - 16))
    throw EListError("Text too long to scan (" + std::to_string(S.size()) + " bytes)");
  return static_cast<int32_t>(S.size());
}
}  // namespace

TOrvScanner::TOrvScanner(TOrvMsgList* AMsgList) : TOrvScanner(std::string(), AMsgList) {}

TOrvScanner::TOrvScanner(std::string AText, TOrvMsgList* AMsgList)
    : Pos(MakeTextPos(1, 1, 1)),
      Token(New<TOrvTokenBOF>(Pos, Pos)),
      MsgList(AMsgList),
      Text(std::move(AText)),
      TextLength(CheckedLength(Text)) {}

TOrvScanner::~TOrvScanner() = default;

void TOrvScanner::AfterConstruction() { SetDefaults(); }

std::unique_ptr<TOrvScanner> TOrvScanner::CreateFromText(std::string AText, TOrvMsgList* AMsgList) {
  return New<TOrvScanner>(std::move(AText), AMsgList);
}

std::unique_ptr<TOrvScanner> TOrvScanner::CreateFromStream(TStream& Stream, TOrvMsgList* AMsgList) {
  return New<TOrvScanner>(ReadRestOfStream(Stream), AMsgList);
}

std::unique_ptr<TOrvTerminalList> TOrvScanner::CreateTerminalList() { return nullptr; }

void TOrvScanner::SetDefaults() {
  BlankChars.Clear();
  BlankChars.AddChars(std::string_view("\x08\x09\x0A\x0D\x20", 5));
  CaseSensitive = false;
  EOLText = "\r\n";
  IdentStartChars.Clear();
  IdentStartChars.AddRange('A', 'Z').Add('_').AddRange('a', 'z');
  IdentChars.Clear();
  IdentChars.Add('.').AddRange('0', '9').AddRange('A', 'Z').Add('_').AddRange('a', 'z');
  MultiLineOpen = "<<";
  MultiLineClose = ">>";
  MultiLineStrings = false;
  BlockCommentOpen = {"/*"};
  BlockCommentClose = {"*/"};
  LineCommentOpen = {"//"};
  NumberStartChars.Clear();
  NumberStartChars.AddRange('0', '9');
  NumberChars = IdentChars;
  StringStart.assign(1, '"');
  StringEnd.assign(1, '"');
  TerminalList = CreateTerminalList();
}

int TOrvScanner::BlockCommentAt() {
  if (Pos.Offset >= TextLength) return -1;
  const char C = Text[Pos.Offset - 1];
  const size_t N = std::min(BlockCommentOpen.size(), BlockCommentClose.size());
  for (size_t I = 0; I < N; ++I) {
    const std::string& O = BlockCommentOpen[I];
    if (!O.empty() && O[0] == C && AtText(O) && !BlockCommentClose[I].empty())
      return static_cast<int>(I);
  }
  return -1;
}

int TOrvScanner::LineCommentAt() {
  if (Pos.Offset >= TextLength) return -1;
  const char C = Text[Pos.Offset - 1];
  for (size_t I = 0; I < LineCommentOpen.size(); ++I) {
    const std::string& O = LineCommentOpen[I];
    if (!O.empty() && O[0] == C && AtText(O)) return static_cast<int>(I);
  }
  return -1;
}

void TOrvScanner::TakeSettings() {
  FSettingsTaken = true;
  FSpaceRuns = BlankChars.Has(' ') && (EOLText.empty() || EOLText[0] != ' ');
  FCommentStarts.Clear();
  for (const std::string& O : LineCommentOpen)
    if (!O.empty()) FCommentStarts.Add(O[0]);
  for (const std::string& O : BlockCommentOpen)
    if (!O.empty()) FCommentStarts.Add(O[0]);
}

void TOrvScanner::SkipBlanks() {
  if (!FSettingsTaken) TakeSettings();
  const char* const P = Text.data();
  for (;;) {
    // Runs of spaces (the indentation of definitions) at once.
    if (FSpaceRuns) {
      const int32_t From = Pos.Offset - 1;
      int32_t I = From;
      while (I < TextLength && P[I] == ' ') ++I;
      AdvanceInLine(I - From);
    }
    if (AtEnd() || !BlankChars.Has(P[Pos.Offset - 1])) return;
    Advance();
  }
}

void TOrvScanner::SkipLineComment(int Index) {
  // Up to the first character of the line end: no line end lies before it.
  const int32_t From = Pos.Offset - 1;
  int32_t To = TextLength;
  if (!EOLText.empty() && From < TextLength) {
    const void* Eol = std::memchr(Text.data() + From, EOLText[0], TextLength - From);
    if (Eol) To = static_cast<int32_t>(static_cast<const char*>(Eol) - Text.data());
  }
  if (To > From) AdvanceInLine(To - From);
  SkipBlanks();
}

void TOrvScanner::SkipBlockComment(int Index) {
  const std::string& Close = BlockCommentClose[static_cast<size_t>(Index)];
  AdvanceBy(static_cast<int32_t>(BlockCommentOpen[static_cast<size_t>(Index)].size()));
  const char First = Close[0];
  for (;;) {
    AdvanceWhile([&](int32_t I) { return Text[I] != First; });
    if (AtEnd()) break;
    if (AtText(Close)) {
      AdvanceBy(static_cast<int32_t>(Close.size()));
      SkipBlanks();
      return;
    }
    Advance();
  }
  AddMsg(TOrvMsg_Error_EndOfCommentExpected);
}

void TOrvScanner::SkipBlanksAndComments() {
  if (!FSettingsTaken) TakeSettings();
  SkipBlanks();
  for (;;) {
    // No comment begins at a character that begins none of the openers.
    if (AtEnd() || !FCommentStarts.Has(Text[Pos.Offset - 1])) break;
    int I = LineCommentAt();
    if (I >= 0) {
      SkipLineComment(I);
      continue;
    }
    I = BlockCommentAt();
    if (I >= 0) {
      SkipBlockComment(I);
      continue;
    }
    break;
  }
}

size_t TOrvScanner::PoolSlot(const ClassInfo* C) {
  return (reinterpret_cast<uintptr_t>(C) >> 4) % (kPoolSlots / kPoolWays) * kPoolWays;
}

void TOrvScanner::Recycle(std::unique_ptr<TOrvToken> T) {
  if (!T) return;
  const ClassInfo* C = &T->ClassType();
  // The class's first empty slot, else its first one (whose token is then freed).
  TPooledToken* P = &FPool[PoolSlot(C)];
  for (size_t W = 0; W < kPoolWays; ++W)
    if (!P[W].Token) {
      P += W;
      break;
    }
  P->Class = C;
  P->Token = std::move(T);
}

TOrvToken* TOrvScanner::SetToken(const ClassInfo& C, const TOrvTextPos& AStart) {
  std::unique_ptr<TOrvToken> T;
  TPooledToken* P = &FPool[PoolSlot(&C)];
  for (size_t W = 0; W < kPoolWays; ++W)
    if (P[W].Class == &C && P[W].Token) {
      T = std::move(P[W].Token);
      break;
    }
  if (!T) {
    T = OwnedAs<TOrvToken>(C.Create());
    if (!T) throw EListError(std::string("Class ") + C.Name + " is no creatable token");
  }
  T->StartPos = AStart;
  T->EndPos = Pos;
  if (Token) Recycle(std::move(Token));
  Token = std::move(T);
  return Token.get();
}

void TOrvScanner::MakeEOFToken(const TOrvTextPos& At) {
  const TOrvTextPos Here = Pos;
  Pos = At;
  SetToken<TOrvTokenEOF>(At);
  Pos = Here;
}

bool TOrvScanner::ReadIdentifier() {
  const TOrvTextPos Start = Pos;
  Advance();
  AdvanceOver(IdentChars);
  const std::string_view Word(Text.data() + Start.Offset - 1,
                              static_cast<size_t>(Pos.Offset - Start.Offset));
  const ClassInfo* C =
      TerminalList && TerminalList->MayStartWord(Word[0]) ? TerminalList->FindWord(Word) : nullptr;
  TOrvToken* T = SetToken(C ? *C : TOrvTokenIdentifier::StaticClass(), Start);
  // Keys repeat: a token taken for reuse often holds the same word already.
  const std::string& Had = static_cast<TOrvTokenText*>(T)->Text;
  if (Had.size() != Word.size() || std::memcmp(Had.data(), Word.data(), Word.size()) != 0)
    T->SetText(Word);
  return true;
}

bool TOrvScanner::ReadNumber() {
  const TOrvTextPos Start = Pos;
  Advance();
  // A sign belongs to the number directly after an exponent's "E".
  AdvanceWhile([&](int32_t I) {
    const char C = Text[I];
    return NumberChars.Has(C) ||
           ((C == '+' || C == '-') && I + 1 > Start.Offset && (Text[I - 1] | 0x20) == 'e');
  });
  const std::string_view Num(Text.data() + Start.Offset - 1,
                             static_cast<size_t>(Pos.Offset - Start.Offset));
  int I = 0;
  double D = 0;
  if (TryStrToInt(Num, I)) {
    auto* T = SetToken<TOrvTokenInteger>(Start);
    T->SetText(Num);
    T->Value = I;
  } else if (TryStrToFloat(Num, D, PointSettings())) {
    auto* T = SetToken<TOrvTokenFloat>(Start);
    T->SetText(Num);
    T->Value = D;
  } else {
    SetToken<TOrvTokenText>(Start)->SetText(Num);
    AddMsg(TOrvMsg_Error_InvalidNumericFormat);
  }
  return true;
}

TOrvScanner::TCloser TOrvScanner::StepAtCloser(const std::string& Close, std::string& AText) {
  // Generic over delimiters of any length: a doubled closer stands for one, and a closer
  // followed one character later by another full closer closes at the later one.
  const size_t N = Close.size();
  if (N == 0 || Text[Pos.Offset - 1] != Close[0] || !AtText(Close)) return TCloser::None;
  if (TextAt(Pos.Offset + static_cast<int32_t>(N), Close)) {
    AText.append(Close);
    AdvanceBy(static_cast<int32_t>(2 * N));
    return TCloser::Text;
  }
  if (N > 1 && TextAt(Pos.Offset + 1, Close)) {
    AText.push_back(Close[0]);
    Advance();
    return TCloser::Text;
  }
  AdvanceBy(static_cast<int32_t>(N));
  return TCloser::Closed;
}

bool TOrvScanner::ReadStringText(std::string& AText) {
  AText.clear();
  const char Close = StringEnd.empty() ? '\0' : StringEnd[0];
  auto InLineEnd = [this](char C) {
    for (char E : EOLText)
      if (C == E) return true;
    return false;
  };
  // The characters that stop a run: the closer's first and those of a line end of up to two.
  const bool ShortEol = EOLText.size() <= 2;
  const char Stop1 = EOLText.empty() ? Close : EOLText[0];
  const char Stop2 = EOLText.size() < 2 ? Stop1 : EOLText[1];
  const char* const P = Text.data();
  while (!AtEnd()) {
    // The run of characters that neither end the line nor may close the string.
    const int32_t From = Pos.Offset - 1;
    int32_t I = From;
    if (ShortEol) {
      while (I < TextLength && P[I] != Close && P[I] != Stop1 && P[I] != Stop2) ++I;
    } else {
      while (I < TextLength && P[I] != Close && !InLineEnd(P[I])) ++I;
    }
    if (I > From) {
      AText.append(Text.data() + From, static_cast<size_t>(I - From));
      AdvanceInLine(I - From);
      continue;
    }
    const char C = Text[From];
    if (InLineEnd(C)) {
      AddMsg(TOrvMsg_Error_StringExceedsEOLn);
      return false;
    }
    switch (StepAtCloser(StringEnd, AText)) {
      case TCloser::Closed:
        return true;
      case TCloser::Text:
        continue;
      case TCloser::None:
        break;
    }
    AText.push_back(C);
    Advance();
  }
  AddMsg(TOrvMsg_Error_StringExceedsEOLn);
  return false;
}

bool TOrvScanner::ReadString() {
  if (StringEnd.empty() || !AtText(StringStart)) return false;
  const TOrvTextPos Start = Pos;
  AdvanceBy(static_cast<int32_t>(StringStart.size()));
  ReadStringText(FBuf);
  SetToken<TOrvTokenString>(Start)->SetText(FBuf);
  return true;
}

bool TOrvScanner::ReadMultiLineText(std::string& AText) {
  AText.clear();
  const std::string& Close = MultiLineClose;
  const char* P = Text.data();
  while (!AtEnd()) {
    switch (StepAtCloser(Close, AText)) {
      case TCloser::Closed:
        return true;
      case TCloser::Text:
        continue;
      case TCloser::None:
        break;
    }
    // Copy the run up to the next possible closer at once.
    const int32_t From = Pos.Offset;
    Advance();
    const char First = Close.empty() ? '\0' : Close[0];
    AdvanceWhile([&](int32_t I) { return P[I] != First; });
    AText.append(P + From - 1, static_cast<size_t>(Pos.Offset - From));
  }
  AddMsg(TOrvMsg_FatalError_UnexpectedEOF);
  return false;
}

bool TOrvScanner::ReadMultiLineString() {
  if (!MultiLineStrings || MultiLineClose.empty() || !AtText(MultiLineOpen)) return false;
  const TOrvTextPos Start = Pos;
  AdvanceBy(static_cast<int32_t>(MultiLineOpen.size()));
  ReadMultiLineText(FBuf);
  SetToken<TOrvTokenStringMultiLine>(Start)->SetText(FBuf);
  return true;
}

bool TOrvScanner::ReadAnyString() {
  if (ReadMultiLineString()) return true;
  return ReadString();
}

bool TOrvScanner::ReadBinData() {
  if (CurChar() != '$' || AtEnd()) return false;
  const TOrvTextPos Start = Pos;
  Advance();
  const int32_t From = Pos.Offset;
  AdvanceWhile([this](int32_t I) {
    const char C = Text[I];
    return (C >= '0' && C <= '9') || (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_' ||
           C == '.';
  });
  const std::string_view Hex(Text.data() + From - 1, static_cast<size_t>(Pos.Offset - From));
  EOrvInvalidBinData::TReason Reason;
  if (!TOrvTokenBinData::TryDecode(Hex, FBytes, Reason)) {
    AddMsg(TOrvMsg_Error_InvalidBinData);
    return false;
  }
  auto* T = SetToken<TOrvTokenBinData>(Start);
  T->TOrvTokenText::SetText(Hex);
  std::swap(T->Bytes, FBytes);  // both buffers keep their room for the next time
  return true;
}

bool TOrvScanner::ReadTerminal() {
  if (!TerminalList || AtEnd()) return false;
  int32_t Len = 0;
  const ClassInfo* C = TerminalList->MatchAt(Text, Pos.Offset, Len);
  if (!C) return false;
  const TOrvTextPos Start = Pos;
  AdvanceBy(Len);
  const std::string_view Symbol(Text.data() + Start.Offset - 1, static_cast<size_t>(Len));
  TOrvToken* T = SetToken(*C, Start);
  // A terminal taken for reuse mostly holds the same symbol already.
  if (static_cast<TOrvTokenText*>(T)->Text != Symbol) T->SetText(Symbol);
  return true;
}

void TOrvScanner::NextToken() {
  Recycle(std::move(OlderToken));
  OlderToken = std::move(PrevToken);
  PrevToken = std::move(Token);
  // A fatal message or a full list ends the reading; the reader still finds a token.
  auto EOFOnFail = OnScopeFail([&] {
    if (!Token) MakeEOFToken(Pos);
  });
  for (;;) {
    const TOrvTextPos Remembered = Pos;
    SkipBlanksAndComments();
    if (AtEnd()) {
      Pos = Remembered;
      SetToken<TOrvTokenEOF>(Remembered);
      break;
    }
    const char C = Text[Pos.Offset - 1];
    bool Done;
    // One branch per kind of token start, in the order of precedence.
    // NOLINTBEGIN(bugprone-branch-clone)
    if (IdentStartChars.Has(C)) {
      Done = ReadIdentifier();
    } else if (!StringStart.empty() && C == StringStart[0]) {
      Done = ReadAnyString() || ReadTerminal();
    } else if (NumberStartChars.Has(C)) {
      Done = ReadNumber();
    } else if (!MultiLineOpen.empty() && C == MultiLineOpen[0]) {
      Done = ReadAnyString() || ReadTerminal();
    } else if (C == '$') {
      const int32_t Before = Pos.Offset;
      Done = ReadBinData();
      // Failed binary data stays consumed; reading starts afresh after it.
      if (!Done && Pos.Offset != Before) continue;
      if (!Done) Done = ReadTerminal();
    } else {
      Done = ReadTerminal();
    }
    // NOLINTEND(bugprone-branch-clone)
    if (Done) break;
    const unsigned char Code = static_cast<unsigned char>(C);
    AddMsgArgs(TOrvMsg_Error_UnknownSymbol,
               {std::string(1, C), Format("%.3d", {static_cast<int>(Code)}, PointSettings())});
    Advance();
  }
  if (!Token) MakeEOFToken(Pos);
  if (OnProgress && TextLength > 0 && Token->EndPos.Offset > 0)
    OnProgress(std::min(1.0, static_cast<double>(Token->EndPos.Offset) / TextLength));
}

bool TOrvScanner::Accept(const ClassInfo& TokenClass) {
  if (!Token || !Token->Is(TokenClass)) return false;
  NextToken();
  return true;
}

bool TOrvScanner::AcceptIdentifier(std::string_view AText) {
  const auto* Id = As<TOrvTokenIdentifier>(Token.get());
  if (!Id) return false;
  if (CaseSensitive ? Id->Text != AText : !SameText(Id->Text, AText)) return false;
  NextToken();
  return true;
}

void TOrvScanner::SkipTo(const ClassInfo& TokenClass, bool Report) {
  TSaveRestore Reporting(MsgsOn, Report);
  while (!Token->Is(TokenClass) && !Token->Is<TOrvTokenEOF>()) NextToken();
  if (Report && !Token->Is(TokenClass)) AddMsg(TOrvMsg_FatalError_UnexpectedEOF);
}

void TOrvScanner::StepBack() {
  if (!PrevToken) return;
  Recycle(std::move(Token));
  Token = std::move(PrevToken);
  PrevToken = std::move(OlderToken);
  Pos = Token->EndPos;
}

void TOrvScanner::AddMsg(const TOrvMsgClass& MsgClass) { AddMsgAt(MsgClass, Pos); }

void TOrvScanner::AddMsgArgs(const TOrvMsgClass& MsgClass, TDynStringArr Args) {
  AddMsgArgsAt(MsgClass, Pos, std::move(Args));
}

void TOrvScanner::AddMsgAt(const TOrvMsgClass& MsgClass, const TOrvTextPos& At) {
  if (MsgsOn && MsgList) MsgList->Add(TOrvMsg::Create(MsgClass, At));
}

void TOrvScanner::AddMsgArgsAt(const TOrvMsgClass& MsgClass, const TOrvTextPos& At,
                               TDynStringArr Args) {
  if (MsgsOn && MsgList) MsgList->Add(TOrvMsg::CreateFromArgs(MsgClass, At, std::move(Args)));
}

void TOrvScanner::AddMsgText(const TOrvTextPos& At, const TOrvMsgKind& Kind,
                             std::string ATemplate) {
  if (!MsgsOn || !MsgList) return;
  auto M = TOrvMsg::Create(kPlainMsg, At);
  M->Kind = &Kind;
  M->Template = std::move(ATemplate);
  M->MsgClass = nullptr;
  MsgList->TOrvObjectList::Add(M.release());
}

}  // namespace quin
