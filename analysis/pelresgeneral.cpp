#include "analysis/pelresgeneral.h"

#include "analysis/pelgroup.h"
#include "analysis/pelparbase.h"
#include "analysis/pelresgroup.h"
#include "analysis/pelrwobject.h"
#include "analysis/pelrwobjectfiles.h"
#include "analysis/pelsurvey.h"
#include "analysis/peluserdef.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "deflang/rixwriter.h"
#include "surveykit/gimexpr.h"
#include "surveykit/gimquestions.h"
#include "surveykit/gimstat.h"
#include "surveykit/mermessages.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelResWaves, TPelResElem)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelResVar, TPelResElem)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelResVarVal, TPelResElem)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelResVarValCode, TPelResVarVal)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelResStat, TPelResElem)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelResBase, TPelResElem)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelResMargins, TPelResElem)

void RegisterGeneralResClasses() {
  RegisterResClass(ResElemClassOf<TPelResGroup>());
  RegisterResClass(ResElemClassOf<TPelResStat>());
  RegisterResClass(ResElemClassOf<TPelResVarVal>());
  RegisterResClass(ResElemClassOf<TPelResVarValCode>());
  RegisterResClass(ResElemClassOf<TPelResWaves>());
  RegisterResClass(ResElemClassOf<TPelResBase>());
  RegisterResClass(ResElemClassOf<TPelResMargins>());
}

// ---- TPelResWaves

TPelResWaves::TPelResWaves(TPelSurvey* ASurvey, const std::vector<TGimWave*>& AWaves,
                           int AItemIndex, TPelPar* APar)
    : TPelResElem(ASurvey, AItemIndex, APar),
      Waves(TGimWaveList::CreateSubset(ASurvey, /*OwnsWaves=*/false, /*AddAll=*/false)) {
  // The empty group selects exactly the records of the element's waves.
  Group = std::shared_ptr<TPelGroup>(New<TPelGroup>(ASurvey, nullptr).release());
  for (TGimWave* W : AWaves)
    if (W && Waves->Children->IndexOf(W) < 0) Waves->Children->Add(W);
}

TPelResWaves::TPelResWaves(const TPelResWaves& Source)
    : TPelResElem(Source),
      Waves(TGimWaveList::CreateSubset(Source.Survey, /*OwnsWaves=*/false, /*AddAll=*/false)) {
  SetWaves(Source.Waves.get());
}

void TPelResWaves::SetWaves(const TGimWaveList* Source) {
  Waves->Children->Clear();
  for (int I = 0; Source && I < Source->Count(); ++I) Waves->Children->Add(Source->GetItem(I));
}

std::unique_ptr<TPelResElem> TPelResWaves::CreateFromElem(TPelSurvey* Survey,
                                                          const TPelResElem* Elem) {
  auto E = std::make_unique<TPelResWaves>(Survey, std::vector<TGimWave*>{}, -1, nullptr);
  E->TakeIdentity(Elem);
  if (const auto* W = As<TPelResWaves>(ResolveRef(Elem))) E->SetWaves(W->Waves.get());
  return E;
}

bool TPelResWaves::TableDataInfo_ComparePrivate(const TPelResElem* Other) const {
  const auto* O = As<TPelResWaves>(ResolveRef(Other));
  if (!O || O->Waves->Count() != Waves->Count()) return false;
  for (int I = 0; I < Waves->Count(); ++I)
    if (O->Waves->GetItem(I) != Waves->GetItem(I)) return false;
  return true;
}

bool TPelResWaves::TableDataInfo_ReadDef(TRixScanner& Scanner) {
  std::unique_ptr<TRixTextList> IDs;
  if (!Scanner.ReadIdentifierList("waveList", IDs)) return RixKeyTaken(Scanner, false);
  Waves->Children->Clear();
  for (int I = 0; IDs && I < IDs->Count(); ++I) {
    const std::string ID = IDs->GetItem(I)->Text();
    TGimWave* W = Survey && Survey->Waves ? Survey->Waves->FindByID(ID) : nullptr;
    if (!W)
      Scanner.AddMsgArgsAt(TMerRepInfo_WaveNotFound, IDs->GetItem(I)->Token()->StartPos, {ID});
    else if (Waves->Children->IndexOf(W) < 0)
      Waves->Children->Add(W);
  }
  return true;
}

void TPelResWaves::TableDataInfo_WriteDef(TStream& Stream, int& Indent) const {
  std::string IDs;
  for (int I = 0; I < Waves->Count(); ++I) IDs += (I > 0 ? ", " : "") + Waves->GetItem(I)->GetID();
  WriteKeyValue(Stream, Indent, "waveList", "", IDs);
}

// ---- TPelResVar

TPelResVar::TPelResVar(TPelSurvey* ASurvey, TGimResponseAxis* AHeaderObject,
                       TGimQuestion* AQuestion, int AItemIndex, TPelPar* APar)
    : TPelResElem(ASurvey, AItemIndex, APar), Question(AQuestion), HeaderObject(AHeaderObject) {}

std::unique_ptr<TPelResElem> TPelResVar::CreateFromElem(TPelSurvey* Survey,
                                                        const TPelResElem* Elem) {
  const auto* V = As<TPelResVar>(ResolveRef(Elem));
  auto E = std::make_unique<TPelResVar>(Survey, V ? V->HeaderObject : nullptr,
                                        V ? V->Question : nullptr, -1, nullptr);
  E->TakeIdentity(Elem);
  return E;
}

// ---- TPelResVarVal

TPelResVarVal::TPelResVarVal(TPelSurvey* ASurvey, TGimResponse* AResponse, TGimResponseAxis* AAxis,
                             TGimQuestion* AQuestion, int AItemIndex, TPelPar* APar)
    : TPelResElem(ASurvey, AItemIndex, APar),
      Question(AQuestion),
      Axis(AAxis),
      Response(AResponse) {}

std::unique_ptr<TPelResElem> TPelResVarVal::CreateFromElem(TPelSurvey* Survey,
                                                           const TPelResElem* Elem) {
  const auto* V = As<TPelResVarVal>(ResolveRef(Elem));
  auto E = std::make_unique<TPelResVarVal>(Survey, V ? V->Response : nullptr, V ? V->Axis : nullptr,
                                           V ? V->Question : nullptr, -1, nullptr);
  E->TakeIdentity(Elem);
  return E;
}

TPelResVarVal* TPelResVarVal::AsNumericResponse(TPelResElem* Elem) {
  auto* V = As<TPelResVarVal>(ResolveRef(Elem));
  return V && !As<TPelUserDefQuestion>(V->Question) ? V : nullptr;
}

bool TPelResVarVal::AsksMeans() const {
  return Response && (Response->Attributes & GimAttrSubstStats);
}

bool TPelResVarVal::IsSameKind(const TPelResElem* Other) const {
  const auto* O = As<TPelResVarVal>(ResolveRef(Other));
  return O && O->Question == Question;
}

bool TPelResVarVal::RestrictsBase() const {
  return Response && (Response->Attributes & GimAttrEstIndependent);
}

void TPelResVarVal::AddValue(TPelGroupVar& Var) const { Var.Values.AddResponse(Response); }

void TPelResVarVal::BuildGroup() {
  if (Group || Axis) return;
  auto G = New<TPelGroup>(Survey, nullptr);
  if (Response && Response->AsSelectable()) {
    auto Var = std::make_unique<TPelGroupVar>(nullptr, Survey);
    Var->Question = Question;
    AddValue(*Var);
    G->AddCondition(std::move(Var), ExprOperator<TGimExprOperatorLogicConjunction>(), nullptr,
                    nullptr);
  }
  Group = std::shared_ptr<TPelGroup>(G.release());
}

bool TPelResVarVal::TableDataInfo_ComparePrivate(const TPelResElem* Other) const {
  const auto* O = As<TPelResVarVal>(ResolveRef(Other));
  return O && O->Question == Question && O->Axis == Axis && O->Response == Response;
}

bool TPelResVarVal::TableDataInfo_ReadDef(TRixScanner& Scanner) {
  const TOrvTextPos At = Scanner.Token->StartPos;
  std::string ID;
  if (Scanner.ReadIdentifier("question", ID)) {
    Question = Survey && Survey->Data
                   ? Survey->Data->FindQuestion(ID, RaisesForOtherSurvey(Scanner))
                   : nullptr;
    Axis = nullptr;
    Response = nullptr;
    if (!Question) Scanner.AddMsgArgsAt(TMerRepInfo_QuestionNotFound, At, {ID});
    return true;
  }
  if (RixKeyTaken(Scanner, false)) return true;
  if (Scanner.ReadIdentifier("responseAxis", ID)) {
    Axis = Question && Question->Axes ? Question->Axes->FindByID(ID) : nullptr;
    return true;
  }
  if (RixKeyTaken(Scanner, false)) return true;
  if (!Scanner.ReadIdentifier("response", ID)) return RixKeyTaken(Scanner, false);
  const TMerResponseList* List =
      Axis ? Axis->Responses.get() : (Question ? Question->Responses.get() : nullptr);
  Response = List ? List->FindByID(ID) : nullptr;
  if (!Response)
    Scanner.AddMsgArgsAt(TMerRepInfo_ResponseNotFound, At,
                         {ID, Question ? Question->GetID() : std::string()});
  return true;
}

void TPelResVarVal::TableDataInfo_WriteDef(TStream& Stream, int& Indent) const {
  if (Question) WriteKeyIdentifier(Stream, Indent, "question", "", Question->GetID());
  if (Axis) WriteKeyIdentifier(Stream, Indent, "responseAxis", "", Axis->GetID());
  if (Response) WriteKeyIdentifier(Stream, Indent, "response", "", Response->GetID());
}

bool TPelResVarVal::UsesOtherRecset(TMerRecset* Recset) const {
  return Response && Response->UsesOtherRecset(Recset);
}

// ---- TPelResVarValCode

TPelResVarValCode::TPelResVarValCode(TPelSurvey* ASurvey, bool AIsValueItem, double ACode,
                                     TGimResponse* AResponse, TGimResponseAxis* AAxis,
                                     TGimQuestion* AQuestion, int AItemIndex, TPelPar* APar)
    : TPelResVarVal(ASurvey, AResponse, AAxis, AQuestion, AItemIndex, APar),
      Code(ACode),
      IsValueItem(AIsValueItem) {}

std::unique_ptr<TPelResElem> TPelResVarValCode::CreateFromElem(TPelSurvey* Survey,
                                                               const TPelResElem* Elem) {
  const auto* V = As<TPelResVarValCode>(ResolveRef(Elem));
  auto E = std::make_unique<TPelResVarValCode>(Survey, V && V->IsValueItem, V ? V->Code : 0,
                                               V ? V->Response : nullptr, V ? V->Axis : nullptr,
                                               V ? V->Question : nullptr, -1, nullptr);
  E->TakeIdentity(Elem);
  return E;
}

void TPelResVarValCode::AddValue(TPelGroupVar& Var) const { Var.Values.AddCode(Response, Code); }

bool TPelResVarValCode::TableDataInfo_ComparePrivate(const TPelResElem* Other) const {
  const auto* O = As<TPelResVarValCode>(ResolveRef(Other));
  return O && TPelResVarVal::TableDataInfo_ComparePrivate(O) && O->Code == Code;
}

bool TPelResVarValCode::TableDataInfo_ReadDef(TRixScanner& Scanner) {
  if (TPelResVarVal::TableDataInfo_ReadDef(Scanner)) return true;
  // Exactly eight bytes; other data are reported and the code kept.
  return RixKeyTaken(Scanner, Scanner.ReadDoubleBin("code", Code));
}

void TPelResVarValCode::TableDataInfo_WriteDef(TStream& Stream, int& Indent) const {
  TPelResVarVal::TableDataInfo_WriteDef(Stream, Indent);
  WriteKeyDoubleBin(Stream, Indent, "code", "", Code);
}

// ---- TPelResStat

TPelResStat::TPelResStat(TPelSurvey* ASurvey, TGimStat* AStat, int AItemIndex, TPelPar* APar)
    : TPelResElem(ASurvey, AItemIndex, APar), Stat(AStat) {}

std::unique_ptr<TPelResElem> TPelResStat::CreateFromElem(TPelSurvey* Survey,
                                                         const TPelResElem* Elem) {
  const auto* S = As<TPelResStat>(ResolveRef(Elem));
  auto E = std::make_unique<TPelResStat>(Survey, S ? S->Stat : nullptr, -1, nullptr);
  E->TakeIdentity(Elem);
  return E;
}

void TPelResStat::Refresh() {
  const ClassInfo* Mirror = Stat ? Stat->Transposed() : nullptr;
  if (!Mirror || !Survey || !Survey->Info) return;
  if (TGimStat* M = Survey->Info->StatCatalogue.FindByClass(*Mirror)) Stat = M;
}

bool TPelResStat::TableDataInfo_ComparePrivate(const TPelResElem* Other) const {
  const auto* O = As<TPelResStat>(ResolveRef(Other));
  return O && O->Stat == Stat;
}

bool TPelResStat::TableDataInfo_ReadDef(TRixScanner& Scanner) {
  const TOrvTextPos At = Scanner.Token->StartPos;
  std::string ID;
  if (!Scanner.ReadIdentifier("stat", ID)) return RixKeyTaken(Scanner, false);
  Stat = Survey && Survey->Info ? Survey->Info->StatCatalogue.FindByID(ID) : nullptr;
  if (!Stat) Scanner.AddMsgArgsAt(TMerRepInfo_StatisticNotFound, At, {ID});
  return true;
}

void TPelResStat::TableDataInfo_WriteDef(TStream& Stream, int& Indent) const {
  if (Stat) WriteKeyIdentifier(Stream, Indent, "stat", "", Stat->ID());
}

// ---- TPelResBase

TPelResBase::TPelResBase(TPelSurvey* ASurvey, uint8_t AKind, int AItemIndex, TPelPar* APar)
    : TPelResElem(ASurvey, AItemIndex, APar), Kind(AKind) {}

std::unique_ptr<TPelResElem> TPelResBase::CreateFromElem(TPelSurvey* Survey,
                                                         const TPelResElem* Elem) {
  const auto* B = As<TPelResBase>(ResolveRef(Elem));
  auto E = std::make_unique<TPelResBase>(Survey, B ? B->Kind : 0, -1, nullptr);
  E->TakeIdentity(Elem);
  return E;
}

bool TPelResBase::TableDataInfo_ComparePrivate(const TPelResElem* Other) const {
  const auto* O = As<TPelResBase>(ResolveRef(Other));
  return O && O->Kind == Kind;
}

bool TPelResBase::TableDataInfo_ReadDef(TRixScanner& Scanner) {
  const TOrvTextPos At = Scanner.Token->StartPos;
  std::string Key;
  if (!Scanner.ReadIdentifier("base", Key)) return RixKeyTaken(Scanner, false);
  for (int K = 0; K < kPelBaseOptCount; ++K)
    if (SameText(Key, BaseOptKey(K))) {
      Kind = static_cast<uint8_t>(K);
      return true;
    }
  Scanner.AddMsgArgsAt(TPelErrorUnknownBaseOpt, At, {Key});
  return true;
}

void TPelResBase::TableDataInfo_WriteDef(TStream& Stream, int& Indent) const {
  WriteKeyIdentifier(Stream, Indent, "base", "", BaseOptKey(Kind));
}

// ---- TPelResMargins

std::unique_ptr<TPelResElem> TPelResMargins::CreateFromElem(TPelSurvey* Survey,
                                                            const TPelResElem* Elem) {
  auto E = std::make_unique<TPelResMargins>(Survey);
  E->TakeIdentity(Elem);
  return E;
}

bool TPelResMargins::TableDataInfo_ComparePrivate(const TPelResElem* Other) const {
  return As<TPelResMargins>(ResolveRef(Other)) != nullptr;
}

}  // namespace quin
