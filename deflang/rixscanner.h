// The scanner of the definition language and its typed readers. Every reader of survey
// definitions, report files and parameter files consumes one instruction (key "=" value ";")
// or the start of one block ("def" key) through the readers below; problems are reported to
// the scanner's message list and reading goes on with the next instruction.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/guid.h"
#include "base/langmanager.h"
#include "base/orvdays.h"
#include "base/orvscanner.h"
#include "deflang/rixtokens.h"

namespace quin {

// ---- Messages of the readers

extern const TOrvMsgClass TRixMsgError_InstrSepExpected;    // '";" expected.'
extern const TOrvMsgClass TRixMsgError_ListSepExpected;     // '"," or ";" expected.'
extern const TOrvMsgClass TRixMsgError_DefEndExpected;      // '"end" expected.'
extern const TOrvMsgClass TRixMsgError_DefSimpleExpected;   // '"=" expected.'
extern const TOrvMsgClass TRixMsgError_Unknown;             // "Unknown error."
extern const TOrvMsgClass TRixMsgError_UnknownKey;          // "Unknown key."
extern const TOrvMsgClass TRixMsgError_BinDataExpected;     // "Binary data expected."
extern const TOrvMsgClass TRixMsgError_BooleanExpected;     // '"0" or "1" expected.'
extern const TOrvMsgClass TRixMsgError_GUIDExpected;        // 'GUID (...) expected.'
extern const TOrvMsgClass TRixMsgError_IdentifierExpected;  // "Identifier expected."
extern const TOrvMsgClass TRixMsgError_NumberExpected;      // "Number expected."
extern const TOrvMsgClass TRixMsgError_IntegerExpected;     // "Integer expected."
extern const TOrvMsgClass TRixMsgError_StringExpected;      // "String expected."
extern const TOrvMsgClass TRixMsgError_StringMultiLineNotAllowed;
extern const TOrvMsgClass TRixMsgError_ListRParExpected;  // "Closing parenthesis expected: ']'."
extern const TOrvMsgClass TRixMsgError_ListRParInvalid;   // "Closing parenthesis invalid: ']'."
extern const TOrvMsgClass TRixError_LanguageStringEmpty;  // "String empty in one of the languages."
extern const TOrvMsgClass TRixWarning_Ignored;            // "Setting ignored; deprecated."

// What the last typed reader did with the instruction at hand.
enum class TRixReadResult {
  NoMatch,  // the key was not there: nothing consumed, no message; ask for the next key
  Ok,       // the instruction was read
  Failed,   // the key matched but the value was wrong: reported and skipped
};

// Create with New<TRixScanner>(Text, MsgList) or CreateFromText / CreateFromStream; a reader
// calls NextToken once to reach the first token.
//
// Readers that test their keys in turn ask LastReadResult() after a False: only NoMatch means
// that the instruction is still there for the next key.
class TRixScanner : public TOrvScanner {
  QUIN_CLASS(TRixScanner, TOrvScanner)
 public:
  using TOrvScanner::TOrvScanner;

  static std::unique_ptr<TRixScanner> CreateFromText(std::string AText, TOrvMsgList* AMsgList);
  // The rest of Stream from its current position becomes the text.
  static std::unique_ptr<TRixScanner> CreateFromStream(TStream& Stream, TOrvMsgList* AMsgList);

  // The language's terminals, with the scanner's case sensitivity.
  std::unique_ptr<TOrvTerminalList> CreateTerminalList() override;
  // The base settings, then "<<" ... ">>" texts switched on.
  void SetDefaults() override;
  // As the base, then every line of the text that starts with "//!" or "//?" is dropped
  // together with its line break.
  bool ReadMultiLineText(std::string& AText) override;

  // The token readers of the base scanner stay reachable under their names.
  using TOrvScanner::ReadBinData;
  using TOrvScanner::ReadIdentifier;
  using TOrvScanner::ReadNumber;
  using TOrvScanner::ReadString;

  // ---- Typed readers (keys compare without regard to case unless CaseSensitive)

  // "def" Key: both consumed and True. "def" followed by anything else leaves the scanner
  // exactly as it was; never adds a message.
  virtual bool ReadDefComplexStart(std::string_view Key);
  // Key "=" (only "=" when Key is empty). A missing "=" is reported and the instruction
  // skipped.
  virtual bool ReadDefSimpleStart(std::string_view Key);
  virtual bool ReadBinData(std::string_view Key, TDynByteArr& Data);
  // 0 or 1; another integer is reported and leaves Value unchanged (the result is True).
  virtual bool ReadBoolean(std::string_view Key, bool& Value);
  virtual bool ReadDaySet(std::string_view Key, TOrvDaySet& Days);
  virtual bool ReadGUID(std::string_view Key, TGUID& GUID);
  // The identifier lower-cased ("a@b" forms allowed).
  virtual bool ReadIdentifier(std::string_view Key, std::string& Value);
  // List is replaced only once Key and "=" are there.
  virtual bool ReadIdentifierList(std::string_view Key, std::unique_ptr<TRixTextList>& List);
  // An optional "-" and an integer.
  virtual bool ReadInteger(std::string_view Key, int32_t& Value);
  virtual bool ReadNumber(std::string_view Key, double& Value);
  virtual bool ReadString(std::string_view Key, std::string& Value, bool AllowMultiLine,
                          bool AllowEmpty, const TOrvLangManager* LangManager);
  // List is replaced only once Key and "=" are there.
  virtual bool ReadStringList(std::string_view Key, std::unique_ptr<TRixTextList>& List,
                              bool AllowMultiLine, bool AllowEmpty,
                              const TOrvLangManager* LangManager);

  // The file head: a GUID string equal to ExpectedGUID, else ESIGErr.
  bool ReadSignature(std::string_view Key, const TGUID& ExpectedGUID);
  // The file head: an integer whose low byte lies in Min..Max, else EVERErr. The second form
  // hands the integer read back.
  bool ReadVersion(std::string_view Key, uint8_t Min, uint8_t Max);
  bool ReadVersion(std::string_view Key, uint8_t Min, uint8_t Max, int32_t& Version);
  // List is replaced only once Key and "=" are there.
  bool ReadIntegerList(std::string_view Key, std::unique_ptr<TRixIntegerList>& List);
  // A double stored as binary data: exactly 8 bytes, else "Binary data expected." at the
  // data and Value keeps its old value.
  bool ReadDoubleBin(std::string_view Key, double& Value);

  // The result of the last typed reader above.
  TRixReadResult LastReadResult() const { return FLastResult; }

  // ---- Value parsers (the part after "=")

  // An identifier, with further parts joined by "@"; the case is kept.
  bool ParseIdentifier(std::string& Value);
  // Identifiers (lower-cased) separated by "," and ended by ";". List is created when null,
  // else cleared, once the first identifier is read.
  bool ParseIdentifierList(std::unique_ptr<TRixTextList>& List);
  // Integers without sign separated by "," and ended by ";".
  bool ParseIntegerList(std::unique_ptr<TRixIntegerList>& List);
  // Strings separated by "," and ended by ";", each normalised as ParseString does.
  bool ParseStringList(std::unique_ptr<TRixTextList>& List, bool AllowMultiLine, bool AllowEmpty,
                       const TOrvLangManager* LangManager);
  // An optional "-" and an integer or floating-point number; nothing is skipped on failure.
  bool ParseNumber(double& Value);
  // A string or text: line breaks become blanks, blanks are trimmed and collapsed, "\n"
  // becomes CR LF. Without AllowMultiLine a value holding a line break is cut there.
  bool ParseString(std::string& Value, bool AllowMultiLine, bool AllowEmpty,
                   const TOrvLangManager* LangManager);
  // Day keys and runs ("mon:wed, sat;"); a reversed run adds nothing.
  bool ParseDaySet(TOrvDaySet& Days);

  // ---- Expectations and recovery

  // Accept(TokenClass), else MsgClass at the current token and, with Recover, SkipStatement.
  bool Expect(const ClassInfo& TokenClass, const TOrvMsgClass& MsgClass, bool Recover);
  // As Expect, with a plain message of Kind whose bilingual template is Text (Windows-1250).
  bool ExpectText(const ClassInfo& TokenClass, const TOrvMsgKind& Kind, bool Recover,
                  std::string_view Text);
  // Skips to after the next ";", or to the next "def" or the end of the text (not consumed;
  // '";" expected.' at the scanning position when ReportMissing).
  void SkipStatement(bool ReportMissing);
  // Skips the rest of a block whose "def" and key are read, counting nested blocks; the end
  // of the text gives '"end" expected.' at StartPos (a copy: the place may be a token's, and
  // tokens are reused as the reading goes on).
  void SkipDef(TOrvTextPos StartPos);

  // The end position of the last accepted token.
  TOrvTextPos LastTokenEnd() const { return PrevToken ? PrevToken->EndPos : Pos; }

 private:
  // Key and "=": NoMatch without the key, Failed (reported, skipped) without the "=".
  TRixReadResult KeyAndEquals(std::string_view Key);
  bool Done(TRixReadResult R) {
    FLastResult = R;
    return R == TRixReadResult::Ok;
  }
  bool ParseTextList(std::unique_ptr<TRixTextList>& List, bool Identifiers, bool AllowMultiLine,
                     bool AllowEmpty, const TOrvLangManager* LangManager);
  bool ExpectDay(TOrvDay& Day, bool& Known);

  TRixReadResult FLastResult = TRixReadResult::NoMatch;
};

// Whether Text has a non-empty translation in each language of LangManager (Text itself when
// the manager is null or knows no language); each translation is trimmed first when
// TrimFirst.
bool AllLanguageTextsFilled(const TRixScanner* Scanner, std::string_view Text,
                            const TOrvLangManager* LangManager, bool TrimFirst);

}  // namespace quin
