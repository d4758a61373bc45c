// The survey kit's message classes: the problems that the readers of survey definitions, and
// the readers of reports and parameter files that refer to survey objects, report.
#pragma once

#include "base/orvmessages.h"

namespace quin {

// The kind of the report-output information messages: an Info kind (same name and code) that
// callers pick out by its own kind.
const TOrvMsgKind& TMerMsgKind_RepOutInfo();

extern const TOrvMsgClass TMerError_FileNotFound;
extern const TOrvMsgClass TMerWarning_FileNotFound;  // the same text, a warning
extern const TOrvMsgClass TMerError_NameNotDefined;
extern const TOrvMsgClass TMerMsgError_UnexpectedDef;
extern const TOrvMsgClass TMerError_IDNotDefined;
extern const TOrvMsgClass TMerError_ColNotDefined;
extern const TOrvMsgClass TMerError_IDNotUnique;
extern const TOrvMsgClass TMerMsgError_IntegerOutOfBounds;
extern const TOrvMsgClass TMerMsgError_UnknownIndID;
extern const TOrvMsgClass TMerMsgError_IndIDExpected;
extern const TOrvMsgClass TMerError_ModuleNotFound;
extern const TOrvMsgClass TMerError_ColNotFoundInAll;     // column name
extern const TOrvMsgClass TMerRepInfo_PressNotFound;      // ID
extern const TOrvMsgClass TMerRepInfo_RadioNotFound;      // ID
extern const TOrvMsgClass TMerRepInfo_QuestionNotFound;   // ID
extern const TOrvMsgClass TMerRepInfo_WaveNotFound;       // ID
extern const TOrvMsgClass TMerRepInfo_ResponseNotFound;   // response ID, question ID
extern const TOrvMsgClass TMerRepInfo_StatisticNotFound;  // ID
extern const TOrvMsgClass TMerFatal_IncorrectSurvey;

// The survey definition reader.
extern const TOrvMsgClass TGimFatal_Waves_NotDefined;
extern const TOrvMsgClass TGimFatal_Data_NotDefined;
// A section whose reader this build does not have; it is skipped whole (section key).
extern const TOrvMsgClass TMerWarning_SectionSkipped;

// The environment and info blocks.
extern const TOrvMsgClass TMerError_UnknownLanguage;
extern const TOrvMsgClass TMerWarning_WizDefinedByGroup;
extern const TOrvMsgClass TMerWarning_WizGroupOverrides;
extern const TOrvMsgClass TMerWarning_StatInAdvStats;
extern const TOrvMsgClass TMerWarning_StatAlreadyDefined;
extern const TOrvMsgClass TMerWarning_StatInStdStats;
extern const TOrvMsgClass TMerWarning_AddrNotFound;
extern const TOrvMsgClass TMerError_InfoPageTextAndAddr;
extern const TOrvMsgClass TMerError_InfoPageEmpty;
extern const TOrvMsgClass TMerError_LogoPlacementWithoutLogo;
extern const TOrvMsgClass TMerWarning_ValueRepeated;
// A file name of the definition that leaves the survey's folder or is absolute.
extern const TOrvMsgClass TMerError_FileOutsideSurvey;

}  // namespace quin
