// Record sets as the definition describes them, references to their columns, and the join of
// a panel record set to the respondents.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "surveykit/gimdataobj.h"

namespace quin {

class TMerSurvey;

// A record set: record set 0 holds one record per respondent; others (panels, diaries) hold
// several records per respondent, linked to record set 0 by the Join column.
class TMerRecset : public TGimSimpleDataObject {
  QUIN_CLASS(TMerRecset, TGimSimpleDataObject)
 public:
  TMerRecset() = default;
  bool Hidden = false;
  std::string Join;  // the column that links the records to record set 0
  // The allowed statistic kinds as catalogue indices (the "stats" key).
  std::vector<int> Stats;

  // The sorted names of the columns matching Mask; none here (the analysis record set
  // answers).
  virtual std::vector<std::string> GetColumnNames(std::string_view Mask) const;
  // Whether the record set knows its columns (the analysis record set reads their directory
  // from the survey file); one that does not takes every column on trust.
  virtual bool HasColumnDirectory() const { return false; }
  // Whether the record set holds the column Name (case ignored); True without a directory.
  virtual bool HasColumn(std::string_view Name) const { return true; }
  // Fills Values (RecCount doubles, sized by the caller) with the column Name; nothing here.
  virtual void LoadColumn(const std::string& Name, std::vector<double>& Values);
  // The sorted distinct values of column Name other than the missing value, when the record
  // set keeps them with its columns; false when it does not (the caller loads the column).
  virtual bool DistinctValues(const std::string& Name, std::vector<double>& Values) {
    return false;
  }
  virtual int ReservedQuery() const { return 0; }
  // The number of records; none here.
  virtual int RecCount() const { return 0; }
};

class TMerRecsetList : public TOrvTypedList<TMerRecset> {
  QUIN_CLASS(TMerRecsetList, TOrvObjectList)
 public:
  explicit TMerRecsetList(TMerSurvey* ASurvey = nullptr) : TOrvTypedList(true), Survey(ASurvey) {}
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TMerRecsetList(*this));
  }
  TMerSurvey* Survey;
  // The record set whose ID is AID (case ignored); null when none.
  TMerRecset* FindByID(std::string_view AID) const;
};

// A reference to one column of a record set; its values (one double per record) are loaded
// for one computation and released after it.
class TMerRecsetCol : public TOrvObject {
  QUIN_CLASS(TMerRecsetCol, TOrvObject)
  QUIN_COPY(TMerRecsetCol)
 public:
  TMerRecsetCol() = default;
  // Spec is a column name, optionally followed by "." and a record set's ID; the first record
  // set of Survey whose "." + ID ends Spec (case ignored) is taken and that ending cut off;
  // otherwise the whole Spec names a column of DefaultRecset. The name is lower-cased.
  TMerRecsetCol(TMerSurvey* ASurvey, std::string_view Spec, TMerRecset* DefaultRecset);
  // Copies name, record set and survey, not the values.
  TMerRecsetCol(const TMerRecsetCol& Source);

  std::string Name;
  std::vector<double> Values;  // empty when not loaded
  bool Loaded = false;
  TMerRecset* Recset = nullptr;
  TMerSurvey* Survey = nullptr;

  // With a record set that holds records: one double per record, filled by its LoadColumn
  // (allocated once). Without a record set the values are released; a record set without
  // records leaves them unloaded.
  void LoadValues();
  // Fills Values (resized to the record count) without keeping them.
  void LoadInto(std::vector<double>& Out) const;
  void FreeValues();
  // The same column: the same name (exactly) in the same record set.
  bool SameCol(const TMerRecsetCol& Other) const {
    return Name == Other.Name && Recset == Other.Recset;
  }
};

class TMerRecsetColList : public TOrvTypedList<TMerRecsetCol> {
  QUIN_CLASS(TMerRecsetColList, TOrvObjectList)
 public:
  explicit TMerRecsetColList(TMerSurvey* ASurvey = nullptr)
      : TOrvTypedList(true), Survey(ASurvey) {}
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TMerRecsetColList(*this));
  }
  TMerSurvey* Survey;
  // Appends a copy of Col unless the same column is present; returns the list's column.
  TMerRecsetCol* AddUnique(const TMerRecsetCol& Col);
  int IndexOf(const TMerRecsetCol& Col) const;
  // The same count and the same column at each index; false for null.
  bool SameCols(const TMerRecsetColList* Other) const;
  void LoadValues();
  void FreeValues();
};

// The join of panel record set RecsetIndex to record set 0: for each respondent, the first and
// last of its (consecutive) records in the panel record set.
class TMerRespInPanels : public TObject {
  QUIN_CLASS(TMerRespInPanels, TObject)
 public:
  struct TCaseRange {
    int First = 0;
    int Last = -1;  // Last < First: no record
    double JoinValue = 0;
  };
  TMerRespInPanels(TMerSurvey* ASurvey, int ARecsetIndex)
      : Survey(ASurvey), RecsetIndex(ARecsetIndex) {}
  TMerSurvey* Survey;
  int RecsetIndex;
  // One range per respondent; filled by the analysis side.
  std::vector<TCaseRange> CaseRanges;
  virtual void BuildCaseRanges() {}
  // The range of respondent R; an empty range for a respondent outside the table.
  TCaseRange CaseRange(int R) const;
};

}  // namespace quin
