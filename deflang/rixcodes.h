// Value codes and code lists: the answers of a survey are stored as numbers (codes), and which
// codes make up a response, which values a question accepts and which codes a parameter selects
// are written as code lists such as "1, 3:5, >= 10".
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/formatsettings.h"
#include "base/orvclasses.h"
#include "base/orvmessages.h"

namespace quin {

// The open ends of ranges. Both are ordinary finite doubles; the missing value of a column
// (-1.7e308) lies below RixCodeMin, so no code, open or not, contains it.
inline constexpr double RixCodeMin = -1.600006e308;  // "min"
inline constexpr double RixCodeMax = 1.600006e308;   // "max"

// Reported by the reader of code lists.
extern const TOrvMsgClass TRixError_LeftGTRight;    // "First value is greater than second value."
extern const TOrvMsgClass TRixWarning_LeftEQRight;  // "First value is equal to the second value."

// "%g" of X with the decimal separator of Settings; "" for either sentinel.
std::string FormatCodeValue(const TFormatSettings& Settings, double X);
// "%g" of X with "." as decimal separator; "" for either sentinel.
std::string FormatCodeValueUSA(double X);

// A value code: one value or a range of values. Codes are immutable once built.
class TRixCode : public TOrvObject {
  QUIN_CLASS(TRixCode, TOrvObject)
 public:
  // Text in the user's number format.
  virtual std::string AsString(const TFormatSettings& Settings) const = 0;
  // Text with "." as decimal separator.
  virtual std::string AsUSAString() const = 0;
  // Text in the form the definition language reads back.
  virtual std::string AsUSAText() const = 0;
  // Same kind, same values and flags.
  virtual bool Equals(const TRixCode* Other) const = 0;
  // A condition on the column Name ("" when it would select everything).
  virtual std::string GetQueryStr(std::string_view Name) const = 0;
  virtual bool InRange(double Value) const = 0;
  // The number of integers the code covers. Open ends are bounded by the limits, and an open
  // range reaches at most Span integers from its given end. Values beyond +-2147483647 count as
  // +-2147483647; the width is computed in 64 bits.
  virtual int64_t IntWidth(int MinLimit, int MinSpan, int MaxLimit, int MaxSpan) const = 0;
  // The largest integer the code covers (see IntWidth for the bounds).
  virtual int64_t IntWidthMax(int Limit, int Span) const = 0;
  // The smallest integer the code covers (see IntWidth for the bounds).
  virtual int64_t IntWidthMin(int Limit, int Span) const = 0;
  // The code stands for one value.
  virtual bool IsDiscrete() const = 0;
  // The code's values have no fraction.
  virtual bool IsInt() const = 0;

 protected:
  TRixCode() = default;
  TRixCode(const TRixCode&) = default;
};

class TRixCodeSingle : public TRixCode {
  QUIN_CLASS(TRixCodeSingle, TRixCode)
  QUIN_COPY(TRixCodeSingle)
 public:
  explicit TRixCodeSingle(double AValue) : FValue(AValue) {}
  TRixCodeSingle(const TRixCodeSingle&) = default;

  double Value() const { return FValue; }

  std::string AsString(const TFormatSettings& Settings) const override;
  std::string AsUSAString() const override;
  // A sentinel value is written "min" or "max", so that the text reads back.
  std::string AsUSAText() const override;
  bool Equals(const TRixCode* Other) const override;
  std::string GetQueryStr(std::string_view Name) const override;
  bool InRange(double V) const override { return V == FValue; }
  int64_t IntWidth(int MinLimit, int MinSpan, int MaxLimit, int MaxSpan) const override;
  int64_t IntWidthMax(int Limit, int Span) const override;
  int64_t IntWidthMin(int Limit, int Span) const override;
  bool IsDiscrete() const override { return true; }
  bool IsInt() const override;

 private:
  double FValue;
};

class TRixCodeRange : public TRixCode {
  QUIN_CLASS(TRixCodeRange, TRixCode)
  QUIN_COPY(TRixCodeRange)
 public:
  TRixCodeRange(double ALower, double AUpper, bool ALowerExclusive = false,
                bool AUpperExclusive = false)
      : FLower(ALower),
        FUpper(AUpper),
        FLowerExclusive(ALowerExclusive),
        FUpperExclusive(AUpperExclusive) {}
  TRixCodeRange(const TRixCodeRange&) = default;

  double Lower() const { return FLower; }
  double Upper() const { return FUpper; }
  bool LowerExclusive() const { return FLowerExclusive; }
  bool UpperExclusive() const { return FUpperExclusive; }
  bool LowerOpen() const { return FLower == RixCodeMin; }
  bool UpperOpen() const { return FUpper == RixCodeMax; }

  std::string AsString(const TFormatSettings& Settings) const override;
  std::string AsUSAString() const override;
  std::string AsUSAText() const override;
  bool Equals(const TRixCode* Other) const override;
  std::string GetQueryStr(std::string_view Name) const override;
  bool InRange(double V) const override;
  int64_t IntWidth(int MinLimit, int MinSpan, int MaxLimit, int MaxSpan) const override;
  int64_t IntWidthMax(int Limit, int Span) const override;
  int64_t IntWidthMin(int Limit, int Span) const override;
  bool IsDiscrete() const override { return FLower == FUpper; }
  bool IsInt() const override;

 private:
  std::string Text(const TFormatSettings& Settings) const;

  double FLower;
  double FUpper;
  bool FLowerExclusive;
  bool FUpperExclusive;
};

// A list of codes in reading order (or in the order NormalizeCodeList leaves); owns its codes.
class TRixCodeList : public TOrvTypedList<TRixCode> {
  QUIN_CLASS(TRixCodeList, TOrvObjectList)
 public:
  TRixCodeList() : TOrvTypedList(true) {}
  TRixCodeList(const TRixCodeList& Source) = default;
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TRixCodeList(*this));
  }
};

// Appends a copy of each code of Source; Dest is not cleared.
void CopyCodeList(TRixCodeList& Dest, const TRixCodeList& Source);
// The codes' AsString texts joined by the settings' list separator and a blank.
std::string CodeListAsString(const TRixCodeList& List, const TFormatSettings& Settings);
// The codes' texts with "." decimals joined by ", ": the form stored in parameter files. A
// single code holding a sentinel is written "min" or "max".
std::string CodeListAsUSAString(const TRixCodeList& List);
bool CodeListInRange(const TRixCodeList& List, double V);
// Some value or range end of one list lies in the other.
bool CodeListsOverlap(const TRixCodeList& A, const TRixCodeList& B);
// Every code is discrete (integral); True for an empty list.
bool CodeListIsDiscrete(const TRixCodeList& List);
bool CodeListIsInt(const TRixCodeList& List);
// The smallest single value or range lower end; RixCodeMin for an empty list.
double CodeListMinValue(const TRixCodeList& List);
// The largest single value or range upper end; RixCodeMax for an empty list.
double CodeListMaxValue(const TRixCodeList& List);
// In place: codes contained in others are dropped, overlapping codes are merged, ranges of one
// value become single codes (or vanish when an end is exclusive), reversed ranges vanish, and
// the codes are sorted by their first value. Two identical ranges whose ends are both
// exclusive are not merged (neither holds the other's ends).
void NormalizeCodeList(TRixCodeList& List);
// Both null: True; one null: False. Otherwise BOTH LISTS ARE NORMALISED IN PLACE and then
// compared code by code.
bool CodeListsEqual(TRixCodeList* A, TRixCodeList* B);
// A new, normalised list of random codes within the bounds of Source, drawn with the default
// generator; open ends are clipped to +-2147483647 before any arithmetic.
std::unique_ptr<TRixCodeList> RandomCodeList(const TRixCodeList& Source);

}  // namespace quin
