#include "base/orvscanner.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/langmanager.h"
#include "base/orvbinary.h"
#include "base/text.h"

namespace quin {
namespace {

// ---- A small language: a few terminals, keywords, optional texts.

class TTestSemicolon : public TOrvTerminal {
  QUIN_CLASS(TTestSemicolon, TOrvTerminal)
};
class TTestLT : public TOrvTerminal {
  QUIN_CLASS(TTestLT, TOrvTerminal)
};
class TTestLE : public TOrvTerminal {
  QUIN_CLASS(TTestLE, TOrvTerminal)
};
class TTestShl : public TOrvTerminal {
  QUIN_CLASS(TTestShl, TOrvTerminal)
};
class TTestDef : public TOrvTerminal {
  QUIN_CLASS(TTestDef, TOrvTerminal)
};
class TTestEnd : public TOrvTerminal {
  QUIN_CLASS(TTestEnd, TOrvTerminal)
};
class TTestMinus : public TOrvTerminal {
  QUIN_CLASS(TTestMinus, TOrvTerminal)
};
QUIN_IMPLEMENT_CLASS(TTestSemicolon, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TTestLT, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TTestLE, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TTestShl, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TTestDef, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TTestEnd, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TTestMinus, TOrvTerminal)

class TTestTerminals : public TOrvTerminalList {
 public:
  using TOrvTerminalList::TOrvTerminalList;
  void RegisterTerminals() override {
    AddTerminal(";", TTestSemicolon::StaticClass());
    AddTerminal("<", TTestLT::StaticClass());  // registered before the longer ones
    AddTerminal("<=", TTestLE::StaticClass());
    AddTerminal("<<", TTestShl::StaticClass());
    AddTerminal("def", TTestDef::StaticClass());
    AddTerminal("End", TTestEnd::StaticClass());
    AddTerminal("-", TTestMinus::StaticClass());
    AddKeyword("in");
  }
};

class TTestScanner : public TOrvScanner {
 public:
  TTestScanner(std::string AText, TOrvMsgList* AMsgList, bool AMultiLine = false,
               bool ACaseSensitive = false)
      : TOrvScanner(std::move(AText), AMsgList),
        FMultiLine(AMultiLine),
        FCaseSensitive(ACaseSensitive) {}
  std::unique_ptr<TOrvTerminalList> CreateTerminalList() override {
    return New<TTestTerminals>(CaseSensitive);
  }
  void SetDefaults() override {
    TOrvScanner::SetDefaults();
    MultiLineStrings = FMultiLine;
    if (FCaseSensitive) {
      CaseSensitive = true;
      TerminalList = CreateTerminalList();
    }
  }

 private:
  bool FMultiLine;
  bool FCaseSensitive;
};

struct TTok {
  const ClassInfo* Class;
  std::string Text;
  TOrvTextPos Start;
  int32_t EndOffset;
};

bool operator==(const TTok& A, const TTok& B) {
  return A.Class == B.Class && A.Text == B.Text && A.Start == B.Start && A.EndOffset == B.EndOffset;
}
std::ostream& operator<<(std::ostream& S, const TTok& T) {
  return S << T.Class->Name << " '" << T.Text << "' @" << T.Start.Offset << "/" << T.Start.Line
           << ":" << T.Start.Column << "-" << T.EndOffset;
}

template <class T>
TTok Tok(std::string Text, int32_t Off, int32_t Line, int32_t Col, int32_t End) {
  return {&T::StaticClass(), std::move(Text), MakeTextPos(Off, Line, Col), End};
}

// Every token up to and including the end token.
std::vector<TTok> ScanAll(TOrvScanner& S) {
  std::vector<TTok> R;
  for (int Guard = 0; Guard < 100000; ++Guard) {
    S.NextToken();
    R.push_back(
        {&S.Token->ClassType(), S.Token->GetText(), S.Token->StartPos, S.Token->EndPos.Offset});
    if (S.Token->Is<TOrvTokenEOF>()) break;
  }
  return R;
}

struct TMsgSeen {
  std::string Text;
  int32_t Offset, Line, Column;
  bool operator==(const TMsgSeen&) const = default;
};
std::ostream& operator<<(std::ostream& S, const TMsgSeen& M) {
  return S << "'" << M.Text << "' @" << M.Offset << "/" << M.Line << ":" << M.Column;
}

std::vector<TMsgSeen> Seen(const TOrvMsgList& L) {
  std::vector<TMsgSeen> R;
  for (int I = 0; I < L.Count(); ++I) {
    const TOrvMsg* M = L.GetItem(I);
    R.push_back({M->MessageText(), M->Pos.Offset, M->Pos.Line, M->Pos.Column});
  }
  return R;
}

class ScannerTest : public testing::Test {
 protected:
  std::unique_ptr<TOrvLangManager> En = New<TOrvLangManager>("enu");
  TLangManagerBinding Bind{En.get()};
  TOrvMsgList Msgs{0, 0};
};

// ---- Token sequences

TEST_F(ScannerTest, TextsGiveTokenSequences) {
  using Id = TOrvTokenIdentifier;
  struct Case {
    std::string Text;
    std::vector<TTok> Want;
  };
  const Case Cases[] = {
      {"", {Tok<TOrvTokenEOF>("", 1, 1, 1, 1)}},
      {"a // note\r\nb",
       {Tok<Id>("a", 1, 1, 1, 2), Tok<Id>("b", 12, 2, 1, 13), Tok<TOrvTokenEOF>("", 13, 2, 2, 13)}},
      // the end token sits right after the last real token, before blanks and comments
      {"  ab  /* c */\r\n  // d\r\n",
       {Tok<Id>("ab", 3, 1, 3, 5), Tok<TOrvTokenEOF>("", 5, 1, 5, 5)}},
      {"x \"ab\"\"c\" y",
       {Tok<Id>("x", 1, 1, 1, 2), Tok<TOrvTokenString>("ab\"c", 3, 1, 3, 10),
        Tok<Id>("y", 11, 1, 11, 12), Tok<TOrvTokenEOF>("", 12, 1, 12, 12)}},
      {"\"\" a.b_9 _x",
       {Tok<TOrvTokenString>("", 1, 1, 1, 3), Tok<Id>("a.b_9", 4, 1, 4, 9),
        Tok<Id>("_x", 10, 1, 10, 12), Tok<TOrvTokenEOF>("", 12, 1, 12, 12)}},
      {"12 1.5E+3 2147483648 1e-5 -7",
       {Tok<TOrvTokenInteger>("12", 1, 1, 1, 3), Tok<TOrvTokenFloat>("1.5E+3", 4, 1, 4, 10),
        Tok<TOrvTokenFloat>("2147483648", 11, 1, 11, 21),
        Tok<TOrvTokenFloat>("1e-5", 22, 1, 22, 26), Tok<TTestMinus>("-", 27, 1, 27, 28),
        Tok<TOrvTokenInteger>("7", 28, 1, 28, 29), Tok<TOrvTokenEOF>("", 29, 1, 29, 29)}},
      {"$0A1f;",
       {Tok<TOrvTokenBinData>("0A1f", 1, 1, 1, 6), Tok<TTestSemicolon>(";", 6, 1, 6, 7),
        Tok<TOrvTokenEOF>("", 7, 1, 7, 7)}},
      // longest terminal wins; keywords only as whole words, in any case
      {"a<=b<c DEF end defx in;",
       {Tok<Id>("a", 1, 1, 1, 2), Tok<TTestLE>("<=", 2, 1, 2, 4), Tok<Id>("b", 4, 1, 4, 5),
        Tok<TTestLT>("<", 5, 1, 5, 6), Tok<Id>("c", 6, 1, 6, 7), Tok<TTestDef>("DEF", 8, 1, 8, 11),
        Tok<TTestEnd>("end", 12, 1, 12, 15), Tok<Id>("defx", 16, 1, 16, 20),
        Tok<TOrvTerminal>("in", 21, 1, 21, 23), Tok<TTestSemicolon>(";", 23, 1, 23, 24),
        Tok<TOrvTokenEOF>("", 24, 1, 24, 24)}},
      // lines are counted at CR LF only; a lone LF or CR is a blank on the same line
      {"a\nb\rc\r\n\r\n d",
       {Tok<Id>("a", 1, 1, 1, 2), Tok<Id>("b", 3, 1, 3, 4), Tok<Id>("c", 5, 1, 5, 6),
        Tok<Id>("d", 11, 3, 2, 12), Tok<TOrvTokenEOF>("", 12, 3, 3, 12)}},
      // texts are off in the base: "<<" is a terminal here
      {"<<a>>", {Tok<TTestShl>("<<", 1, 1, 1, 3), Tok<Id>("a", 3, 1, 3, 4)}},
  };
  for (const Case& C : Cases) {
    TTestScanner S(C.Text, &Msgs);
    S.AfterConstruction();
    std::vector<TTok> Got = ScanAll(S);
    if (C.Text == "<<a>>") Got.resize(2);  // ">" starts nothing in this language
    EXPECT_EQ(Got, C.Want) << C.Text;
  }
}

TEST_F(ScannerTest, DiagnosticsWithTheirTextsAndPlaces) {
  struct Case {
    std::string Text;
    std::vector<TMsgSeen> WantMsgs;
    std::vector<TTok> WantToks;
  };
  using Id = TOrvTokenIdentifier;
  const Case Cases[] = {
      {"/* open", {{"End of comment expected.", 8, 1, 8}}, {Tok<TOrvTokenEOF>("", 1, 1, 1, 1)}},
      {"a /* x\r\n*/ b", {}, {Tok<Id>("a", 1, 1, 1, 2), Tok<Id>("b", 12, 2, 4, 13)}},
      {"\"abc\r\nd",
       {{"String exceeds end of line.", 5, 1, 5}},
       {Tok<TOrvTokenString>("abc", 1, 1, 1, 5), Tok<Id>("d", 7, 2, 1, 8)}},
      {"\"ab\"\"",
       {{"String exceeds end of line.", 6, 1, 6}},
       {Tok<TOrvTokenString>("ab\"", 1, 1, 1, 6)}},
      {"# x", {{"Unknown symbol \"#\" (code #035).", 1, 1, 1}}, {Tok<Id>("x", 3, 1, 3, 4)}},
      {"12ab 1e999 1.2.3",
       {{"Invalid numeric format.", 5, 1, 5},
        {"Invalid numeric format.", 11, 1, 11},
        {"Invalid numeric format.", 17, 1, 17}},
       {Tok<TOrvTokenText>("12ab", 1, 1, 1, 5), Tok<TOrvTokenText>("1e999", 6, 1, 6, 11),
        Tok<TOrvTokenText>("1.2.3", 12, 1, 12, 17)}},
      {"$ABC", {{"Invalid binary data.", 5, 1, 5}}, {Tok<TOrvTokenEOF>("", 5, 1, 5, 5)}},
      // after failed binary data reading starts afresh: the blank is no unknown symbol
      {"$0G ;", {{"Invalid binary data.", 4, 1, 4}}, {Tok<TTestSemicolon>(";", 5, 1, 5, 6)}},
      {"$ x", {{"Invalid binary data.", 2, 1, 2}}, {Tok<Id>("x", 3, 1, 3, 4)}},
      {std::string("a\0b", 3),
       {{std::string("Unknown symbol \"\0\" (code #000).", 31), 2, 1, 2}},
       {Tok<Id>("a", 1, 1, 1, 2), Tok<Id>("b", 3, 1, 3, 4)}},
      {"\xB9z", {{"Unknown symbol \"\xB9\" (code #185).", 1, 1, 1}}, {Tok<Id>("z", 2, 1, 2, 3)}},
  };
  for (const Case& C : Cases) {
    Msgs.Clear();
    TTestScanner S(C.Text, &Msgs);
    S.AfterConstruction();
    std::vector<TTok> Got = ScanAll(S);
    if (Got.size() > C.WantToks.size() && Got.back().Class == &TOrvTokenEOF::StaticClass() &&
        C.WantToks.back().Class != &TOrvTokenEOF::StaticClass())
      Got.pop_back();
    EXPECT_EQ(Got, C.WantToks) << C.Text;
    EXPECT_EQ(Seen(Msgs), C.WantMsgs) << C.Text;
  }
  // the Polish texts of the same messages
  auto Pl = New<TOrvLangManager>("plk");
  TLangManagerBinding B(Pl.get());
  Msgs.Clear();
  TTestScanner S("# \"x", &Msgs);
  S.AfterConstruction();
  ScanAll(S);
  ASSERT_EQ(Msgs.Count(), 2);
  EXPECT_EQ(Msgs[0]->MessageText(), Cp1250("Nieznany symbol \"#\" (kod #035)."));
  EXPECT_EQ(Msgs[1]->MessageText(), Cp1250("Tekst nie zakończony pomimo końca linii."));
}

TEST_F(ScannerTest, NumberValuesAndTheirTexts) {
  TTestScanner S("7 2147483647 99999999999999999999 1.5E+3 1e20 0.1 0x1F", &Msgs);
  S.AfterConstruction();
  S.NextToken();
  EXPECT_EQ(As<TOrvTokenInteger>(S.Token.get())->Value, 7);
  S.NextToken();
  EXPECT_EQ(As<TOrvTokenInteger>(S.Token.get())->Value, 2147483647);
  EXPECT_EQ(As<TOrvTokenNumber>(S.Token.get())->AsString(), "2147483647");
  const std::vector<std::string> Floats = {"1E20", "1500", "1E20", "0.1"};
  for (const std::string& Want : Floats) {
    S.NextToken();
    const auto* F = As<TOrvTokenFloat>(S.Token.get());
    ASSERT_NE(F, nullptr) << Want;
    EXPECT_EQ(F->AsString(), Want);
  }
  S.NextToken();  // the platform's integer conversion takes hexadecimal after "0x"
  EXPECT_EQ(As<TOrvTokenInteger>(S.Token.get())->Value, 31);
  EXPECT_EQ(Msgs.Count(), 0);
}

TEST_F(ScannerTest, MultiLineTexts) {
  struct Case {
    std::string Source, Want;
  };
  const Case Cases[] = {
      {"<<a>>>>b>>", "a>>b"},
      {"<<a>>>", "a>"},
      {"<<>>", ""},
      {"<<line1\r\n\"q\" // not a comment\r\n>>", "line1\r\n\"q\" // not a comment\r\n"},
  };
  for (const Case& C : Cases) {
    TTestScanner S(C.Source, &Msgs, true);
    S.AfterConstruction();
    S.NextToken();
    ASSERT_TRUE(S.Token->IsExactly<TOrvTokenStringMultiLine>()) << C.Source;
    EXPECT_EQ(S.Token->GetText(), C.Want) << C.Source;
    EXPECT_EQ(S.Token->EndPos.Offset, static_cast<int32_t>(C.Source.size()) + 1) << C.Source;
  }
  // Runs of ">" written the way the chart texts are (every ">>" doubled, left to right, without
  // overlap) come back unchanged, in the middle and at the end of a text.
  for (int N = 1; N <= 5; ++N) {
    for (const std::string& Orig : {"x" + std::string(N, '>') + "y", "x" + std::string(N, '>')}) {
      std::string Written;
      for (size_t I = 0; I < Orig.size();) {
        if (Orig.compare(I, 2, ">>") == 0) {
          Written += ">>>>";
          I += 2;
        } else {
          Written += Orig[I++];
        }
      }
      TTestScanner S("<<" + Written + ">> z", &Msgs, true);
      S.AfterConstruction();
      S.NextToken();
      EXPECT_EQ(S.Token->GetText(), Orig) << Written;
      S.NextToken();
      EXPECT_EQ(S.Token->GetText(), "z") << Written;
    }
  }
  // line ends inside a text count as lines for what follows
  TTestScanner S("<<a\r\nb>> c", &Msgs, true);
  S.AfterConstruction();
  S.NextToken();
  S.NextToken();
  EXPECT_EQ(S.Token->StartPos, MakeTextPos(10, 2, 5));
  EXPECT_EQ(Msgs.Count(), 0);
}

TEST_F(ScannerTest, UnclosedTextIsFatalAndLeavesAToken) {
  TTestScanner S("a <<never closed >", &Msgs, true);
  S.AfterConstruction();
  S.NextToken();
  try {
    S.NextToken();
    FAIL() << "no fatal error";
  } catch (const EMsgList_FatalError& E) {
    EXPECT_EQ(E.Message, "Unexpected end of file.");
  }
  ASSERT_NE(S.Token, nullptr);
  EXPECT_TRUE(S.Token->Is<TOrvTokenEOF>());
  EXPECT_EQ(Seen(Msgs), (std::vector<TMsgSeen>{{"Unexpected end of file.", 19, 1, 19}}));
  // without a message list the text holds everything up to the end
  TTestScanner Quiet("<<ab>", nullptr, true);
  Quiet.AfterConstruction();
  Quiet.NextToken();
  EXPECT_EQ(Quiet.Token->GetText(), "ab>");
  Quiet.NextToken();
  EXPECT_TRUE(Quiet.Token->Is<TOrvTokenEOF>());
}

TEST_F(ScannerTest, ErrorLimitStopsWithAValidToken) {
  TOrvMsgList One(0, 1);
  TTestScanner S("a # b", &One);
  S.AfterConstruction();
  S.NextToken();
  EXPECT_THROW(S.NextToken(), EMsgList_FatalError);
  ASSERT_NE(S.Token, nullptr);
  EXPECT_TRUE(S.Token->Is<TOrvTokenEOF>());
  EXPECT_EQ(S.PrevToken->GetText(), "a");
}

// ---- Terminal table

TEST_F(ScannerTest, TerminalTableLongestFirstStableAndWholeWords) {
  auto T = New<TTestTerminals>(false);
  const TOrvTerminalMapArr& Lt = T->Map['<'];
  ASSERT_EQ(Lt.size(), 3u);
  EXPECT_EQ(Lt[0].Text, "<=");  // equal lengths keep their order of registration
  EXPECT_EQ(Lt[1].Text, "<<");
  EXPECT_EQ(Lt[2].Text, "<");
  EXPECT_EQ(T->Map['E'].at(0).Text, "END");  // upper-cased bucket and text
  int32_t Len = 0;
  EXPECT_EQ(T->MatchAt("x<=1", 2, Len), &TTestLE::StaticClass());
  EXPECT_EQ(Len, 2);
  EXPECT_EQ(T->MatchAt("x<", 2, Len), &TTestLT::StaticClass());  // "<=" would run past the end
  EXPECT_EQ(Len, 1);
  EXPECT_EQ(T->MatchAt("Defx", 1, Len), &TTestDef::StaticClass());
  EXPECT_EQ(T->MatchAt("x", 1, Len), nullptr);
  EXPECT_EQ(T->MatchAt("x", 2, Len), nullptr);  // beyond the text
  EXPECT_EQ(T->MatchAt("x", 0, Len), nullptr);
  EXPECT_EQ(T->FindWord("eNd"), &TTestEnd::StaticClass());
  EXPECT_EQ(T->FindWord("ends"), nullptr);
  EXPECT_EQ(T->FindWord(""), nullptr);

  auto Cs = New<TTestTerminals>(true);
  EXPECT_EQ(Cs->FindWord("End"), &TTestEnd::StaticClass());
  EXPECT_EQ(Cs->FindWord("end"), nullptr);
  EXPECT_EQ(Cs->MatchAt("DEF", 1, Len), nullptr);

  EXPECT_THROW(T->AddTerminal("", TTestEnd::StaticClass()), EListError);
  EXPECT_THROW(T->AddTerminal("x", TOrvTokenIdentifier::StaticClass()), EListError);
}

TEST_F(ScannerTest, CaseSensitiveScanner) {
  TTestScanner S("end End x", &Msgs, /*AMultiLine=*/false, /*ACaseSensitive=*/true);
  S.AfterConstruction();
  S.NextToken();
  EXPECT_TRUE(S.Token->IsExactly<TOrvTokenIdentifier>());
  EXPECT_FALSE(S.AcceptIdentifier("END"));
  EXPECT_TRUE(S.AcceptIdentifier("end"));
  EXPECT_TRUE(S.Accept(TOrvTerminal::StaticClass()));  // "End" derives from it
  EXPECT_FALSE(S.Accept(TOrvTokenString::StaticClass()));
  EXPECT_EQ(S.Token->GetText(), "x");

  TTestScanner I("X", &Msgs);
  I.AfterConstruction();
  I.NextToken();
  EXPECT_TRUE(I.AcceptIdentifier("x"));
  EXPECT_TRUE(I.Token->Is<TOrvTokenEOF>());
}

// ---- Look-back, skipping, progress

TEST_F(ScannerTest, StepBackReturnsOneToken) {
  TTestScanner S("aa  bb\r\n cc", &Msgs);
  S.AfterConstruction();
  S.NextToken();
  S.NextToken();
  S.NextToken();
  EXPECT_EQ(S.Token->GetText(), "cc");
  EXPECT_EQ(S.PrevToken->GetText(), "bb");
  EXPECT_EQ(S.OlderToken->GetText(), "aa");
  S.StepBack();
  EXPECT_EQ(S.Token->GetText(), "bb");
  EXPECT_EQ(S.PrevToken->GetText(), "aa");
  EXPECT_EQ(S.OlderToken, nullptr);
  EXPECT_EQ(S.Pos, MakeTextPos(7, 1, 7));
  S.NextToken();
  EXPECT_EQ(S.Token->GetText(), "cc");
  EXPECT_EQ(S.Token->StartPos, MakeTextPos(10, 2, 2));
  EXPECT_EQ(S.PrevToken->GetText(), "bb");

  TTestScanner Fresh("a", &Msgs);  // nothing to go back to: the start token stays
  Fresh.AfterConstruction();
  Fresh.StepBack();
  EXPECT_TRUE(Fresh.Token->Is<TOrvTokenBOF>());
}

TEST_F(ScannerTest, SkipToStopsAtTheClassOrTheEnd) {
  TTestScanner S("a # b ; c", &Msgs);
  S.AfterConstruction();
  S.NextToken();
  S.SkipTo(TTestSemicolon::StaticClass(), false);
  EXPECT_TRUE(S.Token->Is<TTestSemicolon>());
  EXPECT_EQ(Msgs.Count(), 0);  // the unknown symbol went unreported
  EXPECT_TRUE(S.MsgsOn);
  S.SkipTo(TTestSemicolon::StaticClass(), true);  // already there: nothing moves
  EXPECT_TRUE(S.Token->Is<TTestSemicolon>());

  S.SkipTo(TTestDef::StaticClass(), false);
  EXPECT_TRUE(S.Token->Is<TOrvTokenEOF>());
  EXPECT_EQ(Msgs.Count(), 0);

  TTestScanner R("a b", &Msgs);
  R.AfterConstruction();
  R.MsgsOn = false;
  EXPECT_THROW(R.SkipTo(TTestDef::StaticClass(), true), EMsgList_FatalError);
  EXPECT_FALSE(R.MsgsOn);  // restored after the failure
  EXPECT_EQ(Seen(Msgs), (std::vector<TMsgSeen>{{"Unexpected end of file.", 4, 1, 4}}));
}

TEST_F(ScannerTest, ProgressRisesToOne) {
  TTestScanner S("aaa bbb ccc   ", &Msgs);
  S.AfterConstruction();
  std::vector<double> Seen;
  S.OnProgress = [&Seen](double V) { Seen.push_back(V); };
  ScanAll(S);
  ASSERT_EQ(Seen.size(), 4u);
  EXPECT_DOUBLE_EQ(Seen[0], 4.0 / 14);
  EXPECT_DOUBLE_EQ(Seen[2], 12.0 / 14);
  for (size_t I = 1; I < Seen.size(); ++I) EXPECT_GE(Seen[I], Seen[I - 1]);
  EXPECT_LE(Seen.back(), 1.0);
}

// ---- Reporting

TEST_F(ScannerTest, ReportingHonoursMsgsOnAndTheTextBypassesLimits) {
  TOrvMsgList One(0, 1);
  TTestScanner S("", &One);
  S.AfterConstruction();
  S.AddMsgText(MakeTextPos(3, 1, 3), TOrvMsgKind_Error(), "<PLK>Zle.<ENU>Wrong.");
  S.AddMsgText(MakeTextPos(4, 1, 4), TOrvMsgKind_FatalError(), "<ENU>Still no stop.");
  ASSERT_EQ(One.Count(), 2);
  EXPECT_EQ(One[0]->MessageText(), "Wrong.");
  EXPECT_TRUE(One[1]->IsFatal());
  S.MsgsOn = false;
  S.AddMsg(TOrvMsg_Error_InvalidBinData);
  S.AddMsgText({}, TOrvMsgKind_Error(), "x");
  EXPECT_EQ(One.Count(), 2);
  TTestScanner P("", &Msgs);
  P.AfterConstruction();
  P.Pos = MakeTextPos(9, 2, 3);
  P.AddMsg(TOrvMsg_Error_InvalidBinData);
  P.AddMsgArgsAt(TOrvMsg_Error_UnknownSymbol, MakeTextPos(2, 1, 2), {"%", "037"});
  EXPECT_EQ(Seen(Msgs), (std::vector<TMsgSeen>{{"Invalid binary data.", 9, 2, 3},
                                               {"Unknown symbol \"%\" (code #037).", 2, 1, 2}}));
  TTestScanner NoList("", nullptr);
  NoList.AfterConstruction();
  NoList.AddMsg(TOrvMsg_FatalError_UnexpectedEOF);  // nothing to report to
}

// ---- Tokens and their copies

TEST_F(ScannerTest, TokenCopiesKeepClassAndFields) {
  TTestScanner S("$00FF 42 2.5 \"s\" End id", &Msgs);
  S.AfterConstruction();
  TOrvTokenList L;
  for (int I = 0; I < 6; ++I) {
    S.NextToken();
    EXPECT_EQ(L.AddCopy(*S.Token), I);
  }
  EXPECT_EQ(As<TOrvTokenBinData>(L[0])->Bytes, (TDynByteArr{0x00, 0xFF}));
  EXPECT_EQ(As<TOrvTokenInteger>(L[1])->Value, 42);
  EXPECT_EQ(As<TOrvTokenFloat>(L[2])->Value, 2.5);
  EXPECT_TRUE(L[3]->IsExactly<TOrvTokenString>());
  EXPECT_TRUE(L[4]->IsExactly<TTestEnd>());
  EXPECT_EQ(L[4]->GetText(), "End");
  EXPECT_EQ(L[4]->StartPos, MakeTextPos(18, 1, 18));
  EXPECT_EQ(L[5]->EndPos, MakeTextPos(24, 1, 24));
  auto Copy = CopyOf(L);
  EXPECT_TRUE(Copy->GetItem(4)->IsExactly<TTestEnd>());
  // the kept copies are independent of the scanner's reused tokens
  ScanAll(S);
  EXPECT_EQ(L[5]->GetText(), "id");
}

TEST_F(ScannerTest, BinaryDataDecoding) {
  TOrvTokenBinData T({}, {}, "0a1F");
  EXPECT_EQ(T.Bytes, (TDynByteArr{0x0A, 0x1F}));
  struct Case {
    const char* Hex;
    const char* Want;
  };
  const Case Bad[] = {{"", "Invalid binary data size."},
                      {"ABC", "Invalid binary data size."},
                      {"0G", "Invalid characters in binary data."},
                      {"0_", "Invalid characters in binary data."}};
  for (const Case& C : Bad) {
    try {
      T.SetText(C.Hex);
      ADD_FAILURE() << C.Hex;
    } catch (const EOrvInvalidBinData& E) {
      EXPECT_EQ(E.Message, C.Want) << C.Hex;
    }
  }
}

// ---- Hostile input

TEST_F(ScannerTest, ArbitraryBytesScanToTheEnd) {
  // Pseudo-random bytes, biased towards the characters that start something.
  static const char kStarters[] = "\"<>$/*0123456789eE+-.\r\n \0#;aZ_\xB9\xFF";
  const std::string Starters(kStarters, sizeof(kStarters) - 1);
  uint32_t X = 12345;
  for (int Round = 0; Round < 20; ++Round) {
    std::string Text;
    for (int I = 0; I < 4000; ++I) {
      X = X * 1664525u + 1013904223u;
      Text += (X >> 28) < 12 ? Starters[(X >> 8) % Starters.size()] : static_cast<char>(X >> 16);
    }
    Msgs.Clear();
    TTestScanner S(Text, &Msgs, Round % 2 == 1);
    S.AfterConstruction();
    int32_t Last = 0;
    int N = 0;
    try {
      for (; N < 10000; ++N) {
        S.NextToken();
        ASSERT_GE(S.Token->StartPos.Offset, Last);
        ASSERT_LE(S.Token->EndPos.Offset, static_cast<int32_t>(Text.size()) + 1);
        Last = S.Token->EndPos.Offset;
        if (S.Token->Is<TOrvTokenEOF>()) break;
      }
    } catch (const EMsgList_FatalError&) {  // an unclosed text
      EXPECT_TRUE(S.Token->Is<TOrvTokenEOF>());
      continue;
    }
    EXPECT_LT(N, 10000) << "no end token";
  }
}

TEST_F(ScannerTest, LongUnclosedConstructsEndOnce) {
  const std::string Body(200000, 'x');
  for (const std::string& Text : {"/*" + Body, "\"" + Body, "//" + Body}) {
    Msgs.Clear();
    TTestScanner S(Text, &Msgs);
    S.AfterConstruction();
    const std::vector<TTok> Got = ScanAll(S);
    ASSERT_LE(Got.size(), 2u);
    EXPECT_LE(Msgs.Count(), 1);
    EXPECT_TRUE(Got.back().Class == &TOrvTokenEOF::StaticClass());
  }
}

}  // namespace
}  // namespace quin

namespace quin {
namespace {

TEST_F(ScannerTest, CreateFromStreamTakesTheRestOfTheStream) {
  TMemoryStream Stream;
  WriteStreamText(Stream, "header\r\nalpha beta");
  Stream.SetPosition(8);
  auto S = TOrvScanner::CreateFromStream(Stream, &Msgs);
  const auto Tokens = ScanAll(*S);
  ASSERT_EQ(Tokens.size(), 3u);
  EXPECT_EQ(Tokens[0].Text, "alpha");
  EXPECT_EQ(Tokens[0].Start, MakeTextPos(1, 1, 1));
  EXPECT_EQ(Tokens[1].Text, "beta");
  EXPECT_EQ(Stream.Remaining(), 0);
}

}  // namespace
}  // namespace quin
