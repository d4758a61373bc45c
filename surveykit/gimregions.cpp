#include "surveykit/gimregions.h"

#include "base/orvmessages.h"
#include "base/orvscanner.h"
#include "deflang/rixscanner.h"
#include "deflang/rixtokens.h"
#include "surveykit/gimreading.h"
#include "surveykit/mermessages.h"
#include "surveykit/mersurvey.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TGimRegion, TGimSimpleDataObject)
QUIN_IMPLEMENT_CLASS(TGimRegionList, TOrvObjectList)
QUIN_IMPLEMENT_CLASS(TGimGroup, TGimSimpleDataObject)
QUIN_IMPLEMENT_CLASS(TGimGroupList, TOrvObjectList)

// ---- Regions

void TGimRegion::Read(TRixScanner& Scanner) {
  TGimBlockReader R;
  R.Key = [this](TRixScanner& S) { return GimReadObjectText(S, *this, false); };
  R.Read(Scanner);
  GimCheckIDAndName(Scanner, *this);
}

TGimRegion* TGimRegionList::FindByID(std::string_view AID) const {
  for (int I = 0; I < Count(); ++I)
    if (GetItem(I)->GetID() == AID) return GetItem(I);
  return nullptr;
}

void TGimRegionList::Read(TRixScanner& Scanner, const TOrvTextPos&) {
  TGimBlockReader R;
  R.Block = [this](TRixScanner& S, const TOrvTextPos&) {
    if (!S.ReadDefComplexStart("region")) return false;
    std::unique_ptr<TGimRegion> Region = NewInSurvey<TGimRegion>(Survey, nullptr);
    Region->Read(S);
    if (FindByID(Region->GetID())) {
      const TOrvTextPos At = S.PrevToken ? S.PrevToken->StartPos : S.Pos;
      S.AddMsgAt(TMerError_IDNotUnique, At);
    }
    Add(std::move(Region));
    return true;
  };
  R.Read(Scanner);
}

// ---- Groups

void TGimGroup::Read(TRixScanner& Scanner) {
  // A nested block has no meaning here: reported and skipped whole, so reading moves on.
  TGimBlockReader R;
  R.Key = [this](TRixScanner& S) { return GimReadObjectText(S, *this, false); };
  R.Read(Scanner);
}

TGimGroup* TGimGroupList::FindByID(std::string_view AID) const {
  for (int I = 0; I < Count(); ++I)
    if (GetItem(I)->GetID() == AID) return GetItem(I);
  return nullptr;
}

void TGimGroupList::Read(TRixScanner& Scanner, TMerSurvey* ASurvey) {
  if (ASurvey) Survey = ASurvey;
  const TOrvLangManager* Lang = SurveyLangManager(Survey);
  for (;;) {
    if (GimAtBlockEnd(Scanner)) return;
    if (Scanner.ReadString("name", Name, /*AllowMultiLine=*/false, /*AllowEmpty=*/false, Lang) ||
        Scanner.LastReadResult() != TRixReadResult::NoMatch)
      continue;
    if (Scanner.ReadDefComplexStart("group")) {
      // Freed by the pointer when its reading raises.
      std::unique_ptr<TGimGroup> Group = NewInSurvey<TGimGroup>(Survey, nullptr);
      Group->Read(Scanner);
      Add(std::move(Group));
      continue;
    }
    Scanner.AddMsgAt(TRixMsgError_UnknownKey, Scanner.Token->StartPos);
    return;
  }
}

TGimGroup* FindGroupInLists(const TOrvObjectList& Lists, std::string_view AID) {
  for (int I = 0; I < Lists.Count(); ++I)
    if (const auto* L = As<TGimGroupList>(Lists.Items(I)))
      if (TGimGroup* G = L->FindByID(AID)) return G;
  return nullptr;
}

}  // namespace quin
