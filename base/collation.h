// Texts (Windows-1250) in the alphabetical order of a language, ignoring case: the order of
// sorted labels. Built on ICU's collation.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace quin {

class TOrvCollator {
 public:
  // The order of the program's language Lang ("plk" Polish, "enu" English; others Polish).
  // Accents count, case does not.
  explicit TOrvCollator(std::string_view Lang);
  ~TOrvCollator();
  TOrvCollator(const TOrvCollator&) = delete;
  TOrvCollator& operator=(const TOrvCollator&) = delete;

  // <0, 0 or >0.
  int Compare(std::string_view A, std::string_view B) const;
  // A key whose byte order (as std::string compares) is the collation order of Text.
  std::string SortKey(std::string_view Text) const;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> F;
};

}  // namespace quin
