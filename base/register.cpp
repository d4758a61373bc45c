#include "base/register.h"

#include "base/metaclass.h"

namespace quin {

void RegisterBaseClasses() {
  ClassRegistry::Register(TObject::StaticClass());
}

void RegisterAllClasses() {
  RegisterBaseClasses();
}

}  // namespace quin
