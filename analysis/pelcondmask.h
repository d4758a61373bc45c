// The masks of conditions, made once per survey file and kept in its shared column store: per
// record, whether an element's condition selects the record (kPelMaskSelected) and whether it
// is undefined for it (kPelMaskMissing), exactly as evaluating the element's group gives them.
// A mask is named by what the condition reads (columns, codes, operators, waves), never by the
// objects of one session, so every element, table and session naming the same condition over
// the same file shares it, also after a survey was closed and opened again.
#pragma once

#include <memory>
#include <string>

#include "analysis/pelcolstore.h"

namespace quin {

class TPelGroup;
class TPelResElem;
class TPelResManager;
class TGimWaveList;

// The name of Group's condition over record set RecsetIndex with the waves of Waves; false
// when the condition reads what only its session knows (user-defined questions) or objects of
// classes whose evaluation is their own.
bool PelConditionKey(const TPelGroup& Group, const TGimWaveList* Waves, int RecsetIndex,
                     std::string& Key);

// The mask of element E's condition over the manager's based-on record set, from the store
// (made there the first time); null when E has no group or its condition cannot be shared.
// A condition on one question whose columns are columns of codes is made as an "or" over its
// byte columns; any other by evaluating a copy of the group.
std::shared_ptr<const TPelByteColumn> PelConditionMask(TPelResManager& M, TPelResElem* E);

}  // namespace quin
