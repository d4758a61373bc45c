// The frame shared by the press, radio and television definitions: media objects (titles and
// stations) arranged in modules, the media definition that owns them with its regions, group
// lists and indicator catalogue, and the media indicator whose class answers tell the
// statistics, the parameters and the cell computation how to treat its values.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/orvmessages.h"
#include "surveykit/gimdataobj.h"
#include "surveykit/gimreading.h"
#include "surveykit/gimregions.h"
#include "surveykit/gimstat.h"

namespace quin {

class TRixScanner;
class TMerRecsetCol;
struct TOrvTextPos;

// A section with more titles or stations than it may hold.
extern const TOrvMsgClass TGimError_TooManyMediaObjects;
// The most titles of a press section and stations of a television section.
inline constexpr int GimMaxMediaObjects = 5000;

// A press title, radio station or TV station.
class TGimMediaObject : public TGimDataObject {
  QUIN_CLASS(TGimMediaObject, TGimDataObject)
  QUIN_COPY(TGimMediaObject)
 public:
  TGimMediaObject() = default;
  // The lists are copied as lists of the same (not owned) items.
  TGimMediaObject(const TGimMediaObject& Source);

  // The groups and regions the object belongs to; the lists are owned, their items are not.
  // Null for "all" or when the definition named none.
  std::unique_ptr<TGimGroupList> Groups;
  std::unique_ptr<TGimRegionList> Regions;

  // Titles and stations show with image 1 in tree views.
  int ImageIndex() const override { return 1; }
};

// A module of a media tree: its children are modules and media objects.
class TGimMediaModule : public TGimModule {
  QUIN_CLASS(TGimMediaModule, TGimModule)
  QUIN_COPY(TGimMediaModule)
 public:
  TGimMediaModule() = default;
  TGimMediaModule(const TGimMediaModule&) = default;
};

class TGimMediaIndList;

// One indicator of a media catalogue. Everything but its texts is a class answer.
class TGimMediaInd : public TGimSimpleDataObject, public TGimStatIndicator {
  QUIN_CLASS(TGimMediaInd, TGimSimpleDataObject)
 public:
  // The value is a proportion of respondents (a share of the base).
  virtual bool ByResp() const = 0;
  // Computed for a cell that joins TitleCount media objects over DayCount weekdays, the
  // indicator needs an indicator of IndClass (or of a class derived from it) beside it.
  virtual bool DependsOnInd(const ClassInfo& IndClass, int TitleCount, int DayCount) const;
  // "%1.<Decimals>f" here.
  std::string DisplayFormat(int Decimals) const override;
  // The value may be multiplied out to a population estimate.
  virtual bool Est() const = 0;
  // The display groups that offer the indicator, separated by ",", in the current language.
  virtual std::string Groups() const;
  virtual bool HasParams() const { return false; }
  virtual bool IsContinuous() const { return true; }
  // Builds the indicator's derived questions under HookModule from the media objects below
  // RootModule; problems go to Scanner's messages (none without a scanner). Nothing here.
  virtual void InitQuestions(TRixScanner* Scanner, TGimModule* HookModule, TGimModule* RootModule);
  bool Means() const override { return false; }
  bool PctCalcs() const override = 0;
  bool ShowsPctSign() const override { return PctCalcs(); }
  bool IsPressGI() const override { return false; }

 protected:
  TGimMediaInd() = default;
  TGimMediaInd(const TGimMediaInd&) = default;
};

// Creates an indicator of class T in Survey with identifier ID and no parent.
template <class T>
std::unique_ptr<T> NewMediaInd(TMerSurvey* Survey, std::string_view ID) {
  std::unique_ptr<T> P = NewInSurvey<T>(Survey, nullptr);
  P->ID = std::string(ID);
  return P;
}

// The catalogue of one medium, in its fixed order; owns its indicators.
class TGimMediaIndList : public TOrvTypedList<TGimMediaInd> {
  QUIN_CLASS(TGimMediaIndList, TOrvObjectList)
 public:
  explicit TGimMediaIndList(TMerSurvey* ASurvey = nullptr) : TOrvTypedList(true), Survey(ASurvey) {}
  TMerSurvey* Survey;
  // The first indicator of exactly IndClass (derived classes do not match); null when none.
  TGimMediaInd* FindByClass(const ClassInfo& IndClass) const;
  // The first indicator whose identifier equals ID, letter case included; null when none.
  TGimMediaInd* FindByID(std::string_view ID) const;
  // The same with letter case ignored: identifiers read from definition texts.
  TGimMediaInd* FindByText(std::string_view ID) const;
  // Frees every indicator whose identifier is not among Kept (case ignored), last to first.
  void KeepOnly(const std::vector<std::string>& Kept);
};

// One media definition: the media tree, regions, group lists and the indicator catalogue.
class TGimMedia : public TOrvObject {
  QUIN_CLASS(TGimMedia, TOrvObject)
 public:
  TGimMedia();
  ~TGimMedia() override;
  TGimMedia(const TGimMedia&) = delete;
  TGimMedia& operator=(const TGimMedia&) = delete;

  // The data-tree module under which the derived questions are placed; not owned; null when
  // the "hook" key named no module.
  TGimModule* HookModule = nullptr;
  // Null until a "regions" block is read.
  std::unique_ptr<TGimRegionList> Regions;
  std::unique_ptr<TGimMediaModule> RootModule;
  TMerSurvey* Survey = nullptr;  // not owned
  std::unique_ptr<TGimMediaIndList> Indicators;
  // One per "groups" block; owning.
  std::unique_ptr<TOrvObjectList> GroupLists;

  // Reads a "regions" body into a new region list that replaces the current one. Objects read
  // earlier keep pointing into the lists they were given, so the replaced lists stay alive
  // with the definition.
  void ReadRegions(TRixScanner& Scanner, const TOrvTextPos& Pos);
  // Reads a "groups" body into a new group list appended to the group lists.
  void ReadGroups(TRixScanner& Scanner);
  // "hook" = identifier: the data tree's module of that identifier (case ignored) becomes the
  // hook module; "Module not found." and no hook module when there is none. False when the
  // instruction is another.
  bool ReadHook(TRixScanner& Scanner);
  // The hook module starts as the root of the survey's data tree.
  void ResetHook();
  // Before a "title" or "station" block whose key has just been read: True while the section
  // holds fewer than Max media objects; otherwise "Too many media objects." at the key, the
  // block is skipped and False. The derived questions multiply every object, so their count
  // is bounded.
  bool AdmitObject(TRixScanner& Scanner, int Max);
  // The common keys of a module, title or station ("id", "name", "nick", "info"), with the
  // check that no other object of Class read so far in the section has its identifier.
  bool ReadObjectTexts(TRixScanner& Scanner, TGimSimpleDataObject& Obj, const ClassInfo& Class);
  // The identifiers of the section's modules and media objects while it is read.
  TGimIDIndex ReadIDs;

 private:
  std::vector<std::unique_ptr<TGimRegionList>> FReplacedRegions;
  int FObjectCount = 0;
};

// The parts of an "indicators" block that differ between the media.
struct TGimIndicatorReader {
  // Whether the indicator (matched by identifier) may be offered; when not, the reader has
  // reported why, and the block is skipped. Null: every indicator may.
  std::function<bool(TRixScanner&, TGimMediaInd&, const TOrvTextPos&)> Accept;
  // A further key of an "indicator" body; False when the instruction is another.
  std::function<bool(TRixScanner&, TGimMediaInd&)> Key;
  // A nested block of an "indicator" body (its "def" current); False leaves it to be reported
  // as 'Unexpected "def".' and skipped.
  std::function<bool(TRixScanner&, TGimMediaInd&)> Block;
};

// Reads an "indicators" body of Catalogue: "indicator" blocks, each starting with "id" and
// replacing the indicator's "name", "nick" and "info"; at the end every indicator that no block
// named is freed. Another key is "Unknown key." and skipped.
void GimReadIndicators(TRixScanner& Scanner, TGimMediaIndList& Catalogue,
                       const TGimIndicatorReader& Reader);

// A media object's "regions" or "groups" value: "all" (no list) or identifiers, each looked up
// exactly by Find; an identifier Find does not know is reported ("Unknown key.") when
// ReportUnknown, and left out. False when the instruction is another key.
bool GimReadRegionsValue(TRixScanner& Scanner, std::unique_ptr<TGimRegionList>& List,
                         const TGimRegionList* Known, bool ReportUnknown);
bool GimReadGroupsValue(TRixScanner& Scanner, std::unique_ptr<TGimGroupList>& List,
                        const TOrvObjectList& GroupLists);

// A column of the media definitions: made by the survey's CreateCol. A column that the record
// set does not hold gives null, reported ('Column "..." not found.' at the last token read)
// when Scanner is given.
std::unique_ptr<TMerRecsetCol> GimCreateMediaCol(TMerSurvey* Survey, TRixScanner* Scanner,
                                                 std::string_view Spec);

}  // namespace quin
