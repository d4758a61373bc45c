#include "base/metaclass.h"

#include <mutex>

#include "base/text.h"

namespace quin {

const ClassInfo& TObject::StaticClass() {
  static const ClassInfo Info{"TObject", nullptr, nullptr};
  return Info;
}

std::unique_ptr<TObject> ClassInfo::Create(TObject* Owner) const {
  if (!Factory) return nullptr;
  std::unique_ptr<TObject> P(Factory());
  if (Owner) P->SetCreationOwner(Owner);
  P->AfterConstruction();
  return P;
}

namespace {
std::vector<const ClassInfo*>& Classes() {
  static std::vector<const ClassInfo*> List;
  return List;
}
std::mutex& RegistryLock() {
  static std::mutex M;
  return M;
}
}  // namespace

void ClassRegistry::Register(const ClassInfo& C) {
  std::lock_guard<std::mutex> G(RegistryLock());
  for (const ClassInfo* Known : Classes())
    if (Known == &C) return;
  Classes().push_back(&C);
}

const ClassInfo* ClassRegistry::Find(std::string_view Name) {
  std::lock_guard<std::mutex> G(RegistryLock());
  for (const ClassInfo* C : Classes())
    if (SameText(C->Name, Name)) return C;
  return nullptr;
}

std::vector<const ClassInfo*> ClassRegistry::All() {
  std::lock_guard<std::mutex> G(RegistryLock());
  return Classes();
}

}  // namespace quin
