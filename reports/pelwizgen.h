// The general templates (kinds 0-6): analyses of the survey's questions by target groups and
// waves. Frequencies (0), cross-tabs (3) and cross-tabs with means (6) are offered in the web
// mode too; the others on the desktop only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "reports/pelwiz.h"

namespace quin {

class TPelParStats;
class TPelRepElemTable;

// The frame of every general kind: after construction the waves parameter, the target groups
// and the kind's own parameters; table building starts with one new table.
class TPelWizGenBase : public TPelWizGen {
  QUIN_CLASS(TPelWizGenBase, TPelWizGen)
 public:
  using TPelWizGen::TPelWizGen;
  void AfterConstruction() override;

 protected:
  // The kind's own parameters after the waves and target groups.
  virtual void AddOwnParameters() = 0;
  // A statistics parameter with the statistic kinds of StatClasses the survey lists, in order,
  // and the margins switched on as asked.
  TPelParStats* AddStatsParameter(const std::vector<const ClassInfo*>& StatClasses, bool ColMargins,
                                  bool RowMargins);
  // A questions parameter with a caption suffix and a header text (both bilingual, UTF-8).
  TPelPar* AddQuestionsParameter(std::string_view SuffixUtf8 = {},
                                 std::string_view HeaderUtf8 = {});
  // A new table appended to Analysis, and the analysis's empty parameters removed.
  static TPelRepElemTable& NewTable(TPelRepElemAnalysis& Analysis);
  // The N-th parameter of exactly class T in Analysis's list; null when none.
  template <class T>
  static TPelPar* Find(const TPelRepElemAnalysis& Analysis, int N = 0);
  // The long description, bilingual (UTF-8), translated.
  static std::string Describe(std::string_view Utf8);
};

class TPelWizGenTable1D : public TPelWizGenBase {
  QUIN_CLASS(TPelWizGenTable1D, TPelWizGenBase)
  QUIN_WIZ_CLASS(TPelWizGenTable1D)
 public:
  using TPelWizGenBase::TPelWizGenBase;
  TPelWizGenTable1D(const TPelWizGenTable1D&) = default;
  static constexpr int StaticKind = 0;
  static int StaticIconNumber() { return 0; }
  static bool StaticAcceptsMode(int Mode) { return Mode < 2; }
  std::string GetDescription() const override;
  void BuildTables(TPelRepElemAnalysis& Analysis) override;

 protected:
  void AddOwnParameters() override;
};

// Compare target groups: the groups in the columns, the questions in the rows.
class TPelWizGenCmpGroupsAbs : public TPelWizGenBase {
  QUIN_CLASS(TPelWizGenCmpGroupsAbs, TPelWizGenBase)
 public:
  using TPelWizGenBase::TPelWizGenBase;
  static int StaticIconNumber() { return 3; }
  void BuildTables(TPelRepElemAnalysis& Analysis) override;

 protected:
  void AddOwnParameters() override;
  // Run first by the table building.
  virtual void BeforeTables(TPelRepElemAnalysis& Analysis) {}
};

// Two target groups, defined one after the other, become the two columns of one parameter.
class TPelWizGenCmpGroupsTwo : public TPelWizGenCmpGroupsAbs {
  QUIN_CLASS(TPelWizGenCmpGroupsTwo, TPelWizGenCmpGroupsAbs)
  QUIN_WIZ_CLASS(TPelWizGenCmpGroupsTwo)
 public:
  using TPelWizGenCmpGroupsAbs::TPelWizGenCmpGroupsAbs;
  TPelWizGenCmpGroupsTwo(const TPelWizGenCmpGroupsTwo&) = default;
  static constexpr int StaticKind = 1;
  std::string GetDescription() const override;
  TPelParGroups* AddGroupsParameter() override { return AddTwoGroupsParameters(); }

 protected:
  void BeforeTables(TPelRepElemAnalysis& Analysis) override { MergeGroupsParameters(Analysis); }
};

// Several target groups defined at once in the alternative pane.
class TPelWizGenCmpGroupsMany : public TPelWizGenCmpGroupsAbs {
  QUIN_CLASS(TPelWizGenCmpGroupsMany, TPelWizGenCmpGroupsAbs)
  QUIN_WIZ_CLASS(TPelWizGenCmpGroupsMany)
 public:
  using TPelWizGenCmpGroupsAbs::TPelWizGenCmpGroupsAbs;
  TPelWizGenCmpGroupsMany(const TPelWizGenCmpGroupsMany&) = default;
  static constexpr int StaticKind = 2;
  std::string GetDescription() const override;
  TPelParGroups* AddGroupsParameter() override { return AddGroupsParameterVariant(); }
};

class TPelWizGenTable2D : public TPelWizGenBase {
  QUIN_CLASS(TPelWizGenTable2D, TPelWizGenBase)
  QUIN_WIZ_CLASS(TPelWizGenTable2D)
 public:
  using TPelWizGenBase::TPelWizGenBase;
  TPelWizGenTable2D(const TPelWizGenTable2D&) = default;
  static constexpr int StaticKind = 3;
  static int StaticIconNumber() { return 1; }
  static bool StaticAcceptsMode(int Mode) { return Mode < 2; }
  std::string GetDescription() const override;
  void BuildTables(TPelRepElemAnalysis& Analysis) override;

 protected:
  void AddOwnParameters() override;
};

class TPelWizGenCmpWaves : public TPelWizGenBase {
  QUIN_CLASS(TPelWizGenCmpWaves, TPelWizGenBase)
  QUIN_WIZ_CLASS(TPelWizGenCmpWaves)
 public:
  using TPelWizGenBase::TPelWizGenBase;
  TPelWizGenCmpWaves(const TPelWizGenCmpWaves&) = default;
  static constexpr int StaticKind = 4;
  static int StaticIconNumber() { return 2; }
  static bool StaticNeedsSeveralWaves() { return true; }
  std::string GetDescription() const override;
  void BuildTables(TPelRepElemAnalysis& Analysis) override;

 protected:
  void AddOwnParameters() override;
};

// One complex (grid) question split over both edges: its first axes in the rows, its last
// axis in the columns.
class TPelWizGenComplex : public TPelWizGenBase {
  QUIN_CLASS(TPelWizGenComplex, TPelWizGenBase)
  QUIN_WIZ_CLASS(TPelWizGenComplex)
 public:
  using TPelWizGenBase::TPelWizGenBase;
  TPelWizGenComplex(const TPelWizGenComplex&) = default;
  static constexpr int StaticKind = 5;
  static int StaticIconNumber() { return 15; }
  std::string GetDescription() const override;
  void BuildTables(TPelRepElemAnalysis& Analysis) override;

 protected:
  void AddOwnParameters() override;
};

// Distributions and means of one question crossed by the questions of a second group.
class TPelWizGenCrossBann : public TPelWizGenBase {
  QUIN_CLASS(TPelWizGenCrossBann, TPelWizGenBase)
  QUIN_WIZ_CLASS(TPelWizGenCrossBann)
 public:
  using TPelWizGenBase::TPelWizGenBase;
  TPelWizGenCrossBann(const TPelWizGenCrossBann&) = default;
  static constexpr int StaticKind = 6;
  static int StaticIconNumber() { return 1; }
  static bool StaticAcceptsMode(int Mode) { return Mode < 2; }
  std::string GetDescription() const override;
  void BuildTables(TPelRepElemAnalysis& Analysis) override;

 protected:
  void AddOwnParameters() override;
};

// Installs the general kinds in the catalogue (start-up).
void RegisterGeneralWizClasses();

}  // namespace quin
