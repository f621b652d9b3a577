#pragma once

#include <ctime>
#include <string>

#include "app/PassResult.h"

namespace meru {

// What the result record ("-report FILE") says about one pass of a run.
struct PassRecord {
    std::tm time{};
    std::string computer;
    std::string adapter;
    std::string mac;       // the card's MAC address
    std::string platform;  // "0x0201", empty when the card gave none
    std::string primaryBefore;
    std::string stationBefore;
    std::string primaryAfter;
    std::string stationAfter;
    PassResult result = PassResult::kNotReady;
    int exitCode = 1;
    std::string reason;  // as the session log says it
};

// "updated", "up to date", "refused", "no adapter", "not ready", "failed".
const char* PassResultText(PassResult result);

// The result file is CSV, one line per pass, Windows line ends; the header
// line names the columns and starts a new file.
std::string PassReportHeader();
std::string PassReportLine(const PassRecord& record);

// The last line of a text that holds more than blanks, without its line end.
std::string LastLineOf(const std::string& text);

}  // namespace meru
