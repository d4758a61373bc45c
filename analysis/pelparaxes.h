// The response-axis parameter ("responseAxis"): when a questions parameter splits its single
// grid question by its axes, each further axis is a dimension of its own, listing the axis's
// responses. Also the listing of responses shared with the questions parameter.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "analysis/pelpar.h"

namespace quin {

class TGimQuestion;
class TGimResponse;
class TGimResponseAxis;
class TMerResponseList;

// One listed item of a question or an axis: a response, or one value of a numeric response.
struct TPelRespItem {
  TGimQuestion* Question = nullptr;
  TGimResponse* Response = nullptr;
  int ValueIndex = -1;  // the value's index for a numeric response expanded into values
  double Value = 0;
  bool FirstOfQuestion = false;
};
using TPelRespItems = std::vector<TPelRespItem>;

// Every response of List, nested lists included, in order.
void ForEachResponse(const TMerResponseList* List, const std::function<void(TGimResponse*)>& Visit,
                     int Depth = 0);
// Appends the responses of List (nested lists included, in order) that are listed for
// Selectable and Means; with Selectable, a numeric response contributes one item per distinct
// value of its column.
void ListRespItems(TGimQuestion* Question, const TMerResponseList* List, bool Selectable,
                   bool Means, TPelRespItems& Items);
// The element of an item: a question-code element for a value, else a question-response one.
TPelResElem* CreateRespItemElem(TPelSurvey* Survey, const TPelRespItem& Item,
                                TGimResponseAxis* Axis, int ItemIndex, TPelPar* Par);
// The header label of an item: the response's label with Selectable (MultiColumn as the
// question's or the axis's form), else its base label at BaseLevel.
std::string RespItemLabel(const TPelRespItem& Item, bool Selectable, bool Means, bool ShowCodes,
                          bool MultiColumn, int BaseLevel);
// Prefix, then ": " and the response's name when it has one, then " [value]" for a value.
std::string RespItemText(const std::string& Prefix, const TPelRespItem& Item);

class TPelParDefResponseAxis : public TPelPar {
  QUIN_CLASS(TPelParDefResponseAxis, TPelPar)
  QUIN_RW_CLASS(TPelParDefResponseAxis)
 public:
  using TPelPar::TPelPar;
  TPelParDefResponseAxis(const TPelParDefResponseAxis&) = default;

  TGimResponseAxis* Axis = nullptr;  // not owned; null while unresolved
  // The identifier read for an axis that could not be resolved; written back in its place.
  std::string AxisID;

  static std::string StaticKeyword() { return "responseAxis"; }
  // The question that owns the axis; null without axis.
  TGimQuestion* AxisQuestion() const;
  // Question name, " - ", axis name; the axis name alone without question; empty without axis.
  std::string GetAxisTitle() const;

  std::string GetDefaultName() const override;
  bool ReadsOwnID() const override { return true; }
  void ReadBody(TRixScanner& Scanner, TPelSurvey* ASurvey) override;
  void WriteBody(TStream& Stream, int& Indent) const override;
  bool UnaskedFlagD() const override { return true; }
  bool UnaskedFlagE() const override { return false; }
  std::string GetCaption() const override;
  int GetGroupCount2D(bool Selectable, bool Means, bool Detail) override { return Axis ? 1 : 0; }
  bool IsEditable() const override { return false; }
  bool IsGroupStart2D(int Row, bool Selectable, bool Means, bool Detail) override {
    return Row == 0 && Axis;
  }
  TPelResElem* CreateResElemAt(TPelPos Pos, bool Selectable, bool Means, bool Detail) override;
  TPelResElem* CreateResElem(int Index) override;
  TPelResElem* CreateResElemAt2D(TPelPos Pos, bool Selectable, bool Means, bool Detail) override;
  int GetResponseAxisIndex() const override;
  TPelDims GetDims(bool Selectable, bool Means, bool Detail) override;
  int GetItemCount() override;
  TPelDims GetDims2D(bool Selectable, bool Means, bool Detail) override;
  std::string GetLabelAt(TPelPos Pos, bool Selectable, bool Means, bool Detail, bool LabelSwitch,
                         bool ShowCodes) override;
  std::string GetLabel(int Index) override;
  std::string GetLabelAt2D(TPelPos Pos, bool Selectable, bool Means, bool Detail, bool LabelSwitch,
                           bool ShowCodes) override;

  TPelRespItems Items(bool Selectable, bool Means) const;

 protected:
  TPelParDefResponseAxis& operator=(const TPelParDefResponseAxis&) = default;
};

}  // namespace quin
