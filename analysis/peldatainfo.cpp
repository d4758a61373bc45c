#include "analysis/peldatainfo.h"

#include <algorithm>

#include "analysis/pelrwobject.h"
#include "base/orvstrings.h"
#include "deflang/rixscanner.h"
#include "deflang/rixwriter.h"
#include "surveykit/gimreading.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TPelTableDataInfo, TOrvObject)
QUIN_IMPLEMENT_CLASS(TPelChartDataInfo, TPelTableDataInfo)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelTableDataInfoList, TOrvObjectList)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelChartDataInfoList, TPelTableDataInfoList)

namespace {

// One class derives from the other (or they are the same).
bool Related(const TPelResElem* A, const TPelResElem* B) {
  return A && B && (A->Is(B->ClassType()) || B->Is(A->ClassType()));
}

bool SameClass(const TPelResElem* A, const TPelResElem* B) {
  return &A->ClassType() == &B->ClassType();
}

}  // namespace

// ---- TPelTableDataInfo

void TPelTableDataInfo::RefreshElems() {
  for (int I = 0; I < Elems.Count(); ++I) Elems.GetItem(I)->Refresh();
}

std::unique_ptr<TPelTableDataInfo> TPelTableDataInfo::CreateFromElems(
    const TPelResElemList& CellElems) {
  auto D = std::make_unique<TPelTableDataInfo>();
  D->AddElemsFrom(CellElems);
  return D;
}

void TPelTableDataInfo::AddElemsFrom(const TPelResElemList& CellElems) {
  for (int I = 0; I < CellElems.Count(); ++I)
    if (const TPelResElem* E = CellElems.GetElem(I))
      Elems.Add(E->ResClass().CreateFromElem(E->Survey, E));
}

bool TPelTableDataInfo::MatchesElems(const TPelResElemList& CellElems, int& Count, bool Lenient) {
  Count = 0;
  if (CellElems.Empty() || Elems.Empty()) return CellElems.Empty() && Elems.Empty();
  std::vector<bool> Used(Elems.Count(), false);
  bool Result = false;
  for (int C = 0; C < CellElems.Count(); ++C) {
    const TPelResElem* Cell = CellElems.GetElem(C);
    for (int D = 0; D < Elems.Count(); ++D) {
      // Elements are fetched by index: a match may replace the data info's element.
      if (Used[D] || !Related(Cell, Elems.GetElem(D))) continue;
      Result = SameClass(Cell, Elems.GetElem(D)) &&
               TPelResElem::MatchSubParElem(Cell, Elems, D, Lenient);
      if (!Result) return false;
      Used[D] = true;
      ++Count;
      break;
    }
  }
  return Result;
}

bool TPelTableDataInfo::MatchesElemsAt(const TPelResElemList& CellElems,
                                       const std::vector<int>& Positions, int& Count) {
  Count = 0;
  bool Result = false;
  for (int D = 0; D < Elems.Count(); ++D) {
    if (static_cast<size_t>(D) >= Positions.size()) continue;
    const int P = Positions[D];
    if (P < 0 || P >= CellElems.Count()) continue;
    const TPelResElem* Cell = CellElems.GetElem(P);
    if (!Related(Cell, Elems.GetElem(D))) continue;
    Result =
        SameClass(Cell, Elems.GetElem(D)) && TPelResElem::MatchSubParElem(Cell, Elems, D, false);
    if (!Result) break;
    ++Count;
  }
  return Result;
}

bool TPelTableDataInfo::MapElemPositions(const TPelResElemList& CellElems,
                                         std::vector<int>& Positions, int& Count) {
  Positions.assign(Elems.Count(), -1);
  Count = 0;
  bool Any = false;
  for (int C = 0; C < CellElems.Count(); ++C) {
    const TPelResElem* Cell = CellElems.GetElem(C);
    bool HadRelated = false;
    bool Matched = false;
    for (int D = 0; D < Elems.Count() && !Matched; ++D) {
      if (Positions[D] != -1 || !Related(Cell, Elems.GetElem(D))) continue;
      HadRelated = true;
      if (SameClass(Cell, Elems.GetElem(D)) &&
          TPelResElem::MatchSubParElem(Cell, Elems, D, false)) {
        Positions[D] = C;
        ++Count;
        Matched = true;
      }
    }
    if (!HadRelated) continue;
    Any = true;
    if (!Matched) {
      std::fill(Positions.begin(), Positions.end(), -1);
      return false;
    }
  }
  return Any;
}

void TPelTableDataInfo::ReadBody(TPelSurvey* Survey, TRixScanner& Scanner) {
  TGimBlockReader R;
  R.Block = [&](TRixScanner& S, const TOrvTextPos&) {
    const TPelResElemClass* C = ReadResElemBlockStart(S);
    if (!C) return false;
    Elems.Add(C->CreateFromScanner(Survey, S));
    return true;
  };
  R.Key = [&](TRixScanner& S) { return ReadKey(S); };
  R.Read(Scanner);
}

void TPelTableDataInfo::WriteToStream(TStream& Stream, int& Indent) const {
  WriteDefStart(Stream, Indent, GetBlockName());
  for (int I = 0; I < Elems.Count(); ++I) Elems.GetItem(I)->WriteBlock(Stream, Indent);
  WriteKeys(Stream, Indent);
  WriteDefEnd(Stream, Indent);
}

// ---- TPelChartDataInfo

namespace {

// The lines of Text without the indentation they share and without leading and trailing
// blank lines, joined by CR LF.
std::string Unindented(const std::string& Text) {
  std::vector<std::string> Lines;
  size_t I = 0;
  while (I <= Text.size()) {
    size_t E = Text.find('\n', I);
    if (E == std::string::npos) E = Text.size();
    std::string L = Text.substr(I, E - I);
    if (!L.empty() && L.back() == '\r') L.pop_back();
    Lines.push_back(std::move(L));
    I = E + 1;
  }
  auto Blank = [](const std::string& L) { return L.find_first_not_of(" \t") == std::string::npos; };
  while (!Lines.empty() && Blank(Lines.front())) Lines.erase(Lines.begin());
  while (!Lines.empty() && Blank(Lines.back())) Lines.pop_back();
  size_t Common = std::string::npos;
  for (const std::string& L : Lines)
    if (!Blank(L)) Common = std::min(Common, L.find_first_not_of(' '));
  std::string R;
  for (size_t K = 0; K < Lines.size(); ++K) {
    if (K > 0) R += "\r\n";
    R += Lines[K].size() > Common ? Lines[K].substr(Common) : std::string();
  }
  return R;
}

}  // namespace

std::string TPelChartDataInfo::SeriesClassName() const {
  if (!HasSeries) return {};
  const std::string First = Series.substr(0, Series.find('\r'));
  const size_t Colon = First.rfind(':');
  return Colon == std::string::npos ? std::string() : TrimChar(First.substr(Colon + 1), ' ');
}

bool TPelChartDataInfo::ReadKey(TRixScanner& Scanner) {
  if (Scanner.AcceptIdentifier("stat")) {
    Scanner.SkipStatement(true);
    return true;
  }
  if (!Scanner.AcceptIdentifier("object")) return false;
  Scanner.Accept(TRixTokenDefSimple::StaticClass());
  if (!Scanner.Expect(TOrvTokenStringMultiLine::StaticClass(), TRixMsgError_StringExpected, true))
    return true;
  Series = Unindented(Scanner.PrevToken->GetText());
  HasSeries = !Series.empty();
  Scanner.Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, true);
  return true;
}

void TPelChartDataInfo::WriteKeys(TStream& Stream, int& Indent) const {
  if (!HasSeries) return;
  const std::string Prefix(Indent + 2, ' ');
  std::string Text = Prefix;
  for (char C : Series) {
    Text += C;
    if (C == '\n') Text += Prefix;
  }
  WriteObjectBlock(Stream, Indent, "", "", Text + "\r\n");
}

// ---- TPelTableDataInfoList

void TPelTableDataInfoList::RefreshAll() {
  for (int I = 0; I < Count(); ++I) GetItem(I)->RefreshElems();
}

std::unique_ptr<TPelTableDataInfo> TPelTableDataInfoList::CreateItemFrom(
    const TPelResElemList& CellElems) const {
  std::unique_ptr<TPelTableDataInfo> D = CreateItem();
  D->AddElemsFrom(CellElems);
  return D;
}

TPelTableDataInfo* TPelTableDataInfoList::NewItem(const TPelResElemList& CellElems) {
  return TOrvObjectList::Add(CreateItemFrom(CellElems));
}

void TPelTableDataInfoList::ReadFromScanner(TPelSurvey* Survey, TRixScanner& Scanner) {
  TGimBlockReader R;
  R.Block = [&](TRixScanner& S, const TOrvTextPos&) {
    if (!S.ReadDefComplexStart(GetItemBlockName())) return false;
    // An item whose reading fails is freed with the failure passing on.
    std::unique_ptr<TPelTableDataInfo> D = CreateItem();
    D->ReadBody(Survey, S);
    TOrvObjectList::Add(std::move(D));
    return true;
  };
  R.Read(Scanner);
}

void TPelTableDataInfoList::WriteToStream(TStream& Stream, int& Indent) const {
  if (Empty()) return;
  WriteDefStart(Stream, Indent, BlockName);
  for (int I = 0; I < Count(); ++I) GetItem(I)->WriteToStream(Stream, Indent);
  WriteDefEnd(Stream, Indent);
}

}  // namespace quin
