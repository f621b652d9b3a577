// The result record of "-report FILE": what each quiet pass appends, read
// back as CSV, and how the shared append behaves when the file is busy or
// cannot be written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WindowRig.h"
#include "app/PassReport.h"
#include "base/SharedAppend.h"

namespace {

using apptest::OlderCard;
using apptest::ProcessEnded;
using apptest::WindowRig;

// A shared file in memory: busy for the first `busyOpens` opens and
// `busyLocks` locks, or failing to open or write; records what is done.
class MemorySharedFile : public meru::SharedFile {
public:
    OpenResult Open(const std::string& path) override {
        paths.push_back(path);
        if (openFails) return OpenResult::kFailed;
        if (busyOpens > 0) {
            --busyOpens;
            return OpenResult::kBusy;
        }
        EXPECT_FALSE(open) << "opened twice";
        open = true;
        return OpenResult::kOpened;
    }
    bool Lock() override {
        EXPECT_TRUE(open);
        if (busyLocks > 0) {
            --busyLocks;
            return false;
        }
        locked = true;
        return true;
    }
    bool Size(uint64_t& size) override {
        size = contents.size();
        return true;
    }
    bool AppendAtEnd(const std::string& bytes) override {
        EXPECT_TRUE(locked) << "written without the lock";
        if (writeFails) return false;
        contents += bytes;
        return true;
    }
    void Unlock() override { locked = false; }
    void Close() override {
        EXPECT_FALSE(locked) << "closed while locked";
        open = false;
    }
    void Pause(uint32_t milliseconds) override { pauses.push_back(milliseconds); }
    std::string LastError() override { return "simulated"; }

    std::string contents;
    int busyOpens = 0;
    int busyLocks = 0;
    bool openFails = false;
    bool writeFails = false;
    bool open = false;
    bool locked = false;
    std::vector<std::string> paths;
    std::vector<uint32_t> pauses;
};

// The fields of one CSV line (quoted fields with doubled quotes).
std::vector<std::string> CsvFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

// The file's lines without their CR LF; a line without one is kept as "!" + line.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back("!" + text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

const char kHeader[] = "date,time,computer,adapter,mac,platform,primary before,station before,primary after,"
                       "station after,result,exit code,reason";

TEST(PassReport, EachQuietPassAppendsItsRecord) {
    struct Case {
        const char* name;
        int adapters;
        sim::FactoryOptions card;
        std::vector<std::string> args;
        bool writeFails;  // the card fails a download
        // Fields from "platform" on: platform, before (2), after (2), result, exit code, reason.
        std::vector<std::string> fields;
    };
    sim::FactoryOptions newer;
    newer.primary = apptest::Firmware(newer.primary, 1, 5, 0);
    newer.station = apptest::Firmware(newer.station, 1, 6, 0);
    const std::string olderPrimary = std::string(MERU_FIRMWARE_DIR) + "/PK010300.HEX";
    const char kNoAdapter[] = "No adapter selected.  Insert/connect adapter and click retry, or click cancel to exit.";
    const Case cases[] = {
        {"older card", 1, OlderCard(), {}, false,
         {"0x0201", "1.3.0", "1.3.0", "1.4.0", "1.5.0", "updated", "0", "Update Successful!"}},
        {"no adapter", 0, OlderCard(), {}, false, {"", "", "", "", "", "no adapter", "1", kNoAdapter}},
        {"downgrade refused", 1, newer, {olderPrimary}, false,
         {"0x0201", "1.5.0", "1.6.0", "1.5.0", "1.6.0", "refused", "1",
          "Warning! This is a downgrade for Primary firmware. (1.5.0 --> 1.3.0)"
          "Quiet mode downgrade requires -olderOK option."}},
        {"write failure", 1, OlderCard(), {}, true,
         {"0x0201", "1.3.0", "1.3.0", "", "", "failed", "1", "Fatal Error: Card Write Failure detected."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowRig rig(c.adapters, WindowRig::kPlatform, c.card);
        if (c.writeFails) {
            sim::DownloadFailure failure;
            failure.status = 0xC0000001;
            failure.range = sim::AddressRange{0x7E0000, 0x7FFFFF};
            rig.card.State().faults.downloadFailures.push_back(failure);
        }
        MemorySharedFile file;
        std::vector<std::string> args = {"-quiet", "-report", "\\\\server\\velox\\results.csv"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.insert(args.begin(), "meru.exe");
        rig.Create(args);
        rig.window->SetReportFile(&file);
        try {
            rig.window->Initialise();
            EXPECT_FALSE(c.writeFails) << "the process should have ended";
        } catch (const ProcessEnded& ended) {
            EXPECT_TRUE(c.writeFails);
            EXPECT_EQ(ended.code, 1);
        }
        EXPECT_EQ(file.paths, std::vector<std::string>{"\\\\server\\velox\\results.csv"});
        const std::vector<std::string> lines = Lines(file.contents);
        ASSERT_EQ(lines.size(), 2u) << file.contents;
        EXPECT_EQ(lines[0], kHeader);
        const std::vector<std::string> fields = CsvFields(lines[1]);
        ASSERT_EQ(fields.size(), 13u) << lines[1];
        EXPECT_EQ(fields[0], "2026-12-08");  // the rig's clock
        EXPECT_EQ(fields[1], "06:05:09");
        EXPECT_EQ(fields[3].empty(), c.adapters == 0) << fields[3];
        EXPECT_EQ(fields[4].empty(), c.adapters == 0) << fields[4];
        EXPECT_EQ(std::vector<std::string>(fields.begin() + 5, fields.end()), c.fields);
    }
}

TEST(PassReport, RepeatedPassesAppendAndAnUnwritableFileChangesNothing) {
    WindowRig rig(1, WindowRig::kPlatform, OlderCard());
    MemorySharedFile file;
    file.contents = std::string(kHeader) + "\r\nearlier,line\r\n";
    rig.Create({"meru.exe", "-quiet", "-repeat", "3", "-report", "r.csv"});
    rig.window->SetReportFile(&file);
    rig.window->Initialise();
    const std::vector<std::string> lines = Lines(file.contents);
    ASSERT_EQ(lines.size(), 4u) << "no second header; the second pass finds the card up to date";
    EXPECT_EQ(CsvFields(lines[2])[10], "updated");
    EXPECT_EQ(CsvFields(lines[3])[10], "up to date");
    EXPECT_EQ(CsvFields(lines[3])[12], "Selected Hex files already in flash.");

    WindowRig unwritable(1, WindowRig::kPlatform, OlderCard());
    MemorySharedFile refusing;
    refusing.openFails = true;
    unwritable.Create({"meru.exe", "-quiet", "-report", "r.csv"});
    unwritable.window->SetReportFile(&refusing);
    unwritable.window->Initialise();
    EXPECT_EQ(unwritable.view.ended, 1) << "exit code 0 all the same";
    EXPECT_NE(unwritable.log.Text().find(
                  "The result record was not written to \"r.csv\": it cannot be opened: simulated.\n"),
              std::string::npos);
}

TEST(SharedAppend, BusyFilesAreTriedAgainAFewTimes) {
    struct Case {
        const char* name;
        int busyOpens, busyLocks;
        bool openFails, writeFails;
        std::string before;
        bool written;
        size_t pauses;
        std::string after, reason;
    };
    const Case cases[] = {
        {"new file: header first", 0, 0, false, false, "", true, 0, "H\r\nL\r\n", ""},
        {"existing file: no header", 0, 0, false, false, "x\r\n", true, 0, "x\r\nL\r\n", ""},
        {"open busy twice", 2, 0, false, false, "", true, 2, "H\r\nL\r\n", ""},
        {"locked three times", 0, 3, false, false, "x\r\n", true, 3, "x\r\nL\r\n", ""},
        {"open busy throughout", 1000, 0, false, false, "x\r\n", false, 19, "x\r\n", "it stayed in use (simulated)"},
        {"locked throughout", 0, 1000, false, false, "", false, 19, "", "it stayed in use (simulated)"},
        {"cannot be opened: no retry", 0, 0, true, false, "", false, 0, "", "it cannot be opened: simulated"},
        {"cannot be written", 0, 0, false, true, "x\r\n", false, 0, "x\r\n", "it cannot be written: simulated"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemorySharedFile file;
        file.busyOpens = c.busyOpens;
        file.busyLocks = c.busyLocks;
        file.openFails = c.openFails;
        file.writeFails = c.writeFails;
        file.contents = c.before;
        const meru::SharedAppendResult result = meru::AppendShared(file, "f.csv", "H\r\n", "L\r\n");
        EXPECT_EQ(result.written, c.written);
        EXPECT_EQ(result.reason, c.reason);
        EXPECT_EQ(file.contents, c.after);
        EXPECT_EQ(file.pauses, std::vector<uint32_t>(c.pauses, 250u));
        EXPECT_FALSE(file.open);
        EXPECT_FALSE(file.locked);
    }
}

TEST(PassReport, FieldsAreQuotedWhereCsvNeedsIt) {
    meru::PassRecord record;
    record.time.tm_year = 99;
    record.time.tm_mon = 0;
    record.time.tm_mday = 2;
    record.computer = "PC,7";
    record.adapter = "VELOX \"USB\" card";
    record.result = meru::PassResult::kNotReady;
    record.reason = "two\r\nlines";
    EXPECT_EQ(meru::PassReportLine(record),
              "1999-01-02,00:00:00,\"PC,7\",\"VELOX \"\"USB\"\" card\",,,,,,,not ready,1,two  lines\r\n");
}

}  // namespace
