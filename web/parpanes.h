// The bases of the panes that edit an object of an analysis: a pane that writes its controls
// into the object and fills them from it, and the parameter pane with its header line, its
// check before the step page moves on and its help topic.
#pragma once

#include <string>

#include "web/zepform.h"

namespace quin {

class TPelRWObject;
class TPelPar;

class TPelWebRWObjectPaneFrame : public TZepFrame {
  QUIN_CLASS(TPelWebRWObjectPaneFrame, TZepFrame)
 public:
  TPelWebRWObjectPaneFrame();

  // The object the pane edits; not owned.
  TPelRWObject* Obj = nullptr;

  // Writes the controls into Obj.
  virtual void ApplyToObject() {}
  // Fills the controls from Obj.
  virtual void LoadFromObject() {}
};

class TPelWebParPaneFrame : public TPelWebRWObjectPaneFrame {
  QUIN_CLASS(TPelWebParPaneFrame, TPelWebRWObjectPaneFrame)
 public:
  TPelWebParPaneFrame() = default;
  // Creates a pane of PaneClass as the last child of Parent, named Name, editing Par: the
  // pane's controls and texts, then FillAvailable and FillChosen. Raises Exception when
  // PaneClass is no parameter pane.
  static TPelWebParPaneFrame* Create(const ClassInfo& PaneClass, TWebContainer& Parent,
                                     std::string Name, TPelPar* Par);

  // Creation (through Create): the inherited one, then FillAvailable and FillChosen.
  void AfterConstruction() override;

  // The controls that do not depend on the parameter.
  virtual void FillAvailable() {}
  // The controls that show the parameter's choice.
  virtual void FillChosen() { LoadFromObject(); }
  virtual std::string GetHelpTopic() const { return {}; }
  // Whether the pane's entries may be applied; Message tells the user what is missing.
  virtual bool Validate(std::string& Message) { return true; }
  // Before each rendering: the parameter's header line above the pane, and the layout of the
  // controls in the pane's size.
  virtual void FrameRegionRender();

  TPelPar* GetPar() const;
  // The pane's page is the current step (a pane elsewhere always is). Events of a pane left
  // over do nothing.
  bool PageIsCurrent() const;

  TWebRegion* WizHeaderRegion = nullptr;
  TWebLabel* WizHeaderText = nullptr;

 protected:
  void CreateControls() override;
};

// The height of the header line above a parameter pane.
inline constexpr int kWizHeaderHeight = 37;

}  // namespace quin
