// How the cell computation hands cells with press, radio and television elements over to the
// media computations. The computations of each medium install their hand-over at start-up;
// the general one below handles no cell: every cell is complete, no cell has a direct value,
// no case selection narrows a mask and no value operation takes a cell.
#pragma once

#include <string>

#include "analysis/pelreselem.h"

namespace quin {

class TPelRes;
class TPelResManager;
class TGimStatIndicator;

class TPelResMedia {
 public:
  virtual ~TPelResMedia() = default;

  // The cell has an element that a media computation works on. Such cells are computed one by
  // one; the table computation leaves them to the per-cell path.
  virtual bool InvolvesCell(const TPelRes& Cell) const { return false; }
  // The indicator a media statistic kind of the cell shows (its TV, else radio, else press
  // indicator element's); null when the cell has none.
  virtual const TGimStatIndicator* CellIndicator(const TPelRes& Cell) const { return nullptr; }
  // The cell's media combination is complete (radio, press and TV checks).
  virtual bool CellComplete(const TPelRes& Cell) const { return true; }
  // A limit row, radio, insertion or circulation value applies: the operation has set the
  // cell's value and flags.
  virtual bool DirectValue(TPelRes& Cell) { return false; }
  // The day-dependence answer of the cell's radio indicator class; -1 without one.
  virtual int RadioDaysAnswer(const TPelRes& Cell) const { return -1; }
  // The case selections, each narrowing Cases in place and adding the cases it left out to
  // its own Count and Weight.
  virtual void FilterTVCases(TPelRes& Cell, const TPelResElemList& Elems, TPelFlags& Cases,
                             double& Count, double& Weight) {}
  virtual void FilterRadioCases(TPelRes& Cell, const TPelResElemList& Elems, TPelFlags& Cases,
                                double& Count, double& Weight) {}
  virtual void PressSelectCases(TPelRes& Cell, const TPelResElemList& Elems, TPelFlags& Cases,
                                double& Count, double& Weight) {}
  // The press reading data of the manager are needed for the cell.
  virtual bool PressDistributionApplies(const TPelRes& Cell) const { return false; }
  virtual void PreparePressData(TPelResManager& Manager, TPelRes& Cell) {}
  // The value operations: True when the operation took the cell, leaving the weighted
  // numerator in Value, the base in BaseA and BaseW and its exclusions added to Count and
  // Weight.
  virtual bool PressDistributionValue(TPelRes& Cell, TPelFlags& Cases, double& Count,
                                      double& Weight) {
    return false;
  }
  virtual bool ComputeTVEvents(TPelRes& Cell, TPelFlags& Cases, double& Count, double& Weight) {
    return false;
  }
  virtual bool ComputeRadioEvents(TPelRes& Cell, TPelFlags& Cases, double& Count, double& Weight) {
    return false;
  }
  virtual bool PressMeanValue(TPelRes& Cell, TPelFlags& Cases, double& Count, double& Weight) {
    return false;
  }
  // The cell's press indicator is a gross-impressions indicator (estimated like "est").
  virtual bool HasPressGIIndicator(const TPelRes& Cell) const { return false; }

  // Optimisation limits (media plans). The item of the cell's optimisation element (1 is the
  // limit row); -1 without one.
  virtual int LimitItem(const TPelRes& Cell) const { return -1; }
  // The text of the limit set on the cell; empty when none is set.
  virtual std::string LimitText(const TPelRes& Cell) const { return {}; }
  // The press rules that let a user set a limit on the cell (titles, indicator, prices,
  // insertions); the cell has a statistic and no base kind.
  virtual bool AcceptsLimit(const TPelRes& Cell) const { return false; }
};

// The installed hand-over; the general one until a media computation installs its own.
TPelResMedia& PelResMedia();
// Installs Media (not owned; it lives as long as the process; null restores the general one)
// and returns the previous one. Installed at start-up, read afterwards.
TPelResMedia* SetPelResMedia(TPelResMedia* Media);

}  // namespace quin
