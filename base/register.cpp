#include "base/register.h"

#include "base/langmanager.h"
#include "base/metaclass.h"
#include "base/orvclasses.h"
#include "base/orvmessages.h"

namespace quin {

void RegisterBaseClasses() {
  for (const ClassInfo* C :
       {&TObject::StaticClass(), &TOrvObject::StaticClass(), &TOrvObjectList::StaticClass(),
        &TOrvPersistent::StaticClass(), &TOrvTreeNode::StaticClass(),
        &TOrvTreeNodeList::StaticClass(), &TOrvTree::StaticClass(), &TOrvCol::StaticClass(),
        &TOrvColList::StaticClass(), &TOrvLangManager::StaticClass(), &TOrvMsg::StaticClass(),
        &TOrvMsgList::StaticClass()})
    ClassRegistry::Register(*C);
}

}  // namespace quin
