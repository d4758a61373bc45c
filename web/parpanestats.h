// The statistics pane: statistic kinds are moved from the survey's catalogue (left) to the
// chosen list (right), whose order is the order of the table's statistics.
#pragma once

#include "web/parpanetabs.h"

namespace quin {

class TPelParStats;

class TPelWebParPaneStatsFrame : public TPelWebParPaneWithTabsFrame {
  QUIN_CLASS(TPelWebParPaneStatsFrame, TPelWebParPaneWithTabsFrame)
 public:
  TPelWebParPaneStatsFrame() = default;

  void FillAvailable() override;
  void FillChosen() override;
  void ApplyToObject() override;
  bool CanAdd() const override;
  bool CanClear() const override { return SelectedLB->Count() > 0; }
  bool CanDelete() const override;
  void AddHighlighted() override;
  void DeleteHighlighted() override;
  void ClearChoice() override;
  std::string GetHelpTopic() const override { return "PelWebParPaneStats"; }
  std::string GetAddRefusedMessage() const override;
  bool Validate(std::string& Message) override;
  // Both lists take the kinds' names in the new language; what is chosen and highlighted stays.
  void LanguageChanged() override;

  TPelParStats* Stats() const;

  TWebListBox* AvailableLB = nullptr;
  TWebListBox* SelectedLB = nullptr;

 protected:
  void CreateControls() override;
};

}  // namespace quin
