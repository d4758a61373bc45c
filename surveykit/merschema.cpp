#include "surveykit/merschema.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "base/systemlocale.h"
#include "base/text.h"
#include "base/urlprobe.h"
#include "surveykit/merenviron.h"
#include "surveykit/mermessages.h"
#include "surveykit/merrecset.h"
#include "surveykit/mersurvey.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TRixDefLanguages, TRixDefSimpleIdentifier)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TMerEnvironDef, TRixDefComplex)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TMerStatsDef, TRixDefSimpleEnum)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TMerInfoStatsDef, TMerStatsDef)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TMerRecsetStatsDef, TMerStatsDef)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TMerWizDef, TRixDefSimpleEnum)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TMerInfoPageDef, TRixDefComplex)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TMerInfoDef, TRixDefComplex)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TMerFilesDef, TRixDefComplex)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TMerRecsetDef, TRixDefComplex)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TMerSurveyParser, TRixParser)

namespace {

constexpr TRixDefFlags kOnce = rdfOnce;
constexpr TRixDefFlags kMandatoryOnce = rdfMandatory | rdfOnce;
constexpr TRixDefFlags kUniqueList = rdfOnce | rdfList | rdfUnique;

// The first value token of a simple node; null when none was taken.
const TOrvToken* FirstValue(const TRixNode* Node) {
  const auto* S = As<TRixNodeSimple>(Node);
  return S && S->Values().Count() > 0 ? S->Values().GetItem(0) : nullptr;
}

TOrvTextPos KeyPos(const TRixNode* Node) {
  return Node && Node->KeyToken() ? Node->KeyToken()->StartPos : TOrvTextPos{};
}

void AddWarnings(TRixScanner* Scanner, const std::vector<const TOrvMsgClass*>& Warnings,
                 const TOrvTextPos& At) {
  for (const TOrvMsgClass* W : Warnings) Scanner->AddMsgAt(*W, At);
}

// The languages in which a text of the definition is checked: those of the reading's manager,
// or one pass untranslated ("") without languages.
std::vector<std::string> CheckLanguages(const TOrvLangManager* M) {
  if (!M || M->Languages().empty()) return {""};
  return M->Languages();
}

std::string InLanguage(const TOrvLangManager* M, const std::string& Lang, const std::string& T) {
  return Lang.empty() ? T : M->TranslateTo(T, Lang);
}

}  // namespace

std::string DefinitionDirOf(std::string_view FileName) {
  const size_t P = FileName.find_last_of("/\\");
  return P == std::string_view::npos ? std::string() : std::string(FileName.substr(0, P + 1));
}

// ---- environ

bool TRixDefLanguages::CheckValue(const TOrvToken& Token) {
  if (!TRixDefSimpleIdentifier::CheckValue(Token)) return false;
  if (!LanguageDisplayName(Token.GetText()).empty()) return true;
  Scanner->AddMsgAt(TMerError_UnknownLanguage, Token.StartPos);
  return false;
}

TMerEnvironDef::TMerEnvironDef() : TRixDefComplex("environ", kMandatoryOnce, "", "Mer") {
  AddDef(std::make_unique<TRixDefLanguages>("languages", rdfMandatory | kUniqueList));
  OnParsed = [this](TRixNode*, TObject* Target) {
    if (auto* Env = As<TMerEnviron>(Target)) Env->ApplyLanguages();
    EnvironHook();
  };
}

// ---- statistic keys and templates

TMerStatsDef::TMerStatsDef(std::string_view AKey) : TRixDefSimpleEnum(AKey, kUniqueList, "") {
  for (const char* K : MerStatKeys) AddName(K);
}

void TMerInfoStatsDef::ApplyValue(TObject& Target, const TOrvToken& Token) {
  auto* Info = As<TMerInfo>(&Target);
  if (!Info) return;
  std::vector<const TOrvMsgClass*> Warnings;
  if (UpperKey == "ADVSTATS")
    Info->SelectAdvStats(Token.GetText(), Warnings);
  else
    Info->SelectStdStats(Token.GetText(), Warnings);
  AddWarnings(Scanner, Warnings, Token.StartPos);
}

void TMerRecsetStatsDef::ApplyValue(TObject& Target, const TOrvToken& Token) {
  auto* Recset = As<TMerRecset>(&Target);
  // Only record sets that a survey holds; the survey link comes after the block.
  if (!Recset || !As<TMerSurvey>(Recset->Owner)) return;
  bool Repeated = false;
  for (int K : SelectStatKinds(Token.GetText())) {
    if (std::find(Recset->Stats.begin(), Recset->Stats.end(), K) != Recset->Stats.end())
      Repeated = true;
    else
      Recset->Stats.push_back(K);
  }
  if (Repeated) Scanner->AddMsgAt(TMerWarning_StatAlreadyDefined, Token.StartPos);
}

TMerWizDef::TMerWizDef() : TRixDefSimpleEnum("wizards", rdfMandatory | kUniqueList, "") {
  for (const TMerWizKindInfo& K : MerWizKinds) AddName(K.ID);
  for (const TMerWizKindArrInfo& G : MerWizGroups) AddName(G.ID);
}

void TMerWizDef::ApplyValue(TObject& Target, const TOrvToken& Token) {
  auto* Info = As<TMerInfo>(&Target);
  if (!Info) return;
  std::vector<const TOrvMsgClass*> Warnings;
  Info->EnableWizards(Token.GetText(), Warnings);
  AddWarnings(Scanner, Warnings, Token.StartPos);
}

// ---- infopage

TMerInfoPageDef::TMerInfoPageDef(std::string_view AFileName)
    : TRixDefComplex("infopage", rdfSelfNesting, "InfoPage", "Mer"), FileName(AFileName) {
  AddDef(std::make_unique<TRixDefSimpleStringShort>("name", kMandatoryOnce | rdfNotBlank));
  AddDef(std::make_unique<TRixDefSimpleStringShort>("addr", kOnce | rdfNotBlank));
  AddDef(std::make_unique<TRixDefSimpleStringShort>("file", kOnce | rdfNotBlank, "FileName"));
  AddDef(std::make_unique<TRixDefSimpleStringLong>("text", kOnce | rdfNotBlank));
  AddDef(std::make_unique<TRixDefSimpleBoolean>("openInNewWindow", kOnce));
  OnParsed = [this](TRixNode* Node, TObject* Target) { PageParsed(Node, Target); };
}

void TMerInfoPageDef::PageParsed(TRixNode* Node, TObject*) {
  auto* Block = As<TRixNodeComplex>(Node);
  if (!Block) return;
  const TRixNode* AddrNode = Block->FindChild("addr");
  const TRixNode* FileNode = Block->FindChild("file");
  const TRixNode* TextNode = Block->FindChild("text");
  const TOrvToken* Addr = FirstValue(AddrNode);
  const TOrvToken* File = FirstValue(FileNode);
  const TOrvLangManager* M = Lang();
  if (Addr && !File && !Addr->GetText().empty()) {
    for (const std::string& L : CheckLanguages(M)) {
      if (!URLExists(InLanguage(M, L, Addr->GetText()))) {
        Scanner->AddMsgAt(TMerWarning_AddrNotFound, Addr->StartPos);
        break;
      }
    }
  }
  if (File && !Addr && !File->GetText().empty()) {
    const std::string Dir = DefinitionDirOf(FileName);
    for (const std::string& L : CheckLanguages(M)) {
      std::string Path;
      if (!ResolveSurveyFile(Dir, InLanguage(M, L, File->GetText()), Path)) {
        Scanner->AddMsgAt(TMerError_FileOutsideSurvey, File->StartPos);
        break;
      }
      std::error_code EC;
      if (!std::filesystem::is_regular_file(Path, EC)) {
        Scanner->AddMsgAt(TMerWarning_FileNotFound, File->StartPos);
        break;
      }
    }
  }
  const int Given = (AddrNode ? 1 : 0) + (FileNode ? 1 : 0) + (TextNode ? 1 : 0);
  const TOrvTextPos EndPos = Block->EndToken() ? Block->EndToken()->StartPos : Scanner->Pos;
  if (Given > 1)
    Scanner->AddMsgAt(TMerError_InfoPageTextAndAddr, EndPos);
  else if (Given == 0 && !Block->FindChild("infopage"))
    Scanner->AddMsgAt(TMerError_InfoPageEmpty, EndPos);
}

// ---- survey

TMerInfoDef::TMerInfoDef(std::string_view AFileName)
    : TRixDefComplex("survey", kMandatoryOnce, "Info", "Mer"), FileName(AFileName) {
  AddDef(std::make_unique<TRixDefSimpleIdentifier>("namespace", kMandatoryOnce));
  AddDef(std::make_unique<TRixDefSimpleIdentifier>("id", kMandatoryOnce));
  AddDef(std::make_unique<TRixDefSimpleStringShort>("name", kMandatoryOnce | rdfNotBlank));
  AddDef(std::make_unique<TMerWizDef>());
  AddDef(std::make_unique<TRixDefSimpleStringShort>("owner", kOnce | rdfNotBlank));
  AddDef(std::make_unique<TRixDefSimpleBoolean>("demo", kOnce));
  AddDef(std::make_unique<TRixDefSimpleBoolean>("excludeSysMis", kOnce));
  auto Hide = std::make_unique<TRixDefSimpleEnum>("hideRowsCols", kOnce, "hrc");
  for (const char* N : {"off", "base", "values"}) Hide->AddName(N);
  AddDef(std::move(Hide));
  auto* Icon = AddDef(std::make_unique<TRixDefSimpleStringShort>("icon", kOnce));
  Icon->OnParsed = [this](TRixNode* Node, TObject* Target) { IconParsed(Node, Target); };
  AddDef(std::make_unique<TRixDefSimpleStringShort>("logo", kOnce));
  auto Placement = std::make_unique<TRixDefSimpleEnum>("logoPlacement", kOnce | rdfDeprecated, "");
  for (const char* N : {"statusbar", "surveyManager"}) Placement->AddName(N);
  AddDef(std::move(Placement));
  AddDef(std::make_unique<TMerInfoPageDef>(AFileName));
  AddDef(std::make_unique<TRixDefSimpleIdentifier>("version", kOnce | rdfDeprecated));
  AddDef(std::make_unique<TRixDefSimpleBoolean>("fixedRecordsets", kOnce));
  AddDef(std::make_unique<TMerInfoStatsDef>("stdStats"));
  AddDef(std::make_unique<TMerInfoStatsDef>("advStats"));
  OnParsed = [this](TRixNode* Node, TObject* Target) { InfoParsed(Node, Target); };
}

void TMerInfoDef::IconParsed(TRixNode* Node, TObject* Target) {
  auto* Info = As<TMerInfo>(Target);
  const TOrvToken* Value = FirstValue(Node);
  if (!Info || !Value) return;
  Info->IconImage.clear();
  std::string Path;
  if (!ResolveSurveyFile(DefinitionDirOf(FileName), Value->GetText(), Path)) {
    Scanner->AddMsgAt(TMerError_FileOutsideSurvey, Value->StartPos);
    return;
  }
  if (!LoadIconImage(Path, Info->IconImage))
    Scanner->AddMsgAt(TMerWarning_FileNotFound, Value->StartPos);
}

void TMerInfoDef::InfoParsed(TRixNode* Node, TObject*) {
  auto* Block = As<TRixNodeComplex>(Node);
  if (!Block) return;
  if (const TRixNode* Placement = Block->FindChild("logoPlacement"))
    if (!Block->FindChild("logo"))
      Scanner->AddMsgAt(TMerError_LogoPlacementWithoutLogo, KeyPos(Placement));

  // Repeated values among all pages of the tree, per field group.
  struct TValue {
    std::string Text;
    TOrvTextPos At;  // the key of the page's field
  };
  std::vector<TValue> Addrs, Names, Texts;
  std::vector<const TRixNodeComplex*> Stack{Block};
  while (!Stack.empty()) {
    const TRixNodeComplex* B = Stack.back();
    Stack.pop_back();
    for (int I = 0; I < B->Children().Count(); ++I) {
      const auto* Page = As<TRixNodeComplex>(B->Children().GetItem(I));
      if (!Page || !Page->KeyToken() || !SameText(Page->KeyToken()->GetText(), "infopage"))
        continue;
      Stack.push_back(Page);
      for (int J = 0; J < Page->Children().Count(); ++J) {
        const TRixNode* F = Page->Children().GetItem(J);
        const TOrvToken* V = FirstValue(F);
        if (!V || !F->KeyToken()) continue;
        std::string T = V->GetText();
        const size_t B0 = T.find_first_not_of(" \t\r\n");
        if (B0 == std::string::npos) continue;
        T = T.substr(B0, T.find_last_not_of(" \t\r\n") - B0 + 1);
        const std::string K = F->KeyToken()->GetText();
        if (SameText(K, "addr") || SameText(K, "file"))
          Addrs.push_back({T, KeyPos(F)});
        else if (SameText(K, "name"))
          Names.push_back({T, KeyPos(F)});
        else if (SameText(K, "text"))
          Texts.push_back({T, KeyPos(F)});
      }
    }
  }
  std::vector<TOrvTextPos> Warn;
  for (std::vector<TValue>* Group : {&Addrs, &Names, &Texts}) {
    std::stable_sort(Group->begin(), Group->end(), [](const TValue& A, const TValue& B) {
      return A.Text < B.Text || (A.Text == B.Text && A.At.Offset < B.At.Offset);
    });
    for (size_t I = 1; I < Group->size(); ++I)
      if ((*Group)[I].Text == (*Group)[I - 1].Text) Warn.push_back((*Group)[I].At);
  }
  std::sort(Warn.begin(), Warn.end(),
            [](const TOrvTextPos& A, const TOrvTextPos& B) { return A.Offset < B.Offset; });
  for (const TOrvTextPos& At : Warn) Scanner->AddMsgAt(TMerWarning_ValueRepeated, At);
}

// ---- recordset

TMerFilesDef::TMerFilesDef() : TRixDefComplex("files", kMandatoryOnce, "", "Mer") {
  auto Format = std::make_unique<TRixDefSimpleEnum>("colSpecFormat", 0, "");
  for (const char* N : {"simple", "sps"}) Format->AddName(N);
  AddDef(std::move(Format));
  AddDef(std::make_unique<TRixDefSimpleStringShort>("colSpec", rdfMandatory | rdfNotBlank));
  AddDef(std::make_unique<TRixDefSimpleStringShort>("dataFile", rdfMandatory | rdfNotBlank));
}

TMerRecsetDef::TMerRecsetDef(std::string_view AFileName)
    : TRixDefComplex("recordset", rdfMandatory, "Recset", "Mer"), FileName(AFileName) {
  AddDef(std::make_unique<TRixDefSimpleIdentifier>("id", kMandatoryOnce));
  AddDef(std::make_unique<TRixDefSimpleStringShort>("name", kMandatoryOnce | rdfNotBlank));
  AddDef(std::make_unique<TRixDefSimpleStringShort>("nick", kOnce | rdfNotBlank));
  AddDef(std::make_unique<TRixDefSimpleStringLong>("info", kOnce | rdfNotBlank));
  AddDef(std::make_unique<TRixDefSimpleIdentifier>("join", kOnce));
  AddDef(std::make_unique<TRixDefSimpleBoolean>("hidden", kOnce));
  AddDef(std::make_unique<TMerRecsetStatsDef>("stats"));
  OnParsed = [](TRixNode*, TObject* Target) {
    auto* Recset = As<TMerRecset>(Target);
    if (auto* Survey = Recset ? As<TMerSurvey>(Recset->Owner) : nullptr) Survey->LinkRecsets();
  };
}

void TMerRecsetDef::AfterConstruction() {
  TRixDefComplex::AfterConstruction();
  AddDefObject(CreateFilesDef());
}

std::unique_ptr<TRixDefComplex> TMerRecsetDef::CreateFilesDef() {
  return std::make_unique<TMerFilesDef>();
}

// ---- parser

TMerSurveyParser::TMerSurveyParser(std::string_view AFileName)
    : TRixParser(true), FileName(AFileName) {}

void TMerSurveyParser::AfterConstruction() {
  TRixParser::AfterConstruction();
  Root().AddDef(std::make_unique<TMerEnvironDef>());
  Root().AddDefObject(CreateInfoDef());
  Root().AddDefObject(CreateRecsetDef());
  SetStrict(true);
}

std::unique_ptr<TRixDefComplex> TMerSurveyParser::CreateInfoDef() {
  return std::make_unique<TMerInfoDef>(FileName);
}

std::unique_ptr<TRixDefComplex> TMerSurveyParser::CreateRecsetDef() {
  return New<TMerRecsetDef>(FileName);
}

}  // namespace quin
