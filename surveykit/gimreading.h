// The reading steps shared by the survey kit's block readers: the two ends of a block body,
// blocks and instructions nobody reads, the common texts of a survey object and the identity
// checks. Every reader of a survey block is made of these steps, either in a hand-written loop
// or through TGimBlockReader.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "base/orvmessages.h"
#include "base/scopeguard.h"
#include "surveykit/gimdataobj.h"

namespace quin {

class TRixScanner;
struct TOrvTextPos;

// A block nested deeper than the readers follow; it is skipped whole.
extern const TOrvMsgClass TGimError_NestedTooDeep;

// Blocks of the data tree nest at most this deep (modules in modules, lists in lists).
inline constexpr int GimMaxNesting = 64;

// The end of the text inside a block: the fatal "Unexpected end of file." at it.
void GimUnexpectedEOF(TRixScanner& Scanner);
// At "end": consumes it and expects ";" ('";" expected.' at the end of "end" when missing).
void GimReadBlockEnd(TRixScanner& Scanner);
// The loop head of every block body: at the end of the text the fatal message, at "end" the
// end read (GimReadBlockEnd). True when the block is over, either way.
bool GimAtBlockEnd(TRixScanner& Scanner);

// Skips a block nobody reads, its "def" current: MsgClass ("Unknown key." when null) at its key
// (at the "def" with AtDef, or when the text ends after it), the key consumed when it is an
// identifier, and the block skipped whole with its own nested blocks ('"end" expected.' where
// the first message stands when the text ends inside).
void GimSkipBlock(TRixScanner& Scanner, const TOrvMsgClass* MsgClass = nullptr, bool AtDef = false);
// The same when "def" (at DefPos) has been consumed already, for readers that look at the key
// before they decide.
void GimSkipBlockAfterDef(TRixScanner& Scanner, const TOrvTextPos& DefPos,
                          const TOrvMsgClass* MsgClass = nullptr, bool AtDef = false);
// A block whose key is read, Depth blocks deep: when it lies too deep, TGimError_NestedTooDeep
// at its key (the last token read), the block skipped, and True.
bool GimSkipTooDeep(TRixScanner& Scanner, int Depth);
// An instruction nobody reads: "Unknown key." at its first token, and the instruction skipped
// to its ";" ('";" expected.' when a "def" or the end of the text comes first).
void GimUnknownKey(TRixScanner& Scanner);

// The common keys of a survey object: "id" (lower-cased identifier), "name", and with AllTexts
// also "nick" and "info" (strings, not empty; "info" may span lines). True when the
// instruction was one of them (read, or reported and skipped); False leaves it current.
bool GimReadObjectText(TRixScanner& Scanner, TGimSimpleDataObject& Obj, bool AllTexts);
// The missing-identifier and missing-name checks at the end of the last token read.
void GimCheckIDAndName(TRixScanner& Scanner, const TGimSimpleDataObject& Obj);

// Runs Body, then Close; Close runs also when Body is cut by an exception, and then the
// exception of Body wins over one that Close raises meanwhile.
template <class TBody, class TClose>
void GimReadAndClose(TBody&& Body, TClose&& Close) {
  {
    auto CloseOnFail = OnScopeFail([&] {
      try {
        Close();
      } catch (...) {  // the exception of Body goes on
      }
    });
    Body();
  }
  Close();
}

// The body of a block whose "def" and key are read, through its "end". Until "end":
// - a nested "def": Block (when given) may read it (it receives the position of "def" and
//   reads the block after ReadDefComplexStart); otherwise the block is skipped whole
//   (GimSkipBlock): "Unknown key." at its key when Block is given, else
//   TMerMsgError_UnexpectedDef at the "def";
// - another instruction: Key may read it; otherwise GimUnknownKey;
// - the end of the text: the fatal "Unexpected end of file." (reading ends here also when the
//   message list raises nothing).
// Every step consumes at least one token, so reading always ends.
struct TGimBlockReader {
  std::function<bool(TRixScanner&)> Key;
  std::function<bool(TRixScanner&, const TOrvTextPos&)> Block;
  // False when the end of the text ended the block.
  bool Read(TRixScanner& Scanner) const;
};

// The identifiers given to the objects of one tree while it is read, so that the "ID not
// unique" check does not walk the whole tree for every object. Every object of the tree is
// added once its identifier is read, and stays in the tree while the index is used.
class TGimIDIndex {
 public:
  // Indexes Obj under its current identifier (an object whose identifier changes is indexed
  // again; the old entry no longer matches).
  void Add(TGimSimpleDataObject* Obj);
  // Whether a depth-first search of the tree for class C and identifier ID (case ignored)
  // finds an object other than Self. The tree is read in depth-first order, so every object
  // that exists while Self is read lies before Self in that order, except Self's descendants.
  bool FindsOther(const ClassInfo& C, const TGimSimpleDataObject* Self, std::string_view ID) const;
  void Clear() { FByID.clear(); }

 private:
  std::unordered_multimap<std::string, TGimSimpleDataObject*> FByID;
};

}  // namespace quin
