#include "deflang/register.h"

#include "base/metaclass.h"
#include "deflang/rixcodes.h"

namespace quin {

void RegisterDeflangClasses() {
  for (const ClassInfo* C : {&TRixCode::StaticClass(), &TRixCodeSingle::StaticClass(),
                             &TRixCodeRange::StaticClass(), &TRixCodeList::StaticClass()})
    ClassRegistry::Register(*C);
}

}  // namespace quin
