#include "CardCommands.h"

#include <functional>
#include <map>
#include <sstream>

#include "CardReport.h"
#include "sim/CardMemory.h"
#include "sim/CardProtocol.h"
#include "sim/CardRecords.h"
#include "sim/FactoryCard.h"
#include "sim/PdaArea.h"
#include "sim/SoftwareCard.h"
#include "sim/StateFile.h"
#include "sim/TextNumbers.h"

namespace sim {

namespace {

const char kUsage[] =
    "usage: velox-sim-card COMMAND ...\n"
    "  new [--mac-type N] [--platform ID|none] [--serial TEXT] [--mac XX-XX-XX-XX-XX-XX]\n"
    "      [--device NAME] [--driver-version V] STATEFILE   make a fresh card\n"
    "  show STATEFILE                                      what the card is and reports\n"
    "  fault STATEFILE FAULT...                            add a fault (see sim/README.md);\n"
    "      also: clear, pda-bad-crc, library-error CODE\n"
    "  counters STATEFILE [--reset]                        requests per OID, faults fired\n"
    "  reinsert STATEFILE                                  take the card out and put it back\n"
    "  set STATEFILE KEY VALUE...                          change one state line\n"
    "  rid STATEFILE RID                                   a record as the card answers it\n"
    "  read STATEFILE ADDRESS COUNT                        card memory (card addressing)\n"
    "  write STATEFILE ADDRESS HEXBYTES                    put bytes into flash\n";

// One run of a command: its words, its streams, the loaded card.
struct Command {
    std::vector<std::string> words;  // after the command name
    std::ostream& out;
    std::ostream& err;
    CardState card;

    int Usage(const std::string& problem) {
        err << "velox-sim-card: " << problem << "\n" << kUsage;
        return 2;
    }
    int Fail(const std::string& problem) {
        err << "velox-sim-card: " << problem << "\n";
        return 1;
    }
    bool Load() {
        std::string error;
        if (LoadStateFile(words[0], card, error)) return true;
        err << "velox-sim-card: " << error << "\n";
        return false;
    }
    int Save() {
        std::string error;
        if (SaveStateFile(words[0], card, error)) return 0;
        return Fail(error);
    }
    bool Number(const std::string& text, uint32_t maximum, uint32_t& value) {
        if (ParseNumber(text, maximum, value)) return true;
        err << "velox-sim-card: bad number '" << text << "'\n";
        return false;
    }
};

int New(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Command command{{}, out, err, CardState()};
    FactoryOptions options;
    uint32_t macType = 2, platform = 0, version = 0;
    bool platformGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            command.words.push_back(arg);
            continue;
        }
        if (i + 1 >= args.size()) return command.Usage(arg + " needs a value");
        const std::string& value = args[++i];
        if (arg == "--mac-type") {
            if (!command.Number(value, 0xFFFF, macType)) return 2;
        } else if (arg == "--platform") {
            platformGiven = true;
            if (value == "none") {
                options.platformRecord = false;
            } else if (!command.Number(value, 0xFFFF, platform)) {
                return 2;
            }
        } else if (arg == "--serial") {
            if (value.size() > 12) return command.Usage("a serial number has at most 12 characters");
            options.serialNumber = value;
        } else if (arg == "--mac") {
            if (!ParseMacAddress(value, options.macAddress)) return command.Usage("bad MAC address '" + value + "'");
        } else if (arg == "--device") {
            options.deviceName = value;
        } else if (arg == "--driver-version") {
            if (!command.Number(value, 0xFFFFFFFF, version)) return 2;
            options.driverVersion = version;
        } else {
            return command.Usage("unknown option " + arg);
        }
    }
    if (command.words.size() != 1) return command.Usage("new takes one STATEFILE");
    if (!platformGiven) return command.Usage("new needs --platform (an id, or none)");
    command.card = MakeFactoryCard(static_cast<uint16_t>(macType), static_cast<uint16_t>(platform), options);
    return command.Save();
}

int Show(Command& command) {
    if (command.words.size() != 1) return command.Usage("show takes one STATEFILE");
    if (!command.Load()) return 1;
    command.out << "state file: " << command.words[0] << "\n" << DescribeCard(command.card);
    return 0;
}

int Fault(Command& command) {
    if (command.words.size() < 2) return command.Usage("fault takes a STATEFILE and a fault");
    if (!command.Load()) return 1;
    const std::vector<std::string> fault(command.words.begin() + 1, command.words.end());
    if (fault[0] == "clear" && fault.size() == 1) {
        command.card.faults = FaultSet();
    } else if (fault[0] == "pda-bad-crc" && fault.size() == 1) {
        if (!CorruptPdaCrc(command.card)) return command.Fail("the card's PDA has no end record");
    } else if (fault[0] == "library-error" && fault.size() == 2) {
        if (!command.Number(fault[1], 0xFFFFFFFF, command.card.libraryLastError)) return 2;
    } else {
        std::string error;
        if (!ParseFault(fault, command.card.faults, error)) return command.Usage(error);
    }
    return command.Save();
}

// Power back after a power loss, and a fresh session.
int Reinsert(Command& command) {
    if (command.words.size() != 1) return command.Usage("reinsert takes one STATEFILE");
    if (!command.Load()) return 1;
    SoftwareCard card(std::move(command.card));
    card.Reinsert();
    command.card = std::move(card.State());
    return command.Save();
}

int Counters(Command& command) {
    const bool reset = command.words.size() == 2 && command.words[1] == "--reset";
    if (command.words.size() != 1 && !reset) return command.Usage("counters takes a STATEFILE and maybe --reset");
    if (!command.Load()) return 1;
    command.out << DescribeCounters(command.card);
    if (!reset) return 0;
    command.card.counters.Reset();
    command.card.faultsFired.clear();
    return command.Save();
}

// Replaces the state file's line(s) for the key (a record: the one with the
// same RID) and reads the result back, so every value is checked as the
// state file's own lines are.
int Set(Command& command) {
    if (command.words.size() < 2) return command.Usage("set takes a STATEFILE, a KEY and its value");
    if (!command.Load()) return 1;
    const std::string& key = command.words[1];
    std::string line = key;
    for (size_t i = 2; i < command.words.size(); ++i) line += " " + command.words[i];
    const bool isRecord = key == "record";
    if (key == "fault" || key == "counter" || key == "fired" || key == "flash") return command.Usage("use the fault, counters or write command");
    std::istringstream in(FormatState(command.card));
    std::string text, existing;
    while (std::getline(in, existing)) {
        const std::vector<std::string> words = SplitWords(existing);
        bool replaced = !words.empty() && words[0] == key;
        if (replaced && isRecord) {
            uint32_t a = 0, b = 1;
            replaced = words.size() > 1 && command.words.size() > 2 && ParseNumber(words[1], a) &&
                       ParseNumber(command.words[2], b) && a == b;
        }
        if (!replaced) text += existing + "\n";
    }
    text += line + "\n";
    std::string error;
    CardState changed;
    if (!ParseState(text, changed, error)) return command.Fail("cannot set " + key + ": " + error.substr(error.find(':') + 2));
    command.card = std::move(changed);
    return command.Save();
}

int Rid(Command& command) {
    uint32_t rid = 0;
    if (command.words.size() != 2) return command.Usage("rid takes a STATEFILE and a RID");
    if (!command.Number(command.words[1], 0xFFFF, rid) || !command.Load()) return 1;
    const std::optional<std::vector<uint16_t>> data = RecordData(command.card, static_cast<uint16_t>(rid));
    if (!data) return command.Fail("the card has no record " + HexText(rid));
    command.out << "length " << data->size() + 1 << ", RID " << HexText(rid) << ":";
    for (uint16_t word : *data) command.out << ' ' << HexText(word);
    command.out << "\n";
    return 0;
}

int Read(Command& command) {
    uint32_t address = 0, count = 0;
    if (command.words.size() != 3) return command.Usage("read takes a STATEFILE, an ADDRESS and a COUNT");
    if (!command.Number(command.words[1], 0x7FFFFFFF, address) || !command.Number(command.words[2], 0x100000, count) ||
        !command.Load()) {
        return 1;
    }
    if (!InCardSpace(command.card, address, count)) return command.Fail("the range leaves the card's address space");
    command.out << HexDump(address, ReadCardBytes(command.card, address, count));
    return 0;
}

int Write(Command& command) {
    uint32_t address = 0;
    if (command.words.size() != 3) return command.Usage("write takes a STATEFILE, an ADDRESS and HEXBYTES");
    if (!command.Number(command.words[1], 0x7FFFFFFF, address) || !command.Load()) return 1;
    const std::string& hex = command.words[2];
    std::vector<uint8_t> bytes(hex.size() / 2);
    if (hex.empty() || hex.size() % 2 != 0 || !ParseHexBytes(hex.data(), bytes.size(), bytes.data())) {
        return command.Usage("HEXBYTES are pairs of hexadecimal digits");
    }
    if (!WriteCardBytes(command.card, address, bytes)) return command.Fail("the range leaves the card's address space");
    return command.Save();
}

}  // namespace

int RunCardCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << kUsage;
        return 2;
    }
    const std::string& name = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (name == "new") return New(rest, out, err);
    static const std::map<std::string, std::function<int(Command&)>> kCommands = {
        {"show", Show}, {"fault", Fault}, {"counters", Counters}, {"set", Set},
        {"rid", Rid},   {"read", Read},   {"write", Write},       {"reinsert", Reinsert},
    };
    auto it = kCommands.find(name);
    if (it == kCommands.end()) {
        err << "velox-sim-card: unknown command '" << name << "'\n" << kUsage;
        return 2;
    }
    Command command{rest, out, err, CardState()};
    if (rest.empty()) return command.Usage(name + " needs a STATEFILE");
    return it->second(command);
}

}  // namespace sim
