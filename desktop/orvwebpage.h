// The static page generator: bilingual XHTML pages described by XML files, each knowing its
// parent page, writing its head and body frame into indented lines. The server uses its
// content-language meta line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/metaclass.h"

namespace quin {

// '<meta http-equiv="content-language" content="pl" />' ("en" in English).
std::string GetContentLanguageMeta();

class TOrvWebPage;
// Pages searched by name; the list owns none of them.
using TOrvWebPageList = std::vector<TOrvWebPage*>;

class TOrvWebPage : public TObject {
  QUIN_CLASS(TOrvWebPage, TObject)
 public:
  explicit TOrvWebPage(std::string AName = {}, TOrvWebPage* AParent = nullptr);
  ~TOrvWebPage() override;  // NOLINT(bugprone-exception-escape): see the definition
  void AfterConstruction() override { SetParent(FCreateParent); }

  std::vector<TOrvWebPage*> Children;  // not owned
  std::string XmlDir;
  std::string Name;
  std::string ExtraHead;
  bool Highslide = false;
  bool Mapped = true;
  std::vector<std::string> Lines;
  int Indent = 0;
  std::string SubmenuTitle, SuperTitle, Title, Image;

  TOrvWebPage* ParentPage() const { return FParent; }
  void SetParent(TOrvWebPage* Page);

  // Appends Text; raises Exception "Embedded ... in page text." on a 0x85 character.
  void Emit(std::string_view Text, int IndentDelta = 0, bool TrimLines = false);

  virtual void WriteDocType();
  virtual void WriteTopAnchor();
  virtual void WriteBodyEnd();
  virtual void WriteBodyStart();
  virtual void WriteHeadMeta();
  virtual std::string GetAuthor() const;
  virtual std::string GetBodyTag() const { return "<body>"; }
  virtual std::string GetDescription() const { return {}; }
  virtual std::string GetTitle() const;
  virtual std::string GetGenerator() const { return "Orv Web Generator"; }
  virtual std::string GetKeywords() const { return {}; }
  virtual std::string GetSiteName() const { return {}; }
  virtual void ExpandLangExt(std::string& Text) const;
  // Reads the page's definition file (XmlDir + Name + ".xml"); a missing file changes nothing.
  virtual void LoadFromXml(const TOrvWebPageList& Pages);

  // The title of this page alone, translated, without line-break markers.
  std::string DisplayTitle() const;

 private:
  TOrvWebPage* FParent = nullptr;
  TOrvWebPage* FCreateParent;
};

TOrvWebPage* FindPage(const TOrvWebPageList& Pages, std::string_view Name);

}  // namespace quin
