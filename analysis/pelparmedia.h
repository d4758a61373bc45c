// The two bases of the media parameters: the media-object parameter (press titles, radio and
// TV stations), which may lead its items with a sub-total item joining every selected object,
// and the media-indicator parameter (press, radio and TV indicators). Both name the media
// definition their choices come from.
#pragma once

#include <array>

#include "analysis/pelpar.h"
#include "base/orvdays.h"

namespace quin {

class TGimMedia;

// The weekday keys of the day parameters, Monday first.
inline constexpr std::array<const char*, 7> PelDayKeys{"mon", "tue", "wed", "thu",
                                                       "fri", "sat", "sun"};

// With the sub-total switch on, item 0 is the sub-total (CreateAllItemsElem) and item i is
// item i - 1 of the multi-parameter; with it off, the items are those of the multi-parameter.
class TPelParDefMedia : public TPelParMulti {
  QUIN_CLASS(TPelParDefMedia, TPelParMulti)
 public:
  using TPelParMulti::TPelParMulti;

  // The media definition of the survey whose objects the parameter selects.
  virtual TGimMedia* Media() const = 0;

  bool NumbersRepeatedName() const override { return true; }
  bool HasSubTotalItem() const override { return true; }
  TPelResElem* CreateResElemAt(TPelPos Pos, bool Selectable, bool Means, bool Detail) override;
  TPelResElem* CreateResElem(int Index) override;
  TPelDims GetDims(bool Selectable, bool Means, bool Detail) override;
  int GetItemCount() override;
  std::string GetLabelAt(TPelPos Pos, bool Selectable, bool Means, bool Detail, bool LabelSwitch,
                         bool ShowCodes) override;
  std::string GetLabel(int Index) override;

 protected:
  TPelParDefMedia(const TPelParDefMedia&) = default;
  TPelParDefMedia& operator=(const TPelParDefMedia&) = default;

 private:
  static std::string SubTotalLabel();
};

class TPelParDefMediaInds : public TPelParMulti {
  QUIN_CLASS(TPelParDefMediaInds, TPelParMulti)
 public:
  using TPelParMulti::TPelParMulti;

  // The media definition whose indicator catalogue the parameter selects from.
  virtual TGimMedia* Media() const = 0;

 protected:
  TPelParDefMediaInds(const TPelParDefMediaInds&) = default;
  TPelParDefMediaInds& operator=(const TPelParDefMediaInds&) = default;
};

}  // namespace quin
