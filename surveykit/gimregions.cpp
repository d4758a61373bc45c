#include "surveykit/gimregions.h"

#include "base/orvmessages.h"
#include "base/orvscanner.h"
#include "deflang/rixscanner.h"
#include "deflang/rixtokens.h"
#include "surveykit/mermessages.h"
#include "surveykit/mersurvey.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TGimRegion, TGimSimpleDataObject)
QUIN_IMPLEMENT_CLASS(TGimRegionList, TOrvObjectList)
QUIN_IMPLEMENT_CLASS(TGimGroup, TGimSimpleDataObject)
QUIN_IMPLEMENT_CLASS(TGimGroupList, TOrvObjectList)

// ---- Block reading

bool ReadDataObjectKey(TRixScanner& Scanner, TGimSimpleDataObject& Obj, bool AllTexts) {
  const TOrvLangManager* Lang = SurveyLangManager(Obj.Survey);
  // A key that matched but failed has been reported and skipped: it counts as read.
  auto Handled = [&Scanner](bool Read) {
    return Read || Scanner.LastReadResult() != TRixReadResult::NoMatch;
  };
  if (Handled(Scanner.ReadIdentifier("id", Obj.ID))) return true;
  if (Handled(Scanner.ReadString("name", Obj.Name, false, false, Lang))) return true;
  if (!AllTexts) return false;
  if (Handled(Scanner.ReadString("nick", Obj.Nick, false, false, Lang))) return true;
  return Handled(Scanner.ReadString("info", Obj.Info, true, false, Lang));
}

bool TGimBlockReader::Read(TRixScanner& Scanner) const {
  for (;;) {
    const TOrvToken& T = *Scanner.Token;
    if (T.Is<TOrvTokenEOF>()) {
      Scanner.AddMsgAt(TOrvMsg_FatalError_UnexpectedEOF, T.StartPos);
      return false;
    }
    if (T.Is<TRixTokenDefEnd>()) {
      Scanner.NextToken();
      if (!Scanner.Accept(TRixTokenInstrSep::StaticClass()))
        Scanner.AddMsgAt(TRixMsgError_InstrSepExpected, Scanner.LastTokenEnd());
      return true;
    }
    if (T.Is<TRixTokenDefStart>()) {
      const TOrvTextPos DefPos = T.StartPos;
      if (Block && Block(Scanner, DefPos)) continue;
      // A block nobody reads: reported, then skipped whole, its own nested blocks included.
      Scanner.NextToken();
      const TOrvTextPos KeyPos = Scanner.Token->StartPos;
      if (Scanner.Token->Is<TOrvTokenIdentifier>()) Scanner.NextToken();
      if (Block) Scanner.AddMsgAt(TRixMsgError_UnknownKey, KeyPos);
      else Scanner.AddMsgAt(TMerMsgError_UnexpectedDef, DefPos);
      Scanner.SkipDef(DefPos);
      continue;
    }
    if (Key && Key(Scanner)) continue;
    Scanner.AddMsgAt(TRixMsgError_UnknownKey, Scanner.Token->StartPos);
    // Neither "def" nor the end of the text here: at least this token goes.
    Scanner.SkipStatement(true);
  }
}

void CheckIDAndName(TRixScanner& Scanner, const TGimSimpleDataObject& Obj) {
  if (Obj.ID.empty()) Scanner.AddMsgAt(TMerError_IDNotDefined, Scanner.LastTokenEnd());
  if (Obj.Name.empty()) Scanner.AddMsgAt(TMerError_NameNotDefined, Scanner.LastTokenEnd());
}

// ---- Regions

void TGimRegion::Read(TRixScanner& Scanner) {
  TGimBlockReader R;
  R.Key = [this](TRixScanner& S) { return ReadDataObjectKey(S, *this, false); };
  R.Read(Scanner);
  CheckIDAndName(Scanner, *this);
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
  R.Key = [this](TRixScanner& S) { return ReadDataObjectKey(S, *this, false); };
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
    const TOrvToken& T = *Scanner.Token;
    if (T.Is<TOrvTokenEOF>()) {
      Scanner.AddMsgAt(TOrvMsg_FatalError_UnexpectedEOF, T.StartPos);
      return;
    }
    if (T.Is<TRixTokenDefEnd>()) {
      Scanner.NextToken();
      Scanner.Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, false);
      return;
    }
    if (Scanner.ReadString("name", Name, false, false, Lang) ||
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
