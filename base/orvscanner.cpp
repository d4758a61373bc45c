#include "base/orvscanner.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "base/format.h"
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

// Tokens kept for reuse; the look-back rotation needs only a handful.
constexpr size_t kPoolSize = 16;
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
  std::unique_ptr<TObject> Obj = ClassType().Create();
  auto* T = As<TOrvTerminal>(Obj.get());
  if (!T) return std::unique_ptr<TOrvObject>(new TOrvTerminal(*this));  // abstract class
  Obj.release();
  T->StartPos = StartPos;
  T->EndPos = EndPos;
  T->Text = Text;
  return std::unique_ptr<TOrvObject>(T);
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

const ClassInfo* TOrvTerminalList::MatchAt(std::string_view Text, int32_t Offset,
                                           int32_t& MatchLen) const {
  MatchLen = 0;
  if (Offset < 1 || static_cast<size_t>(Offset) > Text.size()) return nullptr;
  const size_t I = static_cast<size_t>(Offset) - 1;
  const char C = CaseSensitive ? Text[I] : UpperChar(Text[I]);
  const size_t Left = Text.size() - I;
  for (const auto& It : Map[static_cast<unsigned char>(C)]) {
    if (It.Text.size() <= Left && Same(It.Text.data(), Text.data() + I, It.Text.size())) {
      MatchLen = static_cast<int32_t>(It.Text.size());
      return It.TokenClass;
    }
  }
  return nullptr;
}

const ClassInfo* TOrvTerminalList::FindWord(std::string_view Word) const {
  if (Word.empty()) return nullptr;
  const char C = CaseSensitive ? Word[0] : UpperChar(Word[0]);
  for (const auto& It : Map[static_cast<unsigned char>(C)])
    if (It.Text.size() == Word.size() && Same(It.Text.data(), Word.data(), Word.size()))
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

bool TOrvScanner::TextAt(int32_t Offset, std::string_view S) const {
  if (S.empty() || Offset < 1) return false;
  const size_t I = static_cast<size_t>(Offset) - 1;
  if (I >= static_cast<size_t>(TextLength) || S.size() > static_cast<size_t>(TextLength) - I)
    return false;
  return std::memcmp(Text.data() + I, S.data(), S.size()) == 0;
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

void TOrvScanner::SkipBlanks() {
  while (!AtEnd() && BlankChars.Has(Text[Pos.Offset - 1])) Advance();
}

void TOrvScanner::SkipLineComment(int Index) {
  const char Eol = EOLText.empty() ? '\0' : EOLText[0];
  while (!AtEnd() && (EOLText.empty() || Text[Pos.Offset - 1] != Eol)) Advance();
  SkipBlanks();
}

void TOrvScanner::SkipBlockComment(int Index) {
  const std::string& Close = BlockCommentClose[static_cast<size_t>(Index)];
  AdvanceBy(static_cast<int32_t>(BlockCommentOpen[static_cast<size_t>(Index)].size()));
  while (!AtEnd()) {
    if (Text[Pos.Offset - 1] == Close[0] && AtText(Close)) {
      AdvanceBy(static_cast<int32_t>(Close.size()));
      SkipBlanks();
      return;
    }
    Advance();
  }
  AddMsg(TOrvMsg_Error_EndOfCommentExpected);
}

void TOrvScanner::SkipBlanksAndComments() {
  SkipBlanks();
  for (;;) {
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

void TOrvScanner::Recycle(std::unique_ptr<TOrvToken> T) {
  if (!T) return;
  if (FPool.size() < kPoolSize) {
    FPool.push_back(std::move(T));
  } else {  // replace in turn, so the pool follows the classes in current use
    FPool[FPoolNext] = std::move(T);
    FPoolNext = (FPoolNext + 1) % kPoolSize;
  }
}

TOrvToken* TOrvScanner::SetToken(const ClassInfo& C, const TOrvTextPos& AStart) {
  std::unique_ptr<TOrvToken> T;
  for (size_t I = FPool.size(); I-- > 0;) {
    if (FPool[I]->IsExactly(C)) {
      T = std::move(FPool[I]);
      FPool[I] = std::move(FPool.back());
      FPool.pop_back();
      break;
    }
  }
  if (!T) {
    std::unique_ptr<TObject> Obj = C.Create();
    if (!Obj || !Obj->Is<TOrvToken>())
      throw EListError(std::string("Class ") + C.Name + " is no creatable token");
    T.reset(static_cast<TOrvToken*>(Obj.release()));
  }
  T->StartPos = AStart;
  T->EndPos = Pos;
  Recycle(std::move(Token));
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
  while (!AtEnd() && IdentChars.Has(Text[Pos.Offset - 1])) Advance();
  const std::string_view Word(Text.data() + Start.Offset - 1,
                              static_cast<size_t>(Pos.Offset - Start.Offset));
  const ClassInfo* C = TerminalList ? TerminalList->FindWord(Word) : nullptr;
  SetToken(C ? *C : TOrvTokenIdentifier::StaticClass(), Start)->SetText(Word);
  return true;
}

bool TOrvScanner::ReadNumber() {
  const TOrvTextPos Start = Pos;
  Advance();
  while (!AtEnd()) {
    const char C = Text[Pos.Offset - 1];
    if (NumberChars.Has(C)) {
      Advance();
    } else if ((C == '+' || C == '-') && Pos.Offset > Start.Offset &&
               (Text[Pos.Offset - 2] == 'E' || Text[Pos.Offset - 2] == 'e')) {
      Advance();
    } else {
      break;
    }
  }
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
  while (!AtEnd()) {
    const char C = Text[Pos.Offset - 1];
    if (EOLText.find(C) != std::string::npos) {
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
    while (!AtEnd() && (Close.empty() || P[Pos.Offset - 1] != Close[0])) Advance();
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
  while (!AtEnd()) {
    const char C = Text[Pos.Offset - 1];
    if (!((C >= '0' && C <= '9') || (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_' ||
          C == '.'))
      break;
    Advance();
  }
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
  SetToken(*C, Start)->SetText(
      std::string_view(Text.data() + Start.Offset - 1, static_cast<size_t>(Len)));
  return true;
}

void TOrvScanner::NextToken() {
  Recycle(std::move(OlderToken));
  OlderToken = std::move(PrevToken);
  PrevToken = std::move(Token);
  try {
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
      if (Done) break;
      const unsigned char Code = static_cast<unsigned char>(C);
      AddMsgArgs(TOrvMsg_Error_UnknownSymbol,
                 {std::string(1, C), Format("%.3d", {static_cast<int>(Code)}, PointSettings())});
      Advance();
    }
  } catch (...) {
    // A fatal message or a full list ends the reading; the reader still finds a token.
    if (!Token) MakeEOFToken(Pos);
    throw;
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
  struct TRestore {
    bool& Flag;
    bool Saved;
    ~TRestore() { Flag = Saved; }
  } Restore{MsgsOn, MsgsOn};
  MsgsOn = Report;
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
