#include "desktop/orvwebpage.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

#include "base/exception.h"
#include "base/langmanager.h"
#include "base/orvstrings.h"
#include "base/text.h"

namespace quin {

namespace fs = std::filesystem;

QUIN_IMPLEMENT_CLASS(TOrvWebPage, TObject)

std::string GetContentLanguageMeta() {
  return "<meta http-equiv=\"content-language\" content=\"" +
         CurrentLangManager().TranslateText("<PLK>pl<ENU>en") + "\" />";
}

TOrvWebPage::TOrvWebPage(std::string AName, TOrvWebPage* AParent)
    : Name(std::move(AName)), FCreateParent(AParent) {}

// NOLINTNEXTLINE(bugprone-exception-escape): unlinking only erases from the parent's list
TOrvWebPage::~TOrvWebPage() {
  if (FParent) SetParent(nullptr);
  for (TOrvWebPage* C : Children)
    if (C->FParent == this) C->FParent = nullptr;
}

void TOrvWebPage::SetParent(TOrvWebPage* Page) {
  if (Page == FParent) return;
  // A page may not become its own ancestor.
  for (TOrvWebPage* P = Page; P; P = P->FParent)
    if (P == this) throw Exception("A page cannot be its own ancestor.");
  if (FParent) {
    auto& C = FParent->Children;
    C.erase(std::remove(C.begin(), C.end(), this), C.end());
  }
  FParent = Page;
  if (Page) Page->Children.push_back(this);
}

TOrvWebPage* FindPage(const TOrvWebPageList& Pages, std::string_view Name) {
  for (TOrvWebPage* P : Pages)
    if (P && P->Name == Name) return P;
  return nullptr;
}

namespace {
bool IsBlank(std::string_view S) {
  return std::all_of(S.begin(), S.end(), [](char C) { return C == ' ' || C == '\t' || C == '\r'; });
}
std::string TrimBlanks(std::string_view S) {
  std::size_t B = 0, E = S.size();
  while (B < E && (unsigned char)S[B] <= ' ') ++B;
  while (E > B && (unsigned char)S[E - 1] <= ' ') --E;
  return std::string(S.substr(B, E - B));
}
}  // namespace

void TOrvWebPage::Emit(std::string_view Text, int IndentDelta, bool TrimLines) {
  if (Text.find('\x85') != std::string_view::npos) throw Exception("Embedded ... in page text.");
  if (IndentDelta < 0) Indent = std::max(0, Indent + IndentDelta);
  std::vector<std::string> L;
  std::size_t Start = 0;
  for (;;) {
    std::size_t Nl = Text.find('\n', Start);
    std::string_view Line = Text.substr(Start, Nl == std::string_view::npos ? Nl : Nl - Start);
    if (!Line.empty() && Line.back() == '\r') Line.remove_suffix(1);
    L.emplace_back(Line);
    if (Nl == std::string_view::npos) break;
    Start = Nl + 1;
  }
  while (!L.empty() && IsBlank(L.front())) L.erase(L.begin());
  while (!L.empty() && IsBlank(L.back())) L.pop_back();
  if (L.empty()) {
    Lines.emplace_back();
  } else {
    for (std::string& S : L) {
      if (TrimLines) S = TrimBlanks(S);
      Lines.push_back(IsBlank(S) ? std::string() : std::string(Indent, '\t') + S);
    }
  }
  if (IndentDelta > 0) Indent += IndentDelta;
}

void TOrvWebPage::WriteDocType() {
  Emit(
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
      "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">");
}

void TOrvWebPage::WriteTopAnchor() { Emit("<a name=\"top\"></a>"); }
void TOrvWebPage::WriteBodyStart() { Emit(GetBodyTag()); }
void TOrvWebPage::WriteBodyEnd() { Emit("</body>"); }

void TOrvWebPage::WriteHeadMeta() {
  const TOrvLangManager& LM = CurrentLangManager();
  std::string Charset = LM.TranslateText("<PLK>ISO-8859-2<ENU>");
  if (!Charset.empty())
    Emit("<meta http-equiv=\"content-type\" content=\"text/html;charset=" + Charset + "\" />");
  else
    Emit("<meta http-equiv=\"content-type\" content=\"text/html\" />");
  Emit(GetContentLanguageMeta());
  std::string T = GetTitle();
  if (!T.empty()) Emit("<title>" + T + "</title>");
  std::string D = TrimBlanks(GetDescription());
  if (!D.empty()) Emit("<meta name =\"description\" content=\"" + D + "\" />");
  std::string K = TrimBlanks(GetKeywords());
  if (!K.empty()) Emit("<meta name =\"keywords\" content=\"" + K + "\" />");
  std::string A = GetAuthor();
  if (!A.empty()) Emit("<meta name=\"author\" content=\"" + A + "\" />");
  std::string G = GetGenerator();
  if (!G.empty()) Emit("<meta name=\"generator\" content=\"" + G + "\" />");
  if (!ExtraHead.empty()) Emit(ExtraHead);
}

std::string TOrvWebPage::GetAuthor() const {
  return CurrentLangManager().TranslateText("<PLK>Zespół Orvsoft<ENU>The Orvsoft team");
}

std::string TOrvWebPage::DisplayTitle() const {
  std::string T = CurrentLangManager().TranslateText(Title);
  for (const char* M : {"-[br /]", "-[br]"}) T = ReplaceText(T, M, "");
  for (const char* M : {"- [br /]", "- [br]"}) T = ReplaceText(T, M, "- ");
  for (const char* M : {"[br /]", "[br]"}) T = ReplaceText(T, M, " ");
  return T;
}

std::string TOrvWebPage::GetTitle() const {
  std::vector<const TOrvWebPage*> Chain;
  for (const TOrvWebPage* P = this; P; P = P->FParent) Chain.push_back(P);
  std::string R;
  std::string Site = CurrentLangManager().TranslateText(GetSiteName());
  if (!Site.empty()) R = Site + " - ";
  for (auto It = Chain.rbegin(); It != Chain.rend(); ++It) {
    if (It != Chain.rbegin()) R += " - ";
    R += (*It)->DisplayTitle();
  }
  return R;
}

void TOrvWebPage::ExpandLangExt(std::string& Text) const {
  const TOrvLangManager& LM = CurrentLangManager();
  std::string Ext =
      LM.TranslateText(".<PLK>po<ENU>en") + LM.TranslateText("<PLK>.cen<ENU>") + ".html";
  Text = ReplaceText(Text, "[langext]", Ext);
}

namespace {

struct TXmlDocFree {
  void operator()(xmlDoc* D) const { xmlFreeDoc(D); }
};

std::string NodeText(xmlNode* N) {
  xmlChar* V = xmlNodeGetContent(N);
  std::string S = V ? Cp1250(reinterpret_cast<const char*>(V)) : std::string();
  xmlFree(V);
  return TrimBlanks(S);
}

bool HasElementChildren(xmlNode* N) {
  for (xmlNode* C = N->children; C; C = C->next)
    if (C->type == XML_ELEMENT_NODE) return true;
  return false;
}

xmlNode* Child(xmlNode* N, const char* Name) {
  for (xmlNode* C = N->children; C; C = C->next)
    if (C->type == XML_ELEMENT_NODE && xmlStrcmp(C->name, BAD_CAST Name) == 0) return C;
  return nullptr;
}

std::string Bilingual(xmlNode* N) {
  if (!HasElementChildren(N)) return NodeText(N);
  xmlNode* Pl = Child(N, "pl");
  xmlNode* En = Child(N, "en");
  return "<PLK>" + (Pl ? NodeText(Pl) : std::string()) + "<ENU>" +
         (En ? NodeText(En) : std::string());
}

bool Attr(xmlNode* N, const char* Name, std::string& Value) {
  xmlChar* V = xmlGetProp(N, BAD_CAST Name);
  if (!V) return false;
  Value = Cp1250(reinterpret_cast<const char*>(V));
  xmlFree(V);
  return true;
}

}  // namespace

void TOrvWebPage::LoadFromXml(const TOrvWebPageList& Pages) {
  std::string Dir = XmlDir.empty() ? std::string("../XML/") : XmlDir;
  if (Dir.back() != '/') Dir += '/';
  std::string File = Dir + Name + ".xml";
  DebugTrace("Processing page: " + Name);
  std::error_code Ec;
  if (!fs::is_regular_file(File, Ec) || fs::file_size(File, Ec) > (16u << 20)) return;
  std::unique_ptr<xmlDoc, TXmlDocFree> Doc(xmlReadFile(
      File.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (!Doc) throw Exception("The page file " + File + " is not well-formed XML.");
  xmlNode* Root = xmlDocGetRootElement(Doc.get());
  if (!Root) return;
  std::string V;
  if (Attr(Root, "parent", V)) SetParent(FindPage(Pages, V));
  if (Attr(Root, "highslide", V) && V == "1") Highslide = true;
  if (Attr(Root, "image", V)) Image = V;
  if (Attr(Root, "mapped", V)) Mapped = V == "1";
  for (xmlNode* C = Root->children; C; C = C->next) {
    if (C->type != XML_ELEMENT_NODE) continue;
    if (xmlStrcmp(C->name, BAD_CAST "title") == 0) {
      Title = Bilingual(C);
    } else if (xmlStrcmp(C->name, BAD_CAST "supertitle") == 0) {
      SuperTitle = Bilingual(C);
    } else if (xmlStrcmp(C->name, BAD_CAST "submenutitle") == 0) {
      xmlNode* Pl = Child(C, "pl");
      xmlNode* En = Child(C, "en");
      SubmenuTitle = "<PLK>" + (Pl ? NodeText(Pl) : std::string()) + "<ENU>" +
                     (En ? NodeText(En) : std::string());
    } else if (xmlStrcmp(C->name, BAD_CAST "head") == 0) {
      ExtraHead = NodeText(C);
    }
  }
}

}  // namespace quin
