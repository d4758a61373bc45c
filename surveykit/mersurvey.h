// The survey: root of one opened survey with its environment, info, record sets, weightings,
// waves, data tree and optional media definitions, and the reader of its definition text.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/orvclasses.h"
#include "surveykit/gimdata.h"
#include "surveykit/gimwaves.h"
#include "surveykit/gimweights.h"
#include "surveykit/merenviron.h"
#include "surveykit/merrecset.h"

namespace quin {

class TRixScanner;
class TRixParser;
class TGimPress;
class TGimRadio;
class TMerTV;
struct TOrvTextPos;

class TMerSurvey : public TOrvPersistent {
  QUIN_CLASS(TMerSurvey, TOrvPersistent)
 public:
  // Create with New<T>(FileName): the weighting list comes from CreateWeightList after
  // construction, so that a survey class's own factory is reached.
  explicit TMerSurvey(std::string_view AFileName = "");
  ~TMerSurvey() override;
  TMerSurvey(const TMerSurvey&) = delete;
  TMerSurvey& operator=(const TMerSurvey&) = delete;
  void AfterConstruction() override;

  double DataDate = 0;  // days since 1899-12-30; set by the side that opens the survey file
  std::unique_ptr<TMerEnviron> Environ;
  std::unique_ptr<TMerInfo> Info;              // made by the "survey" block
  std::unique_ptr<TMerRecsetList> RecsetList;  // item 0: the respondents
  std::unique_ptr<TGimWeightList> Weights;
  std::unique_ptr<TGimWaveList> Waves;
  std::unique_ptr<TGimData> Data;
  std::string FileName;  // the definition's file; relative names are looked up beside it
  // The media definitions; null unless their blocks were read.
  std::unique_ptr<TOrvObject> Press;
  std::unique_ptr<TOrvObject> Radio;
  std::unique_ptr<TOrvObject> TV;
  // The media definitions by their classes; null when absent.
  TGimPress* PressDef() const;
  TGimRadio* RadioDef() const;
  TMerTV* TVDef() const;
  int32_t RecsetChainOffset = 0;
  bool ThoroughChecks = false;
  // Per record set: the join of its records to the respondents (filled by the analysis side).
  std::vector<std::unique_ptr<TMerRespInPanels>> PanelJoins;

  // Factory of the wave list; none here (a concrete survey supplies it).
  virtual std::unique_ptr<TGimWaveList> CreateWaveList();
  // Factory of the weighting list; none here (a concrete survey supplies it).
  virtual std::unique_ptr<TGimWeightList> CreateWeightList();
  // Run after the header part; nothing here.
  virtual void PrepareRecsets() {}
  // The folder of FileName with its trailing separator ("" without a folder).
  virtual std::string GetDefinitionDir() const;
  // The column Spec ("name" or "name.recset"), record set 0 by default.
  virtual std::unique_ptr<TMerRecsetCol> CreateCol(TRixScanner* Scanner, std::string_view Spec);
  virtual bool AfterOpen() { return true; }
  // False cancels closing.
  virtual bool SaveGlobalDefs() { return true; }
  // Factories of the responses and response lists that the data tree's readers create below
  // Parent (not appended).
  virtual std::unique_ptr<TGimResponse> CreateResponse(TGimDataObject* Parent);
  virtual std::unique_ptr<TMerResponseList> CreateResponseList(TGimDataObject* Parent);
  // Sets the survey reference of every record set.
  virtual void LinkRecsets();

  // The header parser; a strict TMerSurveyParser here.
  virtual std::unique_ptr<TRixParser> CreateParser(std::string_view AFileName);
  // Reads the whole definition text: the header ("environ", "survey", "recordset" blocks)
  // through the header parser, PrepareRecsets, then the sections (ReadSections). The caller
  // owns the scanner and its message list and judges the result by the messages; fatal
  // messages end the reading with EMsgList_FatalError.
  virtual void ReadDefinition(TRixScanner& Scanner);

  // ---- Section readers. Each receives the scanner after the block's key and the key's
  // position, and reads through the block's "end" ";". The weightings and waves of a survey
  // class without their lists are skipped whole with a warning.

  // The "weights" block's body, read by the weighting list.
  virtual void ReadWeights(TRixScanner& Scanner, const TOrvTextPos& Pos);
  // Creates the wave list (CreateWaveList) when there is none, then reads the "waves" body.
  virtual void ReadWaves(TRixScanner& Scanner, const TOrvTextPos& Pos);
  // Frees any previous data tree, creates a new one and reads the "data" body.
  virtual void ReadData(TRixScanner& Scanner, const TOrvTextPos& Pos);
  // The media sections: each creates its definition and reads it; the press indicators then
  // attach their columns and build their derived questions, the radio its derived questions.
  virtual void ReadPress(TRixScanner& Scanner, const TOrvTextPos& Pos);
  virtual void ReadRadio(TRixScanner& Scanner, const TOrvTextPos& Pos);
  virtual void ReadTV(TRixScanner& Scanner, const TOrvTextPos& Pos);

  // The sections after the header, at the scanner's current token: "weights"?, "waves",
  // "data", "press"?, "radio"?, "tv"?, each tried once in this order; what is left is reported
  // once ("Unknown key."); a reading without errors that has no weighting gets "off".
  void ReadSections(TRixScanner& Scanner);

  // The info's ID, "@", the info's namespace.
  std::string GetQualifiedID() const;
  TMerRecset* Recset(int Index) const { return RecsetList->GetItem(Index); }
  int RecsetCount() const { return RecsetList->Count(); }
};

// The language manager that translates the texts of Survey's objects; null without a survey.
const TOrvLangManager* SurveyLangManager(const TMerSurvey* Survey);

}  // namespace quin
