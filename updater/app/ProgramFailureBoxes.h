#pragma once

#include "base/ReportBox.h"
#include "card/ProgramResult.h"

namespace meru {

// The boxes that follow an image the card layer did not write: a refused
// set-up gives its reason and "Update not attempted."; a failed block gives,
// in a quiet run only, the question of going on (which a quiet session
// answers Cancel: the run has stopped at that block either way). Nothing
// for a written image.
void ShowProgramFailure(WindowRef owner, const ProgramResult& result, bool quiet);

}  // namespace meru
