#include "tests/support/xlsxread.h"

#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>
#include <zip.h>

#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>

namespace quin::test {

namespace {

struct TZipClose {
  void operator()(zip_t* Z) const { zip_discard(Z); }
};
using TZip = std::unique_ptr<zip_t, TZipClose>;

TZip OpenZip(const std::string& FileName) {
  int Error = 0;
  TZip Z(zip_open(FileName.c_str(), ZIP_RDONLY, &Error));
  if (!Z) throw std::runtime_error("not a ZIP archive: " + FileName);
  return Z;
}

std::string Text(const xmlChar* S) { return S ? reinterpret_cast<const char*>(S) : ""; }

std::string NodeText(xmlNodePtr N) {
  xmlChar* C = xmlNodeGetContent(N);
  std::string R = Text(C);
  xmlFree(C);
  return R;
}

// The built-in number formats the writer may choose instead of a format code of its own.
const std::map<int, std::string>& BuiltInFormats() {
  static const std::map<int, std::string> M = {
      {0, "General"}, {1, "0"},      {2, "0.00"},      {3, "#,##0"},  {4, "#,##0.00"},
      {9, "0%"},      {10, "0.00%"}, {11, "0.00E+00"}, {12, "# ?/?"}, {49, "@"}};
  return M;
}

// "xl/worksheets/sheet1.xml" from a relationship target "worksheets/sheet1.xml".
std::string EntryOfTarget(const std::string& Target) {
  return Target.rfind('/', 0) == 0 ? Target.substr(1) : "xl/" + Target;
}

}  // namespace

TXlsxReader::TXlsxReader(const std::string& FileName) : FFileName(FileName) {
  TZip Z = OpenZip(FileName);
  const zip_int64_t N = zip_get_num_entries(Z.get(), 0);
  for (zip_int64_t I = 0; I < N; ++I)
    FNames.emplace_back(zip_get_name(Z.get(), zip_uint64_t(I), 0));
}

std::vector<std::string> TXlsxReader::EntryNames() const { return FNames; }

bool TXlsxReader::HasEntry(const std::string& Name) const {
  return std::find(FNames.begin(), FNames.end(), Name) != FNames.end();
}

std::string TXlsxReader::Entry(const std::string& Name) const {
  TZip Z = OpenZip(FFileName);
  zip_stat_t St;
  if (zip_stat(Z.get(), Name.c_str(), 0, &St) != 0) throw std::runtime_error("no entry " + Name);
  std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> F(zip_fopen(Z.get(), Name.c_str(), 0),
                                                      zip_fclose);
  if (!F) throw std::runtime_error("cannot open entry " + Name);
  std::string Data(size_t(St.size), '\0');
  if (zip_fread(F.get(), Data.data(), St.size) != zip_int64_t(St.size))
    throw std::runtime_error("cannot read entry " + Name);
  return Data;
}

std::vector<std::string> TXlsxReader::Query(const std::string& EntryName,
                                            const std::string& XPath) const {
  const std::string Xml = Entry(EntryName);
  std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)> Doc(
      xmlReadMemory(Xml.data(), int(Xml.size()), EntryName.c_str(), nullptr, XML_PARSE_NONET),
      xmlFreeDoc);
  if (!Doc) throw std::runtime_error("not XML: " + EntryName);
  std::unique_ptr<xmlXPathContext, void (*)(xmlXPathContextPtr)> Ctx(xmlXPathNewContext(Doc.get()),
                                                                     xmlXPathFreeContext);
  const std::pair<const char*, const char*> Spaces[] = {
      {"x", "http://schemas.openxmlformats.org/spreadsheetml/2006/main"},
      {"r", "http://schemas.openxmlformats.org/officeDocument/2006/relationships"},
      {"c", "http://schemas.openxmlformats.org/drawingml/2006/chart"},
      {"a", "http://schemas.openxmlformats.org/drawingml/2006/main"},
      {"p", "http://schemas.openxmlformats.org/package/2006/relationships"}};
  for (auto [Prefix, Uri] : Spaces) xmlXPathRegisterNs(Ctx.get(), BAD_CAST Prefix, BAD_CAST Uri);
  std::unique_ptr<xmlXPathObject, void (*)(xmlXPathObjectPtr)> R(
      xmlXPathEvalExpression(BAD_CAST XPath.c_str(), Ctx.get()), xmlXPathFreeObject);
  if (!R) throw std::runtime_error("bad XPath: " + XPath);
  std::vector<std::string> Out;
  if (R->type == XPATH_NODESET) {
    for (int I = 0; R->nodesetval && I < R->nodesetval->nodeNr; ++I)
      Out.push_back(NodeText(R->nodesetval->nodeTab[I]));
  } else {
    xmlChar* S = xmlXPathCastToString(R.get());
    Out.push_back(Text(S));
    xmlFree(S);
  }
  return Out;
}

std::string TXlsxReader::QueryOne(const std::string& EntryName, const std::string& XPath) const {
  const std::vector<std::string> R = Query(EntryName, XPath);
  return R.empty() ? "" : R.front();
}

std::string TXlsxReader::SheetEntry(const std::string& Name) const {
  const std::string Id = QueryOne("xl/workbook.xml", "//x:sheet[@name='" + Name + "']/@r:id");
  if (Id.empty()) return "";
  return EntryOfTarget(
      QueryOne("xl/_rels/workbook.xml.rels", "//p:Relationship[@Id='" + Id + "']/@Target"));
}

std::string TXlsxReader::CellValue(const std::string& Sheet, const std::string& Ref) const {
  const std::string E = SheetEntry(Sheet);
  const std::string Cell = "//x:c[@r='" + Ref + "']";
  const std::string Type = QueryOne(E, Cell + "/@t");
  if (Type == "s") {
    const std::string Index = QueryOne(E, Cell + "/x:v");
    return QueryOne("xl/sharedStrings.xml", "//x:si[" + std::to_string(std::stoi(Index) + 1) + "]");
  }
  if (Type == "inlineStr") return QueryOne(E, Cell + "/x:is");
  return QueryOne(E, Cell + "/x:v");
}

int TXlsxReader::CellStyle(const std::string& Sheet, const std::string& Ref) const {
  const std::string S = QueryOne(SheetEntry(Sheet), "//x:c[@r='" + Ref + "']/@s");
  return S.empty() ? 0 : std::stoi(S);
}

std::string TXlsxReader::CellNumberFormat(const std::string& Sheet, const std::string& Ref) const {
  const int Style = CellStyle(Sheet, Ref);
  const std::string Id =
      QueryOne("xl/styles.xml", "//x:cellXfs/x:xf[" + std::to_string(Style + 1) + "]/@numFmtId");
  const int N = Id.empty() ? 0 : std::stoi(Id);
  auto It = BuiltInFormats().find(N);
  if (It != BuiltInFormats().end()) return It->second;
  return QueryOne("xl/styles.xml", "//x:numFmt[@numFmtId='" + Id + "']/@formatCode");
}

std::vector<std::string> TXlsxReader::ChartEntries() const {
  std::vector<std::string> R;
  for (int N = 1; HasEntry("xl/charts/chart" + std::to_string(N) + ".xml"); ++N)
    R.push_back("xl/charts/chart" + std::to_string(N) + ".xml");
  return R;
}

}  // namespace quin::test
