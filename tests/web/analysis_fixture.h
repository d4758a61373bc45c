// A web session logged on as the guest, with a tiny survey open for analysis and the step
// pages' hooks pointing at a parameter list that the test builds (no templates or report
// window needed). The survey: two modules, a folder nested in the first (its name holds
// "+ "), a second module named with "&", numeric questions (one with two numeric responses),
// ten respondents in one wave.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/pelpar.h"
#include "base/langmanager.h"
#include "base/orvstrings.h"
#include "base/text.h"
#include "platform/charset.h"
#include "platform/html.h"
#include "surveykit/gimdata.h"
#include "surveykit/merenviron.h"
#include "tests/web/web_fixture.h"
#include "tools/surveywriter/zoswriter.h"
#include "tools/userswriter.h"
#include "web/logon.h"
#include "web/parstepform.h"
#include "web/pelwebsurvey.h"

namespace quin::test {

inline std::string TinySurveyDefinition() {
  return Cp1250(
      "def environ languages = plk, enu; end;\r\n"
      "def survey namespace = ns; id = tiny; name = \"<PLK>Mała<ENU>Tiny\"; wizards = general; "
      "end;\r\n"
      "def recordset id = resp; name = \"<PLK>Respondenci<ENU>Respondents\";\r\n"
      "  def files colSpec = \"x\"; dataFile = \"y\"; end;\r\n"
      "end;\r\n"
      "def waves def wave id = w1; name = \"W1\"; end; end;\r\n"
      "def data\r\n"
      "  def module id = hh; name = \"<PLK>Gospodarstwo<ENU>Household\";\r\n"
      "    def module id = kids; name = \"<PLK>Dorośli + dzieci<ENU>Adults + children\";\r\n"
      "      def question id = kidsno; name = \"<PLK>Liczba dzieci<ENU>Children\";\r\n"
      "        def responseList column = kids;\r\n"
      "          def response id = k0; name = \"<PLK>brak<ENU>none\"; code = 0; end;\r\n"
      "          def response id = k1; name = \"<PLK>jedno<ENU>one\"; code = 1; end;\r\n"
      "          def response id = k2; name = \"<PLK>dwoje<ENU>two\"; code = 2; end;\r\n"
      "        end;\r\n"
      "      end;\r\n"
      "    end;\r\n"
      "    def question id = size; name = \"<PLK>Wielkość<ENU>Size\"; scale = interval;\r\n"
      "      def response id = persons; name = \"<PLK>Osoby<ENU>Persons\"; column = hhsize;"
      " numeric = 1:8; end;\r\n"
      "    end;\r\n"
      "  end;\r\n"
      "  def module id = people; name = \"<PLK>Ludzie & miejsca<ENU>People & places\";\r\n"
      "    def question id = sex; name = \"<PLK>Płeć<ENU>Sex\";\r\n"
      "      def responseList column = sex;\r\n"
      "        def response id = m; name = \"<PLK>Mężczyzna<ENU>Male\"; code = 1; end;\r\n"
      "        def response id = f; name = \"<PLK>Kobieta<ENU>Female\"; code = 2; end;\r\n"
      "      end;\r\n"
      "    end;\r\n"
      "    def question id = age; name = \"<PLK>Wiek<ENU>Age\"; scale = interval;\r\n"
      "      def response id = years; name = \"<PLK>Lata<ENU>Years\"; column = age;"
      " numeric = 15:99; end;\r\n"
      "    end;\r\n"
      "    def question id = viewing; name = \"<PLK>Oglądanie TV<ENU>TV viewing\";"
      " scale = interval;\r\n"
      "      def response id = wd; name = \"<PLK>Dni robocze<ENU>Weekdays\"; column = tvwd;"
      " numeric = 0:24; end;\r\n"
      "      def response id = we; name = \"<PLK>Weekend<ENU>Weekend\"; column = tvwe;"
      " numeric = 0:24; end;\r\n"
      "    end;\r\n"
      "  end;\r\n"
      "end;\r\n");
}

// The ten respondents.
inline const std::vector<double> kTinySex{1, 2, 1, 2, 1, 2, 1, 2, 1, 2};
inline const std::vector<double> kTinyAge{18, 25, 33, 41, 47, 52, 60, 66, 71, 80};
inline const std::vector<double> kTinyKids{0, 1, 2, 0, 1, 2, 0, 1, 2, 0};
inline const std::vector<double> kTinySize{1, 2, 3, 4, 1, 2, 3, 4, 5, 6};
inline const std::vector<double> kTinyWeekdays{1, 2, 3, 4, 5, 0, 1, 2, 3, 4};
inline const std::vector<double> kTinyWeekend{2, 4, 6, 0, 1, 3, 5, 0, 2, 4};

inline std::string TinySurveyBytes() {
  TSwSurveyWave W;
  W.Records = 10;
  for (auto& [N, V] :
       std::vector<std::pair<std::string, std::vector<double>>>{{"sex", kTinySex},
                                                                {"age", kTinyAge},
                                                                {"kids", kTinyKids},
                                                                {"hhsize", kTinySize},
                                                                {"tvwd", kTinyWeekdays},
                                                                {"tvwe", kTinyWeekend}})
    W.Columns.push_back({N, V, {}});
  return SurveyFileBytes(TinySurveyDefinition(), {{"resp", {W}}});
}

class TAnalysisPageTest : public TWebAppTest {
 protected:
  THobSessionModule& Module() { return TWebAppTest::Module(Sid); }
  // Runs Fn as the session's own code runs: the session and its language bound to the thread.
  template <class F>
  auto InSession(F Fn) {
    TWebSessionBinding Bind(Session);
    TLangManagerBinding Lang(Module().LangManager.get());
    return Fn();
  }
  void SetUp() override {
    TWebAppTest::SetUp();
    Write(Files + "Surveys/Guest/tiny.zos", TinySurveyBytes());
    Write(Files + "Quin.pwd", UsersFileXml({{"qazo", "qazo", "Guest", "Guest"}}));
    SavedHooks = PelWebStepHooks();
    StartServer();
    Sid = Open({{{"lang", "en"}}});
    Session = Sessions.at(Sid);
    auto* F = As<THobLogonForm>(Session->ActiveForm());
    ASSERT_TRUE(F);
    Post(*F->DemoButton, "click");
    bool Opened = InSession([&] { return Module().OpenSurvey("tiny.zos"); });
    ASSERT_TRUE(Opened) << Page(Sid);
    Pars = std::make_unique<TPelParList>(&Survey());
    Pars->BasedOn = Survey().DataBasedOnList->GetItem(0);
    TPelWebStepHooks& H = PelWebStepHooks();
    H.WizardParList = [this](THobSessionModule&) { return Pars.get(); };
    H.WizardName = [](THobSessionModule&) { return Cp1250("<PLK>Tabela<ENU>Table"); };
    H.OpenReportWindow = [this](THobSessionModule&) {
      ++ReportWindows;
      return OpenReportWindowAnswer;
    };
    H.ShowTemplatePage = [this](THobSessionModule&) { ++TemplatePages; };
  }
  void TearDown() override {
    PelWebStepHooks() = SavedHooks;
    Pars.reset();
    TWebAppTest::TearDown();
  }

  TPelWebSurvey& Survey() { return *As<TPelWebSurvey>(Module().Survey.get()); }
  // An event of C with the values of the page's inputs the test gives.
  std::string Post(const TWebControl& C, const std::string& Kind, const std::string& Arg = {},
                   TWebValues V = {}) {
    return Fire(Sid, C, Kind, Arg, std::move(V));
  }
  template <class T>
  T* ActiveAs() {
    return As<T>(Active(Sid));
  }
  template <class T, class... A>
  T* AddPar(A&&... Args) {
    return static_cast<T*>(Pars->AddPar(New<T>(&Survey(), std::forward<A>(Args)...)));
  }
  TPelWebRWObjectForm_Form* Step() { return ActiveAs<TPelWebRWObjectForm_Form>(); }
  std::string Next() { return Post(*Step()->NextButton, "click"); }
  TGimQuestion* Question(const char* ID) { return Survey().Data->FindQuestion(ID, false); }
  TGimStat* Kind(int Index) { return Survey().Info->StatCatalogue.GetItem(Index); }
  // The index of the item captioned Caption; -1 when none.
  static int ItemOf(TWebTreeView& T, const std::string& Caption) {
    for (int I = 0; I < T.Count(); ++I)
      if (T.Item(I).Caption == Caption) return I;
    return -1;
  }
  // The language link of the active page.
  std::string ToggleLanguage() { return Post(*As<TZepForm>(Active(Sid))->LangLink, "click"); }
  // A Polish text as the session's translations hold it (recoded for the pages).
  static std::string Iso(const char* Utf8) { return Cp1250ToIso88592(Cp1250(Utf8)); }
  // The alert as the page carries it.
  static std::string AlertOf(const std::string& Text) {
    return "alert('" + Iso88592ToCp1250(JsEscape(Text)) + "')";
  }

  std::string Sid;
  TWebSession* Session = nullptr;
  TPelWebStepHooks SavedHooks;
  std::unique_ptr<TPelParList> Pars;
  int ReportWindows = 0;
  bool OpenReportWindowAnswer = true;
  int TemplatePages = 0;
};

}  // namespace quin::test
