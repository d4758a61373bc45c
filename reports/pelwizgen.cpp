#include "reports/pelwizgen.h"

#include "analysis/pelpargroups.h"
#include "analysis/pelparquestions.h"
#include "analysis/pelparstats.h"
#include "analysis/pelparwaves.h"
#include "base/langmanager.h"
#include "base/text.h"
#include "reports/pelrepanalysis.h"
#include "reports/peltable.h"
#include "surveykit/gimstat.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWizGenBase, TPelWizGen)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWizGenTable1D, TPelWizGenBase)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWizGenCmpGroupsAbs, TPelWizGenBase)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWizGenCmpGroupsTwo, TPelWizGenCmpGroupsAbs)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWizGenCmpGroupsMany, TPelWizGenCmpGroupsAbs)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWizGenTable2D, TPelWizGenBase)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWizGenCmpWaves, TPelWizGenBase)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWizGenComplex, TPelWizGenBase)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWizGenCrossBann, TPelWizGenBase)

namespace {

const char* const kInColumns = "<PLK>w kolumnach<ENU>in columns";
const char* const kInRows = "<PLK>w wierszach<ENU>in rows";

// The statistic kinds of the compare kinds, in order.
std::vector<const ClassInfo*> CompareStats() {
  return {&TGimStatPctCol::StaticClass(), &TGimStatCntW::StaticClass(), &TGimStatEst::StaticClass(),
          &TGimStatIndex::StaticClass(), &TGimStatMeanCol::StaticClass()};
}

}  // namespace

// ---- The frame

void TPelWizGenBase::AfterConstruction() {
  TPelWizGen::AfterConstruction();
  AddWavesParameter();
  AddGroupsParameter();
  AddOwnParameters();
}

TPelParStats* TPelWizGenBase::AddStatsParameter(const std::vector<const ClassInfo*>& StatClasses,
                                                bool ColMargins, bool RowMargins) {
  auto P = New<TPelParStats>(Survey);
  P->AddStats(StatClasses);
  P->ColMargins = ColMargins;
  P->RowMargins = RowMargins;
  return static_cast<TPelParStats*>(AddPar(std::move(P)));
}

TPelPar* TPelWizGenBase::AddQuestionsParameter(std::string_view SuffixUtf8,
                                               std::string_view HeaderUtf8) {
  return AddPar(TPelPar::CreateWithTexts(RWClassOf<TPelParDefQuestions>(), Survey,
                                         Cp1250(SuffixUtf8), Cp1250(HeaderUtf8)));
}

TPelRepElemTable& TPelWizGenBase::NewTable(TPelRepElemAnalysis& Analysis) {
  auto T = New<TPelRepElemTable>(&Analysis, Analysis.Survey);
  auto* Table = static_cast<TPelRepElemTable*>(Analysis.AddChild(std::move(T)));
  Analysis.Parameters->RemoveEmpty();
  return *Table;
}

template <class T>
TPelPar* TPelWizGenBase::Find(const TPelRepElemAnalysis& Analysis, int N) {
  return Analysis.Parameters->FindByClass(T::StaticClass(), true, N);
}

std::string TPelWizGenBase::Describe(std::string_view Utf8) {
  return CurrentLangManager().TranslateText(Cp1250(Utf8));
}

// ---- 0: frequencies

void TPelWizGenTable1D::AddOwnParameters() {
  AddQuestionsParameter();
  AddStatsParameter({&TGimStatCntW::StaticClass(), &TGimStatPctCol::StaticClass()}, true, false);
}

void TPelWizGenTable1D::BuildTables(TPelRepElemAnalysis& Analysis) {
  TPelRepElemTable& T = NewTable(Analysis);
  T.AddLayerPar(Find<TPelParWaves>(Analysis), true);
  T.AddLayerPar(Find<TPelParGroups>(Analysis), true);
  T.AddColPar(Find<TPelParStats>(Analysis), true);
  T.AddRowPar(Find<TPelParDefQuestions>(Analysis), true);
}

std::string TPelWizGenTable1D::GetDescription() const {
  return Describe(
      "<PLK>Oblicza rozkłady i/lub średnie odpowiedzi z wybranych pytań.\\n\\nProsta analiza "
      "umożliwiająca szybkie zapoznanie się z podstawowymi wynikami, np. wielkościami grup "
      "wiekowych czy używaniem marek.<ENU>Calculates distribution and/or means of responses of "
      "selected questions.\\n\\nA simple analysis which may help in getting a first view of the "
      "results, such as age group sizes or the usage of brands.");
}

// ---- 1, 2: compare target groups

void TPelWizGenCmpGroupsAbs::AddOwnParameters() {
  AddQuestionsParameter();
  AddStatsParameter(CompareStats(), true, true);
}

void TPelWizGenCmpGroupsAbs::BuildTables(TPelRepElemAnalysis& Analysis) {
  BeforeTables(Analysis);
  TPelRepElemTable& T = NewTable(Analysis);
  T.AddLayerPar(Find<TPelParWaves>(Analysis), true);
  T.AddColPar(Find<TPelParGroups>(Analysis), true);
  T.AddRowPar(Find<TPelParDefQuestions>(Analysis), true);
  T.AddLayerPar(Find<TPelParStats>(Analysis), true);
}

std::string TPelWizGenCmpGroupsTwo::GetDescription() const {
  return Describe(
      "<PLK>Porównuje wyniki wybranego pytania w dwóch grupach docelowych.\\n\\nWyniki "
      "przedstawione zostaną w tabeli dwuwymiarowej z grupami w kolumnach, a wybranymi pytaniami "
      "w wierszach.<ENU>Compares results of two target groups.\\n\\nThe results will be "
      "presented as a cross-tab with target groups in columns, and selected questions in rows.");
}

std::string TPelWizGenCmpGroupsMany::GetDescription() const {
  return Describe(
      "<PLK>Porównuje wyniki wybranego pytania w dwóch lub większej liczbie grup docelowych."
      "\\n\\nWyniki przedstawione zostaną w tabeli dwuwymiarowej z grupami w kolumnach, a "
      "wybranymi pytaniami w wierszach. Do zdefiniowania wielu grup docelowych będzie służyć "
      "okno dialogowe złożonej edycji parametru.<ENU>Compares results in two or more target "
      "groups.\\n\\nThe results will be presented as a cross-tab with target groups in "
      "columns, and selected questions in rows. To define multiple target groups, a dialog for "
      "complex definitions of target groups will be presented.");
}

// ---- 3: cross-tabs

void TPelWizGenTable2D::AddOwnParameters() {
  AddQuestionsParameter(kInColumns);
  AddQuestionsParameter(kInRows);
  AddStatsParameter(
      {&TGimStatPctRow::StaticClass(), &TGimStatPctCol::StaticClass(), &TGimStatCntW::StaticClass(),
       &TGimStatEst::StaticClass(), &TGimStatIndex::StaticClass(), &TGimStatMeanRow::StaticClass(),
       &TGimStatMeanCol::StaticClass()},
      true, true);
}

void TPelWizGenTable2D::BuildTables(TPelRepElemAnalysis& Analysis) {
  TPelRepElemTable& T = NewTable(Analysis);
  T.AddLayerPar(Find<TPelParWaves>(Analysis), true);
  T.AddLayerPar(Find<TPelParGroups>(Analysis), true);
  // An empty first questions parameter was removed: the second one is then found first.
  T.AddColPar(Find<TPelParDefQuestions>(Analysis, 0), true);
  T.AddRowPar(Find<TPelParDefQuestions>(Analysis, 1), true);
  T.AddLayerPar(Find<TPelParStats>(Analysis), true);
}

std::string TPelWizGenTable2D::GetDescription() const {
  return Describe(
      "<PLK>Oblicza przecięcia pytań w tablicach dwuwymiarowych.\\n\\nObliczenia wykonywane są "
      "dla wybranych par pytań, gdzie pierwsze pytanie jest z pierwszej grupy, drugie pytanie - "
      "z grupy drugiej. Wyniki zostaną przedstawione w tabeli dwuwymiarowej. Za pomocą tej "
      "analizy można np. zbadać używanie marki w zależności od płci, wieku czy wielkości "
      "miejscowości zamieszkania respondenta.<ENU>Calculates a standard two-dimensional "
      "cross-tab.\\n\\nThe calculations are carried out for each pair of questions, where the "
      "first question is from the first group, and the second one - from the second group. The "
      "results will be presented in a two-dimensional table. With the help of this analysis you "
      "can, for instance, calculate brand usage in sex and age groups, city size groups and "
      "regions, etc.");
}

// ---- 4: compare waves

void TPelWizGenCmpWaves::AddOwnParameters() {
  AddQuestionsParameter();
  AddStatsParameter(CompareStats(), true, true);
}

void TPelWizGenCmpWaves::BuildTables(TPelRepElemAnalysis& Analysis) {
  TPelRepElemTable& T = NewTable(Analysis);
  T.AddColPar(Find<TPelParWaves>(Analysis), true);
  T.AddLayerPar(Find<TPelParGroups>(Analysis), true);
  T.AddRowPar(Find<TPelParDefQuestions>(Analysis), true);
  T.AddLayerPar(Find<TPelParStats>(Analysis), true);
}

std::string TPelWizGenCmpWaves::GetDescription() const {
  return Describe(
      "<PLK>Przedstawia zmiany odpowiedzi na wybrane pytania w kolejnych falach badania.\\n\\n"
      "Wyniki zostaną przedstawione w tabeli, w której w kolumnach umieszczone będą kolejne "
      "fale, natomiast w wierszach wybrane pytania. Można w ten sposób obserwować trendy "
      "zachowań konsumentów.<ENU>Calculates a cross-tab of selected questions by waves of the "
      "survey.\\n\\nThe results will be presented in a table, in which waves will be placed in "
      "columns, and in rows - the selected questions. Thus you can, for instance, analyze trends "
      "in consumer behavior.");
}

// ---- 5: complex questions

void TPelWizGenComplex::AddOwnParameters() {
  TPelPar* Q = AddQuestionsParameter(
      {},
      "<PLK>Należy wybrać JEDNO pytanie (złożone). W przeciwnym przypadku pytania nie "
      "zostaną automatycznie podzielone na osie.<ENU>Select ONE (complex) question. If you "
      "select several questions, the program will not split them into their axes.");
  // The parameter's question tree lists only the questions of several response axes.
  static_cast<TPelParDefQuestions*>(Q)->ModulesOnly = true;
  AddStatsParameter({&TGimStatPctRow::StaticClass(), &TGimStatCntW::StaticClass(),
                     &TGimStatEst::StaticClass(), &TGimStatMeanRow::StaticClass()},
                    false, false);
}

void TPelWizGenComplex::BuildTables(TPelRepElemAnalysis& Analysis) {
  TPelRepElemTable& T = NewTable(Analysis);
  T.AddLayerPar(Find<TPelParWaves>(Analysis), true);
  T.AddLayerPar(Find<TPelParGroups>(Analysis), true);
  TPelPar* Q = Find<TPelParDefQuestions>(Analysis);
  T.AddRowPar(Q, false);
  if (Q && Q->AxesWanted) {
    const int N = Q->GetExtraAxisCount();
    for (int I = 1; I <= N - 1; ++I) T.AddRowPar(Q->CreateAxisPar(I), false);
    if (N >= 1) T.AddColPar(Q->CreateAxisPar(N), false);
  }
  T.AddLayerPar(Find<TPelParStats>(Analysis), true);
}

std::string TPelWizGenComplex::GetDescription() const {
  return Describe(
      "<PLK>Tworzy analizę na podstawie pytań złożonych (wielowymiarowych).\\n\\nPytania "
      "złożone mają na ogół postać tabeli w kwestionariuszu (lub baterii skal) i są opisane za "
      "pomocą co najmniej dwóch osi (np. opinie x skala lub stwierdzenia x marki). Kreator "
      "automatycznie umieści pierwsze osie pytania w wierszach, ostatnią oś w kolumnach.<ENU>"
      "Sets up an analysis based on complex (multi-dimensional) questions.\\n\\nComplex "
      "questions usually have the look of a table in a questionnaire (or a series of scales) and "
      "are defined by at least two axes (e.g. statements x scale). The wizard will automatically "
      "place starting axes in rows and the last axis in columns.");
}

// ---- 6: cross-tabs with means

void TPelWizGenCrossBann::AddOwnParameters() {
  AddQuestionsParameter(
      kInColumns,
      "<PLK>Należy wybrać JEDNO pytanie o skali co najmniej porządkowej (lepiej: przedziałowej). "
      "W przypadku wyboru wielu pytań, tabela może być nieczytelna. W przypadku wyboru pytania o "
      "skali nominalnej, średnia nie będzie miała sensu.<ENU>Select ONE question with at least "
      "an ordinal scale (better: interval). If you select several questions, the table may be "
      "overly complex. If you select a question with nominal responses, means will have no "
      "meaning.");
  AddQuestionsParameter(kInRows);
  AddStatsParameter({&TGimStatPctRow::StaticClass(), &TGimStatMeanRow::StaticClass()}, true, true);
}

void TPelWizGenCrossBann::BuildTables(TPelRepElemAnalysis& Analysis) {
  TPelRepElemTable& T = NewTable(Analysis);
  T.AddLayerPar(Find<TPelParWaves>(Analysis), true);
  T.AddLayerPar(Find<TPelParGroups>(Analysis), true);
  T.AddColPar(Find<TPelParStats>(Analysis), true);
  T.AddColPar(Find<TPelParDefQuestions>(Analysis, 0), true);
  T.AddRowPar(Find<TPelParDefQuestions>(Analysis, 1), true);
}

std::string TPelWizGenCrossBann::GetDescription() const {
  return Describe(
      "<PLK>Tabela dwuwymiarowa (rozkłady + średnie)\\n\\nTabela dwuwymiarowa pokazująca "
      "rozkłady wraz ze średnimi z tego samego pytania (np. ocena reklamy) przecięte przez "
      "pytania z grupy drugiej.<ENU>Cross-tabs + means\\n\\nA cross-tab showing the "
      "distributions and means of one question (such as ad evaluation) crossed by questions "
      "from the second group.");
}

void RegisterGeneralWizClasses() {
  RegisterWizClass(WizClassOf<TPelWizGenTable1D>());
  RegisterWizClass(WizClassOf<TPelWizGenCmpGroupsTwo>());
  RegisterWizClass(WizClassOf<TPelWizGenCmpGroupsMany>());
  RegisterWizClass(WizClassOf<TPelWizGenTable2D>());
  RegisterWizClass(WizClassOf<TPelWizGenCmpWaves>());
  RegisterWizClass(WizClassOf<TPelWizGenComplex>());
  RegisterWizClass(WizClassOf<TPelWizGenCrossBann>());
}

}  // namespace quin
