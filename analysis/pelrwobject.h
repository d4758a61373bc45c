// Savable objects of the analysis layer: everything a user can name and keep (parameters, price
// lists, circulation data, user-defined questions) writes itself as one definition block
// ("def", its class keyword, its keys, "end;"), reads itself back from such a block, copies
// itself and is created from its keyword alone through the savable-class registry.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/orvclasses.h"
#include "base/orvmessages.h"

namespace quin {

class TPelSurvey;
class TPelRWObject;
class TRixScanner;
class TStream;
class TGimTreeView;
struct TGimViewNode;

// The class-level answers of a savable class, reachable without an object: its class, its
// definition keyword, the survey modes that offer it and its virtual constructor. A pointer to
// one stands for a class reference.
struct TPelRWClass {
  const ClassInfo* Class;
  std::string (*Keyword)();
  // 0 desktop, 1 web.
  bool (*IsAvailableInMode)(uint8_t Mode);
  // The virtual constructor Create(Survey).
  std::unique_ptr<TPelRWObject> (*Create)(TPelSurvey* Survey);

  bool InheritsFrom(const TPelRWClass& Other) const { return Class->InheritsFrom(*Other.Class); }
};

// The class record of a concrete savable class T: T::StaticKeyword, T::StaticIsAvailableInMode
// (inherited from the nearest class that defines them) and creation through New<T>(Survey).
template <class T>
const TPelRWClass& RWClassOf() {
  static const TPelRWClass C{
      &T::StaticClass(), &T::StaticKeyword, &T::StaticIsAvailableInMode,
      [](TPelSurvey* Survey) -> std::unique_ptr<TPelRWObject> { return New<T>(Survey); }};
  return C;
}

}  // namespace quin

// Declares, in the body of a concrete savable class, its class record and the copy and assign
// operations made of its C++ copy constructor and copy assignment.
#define QUIN_RW_CLASS(Class)                                                                 \
 public:                                                                                     \
  const ::quin::TPelRWClass& RWClass() const override { return ::quin::RWClassOf<Class>(); } \
  std::unique_ptr<::quin::TOrvObject> CreateCopy() const override {                          \
    return std::unique_ptr<::quin::TOrvObject>(new Class(*this));                            \
  }                                                                                          \
                                                                                             \
 protected:                                                                                  \
  void AssignFields(const ::quin::TPelRWObject& Source) override {                           \
    *this = static_cast<const Class&>(Source);                                               \
  }                                                                                          \
                                                                                             \
 public:

namespace quin {

class TPelRWObject : public TOrvObject {
  QUIN_CLASS(TPelRWObject, TOrvObject)
 public:
  // Create(Survey): auto-named, the survey stored.
  explicit TPelRWObject(TPelSurvey* ASurvey = nullptr) : Survey(ASurvey) {}
  TPelRWObject(const TPelRWObject&) = default;

  // True while the object has no name of its own.
  bool AutoNamed = true;
  // Changed since saved; copied with the object. No operation of the server sets it.
  bool Changed = false;
  // The user's name; meaningful only while AutoNamed is False.
  std::string Name;
  TPelSurvey* Survey = nullptr;  // not owned

  // ---- Class-level answers (hidden by the classes that answer otherwise)
  static std::string StaticKeyword() { return {}; }
  // The base offers a class in desktop mode only.
  static bool StaticIsAvailableInMode(uint8_t Mode) { return Mode == 0; }

  virtual const TPelRWClass& RWClass() const = 0;

  // ---- Virtual operations
  // Desktop tree display; nothing in the base.
  virtual void AddToTreeView(TGimTreeView& Tree, TGimViewNode* ParentNode) {}
  // Called after the object was edited.
  virtual void UpdateState() {}
  // The file writer then writes a "survey" key into the object's block.
  virtual bool IsSurveySpecific() const { return true; }
  virtual std::string GetDisplayName() const { return GetName(); }
  // After the object was read from a parameter-definition file.
  virtual void AfterLoadFromFile() {}
  std::string GetKeyword() const { return RWClass().Keyword(); }
  virtual std::string GetTypeName() const { return {}; }
  // Empty objects are removed from analyses.
  virtual bool IsEmpty() const { return false; }
  // Every field taken from Source (owned lists deep-copied), then AutoNamed. Source must be of
  // this object's class or derive from it; assigning an object to itself changes nothing.
  virtual void Assign(const TPelRWObject& Source);
  // The class's bilingual default name, used while AutoNamed.
  virtual std::string GetDefaultName() const = 0;
  virtual void TreeNodeCollapsed(TGimViewNode* Node) {}
  virtual void TreeNodeExpanded(TGimViewNode* Node) {}
  bool IsAvailableInMode(uint8_t Mode) const { return RWClass().IsAvailableInMode(Mode); }
  // Reads the keys of the object's block up to and including "end;": here every key through
  // ReadKey.
  virtual void ReadBody(TRixScanner& Scanner, TPelSurvey* ASurvey) { ReadKeysToEnd(Scanner); }
  // Reads one key of the class or its ancestors: "name" here. True when the current
  // instruction was one of them (read, or reported and skipped).
  virtual bool ReadKey(TRixScanner& Scanner);
  // The object reads an "id" key of its own: the file reader then leaves the block's optional
  // leading "id" to it instead of skipping it.
  virtual bool ReadsOwnID() const { return false; }
  // Applied to the copy written into a parameter-definition file.
  virtual void ClearIdentity() {}
  virtual bool UnaskedFlagA() const { return false; }
  virtual bool UnaskedFlagB() const { return false; }
  // After a parameter list changed or was read, and after Assign.
  virtual void SyncWithParList() {}
  // The keys of the object's block: "name" unless auto-named.
  virtual void WriteBody(TStream& Stream, int& Indent) const;

  // Name, or the default name while auto-named.
  std::string GetName() const { return AutoNamed ? GetDefaultName() : Name; }
  void SetName(std::string_view AName);

 protected:
  TPelRWObject& operator=(const TPelRWObject&) = default;
  // The class's copy operation applied to this object (QUIN_RW_CLASS).
  virtual void AssignFields(const TPelRWObject& Source) = 0;
  // Until "end" and its ";": ReadKey, then OwnKey when given; another instruction is reported
  // and skipped, a nested block of a keyword nobody reads is reported and skipped whole, the
  // end of the text is fatal.
  void ReadKeysToEnd(TRixScanner& Scanner, const std::function<bool(TRixScanner&)>& OwnKey = {},
                     const std::function<bool(TRixScanner&)>& OwnBlock = {});
};

// ---- Savable-class registry: keywords compare without regard to case; the first class
// registered for a keyword stays.
void RegisterRWObjectClass(const TPelRWClass& Class);
// The first class whose keyword equals Keyword ignoring case; null when none.
const TPelRWClass* FindRWObjectClass(std::string_view Keyword);

// A value read from a file lies outside what the key allows: the nearest allowed value is
// taken (arguments: the value read, the value taken).
extern const TOrvMsgClass TPelWarning_ValueOutOfRange;
// Key and an integer; a value outside Min..Max is reported and the nearest bound taken. True
// when the instruction was taken (as RixKeyTaken).
bool ReadIntegerInRange(TRixScanner& Scanner, std::string_view Key, int32_t& Value, int32_t Min,
                        int32_t Max);

// True when the instruction at hand was taken by the typed reader whose answer is Read: it
// was read, or its key matched and the value was reported and skipped.
bool RixKeyTaken(const TRixScanner& Scanner, bool Read);

}  // namespace quin
