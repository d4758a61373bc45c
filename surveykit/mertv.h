// The television definition: stations in modules, the four columns of the viewing record set
// and the four TV indicators.
#pragma once

#include <memory>
#include <string>

#include "surveykit/gimmedia.h"
#include "surveykit/merrecset.h"

namespace quin {

class TMerTV;

class TMerTVStation : public TGimMediaObject {
  QUIN_CLASS(TMerTVStation, TGimMediaObject)
  QUIN_COPY(TMerTVStation)
 public:
  TMerTVStation() = default;
  TMerTVStation(const TMerTVStation&) = default;
  int32_t Code = 0;  // the value of the stations column for this station
};

class TMerTVStationList : public TGimDataObjectList {
  QUIN_CLASS(TMerTVStationList, TOrvObjectList)
 public:
  using TGimDataObjectList::TGimDataObjectList;
  TMerTVStation* GetStation(int Index) const { return As<TMerTVStation>(Items(Index)); }
};

class TMerTVModule : public TGimMediaModule {
  QUIN_CLASS(TMerTVModule, TGimMediaModule)
  QUIN_COPY(TMerTVModule)
 public:
  TMerTVModule() = default;
  TMerTVModule(const TMerTVModule&) = default;
  // Reads a "module" body of TV's tree; Depth counts the modules around it.
  void Read(TRixScanner& Scanner, TMerTV& TV, int Depth);
};

class TMerTVInd : public TGimMediaInd {
  QUIN_CLASS(TMerTVInd, TGimMediaInd)
 public:
  bool ByResp() const override { return false; }
  bool Est() const override { return true; }
  bool PctCalcs() const override { return true; }
  std::string Groups() const override;

 protected:
  TMerTVInd() = default;
  TMerTVInd(const TMerTVInd&) = default;
};

// Average rating: viewing time as a share of the selected time.
class TMerTVIndAMR : public TMerTVInd {
  QUIN_CLASS(TMerTVIndAMR, TMerTVInd)
  QUIN_COPY(TMerTVIndAMR)
 public:
  TMerTVIndAMR() = default;
  TMerTVIndAMR(const TMerTVIndAMR&) = default;
};

// Average time viewed per day, in minutes.
class TMerTVIndATV : public TMerTVInd {
  QUIN_CLASS(TMerTVIndATV, TMerTVInd)
  QUIN_COPY(TMerTVIndATV)
 public:
  TMerTVIndATV() = default;
  TMerTVIndATV(const TMerTVIndATV&) = default;
  bool PctCalcs() const override { return false; }
  bool Means() const override { return true; }
};

// Share of the selected stations in all viewing time.
class TMerTVIndSHR : public TMerTVInd {
  QUIN_CLASS(TMerTVIndSHR, TMerTVInd)
  QUIN_COPY(TMerTVIndSHR)
 public:
  TMerTVIndSHR() = default;
  TMerTVIndSHR(const TMerTVIndSHR&) = default;
};

// Reach: the respondents who viewed a selected station.
class TMerTVIndRCH : public TMerTVInd {
  QUIN_CLASS(TMerTVIndRCH, TMerTVInd)
  QUIN_COPY(TMerTVIndRCH)
 public:
  TMerTVIndRCH() = default;
  TMerTVIndRCH(const TMerTVIndRCH&) = default;
  bool ByResp() const override { return true; }
};

class TMerTVIndList : public TGimMediaIndList {
  QUIN_CLASS(TMerTVIndList, TOrvObjectList)
 public:
  // "amr", "atv", "shr", "rch".
  explicit TMerTVIndList(TMerSurvey* ASurvey = nullptr);
};

// Station codes are compared with the stations column read as bytes, whose 255 marks a
// missing value: only 0 to 254 can name a station.
inline constexpr int32_t TVMaxStationCode = 254;

class TMerTV : public TGimMedia {
  QUIN_CLASS(TMerTV, TGimMedia)
 public:
  explicit TMerTV(TMerSurvey* ASurvey);
  ~TMerTV() override;
  // The viewing record set's columns (record set 0 unless their specifications name another);
  // null until read.
  std::unique_ptr<TMerRecsetCol> MinutesCol;
  std::unique_ptr<TMerRecsetCol> DaysCol;  // 1 = Monday to 7 = Sunday
  std::unique_ptr<TMerRecsetCol> QsCol;    // quarter-hour slot 1 to 96
  std::unique_ptr<TMerRecsetCol> StationsCol;

  // Reads the body of the "tv" block through its "end" ";".
  void ReadSection(TRixScanner& Scanner, const TOrvTextPos& StartPos);
  // Reads a "station" body below Parent.
  void ReadStation(TRixScanner& Scanner, TGimModule& Parent);
  // Reads the body of the "indicators" block: the catalogue keeps the indicators it names.
  void ReadTVIndicators(TRixScanner& Scanner);
};

}  // namespace quin
