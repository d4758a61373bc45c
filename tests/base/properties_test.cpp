#include "base/properties.h"

#include <gtest/gtest.h>

#include "base/orvclasses.h"

namespace quin {
namespace {

enum TToyKind { tkPlain, tkFancy, tkOther };

struct TToyPart : TOrvPersistent {
  QUIN_CLASS(TToyPart, TOrvPersistent)
  QUIN_COPY(TToyPart)
 public:
  TToyPart() = default;
  TToyPart(const TToyPart&) = default;
  std::string Label;
  bool SawOwnerAtCreation = false;
  void AfterConstruction() override { SawOwnerAtCreation = Owner != nullptr; }
};

struct TToy : TOrvPersistent {
  QUIN_CLASS(TToy, TOrvPersistent)
 public:
  std::string Name;
  int32_t Count = 0;
  bool Active = false;
  double When = 0;
  TToyKind Kind = tkPlain;
  uint8_t Flags = 0;
  std::unique_ptr<TToyPart> Main;
  TOrvTypedList<TToyPart> Parts;
  std::vector<std::string> Languages;
};

struct TSpecialToy : TToy {
  QUIN_CLASS(TSpecialToy, TToy)
 public:
  int16_t Extra = 0;
};

void DescribeToyPart(TPropTableBuilder<TToyPart>& P) { P.Text("label", &TToyPart::Label); }
void DescribeToy(TPropTableBuilder<TToy>& P) {
  P.Text("name", &TToy::Name);
  P.Int("count", &TToy::Count);
  P.Bool("active", &TToy::Active);
  P.Date("when", &TToy::When);
  P.Enum("kind", &TToy::Kind, {"tkPlain", "tkFancy", "tkOther"});
  P.Set("flagsSet", &TToy::Flags, {"fA", "fB", "fC"});
  P.Object("main", &TToy::Main);
  P.ObjectList("partsList", &TToy::Parts);
  P.StringList("languagesList", &TToy::Languages);
}
void DescribeSpecialToy(TPropTableBuilder<TSpecialToy>& P) { P.Int("extra", &TSpecialToy::Extra); }

QUIN_IMPLEMENT_CLASS_WITH_PROPS(TToyPart, TOrvPersistent, DescribeToyPart)
QUIN_IMPLEMENT_CLASS_WITH_PROPS(TToy, TOrvPersistent, DescribeToy)
QUIN_IMPLEMENT_CLASS_WITH_PROPS(TSpecialToy, TToy, DescribeSpecialToy)

TEST(Properties, ScalarsByNameIgnoringCase) {
  TSpecialToy T;
  const TPropInfo* Name = FindProperty(T, "NAME");
  ASSERT_NE(Name, nullptr);
  EXPECT_TRUE(Name->SetText(T, "toy"));
  EXPECT_EQ(T.Name, "toy");
  EXPECT_EQ(Name->GetText(T), "toy");

  const TPropInfo* Count = FindProperty(T, "Count");
  EXPECT_TRUE(Count->SetInt(T, 42));
  EXPECT_FALSE(Count->SetInt(T, int64_t(1) << 40));  // does not fit: refused, value kept
  EXPECT_EQ(T.Count, 42);

  const TPropInfo* Extra = FindProperty(T, "extra");  // the subclass's own
  ASSERT_NE(Extra, nullptr);
  EXPECT_FALSE(Extra->SetInt(T, 70000));
  EXPECT_TRUE(Extra->SetInt(T, -7));
  EXPECT_EQ(T.Extra, -7);
  EXPECT_EQ(FindProperty(TToy::StaticClass(), "extra"), nullptr);  // not on the parent

  const TPropInfo* Active = FindProperty(T, "active");
  EXPECT_FALSE(Active->SetInt(T, 2));
  EXPECT_TRUE(Active->SetInt(T, 1));
  EXPECT_TRUE(T.Active);
  EXPECT_EQ(Active->Kind, TPropKind::Bool);

  FindProperty(T, "when")->SetFloat(T, 38412);
  EXPECT_EQ(T.When, 38412);
  EXPECT_EQ(FindProperty(T, "nothing"), nullptr);
  EXPECT_EQ(AllProperties(TSpecialToy::StaticClass()).size(), 10u);
  EXPECT_EQ(AllProperties(TSpecialToy::StaticClass()).front()->Name, "name");
}

TEST(Properties, EnumerationsAndSetsByName) {
  TToy T;
  const TPropInfo* Kind = FindProperty(T, "kind");
  EXPECT_TRUE(Kind->SetText(T, "TKFANCY"));
  EXPECT_EQ(T.Kind, tkFancy);
  EXPECT_EQ(Kind->GetText(T), "tkFancy");
  EXPECT_FALSE(Kind->SetText(T, "tkNone"));
  EXPECT_EQ(T.Kind, tkFancy);

  const TPropInfo* Flags = FindProperty(T, "flagsset");
  EXPECT_TRUE(Flags->SetText(T, "fC, fa"));
  EXPECT_EQ(T.Flags, 0b101);
  EXPECT_EQ(Flags->GetText(T), "fA,fC");
  EXPECT_TRUE(Flags->SetText(T, Flags->GetText(T) + ",fB"));  // adding to the set's text
  EXPECT_EQ(T.Flags, 0b111);
  EXPECT_FALSE(Flags->SetText(T, "fA,fZ"));
  EXPECT_EQ(T.Flags, 0b111);
  EXPECT_TRUE(Flags->SetText(T, "[]"));
  EXPECT_EQ(T.Flags, 0);
}

TEST(Properties, ObjectsListsAndCreationWithAnOwner) {
  TToy T;
  const TPropInfo* Main = FindProperty(T, "MAIN");
  ASSERT_EQ(Main->Kind, TPropKind::Object);
  EXPECT_EQ(Main->ObjectClass, &TToyPart::StaticClass());
  EXPECT_EQ(Main->GetObject(T), nullptr);
  auto Part = TToyPart::StaticClass().Create(&T);
  EXPECT_TRUE(static_cast<TToyPart*>(Part.get())->SawOwnerAtCreation);
  EXPECT_EQ(static_cast<TToyPart*>(Part.get())->Owner, &T);
  Main->SetObject(T, std::move(Part));
  ASSERT_NE(T.Main, nullptr);
  Main->SetObject(T, std::make_unique<TToy>());  // another class never enters
  EXPECT_TRUE(T.Main->IsExactly<TToyPart>());

  const TPropInfo* Parts = FindProperty(T, "partslist");
  auto* List = As<TOrvObjectList>(Parts->GetObject(T));
  ASSERT_EQ(List, &T.Parts);
  List->Add(TToyPart::StaticClass().Create(&T).release());
  EXPECT_EQ(T.Parts.Count(), 1);

  const TPropInfo* Langs = FindProperty(T, "LanguagesList");
  Langs->GetStringList(T)->push_back("plk");
  EXPECT_EQ(T.Languages, std::vector<std::string>{"plk"});
  EXPECT_FALSE(Langs->IsScalar());
}

}  // namespace
}  // namespace quin
