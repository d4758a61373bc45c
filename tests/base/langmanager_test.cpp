#include "base/langmanager.h"

#include <gtest/gtest.h>

#include <thread>

#include "base/systemlocale.h"
#include "base/text.h"

namespace quin {
namespace {

class LangManagerTest : public testing::Test {
 protected:
  void TearDown() override {
    SetSystemLocale(LocaleFromName("en_US"));
    SetProgramArguments({});
  }
};

TEST_F(LangManagerTest, TranslatesSections) {
  auto M = New<TOrvLangManager>("plk");
  struct Case {
    const char* Text;
    const char* Pl;
    const char* En;
  };
  const Case Cases[] = {
      {"<PLK>Anuluj<ENU>Cancel", "Anuluj", "Cancel"},
      {"OK<PLK> (pl)<ENU> (en)<*>!", "OK (pl)!", "OK (en)!"},
      {"<b>Bold</b><ENU>x", "<b>Bold</b>", "<b>Bold</b>x"},
      {"<enu>lower<plk>dolne", "dolne", "lower"},
      {"a < b", "a < b", "a < b"},
      {"<DEU>Abbrechen<ENU>Cancel", "<DEU>Abbrechen", "<DEU>AbbrechenCancel"},
      {"x<y>z<PLK>p", "x<y>zp", "x<y>z"},
      {"<*", "<*", "<*"},
      {"", "", ""},
  };
  for (const Case& C : Cases) {
    EXPECT_EQ(M->TranslateTo(C.Text, "plk"), C.Pl) << C.Text;
    EXPECT_EQ(M->TranslateTo(C.Text, "ENU"), C.En) << C.Text;
  }
  EXPECT_EQ(M->Translate("<PLK>Tak<ENU>Yes"), "Tak");
}

TEST_F(LangManagerTest, LineBreaks) {
  auto M = New<TOrvLangManager>("enu");
  EXPECT_EQ(M->TranslateText("Line 1\\nLine 2"), "Line 1\r\nLine 2");
  EXPECT_EQ(M->TranslateText("Line 1\\nLine 2", "<br>"), "Line 1<br>Line 2");
}

TEST_F(LangManagerTest, ResolvesCodes) {
  auto M = New<TOrvLangManager>("en");
  EXPECT_EQ(M->Current(), "enu");
  struct Case {
    const char* Code;
    const char* Resolved;
  };
  for (const Case& C : {Case{"pl", "plk"}, Case{"en", "enu"}, Case{"ENU", "enu"},
                        Case{"deu", "enu"}, Case{"p", "enu"}, Case{"", "enu"}})
    EXPECT_EQ(M->ResolveLanguage(C.Code), C.Resolved) << C.Code;
  SetSystemLocale(LocaleFromName("de_DE"));
  EXPECT_EQ(New<TOrvLangManager>("")->Current(), "enu");
  SetSystemLocale(LocaleFromName("pl_PL"));
  EXPECT_EQ(New<TOrvLangManager>("")->Current(), "plk");
}

TEST_F(LangManagerTest, PreviousKeepsTheLastRealChange) {
  auto M = New<TOrvLangManager>("plk");
  M->SetLanguage("enu");
  EXPECT_EQ(M->Previous(), "plk");
  M->SetLanguage("en");  // an alias of the current language is no change
  EXPECT_EQ(M->Previous(), "plk");
  EXPECT_EQ(M->Translate("<PLK>Tak<ENU>Yes", true), "Tak");
}

TEST_F(LangManagerTest, SeparatorsFollowTheLanguageOrTheLocale) {
  auto M = New<TOrvLangManager>("plk");
  EXPECT_FALSE(M->SeparatorsFollowLanguage());
  EXPECT_EQ(M->FormatSettings.DecimalSeparator, '.');  // the pinned en_US locale
  EXPECT_EQ(M->FormatSettings.ShortDateFormat, "M/d/yyyy");
  M->SetSeparatorsByLanguage(true);
  EXPECT_EQ(M->FormatSettings.DecimalSeparator, ',');
  EXPECT_EQ(M->FormatSettings.ThousandSeparator, ' ');
  EXPECT_EQ(M->FormatSettings.ListSeparator, ';');
  // The date patterns follow the language too.
  EXPECT_EQ(M->FormatSettings.ShortDateFormat, "yyyy-mm-dd");
  EXPECT_EQ(M->FormatSettings.DateSeparator, '-');
  EXPECT_EQ(M->FormatSettings.LongTimeFormat, "hh:nn:ss");
  M->SetLanguage("enu");
  EXPECT_EQ(M->FormatSettings.DecimalSeparator, '.');
  EXPECT_EQ(M->FormatSettings.ThousandSeparator, ',');
  EXPECT_EQ(M->FormatSettings.ListSeparator, ',');
  EXPECT_EQ(M->FormatSettings.ShortDateFormat, "M/d/yyyy");
  EXPECT_EQ(M->FormatSettings.DateSeparator, '/');
  EXPECT_EQ(M->FormatSettings.LongTimeFormat, "h:nn:ss AMPM");
  SetSystemLocale(LocaleFromName("pl_PL"));
  M->SetSeparatorsByLanguage(false);  // reloaded from the locale
  EXPECT_EQ(M->FormatSettings.DecimalSeparator, ',');
  EXPECT_EQ(M->FormatSettings.ShortDateFormat, "yyyy-mm-dd");
}

TEST_F(LangManagerTest, HookPostProcessesEveryTranslation) {
  auto M = New<TOrvLangManager>("enu");
  std::string SeenCode;
  M->Hook = [&](const std::string& Code, std::string& Text) {
    SeenCode = Code;
    Text += "!";
  };
  EXPECT_EQ(M->Translate("plain"), "plain!");  // walked and post-processed, no "<" inside
  EXPECT_EQ(M->TranslateTo("<PLK>a<ENU>b", "plk"), "a!");
  EXPECT_EQ(SeenCode, "enu");  // the hook gets the current language
}

TEST_F(LangManagerTest, SingleLanguageShortCut) {
  struct TOneLang : TOrvLangManager {
    using TOrvLangManager::TOrvLangManager;
    void RegisterLanguages() override { AddLanguage("plk"); }
  };
  auto M = New<TOneLang>("plk");
  EXPECT_EQ(M->Languages().size(), 1u);
  EXPECT_EQ(M->Translate("abc"), "abc");
  EXPECT_EQ(M->Translate("<PLK>a<ENU>b"), "a<ENU>b");
  M->AddLanguage("PLK");
  EXPECT_EQ(M->Languages().size(), 1u);
}

TEST_F(LangManagerTest, CurrentManagerIsPerThread) {
  auto Pl = New<TOrvLangManager>("plk");
  auto En = New<TOrvLangManager>("enu");
  EXPECT_FALSE(HasSessionLangManager());
  EXPECT_EQ(CurrentLangManager().Current(), "plk");  // the fallback
  std::string A, B;
  std::thread T1([&] {
    TLangManagerBinding G(Pl.get());
    A = CurrentLangManager().Translate("<PLK>Tak<ENU>Yes");
  });
  std::thread T2([&] {
    TLangManagerBinding G(En.get());
    B = CurrentLangManager().Translate("<PLK>Tak<ENU>Yes");
  });
  T1.join();
  T2.join();
  EXPECT_EQ(A, "Tak");
  EXPECT_EQ(B, "Yes");
  {
    TLangManagerBinding G(En.get());
    EXPECT_TRUE(HasSessionLangManager());
    {
      TLangManagerBinding Inner(Pl.get());
      EXPECT_EQ(&CurrentLangManager(), Pl.get());
    }
    EXPECT_EQ(&CurrentLangManager(), En.get());
  }
  EXPECT_FALSE(HasSessionLangManager());
}

TEST_F(LangManagerTest, CommandLineForcesTheSessionLanguage) {
  auto M = New<TOrvLangManager>("plk");
  SetProgramArguments({"-lang:plk", "-port", "-lang:deu", "-lang:enu"});
  TLangManagerBinding G(M.get());
  EXPECT_EQ(CurrentLangManager().Current(), "enu");  // the last one wins
  SetProgramArguments({"-lang:enu", "-lang:plk"});
  EXPECT_EQ(CurrentLangManager().Current(), "plk");
}

TEST_F(LangManagerTest, RecodePolishLetters) {
  const unsigned char From[18] = {0xA5, 0xC6, 0xCA, 0xA3, 0xD1, 0xD3, 0x8C, 0x8F, 0xAF,
                                  0xB9, 0xE6, 0xEA, 0xB3, 0xF1, 0xF3, 0x9C, 0x9F, 0xBF};
  const unsigned char To[18] = {0xA1, 0xC6, 0xCA, 0xA3, 0xD1, 0xD3, 0xA6, 0xAC, 0xAF,
                                0xB1, 0xE6, 0xEA, 0xB3, 0xF1, 0xF3, 0xB6, 0xBC, 0xBF};
  std::string S = Cp1250("Pią ŚĆ żółw");
  RecodePolishLetters(S, From, To);
  EXPECT_EQ(S, "Pi\xB1 \xA6\xC6 \xBF\xF3\xB3w");
}

}  // namespace
}  // namespace quin
