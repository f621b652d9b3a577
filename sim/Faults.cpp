#include "Faults.h"

#include <algorithm>

#include "CardLayout.h"
#include "CardProtocol.h"
#include "TextNumbers.h"

namespace sim {

bool FaultTrigger::Strike() {
    switch (mode) {
        case kAlways:
            return true;
        case kOnce:
            spent_ = true;
            return true;
        case kNth:
            ++seen;
            if (seen < nth) return false;
            spent_ = true;
            return true;
    }
    return false;
}

namespace {

uint32_t StatusOf(const OidRefusal& rule) { return rule.status; }
uint32_t StatusOf(const DownloadFailure& rule) { return rule.status; }
uint32_t StatusOf(const ReadRefusal& rule) { return rule.status; }
uint32_t StatusOf(const DownloadMishap&) { return kStatusSuccess; }

// Counts the use against every rule that covers it; the first rule that
// strikes gives the status. Rules that are spent are dropped.
template <typename Rule, typename Covers>
std::optional<uint32_t> Strike(std::vector<Rule>& rules, Covers covers) {
    std::optional<uint32_t> status;
    for (Rule& rule : rules) {
        if (!covers(rule)) continue;
        if (rule.trigger.Strike() && !status) status = StatusOf(rule);
    }
    rules.erase(std::remove_if(rules.begin(), rules.end(), [](const Rule& rule) { return rule.trigger.Spent(); }),
                rules.end());
    return status;
}

bool Touches(uint16_t macType, const AddressRange& range, uint32_t address, uint32_t count) {
    if (count == 0) return false;
    const uint32_t low = StorageAddress(macType, range.low);
    const uint32_t high = StorageAddress(macType, range.high);
    const uint32_t first = StorageAddress(macType, address);
    const uint32_t last = StorageAddress(macType, address + count - 1);
    return first <= high && last >= low;
}

// Covers a download when the rule has no range or the download touches it.
template <typename Rule>
auto DownloadCovered(uint16_t macType, uint32_t address, uint32_t count) {
    return [=](const Rule& rule) { return !rule.range || Touches(macType, *rule.range, address, count); };
}

}  // namespace

std::optional<uint32_t> FaultSet::TakeRefusal(uint32_t oid) {
    return Strike(refusals, [oid](const OidRefusal& refusal) { return refusal.oid == oid; });
}

std::optional<uint32_t> FaultSet::TakeDownloadFailure(uint16_t macType, uint32_t address, uint32_t count) {
    return Strike(downloadFailures, DownloadCovered<DownloadFailure>(macType, address, count));
}

bool FaultSet::TakeDownloadCorruption(uint16_t macType, uint32_t address, uint32_t count) {
    return Strike(corruptDownloads, DownloadCovered<DownloadMishap>(macType, address, count)).has_value();
}

bool FaultSet::TakePartialDownload(uint16_t macType, uint32_t address, uint32_t count) {
    return Strike(partialDownloads, DownloadCovered<DownloadMishap>(macType, address, count)).has_value();
}

std::optional<uint32_t> FaultSet::TakeReadRefusal(uint16_t macType, uint32_t address, uint32_t count) {
    return Strike(readRefusals,
                  [=](const ReadRefusal& refusal) { return Touches(macType, refusal.range, address, count); });
}

void FaultSet::CountStoredDownload() {
    if (powerLoss && !powerLoss->Lost()) ++powerLoss->seen;
}

std::optional<uint32_t> FaultSet::PowerLostStatus() const {
    if (powerLoss && powerLoss->Lost()) return powerLoss->status;
    return std::nullopt;
}

bool FaultSet::IsFlaky(uint16_t macType, uint32_t storageAddress) const {
    return std::any_of(flakyReads.begin(), flakyReads.end(), [&](const AddressRange& range) {
        return storageAddress >= StorageAddress(macType, range.low) &&
               storageAddress <= StorageAddress(macType, range.high);
    });
}

bool FaultSet::Empty() const { return *this == FaultSet(); }

namespace {

bool SameTrigger(const FaultTrigger& a, const FaultTrigger& b) {
    return a.mode == b.mode && a.nth == b.nth && a.seen == b.seen;
}

bool SameRange(const AddressRange& a, const AddressRange& b) { return a.low == b.low && a.high == b.high; }

bool SameRange(const std::optional<AddressRange>& a, const std::optional<AddressRange>& b) {
    if (a.has_value() != b.has_value()) return false;
    return !a || SameRange(*a, *b);
}

template <typename T, typename Same>
bool SameList(const std::vector<T>& a, const std::vector<T>& b, Same same) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), same);
}

bool SamePowerLoss(const std::optional<PowerLoss>& a, const std::optional<PowerLoss>& b) {
    if (a.has_value() != b.has_value()) return false;
    return !a || (a->after == b->after && a->seen == b->seen && a->status == b->status);
}

}  // namespace

bool FaultSet::operator==(const FaultSet& other) const {
    auto sameRefusal = [](const OidRefusal& a, const OidRefusal& b) {
        return a.oid == b.oid && a.status == b.status && SameTrigger(a.trigger, b.trigger);
    };
    auto sameFailure = [](const DownloadFailure& a, const DownloadFailure& b) {
        return a.status == b.status && SameTrigger(a.trigger, b.trigger) && SameRange(a.range, b.range);
    };
    auto sameMishap = [](const DownloadMishap& a, const DownloadMishap& b) {
        return SameTrigger(a.trigger, b.trigger) && SameRange(a.range, b.range);
    };
    auto sameReadRefusal = [](const ReadRefusal& a, const ReadRefusal& b) {
        return a.status == b.status && SameTrigger(a.trigger, b.trigger) && SameRange(a.range, b.range);
    };
    auto sameRange = [](const AddressRange& a, const AddressRange& b) { return SameRange(a, b); };
    return SameList(refusals, other.refusals, sameRefusal) &&
           SameList(downloadFailures, other.downloadFailures, sameFailure) &&
           SameList(corruptDownloads, other.corruptDownloads, sameMishap) &&
           SameList(partialDownloads, other.partialDownloads, sameMishap) &&
           SameList(readRefusals, other.readRefusals, sameReadRefusal) &&
           SameList(flakyReads, other.flakyReads, sameRange) && SamePowerLoss(powerLoss, other.powerLoss) &&
           missingRids == other.missingRids && driverTooOld == other.driverTooOld &&
           pdaOnlyWithBit31 == other.pdaOnlyWithBit31;
}

namespace {

// Reads the words of a rule one at a time, with messages that name the rule.
class FaultWords {
public:
    FaultWords(const std::vector<std::string>& words, std::string& error) : words_(words), error_(error) {}

    bool AtEnd() const { return index_ >= words_.size(); }
    std::string Next() { return AtEnd() ? std::string() : words_[index_++]; }

    bool Number(const char* what, uint32_t maximum, uint32_t& value) {
        if (AtEnd()) return Fail(std::string("missing ") + what);
        const std::string word = Next();
        if (!ParseNumber(word, maximum, value)) return Fail(std::string("bad ") + what + " '" + word + "'");
        return true;
    }

    bool Range(AddressRange& range) {
        if (!Number("range start", 0xFFFFFFFFu, range.low) || !Number("range end", 0xFFFFFFFFu, range.high)) {
            return false;
        }
        if (range.low > range.high) return Fail("range start above range end");
        return true;
    }

    bool Trigger(FaultTrigger& trigger) {
        const std::string mode = Next();
        if (mode == "always") {
            trigger.mode = FaultTrigger::kAlways;
        } else if (mode == "once") {
            trigger.mode = FaultTrigger::kOnce;
        } else if (mode == "nth") {
            trigger.mode = FaultTrigger::kNth;
            if (!Number("use number", 0xFFFFFFFFu, trigger.nth)) return false;
            if (trigger.nth == 0) return Fail("nth counts from 1");
        } else {
            return Fail("expected always, once or nth N, not '" + mode + "'");
        }
        return true;
    }

    // The optional words after the trigger: status S, range LOW HIGH, seen K
    // (status and range only where the rule has them).
    bool Options(FaultTrigger& trigger, uint32_t* status, std::optional<AddressRange>* range) {
        while (!AtEnd()) {
            const std::string option = Next();
            if (option == "status" && status != nullptr) {
                if (!Number("status", 0xFFFFFFFFu, *status)) return false;
            } else if (option == "seen" && trigger.mode == FaultTrigger::kNth) {
                if (!Number("seen count", 0xFFFFFFFFu, trigger.seen)) return false;
                if (trigger.seen >= trigger.nth) return Fail("seen count must be below nth");
            } else if (option == "range" && range != nullptr) {
                AddressRange value;
                if (!Range(value)) return false;
                *range = value;
            } else {
                return Fail("unexpected '" + option + "'");
            }
        }
        return true;
    }

    bool Done() { return AtEnd() || Fail("unexpected '" + Next() + "'"); }

    // after N [seen K] [status S]; seen may reach N: the power is then gone.
    bool PowerLossRule(PowerLoss& rule) {
        rule.status = kStatusAdapterRemoved;
        if (Next() != "after") return Fail("expected after N");
        if (!Number("download count", 0xFFFFFFFFu, rule.after)) return false;
        if (rule.after == 0) return Fail("after counts from 1");
        while (!AtEnd()) {
            const std::string option = Next();
            if (option == "status") {
                if (!Number("status", 0xFFFFFFFFu, rule.status)) return false;
            } else if (option == "seen") {
                if (!Number("seen count", 0xFFFFFFFFu, rule.seen)) return false;
                if (rule.seen > rule.after) return Fail("seen count above the download count");
            } else {
                return Fail("unexpected '" + option + "'");
            }
        }
        return true;
    }

    bool Fail(const std::string& message) {
        error_ = "fault " + (words_.empty() ? std::string() : words_[0]) + ": " + message;
        return false;
    }

private:
    const std::vector<std::string>& words_;
    std::string& error_;
    size_t index_ = 1;
};

}  // namespace

bool ParseFault(const std::vector<std::string>& words, FaultSet& faults, std::string& error) {
    if (words.empty()) {
        error = "fault: nothing given";
        return false;
    }
    FaultWords reader(words, error);
    const std::string& kind = words[0];
    if (kind == "refuse") {
        OidRefusal refusal;
        refusal.status = kStatusFailure;
        if (!reader.Number("OID", 0xFFFFFFFFu, refusal.oid) || !reader.Trigger(refusal.trigger) ||
            !reader.Options(refusal.trigger, &refusal.status, nullptr)) {
            return false;
        }
        faults.refusals.push_back(refusal);
    } else if (kind == "download-fail") {
        DownloadFailure failure;
        failure.status = kStatusFailure;
        if (!reader.Trigger(failure.trigger) || !reader.Options(failure.trigger, &failure.status, &failure.range)) {
            return false;
        }
        faults.downloadFailures.push_back(failure);
    } else if (kind == "download-corrupt" || kind == "download-partial") {
        DownloadMishap mishap;
        if (!reader.Trigger(mishap.trigger) || !reader.Options(mishap.trigger, nullptr, &mishap.range)) return false;
        (kind == "download-corrupt" ? faults.corruptDownloads : faults.partialDownloads).push_back(mishap);
    } else if (kind == "read-refuse") {
        ReadRefusal refusal;
        refusal.status = kStatusFailure;
        std::optional<AddressRange> range;
        if (!reader.Trigger(refusal.trigger) || !reader.Options(refusal.trigger, &refusal.status, &range)) {
            return false;
        }
        if (!range) return reader.Fail("needs range LOW HIGH");
        refusal.range = *range;
        faults.readRefusals.push_back(refusal);
    } else if (kind == "power-loss") {
        if (faults.powerLoss) return reader.Fail("a card has one power-loss rule; clear the faults first");
        if (!reader.PowerLossRule(faults.powerLoss.emplace())) {
            faults.powerLoss.reset();
            return false;
        }
    } else if (kind == "flaky-reads") {
        AddressRange range;
        if (!reader.Range(range) || !reader.Done()) return false;
        faults.flakyReads.push_back(range);
    } else if (kind == "rid-missing") {
        uint32_t rid = 0;
        if (!reader.Number("RID", 0xFFFF, rid) || !reader.Done()) return false;
        faults.missingRids.insert(static_cast<uint16_t>(rid));
    } else if (kind == "driver-too-old") {
        if (!reader.Done()) return false;
        faults.driverTooOld = true;
    } else if (kind == "pda-bit31-only") {
        if (!reader.Done()) return false;
        faults.pdaOnlyWithBit31 = true;
    } else if (kind == "driver-check-invalid-oid") {
        if (!reader.Done()) return false;
        OidRefusal refusal;
        refusal.oid = kOidDriverCheck;
        refusal.status = kStatusInvalidOid;
        faults.refusals.push_back(refusal);
    } else {
        error = "unknown fault '" + kind + "'";
        return false;
    }
    return true;
}

namespace {

std::string DescribeTrigger(const FaultTrigger& trigger) {
    switch (trigger.mode) {
        case FaultTrigger::kAlways:
            return "always";
        case FaultTrigger::kOnce:
            return "once";
        case FaultTrigger::kNth:
            return "nth " + std::to_string(trigger.nth) + " seen " + std::to_string(trigger.seen);
    }
    return "always";
}

std::string DescribeRange(const AddressRange& range) {
    return HexText(range.low, 6) + " " + HexText(range.high, 6);
}

}  // namespace

std::vector<std::string> DescribeFaults(const FaultSet& faults) {
    std::vector<std::string> lines;
    for (const OidRefusal& refusal : faults.refusals) {
        lines.push_back("refuse " + HexText(refusal.oid, 8) + " " + DescribeTrigger(refusal.trigger) + " status " +
                        HexText(refusal.status, 8));
    }
    for (const DownloadFailure& failure : faults.downloadFailures) {
        std::string line = "download-fail " + DescribeTrigger(failure.trigger) + " status " + HexText(failure.status, 8);
        if (failure.range) line += " range " + DescribeRange(*failure.range);
        lines.push_back(line);
    }
    for (const DownloadMishap& mishap : faults.corruptDownloads) {
        lines.push_back("download-corrupt " + DescribeTrigger(mishap.trigger) +
                        (mishap.range ? " range " + DescribeRange(*mishap.range) : std::string()));
    }
    for (const DownloadMishap& mishap : faults.partialDownloads) {
        lines.push_back("download-partial " + DescribeTrigger(mishap.trigger) +
                        (mishap.range ? " range " + DescribeRange(*mishap.range) : std::string()));
    }
    for (const ReadRefusal& refusal : faults.readRefusals) {
        lines.push_back("read-refuse " + DescribeTrigger(refusal.trigger) + " range " + DescribeRange(refusal.range) +
                        " status " + HexText(refusal.status, 8));
    }
    for (const AddressRange& range : faults.flakyReads) lines.push_back("flaky-reads " + DescribeRange(range));
    for (uint16_t rid : faults.missingRids) lines.push_back("rid-missing " + HexText(rid, 4));
    if (faults.driverTooOld) lines.push_back("driver-too-old");
    if (faults.pdaOnlyWithBit31) lines.push_back("pda-bit31-only");
    if (faults.powerLoss) {
        lines.push_back("power-loss after " + std::to_string(faults.powerLoss->after) + " seen " +
                        std::to_string(faults.powerLoss->seen) + " status " + HexText(faults.powerLoss->status, 8));
    }
    return lines;
}

}  // namespace sim
