#include "deflang/rixparser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/orvdates.h"
#include "base/orvexceptions.h"
#include "base/properties.h"
#include "base/text.h"

namespace quin {
namespace {

// ---- Toy targets: every property kind the schema parser stores into.

enum TToyKind { tkPlain, tkFancy, tkOther };

struct TRixToyHead : TOrvPersistent {
  QUIN_CLASS(TRixToyHead, TOrvPersistent)
  QUIN_COPY(TRixToyHead)
 public:
  TRixToyHead() = default;
  TRixToyHead(const TRixToyHead&) = default;
  std::string Caption;
};

struct TRixToySection : TOrvPersistent {
  QUIN_CLASS(TRixToySection, TOrvPersistent)
 public:
  std::string Label;
  TToyKind Kind = tkPlain;
  int32_t Size = 0;
  std::unique_ptr<TRixToyHead> Head;
  TOrvObjectList Sections{true};
};

struct TRixToyDoc : TOrvPersistent {
  QUIN_CLASS(TRixToyDoc, TOrvPersistent)
 public:
  std::string Name;
  std::string Title;
  int32_t Count = 0;
  bool Active = false;
  double When = 0;
  TToyKind Kind = tkPlain;
  int32_t Level = 0;
  uint8_t Opts = 0;
  int32_t Size = 0;
  std::vector<std::string> Languages;
  std::vector<std::string> Tags;
  std::unique_ptr<TRixToyHead> Head;
  TOrvObjectList Sections{true};
  std::string Trap;
};

// Not registered: blocks of this class are read and checked, nothing is created.
struct TRixToyGhost : TOrvPersistent {
  QUIN_CLASS(TRixToyGhost, TOrvPersistent)
};

void DescribeHead(TPropTableBuilder<TRixToyHead>& P) { P.Text("caption", &TRixToyHead::Caption); }
void DescribeSection(TPropTableBuilder<TRixToySection>& P) {
  P.Text("label", &TRixToySection::Label);
  P.Enum("kind", &TRixToySection::Kind, {"tkPlain", "tkFancy", "tkOther"});
  P.Int("size", &TRixToySection::Size);
  P.Object("head", &TRixToySection::Head);
  P.ObjectList("sectionList", &TRixToySection::Sections);
}
void DescribeDoc(TPropTableBuilder<TRixToyDoc>& P) {
  P.Text("name", &TRixToyDoc::Name);
  P.Text("title", &TRixToyDoc::Title);
  P.Int("count", &TRixToyDoc::Count);
  P.Bool("active", &TRixToyDoc::Active);
  P.Date("when", &TRixToyDoc::When);
  P.Enum("kind", &TRixToyDoc::Kind, {"tkPlain", "tkFancy", "tkOther"});
  P.Int("level", &TRixToyDoc::Level);
  P.Set("optsSet", &TRixToyDoc::Opts, {"ofA", "ofB", "ofC"});
  P.Int("size", &TRixToyDoc::Size);
  P.StringList("languagesList", &TRixToyDoc::Languages);
  P.StringList("tagsList", &TRixToyDoc::Tags);
  P.Object("head", &TRixToyDoc::Head);
  P.ObjectList("sectionList", &TRixToyDoc::Sections);
  P.ObjectList("ghostList", &TRixToyDoc::Sections);
  // A setter that fails the way a model object may: by throwing.
  TPropInfo Trap;
  Trap.Name = "trap";
  Trap.Kind = TPropKind::Text;
  Trap.GetText = [](const TObject& O) { return static_cast<const TRixToyDoc&>(O).Trap; };
  Trap.SetText = [](TObject& O, std::string_view V) -> bool {
    if (V == "fatal") throw EMsgList_FatalError("stop");
    if (V == "boom") throw std::runtime_error("Boom happened");
    static_cast<TRixToyDoc&>(O).Trap = std::string(V);
    return true;
  };
  P.Custom(std::move(Trap));
}

QUIN_IMPLEMENT_CLASS_WITH_PROPS(TRixToyHead, TOrvPersistent, DescribeHead)
QUIN_IMPLEMENT_CLASS_WITH_PROPS(TRixToySection, TOrvPersistent, DescribeSection)
QUIN_IMPLEMENT_CLASS_WITH_PROPS(TRixToyDoc, TOrvPersistent, DescribeDoc)
QUIN_IMPLEMENT_CLASS(TRixToyGhost, TOrvPersistent)

// ---- Toy schema

constexpr TRixDefFlags kOnce = rdfOnce;

// The section block: label, kind (inherited), size; sections may nest themselves.
TRixDefComplex* AddSection(TRixDefComplex& Owner, TRixDefFlags Flags) {
  auto* S = Owner.AddDef(std::make_unique<TRixDefComplex>("section", Flags, "", "RixToy"));
  S->AddDef(std::make_unique<TRixDefSimpleStringShort>("label", rdfMandatory | kOnce));
  auto* Kind = S->AddDef(std::make_unique<TRixDefSimpleEnum>("type", kOnce | rdfInherit, "tk"));
  for (const char* N : {"plain", "fancy", "other"}) Kind->AddName(N);
  S->AddDef(std::make_unique<TRixDefSimpleInteger>("size", kOnce | rdfInherit));
  auto* Head =
      S->AddDef(std::make_unique<TRixDefComplex>("head", kOnce | rdfInherit, "", "RixToy"));
  Head->AddDef(std::make_unique<TRixDefSimpleStringLong>("caption", kOnce));
  return S;
}

class TToyParser : public TRixParser {
 public:
  explicit TToyParser(bool Ordered = false, TRixDefFlags SectionFlags = rdfSelfNesting)
      : TRixParser(Ordered) {
    TRixDefRoot& R = Root();
    R.AddDef(std::make_unique<TRixDefSimpleStringLong>("name", rdfMandatory | kOnce | rdfNotBlank));
    R.AddDef(std::make_unique<TRixDefSimpleStringLong>("title", kOnce | rdfNotEmpty));
    R.AddDef(std::make_unique<TRixDefSimpleInteger>("count", kOnce));
    R.AddDef(std::make_unique<TRixDefSimpleBoolean>("active", kOnce));
    R.AddDef(std::make_unique<TRixDefSimpleDate>("when", kOnce));
    auto* Kind = R.AddDef(std::make_unique<TRixDefSimpleEnum>("type", kOnce, "tk"));
    for (const char* N : {"plain", "fancy", "other"}) Kind->AddName(N);
    auto* Style = R.AddDef(std::make_unique<TRixDefSimpleEnum>("style", 0, "tk", "kind"));
    Style->AddName("plain");
    Style->AddName("fancy", &TOrvTokenInteger::StaticClass(), "level");
    auto* Opts = R.AddDef(std::make_unique<TRixDefSimpleEnum>("opts", kOnce | rdfList, "of"));
    for (const char* N : {"a", "b", "c"}) Opts->AddName(N);
    R.AddDef(std::make_unique<TRixDefSimpleIdentifier>("languages",
                                                       kOnce | rdfList | rdfEmptyList | rdfUnique));
    R.AddDef(std::make_unique<TRixDefSimpleStringLong>("tags", rdfList));
    R.AddDef(std::make_unique<TRixDefSimpleInteger>("size", kOnce | rdfDeprecated));
    R.AddDef(std::make_unique<TRixDefSimpleStringLong>("trap", kOnce));
    auto* Head = R.AddDef(std::make_unique<TRixDefComplex>("head", kOnce, "", "RixToy"));
    Head->AddDef(std::make_unique<TRixDefSimpleStringLong>("caption", kOnce));
    Head->AddDef(std::make_unique<TRixDefSimpleStringLong>("notes", rdfList));
    AddSection(R, SectionFlags);
    auto* Ghost = R.AddDef(std::make_unique<TRixDefComplex>("ghost", 0, "", "RixToy"));
    Ghost->AddDef(std::make_unique<TRixDefSimpleInteger>("weight", rdfMandatory | kOnce));
  }
};

// ---- Reading helpers

const TOrvLangManager& English() {
  static const auto M = New<TOrvLangManager>("enu");
  return *M;
}

std::string EnglishText(const TOrvMsg& M) { return FormatTemplate(English(), M.Template, M.Args); }

struct TReading {
  TOrvMsgList Msgs;
  std::unique_ptr<TRixScanner> Scanner;
  TOrvLangManager* Lang = nullptr;

  // Each message as "line:column text".
  std::vector<std::string> Messages() const {
    std::vector<std::string> R;
    for (int I = 0; I < Msgs.Count(); ++I)
      R.push_back(std::to_string(Msgs[I]->Pos.Line) + ":" + std::to_string(Msgs[I]->Pos.Column) +
                  " " + EnglishText(*Msgs[I]));
    return R;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> R;
    for (int I = 0; I < Msgs.Count(); ++I) R.push_back(EnglishText(*Msgs[I]));
    return R;
  }
};

std::unique_ptr<TReading> Read(TRixParser& P, const std::string& Text, TObject* Target,
                               int MaxErrors = 0) {
  auto R = std::make_unique<TReading>();
  R->Msgs.MaxErrors = MaxErrors;
  R->Scanner = TRixScanner::CreateFromText(Text, &R->Msgs);
  P.Parse(R->Lang, *R->Scanner, Target);
  return R;
}

using Strings = std::vector<std::string>;

class RixParser : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (const ClassInfo* C :
         {&TRixToyHead::StaticClass(), &TRixToySection::StaticClass(), &TRixToyDoc::StaticClass()})
      ClassRegistry::Register(*C);
  }
};

// ---- Values

TEST_F(RixParser, EveryValueKindReachesItsProperty) {
  TToyParser P;
  TRixToyDoc Doc;
  auto R = Read(P,
                "name = \"Survey\";\r\n"
                "count = 42; active = 1; when = 2005/3/1;\r\n"
                "type = FANCY; opts = a, c;\r\n"
                "languages = [plk, Enu];\r\n"
                "tags = \"x\", <<y\r\nz>>;\r\n"
                "trap = \"set\";\r\n",
                &Doc);
  EXPECT_EQ(R->Messages(), Strings{});
  EXPECT_EQ(Doc.Name, "Survey");
  EXPECT_EQ(Doc.Count, 42);
  EXPECT_TRUE(Doc.Active);
  EXPECT_EQ(Doc.When, 38412);
  EXPECT_EQ(Doc.Kind, tkFancy);
  EXPECT_EQ(Doc.Opts, 0b101);
  EXPECT_EQ(Doc.Languages, (Strings{"plk", "Enu"}));
  EXPECT_EQ(Doc.Tags, (Strings{"x", "y\r\nz"}));
  EXPECT_EQ(Doc.Trap, "set");
}

TEST_F(RixParser, EnumerationWithParameter) {
  struct TCase {
    std::string Text;
    TToyKind Kind;
    int Level;
    Strings Msgs;
  };
  const TCase Cases[] = {
      {"style = fancy 7;", tkFancy, 7, {}},
      {"style = plain;", tkPlain, 0, {}},
      {"style = fancy;", tkFancy, 0, {"1:23 Missing parameter."}},
      {"style = fancy x;", tkFancy, 0, {"1:24 Invalid parameter type."}},
      // An unknown name is dropped together with its parameter; only a strict reading says so.
      {"style = wild 3;", tkOther, 0, {}},
  };
  for (const TCase& C : Cases) {
    TToyParser P;
    TRixToyDoc Doc;
    Doc.Kind = tkOther;
    auto R = Read(P, "name=\"n\";" + C.Text, &Doc);
    SCOPED_TRACE(C.Text);
    EXPECT_EQ(R->Messages(), C.Msgs);
    EXPECT_EQ(Doc.Kind, C.Kind);
    EXPECT_EQ(Doc.Level, C.Level);
  }
  TToyParser Strict;
  Strict.SetStrict(true);
  TRixToyDoc Doc;
  auto R = Read(Strict, "name=\"n\"; style = wild 3;", &Doc);
  EXPECT_EQ(R->Texts(), Strings{"Invalid value."});
}

TEST_F(RixParser, SingleValueProblems) {
  struct TCase {
    std::string Text;
    Strings Msgs;
  };
  const TCase Cases[] = {
      {"count = ;", {"Missing element."}},
      {"count = \"x\";", {"Invalid element type."}},
      {"count 5;", {"\"=\" expected."}},
      {"count = 5", {"\";\" expected."}},
      {"active = 2;", {"\"0\" or \"1\" expected."}},
      {"name = \"  \";", {"Empty or blanks only strings are not allowed here."}},
      {"title = \"\";", {"Empty strings are not allowed here."}},
      {"count = 1; count = 2;", {"Definition repeated."}},
      {"size = 9;", {"Setting ignored; deprecated."}},
      {"trap = \"boom\";", {"Boom happened"}},
  };
  for (const TCase& C : Cases) {
    TToyParser P;
    TRixToyDoc Doc;
    Doc.Name = "old";
    Doc.Count = 3;
    auto R = Read(P, C.Text, &Doc);
    SCOPED_TRACE(C.Text);
    Strings Got = R->Texts();
    // The mandatory "name" is missing from every case but the one that sets it.
    if (!Got.empty() && Got.back() == "Mandatory definition \"name\" omitted.") Got.pop_back();
    EXPECT_EQ(Got, C.Msgs);
  }
  // A missing element or a dropped value keeps the old value; a repeated key still applies.
  TToyParser P;
  TRixToyDoc Doc;
  Doc.Count = 3;
  Read(P, "name=\"n\"; count = ; active = 2; count = 4; count = 5;", &Doc);
  EXPECT_EQ(Doc.Count, 5);
  EXPECT_FALSE(Doc.Active);
}

TEST_F(RixParser, TheMessageListStopStillStopsInsideASetter) {
  TToyParser P;
  TRixToyDoc Doc;
  TOrvMsgList Msgs;
  auto S = TRixScanner::CreateFromText("name=\"n\"; trap = \"fatal\"; count = 5;", &Msgs);
  TOrvLangManager* Lang = nullptr;
  EXPECT_THROW(P.Parse(Lang, *S, &Doc), EMsgList_FatalError);
  EXPECT_EQ(Doc.Count, 0);
}

TEST_F(RixParser, Dates) {
  struct TCase {
    std::string Value;
    double Date;  // 0: not set
    Strings Msgs;
  };
  const TCase Cases[] = {
      {"2004/3/31", 38077, {}},
      {"1900/1/1", 2, {}},
      {"2004/2/29", 38046, {}},
      {"2004/3", 0, {"Invalid date."}},
      {"2004/2/30", 0, {"Invalid date."}},
      {"1900/2/29", 0, {"Invalid date."}},
      {"2004/x/1", 0, {"Integer expected.", "Invalid date."}},
  };
  for (const TCase& C : Cases) {
    TToyParser P;
    TRixToyDoc Doc;
    auto R = Read(P, "name=\"n\"; when = " + C.Value + ";", &Doc);
    SCOPED_TRACE(C.Value);
    EXPECT_EQ(R->Texts(), C.Msgs);
    EXPECT_EQ(Doc.When, C.Date);
  }
}

TEST(OrvDates, SerialNumbersSince18991230) {
  EXPECT_EQ(EncodeDate(2005, 3, 1), 38412);
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
  double D = -1;
  EXPECT_FALSE(TryEncodeDate(2004, 2, 30, D));
  EXPECT_FALSE(TryEncodeDate(0, 1, 1, D));
  EXPECT_FALSE(TryEncodeDate(10000, 1, 1, D));
  EXPECT_FALSE(TryEncodeDate(2004, 13, 1, D));
  EXPECT_EQ(D, -1);
  EXPECT_THROW(EncodeDate(2001, 2, 29), EConvertError);
  int Y = 0, M = 0, Dd = 0;
  ASSERT_TRUE(DecodeDate(38412.75, Y, M, Dd));
  EXPECT_EQ((std::vector<int>{Y, M, Dd}), (std::vector<int>{2005, 3, 1}));
  ASSERT_TRUE(DecodeDate(-1, Y, M, Dd));
  EXPECT_EQ((std::vector<int>{Y, M, Dd}), (std::vector<int>{1899, 12, 29}));
  EXPECT_FALSE(DecodeDate(1e300, Y, M, Dd));
  EXPECT_FALSE(DecodeDate(std::nan(""), Y, M, Dd));
}

// ---- Lists

TEST_F(RixParser, ListForms) {
  struct TCase {
    std::string Value;
    Strings Langs;
    Strings Msgs;
  };
  const TCase Cases[] = {
      {"[]", {}, {}},
      {"[plk, enu]", {"plk", "enu"}, {}},
      {"plk, enu", {"plk", "enu"}, {}},
      {"[plk, enu", {"plk", "enu"}, {"Closing parenthesis expected: ']'."}},
      {"plk, enu]", {"plk", "enu"}, {"Closing parenthesis invalid: ']'."}},
      {"plk, , enu", {"plk", "enu"}, {"Missing list element."}},
      {"plk, 5, enu", {"plk", "enu"}, {"Invalid list element type."}},
      {"plk enu", {"plk", "enu"}, {"\",\" or \";\" expected."}},
      {"plk, PLK", {"plk", "PLK"}, {"Definition repeated."}},
  };
  for (const TCase& C : Cases) {
    TToyParser P;
    TRixToyDoc Doc;
    auto R = Read(P, "name=\"n\"; languages = " + C.Value + "; count = 1;", &Doc);
    SCOPED_TRACE(C.Value);
    EXPECT_EQ(R->Texts(), C.Msgs);
    EXPECT_EQ(Doc.Languages, C.Langs);
    EXPECT_EQ(Doc.Count, 1);  // the next instruction is read as usual
  }
}

TEST_F(RixParser, AListMissingItsSemicolonLeavesTheBlockEnd) {
  TToyParser P;
  TRixToyDoc Doc;
  auto R =
      Read(P, "name=\"n\"; def head caption = \"a\"; notes = \"x\", \"y\" end; count = 2;", &Doc);
  EXPECT_EQ(R->Messages(), Strings{"1:52 \",\" or \";\" expected."});
  EXPECT_EQ(Doc.Count, 2);
  ASSERT_NE(Doc.Head, nullptr);
  EXPECT_EQ(Doc.Head->Caption, "a");
  TToyParser Q;
  TRixToyDoc Doc2;
  auto R2 = Read(Q, "name=\"n\"; def section label = \"s\"; end; tags = \"a\", \"b\"", &Doc2);
  EXPECT_EQ(Doc2.Tags, (Strings{"a", "b"}));
  auto* Sec = As<TRixToySection>(Doc2.Sections.First());
  ASSERT_NE(Sec, nullptr);
  EXPECT_EQ(Sec->Label, "s");
}

// ---- Order, repetition, mandatory, unknown keys

TEST_F(RixParser, OrderRepetitionMandatoryAndUnknownKeys) {
  struct TCase {
    bool Ordered;
    bool Strict;
    std::string Text;
    Strings Msgs;
  };
  const TCase Cases[] = {
      {true,
       false,
       "name=\"n\"; active = 1; count = 2;",
       {"1:23 Incorrect order (should be exchanged with \"active\")."}},
      {false, false, "name=\"n\"; active = 1; count = 2;", {}},
      {true,
       false,
       "count = 3; count = 2;",
       {"1:12 Definition repeated.", "1:21 Mandatory definition \"name\" omitted."}},
      {false, false, "name=\"n\"; nonsense = 1; def unknown a = 1; end; count = 2;", {}},
      {false,
       true,
       "name=\"n\"; nonsense = 1; def unknown a = 1; end; count = 2;",
       {"1:11 Unknown key.", "1:29 Unknown key."}},
      // Only the first omission of a block is reported.
      {false,
       false,
       "def section end; name=\"n\";",
       {"1:16 Mandatory definition \"label\" omitted."}},
      // A stray token and then its ";" are each an unknown key, skipped one at a time.
      {false,
       false,
       "name=\"n\"; def section label=\"a\"; 5; end;",
       {"1:34 Unknown key.", "1:35 Unknown key."}},
      {false, false, "name=\"n\"; def section label=\"a\";", {"1:33 \"end\" expected."}},
      {false, false, "name=\"n\"; def section label=\"a\"; end", {"1:37 \";\" expected."}},
      {false, false, "name=\"n\"; def 5 end;", {"1:15 Identifier expected."}},
  };
  for (const TCase& C : Cases) {
    TToyParser P(C.Ordered);
    P.SetStrict(C.Strict);
    TRixToyDoc Doc;
    auto R = Read(P, C.Text, &Doc);
    SCOPED_TRACE(C.Text);
    EXPECT_EQ(R->Messages(), C.Msgs);
    if (C.Text.find("count = 2;") != std::string::npos) {
      EXPECT_EQ(Doc.Count, 2);
    }
  }
}

TEST_F(RixParser, StopAtUnknownKeyLeavesTheScannerThere) {
  for (const std::string Rest : {"later = 1;", "def later x = 1; end;"}) {
    TToyParser P;
    P.StopAtUnknownKey = true;
    P.SetStrict(true);
    TRixToyDoc Doc;
    auto R = Read(P, "name=\"n\"; count = 2; " + Rest, &Doc);
    SCOPED_TRACE(Rest);
    EXPECT_EQ(R->Messages(), Strings{});
    EXPECT_EQ(Doc.Count, 2);
    EXPECT_EQ(R->Scanner->Token->StartPos.Column, 22);
    EXPECT_EQ(R->Scanner->Token->GetText(), Rest.substr(0, Rest.find_first_of(" =")));
  }
}

// ---- Blocks and targets

TEST_F(RixParser, BlocksCreateTheirTargetsByClass) {
  TToyParser P;
  TRixToyDoc Doc;
  auto R = Read(P,
                "name=\"n\";\r\n"
                "def head caption = \"H\"; end;\r\n"
                "def section label = \"one\"; type = other; end;\r\n"
                "def section label = \"two\"; end;\r\n"
                "def ghost weight = \"x\"; end;\r\n",
                &Doc);
  EXPECT_EQ(R->Messages(), Strings{"5:20 Invalid element type."});  // checked all the same
  ASSERT_NE(Doc.Head, nullptr);
  EXPECT_EQ(Doc.Head->Caption, "H");
  EXPECT_EQ(Doc.Head->Owner, &Doc);
  ASSERT_EQ(Doc.Sections.Count(), 2);  // nothing created for the ghost
  auto* One = As<TRixToySection>(Doc.Sections.Items(0));
  auto* Two = As<TRixToySection>(Doc.Sections.Items(1));
  EXPECT_EQ(One->Label, "one");
  EXPECT_EQ(One->Kind, tkOther);
  EXPECT_EQ(One->Owner, &Doc);
  EXPECT_EQ(Two->Label, "two");

  // The parse tree records what was read and where the values went.
  TRixNodeComplex& Root = P.RootNode();
  EXPECT_EQ(Root.Target(), &Doc);
  auto* Second = As<TRixNodeComplex>(Root.FindChild("SECTION", 1));
  ASSERT_NE(Second, nullptr);
  EXPECT_EQ(Second->Target(), Two);
  EXPECT_EQ(Root.FindObjectNode(Two, false), Second);
  EXPECT_EQ(Root.FindChild("section", 2), nullptr);
  TRixLines Lines;
  Root.WriteText(Lines, 0);
  EXPECT_EQ(Lines, (Strings{"name=n;", "def head", "  caption=H;", "end;", "def section",
                            "  label=one;", "  type=other;", "end;", "def section", "  label=two;",
                            "end;", "def ghost", "  weight=;", "end;"}));
}

TEST_F(RixParser, SelfNestingBlocksAndTheDepthLimit) {
  TToyParser P(false, rdfSelfNesting | rdfOrdered);
  TRixToyDoc Doc;
  auto R = Read(P,
                "name=\"n\"; def section label=\"a\"; def section label=\"b\"; end; "
                "size = 1; end;",
                &Doc);
  EXPECT_EQ(R->Texts(), Strings{"Incorrect order (should be exchanged with \"section\")."});
  auto* A = As<TRixToySection>(Doc.Sections.First());
  ASSERT_NE(A, nullptr);
  ASSERT_EQ(A->Sections.Count(), 1);
  auto* B = As<TRixToySection>(A->Sections.First());
  EXPECT_EQ(B->Label, "b");
  EXPECT_EQ(B->Owner, A);
  ASSERT_NE(P.RootNode().FindObjectNode(B, true), nullptr);
  EXPECT_EQ(P.RootNode().FindObjectNode(B, false), nullptr);

  // Nesting far deeper than any real text: read to the limit, the rest skipped, no crash.
  const int Depth = 5000;
  std::string Text = "name=\"n\";";
  for (int I = 0; I < Depth; ++I) Text += "def section label=\"x\";";
  for (int I = 0; I < Depth; ++I) Text += "end;";
  Text += "count = 7;";
  TToyParser Q;
  TRixToyDoc Deep;
  auto R2 = Read(Q, Text, &Deep);
  EXPECT_EQ(R2->Texts(), Strings{"Definitions nested too deeply."});
  EXPECT_EQ(Deep.Count, 7);
  int Levels = 0;
  for (auto* S = As<TRixToySection>(Deep.Sections.First()); S;
       S = S->Sections.Empty() ? nullptr : As<TRixToySection>(S->Sections.First()))
    ++Levels;
  EXPECT_EQ(Levels, RixMaxBlockDepth);
}

TEST_F(RixParser, InheritanceFromTheNearestOwner) {
  TToyParser P;
  TRixToyDoc Doc;
  auto R = Read(P,
                "name=\"n\"; def section label=\"a\"; type = fancy; size = 4; "
                "def head caption=\"C\"; end; "
                "def section label=\"b\"; type = fancy; end; end;",
                &Doc);
  EXPECT_EQ(R->Texts(),
            Strings{"Definition not needed - value already set based on earlier definitions."});
  auto* A = As<TRixToySection>(Doc.Sections.First());
  ASSERT_NE(A, nullptr);
  auto* B = As<TRixToySection>(A->Sections.First());
  ASSERT_NE(B, nullptr);
  EXPECT_EQ(B->Kind, tkFancy);
  EXPECT_EQ(B->Size, 4);
  ASSERT_NE(B->Head, nullptr);  // a copy of the owner's object, owned by the inheritor
  EXPECT_NE(B->Head.get(), A->Head.get());
  EXPECT_EQ(B->Head->Caption, "C");
  EXPECT_EQ(B->Head->Owner, B);
  // The first section's owner (the document) has no head yet: an empty one is made.
  ASSERT_NE(A->Head, nullptr);
}

TEST_F(RixParser, ReadingWithoutTargetOnlyChecks) {
  TToyParser P;
  auto R = Read(P, "name=\"n\"; count = x; def section end;", nullptr);
  EXPECT_EQ(R->Texts(),
            (Strings{"Invalid element type.", "Mandatory definition \"label\" omitted."}));
  EXPECT_EQ(P.RootNode().Children().Count(), 3);
}

TEST_F(RixParser, EventsSeeNodesAndTargets) {
  TToyParser P;
  Strings Seen;
  TRixDef* Section = P.Root().Defs()[P.Root().Defs().FindDef("SECTION", true)];
  Section->OnParseStart = [&](TRixNode* N, TObject* T) {
    Seen.push_back(std::string("start ") + (T ? T->ClassName() : "-"));
  };
  Section->OnParsed = [&](TRixNode* N, TObject* T) {
    const int Children = static_cast<TRixNodeComplex*>(N)->Children().Count();
    Seen.push_back("parsed " + std::to_string(Children));
  };
  TRixToyDoc Doc;
  Read(P, "name=\"n\"; def section label=\"a\"; end;", &Doc);
  EXPECT_EQ(Seen, (Strings{"start TRixToySection", "parsed 1"}));
}

// ---- Grammar

TEST_F(RixParser, GrammarOfASmallSchema) {
  TRixParser P(true);
  TRixDefRoot& R = P.Root();
  R.AddDef(std::make_unique<TRixDefSimpleIdentifier>("Name", rdfMandatory | rdfOnce));
  R.AddDef(std::make_unique<TRixDefSimpleStringLong>("note", rdfNotBlank));
  auto* E =
      R.AddDef(std::make_unique<TRixDefSimpleEnum>("mode", rdfOnce | rdfList | rdfUnique, "m"));
  E->AddName("fast");
  E->AddName("slow", &TOrvTokenInteger::StaticClass(), "delay");
  auto* B = R.AddDef(std::make_unique<TRixDefComplex>("page", rdfSelfNesting));
  B->AddDef(std::make_unique<TRixDefSimpleBoolean>("on", rdfOnce | rdfInherit));
  B->AddDef(std::make_unique<TRixDefSimpleStringShort>("title", rdfNotEmpty | rdfDeprecated));
  TRixLines Lines;
  P.WriteGrammar(Lines);
  const Strings Want = {
      "documentation ::=",
      "  name (1)",
      "  { [ note (<>\" *\") ] }",
      "  [ mode (1) ]",
      "  { [ page ] } .",
      "",
      "name ::= \"name\" \"=\" identifier \";\" .",
      "note ::= \"note\" \"=\" long_string \";\" .",
      "mode ::= \"mode\" \"=\" mode_elem_list (1) \";\" .",
      "mode_elem ::= \"FAST\" | ( \"SLOW\" integer ) .",
      "",
      "page ::= \"def\" \"page\" page_fields \"end\" \";\" .",
      "page_fields ::=",
      "{",
      "  [ on (1) (inherit) ] |",
      "  [ title (ignore) (<>\"\") ]",
      "  [ page ]",
      "} .",
      "",
      "on ::= \"on\" \"=\" boolean \";\" .",
      "title ::= \"title\" \"=\" short_string \";\" .",
  };
  EXPECT_EQ(Lines, Want);
}

}  // namespace
}  // namespace quin
