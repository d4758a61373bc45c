// The press parameters: "pressTitles" chooses press titles, optionally restricted to weekdays,
// and "pressInds" chooses press indicators with their parameter codes or responses. The title
// parameter also gathers the chosen titles and weekday masks of a whole parameter list, which
// the price and insertion parameters and the cell computation follow.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/pelparmedia.h"
#include "analysis/pelreselem.h"
#include "base/orvdays.h"

namespace quin {

class TGimPress;
class TGimPressTitle;
class TGimPressInd;
class TMerResponseList;
class TRixCodeList;

// One chosen press title.
class TPelSubElemPressTitle : public TPelSubElem {
  QUIN_CLASS(TPelSubElemPressTitle, TPelSubElem)
  QUIN_COPY(TPelSubElemPressTitle)
 public:
  explicit TPelSubElemPressTitle(TGimPressTitle* ATitle = nullptr) : Title(ATitle) {}
  TPelSubElemPressTitle(const TPelSubElemPressTitle&) = default;
  TGimPressTitle* Title;  // not owned
  std::string GetCode() const override;
};

// One chosen indicator with the parameter codes or responses chosen for it.
class TPelSubElemPressInd : public TPelSubElem {
  QUIN_CLASS(TPelSubElemPressInd, TPelSubElem)
  QUIN_COPY(TPelSubElemPressInd)
 public:
  TPelSubElemPressInd();
  // Copies the indicator reference, the codes and the responses.
  TPelSubElemPressInd(const TPelSubElemPressInd& Source);
  ~TPelSubElemPressInd() override;
  // With Ind; an indicator with default parameters gives a copy of them as the chosen codes.
  static std::unique_ptr<TPelSubElemPressInd> CreateFromInd(TGimPressInd* AInd);

  TGimPressInd* Ind = nullptr;             // not owned
  std::unique_ptr<TRixCodeList> Codes;     // may be null
  std::unique_ptr<TMerResponseList> Resp;  // copies of the indicator's responses; may be null

  std::string GetCode() const override;
  // An "ind" block: "id", and "parameters" when the indicator takes parameters.
  void WriteBlock(TStream& Stream, int& Indent) const override;
  // The body of an "ind" block whose "def" and key are read, through "end" ";". Problems are
  // messages: an unknown identifier leaves the element without indicator.
  void ReadBlock(TRixScanner& Scanner, TPelSurvey* Survey);
  // The chosen codes or the chosen responses' nicks, as a label suffix " [...]"; empty when
  // the indicator takes no parameters.
  std::string ParamsSuffix() const;

 private:
  void ApplyDefaultParams();
};

// The titles of a sub-parameter with their weekday masks.
struct TPelTitleDayRec {
  TGimPressTitle* Title;  // not owned
  TOrvDaySet Mask;        // empty: all the title's days
};

// The press titles of a cell's coordinate.
class TPelResPressTitles : public TPelResElem {
  QUIN_CLASS(TPelResPressTitles, TPelResElem)
  QUIN_RES_ELEM_CLASS(TPelResPressTitles)
 public:
  TPelResPressTitles(TPelSurvey* ASurvey, int AItemIndex, TPelPar* APar)
      : TPelResElem(ASurvey, AItemIndex, APar) {}
  TPelResPressTitles(const TPelResPressTitles&) = default;
  static std::string StaticOutfix() { return "PressTitles"; }

  std::vector<TPelTitleDayRec> Titles;
  // The highest index of a record of Title; -1 when none.
  int IndexOf(const TGimPressTitle* Title) const;
};

// The press indicator of a cell's coordinate: a chosen indicator, owned or shared.
class TPelResPressInd : public TPelResElem {
  QUIN_CLASS(TPelResPressInd, TPelResElem)
  QUIN_RES_ELEM_CLASS(TPelResPressInd)
 public:
  // Refers to ASub without owning it.
  TPelResPressInd(TPelSurvey* ASurvey, TPelSubElemPressInd* ASub, int AItemIndex, TPelPar* APar)
      : TPelResElem(ASurvey, AItemIndex, APar), Sub(ASub) {}
  // Owns a copy when the source owned its selection, else shares it.
  TPelResPressInd(const TPelResPressInd& Source);
  ~TPelResPressInd() override;
  static std::string StaticOutfix() { return "PressIndicators"; }

  TPelSubElemPressInd* Sub;
  bool OwnsSub = false;
};

class TPelSubParPressTitles : public TPelSubPar {
  QUIN_CLASS(TPelSubParPressTitles, TPelSubPar)
  QUIN_COPY(TPelSubParPressTitles)
 public:
  using TPelSubPar::TPelSubPar;
  TPelSubParPressTitles(const TPelSubParPressTitles&) = default;

  TOrvDaySet Days;  // "days": the weekday restriction; empty: none

  TGimPressTitle* Title(int Index) const;
  // The title's days within the restriction (all its days without one).
  TOrvDaySet EffectiveDays(int Index) const;

  std::unique_ptr<TPelSubElem> CreateElemFromCode(const std::string& Code) override;
  bool ReadKey(TRixScanner& Scanner, TPelSurvey* ASurvey) override;
  void WriteBody(TStream& Stream, int& Indent) const override;
  std::string GetListText(bool AsRanges) const override;
  bool IsSimple() const override { return Days.Empty(); }
  std::string GetDefaultName() const override;
  TPelResElem* CreateResElem() override;
  int GetItemCount(bool Detail) const override;
  TPelResElem* CreateItemElem(int Index, bool Detail) override;
  std::string GetItemLabel(int Index, bool Detail) const override;
  void Randomize(TOrvRandGen& Gen) override;

 private:
  // Item Index: the title and the day (-1 for the title item).
  bool LocateItem(int Index, bool Detail, int& TitleIndex, int& Day) const;
};

class TPelParPressTitles : public TPelParDefMedia {
  QUIN_CLASS(TPelParPressTitles, TPelParDefMedia)
  QUIN_RW_CLASS(TPelParPressTitles)
 public:
  using TPelParDefMedia::TPelParDefMedia;
  TPelParPressTitles(const TPelParPressTitles&) = default;

  static std::string StaticKeyword() { return "pressTitles"; }
  std::string GetDefaultName() const override;
  std::string GetSelectionCaption() const override;
  TGimMedia* Media() const override;
  // Every title of every sub-parameter once, in order of first appearance, with the union of
  // its effective days.
  TPelResElem* CreateAllItemsElem() override;
  void Randomize(TOrvRandGen& Gen) override;
  std::unique_ptr<TPelSubPar> NewSubPar(TOrvRandGen* Random) override;

 protected:
  TPelParPressTitles& operator=(const TPelParPressTitles&) = default;
};

class TPelSubParPressInds : public TPelSubPar {
  QUIN_CLASS(TPelSubParPressInds, TPelSubPar)
  QUIN_COPY(TPelSubParPressInds)
 public:
  using TPelSubPar::TPelSubPar;
  TPelSubParPressInds(const TPelSubParPressInds&) = default;

  TPelSubElemPressInd* Elem(int Index) const;

  std::unique_ptr<TPelSubElem> CreateElemFromCode(const std::string& Code) override;
  bool ReadKey(TRixScanner& Scanner, TPelSurvey* ASurvey) override;
  bool WritesElemsAsList() const override { return false; }
  std::string GetDefaultName() const override;
  TPelResElem* CreateItemElem(int Index, bool Detail) override;
  std::string GetItemLabel(int Index, bool Detail) const override;
  // The nick, " - " and the name (or the full name without nick), with the parameters.
  std::string GetItemLabelDefault(int Index) const override;
  void Randomize(TOrvRandGen& Gen) override;
};

class TPelParPressInds : public TPelParDefMediaInds {
  QUIN_CLASS(TPelParPressInds, TPelParDefMediaInds)
  QUIN_RW_CLASS(TPelParPressInds)
 public:
  using TPelParDefMediaInds::TPelParDefMediaInds;
  TPelParPressInds(const TPelParPressInds&) = default;

  static std::string StaticKeyword() { return "pressInds"; }
  std::string GetDefaultName() const override;
  std::string GetSelectionCaption() const override;
  TGimMedia* Media() const override;
  bool FiltersCases() const override { return false; }
  // Only beside a press titles parameter.
  bool IsApplicable(const TPelParList* ParList) const override;
  bool SingleSubPar() const override { return true; }
  bool HasSubParTotals() const override { return false; }
  // Whether the indicator of item Index of the first sub-parameter counts days; for a negative
  // Index, whether any of them does.
  bool UsesDays(int Index) const override;
  std::unique_ptr<TPelSubPar> NewSubPar(TOrvRandGen* Random) override;

 protected:
  TPelParPressInds& operator=(const TPelParPressInds&) = default;
};

// The titles of Par not yet in List appended to it; with GroupedOnly, instead, Par's grouped
// sub-parameters of more than one title.
void CollectPressTitles(const TPelParPressTitles& Par, std::vector<TGimPressTitle*>& Titles,
                        std::vector<TPelSubParPressTitles*>& Grouped, bool GroupedOnly);
// For every title of Par that is in Titles, its effective days ORed into the mask at its
// position (Masks as long as Titles).
void CollectPressTitleDays(const TPelParPressTitles& Par,
                           const std::vector<TGimPressTitle*>& Titles,
                           std::vector<TOrvDaySet>& Masks);
// The same over every press titles parameter of ParList, into new lists.
void CollectAllPressTitles(const TPelParList& ParList, std::vector<TGimPressTitle*>& Titles,
                           std::vector<TPelSubParPressTitles*>& Grouped, bool GroupedOnly);
std::vector<TOrvDaySet> CollectAllPressTitleDays(const TPelParList& ParList,
                                                 const std::vector<TGimPressTitle*>& Titles);

}  // namespace quin
