// The press indicator catalogue: one small class per kind of indicator, differing only in the
// class answers that the statistics, the parameters and the computation ask, and the list that
// holds every indicator the program knows in its fixed order.
#pragma once

#include <memory>
#include <string>

#include "surveykit/gimpress.h"

namespace quin {

// The members every catalogue class declares: its class, a public construction for the
// catalogue, and a copy that finishes through FinishCopy.
#define QUIN_PRESS_IND(Class, Parent)                               \
  QUIN_CLASS(Class, Parent)                                         \
 public:                                                            \
  Class() = default;                                                \
  Class(const Class&) = default;                                    \
  std::unique_ptr<::quin::TOrvObject> CreateCopy() const override { \
    return FinishCopy(std::make_unique<Class>(*this));              \
  }

class TGimPressInd_Pct : public TGimPressInd {
  QUIN_PRESS_IND(TGimPressInd_Pct, TGimPressInd)
 public:
  bool ByResp() const override { return true; }
  bool Est() const override { return true; }
  bool PctCalcs() const override { return true; }
  bool IndependentColumnsDefault() const override { return false; }
};

class TGimPressInd_TOM : public TGimPressInd_Pct {
  QUIN_PRESS_IND(TGimPressInd_TOM, TGimPressInd_Pct)
};

class TGimPressInd_SPO : public TGimPressInd_Pct {
  QUIN_PRESS_IND(TGimPressInd_SPO, TGimPressInd_Pct)
};

class TGimPressInd_AWA : public TGimPressInd_Pct {
  QUIN_PRESS_IND(TGimPressInd_AWA, TGimPressInd_Pct)
};

class TGimPressInd_ER : public TGimPressInd_Pct {
  QUIN_PRESS_IND(TGimPressInd_ER, TGimPressInd_Pct)
};

class TGimPressInd_SCR : public TGimPressInd_Pct {
  QUIN_PRESS_IND(TGimPressInd_SCR, TGimPressInd_Pct)
};

class TGimPressInd_RR : public TGimPressInd_Pct {
  QUIN_PRESS_IND(TGimPressInd_RR, TGimPressInd_Pct)
};

class TGimPressInd_LIR : public TGimPressInd_Pct {
  QUIN_PRESS_IND(TGimPressInd_LIR, TGimPressInd_Pct)
};

class TGimPressInd_Distrib : public TGimPressInd_Pct {
  QUIN_PRESS_IND(TGimPressInd_Distrib, TGimPressInd_Pct)
 public:
  std::string Groups() const override;
};

class TGimPressInd_Recommendable : public TGimPressInd_Pct {
  QUIN_PRESS_IND(TGimPressInd_Recommendable, TGimPressInd_Pct)
 public:
  std::string Groups() const override;
};

class TGimPressInd_PIR : public TGimPressInd_Pct {
  QUIN_PRESS_IND(TGimPressInd_PIR, TGimPressInd_Pct)
 public:
  bool HasParams() const override { return true; }
  bool IndependentColumnsDefault() const override { return true; }
  std::string Groups() const override;
};

class TGimPressInd_Adverts : public TGimPressInd_Pct {
  QUIN_PRESS_IND(TGimPressInd_Adverts, TGimPressInd_Pct)
 public:
  bool HasParams() const override { return true; }
  bool IndependentColumnsDefault() const override { return true; }
  std::string Groups() const override;
};

class TGimPressInd_Eval : public TGimPressInd_Pct {
  QUIN_PRESS_IND(TGimPressInd_Eval, TGimPressInd_Pct)
 public:
  bool HasParams() const override { return true; }
  bool IndependentColumnsDefault() const override { return true; }
  std::string Groups() const override;
};

class TGimPressInd_POR : public TGimPressInd_Pct {
  QUIN_PRESS_IND(TGimPressInd_POR, TGimPressInd_Pct)
 public:
  bool HasParams() const override { return true; }
  bool IndependentColumnsDefault() const override { return true; }
  std::string Groups() const override;
};

class TGimPressInd_SOO : public TGimPressInd_Pct {
  QUIN_PRESS_IND(TGimPressInd_SOO, TGimPressInd_Pct)
 public:
  bool HasParams() const override { return true; }
  bool IndependentColumnsDefault() const override { return true; }
  std::string Groups() const override;
};

class TGimPressInd_Statements : public TGimPressInd_Pct {
  QUIN_PRESS_IND(TGimPressInd_Statements, TGimPressInd_Pct)
 public:
  bool HasParams() const override { return true; }
  bool IndependentColumnsDefault() const override { return true; }
  std::string Groups() const override;
};

class TGimPressInd_StatementA : public TGimPressInd_Statements {
  QUIN_PRESS_IND(TGimPressInd_StatementA, TGimPressInd_Statements)
};

class TGimPressInd_StatementB : public TGimPressInd_Statements {
  QUIN_PRESS_IND(TGimPressInd_StatementB, TGimPressInd_Statements)
};

class TGimPressInd_StatementC : public TGimPressInd_Statements {
  QUIN_PRESS_IND(TGimPressInd_StatementC, TGimPressInd_Statements)
};

class TGimPressInd_StatementD : public TGimPressInd_Statements {
  QUIN_PRESS_IND(TGimPressInd_StatementD, TGimPressInd_Statements)
};

class TGimPressInd_StatementE : public TGimPressInd_Statements {
  QUIN_PRESS_IND(TGimPressInd_StatementE, TGimPressInd_Statements)
};

class TGimPressInd_StatementF : public TGimPressInd_Statements {
  QUIN_PRESS_IND(TGimPressInd_StatementF, TGimPressInd_Statements)
};

class TGimPressInd_StatementG : public TGimPressInd_Statements {
  QUIN_PRESS_IND(TGimPressInd_StatementG, TGimPressInd_Statements)
};

class TGimPressInd_StatementH : public TGimPressInd_Statements {
  QUIN_PRESS_IND(TGimPressInd_StatementH, TGimPressInd_Statements)
};

class TGimPressInd_StatementI : public TGimPressInd_Statements {
  QUIN_PRESS_IND(TGimPressInd_StatementI, TGimPressInd_Statements)
};

class TGimPressInd_StatementJ : public TGimPressInd_Statements {
  QUIN_PRESS_IND(TGimPressInd_StatementJ, TGimPressInd_Statements)
};

class TGimPressInd_StatementK : public TGimPressInd_Statements {
  QUIN_PRESS_IND(TGimPressInd_StatementK, TGimPressInd_Statements)
};

class TGimPressInd_StatementL : public TGimPressInd_Statements {
  QUIN_PRESS_IND(TGimPressInd_StatementL, TGimPressInd_Statements)
};

class TGimPressInd_StatementM : public TGimPressInd_Statements {
  QUIN_PRESS_IND(TGimPressInd_StatementM, TGimPressInd_Statements)
};

class TGimPressInd_StatementN : public TGimPressInd_Statements {
  QUIN_PRESS_IND(TGimPressInd_StatementN, TGimPressInd_Statements)
};

class TGimPressInd_StatementO : public TGimPressInd_Statements {
  QUIN_PRESS_IND(TGimPressInd_StatementO, TGimPressInd_Statements)
};

class TGimPressInd_StatementP : public TGimPressInd_Statements {
  QUIN_PRESS_IND(TGimPressInd_StatementP, TGimPressInd_Statements)
};

class TGimPressInd_RDW : public TGimPressInd_Pct {
  QUIN_PRESS_IND(TGimPressInd_RDW, TGimPressInd_Pct)
 public:
  bool HasParams() const override { return true; }
  bool IndependentColumnsDefault() const override { return true; }
  bool UsesDays() const override { return true; }
  // Only the responses whose identifier is a day key of the title's publication days.
  void CheckTitleColumn(TRixScanner* Scanner, TGimPressTitle& Title,
                        TGimResponse* Response) override;
  std::unique_ptr<TGimResponse> CopyResponseFor(TGimPressTitle& Title,
                                                TGimResponse& Response) override;
};

class TGimPressInd_Numeric : public TGimPressInd_Pct {
  QUIN_PRESS_IND(TGimPressInd_Numeric, TGimPressInd_Pct)
 public:
  bool HasParams() const override { return true; }
  bool IndependentColumnsDefault() const override { return true; }
  std::string Groups() const override;
};

class TGimPressInd_NIR : public TGimPressInd_Numeric {
  QUIN_PRESS_IND(TGimPressInd_NIR, TGimPressInd_Numeric)
};

class TGimPressInd_NCI : public TGimPressInd_Numeric {
  QUIN_PRESS_IND(TGimPressInd_NCI, TGimPressInd_Numeric)
};

class TGimPressInd_RPC : public TGimPressInd_Numeric {
  QUIN_PRESS_IND(TGimPressInd_RPC, TGimPressInd_Numeric)
};

class TGimPressInd_RankInfo : public TGimPressInd_Numeric {
  QUIN_PRESS_IND(TGimPressInd_RankInfo, TGimPressInd_Numeric)
};

class TGimPressInd_RankHelpful : public TGimPressInd_Numeric {
  QUIN_PRESS_IND(TGimPressInd_RankHelpful, TGimPressInd_Numeric)
};

class TGimPressInd_Mean : public TGimPressInd_Numeric {
  QUIN_PRESS_IND(TGimPressInd_Mean, TGimPressInd_Numeric)
 public:
  bool ByResp() const override { return false; }
  bool Est() const override { return false; }
  bool PctCalcs() const override { return false; }
  bool Means() const override { return true; }
  bool HasParams() const override { return false; }
  void InitQuestions(TRixScanner*, TGimModule*, TGimModule*) override {}
};

class TGimPressInd_MNIR : public TGimPressInd_Mean {
  QUIN_PRESS_IND(TGimPressInd_MNIR, TGimPressInd_Mean)
};

class TGimPressInd_MNCI : public TGimPressInd_Mean {
  QUIN_PRESS_IND(TGimPressInd_MNCI, TGimPressInd_Mean)
};

class TGimPressInd_MRPC : public TGimPressInd_Mean {
  QUIN_PRESS_IND(TGimPressInd_MRPC, TGimPressInd_Mean)
};

class TGimPressInd_MeanRankInfo : public TGimPressInd_Mean {
  QUIN_PRESS_IND(TGimPressInd_MeanRankInfo, TGimPressInd_Mean)
};

class TGimPressInd_MeanRankHelpful : public TGimPressInd_Mean {
  QUIN_PRESS_IND(TGimPressInd_MeanRankHelpful, TGimPressInd_Mean)
};

class TGimPressInd_AR : public TGimPressInd_Mean {
  QUIN_PRESS_IND(TGimPressInd_AR, TGimPressInd_Mean)
 public:
  bool Est() const override { return true; }
  bool PctCalcs() const override { return true; }
  std::string Groups() const override;
  bool UsesDays() const override { return true; }
  bool UsesNOI() const override { return true; }
  // The number of insertions, for more than one title or weekday.
  bool DependsOnInd(const ClassInfo& IndClass, int TitleCount, int DayCount) const override;
  void InitQuestions(TRixScanner* Scanner, TGimModule* HookModule,
                     TGimModule* RootModule) override {
    // The means build none; readership builds those of every press indicator.
    TGimPressInd::InitQuestions(  // NOLINT(bugprone-parent-virtual-call): skips the means' none
        Scanner, HookModule, RootModule);
  }
};

class TGimPressInd_GRP : public TGimPressInd_AR {
  QUIN_PRESS_IND(TGimPressInd_GRP, TGimPressInd_AR)
 public:
  bool ShowsPctSign() const override { return false; }
  std::string Groups() const override;
  bool DependsOnInd(const ClassInfo& IndClass, int TitleCount, int DayCount) const override;
  void InitQuestions(TRixScanner*, TGimModule*, TGimModule*) override {}
};

class TGimPressInd_GI : public TGimPressInd_GRP {
  QUIN_PRESS_IND(TGimPressInd_GI, TGimPressInd_GRP)
 public:
  bool PctCalcs() const override { return false; }
  std::string DisplayFormat(int Decimals) const override { return "%1.0n"; }
  bool IsPressGI() const override { return true; }
};

class TGimPressInd_CPPG : public TGimPressInd_GRP {
  QUIN_PRESS_IND(TGimPressInd_CPPG, TGimPressInd_GRP)
 public:
  bool Est() const override { return false; }
  bool PctCalcs() const override { return false; }
  std::string DisplayFormat(int Decimals) const override { return "%1.2n"; }
  bool DependsOnInd(const ClassInfo& IndClass, int TitleCount, int DayCount) const override;
};

class TGimPressInd_CPMG : public TGimPressInd_GRP {
  QUIN_PRESS_IND(TGimPressInd_CPMG, TGimPressInd_GRP)
 public:
  bool Est() const override { return false; }
  bool PctCalcs() const override { return false; }
  std::string DisplayFormat(int Decimals) const override { return "%1.2n"; }
  bool DependsOnInd(const ClassInfo& IndClass, int TitleCount, int DayCount) const override;
};

class TGimPressIndZKDPAR : public TGimPressInd_AR {
  QUIN_PRESS_IND(TGimPressIndZKDPAR, TGimPressInd_AR)
 public:
  bool PctCalcs() const override { return false; }
  std::string DisplayFormat(int Decimals) const override;
  std::string Groups() const override { return "ZKDP"; }
  bool NeedsDistributionData() const override { return true; }
  void InitQuestions(TRixScanner*, TGimModule*, TGimModule*) override {}
};

class TGimPressIndZKDPARtoCirculation : public TGimPressIndZKDPAR {
  QUIN_PRESS_IND(TGimPressIndZKDPARtoCirculation, TGimPressIndZKDPAR)
};

class TGimPressIndZKDPARtoSales : public TGimPressIndZKDPAR {
  QUIN_PRESS_IND(TGimPressIndZKDPARtoSales, TGimPressIndZKDPAR)
};

class TGimPressIndZKDP : public TGimPressInd {
  QUIN_PRESS_IND(TGimPressIndZKDP, TGimPressInd)
 public:
  bool ByResp() const override { return false; }
  bool Est() const override { return false; }
  bool PctCalcs() const override { return false; }
  bool IndependentColumnsDefault() const override { return false; }
  std::string DisplayFormat(int Decimals) const override { return "%1.0n"; }
  std::string Groups() const override { return "ZKDP"; }
  bool NeedsDistributionData() const override { return true; }
  void InitQuestions(TRixScanner*, TGimModule*, TGimModule*) override {}
};

class TGimPressIndZKDPCirculation : public TGimPressIndZKDP {
  QUIN_PRESS_IND(TGimPressIndZKDPCirculation, TGimPressIndZKDP)
};

class TGimPressindZKDPSales : public TGimPressIndZKDP {
  QUIN_PRESS_IND(TGimPressindZKDPSales, TGimPressIndZKDP)
};

class TGimPressInd_Inserts : public TGimPressInd {
  QUIN_PRESS_IND(TGimPressInd_Inserts, TGimPressInd)
 public:
  bool ByResp() const override { return false; }
  bool Est() const override { return false; }
  bool PctCalcs() const override { return false; }
  bool IndependentColumnsDefault() const override { return false; }
  std::string DisplayFormat(int Decimals) const override { return "%1.2n"; }
  std::string Groups() const override { return "Media-plan"; }
  bool UsesDays() const override { return true; }
  void InitQuestions(TRixScanner*, TGimModule*, TGimModule*) override {}
};

class TGimPressInd_CPI : public TGimPressInd_Inserts {
  QUIN_PRESS_IND(TGimPressInd_CPI, TGimPressInd_Inserts)
 public:
  bool DependsOnInd(const ClassInfo& IndClass, int TitleCount, int DayCount) const override;
};

class TGimPressInd_NOI : public TGimPressInd_Inserts {
  QUIN_PRESS_IND(TGimPressInd_NOI, TGimPressInd_Inserts)
 public:
  bool IsContinuous() const override { return false; }
  std::string DisplayFormat(int Decimals) const override { return "%1.0f"; }
  bool DependsOnInd(const ClassInfo& IndClass, int TitleCount, int DayCount) const override;
};

class TGimPressInd_COI : public TGimPressInd_Inserts {
  QUIN_PRESS_IND(TGimPressInd_COI, TGimPressInd_Inserts)
 public:
  bool DependsOnInd(const ClassInfo& IndClass, int TitleCount, int DayCount) const override;
};

class TGimPressInd_FDBased : public TGimPressInd {
  QUIN_PRESS_IND(TGimPressInd_FDBased, TGimPressInd)
 public:
  bool ByResp() const override { return false; }
  bool Est() const override { return true; }
  bool PctCalcs() const override { return true; }
  bool HasParams() const override { return true; }
  bool IndependentColumnsDefault() const override { return true; }
  std::string Groups() const override { return "Media-plan"; }
  bool UsesDays() const override { return true; }
  bool DependsOnInd(const ClassInfo& IndClass, int TitleCount, int DayCount) const override;
  void InitQuestions(TRixScanner*, TGimModule*, TGimModule*) override {}
};

class TGimPressInd_FD : public TGimPressInd_FDBased {
  QUIN_PRESS_IND(TGimPressInd_FD, TGimPressInd_FDBased)
 public:
  void SetCodeNumericPar() override { SetDistributionPar(); }
};

class TGimPressInd_FDPlus : public TGimPressInd_FDBased {
  QUIN_PRESS_IND(TGimPressInd_FDPlus, TGimPressInd_FDBased)
 public:
  bool CanMergeParams() const override { return false; }
  void SetCodeNumericPar() override { SetDistributionPar(); }
};

class TGimPressInd_AF : public TGimPressInd_FDBased {
  QUIN_PRESS_IND(TGimPressInd_AF, TGimPressInd_FDBased)
 public:
  bool Est() const override { return false; }
  bool PctCalcs() const override { return false; }
  bool Means() const override { return true; }
  bool HasParams() const override { return false; }
};

class TGimPressInd_Reach : public TGimPressInd_FDPlus {
  QUIN_PRESS_IND(TGimPressInd_Reach, TGimPressInd_FDPlus)
 public:
  bool HasParams() const override { return false; }
  bool DefaultParams() const override { return true; }
};

class TGimPressInd_CPPR : public TGimPressInd_FDPlus {
  QUIN_PRESS_IND(TGimPressInd_CPPR, TGimPressInd_FDPlus)
 public:
  bool Est() const override { return false; }
  bool PctCalcs() const override { return false; }
  bool HasParams() const override { return false; }
  std::string DisplayFormat(int Decimals) const override { return "%1.2n"; }
  bool DependsOnInd(const ClassInfo& IndClass, int TitleCount, int DayCount) const override;
  bool DefaultParams() const override { return true; }
};

class TGimPressInd_CPPER : public TGimPressInd_FDPlus {
  QUIN_PRESS_IND(TGimPressInd_CPPER, TGimPressInd_FDPlus)
 public:
  bool Est() const override { return false; }
  bool PctCalcs() const override { return false; }
  bool HasParams() const override { return true; }
  std::string DisplayFormat(int Decimals) const override { return "%1.2n"; }
  bool DependsOnInd(const ClassInfo& IndClass, int TitleCount, int DayCount) const override;
};

class TGimPressInd_CPMR : public TGimPressInd_FDPlus {
  QUIN_PRESS_IND(TGimPressInd_CPMR, TGimPressInd_FDPlus)
 public:
  bool Est() const override { return false; }
  bool PctCalcs() const override { return false; }
  bool HasParams() const override { return false; }
  std::string DisplayFormat(int Decimals) const override { return "%1.2n"; }
  bool DependsOnInd(const ClassInfo& IndClass, int TitleCount, int DayCount) const override;
  bool DefaultParams() const override { return true; }
};

class TGimPressInd_CPMER : public TGimPressInd_FDPlus {
  QUIN_PRESS_IND(TGimPressInd_CPMER, TGimPressInd_FDPlus)
 public:
  bool Est() const override { return false; }
  bool PctCalcs() const override { return false; }
  bool HasParams() const override { return true; }
  std::string DisplayFormat(int Decimals) const override { return "%1.2n"; }
  bool DependsOnInd(const ClassInfo& IndClass, int TitleCount, int DayCount) const override;
};

}  // namespace quin
