#include "reports/pelchart.h"

#include <algorithm>

#include "analysis/pelres.h"
#include "base/langmanager.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "deflang/rixwriter.h"
#include "reports/peltable.h"
#include "surveykit/gimreading.h"
#include "surveykit/gimstat.h"

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

// ---- Line selection

bool TPelRepElemChart::HasContent() {
  std::vector<TPelChartLine> Cols, Rows;
  return SelectLines(Cols, Rows);
}

std::vector<TPelChartLine> TPelRepElemChart::MatchLines(TPelRepElemTable& T, bool Cols, int RefA,
                                                        int RefB) {
  TPelChartDataInfoList& Infos = Cols ? *ColChartDataInfo : *RowChartDataInfo;
  const int Count = Cols ? T.VisibleColCount() : T.VisibleRowCount();
  const int From = Cols ? RefA : RefB;
  std::vector<TPelChartLine> Sel;
  // The reference line's cell at each line, and its coordinates in this direction.
  auto CellOf = [&](int K) {
    return As<TPelRes>(Cols ? T.GetCellObject(K, RefB) : T.GetCellObject(RefA, K));
  };
  auto Coords = [&](TPelRes* C) -> const TPelResElemList& {
    return Cols ? C->ColElems : C->RowElems;
  };
  if (Infos.Empty()) {
    for (int K = From; K < Count; ++K) Sel.push_back({K, nullptr});
    return Sel;
  }
  const int Lines = std::max(Count - From, 0);
  std::vector<int> Best(static_cast<size_t>(Lines), -1);
  std::vector<TPelChartDataInfo*> By(static_cast<size_t>(Lines), nullptr);
  auto Note = [&](int K, int N, TPelChartDataInfo* D) {
    const size_t I = static_cast<size_t>(K - From);
    if (N > Best[I]) {
      Best[I] = N;
      By[I] = D;
    }
  };
  bool Any = false;
  for (int K = From; K < Count; ++K)
    if (TPelRes* C = CellOf(K))
      for (int D = 0; D < Infos.Count(); ++D) {
        int N = 0;
        if (Infos.GetItem(D)->MatchesElems(Coords(C), N, false)) {
          Note(K, N, Infos.GetItem(D));
          Any = true;
        }
      }
  if (!Any) {
    // Loosely: the positions the addresses' elements map to on the line where some address
    // maps most, then every line compared at those positions.
    int MapLine = -1, MapCount = -1;
    for (int K = From; K < Count; ++K)
      if (TPelRes* C = CellOf(K))
        for (int D = 0; D < Infos.Count(); ++D) {
          std::vector<int> P;
          int N = 0;
          if (Infos.GetItem(D)->MapElemPositions(Coords(C), P, N) && N > MapCount) {
            MapCount = N;
            MapLine = K;
          }
        }
    if (MapLine >= 0)
      for (int D = 0; D < Infos.Count(); ++D) {
        std::vector<int> P;
        int N = 0;
        if (!Infos.GetItem(D)->MapElemPositions(Coords(CellOf(MapLine)), P, N)) continue;
        for (int K = From; K < Count; ++K)
          if (TPelRes* C = CellOf(K); C && Infos.GetItem(D)->MatchesElemsAt(Coords(C), P, N))
            Note(K, N, Infos.GetItem(D));
      }
  }
  const int Top = Best.empty() ? -1 : *std::max_element(Best.begin(), Best.end());
  for (int K = From; K < Count && Top >= 0; ++K)
    if (Best[static_cast<size_t>(K - From)] == Top)
      Sel.push_back({K, By[static_cast<size_t>(K - From)]});
  return Sel;
}

bool TPelRepElemChart::SelectLines(std::vector<TPelChartLine>& ColSel,
                                   std::vector<TPelChartLine>& RowSel) {
  ColSel.clear();
  RowSel.clear();
  TPelRepElemTable* T = GetTable();
  if (!T) return false;
  auto HasCells = [&] {
    for (int C = 1; C < T->ColCount; ++C)
      for (int R = 1; R < T->RowCount; ++R)
        if (T->CellAt(C, R)) return true;
    return false;
  };
  if (!HasCells()) T->BuildTableCells(true);
  int RefA = 1, RefB = 1;
  T->FindFirstCellOfClass(TPelRes::StaticClass(), RefA, RefB);
  ColSel = MatchLines(*T, true, RefA, RefB);
  RowSel = MatchLines(*T, false, RefA, RefB);
  auto Real = [&](int A, int B) {
    const TPelRes* C = As<TPelRes>(T->GetCellObject(A, B));
    return C && IsRealValue(T->GetCellValue(A, B));
  };
  std::erase_if(RowSel, [&](const TPelChartLine& R) {
    return std::none_of(ColSel.begin(), ColSel.end(),
                        [&](const TPelChartLine& C) { return Real(C.Line, R.Line); });
  });
  std::erase_if(ColSel, [&](const TPelChartLine& C) {
    return std::none_of(RowSel.begin(), RowSel.end(),
                        [&](const TPelChartLine& R) { return Real(C.Line, R.Line); });
  });
  return !ColSel.empty() || !RowSel.empty();
}

void RegisterChartElemKind() {
  RegisterRepElemKind({"chart", &TPelRepElemTable::StaticClass(),
                       [](TPelRepElem* Parent, TPelSurvey* Survey) -> std::unique_ptr<TPelRepElem> {
                         return New<TPelRepElemChart>(Parent, Survey);
                       }});
}

}  // namespace quin
