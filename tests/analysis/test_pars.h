// Small parameter classes for the tests of the parameter base classes: a multi-parameter whose
// elements are numbered codes ("c1", "c2", ...; a run continues when the number grows by one)
// and a plain option parameter.
#pragma once

#include <string>

#include "analysis/pelpar.h"
#include "analysis/pelresgeneral.h"
#include "base/format.h"
#include "base/text.h"

namespace quin::test {

class TTestSubElem : public TPelSubElem {
  QUIN_CLASS(TTestSubElem, TPelSubElem)
  QUIN_COPY(TTestSubElem)
 public:
  explicit TTestSubElem(int AN = 0) : N(AN) {}
  TTestSubElem(const TTestSubElem&) = default;
  int N;
  std::string GetCode() const override { return "c" + std::to_string(N); }
  bool IsSuccessorOf(const TPelSubElem* Prev) const override {
    const auto* P = As<TTestSubElem>(Prev);
    return P && P->N + 1 == N;
  }
};

class TTestSubPar : public TPelSubPar {
  QUIN_CLASS(TTestSubPar, TPelSubPar)
  QUIN_COPY(TTestSubPar)
 public:
  using TPelSubPar::TPelSubPar;
  TTestSubPar(const TTestSubPar&) = default;
  std::unique_ptr<TPelSubElem> CreateElemFromCode(const std::string& Code) override {
    int N = 0;
    if (Code.size() < 2 || Code[0] != 'c' || !TryStrToInt(Code.substr(1), N)) return nullptr;
    return std::make_unique<TTestSubElem>(N);
  }
  std::string GetItemLabel(int Index, bool Detail) const override {
    return "E" + std::to_string(As<TTestSubElem>(Elems->GetItem(Index))->N);
  }
  std::string GetDefaultName() const override { return "Selection"; }
  // A plain element for the whole selection, a base element of code N for element N.
  TPelResElem* CreateResElem() override { return new TPelResElem(Survey, -1, Owner); }
  TPelResElem* CreateItemElem(int Index, bool Detail) override {
    if (Index < 0 || Index >= ElemCount()) return nullptr;
    const int N = As<TTestSubElem>(Elems->GetItem(Index))->N;
    return new TPelResBase(Survey, static_cast<uint8_t>(N), Index, Owner);
  }
  void Add(std::initializer_list<int> Ns) {
    for (int N : Ns) Elems->Add(std::make_unique<TTestSubElem>(N));
  }
};

class TTestMulti : public TPelParMulti {
  QUIN_CLASS(TTestMulti, TPelParMulti)
  QUIN_RW_CLASS(TTestMulti)
 public:
  using TPelParMulti::TPelParMulti;
  TTestMulti(const TTestMulti&) = default;
  static std::string StaticKeyword() { return "testMulti"; }
  std::string GetDefaultName() const override { return "Multi"; }
  std::string GetSelectionCaption() const override { return "Chosen"; }
  bool ShowsRanges() const override { return true; }
  bool NumbersRepeatedName() const override { return true; }
  std::unique_ptr<TPelSubPar> NewSubPar(TOrvRandGen*) override {
    return New<TTestSubPar>(Survey, this);
  }
  TTestSubPar* Add(std::initializer_list<int> Ns) {
    auto* S = static_cast<TTestSubPar*>(AddSubPar(NewSubPar(nullptr)));
    S->Add(Ns);
    return S;
  }

 protected:
  TTestMulti& operator=(const TTestMulti&) = default;
};

// The same class reached by another keyword and a subclass.
class TTestMultiChild : public TTestMulti {
  QUIN_CLASS(TTestMultiChild, TTestMulti)
  QUIN_RW_CLASS(TTestMultiChild)
 public:
  using TTestMulti::TTestMulti;
  static std::string StaticKeyword() { return "testMultiChild"; }
};

class TTestOption : public TPelPar {
  QUIN_CLASS(TTestOption, TPelPar)
  QUIN_RW_CLASS(TTestOption)
 public:
  using TPelPar::TPelPar;
  static std::string StaticKeyword() { return "testOption"; }
  static bool StaticIsAvailableInMode(uint8_t Mode) { return Mode < 2; }
  std::string GetDefaultName() const override { return "Option"; }
  bool HasSubTotalItem() const override { return SubTotalItem; }
  bool SubTotalItem = false;
  bool Empty = false;
  bool IsEmpty() const override { return Empty; }
  TPelDims GetDims(bool, bool, bool) override { return Dims; }
  TPelDims Dims{3, 1};
};

inline void RegisterTestParClasses() {
  RegisterRWObjectClass(RWClassOf<TTestMulti>());
  RegisterRWObjectClass(RWClassOf<TTestMultiChild>());
  RegisterRWObjectClass(RWClassOf<TTestOption>());
}

}  // namespace quin::test
