#include "reports/pelwiz.h"

#include "analysis/pelpargroups.h"
#include "analysis/pelparwaves.h"
#include "analysis/pelsurvey.h"
#include "base/langmanager.h"
#include "base/text.h"
#include "reports/pelrepanalysis.h"
#include "surveykit/gimdata.h"
#include "surveykit/gimwaves.h"
#include "surveykit/merenviron.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWiz, TOrvObject)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWizGen, TPelWiz)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWizRadio, TPelWiz)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWizPress, TPelWiz)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWizPressMP, TPelWizPress)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWizTV, TPelWiz)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWizList, TOrvObjectList)

// ---- The catalogue

const std::array<TPelWizKindTexts, WizKindCount> PelWizKindTexts = {{
    {0, "<PLK>Tabele jednowymiarowe<ENU>Frequencies"},
    {3, "<PLK>Porównanie dwóch grup docelowych<ENU>Compare two target groups"},
    {3, "<PLK>Porównanie grup docelowych<ENU>Compare target groups"},
    {1, "<PLK>Tabele dwuwymiarowe<ENU>Cross-tabs"},
    {2, "<PLK>Porównanie fal<ENU>Compare waves"},
    {15, "<PLK>Pytania złożone<ENU>Complex questions"},
    {1, "<PLK>Tabela rozkładów + średnich<ENU>Cross-tabs + means"},
    {22, "<PLK>Słuchalność<ENU>Audience"},
    {22, "<PLK>Ranking<ENU>Ranking"},
    {24, "<PLK>Porównanie fal<ENU>Compare waves"},
    {25, "<PLK>Porównanie dwóch grup docelowych<ENU>Compare two target groups"},
    {25, "<PLK>Porównanie grup docelowych<ENU>Compare target groups"},
    {23, "<PLK>Współsłuchalność<ENU>Colistening"},
    {27, "<PLK>Struktura<ENU>Structure"},
    {27, "<PLK>Słuchalność przez pytania<ENU>Audience x questions"},
    {24, "<PLK>Słuchalność w dniach tygodnia<ENU>Audience by days of the week"},
    {26, "<PLK>Słuchalność w kwadransach<ENU>Listening by quarters"},
    {27, "<PLK>Miejsca słuchania<ENU>Listening by places"},
    {27, "<PLK>Źródła sygnału<ENU>Signal sources"},
    {6, "<PLK>Media-plan<ENU>Media-plan"},
    {7, "<PLK>Czytelnictwo<ENU>Readership"},
    {7, "<PLK>Ranking<ENU>Ranking"},
    {9, "<PLK>Porównanie dwóch grup docelowych<ENU>Compare two target groups"},
    {9, "<PLK>Porównanie grup docelowych<ENU>Compare target groups"},
    {8, "<PLK>Porównanie fal<ENU>Compare waves"},
    {10, "<PLK>Współczytelnictwo<ENU>Coreadership"},
    {11, "<PLK>Struktura<ENU>Structure"},
    {11, "<PLK>Czytelnictwo przez pytania<ENU>Readership x questions"},
    {12, "<PLK>Analiza cenowa<ENU>Price analysis"},
    {13, "<PLK>Media-plan<ENU>Media-plan"},
    {14, "<PLK>Optymalizator media-planów<ENU>Media-plan optimizer"},
    {21, "<PLK>Oglądalność<ENU>Audience"},
    {21, "<PLK>Ranking<ENU>Ranking"},
    {17, "<PLK>Porównanie fal<ENU>Compare waves"},
    {18, "<PLK>Porównanie dwóch grup docelowych<ENU>Compare two target groups"},
    {18, "<PLK>Porównanie grup docelowych<ENU>Compare target groups"},
    {16, "<PLK>Współoglądalność<ENU>Coviewing"},
    {20, "<PLK>Struktura<ENU>Structure"},
    {20, "<PLK>Oglądalność przez pytania<ENU>Audience x questions"},
    {17, "<PLK>Oglądalność w dniach tygodnia<ENU>Audience by days of the week"},
    {19, "<PLK>Oglądalność w kwadransach<ENU>Audience by quarters"},
    {19, "<PLK>Oglądalność po dniach i w kwadransach<ENU>Audience by days and quarters"},
}};

namespace {

// Filled at start-up, read afterwards.
std::array<const TPelWizClass*, WizKindCount>& WizClasses() {
  static std::array<const TPelWizClass*, WizKindCount> A{};
  return A;
}

std::string Translated(std::string_view Utf8) {
  return CurrentLangManager().Translate(Cp1250(Utf8));
}

}  // namespace

void RegisterWizClass(const TPelWizClass& Class) { SetWizClass(Class.Kind, &Class); }

const TPelWizClass* SetWizClass(int Kind, const TPelWizClass* Class) {
  if (Kind < 0 || Kind >= WizKindCount) return nullptr;
  const TPelWizClass* Old = WizClasses()[static_cast<size_t>(Kind)];
  WizClasses()[static_cast<size_t>(Kind)] = Class;
  return Old;
}

const TPelWizClass* FindWizClass(int Kind) {
  return Kind >= 0 && Kind < WizKindCount ? WizClasses()[static_cast<size_t>(Kind)] : nullptr;
}

const std::string& EPelNoValidWizards::DefaultTemplate() {
  static const std::string T = Cp1250("<PLK>Brak dopuszczalnych kreatorów.<ENU>No valid wizards.");
  return T;
}
EPelNoValidWizards::EPelNoValidWizards() : EOrvException(DefaultTemplate()) {}

// ---- TPelWiz

TPelWiz::TPelWiz(TPelSurvey* ASurvey)
    : ParList(std::make_unique<TPelParList>(ASurvey)), Survey(ASurvey) {}

TPelWiz::TPelWiz(const TPelWiz& Source)
    : TOrvObject(Source),
      BasedOn(Source.BasedOn),
      ParList(std::make_unique<TPelParList>(*Source.ParList)),
      Survey(Source.Survey),
      Weight(Source.Weight) {}

TPelWiz::~TPelWiz() = default;

TPelPar* TPelWiz::AddPar(std::unique_ptr<TPelPar> Par) { return ParList->AddPar(std::move(Par)); }

TPelParGroups* TPelWiz::AddGroupsParameter() {
  return static_cast<TPelParGroups*>(AddPar(New<TPelParGroups>(Survey)));
}

TPelParGroups* TPelWiz::AddGroupsParameterVariant() {
  TPelParGroups* G = TPelWiz::AddGroupsParameter();
  G->SetPaneVariant(1);
  return G;
}

TPelParGroups* TPelWiz::AddTwoGroupsParameters() {
  TPelWiz::AddGroupsParameter();
  return TPelWiz::AddGroupsParameter();
}

TPelPar* TPelWiz::AddWavesParameter() {
  if (!Survey || !Survey->Waves || Survey->Waves->Count() <= 1) return nullptr;
  return AddPar(New<TPelParWaves>(Survey));
}

std::string TPelWiz::GetName() const {
  const TPelWizKindTexts* T =
      Kind() >= 0 && Kind() < WizKindCount ? &PelWizKindTexts[Kind()] : nullptr;
  return T ? Cp1250(T->Name) : std::string();
}

std::string TPelWiz::GetTranslatedName() const {
  return CurrentLangManager().TranslateText(GetName());
}

void TPelWiz::MergeGroupsParameters(TPelRepElemAnalysis& Analysis) {
  if (!ParList) return;
  TPelParList& L = *Analysis.Parameters;
  auto* G1 = static_cast<TPelParGroups*>(L.FindByClass(TPelParGroups::StaticClass(), false, 0));
  auto* G2 = static_cast<TPelParGroups*>(L.FindByClass(TPelParGroups::StaticClass(), false, 1));
  if (!G1 || !G2 || !G1->SubPars || !G2->SubPars) return;
  if (G1->SubParCount() == 0) G1->AddSubPar(G1->NewSubPar(nullptr));
  if (!(G1->SubParCount() >= 2 && G2->SubParCount() == 0)) {
    if (G2->SubParCount() == 0) G2->AddSubPar(G2->NewSubPar(nullptr));
    // G2's list lets go of its groups, which G1 takes over in order.
    G2->SubPars->OwnsObjects = false;
    while (G2->SubParCount() > 0) {
      TPelSubPar* Sub = G2->SubPar(0);
      G2->SubPars->Delete(0);
      G1->AddSubPar(std::unique_ptr<TPelSubPar>(Sub));
    }
    G2->SubPars->OwnsObjects = true;
  }
  const uint8_t G2Variant = G2->GetPaneVariant();
  G2->SubPars->Clear();
  L.DeleteWithDependants(L.IndexOf(G2));
  if (G2Variant == 1 || G1->GetPaneVariant() == 1 || !G1->IsSimple()) G1->SetPaneVariant(1);
}

// ---- Families

std::string TPelWizGen::GetFamilyCaption() const {
  return Translated("<PLK>Analizy ogólne<ENU>General analyses");
}
std::string TPelWizRadio::GetFamilyCaption() const {
  return Translated("<PLK>Analizy słuchalności radia<ENU>Radio audience analyses");
}
std::string TPelWizPress::GetFamilyCaption() const {
  return Translated("<PLK>Analizy czytelnictwa prasy<ENU>Press readership analyses");
}
std::string TPelWizPressMP::GetFamilyCaption() const {
  return Translated("<PLK>Media-plan prasowy<ENU>Press media-plan");
}
std::string TPelWizTV::GetFamilyCaption() const {
  return Translated("<PLK>Analizy oglądalności TV<ENU>TV audience analyses");
}

// ---- TPelWizList

TPelWizList::TPelWizList(TPelSurvey* ASurvey, const std::array<bool, WizKindCount>& AEnabled)
    : TOrvTypedList(true), Enabled(AEnabled), Survey(ASurvey) {
  const bool SeveralWaves = Survey && Survey->Waves && Survey->Waves->Count() > 1;
  auto AddKinds = [&](std::initializer_list<int> Kinds) {
    for (int K : Kinds) AddKind(K, SeveralWaves);
  };
  if (Survey && Survey->TV) AddKinds({31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41});
  if (Survey && Survey->Radio) AddKinds({7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19});
  if (Survey && Survey->Press) AddKinds({20, 21, 22, 23, 26, 27, 25, 24, 28, 29, 30});
  AddKinds({0, 1, 2, 3, 6, 4});
  if (Survey && Survey->Data && Survey->Data->Root) {
    TOrvObjectList Grids(false);
    Survey->Data->CollectGridQuestions(Grids, Survey->Data->Root.get());
    if (!Grids.Empty()) AddKind(5, SeveralWaves);
  }
  // The list built so far is freed with this object.
  if (Empty()) throw EPelNoValidWizards();
}

void TPelWizList::AddKind(int Kind, bool SeveralWaves) {
  const TPelWizClass* C = FindWizClass(Kind);
  if (!Enabled[static_cast<size_t>(Kind)] || !C) return;
  if (C->NeedsSeveralWaves() && !SeveralWaves) return;
  Add(C->Create(Survey));
}

void TPelWizList::CollectParameters(TPelParList& List) const {
  List.Clear();
  for (int I = 0; I < Count(); ++I) {
    const TPelParList& Pars = *GetItem(I)->ParList;
    for (int J = 0; J < Pars.Count(); ++J) {
      const TPelPar* P = Pars.GetItem(J);
      if (List.IndexOfClass(P->ClassType()) < 0) List.AddPar(CopyOf(*P));
    }
  }
}

void TPelWizList::DropRejected(int Mode) {
  for (int I = Count() - 1; I >= 0; --I)
    if (!GetItem(I)->AcceptsMode(Mode)) Delete(I);
}

void TPelWizList::DropUnavailable(int Mode) {
  for (int I = Count() - 1; I >= 0; --I) {
    TPelParList& Pars = *GetItem(I)->ParList;
    Pars.DropUnavailable(static_cast<uint8_t>(Mode));
    if (Pars.Empty()) Delete(I);
  }
}

TPelWiz* TPelWizList::FindKind(int Kind) const {
  for (int I = 0; I < Count(); ++I)
    if (GetItem(I)->Kind() == Kind) return GetItem(I);
  return nullptr;
}

TPelWizList* PelWizList(const TPelSurvey& Survey) { return As<TPelWizList>(Survey.WizList.get()); }

namespace {

class TPelWizBuilder : public TPelTemplateBuilder {
 public:
  void BuildTemplates(TPelSurvey& Survey) override {
    Survey.WizList.reset();
    std::array<bool, WizKindCount> Enabled{};
    if (Survey.Info) Enabled = Survey.Info->WizEnabled;
    auto List = std::make_unique<TPelWizList>(&Survey, Enabled);
    if (Survey.ParList) List->CollectParameters(*Survey.ParList);
    Survey.WizList = std::move(List);
  }
  void DropUnavailable(TPelSurvey& Survey) override {
    TPelWizList* List = PelWizList(Survey);
    if (!List) return;
    List->DropRejected(Survey.Mode);
    List->DropUnavailable(Survey.Mode);
    // A mode may reject every template the survey enables: as empty as when none was built.
    if (List->Empty()) throw EPelNoValidWizards();
  }
};

}  // namespace

void RegisterWizBuilder() {
  static TPelWizBuilder Builder;
  SetPelTemplateBuilder(&Builder);
}

}  // namespace quin
