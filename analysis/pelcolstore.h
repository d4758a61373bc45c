// The decoded columns of one survey file, shared by every session that has the file open and
// by every table they compute. Columns of codes are kept as one byte per record indexing a
// small dictionary of their values, other columns and prepared weights as doubles, and the
// masks of conditions (which records a condition selects, and where it is undefined) as one
// byte per record; each is made once and kept while the budget of all stores allows (the
// least recently used entries that no computation holds go first). A store is found by the
// file's identity (device, inode, size, modification time) and freed, masks and all, when the
// last survey that holds it goes.
//
// An entry is made outside the store's lock: a session decoding a column holds up only the
// sessions that want that same column, which wait for it instead of decoding it again.
#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace quin {

class TPelRecset;
class TPelCol;

using TPelByteColumn = std::vector<uint8_t>;
using TPelDoubleColumn = std::vector<double>;

// A column of at most 255 distinct values: per record the code of its value, code 255 the
// missing value. Value[c] is the value of code c (the missing value for 255 and for codes no
// record has). A column whose values are all whole numbers from 0 to 254 is coded by the
// values themselves.
struct TPelCodedColumn {
  TPelByteColumn Codes;
  std::array<double, 256> Value{};
  int Distinct = 0;  // the valid values the column holds
  size_t Bytes() const { return Codes.capacity() + sizeof(Value); }
};

// The byte of a condition's mask: selected, and undefined (missing).
inline constexpr uint8_t kPelMaskSelected = 1;
inline constexpr uint8_t kPelMaskMissing = 2;

class TPelColumnStore {
 public:
  // The store of the survey file FileName; a store of its own for a name that names no file.
  static std::shared_ptr<TPelColumnStore> ForFile(const std::string& FileName);
  // A store shared with nobody.
  static std::shared_ptr<TPelColumnStore> Private();
  // The budget of all stores together, in bytes (512 MiB unless set).
  static void SetBudget(size_t Bytes);
  static size_t Budget();
  // The bytes all stores hold.
  static size_t TotalBytes();

  TPelColumnStore() = default;
  ~TPelColumnStore();
  TPelColumnStore(const TPelColumnStore&) = delete;
  TPelColumnStore& operator=(const TPelColumnStore&) = delete;

  // Column Col of record set RecsetIndex coded by its distinct values; null when the column
  // holds more than 255 distinct valid values.
  std::shared_ptr<const TPelCodedColumn> Codes(TPelRecset& Recset, int RecsetIndex,
                                               const TPelCol* Col);
  // The column as doubles (kPelMissingDouble missing).
  std::shared_ptr<const TPelDoubleColumn> Doubles(TPelRecset& Recset, int RecsetIndex,
                                                  const TPelCol* Col);
  // The sorted distinct values of the column other than the missing value.
  std::shared_ptr<const TPelDoubleColumn> Distinct(TPelRecset& Recset, int RecsetIndex,
                                                   const TPelCol* Col);
  // A vector kept under Key, made by Make the first time.
  std::shared_ptr<const TPelDoubleColumn> Shared(const std::string& Key,
                                                 const std::function<TPelDoubleColumn()>& Make);
  // The mask of a condition kept under Key (which names the condition by what it reads, never
  // by objects of one session), made by Make the first time: kPelMaskSelected and
  // kPelMaskMissing per record.
  std::shared_ptr<const TPelByteColumn> Mask(const std::string& Key,
                                             const std::function<TPelByteColumn()>& Make);
  // Columns decoded from the file so far; masks made so far.
  int64_t Decodes() const;
  int64_t MasksMade() const;
  size_t HeldBytes() const;

 private:
  // An entry being made: the others who want it wait for Done.
  struct TPending {
    bool Done = false;
    std::condition_variable Ready;
  };
  struct TEntry {
    std::shared_ptr<const void> Value;
    size_t Size = 0;
    bool Absent = false;  // made once and found to have no value (a column of many values)
    uint64_t LastUse = 0;
    std::shared_ptr<TPending> Pending;
  };
  // The value under Key, made by Make outside the lock when no one has made it yet (null from
  // Make is kept as absent); Size gives a value's bytes.
  std::shared_ptr<const void> Get(const std::string& Key,
                                  const std::function<std::shared_ptr<const void>()>& Make,
                                  const std::function<size_t(const void*)>& Size);
  void Account(std::ptrdiff_t Delta);
  void Trim();
  mutable std::mutex FLock;
  std::map<std::string, TEntry> FEntries;
  uint64_t FClock = 0;
  size_t FBytes = 0;
  int64_t FDecodes = 0;
  int64_t FMasks = 0;
};

}  // namespace quin
