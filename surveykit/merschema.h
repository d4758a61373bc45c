// The schema of a survey definition's header: the "environ", "survey" and "recordset" blocks,
// read by the schema parser into the survey's environment, info and record sets.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "deflang/rixdefs.h"
#include "deflang/rixparser.h"

namespace quin {

// The "languages" key: each code must be one the platform can name.
class TRixDefLanguages : public TRixDefSimpleIdentifier {
  QUIN_CLASS(TRixDefLanguages, TRixDefSimpleIdentifier)
 public:
  using TRixDefSimpleIdentifier::TRixDefSimpleIdentifier;
  bool CheckValue(const TOrvToken& Token) override;
};

// The "environ" block; at its end the survey's language manager receives the languages.
class TMerEnvironDef : public TRixDefComplex {
  QUIN_CLASS(TMerEnvironDef, TRixDefComplex)
 public:
  TMerEnvironDef();
  virtual void EnvironHook() {}
};

// The 28 statistic keys, once, as a unique list.
class TMerStatsDef : public TRixDefSimpleEnum {
  QUIN_CLASS(TMerStatsDef, TRixDefSimpleEnum)
 public:
  explicit TMerStatsDef(std::string_view AKey);
};

// "stdStats" / "advStats" of the survey info.
class TMerInfoStatsDef : public TMerStatsDef {
  QUIN_CLASS(TMerInfoStatsDef, TMerStatsDef)
 public:
  using TMerStatsDef::TMerStatsDef;
  void ApplyValue(TObject& Target, const TOrvToken& Token) override;
};

// "stats" of a record set.
class TMerRecsetStatsDef : public TMerStatsDef {
  QUIN_CLASS(TMerRecsetStatsDef, TMerStatsDef)
 public:
  using TMerStatsDef::TMerStatsDef;
  void ApplyValue(TObject& Target, const TOrvToken& Token) override;
};

// "wizards": template kind and group keys.
class TMerWizDef : public TRixDefSimpleEnum {
  QUIN_CLASS(TMerWizDef, TRixDefSimpleEnum)
 public:
  TMerWizDef();
  void ApplyValue(TObject& Target, const TOrvToken& Token) override;
};

// An "infopage" block (self-nesting); its end runs the page checks.
class TMerInfoPageDef : public TRixDefComplex {
  QUIN_CLASS(TMerInfoPageDef, TRixDefComplex)
 public:
  explicit TMerInfoPageDef(std::string_view AFileName);
  std::string FileName;

 private:
  void PageParsed(TRixNode* Node, TObject* Target);
};

// The "survey" block: the survey's info.
class TMerInfoDef : public TRixDefComplex {
  QUIN_CLASS(TMerInfoDef, TRixDefComplex)
 public:
  explicit TMerInfoDef(std::string_view AFileName);
  std::string FileName;
  // The checks at the end of the block.
  virtual void InfoParsed(TRixNode* Node, TObject* Target);

 private:
  void IconParsed(TRixNode* Node, TObject* Target);
};

// The "files" block of a record set: checked, stored nowhere.
class TMerFilesDef : public TRixDefComplex {
  QUIN_CLASS(TMerFilesDef, TRixDefComplex)
 public:
  TMerFilesDef();
};

// A "recordset" block; after each one the survey links its record sets.
class TMerRecsetDef : public TRixDefComplex {
  QUIN_CLASS(TMerRecsetDef, TRixDefComplex)
 public:
  explicit TMerRecsetDef(std::string_view AFileName);
  void AfterConstruction() override;
  std::string FileName;
  virtual std::unique_ptr<TRixDefComplex> CreateFilesDef();
};

// The header schema: "environ", "survey", "recordset", in this order.
class TMerSurveyParser : public TRixParser {
  QUIN_CLASS(TMerSurveyParser, TRixParser)
 public:
  // Create with New<T>(FileName): the definitions come from the virtual factories after
  // construction; the reading is strict.
  explicit TMerSurveyParser(std::string_view AFileName);
  void AfterConstruction() override;
  std::string FileName;
  virtual std::unique_ptr<TRixDefComplex> CreateInfoDef();
  virtual std::unique_ptr<TRixDefComplex> CreateRecsetDef();
};

// The folder of a definition file name with its trailing separator ("" without one).
std::string DefinitionDirOf(std::string_view FileName);

}  // namespace quin
