// Savable objects and parameter-definition files: the class registry, the file layout, blocks
// kept as text (another survey's, another class's, damaged ones), and the load's failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "analysis/pelrwobjectfiles.h"
#include "base/orvexceptions.h"
#include "base/orvfiles.h"
#include "par_fixture.h"
#include "test_pars.h"
#include "tests/support/tempfolder.h"

namespace quin {
namespace {

using namespace quin::test;

class TOtherCaseMulti : public TTestMulti {
  QUIN_CLASS(TOtherCaseMulti, TTestMulti)
  QUIN_RW_CLASS(TOtherCaseMulti)
 public:
  using TTestMulti::TTestMulti;
  static std::string StaticKeyword() { return "TESTMULTI"; }
};
QUIN_IMPLEMENT_CLASS(TOtherCaseMulti, TTestMulti)

class RWObjectFile : public testing::Test {
 protected:
  void SetUp() override { RegisterTestParClasses(); }
  TParSurvey P;
};

TEST_F(RWObjectFile, RegistryKeepsTheFirstClassOfAKeywordIgnoringCase) {
  RegisterRWObjectClass(RWClassOf<TOtherCaseMulti>());
  EXPECT_EQ(FindRWObjectClass("TESTmulti"), &RWClassOf<TTestMulti>());
  EXPECT_EQ(FindRWObjectClass("testmultichild"), &RWClassOf<TTestMultiChild>());
  EXPECT_EQ(FindRWObjectClass("noSuchKeyword"), nullptr);
  const std::unique_ptr<TPelRWObject> O = FindRWObjectClass("testOption")->Create(&P.S);
  EXPECT_TRUE(O->IsExactly<TTestOption>());
  EXPECT_TRUE(O->AutoNamed);
  EXPECT_EQ(O->Survey, &P.S);
  EXPECT_TRUE(O->IsAvailableInMode(1));
  EXPECT_FALSE(New<TTestMulti>(&P.S)->IsAvailableInMode(1));
}

TEST_F(RWObjectFile, WritesTheHeaderAndEachObjectWithoutGUIDsAndReadsItBack) {
  TPelRWObjectFile F(&P.S, 0);
  auto M = New<TTestMulti>(&P.S);
  M->SetName("Mine");
  M->Total = true;
  TTestSubPar* Sub = M->Add({1, 2, 3});
  Sub->Grouped = true;
  const TGUID Before = Sub->GUID;
  F.AddObject(std::move(M));
  const std::string Text = FileText(F);
  EXPECT_EQ(Text, ParFileHead() +
                      "def testMulti\r\n"
                      "  survey = s1@ns;\r\n"
                      "  name = \"Mine\";\r\n"
                      "  total = 1;\r\n"
                      "  def subpar\r\n"
                      "    list = c1, c2, c3;\r\n"
                      "    grouped = 1;\r\n"
                      "  end;\r\n"
                      "end;\r\n");
  // The object itself keeps its identity; the written copy had none.
  EXPECT_EQ(static_cast<TTestMulti*>(F.Elems[0]->Obj.get())->SubPar(0)->GUID, Before);

  const auto Back = ReadParFile(P.S, Text);
  ASSERT_EQ(Back->Elems.Count(), 1);
  auto* R = As<TTestMulti>(Back->Elems[0]->Obj.get());
  ASSERT_NE(R, nullptr);
  EXPECT_EQ(R->GetName(), "Mine");
  EXPECT_TRUE(R->Total);
  ASSERT_EQ(R->SubParCount(), 1);
  EXPECT_EQ(R->SubPar(0)->GetListText(false), "E1, E2, E3");
  EXPECT_TRUE(R->SubPar(0)->Grouped);
  // Loading renews the identities.
  EXPECT_FALSE(IsNullGUID(R->SubPar(0)->GUID));
  EXPECT_NE(R->SubPar(0)->GUID, Before);
  EXPECT_EQ(FileText(*Back), Text);
}

TEST_F(RWObjectFile, BlocksItDoesNotReadAreWrittenBackByteForByte) {
  const std::string Foreign =
      "def testMulti survey = s2@ns;  // another survey\r\n"
      "  def subpar list = c1; def odd x = 1; end; end;\r\n"
      "end;";
  const std::string Child = "def testMultiChild\r\n  name = \"kid\";\r\nend;";
  const std::string Damaged = "def testOption survey = s1@ns; total = 7 7; end;";
  const std::string Text = "signature = \"{BF2AC92A-CCC0-43FF-B261-F17C803F3A0C}\";\r\n" + Foreign +
                           "\r\n" + Child + "\r\n" + Damaged + "\r\n" +
                           "def testMulti survey = S1@NS; name = \"same survey\"; end;\r\n" +
                           "def testMulti name = \"no survey key\"; end;\r\n";
  const auto F = ReadParFile(P.S, Text, &RWClassOf<TTestMulti>());
  ASSERT_EQ(F->Elems.Count(), 5);
  EXPECT_EQ(F->Elems[0]->Obj, nullptr);
  EXPECT_EQ(F->Elems[0]->RawText, Foreign);
  EXPECT_EQ(F->Elems[1]->RawText, Child);  // a subclass of the class asked for
  EXPECT_EQ(F->Elems[1]->ObjClass, &RWClassOf<TTestMultiChild>());
  EXPECT_EQ(F->Elems[2]->RawText, Damaged);  // not asked for
  EXPECT_EQ(F->Elems[3]->Obj->GetName(), "same survey");
  EXPECT_EQ(F->Elems[4]->Obj->GetName(), "no survey key");
  const std::string Out = FileText(*F);
  EXPECT_EQ(Out.substr(0, ParFileHead().size()), ParFileHead());
  EXPECT_NE(Out.find(Foreign + "\r\n" + Child + "\r\n" + Damaged + "\r\ndef testMulti\r\n"),
            std::string::npos);

  // Read for every class, the damaged block stays text, its error kept with it, and the load
  // goes on.
  const auto All = ReadParFile(P.S, Text);
  ASSERT_EQ(All->Elems.Count(), 5);
  EXPECT_NE(All->Elems[1]->Obj, nullptr);
  EXPECT_EQ(All->Elems[2]->Obj, nullptr);
  EXPECT_EQ(All->Elems[2]->RawText, Damaged);
  ASSERT_GE(All->Elems[2]->Msgs.Count(), 1);
  EXPECT_TRUE(All->Elems[2]->Msgs[0]->IsError());
}

TEST_F(RWObjectFile, HeaderlessAndEmptyFilesRead) {
  EXPECT_EQ(ReadParFile(P.S, "")->Elems.Count(), 0);
  EXPECT_EQ(ReadParFile(P.S, "// nothing but a comment\r\n")->Elems.Count(), 0);
  EXPECT_EQ(ReadParFile(P.S, "def testOption end;")->Elems.Count(), 1);
  EXPECT_EQ(ReadParFile(P.S, "version = 257;")->Elems.Count(), 0);  // only the low byte counts
}

TEST_F(RWObjectFile, FailuresStopTheLoadKeepingWhatWasRead) {
  EXPECT_THROW(ReadParFile(P.S, "signature = \"{8DDB255D-5D1E-4680-B2C8-3B449CDE62F1}\";"),
               ESIGErr);
  EXPECT_THROW(ReadParFile(P.S, "version = 2;"), EVERErr);
  const struct {
    const char* Text;
  } Cases[] = {
      {"def testOption end; def unknownKeyword end;"},
      {"def testOption end; def 12 end;"},
      {"def testOption end; stray = 1;"},
      {"def testOption end; def testOption total = 1;"},  // the text ends inside a block
      {"def testOption end; def testOption end"},         // no ";" after "end"
  };
  for (const auto& C : Cases) {
    TPelRWObjectFile F(&P.S, 0);
    TMemoryStream M{std::string_view(C.Text)};
    EXPECT_THROW(F.ReadFromStream(M), EMsgList_FatalError) << C.Text;
    ASSERT_EQ(F.Elems.Count(), 1) << C.Text;
    EXPECT_NE(F.Elems[0]->Obj, nullptr) << C.Text;
  }
}

TEST_F(RWObjectFile, SavingKeepsTheOldVersionAsBackup) {
  const test::TTempFolder Dir;
  const std::string Name = Dir.File("pars.zop");
  std::ofstream(Name) << "old";
  TPelRWObjectFile F(&P.S, 0);
  F.AddObject(New<TTestOption>(&P.S));
  F.SaveToFile(Name);
  std::ifstream Backup(BackupFileName(Name));
  std::string Old;
  Backup >> Old;
  EXPECT_EQ(Old, "old");
  TPelRWObjectFile G(&P.S, 0);
  G.LoadFromFile(Name);
  ASSERT_EQ(G.Elems.Count(), 1);
  EXPECT_TRUE(G.Elems[0]->Obj->IsExactly<TTestOption>());
  EXPECT_EQ(G.FileName, "");
  EXPECT_EQ(G.GetName(), "[Noname]");
}

TEST_F(RWObjectFile, AssigningKeepsTheTargetsOwnerAndIgnoresItself) {
  TPelParList List(&P.S);
  TTestMulti* Target = static_cast<TTestMulti*>(List.AddPar(New<TTestMulti>(&P.S)));
  Target->Add({1});
  auto Source = New<TTestMulti>(&P.S);
  Source->SetName("Source");
  Source->Add({4, 5});
  Target->Assign(*Source);
  EXPECT_EQ(Target->Owner, &List);
  EXPECT_TRUE(Target->AutoNamed);
  ASSERT_EQ(Target->SubParCount(), 1);
  EXPECT_EQ(Target->SubPar(0)->Owner, Target);
  EXPECT_EQ(Target->SubPar(0)->GetListText(false), "E4, E5");
  EXPECT_NE(Target->SubPar(0), Source->SubPar(0));
  Target->Assign(*Target);
  EXPECT_EQ(Target->SubPar(0)->GetListText(false), "E4, E5");
  EXPECT_THROW(Target->Assign(*New<TTestOption>(&P.S)), Exception);
}

}  // namespace
}  // namespace quin
