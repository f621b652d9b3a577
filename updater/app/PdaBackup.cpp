#include "app/PdaBackup.h"

#include <cstdio>

#include "app/PdaTexts.h"
#include "base/InputFile.h"
#include "base/OutputFile.h"
#include "base/SessionLog.h"
#include "card/PdaArea.h"
#include "image/PdaBackupText.h"

namespace meru {

namespace {

// The folder of the session log, with its separator ("" for a bare name).
std::string SessionLogFolder() {
    const std::string& log = TheSessionLog().Path();
    const size_t separator = log.find_last_of("\\/");
    return separator == std::string::npos ? "" : log.substr(0, separator + 1);
}

std::string Digits(const std::string& macText, const char* none) {
    std::string digits;
    for (char c : macText) {
        if (c != '-') digits += c;
    }
    return digits.empty() ? none : digits;
}

// "pda-<PDA MAC>-<permanent address>-<date>-<time>", without the extension.
std::string BackupStem(const std::string& pdaMac, const std::string& permanentAddress, const std::tm& now) {
    char time[32];
    if (std::strftime(time, sizeof time, "%Y%m%d-%H%M%S", &now) == 0) time[0] = '\0';
    return "pda-" + Digits(pdaMac, "nomac") + "-" + Digits(permanentAddress, "unknown") + "-" + time;
}

bool PathTaken(const std::string& path) {
    FILE* existing = std::fopen(path.c_str(), "rb");
    if (existing == nullptr) return false;
    std::fclose(existing);
    return true;
}

}  // namespace

std::string WritePdaBackup(const PdaArea& area, const std::string& permanentAddress, const std::tm& now,
                           std::string& why) {
    const Pda* valid = area.state == PdaArea::State::kValid ? &area.list : nullptr;
    const std::string mac = valid != nullptr ? PdaMacText(*valid) : "";
    const std::string text = PdaBackupText(area.words, valid, permanentAddress, mac);
    const std::string base = SessionLogFolder() + BackupStem(mac, permanentAddress, now);
    std::string path = base + ".pda";
    for (int n = 2; PathTaken(path); ++n) {
        if (n > kMaxBackupsPerSecond) {
            why = "every name for the PDA backup " + path + " is taken";
            LogPrintf("The PDA backup could not be written: %s.\n", why.c_str());
            return "";
        }
        path = base + "-" + std::to_string(n) + ".pda";
    }
    OutputFile out(path);
    const bool written = out.Write(text) && out.Close();
    std::string back;
    PdaBackupContent content;
    if (!written) {
        why = "the PDA backup " + path + " could not be written";
    } else if (!ReadWholeFile(path, back, text.size()) || back != text || !ReadPdaBackupText(back, content).empty() ||
               content.area != area.words) {
        why = "the PDA backup " + path + " does not read back as written";
    } else {
        LogPrintf("PDA backup written to %s\n", path.c_str());
        return path;
    }
    LogPrintf("The PDA backup could not be written: %s.\n", why.c_str());
    return "";
}

}  // namespace meru
