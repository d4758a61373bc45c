#include "base/collation.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdint>

#include "base/text.h"

namespace quin {

struct TOrvCollator::TImpl {
  // Null when ICU offers no collator: texts then compare by their lower-cased bytes.
  std::unique_ptr<icu::Collator> Collator;

  icu::UnicodeString Unicode(std::string_view Text) const {
    const std::string Utf8 = Cp1250ToUtf8(Text);
    // ICU counts in int32_t: a longer text compares by its first 2 GiB.
    const auto Size = static_cast<int32_t>(std::min<size_t>(Utf8.size(), INT32_MAX));
    return icu::UnicodeString::fromUTF8(icu::StringPiece(Utf8.data(), Size));
  }
};

TOrvCollator::TOrvCollator(std::string_view Lang) : F(std::make_unique<TImpl>()) {
  UErrorCode Status = U_ZERO_ERROR;
  const icu::Locale L = SameText(Lang, "enu") ? icu::Locale("en", "US") : icu::Locale("pl", "PL");
  F->Collator.reset(icu::Collator::createInstance(L, Status));
  if (U_FAILURE(Status)) {
    F->Collator.reset();
    return;
  }
  // Letters and accents count, case does not.
  F->Collator->setStrength(icu::Collator::SECONDARY);
}

TOrvCollator::~TOrvCollator() = default;

int TOrvCollator::Compare(std::string_view A, std::string_view B) const {
  if (!F->Collator) return CompareText(A, B);
  UErrorCode Status = U_ZERO_ERROR;
  const UCollationResult R = F->Collator->compare(F->Unicode(A), F->Unicode(B), Status);
  return U_FAILURE(Status) ? CompareText(A, B) : static_cast<int>(R);
}

std::string TOrvCollator::SortKey(std::string_view Text) const {
  if (!F->Collator) return LowerCase(Text);
  const icu::UnicodeString U = F->Unicode(Text);
  std::string Key(U.length() * 4 + 16, '\0');
  auto* Bytes = reinterpret_cast<uint8_t*>(Key.data());
  int32_t N = F->Collator->getSortKey(U, Bytes, static_cast<int32_t>(Key.size()));
  if (N > static_cast<int32_t>(Key.size())) {
    Key.resize(N);
    N = F->Collator->getSortKey(U, reinterpret_cast<uint8_t*>(Key.data()), N);
  }
  // The key ends with a zero byte, which would not change the order.
  Key.resize(N > 0 ? N - 1 : 0);
  return Key;
}

}  // namespace quin
