// The waves parameter ("waveList"): each sub-parameter chooses all waves, the last N windows
// or chosen waves, with a moving-average width; each item is one window of successive waves,
// or all windows together form one item when one window would hold fewer waves than the
// survey allows per analysis.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "analysis/pelpar.h"

namespace quin {

class TGimWave;
class TGimWaveList;

// One window start: a wave of the survey. Runs descend: a wave continues a run after the wave
// numbered one above it.
class TPelSubElemWave : public TPelSubElem {
  QUIN_CLASS(TPelSubElemWave, TPelSubElem)
  QUIN_COPY(TPelSubElemWave)
 public:
  explicit TPelSubElemWave(TGimWave* AWave = nullptr) : Wave(AWave) {}
  TPelSubElemWave(const TPelSubElemWave&) = default;
  TGimWave* Wave;  // not owned
  std::string GetCode() const override;
  bool IsSuccessorOf(const TPelSubElem* Prev) const override;
};

class TPelSubParWaves : public TPelSubPar {
  QUIN_CLASS(TPelSubParWaves, TPelSubPar)
  QUIN_COPY(TPelSubParWaves)
 public:
  using TPelSubPar::TPelSubPar;
  TPelSubParWaves(const TPelSubParWaves&) = default;

  enum : uint8_t { wmAll = 0, wmLast = 1, wmSelected = 2 };
  uint8_t Mode = wmAll;
  int32_t LastCount = 1;  // "last"
  int32_t Rolled = 1;     // "rolled": the moving-average width in waves

  // Regenerates the window starts of modes 0 and 1 from the survey's waves, latest first.
  void UpdateElems(TPelSurvey* ASurvey);
  // The whole selection is one item.
  bool IsOneItem() const;
  // The union of all windows, in element order, each wave once.
  std::vector<TGimWave*> AllWaveItems() const;
  // The same as a new (non-owning) wave list.
  std::unique_ptr<TGimWaveList> AllWaves() const;
  // The waves of the window starting at element Index's wave.
  std::vector<TGimWave*> Window(int Index) const;
  TGimWave* ElemWave(int Index) const;

  std::unique_ptr<TPelSubElem> CreateElemFromCode(const std::string& Code) override;
  bool ReadKey(TRixScanner& Scanner, TPelSurvey* ASurvey) override;
  void Randomize(TOrvRandGen& Gen) override;
  int GetCount() const override { return ElemCount(); }
  std::string GetElemLabel(int Index) const override;
  TPelResElem* CreateResElem() override;
  std::string GetDefaultName() const override;
  TPelResElem* CreateItemElem(int Index, bool Detail) override;
  void ReadBody(TRixScanner& Scanner, TPelSurvey* ASurvey) override;
  int GetItemCount(bool Detail) const override { return IsOneItem() ? 1 : ElemCount(); }
  std::string GetItemLabel(int Index, bool Detail) const override;
  void WriteBody(TStream& Stream, int& Indent) const override;

 private:
  int WaveCount() const;
};

class TPelParWaves : public TPelParMulti {
  QUIN_CLASS(TPelParWaves, TPelParMulti)
  QUIN_RW_CLASS(TPelParWaves)
 public:
  using TPelParMulti::TPelParMulti;
  TPelParWaves(const TPelParWaves&) = default;

  static std::string StaticKeyword() { return "waveList"; }
  std::string GetDefaultName() const override;
  bool ShowsRanges() const override { return true; }
  std::string GetSelectionCaption() const override;
  bool UsesCaseGroups() const override { return true; }
  std::unique_ptr<TPelSubPar> NewSubPar(TOrvRandGen* Random) override;

  // The union over all sub-parameters of their windows, in order of first appearance.
  std::unique_ptr<TGimWaveList> AllWaves() const;

 protected:
  TPelParWaves& operator=(const TPelParWaves&) = default;
};

}  // namespace quin
