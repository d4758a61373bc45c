#include "deflang/rixdefs.h"

#include <unordered_set>

#include "base/format.h"
#include "base/orvdates.h"
#include "base/properties.h"
#include "base/text.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TRixDef, TObject)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TRixDefSimple, TRixDef)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TRixDefSimpleIdentifier, TRixDefSimple)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TRixDefSimpleInteger, TRixDefSimple)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TRixDefSimpleBoolean, TRixDefSimpleInteger)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TRixDefSimpleStringLong, TRixDefSimple)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TRixDefSimpleStringShort, TRixDefSimpleStringLong)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TRixDefSimpleEnum, TRixDefSimple)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TRixDefSimpleDate, TRixDefSimple)
QUIN_IMPLEMENT_CLASS(TRixDefList, TOrvObjectList)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TRixDefComplex, TRixDef)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TRixDefRoot, TRixDefComplex)

const TOrvMsgClass TRixMsgError_IncorrectOrder{
    "TRixMsgError_IncorrectOrder", &TOrvMsgKind_Error,
    "<PLK>Nieprawidłowa kolejność (powinna być zamieniona z \"%s\").<ENU>Incorrect order "
    "(should be exchanged with \"%s\")."};
const TOrvMsgClass TRixMsgError_UniqueKeyRepeated{
    "TRixMsgError_UniqueKeyRepeated", &TOrvMsgKind_Error,
    "<PLK>Definicja powtórzona.<ENU>Definition repeated."};
const TOrvMsgClass TRixMsgError_MandatoryDefOmitted{
    "TRixMsgError_MandatoryDefOmitted", &TOrvMsgKind_Error,
    "<PLK>Brak obowiązkowej definicji \"%s\".<ENU>Mandatory definition \"%s\" omitted."};
const TOrvMsgClass TRixMsgError_InvalidDate{"TRixMsgError_InvalidDate", &TOrvMsgKind_Error,
                                            "<PLK>Nieprawidłowa data.<ENU>Invalid date."};
const TOrvMsgClass TRixMsgError_DefNestedTooDeep{
    "TRixMsgError_DefNestedTooDeep", &TOrvMsgKind_Error,
    "<PLK>Zbyt głębokie zagnieżdżenie definicji.<ENU>Definitions nested too deeply."};

namespace RixParserText {
#define QUIN_RIX_TEXT(Name, Utf8)                 \
  const std::string& Name() {                     \
    static const std::string Text = Cp1250(Utf8); \
    return Text;                                  \
  }
QUIN_RIX_TEXT(MissingListElement, "<PLK>Brak elementu listy.<ENU>Missing list element.")
QUIN_RIX_TEXT(InvalidListElementType,
              "<PLK>Nieprawidłowy typ elementu listy.<ENU>Invalid list element type.")
QUIN_RIX_TEXT(MissingElement, "<PLK>Brak elementu.<ENU>Missing element.")
QUIN_RIX_TEXT(InvalidElementType, "<PLK>Nieprawidłowy typ elementu.<ENU>Invalid element type.")
QUIN_RIX_TEXT(MissingParameter, "<PLK>Brak parametru.<ENU>Missing parameter.")
QUIN_RIX_TEXT(InvalidParameterType, "<PLK>Nieprawidłowy typ parametru.<ENU>Invalid parameter type.")
QUIN_RIX_TEXT(InvalidValue, "<PLK>Nieprawidłowa wartość.<ENU>Invalid value.")
QUIN_RIX_TEXT(EmptyOrBlankInAnyLanguage,
              "<PLK>Tekst w tym miejscu nie może być pusty lub składać się tylko ze znaków "
              "białych dla żadnego z języków.<ENU>Empty or blanks only strings are not allowed "
              "here in any of the languages.")
QUIN_RIX_TEXT(EmptyOrBlank,
              "<PLK>Tekst w tym miejscu nie może być pusty lub składać się tylko ze znaków "
              "białych.<ENU>Empty or blanks only strings are not allowed here.")
QUIN_RIX_TEXT(EmptyInAnyLanguage,
              "<PLK>Tekst w tym miejscu nie może być pusty w żadnym z języków.<ENU>Empty "
              "strings are not allowed here in any of the languages.")
QUIN_RIX_TEXT(Empty,
              "<PLK>Tekst w tym miejscu nie może być pusty.<ENU>Empty strings are not allowed "
              "here.")
QUIN_RIX_TEXT(ValueAlreadySet,
              "<PLK>Definicja niepotrzebna - wynika z definicji wcześniejszych.<ENU>Definition "
              "not needed - value already set based on earlier definitions.")
#undef QUIN_RIX_TEXT
}  // namespace RixParserText

namespace {

std::string Blanks(int Indent) {
  return std::string(static_cast<size_t>(Indent > 0 ? Indent : 0) * 2, ' ');
}

// A property setter refused the value read.
class ERixInvalidValue : public EOrvException {
 public:
  ERixInvalidValue() : EOrvException(RixParserText::InvalidValue()) {}
};

// Stores Text into the scalar property P of Obj; false when the property refuses it.
bool SetPropText(TObject& Obj, const TPropInfo& P, std::string_view Text) {
  if (P.SetText) return P.SetText(Obj, Text);
  if (P.SetInt) {
    long long V = 0;
    return TryStrToInt64(Text, V) && P.SetInt(Obj, V);
  }
  if (P.SetFloat) {
    double V = 0;
    if (!TryStrToFloat(Text, V, TFormatSettings{})) return false;
    P.SetFloat(Obj, V);
    return true;
  }
  return false;
}

// The scalar property Name of Obj set from text; nothing when Obj has no such property.
void SetPropertyText(TObject& Obj, std::string_view Name, std::string_view Text) {
  const TPropInfo* P = FindProperty(Obj, Name);
  if (!P || !P->IsScalar()) return;
  if (!SetPropText(Obj, *P, Text)) throw ERixInvalidValue();
}

void SetPropertyInt(TObject& Obj, std::string_view Name, int64_t Value) {
  const TPropInfo* P = FindProperty(Obj, Name);
  if (!P || !P->IsScalar()) return;
  const bool Ok = P->SetInt ? P->SetInt(Obj, Value) : SetPropText(Obj, *P, IntToStr(Value));
  if (!Ok) throw ERixInvalidValue();
}

// A value added to the string-list property Name + "List"; false when there is none.
bool AddToStringList(TObject& Obj, std::string_view Name, const std::string& Value) {
  const TPropInfo* P = FindProperty(Obj, std::string(Name) + "List");
  if (!P || P->Kind != TPropKind::StringList || !P->GetStringList) return false;
  if (std::vector<std::string>* L = P->GetStringList(Obj)) L->push_back(Value);
  return true;
}

// The property Theirs of From copied into the property Mine of To (the object inheriting).
void CopyProperty(const TObject& From, const TPropInfo& Theirs, TObject& To,
                  const TPropInfo& Mine) {
  if (Mine.Kind == TPropKind::Object) {
    if (Theirs.Kind != TPropKind::Object || !Mine.SetObject || !Mine.ObjectClass ||
        !Mine.ObjectClass->InheritsFrom(TOrvPersistent::StaticClass()))
      return;
    const auto* Source = As<TOrvPersistent>(Theirs.GetObject ? Theirs.GetObject(From) : nullptr);
    std::unique_ptr<TObject> Copy;
    if (Source) {
      std::unique_ptr<TOrvObject> C = Source->CreateCopy();
      if (auto* P = As<TOrvPersistent>(C.get())) P->Owner = As<TOrvPersistent>(&To);
      Copy = std::move(C);
    } else if (Mine.ObjectClass->Factory) {
      Copy = Mine.ObjectClass->Create(&To);
    }
    if (Copy) Mine.SetObject(To, std::move(Copy));
    return;
  }
  if (Mine.Kind == TPropKind::StringList) {
    if (Theirs.Kind != TPropKind::StringList || !Mine.GetStringList || !Theirs.GetStringList)
      return;
    auto* Src = Theirs.GetStringList(const_cast<TObject&>(From));
    auto* Dst = Mine.GetStringList(To);
    if (Src && Dst) *Dst = *Src;
    return;
  }
  if (!Mine.IsScalar() || !Theirs.IsScalar()) return;
  if (Mine.SetFloat && Theirs.GetFloat) {
    Mine.SetFloat(To, Theirs.GetFloat(From));
  } else if (Mine.SetInt && Theirs.GetInt) {
    Mine.SetInt(To, Theirs.GetInt(From));
  } else if (Theirs.GetText) {
    SetPropText(To, Mine, Theirs.GetText(From));
  }
}

bool IsBlockBoundary(const TOrvToken& T) {
  return T.Is<TRixTokenDefStart>() || T.Is<TRixTokenDefEnd>() || T.Is<TOrvTokenEOF>();
}

}  // namespace

// ---- TRixDef

TRixDef::TRixDef(std::string_view AKey, TRixDefFlags AFlags, std::string_view APropName)
    : Flags(AFlags), PropName(APropName), Key(AKey), UpperKey(UpperCase(AKey)) {}

void TRixDef::Prepare(TOrvLangManager* const* ALangManager, TRixScanner* AScanner, bool AStrict) {
  LangManager = ALangManager;
  Scanner = AScanner;
  Strict = AStrict;
}

void TRixDef::AddError(const TOrvTextPos& At, const std::string& Template) const {
  Scanner->AddMsgText(At, TOrvMsgKind_Error(), Template);
}

void TRixDef::AddWarning(const TOrvTextPos& At, const std::string& Template) const {
  Scanner->AddMsgText(At, TOrvMsgKind_Warning(), Template);
}

// ---- TRixDefSimple

TRixDefSimple::TRixDefSimple(std::string_view AKey, TRixDefFlags AFlags, std::string_view APropName)
    : TRixDef(AKey, AFlags, APropName) {}

void TRixDefSimple::ApplyValue(TObject& Target, const TOrvToken& Token) {
  SetPropertyText(Target, GetPropName(), Token.GetText());
}

void TRixDefSimple::Parse(TObject* Target, TRixNodeComplex* ParentNode, const TOrvToken& KeyToken) {
  TRixNodeSimple* Node = TRixNodeSimple::Create(ParentNode, this, &KeyToken);
  if (OnParseStart) OnParseStart(Node, Target);
  if (Scanner->Expect(TRixTokenDefSimple::StaticClass(), TRixMsgError_DefSimpleExpected, true)) {
    Node->SetDefSimpleToken(*Scanner->PrevToken);
    ParseValue(Target, Node);
    if (Scanner->PrevToken && Scanner->PrevToken->Is<TRixTokenInstrSep>())
      Node->SetSepToken(*Scanner->PrevToken);
  }
  if (OnParsed) OnParsed(Node, Target);
}

void TRixDefSimple::SafeApply(const TOrvToken& Token, const std::function<void()>& Apply) const {
  try {
    Apply();
  } catch (const EMsgList_FatalError&) {
    throw;  // the message list has stopped the reading
  } catch (const EOrvException& E) {
    AddError(Token.StartPos, E.Args.empty() ? E.Template : E.Message);
  } catch (const std::exception& E) {
    AddError(Token.StartPos, E.what());
  }
}

void TRixDefSimple::TakeValue(TObject* Target, TRixNodeSimple* Node, const TOrvToken& Token) {
  if (!CheckValue(Token)) return;
  Node->AddValue(Token);
  if (!Target) return;
  if (Has(rdfDeprecated)) {
    Scanner->AddMsgAt(TRixWarning_Ignored, Token.StartPos);
    return;
  }
  SafeApply(Token, [&] { ApplyValue(*Target, Token); });
}

void TRixDefSimple::ParseValue(TObject* Target, TRixNodeSimple* Node) {
  if (Has(rdfList))
    ParseList(Target, Node);
  else
    ParseSingle(Target, Node);
}

void TRixDefSimple::ParseSingle(TObject* Target, TRixNodeSimple* Node) {
  const TOrvToken& T = *Scanner->Token;
  if (ValueClass && T.Is(*ValueClass)) {
    TakeValue(Target, Node, T);
    Scanner->NextToken();
    ParseValueParam(Target, Node);
    Scanner->Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, true);
  } else if (T.Is<TRixTokenInstrSep>()) {
    AddError(T.StartPos, RixParserText::MissingElement());
    Scanner->NextToken();
  } else {
    AddError(T.StartPos, RixParserText::InvalidElementType());
    // A block boundary stays for the block reader.
    if (!IsBlockBoundary(T)) Scanner->NextToken();
    Scanner->Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, true);
  }
}

void TRixDefSimple::ParseList(TObject* Target, TRixNodeSimple* Node) {
  TRixScanner& S = *Scanner;
  const bool Bracket = S.Accept(TRixTokenListLPar::StaticClass());
  if (Bracket && Has(rdfEmptyList) && S.Accept(TRixTokenListRPar::StaticClass())) {
    S.Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, false);
    return;
  }
  std::vector<int> Elements;  // indices of the elements among the node's values
  while (!S.Token->Is<TOrvTokenEOF>()) {
    const TOrvToken* T = S.Token.get();
    if (T->Is<TRixTokenListSep>() || T->Is<TRixTokenInstrSep>() || T->Is<TRixTokenListRPar>()) {
      AddError(T->StartPos, RixParserText::MissingListElement());
      const bool Sep = T->Is<TRixTokenListSep>();
      const bool Semi = T->Is<TRixTokenInstrSep>();
      S.NextToken();
      if (Sep) continue;
      if (!Semi) S.Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, false);
      break;
    }
    if (IsBlockBoundary(*T)) {  // a missing ";" must not swallow the block's end
      S.AddMsgAt(TRixMsgError_ListSepExpected, T->StartPos);
      break;
    }
    if (ValueClass && T->Is(*ValueClass)) {
      const int Before = Node->Values().Count();
      TakeValue(Target, Node, *T);
      if (Node->Values().Count() > Before) Elements.push_back(Before);
      S.NextToken();
      ParseValueParam(Target, Node);
    } else {
      AddError(T->StartPos, RixParserText::InvalidListElementType());
      S.NextToken();
    }
    T = S.Token.get();
    if (S.Accept(TRixTokenListSep::StaticClass())) continue;
    if (T->Is<TRixTokenListRPar>()) {
      const TOrvTextPos At = T->StartPos;
      S.NextToken();
      if (!Bracket) S.AddMsgAt(TRixMsgError_ListRParInvalid, At);
      S.Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, false);
      break;
    }
    if (T->Is<TRixTokenInstrSep>()) {
      if (Bracket) S.AddMsgAt(TRixMsgError_ListRParExpected, T->StartPos);
      S.NextToken();
      break;
    }
    if (T->Is<TOrvTokenEOF>()) break;
    S.AddMsgAt(TRixMsgError_ListSepExpected, T->StartPos);
    if (IsBlockBoundary(*T)) break;
    if (!T->Is<TOrvTokenIdentifier>()) S.NextToken();
  }
  if (Has(rdfList) && Has(rdfUnique) && Elements.size() > 1) {
    std::unordered_set<std::string> Seen;
    for (int I : Elements) {
      const TOrvToken& E = *Node->Values()[I];
      if (!Seen.insert(UpperCase(E.GetText())).second) {
        S.AddMsgAt(TRixMsgError_UniqueKeyRepeated, E.StartPos);
        break;
      }
    }
  }
}

std::string TRixDefSimple::GrammarValue(const std::string& Word) const {
  std::string R = Word;
  if (Has(rdfList)) {
    R += "_list";
    if (Has(rdfUnique)) R += " (1)";
    if (Has(rdfEmptyList)) R += " ([])";
  }
  return R;
}

void TRixDefSimple::WriteGrammar(TRixLines& Lines, int Indent) const {
  const std::string K = LowerCase(Key);
  Lines.push_back(Blanks(Indent) + K + " ::= \"" + K + "\" \"=\" " +
                  GrammarValue(GetGrammarType()) + " \";\" .");
}

// ---- Value kinds

TRixDefSimpleIdentifier::TRixDefSimpleIdentifier(std::string_view AKey, TRixDefFlags AFlags,
                                                 std::string_view APropName)
    : TRixDefSimple(AKey, AFlags, APropName) {
  ValueClass = &TOrvTokenIdentifier::StaticClass();
}

void TRixDefSimpleIdentifier::ApplyValue(TObject& Target, const TOrvToken& Token) {
  if (!Has(rdfOnce)) return;
  if (Has(rdfList) && AddToStringList(Target, GetPropName(), Token.GetText())) return;
  SetPropertyText(Target, GetPropName(), Token.GetText());
}

TRixDefSimpleInteger::TRixDefSimpleInteger(std::string_view AKey, TRixDefFlags AFlags,
                                           std::string_view APropName)
    : TRixDefSimple(AKey, AFlags, APropName) {
  ValueClass = &TOrvTokenInteger::StaticClass();
}

void TRixDefSimpleInteger::ApplyValue(TObject& Target, const TOrvToken& Token) {
  if (!Has(rdfOnce)) return;
  const auto* I = As<TOrvTokenInteger>(&Token);
  if (!I) throw ERixInvalidValue();
  SetPropertyInt(Target, GetPropName(), I->Value);
}

bool TRixDefSimpleBoolean::CheckValue(const TOrvToken& Token) {
  const auto* I = As<TOrvTokenInteger>(&Token);
  if (I && (I->Value == 0 || I->Value == 1)) return true;
  Scanner->AddMsgAt(TRixMsgError_BooleanExpected, Token.StartPos);
  return false;
}

TRixDefSimpleStringLong::TRixDefSimpleStringLong(std::string_view AKey, TRixDefFlags AFlags,
                                                 std::string_view APropName)
    : TRixDefSimple(AKey, AFlags, APropName) {
  ValueClass = &TOrvTokenString::StaticClass();
}

bool TRixDefSimpleStringLong::CheckValue(const TOrvToken& Token) {
  const std::string Text = Token.GetText();
  const TOrvLangManager* LM = Lang();
  if (Has(rdfNotBlank)) {
    if (!AllLanguageTextsFilled(Scanner, Text, LM, true)) {
      AddError(Token.StartPos,
               LM ? RixParserText::EmptyOrBlankInAnyLanguage() : RixParserText::EmptyOrBlank());
      return false;
    }
  } else if (Has(rdfNotEmpty)) {
    if (!AllLanguageTextsFilled(Scanner, Text, LM, false)) {
      AddError(Token.StartPos, LM ? RixParserText::EmptyInAnyLanguage() : RixParserText::Empty());
      return false;
    }
  }
  return true;
}

void TRixDefSimpleStringLong::ApplyValue(TObject& Target, const TOrvToken& Token) {
  if (Has(rdfList) && AddToStringList(Target, GetPropName(), Token.GetText())) return;
  SetPropertyText(Target, GetPropName(), Token.GetText());
}

bool TRixDefSimpleStringShort::CheckValue(const TOrvToken& Token) {
  if (!TRixDefSimpleStringLong::CheckValue(Token)) return false;
  if (Token.Is<TOrvTokenStringMultiLine>() &&
      Token.GetText().find_first_of("\r\n") != std::string::npos) {
    Scanner->AddMsgAt(TRixMsgError_StringMultiLineNotAllowed, Token.StartPos);
    return false;
  }
  return true;
}

// ---- Enumerations

TRixDefSimpleEnum::TRixDefSimpleEnum(std::string_view AKey, TRixDefFlags AFlags,
                                     std::string_view APrefix, std::string_view APropName)
    : TRixDefSimple(AKey, AFlags, APropName), Prefix(APrefix) {
  ValueClass = &TOrvTokenIdentifier::StaticClass();
}

void TRixDefSimpleEnum::AddName(std::string_view Name, const ClassInfo* AParamClass,
                                std::string_view AParamPropName) {
  FNames.push_back(UpperCase(Name));
  FParamClasses.push_back(AParamClass);
  FParamPropNames.emplace_back(AParamPropName);
}

int TRixDefSimpleEnum::IndexOfName(std::string_view Name) const {
  const std::string U = UpperCase(Name);
  for (size_t I = 0; I < FNames.size(); ++I)
    if (FNames[I] == U) return static_cast<int>(I);
  return -1;
}

bool TRixDefSimpleEnum::HasParams() const {
  for (const ClassInfo* C : FParamClasses)
    if (C) return true;
  return false;
}

bool TRixDefSimpleEnum::CheckValue(const TOrvToken& Token) {
  if (!Token.Is<TOrvTokenIdentifier>()) {
    Scanner->AddMsgAt(TRixMsgError_IdentifierExpected, Token.StartPos);
    return false;
  }
  if (IndexOfName(Token.GetText()) >= 0) return true;
  if (Strict) AddError(Token.StartPos, RixParserText::InvalidValue());
  return false;
}

void TRixDefSimpleEnum::ApplyValue(TObject& Target, const TOrvToken& Token) {
  const std::string Value = Prefix + Token.GetText();
  if (!Has(rdfOnce)) {
    SetPropertyText(Target, GetPropName(), Value);
    return;
  }
  if (Has(rdfList)) {
    const TPropInfo* P = FindProperty(Target, GetPropName() + "Set");
    if (!P || !P->GetText) return;
    const std::string Current = P->GetText(Target);
    if (!SetPropText(Target, *P, Current.empty() ? Value : Current + "," + Value))
      throw ERixInvalidValue();
    return;
  }
  const std::string Name = UpperKey == "TYPE" ? std::string("kind") : GetPropName();
  const TPropInfo* P = FindProperty(Target, Name);
  if (!P || !P->IsScalar()) return;
  if (Has(rdfInherit) && P->GetText && SameText(P->GetText(Target), Value)) {
    AddWarning(Token.StartPos, RixParserText::ValueAlreadySet());
    return;
  }
  if (!SetPropText(Target, *P, Value)) throw ERixInvalidValue();
}

void TRixDefSimpleEnum::ParseValueParam(TObject* Target, TRixNodeSimple* Node) {
  TRixScanner& S = *Scanner;
  const TOrvToken* Value = S.PrevToken.get();
  const int I = Value && Value->Is<TOrvTokenIdentifier>() ? IndexOfName(Value->GetText()) : -1;
  const TOrvToken& T = *S.Token;
  if (I < 0) {
    // An unknown name: its parameter, if any, goes with it.
    if (!T.Is<TRixTokenInstrSep>() && !T.Is<TRixTokenListSep>() && !T.Is<TRixTokenListRPar>() &&
        !IsBlockBoundary(T))
      S.NextToken();
    return;
  }
  const ClassInfo* ParamClass = FParamClasses[I];
  if (!ParamClass) return;
  if (T.Is<TRixTokenInstrSep>()) {
    AddError(T.StartPos, RixParserText::MissingParameter());
  } else if (T.Is(*ParamClass)) {
    Node->AddValue(T);
    if (Target) {
      if (Has(rdfDeprecated)) {
        S.AddMsgAt(TRixWarning_Ignored, T.StartPos);
      } else {
        const std::string PropName = FParamPropNames[I];
        SafeApply(T, [&] { SetPropertyText(*Target, PropName, T.GetText()); });
      }
    }
    S.NextToken();
  } else {
    AddError(T.StartPos, RixParserText::InvalidParameterType());
    if (!IsBlockBoundary(T)) S.NextToken();
  }
}

void TRixDefSimpleEnum::WriteGrammar(TRixLines& Lines, int Indent) const {
  const std::string K = LowerCase(Key);
  const std::string Elem = K + (HasParams() ? "_elem" : "_identifier");
  Lines.push_back(Blanks(Indent) + K + " ::= \"" + K + "\" \"=\" " + GrammarValue(Elem) +
                  " \";\" .");
  std::string Rule = Blanks(Indent) + Elem + " ::= ";
  for (size_t I = 0; I < FNames.size(); ++I) {
    if (I > 0) Rule += " | ";
    const ClassInfo* C = FParamClasses[I];
    if (!C) {
      Rule += "\"" + FNames[I] + "\"";
      continue;
    }
    std::string Param = LowerCase(FParamPropNames[I]);
    if (C->InheritsFrom(TOrvTokenInteger::StaticClass()))
      Param = "integer";
    else if (C->InheritsFrom(TOrvTokenIdentifier::StaticClass()))
      Param = "identifier";
    Rule += "( \"" + FNames[I] + "\" " + Param + " )";
  }
  Lines.push_back(Rule + " .");
}

// ---- Dates

void TRixDefSimpleDate::ParseValue(TObject* Target, TRixNodeSimple* Node) {
  TRixScanner& S = *Scanner;
  int Parts[3] = {0, 0, 0};
  int N = 0;
  bool Recovered = false;
  TOrvTextPos LastPos = S.Token->StartPos;
  for (int I = 0; I < 3; ++I) {
    if (I > 0 && !S.Accept(TRixTokenDateSep::StaticClass())) break;
    if (!S.Expect(TOrvTokenInteger::StaticClass(), TRixMsgError_IntegerExpected, true)) {
      Recovered = true;
      break;
    }
    Node->AddValue(*S.PrevToken);
    LastPos = S.PrevToken->StartPos;
    Parts[N++] = static_cast<const TOrvTokenInteger&>(*S.PrevToken).Value;
  }
  if (!Recovered) S.Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, false);
  double Date = 0;
  if (N < 3 || !TryEncodeDate(Parts[0], Parts[1], Parts[2], Date)) {
    S.AddMsgAt(TRixMsgError_InvalidDate, LastPos);
    return;
  }
  if (!Target || !Has(rdfOnce)) return;
  const TOrvToken& At = *Node->Values()[Node->Values().Count() - 1];
  if (Has(rdfDeprecated)) {
    S.AddMsgAt(TRixWarning_Ignored, At.StartPos);
    return;
  }
  SafeApply(At, [&] {
    const TPropInfo* P = FindProperty(*Target, GetPropName());
    if (!P || !P->IsScalar()) return;
    if (!P->SetFloat) throw ERixInvalidValue();
    P->SetFloat(*Target, Date);
  });
}

// ---- TRixDefList

void TRixDefList::SetStrict(bool Value) {
  Strict = Value;
  for (int I = 0; I < Count(); ++I) GetItem(I)->SetStrict(Value);
}

int TRixDefList::FindDef(std::string_view UpperKey, bool Block) const {
  for (int I = 0; I < Count(); ++I) {
    const TRixDef* D = GetItem(I);
    if (D->Is<TRixDefComplex>() == Block && D->UpperKey == UpperKey) return I;
  }
  return -1;
}

void TRixDefList::WriteGrammarLines(TRixLines& Lines, int Indent) const {
  for (int I = 0; I < Count(); ++I) {
    const TRixDef* D = GetItem(I);
    std::string S = LowerCase(D->Key);
    if (D->Has(rdfOnce)) S += " (1)";
    if (D->Has(rdfInherit)) S += " (inherit)";
    if (D->Has(rdfDeprecated)) S += " (ignore)";
    if (D->Has(rdfNotBlank))
      S += " (<>\" *\")";
    else if (D->Has(rdfNotEmpty))
      S += " (<>\"\")";
    if (!D->Has(rdfMandatory)) S.insert(0, "[ ").append(" ]");
    if (Ordered && !D->Has(rdfOnce)) S.insert(0, "{ ").append(" }");
    if (!Ordered && I < Count() - 1) S += " |";
    Lines.push_back(Blanks(Indent) + S);
  }
}

// ---- TRixDefComplex

TRixDefComplex::TRixDefComplex(std::string_view AKey, TRixDefFlags AFlags,
                               std::string_view AClassStem, std::string_view ANamespace,
                               std::string_view APropName)
    : TRixDef(AKey, AFlags, APropName),
      ClassStem(AClassStem),
      Namespace(ANamespace),
      FDefs(std::make_unique<TRixDefList>((AFlags & rdfOrdered) != 0)) {}

void TRixDefComplex::AddDefObject(std::unique_ptr<TRixDef> Def) {
  TRixDef* D = Def.get();
  FDefs->Add(Def.release());
  D->Prepare(LangManager, Scanner, Strict);
}

std::string TRixDefComplex::GetPropName() const {
  if (!PropName.empty()) return PropName;
  return ClassStem.empty() ? Key : ClassStem;
}

std::string TRixDefComplex::TargetClassName() const {
  return "T" + Namespace + (ClassStem.empty() ? Key : ClassStem);
}

void TRixDefComplex::SetStrict(bool Value) {
  TRixDef::SetStrict(Value);
  FDefs->SetStrict(Value);
}

void TRixDefComplex::Prepare(TOrvLangManager* const* ALangManager, TRixScanner* AScanner,
                             bool AStrict) {
  TRixDef::Prepare(ALangManager, AScanner, AStrict);
  FDefs->LangManager = ALangManager;
  FDefs->Scanner = AScanner;
  FDefs->Strict = AStrict;
  for (int I = 0; I < FDefs->Count(); ++I)
    FDefs->GetItem(I)->Prepare(ALangManager, AScanner, AStrict);
}

TObject* TRixDefComplex::ProvideTarget(TObject* Target) const {
  if (!Target) return nullptr;
  // The name comes from the schema alone; only registered classes are ever created.
  const ClassInfo* C = ClassRegistry::Find(TargetClassName());
  if (!C || !C->Factory) return nullptr;
  if (Has(rdfOnce)) {
    const TPropInfo* P = FindProperty(*Target, GetPropName());
    if (!P || P->Kind != TPropKind::Object || !P->GetObject || !P->SetObject) return nullptr;
    if (TObject* Obj = P->GetObject(*Target)) return Obj;
    if (P->ObjectClass && !C->InheritsFrom(*P->ObjectClass)) return nullptr;
    P->SetObject(*Target, C->Create(Target));
    return P->GetObject(*Target);
  }
  const TPropInfo* P = FindProperty(*Target, GetPropName() + "List");
  if (!P || P->Kind != TPropKind::ObjectList || !P->GetObject) return nullptr;
  auto* List = As<TOrvObjectList>(P->GetObject(*Target));
  if (!List) return nullptr;
  if (P->ObjectClass && !C->InheritsFrom(*P->ObjectClass)) return nullptr;
  std::unique_ptr<TObject> Obj = C->Create(Target);
  if (auto* Pers = As<TOrvPersistent>(Obj.get())) Pers->EmptyHook();
  return List->Add(std::move(Obj));
}

void TRixDefComplex::Inherit(TObject& Obj) const {
  auto* Self = As<TOrvPersistent>(&Obj);
  if (!Self) return;
  for (int I = 0; I < FDefs->Count(); ++I) {
    const TRixDef* D = FDefs->GetItem(I);
    if (!D->Has(rdfInherit)) continue;
    std::string Name = D->UpperKey == "TYPE" ? std::string("kind") : D->UpperKey;
    if (D->Has(rdfOnce) && D->Has(rdfList)) Name += "Set";
    const TPropInfo* Mine = FindProperty(Obj, Name);
    if (!Mine) continue;
    int Steps = 0;  // owner chains are short; a broken one must not hang the reading
    for (TOrvPersistent* O = Self->Owner; O && O != Self && Steps < 4096; O = O->Owner, ++Steps) {
      const TPropInfo* Theirs = FindProperty(*O, Name);
      if (!Theirs) continue;
      if (!Has(rdfDeprecated)) CopyProperty(*O, *Theirs, Obj, *Mine);
      break;
    }
  }
}

void TRixDefComplex::CheckMandatory(TRixNodeComplex* Node) const {
  for (int I = 0; I < FDefs->Count(); ++I) {
    const TRixDef* D = FDefs->GetItem(I);
    if (!D->Has(rdfMandatory) || Node->DefNode(I)) continue;
    const TOrvTextPos At = Scanner->PrevToken ? Scanner->PrevToken->StartPos : Scanner->Pos;
    Scanner->AddMsgArgsAt(TRixMsgError_MandatoryDefOmitted, At, {LowerCase(D->Key)});
    return;
  }
}

void TRixDefComplex::ParseFound(int Index, bool Nested, TObject* Target, TRixNodeComplex* Node,
                                const TOrvToken& KeyToken, const TOrvToken& PassToken) {
  TRixDef* D = Nested ? this : FDefs->GetItem(Index);
  if (FDefs->Ordered) {
    std::string Later;
    if (!Nested) {  // a nested block counts as coming after every declared key
      for (int J = Index + 1; J < FDefs->Count() && Later.empty(); ++J)
        if (Node->DefNode(J)) Later = FDefs->GetItem(J)->Key;
      if (Later.empty() && Node->NestedNode()) Later = Key;
    }
    if (!Later.empty())
      Scanner->AddMsgArgsAt(TRixMsgError_IncorrectOrder, KeyToken.StartPos, {LowerCase(Later)});
  }
  const TRixNode* Existing = Nested ? Node->NestedNode() : Node->DefNode(Index);
  if (D->Has(rdfOnce) && Existing)
    Scanner->AddMsgAt(TRixMsgError_UniqueKeyRepeated, KeyToken.StartPos);
  const std::unique_ptr<TOrvToken> Pass = CopyOf(PassToken);
  Scanner->NextToken();  // the key
  const int Before = Node->Children().Count();
  D->Parse(Target, Node, *Pass);
  if (Node->Children().Count() > Before) {
    TRixNode* Made = Node->Children()[Before];
    if (Nested)
      Node->NoteNestedNode(As<TRixNodeComplex>(Made));
    else
      Node->NoteDefNode(Index, Made);
  }
}

bool TRixDefComplex::ParseInstruction(TObject* Target, TRixNodeComplex* Node) {
  TRixScanner& S = *Scanner;
  const TOrvToken& T = *S.Token;
  if (T.Is<TRixTokenDefStart>()) {
    const std::unique_ptr<TOrvToken> DefToken = CopyOf(T);
    S.NextToken();
    const TOrvToken& K = *S.Token;
    if (!K.Is<TOrvTokenIdentifier>()) {
      S.AddMsgAt(TRixMsgError_IdentifierExpected, K.StartPos);
      S.SkipDef(DefToken->StartPos);
      return true;
    }
    const std::string Upper = UpperCase(K.GetText());
    const int I = FDefs->FindDef(Upper, true);
    const bool Nested = I < 0 && Has(rdfSelfNesting) && !UpperKey.empty() && Upper == UpperKey;
    if (I < 0 && !Nested) {
      if (FDefs->StopAtUnknownKey) {
        S.StepBack();  // "def" is current again
        return false;
      }
      if (Strict) S.AddMsgAt(TRixMsgError_UnknownKey, K.StartPos);
      S.NextToken();
      S.SkipDef(DefToken->StartPos);
      return true;
    }
    ParseFound(I, Nested, Target, Node, K, *DefToken);
    return true;
  }
  if (T.Is<TOrvTokenIdentifier>()) {
    const int I = FDefs->FindDef(UpperCase(T.GetText()), false);
    if (I < 0) {
      if (FDefs->StopAtUnknownKey) return false;
      if (Strict) S.AddMsgAt(TRixMsgError_UnknownKey, T.StartPos);
      S.SkipStatement(true);
      return true;
    }
    ParseFound(I, false, Target, Node, T, T);
    return true;
  }
  return false;
}

void TRixDefComplex::Parse(TObject* Target, TRixNodeComplex* ParentNode,
                           const TOrvToken& DefToken) {
  TRixScanner& S = *Scanner;
  if (ParentNode && ParentNode->Level() >= RixMaxBlockDepth) {
    S.AddMsgAt(TRixMsgError_DefNestedTooDeep, DefToken.StartPos);
    S.SkipDef(DefToken.StartPos);
    return;
  }
  TObject* Obj = ProvideTarget(Target);
  TRixNodeComplex* Node =
      TRixNodeComplex::Create(ParentNode, this, &DefToken, S.PrevToken.get(), Obj);
  if (Obj) Inherit(*Obj);
  if (OnParseStart) OnParseStart(Node, Obj);
  for (;;) {
    const TOrvToken& T = *S.Token;
    if (T.Is<TRixTokenDefEnd>()) {
      Node->SetEndToken(T);
      S.NextToken();
      if (S.Accept(TRixTokenInstrSep::StaticClass()))
        Node->SetSepToken(*S.PrevToken);
      else
        S.AddMsgAt(TRixMsgError_InstrSepExpected, S.PrevToken->EndPos);
      break;
    }
    if (T.Is<TOrvTokenEOF>()) {
      S.AddMsgAt(TRixMsgError_DefEndExpected, T.StartPos);
      break;
    }
    const int32_t Before = T.StartPos.Offset;
    const bool Ok = ParseInstruction(Obj, Node);
    const bool Moved = S.Token->StartPos.Offset != Before;
    if (!Ok && FDefs->StopAtUnknownKey) break;
    if ((!Ok || !Moved) && !S.Token->Is<TOrvTokenEOF>()) {
      S.AddMsgAt(TRixMsgError_UnknownKey, S.Token->StartPos);
      S.NextToken();
    }
  }
  CheckMandatory(Node);
  if (OnParsed) OnParsed(Node, Obj);
}

void TRixDefComplex::WriteGrammar(TRixLines& Lines, int Indent) const {
  const std::string K = LowerCase(Key);
  const std::string Rule = K + " ::= \"def\" \"" + K + "\" " + K + "_fields \"end\" \";\" .";
  for (const std::string& L : Lines)
    if (L.size() >= Rule.size() && L.compare(L.size() - Rule.size(), Rule.size(), Rule) == 0 &&
        L.find_first_not_of(' ') == L.size() - Rule.size())
      return;  // printed already
  if (!Lines.empty() && !Lines.back().empty()) Lines.emplace_back();
  Lines.push_back(Blanks(Indent) + Rule);
  Lines.push_back(Blanks(Indent) + K + "_fields ::=");
  if (!FDefs->Ordered) Lines.push_back(Blanks(Indent) + "{");
  FDefs->WriteGrammarLines(Lines, Indent + 1);
  if (Has(rdfSelfNesting)) Lines.push_back(Blanks(Indent + 1) + "[ " + K + " ]");
  if (!FDefs->Ordered) Lines.push_back(Blanks(Indent) + "}");
  Lines.back() += " .";
  Lines.emplace_back();
  for (int I = 0; I < FDefs->Count(); ++I) FDefs->GetItem(I)->WriteGrammar(Lines, Indent);
}

// ---- TRixDefRoot

void TRixDefRoot::WriteGrammar(TRixLines& Lines, int Indent) const {
  Lines.push_back(Blanks(Indent) + "documentation ::=");
  Defs().WriteGrammarLines(Lines, Indent + 1);
  Lines.back() += " .";
  Lines.emplace_back();
  for (int I = 0; I < Defs().Count(); ++I) Defs().GetItem(I)->WriteGrammar(Lines, Indent);
}

void TRixDefRoot::Parse(TObject* Target, TRixNodeComplex* ParentNode, const TOrvToken&) {
  TRixScanner& S = *Scanner;
  TRixNodeComplex* Node = ParentNode;
  if (OnParseStart) OnParseStart(Node, Target);
  while (!S.Token->Is<TOrvTokenEOF>()) {
    const int32_t Before = S.Token->StartPos.Offset;
    const bool Ok = ParseInstruction(Target, Node);
    if (!Ok && !S.Token->Is<TOrvTokenEOF>()) {
      if (Defs().StopAtUnknownKey) break;
      if (Strict) S.AddMsgAt(TRixMsgError_UnknownKey, S.Token->StartPos);
      S.SkipStatement(false);
    }
    if (S.Token->StartPos.Offset == Before && !S.Token->Is<TOrvTokenEOF>()) {
      S.AddMsgAt(TRixMsgError_Unknown, S.Token->StartPos);
      S.SkipStatement(false);
      if (S.Token->StartPos.Offset == Before && !S.Token->Is<TOrvTokenEOF>()) S.NextToken();
    }
  }
  CheckMandatory(Node);
  if (OnParsed) OnParsed(Node, Target);
}

}  // namespace quin
