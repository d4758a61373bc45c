// Reading whole survey definitions: header blocks, info checks, record sets, sections.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/text.h"
#include "base/urlprobe.h"
#include "deflang/rixdefs.h"
#include "survey_fixture.h"
#include "surveykit/gimpress.h"
#include "surveykit/mermessages.h"
#include "tests/support/tempfolder.h"

namespace quin {
namespace {

using test::Lines;
using test::MsgSummary;
using test::TTestSurvey;
using TMsgs = std::vector<std::string>;

const char* const kEnviron[] = {"def environ", "  languages = plk, enu;", "end;"};
const char* const kTail[] = {"def recordset",
                             "  id = resp; name = \"Respondents\";",
                             "  def files colSpec = \"x\"; dataFile = \"y\"; end;",
                             "end;",
                             "def waves end;",
                             "def data end;"};

// environ, a survey block with Body inside, one recordset, waves, data.
std::string Definition(std::initializer_list<const char*> Body) {
  std::string S;
  for (const char* L : kEnviron) S += std::string(L) + "\r\n";
  S += "def survey\r\n  namespace = ns; id = s1; name = \"<PLK>Badanie<ENU>Survey\";\r\n";
  bool HasWizards = false;
  for (const char* L : Body) HasWizards |= std::string(L).find("wizards") != std::string::npos;
  for (const char* L : Body) S += std::string(L) + "\r\n";
  if (!HasWizards) S += "  wizards = table1d;\r\n";
  S += "end;\r\n";
  for (const char* L : kTail) S += std::string(L) + "\r\n";
  return S;
}
constexpr int kBodyLine = 6;  // the first line of Body in Definition

struct TRead {
  test::TEnglishSession English;
  std::unique_ptr<TTestSurvey> Survey;
  TOrvMsgList Msgs{100, 100};
  bool Fatal = false;
  explicit TRead(const std::string& Text, const std::string& FileName = "s.zos") {
    Survey = New<TTestSurvey>(FileName);
    auto Scanner = TRixScanner::CreateFromText(Text, &Msgs);
    try {
      Survey->ReadDefinition(*Scanner);
    } catch (const EMsgList_FatalError&) {
      Fatal = true;
    }
  }
  // The messages without the warnings of sections skipped by this build.
  TMsgs Summary() const {
    TMsgs R;
    for (const std::string& S : MsgSummary(Msgs))
      if (S.rfind("TMerWarning_SectionSkipped", 0) != 0) R.push_back(S);
    return R;
  }
  std::string At(int Line, int Col, const char* Class) const {
    return std::string(Class) + "@" + std::to_string(Line) + ":" + std::to_string(Col);
  }
};

TEST(MerSurvey, TwoPhaseCreationGivesWeightsAndAnEmptyLanguageManager) {
  auto S = New<TTestSurvey>("a/b/s.zos");
  ASSERT_TRUE(S->Weights);
  EXPECT_TRUE(S->Environ->LangManager->Languages().empty());
  EXPECT_EQ(S->GetDefinitionDir(), "a/b/");
  auto Base = New<TMerSurvey>("s.zos");
  EXPECT_FALSE(Base->Weights);  // the base class has no factory
  EXPECT_EQ(Base->GetDefinitionDir(), "");
  // The registry creates the survey classes by name.
  for (const char* N : {"TMerSurvey", "TMerEnviron", "TMerInfo", "TMerInfoPage", "TMerRecset"})
    EXPECT_NE(ClassRegistry::Find(N), nullptr) << N;
}

TEST(MerSurvey, MinimalDefinitionReadsWithoutErrors) {
  TRead R(Definition({}), "dir/s.zos");
  EXPECT_FALSE(R.Fatal);
  EXPECT_EQ(R.Summary(), TMsgs{});
  const TMerSurvey& S = *R.Survey;
  EXPECT_EQ(S.GetQualifiedID(), "s1@ns");
  EXPECT_EQ(S.Environ->LanguagesList, (std::vector<std::string>{"plk", "enu"}));
  EXPECT_EQ(S.Environ->LangManager->Languages().size(), 2u);
  ASSERT_TRUE(S.Info);
  EXPECT_EQ(S.Info->Name, "<PLK>Badanie<ENU>Survey");
  EXPECT_TRUE(S.Info->WizEnabled[0]);
  EXPECT_FALSE(S.Info->WizEnabled[1]);
  ASSERT_EQ(S.RecsetCount(), 1);
  EXPECT_EQ(S.Recset(0)->ID, "resp");
  EXPECT_EQ(S.Recset(0)->Survey, &S);
  EXPECT_EQ(R.Survey->PrepareCalls, 1);
  EXPECT_EQ(R.Survey->RecsetsAtPrepare, 1);
  ASSERT_EQ(S.Weights->Count(), 1);
  EXPECT_EQ(S.Weights->GetItem(0)->GetID(), "off");
  EXPECT_FALSE(S.Press || S.Radio || S.TV);
}

TEST(MerSurvey, LanguagesUnknownAndRepeated) {
  {
    TRead R(Lines({"def environ languages = plk, ENU, plk; end;"}));
    // The repetition is the list's own error; the survey keeps plk and ENU.
    EXPECT_EQ(R.Survey->Environ->LanguagesList, (std::vector<std::string>{"plk", "ENU"}));
    EXPECT_EQ(R.Survey->Environ->LangManager->Languages(),
              (std::vector<std::string>{"enu", "plk"}));
    EXPECT_TRUE(R.Msgs.GetItem(0)->IsClass(TRixMsgError_UniqueKeyRepeated));
  }
  {
    TRead R(Lines({"def environ languages = xyz, enu; end;"}));
    EXPECT_EQ(R.Summary().front(), R.At(1, 25, "TMerError_UnknownLanguage"));
    EXPECT_EQ(R.Msgs.GetItem(0)->MessageText(), "Unknown language identifier.");
    EXPECT_EQ(R.Survey->Environ->LanguagesList, (std::vector<std::string>{"enu"}));
  }
}

TEST(MerSurvey, InfoKeysTemplatesAndStatistics) {
  TRead R(Definition({"  owner = \"Me\"; demo = 1; excludeSysMis = 1; fixedRecordsets = 1;",
                      "  hideRowsCols = values; logo = \"l.png\";",
                      "  wizards = press, pressRanking, table1d, general;",
                      "  advStats = cntW; stdStats = pct, cnt;", "  version = v2;"}));
  const TMerInfo& I = *R.Survey->Info;
  EXPECT_EQ(I.DataOwner, "Me");
  EXPECT_TRUE(I.Demo && I.ExcludeSysMis && I.FixedRecordsets);
  EXPECT_EQ(I.HideRowsCols, hrcValues);
  EXPECT_EQ(I.Logo, "l.png");
  for (int K = 0; K < WizKindCount; ++K) EXPECT_EQ(I.WizEnabled[K], K <= 6 || (K >= 20 && K <= 30));
  EXPECT_EQ(I.StdStats, (std::vector<int>{2, 3, 4, 0, 1}));  // pctLayer..pctCol, cntA, cntW
  EXPECT_EQ(I.AdvStats, (std::vector<int>{1}));
  const int L = kBodyLine;
  EXPECT_EQ(R.Summary(),
            (TMsgs{R.At(L + 2, 20, "TMerWarning_WizDefinedByGroup"),  // pressRanking
                   R.At(L + 2, 43, "TMerWarning_WizGroupOverrides"),  // general over table1d
                   R.At(L + 3, 36, "TMerWarning_StatInAdvStats"),     // cnt takes cntW
                   R.At(L + 4, 13, "TRixWarning_Ignored")}));
}

TEST(MerSurvey, InfoChecksAtTheEndOfTheBlock) {
  SetURLProbing(false);
  TRead R(Definition({"  logoPlacement = statusbar;",
                      "  def infopage name = \"A\"; text = \"t\"; addr = \"http://x\"; end;",
                      "  def infopage name = \"Group\";",
                      "    def infopage name = \"A\"; text = \"t\"; end;", "  end;",
                      "  def infopage name = \"Empty\"; end;"}));
  SetURLProbing(true);
  const int L = kBodyLine;
  EXPECT_EQ(R.Summary(), (TMsgs{R.At(L, 19, "TRixWarning_Ignored"),
                                R.At(L + 1, 59, "TMerError_InfoPageTextAndAddr"),
                                R.At(L + 5, 32, "TMerError_InfoPageEmpty"),
                                R.At(L, 3, "TMerError_LogoPlacementWithoutLogo"),
                                R.At(L + 3, 18, "TMerWarning_ValueRepeated"),     // name "A"
                                R.At(L + 3, 30, "TMerWarning_ValueRepeated")}));  // text "t"
  const TMerInfoPage& Root = R.Survey->Info->RootPage();
  ASSERT_EQ(Root.PageCount(), 3);
  EXPECT_EQ(Root.Page(0)->Addr, "http://x");
  EXPECT_FALSE(Root.Page(0)->IsFile);
  ASSERT_EQ(Root.Page(1)->PageCount(), 1);
  EXPECT_EQ(Root.Page(1)->Page(0)->Parent(), Root.Page(1));
  EXPECT_EQ(R.Msgs.GetItem(2)->MessageText(),
            "Sub-pages must be defined for pages, or one of the fields: \"text\", \"addr\", or "
            "\"file\".");
}

TEST(MerSurvey, InfoPageAddressProbedAndFilesConfinedToTheSurveyFolder) {
  namespace fs = std::filesystem;
  const test::TTempFolder Folder;
  const fs::path& Dir = Folder.Path();
  std::ofstream(Dir / "Info.htm") << "x";
  std::ofstream(Dir / "icon.ico", std::ios::binary) << std::string("\0\0\1\0\1\0", 6);
  std::ofstream(Dir / "fake.ico") << "not an icon";
  const std::string File = (Dir / "s.zos").string();
  TRead R(Definition({"  icon = \"fake.ico\";",
                      "  def infopage name = \"P1\"; addr = \"http://127.0.0.1:1/\"; end;",
                      "  def infopage name = \"P2\"; file = \"info.htm\"; end;",
                      "  def infopage name = \"P3\"; file = \"missing.htm\"; end;",
                      "  def infopage name = \"P4\"; file = \"..\\\\..\\\\Quin.pwd\"; end;"}),
          File);
  const int L = kBodyLine;
  EXPECT_EQ(R.Summary(), (TMsgs{R.At(L, 10, "TMerWarning_FileNotFound"),
                                R.At(L + 1, 36, "TMerWarning_AddrNotFound"),
                                R.At(L + 3, 36, "TMerWarning_FileNotFound"),
                                R.At(L + 4, 36, "TMerError_FileOutsideSurvey")}));
  EXPECT_TRUE(R.Survey->Info->IconImage.empty());
  const TMerInfoPage& P2 = *R.Survey->Info->RootPage().Page(1);
  EXPECT_TRUE(P2.IsFile);
  EXPECT_EQ(P2.Addr, "info.htm");

  TRead Good(Definition({"  icon = \"ICON.ico\";"}), File);
  EXPECT_EQ(Good.Summary(), TMsgs{});
  EXPECT_EQ(Good.Survey->Info->IconImage.size(), 6u);
}

TEST(MerSurvey, RecordSetsJoinsStatsAndFiles) {
  std::string Text = Definition({});
  const std::string Diary =
      Lines({"def recordset", "  id = diary; name = \"Diary\"; join = RespId; hidden = 1;",
             "  stats = cntA, pct, pctRow;",
             "  def files colSpecFormat = sps; colSpec = \"c\"; "
             "dataFile = \"d\"; end;",
             "end;", "def recordset id = bad; name = \"Bad\"; end;"});
  Text.insert(Text.find("def waves"), Diary);
  TRead R(Text);
  ASSERT_EQ(R.Survey->RecsetCount(), 3);
  const TMerRecset& D = *R.Survey->Recset(1);
  EXPECT_EQ(D.Join, "RespId");
  EXPECT_TRUE(D.Hidden);
  EXPECT_EQ(D.Stats, (std::vector<int>{0, 2, 3, 4}));
  EXPECT_EQ(R.Survey->Recset(2)->Survey, R.Survey.get());
  const TMsgs S = R.Summary();
  ASSERT_EQ(S.size(), 2u);
  EXPECT_EQ(S[0], R.At(14, 22, "TMerWarning_StatAlreadyDefined"));
  EXPECT_EQ(S[1].substr(0, S[1].find('@')), "TRixMsgError_MandatoryDefOmitted");
  // Errors: no weighting "off" is added.
  EXPECT_EQ(R.Survey->Weights->Count(), 0);

  // Column references resolve record-set endings.
  auto Q = R.Survey->CreateCol(nullptr, "Q5.DIARY");
  EXPECT_EQ(Q->Name, "q5");
  EXPECT_EQ(Q->Recset, &D);
  EXPECT_EQ(R.Survey->CreateCol(nullptr, "q5.resp")->Recset, R.Survey->Recset(0));
  auto Other = R.Survey->CreateCol(nullptr, "q5.other");
  EXPECT_EQ(Other->Name, "q5.other");
  EXPECT_EQ(Other->Recset, R.Survey->Recset(0));
}

TEST(MerSurvey, MissingHeaderBlocksAndSections) {
  {
    TRead R(Lines({"def environ languages = enu; end;", "def waves end;", "def data end;"}));
    EXPECT_FALSE(R.Fatal);
    TMsgs S = R.Summary();
    ASSERT_EQ(S.size(), 1u);  // the first mandatory block omitted: "survey"
    EXPECT_EQ(S[0].substr(0, S[0].find('@')), "TRixMsgError_MandatoryDefOmitted");
    EXPECT_FALSE(R.Survey->Info);
  }
  {
    std::string Text = Definition({});
    Text.erase(Text.find("def data"));
    TRead R(Text);
    EXPECT_TRUE(R.Fatal);
    EXPECT_TRUE(R.Msgs.GetItem(R.Msgs.Count() - 1)->IsClass(TGimFatal_Data_NotDefined));
  }
}

TEST(MerSurvey, MediaSectionsAreReadWithTheDefinition) {
  TRead R(Definition({}) +
          Lines({"def press", "  def title id = t1; name = \"T1\"; end;", "end;"}));
  EXPECT_FALSE(R.Fatal);
  EXPECT_EQ(MsgSummary(R.Msgs), TMsgs{});
  ASSERT_TRUE(R.Survey->PressDef());
  EXPECT_EQ(R.Survey->PressDef()->RootModule->Child(0)->GetName(), "T1");
  EXPECT_EQ(R.Survey->Weights->Count(), 1);
}

}  // namespace
}  // namespace quin
