// User-defined questions: a question made of target groups, each group one response that a
// respondent gives when the group selects him. The definition is a parameter of its own
// ("userDef"); placed into a questions parameter it becomes a question object that behaves
// like any survey question in tables.
#pragma once

#include <memory>
#include <string>

#include "analysis/pelgroup.h"
#include "analysis/pelpargroups.h"
#include "analysis/pelrwobjectfiles.h"
#include "base/guid.h"
#include "surveykit/gimquestions.h"

namespace quin {

class TPelUserDefQuestion;

// One response's target group.
class TPelUserDefGroup : public TPelGroup {
  QUIN_CLASS(TPelUserDefGroup, TPelGroup)
 public:
  using TPelGroup::TPelGroup;
  // A copy of any target group as a response group.
  explicit TPelUserDefGroup(const TPelGroup& Source) : TPelGroup(Source) {}
  std::unique_ptr<TOrvObject> CreateCopy() const override {
    return std::unique_ptr<TOrvObject>(new TPelUserDefGroup(*this));
  }
  // "Response" and the group's position.
  std::string GetDefaultName() const override;
};

// The definition: its sub-parameters are the responses' groups.
class TPelUserDef : public TPelParGroups {
  QUIN_CLASS(TPelUserDef, TPelParGroups)
  QUIN_RW_CLASS(TPelUserDef)
 public:
  // An empty definition with two new identities.
  explicit TPelUserDef(TPelSurvey* ASurvey = nullptr);
  TPelUserDef(const TPelUserDef&) = default;

  TGUID DefGUID;  // "defGuid"
  TGUID VerGUID;  // "verGuid"

  static std::string StaticKeyword() { return "userDef"; }

  // A new question of the definition's name, identities and groups.
  std::unique_ptr<TPelUserDefQuestion> BuildQuestion() const;
  // The body of a nested "userDef" block (its "def" and keyword read) as a question; null
  // when it defines no response.
  static std::unique_ptr<TGimQuestion> ReadQuestion(TRixScanner& Scanner, TPelSurvey* ASurvey);

  std::string GetDefaultName() const override;
  bool UnaskedFlagA() const override { return true; }
  bool ReadKey(TRixScanner& Scanner) override;
  void WriteBody(TStream& Stream, int& Indent) const override;
  bool AllowsEmpty() const override { return false; }
  bool UnaskedFlagG() const override { return false; }
  std::unique_ptr<TPelSubPar> NewSubPar(TOrvRandGen* Random) override;

 protected:
  TPelUserDef& operator=(const TPelUserDef&) = default;
};

// A response of a user-defined question: the records its group selects. Copies share the
// group.
class TPelUserDefResponse : public TGimResponse {
  QUIN_CLASS(TPelUserDefResponse, TGimResponse)
  QUIN_COPY(TPelUserDefResponse)
 public:
  TPelUserDefResponse() = default;
  TPelUserDefResponse(const TPelUserDefResponse&) = default;
  std::shared_ptr<TPelUserDefGroup> Group;
};

class TPelUserDefQuestion : public TGimQuestion {
  QUIN_CLASS(TPelUserDefQuestion, TGimQuestion)
 public:
  TPelUserDefQuestion() = default;
  TPelUserDefQuestion(const TPelUserDefQuestion&) = default;
  std::unique_ptr<TOrvObject> CreateCopy() const override {
    return std::unique_ptr<TOrvObject>(new TPelUserDefQuestion(*this));
  }

  TGUID DefGUID;
  TGUID VerGUID;

  // A new definition (without owner list) named by the question, with its identities and a
  // copy of the group of each response that has one.
  std::unique_ptr<TPelUserDef> CreateDefinition() const;
  // Writes the question as its nested "userDef" block.
  void WriteDefinition(TStream& Stream, int& Indent) const;

  // The group of the first of Responses, evaluated on Recset over the survey's waves with its
  // first weighting. The survey's prepared weights are left as they were found.
  void EvaluateResponses(const std::vector<TGimResponse*>& AResponses,
                         std::vector<uint8_t>& Selected, std::vector<uint8_t>& Missing,
                         TMerRecset* Recset) override;
  int ImageIndex() const override { return 10; }

 private:
  bool FEvaluating = false;  // a group that names its own question selects nothing there
};

// The parameter-definition files that hold user-defined questions, kept by the analysis
// survey.
class TPelUserDefFileList : public TOrvTypedList<TPelRWObjectFile> {
  QUIN_CLASS(TPelUserDefFileList, TOrvObjectList)
 public:
  explicit TPelUserDefFileList(TPelSurvey* ASurvey = nullptr)
      : TOrvTypedList(true), Survey(ASurvey) {}
  TPelSurvey* Survey;
  // Saves every file that has a name under that name.
  void SaveAll();
  // Asks, for each file without a name, whether to save the definitions: Yes asks for a name
  // and saves every named file (a cancelled dialog answers False), No answers True, Cancel
  // False. True without such files.
  bool PromptSave();
};

}  // namespace quin
