#include "surveykit/gimdataobj.h"

#include "base/langmanager.h"
#include "base/properties.h"
#include "base/text.h"
#include "surveykit/mersurvey.h"

namespace quin {

namespace {

std::string Trimmed(const std::string& S) {
  size_t B = 0;
  size_t E = S.size();
  while (B < E && static_cast<unsigned char>(S[B]) <= ' ') ++B;
  while (E > B && static_cast<unsigned char>(S[E - 1]) <= ' ') --E;
  return S.substr(B, E - B);
}

void DescribeSimpleDataObject(TPropTableBuilder<TGimSimpleDataObject>& P) {
  P.Text("ID", &TGimSimpleDataObject::ID);
  P.Text("Info", &TGimSimpleDataObject::Info);
  P.Text("Name", &TGimSimpleDataObject::Name);
  P.Text("Nick", &TGimSimpleDataObject::Nick);
}

}  // namespace

QUIN_IMPLEMENT_CLASS_WITH_PROPS(TGimSimpleDataObject, TOrvPersistent, DescribeSimpleDataObject)
QUIN_IMPLEMENT_CLASS(TGimDataObject, TGimSimpleDataObject)
QUIN_IMPLEMENT_CLASS(TGimDataObjectList, TOrvObjectList)
QUIN_IMPLEMENT_CLASS(TGimModule, TGimDataObject)

// ---- View model

void TGimViewModel::AddItem(const std::string& Caption, TGimSimpleDataObject* Obj) {
  Items.push_back({Caption, Obj});
}

TGimViewNode* TGimViewModel::AddChild(TGimViewNode* Parent, const std::string& Caption,
                                      TGimSimpleDataObject* Obj, int ImageIndex) {
  auto N = std::make_unique<TNode>();
  N->Caption = Caption;
  N->Obj = Obj;
  N->ImageIndex = ImageIndex;
  TNode* Raw = N.get();
  if (auto* P = dynamic_cast<TNode*>(Parent))
    P->Children.push_back(std::move(N));
  else
    Roots.push_back(std::move(N));
  return Raw;
}

void TGimViewModel::SetState(TGimViewNode* Node, TGimCheckState State) {
  if (auto* N = dynamic_cast<TNode*>(Node)) N->State = State;
}

// ---- TGimSimpleDataObject

TGimSimpleDataObject::TGimSimpleDataObject(const TGimSimpleDataObject& Source)
    : TOrvPersistent(Source),
      FileName(Source.FileName),
      ID(Source.ID),
      Info(Source.Info),
      Name(Source.Name),
      Nick(Source.Nick),
      Survey(Source.Survey) {}

std::string TGimSimpleDataObject::SurveyText(const std::string& Text) const {
  const TOrvLangManager* M = SurveyLangManager(Survey);
  return M ? M->Translate(Text) : Text;
}

std::string TGimSimpleDataObject::GetID() const { return ID; }
std::string TGimSimpleDataObject::GetInfo() const { return Trimmed(SurveyText(Info)); }
std::string TGimSimpleDataObject::GetName() const { return SurveyText(Name); }
std::string TGimSimpleDataObject::GetNick() const { return SurveyText(Nick); }

std::string TGimSimpleDataObject::FullText(bool Nicks) const {
  std::string Text = Nicks ? GetNick() : GetName();
  const TGimSimpleDataObject* Cur = this;
  while (Cur->NameWithOwners && Cur->Owner) {
    // The climb ends at an owner that is no survey object (the survey itself).
    const auto* Up = As<TGimSimpleDataObject>(Cur->Owner);
    if (!Up) break;
    Cur = Up;
    if (!Cur->HiddenInPath) Text.insert(0, (Nicks ? Cur->GetNick() : Cur->GetName()) + " > ");
  }
  return Text;
}

std::string TGimSimpleDataObject::GetFullName() const { return FullText(false); }
std::string TGimSimpleDataObject::GetFullNick() const { return FullText(true); }

void TGimSimpleDataObject::CreateInSurvey(TMerSurvey* ASurvey, TOrvPersistent* AParent) {
  Owner = AParent;
  Survey = ASurvey;
}

void TGimSimpleDataObject::AddToListView(TGimListView& View) { View.AddItem(GetName(), this); }

TGimViewNode* TGimSimpleDataObject::AddToTreeView(TGimTreeView& Tree, TGimViewNode* ParentNode,
                                                  TGimCheckState State) {
  TGimViewNode* N = Tree.AddChild(ParentNode, GetName(), this, ImageIndex());
  Tree.SetState(N, State);
  return N;
}

TGimViewNode* TGimSimpleDataObject::AddToTreeViewSelected(TGimTreeView& Tree,
                                                          TGimViewNode* ParentNode,
                                                          bool WholeIfSelected,
                                                          TGimCheckState State,
                                                          const TOrvObjectList& Selection) {
  if (!IsSelected(Selection)) return nullptr;
  return AddToTreeView(Tree, ParentNode, State);
}

bool TGimSimpleDataObject::IsInSelection(const TOrvObjectList& Selection) const {
  return IsSelected(Selection);
}

TGimSimpleDataObject* TGimSimpleDataObject::FindObject(const ClassInfo& ObjClass,
                                                       std::string_view AID) {
  return Is(ObjClass) && SameText(GetID(), AID) ? this : nullptr;
}

// ---- TGimDataObject

TGimDataObject::TGimDataObject(const TGimDataObject& Source) : TGimSimpleDataObject(Source) {
  if (Source.Children) {
    Children.reset(static_cast<TGimDataObjectList*>(Source.Children->CreateCopy().release()));
    for (int I = 0; I < Children->Count(); ++I) Children->GetItem(I)->Owner = this;
  }
}

TGimSimpleDataObject* TGimDataObject::AddChild(std::unique_ptr<TGimSimpleDataObject> Obj) {
  if (!Children) Children = std::make_unique<TGimDataObjectList>(true);
  Obj->Owner = this;
  return Children->Add(std::move(Obj));
}

void TGimDataObject::AddToListView(TGimListView& View) {
  TGimSimpleDataObject::AddToListView(View);
  for (int I = 0; I < ChildCount(); ++I) Child(I)->AddToListView(View);
}

TGimViewNode* TGimDataObject::AddToTreeView(TGimTreeView& Tree, TGimViewNode* ParentNode,
                                            TGimCheckState State) {
  TGimViewNode* N = TGimSimpleDataObject::AddToTreeView(Tree, ParentNode, State);
  if (ParentNode) Tree.SetState(N, State);
  return N;
}

TGimSimpleDataObject* TGimDataObject::FindObject(const ClassInfo& ObjClass, std::string_view AID) {
  if (TGimSimpleDataObject* Self = TGimSimpleDataObject::FindObject(ObjClass, AID)) return Self;
  for (int I = 0; I < ChildCount(); ++I)
    if (TGimSimpleDataObject* Found = Child(I)->FindObject(ObjClass, AID)) return Found;
  return nullptr;
}

// ---- TGimModule

void TGimModule::CreateInSurvey(TMerSurvey* ASurvey, TOrvPersistent* AParent) {
  TGimDataObject::CreateInSurvey(ASurvey, AParent);
  if (!Children) Children = std::make_unique<TGimDataObjectList>(true);
}

TGimViewNode* TGimModule::AddToTreeView(TGimTreeView& Tree, TGimViewNode* ParentNode,
                                        TGimCheckState State) {
  TGimViewNode* N = Tree.AddChild(ParentNode, GetName(), this, 0);
  for (int I = 0; I < ChildCount(); ++I) Child(I)->AddToTreeView(Tree, N, State);
  Tree.SetState(N, State);
  return N;
}

TGimViewNode* TGimModule::AddToTreeViewSelected(TGimTreeView& Tree, TGimViewNode* ParentNode,
                                                bool WholeIfSelected, TGimCheckState State,
                                                const TOrvObjectList& Selection) {
  const bool Selected = IsSelected(Selection);
  if (WholeIfSelected && Selected) return AddToTreeView(Tree, ParentNode, State);
  if ((!Selected || WholeIfSelected) && !IsInSelection(Selection)) return nullptr;
  TGimViewNode* N = Tree.AddChild(ParentNode, GetName(), this, 0);
  for (int I = 0; I < ChildCount(); ++I)
    Child(I)->AddToTreeViewSelected(Tree, N, WholeIfSelected, State, Selection);
  return N;
}

bool TGimModule::IsInSelection(const TOrvObjectList& Selection) const {
  for (int I = 0; I < ChildCount(); ++I) {
    const TGimSimpleDataObject* C = Child(I);
    if (C->IsSelected(Selection) || C->IsInSelection(Selection)) return true;
  }
  return false;
}

void TGimModule::CollectObjects(const ClassInfo& ObjClass, bool WithDescendants,
                                std::unique_ptr<TGimDataObjectList>& List) const {
  if (!List) List = std::make_unique<TGimDataObjectList>(false);
  for (int I = 0; I < ChildCount(); ++I) {
    TGimSimpleDataObject* C = Child(I);
    const bool Match = WithDescendants ? C->Is(ObjClass) : C->IsExactly(ObjClass);
    if (Match)
      List->Add(C);
    else if (const auto* M = As<TGimModule>(C))
      M->CollectObjects(ObjClass, WithDescendants, List);
  }
}

}  // namespace quin
