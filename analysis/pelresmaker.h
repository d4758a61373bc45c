// How parameters make the result elements of their items. The result elements (the
// coordinates of table cells) are defined with the cell computation; their unit installs its
// maker here at start-up. Until a maker is installed, parameters make no elements: every item
// answers nil, as a position outside the items does.
#pragma once

#include <vector>

#include "base/guid.h"

namespace quin {

class TPelResElem;
class TPelSurvey;
class TPelPar;
class TGimWave;
class TGimStat;
class TGimQuestion;
class TGimResponse;
class TGimResponseAxis;

// Each operation returns a new element that the caller owns (null when the maker makes none).
class TPelResElemMaker {
 public:
  virtual ~TPelResElemMaker() = default;
  // A waves element holding Waves, in order (each wave once).
  virtual TPelResElem* NewWaves(TPelSurvey* Survey, const std::vector<TGimWave*>& Waves,
                                int ItemIndex, TPelPar* Par) = 0;
  // A statistic element for Stat, a kind of the survey's catalogue.
  virtual TPelResElem* NewStat(TPelSurvey* Survey, TGimStat* Stat, int ItemIndex, TPelPar* Par) = 0;
  // A question-response element; Axis is null for a question without axes.
  virtual TPelResElem* NewVarVal(TPelSurvey* Survey, TGimResponse* Response, TGimResponseAxis* Axis,
                                 TGimQuestion* Question, int ItemIndex, TPelPar* Par) = 0;
  // A question-code element: one value of a numeric response; IsValueItem is set for the
  // response's first value.
  virtual TPelResElem* NewVarValCode(TPelSurvey* Survey, bool IsValueItem, double Code,
                                     TGimResponse* Response, TGimResponseAxis* Axis,
                                     TGimQuestion* Question, int ItemIndex, TPelPar* Par) = 0;
  // A question title element (HeaderObject: the axis shown, or null).
  virtual TPelResElem* NewVar(TPelSurvey* Survey, TGimResponseAxis* HeaderObject,
                              TGimQuestion* Question, int ItemIndex, TPelPar* Par) = 0;
  // A base element of Kind (0 result, 1 actual base, 2 weighted base, 3 record set).
  virtual TPelResElem* NewBase(TPelSurvey* Survey, int Kind, int ItemIndex, TPelPar* Par) = 0;
  // The sub-parameter identity ("parSubGUID") of an element a multi-parameter made.
  virtual void SetSubParGUID(TPelResElem& Elem, const TGUID& GUID) = 0;
};

// The installed maker, or null. Installed once at start-up, read afterwards.
TPelResElemMaker* PelResElemMaker();
// Installs Maker (not owned; it lives as long as the process) and returns the previous one.
TPelResElemMaker* SetPelResElemMaker(TPelResElemMaker* Maker);

}  // namespace quin
