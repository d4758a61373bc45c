// The radio definition: stations in modules, the diary weekday column, the listening places and
// signal sources, the nine radio indicators, and the derived questions over the per-station and
// per-quarter-hour columns of the respondents.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "surveykit/gimmedia.h"
#include "surveykit/merrecset.h"

namespace quin {

class TGimRadio;

// ---- Column names. A station's suffix is the 2nd and 3rd character of its identifier; a
// quarter-hour's key is QuarterSortKey of its slot ("050" for 05:00 ... "283" for 04:45).

// "R" + suffix + "__" + key: 1 when the respondent listened to the station in the quarter.
std::string RadioStationQuarterColumn(std::string_view Suffix, int Slot);
// Prefix + "__" + key: the per-quarter columns "RNN" (number of stations), "RPL" (place),
// "RSO" (signal source) and "R00" (any listening).
std::string RadioQuarterColumn(std::string_view Prefix, int Slot);
// "R" + suffix + "__" + Kind: the per-station columns "SPO", "AWA", "WEE", "DAY", "MIN",
// "WEB", "CAB", "SAT".
std::string RadioStationColumn(std::string_view Suffix, std::string_view Kind);

// A station's columns are told apart by its two-character suffix: a section holds at most as
// many stations as there are suffixes of identifier characters (letters, digits, "_", ".").
inline constexpr int RadioMaxStations = 38 * 38;

// ---- Listening places and signal sources: four rows each; a row's code in the data and in
// parameters is its index plus 1.

inline constexpr int RadioPlaceCount = 4;
inline constexpr int RadioSourceCount = 4;
// The index of the place or source with that identifier (case ignored); 0 when unknown.
int RadioPlaceIndex(std::string_view ID);
int RadioSourceIndex(std::string_view ID);
// The identifier of the row at Index; empty outside 0..3.
std::string RadioPlaceID(int Index);
std::string RadioSourceID(int Index);

// ---- Stations and modules

class TGimRadioStation : public TGimMediaObject {
  QUIN_CLASS(TGimRadioStation, TGimMediaObject)
  QUIN_COPY(TGimRadioStation)
 public:
  TGimRadioStation() = default;
  TGimRadioStation(const TGimRadioStation&) = default;
  // Characters 2 and 3 of the identifier (fewer when it is shorter).
  std::string IDSuffix() const;
};

class TGimRadioStationList : public TGimDataObjectList {
  QUIN_CLASS(TGimRadioStationList, TOrvObjectList)
 public:
  using TGimDataObjectList::TGimDataObjectList;
  TGimRadioStation* GetStation(int Index) const { return As<TGimRadioStation>(Items(Index)); }
};

class TGimRadioModule : public TGimMediaModule {
  QUIN_CLASS(TGimRadioModule, TGimMediaModule)
  QUIN_COPY(TGimRadioModule)
 public:
  TGimRadioModule() = default;
  TGimRadioModule(const TGimRadioModule&) = default;
  // Reads a "module" body of Radio's tree; Depth counts the modules around it.
  void Read(TRixScanner& Scanner, TGimRadio& Radio, int Depth);
};

// ---- Indicators

class TGimRadioInd : public TGimMediaInd {
  QUIN_CLASS(TGimRadioInd, TGimMediaInd)
 public:
  // The computation needs each respondent's number of selected quarter-hours with listening.
  virtual bool Counts() const = 0;
  // The indicator follows the diary weekday.
  virtual bool Days() const = 0;
  // It can be broken down by listening places, quarter-hours and signal sources.
  virtual bool Places() const = 0;
  virtual bool Qs() const = 0;
  virtual bool Sources() const = 0;
  std::string Groups() const override;

 protected:
  TGimRadioInd() = default;
  TGimRadioInd(const TGimRadioInd&) = default;
};

// The catalogue classes: their answers in one place, then one class per indicator.
template <bool R, bool E, bool P, bool M, bool C, bool D, bool Pl, bool Q, bool S>
class TGimRadioIndAnswers : public TGimRadioInd {
 public:
  bool ByResp() const override { return R; }
  bool Est() const override { return E; }
  bool PctCalcs() const override { return P; }
  bool Means() const override { return M; }
  bool Counts() const override { return C; }
  bool Days() const override { return D; }
  bool Places() const override { return Pl; }
  bool Qs() const override { return Q; }
  bool Sources() const override { return S; }
};

#define QUIN_RADIO_IND(Class, ...)                        \
  class Class : public TGimRadioIndAnswers<__VA_ARGS__> { \
    QUIN_CLASS(Class, TGimRadioInd)                       \
    QUIN_COPY(Class)                                      \
   public:                                                \
    Class() = default;                                    \
    Class(const Class&) = default;                        \
  };

//                                      R  E  P  M  C  D  Pl Q  S
QUIN_RADIO_IND(TGimRadioInd_SPO, true, true, true, false, false, false, false, false, false)
QUIN_RADIO_IND(TGimRadioInd_AWA, true, true, true, false, false, false, false, false, false)
QUIN_RADIO_IND(TGimRadioInd_WEE, true, true, true, false, false, false, false, false, false)
QUIN_RADIO_IND(TGimRadioInd_DAY, true, true, true, false, false, true, false, false, false)
QUIN_RADIO_IND(TGimRadioInd_ByQs, true, true, true, false, false, true, true, true, true)
QUIN_RADIO_IND(TGimRadioInd_Share, false, false, true, false, true, true, true, true, true)
QUIN_RADIO_IND(TGimRadioInd_MeanTime, false, false, false, true, true, true, true, true, true)
QUIN_RADIO_IND(TGimRadioInd_AvgQ, false, true, true, false, false, true, true, true, true)
#undef QUIN_RADIO_IND

// The base of the insertion indicators.
class TGimRadioIndInserts
    : public TGimRadioIndAnswers<false, false, false, false, false, false, false, false, false> {
  QUIN_CLASS(TGimRadioIndInserts, TGimRadioInd)
  QUIN_COPY(TGimRadioIndInserts)
 public:
  TGimRadioIndInserts() = default;
  TGimRadioIndInserts(const TGimRadioIndInserts&) = default;
  std::string DisplayFormat(int Decimals) const override { return "%1.2n"; }
  std::string Groups() const override { return "Media-plan"; }
};

// The number of insertions.
class TGimRadioIndNOI : public TGimRadioIndInserts {
  QUIN_CLASS(TGimRadioIndNOI, TGimRadioIndInserts)
  QUIN_COPY(TGimRadioIndNOI)
 public:
  TGimRadioIndNOI() = default;
  TGimRadioIndNOI(const TGimRadioIndNOI&) = default;
  std::string DisplayFormat(int Decimals) const override { return "%1.0f"; }
  bool DependsOnInd(const ClassInfo& IndClass, int TitleCount, int DayCount) const override;
};

class TGimRadioIndList : public TGimMediaIndList {
  QUIN_CLASS(TGimRadioIndList, TOrvObjectList)
 public:
  // "spo", "awa", "week", "day", "qs", "share", "meanTime", "avgQ", "noi".
  explicit TGimRadioIndList(TMerSurvey* ASurvey = nullptr);
};

// ---- The definition

class TGimRadio : public TGimMedia {
  QUIN_CLASS(TGimRadio, TGimMedia)
 public:
  explicit TGimRadio(TMerSurvey* ASurvey);
  ~TGimRadio() override;
  // The respondent's diary weekday, 1 = Monday to 7 = Sunday (record set 0 unless named).
  std::unique_ptr<TMerRecsetCol> DayColumn;
  // The names of the places and sources, from the section's "places" and "sources" blocks;
  // empty until named. Each survey keeps its own.
  std::array<std::string, RadioPlaceCount> PlaceNames;
  std::array<std::string, RadioSourceCount> SourceNames;

  // Reads the body of the "radio" block through its "end" ";".
  void ReadSection(TRixScanner& Scanner, const TOrvTextPos& StartPos);
  // The derived modules, questions and responses under the hook module (none without one).
  void BuildDerivedQuestions();

  // Reads a "station" body below Parent.
  void ReadStation(TRixScanner& Scanner, TGimModule& Parent);

 private:
  // The bodies of the "places", "sources" and "indicators" blocks.
  void ReadRadioPlaces(TRixScanner& Scanner);
  void ReadRadioSources(TRixScanner& Scanner);
  void ReadRadioIndicators(TRixScanner& Scanner);
};

}  // namespace quin
