#include "app/PdaBackup.h"

#include <algorithm>
#include <cstdio>

#include "base/OutputFile.h"
#include "base/SessionLog.h"
#include "image/Pda.h"

namespace meru {

namespace {

// The folder of the session log, with its separator ("" for a bare name).
std::string SessionLogFolder() {
    const std::string& log = TheSessionLog().Path();
    const size_t separator = log.find_last_of("\\/");
    return separator == std::string::npos ? "" : log.substr(0, separator + 1);
}

std::string BackupName(const std::string& macText, const std::tm& now) {
    std::string mac;
    for (char c : macText) {
        if (c != '-') mac += c;
    }
    if (mac.empty()) mac = "unknown";
    char time[32];
    if (std::strftime(time, sizeof time, "%Y%m%d-%H%M%S", &now) == 0) time[0] = '\0';
    return "pda-" + mac + "-" + time + ".pda";
}

}  // namespace

std::string PdaFileText(const Pda& pda) {
    uint16_t words[Pda::kMaxSerializedWords];
    const uint16_t count = pda.Serialize(words, Pda::kMaxSerializedWords);
    std::string text = "; production data as read from the card\n";
    for (uint16_t at = 0; at < count;) {
        // One record a line: its length word, then that many words.
        const uint16_t end = static_cast<uint16_t>(std::min<uint32_t>(count, at + 1u + words[at]));
        for (uint16_t i = at; i < end; ++i) {
            char word[16];
            std::snprintf(word, sizeof word, i + 1 < end ? "0x%04X, " : "0x%04X\n", static_cast<unsigned>(words[i]));
            text += word;
        }
        at = end;
    }
    return text;
}

std::string WritePdaBackup(const Pda& pdaAsRead, const std::string& macText, const std::tm& now) {
    const std::string path = SessionLogFolder() + BackupName(macText, now);
    bool written = false;
    if (!pdaAsRead.Empty()) {  // nothing read, nothing to keep
        OutputFile out(path);
        written = out.Write(PdaFileText(pdaAsRead)) && out.Close();
    }
    if (!written) {
        LogPrintf("Warning: the PDA backup %s could not be written; the PDA is written anyway.\n", path.c_str());
        return "";
    }
    LogPrintf("PDA backup written to %s\n", path.c_str());
    return path;
}

}  // namespace meru
