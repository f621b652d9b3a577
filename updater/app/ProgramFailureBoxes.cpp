#include "app/ProgramFailureBoxes.h"

namespace meru {

namespace {

void ShowSetupFailure(WindowRef owner, const char* what) {
    ReportBox(owner, what, "Setup Error", kBoxOk);
    ReportBox(owner, "Update not attempted.", "Card Communication Failed", kBoxOk);
}

}  // namespace

void ShowProgramFailure(WindowRef owner, const ProgramResult& result, bool quiet) {
    switch (result.outcome) {
    case ProgramResult::Outcome::kProtocolsNotBlocked:
        ShowSetupFailure(owner, "Attempt to block protocols failed.");
        return;
    case ProgramResult::Outcome::kAuxNotEnabled:
        ShowSetupFailure(owner, "Enable Aux failed.");
        return;
    case ProgramResult::Outcome::kBlockFailed:
        if (quiet) ReportBox(owner, "Error programming block. Continue anyway?", "Programming error.", kBoxYesNo);
        return;
    case ProgramResult::Outcome::kWritten:
    case ProgramResult::Outcome::kNotOpen:
        return;
    }
}

}  // namespace meru
