#include "reports/pelchart.h"

#include "base/langmanager.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "deflang/rixwriter.h"
#include "reports/peltable.h"
#include "surveykit/gimreading.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelRepElemChart, TPelRepElem)

namespace {

std::string Translated(std::string_view Utf8) {
  return CurrentLangManager().Translate(Cp1250(Utf8));
}

}  // namespace

TPelRepElemChart::TPelRepElemChart(TPelRepElem* ATable, TPelSurvey* ASurvey)
    : TPelRepElem(ATable, ASurvey),
      ColChartDataInfo(std::make_unique<TPelChartDataInfoList>("colChartDataInfo")),
      RowChartDataInfo(std::make_unique<TPelChartDataInfoList>("rowChartDataInfo")) {}

TPelRepElemTable* TPelRepElemChart::GetTable() const { return As<TPelRepElemTable>(ParentElem()); }

std::string TPelRepElemChart::GetKindCaption() const { return Translated("<PLK>Wykres<ENU>Chart"); }

std::string TPelRepElemChart::GetKindName(bool Short) const {
  return Short ? Translated("<PLK>W<ENU>C") : Translated("<PLK>Wykres<ENU>Chart");
}

std::string TPelRepElemChart::GetFullCaption() const {
  const TPelRepElem* T = ParentElem();
  const TPelRepElem* A = T ? T->ParentElem() : nullptr;
  return A ? A->GetCaption() + " - " + GetCaption() : GetCaption();
}

void TPelRepElemChart::WriteKeys(TStream& Stream, int& Indent) const {
  TPelRepElem::WriteKeys(Stream, Indent);
  WriteKeyIdentifier(Stream, Indent, "seriesIn", "", SeriesIn == 1 ? "columns" : "rows");
  ColChartDataInfo->WriteToStream(Stream, Indent);
  RowChartDataInfo->WriteToStream(Stream, Indent);
  if (!Template.empty()) WriteObjectText(Stream, Indent, Template);
}

void TPelRepElemChart::ReadBody(TRixScanner& Scanner, bool& Stale) {
  TGimBlockReader R;
  R.Key = [this](TRixScanner& S) {
    if (ReadElemKey(S)) return true;
    if (S.AcceptIdentifier("selection")) {
      S.SkipStatement(true);
      return true;
    }
    std::string Value;
    TOrvTextPos At;
    if (ReadIdentifierAt(S, "seriesIn", Value, At)) {
      if (Value == "rows")
        SeriesIn = 0;
      else if (Value == "columns")
        SeriesIn = 1;
      else
        S.AddMsgAt(TRixMsgError_UnknownKey, At);
      return true;
    }
    if (S.LastReadResult() != TRixReadResult::NoMatch) return true;
    return ReadObjectText(S, Template);
  };
  R.Block = [this](TRixScanner& S, const TOrvTextPos&) {
    for (TPelChartDataInfoList* L : {ColChartDataInfo.get(), RowChartDataInfo.get()})
      if (S.ReadDefComplexStart(L->BlockName)) {
        L->ReadFromScanner(Survey, S);
        return true;
      }
    return false;
  };
  R.Read(Scanner);
  RelinkDataInfos();
}

void TPelRepElemChart::RelinkDataInfos() {
  const TPelRepElemTable* T = GetTable();
  if (!T) return;
  for (const auto& [List, Axis] : {std::pair{ColChartDataInfo.get(), T->ColParams.get()},
                                   std::pair{RowChartDataInfo.get(), T->RowParams.get()}})
    for (int I = 0; I < List->Count(); ++I) PelRelinkDataInfo(*List->GetItem(I), *Axis);
}

void RegisterChartElemKind() {
  RegisterRepElemKind({"chart", &TPelRepElemTable::StaticClass(),
                       [](TPelRepElem* Parent, TPelSurvey* Survey) -> std::unique_ptr<TPelRepElem> {
                         return New<TPelRepElemChart>(Parent, Survey);
                       }});
}

}  // namespace quin
