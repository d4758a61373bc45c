// The general result elements: the items of the parameters every survey has (waves,
// questions and their responses or values, statistics, base rows) and the total lines, each
// with its data-info keys. (The target-group element is in pelresgroup.h.)
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/pelreselem.h"

namespace quin {

class TGimWave;
class TGimStat;
class TGimQuestion;
class TGimResponse;
class TGimResponseAxis;
class TPelGroupVar;

// A set of waves ("Waves"): selects the records of its waves' data files, in the cell and in
// the cell's base.
class TPelResWaves : public TPelResElem {
  QUIN_CLASS(TPelResWaves, TPelResElem)
  QUIN_RES_ELEM_CLASS(TPelResWaves)
 public:
  // A list of Waves (each once, in order) and an empty group.
  TPelResWaves(TPelSurvey* ASurvey, const std::vector<TGimWave*>& AWaves, int AItemIndex,
               TPelPar* APar);
  // The list copied.
  TPelResWaves(const TPelResWaves& Source);

  static std::string StaticOutfix() { return "Waves"; }

  // The waves: a list of the survey's waves. Every element owns its list (not the waves),
  // also the copies made of it.
  std::unique_ptr<TGimWaveList> Waves;

  bool RestrictsBase() const override { return true; }
  TGimWaveList* GetWaveList() const override { return Waves.get(); }
  // The same waves in the same order.
  bool TableDataInfo_ComparePrivate(const TPelResElem* Other) const override;
  // "waveList": the wave identifiers; unknown ones are reported and passed over.
  bool TableDataInfo_ReadDef(TRixScanner& Scanner) override;
  void TableDataInfo_WriteDef(TStream& Stream, int& Indent) const override;

 private:
  void SetWaves(const TGimWaveList* Source);
};

// A question's title in a header (not registered): no cell is made under it.
class TPelResVar : public TPelResElem {
  QUIN_CLASS(TPelResVar, TPelResElem)
  QUIN_RES_ELEM_CLASS(TPelResVar)
 public:
  TPelResVar(TPelSurvey* ASurvey, TGimResponseAxis* AHeaderObject, TGimQuestion* AQuestion,
             int AItemIndex, TPelPar* APar);
  TPelResVar(const TPelResVar&) = default;

  TGimQuestion* Question;          // not owned
  TGimResponseAxis* HeaderObject;  // the axis the header shows; null for the question itself

  bool IsHeaderOnly() const override { return true; }
  bool IsQuestionTitle() const override { return true; }
  bool IsSameKind(const TPelResElem* Other) const override { return false; }
};

// A response of a question ("Question"), of a grid question's axis when Axis is set.
class TPelResVarVal : public TPelResElem {
  QUIN_CLASS(TPelResVarVal, TPelResElem)
  QUIN_RES_ELEM_CLASS(TPelResVarVal)
 public:
  TPelResVarVal(TPelSurvey* ASurvey, TGimResponse* AResponse, TGimResponseAxis* AAxis,
                TGimQuestion* AQuestion, int AItemIndex, TPelPar* APar);
  TPelResVarVal(const TPelResVarVal&) = default;

  static std::string StaticOutfix() { return "Question"; }

  TGimQuestion* Question;  // not owned
  TGimResponseAxis* Axis;  // the grid axis the response belongs to; null for a plain question
  TGimResponse* Response;  // not owned

  // The element as a response element when it is one whose question is a survey question (not
  // a user-defined one); null otherwise.
  static TPelResVarVal* AsNumericResponse(TPelResElem* Elem);
  // The response asks for means (its attribute "substStats").
  bool AsksMeans() const;

  // Other is a response element of the same question.
  bool IsSameKind(const TPelResElem* Other) const override;
  // The response's attribute "estIndependent".
  bool RestrictsBase() const override;
  // One condition on the response (when selectable); grid responses build none, the cell
  // applies them together.
  void BuildGroup() override;
  bool TableDataInfo_ComparePrivate(const TPelResElem* Other) const override;
  // "question", "responseAxis", "response".
  bool TableDataInfo_ReadDef(TRixScanner& Scanner) override;
  void TableDataInfo_WriteDef(TStream& Stream, int& Indent) const override;
  bool UsesOtherRecset(TMerRecset* Recset) const override;

 protected:
  // The condition's values: the response, or one of its codes.
  virtual void AddValue(TPelGroupVar& Var) const;
};

// One value of a numeric response ("QuestionCode").
class TPelResVarValCode : public TPelResVarVal {
  QUIN_CLASS(TPelResVarValCode, TPelResVarVal)
  QUIN_RES_ELEM_CLASS(TPelResVarValCode)
 public:
  TPelResVarValCode(TPelSurvey* ASurvey, bool AIsValueItem, double ACode, TGimResponse* AResponse,
                    TGimResponseAxis* AAxis, TGimQuestion* AQuestion, int AItemIndex,
                    TPelPar* APar);
  TPelResVarValCode(const TPelResVarValCode&) = default;

  static std::string StaticOutfix() { return "QuestionCode"; }

  double Code;
  bool IsValueItem;  // the response's first value

  bool TableDataInfo_ComparePrivate(const TPelResElem* Other) const override;
  // The parent's keys and "code" (eight bytes of binary data).
  bool TableDataInfo_ReadDef(TRixScanner& Scanner) override;
  void TableDataInfo_WriteDef(TStream& Stream, int& Indent) const override;

 protected:
  void AddValue(TPelGroupVar& Var) const override;
};

// A statistic kind ("Stat").
class TPelResStat : public TPelResElem {
  QUIN_CLASS(TPelResStat, TPelResElem)
  QUIN_RES_ELEM_CLASS(TPelResStat)
 public:
  TPelResStat(TPelSurvey* ASurvey, TGimStat* AStat, int AItemIndex, TPelPar* APar);
  TPelResStat(const TPelResStat&) = default;

  static std::string StaticOutfix() { return "Stat"; }

  TGimStat* Stat;  // a kind of the survey's catalogue

  // The mirror kind of a table whose rows and columns are exchanged.
  void Refresh() override;
  bool TableDataInfo_ComparePrivate(const TPelResElem* Other) const override;
  // "stat": the kind's identifier.
  bool TableDataInfo_ReadDef(TRixScanner& Scanner) override;
  void TableDataInfo_WriteDef(TStream& Stream, int& Indent) const override;
};

// A base row ("Base"): 0 the result, 1 the actual base, 2 the weighted base, 3 the record set.
class TPelResBase : public TPelResElem {
  QUIN_CLASS(TPelResBase, TPelResElem)
  QUIN_RES_ELEM_CLASS(TPelResBase)
 public:
  TPelResBase(TPelSurvey* ASurvey, uint8_t AKind, int AItemIndex, TPelPar* APar);
  TPelResBase(const TPelResBase&) = default;

  static std::string StaticOutfix() { return "Base"; }

  uint8_t Kind;

  bool TableDataInfo_ComparePrivate(const TPelResElem* Other) const override;
  // "base": "result", "baseA", "baseW" or "recset" (case ignored).
  bool TableDataInfo_ReadDef(TRixScanner& Scanner) override;
  void TableDataInfo_WriteDef(TStream& Stream, int& Indent) const override;
};

// A total line ("Margins").
class TPelResMargins : public TPelResElem {
  QUIN_CLASS(TPelResMargins, TPelResElem)
  QUIN_RES_ELEM_CLASS(TPelResMargins)
 public:
  explicit TPelResMargins(TPelSurvey* ASurvey) : TPelResElem(ASurvey, -1, nullptr) {}
  TPelResMargins(const TPelResMargins&) = default;

  static std::string StaticOutfix() { return "Margins"; }

  bool TableDataInfo_ComparePrivate(const TPelResElem* Other) const override;
};

// Registers the general element classes, in their order.
void RegisterGeneralResClasses();

}  // namespace quin
