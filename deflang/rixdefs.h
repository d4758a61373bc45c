// The schema of the definition language: definition objects that each know one key, read and
// check its value or block, and store the result into a published property of a target object.
// A block definition creates its target object by class name ("T" + namespace + class stem or
// key), only from names that the schema itself builds and only among registered classes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/langmanager.h"
#include "base/orvmessages.h"
#include "deflang/rixnodes.h"
#include "deflang/rixscanner.h"

namespace quin {

// Flags of a definition. Low byte:
using TRixDefFlags = uint16_t;
inline constexpr TRixDefFlags rdfMandatory = 0x0001;    // the key must occur in its block
inline constexpr TRixDefFlags rdfOnce = 0x0002;         // at most once; single value or object
inline constexpr TRixDefFlags rdfSelfNesting = 0x0004;  // a block may hold a block of its kind
inline constexpr TRixDefFlags rdfOrdered = 0x0008;      // keys in the declared order
inline constexpr TRixDefFlags rdfList = 0x0010;         // the value is a list
inline constexpr TRixDefFlags rdfEmptyList = 0x0020;    // the list may be "[]"
inline constexpr TRixDefFlags rdfUnique = 0x0040;       // list elements unique (case ignored)
inline constexpr TRixDefFlags rdfNotEmpty = 0x0080;     // string not empty in any language
// High byte:
inline constexpr TRixDefFlags rdfNotBlank = 0x0100;    // string not empty or blank anywhere
inline constexpr TRixDefFlags rdfInherit = 0x0200;     // copied from the nearest owner first
inline constexpr TRixDefFlags rdfDeprecated = 0x0400;  // read, checked and ignored

// The deepest nesting of blocks that a reading follows; a deeper block is reported and
// skipped.
inline constexpr int RixMaxBlockDepth = 256;

// Messages of the schema parser.
extern const TOrvMsgClass TRixMsgError_IncorrectOrder;       // arg: the key to exchange with
extern const TOrvMsgClass TRixMsgError_UniqueKeyRepeated;    // "Definition repeated."
extern const TOrvMsgClass TRixMsgError_MandatoryDefOmitted;  // arg: the missing key
extern const TOrvMsgClass TRixMsgError_InvalidDate;          // "Invalid date."
extern const TOrvMsgClass TRixMsgError_DefNestedTooDeep;     // blocks nested too deeply
// The plain texts of the value checks (bilingual, Windows-1250), added as messages of kind
// Error (the inherited-value note: Warning).
namespace RixParserText {
const std::string& MissingListElement();
const std::string& InvalidListElementType();
const std::string& MissingElement();
const std::string& InvalidElementType();
const std::string& MissingParameter();
const std::string& InvalidParameterType();
const std::string& InvalidValue();
const std::string& EmptyOrBlankInAnyLanguage();
const std::string& EmptyOrBlank();
const std::string& EmptyInAnyLanguage();
const std::string& Empty();
const std::string& ValueAlreadySet();
}  // namespace RixParserText

class TRixDef;
class TRixDefList;

// Called with the definition's parse node and the object its values go to (may be null).
using TRixParseEvent = std::function<void(TRixNode* Node, TObject* Target)>;
using TRixLines = std::vector<std::string>;

class TRixDef : public TObject {
  QUIN_CLASS(TRixDef, TObject)
 public:
  TRixDef(std::string_view AKey, TRixDefFlags AFlags, std::string_view APropName = "");
  TRixDef(const TRixDef&) = delete;
  TRixDef& operator=(const TRixDef&) = delete;

  TRixDefFlags Flags;
  std::string PropName;  // empty: the key
  const std::string Key;
  const std::string UpperKey;
  // The reading's language-manager variable (may hold null); set by the parser.
  TOrvLangManager* const* LangManager = nullptr;
  TRixParseEvent OnParsed;
  TRixParseEvent OnParseStart;
  TRixScanner* Scanner = nullptr;  // not owned
  bool StopAtUnknownKey = false;
  bool Strict = false;

  bool Has(TRixDefFlags F) const { return (Flags & F) != 0; }
  // The language manager of the reading, or null.
  TOrvLangManager* Lang() const { return LangManager ? *LangManager : nullptr; }

  virtual void SetStrict(bool Value) { Strict = Value; }
  virtual void WriteGrammar(TRixLines& Lines, int Indent) const = 0;
  virtual std::string GetPropName() const { return PropName.empty() ? Key : PropName; }
  // Reads the definition whose key (for a block: "def" and key) has just been consumed;
  // KeyToken is a copy of the key token (for a block: of the "def" token).
  virtual void Parse(TObject* Target, TRixNodeComplex* ParentNode, const TOrvToken& KeyToken) = 0;

  // Hands the reading's state to the definition (and, for blocks, to the whole subtree).
  virtual void Prepare(TOrvLangManager* const* ALangManager, TRixScanner* AScanner, bool AStrict);

 protected:
  // Error message with a plain bilingual template.
  void AddError(const TOrvTextPos& At, const std::string& Template) const;
  void AddWarning(const TOrvTextPos& At, const std::string& Template) const;
};

// key = value;
class TRixDefSimple : public TRixDef {
  QUIN_CLASS(TRixDefSimple, TRixDef)
 public:
  TRixDefSimple(std::string_view AKey, TRixDefFlags AFlags, std::string_view APropName = "");

  // The class of token a value must be; null when the definition reads its own value.
  const ClassInfo* ValueClass = nullptr;

  virtual std::string GetGrammarType() const { return {}; }
  virtual bool HasSubObject() const { return false; }
  virtual void ParseValue(TObject* Target, TRixNodeSimple* Node);
  virtual void ParseValueParam(TObject* Target, TRixNodeSimple* Node) {}
  // Sets the property GetPropName of Target to the token's text.
  virtual void ApplyValue(TObject& Target, const TOrvToken& Token);
  virtual bool CheckValue(const TOrvToken& Token) { return true; }

  void WriteGrammar(TRixLines& Lines, int Indent) const override;
  void Parse(TObject* Target, TRixNodeComplex* ParentNode, const TOrvToken& KeyToken) override;

 protected:
  // The grammar word with the list suffix.
  std::string GrammarValue(const std::string& Word) const;
  // Check, record and apply one value token (the current token; not consumed here).
  void TakeValue(TObject* Target, TRixNodeSimple* Node, const TOrvToken& Token);
  // Runs Apply, turning every failure except a fatal message-list one into an error message
  // at Token.
  void SafeApply(const TOrvToken& Token, const std::function<void()>& Apply) const;
  void ParseSingle(TObject* Target, TRixNodeSimple* Node);
  void ParseList(TObject* Target, TRixNodeSimple* Node);
};

class TRixDefSimpleIdentifier : public TRixDefSimple {
  QUIN_CLASS(TRixDefSimpleIdentifier, TRixDefSimple)
 public:
  TRixDefSimpleIdentifier(std::string_view AKey, TRixDefFlags AFlags,
                          std::string_view APropName = "");
  std::string GetGrammarType() const override { return "identifier"; }
  void ApplyValue(TObject& Target, const TOrvToken& Token) override;
};

class TRixDefSimpleInteger : public TRixDefSimple {
  QUIN_CLASS(TRixDefSimpleInteger, TRixDefSimple)
 public:
  TRixDefSimpleInteger(std::string_view AKey, TRixDefFlags AFlags, std::string_view APropName = "");
  std::string GetGrammarType() const override { return "integer"; }
  void ApplyValue(TObject& Target, const TOrvToken& Token) override;
};

class TRixDefSimpleBoolean : public TRixDefSimpleInteger {
  QUIN_CLASS(TRixDefSimpleBoolean, TRixDefSimpleInteger)
 public:
  using TRixDefSimpleInteger::TRixDefSimpleInteger;
  std::string GetGrammarType() const override { return "boolean"; }
  bool CheckValue(const TOrvToken& Token) override;
};

class TRixDefSimpleStringLong : public TRixDefSimple {
  QUIN_CLASS(TRixDefSimpleStringLong, TRixDefSimple)
 public:
  TRixDefSimpleStringLong(std::string_view AKey, TRixDefFlags AFlags,
                          std::string_view APropName = "");
  std::string GetGrammarType() const override { return "long_string"; }
  bool CheckValue(const TOrvToken& Token) override;
  void ApplyValue(TObject& Target, const TOrvToken& Token) override;
};

class TRixDefSimpleStringShort : public TRixDefSimpleStringLong {
  QUIN_CLASS(TRixDefSimpleStringShort, TRixDefSimpleStringLong)
 public:
  using TRixDefSimpleStringLong::TRixDefSimpleStringLong;
  std::string GetGrammarType() const override { return "short_string"; }
  bool CheckValue(const TOrvToken& Token) override;
};

class TRixDefSimpleEnum : public TRixDefSimple {
  QUIN_CLASS(TRixDefSimpleEnum, TRixDefSimple)
 public:
  TRixDefSimpleEnum(std::string_view AKey, TRixDefFlags AFlags, std::string_view APrefix,
                    std::string_view APropName = "");

  std::string Prefix;
  // Adds a name; with AParamClass the name takes one more token of that class, stored as text
  // into the property AParamPropName.
  void AddName(std::string_view Name, const ClassInfo* AParamClass = nullptr,
               std::string_view AParamPropName = "");
  // The names, upper-cased; the parameter class and property of each (null / "" when none).
  const std::vector<std::string>& Names() const { return FNames; }
  int IndexOfName(std::string_view Name) const;

  std::string GetGrammarType() const override { return "enum"; }
  bool CheckValue(const TOrvToken& Token) override;
  void ApplyValue(TObject& Target, const TOrvToken& Token) override;
  void ParseValueParam(TObject* Target, TRixNodeSimple* Node) override;
  void WriteGrammar(TRixLines& Lines, int Indent) const override;

 private:
  bool HasParams() const;
  std::vector<std::string> FNames;
  std::vector<const ClassInfo*> FParamClasses;
  std::vector<std::string> FParamPropNames;
};

class TRixDefSimpleDate : public TRixDefSimple {
  QUIN_CLASS(TRixDefSimpleDate, TRixDefSimple)
 public:
  using TRixDefSimple::TRixDefSimple;
  std::string GetGrammarType() const override { return "date"; }
  void ParseValue(TObject* Target, TRixNodeSimple* Node) override;
};

// The definitions of one block; owns them.
class TRixDefList : public TOrvTypedList<TRixDef> {
  QUIN_CLASS(TRixDefList, TOrvObjectList)
 public:
  explicit TRixDefList(bool AOrdered = false) : TOrvTypedList(true), Ordered(AOrdered) {}

  TOrvLangManager* const* LangManager = nullptr;
  bool Ordered;
  TRixScanner* Scanner = nullptr;
  bool StopAtUnknownKey = false;
  bool Strict = false;

  void SetStrict(bool Value);
  // Appends the list's lines of a block's fields rule at level Indent.
  void WriteGrammarLines(TRixLines& Lines, int Indent) const;
  // The index of the definition of that upper-case key among blocks or values; -1 when none.
  int FindDef(std::string_view UpperKey, bool Block) const;
};

class TRixDefComplex;

// def key ... end;
class TRixDefComplex : public TRixDef {
  QUIN_CLASS(TRixDefComplex, TRixDef)
 public:
  TRixDefComplex(std::string_view AKey, TRixDefFlags AFlags, std::string_view AClassStem = "",
                 std::string_view ANamespace = "", std::string_view APropName = "");

  std::string ClassStem;  // empty: the key
  std::string Namespace;
  TRixDefList& Defs() { return *FDefs; }
  const TRixDefList& Defs() const { return *FDefs; }

  // Appends Def (the block owns it) and hands it the block's reading state; returns it.
  template <class T>
  T* AddDef(std::unique_ptr<T> Def) {
    T* P = Def.get();
    AddDefObject(std::unique_ptr<TRixDef>(Def.release()));
    return P;
  }
  void AddDefObject(std::unique_ptr<TRixDef> Def);

  std::string GetPropName() const override;
  void SetStrict(bool Value) override;
  void WriteGrammar(TRixLines& Lines, int Indent) const override;
  void Parse(TObject* Target, TRixNodeComplex* ParentNode, const TOrvToken& DefToken) override;
  void Prepare(TOrvLangManager* const* ALangManager, TRixScanner* AScanner, bool AStrict) override;

  // The class of the block's target objects: "T" + namespace + (class stem, else key).
  std::string TargetClassName() const;

 protected:
  // Reads one instruction of the block's body. False when it was not one that the list reads
  // (the current token is left as it is).
  bool ParseInstruction(TObject* Target, TRixNodeComplex* Node);
  // The target object of a block under Target (created when needed); null when none.
  TObject* ProvideTarget(TObject* Target) const;
  void Inherit(TObject& Obj) const;
  // The first mandatory definition without a node is reported.
  void CheckMandatory(TRixNodeComplex* Node) const;

 private:
  void ParseFound(int Index, bool Nested, TObject* Target, TRixNodeComplex* Node,
                  const TOrvToken& KeyToken, const TOrvToken& PassToken);
  std::unique_ptr<TRixDefList> FDefs;
};

// The top level of a text: no key; its list holds the top-level definitions.
class TRixDefRoot : public TRixDefComplex {
  QUIN_CLASS(TRixDefRoot, TRixDefComplex)
 public:
  explicit TRixDefRoot(TRixDefFlags AFlags = 0) : TRixDefComplex("", AFlags) {}
  void WriteGrammar(TRixLines& Lines, int Indent) const override;
  void Parse(TObject* Target, TRixNodeComplex* ParentNode, const TOrvToken& KeyToken) override;
};

}  // namespace quin
