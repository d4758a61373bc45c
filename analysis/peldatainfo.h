// Table data infos: the address of a set of table cells kept apart from the table's layout, as
// the list of result elements the cells must carry. Charts use it for their series, sort keys
// for their lines and optimisation limits for their cells; it is written into report files as
// a "dataInfo" block holding one block per element ("dataInfoGroup", "dataInfoQuestion" ...)
// and matched against the elements of cells when a table is recomputed.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "analysis/pelreselem.h"

namespace quin {

class TPelSurvey;
class TRixScanner;
class TStream;

class TPelTableDataInfo : public TOrvObject {
  QUIN_CLASS(TPelTableDataInfo, TOrvObject)
  QUIN_COPY(TPelTableDataInfo)
 public:
  TPelTableDataInfo() = default;
  // The elements deep-copied.
  TPelTableDataInfo(const TPelTableDataInfo&) = default;

  TPelResElemList Elems{true};  // data-info elements: copies of cell elements, or read

  // ---- Virtual operations
  virtual std::string GetBlockName() const { return "dataInfo"; }
  // One key of the subclass: True when the instruction at hand was one (read, or reported and
  // skipped).
  virtual bool ReadKey(TRixScanner& Scanner) { return false; }
  virtual void WriteKeys(TStream& Stream, int& Indent) const {}
  // A new empty data info of this object's class.
  virtual std::unique_ptr<TPelTableDataInfo> CreateEmpty() const {
    return std::make_unique<TPelTableDataInfo>();
  }
  // Refresh of every element (statistics transposed with the table).
  virtual void RefreshElems();

  // A data info holding, for every element of CellElems (references resolved), a new element
  // of its class (CreateFromElem).
  static std::unique_ptr<TPelTableDataInfo> CreateFromElems(const TPelResElemList& CellElems);
  // Appends such copies of CellElems to Elems.
  void AddElemsFrom(const TPelResElemList& CellElems);

  // ---- Matching. Two element classes are related when one derives from the other. Matching
  // may replace elements of Elems by copies of cell elements (see MatchSubParElem).

  // Each cell element takes the first related data-info element not used yet; that one must
  // be of its class and match it, or the whole match fails. True when both lists are empty,
  // False when only one is; otherwise the outcome of the last comparison. Count: the matches.
  bool MatchesElems(const TPelResElemList& CellElems, int& Count, bool Lenient);
  // Data-info element i compared (not leniently) with the cell element at Positions[i];
  // missing, outside or unrelated positions are passed over, the first mismatch ends the loop.
  bool MatchesElemsAt(const TPelResElemList& CellElems, const std::vector<int>& Positions,
                      int& Count);
  // For each data-info element the position of the cell element that matches it (-1 for
  // none). A cell element that finds related unmapped elements but matches none resets every
  // position and gives False; otherwise True when some cell element found related ones.
  bool MapElemPositions(const TPelResElemList& CellElems, std::vector<int>& Positions, int& Count);

  // ---- Definition text
  // The block's contents after its "def" and name, through "end" ";": element blocks by the
  // registry, keys of the subclass. An unknown block is reported and skipped whole, an unknown
  // key reported and skipped to its ";".
  void ReadBody(TPelSurvey* Survey, TRixScanner& Scanner);
  // "def" + the block name, the element blocks, the subclass keys, "end;".
  void WriteToStream(TStream& Stream, int& Indent) const;
};

// The address of a chart series, with the series' stored settings: the component text of the
// charting library, kept as it was read (its common indentation removed).
class TPelChartDataInfo : public TPelTableDataInfo {
  QUIN_CLASS(TPelChartDataInfo, TPelTableDataInfo)
  QUIN_COPY(TPelChartDataInfo)
 public:
  TPelChartDataInfo() = default;
  TPelChartDataInfo(const TPelChartDataInfo&) = default;

  bool HasSeries = false;
  std::string Series;  // lines joined by CR LF

  // The class of the stored series ("TBarSeries" of "object Series1: TBarSeries"); empty
  // without series.
  std::string SeriesClassName() const;

  std::string GetBlockName() const override { return "chartDataInfo"; }
  // "stat" (ignored), "object" followed by the series text.
  bool ReadKey(TRixScanner& Scanner) override;
  // The series text indented two more than the block, ">>" doubled.
  void WriteKeys(TStream& Stream, int& Indent) const override;
  std::unique_ptr<TPelTableDataInfo> CreateEmpty() const override {
    return std::make_unique<TPelChartDataInfo>();
  }
};

// A named owning list of data infos of one class.
class TPelTableDataInfoList : public TOrvTypedList<TPelTableDataInfo> {
  QUIN_CLASS(TPelTableDataInfoList, TOrvObjectList)
 public:
  explicit TPelTableDataInfoList(std::string_view ABlockName)
      : TOrvTypedList(true), BlockName(ABlockName) {}
  TPelTableDataInfoList(const TPelTableDataInfoList&) = default;

  std::string BlockName;

  // A new empty item of the list's item class.
  virtual std::unique_ptr<TPelTableDataInfo> CreateItem() const = 0;
  virtual std::string GetItemBlockName() const = 0;
  void RefreshAll();
  // A new item of the item class holding copies of CellElems, not appended.
  std::unique_ptr<TPelTableDataInfo> CreateItemFrom(const TPelResElemList& CellElems) const;
  // The same, appended; returned.
  TPelTableDataInfo* NewItem(const TPelResElemList& CellElems);
  // The list's block after its "def" and name: item blocks through "end" ";". Anything else is
  // reported and skipped.
  void ReadFromScanner(TPelSurvey* Survey, TRixScanner& Scanner);
  // Nothing for an empty list.
  void WriteToStream(TStream& Stream, int& Indent) const;
};

class TPelChartDataInfoList : public TPelTableDataInfoList {
  QUIN_CLASS(TPelChartDataInfoList, TOrvObjectList)
 public:
  using TPelTableDataInfoList::TPelTableDataInfoList;
  TPelChartDataInfoList(const TPelChartDataInfoList&) = default;
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TPelChartDataInfoList(*this));
  }
  TPelChartDataInfo* GetItem(int Index) const { return As<TPelChartDataInfo>(Items(Index)); }
  std::unique_ptr<TPelTableDataInfo> CreateItem() const override {
    return std::make_unique<TPelChartDataInfo>();
  }
  std::string GetItemBlockName() const override { return "chartDataInfo"; }
};

}  // namespace quin
