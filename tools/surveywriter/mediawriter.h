// The writer of a survey definition's media sections: "press", "radio" and "tv" blocks from
// plain descriptions, in the definition language that the survey reader reads. Texts are
// written as given (8-bit); strings are quoted with their quotes doubled.
#pragma once

#include <string>
#include <vector>

namespace quin {

// A region, a group, a listening place or a signal source: an identifier and a name.
struct TSwNamed {
  std::string ID;
  std::string Name;
};

struct TSwGroupList {
  std::string Name;  // empty: no "name" key
  std::vector<TSwNamed> Groups;
};

// A press title, radio station or TV station. Keys that are empty (or, for numbers, not Has...)
// are not written.
struct TSwMediaObject {
  std::string ID;
  std::string Name;
  std::string Nick;
  std::string Info;
  bool HasCode = false;  // press titles and TV stations
  double Code = 0;
  std::string Days;                  // press: a day set as written, e.g. "mon:fri, sun"
  std::vector<std::string> Regions;  // {"all"} writes "all"
  std::vector<std::string> Groups;   // press
  std::string File;                  // press
};

struct TSwMediaModule {
  std::string ID;
  std::string Name;
  std::vector<TSwMediaModule> Modules;
  std::vector<TSwMediaObject> Objects;  // written after the nested modules
};

// One "indicator" block. Press indicators take the column keys; radio and TV ones only the
// texts.
struct TSwIndicator {
  std::string ID;
  std::string Name;
  std::string Nick;
  std::string Info;
  std::string Column;
  std::vector<std::string> ColumnList;
  std::string ColumnPrefix;
  std::string ColumnMask;
  int IndependentColumns = -1;  // -1: not written
  std::string Numeric;          // a code list as written, e.g. "1:4"
  std::string ResponseList;     // the body of a "responseList" block, as written
};

struct TSwPressSection {
  std::string Hook;
  bool DistributionData = false;
  std::vector<TSwNamed> Regions;  // no "regions" block when empty
  std::vector<TSwGroupList> GroupLists;
  TSwMediaModule Root;         // its modules and titles; its own ID and name are not written
  bool HasIndicators = false;  // without the block the survey keeps the whole catalogue
  std::vector<TSwIndicator> Indicators;
};

struct TSwRadioSection {
  std::string Hook;
  std::string DayColumn;
  std::vector<TSwNamed> Regions;
  TSwMediaModule Root;
  bool HasIndicators = false;
  std::vector<TSwIndicator> Indicators;
  std::vector<TSwNamed> Places;   // no "places" block when empty
  std::vector<TSwNamed> Sources;  // no "sources" block when empty
};

struct TSwTVSection {
  std::string StationsCol;
  std::string MinutesCol;
  std::string DaysCol;
  std::string QsCol;
  TSwMediaModule Root;
  bool HasIndicators = false;
  std::vector<TSwIndicator> Indicators;
};

// A quoted string of the definition language.
std::string SwQuote(const std::string& Text);
// The whole blocks, "def press" ... "end;", each line ended by CR LF.
std::string PressSectionText(const TSwPressSection& Press);
std::string RadioSectionText(const TSwRadioSection& Radio);
std::string TVSectionText(const TSwTVSection& TV);

}  // namespace quin
