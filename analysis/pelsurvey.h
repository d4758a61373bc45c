// The survey as the analysis engine sees it: a survey opened from a survey file (.zos), with
// the file kept open for reading column data on demand, the analysis record sets that read
// their columns from it, the "based on" choices and the join of panel record sets to the
// respondents.
//
// Survey files are untrusted. Every count, size and offset read from the file is checked
// before it is used: the chains of record sets and data files may point anywhere in the file,
// but they are bounded by the definition's record sets and each header's file count and may
// not visit a header twice; the definition block's stated size is only an estimate, its
// inflation capped by the deflate ratio and an absolute limit; the per-file record counts must
// add up to the record set's count. Arrays of one entry per record are sized only once the
// blocks that fill them have been read and checked. A damaged file raises a bilingual error;
// nothing is read or written outside the file or the arrays.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/pelpanes.h"
#include "analysis/pelpar.h"
#include "base/guid.h"
#include "base/orvexceptions.h"
#include "base/orvstreams.h"
#include "surveykit/merrecset.h"
#include "surveykit/merschema.h"
#include "surveykit/mersurvey.h"
#include "surveykit/pelcolblocks.h"
#include "surveykit/pelcolumns.h"

namespace quin {

// The product text every survey file carries (CR LF line breaks).
extern const char* const kPelSurveyProductText;
// {2F5B4C9C-9AC8-4A7D-BD8E-2E2E64A1F319}: the definition block's signature.
const TGUID& PelDefinitionSignature();
// The survey file's own header shares the record-set header's signature; versions 0..8.
constexpr int kPelSurveyMaxVersion = 8;
// The most records a record set may hold: one column of them as doubles takes 512 MiB.
constexpr int32_t kPelMaxRecords = 1 << 26;
// The longest definition text a survey file may hold.
constexpr int64_t kPelMaxDefinitionSize = int64_t{64} << 20;

// "Error loading the survey.": the definition text holds errors.
class EPelSurveyLoadError : public EOrvException {
 public:
  EPelSurveyLoadError();
  static const std::string& DefaultTemplate();
};

// A survey file that sets the internal-survey flag.
class EPelInternalSurvey : public EOrvException {
 public:
  EPelInternalSurvey();
  static const std::string& DefaultTemplate();
};

class TPelSurvey;
class TOrvMsgList;
class TPelChainWalk;
class TPelColumnStore;
class TPelUserDefFileList;

// First and last record index of one data file within its record set.
struct TPelBegFinIdx {
  int First = 0;
  int Last = -1;
};
using TPelBegFinIdxArr = std::vector<TPelBegFinIdx>;

// An analysis record set: reads its columns from the survey file. It caches exactly one column
// as doubles: reading the same column twice in a row decodes it once; byte reads neither use
// nor change the cache.
class TPelRecset : public TMerRecset {
  QUIN_CLASS(TPelRecset, TMerRecset)
 public:
  TPelRecset();
  ~TPelRecset() override;

  std::unique_ptr<TPelColList> Cols;   // the merged column directory
  TPelBegFinIdxArr FileRanges;         // per data file
  std::vector<int32_t> FileRecCounts;  // per data file
  std::vector<double> CacheValues;     // empty until the first double read
  const TPelCol* CacheCol = nullptr;   // the column CacheValues holds; not owned
  // Columns decoded from the file so far (cache hits and absent columns do not count).
  int64_t ColumnDecodes = 0;

  int RecCount() const override { return FRecCount; }
  // Also forgets the cached column.
  void SetRecCount(int Value) {
    FRecCount = Value;
    CacheCol = nullptr;
  }
  // Sizes FileRanges and FileRecCounts to N, replaces Cols by an empty list and forgets the
  // cached column.
  void SetFileCount(int N);
  int FileCount() const { return static_cast<int>(FileRecCounts.size()); }
  // The largest record count of the data files (0 without files).
  int MaxFileRecCount() const;

  // RecCount values into Buffer (resized): 255 / kPelMissingDouble where missing and for a
  // null column. The column's blocks are read, and checked against the file, before the buffer
  // (or the cache) is sized for the records.
  void ReadColumnBytes(const TPelCol* Col, std::vector<uint8_t>& Buffer);
  void ReadColumnDoubles(const TPelCol* Col, std::vector<double>& Values);
  // RecCount doubles into Out, past the one-column cache (which stays as it is).
  void ReadColumnDoublesInto(const TPelCol* Col, double* Out);
  // The same by column name (case ignored); an unknown name reads as all missing.
  void ReadColumnBytesByName(std::string_view Name, std::vector<uint8_t>& Buffer);
  void LoadColumn(const std::string& Name, std::vector<double>& Values) override;
  // Kept with the column in the survey file's column store, for every session.
  bool DistinctValues(const std::string& Name, std::vector<double>& Values) override;
  // The sorted column names matching Mask ("?" one character, "*" any run), no duplicates.
  std::vector<std::string> GetColumnNames(std::string_view Mask) const override;
  bool HasColumnDirectory() const override { return true; }
  bool HasColumn(std::string_view Name) const override { return FindCol(Name) != nullptr; }
  int ReservedQuery() const override { return 0; }

  TPelCol* FindCol(std::string_view Name) const;

 private:
  TStream& DataStream() const;
  // Reads the column's block of each data file into FBlocks; false when the column is not
  // stored (null).
  bool ReadBlocks(const TPelCol* Col);
  // Decodes FBlocks into Out at each data file's records, Missing where the file has no block.
  template <class T, class Decode>
  void DecodeBlocks(const TPelCol& Col, std::span<T> Out, T Missing, Decode Fn);
  int FRecCount = 0;
  std::vector<TPelColBlock> FBlocks;  // one per data file, reused from read to read
};

// One "based on" choice of an analysis: a record set that is not hidden.
class TPelDataBasedOn : public TOrvObject {
  QUIN_CLASS(TPelDataBasedOn, TOrvObject)
  QUIN_COPY(TPelDataBasedOn)
 public:
  TPelDataBasedOn() = default;
  explicit TPelDataBasedOn(TMerRecset* ARecset);
  std::string ID;
  std::string Info;
  std::string Name;
  TMerRecset* Recset = nullptr;  // not owned

 protected:
  TPelDataBasedOn(const TPelDataBasedOn&) = default;
};

class TPelDataBasedOnList : public TOrvTypedList<TPelDataBasedOn> {
  QUIN_CLASS(TPelDataBasedOnList, TOrvObjectList)
 public:
  TPelDataBasedOnList() : TOrvTypedList(true) {}
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TPelDataBasedOnList(*this));
  }
  // The entry whose ID equals AID, case ignored; null when none.
  TPelDataBasedOn* FindByID(std::string_view AID) const;
};

// The join of panel record set RecsetIndex (1 or more) to the respondents of record set 0,
// by the panel's join column. A missing join value matches nothing.
class TPelRespInPanels : public TMerRespInPanels {
  QUIN_CLASS(TPelRespInPanels, TMerRespInPanels)
 public:
  using TMerRespInPanels::TMerRespInPanels;
  void BuildCaseRanges() override;
};

// A wave of the analysis survey: its records are those of data file (Number - 1).
class TPelWave : public TGimWave {
  QUIN_CLASS(TPelWave, TGimWave)
  QUIN_COPY(TPelWave)
 public:
  TPelWave() = default;
  TPelWave(const TPelWave&) = default;
  // 0 for a record set that is no analysis record set or has no such data file.
  int RecCount(TMerRecset* Recset) const override;
};

class TPelWaveList : public TGimWaveList {
  QUIN_CLASS(TPelWaveList, TGimWaveList)
  QUIN_COPY(TPelWaveList)
 public:
  TPelWaveList() = default;
  using TGimWaveList::TGimWaveList;
  TPelWaveList(const TPelWaveList&) = default;
  std::unique_ptr<TGimWave> CreateWave() override;
};

// A "recordset" block of the analysis side builds a TPelRecset.
class TPelRecsetDef : public TMerRecsetDef {
  QUIN_CLASS(TPelRecsetDef, TMerRecsetDef)
 public:
  explicit TPelRecsetDef(std::string_view AFileName);
};

// The header parser of the analysis side: not strict.
class TPelSurveyParser : public TMerSurveyParser {
  QUIN_CLASS(TPelSurveyParser, TMerSurveyParser)
 public:
  using TMerSurveyParser::TMerSurveyParser;
  void AfterConstruction() override;
  std::unique_ptr<TRixDefComplex> CreateRecsetDef() override;
};

// Builds the analysis templates an opened survey offers. The templates live in the reports
// layer, which installs its builder at start-up; without one a survey offers no templates.
class TPelTemplateBuilder {
 public:
  virtual ~TPelTemplateBuilder() = default;
  // Builds Survey.WizList from the survey info's enabled kinds and collects one copy of each
  // template parameter class into Survey.ParList.
  virtual void BuildTemplates(TPelSurvey& Survey) = 0;
  // Drops the templates that Survey's mode rejects and the template parameters the mode does
  // not offer, and the templates left without parameters; raises when no template remains.
  virtual void DropUnavailable(TPelSurvey& Survey) = 0;
};
// The installed builder (not owned; null when none) and its installation, done at start-up.
TPelTemplateBuilder* PelTemplateBuilder();
void SetPelTemplateBuilder(TPelTemplateBuilder* Builder);

class TPelSurvey : public TMerSurvey {
  QUIN_CLASS(TPelSurvey, TMerSurvey)
 public:
  // Create with New<TPelSurvey>(FileName, Mode); the file is not read yet.
  explicit TPelSurvey(std::string_view AFileName = "", int AMode = 0);
  ~TPelSurvey() override;

  std::unique_ptr<TPelDataBasedOnList> DataBasedOnList;
  std::unique_ptr<TStream> Stream;  // the survey file, open from loading until freed
  std::string GlobalPricesFile;
  bool IsVersion6File = false;
  std::string GlobalZKDPFile;
  int Mode = 0;  // 0 desktop, 1 web
  // The decoded columns shared with the other sessions that have the same file open; taken
  // with the first table computed.
  std::shared_ptr<TPelColumnStore> ColumnStore;
  // The column store, acquired on first use.
  TPelColumnStore& Columns();
  // The survey's parameters (one of each class its templates offer, and the base parameter)
  // and the front end's parameter panes.
  std::unique_ptr<TPelParList> ParList = std::make_unique<TPelParList>(this, true);
  std::unique_ptr<TPelParPaneRegList> ParPaneRegs = std::make_unique<TPelParPaneRegList>();
  // The parameter-definition files of the user-defined questions (none in the web server).
  std::unique_ptr<TPelUserDefFileList> UserDefFiles;
  // The analysis templates the survey offers, in the order of the page that lists them (a
  // template list of the reports layer); null until built.
  std::unique_ptr<TOrvObjectList> WizList;

  // Enters a pane for ParClass when the survey has a registry and its mode offers the class.
  void RegisterParPane(const TPelRWClass& ParClass, const ClassInfo* PaneClass,
                       const ClassInfo* AltPaneClass = nullptr);

  // Stores the file's modification time as the data date when the file exists, opens it for
  // reading (others may read it at the same time) and reads it with ReadSurveyFile.
  void LoadFromFile(const std::string& AFileName);
  // Reads the file header, the definition block and, through ReadDefinition, the whole
  // survey with its record-set chain. The survey keeps a reference to Stream for column reads;
  // the caller keeps Stream alive (LoadFromFile stores it in Stream).
  void ReadSurveyFile(TStream& AStream);

  std::unique_ptr<TGimWaveList> CreateWaveList() override;
  std::unique_ptr<TGimWeightList> CreateWeightList() override;
  // Walks the record-set chain: record counts, data-file ranges, column directories; then the
  // based-on list and the panel joins.
  void PrepareRecsets() override;
  // The after-open steps: the statistic lists, then the hooks of the templates, parameters,
  // prices, circulation data and parameter panes. Returns True.
  bool AfterOpen() override;
  // The server answers No to every save prompt: nothing is saved and closing goes on.
  bool SaveGlobalDefs() override { return true; }
  std::unique_ptr<TRixParser> CreateParser(std::string_view AFileName) override;
  // The extra block of a file of version 5 or more, the stream at its start; reads nothing.
  virtual void ReadExtraBlock(TStream& AStream) {}

  // ---- After-open steps filled by the template, parameter, price and pane classes.
  // The template list and the collection of its parameters, by the installed builder.
  virtual void PrepareTemplates();
  // The base parameter when the parameter list has none.
  virtual void AddBaseParameter();
  // Press surveys: the price lists and the circulation data.
  virtual void PreparePressData() {}
  // The parameters that Mode does not offer are dropped, then through the installed builder
  // the templates and template parameters it does not offer.
  virtual void DropUnavailable();
  // Registers the front end's parameter panes.
  virtual void RegisterParPanes() {}

  // One entry per record set that is not hidden, in record-set order.
  void BuildDataBasedOnList();
  // Adjusts the info's statistic lists to the file version and the media present.
  void PrepareStatLists();

  TPelRecset* PelRecset(int Index) const;
  // The stream column reads use; EStreamError when the survey has no file.
  TStream& DataStream() const;

  // ---- Texts describing the survey, in the session's language; the survey's own texts are
  // translated by its language manager and HTML-escaped where they go into HTML.
  // Appends the header lines of an exported report: the survey, its fieldwork, the dates of
  // the data and of the report, and the warning of a demonstration survey, one line each.
  void GetReportHeaderLines(std::vector<std::string>& Lines) const;
  // Names the root of the information pages and gives it the text naming the survey's owner.
  void PrepareInfoRootPage();
  // The HTML summary of the survey: identity, file, waves, record sets, weightings and
  // languages. Plain 1 leaves out the font tag and the folder.
  void GetDataSummaryText(int Plain, std::string& Text) const;

 private:
  // The data files of one record set, from its header on: ranges, counts and directories.
  void ReadDataFiles(TPelChainWalk& Walk, const TMerRecsetHeader& RH, TPelRecset& R);
  TStream* FDataStream = nullptr;
  TOrvMsgList* FMsgs = nullptr;  // the definition's messages while it is read
  int FVersion = 0;
};

}  // namespace quin
