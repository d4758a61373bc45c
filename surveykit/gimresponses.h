// Responses and response lists: which columns hold an answer and which codes in them mean this
// answer; the base responses of groups of responses that share columns; the per-record
// evaluation of responses over a record set.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "deflang/rixcodes.h"
#include "surveykit/gimdataobj.h"
#include "surveykit/gimreading.h"
#include "surveykit/merrecset.h"

namespace quin {

class TRixScanner;
class TGimResponse;
class TMerResponseList;

extern const TOrvMsgClass TMerMsgWarning_SimilarCodeCol;
extern const TOrvMsgClass TMerMsgWarning_CodeOverlaps;
extern const TOrvMsgClass TMerMsgError_NoMeanInconsistent;

// The column Spec names: made by the survey (CreateCol) or, without survey, a plain reference.
std::unique_ptr<TMerRecsetCol> GimCreateCol(TMerSurvey* Survey, TRixScanner* Scanner,
                                            const std::string& Spec);
// A new response below Parent (not appended): the survey's CreateResponse, or the plain class
// without survey.
std::unique_ptr<TGimResponse> GimCreateResponse(TMerSurvey* Survey, TGimDataObject* Parent);
// A new empty response list below Parent: the survey's CreateResponseList, or the plain class.
std::unique_ptr<TMerResponseList> GimCreateResponseList(TMerSurvey* Survey, TGimDataObject* Parent);

// "attr": the attribute words of a response added to Attributes ("Unknown key." at another
// word); False when the key was not there.
bool GimReadAttributes(TRixScanner& Scanner, uint8_t& Attributes);

// Flags of a response.
enum : uint8_t {
  GimAttrEstIndependent = 0x01,
  GimAttrAllowOverlaps = 0x02,
  GimAttrNoMean = 0x04,
  GimAttrSubstStats = 0x08,
};

class TGimResponse : public TGimSimpleDataObject {
  QUIN_CLASS(TGimResponse, TGimSimpleDataObject)
  QUIN_COPY(TGimResponse)
 public:
  TGimResponse() = default;
  // Copies texts, attributes, single code, code lists, column mask and text, columns,
  // selectable and a copy of the base response; the numeric caches start empty.
  TGimResponse(const TGimResponse& Source);

  uint8_t Attributes = 0;
  std::unique_ptr<TRixCodeList> ValidCodes;  // base responses only
  double SingleCode = 0;
  bool HasSingleCode = false;
  std::unique_ptr<TRixCodeList> Codes;
  std::unique_ptr<TRixCodeList> NumericCodes;
  std::string ColumnMask;
  std::string ColumnText;
  bool Selectable = true;
  std::unique_ptr<TMerRecsetColList> Columns;
  std::unique_ptr<TGimResponse> BaseResponse;
  bool HasBase = false;

  void CreateInSurvey(TMerSurvey* ASurvey, TOrvPersistent* AParent) override;
  void AddToListView(TGimListView& View) override;

  // The sorted distinct values of the first column inside the numeric codes (cached); null
  // without numeric codes.
  virtual const std::vector<double>* GetNumericValues(TMerRecset* Recset);
  // 1 without numeric codes, else the number of numeric values.
  virtual int GetNumericValueCount(TMerRecset* Recset);
  // Hook at the end of a response block.
  virtual void AfterRead(TRixScanner& Scanner, bool HasCode, bool PlainQuestion) {}
  // Adds a copy of each column to Cols unless present.
  virtual void RegisterColumns(TMerRecset* Recset, TMerRecsetColList& Cols);
  // Per record of Recset: Selected when some column matches, Missing while no column holds a
  // valid value; First assigns, later calls combine by "or" and "and". Cols are loaded.
  virtual void Evaluate(std::vector<uint8_t>& Selected, std::vector<uint8_t>& Missing, bool First,
                        TMerRecsetColList& Cols, TMerRecset* Recset);
  // One value per record of Recset (the missing value where there is none).
  virtual void FillValues(std::vector<double>& Values, TMerRecset* Recset);
  // The columns of Cols that are columns of this response (a non-owning list); null when
  // none, and then with First every record is not selected and missing.
  virtual std::unique_ptr<TMerRecsetColList> SelectColumns(std::vector<uint8_t>& Selected,
                                                           std::vector<uint8_t>& Missing,
                                                           bool First, TMerRecsetColList& Cols,
                                                           TMerRecset* Recset);

  // Reads the body of a "response" block (after "def response").
  void Read(TRixScanner& Scanner, TGimDataObject* Context, bool PlainQuestion, bool HasCode,
            TMerResponseList* List);

  bool HasCodes() const { return HasSingleCode || Codes || NumericCodes; }
  bool HasColumns() const { return Columns && !Columns->Empty(); }
  int ColumnCount() const { return Columns ? Columns->Count() : 0; }
  bool MatchesValue(double V) const;
  bool IsValidValue(double V) const;
  TGimResponse* AsSelectable() { return Selectable ? this : nullptr; }
  TGimResponse* GetBaseResponse() const { return HasBase ? BaseResponse.get() : nullptr; }
  bool IsListed(bool ASelectable, bool ABase) const {
    return (ASelectable && Selectable) || (ABase && HasBase);
  }
  bool HasNoMean(bool MultiColumn) const {
    return (Attributes & GimAttrNoMean) || (MultiColumn && ColumnCount() > 1);
  }
  bool UsesOtherRecset(const TMerRecset* Recset) const;
  bool SameColumnsAs(const TGimResponse& Other) const;
  // Sets the columns to one column made from Spec by the survey.
  void SetColumn(TRixScanner* Scanner, const std::string& Spec);

  // The label in tables, numbers in the session's format.
  void GetLabel(bool ForMeans, bool ShowCodes, bool MultiColumn, int ValueIndex, std::string& Text);
  void GetBaseLabel(int Level, bool ShowCodes, std::string& Text) const;

 private:
  std::vector<double> FNumericValues;
  int FNumericValueCount = -1;
};

// The responses of a question or an axis (owned children), possibly with nested lists.
class TMerResponseList : public TGimDataObject {
  QUIN_CLASS(TMerResponseList, TGimDataObject)
  QUIN_COPY(TMerResponseList)
 public:
  TMerResponseList() = default;
  TMerResponseList(const TMerResponseList&) = default;

  void CreateInSurvey(TMerSurvey* ASurvey, TOrvPersistent* AParent) override;
  void AddToListView(TGimListView& View) override;

  // The response at Index (null for a nested list or without children).
  TGimResponse* GetItem(int Index) const;
  int Count() const { return ChildCount(); }
  int IndexOf(const TGimSimpleDataObject* Item) const {
    return Children ? Children->IndexOf(Item) : -1;
  }
  // The first response with that ID (case ignored), nested lists searched depth first.
  TGimResponse* FindByID(std::string_view AID) const;
  std::string GetIDText() const;
  std::string GetNickText() const;
  bool SameItems(const TMerResponseList* Other) const;
  bool HasMultiColumn() const;
  int CountBaseResponses() const;
  virtual void BuildBaseResponses();
  // Warns once about overlapping codes between responses on the same columns; stops at the
  // first inconsistent noMean. Messages at the last token read (none without a scanner).
  void CheckOverlaps(TRixScanner* Scanner);

  // Reads the body of a "responseList" block (after "def responseList") into this list.
  void Read(TRixScanner& Scanner, TGimDataObject* Context, bool PlainQuestion, bool HasCode,
            TMerResponseList* List, int Depth = 0);
  // A new response of the survey, appended.
  TGimResponse* AppendResponse();
  // Reads one "response" block (after "def response") and appends it.
  TGimResponse* ReadResponse(TRixScanner& Scanner, TGimDataObject* Context, bool PlainQuestion,
                             bool HasCode);
};

}  // namespace quin
