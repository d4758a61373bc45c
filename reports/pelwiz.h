// Analysis templates (wizards): a ready-made list of analysis parameters and a recipe that lays
// them out in the pivot tables of a new analysis. A survey enables template kinds by its info's
// "wizards" key; when it is opened it builds the list of templates it offers, in the order of
// the page that lists them. The user steps through a template's parameters, and the analysis
// element then copies the parameters and lets the template build its tables.
//
// The catalogue holds 42 kinds in four families: general analyses of questions (0-6), radio
// audience (7-19), press readership and media plans (20-30) and TV audience (31-41). A kind is
// offered once the class of its template is installed in the catalogue: the general kinds are
// installed here, the media kinds by the media templates.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "analysis/pelpar.h"
#include "base/orvclasses.h"
#include "base/orvexceptions.h"
#include "surveykit/merkeys.h"

namespace quin {

class TPelSurvey;
class TPelDataBasedOn;
class TPelRepElemAnalysis;
class TPelParGroups;
class TGimWeight;
class TPelWiz;

// The class-level answers of a template class, reachable without a template: its kind, icon,
// the modes that offer it, whether it needs several waves, and its virtual constructor. A
// pointer to one stands for a class reference.
struct TPelWizClass {
  const ClassInfo* Class;
  int Kind;
  // The icon number of the template page's image "wiz%d.gif".
  int (*IconNumber)();
  // 0 desktop, 1 web.
  bool (*AcceptsMode)(int Mode);
  bool (*NeedsSeveralWaves)();
  // The virtual constructor Create(Survey).
  std::unique_ptr<TPelWiz> (*Create)(TPelSurvey* Survey);
};

// The class record of a concrete template class T: T::StaticKind, T::StaticIconNumber,
// T::StaticAcceptsMode, T::StaticNeedsSeveralWaves (inherited from the nearest class that
// defines them) and creation through New<T>(Survey).
template <class T>
const TPelWizClass& WizClassOf() {
  static const TPelWizClass C{
      &T::StaticClass(),
      T::StaticKind,
      &T::StaticIconNumber,
      &T::StaticAcceptsMode,
      &T::StaticNeedsSeveralWaves,
      [](TPelSurvey* Survey) -> std::unique_ptr<TPelWiz> { return New<T>(Survey); }};
  return C;
}

// ---- The catalogue

// The constant texts of one kind: icon number and bilingual short name (UTF-8 source).
struct TPelWizKindTexts {
  int Icon;
  const char* Name;
};
// Indexed by the kind number; the identifiers and families are the survey kit's MerWizKinds.
extern const std::array<TPelWizKindTexts, WizKindCount> PelWizKindTexts;

// Installs the template class of its kind (done at start-up); a kind offered by no installed
// class is never offered.
void RegisterWizClass(const TPelWizClass& Class);
// Installs Class (null: none) for Kind and returns the class installed before; nothing outside
// 0..41.
const TPelWizClass* SetWizClass(int Kind, const TPelWizClass* Class);
// The installed class of Kind; null when none or outside 0..41.
const TPelWizClass* FindWizClass(int Kind);

// "No valid wizards.": a survey offers no template.
class EPelNoValidWizards : public EOrvException {
 public:
  EPelNoValidWizards();
  static const std::string& DefaultTemplate();
};

// ---- Templates

class TPelWiz : public TOrvObject {
  QUIN_CLASS(TPelWiz, TOrvObject)
 public:
  // Create(Survey): the owning parameter list for the survey.
  explicit TPelWiz(TPelSurvey* ASurvey = nullptr);
  // Data basis and weight, and a deep copy of the parameter list.
  TPelWiz(const TPelWiz& Source);
  TPelWiz& operator=(const TPelWiz&) = delete;
  ~TPelWiz() override;

  TPelDataBasedOn* BasedOn = nullptr;  // not owned; set by the caller before building
  std::unique_ptr<TPelParList> ParList;
  TPelSurvey* Survey = nullptr;  // not owned
  TGimWeight* Weight = nullptr;  // not owned; set by the caller before building

  // ---- Class-level answers (hidden by the classes that answer otherwise)
  static int StaticIconNumber() { return -1; }
  static bool StaticAcceptsMode(int Mode) { return Mode == 0; }
  static bool StaticNeedsSeveralWaves() { return false; }
  virtual const TPelWizClass& WizClass() const = 0;
  int GetIconNumber() const { return WizClass().IconNumber(); }
  bool AcceptsMode(int Mode) const { return WizClass().AcceptsMode(Mode); }
  bool NeedsSeveralWaves() const { return WizClass().NeedsSeveralWaves(); }
  int Kind() const { return WizClass().Kind; }

  // ---- Parameters a kind's constructor adds
  // A new target-group parameter.
  virtual TPelParGroups* AddGroupsParameter();
  // A new target-group parameter showing the alternative pane (several groups at once).
  virtual TPelParGroups* AddGroupsParameterVariant();
  // Two new target-group parameters; the second is returned.
  virtual TPelParGroups* AddTwoGroupsParameters();
  // A new waves parameter when the survey has more than one wave; null otherwise.
  virtual TPelPar* AddWavesParameter();
  // Par appended to the parameter list; returned.
  TPelPar* AddPar(std::unique_ptr<TPelPar> Par);

  // ---- Texts
  // The family's caption in the session's language.
  virtual std::string GetFamilyCaption() const = 0;
  // The long description in the session's language, each "\n" a line break (CR LF).
  virtual std::string GetDescription() const = 0;
  // The bilingual short name (not translated).
  virtual std::string GetName() const;
  // The short name in the session's language, each "\n" a line break (CR LF).
  std::string GetTranslatedName() const;

  // ---- Building an analysis
  // Creates the analysis's tables and places the analysis's parameters in them.
  virtual void BuildTables(TPelRepElemAnalysis& Analysis) {}
  // A kind's finishing touches on a built analysis (default sorts, labels); building an
  // analysis from a template does not call it.
  virtual void FinishAnalysis(TPelRepElemAnalysis& Analysis) {}
  // The second target-group parameter of the analysis merges into the first: its groups
  // become further groups of the first, and it is removed.
  void MergeGroupsParameters(TPelRepElemAnalysis& Analysis);
};

// Declares, in the body of a concrete template class, its class record and copy.
#define QUIN_WIZ_CLASS(Class)                                                                   \
 public:                                                                                        \
  const ::quin::TPelWizClass& WizClass() const override { return ::quin::WizClassOf<Class>(); } \
  std::unique_ptr<::quin::TOrvObject> CreateCopy() const override {                             \
    return std::unique_ptr<::quin::TOrvObject>(new Class(*this));                               \
  }

// ---- Families: their captions

class TPelWizGen : public TPelWiz {
  QUIN_CLASS(TPelWizGen, TPelWiz)
 public:
  using TPelWiz::TPelWiz;
  std::string GetFamilyCaption() const override;
};

class TPelWizRadio : public TPelWiz {
  QUIN_CLASS(TPelWizRadio, TPelWiz)
 public:
  using TPelWiz::TPelWiz;
  std::string GetFamilyCaption() const override;
};

class TPelWizPress : public TPelWiz {
  QUIN_CLASS(TPelWizPress, TPelWiz)
 public:
  using TPelWiz::TPelWiz;
  std::string GetFamilyCaption() const override;
};

// The press media-plan kinds (28-30).
class TPelWizPressMP : public TPelWizPress {
  QUIN_CLASS(TPelWizPressMP, TPelWizPress)
 public:
  using TPelWizPress::TPelWizPress;
  std::string GetFamilyCaption() const override;
};

class TPelWizTV : public TPelWiz {
  QUIN_CLASS(TPelWizTV, TPelWiz)
 public:
  using TPelWiz::TPelWiz;
  std::string GetFamilyCaption() const override;
};

// ---- The templates a survey offers

class TPelWizList : public TOrvTypedList<TPelWiz> {
  QUIN_CLASS(TPelWizList, TOrvObjectList)
 public:
  // The templates of the enabled kinds that Survey offers (its media, its waves, its grid
  // questions), in the page's order: TV, radio, press, the general kinds. Raises
  // EPelNoValidWizards when none is offered.
  TPelWizList(TPelSurvey* ASurvey, const std::array<bool, WizKindCount>& AEnabled);
  TPelWizList(const TPelWizList&) = default;
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TPelWizList(*this));
  }

  std::array<bool, WizKindCount> Enabled{};
  TPelSurvey* Survey = nullptr;  // not owned

  // List cleared, then a copy of each template parameter whose exact class List does not
  // hold yet, in template and parameter order.
  void CollectParameters(TPelParList& List) const;
  // Deletes, last to first, the templates whose class does not accept Mode.
  void DropRejected(int Mode);
  // Each template, last to first, drops the parameters Mode does not offer; a template left
  // without parameters is deleted.
  void DropUnavailable(int Mode);
  // The first template of Kind; null when none.
  TPelWiz* FindKind(int Kind) const;

 private:
  // A new template of Kind when it is enabled, installed and its waves condition holds.
  void AddKind(int Kind, bool SeveralWaves);
};

// The survey's template list; null before it was built.
TPelWizList* PelWizList(const TPelSurvey& Survey);
// Installs the builder of the surveys' template lists (start-up).
void RegisterWizBuilder();

}  // namespace quin
