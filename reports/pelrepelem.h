// The report's element tree: every node of a report document is a TPelRepElem. The invisible
// root holds the analyses, an analysis its pivot tables, a table its charts. An element owns
// its children (freed with it) and reaches the document through its tree.
//
// Element blocks in report files: every element kind reads the common element keys first on
// each statement, then its own keys. Blocks of the kinds nested in an element ("table" in an
// analysis, "chart" in a table) are read through the element-kind registry below, which the
// owners of those kinds fill at start-up; a block of a kind nobody registered is reported as
// "Unknown key." and skipped whole.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/orvclasses.h"

namespace quin {

class TPelRep;
class TPelSurvey;
class TRixScanner;
class TStream;
class TOrvExcel;
class TXlSheet;
class TXlWorksheet;
struct TOrvTextPos;

// What an element needs of the view that shows it (a pane of the report window).
class IPelRepElemView {
 public:
  virtual ~IPelRepElemView() = default;
  // The view shows the element anew.
  virtual void Refresh() = 0;
};

// Create with New<T>(Parent, Survey); the reader (or the template) appends the new element to
// its parent's children (AddChild).
class TPelRepElem : public TOrvTreeNode {
  QUIN_CLASS(TPelRepElem, TOrvTreeNode)
 public:
  // Parent stored, the tree taken from the parent; not appended.
  TPelRepElem(TPelRepElem* AParent, TPelSurvey* ASurvey);
  // SetExpanded(true).
  void AfterConstruction() override;

  bool Expanded = false;  // the tree view's expansion state; true once created
  std::string Notes;      // the analyst's notes
  bool NotesPrinted = false;
  int32_t Number = 0;               // shown in the caption when there is no title
  IPelRepElemView* View = nullptr;  // not owned
  TPelSurvey* Survey = nullptr;     // not owned
  std::string Title;  // the analyst's title; empty: the kind caption and the number stand in

  TPelRepElem* ParentElem() const { return static_cast<TPelRepElem*>(Parent()); }
  int ChildCount() const { return Children().Count(); }
  TPelRepElem* Child(int Index) const { return static_cast<TPelRepElem*>(Children().Items(Index)); }
  // The document of the element's tree; null outside a document.
  TPelRep* Report() const;

  // ---- Virtual operations
  virtual bool IsTextElement() const { return true; }
  virtual bool HasContent() { return true; }
  // "Analysis", "Table", "Chart" translated; empty for the root.
  virtual std::string GetKindCaption() const = 0;
  // The title in the survey's language; without one the kind caption, then " " and the number
  // when it is above 0.
  virtual std::string GetCaption() const;
  virtual void SetExpanded(bool Value);
  virtual void SetTitle(std::string_view Text);
  // The element keys: "title" (or "number" without a title), "expanded" = 0 when collapsed,
  // "notes" when kept and not empty.
  virtual void WriteKeys(TStream& Stream, int& Indent) const;
  virtual std::string GetOwnDescription(int Options) { return {}; }
  // The own descriptions of the element and its ancestors, outermost first, joined by CR LF;
  // empty ones, and one whose making raises, are left out.
  virtual std::string GetDescription(int Options);
  // The kind's long name, or with Short its one-letter name, translated; empty in the base.
  virtual std::string GetKindName(bool Short) const { return {}; }
  // Appends the element's text form to Lines; nothing in the base.
  virtual void AppendText(std::vector<std::string>& Lines, int Options) {}
  // Adds the element's sheet to the workbook and links it from IntroSheet's row Index + 3;
  // the sheet made, or null. Nothing in the base.
  virtual TXlSheet* ExportToExcel(TOrvExcel& Excel, TXlWorksheet* IntroSheet, int Options,
                                  int Index) {
    return nullptr;
  }
  // The keyword of the element's block; empty in the base (no block of its own).
  virtual std::string GetDefKeyword() const { return {}; }
  virtual bool IsTableElement() const { return false; }
  virtual bool IsContentElement() const { return false; }
  virtual void ResetPrintState() { NotesPrinted = false; }
  // The attached view refreshes itself, then every child's views.
  virtual void InvalidateViews();
  // Whether "notes" is written.
  virtual bool KeepsNotes() const { return true; }
  virtual bool IsAvailable() const { return true; }
  virtual std::string GetFullCaption() const { return GetCaption(); }
  // The path that names the element's workbook sheet: nested "A1T2", not nested "A1_Table2",
  // an analysis "Analysis_1"; empty for the root.
  virtual std::string GetIdentPath(bool Nested) const;
  // "def" and the keyword (when there is one), the keys, each child's block, "end;".
  virtual void WriteDef(TStream& Stream, int& Indent) const;

  // ---- Reading
  // The rest of the element's block, its "def" and keyword read, through "end" ";". Stale
  // tells that the data behind the element's stored results changed; an element may set it
  // for the one that holds it. Here: the element keys, the blocks of registered kinds; other
  // keys and blocks are reported as "Unknown key." and skipped.
  virtual void ReadBody(TRixScanner& Scanner, bool& Stale);
  // One element key ("title", "expanded", "number", "notes", "defaultLangSection",
  // "defaultLangKey"); True when the statement was one (read, or reported and skipped).
  bool ReadElemKey(TRixScanner& Scanner);
  // At "def" followed by the keyword of a kind registered for this element: a new element of
  // that kind reads its block (ReadBody with Stale) and is appended to the children; when its
  // reading raises it is freed and the exception passes on. False leaves the scanner as it
  // was.
  bool ReadChildBlock(TRixScanner& Scanner, bool& Stale);
};

// The invisible root; it has no parent and no survey.
class TPelRepElemRoot : public TPelRepElem {
  QUIN_CLASS(TPelRepElemRoot, TPelRepElem)
 public:
  TPelRepElemRoot() : TPelRepElem(nullptr, nullptr) {}
  std::string GetKindCaption() const override { return {}; }
};

// A flat list of elements; it owns none.
class TPelRepElemList : public TOrvTypedList<TPelRepElem> {
  QUIN_CLASS(TPelRepElemList, TOrvObjectList)
 public:
  TPelRepElemList() : TOrvTypedList(false) {}
};

class TPelRepElemTree : public TOrvTree {
  QUIN_CLASS(TPelRepElemTree, TOrvTree)
 public:
  // Creates the root.
  explicit TPelRepElemTree(TPelRep* AReport);
  TPelRep* Report;  // the document that owns the tree

  TPelRepElemRoot* GetRoot() const { return static_cast<TPelRepElemRoot*>(Root()); }
  // Every element below the root, each before its children, children in their order.
  std::unique_ptr<TPelRepElemList> CreateElemList() const;
};

// The element itself or its nearest ancestor of class T; null when none.
template <class T>
T* FindEnclosing(TPelRepElem* Elem) {
  for (; Elem; Elem = Elem->ParentElem())
    if (T* E = As<T>(Elem)) return E;
  return nullptr;
}

class TPelRepElemTable;
// The table element enclosing Elem: the element itself or its nearest ancestor that is a
// table; null when none. Callers include the table element's header.
template <class TTable = TPelRepElemTable>
TTable* FindEnclosingTable(TPelRepElem* Elem) {
  return FindEnclosing<TTable>(Elem);
}

// ---- Element kinds read from blocks nested in elements

struct TPelRepElemKind {
  std::string Keyword;           // the block's keyword ("table", "chart")
  const ClassInfo* ParentClass;  // blocks of this kind stand in elements of this class
  // The new element below Parent, not appended.
  std::unique_ptr<TPelRepElem> (*Create)(TPelRepElem* Parent, TPelSurvey* Survey);
};
// Start-up only; the first kind registered for a keyword and parent class stays.
void RegisterRepElemKind(const TPelRepElemKind& Kind);

// ---- Reading helpers shared by the report's readers

// As TRixScanner::ReadIdentifier (the value lower-cased), with the value's place in At.
bool ReadIdentifierAt(TRixScanner& Scanner, std::string_view Key, std::string& Value,
                      TOrvTextPos& At);

}  // namespace quin
