// Analysis parameters: an analysis is a list of parameters, each a savable object that either
// forms a table dimension (a sequence of items, each with a result element and a label) or
// carries options. The multi-parameter is the common shape of most dimensions: an ordered list
// of named sub-parameters, each a selection of elements (codes) of the survey.
//
// Positions are pairs of integers. In the one-dimensional layout X is the item and Y the
// header column; in the two-dimensional layout (row headers whose group titles take rows of
// their own) X is the header column and Y the row. Unless a class says otherwise, the
// two-dimensional operations are the one-dimensional ones with the pair swapped.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/pelrwobject.h"
#include "base/guid.h"

namespace quin {

class TPelResElem;
class TPelParList;
class TPelParSelections;
class TPelDataBasedOn;
class TPelSubPar;
class TPelParMulti;
class TMerRecset;
class TGimWeight;
class TOrvRandGen;

struct TPelPos {
  int X = 0;
  int Y = 0;
  TPelPos Swapped() const { return {Y, X}; }
};
// The extent of a grid of positions.
using TPelDims = TPelPos;

using TPelResElemVec = std::vector<TPelResElem*>;  // elements the caller owns; nil entries
using TPelLabels = std::vector<std::string>;

class TPelPar : public TPelRWObject {
  QUIN_CLASS(TPelPar, TPelRWObject)
 public:
  explicit TPelPar(TPelSurvey* ASurvey = nullptr) : TPelRWObject(ASurvey) {}
  TPelPar(const TPelPar&) = default;

  bool SubTotal = false;      // "subTotal"
  bool Total = false;         // "total"
  bool NotDimension = false;  // tables do not take it into their lists
  bool NotAsked = false;      // the page-by-page setting of a new analysis skips it
  TPelParList* Owner = nullptr;
  uint8_t PaneVariant = 0;    // 0 the default pane, 1 the alternative one
  TPelPar* Parent = nullptr;  // the parameter this one was derived from; earlier in Owner
  bool AxesWanted = false;
  bool AxesStale = false;
  int32_t Selected = 0;  // "selected": the layer item shown first
  TPelParList* TableCols = nullptr;
  TPelParList* TableLayers = nullptr;
  TPelParList* TableRows = nullptr;
  TPelParSelections* TableLayerSelections = nullptr;
  std::string HeaderText;     // bilingual
  std::string CaptionSuffix;  // bilingual
  int32_t DesktopSetting = 0;

  // Create through Class, then both texts.
  static std::unique_ptr<TPelPar> CreateWithTexts(const TPelRWClass& Class, TPelSurvey* ASurvey,
                                                  std::string_view ACaptionSuffix,
                                                  std::string_view AHeaderText);
  // The virtual constructor in a list: Create(Survey), Owner := ParList (not appended).
  static std::unique_ptr<TPelPar> CreateInList(const TPelRWClass& Class, TPelSurvey* ASurvey,
                                               TPelParList* ParList);
  // HeaderText translated by the session's language manager.
  std::string GetHeaderText() const;
  uint8_t GetPaneVariant() const { return PaneVariant; }
  void SetPaneVariant(uint8_t V) { PaneVariant = V; }

  // ---- Overrides of the savable object
  std::string GetDisplayName() const override;
  std::string GetTypeName() const override { return GetKeyword(); }
  void Assign(const TPelRWObject& Source) override;
  bool ReadKey(TRixScanner& Scanner) override;
  void WriteBody(TStream& Stream, int& Indent) const override;

  // ---- Parameter operations
  virtual void Prepare() {}
  virtual TPelResElem* CreateAllItemsElem() { return nullptr; }
  virtual bool UnaskedFlagC() const { return false; }
  // A web pane refuses to close while nothing is chosen unless this holds.
  virtual bool AllowsEmpty() const { return false; }
  // The display name carries the class ordinal.
  virtual bool NumbersRepeatedName() const { return false; }
  virtual bool UnaskedFlagD() const { return false; }
  virtual bool UnaskedFlagE() const { return true; }
  // The display name cut to 50 characters and "...".
  virtual std::string GetShortCaption() const;
  virtual std::string GetCaption() const { return GetDisplayName(); }
  virtual void RestrictToRecset(TMerRecset* Recset) {}
  // The comment on an item (or the whole dimension) below a table; Option 1 asks for HTML
  // (texts escaped, significance markers as images), 0 for plain text.
  virtual std::string GetItemInfoText(int Option, int Index) const { return {}; }
  virtual std::string GetDimInfoText(int Option, int Index) const {
    return GetItemInfoText(Option, Index);
  }
  virtual bool HasDimInfoText() const { return false; }
  // Result elements are evaluated through per-record-set case flags.
  virtual bool UsesCaseGroups() const { return false; }
  // After a report's parameter list was read.
  virtual void ResolveLinks(TPelParList* ParList) {}
  // The 2D label of the nearest group-start row at or before Row; empty when none.
  virtual std::string GetGroupLabel2D(int Row, bool Selectable, bool Means, bool Detail,
                                      bool LabelSwitch, bool ShowCodes);
  virtual int GetGroupCount(bool Selectable, bool Means, bool Detail) { return 0; }
  virtual int GetGroupCount2D(bool Selectable, bool Means, bool Detail) { return 0; }
  virtual void ClearTexts();
  // Only elements of case-filtering parameters restrict a cell's cases.
  virtual bool FiltersCases() const { return true; }
  // The parameter's item Index (-1: any item) counts press days: tables then lay out the
  // parameters' day items. No general parameter does.
  virtual bool UsesDays(int Index) const { return false; }
  // Listed in the report window's "Edit" menu.
  virtual bool IsEditable() const { return true; }
  virtual bool UnaskedFlagF() const { return IsEditable(); }
  virtual bool IsGroupStart(TPelPos Pos, bool Selectable, bool Means, bool Detail) { return false; }
  virtual bool IsGroupStart2D(int Row, bool Selectable, bool Means, bool Detail) { return false; }
  // IsGroupStart2D of the rows 0 .. Rows - 1 at once (a layout asks for every row); a parameter
  // whose test lists its items overrides it to list them once.
  virtual std::vector<uint8_t> GroupStarts2D(int Rows, bool Selectable, bool Means, bool Detail);
  virtual bool IsApplicable(const TPelParList* ParList) const { return true; }
  // Whether the default pane suffices.
  virtual bool IsSimple() const { return true; }
  // Random content for generated test analyses.
  virtual void Randomize(TOrvRandGen& Gen) {}

  // ---- Items: result elements (the caller owns them; nil outside the items)
  virtual TPelResElem* CreateResElemAt(TPelPos Pos, bool Selectable, bool Means, bool Detail) {
    return nullptr;
  }
  virtual TPelResElem* CreateResElem(int Index);
  virtual TPelResElem* CreateResElemAt2D(TPelPos Pos, bool Selectable, bool Means, bool Detail);
  // Over the GetDims grid, item by item, header column inside.
  virtual TPelResElemVec CreateResElemList(bool Selectable, bool Means, bool Detail);
  // CreateResElem(i) for every item.
  virtual TPelResElemVec CreateAllResElems();
  // Over the GetDims2D grid, row by row.
  virtual TPelResElemVec CreateResElemList2D(bool Selectable, bool Means, bool Detail);
  virtual int GetResponseAxisIndex() const { return -1; }
  // Response-axis dimensions a table inserts after this parameter.
  virtual int GetExtraAxisCount() { return 0; }
  // A new response-axis parameter for axis Index, placed in Owner; nil when none.
  virtual TPelPar* CreateAxisPar(int Index) { return nullptr; }

  // ---- Items: extent and labels
  virtual TPelDims GetDims(bool Selectable, bool Means, bool Detail) { return {}; }
  virtual int GetItemCount() {
    return GetDims(/*Selectable=*/true, /*Means=*/false, /*Detail=*/true).X;
  }
  virtual TPelDims GetDims2D(bool Selectable, bool Means, bool Detail) {
    return GetDims(Selectable, Means, Detail).Swapped();
  }
  virtual bool UnaskedFlagG() const { return true; }
  virtual bool HasSubTotalItem() const { return false; }
  virtual bool KeepsTotalKey() const { return false; }
  // Whether an item takes data from another record set than Recset.
  virtual bool UsesOtherRecset(TMerRecset* Recset) { return false; }
  virtual std::string GetLabelAt(TPelPos Pos, bool Selectable, bool Means, bool Detail,
                                 bool LabelSwitch, bool ShowCodes) {
    return {};
  }
  virtual std::string GetLabel(int Index);
  virtual std::string GetLabelAt2D(TPelPos Pos, bool Selectable, bool Means, bool Detail,
                                   bool LabelSwitch, bool ShowCodes);
  virtual TPelLabels GetLabelList(bool Selectable, bool Means, bool Detail, bool LabelSwitch,
                                  bool ShowCodes);
  virtual TPelLabels GetAllLabels();
  virtual TPelLabels GetLabelList2D(bool Selectable, bool Means, bool Detail, bool LabelSwitch,
                                    bool ShowCodes);

 protected:
  TPelPar& operator=(const TPelPar&) = default;
  // The grid walks of the list operations: the outer loop runs at least once.
  template <class F>
  static void WalkGrid(TPelDims Dims, bool RowsFirst, F&& Visit);
};

template <class F>
void TPelPar::WalkGrid(TPelDims Dims, bool RowsFirst, F&& Visit) {
  const int Outer = RowsFirst ? Dims.Y : Dims.X;
  const int Inner = RowsFirst ? Dims.X : Dims.Y;
  for (int O = 0; O < std::max(Outer, 1); ++O)
    for (int I = 0; I < Inner; ++I) Visit(RowsFirst ? TPelPos{I, O} : TPelPos{O, I});
}

// ---- Elements and sub-parameters of multi-parameters

// One selected element of a sub-parameter.
class TPelSubElem : public TOrvObject {
  QUIN_CLASS(TPelSubElem, TOrvObject)
 public:
  TPelSubElem() = default;
  // The code written in the "list" key.
  virtual std::string GetCode() const = 0;
  // Whether this element continues a run of successive elements after Prev.
  virtual bool IsSuccessorOf(const TPelSubElem* Prev) const { return false; }
  // Elements that carry more than a code write a block of their own.
  virtual void WriteBlock(TStream& Stream, int& Indent) const {}

 protected:
  TPelSubElem(const TPelSubElem&) = default;
};

class TPelSubElemList : public TOrvTypedList<TPelSubElem> {
  QUIN_CLASS(TPelSubElemList, TOrvObjectList)
 public:
  TPelSubElemList() : TOrvTypedList(true) {}
  TPelSubElemList(const TPelSubElemList&) = default;
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TPelSubElemList(*this));
  }
};

// A named selection of elements of a multi-parameter, identified by its GUID. Create with
// New<T>(Survey, Owner).
class TPelSubPar : public TOrvObject {
  QUIN_CLASS(TPelSubPar, TOrvObject)
 public:
  TPelSubPar(TPelSurvey* ASurvey = nullptr, TPelParMulti* AOwner = nullptr);
  // Copies every field and deep-copies the elements; the GUID is kept.
  TPelSubPar(const TPelSubPar& Source);
  TPelSubPar& operator=(const TPelSubPar&) = delete;
  // The element list, when HasElemList.
  void AfterConstruction() override;

  bool AutoNamed = true;
  bool Expanded = true;  // desktop tree state
  bool Grouped = false;  // one combined item instead of one per element
  TGUID GUID;
  bool Hidden = false;  // left out of the items
  std::string Name;
  TPelParMulti* Owner = nullptr;
  std::unique_ptr<TPelSubElemList> Elems;
  TPelSurvey* Survey = nullptr;

  // A copy with a fresh GUID.
  std::unique_ptr<TPelSubPar> CreateCopyNewGUID() const;
  std::string GetName() const { return AutoNamed ? GetDefaultName() : Name; }
  void SetName(std::string_view AName);
  int ElemCount() const { return Elems ? Elems->Count() : 0; }

  // The element for one code of the "list" key; nil skips the code.
  virtual std::unique_ptr<TPelSubElem> CreateElemFromCode(const std::string& Code) {
    return nullptr;
  }
  // One key of the class; True when the instruction was taken.
  virtual bool ReadKey(TRixScanner& Scanner, TPelSurvey* ASurvey) { return false; }
  virtual bool WritesElemsAsList() const { return true; }
  // Random selection (the base chooses nothing).
  virtual void Randomize(TOrvRandGen& Gen) {}
  // Element labels joined by ", "; with AsRanges runs of successive elements collapse into
  // "first .. last".
  virtual std::string GetListText(bool AsRanges) const;
  virtual void Clear();
  virtual int GetCount() const { return GetItemCount(true); }
  virtual std::string GetElemLabel(int Index) const { return GetItemLabel(Index, true); }
  // The element for the whole sub-parameter; nil in the base.
  virtual TPelResElem* CreateResElem() { return nullptr; }
  virtual bool HasElemList() const { return true; }
  virtual int GetImageIndex() const;
  virtual bool IsSimple() const;
  virtual std::string GetDefaultName() const { return {}; }
  virtual TPelResElem* CreateItemElem(int Index, bool Detail) { return nullptr; }
  TPelResElem* CreateItemElemDefault(int Index) { return CreateItemElem(Index, true); }
  virtual void ReadBody(TRixScanner& Scanner, TPelSurvey* ASurvey);
  virtual bool ElemsAreItems() const { return HasElemList(); }
  virtual int GetItemCount(bool Detail) const { return ElemCount(); }
  int GetItemCountDefault() const { return GetItemCount(true); }
  virtual std::string GetItemLabel(int Index, bool Detail) const { return {}; }
  virtual std::string GetItemLabelDefault(int Index) const { return GetItemLabel(Index, true); }
  virtual std::string GetRangeStartLabel(int Index) const { return GetElemLabel(Index); }
  virtual std::string GetRangeEndLabel(int Index) const { return GetElemLabel(Index); }
  virtual void WriteBody(TStream& Stream, int& Indent) const;
};

class TPelSubParList : public TOrvTypedList<TPelSubPar> {
  QUIN_CLASS(TPelSubParList, TOrvObjectList)
 public:
  TPelSubParList() : TOrvTypedList(true) {}
  TPelSubParList(const TPelSubParList&) = default;
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TPelSubParList(*this));
  }
};

// A parameter made of sub-parameters.
class TPelParMulti : public TPelPar {
  QUIN_CLASS(TPelParMulti, TPelPar)
 public:
  explicit TPelParMulti(TPelSurvey* ASurvey = nullptr);
  // Deep-copies the sub-parameters (GUIDs kept) and makes this parameter their owner.
  TPelParMulti(const TPelParMulti& Source);

  std::unique_ptr<TPelSubParList> SubPars;

  TPelSubPar* SubPar(int Index) const { return SubPars->GetItem(Index); }
  int SubParCount() const { return SubPars->Count(); }
  // Appends Sub (owned) with this parameter as its owner.
  TPelSubPar* AddSubPar(std::unique_ptr<TPelSubPar> Sub);
  // Base + " (k)" for the first k = 1, 2, ... that no sub-parameter's name equals.
  std::string MakeUniqueSubParName(std::string_view Base) const;

  // ---- Class answers and hooks
  // List texts write runs of successive elements as ranges.
  virtual bool ShowsRanges() const { return false; }
  virtual std::string GetSelectionCaption() const { return {}; }
  virtual void DeleteSubPar(int Index);
  // A new sub-parameter of the class's own kind, not appended; with a generator Random, of
  // random content.
  virtual std::unique_ptr<TPelSubPar> NewSubPar(TOrvRandGen* Random) = 0;
  // Random filling stops after one sub-parameter.
  virtual bool SingleSubPar() const { return false; }
  // A sub-parameter of several elements also yields one combined item ahead of them.
  virtual bool HasSubParTotals() const { return true; }

  // ---- Overrides
  void AfterLoadFromFile() override;
  bool IsEmpty() const override { return SubPars->Empty(); }
  void ReadBody(TRixScanner& Scanner, TPelSurvey* ASurvey) override;
  void ClearIdentity() override;
  bool UnaskedFlagB() const override { return true; }
  void WriteBody(TStream& Stream, int& Indent) const override;
  std::string GetItemInfoText(int Option, int Index) const override;
  bool IsSimple() const override;
  void Randomize(TOrvRandGen& Gen) override;
  TPelDims GetDims(bool Selectable, bool Means, bool Detail) override;
  TPelResElem* CreateResElemAt(TPelPos Pos, bool Selectable, bool Means, bool Detail) override;
  std::string GetLabelAt(TPelPos Pos, bool Selectable, bool Means, bool Detail, bool LabelSwitch,
                         bool ShowCodes) override;
  int GetItemCount() override;
  TPelResElem* CreateResElem(int Index) override;
  std::string GetLabel(int Index) override;

  // The flat item Index: its sub-parameter and its element (-1 for the whole sub-parameter);
  // False outside the items.
  bool LocateFlatItem(int Index, TPelSubPar*& Sub, int& Elem) const;

 protected:
  TPelParMulti& operator=(const TPelParMulti& Source);
  // The grid item Index, as LocateFlatItem.
  bool LocateGridItem(int Index, bool Detail, TPelSubPar*& Sub, int& Elem) const;
  // Sets Sub's GUID on an element that was made for it.
  static TPelResElem* Stamp(TPelResElem* Elem, const TPelSubPar& Sub);
};

// ---- The parameters of an analysis or template

class TPelParList : public TOrvTypedList<TPelPar> {
  QUIN_CLASS(TPelParList, TOrvObjectList)
 public:
  explicit TPelParList(TPelSurvey* ASurvey = nullptr, bool AOwnsObjects = true)
      : TOrvTypedList(AOwnsObjects), Survey(ASurvey) {}
  // Survey, data basis and weighting taken over; every parameter prepared, cloned, the clone
  // prepared and owned by the new list; parents re-linked to the clones.
  TPelParList(const TPelParList& Source);
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TPelParList(*this));
  }

  TPelDataBasedOn* BasedOn = nullptr;  // not owned
  TPelSurvey* Survey;
  TGimWeight* Weight = nullptr;  // not owned

  void PrepareAll();
  // The N-th parameter (from 0) of Class exactly (Exact) or derived from it; null when none.
  TPelPar* FindByClass(const ClassInfo& Class, bool Exact, int N = 0) const;
  int CountByClass(const ClassInfo& Class, bool Exact) const;
  // The first parameter of exactly Class; -1 when none.
  int IndexOfClass(const ClassInfo& Class) const;
  // Par's owner becomes this list; appended; returned.
  TPelPar* AddPar(std::unique_ptr<TPelPar> Par);
  // The parameters derived from the one at Index (recursively), then itself.
  void DeleteWithDependants(int Index);
  void RemoveEmpty();
  // 0 when Par's exact class occurs at most once; otherwise Par's 1-based position among the
  // parameters of its class (0 when Par is not in the list).
  int GetClassOrdinal(const TPelPar* Par) const;
  // Deletes the parameters whose class the survey mode does not offer.
  void DropUnavailable(uint8_t Mode);
  virtual TPelParMulti* FindMultiParBySubParGUID(const TGUID& GUID) const;
  virtual void SyncAll();
};

// The layer item a table shows first, per parameter.
class TPelParSelections : public TOrvObject {
  QUIN_CLASS(TPelParSelections, TOrvObject)
  QUIN_COPY(TPelParSelections)
 public:
  TPelParSelections() = default;
  TPelParSelections(const TPelParSelections&) = default;

  struct TPair {
    TPelPar* Par;  // not owned
    int Index;
  };
  std::vector<TPair> Pairs;

  // Index limited to the item count - 1, then to at least 0.
  static void ClampIndex(TPelPar* Par, int& Index);
  void SetSelected(TPelPar* Par, int Index);
  // Par's stored index, clamped; 0 without a pair.
  int GetSelected(TPelPar* Par) const;
  void InitFromPars(const TPelParList& ParList);
  // The body of a "parSelections" block, its "def" and key read.
  void ReadFromScanner(TRixScanner& Scanner, const TPelParList& ParList);
  // A "parSelections" block when some pair holds an index above 0.
  void WriteToStream(TStream& Stream, int& Indent, const TPelParList& ParList) const;
};

// Text as an information text of Option: escaped for HTML (Option 1), else as it stands.
std::string InfoTextFor(int Option, std::string_view Text);

}  // namespace quin
