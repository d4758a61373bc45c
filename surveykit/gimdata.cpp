#include "surveykit/gimdata.h"

#include <algorithm>

#include "base/scopeguard.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "surveykit/mermessages.h"
#include "surveykit/mersurvey.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TGimData, TOrvObject)

TGimData::TGimData(TMerSurvey* ASurvey)
    : Root(NewInSurvey<TGimModule>(ASurvey, nullptr)), Survey(ASurvey) {}

void TGimData::Read(TRixScanner& Scanner, const TOrvTextPos&) {
  auto ClearAtEnd = OnScopeExit([&] { FReadIDs.Clear(); });
  FReadIDs.Clear();
  for (;;) {
    if (GimAtBlockEnd(Scanner)) return;
    if (Scanner.ReadDefComplexStart("module")) {
      auto M = NewInSurvey<TGimModule>(Survey, Root.get());
      TGimModule* P = static_cast<TGimModule*>(Root->AddChild(std::move(M)));
      ReadModule(Scanner, P, 1);
      continue;
    }
    if (Scanner.ReadDefComplexStart("question")) {
      ReadQuestion(Scanner, Root.get());
      continue;
    }
    if (Scanner.Token->Is<TRixTokenDefStart>()) {
      GimSkipBlock(Scanner);
      continue;
    }
    GimUnknownKey(Scanner);
  }
}

void TGimData::ReadQuestion(TRixScanner& Scanner, TGimModule* Parent) {
  auto Q = NewInSurvey<TGimQuestion>(Survey, Parent);
  TGimQuestion* P = static_cast<TGimQuestion*>(Parent->AddChild(std::move(Q)));
  P->Read(Scanner, &FReadIDs);
}

void TGimData::ReadModule(TRixScanner& Scanner, TGimModule* Module, int Depth) {
  auto Body = [&] {
    for (;;) {
      if (GimAtBlockEnd(Scanner)) return;
      if (Scanner.ReadDefComplexStart("module")) {
        if (GimSkipTooDeep(Scanner, Depth + 1)) continue;
        auto M = NewInSurvey<TGimModule>(Survey, Module);
        TGimModule* P = static_cast<TGimModule*>(Module->AddChild(std::move(M)));
        ReadModule(Scanner, P, Depth + 1);
        continue;
      }
      if (Scanner.ReadDefComplexStart("question")) {
        ReadQuestion(Scanner, Module);
        continue;
      }
      if (Scanner.Token->Is<TRixTokenDefStart>()) {
        GimSkipBlock(Scanner);
        continue;
      }
      const TOrvTextPos Pos = Scanner.Token->StartPos;
      const std::string OldID = Module->ID;
      if (GimReadObjectText(Scanner, *Module, true)) {
        if (Module->ID != OldID) {
          if (FReadIDs.FindsOther(TGimModule::StaticClass(), Module, Module->ID))
            Scanner.AddMsgAt(TMerError_IDNotUnique, Pos);
          FReadIDs.Add(Module);
        }
        continue;
      }
      GimUnknownKey(Scanner);
    }
  };
  auto Close = [&] {
    if (Module->Name.empty()) Scanner.AddMsgAt(TMerError_NameNotDefined, Scanner.LastTokenEnd());
  };
  GimReadAndClose(Body, Close);
}

namespace {
bool EndsWithText(std::string_view S, std::string_view End) {
  return S.size() >= End.size() && SameText(S.substr(S.size() - End.size()), End);
}
}  // namespace

TGimQuestion* TGimData::FindQuestion(std::string_view QualifiedID, bool RaiseIfOtherSurvey) const {
  const std::string SID = Survey && Survey->Info ? Survey->Info->ID : std::string();
  const std::string NS = Survey && Survey->Info ? Survey->Info->Namespace : std::string();
  std::string_view QID = QualifiedID;
  if (std::count(QualifiedID.begin(), QualifiedID.end(), '@') == 2) {
    const size_t Last = QualifiedID.rfind('@');
    const size_t Mid = QualifiedID.rfind('@', Last - 1);
    const bool Same = SameText(QualifiedID.substr(Last + 1), NS) &&
                      SameText(QualifiedID.substr(Mid + 1, Last - Mid - 1), SID);
    if (!Same && RaiseIfOtherSurvey) throw EGimWrongSurveyException();
    QID = QualifiedID.substr(0, Mid);
  } else if (!NS.empty() && EndsWithText(QualifiedID, "." + NS)) {
    QID = QualifiedID.substr(0, QualifiedID.size() - NS.size() - 1);
    if (!SID.empty() && EndsWithText(QID, "." + SID))
      QID = QID.substr(0, QID.size() - SID.size() - 1);
    else if (RaiseIfOtherSurvey)
      throw EGimWrongSurveyException();
  }
  return As<TGimQuestion>(Root->FindObject(TGimQuestion::StaticClass(), QID));
}

void TGimData::CollectGridQuestions(TOrvObjectList& List, TGimSimpleDataObject* Node) const {
  if (!Node) return;
  // Iterative, in tree order: the depth of the tree never reaches the stack.
  std::vector<TGimSimpleDataObject*> Stack{Node};
  while (!Stack.empty()) {
    TGimSimpleDataObject* O = Stack.back();
    Stack.pop_back();
    if (auto* Q = As<TGimQuestion>(O); Q && Q->IsGrid()) List.Add(Q);
    if (auto* D = As<TGimDataObject>(O); D && !As<TGimQuestion>(O))
      for (int I = D->ChildCount(); I-- > 0;) Stack.push_back(D->Child(I));
  }
}

void TGimData::AddToTreeView(TGimTreeView& Tree, TGimCheckState State) {
  for (int I = 0; I < Root->ChildCount(); ++I) Root->Child(I)->AddToTreeView(Tree, nullptr, State);
}

void TGimData::AddToTreeViewSelected(TGimTreeView& Tree, const TOrvObjectList& Selection,
                                     bool WholeIfSelected, TGimCheckState State) {
  for (int I = 0; I < Root->ChildCount(); ++I)
    Root->Child(I)->AddToTreeViewSelected(Tree, nullptr, WholeIfSelected, State, Selection);
}

}  // namespace quin
