// The page generator and the desktop form base with its menu-item helpers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "base/exception.h"
#include "base/langmanager.h"
#include "desktop/orvform.h"
#include "desktop/orvwebpage.h"
#include "tests/support/tempfolder.h"

namespace quin {
namespace {

namespace fs = std::filesystem;

TEST(OrvWebPage, EmitIndentsAndDropsEdgeBlankLines) {
  auto P = New<TOrvWebPage>("p");
  P->Indent = 2;
  P->Emit("\n  \none\n\nthree\n \n");
  EXPECT_EQ(P->Lines, (std::vector<std::string>{"\t\tone", "", "\t\tthree"}));
  P->Emit("<div>", 1);
  P->Emit("</div>", -1);
  EXPECT_EQ(P->Lines[3], "\t\t<div>");
  EXPECT_EQ(P->Lines[4], "\t\t</div>");
  P->Emit("   ");
  EXPECT_EQ(P->Lines.back(), "");
  EXPECT_THROW(P->Emit("a\x85"), Exception);
}

TEST(OrvWebPage, TitlesParentsAndLanguageSuffix) {
  auto Root = New<TOrvWebPage>("root");
  auto Child = New<TOrvWebPage>("child", Root.get());
  Root->Title = "<PLK>Badania-[br]czytelnictwa<ENU>Readership";
  Child->Title = "Prasa [br]i radio";
  EXPECT_EQ(Root->GetTitle(), "Badaniaczytelnictwa");
  EXPECT_EQ(Child->GetTitle(), "Badaniaczytelnictwa - Prasa  i radio");
  EXPECT_EQ(Root->Children.size(), 1u);
  EXPECT_THROW(Root->SetParent(Child.get()), Exception);
  std::string T = "index[langext]";
  Child->ExpandLangExt(T);
  EXPECT_EQ(T, "index.po.cen.html");
  TOrvLangManager En("enu");
  En.AfterConstruction();
  TLangManagerBinding B(&En);
  T = "index[langext]";
  Child->ExpandLangExt(T);
  EXPECT_EQ(T, "index.en.html");
  Child->WriteHeadMeta();
  EXPECT_EQ(Child->Lines[0], "<meta http-equiv=\"content-type\" content=\"text/html\" />");
  EXPECT_EQ(Child->Lines[1], "<meta http-equiv=\"content-language\" content=\"en\" />");
  EXPECT_EQ(Child->Lines.back(), "<meta name=\"generator\" content=\"Orv Web Generator\" />");
  Child.reset();
  EXPECT_TRUE(Root->Children.empty());
}

TEST(OrvWebPage, LoadFromXml) {
  test::TTempFolder Temp;
  const std::string Dir = Temp.Path().string() + "/";
  std::ofstream(Dir + "page.xml")
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?><page parent=\"home\" highslide=\"1\" "
         "mapped=\"0\" image=\"a.jpg\"><title><pl> Prasa </pl><en>Press</en></title>"
         "<supertitle>Media</supertitle><submenutitle><pl>P</pl><en>E</en></submenutitle>"
         "<head>&lt;x/&gt;</head></page>";
  std::ofstream(Dir + "orphan.xml") << "<page parent=\"nowhere\"/>";
  auto Home = New<TOrvWebPage>("home");
  auto Page = New<TOrvWebPage>("page");
  auto Orphan = New<TOrvWebPage>("orphan");
  Page->XmlDir = Dir;
  Orphan->XmlDir = Dir;
  TOrvWebPageList All{Home.get(), Page.get(), Orphan.get()};
  Page->LoadFromXml(All);
  Orphan->LoadFromXml(All);
  EXPECT_EQ(Page->ParentPage(), Home.get());
  EXPECT_TRUE(Page->Highslide);
  EXPECT_FALSE(Page->Mapped);
  EXPECT_EQ(Page->Image, "a.jpg");
  EXPECT_EQ(Page->Title, "<PLK>Prasa<ENU>Press");
  EXPECT_EQ(Page->SuperTitle, "Media");
  EXPECT_EQ(Page->SubmenuTitle, "<PLK>P<ENU>E");
  EXPECT_EQ(Page->ExtraHead, "<x/>");
  EXPECT_EQ(Orphan->ParentPage(), nullptr);
  EXPECT_EQ(FindPage(All, "page"), Page.get());
  EXPECT_EQ(FindPage(All, "Page"), nullptr);
}

class TLabel : public TOrvControl {
  QUIN_CLASS(TLabel, TOrvControl)
 public:
  TLabel() = default;
};
QUIN_IMPLEMENT_CLASS(TLabel, TOrvControl)

class TTestWindow : public TOrvFormForm {
  QUIN_CLASS(TTestWindow, TOrvFormForm)
 public:
  TTestWindow() = default;
  int Applied = 0, Idle = 0;
  TOrvMenu* Main = nullptr;
  TOrvMenu* Popup = nullptr;
  TOrvAction Save;
  void CreateControls() override {
    Add<TLabel>("Label1", "Label1");
    Add<TLabel>("TotalLabel", "Total");
    Add<TLabel>("Other", "Label7");
    Add<TLabel>("Memo", "")->Lines = {"Memo\r\n", "kept"};
    Main = AddMenu(false);
    TWebMenuItem* File = CreateMenuItem(Main->Items, "File", nullptr, nullptr, {}, {}, {});
    CreateMenuItem(*File, " Open ", nullptr, nullptr, {}, {}, {});
    AddSeparatorMenuItem(*File);
    Save.Caption = "Save";
    AddActionMenuItem(*File, &Save);
    Popup = AddMenu(true);
    CreateMenuItem(Popup->Items, "Copy", nullptr, nullptr, {}, {}, {});
  }
  void ApplyTexts() override { ++Applied; }
  void FirstIdle() override { ++Idle; }
};
QUIN_IMPLEMENT_CLASS(TTestWindow, TOrvFormForm)

TEST(OrvFormForm, PlaceholdersTextsPaddingAndFirstIdle) {
  auto W = New<TTestWindow>();
  EXPECT_EQ(W->Controls[0]->Text, "");
  EXPECT_EQ(W->Controls[1]->Text, "Total");
  EXPECT_EQ(W->Controls[2]->Text, "");  // starts with the class name
  EXPECT_EQ(W->Controls[3]->Lines, (std::vector<std::string>{"", "kept"}));
  EXPECT_EQ(W->Applied, 1);
  TWebMenuItem& File = W->Main->Items[0];
  EXPECT_EQ(File.Caption, "File");  // top level of a main menu unchanged
  EXPECT_EQ(File[0].Caption, "Open          ");
  EXPECT_EQ(File[1].Caption, "-");
  EXPECT_EQ(File[2].Caption, "Save          ");
  EXPECT_EQ(W->Popup->Items[0].Caption, "Copy          ");
  W->LanguageChanged();
  EXPECT_EQ(W->Applied, 2);
  EXPECT_EQ(File[0].Caption, "Open          ");  // idempotent
  EXPECT_TRUE(W->ApplicationIdle());
  W->ApplicationIdle();
  EXPECT_EQ(W->Idle, 1);
}

TEST(CreateMenuItem, OwnerTagAndHandlers) {
  TOrvAction A;
  int Clicks = 0;
  auto Loose =
      CreateMenuItem(nullptr, "Loose", &A, nullptr, {}, {}, [&](TWebMenuItem&) { ++Clicks; });
  EXPECT_EQ(Loose->Parent(), nullptr);
  EXPECT_EQ(Loose->TagObject, &A);
  Loose->OnClick(*Loose);
  EXPECT_EQ(Clicks, 1);
  TWebMenuItem Root;
  TOrvMenuItem* I = CreateMenuItem(Root, "In", nullptr, &A, {}, {}, {});
  EXPECT_EQ(I->Parent(), &Root);
  EXPECT_EQ(Root.Count(), 1);
  EXPECT_THROW(Root.Append(nullptr), EListError);
}

}  // namespace
}  // namespace quin
