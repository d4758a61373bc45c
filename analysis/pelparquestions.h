// The questions parameter ("varList"): each listed response of each chosen question is one
// item (a numeric response may expand into its distinct values). A single grid question can
// be split by its response axes: the parameter then shows the first axis and the table puts a
// response-axis parameter per further axis after it.
#pragma once

#include <memory>
#include <vector>

#include "analysis/pelparaxes.h"

namespace quin {

class TGimQuestion;
class TGimQuestionList;
class TGimTreeView;

class TPelParDefQuestions : public TPelPar {
  QUIN_CLASS(TPelParDefQuestions, TPelPar)
  QUIN_RW_CLASS(TPelParDefQuestions)
 public:
  explicit TPelParDefQuestions(TPelSurvey* ASurvey = nullptr);
  // User-defined questions deep-copied (and re-pointed in Questions); split only when the
  // source splits.
  TPelParDefQuestions(const TPelParDefQuestions& Source);
  ~TPelParDefQuestions() override;

  bool ModulesOnly = false;              // desktop question-tree setting
  std::vector<TGimQuestion*> Questions;  // survey and user-defined questions, not owned here
  bool SplitAxes = false;                // "splitResponseAxes"
  std::unique_ptr<TGimQuestionList> UserQuestions;

  static std::string StaticKeyword() { return "varList"; }
  static bool StaticIsAvailableInMode(uint8_t Mode) { return Mode < 2; }

  // Exactly one question, with more than one response axis.
  bool IsSingleGridQuestion() const;
  // SplitAxes on a single grid question; asking it clears SplitAxes when the question is none.
  bool SplitsAxes();
  bool SplitsAxesNow() const { return SplitAxes && IsSingleGridQuestion(); }
  // The internal parameter showing the first axis while split (refreshed); null otherwise.
  TPelParDefResponseAxis* GetAxisPar() const;
  // Appends a user-defined question (owned) to UserQuestions and Questions.
  TGimQuestion* AddUserQuestion(std::unique_ptr<TGimQuestion> Q);
  bool IsUserQuestion(const TGimQuestion* Q) const;
  // The flat items: selectable responses, numeric ones expanded.
  TPelRespItems Items(bool Selectable, bool Means) const;
  // The survey's question modules as a desktop tree (no caller in the server).
  void FillQuestionTree(TGimTreeView& Tree) const;

  void UpdateState() override;
  std::string GetDefaultName() const override;
  bool IsEmpty() const override { return Questions.empty(); }
  void ReadBody(TRixScanner& Scanner, TPelSurvey* ASurvey) override;
  void WriteBody(TStream& Stream, int& Indent) const override;
  bool NumbersRepeatedName() const override { return true; }
  bool UnaskedFlagD() const override { return true; }
  std::string GetCaption() const override;
  void RestrictToRecset(TMerRecset* Recset) override;
  std::string GetItemInfoText(int Option, int Index) const override;
  bool UsesCaseGroups() const override { return !SplitsAxesNow(); }
  int GetGroupCount2D(bool Selectable, bool Means, bool Detail) override;
  bool IsGroupStart2D(int Row, bool Selectable, bool Means, bool Detail) override;
  std::vector<uint8_t> GroupStarts2D(int Rows, bool Selectable, bool Means, bool Detail) override;
  void Randomize(TOrvRandGen& Gen) override;
  TPelResElem* CreateResElemAt(TPelPos Pos, bool Selectable, bool Means, bool Detail) override;
  TPelResElem* CreateResElem(int Index) override;
  TPelResElem* CreateResElemAt2D(TPelPos Pos, bool Selectable, bool Means, bool Detail) override;
  TPelResElemVec CreateResElemList(bool Selectable, bool Means, bool Detail) override;
  TPelResElemVec CreateAllResElems() override;
  TPelResElemVec CreateResElemList2D(bool Selectable, bool Means, bool Detail) override;
  int GetExtraAxisCount() override;
  TPelPar* CreateAxisPar(int Index) override;
  TPelDims GetDims(bool Selectable, bool Means, bool Detail) override;
  int GetItemCount() override;
  TPelDims GetDims2D(bool Selectable, bool Means, bool Detail) override;
  bool UsesOtherRecset(TMerRecset* Recset) override;
  std::string GetLabelAt(TPelPos Pos, bool Selectable, bool Means, bool Detail, bool LabelSwitch,
                         bool ShowCodes) override;
  std::string GetLabel(int Index) override;
  std::string GetLabelAt2D(TPelPos Pos, bool Selectable, bool Means, bool Detail, bool LabelSwitch,
                           bool ShowCodes) override;
  TPelLabels GetLabelList(bool Selectable, bool Means, bool Detail, bool LabelSwitch,
                          bool ShowCodes) override;
  TPelLabels GetAllLabels() override;
  TPelLabels GetLabelList2D(bool Selectable, bool Means, bool Detail, bool LabelSwitch,
                            bool ShowCodes) override;

 protected:
  TPelParDefQuestions& operator=(const TPelParDefQuestions& Source);

 private:
  // One row of the two-dimensional layout: a question's title row (Item -1) or an item.
  struct TRow2D {
    TGimQuestion* Question;
    int Item;
  };
  std::vector<TRow2D> Rows2D(const TPelRespItems& Items) const;
  std::string Label1D(const TPelRespItem& Item, int Col, bool Selectable, bool Means,
                      bool ShowCodes) const;
  TGimQuestion* FindQuestion(TRixScanner& Scanner, TPelSurvey* ASurvey, const std::string& ID,
                             const TOrvTextPos& At);
  void CopyFrom(const TPelParDefQuestions& Source);

  mutable std::unique_ptr<TPelParDefResponseAxis> FAxisPar;
};

}  // namespace quin
