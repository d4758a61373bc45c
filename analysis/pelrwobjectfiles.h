// Parameter-definition files (.zop): a list of savable-object blocks after a fixed header.
// Blocks that are not read (another survey's, a class the caller did not ask for, or one that
// fails to read) are kept as their exact source text and written back unchanged.
//
// The files are untrusted: the first error ends the load with EMsgList_FatalError (the
// elements read so far stay), a wrong signature raises ESIGErr, a version outside 0..1
// EVERErr.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "analysis/pelrwobject.h"
#include "base/guid.h"
#include "base/orvmessages.h"
#include "deflang/rixscanner.h"

namespace quin {

// The first line of every parameter-definition file.
extern const char* const kPelParFileTitle;
// The signatures of the two file kinds; both have version 1.
const TGUID& PelParFileSignature(uint8_t Kind);

// The scanner of a parameter-definition file: a question reference qualified with another
// survey's identity raises in the survey's question lookup.
class TPelParFileScanner : public TRixScanner {
  QUIN_CLASS(TPelParFileScanner, TRixScanner)
 public:
  using TRixScanner::TRixScanner;
  bool RaiseIfOtherSurvey = true;
};
// Whether question lookups of Scanner raise for another survey's question.
bool RaisesForOtherSurvey(const TRixScanner& Scanner);

// One block of a file.
class TPelRWObjectFileElem : public TOrvObject {
  QUIN_CLASS(TPelRWObjectFileElem, TOrvObject)
 public:
  TPelRWObjectFileElem() = default;
  TPelRWObjectFileElem(const TPelRWObjectFileElem&) = delete;

  // Copies of the messages raised while the object was read (no limits apply).
  TOrvMsgList Msgs{0, 0};
  std::unique_ptr<TPelRWObject> Obj;      // null when the block was not read
  const TPelRWClass* ObjClass = nullptr;  // the class registered for the block's keyword
  // Without Obj: the block exactly as it stood, from "def" through the ";" after its "end".
  std::string RawText;
};

class TPelRWObjectFileElemList : public TOrvTypedList<TPelRWObjectFileElem> {
  QUIN_CLASS(TPelRWObjectFileElemList, TOrvObjectList)
 public:
  TPelRWObjectFileElemList() : TOrvTypedList(true) {}
};

class TPelRWObjectFile : public TOrvObject {
  QUIN_CLASS(TPelRWObjectFile, TOrvObject)
 public:
  // An empty file of Kind (0 everywhere in the analysis layer, 1 the second signature).
  explicit TPelRWObjectFile(TPelSurvey* ASurvey = nullptr, uint8_t AKind = 0)
      : Kind(AKind), Survey(ASurvey) {}
  TPelRWObjectFile(const TPelRWObjectFile&) = delete;

  uint8_t Kind;
  TPelSurvey* Survey;    // not owned
  std::string FileName;  // empty until saved
  TPelRWObjectFileElemList Elems;

  // Reads FileName (which is not stored) through ReadFromStream.
  void LoadFromFile(const std::string& AFileName, const TPelRWClass* OnlyClass = nullptr);
  // Appends the blocks of Stream, from its position on, to Elems. With OnlyClass, blocks of any
  // other class (a subclass included) are kept as text.
  void ReadFromStream(TStream& Stream, const TPelRWClass* OnlyClass = nullptr);
  void WriteToStream(TStream& Stream) const;
  // Keeps the previous version as the backup file, then writes the file anew.
  void SaveToFile(const std::string& AFileName);
  // FileName, or "[Noname]" translated.
  std::string GetName() const;

  // A new element holding Obj (owned), appended.
  TPelRWObjectFileElem* AddObject(std::unique_ptr<TPelRWObject> Obj);

 private:
  void ReadBlock(TPelParFileScanner& Scanner, TOrvMsgList& MsgList, const TPelRWClass* OnlyClass);
};

// The file-dialog filter of parameter-definition files, all files last (desktop dialogs).
std::string ParameterFileFilter();

}  // namespace quin
