// Questions of the survey's data tree: a flat list of responses, or a grid of response axes
// whose combinations become the responses.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/exception.h"
#include "surveykit/gimaxes.h"

namespace quin {

class TGimIDIndex;

extern const TOrvMsgClass TGimError_DefInvalidInSingleAxis;
extern const TOrvMsgClass TGimError_DefInvalidInMultiAxis;
extern const TOrvMsgClass TGimWarning_NoMeanNotInterval;

// A qualified question identifier names another survey.
class EGimWrongSurveyException : public Exception {
 public:
  EGimWrongSurveyException();
};

enum class TGimScale : uint8_t { Interval = 0, Ordinal = 1, Nominal = 2 };

class TGimQuestion : public TGimDataObject {
  QUIN_CLASS(TGimQuestion, TGimDataObject)
 public:
  TGimQuestion() = default;
  // Deep copies of the axes and the responses.
  TGimQuestion(const TGimQuestion& Source);
  std::unique_ptr<TOrvObject> CreateCopy() const override {
    return std::unique_ptr<TOrvObject>(new TGimQuestion(*this));
  }

  std::unique_ptr<TGimResponseAxisList> Axes;   // owned
  std::unique_ptr<TMerResponseList> Responses;  // owned; for a grid the generated ones
  TGimScale Scale = TGimScale::Interval;
  bool GridRead = false;  // a "responseGrid" block was read

  // Creates the empty axis list and response list.
  void CreateInSurvey(TMerSurvey* ASurvey, TOrvPersistent* AParent) override;
  // 4 for a grid, 3 when the responses lie on different columns, else 1.
  int ImageIndex() const override;
  TGimViewNode* AddToTreeView(TGimTreeView& Tree, TGimViewNode* ParentNode,
                              TGimCheckState State) override;
  TGimViewNode* AddToTreeViewSelected(TGimTreeView& Tree, TGimViewNode* ParentNode,
                                      bool WholeIfSelected, TGimCheckState State,
                                      const TOrvObjectList& Selection) override;
  // Per record of Recset: whether it chose one of Responses, and whether it has no valid
  // answer in their columns. Selected and Missing are resized to the record count.
  virtual void EvaluateResponses(const std::vector<TGimResponse*>& AResponses,
                                 std::vector<uint8_t>& Selected, std::vector<uint8_t>& Missing,
                                 TMerRecset* Recset);

  bool IsGrid() const { return Axes && Axes->Count() > 1; }
  bool UsesRecset(const TMerRecset* Recset) const;
  int CountBaseResponses() const { return Responses ? Responses->CountBaseResponses() : 0; }
  // Reads the body of a "question" block (after "def question"); Root is the tree's root
  // module for the uniqueness of the ID. The question is closed also when an exception passes.
  void Read(TRixScanner& Scanner, TGimIDIndex* IDs);

 private:
  void Close(TRixScanner& Scanner);
};

class TGimQuestionList : public TOrvTypedList<TGimQuestion> {
  QUIN_CLASS(TGimQuestionList, TOrvObjectList)
 public:
  using TOrvTypedList::TOrvTypedList;
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TGimQuestionList(*this));
  }
};

}  // namespace quin
