// Positioned messages and bounded message lists: readers report each problem at a place in
// the text and go on; the list turns a fatal message, or one error too many, into
// EMsgList_FatalError.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "base/orvclasses.h"
#include "base/orvexceptions.h"

namespace quin {

// A place in a text, all counted from 1; the start of a text is (1, 1, 1).
struct TOrvTextPos {
  int32_t Offset = 1;
  int32_t Column = 1;
  int32_t Line = 1;
  bool operator==(const TOrvTextPos&) const = default;
};

// Note the argument order: offset, line, column.
inline TOrvTextPos MakeTextPos(int32_t Offset, int32_t Line, int32_t Column) {
  return TOrvTextPos{.Offset = Offset, .Column = Column, .Line = Line};
}
// Orders by offset, then line, then column.
int CompareTextPos(const TOrvTextPos& A, const TOrvTextPos& B);

// A message kind: used only by reference, with a parent link for "is or derives from".
struct TOrvMsgKind {
  const char* Name;
  const TOrvMsgKind* Parent;
  const char* Code;
  const char* DisplayNameUtf8;  // bilingual
  bool InheritsFrom(const TOrvMsgKind& Other) const;
  // Translated through the current session's language manager.
  std::string DisplayName() const;
};

const TOrvMsgKind& TOrvMsgKind_Error();
const TOrvMsgKind& TOrvMsgKind_FatalError();  // derives from Error
const TOrvMsgKind& TOrvMsgKind_Warning();
const TOrvMsgKind& TOrvMsgKind_Hint();
const TOrvMsgKind& TOrvMsgKind_Info();

// The class of a concrete message: its name, kind, bilingual template (UTF-8 source text) and
// number. Each component declares its message classes as constants of this type.
struct TOrvMsgClass {
  const char* Name;
  const TOrvMsgKind& (*Kind)();
  const char* TemplateUtf8;
  int Number = 0;
};

extern const TOrvMsgClass TOrvMsg_FatalError_TooManyErrors;

class TOrvMsg : public TOrvObject {
  QUIN_CLASS(TOrvMsg, TOrvObject)
  QUIN_COPY(TOrvMsg)
 public:
  // Create(Pos) of the message class: stores Pos, then the class sets Kind and Template.
  TOrvMsg(const TOrvMsgClass& AClass, const TOrvTextPos& APos);
  static std::unique_ptr<TOrvMsg> Create(const TOrvMsgClass& AClass, const TOrvTextPos& APos);
  static std::unique_ptr<TOrvMsg> CreateFromText(const TOrvMsgClass& AClass, std::string AText,
                                                 const TOrvTextPos& APos);
  static std::unique_ptr<TOrvMsg> CreateFromArgs(const TOrvMsgClass& AClass,
                                                 const TOrvTextPos& APos, TDynStringArr AArgs);

  std::string Text;
  int Number = 0;
  std::string Note;
  const TOrvMsgKind* Kind = nullptr;
  int SortIndex = 0;
  TOrvTextPos Pos;
  std::string Template;
  TDynStringArr Args;
  const TOrvMsgClass* MsgClass = nullptr;

  bool IsClass(const TOrvMsgClass& C) const { return MsgClass == &C; }
  bool IsError() const { return Kind && Kind->InheritsFrom(TOrvMsgKind_Error()); }
  bool IsFatal() const { return Kind && Kind->InheritsFrom(TOrvMsgKind_FatalError()); }

  virtual TOrvTextPos GetPosition() const { return Pos; }
  // The kind's code followed by Number ('E0').
  virtual std::string CodeText() const;
  virtual std::string NoteText() const;
  // Template translated, "%s" places filled from Args; a message made from free text only
  // gives that text.
  virtual std::string MessageText() const;

 protected:
  TOrvMsg(const TOrvMsg&) = default;
};

class TOrvMsgList : public TOrvTypedList<TOrvMsg> {
  QUIN_CLASS(TOrvMsgList, TOrvObjectList)
 public:
  using TCompare = int (*)(const TOrvMsg&, const TOrvMsg&);
  // MaxErrors becomes MaxMsgs when 0 < MaxMsgs < MaxErrors. (100, 100) for a survey
  // definition, (0, 1) to stop at the first error, (0, 0) for no limits.
  TOrvMsgList(int AMaxMsgs = 0, int AMaxErrors = 0);
  TOrvMsgList(const TOrvMsgList& Source);
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TOrvMsgList(*this));
  }

  int MaxErrors;
  int MaxMsgs;
  TCompare Compare;

  // Takes the message over in every case; may raise EMsgList_FatalError (the list keeps
  // everything it stored, the fatal or too-many-errors message included).
  virtual void Add(std::unique_ptr<TOrvMsg> Msg);
  // Messages whose kind is, or derives from, any of Kinds.
  virtual int CountKinds(std::initializer_list<const TOrvMsgKind*> Kinds) const;
  int ErrorCount() const { return CountKinds({&TOrvMsgKind_Error()}); }
  // Stable: messages at the same place keep their order of arrival.
  virtual void SortByPosition();

 private:
  int CountErrors();
  int FErrors = 0;      // running count of errors among the stored messages
  int FCountedAt = -1;  // Count() when FErrors was last right
};

// Position ordering, ties by SortIndex.
int CompareMsgPositions(const TOrvMsg& A, const TOrvMsg& B);

}  // namespace quin
