#include "analysis/peluserdef.h"

#include <algorithm>

#include "analysis/pelsurvey.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/orvdialogs.h"
#include "base/scopeguard.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "deflang/rixwriter.h"
#include "surveykit/gimdata.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TPelUserDefGroup, TPelGroup)
QUIN_IMPLEMENT_CLASS(TPelUserDef, TPelParGroups)
QUIN_IMPLEMENT_CLASS(TPelUserDefResponse, TGimResponse)
QUIN_IMPLEMENT_CLASS(TPelUserDefQuestion, TGimQuestion)
QUIN_IMPLEMENT_CLASS(TPelUserDefFileList, TOrvObjectList)

// ---- TPelUserDefGroup

std::string TPelUserDefGroup::GetDefaultName() const {
  std::string S = TranslateLiteral("<PLK>Odpowiedź<ENU>Response");
  if (Owner && Owner->SubParCount() > 0) S += " " + IntToStr(Position());
  return S;
}

// ---- TPelUserDef

TPelUserDef::TPelUserDef(TPelSurvey* ASurvey)
    : TPelParGroups(ASurvey), DefGUID(NewGUID()), VerGUID(NewGUID()) {}

std::string TPelUserDef::GetDefaultName() const {
  return TranslateLiteral("<PLK>Pytanie użytkownika<ENU>User defined question");
}

std::unique_ptr<TPelSubPar> TPelUserDef::NewSubPar(TOrvRandGen* Random) {
  if (!Random) return New<TPelUserDefGroup>(Survey, this);
  std::unique_ptr<TPelGroup> G = TPelGroup::CreateRandom(Survey, this, *Random);
  return New<TPelUserDefGroup>(*G);
}

bool TPelUserDef::ReadKey(TRixScanner& Scanner) {
  if (TPelParGroups::ReadKey(Scanner)) return true;
  if (RixKeyTaken(Scanner, Scanner.ReadGUID("defGuid", DefGUID))) return true;
  return RixKeyTaken(Scanner, Scanner.ReadGUID("verGuid", VerGUID));
}

void TPelUserDef::WriteBody(TStream& Stream, int& Indent) const {
  TPelParGroups::WriteBody(Stream, Indent);
  WriteKeyGUID(Stream, Indent, "defGuid", "", DefGUID);
  WriteKeyGUID(Stream, Indent, "verGuid", "", VerGUID);
}

std::unique_ptr<TPelUserDefQuestion> TPelUserDef::BuildQuestion() const {
  auto Q = New<TPelUserDefQuestion>();
  Q->CreateInSurvey(Survey, Survey && Survey->Data ? Survey->Data->Root.get() : nullptr);
  Q->Name = GetName();
  Q->DefGUID = DefGUID;
  Q->VerGUID = VerGUID;
  for (int I = 0; I < SubParCount(); ++I) {
    const auto* G = As<TPelGroup>(SubPar(I));
    if (!G) continue;
    auto R = NewInSurvey<TPelUserDefResponse>(Survey, Q->Responses.get());
    R->Group = std::make_shared<TPelUserDefGroup>(*G);
    R->Name = G->GetName();
    Q->Responses->AddChild(std::move(R));
  }
  Q->Responses->BuildBaseResponses();
  return Q;
}

std::unique_ptr<TGimQuestion> TPelUserDef::ReadQuestion(TRixScanner& Scanner, TPelSurvey* ASurvey) {
  auto D = New<TPelUserDef>(ASurvey);
  D->ReadBody(Scanner, ASurvey);
  if (D->SubParCount() == 0) return nullptr;
  return D->BuildQuestion();
}

// ---- TPelUserDefQuestion

std::unique_ptr<TPelUserDef> TPelUserDefQuestion::CreateDefinition() const {
  auto D = New<TPelUserDef>(As<TPelSurvey>(Survey));
  D->SetName(GetName());
  D->DefGUID = DefGUID;
  D->VerGUID = VerGUID;
  for (int I = 0; I < (Responses ? Responses->Count() : 0); ++I)
    if (const auto* R = As<TPelUserDefResponse>(Responses->GetItem(I)); R && R->Group)
      D->AddSubPar(std::make_unique<TPelUserDefGroup>(*R->Group));
  return D;
}

void TPelUserDefQuestion::WriteDefinition(TStream& Stream, int& Indent) const {
  const std::unique_ptr<TPelUserDef> D = CreateDefinition();
  WriteDefStart(Stream, Indent, D->GetKeyword());
  D->WriteBody(Stream, Indent);
  WriteDefEnd(Stream, Indent);
}

void TPelUserDefQuestion::EvaluateResponses(const std::vector<TGimResponse*>& AResponses,
                                            std::vector<uint8_t>& Selected,
                                            std::vector<uint8_t>& Missing, TMerRecset* Recset) {
  const size_t N = Recset ? static_cast<size_t>(std::max(Recset->RecCount(), 0)) : 0;
  Selected.assign(N, 0);
  Missing.assign(N, 1);
  const auto* R = AResponses.empty() ? nullptr : As<TPelUserDefResponse>(AResponses[0]);
  if (!R || !R->Group || FEvaluating || !Survey) return;
  TGimWeightList* Weights = Survey->Weights.get();
  const TGimWeight* PreparedWeight = Weights ? Weights->PreparedWeight() : nullptr;
  TMerRecset* PreparedRecset =
      Weights ? const_cast<TMerRecset*>(Weights->PreparedRecset()) : nullptr;
  const bool WasPrepared = PreparedRecset != nullptr;
  {
    TSaveRestore Evaluating(FEvaluating, true);
    const TGimWeight* First = Weights && Weights->Count() > 0 ? Weights->GetItem(0) : nullptr;
    R->Group->Evaluate(Survey->Waves.get(), First, Recset);
    if (R->Group->Selected.size() == N) R->Group->TakeFlags(Selected, Missing);
    R->Group->ReleaseFlags();
  }
  // The weights an outer evaluation prepared are prepared again.
  if (WasPrepared) Weights->PrepareWeights(PreparedWeight, PreparedRecset);
}

// ---- TPelUserDefFileList

void TPelUserDefFileList::SaveAll() {
  for (int I = 0; I < Count(); ++I)
    if (!GetItem(I)->FileName.empty()) GetItem(I)->SaveToFile(GetItem(I)->FileName);
}

bool TPelUserDefFileList::PromptSave() {
  for (int I = 0; I < Count(); ++I) {
    TPelRWObjectFile* F = GetItem(I);
    if (!F->FileName.empty()) continue;
    const int Answer = ConfirmYesNoCancel(Cp1250(
        "<PLK>Definicje pytań użytkownika nie zostały jeszcze zapisane.\\n\\nCzy chcesz je "
        "zapisać teraz?<ENU>User question definitions are not saved yet.\\n\\nWould you like to "
        "save them now?"));
    if (Answer == IDNO) return true;
    if (Answer != IDYES) return false;
    std::string Name;
    if (!ExecuteSaveDialog(TranslateLiteral("<PLK>Zapisz definicje pytań użytkownika<ENU>Save "
                                            "user question definitions"),
                           ParameterFileFilter(), ".zop", "", Name))
      return false;
    F->FileName = Name;
    SaveAll();
  }
  return true;
}

}  // namespace quin
