#include "reports/pelrepelem.h"

#include <algorithm>
#include <mutex>

#include "analysis/pelrwobject.h"
#include "analysis/pelsurvey.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/orvstrings.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "deflang/rixwriter.h"
#include "surveykit/gimreading.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelRepElem, TOrvTreeNode)
QUIN_IMPLEMENT_CLASS(TPelRepElemRoot, TPelRepElem)
QUIN_IMPLEMENT_CLASS(TPelRepElemList, TOrvObjectList)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelRepElemTree, TOrvTree)

// ---- TPelRepElem

TPelRepElem::TPelRepElem(TPelRepElem* AParent, TPelSurvey* ASurvey)
    : TOrvTreeNode(AParent), Survey(ASurvey) {
  if (AParent) Tree = AParent->Tree;
}

void TPelRepElem::AfterConstruction() {
  TOrvTreeNode::AfterConstruction();
  SetExpanded(true);
}

TPelRep* TPelRepElem::Report() const {
  const auto* T = As<TPelRepElemTree>(Tree);
  return T ? T->Report : nullptr;
}

std::string TPelRepElem::GetCaption() const {
  // A title is a text of the report (it may hold a section per survey language): the survey's
  // texts are shown in the survey's language.
  if (!Title.empty()) {
    const TOrvLangManager* SL = SurveyLangManager(Survey);
    return SL ? SL->Translate(Title) : Title;
  }
  std::string S = GetKindCaption();
  if (Number > 0) S += " " + IntToStr(Number);
  return S;
}

void TPelRepElem::SetExpanded(bool Value) {
  if (Expanded != Value) Expanded = Value;
}

void TPelRepElem::SetTitle(std::string_view Text) {
  if (Title != Text) Title = Text;
}

void TPelRepElem::WriteKeys(TStream& Stream, int& Indent) const {
  if (!Title.empty())
    WriteKeyString(Stream, Indent, "title", "", Title);
  else
    WriteKeyInteger(Stream, Indent, "number", "", Number);
  if (!Expanded) WriteKeyBoolean(Stream, Indent, "expanded", "", false);
  // Line breaks as "\n": the text stays on one line and reads back with its breaks.
  if (KeepsNotes() && !Notes.empty())
    WriteKeyText(Stream, Indent, "notes", "", EscapeLineBreaks(Notes));
}

std::string TPelRepElem::GetDescription(int Options) {
  std::vector<std::string> Parts;
  for (TPelRepElem* E = this; E; E = E->ParentElem()) {
    std::string D;
    try {
      D = E->GetOwnDescription(Options);
    } catch (const Exception&) {
      D.clear();
    }
    if (!D.empty()) Parts.push_back(std::move(D));
  }
  std::string Text;
  for (auto It = Parts.rbegin(); It != Parts.rend(); ++It) {
    if (!Text.empty()) Text += "\r\n";
    Text += *It;
  }
  return Text;
}

void TPelRepElem::InvalidateViews() {
  if (View) View->Refresh();
  for (int I = 0; I < ChildCount(); ++I) Child(I)->InvalidateViews();
}

std::string TPelRepElem::GetIdentPath(bool Nested) const {
  const TPelRepElem* P = ParentElem();
  if (!P) return {};
  const std::string ParentPath = P->GetIdentPath(true);
  const int N = P->Children().IndexOf(this) + 1;
  const TFormatSettings& FS = CurrentLangManager().FormatSettings;
  std::string Text;
  if (Nested)
    Text = Format("%s%s%d", {ParentPath, GetKindName(true), N}, FS);
  else if (!ParentPath.empty())
    Text = Format("%s %s%d", {ParentPath, GetKindName(false), N}, FS);
  else
    Text = Format("%s %d", {GetKindName(false), N}, FS);
  return ReplaceChar(Text, ' ', '_');
}

void TPelRepElem::WriteDef(TStream& Stream, int& Indent) const {
  const std::string Keyword = GetDefKeyword();
  if (!Keyword.empty()) WriteDefStart(Stream, Indent, Keyword);
  WriteKeys(Stream, Indent);
  for (int I = 0; I < ChildCount(); ++I) Child(I)->WriteDef(Stream, Indent);
  if (!Keyword.empty()) WriteDefEnd(Stream, Indent);
}

void TPelRepElem::ReadBody(TRixScanner& Scanner, bool& Stale) {
  TGimBlockReader R;
  R.Key = [this](TRixScanner& S) { return ReadElemKey(S); };
  R.Block = [this, &Stale](TRixScanner& S, const TOrvTextPos&) { return ReadChildBlock(S, Stale); };
  R.Read(Scanner);
}

bool TPelRepElem::ReadElemKey(TRixScanner& Scanner) {
  std::string Text;
  if (Scanner.ReadString("title", Text, /*AllowMultiLine=*/false, /*AllowEmpty=*/true, nullptr)) {
    SetTitle(Text);
    return true;
  }
  if (RixKeyTaken(Scanner, false)) return true;
  bool Value = Expanded;
  if (Scanner.ReadBoolean("expanded", Value)) {
    SetExpanded(Value);
    return true;
  }
  if (RixKeyTaken(Scanner, false)) return true;
  if (RixKeyTaken(Scanner, Scanner.ReadInteger("number", Number))) return true;
  // Notes written by other programs may span lines.
  if (RixKeyTaken(Scanner, Scanner.ReadString("notes", Notes, /*AllowMultiLine=*/true,
                                              /*AllowEmpty=*/true, nullptr)))
    return true;
  for (const char* Ignored : {"defaultLangSection", "defaultLangKey"})
    if (RixKeyTaken(Scanner, Scanner.ReadString(Ignored, Text, /*AllowMultiLine=*/false,
                                                /*AllowEmpty=*/true, nullptr)))
      return true;
  return false;
}

// ---- Element kinds

namespace {

std::vector<TPelRepElemKind>& Kinds() {
  static std::vector<TPelRepElemKind> List;
  return List;
}
std::mutex& KindsLock() {
  static std::mutex M;
  return M;
}

// The kinds whose blocks may stand in Parent.
std::vector<TPelRepElemKind> KindsFor(const TPelRepElem& Parent) {
  std::lock_guard<std::mutex> G(KindsLock());
  std::vector<TPelRepElemKind> R;
  for (const TPelRepElemKind& K : Kinds())
    if (Parent.Is(*K.ParentClass)) R.push_back(K);
  return R;
}

}  // namespace

void RegisterRepElemKind(const TPelRepElemKind& Kind) {
  std::lock_guard<std::mutex> G(KindsLock());
  for (const TPelRepElemKind& K : Kinds())
    if (K.ParentClass == Kind.ParentClass && SameText(K.Keyword, Kind.Keyword)) return;
  Kinds().push_back(Kind);
}

bool TPelRepElem::ReadChildBlock(TRixScanner& Scanner, bool& Stale) {
  for (const TPelRepElemKind& K : KindsFor(*this)) {
    if (!Scanner.ReadDefComplexStart(K.Keyword)) continue;
    std::unique_ptr<TPelRepElem> Elem = K.Create(this, Survey);
    Elem->ReadBody(Scanner, Stale);
    AddChild(std::move(Elem));
    return true;
  }
  return false;
}

// ---- TPelRepElemTree

TPelRepElemTree::TPelRepElemTree(TPelRep* AReport) : Report(AReport) {
  SetRoot(New<TPelRepElemRoot>());
}

std::unique_ptr<TPelRepElemList> TPelRepElemTree::CreateElemList() const {
  auto List = std::make_unique<TPelRepElemList>();
  // Depth-first, each element before its children: a stack of the elements still to visit,
  // children pushed in reverse order.
  std::vector<TPelRepElem*> Pending;
  const TPelRepElemRoot* R = GetRoot();
  for (int I = R ? R->ChildCount() - 1 : -1; I >= 0; --I) Pending.push_back(R->Child(I));
  while (!Pending.empty()) {
    TPelRepElem* E = Pending.back();
    Pending.pop_back();
    List->Add(E);
    for (int I = E->ChildCount() - 1; I >= 0; --I) Pending.push_back(E->Child(I));
  }
  return List;
}

// ---- Reading helpers

bool ReadIdentifierAt(TRixScanner& Scanner, std::string_view Key, std::string& Value,
                      TOrvTextPos& At) {
  if (!Scanner.ReadDefSimpleStart(Key)) return false;
  At = Scanner.Token->StartPos;
  std::string V;
  if (!Scanner.ParseIdentifier(V)) return false;  // reported and skipped: the key was taken
  Value = LowerCase(V);
  Scanner.Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, false);
  return true;
}

}  // namespace quin
