// Result elements: the coordinates of a table cell. Every header item of a table (a question
// response, a target group, a wave set, a statistic kind, a base row, a total line ...) is one
// element; the cells under it hold references to it. An element knows its parameter and item,
// builds and evaluates the case selection it stands for (a target group) into one flag per
// record, and is written into and read back from the "dataInfo" blocks that address cells in
// charts, sort keys and optimisation limits. Element classes are found by the name of their
// block through a registry filled at start-up.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/guid.h"
#include "base/orvclasses.h"

namespace quin {

class TPelPar;
class TPelSurvey;
class TPelGroup;
class TPelResElem;
class TPelResElemList;
class TGimWaveList;
class TGimWeight;
class TMerRecset;
class TRixScanner;
class TStream;

// One flag (0 or 1) per record of a record set.
using TPelFlags = std::vector<uint8_t>;
// One flag array per record set of the survey, in record-set order.
using TPelRecsetsTGDynArr = std::vector<TPelFlags>;

// The table cell as its elements see it: the record set it counts in, its weighting, its
// elements and the few answers the question filters need. The cell class derives from it.
class TPelResCell : public TOrvObject {
  QUIN_CLASS(TPelResCell, TOrvObject)
 public:
  // The record set of the cell's data basis; null when it has none.
  virtual TMerRecset* GetBasedOnRecset() const = 0;
  // The cell's weighting; null stands for "off".
  virtual const TGimWeight* GetWeight() const = 0;
  // Every element of the cell (row, column and layer), as the cell holds them.
  virtual const TPelResElemList& GetAllElems() const = 0;
  // The cell carries a statistic element.
  virtual bool HasStatElem() const = 0;
  // The cell's statistics parameter leaves records with missing answers out ("excludeSysMis").
  virtual bool ExcludesSysMis() const = 0;
  // The statistic does not apply to the cell: its value becomes the "!DEF" sentinel.
  virtual void SetNotComputable() = 0;

 protected:
  TPelResCell() = default;
  TPelResCell(const TPelResCell&) = default;
};

// The class-level answers of an element class, reachable without an object: the class, the
// outfix of its block names and its virtual constructor from another element. A pointer to
// one stands for a class reference.
struct TPelResElemClass {
  const ClassInfo* Class;
  std::string (*Outfix)();
  // A new element of the class with Par, ItemIndex and SubParGUID (and the class's own
  // fields, when Elem is of the class) taken from Elem; no parameter and item -1 for a null
  // Elem; no flag arrays.
  std::unique_ptr<TPelResElem> (*CreateFromElem)(TPelSurvey* Survey, const TPelResElem* Elem);

  // "chartData" with Chart, else "dataInfo", followed by the outfix.
  std::string GetBlockName(bool Chart) const;
  // A new element read from a block body whose "def" and name are read: an optional
  // "parSubGUID", the class's keys, an optional "parSubGUID" again, then "end" ";".
  std::unique_ptr<TPelResElem> CreateFromScanner(TPelSurvey* Survey, TRixScanner& Scanner) const;
};

// The class record of element class T: T::StaticOutfix and T::CreateFromElem.
template <class T>
const TPelResElemClass& ResElemClassOf() {
  static const TPelResElemClass C{&T::StaticClass(), &T::StaticOutfix, &T::CreateFromElem};
  return C;
}

}  // namespace quin

// Declares, in the body of an element class, its class record and its copy operation.
#define QUIN_RES_ELEM_CLASS(Class)                                                       \
 public:                                                                                 \
  const ::quin::TPelResElemClass& ResClass() const override {                            \
    return ::quin::ResElemClassOf<Class>();                                              \
  }                                                                                      \
  std::unique_ptr<::quin::TOrvObject> CreateCopy() const override {                      \
    return std::unique_ptr<::quin::TOrvObject>(new Class(*this));                        \
  }                                                                                      \
  static std::unique_ptr<::quin::TPelResElem> CreateFromElem(::quin::TPelSurvey* Survey, \
                                                             const ::quin::TPelResElem* Elem);

namespace quin {

class TPelResElemBasic : public TOrvObject {
  QUIN_CLASS(TPelResElemBasic, TOrvObject)
 protected:
  TPelResElemBasic() = default;
  TPelResElemBasic(const TPelResElemBasic&) = default;
};

class TPelResElem : public TPelResElemBasic {
  QUIN_CLASS(TPelResElem, TPelResElemBasic)
  QUIN_COPY(TPelResElem)
 public:
  // Create(Survey, ItemIndex, Par). With a parameter that uses case groups the flag arrays
  // get one (empty) entry per record set of the survey; an entry takes its record count when
  // the element's group is evaluated on that record set.
  TPelResElem(TPelSurvey* ASurvey, int AItemIndex, TPelPar* APar);
  // Survey, the group (shared), Calculated, Par, ItemIndex, Res, SubParGUID and copies of the
  // flag arrays.
  TPelResElem(const TPelResElem& Source);
  TPelResElem& operator=(const TPelResElem&) = delete;
  ~TPelResElem() override;

  static std::string StaticOutfix() { return "ResElem"; }
  static std::unique_ptr<TPelResElem> CreateFromElem(TPelSurvey* Survey, const TPelResElem* Elem);

  TPelPar* Par;                // not owned; null for total lines and elements read from blocks
  int ItemIndex;               // -1 when there is none
  TPelResCell* Res = nullptr;  // the cell that holds the element; not owned
  TPelSurvey* Survey;
  bool Calculated = false;
  // The case selection. Shared by copies of the element; an element that holds its
  // parameter's group holds it without owning it (see UnownedGroup).
  std::shared_ptr<TPelGroup> Group;
  TPelRecsetsTGDynArr Selected;  // the element selects the record
  TPelRecsetsTGDynArr Missing;   // the element's condition is undefined for the record
  TGUID SubParGUID;              // the sub-parameter the element belongs to; null otherwise

  // ---- Virtual operations
  virtual bool IsCalculated() const { return Calculated; }
  virtual void SetCalculated(bool Value) { Calculated = Value; }
  // The element's selection restricts the cell's base as well as the cell.
  virtual bool RestrictsBase() const { return false; }
  // Builds the group once, evaluates it on the cell's based-on record set into Selected and
  // Missing and releases the group's own flags; the group, or null when the element has none.
  virtual TPelGroup* GetGroup();
  virtual TPelPar* GetPar() const { return Par; }
  virtual int GetItemIndex() const { return ItemIndex; }
  virtual TPelResCell* GetRes() const { return Res; }
  virtual TPelRecsetsTGDynArr& GetSelectedArrays() { return Selected; }
  virtual TPelRecsetsTGDynArr& GetMissingArrays() { return Missing; }
  // The waves the element counts in: the survey's wave list here.
  virtual TGimWaveList* GetWaveList() const;
  virtual void BuildGroup() {}
  virtual void SetGroup(std::shared_ptr<TPelGroup> AGroup) { Group = std::move(AGroup); }
  virtual void SetItemIndex(int Index) { ItemIndex = Index; }
  virtual void SetRes(TPelResCell* Cell) { Res = Cell; }
  // The class record (block name, outfix, virtual constructor).
  virtual const TPelResElemClass& ResClass() const { return ResElemClassOf<TPelResElem>(); }
  // Other is of exactly this element's class.
  virtual bool IsSameKind(const TPelResElem* Other) const;
  // Releases the group's flags and clears Calculated.
  virtual void FreeGroup();
  virtual void Refresh() {}
  // The element only titles a header: no cell is made under it.
  virtual bool IsHeaderOnly() const { return false; }
  virtual bool IsQuestionTitle() const { return false; }
  // The kind's own equality, used when cell addresses are matched.
  virtual bool TableDataInfo_ComparePrivate(const TPelResElem* Other) const { return false; }
  // One key of the kind in a data-info block: True when the instruction at hand was one
  // (read, or reported and skipped).
  virtual bool TableDataInfo_ReadDef(TRixScanner& Scanner) { return false; }
  // The kind's keys.
  virtual void TableDataInfo_WriteDef(TStream& Stream, int& Indent) const {}
  // The element's data lie in another record set than Recset.
  virtual bool UsesOtherRecset(TMerRecset* Recset) const { return false; }

  // ---- Class-level answers through the object
  std::string GetBlockName(bool Chart) const { return ResClass().GetBlockName(Chart); }
  std::string GetDataInfoOutfix() const { return ResClass().Outfix(); }

  // ---- Operations
  // Evaluates Group on the cell's based-on record set k with the element's wave list and the
  // cell's weight, and moves the group's flags into Selected[k] and Missing[k]. Nothing
  // without a group, a cell or a record set of the survey.
  void EvaluateGroup();
  // False when the element's wave list holds fewer waves than the survey's wave list asks of
  // an analysis ("minSelCount").
  bool HasEnoughWaves() const;
  // "def" + the block name, "parSubGUID" unless null, the kind's keys, "end;".
  void WriteBlock(TStream& Stream, int& Indent) const;

  // The target of a reference, else Elem itself.
  static TPelResElem* ResolveRef(TPelResElem* Elem);
  static const TPelResElem* ResolveRef(const TPelResElem* Elem);
  // The resolved element is of Class or derives from it.
  static bool IsKindOf(const TPelResElem* Elem, const ClassInfo& Class);
  // A cell's element C compared with the data-info element at Index of L under the
  // sub-parameter rules. An element of a sub-parameter that forms one item matches by the
  // sub-parameter's identity alone, and L then holds a copy of C at Index (the old entry is
  // freed: callers fetch L's entries again after the call).
  static bool MatchSubParElem(const TPelResElem* C, TPelResElemList& L, int Index, bool Lenient);

 protected:
  // Par, ItemIndex and SubParGUID from Elem (nothing for null); for CreateFromElem.
  void TakeIdentity(const TPelResElem* Elem);
};

// A shared pointer to a group that someone else owns (the parameter's target group).
std::shared_ptr<TPelGroup> UnownedGroup(TPelGroup* Group);

// A cell's reference to an element owned by a table header. Every operation is the target's,
// except SetItemIndex, which sets the target's item index; the reference owns nothing of it.
class TPelResElemRef : public TPelResElem {
  QUIN_CLASS(TPelResElemRef, TPelResElem)
  QUIN_COPY(TPelResElemRef)
 public:
  // Par and ItemIndex taken from the target; no flag arrays.
  explicit TPelResElemRef(TPelResElem* ATarget);
  TPelResElemRef(const TPelResElemRef&) = default;

  TPelResElem* Target;  // not owned

  bool IsCalculated() const override { return Target->IsCalculated(); }
  void SetCalculated(bool Value) override { Target->SetCalculated(Value); }
  bool RestrictsBase() const override { return Target->RestrictsBase(); }
  TPelGroup* GetGroup() override { return Target->GetGroup(); }
  TPelPar* GetPar() const override { return Target->GetPar(); }
  int GetItemIndex() const override { return Target->GetItemIndex(); }
  TPelResCell* GetRes() const override { return Target->GetRes(); }
  TPelRecsetsTGDynArr& GetSelectedArrays() override { return Target->GetSelectedArrays(); }
  TPelRecsetsTGDynArr& GetMissingArrays() override { return Target->GetMissingArrays(); }
  TGimWaveList* GetWaveList() const override { return Target->GetWaveList(); }
  void BuildGroup() override { Target->BuildGroup(); }
  void SetGroup(std::shared_ptr<TPelGroup> AGroup) override { Target->SetGroup(std::move(AGroup)); }
  void SetItemIndex(int Index) override { Target->ItemIndex = Index; }
  void SetRes(TPelResCell* Cell) override { Target->SetRes(Cell); }
  const TPelResElemClass& ResClass() const override { return Target->ResClass(); }
  bool IsSameKind(const TPelResElem* Other) const override { return Target->IsSameKind(Other); }
  void FreeGroup() override { Target->FreeGroup(); }
  void Refresh() override { Target->Refresh(); }
  bool IsHeaderOnly() const override { return Target->IsHeaderOnly(); }
  bool IsQuestionTitle() const override { return Target->IsQuestionTitle(); }
  bool TableDataInfo_ComparePrivate(const TPelResElem* Other) const override {
    return Target->TableDataInfo_ComparePrivate(Other);
  }
  bool TableDataInfo_ReadDef(TRixScanner& Scanner) override {
    return Target->TableDataInfo_ReadDef(Scanner);
  }
  void TableDataInfo_WriteDef(TStream& Stream, int& Indent) const override {
    Target->TableDataInfo_WriteDef(Stream, Indent);
  }
  bool UsesOtherRecset(TMerRecset* Recset) const override {
    return Target->UsesOtherRecset(Recset);
  }
};

// A list of elements or references, owning or not as its creator chooses.
class TPelResElemList : public TOrvTypedList<TPelResElem> {
  QUIN_CLASS(TPelResElemList, TOrvObjectList)
 public:
  explicit TPelResElemList(bool AOwnsObjects = true) : TOrvTypedList(AOwnsObjects) {}
  TPelResElemList(const TPelResElemList&) = default;
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TPelResElemList(*this));
  }

  // The item at Index with a reference resolved.
  TPelResElem* GetElem(int Index) const { return TPelResElem::ResolveRef(GetItem(Index)); }
  // The first item whose resolved element is of Class or derives from it, resolved; null when
  // none.
  TPelResElem* FindByClass(const ClassInfo& Class) const;
  int CountByClass(const ClassInfo& Class) const;
};

// ---- The registry of element classes, filled at start-up and read afterwards.

// Appends Class unless it is registered already.
void RegisterResClass(const TPelResElemClass& Class);
// The first registered class whose "dataInfo" block name, or failing that whose "chartData"
// block name, equals Name without regard to case; null when none.
const TPelResElemClass* FindResClassByBlockName(std::string_view Name);
// The registered classes in registration order.
std::vector<const TPelResElemClass*> RegisteredResClasses();
// At "def": when the block's name is the block name of a registered class (as
// FindResClassByBlockName finds it), "def" and the name are read and the class returned;
// otherwise null and nothing read.
const TPelResElemClass* ReadResElemBlockStart(TRixScanner& Scanner);

}  // namespace quin
