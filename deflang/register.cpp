#include "deflang/register.h"

#include "base/metaclass.h"
#include "base/register.h"
#include "deflang/rixcodes.h"
#include "deflang/rixtokens.h"

namespace quin {

void RegisterDeflangClasses() {
  RegisterBaseClasses();
  for (const ClassInfo* C :
       {&TRixCode::StaticClass(), &TRixCodeSingle::StaticClass(), &TRixCodeRange::StaticClass(),
        &TRixCodeList::StaticClass(), &TRixListElem::StaticClass(), &TRixIntegerElem::StaticClass(),
        &TRixTextElem::StaticClass(), &TRixIntegerList::StaticClass(),
        &TRixTextList::StaticClass()})
    ClassRegistry::Register(*C);
}

}  // namespace quin
