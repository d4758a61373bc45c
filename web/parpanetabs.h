// Parameter panes that move elements from an "available" side to a "selected" side with the
// Add, Delete and Clear buttons, and the variant whose two sides are trees over the survey's
// data tree (modules, folders and questions), whose folders open when first clicked.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "web/parpanes.h"

namespace quin {

class TGimModule;
class TGimSimpleDataObject;
struct TWebTreeItem;

class TPelWebParPaneWithTabsFrame : public TPelWebParPaneFrame {
  QUIN_CLASS(TPelWebParPaneWithTabsFrame, TPelWebParPaneFrame)
 public:
  TPelWebParPaneWithTabsFrame() = default;
  // The inherited creation, then UpdateButtons.
  void AfterConstruction() override;
  void ApplyTexts() override;
  // The two sides and the buttons between them in the pane's width.
  void FrameRegionRender() override;

  virtual bool CanAdd() const { return true; }
  virtual bool CanClear() const { return true; }
  virtual bool CanDelete() const { return true; }
  virtual void ClearChoice() {}
  virtual void DeleteHighlighted() {}
  virtual void AddHighlighted() {}
  virtual std::string GetAddRefusedMessage() const { return {}; }
  virtual std::string GetDeleteRefusedMessage() const;

  // The Clear button is enabled while there is something to clear.
  void UpdateButtons();
  void AddButtonClick();
  void DelButtonClick();
  void ClearButtonClick();

  TWebButton* AddButton = nullptr;
  TWebButton* ClearButton = nullptr;
  TWebButton* DelButton = nullptr;
  TWebRegion* AvailableRegion = nullptr;
  TWebRegion* AvailableRegionTop = nullptr;
  TWebLabel* AvailableLabel = nullptr;
  TWebRegion* AvailableRegionInner = nullptr;
  TWebRegion* SelectedRegion = nullptr;
  TWebRegion* SelectedRegionTop = nullptr;
  TWebLabel* SelectedLabel = nullptr;
  TWebRegion* SelectedRegionInner = nullptr;

 protected:
  void CreateControls() override;
  // Shows an alert on the pane's page.
  void Alert(const std::string& Text) const;
  // The check before the step moves on: true with a choice, or without one when the parameter
  // allows that; otherwise Message is the bilingual Template (UTF-8) with the Add button's
  // caption for its "%s".
  bool CheckChoice(bool Chosen, std::string_view Template, std::string& Message) const;
  // The width of one side after the last rendering's layout.
  int SideWidth() const { return AvailableRegion->Width; }
};

class TPelWebParPaneWithTreesFrame : public TPelWebParPaneWithTabsFrame {
  QUIN_CLASS(TPelWebParPaneWithTreesFrame, TPelWebParPaneWithTabsFrame)
 public:
  TPelWebParPaneWithTreesFrame() = default;

  // The root module's children, collapsed.
  void FillAvailable() override;
  bool CanAdd() const override { return HighlightedAvailable != nullptr; }
  bool CanClear() const override;
  bool CanDelete() const override { return HighlightedChosen != nullptr; }
  void ClearChoice() override;
  void LanguageChanged() override;

  // A new item of View under Parent for Obj; a folder (an object with children) is captioned
  // "+ " and its name until it is opened.
  TWebTreeItem* AddTreeItem(TWebTreeView& View, TGimSimpleDataObject* Obj, bool Expanded,
                            TWebTreeItem* Parent);
  void AddModuleItems(TWebTreeView& View, TGimSimpleDataObject* Module, bool Expanded,
                      TWebTreeItem* Parent);
  // The chosen tree: every object of Module's subtree that is in List or holds something that
  // is, in tree order.
  void AddChosenItems(TGimSimpleDataObject* Module, const std::vector<TObject*>& List,
                      bool Expanded);
  // Highlights Item; an unopened folder gets its children.
  virtual void AvailableTVTreeItemClick(TWebTreeItem& Item);
  virtual void SelectedTVTreeItemClick(TWebTreeItem& Item);
  void OpenFolder(TWebTreeItem& Item);
  // The caption anew from the object's name in the current language.
  void RecaptionItem(TWebTreeItem& Item);
  // The survey's data tree; null without a survey.
  TGimModule* RootModule() const;

  TWebTreeView* AvailableTV = nullptr;
  TWebTreeView* SelectedTV = nullptr;
  TWebTreeItem* HighlightedAvailable = nullptr;
  TWebTreeItem* HighlightedChosen = nullptr;

 protected:
  void CreateControls() override;
  // Empties the chosen tree (and forgets its highlight).
  void ClearSelectedTV();
};

// The caption that marks an unopened folder.
inline constexpr const char* kUnopenedMark = "+ ";

}  // namespace quin
