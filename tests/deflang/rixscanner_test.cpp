#include "deflang/rixscanner.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "base/format.h"
#include "base/text.h"
#include "rix_fixture.h"

namespace quin {
namespace {

using test::MsgText;

class RixScannerTest : public test::TRixTest {
 protected:
  TRixScanner& Scan(std::string Text) {
    S = TRixScanner::CreateFromText(std::move(Text), &Msgs);
    S->NextToken();
    return *S;
  }
  std::string Msgs_() const { return MsgText(Msgs); }
  std::string Current() const {
    return S->Token->Is<TOrvTokenEOF>() ? "<eof>" : S->Token->GetText();
  }

  std::unique_ptr<TRixScanner> S;
};

std::string Hex(const TDynByteArr& B) {
  std::string R;
  for (uint8_t X : B) R += Format("%.2x", {static_cast<int>(X)}, TFormatSettings{});
  return R;
}

std::string Join(const TRixTextList* L) {
  if (!L) return "(nil)";
  std::string R;
  for (int I = 0; I < L->Count(); ++I) R += (I ? "|" : "") + L->GetItem(I)->Text();
  return R;
}

std::string Join(const TRixIntegerList* L) {
  if (!L) return "(nil)";
  std::string R;
  for (int I = 0; I < L->Count(); ++I) R += (I ? "|" : "") + std::to_string(L->GetItem(I)->Value());
  return R;
}

// One instruction read by one typed reader: the result, the value afterwards (as text), the
// messages and the token the reader left for the next instruction.
struct TReadCase {
  const char* Text;
  std::function<bool(TRixScanner&, std::string&)> Read;
  bool Result;
  const char* Value;
  const char* Msgs;
  const char* Next;
};

auto Integer(const char* Key) {
  return [Key](TRixScanner& S, std::string& Out) {
    int32_t V = 7;
    const bool R = S.ReadInteger(Key, V);
    Out = std::to_string(V);
    return R;
  };
}
auto Boolean() {
  return [](TRixScanner& S, std::string& Out) {
    bool V = false;
    const bool R = S.ReadBoolean("a", V);
    Out = V ? "1" : "0";
    return R;
  };
}
auto Identifier() {
  return [](TRixScanner& S, std::string& Out) {
    Out = "old";
    return S.ReadIdentifier("a", Out);
  };
}
auto Number() {
  return [](TRixScanner& S, std::string& Out) {
    double V = 7;
    const bool R = S.ReadNumber("a", V);
    Out = FloatToStr(V, TFormatSettings{});
    return R;
  };
}
auto String(bool MultiLine, bool AllowEmpty = true) {
  return [=](TRixScanner& S, std::string& Out) {
    Out = "old";
    return S.ReadString("a", Out, MultiLine, AllowEmpty, nullptr);
  };
}
auto Guid() {
  return [](TRixScanner& S, std::string& Out) {
    TGUID G;
    const bool R = S.ReadGUID("a", G);
    Out = GUIDToString(G);
    return R;
  };
}
auto BinData() {
  return [](TRixScanner& S, std::string& Out) {
    TDynByteArr D{0xEE};
    const bool R = S.ReadBinData("a", D);
    Out = Hex(D);
    return R;
  };
}
auto DoubleBin() {
  return [](TRixScanner& S, std::string& Out) {
    double V = 7;
    const bool R = S.ReadDoubleBin("a", V);
    Out = FloatToStr(V, TFormatSettings{});
    return R;
  };
}
auto Days() {
  return [](TRixScanner& S, std::string& Out) {
    TOrvDaySet D = TOrvDaySet::All();
    const bool R = S.ReadDaySet("a", D);
    Out = std::to_string(D.Bits());
    return R;
  };
}
auto IdentList() {
  return [](TRixScanner& S, std::string& Out) {
    std::unique_ptr<TRixTextList> L;
    const bool R = S.ReadIdentifierList("a", L);
    Out = Join(L.get());
    return R;
  };
}
auto IntList() {
  return [](TRixScanner& S, std::string& Out) {
    std::unique_ptr<TRixIntegerList> L;
    const bool R = S.ReadIntegerList("a", L);
    Out = Join(L.get());
    return R;
  };
}
auto StrList() {
  return [](TRixScanner& S, std::string& Out) {
    std::unique_ptr<TRixTextList> L;
    const bool R = S.ReadStringList("a", L, /*AllowMultiLine=*/false, /*AllowEmpty=*/true, nullptr);
    Out = Join(L.get());
    return R;
  };
}

TEST_F(RixScannerTest, TypedReaders) {
  const TReadCase Cases[] = {
      // integers
      {"a = -5;\r\nb", Integer("a"), true, "-5", "", "b"},
      {"A = 12;\r\nb", Integer("a"), true, "12", "", "b"},
      {"a = -2147483648;\r\nb", Integer("a"), true, "-2147483648", "", "b"},
      {"a = x;\r\nb", Integer("a"), false, "7", "1:5 Integer expected.", "b"},
      {"a = 5.5;\r\nb", Integer("a"), false, "7", "1:5 Integer expected.", "b"},
      {"a 5;\r\nb", Integer("a"), false, "7", "1:3 \"=\" expected.", "b"},
      {"c = 5;", Integer("a"), false, "7", "", "c"},
      {"a = 5\r\nb", Integer("a"), true, "5", "2:1 \";\" expected.", "b"},
      {"a = 5\r\ndef b", Integer("a"), true, "5", "2:1 \";\" expected.", "def"},
      {"a = x\r\ndef b", Integer("a"), false, "7", "1:5 Integer expected. | 2:4 \";\" expected.",
       "def"},
      // Booleans
      {"a = 1;\r\nb", Boolean(), true, "1", "", "b"},
      {"a = 2;\r\nb", Boolean(), true, "0", "1:5 \"0\" or \"1\" expected.", "b"},
      {"a = x;\r\nb", Boolean(), false, "0", "1:5 \"0\" or \"1\" expected.", "b"},
      // identifiers
      {"a = Press.Title@PL;\r\nb", Identifier(), true, "press.title@pl", "", "b"},
      {"a = 5;\r\nb", Identifier(), false, "old", "1:5 Identifier expected.", "b"},
      {"a = x@;\r\nb", Identifier(), false, "old", "1:7 Identifier expected.", "b"},
      // numbers; an out-of-range number is no number
      {"a = -2.5;\r\nb", Number(), true, "-2.5", "", "b"},
      {"a = 12;\r\nb", Number(), true, "12", "", "b"},
      {"a = 1e400;\r\nb", Number(), false, "7",
       "1:10 Invalid numeric format. | 1:5 Number expected.", "b"},
      {"a = x;\r\nb", Number(), false, "7", "1:5 Number expected.", "b"},
      {"a = -;\r\nb", Number(), false, "7", "1:6 Number expected.", "b"},
      // strings
      {"a = \"x \"\"y\"\"\";\r\nb", String(false), true, "x \"y\"", "", "b"},
      {"a = \"a  b \\n  c\";\r\nb", String(false), true, "a b\r\nc", "", "b"},
      {"a = <<one\r\n  two>>;\r\nb", String(true), true, "one two", "", "b"},
      {"a = <<line1\r\nline2>>;\r\nb", String(false), true, "line1",
       "2:8 Multi-line strings are not allowed here.", "b"},
      {"a = 5;\r\nb", String(false), false, "old", "1:5 String expected.", "b"},
      {"a = \"\";\r\nb", String(/*MultiLine=*/false, /*AllowEmpty=*/false), true, "",
       "1:7 String empty in one of the languages.", "b"},
      {"a = \"x\" y;\r\nb", String(false), true, "x", "1:9 \";\" expected.", "y"},
      // GUIDs
      {"a = \"{3991c166-f2a3-4c70-b115-fb13d7491403}\";\r\nb", Guid(), true,
       "{3991C166-F2A3-4C70-B115-FB13D7491403}", "", "b"},
      {"a = \"nope\";\r\nb", Guid(), false, "{00000000-0000-0000-0000-000000000000}",
       "1:5 GUID (\"{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}\") expected.", "b"},
      {"a = 5;\r\nb", Guid(), false, "{00000000-0000-0000-0000-000000000000}",
       "1:3 GUID (\"{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}\") expected.", "5"},
      // binary data and doubles (exactly 8 bytes)
      {"a = $0A1f;\r\nb", BinData(), true, "0A1F", "", "b"},
      {"a = 5;\r\nb", BinData(), false, "EE", "1:5 Binary data expected.", "b"},
      {"a = $000000000000F03F;\r\nb", DoubleBin(), true, "1", "", "b"},
      {"a = $0000;\r\nb", DoubleBin(), false, "7", "1:5 Binary data expected.", "b"},
      {"a = $000000000000F03F00;\r\nb", DoubleBin(), false, "7", "1:5 Binary data expected.", "b"},
      // day sets
      {"a = mon:wed, sat;\r\nb", Days(), true, "39", "", "b"},
      {"a = fri:mon;\r\nb", Days(), true, "0", "", "b"},
      {"a = MON, xyz, sun;\r\nb", Days(), true, "65", "", "b"},
      {"a = ;\r\nb", Days(), true, "0", "", "b"},
      {"a = mon\r\nb", Days(), true, "1", "2:1 \";\" expected.", "b"},
      {"a = mon, 5;\r\nb", Days(), true, "1", "1:10 Identifier expected.", "b"},
      // lists
      {"a = X, y@Z;\r\nb", IdentList(), true, "x|y@z", "", "b"},
      {"a = x, 5;\r\nb", IdentList(), true, "x", "1:8 Identifier expected.", "b"},
      {"a = 5;\r\nb", IdentList(), true, "(nil)", "1:5 Identifier expected.", "b"},
      {"a = x y;\r\nb", IdentList(), true, "x", "1:7 \";\" expected.", "b"},
      {"a = 1, 2, 3;\r\nb", IntList(), true, "1|2|3", "", "b"},
      {"a = 1, -2;\r\nb", IntList(), true, "1", "1:8 Integer expected.", "b"},
      {"a = -1;\r\nb", IntList(), true, "(nil)", "1:5 Integer expected.", "b"},
      {"a = \"x\", <<y>>;\r\nb", StrList(), true, "x|y", "", "b"},
      {"a = \"x\", 1;\r\nb", StrList(), true, "x", "1:10 String expected.", "b"},
  };
  for (const TReadCase& C : Cases) {
    Msgs.Clear();
    TRixScanner& Sc = Scan(C.Text);
    std::string Value;
    EXPECT_EQ(C.Read(Sc, Value), C.Result) << C.Text;
    EXPECT_EQ(Value, C.Value) << C.Text;
    EXPECT_EQ(Msgs_(), C.Msgs) << C.Text;
    EXPECT_EQ(Current(), C.Next) << C.Text;
  }
}

TEST_F(RixScannerTest, ReadersTestingKeysInTurnNeverReportAValidKeyAsUnknown) {
  TRixScanner& Sc = Scan("a = x;\r\nb = 2;\r\nz = 1;\r\nc = \"s\";\r\n");
  int32_t A = 0, B = 0;
  std::string C;
  int Unknown = 0;
  while (!Sc.Token->Is<TOrvTokenEOF>()) {
    if (Sc.ReadInteger("a", A) || Sc.LastReadResult() != TRixReadResult::NoMatch) continue;
    if (Sc.ReadInteger("b", B) || Sc.LastReadResult() != TRixReadResult::NoMatch) continue;
    if (Sc.ReadString("c", C, /*AllowMultiLine=*/false, /*AllowEmpty=*/true, nullptr) ||
        Sc.LastReadResult() != TRixReadResult::NoMatch)
      continue;
    ++Unknown;
    Sc.AddMsgAt(TRixMsgError_UnknownKey, Sc.Token->StartPos);
    Sc.SkipStatement(true);
  }
  EXPECT_EQ(B, 2);
  EXPECT_EQ(C, "s");
  EXPECT_EQ(Unknown, 1);
  EXPECT_EQ(Msgs_(), "1:5 Integer expected. | 3:1 Unknown key.");
}

TEST_F(RixScannerTest, ListReadersKeepTheCallersListUntilTheirKeyMatches) {
  auto L = std::make_unique<TRixTextList>();
  TRixTextList* Before = L.get();
  EXPECT_FALSE(Scan("b = y;").ReadIdentifierList("a", L));
  EXPECT_EQ(L.get(), Before);
  std::unique_ptr<TRixIntegerList> IL = std::make_unique<TRixIntegerList>();
  EXPECT_FALSE(Scan("b = 1;").ReadIntegerList("a", IL));
  EXPECT_NE(IL, nullptr);
  std::unique_ptr<TRixTextList> SL = std::make_unique<TRixTextList>();
  EXPECT_FALSE(Scan("b = \"x\";").ReadStringList("a", SL, false, true, nullptr));
  EXPECT_NE(SL, nullptr);
  EXPECT_TRUE(Scan("b = \"x\";").ReadStringList("b", SL, false, true, nullptr));
  EXPECT_EQ(Join(SL.get()), "x");
}

TEST_F(RixScannerTest, ListElementsSpanTheirSourceAndCopyTheirTokens) {
  std::unique_ptr<TRixTextList> L;
  ASSERT_TRUE(Scan("a = X, y @ Z;").ReadIdentifierList("a", L));
  ASSERT_EQ(L->Count(), 2);
  const TOrvToken* T = L->GetItem(1)->Token();
  EXPECT_TRUE(T->Is<TOrvTokenIdentifier>());
  EXPECT_EQ(T->StartPos, MakeTextPos(8, 1, 8));
  EXPECT_EQ(T->EndPos, MakeTextPos(13, 1, 13));
  auto Copy = CopyOf(*L);
  EXPECT_EQ(Join(static_cast<TRixTextList*>(Copy.get())), "x|y@z");
  EXPECT_NE(static_cast<TRixTextList*>(Copy.get())->GetItem(1)->Token(), T);
}

TEST_F(RixScannerTest, BlockStartLooksAheadAndPutsEverythingBack) {
  TRixScanner& Sc = Scan("x;\r\ndef other 12ab y = 1; end;");
  Sc.NextToken();
  Sc.NextToken();  // at "def", previous ";"
  const TOrvTextPos P = Sc.Pos;
  EXPECT_FALSE(Sc.ReadDefComplexStart("waves"));
  EXPECT_TRUE(Sc.Token->Is<TRixTokenDefStart>());
  EXPECT_TRUE(Sc.PrevToken->Is<TRixTokenInstrSep>());
  EXPECT_EQ(Sc.PrevToken->StartPos, MakeTextPos(2, 1, 2));
  EXPECT_EQ(Sc.OlderToken->GetText(), "x");
  EXPECT_EQ(Sc.Pos, P);
  EXPECT_EQ(Msgs_(), "");
  EXPECT_FALSE(Scan("x = 1;").ReadDefComplexStart("x"));
  TRixScanner& Sc2 = Scan("def Other 12ab y = 1; end;");
  EXPECT_TRUE(Sc2.ReadDefComplexStart("other"));
  EXPECT_EQ(Msgs_(), "1:15 Invalid numeric format.");  // reported once the block is read
}

TEST_F(RixScannerTest, SignatureAndVersion) {
  const TGUID Sig = StringToGUID("{3991C166-F2A3-4C70-B115-FB13D7491403}");
  EXPECT_TRUE(Scan("signature = \"{3991c166-f2a3-4c70-b115-fb13d7491403}\";")
                  .ReadSignature("signature", Sig));
  EXPECT_FALSE(Scan("version = 1;").ReadSignature("signature", Sig));
  for (const char* Bad : {"signature = 5;", "signature = \"x\";",
                          "signature = \"{3991C166-F2A3-4C70-B115-FB13D7491404}\";"})
    EXPECT_THROW(Scan(Bad).ReadSignature("signature", Sig), ESIGErr) << Bad;

  int32_t V = -1;
  EXPECT_TRUE(Scan("version = 2;").ReadVersion("version", 1, 3, V));
  EXPECT_EQ(V, 2);
  EXPECT_TRUE(Scan("version = 513;").ReadVersion("version", 1, 1, V));  // low byte 1
  EXPECT_EQ(V, 513);
  EXPECT_TRUE(Scan("version = 1;").ReadVersion("version", 1, 1));
  EXPECT_FALSE(Scan("other = 1;").ReadVersion("version", 1, 1));
  EXPECT_THROW(Scan("version = 4;").ReadVersion("version", 1, 3), EVERErr);
  EXPECT_THROW(Scan("version = \"1\";").ReadVersion("version", 1, 3), EVERErr);
  EXPECT_EQ(Msgs_(), "");
}

TEST_F(RixScannerTest, ParseStringNormalisesBlanksAndLineBreaks) {
  const struct {
    const char* Source;
    const char* Value;
  } Cases[] = {
      {"\"  a   b  \"", "a b"},          {"\"a \\n b\"", "a\r\nb"},
      {"\"a \\n \\n b\"", "a\r\n\r\nb"}, {"<<a\r\n   b\r\n>>", "a b"},
      {"<<a\\n\r\nb>>", "a\r\nb"},       {"\"C:\\\\new\"", "C:\\\r\new"},
      {"\"tab\there\"", "tab\there"},
  };
  for (const auto& C : Cases) {
    std::string V;
    EXPECT_TRUE(Scan(C.Source).ParseString(V, true, true, nullptr)) << C.Source;
    EXPECT_EQ(V, C.Value) << C.Source;
  }
  EXPECT_EQ(Msgs_(), "");
}

TEST_F(RixScannerTest, AllLanguageTextsFilledAsksEveryLanguage) {
  auto Empty = std::make_unique<TOrvLangManager>();  // no language registered
  EXPECT_TRUE(AllLanguageTextsFilled(nullptr, "<PLK>x<ENU>y", En.get(), false));
  EXPECT_FALSE(AllLanguageTextsFilled(nullptr, "<PLK>x<ENU>", En.get(), false));
  EXPECT_TRUE(AllLanguageTextsFilled(nullptr, "<PLK> <ENU>y", En.get(), false));
  EXPECT_FALSE(AllLanguageTextsFilled(nullptr, "<PLK> <ENU>y", En.get(), true));
  EXPECT_TRUE(AllLanguageTextsFilled(nullptr, " x ", nullptr, true));
  EXPECT_FALSE(AllLanguageTextsFilled(nullptr, "  ", nullptr, true));
  EXPECT_TRUE(AllLanguageTextsFilled(nullptr, "  ", Empty.get(), false));
  std::string V;
  Scan("a = \"<PLK>tak<ENU>\";")
      .ReadString("a", V, /*AllowMultiLine=*/false, /*AllowEmpty=*/false, En.get());
  EXPECT_EQ(Msgs_(), "1:20 String empty in one of the languages.");
}

TEST_F(RixScannerTest, TextsDropHiddenLines) {
  const struct {
    const char* Source;
    const char* Text;
  } Cases[] = {
      {"<<line1\r\n//! hidden\r\nline2>>", "line1\r\nline2"},
      {"<<a\r\n//?x\r\n//!y\r\n>>", "a\r\n"},
      {"<<a\r\n//?x>>", "a\r\n"},
      {"<<a //! b\r\n  //! c>>", "a //! b\r\n  //! c"},
      {"<<x >>>> y>>", "x >> y"},
  };
  for (const auto& C : Cases) {
    TRixScanner& Sc = Scan(C.Source);
    ASSERT_TRUE(Sc.Token->Is<TOrvTokenStringMultiLine>()) << C.Source;
    EXPECT_EQ(Sc.Token->GetText(), C.Text) << C.Source;
  }
}

TEST_F(RixScannerTest, TerminalsOfTheLanguage) {
  TRixScanner& Sc = Scan("; def END = @ ( ) and or not in [ ] , : - / < <= > >= min a.b 12 Define");
  const ClassInfo* Expected[] = {
      &TRixTokenInstrSep::StaticClass(),    &TRixTokenDefStart::StaticClass(),
      &TRixTokenDefEnd::StaticClass(),      &TRixTokenDefSimple::StaticClass(),
      &TRixTokenIDPartSep::StaticClass(),   &TRixTokenExprLPar::StaticClass(),
      &TRixTokenExprRPar::StaticClass(),    &TRixTokenConjunction::StaticClass(),
      &TRixTokenDisjunction::StaticClass(), &TRixTokenNegation::StaticClass(),
      &TRixTokenInList::StaticClass(),      &TRixTokenListLPar::StaticClass(),
      &TRixTokenListRPar::StaticClass(),    &TRixTokenListSep::StaticClass(),
      &TRixTokenRangeSep::StaticClass(),    &TRixTokenMinus::StaticClass(),
      &TRixTokenDateSep::StaticClass(),     &TRixTokenOpLT::StaticClass(),
      &TRixTokenOpLE::StaticClass(),        &TRixTokenOpGT::StaticClass(),
      &TRixTokenOpGE::StaticClass(),        &TOrvTokenIdentifier::StaticClass(),
      &TOrvTokenIdentifier::StaticClass(),  &TOrvTokenInteger::StaticClass(),
      &TOrvTokenIdentifier::StaticClass(),
  };
  for (const ClassInfo* C : Expected) {
    EXPECT_TRUE(Sc.Token->IsExactly(*C)) << C->Name << " at " << Sc.Token->ClassName();
    EXPECT_EQ(Sc.Token->Is<TRixTokenOpCmp>(), C->InheritsFrom(TRixTokenOpCmp::StaticClass()));
    Sc.NextToken();
  }
  EXPECT_TRUE(Sc.Token->Is<TOrvTokenEOF>());
  EXPECT_EQ(Msgs_(), "");
}

TEST_F(RixScannerTest, SkipStatementStopsAtSemicolonDefOrEnd) {
  TRixScanner& Sc = Scan("x y z; w");
  Sc.SkipStatement(true);
  EXPECT_EQ(Current(), "w");
  Sc.SkipStatement(true);
  EXPECT_TRUE(Sc.Token->Is<TOrvTokenEOF>());
  EXPECT_EQ(Msgs_(), "1:9 \";\" expected.");
  Msgs.Clear();
  TRixScanner& Sc2 = Scan("x y\r\ndef b");
  Sc2.SkipStatement(false);
  EXPECT_TRUE(Sc2.Token->Is<TRixTokenDefStart>());
  Sc2.SkipStatement(true);
  EXPECT_EQ(Msgs_(), "2:4 \";\" expected.");
}

TEST_F(RixScannerTest, SkipDefCountsNestedBlocks) {
  TRixScanner& Sc = Scan("def a\r\n  x = 1;\r\n  def b def c end; end;\r\nend;\r\nnext");
  ASSERT_TRUE(Sc.ReadDefComplexStart("a"));
  Sc.SkipDef(MakeTextPos(1, 1, 1));
  EXPECT_EQ(Current(), "next");
  EXPECT_EQ(Msgs_(), "");

  TRixScanner& Sc2 = Scan("def a def b end; end x");
  ASSERT_TRUE(Sc2.ReadDefComplexStart("a"));
  Sc2.SkipDef(MakeTextPos(1, 1, 1));
  EXPECT_EQ(Current(), "x");
  EXPECT_EQ(Msgs_(), "1:21 \";\" expected.");

  Msgs.Clear();
  TRixScanner& Sc3 = Scan("\r\ndef a x = 1; def b end;");
  ASSERT_TRUE(Sc3.ReadDefComplexStart("a"));
  Sc3.SkipDef(Sc3.PrevToken->StartPos);
  EXPECT_TRUE(Sc3.Token->Is<TOrvTokenEOF>());
  EXPECT_EQ(Msgs_(), "2:5 \"end\" expected.");
}

TEST_F(RixScannerTest, SkipDefHandlesDeepNestingWithoutRecursion) {
  constexpr int Depth = 200000;
  std::string Text = "def top ";
  Text.reserve(Depth * 12);
  for (int I = 0; I < Depth; ++I) Text += "def a ";
  for (int I = 0; I < Depth; ++I) Text += "end; ";
  Text += "end; after";
  TRixScanner& Sc = Scan(Text);
  ASSERT_TRUE(Sc.ReadDefComplexStart("top"));
  Sc.SkipDef(MakeTextPos(1, 1, 1));
  EXPECT_EQ(Current(), "after");
  EXPECT_EQ(Msgs_(), "");
}

TEST_F(RixScannerTest, EndOfTextInsideADaySetIsFatal) {
  EXPECT_THROW(Scan("a = mon,").ReadDaySet("a", *std::make_unique<TOrvDaySet>()),
               EMsgList_FatalError);
  EXPECT_EQ(Msgs_(), "1:9 Unexpected end of file.");
  // Without a message list the reading still ends.
  auto Quiet = TRixScanner::CreateFromText("a = mon, tue:", nullptr);
  Quiet->NextToken();
  TOrvDaySet D;
  EXPECT_TRUE(Quiet->ReadDaySet("a", D));
  EXPECT_TRUE(Quiet->Token->Is<TOrvTokenEOF>());
}

TEST_F(RixScannerTest, ExpectTextAddsAPlainMessage) {
  TRixScanner& Sc = Scan("x ; y");
  EXPECT_FALSE(Sc.ExpectText(TRixTokenDefSimple::StaticClass(), TOrvMsgKind_Warning(), true,
                             Cp1250("<PLK>Zła wartość<ENU>Bad value")));
  EXPECT_EQ(Current(), "y");
  EXPECT_EQ(Msgs_(), "1:1 Bad value");
  EXPECT_EQ(Msgs.ErrorCount(), 0);
  EXPECT_FALSE(Sc.ReadDefSimpleStart("y"));
  EXPECT_EQ(Sc.LastReadResult(), TRixReadResult::Failed);
}

}  // namespace
}  // namespace quin
