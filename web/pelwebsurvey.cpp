#include "web/pelwebsurvey.h"

#include "analysis/pelpargroups.h"
#include "analysis/pelparquestions.h"
#include "analysis/pelparstats.h"
#include "surveykit/merenviron.h"
#include "web/controller.h"
#include "web/grouppane.h"
#include "web/parpanequestions.h"
#include "web/parpanestats.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TPelWebSurvey, TPelSurvey)

void TPelWebSurvey::ReadDefinition(TRixScanner& Scanner) {
  TPelSurvey::ReadDefinition(Scanner);
  Environ->LangManager->Hook = &TPelWebSurvey::PostProcessText;
}

void TPelWebSurvey::RegisterParPanes() {
  RegisterParPane(RWClassOf<TPelParGroups>(), &TPelWebParPaneGroupsFrame::StaticClass());
  RegisterParPane(RWClassOf<TPelParDefQuestions>(), &TPelWebParPaneQuestionsFrame::StaticClass());
  RegisterParPane(RWClassOf<TPelParStats>(), &TPelWebParPaneStatsFrame::StaticClass());
}

void TPelWebSurvey::PostProcessText(const std::string& LangCode, std::string& Text) {
  RecodeCp1250ToIso88592(LangCode, Text);
}

}  // namespace quin
