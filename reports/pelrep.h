// The report document: what an analyst opens (a report file, .zor) or builds from an analysis
// template. It owns the element tree of its analyses, tables and charts and belongs to one open
// survey.
//
// Report files are definition texts: optional "signature" and "version" keys, then one
// "def report" block with the document's keys and its "analysis" blocks. They come from
// users' folders and by mail, so they are untrusted: every problem is a message at its place
// in the text, reading goes on after a statement or block it cannot use (the caller's message
// list decides how many errors end it), and nothing a file holds makes the reader crash, hang
// or allocate beyond the file's own size.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/guid.h"
#include "base/orvmessages.h"
#include "reports/pelrepelem.h"

namespace quin {

class TPelSurvey;
class TStream;

// "Report definition missing ("def report").": the text holds no report block where one must
// stand.
extern const TOrvMsgClass TPelFatal_Report_NotDefined;

// {EB70CF26-15B3-4DB3-A59E-A6AB01C5CF16}
const TGUID& PelReportSignature();

class TPelRep : public TOrvObject {
  QUIN_CLASS(TPelRep, TOrvObject)
 public:
  // An empty document for Survey (not owned): a tree with its root and no analysis.
  explicit TPelRep(TPelSurvey* ASurvey);
  TPelRep(const TPelRep&) = delete;
  TPelRep& operator=(const TPelRep&) = delete;

  // Layout values and switches of the desktop report window, kept for the file.
  int32_t AnalysisSplitter = -1;
  int32_t TocSplitter = -1;
  int32_t SelectedIndex = -1;
  bool CalcLocked = false;
  bool Zoomed = false;
  std::string Title;
  // The file's data signature differs from the survey file's date: every analysis read after
  // it is marked for recalculation.
  bool DataChanged = false;
  std::unique_ptr<TPelRepElemTree> Tree;
  TPelSurvey* Survey;  // not owned

  TPelRepElemRoot* Root() const { return Tree->GetRoot(); }

  // Reads a report file from the stream's position on. Problems are reported through MsgList;
  // a fatal message (no report block, the survey of another file) or the list's error limit
  // ends the reading with EMsgList_FatalError, a wrong signature with ESIGErr, a version
  // outside 0..1 with EVERErr. Analyses read before the end stay in the tree.
  void LoadFromStream(TStream& Stream, TOrvMsgList* MsgList);
  // Writes the document as a report file: the signature and version 1, then the report block
  // with the document's keys, the survey's identity and data signature, and every analysis.
  void SaveToStream(TStream& Stream) const;

 private:
  bool ReadReportKey(TRixScanner& Scanner);
  void ReadAnalysis(TRixScanner& Scanner);
  void CheckSurveyIdentity(TRixScanner& Scanner, const std::string& Value, const TOrvTextPos& At);
  void CheckDataSignature(const TDynByteArr& Bytes);
};

}  // namespace quin
