#include "surveykit/gimpressinds.h"

#include "base/format.h"
#include "base/langmanager.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TGimPressInd_Pct, TGimPressInd)
QUIN_IMPLEMENT_CLASS(TGimPressInd_TOM, TGimPressInd_Pct)
QUIN_IMPLEMENT_CLASS(TGimPressInd_SPO, TGimPressInd_Pct)
QUIN_IMPLEMENT_CLASS(TGimPressInd_AWA, TGimPressInd_Pct)
QUIN_IMPLEMENT_CLASS(TGimPressInd_ER, TGimPressInd_Pct)
QUIN_IMPLEMENT_CLASS(TGimPressInd_SCR, TGimPressInd_Pct)
QUIN_IMPLEMENT_CLASS(TGimPressInd_RR, TGimPressInd_Pct)
QUIN_IMPLEMENT_CLASS(TGimPressInd_LIR, TGimPressInd_Pct)
QUIN_IMPLEMENT_CLASS(TGimPressInd_Distrib, TGimPressInd_Pct)
QUIN_IMPLEMENT_CLASS(TGimPressInd_Recommendable, TGimPressInd_Pct)
QUIN_IMPLEMENT_CLASS(TGimPressInd_PIR, TGimPressInd_Pct)
QUIN_IMPLEMENT_CLASS(TGimPressInd_Adverts, TGimPressInd_Pct)
QUIN_IMPLEMENT_CLASS(TGimPressInd_Eval, TGimPressInd_Pct)
QUIN_IMPLEMENT_CLASS(TGimPressInd_POR, TGimPressInd_Pct)
QUIN_IMPLEMENT_CLASS(TGimPressInd_SOO, TGimPressInd_Pct)
QUIN_IMPLEMENT_CLASS(TGimPressInd_Statements, TGimPressInd_Pct)
QUIN_IMPLEMENT_CLASS(TGimPressInd_StatementA, TGimPressInd_Statements)
QUIN_IMPLEMENT_CLASS(TGimPressInd_StatementB, TGimPressInd_Statements)
QUIN_IMPLEMENT_CLASS(TGimPressInd_StatementC, TGimPressInd_Statements)
QUIN_IMPLEMENT_CLASS(TGimPressInd_StatementD, TGimPressInd_Statements)
QUIN_IMPLEMENT_CLASS(TGimPressInd_StatementE, TGimPressInd_Statements)
QUIN_IMPLEMENT_CLASS(TGimPressInd_StatementF, TGimPressInd_Statements)
QUIN_IMPLEMENT_CLASS(TGimPressInd_StatementG, TGimPressInd_Statements)
QUIN_IMPLEMENT_CLASS(TGimPressInd_StatementH, TGimPressInd_Statements)
QUIN_IMPLEMENT_CLASS(TGimPressInd_StatementI, TGimPressInd_Statements)
QUIN_IMPLEMENT_CLASS(TGimPressInd_StatementJ, TGimPressInd_Statements)
QUIN_IMPLEMENT_CLASS(TGimPressInd_StatementK, TGimPressInd_Statements)
QUIN_IMPLEMENT_CLASS(TGimPressInd_StatementL, TGimPressInd_Statements)
QUIN_IMPLEMENT_CLASS(TGimPressInd_StatementM, TGimPressInd_Statements)
QUIN_IMPLEMENT_CLASS(TGimPressInd_StatementN, TGimPressInd_Statements)
QUIN_IMPLEMENT_CLASS(TGimPressInd_StatementO, TGimPressInd_Statements)
QUIN_IMPLEMENT_CLASS(TGimPressInd_StatementP, TGimPressInd_Statements)
QUIN_IMPLEMENT_CLASS(TGimPressInd_RDW, TGimPressInd_Pct)
QUIN_IMPLEMENT_CLASS(TGimPressInd_Numeric, TGimPressInd_Pct)
QUIN_IMPLEMENT_CLASS(TGimPressInd_NIR, TGimPressInd_Numeric)
QUIN_IMPLEMENT_CLASS(TGimPressInd_NCI, TGimPressInd_Numeric)
QUIN_IMPLEMENT_CLASS(TGimPressInd_RPC, TGimPressInd_Numeric)
QUIN_IMPLEMENT_CLASS(TGimPressInd_RankInfo, TGimPressInd_Numeric)
QUIN_IMPLEMENT_CLASS(TGimPressInd_RankHelpful, TGimPressInd_Numeric)
QUIN_IMPLEMENT_CLASS(TGimPressInd_Mean, TGimPressInd_Numeric)
QUIN_IMPLEMENT_CLASS(TGimPressInd_MNIR, TGimPressInd_Mean)
QUIN_IMPLEMENT_CLASS(TGimPressInd_MNCI, TGimPressInd_Mean)
QUIN_IMPLEMENT_CLASS(TGimPressInd_MRPC, TGimPressInd_Mean)
QUIN_IMPLEMENT_CLASS(TGimPressInd_MeanRankInfo, TGimPressInd_Mean)
QUIN_IMPLEMENT_CLASS(TGimPressInd_MeanRankHelpful, TGimPressInd_Mean)
QUIN_IMPLEMENT_CLASS(TGimPressInd_AR, TGimPressInd_Mean)
QUIN_IMPLEMENT_CLASS(TGimPressInd_GRP, TGimPressInd_AR)
QUIN_IMPLEMENT_CLASS(TGimPressInd_GI, TGimPressInd_GRP)
QUIN_IMPLEMENT_CLASS(TGimPressInd_CPPG, TGimPressInd_GRP)
QUIN_IMPLEMENT_CLASS(TGimPressInd_CPMG, TGimPressInd_GRP)
QUIN_IMPLEMENT_CLASS(TGimPressIndZKDPAR, TGimPressInd_AR)
QUIN_IMPLEMENT_CLASS(TGimPressIndZKDPARtoCirculation, TGimPressIndZKDPAR)
QUIN_IMPLEMENT_CLASS(TGimPressIndZKDPARtoSales, TGimPressIndZKDPAR)
QUIN_IMPLEMENT_CLASS(TGimPressIndZKDP, TGimPressInd)
QUIN_IMPLEMENT_CLASS(TGimPressIndZKDPCirculation, TGimPressIndZKDP)
QUIN_IMPLEMENT_CLASS(TGimPressindZKDPSales, TGimPressIndZKDP)
QUIN_IMPLEMENT_CLASS(TGimPressInd_Inserts, TGimPressInd)
QUIN_IMPLEMENT_CLASS(TGimPressInd_CPI, TGimPressInd_Inserts)
QUIN_IMPLEMENT_CLASS(TGimPressInd_NOI, TGimPressInd_Inserts)
QUIN_IMPLEMENT_CLASS(TGimPressInd_COI, TGimPressInd_Inserts)
QUIN_IMPLEMENT_CLASS(TGimPressInd_FDBased, TGimPressInd)
QUIN_IMPLEMENT_CLASS(TGimPressInd_FD, TGimPressInd_FDBased)
QUIN_IMPLEMENT_CLASS(TGimPressInd_FDPlus, TGimPressInd_FDBased)
QUIN_IMPLEMENT_CLASS(TGimPressInd_AF, TGimPressInd_FDBased)
QUIN_IMPLEMENT_CLASS(TGimPressInd_Reach, TGimPressInd_FDPlus)
QUIN_IMPLEMENT_CLASS(TGimPressInd_CPPR, TGimPressInd_FDPlus)
QUIN_IMPLEMENT_CLASS(TGimPressInd_CPPER, TGimPressInd_FDPlus)
QUIN_IMPLEMENT_CLASS(TGimPressInd_CPMR, TGimPressInd_FDPlus)
QUIN_IMPLEMENT_CLASS(TGimPressInd_CPMER, TGimPressInd_FDPlus)

namespace {

const char* const kMain = "<PLK>Główne<ENU>Main";
const char* const kAuxiliary = "<PLK>Dodatkowe<ENU>Auxiliary";
const char* const kStatements = "<PLK>Stwierdzenia<ENU>Statements";

bool IsNOI(const ClassInfo& C) { return C.InheritsFrom(TGimPressInd_NOI::StaticClass()); }
bool IsCPI(const ClassInfo& C) { return C.InheritsFrom(TGimPressInd_CPI::StaticClass()); }
bool Joins(int TitleCount, int DayCount) { return TitleCount > 1 || DayCount > 1; }

}  // namespace

std::string TGimPressInd_Distrib::Groups() const { return TranslateLiteral(kAuxiliary); }
std::string TGimPressInd_Recommendable::Groups() const { return TranslateLiteral(kAuxiliary); }
std::string TGimPressInd_PIR::Groups() const { return TranslateLiteral(kAuxiliary); }
std::string TGimPressInd_Adverts::Groups() const { return TranslateLiteral(kAuxiliary); }
std::string TGimPressInd_Eval::Groups() const { return TranslateLiteral(kAuxiliary); }
std::string TGimPressInd_POR::Groups() const { return TranslateLiteral(kAuxiliary); }
std::string TGimPressInd_SOO::Groups() const { return TranslateLiteral(kAuxiliary); }
std::string TGimPressInd_Statements::Groups() const { return TranslateLiteral(kStatements); }
std::string TGimPressInd_Numeric::Groups() const { return TranslateLiteral(kAuxiliary); }
std::string TGimPressInd_AR::Groups() const { return TranslateLiteral(kMain) + ",Media-plan"; }
std::string TGimPressInd_GRP::Groups() const { return "Media-plan"; }

std::string TGimPressIndZKDPAR::DisplayFormat(int Decimals) const {
  return "%1." + IntToStr(Decimals) + "n";
}

bool TGimPressInd_AR::DependsOnInd(const ClassInfo& IndClass, int TitleCount, int DayCount) const {
  return IsNOI(IndClass) && Joins(TitleCount, DayCount);
}
bool TGimPressInd_GRP::DependsOnInd(const ClassInfo& IndClass, int, int) const {
  return IsNOI(IndClass);
}
bool TGimPressInd_CPPG::DependsOnInd(const ClassInfo& IndClass, int, int) const {
  return IsNOI(IndClass) || IsCPI(IndClass);
}
bool TGimPressInd_CPMG::DependsOnInd(const ClassInfo& IndClass, int, int) const {
  return IsNOI(IndClass) || IsCPI(IndClass);
}
bool TGimPressInd_CPI::DependsOnInd(const ClassInfo& IndClass, int TitleCount, int DayCount) const {
  return (IsCPI(IndClass) || IsNOI(IndClass)) && Joins(TitleCount, DayCount);
}
bool TGimPressInd_NOI::DependsOnInd(const ClassInfo& IndClass, int, int) const {
  return IsNOI(IndClass);
}
bool TGimPressInd_COI::DependsOnInd(const ClassInfo& IndClass, int, int) const {
  return IsNOI(IndClass) || IsCPI(IndClass);
}
bool TGimPressInd_FDBased::DependsOnInd(const ClassInfo& IndClass, int, int) const {
  return IsNOI(IndClass);
}
bool TGimPressInd_CPPR::DependsOnInd(const ClassInfo& IndClass, int, int) const {
  return IsNOI(IndClass) || IsCPI(IndClass);
}
bool TGimPressInd_CPPER::DependsOnInd(const ClassInfo& IndClass, int, int) const {
  return IsNOI(IndClass) || IsCPI(IndClass);
}
bool TGimPressInd_CPMR::DependsOnInd(const ClassInfo& IndClass, int, int) const {
  return IsNOI(IndClass) || IsCPI(IndClass);
}
bool TGimPressInd_CPMER::DependsOnInd(const ClassInfo& IndClass, int, int) const {
  return IsNOI(IndClass) || IsCPI(IndClass);
}

namespace {
// The response's identifier read as a day key, and whether the title appears that day.
bool TitleAppearsOn(const TGimPressTitle& Title, const TGimResponse& Response) {
  TOrvDay Day;
  return DayFromKey(Response.ID, Day) && Title.Days.Contains(Day);
}
}  // namespace

void TGimPressInd_RDW::CheckTitleColumn(TRixScanner* Scanner, TGimPressTitle& Title,
                                        TGimResponse* Response) {
  if (Response && TitleAppearsOn(Title, *Response))
    TGimPressInd::CheckTitleColumn(Scanner, Title, Response);
}

std::unique_ptr<TGimResponse> TGimPressInd_RDW::CopyResponseFor(TGimPressTitle& Title,
                                                                TGimResponse& Response) {
  if (!TitleAppearsOn(Title, Response)) return nullptr;
  return TGimPressInd::CopyResponseFor(Title, Response);
}

// ---- The catalogue

namespace {
template <class T>
void AddInd(TGimPressIndList& L, TMerSurvey* Survey, const char* ID) {
  L.Add(NewMediaInd<T>(Survey, ID));
}
}  // namespace

TGimPressIndList::TGimPressIndList(TMerSurvey* ASurvey) : TGimMediaIndList(ASurvey) {
  TGimPressIndList& L = *this;
  TMerSurvey* S = ASurvey;
  AddInd<TGimPressInd_TOM>(L, S, "tom");
  AddInd<TGimPressInd_SPO>(L, S, "spo");
  AddInd<TGimPressInd_AWA>(L, S, "awa");
  AddInd<TGimPressInd_Distrib>(L, S, "distrib");
  AddInd<TGimPressInd_ER>(L, S, "er");
  AddInd<TGimPressInd_SCR>(L, S, "csr");
  AddInd<TGimPressInd_SCR>(L, S, "scr");
  AddInd<TGimPressInd_RR>(L, S, "rr");
  AddInd<TGimPressInd_NIR>(L, S, "nir");
  AddInd<TGimPressInd_MNIR>(L, S, "mnir");
  AddInd<TGimPressInd_AR>(L, S, "ar");
  AddInd<TGimPressInd_AR>(L, S, "air");
  AddInd<TGimPressInd_CPPG>(L, S, "cppg");
  AddInd<TGimPressInd_CPPG>(L, S, "cpp");
  AddInd<TGimPressInd_CPPR>(L, S, "cppr");
  AddInd<TGimPressInd_CPPER>(L, S, "cpper");
  AddInd<TGimPressInd_CPMG>(L, S, "cpmg");
  AddInd<TGimPressInd_CPMR>(L, S, "cpmr");
  AddInd<TGimPressInd_CPMER>(L, S, "cpmer");
  AddInd<TGimPressInd_CPI>(L, S, "cpi");
  AddInd<TGimPressInd_COI>(L, S, "coi");
  AddInd<TGimPressInd_NOI>(L, S, "noi");
  AddInd<TGimPressInd_FD>(L, S, "fd");
  AddInd<TGimPressInd_FDPlus>(L, S, "fdplus");
  AddInd<TGimPressInd_Reach>(L, S, "reach");
  AddInd<TGimPressInd_AF>(L, S, "af");
  AddInd<TGimPressInd_GRP>(L, S, "grp");
  AddInd<TGimPressInd_GI>(L, S, "gi");
  AddInd<TGimPressInd_PIR>(L, S, "pir");
  AddInd<TGimPressInd_LIR>(L, S, "lir");
  AddInd<TGimPressInd_NCI>(L, S, "nci");
  AddInd<TGimPressInd_MNCI>(L, S, "mnci");
  AddInd<TGimPressInd_RPC>(L, S, "rpc");
  AddInd<TGimPressInd_MRPC>(L, S, "mrpc");
  AddInd<TGimPressInd_RankInfo>(L, S, "rankinfo");
  AddInd<TGimPressInd_MeanRankInfo>(L, S, "meanrankinfo");
  AddInd<TGimPressInd_Recommendable>(L, S, "recommendable");
  AddInd<TGimPressInd_Adverts>(L, S, "adverts");
  AddInd<TGimPressInd_Eval>(L, S, "eval");
  AddInd<TGimPressInd_RankHelpful>(L, S, "rankhelpful");
  AddInd<TGimPressInd_MeanRankHelpful>(L, S, "meanrankhelpful");
  AddInd<TGimPressInd_StatementA>(L, S, "statement_a");
  AddInd<TGimPressInd_StatementB>(L, S, "statement_b");
  AddInd<TGimPressInd_StatementC>(L, S, "statement_c");
  AddInd<TGimPressInd_StatementD>(L, S, "statement_d");
  AddInd<TGimPressInd_StatementE>(L, S, "statement_e");
  AddInd<TGimPressInd_StatementF>(L, S, "statement_f");
  AddInd<TGimPressInd_StatementG>(L, S, "statement_g");
  AddInd<TGimPressInd_StatementH>(L, S, "statement_h");
  AddInd<TGimPressInd_StatementI>(L, S, "statement_i");
  AddInd<TGimPressInd_StatementJ>(L, S, "statement_j");
  AddInd<TGimPressInd_StatementK>(L, S, "statement_k");
  AddInd<TGimPressInd_StatementL>(L, S, "statement_l");
  AddInd<TGimPressInd_StatementM>(L, S, "statement_m");
  AddInd<TGimPressInd_StatementN>(L, S, "statement_n");
  AddInd<TGimPressInd_StatementO>(L, S, "statement_o");
  AddInd<TGimPressInd_StatementP>(L, S, "statement_p");
  AddInd<TGimPressInd_POR>(L, S, "por");
  AddInd<TGimPressInd_SOO>(L, S, "soo");
  AddInd<TGimPressInd_RDW>(L, S, "rdw");
  AddInd<TGimPressIndZKDPARtoCirculation>(L, S, "ar2circ");
  AddInd<TGimPressIndZKDPARtoSales>(L, S, "ar2sales");
  AddInd<TGimPressIndZKDPCirculation>(L, S, "circ");
  AddInd<TGimPressindZKDPSales>(L, S, "sales");
}

std::string TGimPressIndList::GetARColumnName(std::string_view TitleID) const {
  const auto* AR = As<TGimPressInd>(FindByClass(TGimPressInd_AR::StaticClass()));
  return AR ? AR->GetColumnName(TitleID, nullptr) : std::string();
}

}  // namespace quin
