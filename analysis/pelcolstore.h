// The decoded columns of one survey file, shared by every session that has the file open and
// by every table they compute. Columns of codes are kept as one byte per record, other
// columns and prepared weights as doubles; each is decoded once and kept while the budget of
// all stores allows (the least recently used entries that no computation holds go first).
// A store is found by the file's identity (device, inode, size, modification time) and freed
// when the last survey that holds it goes.
#pragma once

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

  // Column Col of record set RecsetIndex as one byte per record (255 missing); null when a
  // value of the column is no whole number from 0 to 254.
  std::shared_ptr<const TPelByteColumn> Bytes(TPelRecset& Recset, int RecsetIndex,
                                              const TPelCol* Col);
  // The column as doubles (kPelMissingDouble missing).
  std::shared_ptr<const TPelDoubleColumn> Doubles(TPelRecset& Recset, int RecsetIndex,
                                                  const TPelCol* Col);
  // A vector kept under Key, made by Make the first time.
  std::shared_ptr<const TPelDoubleColumn> Shared(const std::string& Key,
                                                 const std::function<TPelDoubleColumn()>& Make);
  // Columns decoded from the file so far.
  int64_t Decodes() const;
  size_t HeldBytes() const;

 private:
  struct TEntry {
    std::shared_ptr<const TPelByteColumn> B;
    std::shared_ptr<const TPelDoubleColumn> D;
    bool NotBytes = false;  // decoded once and found to hold other values
    uint64_t LastUse = 0;
    size_t Size() const;
  };
  TEntry& Touch(const std::string& Key);
  void Account(std::ptrdiff_t Delta);
  void Trim();
  mutable std::mutex FLock;
  std::map<std::string, TEntry> FEntries;
  uint64_t FClock = 0;
  size_t FBytes = 0;
  int64_t FDecodes = 0;
};

}  // namespace quin
