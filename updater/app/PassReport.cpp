#include "app/PassReport.h"

namespace meru {

namespace {

const char kLineEnd[] = "\r\n";

// A field as CSV has it: quoted when it holds a separator, a quote or a
// line end (those become blanks: one record is one line), quotes doubled.
std::string CsvField(const std::string& text) {
    std::string field;
    bool quote = false;
    for (const char c : text) {
        if (c == '\r' || c == '\n') {
            field += ' ';
        } else if (c == '"') {
            field += "\"\"";
            quote = true;
        } else {
            if (c == ',' || c == ';') quote = true;
            field += c;
        }
    }
    return quote ? "\"" + field + "\"" : field;
}

std::string Digits(int value, int width) {
    std::string text = std::to_string(value < 0 ? 0 : value);
    if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<size_t>(width) - text.size(), '0');
    return text;
}

}  // namespace

const char* PassResultText(PassResult result) {
    switch (result) {
    case PassResult::kUpdated: return "updated";
    case PassResult::kUpToDate: return "up to date";
    case PassResult::kRefused: return "refused";
    case PassResult::kNoAdapter: return "no adapter";
    case PassResult::kNotReady: return "not ready";
    case PassResult::kFailed: return "failed";
    }
    return "failed";
}

std::string PassReportHeader() {
    return std::string("date,time,computer,adapter,mac,platform,primary before,station before,"
                       "primary after,station after,result,exit code,reason") +
           kLineEnd;
}

std::string PassReportLine(const PassRecord& record) {
    const std::tm& t = record.time;
    const std::string fields[] = {
        Digits(t.tm_year + 1900, 4) + "-" + Digits(t.tm_mon + 1, 2) + "-" + Digits(t.tm_mday, 2),
        Digits(t.tm_hour, 2) + ":" + Digits(t.tm_min, 2) + ":" + Digits(t.tm_sec, 2),
        record.computer,
        record.adapter,
        record.mac,
        record.platform,
        record.primaryBefore,
        record.stationBefore,
        record.primaryAfter,
        record.stationAfter,
        PassResultText(record.result),
        std::to_string(record.exitCode),
        record.reason,
    };
    std::string line;
    for (size_t i = 0; i < sizeof fields / sizeof fields[0]; ++i) {
        if (i > 0) line += ',';
        line += CsvField(fields[i]);
    }
    return line + kLineEnd;
}

std::string LastLineOf(const std::string& text) {
    size_t end = text.size();
    while (end > 0) {
        const size_t start = text.find_last_of("\r\n", end - 1);
        const size_t first = start == std::string::npos ? 0 : start + 1;
        const std::string line = text.substr(first, end - first);
        if (line.find_first_not_of(" \t") != std::string::npos) return line;
        if (start == std::string::npos) break;
        end = start;
    }
    return std::string();
}

}  // namespace meru
