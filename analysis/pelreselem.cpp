#include "analysis/pelreselem.h"

#include <mutex>

#include "analysis/pelgroup.h"
#include "analysis/pelpar.h"
#include "analysis/pelsurvey.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "deflang/rixwriter.h"
#include "surveykit/gimreading.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelResCell, TOrvObject)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelResElemBasic, TOrvObject)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelResElem, TPelResElemBasic)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelResElemRef, TPelResElem)
QUIN_IMPLEMENT_CLASS(TPelResElemList, TOrvObjectList)

// ---- TPelResElemClass

std::string TPelResElemClass::GetBlockName(bool Chart) const {
  return (Chart ? "chartData" : "dataInfo") + Outfix();
}

std::unique_ptr<TPelResElem> TPelResElemClass::CreateFromScanner(TPelSurvey* Survey,
                                                                 TRixScanner& Scanner) const {
  std::unique_ptr<TPelResElem> E = CreateFromElem(Survey, nullptr);
  TGimBlockReader R;
  R.Key = [&](TRixScanner& S) {
    if (RixKeyTaken(S, S.ReadGUID("parSubGUID", E->SubParGUID))) return true;
    return E->TableDataInfo_ReadDef(S);
  };
  R.Read(Scanner);
  return E;
}

// ---- TPelResElem

TPelResElem::TPelResElem(TPelSurvey* ASurvey, int AItemIndex, TPelPar* APar)
    : Par(APar), ItemIndex(AItemIndex), Survey(ASurvey) {
  if (Par && Par->UsesCaseGroups() && Survey && Survey->RecsetList) {
    Selected.resize(Survey->RecsetCount());
    Missing.resize(Survey->RecsetCount());
  }
}

TPelResElem::TPelResElem(const TPelResElem& Source) = default;

TPelResElem::~TPelResElem() = default;

std::unique_ptr<TPelResElem> TPelResElem::CreateFromElem(TPelSurvey* Survey,
                                                         const TPelResElem* Elem) {
  auto E = std::make_unique<TPelResElem>(Survey, -1, nullptr);
  E->TakeIdentity(Elem);
  return E;
}

void TPelResElem::TakeIdentity(const TPelResElem* Elem) {
  if (!Elem) return;
  Par = Elem->GetPar();
  ItemIndex = Elem->GetItemIndex();
  SubParGUID = ResolveRef(Elem)->SubParGUID;
}

TPelGroup* TPelResElem::GetGroup() {
  if (!IsCalculated()) {
    BuildGroup();
    // Without a cell there is no record set to evaluate on yet.
    if (!Res) return Group.get();
    if (Group) {
      EvaluateGroup();
      Group->ReleaseFlags();
    }
    SetCalculated(true);
  }
  return Group.get();
}

TGimWaveList* TPelResElem::GetWaveList() const { return Survey ? Survey->Waves.get() : nullptr; }

bool TPelResElem::IsSameKind(const TPelResElem* Other) const {
  return Other && Other->IsExactly(ClassType());
}

void TPelResElem::FreeGroup() {
  if (Group) Group->ReleaseFlags();
  SetCalculated(false);
}

void TPelResElem::EvaluateGroup() {
  TMerRecset* Recset = Res ? Res->GetBasedOnRecset() : nullptr;
  if (!Group || !Recset || !Survey || !Survey->RecsetList) return;
  const int K = Survey->RecsetList->IndexOf(Recset);
  if (K < 0) return;
  Group->Evaluate(GetWaveList(), Res->GetWeight(), Recset);
  // Elements made without case groups (data-info copies) get their arrays here.
  if (Selected.size() <= static_cast<size_t>(K)) Selected.resize(Survey->RecsetCount());
  if (Missing.size() <= static_cast<size_t>(K)) Missing.resize(Survey->RecsetCount());
  Group->TakeFlags(Selected[K], Missing[K]);
}

bool TPelResElem::HasEnoughWaves() const {
  const TGimWaveList* W = GetWaveList();
  const TGimWaveList* All = Survey ? Survey->Waves.get() : nullptr;
  return !W || !All || W->Count() >= All->MinSelCount;
}

void TPelResElem::WriteBlock(TStream& Stream, int& Indent) const {
  WriteDefStart(Stream, Indent, GetBlockName(false));
  const TGUID& G = ResolveRef(this)->SubParGUID;
  if (!IsNullGUID(G)) WriteKeyGUID(Stream, Indent, "parSubGUID", "", G);
  TableDataInfo_WriteDef(Stream, Indent);
  WriteDefEnd(Stream, Indent);
}

TPelResElem* TPelResElem::ResolveRef(TPelResElem* Elem) {
  auto* R = As<TPelResElemRef>(Elem);
  return R ? R->Target : Elem;
}

const TPelResElem* TPelResElem::ResolveRef(const TPelResElem* Elem) {
  const auto* R = As<TPelResElemRef>(Elem);
  return R ? R->Target : Elem;
}

bool TPelResElem::IsKindOf(const TPelResElem* Elem, const ClassInfo& Class) {
  const TPelResElem* E = ResolveRef(Elem);
  return E && E->Is(Class);
}

bool TPelResElem::MatchSubParElem(const TPelResElem* C, TPelResElemList& L, int Index,
                                  bool Lenient) {
  const TPelResElem* E = L.GetElem(Index);
  if (!C || !E) return false;
  const bool Compared = C->TableDataInfo_ComparePrivate(E);
  const auto* Multi = As<TPelParMulti>(E->GetPar());
  if (!Multi || IsNullGUID(E->SubParGUID)) return Compared;
  const TPelSubPar* Sub = nullptr;
  for (int I = 0; I < Multi->SubParCount() && !Sub; ++I)
    if (Multi->SubPar(I)->GUID == E->SubParGUID) Sub = Multi->SubPar(I);
  if (!Sub) return Lenient && Compared;
  if (ResolveRef(C)->SubParGUID != E->SubParGUID) return Lenient && Compared;
  if (!Sub->Grouped && Sub->HasElemList()) return Compared;
  // The sub-parameter forms one item: its identity is the match, and the data info takes the
  // cell's element in place of its own.
  const TPelResElem* Cell = ResolveRef(C);
  std::unique_ptr<TPelResElem> Copy = Cell->ResClass().CreateFromElem(E->Survey, Cell);
  L.SetItem(Index, Copy.release());
  return true;
}

std::shared_ptr<TPelGroup> UnownedGroup(TPelGroup* Group) {
  // The aliasing constructor with an empty owner: a pointer that frees nothing.
  return std::shared_ptr<TPelGroup>(std::shared_ptr<TPelGroup>(), Group);
}

// ---- TPelResElemRef

TPelResElemRef::TPelResElemRef(TPelResElem* ATarget)
    : TPelResElem(ATarget ? ATarget->Survey : nullptr, ATarget ? ATarget->GetItemIndex() : -1,
                  nullptr),
      Target(ATarget) {
  if (!Target) throw EListError("A result-element reference needs a target");
  Par = Target->GetPar();
}

// ---- TPelResElemList

TPelResElem* TPelResElemList::FindByClass(const ClassInfo& Class) const {
  for (int I = 0; I < Count(); ++I)
    if (TPelResElem* E = GetElem(I); E && E->Is(Class)) return E;
  return nullptr;
}

int TPelResElemList::CountByClass(const ClassInfo& Class) const {
  int N = 0;
  for (int I = 0; I < Count(); ++I)
    if (const TPelResElem* E = GetElem(I); E && E->Is(Class)) ++N;
  return N;
}

// ---- The registry

namespace {

std::vector<const TPelResElemClass*>& ResClasses() {
  static std::vector<const TPelResElemClass*> List;
  return List;
}
std::mutex& ResClassesLock() {
  static std::mutex M;
  return M;
}

}  // namespace

void RegisterResClass(const TPelResElemClass& Class) {
  std::lock_guard<std::mutex> G(ResClassesLock());
  for (const TPelResElemClass* C : ResClasses())
    if (C == &Class) return;
  ResClasses().push_back(&Class);
}

const TPelResElemClass* FindResClassByBlockName(std::string_view Name) {
  std::lock_guard<std::mutex> G(ResClassesLock());
  for (bool Chart : {false, true})
    for (const TPelResElemClass* C : ResClasses())
      if (SameText(C->GetBlockName(Chart), Name)) return C;
  return nullptr;
}

std::vector<const TPelResElemClass*> RegisteredResClasses() {
  std::lock_guard<std::mutex> G(ResClassesLock());
  return ResClasses();
}

const TPelResElemClass* ReadResElemBlockStart(TRixScanner& Scanner) {
  for (bool Chart : {false, true})
    for (const TPelResElemClass* C : RegisteredResClasses())
      if (Scanner.ReadDefComplexStart(C->GetBlockName(Chart))) return C;
  return nullptr;
}

}  // namespace quin
