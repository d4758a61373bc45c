// Response axes and grid questions: each axis is a list of responses; the grid's column mask
// holds one "*" per column axis, and the question's responses are the combinations of the
// axes' responses.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "surveykit/gimresponses.h"

namespace quin {

class TGimQuestion;

extern const TOrvMsgClass TGimError_ResponsesNotDefined;
extern const TOrvMsgClass TGimError_CodeAndRangeInvalid;
extern const TOrvMsgClass TGimError_ColDefsInvalid;
extern const TOrvMsgClass TGimError_ColCodeDefsInvalid;
extern const TOrvMsgClass TGimError_ColCodeDefsInconsistent;
extern const TOrvMsgClass TGimError_AxisNotDefined;
extern const TOrvMsgClass TGimError_NonColAxisLegalIffCodeRangeNotDefined;
extern const TOrvMsgClass TGimError_AtMostOneNonColAxisAllowed;
extern const TOrvMsgClass TGimError_OnlyLastAxisMayBeNonCol;
extern const TOrvMsgClass TGimError_ColMaskNotDefined;
extern const TOrvMsgClass TGimError_ColMaskInvalidInGrid;
// The combinations of the axes exceed the limit; nothing is generated.
extern const TOrvMsgClass TGimError_GridTooLarge;

class TGimResponseAxis : public TGimDataObject {
  QUIN_CLASS(TGimResponseAxis, TGimDataObject)
 public:
  TGimResponseAxis() = default;
  TGimResponseAxis(const TGimResponseAxis& Source);
  std::unique_ptr<TOrvObject> CreateCopy() const override {
    return std::unique_ptr<TOrvObject>(new TGimResponseAxis(*this));
  }

  std::unique_ptr<TMerResponseList> Responses;  // owned

  // Also creates the empty response list (the survey's CreateResponseList).
  void CreateInSurvey(TMerSurvey* ASurvey, TOrvPersistent* AParent) override;
  // The first response has codes. An axis without responses is a column axis without
  // responses.
  bool IsCodeAxis() const;
  bool IsColumnAxis() const { return !IsCodeAxis(); }
  bool NoColumnsDefined() const;
  bool AllHaveCodesOrText() const;
  bool ConsistentKinds() const;
  // Reads the body of a "responseAxis" block (after "def responseAxis").
  void Read(TRixScanner& Scanner);
};

class TGimResponseAxisList : public TGimDataObjectList {
  QUIN_CLASS(TGimResponseAxisList, TOrvObjectList)
 public:
  enum class TGridCode { None, Code, Range };

  explicit TGimResponseAxisList(TMerSurvey* ASurvey = nullptr)
      : TGimDataObjectList(true), Survey(ASurvey) {}
  TGimResponseAxisList(const TGimResponseAxisList& Source);
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TGimResponseAxisList(*this));
  }

  TMerSurvey* Survey;
  std::string ColumnMask;
  TGridCode GridCodeKind = TGridCode::None;
  double GridCode = 0;
  std::unique_ptr<TRixCodeList> GridCodes;
  // The most responses a grid may generate: each costs about a kilobyte, and a short text of
  // three axes could otherwise ask for gigabytes.
  static inline size_t MaxGridResponses = 100000;

  TGimResponseAxis* GetItem(int Index) const { return As<TGimResponseAxis>(Items(Index)); }
  // Exact comparison of the ID.
  TGimResponseAxis* FindByID(std::string_view AID) const;
  int CountCodeAxes() const;
  int CountColumnAxes() const;
  // Reads the body of a "responseGrid" block (after "def responseGrid") and closes the grid,
  // also when an exception passes.
  void Read(TRixScanner& Scanner, TGimQuestion* Question);

 private:
  void CheckAxis(TRixScanner& Scanner, const TGimResponseAxis& Axis);
  void Close(TRixScanner& Scanner, TGimQuestion* Question);
  void Expand(TRixScanner& Scanner, TGimQuestion* Question);
};

}  // namespace quin
