#include "app/PdaBackup.h"

#include <algorithm>
#include <cstdio>

#include "app/PdaTexts.h"
#include "base/OutputFile.h"
#include "base/SessionLog.h"
#include "image/Pda.h"
#include "TextFormat.h"

namespace meru {

namespace {

constexpr size_t kRawWordsPerLine = 8;

// The folder of the session log, with its separator ("" for a bare name).
std::string SessionLogFolder() {
    const std::string& log = TheSessionLog().Path();
    const size_t separator = log.find_last_of("\\/");
    return separator == std::string::npos ? "" : log.substr(0, separator + 1);
}

// "pda-<MAC digits>-<date>-<time>", without the extension.
std::string BackupStem(const std::string& macText, const std::tm& now) {
    std::string mac;
    for (char c : macText) {
        if (c != '-') mac += c;
    }
    if (mac.empty()) mac = "unknown";
    char time[32];
    if (std::strftime(time, sizeof time, "%Y%m%d-%H%M%S", &now) == 0) time[0] = '\0';
    return "pda-" + mac + "-" + time;
}

bool PathTaken(const std::string& path) {
    FILE* existing = std::fopen(path.c_str(), "rb");
    if (existing == nullptr) return false;
    std::fclose(existing);
    return true;
}

// Writes `text` under the first free name of the stem; the path, or "".
std::string WriteBackupFile(const std::string& stem, const std::string& text) {
    const std::string base = SessionLogFolder() + stem;
    std::string path = base + ".pda";
    for (int n = 2; PathTaken(path); ++n) {
        if (n > kMaxBackupsPerSecond) {
            LogPrintf("Warning: the PDA backup %s could not be written: every name is taken.\n", path.c_str());
            return "";
        }
        path = base + "-" + std::to_string(n) + ".pda";
    }
    OutputFile out(path);
    if (!(out.Write(text) && out.Close())) {
        LogPrintf("Warning: the PDA backup %s could not be written.\n", path.c_str());
        return "";
    }
    LogPrintf("PDA backup written to %s\n", path.c_str());
    return path;
}

std::string NameMac(const Pda* pda, const std::string& permanentAddress) {
    const std::string mac = pda != nullptr ? PdaMacText(*pda) : "";
    return mac.empty() ? permanentAddress : mac;
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
            velox::FormatText(word, sizeof word, i + 1 < end ? "0x%04X, " : "0x%04X\n", static_cast<unsigned>(words[i]));
            text += word;
        }
        at = end;
    }
    return text;
}

std::string WritePdaBackup(const Pda& pdaAsRead, const std::string& permanentAddress, const std::tm& now) {
    return WriteBackupFile(BackupStem(NameMac(&pdaAsRead, permanentAddress), now), PdaFileText(pdaAsRead));
}

std::string WriteRawPdaBackup(const uint16_t* words, size_t count, const Pda* valid,
                              const std::string& permanentAddress, const std::tm& now) {
    std::string text = valid != nullptr ? PdaFileText(*valid)
                                        : "; the card's production data area held no valid list\n";
    text += "; the words as read:\n";
    for (size_t at = 0; at < count; at += kRawWordsPerLine) {
        text += ";";
        for (size_t i = at; i < count && i < at + kRawWordsPerLine; ++i) {
            char word[8];
            velox::FormatText(word, sizeof word, " %04X", static_cast<unsigned>(words[i]));
            text += word;
        }
        text += "\n";
    }
    return WriteBackupFile(BackupStem(NameMac(valid, permanentAddress), now), text);
}

}  // namespace meru
