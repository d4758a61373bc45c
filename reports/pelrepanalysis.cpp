#include "reports/pelrepanalysis.h"

#include "analysis/pelsurvey.h"
#include "base/langmanager.h"
#include "base/orvstrings.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "deflang/rixwriter.h"
#include "reports/pelwiz.h"
#include "surveykit/gimreading.h"
#include "surveykit/mermessages.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelRepElemAnalysis, TPelRepElem)

namespace {

std::string Translated(std::string_view Utf8) {
  return CurrentLangManager().Translate(Cp1250(Utf8));
}

// The report-output information messages in the scanner's list: parameters report with them
// what they could not restore.
int RepOutInfoCount(const TRixScanner& Scanner) {
  return Scanner.MsgList ? Scanner.MsgList->CountKinds({&TMerMsgKind_RepOutInfo()}) : 0;
}

std::string WithoutTrailingLineBreaks(std::string_view Text) {
  return RemoveTrailingText(Text, "\r\n");
}

}  // namespace

TPelRepElemAnalysis::TPelRepElemAnalysis(TPelRepElem* ARoot, TPelSurvey* ASurvey)
    : TPelRepElem(ARoot, ASurvey), Parameters(std::make_unique<TPelParList>(ASurvey)) {}

std::string TPelRepElemAnalysis::GetKindCaption() const {
  return Translated("<PLK>Analiza<ENU>Analysis");
}

std::string TPelRepElemAnalysis::GetKindName(bool Short) const {
  return Short ? Translated("<PLK>A<ENU>A") : Translated("<PLK>Analiza<ENU>Analysis");
}

// ---- Data basis and weighting

void TPelRepElemAnalysis::CompleteDataBasis() {
  if (!Survey) return;
  TPelParList& L = *Parameters;
  if (!L.BasedOn && UnknownBasedOnID.empty() && Survey->DataBasedOnList &&
      !Survey->DataBasedOnList->Empty()) {
    L.BasedOn = Survey->DataBasedOnList->GetItem(0);
    NeedsRecalc = true;
  }
  if (!L.Weight && UnknownWeightID.empty() && Survey->Weights && !Survey->Weights->Empty()) {
    L.Weight = Survey->Weights->GetItem(0);
    NeedsRecalc = true;
  }
}

bool TPelRepElemAnalysis::RefusalTemplate(std::string& Template, TDynStringArr& Args) const {
  const TPelParList& L = *Parameters;
  Template = Cp1250("<PLK>Nie można obliczyć tej analizy:<ENU>This analysis cannot be calculated:");
  Args.clear();
  bool Refused = false;
  // Each reason on a line of its own, in every language.
  auto Add = [&](const char* Utf8, const std::string* Arg) {
    Template += "<*>\\n" + Cp1250(Utf8);
    if (Arg) Args.push_back(*Arg);
    Refused = true;
  };
  if (!UnknownBasedOnID.empty())
    Add("<PLK>Badanie nie ma zbioru danych \"%s\".<ENU>The survey has no recordset \"%s\".",
        &UnknownBasedOnID);
  else if (!L.BasedOn)
    Add("<PLK>Brak zbioru danych.<ENU>No recordset.", nullptr);
  if (!UnknownWeightID.empty())
    Add("<PLK>Badanie nie ma ważenia danych \"%s\".<ENU>The survey has no data weighting \"%s\".",
        &UnknownWeightID);
  else if (!L.Weight)
    Add("<PLK>Brak ważenia danych.<ENU>No data weighting.", nullptr);
  return Refused;
}

std::string TPelRepElemAnalysis::CalculationRefusal() const {
  std::string Template;
  TDynStringArr Args;
  return RefusalTemplate(Template, Args) ? FormatTemplate(CurrentLangManager(), Template, Args)
                                         : std::string();
}

void TPelRepElemAnalysis::CheckCalculable() const {
  std::string Template;
  TDynStringArr Args;
  if (RefusalTemplate(Template, Args)) throw EPelAnalysisNotCalculable(Template, Args);
}

// ---- A new analysis from a template

void TPelRepElemAnalysis::FillFromWiz(TPelWiz& Wiz) {
  // Tables laid out from the parameters go with them: none may point at a freed parameter.
  Children().Clear();
  Parameters.reset();
  Wiz.ParList->PrepareAll();
  Parameters = std::make_unique<TPelParList>(*Wiz.ParList);
  TPelParList& L = *Parameters;
  if (Wiz.BasedOn) L.BasedOn = Wiz.BasedOn;
  if (Wiz.Weight) L.Weight = Wiz.Weight;
  L.PrepareAll();
  for (int I = 0; I < L.Count(); ++I) L.GetItem(I)->ClearTexts();
  Wiz.BuildTables(*this);
  L.PrepareAll();
}

// ---- Texts

std::string TPelRepElemAnalysis::GetOwnDescription(int Options) {
  const TPelParList& L = *Parameters;
  std::string Text;
  if (L.BasedOn && Survey && Survey->RecsetCount() > 1) {
    const TOrvLangManager* SL = SurveyLangManager(Survey);
    Text += Translated("<PLK>Zbiór danych<ENU>Recordset") + ": " +
            InfoTextFor(Options, SL ? SL->Translate(L.BasedOn->Name) : L.BasedOn->Name) + "\r\n";
  }
  if (L.Weight)
    Text += Translated("<PLK>Ważenie danych<ENU>Data weighting") + ": " +
            InfoTextFor(Options, L.Weight->GetFullName());
  return Text;
}

void TPelRepElemAnalysis::AppendText(std::vector<std::string>& Lines, int Options) {
  Lines.push_back(GetFullCaption() + "\r\n");
  if (!Notes.empty())
    Lines.push_back(Translated("<PLK>Notatki<ENU>Notes") + "\r\n" +
                    WithoutTrailingLineBreaks(Notes) + "\r\n");
  // A text form: its comments in plain text (Options only chooses the markers).
  const std::string Description = GetOwnDescription(0);
  if (!Description.empty())
    Lines.push_back(Translated("<PLK>Uwagi<ENU>Comments") + "\r\n" +
                    WithoutTrailingLineBreaks(Description) + "\r\n");
}

// ---- Writing and reading

void TPelRepElemAnalysis::WriteKeys(TStream& Stream, int& Indent) const {
  TPelRepElem::WriteKeys(Stream, Indent);
  WriteDefStart(Stream, Indent, "parameters");
  for (int I = 0; I < Parameters->Count(); ++I) {
    const TPelPar* P = Parameters->GetItem(I);
    WriteDefStart(Stream, Indent, P->GetKeyword());
    P->WriteBody(Stream, Indent);
    WriteDefEnd(Stream, Indent);
  }
  WriteDefEnd(Stream, Indent);
  const TPelParList& L = *Parameters;
  const std::string BasedOn = L.BasedOn ? L.BasedOn->ID : UnknownBasedOnID;
  const std::string Weight = L.Weight ? L.Weight->ID : UnknownWeightID;
  if (!BasedOn.empty()) WriteKeyIdentifier(Stream, Indent, "dataBasedOn", "", BasedOn);
  if (!Weight.empty()) WriteKeyIdentifier(Stream, Indent, "weight", "", Weight);
}

void TPelRepElemAnalysis::ReadBody(TRixScanner& Scanner, bool& Stale) {
  NeedsRecalc = NeedsRecalc || Stale;
  TGimBlockReader R;
  R.Key = [this](TRixScanner& S) {
    if (ReadElemKey(S) || ReadBasisKey(S)) return true;
    // Keys of other versions are passed over without a word.
    S.SkipStatement(true);
    return true;
  };
  R.Block = [this](TRixScanner& S, const TOrvTextPos&) {
    if (S.ReadDefComplexStart("parameters")) {
      ReadParameters(S);
      return true;
    }
    return ReadChildBlock(S, NeedsRecalc);
  };
  R.Read(Scanner);
  CompleteDataBasis();
}

bool TPelRepElemAnalysis::ReadBasisKey(TRixScanner& Scanner) {
  std::string ID;
  TOrvTextPos At;
  TPelParList& L = *Parameters;
  if (ReadIdentifierAt(Scanner, "dataBasedOn", ID, At)) {
    L.BasedOn = Survey && Survey->DataBasedOnList ? Survey->DataBasedOnList->FindByID(ID) : nullptr;
    UnknownBasedOnID = L.BasedOn ? std::string() : ID;
    if (!L.BasedOn) Scanner.AddMsgAt(TRixMsgError_UnknownKey, At);
    return true;
  }
  if (RixKeyTaken(Scanner, false)) return true;
  if (ReadIdentifierAt(Scanner, "weight", ID, At)) {
    L.Weight = Survey && Survey->Weights ? Survey->Weights->FindByID(ID) : nullptr;
    UnknownWeightID = L.Weight ? std::string() : ID;
    if (!L.Weight) Scanner.AddMsgAt(TRixMsgError_UnknownKey, At);
    return true;
  }
  return RixKeyTaken(Scanner, false);
}

void TPelRepElemAnalysis::ReadParameters(TRixScanner& Scanner) {
  const int InfosBefore = RepOutInfoCount(Scanner);
  while (Scanner.Token->Is<TRixTokenDefStart>()) ReadParameter(Scanner);
  if (Scanner.Expect(TRixTokenDefEnd::StaticClass(), TRixMsgError_DefEndExpected, false))
    Scanner.Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, false);
  // A parameter that could not be restored completely has said so with an information message.
  if (RepOutInfoCount(Scanner) > InfosBefore) NeedsRecalc = true;
  Parameters->SyncAll();
  for (int I = 0; I < Parameters->Count(); ++I)
    Parameters->GetItem(I)->ResolveLinks(Parameters.get());
}

void TPelRepElemAnalysis::ReadParameter(TRixScanner& Scanner) {
  const TOrvTextPos DefPos = Scanner.Token->StartPos;
  Scanner.NextToken();  // "def"
  const TPelRWClass* Class = nullptr;
  if (const auto* Id = As<TOrvTokenIdentifier>(Scanner.Token.get()))
    Class = FindRWObjectClass(Id->Text);
  // Only parameters belong in an analysis's list: the keyword of another savable class is as
  // unknown here as one of no class.
  if (!Class || !Class->Class->InheritsFrom(TPelPar::StaticClass())) {
    GimSkipBlockAfterDef(Scanner, DefPos);
    return;
  }
  Scanner.NextToken();  // the keyword
  std::unique_ptr<TPelPar> Par = TPelPar::CreateInList(*Class, Survey, Parameters.get());
  Par->ReadBody(Scanner, Survey);
  Parameters->AddPar(std::move(Par));
}

}  // namespace quin
