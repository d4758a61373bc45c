#include "surveykit/merenviron.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/orvmessages.h"
#include "base/properties.h"
#include "base/text.h"
#include "surveykit/mermessages.h"

namespace quin {

namespace {

void DescribeEnviron(TPropTableBuilder<TMerEnviron>& P) {
  P.StringList("LanguagesList", &TMerEnviron::LanguagesList);
}

TPropInfo PageListProperty(std::function<TObject*(const TObject&)> Get) {
  TPropInfo P;
  P.Name = "InfoPageList";
  P.Kind = TPropKind::ObjectList;
  P.ObjectClass = &TMerInfoPage::StaticClass();
  P.GetObject = std::move(Get);
  return P;
}

void DescribeInfoPage(TPropTableBuilder<TMerInfoPage>& P) {
  P.Text("Name", &TMerInfoPage::Name);
  P.Text("Addr", &TMerInfoPage::Addr);
  TPropInfo F;
  F.Name = "FileName";
  F.Kind = TPropKind::Text;
  F.GetText = [](const TObject& O) { return static_cast<const TMerInfoPage&>(O).Addr; };
  F.SetText = [](TObject& O, std::string_view V) {
    static_cast<TMerInfoPage&>(O).SetFileName(V);
    return true;
  };
  P.Custom(std::move(F));
  P.Bool("OpenInNewWindow", &TMerInfoPage::OpenInNewWindow);
  P.Text("Text", &TMerInfoPage::Text);
  P.Custom(PageListProperty([](const TObject& O) -> TObject* {
    return &static_cast<const TMerInfoPage&>(O).Children();
  }));
}

void DescribeInfo(TPropTableBuilder<TMerInfo>& P) {
  P.Text("ID", &TMerInfo::ID);
  P.Text("Namespace", &TMerInfo::Namespace);
  P.Text("Name", &TMerInfo::Name);
  P.Text("Owner", &TMerInfo::DataOwner);
  P.Bool("Demo", &TMerInfo::Demo);
  P.Bool("ExcludeSysMis", &TMerInfo::ExcludeSysMis);
  P.Bool("FixedRecordsets", &TMerInfo::FixedRecordsets);
  P.Enum("HideRowsCols", &TMerInfo::HideRowsCols, {"hrcOff", "hrcBase", "hrcValues"});
  P.Text("Icon", &TMerInfo::Icon);
  P.Text("Logo", &TMerInfo::Logo);
  P.Custom(PageListProperty([](const TObject& O) -> TObject* {
    return &static_cast<const TMerInfo&>(O).RootPage().Children();
  }));
}

bool Contains(const std::vector<int>& V, int K) {
  return std::find(V.begin(), V.end(), K) != V.end();
}

}  // namespace

QUIN_IMPLEMENT_CLASS(TGimLangManager, TOrvLangManager)
QUIN_IMPLEMENT_CLASS_WITH_PROPS(TMerEnviron, TOrvPersistent, DescribeEnviron)
QUIN_IMPLEMENT_CLASS_WITH_PROPS(TMerInfoPage, TOrvTreeNode, DescribeInfoPage)
QUIN_IMPLEMENT_CLASS_WITH_PROPS(TMerInfo, TOrvPersistent, DescribeInfo)

// ---- TMerEnviron

TMerEnviron::TMerEnviron() : LangManager(New<TGimLangManager>()) {}

void TMerEnviron::ApplyLanguages() {
  std::vector<std::string> Unique;
  for (const std::string& L : LanguagesList) {
    const bool Seen = std::any_of(Unique.begin(), Unique.end(),
                                  [&](const std::string& U) { return SameText(U, L); });
    if (!Seen) Unique.push_back(L);
  }
  LanguagesList = std::move(Unique);
  // The manager stays the same object: readers hold it while the definition is read.
  for (const std::string& L : LanguagesList) LangManager->AddLanguage(L);
  LangManager->SetSystemLanguage();
}

// ---- TMerInfoPage

void TMerInfoPage::SetCreationOwner(TObject* AOwner) {
  if (auto* Page = As<TMerInfoPage>(AOwner))
    Owner = Page;
  else if (auto* Info = As<TMerInfo>(AOwner))
    Owner = &Info->RootPage();
  else
    Owner = nullptr;
  if (Parent()) Tree = Parent()->Tree;
}

void TMerInfoPage::SetFileName(std::string_view AName) {
  Addr = std::string(AName);
  IsFile = true;
}

// ---- TMerInfo

TMerInfo::TMerInfo() {
  PageTree.SetRoot(New<TMerInfoPage>());
  for (const TGimStatKind& K : GimStatKinds()) StatCatalogue.Add(K.Create());
}

bool TMerInfo::EnableWizards(std::string_view Key, std::vector<const TOrvMsgClass*>& Warnings) {
  const int Kind = FindWizKind(Key);
  if (Kind >= 0) {
    if (WizEnabled[Kind]) Warnings.push_back(&TMerWarning_WizDefinedByGroup);
    WizEnabled[Kind] = true;
    return true;
  }
  const int Group = FindWizGroup(Key);
  if (Group < 0) return false;
  for (int K = MerWizGroups[Group].First; K <= MerWizGroups[Group].Last; ++K) {
    if (WizEnabled[K]) Warnings.push_back(&TMerWarning_WizGroupOverrides);
    WizEnabled[K] = true;
  }
  return true;
}

bool TMerInfo::SelectStdStats(std::string_view Key, std::vector<const TOrvMsgClass*>& Warnings) {
  const std::vector<int> Kinds = SelectStatKinds(Key);
  for (int K : Kinds) {
    if (Contains(AdvStats, K)) Warnings.push_back(&TMerWarning_StatInAdvStats);
    if (Contains(StdStats, K)) {
      Warnings.push_back(&TMerWarning_StatAlreadyDefined);
    } else {
      StdStats.push_back(K);
      StdStatList.Add(StatCatalogue.GetItem(K));
    }
  }
  return !Kinds.empty();
}

bool TMerInfo::SelectAdvStats(std::string_view Key, std::vector<const TOrvMsgClass*>& Warnings) {
  const std::vector<int> Kinds = SelectStatKinds(Key);
  for (int K : Kinds) {
    if (Contains(AdvStats, K)) {
      Warnings.push_back(&TMerWarning_StatAlreadyDefined);
    } else {
      AdvStats.push_back(K);
      AdvStatList.Add(StatCatalogue.GetItem(K));
    }
    if (Contains(StdStats, K)) Warnings.push_back(&TMerWarning_StatInStdStats);
  }
  return !Kinds.empty();
}

// ---- Files named by the definition

bool LoadIconImage(const std::string& Path, TDynByteArr& Bytes) {
  Bytes.clear();
  std::error_code EC;
  if (!std::filesystem::is_regular_file(Path, EC)) return false;
  const auto Size = std::filesystem::file_size(Path, EC);
  constexpr std::uintmax_t MaxIconSize = 16u << 20;
  if (EC || Size < 4 || Size > MaxIconSize) return false;
  std::ifstream In(Path, std::ios::binary);
  TDynByteArr Data(static_cast<size_t>(Size));
  if (!In.read(reinterpret_cast<char*>(Data.data()), static_cast<std::streamsize>(Size)))
    return false;
  auto Starts = [&](std::initializer_list<uint8_t> Sig) {
    return Data.size() >= Sig.size() && std::equal(Sig.begin(), Sig.end(), Data.begin());
  };
  const bool Known = Starts({0x00, 0x00, 0x01, 0x00}) || Starts({'B', 'M'}) ||
                     Starts({'G', 'I', 'F', '8'}) || Starts({0x89, 'P', 'N', 'G'}) ||
                     Starts({0xFF, 0xD8, 0xFF});
  if (!Known) return false;
  Bytes = std::move(Data);
  return true;
}

bool ResolveSurveyFile(const std::string& Dir, std::string_view Name, std::string& Path) {
  namespace fs = std::filesystem;
  std::string N(Name);
  std::replace(N.begin(), N.end(), '\\', '/');
  if (N.empty() || N[0] == '/' || (N.size() >= 2 && N[1] == ':')) return false;
  const fs::path Rel = fs::path(N).lexically_normal();
  if (Rel.empty() || Rel.is_absolute()) return false;
  for (const fs::path& Part : Rel)
    if (Part == "..") return false;
  fs::path Base = fs::path(Dir.empty() ? "." : Dir);
  fs::path Result = Base;
  // Each part as written, else the one entry of the folder that differs only in case.
  for (const fs::path& Part : Rel) {
    fs::path Next = Result / Part;
    std::error_code EC;
    if (!fs::exists(Next, EC) && fs::is_directory(Result, EC)) {
      for (const auto& E : fs::directory_iterator(Result, EC)) {
        if (SameText(E.path().filename().string(), Part.string())) {
          Next = E.path();
          break;
        }
      }
    }
    Result = std::move(Next);
  }
  Path = Result.string();
  return true;
}

}  // namespace quin
