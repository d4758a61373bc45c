// The context of one table computation: the layer's cases and size, the per-cell work masks of
// the based-on record set and the weights of the cells' weighting. The buffers are sized for
// the computation and handed back to a process-wide pool when the manager goes, so that a
// session keeps none between tables.
//
// A whole table is computed by CalculateTable in a few passes over the records, whatever the
// number of cells: per record, the row, column and layer conditions it meets are found through
// byte columns and small tables, and one weighted accumulation fills every cell's sums at
// once; the formulas, the final rules and the significance tests then run over the sums.
// Cells that a media computation takes, and grid-question cells, are computed one by one.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "analysis/pelreselem.h"

namespace quin {

class TPelSurvey;
class TPelDataBasedOn;
class TPelRes;
class TPelColumnStore;
class TMerRecsetList;
class TGimWeight;

// The work buffers of one computation over N records.
struct TPelResBuffers {
  int N = 0;
  TPelFlags LayerCases, LayerBaseCases, LayerMissing;
  TPelFlags RowBaseCases, ColBaseCases, CellCases, EstBaseCases, CellMissing;
  std::vector<double> Values;
  // Sizes the layer masks (and, with Cells, the cell masks and Values) for N records.
  void Size(int AN, bool Cells);
  size_t Bytes() const;
};

// A pool of work buffers shared by every session; it keeps a few sets up to a byte budget.
std::unique_ptr<TPelResBuffers> PelTakeBuffers();
void PelReturnBuffers(std::unique_ptr<TPelResBuffers> Buffers);
// The bytes the pool holds now.
size_t PelPooledBufferBytes();

class TPelResManager : public TOrvObject {
  QUIN_CLASS(TPelResManager, TOrvObject)
 public:
  TPelResManager(TPelSurvey* ASurvey, TPelDataBasedOn* ABasedOn);
  ~TPelResManager() override;
  TPelResManager(const TPelResManager&) = delete;
  TPelResManager& operator=(const TPelResManager&) = delete;

  TPelSurvey* Survey;
  TPelDataBasedOn* BasedOn;
  TMerRecsetList* Recsets;
  // Per record set; only the based-on record set's entries are computed.
  std::vector<int32_t> LayerCount;
  std::vector<double> LayerSum;
  bool LayerDirty = true;
  int RadioDays = -1;  // the radio indicator's day dependence the layer was made for
  int R = -1;          // the index of the based-on record set
  // Every layer record is in LayerCases and LayerBaseCases, none in LayerMissing: the table
  // computation leaves those masks out.
  bool LayerAll = false;
  // Conditions are read from the masks the survey file's column store keeps for every table
  // and session (set by the table computation; the per-cell computation alone evaluates each
  // element's group, as the reference the table computation is checked against).
  bool SharedMasks = false;
  // The cells the table computation handed to the per-cell computation.
  int64_t CellsOneByOne = 0;
  // The accumulators of one pass of the table computation hold at most this many
  // combinations; a larger table takes several passes.
  size_t MaxCombinations = size_t(1) << 21;

  TPelResBuffers& Buf();
  // The weights of the cell's weighting for the based-on record set (one per record).
  const double* Weights() const { return FWeights; }
  // The weighting the weights are of (null for "off").
  const TGimWeight* WeightsFor() const { return static_cast<const TGimWeight*>(FWeightsFor); }

  // The layer step: once per table, and again when the radio indicator's day dependence
  // changes.
  void PrepareLayer(TPelRes& Cell);
  // Computes every cell of a table: the table computation for the cells it can take, the
  // per-cell computation for the others. Results equal the per-cell computation's.
  void CalculateTable(std::span<TPelRes* const> Cells);

  // The survey's shared column store (acquired with the first table of the survey).
  TPelColumnStore& Columns();

 private:
  void PrepareWeights(TPelRes& Cell);
  std::unique_ptr<TPelResBuffers> FBuf;
  std::shared_ptr<const std::vector<double>> FSharedWeights;
  std::vector<double> FOwnWeights;
  const double* FWeights = nullptr;
  const void* FWeightsFor = nullptr;
};

}  // namespace quin
