// Published properties: the properties of a class that readers reach by name (the schema
// parser stores values into them, copies inherited ones, fills object lists). Each class that
// publishes properties describes them once, where it is defined:
//
//   void DescribeEnviron(TPropTableBuilder<TMerEnviron>& P) {
//     P.Text("name", &TMerEnviron::Name);
//     P.Int("version", &TMerEnviron::Version);
//     P.Enum("kind", &TMerEnviron::Kind, {"ekGeneral", "ekPress"});
//     P.StringList("languagesList", &TMerEnviron::Languages);
//     P.ObjectList("infoList", &TMerEnviron::Infos);
//   }
//   QUIN_IMPLEMENT_CLASS_WITH_PROPS(TMerEnviron, TOrvPersistent, DescribeEnviron)
//
// Lookups of properties ignore case and search up the parent chain.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "base/metaclass.h"

namespace quin {

enum class TPropKind { Text, Int, Bool, Float, Date, Enum, Set, Object, ObjectList, StringList };

// One published property. Scalars are read and written as text (Enum: the element's name;
// Set: names joined by ","; Bool: "0"/"1"; Float and Date: a double), integers also directly.
struct TPropInfo {
  std::string Name;
  TPropKind Kind = TPropKind::Text;
  std::vector<std::string> EnumNames;  // Enum and Set: the names by ordinal
  std::function<std::string(const TObject&)> GetText;
  std::function<bool(TObject&, std::string_view)> SetText;  // false: value not acceptable
  std::function<int64_t(const TObject&)> GetInt;
  std::function<bool(TObject&, int64_t)> SetInt;
  std::function<double(const TObject&)> GetFloat;  // Float and Date (days since 1899-12-30)
  std::function<void(TObject&, double)> SetFloat;
  // Object: the object held (may be null) and its replacement (the old one is freed).
  // ObjectList: the list object (a TOrvObjectList). The class is what the property holds.
  std::function<TObject*(const TObject&)> GetObject;
  std::function<void(TObject&, std::unique_ptr<TObject>)> SetObject;
  const ClassInfo* ObjectClass = nullptr;
  std::function<std::vector<std::string>*(TObject&)> GetStringList;

  bool IsScalar() const {
    return Kind != TPropKind::Object && Kind != TPropKind::ObjectList &&
           Kind != TPropKind::StringList;
  }
};

class TPropTable {
 public:
  void Add(TPropInfo Info) { FProps.push_back(std::move(Info)); }
  // This class's own property of that name (case ignored); null when none.
  const TPropInfo* FindOwn(std::string_view Name) const;
  const std::vector<TPropInfo>& Props() const { return FProps; }

 private:
  std::vector<TPropInfo> FProps;
};

// The property Name of class C or one of its ancestors (case ignored); null when none.
const TPropInfo* FindProperty(const ClassInfo& C, std::string_view Name);
inline const TPropInfo* FindProperty(const TObject& Obj, std::string_view Name) {
  return FindProperty(Obj.ClassType(), Name);
}
// Every published property of C, ancestors' first.
std::vector<const TPropInfo*> AllProperties(const ClassInfo& C);

// Index of Name among Names, ignoring case; -1 when absent.
int FindEnumName(const std::vector<std::string>& Names, std::string_view Name);

template <class C>
class TPropTableBuilder {
 public:
  explicit TPropTableBuilder(TPropTable& T) : FTable(T) {}

  void Text(const char* Name, std::string C::*Member) {
    TPropInfo P = Base(Name, TPropKind::Text);
    P.GetText = [Member](const TObject& O) { return Self(O).*Member; };
    P.SetText = [Member](TObject& O, std::string_view V) {
      Self(O).*Member = std::string(V);
      return true;
    };
    FTable.Add(std::move(P));
  }

  template <class I>
  requires std::is_integral_v<I> &&
      (!std::is_same_v<I, bool>)void Int(const char* Name, I C::*Member) {
    TPropInfo P = Base(Name, TPropKind::Int);
    P.GetInt = [Member](const TObject& O) { return static_cast<int64_t>(Self(O).*Member); };
    P.SetInt = [Member](TObject& O, int64_t V) {
      if (V < static_cast<int64_t>(std::numeric_limits<I>::min()) ||
          V > static_cast<int64_t>(std::numeric_limits<I>::max()))
        return false;
      Self(O).*Member = static_cast<I>(V);
      return true;
    };
    P.GetText = [Member](const TObject& O) { return std::to_string(Self(O).*Member); };
    FTable.Add(std::move(P));
  }

  void Bool(const char* Name, bool C::*Member) {
    TPropInfo P = Base(Name, TPropKind::Bool);
    P.GetInt = [Member](const TObject& O) { return int64_t(Self(O).*Member ? 1 : 0); };
    P.SetInt = [Member](TObject& O, int64_t V) {
      if (V != 0 && V != 1) return false;
      Self(O).*Member = V == 1;
      return true;
    };
    P.GetText = [Member](const TObject& O) { return std::string(Self(O).*Member ? "1" : "0"); };
    FTable.Add(std::move(P));
  }

  void Float(const char* Name, double C::*Member) { FloatLike(Name, Member, TPropKind::Float); }
  // A date as days since 1899-12-30.
  void Date(const char* Name, double C::*Member) { FloatLike(Name, Member, TPropKind::Date); }

  // An enumeration stored as its ordinal; Names are the element names by ordinal.
  template <class E>
  void Enum(const char* Name, E C::*Member, std::initializer_list<const char*> Names) {
    TPropInfo P = Base(Name, TPropKind::Enum);
    for (const char* N : Names) P.EnumNames.emplace_back(N);
    const std::vector<std::string> Copy = P.EnumNames;
    P.GetText = [Member, Copy](const TObject& O) {
      const auto I = static_cast<size_t>(Self(O).*Member);
      return I < Copy.size() ? Copy[I] : std::string();
    };
    P.SetText = [Member, Copy](TObject& O, std::string_view V) {
      const int I = FindEnumName(Copy, V);
      if (I < 0) return false;
      Self(O).*Member = static_cast<E>(I);
      return true;
    };
    P.GetInt = [Member](const TObject& O) { return static_cast<int64_t>(Self(O).*Member); };
    FTable.Add(std::move(P));
  }

  // A set of enumeration elements stored as bits (bit i = element i); read and written as the
  // names joined by ",".
  template <class B>
  requires std::is_unsigned_v<B>
  void Set(const char* Name, B C::*Member, std::initializer_list<const char*> Names) {
    TPropInfo P = Base(Name, TPropKind::Set);
    for (const char* N : Names) P.EnumNames.emplace_back(N);
    const std::vector<std::string> Copy = P.EnumNames;
    P.GetText = [Member, Copy](const TObject& O) { return SetToText(Self(O).*Member, Copy); };
    P.SetText = [Member, Copy](TObject& O, std::string_view V) {
      uint64_t Bits = 0;
      if (!TextToSet(V, Copy, Bits) || Bits > std::numeric_limits<B>::max()) return false;
      Self(O).*Member = static_cast<B>(Bits);
      return true;
    };
    FTable.Add(std::move(P));
  }

  // An owned object held in a unique_ptr of a class of ours.
  template <class T>
  void Object(const char* Name, std::unique_ptr<T> C::*Member) {
    TPropInfo P = Base(Name, TPropKind::Object);
    P.ObjectClass = &T::StaticClass();
    P.GetObject = [Member](const TObject& O) -> TObject* { return (Self(O).*Member).get(); };
    P.SetObject = [Member](TObject& O, std::unique_ptr<TObject> V) {
      if (V && !V->Is<T>()) return;  // another class never enters the property
      Self(O).*Member = OwnedAs<T>(std::move(V));
    };
    FTable.Add(std::move(P));
  }

  // An object list held by value or through a unique_ptr (a TOrvObjectList descendant).
  template <class L>
  void ObjectList(const char* Name, L C::*Member) {
    TPropInfo P = Base(Name, TPropKind::ObjectList);
    P.GetObject = [Member](const TObject& O) -> TObject* {
      auto& Field = const_cast<C&>(Self(O)).*Member;
      if constexpr (requires { Field.get(); })
        return Field.get();
      else
        return &Field;
    };
    FTable.Add(std::move(P));
  }

  void StringList(const char* Name, std::vector<std::string> C::*Member) {
    TPropInfo P = Base(Name, TPropKind::StringList);
    P.GetStringList = [Member](TObject& O) { return &(Self(O).*Member); };
    FTable.Add(std::move(P));
  }

  // A property with hand-written accessors (computed values, side effects).
  void Custom(TPropInfo Info) { FTable.Add(std::move(Info)); }

 private:
  static const C& Self(const TObject& O) { return static_cast<const C&>(O); }
  static C& Self(TObject& O) { return static_cast<C&>(O); }
  static TPropInfo Base(const char* Name, TPropKind Kind) {
    TPropInfo P;
    P.Name = Name;
    P.Kind = Kind;
    return P;
  }
  void FloatLike(const char* Name, double C::*Member, TPropKind Kind) {
    TPropInfo P = Base(Name, Kind);
    P.GetFloat = [Member](const TObject& O) { return Self(O).*Member; };
    P.SetFloat = [Member](TObject& O, double V) { Self(O).*Member = V; };
    FTable.Add(std::move(P));
  }
  static std::string SetToText(uint64_t Bits, const std::vector<std::string>& Names);
  static bool TextToSet(std::string_view Text, const std::vector<std::string>& Names,
                        uint64_t& Bits);

  TPropTable& FTable;
};

std::string PropSetToText(uint64_t Bits, const std::vector<std::string>& Names);
// Names separated by "," (blanks and "[" "]" around them ignored); false when a name is unknown.
bool PropTextToSet(std::string_view Text, const std::vector<std::string>& Names, uint64_t& Bits);

template <class C>
std::string TPropTableBuilder<C>::SetToText(uint64_t Bits, const std::vector<std::string>& N) {
  return PropSetToText(Bits, N);
}
template <class C>
bool TPropTableBuilder<C>::TextToSet(std::string_view Text, const std::vector<std::string>& N,
                                     uint64_t& Bits) {
  return PropTextToSet(Text, N, Bits);
}

}  // namespace quin

namespace quin {

// The property table of class C, described once by Describe on first use.
template <class C, void (*Describe)(TPropTableBuilder<C>&)>
const TPropTable* PropTableOf() {
  static const TPropTable Table = [] {
    TPropTable T;
    TPropTableBuilder<C> B(T);
    Describe(B);
    return T;
  }();
  return &Table;
}

}  // namespace quin

// Defines the descriptor of a creatable class with published properties; Describe is a
// function void(TPropTableBuilder<Class>&).
#define QUIN_IMPLEMENT_CLASS_WITH_PROPS(Class, Parent, Describe)                          \
  const ::quin::ClassInfo& Class::StaticClass() {                                         \
    static const ::quin::ClassInfo Info{#Class, &Parent::StaticClass(),                   \
                                        []() -> ::quin::TObject* { return new Class(); }, \
                                        &::quin::PropTableOf<Class, Describe>};           \
    return Info;                                                                          \
  }

// The same for an abstract class (no factory).
#define QUIN_IMPLEMENT_ABSTRACT_CLASS_WITH_PROPS(Class, Parent, Describe)        \
  const ::quin::ClassInfo& Class::StaticClass() {                                \
    static const ::quin::ClassInfo Info{#Class, &Parent::StaticClass(), nullptr, \
                                        &::quin::PropTableOf<Class, Describe>};  \
    return Info;                                                                 \
  }
