// The survey of a web session: an analysis survey in the web mode, whose own texts are only
// recoded for the pages (they keep their "&"), and which registers the web's parameter panes.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "analysis/pelsurvey.h"

namespace quin {

class TPelWebSurvey : public TPelSurvey {
  QUIN_CLASS(TPelWebSurvey, TPelSurvey)
 public:
  // Create with New<TPelWebSurvey>(FileName); the file is not read yet.
  explicit TPelWebSurvey(std::string_view AFileName = "") : TPelSurvey(AFileName, 1) {}

  // The inherited reading; then the survey's language manager post-processes with
  // PostProcessText.
  void ReadDefinition(TRixScanner& Scanner) override;
  // The target-group, questions and statistics panes.
  void RegisterParPanes() override;

  static void PostProcessText(const std::string& LangCode, std::string& Text);

  // Expires when the survey is freed: pages that point into it tell by this that they are
  // left over from a survey closed under them.
  std::weak_ptr<const bool> LifeToken() const { return FLife; }

 private:
  std::shared_ptr<const bool> FLife = std::make_shared<const bool>(true);
};

}  // namespace quin
