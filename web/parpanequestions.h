// The questions pane: questions and whole folders are moved from the survey's question tree
// to the chosen tree, which shows the chosen questions with the folders above them.
#pragma once

#include "web/parpanetabs.h"

namespace quin {

class TPelParDefQuestions;

class TPelWebParPaneQuestionsFrame : public TPelWebParPaneWithTreesFrame {
  QUIN_CLASS(TPelWebParPaneQuestionsFrame, TPelWebParPaneWithTreesFrame)
 public:
  TPelWebParPaneQuestionsFrame() = default;

  void FillAvailable() override;
  void FillChosen() override;
  // The questions of the chosen tree in its order; folders are not stored.
  void ApplyToObject() override;
  void AddHighlighted() override;
  void DeleteHighlighted() override;
  void ClearChoice() override;
  std::string GetHelpTopic() const override { return "PelWebParPaneQuestions"; }
  std::string GetAddRefusedMessage() const override;
  bool Validate(std::string& Message) override;
  void LanguageChanged() override;

  TPelParDefQuestions* Questions() const;
};

}  // namespace quin
