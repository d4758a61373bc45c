// Table sorting: a table orders its rows by the values or labels of one column, and its columns
// by one row. Its sort settings hold two key lists (the column keys order the rows, the row keys
// order the columns) and the two permutations they produce; a key names its line by cell
// address (a data info) or by the position of a header parameter, with the direction.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/peldatainfo.h"

namespace quin {

class TPelPar;

// A sort key ("sortDataInfo").
class TPelSortDataInfo : public TPelTableDataInfo {
  QUIN_CLASS(TPelSortDataInfo, TPelTableDataInfo)
  QUIN_COPY(TPelSortDataInfo)
 public:
  TPelSortDataInfo() = default;
  TPelSortDataInfo(const TPelSortDataInfo&) = default;

  TPelPar* Par = nullptr;  // the header parameter whose labels the key sorts by; not owned
  int SortParIndex = -1;   // its index in the analysis's parameter list; -1: a cell address
  int Kind = 1;            // 1 the key orders the rows (by a column), 2 the columns (by a row)
  int Line = 0;            // the grid line the key was found at; 0 or less while unresolved
  int SortOrder = 0;       // 1 ascending, 2 descending, 0 not set (sorts descending)

  std::string GetBlockName() const override { return "sortDataInfo"; }
  // "sortParIndex"; "sortOrder" ("ascending" or "descending", case ignored; another value
  // keeps the order, and is reported when the key has none).
  bool ReadKey(TRixScanner& Scanner) override;
  // "sortParIndex" when Par is set; "sortOrder": "ascending" for 1, otherwise "descending".
  void WriteKeys(TStream& Stream, int& Indent) const override;
  std::unique_ptr<TPelTableDataInfo> CreateEmpty() const override {
    return std::make_unique<TPelSortDataInfo>();
  }
};

class TPelSortDataInfoList : public TPelTableDataInfoList {
  QUIN_CLASS(TPelSortDataInfoList, TOrvObjectList)
 public:
  using TPelTableDataInfoList::TPelTableDataInfoList;
  TPelSortDataInfoList(const TPelSortDataInfoList&) = default;
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TPelSortDataInfoList(*this));
  }
  TPelSortDataInfo* GetItem(int Index) const { return As<TPelSortDataInfo>(Items(Index)); }
  std::unique_ptr<TPelTableDataInfo> CreateItem() const override {
    return std::make_unique<TPelSortDataInfo>();
  }
  std::string GetItemBlockName() const override { return "sortDataInfo"; }

  void SetKind(int Kind);
  // Deletes, from the last key to the first, the keys not found on a line (Line 0 or less)
  // and the keys of a line that an earlier key has. It deletes keys: a caller that keeps its
  // stored keys applies it to a copy.
  void RemoveDuplicates();
};

// A range of positions sorted together.
class TPelSortRange : public TOrvObject {
  QUIN_CLASS(TPelSortRange, TOrvObject)
  QUIN_COPY(TPelSortRange)
 public:
  TPelSortRange(int AFrom = 0, int ATo = 0) : From(AFrom), To(ATo) {}
  TPelSortRange(const TPelSortRange&) = default;
  int From;
  int To;
};

class TPelSortRangeList : public TOrvTypedList<TPelSortRange> {
  QUIN_CLASS(TPelSortRangeList, TOrvObjectList)
 public:
  TPelSortRangeList() : TOrvTypedList(true) {}
  TPelSortRangeList(const TPelSortRangeList&) = default;
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TPelSortRangeList(*this));
  }
  // Appends From..To when From < To.
  void AddRange(int From, int To);
};

class TPelTableSortParams : public TOrvObject {
  QUIN_CLASS(TPelTableSortParams, TOrvObject)
  QUIN_COPY(TPelTableSortParams)
 public:
  TPelTableSortParams() = default;
  TPelTableSortParams(const TPelTableSortParams&) = default;

  TPelSortDataInfoList ColSorts{"colSortDataInfo"};  // kind 1: they order the rows
  TPelSortDataInfoList RowSorts{"rowSortDataInfo"};  // kind 2: they order the columns
  // Perm[k]: the starting position shown at position k.
  std::vector<int> Perm1;  // of the rows
  std::vector<int> Perm2;  // of the columns

  bool IsActive() const { return !ColSorts.Empty() || !RowSorts.Empty(); }
  // Perm1 becomes 0..Count1-1 when Reset1 (and ColSorts is emptied with ClearKeys); Perm2
  // likewise with Count2 and RowSorts.
  void ResetOrder(bool Reset1, bool Reset2, bool ClearKeys, int Count1, int Count2);
  // Sorts positions From..To of Perm1 (Which 1) or Perm2 (Which 2) by the items' Values (one
  // per starting position) or, without values, by their Texts in the session's alphabetical
  // order ignoring case. Direction 1 ascending, 2 (or unset) descending. Equal items keep
  // their order; the sentinels go last, "!DEF" before empty before "--". A range or a
  // permutation entry outside the permutation or the values leaves everything as it was.
  void Sort(int From, int To, const std::vector<std::string>& Texts,
            const std::vector<double>& Values, int Which, int Direction);
};

}  // namespace quin
