#include "reports/pelrep.h"

#include "analysis/pelrwobject.h"
#include "analysis/pelsurvey.h"
#include "base/orvbinary.h"
#include "base/orvstreams.h"
#include "base/orvstrings.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "deflang/rixwriter.h"
#include "reports/pelrepanalysis.h"
#include "surveykit/gimreading.h"
#include "surveykit/mermessages.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelRep, TOrvObject)

const TOrvMsgClass TPelFatal_Report_NotDefined{
    "TPelFatal_Report_NotDefined", &TOrvMsgKind_FatalError,
    "<PLK>Brak definicji raportu (\"def report\").<ENU>Report definition missing (\"def "
    "report\")."};

const TGUID& PelReportSignature() {
  static const TGUID G = StringToGUID("{EB70CF26-15B3-4DB3-A59E-A6AB01C5CF16}");
  return G;
}

namespace {

// A fatal message at At; the reading ends here even when no message list raises it.
[[noreturn]] void RaiseFatal(TRixScanner& Scanner, const TOrvMsgClass& MsgClass,
                             const TOrvTextPos& At) {
  Scanner.AddMsgAt(MsgClass, At);
  throw EMsgList_FatalError(Cp1250(MsgClass.TemplateUtf8));
}

}  // namespace

TPelRep::TPelRep(TPelSurvey* ASurvey)
    : Tree(std::make_unique<TPelRepElemTree>(this)), Survey(ASurvey) {}

// ---- Reading

void TPelRep::LoadFromStream(TStream& Stream, TOrvMsgList* MsgList) {
  std::unique_ptr<TRixScanner> Scanner = TRixScanner::CreateFromStream(Stream, MsgList);
  TRixScanner& S = *Scanner;
  S.NextToken();
  for (;;) {
    if (RixKeyTaken(S, S.ReadSignature("signature", PelReportSignature()))) continue;
    if (RixKeyTaken(S, S.ReadVersion("version", 0, 1))) continue;
    break;
  }
  if (!S.ReadDefComplexStart("report"))
    RaiseFatal(S, TPelFatal_Report_NotDefined, S.Token->StartPos);
  TGimBlockReader R;
  R.Key = [this](TRixScanner& S) { return ReadReportKey(S); };
  R.Block = [this](TRixScanner& S, const TOrvTextPos&) {
    if (S.ReadDefComplexStart("analysis"))
      ReadAnalysis(S);
    else
      GimSkipBlock(S, nullptr, true);
    return true;
  };
  R.Read(S);
}

bool TPelRep::ReadReportKey(TRixScanner& S) {
  if (RixKeyTaken(
          S, S.ReadString("title", Title, /*AllowMultiLine=*/false, /*AllowEmpty=*/true, nullptr)))
    return true;
  if (RixKeyTaken(S, S.ReadBoolean("zoomed", Zoomed))) return true;
  if (RixKeyTaken(S, S.ReadInteger("selectedIndex", SelectedIndex))) return true;
  if (RixKeyTaken(S, S.ReadInteger("tocSplitter", TocSplitter))) return true;
  if (RixKeyTaken(S, S.ReadInteger("analysisSplitter", AnalysisSplitter))) return true;
  if (RixKeyTaken(S, S.ReadBoolean("calcLocked", CalcLocked))) return true;
  std::string Identity;
  TOrvTextPos At;
  if (ReadIdentifierAt(S, "survey", Identity, At)) {
    CheckSurveyIdentity(S, Identity, At);
    return true;
  }
  if (RixKeyTaken(S, false)) return true;
  TDynByteArr Bytes;
  if (S.ReadBinData("dataSignature", Bytes)) {
    CheckDataSignature(Bytes);
    return true;
  }
  return RixKeyTaken(S, false);
}

void TPelRep::CheckSurveyIdentity(TRixScanner& Scanner, const std::string& Value,
                                  const TOrvTextPos& At) {
  const std::string Identity = Survey ? Survey->GetQualifiedID() : std::string();
  if (CountChar(Value, '@') == 1 && SameText(Value, Identity)) return;
  // Older files join the survey's identifier and namespace with a dot.
  if (!Identity.empty() && SameText(Value, ReplaceChar(Identity, '@', '.'))) return;
  RaiseFatal(Scanner, TMerFatal_IncorrectSurvey, At);
}

void TPelRep::CheckDataSignature(const TDynByteArr& Bytes) {
  // The survey file's date when the report was saved. A signature too short to hold a date
  // cannot vouch for the stored results either.
  double Date = 0;
  if (!TryBytesToDouble(Bytes, Date) || !Survey || Date != Survey->DataDate) DataChanged = true;
}

void TPelRep::ReadAnalysis(TRixScanner& Scanner) {
  auto Analysis = New<TPelRepElemAnalysis>(Root(), Survey);
  bool Stale = DataChanged;
  Analysis->ReadBody(Scanner, Stale);
  Root()->AddChild(std::move(Analysis));
}

// ---- Writing

void TPelRep::SaveToStream(TStream& Stream) const {
  int Indent = 0;
  WriteFileHeader(Stream, Indent, TOrvStreamGUIDHeader{PelReportSignature(), 1});
  WriteDefStart(Stream, Indent, "report");
  if (!Title.empty()) WriteKeyString(Stream, Indent, "title", "", Title);
  if (Survey) {
    WriteKeyIdentifier(Stream, Indent, "survey", "", Survey->GetQualifiedID());
    WriteKeyDoubleBin(Stream, Indent, "dataSignature", "", Survey->DataDate);
  }
  WriteKeyBoolean(Stream, Indent, "zoomed", "", Zoomed);
  WriteKeyBoolean(Stream, Indent, "calcLocked", "", CalcLocked);
  WriteKeyInteger(Stream, Indent, "selectedIndex", "", SelectedIndex);
  WriteKeyInteger(Stream, Indent, "tocSplitter", "", TocSplitter);
  WriteKeyInteger(Stream, Indent, "analysisSplitter", "", AnalysisSplitter);
  for (int I = 0; I < Root()->ChildCount(); ++I) Root()->Child(I)->WriteDef(Stream, Indent);
  WriteDefEnd(Stream, Indent);
}

}  // namespace quin
