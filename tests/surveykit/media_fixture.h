// A survey for the media sections' tests: record set 0 held in memory, a data tree with the
// module "media" to hook derived questions to, and the sections read from a definition text
// that the media-section writer makes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "survey_fixture.h"
#include "surveykit/gimdata.h"
#include "surveykit/merenviron.h"
#include "tests/support/memrecset.h"
#include "tools/surveywriter/mediawriter.h"

namespace quin::test {

struct TMediaSurvey {
  TEnglishSession English;
  std::unique_ptr<TTestSurvey> Survey = New<TTestSurvey>("dir/s.zos");
  TMemRecset* Resp = nullptr;
  TOrvMsgList Msgs{200, 200};
  bool Fatal = false;

  // Record set 0 holds Records records and the columns Columns, each all zeros.
  explicit TMediaSurvey(int Records = 4, const std::vector<std::string>& Columns = {}) {
    auto R = std::make_unique<TMemRecset>();
    R->ID = "resp";
    R->Records = Records;
    for (const std::string& C : Columns) R->Columns[C].assign(size_t(Records), 0);
    Resp = R.get();
    Survey->RecsetList->Add(std::move(R));
    Survey->LinkRecsets();
    // The survey's texts in English, as an "environ" block with both languages gives them.
    Survey->Environ->LanguagesList = {"plk", "enu"};
    Survey->Environ->ApplyLanguages();
    Survey->Environ->LangManager->SetLanguage("enu");
  }

  // Reads waves, a data tree with the module "media", then Sections.
  void Read(const std::string& Sections) {
    const std::string Text =
        "def waves end;\r\ndef data\r\n  def module id = media; name = \"Media\"; end;\r\n"
        "end;\r\n" +
        Sections;
    auto Scanner = TRixScanner::CreateFromText(Text, &Msgs);
    Scanner->NextToken();
    try {
      Survey->ReadSections(*Scanner);
    } catch (const EMsgList_FatalError&) {
      Fatal = true;
    }
  }

  std::vector<std::string> Messages() const { return MsgSummary(Msgs); }
  // The data tree's object of class T and identifier ID; null when none.
  template <class T>
  T* Find(const std::string& ID) const {
    return As<T>(Survey->Data->Root->FindObject(T::StaticClass(), ID));
  }
};

// A media object with an identifier and a name.
inline TSwMediaObject SwObject(const std::string& ID, const std::string& Name) {
  TSwMediaObject O;
  O.ID = ID;
  O.Name = Name;
  return O;
}

}  // namespace quin::test
