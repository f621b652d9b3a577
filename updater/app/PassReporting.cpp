// The result record of each quiet pass ("-report FILE"): what the pass came
// to, noted where the run decides it, and the line appended to the file.
#include "app/MainWindow.h"
#include "app/PassReport.h"
#include "base/SessionLog.h"
#include "base/SharedAppend.h"

namespace meru {

namespace {

std::string PlatformText(const CardPlatform& platform) {
    if (!platform.present) return std::string();
    static const char kHex[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 12; shift >= 0; shift -= 4) text += kHex[(platform.id >> shift) & 0xF];
    return text;
}

}  // namespace

void MainWindow::BeginPass() {
    passResult_ = PassResult::kNotReady;
    passReason_.clear();
    firmwareBeforeRead_ = false;
    primaryBefore_.clear();
    stationBefore_.clear();
    primaryNow_.clear();
    stationNow_.clear();
}

void MainWindow::NotePass(PassResult result, const std::string& reason) {
    passResult_ = result;
    passReason_ = reason;
}

void MainWindow::ReportPass() {
    if (!options_.quiet || !options_.report || reportFile_ == nullptr) return;
    PassRecord record;
    record.time = system_.LocalTime();
    record.computer = system_.ComputerName();
    record.adapter = selected_ ? texts_.adapterName : std::string();
    record.mac = selected_ ? texts_.pdaMac : std::string();
    record.platform = selected_ ? PlatformText(CardPlatformOf()) : std::string();
    record.primaryBefore = primaryBefore_;
    record.stationBefore = stationBefore_;
    record.primaryAfter = primaryNow_;
    record.stationAfter = stationNow_;
    record.result = passResult_;
    record.exitCode = PassSucceeded(passResult_) ? 0 : 1;
    record.reason = passReason_;
    const SharedAppendResult appended =
        AppendShared(*reportFile_, options_.reportPath, PassReportHeader(), PassReportLine(record));
    if (!appended.written) {
        LogPrintf("The result record was not written to \"%s\": %s.\n", options_.reportPath.c_str(),
                  appended.reason.c_str());
    }
}

}  // namespace meru
