// Helpers of the definition-language tests: messages as text, and a fixture with an English
// session and a message list.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/langmanager.h"
#include "base/orvmessages.h"

namespace quin::test {

// Messages as "line:column text" in English, joined by " | ".
inline std::string MsgText(const TOrvMsgList& L) {
  std::string R;
  for (int I = 0; I < L.Count(); ++I) {
    const TOrvMsg* M = L.GetItem(I);
    if (!R.empty()) R += " | ";
    R += std::to_string(M->Pos.Line) + ":" + std::to_string(M->Pos.Column) + " " + M->MessageText();
  }
  return R;
}

// An English session bound to the test's thread, and the messages of what the test reads.
class TRixTest : public testing::Test {
 protected:
  std::unique_ptr<TOrvLangManager> En = New<TOrvLangManager>("enu");
  TLangManagerBinding Bind{En.get()};
  TOrvMsgList Msgs;
};

}  // namespace quin::test
