// The survey as a whole: its environment (the languages its texts are written in, with the
// survey's own language manager) and its info (identity, display options, information pages,
// the statistic kinds and analysis templates it offers).
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "base/langmanager.h"
#include "base/orvclasses.h"
#include "surveykit/gimstat.h"
#include "surveykit/merkeys.h"

namespace quin {

class TOrvMsgList;
struct TOrvMsgClass;

// The survey's language manager: it knows only the languages that the "environ" block gives.
class TGimLangManager : public TOrvLangManager {
  QUIN_CLASS(TGimLangManager, TOrvLangManager)
 public:
  void RegisterLanguages() override {}
};

class TMerEnviron : public TOrvPersistent {
  QUIN_CLASS(TMerEnviron, TOrvPersistent)
 public:
  TMerEnviron();
  std::vector<std::string> LanguagesList;  // as written in the definition
  std::unique_ptr<TGimLangManager> LangManager;

  // The end of the "environ" block: duplicates leave LanguagesList (case ignored, the first
  // kept), the manager receives the list as its languages and selects the system's language.
  void ApplyLanguages();
};

// One information page: its text, the page at its address, or a file; or only sub-pages.
class TMerInfoPage : public TOrvTreeNode {
  QUIN_CLASS(TMerInfoPage, TOrvTreeNode)
 public:
  TMerInfoPage() = default;
  std::string Name;  // bilingual
  std::string Addr;  // an internet address, or a file name on a file page
  bool IsFile = false;
  bool OpenInNewWindow = false;
  std::string Text;  // bilingual
  // A page created by class with its owner: below that page, or at the top of that info.
  void SetCreationOwner(TObject* AOwner) override;
  // Writes Addr and marks the page as a file page.
  void SetFileName(std::string_view AName);
  TMerInfoPage* Page(int Index) const { return As<TMerInfoPage>(Children().Items(Index)); }
  int PageCount() const { return Children().Count(); }
};

enum TMerHideRowsCols { hrcOff, hrcBase, hrcValues };

class TMerInfo : public TOrvPersistent {
  QUIN_CLASS(TMerInfo, TOrvPersistent)
 public:
  TMerInfo();
  // The std/adv lists point into this info's own catalogue.
  TMerInfo(const TMerInfo&) = delete;
  TMerInfo& operator=(const TMerInfo&) = delete;
  std::string ID;
  std::string Namespace;
  std::string Name;       // bilingual
  std::string DataOwner;  // bilingual; published as "Owner"
  bool Demo = false;
  bool ExcludeSysMis = false;
  bool FixedRecordsets = false;
  TMerHideRowsCols HideRowsCols = hrcOff;
  std::string Icon;  // relative to the definition's folder
  std::string Logo;
  // The page tree; its invisible root's children are the top-level pages (InfoPageList).
  TOrvTree PageTree;
  TMerInfoPage& RootPage() const { return static_cast<TMerInfoPage&>(*PageTree.Root()); }
  // The icon file's bytes once loaded and recognised; empty otherwise.
  TDynByteArr IconImage;

  // One instance of each of the 20 statistic kinds, in catalogue order (cntA, cntW, pctLayer,
  // ..., indCol).
  TGimStatList StatCatalogue{true};
  // The standard and the advanced kinds offered to users: kinds of the catalogue, in the
  // order they were selected.
  TGimStatList StdStatList{false};
  TGimStatList AdvStatList{false};
  // The same kinds as catalogue indices (0..19, the order of MerStatKeys).
  std::vector<int> StdStats;
  std::vector<int> AdvStats;
  // One flag per template kind.
  std::array<bool, WizKindCount> WizEnabled{};

  // Enables the kinds that Key (a kind or group key, case ignored) names; Warnings receives
  // the warnings that go with it. False for an unknown key.
  bool EnableWizards(std::string_view Key, std::vector<const TOrvMsgClass*>& Warnings);
  // Selects the kinds that Key names into the standard / advanced list.
  bool SelectStdStats(std::string_view Key, std::vector<const TOrvMsgClass*>& Warnings);
  bool SelectAdvStats(std::string_view Key, std::vector<const TOrvMsgClass*>& Warnings);
};

// Loads an icon file's bytes when they are an image the platform knows (ICO, BMP, GIF, PNG,
// JPEG by signature); false when the file cannot be read or is no such image.
bool LoadIconImage(const std::string& Path, TDynByteArr& Bytes);

// Resolves a file name taken from a definition against the definition's folder Dir: "\"
// counts as a separator; an absolute name or one that climbs out of Dir is refused (false).
// On success Path is the joined, normalised name; an existing file is found also when only
// the letter case of the name differs.
bool ResolveSurveyFile(const std::string& Dir, std::string_view Name, std::string& Path);

}  // namespace quin
