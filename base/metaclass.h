// The class model of the program's own objects: every class that is created by name,
// tested with "is" / "is exactly", or copied through its own class carries a ClassInfo.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quin {

class TObject;
class TPropTable;

// Class descriptor: name, parent, (for creatable classes) a factory, and (for classes whose
// properties are reached by name) the published-property table (base/properties.h).
struct ClassInfo {
  const char* Name;
  const ClassInfo* Parent;
  TObject* (*Factory)();                   // null for abstract classes
  const TPropTable* (*Props)() = nullptr;  // null when the class publishes nothing of its own
  // The number of ancestors (TObject: 0); set from Parent, never given.
  int Depth = Parent ? Parent->Depth + 1 : 0;

  // True when this class is `Other` or derives from it: only the ancestor at Other's depth can
  // be Other, so at most the levels between the two are walked (a test that fails on depth
  // walks none). Tests of class run by the million in a table calculation.
  bool InheritsFrom(const ClassInfo& Other) const {
    const ClassInfo* C = this;
    for (int D = Depth; D > Other.Depth; --D) C = C->Parent;
    return C == &Other;
  }
  // A new object of this class, two-phase: constructed, given its owner, then
  // AfterConstruction. Null when the class is abstract.
  std::unique_ptr<TObject> Create(TObject* Owner = nullptr) const;
};

// Root of every class of ours that carries a ClassInfo.
class TObject {
 public:
  virtual ~TObject() = default;
  static const ClassInfo& StaticClass();
  virtual const ClassInfo& ClassType() const { return StaticClass(); }
  const char* ClassName() const { return ClassType().Name; }

  // "is or derives from"
  bool Is(const ClassInfo& C) const { return ClassType().InheritsFrom(C); }
  template <class T>
  bool Is() const {
    return Is(T::StaticClass());
  }
  // "is exactly"
  bool IsExactly(const ClassInfo& C) const { return &ClassType() == &C; }
  template <class T>
  bool IsExactly() const {
    return IsExactly(T::StaticClass());
  }

  // Second phase of creation: runs after the constructor of the most derived class, so
  // overrides of virtual operations are reached. Every creation through New<T>() or a
  // ClassInfo factory calls it.
  virtual void AfterConstruction() {}
  // Creation by class with an owner hands the owner over before AfterConstruction; classes
  // that keep an owner link override this.
  virtual void SetCreationOwner(TObject* Owner) {}

 protected:
  TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;
};

// Two-phase creation: construct, then run the virtual after-create step.
template <class T, class... A>
std::unique_ptr<T> New(A&&... Args) {
  std::unique_ptr<T> P(new T(std::forward<A>(Args)...));
  P->AfterConstruction();
  return P;
}

// Checked downcast of a class-model object; null when Obj is null or of another class.
template <class T>
T* As(TObject* Obj) {
  return Obj && Obj->Is<T>() ? static_cast<T*>(Obj) : nullptr;
}
template <class T>
const T* As(const TObject* Obj) {
  return Obj && Obj->Is<T>() ? static_cast<const T*>(Obj) : nullptr;
}
// Checked downcast of an owning pointer: the object as T when it is one; otherwise null, and
// the object is deleted.
template <class T, class U>
std::unique_ptr<T> OwnedAs(std::unique_ptr<U> Obj) {
  if (!As<T>(Obj.get())) return nullptr;
  return std::unique_ptr<T>(static_cast<T*>(Obj.release()));
}

// Registry of classes creatable by name. Filled explicitly at start-up, in a fixed order,
// by one register function per subsystem (RegisterBaseClasses, ...); read-only afterwards.
class ClassRegistry {
 public:
  static void Register(const ClassInfo& C);
  // Lookup ignores ASCII case; null when unknown.
  static const ClassInfo* Find(std::string_view Name);
  static std::vector<const ClassInfo*> All();
};

}  // namespace quin

// Declares the class-model members inside a class body.
#define QUIN_CLASS(Class, Parent)                \
 public:                                         \
  static const ::quin::ClassInfo& StaticClass(); \
  const ::quin::ClassInfo& ClassType() const override { return StaticClass(); }

// Defines the descriptor of a creatable class (default-constructible) in its source file.
#define QUIN_IMPLEMENT_CLASS(Class, Parent)                                                \
  const ::quin::ClassInfo& Class::StaticClass() {                                          \
    static const ::quin::ClassInfo Info{#Class, &Parent::StaticClass(),                    \
                                        []() -> ::quin::TObject* { return new Class(); }}; \
    return Info;                                                                           \
  }

// Defines the descriptor of an abstract (or not default-constructible) class.
#define QUIN_IMPLEMENT_ABSTRACT_CLASS(Class, Parent)                              \
  const ::quin::ClassInfo& Class::StaticClass() {                                 \
    static const ::quin::ClassInfo Info{#Class, &Parent::StaticClass(), nullptr}; \
    return Info;                                                                  \
  }
