// The configurable lexical scanner: turns an 8-bit text into tokens for the readers of the
// program. A language derives from TOrvScanner, sets its character classes and delimiters in
// SetDefaults and supplies its terminal table through CreateTerminalList. Problems are reported
// to a message list and scanning goes on; only the list's limits and fatal messages stop it.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/charset.h"
#include "base/orvclasses.h"
#include "base/orvmessages.h"
#include "base/orvstreams.h"
#include "base/text.h"

namespace quin {

// ---- Tokens

class TOrvToken : public TOrvObject {
  QUIN_CLASS(TOrvToken, TOrvObject)
  QUIN_COPY(TOrvToken)
 public:
  TOrvToken() = default;
  TOrvToken(const TOrvTextPos& AStartPos, const TOrvTextPos& AEndPos)
      : StartPos(AStartPos), EndPos(AEndPos) {}

  TOrvTextPos StartPos;
  TOrvTextPos EndPos;  // the place just after the token
  void SetEndPos(const TOrvTextPos& APos) { EndPos = APos; }

  virtual std::string GetText() const { return {}; }
  virtual void SetText(std::string_view AText) {}

 protected:
  TOrvToken(const TOrvToken&) = default;
};

// The token before the first real token: the current token of a new scanner.
class TOrvTokenBOF : public TOrvToken {
  QUIN_CLASS(TOrvTokenBOF, TOrvToken)
  QUIN_COPY(TOrvTokenBOF)
 public:
  using TOrvToken::TOrvToken;
  TOrvTokenBOF() = default;

 protected:
  TOrvTokenBOF(const TOrvTokenBOF&) = default;
};

// The end of the text.
class TOrvTokenEOF : public TOrvToken {
  QUIN_CLASS(TOrvTokenEOF, TOrvToken)
  QUIN_COPY(TOrvTokenEOF)
 public:
  using TOrvToken::TOrvToken;
  TOrvTokenEOF() = default;

 protected:
  TOrvTokenEOF(const TOrvTokenEOF&) = default;
};

class TOrvTokenText : public TOrvToken {
  QUIN_CLASS(TOrvTokenText, TOrvToken)
  QUIN_COPY(TOrvTokenText)
 public:
  TOrvTokenText() = default;
  TOrvTokenText(const TOrvTextPos& AStartPos, const TOrvTextPos& AEndPos, std::string_view AText)
      : TOrvToken(AStartPos, AEndPos), Text(AText) {}
  std::string Text;
  std::string GetText() const override { return Text; }
  void SetText(std::string_view AText) override { Text.assign(AText.data(), AText.size()); }

 protected:
  TOrvTokenText(const TOrvTokenText&) = default;
};

// One character that starts no token.
class TOrvTokenUnknown : public TOrvTokenText {
  QUIN_CLASS(TOrvTokenUnknown, TOrvTokenText)
  QUIN_COPY(TOrvTokenUnknown)
 public:
  using TOrvTokenText::TOrvTokenText;
  TOrvTokenUnknown() = default;

 protected:
  TOrvTokenUnknown(const TOrvTokenUnknown&) = default;
};

// A string without its delimiters, doubled delimiters replaced by single ones.
class TOrvTokenString : public TOrvTokenText {
  QUIN_CLASS(TOrvTokenString, TOrvTokenText)
  QUIN_COPY(TOrvTokenString)
 public:
  using TOrvTokenText::TOrvTokenText;
  TOrvTokenString() = default;

 protected:
  TOrvTokenString(const TOrvTokenString&) = default;
};

// A text between the multi-line delimiters; its line ends are part of it.
class TOrvTokenStringMultiLine : public TOrvTokenString {
  QUIN_CLASS(TOrvTokenStringMultiLine, TOrvTokenString)
  QUIN_COPY(TOrvTokenStringMultiLine)
 public:
  using TOrvTokenString::TOrvTokenString;
  TOrvTokenStringMultiLine() = default;

 protected:
  TOrvTokenStringMultiLine(const TOrvTokenStringMultiLine&) = default;
};

class TOrvTokenIdentifier : public TOrvTokenText {
  QUIN_CLASS(TOrvTokenIdentifier, TOrvTokenText)
  QUIN_COPY(TOrvTokenIdentifier)
 public:
  using TOrvTokenText::TOrvTokenText;
  TOrvTokenIdentifier() = default;

 protected:
  TOrvTokenIdentifier(const TOrvTokenIdentifier&) = default;
};

class TOrvTokenNumber : public TOrvTokenText {
  QUIN_CLASS(TOrvTokenNumber, TOrvTokenText)
 public:
  using TOrvTokenText::TOrvTokenText;
  virtual std::string AsString() const = 0;

 protected:
  TOrvTokenNumber() = default;
  TOrvTokenNumber(const TOrvTokenNumber&) = default;
};

class TOrvTokenInteger : public TOrvTokenNumber {
  QUIN_CLASS(TOrvTokenInteger, TOrvTokenNumber)
  QUIN_COPY(TOrvTokenInteger)
 public:
  TOrvTokenInteger() = default;
  TOrvTokenInteger(const TOrvTextPos& AStartPos, const TOrvTextPos& AEndPos, std::string_view AText,
                   int32_t AValue)
      : TOrvTokenNumber(AStartPos, AEndPos, AText), Value(AValue) {}
  int32_t Value = 0;
  // The decimal text of Value.
  std::string AsString() const override;

 protected:
  TOrvTokenInteger(const TOrvTokenInteger&) = default;
};

class TOrvTokenFloat : public TOrvTokenNumber {
  QUIN_CLASS(TOrvTokenFloat, TOrvTokenNumber)
  QUIN_COPY(TOrvTokenFloat)
 public:
  TOrvTokenFloat() = default;
  TOrvTokenFloat(const TOrvTextPos& AStartPos, const TOrvTextPos& AEndPos, std::string_view AText,
                 double AValue)
      : TOrvTokenNumber(AStartPos, AEndPos, AText), Value(AValue) {}
  double Value = 0;
  // "%g" with "." as decimal separator: 15 significant digits, shortest form, "1E20".
  std::string AsString() const override;

 protected:
  TOrvTokenFloat(const TOrvTokenFloat&) = default;
};

// Binary data: Text holds the hexadecimal digits (without the "$"), Bytes their values.
// Setting the text decodes it; empty text, an odd number of digits or a character that is no
// hexadecimal digit raises EOrvInvalidBinData.
class TOrvTokenBinData : public TOrvTokenText {
  QUIN_CLASS(TOrvTokenBinData, TOrvTokenText)
  QUIN_COPY(TOrvTokenBinData)
 public:
  TOrvTokenBinData() = default;
  TOrvTokenBinData(const TOrvTextPos& AStartPos, const TOrvTextPos& AEndPos,
                   std::string_view AText);
  TDynByteArr Bytes;
  void SetText(std::string_view AText) override;
  // Decodes Hex into Bytes; false (Bytes unspecified) with the reason when it is not valid.
  static bool TryDecode(std::string_view Hex, TDynByteArr& Bytes,
                        EOrvInvalidBinData::TReason& Reason);

 protected:
  TOrvTokenBinData(const TOrvTokenBinData&) = default;
};

// Token class of terminal symbols and keywords; a language derives one class per terminal.
// A copy is made through the token's own class descriptor, so derived terminal classes that
// add no fields need no copy code of their own.
class TOrvTerminal : public TOrvTokenText {
  QUIN_CLASS(TOrvTerminal, TOrvTokenText)
 public:
  using TOrvTokenText::TOrvTokenText;
  TOrvTerminal() = default;
  std::unique_ptr<TOrvObject> CreateCopy() const override;

 protected:
  TOrvTerminal(const TOrvTerminal&) = default;
};

// An owning list of tokens.
class TOrvTokenList : public TOrvTypedList<TOrvToken> {
  QUIN_CLASS(TOrvTokenList, TOrvObjectList)
 public:
  using TOrvTypedList::TOrvTypedList;
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TOrvTokenList(*this));
  }
  // Appends a copy made by the token's own class; returns its index.
  int AddCopy(const TOrvToken& Token);
};

// ---- Terminal table

struct TOrvTerminalMapItem {
  std::string Text;
  const ClassInfo* TokenClass = nullptr;
};
using TOrvTerminalMapArr = std::vector<TOrvTerminalMapItem>;
// One bucket per first character of the terminal text.
using TOrvTerminalMap = std::array<TOrvTerminalMapArr, 256>;

// The terminal symbols of a language. Create with New<T>(CaseSensitive): after construction
// RegisterTerminals runs, then Build.
class TOrvTerminalList : public TOrvObjectList {
  QUIN_CLASS(TOrvTerminalList, TOrvObjectList)
 public:
  explicit TOrvTerminalList(bool ACaseSensitive = false) : CaseSensitive(ACaseSensitive) {}
  void AfterConstruction() override;

  bool CaseSensitive;
  TOrvTerminalMap Map;

  // Appends to the pending entries; Text is stored upper-cased (ASCII) unless case-sensitive.
  // TokenClass must be a creatable class derived from TOrvTerminal, and Text must not be
  // empty (EListError otherwise).
  virtual void AddTerminal(std::string_view Text, const ClassInfo& TokenClass);
  // Each language lists its terminals here.
  virtual void RegisterTerminals() = 0;
  // AddTerminal with TOrvTerminal.
  virtual void AddKeyword(std::string_view Text);
  // Moves the pending entries into their buckets, each bucket sorted longest first (stable).
  virtual void Build();

  // The first entry of the bucket of Text's character at Offset (1-based) that equals as many
  // characters of Text from Offset on; its class and length, or null.
  const ClassInfo* MatchAt(std::string_view Text, int32_t Offset, int32_t& MatchLen) const;
  // The class of the entry that equals the whole Word; null when none.
  const ClassInfo* FindWord(std::string_view Word) const;
  // False when no entry begins with C (FindWord would find nothing for a word starting so).
  bool MayStartWord(char C) const {
    return !Map[static_cast<unsigned char>(CaseSensitive ? C : UpperChar(C))].empty();
  }

 protected:
  std::vector<TOrvTerminalMapItem> FPending;

 private:
  bool Same(const char* A, const char* B, size_t N) const;
};

// ---- Character sets

// ---- Diagnostics

extern const TOrvMsgClass TOrvMsg_FatalError_UnexpectedEOF;
extern const TOrvMsgClass TOrvMsg_Error_EndOfCommentExpected;
extern const TOrvMsgClass TOrvMsg_Error_StringExceedsEOLn;
extern const TOrvMsgClass TOrvMsg_Error_UnknownSymbol;  // args: the character, its code
extern const TOrvMsgClass TOrvMsg_Error_InvalidNumericFormat;
extern const TOrvMsgClass TOrvMsg_Error_InvalidBinData;

// ---- Scanner

// Create with New<T>(MsgList) or New<T>(Text, MsgList) (or CreateFromText): after
// construction SetDefaults runs. The scanner keeps the current token and two tokens of
// look-back; readers inspect Token, PrevToken and Pos directly and copy tokens they keep.
class TOrvScanner : public TOrvObject {
  QUIN_CLASS(TOrvScanner, TOrvObject)
 public:
  using TProgress = std::function<void(double)>;

  explicit TOrvScanner(TOrvMsgList* AMsgList = nullptr);
  // Texts longer than an int32 offset can count are refused (EListError).
  TOrvScanner(std::string AText, TOrvMsgList* AMsgList);
  ~TOrvScanner() override;
  TOrvScanner(const TOrvScanner&) = delete;
  TOrvScanner& operator=(const TOrvScanner&) = delete;
  void AfterConstruction() override;

  static std::unique_ptr<TOrvScanner> CreateFromText(std::string AText, TOrvMsgList* AMsgList);
  // The rest of Stream from its current position becomes the text.
  static std::unique_ptr<TOrvScanner> CreateFromStream(TStream& Stream, TOrvMsgList* AMsgList);

  TOrvCharSet BlankChars;
  bool CaseSensitive = false;
  bool MsgsOn = true;
  TOrvTextPos Pos;
  std::unique_ptr<TOrvToken> Token;
  std::string EOLText;
  TOrvCharSet IdentStartChars;
  TOrvCharSet IdentChars;
  std::string MultiLineOpen;
  std::string MultiLineClose;
  TOrvMsgList* MsgList;  // not owned
  std::vector<std::string> BlockCommentOpen;
  std::vector<std::string> BlockCommentClose;  // parallel to BlockCommentOpen
  TOrvCharSet NumberStartChars;
  TOrvCharSet NumberChars;
  TProgress OnProgress;
  std::unique_ptr<TOrvToken> OlderToken;
  std::unique_ptr<TOrvToken> PrevToken;
  std::string StringStart;
  std::string StringEnd;
  std::vector<std::string> LineCommentOpen;
  bool MultiLineStrings = false;
  std::unique_ptr<TOrvTerminalList> TerminalList;
  const std::string Text;
  const int32_t TextLength;

  // The terminal table of the language (none in the base scanner).
  virtual std::unique_ptr<TOrvTerminalList> CreateTerminalList();
  virtual void SetDefaults();
  // The index of the opener that begins at Pos, or -1 (also on the last character or beyond).
  virtual int BlockCommentAt();
  virtual int LineCommentAt();
  // The Read... operations return true when they produced the current token.
  virtual bool ReadBinData();
  virtual bool ReadIdentifier();
  virtual bool ReadMultiLineString();
  // Reads from after the opener through the closer; true when the closer was found.
  virtual bool ReadMultiLineText(std::string& AText);
  virtual bool ReadNumber();
  virtual bool ReadString();
  // Reads from after StringStart through StringEnd; true when StringEnd was found.
  virtual bool ReadStringText(std::string& AText);
  virtual bool ReadAnyString();
  virtual bool ReadTerminal();
  virtual void SkipBlanks();
  virtual void SkipBlanksAndComments();
  virtual void SkipBlockComment(int Index);
  virtual void SkipLineComment(int Index);
  // When the current token is of TokenClass (or derives from it): NextToken and true.
  virtual bool Accept(const ClassInfo& TokenClass);
  // When the current token is the identifier AText (case as CaseSensitive says): NextToken.
  virtual bool AcceptIdentifier(std::string_view AText);
  virtual void NextToken();
  // Reads on until the current token is of TokenClass or the end token, with MsgsOn = Report
  // meanwhile; stopping at the end with Report adds TOrvMsg_FatalError_UnexpectedEOF.
  virtual void SkipTo(const ClassInfo& TokenClass, bool Report);

  // Back one token: the previous token is current again and Pos returns to its end.
  void StepBack();

  void AddMsg(const TOrvMsgClass& MsgClass);
  void AddMsgArgs(const TOrvMsgClass& MsgClass, TDynStringArr Args);
  void AddMsgAt(const TOrvMsgClass& MsgClass, const TOrvTextPos& At);
  void AddMsgArgsAt(const TOrvMsgClass& MsgClass, const TOrvTextPos& At, TDynStringArr Args);
  // A plain message of Kind with ATemplate (bilingual, Windows-1250) as its template, appended
  // outside the list's limits and fatal checks.
  void AddMsgText(const TOrvTextPos& At, const TOrvMsgKind& Kind, std::string ATemplate);

  // Whether the line end begins at index I of Text.
  bool EolAt(int32_t I) const {
    const size_t N = EOLText.size();
    if (N == 0 || I < 0 || static_cast<size_t>(TextLength - I) < N) return false;
    for (size_t K = 0; K < N; ++K)
      if (Text[static_cast<size_t>(I) + K] != EOLText[K]) return false;
    return true;
  }
  // One character, or the whole line end when EOLText begins at Pos.
  void Advance() {
    const int32_t I = Pos.Offset - 1;
    if (EolAt(I)) {
      Pos.Offset += static_cast<int32_t>(EOLText.size());
      ++Pos.Line;
      Pos.Column = 1;
    } else {
      ++Pos.Offset;
      ++Pos.Column;
    }
  }
  void AdvanceBy(int32_t N) {
    for (int32_t I = 0; I < N; ++I) Advance();
  }
  // Advances while Keep (the character's index in Text) holds, a line end as one step as
  // Advance does.
  template <class F>
  void AdvanceWhile(F Keep) {
    const char* const P = Text.data();
    const bool Lines = !EOLText.empty();
    const char Eol = Lines ? EOLText[0] : '\0';
    int32_t I = Pos.Offset - 1;
    int32_t Column = Pos.Column;
    while (I < TextLength && Keep(I)) {
      if (Lines && P[I] == Eol && EolAt(I)) {
        I += static_cast<int32_t>(EOLText.size());
        ++Pos.Line;
        Column = 1;
      } else {
        ++I;
        ++Column;
      }
    }
    Pos.Offset = I + 1;
    Pos.Column = Column;
  }
  // Advances over the characters of Set; a set that holds the line end's first character goes
  // the careful way of AdvanceWhile.
  void AdvanceOver(const TOrvCharSet& Set) {
    const char* const P = Text.data();
    if (!EOLText.empty() && Set.Has(EOLText[0])) {
      AdvanceWhile([&Set, P](int32_t I) { return Set.Has(P[I]); });
      return;
    }
    const int32_t From = Pos.Offset - 1;
    int32_t I = From;
    while (I < TextLength && Set.Has(P[I])) ++I;
    AdvanceInLine(I - From);
  }
  // N characters known to hold no line end.
  void AdvanceInLine(int32_t N) {
    Pos.Offset += N;
    Pos.Column += N;
  }
  bool AtEnd() const { return Pos.Offset > TextLength; }
  // The character at Pos; '\0' beyond the text.
  char CurChar() const { return AtEnd() || Pos.Offset < 1 ? '\0' : Text[Pos.Offset - 1]; }
  // True when S begins at Pos (entirely inside the text); false for an empty S.
  bool AtText(std::string_view S) const { return TextAt(Pos.Offset, S); }
  // At a possible closing delimiter of a string or text (Close not empty): None when it is
  // not one; Text when a doubled or shifted closer was taken into AText; Closed when it ended.
  enum class TCloser { None, Text, Closed };
  TCloser StepAtCloser(const std::string& Close, std::string& AText);
  // True when S begins at Offset (1-based, entirely inside the text); false for an empty S.
  bool TextAt(int32_t Offset, std::string_view S) const {
    if (S.empty() || Offset < 1) return false;
    const size_t I = static_cast<size_t>(Offset) - 1;
    if (I >= static_cast<size_t>(TextLength) || S.size() > static_cast<size_t>(TextLength) - I)
      return false;
    for (size_t K = 0; K < S.size(); ++K)
      if (Text[I + K] != S[K]) return false;
    return true;
  }

 protected:
  // Makes a token of class C (derived from TOrvToken) the current token, starting at AStart
  // and ending at Pos; tokens dropped from the look-back are reused for this.
  TOrvToken* SetToken(const ClassInfo& C, const TOrvTextPos& AStart);
  template <class T>
  T* SetToken(const TOrvTextPos& AStart) {
    return static_cast<T*>(SetToken(T::StaticClass(), AStart));
  }
  // Hands a token that is no longer needed back for reuse.
  void Recycle(std::unique_ptr<TOrvToken> T);

  std::string FBuf;    // scratch text of the token being read
  TDynByteArr FBytes;  // scratch bytes of binary data

  // What the reading takes from the settings, once: the settings are made in SetDefaults and
  // stay as they are while a text is read.
  void TakeSettings();
  bool FSettingsTaken = false;
  bool FSpaceRuns = false;     // a space is a blank and begins no line end
  TOrvCharSet FCommentStarts;  // the first characters of the comment openers

 private:
  void MakeEOFToken(const TOrvTextPos& At);
  // Tokens kept for reuse, one for each slot, the slot chosen by the token's class.
  struct TPooledToken {
    const ClassInfo* Class = nullptr;
    std::unique_ptr<TOrvToken> Token;
  };
  static constexpr size_t kPoolSlots = 128;
  static constexpr size_t kPoolWays = 4;  // slots for each class
  static size_t PoolSlot(const ClassInfo* C);
  std::array<TPooledToken, kPoolSlots> FPool;
};

}  // namespace quin
