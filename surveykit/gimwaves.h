// Fieldwork waves: the survey's wave list holds the waves as its children; parameters keep
// subsets of the survey's waves.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/formatsettings.h"
#include "surveykit/gimdataobj.h"

namespace quin {

class TRixScanner;
class TMerRecset;
class TMerRecsetList;
struct TOrvMsgClass;

extern const TOrvMsgClass TGimWarning_DateOrder;
extern const TOrvMsgClass TGimError_StartDefAfterEndDef;
extern const TOrvMsgClass TMerMsgError_StartLaterThanEnd;
extern const TOrvMsgClass TGimError_InvalidDate;
extern const TOrvMsgClass TGimError_MinSelCountInvalid;
extern const TOrvMsgClass TGimHint_MinSelCountDefault;

class TGimWave : public TGimSimpleDataObject {
  QUIN_CLASS(TGimWave, TGimSimpleDataObject)
  QUIN_COPY(TGimWave)
 public:
  TGimWave() = default;
  TGimWave(const TGimWave&) = default;
  double StartDate = 0;  // days since 1899-12-30
  double EndDate = 0;
  int Number = 0;  // the position in the list, from 1

  // The ID, else "Wave<number>".
  std::string GetID() const override;
  // The translated name, else "Wave <number>" in the session's language.
  std::string GetName() const override;
  // The records of this wave in Recset; 1 here (the analysis wave counts them).
  virtual int RecCount(TMerRecset* Recset) const;
  // The "wave" body after "def wave".
  void Read(TRixScanner& Scanner, TMerRecsetList* Recsets);
};

class TGimWaveList : public TGimDataObject {
  QUIN_CLASS(TGimWaveList, TGimDataObject)
  QUIN_COPY(TGimWaveList)
 public:
  TGimWaveList() = default;
  // An empty list of waves, owning them or not, below Parent.
  TGimWaveList(TMerSurvey* ASurvey, bool OwnsWaves, TOrvPersistent* Parent);
  // A copy of the list; the waves of a list that does not own them stay shared.
  TGimWaveList(const TGimWaveList& Source);
  // A list without parent; with AddAll it holds the survey's own waves (not copies).
  static std::unique_ptr<TGimWaveList> CreateSubset(TMerSurvey* ASurvey, bool OwnsWaves,
                                                    bool AddAll);

  int MinSelCount = 1;  // how many waves a user must select at least

  // Run when the "waves" block is left in any way; nothing here.
  virtual void AfterRead(TRixScanner& Scanner, TMerRecsetList* Recsets) {}
  // A new wave of the list's survey with the list as parent (not appended).
  virtual std::unique_ptr<TGimWave> CreateWave();

  TGimWave* GetItem(int Index) const;
  int Count() const { return ChildCount(); }
  // The wave whose GetID equals AID, case ignored; null when none.
  TGimWave* FindByID(std::string_view AID) const;
  // The first wave's start and the last wave's end in the short date format of Settings,
  // joined by " - ", or one date when they are equal; "" without waves.
  void GetPeriodText(std::string& Text, const TFormatSettings& Settings) const;
  // The same in the session's format.
  void GetPeriodText(std::string& Text) const;
  // The sum of the waves' records in Recset.
  int RecCount(TMerRecset* Recset) const;

  // The "waves" body after "def waves"; AfterRead follows also when the reading raises.
  void Read(TRixScanner& Scanner, TMerRecsetList* Recsets);

 private:
  static std::vector<TOrvPersistent*> SharedOwners(const TGimWaveList& Source);
  TGimWaveList(const TGimWaveList& Source, std::vector<TOrvPersistent*> Owners);
  void ReadBody(TRixScanner& Scanner, TMerRecsetList* Recsets);
};

}  // namespace quin
