// The press definition: titles with their publication days in modules, the press indicator
// base with its codes and columns, the "press" section's reader and the derived questions that
// make the indicators' columns usable as survey questions.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "base/orvdays.h"
#include "deflang/rixcodes.h"
#include "surveykit/gimmedia.h"
#include "surveykit/gimresponses.h"

namespace quin {

class TGimPressTitle;

// An indicator that needs outside circulation data in a survey that does not say it has them.
extern const TOrvMsgClass TGimMsgError_DistributionDataInd;
// An indicator with shared columns whose response list holds a plain response.
extern const TOrvMsgClass TGimError_IndResponseListExpected;

// A title's publication on one weekday.
class TGimPressDay : public TOrvObject {
  QUIN_CLASS(TGimPressDay, TOrvObject)
 public:
  TGimPressDay(TGimPressTitle* ATitle, TOrvDay ADay) : Day(ADay), Title(ATitle) {}
  TOrvDay Day;
  TGimPressTitle* Title;  // not owned
};

class TGimPressDayList : public TOrvTypedList<TGimPressDay> {
  QUIN_CLASS(TGimPressDayList, TOrvObjectList)
 public:
  TGimPressDayList() : TOrvTypedList(true) {}
  // The day object of Day; null when the title does not appear that day.
  TGimPressDay* FindDay(TOrvDay Day) const;
};

class TGimPressTitle : public TGimMediaObject {
  QUIN_CLASS(TGimPressTitle, TGimMediaObject)
  QUIN_COPY(TGimPressTitle)
 public:
  TGimPressTitle() = default;
  // Code and days; the day list is built afresh on use.
  TGimPressTitle(const TGimPressTitle& Source)
      : TGimMediaObject(Source), Code(Source.Code), Days(Source.Days) {}

  double Code = 0;  // the title's code in the answer columns
  TOrvDaySet Days;  // empty without weekday information

  // One day object per weekday of Days, Monday first; built on first use.
  TGimPressDayList& GetDayList();

 private:
  std::unique_ptr<TGimPressDayList> FDayList;
};

class TGimPress;

class TGimPressModule : public TGimMediaModule {
  QUIN_CLASS(TGimPressModule, TGimMediaModule)
  QUIN_COPY(TGimPressModule)
 public:
  TGimPressModule() = default;
  TGimPressModule(const TGimPressModule&) = default;
  // Reads a "module" body of Press's tree; Depth counts the modules around it.
  void Read(TRixScanner& Scanner, TGimPress& Press, int Depth);
};

// The base of every press indicator: the codes and columns through which it finds its
// respondent data per title.
class TGimPressInd : public TGimMediaInd {
  QUIN_CLASS(TGimPressInd, TGimMediaInd)
 public:
  double ReadingCode = 1;  // the value that counts as reading when nothing else is chosen
  std::unique_ptr<TRixCodeList> NumericCodes;  // key "numeric"
  std::unique_ptr<TRixCodeList> ParCodes;      // the codes offered as parameter
  std::string ColumnMask;                      // "*" stands for the title's identifier
  std::unique_ptr<TRixCodeList> DefaultPars;
  bool IndependentColumns = false;              // each title has columns of its own
  std::unique_ptr<TMerRecsetColList> Columns;   // "column", "columnList" or found by the mask
  std::unique_ptr<TMerResponseList> Responses;  // the "responseList" block

  // Sets the reading code and the independent-columns default.
  void CreateInSurvey(TMerSurvey* ASurvey, TOrvPersistent* AParent) override;

  // Creates and frees the column of Title and Response so that a missing column is reported
  // at the scanner.
  virtual void CheckTitleColumn(TRixScanner* Scanner, TGimPressTitle& Title,
                                TGimResponse* Response);
  virtual bool IndependentColumnsDefault() const = 0;
  // A copy of Response for Title's question; null for none.
  virtual std::unique_ptr<TGimResponse> CopyResponseFor(TGimPressTitle& Title,
                                                        TGimResponse& Response);
  // Several parameter codes may be joined in one table item.
  virtual bool CanMergeParams() const { return true; }
  virtual bool DefaultParams() const { return false; }
  virtual bool NeedsDistributionData() const { return false; }
  // The parameter codes become a copy of the numeric codes (none without them).
  virtual void SetCodeNumericPar();
  virtual bool UsesDays() const { return false; }
  virtual bool UsesNOI() const { return false; }

  std::string Groups() const override;
  void InitQuestions(TRixScanner* Scanner, TGimModule* HookModule, TGimModule* RootModule) override;

  // The column of TitleID: the indicator's mask, or Response's own mask when the indicator's
  // holds no "*"; the first "*" becomes TitleID, and a mask without one is followed by it.
  std::string GetColumnName(std::string_view TitleID, const TGimResponse* Response) const;
  // The keys of an "indicator" body beyond the texts; False when the instruction is another.
  bool ReadKey(TRixScanner& Scanner);
  // A "responseList" block of an "indicator" body (its "def" current); False for another.
  bool ReadBlock(TRixScanner& Scanner);
  // Attaches or checks the columns after the section is read (RootModule: the press tree).
  void ReadColumns(TRixScanner* Scanner, TGimModule& RootModule);

 protected:
  TGimPressInd() = default;
  // Texts, code lists, mask, independence and columns; neither default parameters nor the
  // response list. Numeric codes without parameter codes give them through SetCodeNumericPar.
  TGimPressInd(const TGimPressInd& Source);
  // The parameter codes of the distributions: the range 0 to 100 when the indicator takes
  // parameters and has numeric codes.
  void SetDistributionPar();
  // The last step of every copy (CreateCopy): numeric codes without parameter codes give the
  // copy's parameter codes through its own SetCodeNumericPar.
  std::unique_ptr<TOrvObject> FinishCopy(std::unique_ptr<TGimPressInd> Copy) const;

 private:
  void BuildQuestionsFromResponses(TRixScanner* Scanner, TGimModule* HookModule,
                                   TGimModule* RootModule);
  void BuildQuestionOfTitles(TGimModule* HookModule, TGimModule* RootModule);
};

class TGimPressIndList : public TGimMediaIndList {
  QUIN_CLASS(TGimPressIndList, TOrvObjectList)
 public:
  // The whole catalogue, in its fixed order.
  explicit TGimPressIndList(TMerSurvey* ASurvey = nullptr);
  TGimPressInd* GetPressItem(int Index) const { return As<TGimPressInd>(Items(Index)); }
  // The column of the first indicator of exactly the average-readership class; empty when
  // the catalogue has none.
  std::string GetARColumnName(std::string_view TitleID) const;
  // "airdw." + the day key + "." + Suffix.
  static std::string GetDayColumnName(TOrvDay Day, std::string_view Suffix);
};

// The "press" section.
class TGimPress : public TGimMedia {
  QUIN_CLASS(TGimPress, TGimMedia)
 public:
  explicit TGimPress(TMerSurvey* ASurvey);
  bool DistributionData = false;  // outside circulation data may be combined with the survey

  TGimPressIndList& PressIndicators() const { return static_cast<TGimPressIndList&>(*Indicators); }
  // Reads the body of the "press" block up to its "end" ";".
  void Read(TRixScanner& Scanner, const TOrvTextPos& StartPos);
  // After the section: every indicator attaches its columns, then builds its derived
  // questions (none without a hook module).
  void AfterRead(TRixScanner* Scanner);

  // Reads a "title" body below Parent; Depth counts the modules around it.
  void ReadTitle(TRixScanner& Scanner, TGimModule& Parent);
};

}  // namespace quin
