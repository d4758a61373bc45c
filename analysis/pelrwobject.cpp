#include "analysis/pelrwobject.h"

#include <algorithm>
#include <mutex>

#include "base/exception.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "deflang/rixwriter.h"
#include "surveykit/gimreading.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelRWObject, TOrvObject)

void TPelRWObject::Assign(const TPelRWObject& Source) {
  if (&Source == this) return;
  if (!Source.Is(ClassType()))
    throw Exception(std::string("Cannot assign a ") + Source.ClassName() + " to a " + ClassName());
  AssignFields(Source);
  AutoNamed = true;
}

bool TPelRWObject::ReadKey(TRixScanner& Scanner) {
  std::string V;
  const bool Read =
      Scanner.ReadString("name", V, /*AllowMultiLine=*/false, /*AllowEmpty=*/true, nullptr);
  if (Read) SetName(V);
  return RixKeyTaken(Scanner, Read);
}

void TPelRWObject::WriteBody(TStream& Stream, int& Indent) const {
  if (!AutoNamed) WriteKeyString(Stream, Indent, "name", "", Name);
}

void TPelRWObject::SetName(std::string_view AName) {
  Name = AName;
  AutoNamed = false;
}

void TPelRWObject::ReadKeysToEnd(TRixScanner& Scanner,
                                 const std::function<bool(TRixScanner&)>& OwnKey,
                                 const std::function<bool(TRixScanner&)>& OwnBlock) {
  TGimBlockReader R;
  R.Key = [&](TRixScanner& S) { return ReadKey(S) || (OwnKey && OwnKey(S)); };
  R.Block = [&](TRixScanner& S, const TOrvTextPos&) { return OwnBlock && OwnBlock(S); };
  R.Read(Scanner);
}

const TOrvMsgClass TPelWarning_ValueOutOfRange{
    "TPelWarning_ValueOutOfRange", &TOrvMsgKind_Warning,
    "<PLK>Wartość %s poza zakresem; przyjęto %s.<ENU>Value %s out of range; %s used."};

bool ReadIntegerInRange(TRixScanner& Scanner, std::string_view Key, int32_t& Value, int32_t Min,
                        int32_t Max) {
  const TOrvTextPos At = Scanner.Token->StartPos;
  int32_t V = 0;
  if (!Scanner.ReadInteger(Key, V)) return RixKeyTaken(Scanner, false);
  Value = std::clamp(V, Min, Max);
  if (Value != V)
    Scanner.AddMsgArgsAt(TPelWarning_ValueOutOfRange, At, {IntToStr(V), IntToStr(Value)});
  return true;
}

bool RixKeyTaken(const TRixScanner& Scanner, bool Read) {
  return Read || Scanner.LastReadResult() != TRixReadResult::NoMatch;
}

namespace {

std::vector<const TPelRWClass*>& RWClasses() {
  static std::vector<const TPelRWClass*> List;
  return List;
}
std::mutex& RWClassesLock() {
  static std::mutex M;
  return M;
}

}  // namespace

void RegisterRWObjectClass(const TPelRWClass& Class) {
  std::lock_guard<std::mutex> G(RWClassesLock());
  const std::string Key = Class.Keyword();
  for (const TPelRWClass* C : RWClasses())
    if (SameText(C->Keyword(), Key)) return;
  RWClasses().push_back(&Class);
}

const TPelRWClass* FindRWObjectClass(std::string_view Keyword) {
  std::lock_guard<std::mutex> G(RWClassesLock());
  for (const TPelRWClass* C : RWClasses())
    if (SameText(C->Keyword(), Keyword)) return C;
  return nullptr;
}

}  // namespace quin
