// Regions and groups: the media definitions classify their titles and stations by the region
// they serve and by named groups.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "surveykit/gimdataobj.h"

namespace quin {

class TRixScanner;
struct TOrvTextPos;

// ---- Regions

class TGimRegion : public TGimSimpleDataObject {
  QUIN_CLASS(TGimRegion, TGimSimpleDataObject)
  QUIN_COPY(TGimRegion)
 public:
  TGimRegion() = default;
  TGimRegion(const TGimRegion&) = default;
  // The "region" body after "def region": "id", "name"; then the identity checks.
  virtual void Read(TRixScanner& Scanner);
};

class TGimRegionList : public TOrvTypedList<TGimRegion> {
  QUIN_CLASS(TGimRegionList, TOrvObjectList)
 public:
  explicit TGimRegionList(TMerSurvey* ASurvey = nullptr) : TOrvTypedList(true), Survey(ASurvey) {}
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TGimRegionList(*this));
  }
  TMerSurvey* Survey;
  // The first region whose ID is exactly AID (letter case counts); null when none.
  TGimRegion* FindByID(std::string_view AID) const;
  // The "regions" body after "def regions" (Pos: the block's key): "region" blocks appended in
  // reading order; a repeated ID is reported and kept.
  virtual void Read(TRixScanner& Scanner, const TOrvTextPos& Pos);
};

// ---- Groups

class TGimGroup : public TGimSimpleDataObject {
  QUIN_CLASS(TGimGroup, TGimSimpleDataObject)
  QUIN_COPY(TGimGroup)
 public:
  TGimGroup() = default;
  TGimGroup(const TGimGroup&) = default;
  // The "group" body after "def group": "id", "name".
  virtual void Read(TRixScanner& Scanner);
};

class TGimGroupList : public TOrvTypedList<TGimGroup> {
  QUIN_CLASS(TGimGroupList, TOrvObjectList)
 public:
  explicit TGimGroupList(TMerSurvey* ASurvey = nullptr) : TOrvTypedList(true), Survey(ASurvey) {}
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TGimGroupList(*this));
  }
  TMerSurvey* Survey;
  std::string Name;  // bilingual
  // The first group whose ID is exactly AID; null when none.
  TGimGroup* FindByID(std::string_view AID) const;
  // A "groups" body after "def groups": "name" and "group" blocks until "end" ";". Anything
  // else is reported ("Unknown key.") and ends the reading at that token, which is left for
  // the caller.
  virtual void Read(TRixScanner& Scanner, TMerSurvey* ASurvey);
};

// Over the group lists among Lists, in order: the first group that FindByID finds.
TGimGroup* FindGroupInLists(const TOrvObjectList& Lists, std::string_view AID);

}  // namespace quin
