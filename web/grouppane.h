// The target-group pane: the user opens the question tree, clicks a question, selects some of
// its responses in the list below the tree and adds them. Each added question becomes a
// condition of the group, joined to the others by "and"; the responses of one condition are
// alternatives. A numeric response (an age, a household size) goes through a range dialog
// first. Below the chosen tree the pane describes the group: its size, its maximum error and
// its missing cases.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "web/parpanetabs.h"

namespace quin {

class TGimResponse;
class TPelGroup;
class TPelGroupVar;
class TPelParGroups;

// A numeric response waiting for its range dialog.
struct TCodeNumericResponse {
  // The response is a value of the condition already.
  bool Existing = false;
  // Where a new value is inserted into the condition's values.
  int Index = 0;
  // The response the dialog edits: for an existing value a copy whose codes are the value's
  // current ranges.
  TGimResponse* Response = nullptr;
  // The survey's response (what the condition's value refers to).
  TGimResponse* Source = nullptr;
  std::unique_ptr<TGimResponse> Copy;  // owns Response for an existing value
};
using TCodeNumericResponseList = std::vector<std::unique_ptr<TCodeNumericResponse>>;

class TPelWebParPaneGroupsFrame : public TPelWebParPaneWithTreesFrame {
  QUIN_CLASS(TPelWebParPaneGroupsFrame, TPelWebParPaneWithTreesFrame)
 public:
  TPelWebParPaneGroupsFrame();
  ~TPelWebParPaneGroupsFrame() override;

  void ApplyTexts() override;
  // The inherited highlighting; the list below the tree shows a question's responses.
  void AvailableTVTreeItemClick(TWebTreeItem& Item) override;
  bool CanAdd() const override;
  std::string GetAddRefusedMessage() const override;
  // The responses into the current group (a new one when there is none).
  void AddHighlighted() override;
  // A group, a condition or a value goes; the group is normalised.
  void DeleteHighlighted() override;
  // Every group goes.
  void ClearChoice() override;
  // Groups, their conditions (separated by the operator's name) and values.
  void FillChosen() override;
  std::string GetHelpTopic() const override { return "PelWebParPaneGroups"; }
  void LanguageChanged() override;
  void FrameRegionRender() override;

  // The descriptions of the current group (all cases without one); the hint while nothing is
  // chosen.
  void UpdateInfo();
  TPelParGroups* Groups() const;
  // The group shown first in the chosen tree; null when the tree is empty.
  TPelGroup* CurrentGroup() const;
  void AddResponsesToGroup(TPelGroup* Group);
  void QueueSelectedResponses(TPelGroupVar* Cond);
  // One range dialog per queued response, each over the one before; the last is answered
  // first.
  void OpenRangeDialogs(TPelGroup* Group, TPelGroupVar* Cond);

  TWebListBox* ResponseList = nullptr;
  TWebLabel* InfoText = nullptr;
  TWebRegion* InfoRegion = nullptr;
  TWebLabel* TargetLabel = nullptr;
  TWebLabel* MaxErrLabel = nullptr;
  TWebLabel* MissingLabel = nullptr;
  TCodeNumericResponseList NumericQueue;

 protected:
  void CreateControls() override;
};

}  // namespace quin
