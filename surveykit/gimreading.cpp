#include "surveykit/gimreading.h"

#include "base/orvscanner.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "deflang/rixtokens.h"
#include "surveykit/mermessages.h"
#include "surveykit/mersurvey.h"

namespace quin {

#define QUIN_MSG(Name, Kind, Text) const TOrvMsgClass Name{#Name, &Kind, Text};
QUIN_MSG(TGimError_NestedTooDeep, TOrvMsgKind_Error,
         "<PLK>Bloki zagnieżdżone zbyt głęboko.<ENU>Blocks nested too deeply.")
#undef QUIN_MSG

void GimUnexpectedEOF(TRixScanner& Scanner) {
  Scanner.AddMsgAt(TOrvMsg_FatalError_UnexpectedEOF, Scanner.Token->StartPos);
}

void GimReadBlockEnd(TRixScanner& Scanner) {
  Scanner.NextToken();  // "end"
  if (!Scanner.Accept(TRixTokenInstrSep::StaticClass()))
    Scanner.AddMsgAt(TRixMsgError_InstrSepExpected, Scanner.LastTokenEnd());
}

bool GimAtBlockEnd(TRixScanner& Scanner) {
  if (Scanner.Token->Is<TOrvTokenEOF>()) {
    GimUnexpectedEOF(Scanner);
    return true;
  }
  if (Scanner.Token->Is<TRixTokenDefEnd>()) {
    GimReadBlockEnd(Scanner);
    return true;
  }
  return false;
}

void GimSkipBlock(TRixScanner& Scanner, const TOrvMsgClass* MsgClass, bool AtDef) {
  const TOrvTextPos DefPos = Scanner.Token->StartPos;
  Scanner.NextToken();  // "def"
  GimSkipBlockAfterDef(Scanner, DefPos, MsgClass, AtDef);
}

void GimSkipBlockAfterDef(TRixScanner& Scanner, const TOrvTextPos& DefPos,
                          const TOrvMsgClass* MsgClass, bool AtDef) {
  const bool AtEOF = Scanner.Token->Is<TOrvTokenEOF>();
  const TOrvTextPos At = AtDef || AtEOF ? DefPos : Scanner.Token->StartPos;
  Scanner.AddMsgAt(MsgClass ? *MsgClass : TRixMsgError_UnknownKey, At);
  // Only an identifier is a key: an "end" right after "def" closes this block, not the one
  // around it.
  if (Scanner.Token->Is<TOrvTokenIdentifier>()) Scanner.NextToken();
  Scanner.SkipDef(At);
}

bool GimSkipTooDeep(TRixScanner& Scanner, int Depth) {
  if (Depth < GimMaxNesting) return false;
  const TOrvTextPos KeyPos = Scanner.PrevToken->StartPos;
  Scanner.AddMsgAt(TGimError_NestedTooDeep, KeyPos);
  Scanner.SkipDef(KeyPos);
  return true;
}

void GimUnknownKey(TRixScanner& Scanner) {
  Scanner.AddMsgAt(TRixMsgError_UnknownKey, Scanner.Token->StartPos);
  // Neither "def" nor the end of the text here: at least this token goes.
  Scanner.SkipStatement(true);
}

bool GimReadObjectText(TRixScanner& Scanner, TGimSimpleDataObject& Obj, bool AllTexts) {
  const TOrvLangManager* Lang = SurveyLangManager(Obj.Survey);
  // A key that matched but failed has been reported and skipped: it counts as read. The
  // readers leave the value as it was then.
  auto Handled = [&Scanner](bool Read) {
    return Read || Scanner.LastReadResult() != TRixReadResult::NoMatch;
  };
  if (Handled(Scanner.ReadIdentifier("id", Obj.ID))) return true;
  if (Handled(Scanner.ReadString("name", Obj.Name, /*AllowMultiLine=*/false, /*AllowEmpty=*/false,
                                 Lang)))
    return true;
  if (!AllTexts) return false;
  if (Handled(Scanner.ReadString("nick", Obj.Nick, /*AllowMultiLine=*/false, /*AllowEmpty=*/false,
                                 Lang)))
    return true;
  return Handled(
      Scanner.ReadString("info", Obj.Info, /*AllowMultiLine=*/true, /*AllowEmpty=*/false, Lang));
}

void GimCheckIDAndName(TRixScanner& Scanner, const TGimSimpleDataObject& Obj) {
  if (Obj.ID.empty()) Scanner.AddMsgAt(TMerError_IDNotDefined, Scanner.LastTokenEnd());
  if (Obj.Name.empty()) Scanner.AddMsgAt(TMerError_NameNotDefined, Scanner.LastTokenEnd());
}

bool TGimBlockReader::Read(TRixScanner& Scanner) const {
  for (;;) {
    const bool AtEOF = Scanner.Token->Is<TOrvTokenEOF>();
    if (GimAtBlockEnd(Scanner)) return !AtEOF;
    if (Scanner.Token->Is<TRixTokenDefStart>()) {
      if (Block && Block(Scanner, Scanner.Token->StartPos)) continue;
      // A block nobody reads: reported, then skipped whole, its own nested blocks included.
      if (Block)
        GimSkipBlock(Scanner);
      else
        GimSkipBlock(Scanner, &TMerMsgError_UnexpectedDef, true);
      continue;
    }
    if (Key && Key(Scanner)) continue;
    GimUnknownKey(Scanner);
  }
}

void TGimIDIndex::Add(TGimSimpleDataObject* Obj) {
  if (Obj) FByID.emplace(LowerCase(Obj->ID), Obj);
}

bool TGimIDIndex::FindsOther(const ClassInfo& C, const TGimSimpleDataObject* Self,
                             std::string_view ID) const {
  const auto [First, Last] = FByID.equal_range(LowerCase(ID));
  for (auto It = First; It != Last; ++It) {
    const TGimSimpleDataObject* O = It->second;
    if (O == Self || !O->Is(C) || !SameText(O->ID, ID)) continue;
    bool BelowSelf = false;
    for (const TOrvPersistent* P = O->Owner; P && !BelowSelf; P = P->Owner) BelowSelf = P == Self;
    if (!BelowSelf) return true;
  }
  return false;
}

}  // namespace quin
