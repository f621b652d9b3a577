#pragma once

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/WindowRig.h"
#include "tools/MaintenanceCommands.h"

namespace toolstest {

// The tools' dialogs as a script: every text window is kept, the PDA
// dialog runs `edit` (cancelled when unset), the save dialog answers
// `dumpPath` and `dumpFormat` (cancelled when the path is empty).
class ScriptedToolsView : public meru::ToolsView {
public:
    bool ShowInfoWindow(const meru::InfoWindowContent& content) override {
        infoWindows.push_back(content);
        return true;
    }
    bool AskMacAndSerial(meru::PdaEditFields& fields) override {
        editOffered.push_back(fields);
        return edit ? edit(fields) : false;
    }
    bool AskDumpFile(const std::string& proposedName, std::string& path, meru::DumpFormat& format) override {
        proposedNames.push_back(proposedName);
        path = dumpPath;
        format = dumpFormat;
        return !dumpPath.empty();
    }

    std::vector<meru::InfoWindowContent> infoWindows;
    std::function<bool(meru::PdaEditFields&)> edit;
    std::vector<meru::PdaEditFields> editOffered;
    std::string dumpPath;
    meru::DumpFormat dumpFormat = meru::DumpFormat::kSRecord;
    std::vector<std::string> proposedNames;
};

// HKEY_CLASSES_ROOT in memory: keys with their default values, every call
// counted; keys named in `refuse` cannot be created.
class MemoryClassesRoot : public meru::RegistryWriter {
public:
    long CreateKey(const std::string& path, Access access, Key& key) override {
        ++createCalls;
        if (refuse.count(path) != 0) return 5;  // access denied
        keys.emplace(path, Entry{});
        keys[path].access = access;
        paths.push_back(path);
        key = paths.size();
        ++openKeys;
        return 0;
    }
    long SetDefaultValue(Key key, const std::string& value) override {
        if (key == 0 || key > paths.size()) return 6;  // invalid handle
        keys[paths[key - 1]].value = value;
        keys[paths[key - 1]].hasValue = true;
        return 0;
    }
    void CloseKey(Key) override { --openKeys; }

    struct Entry {
        bool hasValue = false;
        std::string value;
        Access access = Access::kWrite;
    };
    std::map<std::string, Entry> keys;
    std::vector<std::string> paths;  // one per successful create, in order
    std::set<std::string> refuse;
    int createCalls = 0;
    int openKeys = 0;
};

// The PDA backup files beside the session log at `logPath`, sorted.
inline std::vector<std::string> BackupFiles(const std::string& logPath) {
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(logPath).parent_path())) {
        if (entry.path().filename().string().rfind("pda-", 0) == 0) paths.push_back(entry.path().string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

// Words as .pda text, one record a line.
inline std::string PdaFileText(const std::vector<uint16_t>& words) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (size_t at = 0; at < words.size();) {
        const size_t end = std::min(words.size(), at + 1 + words[at]);
        for (size_t i = at; i < end; ++i) {
            text += "0x";
            for (int shift = 12; shift >= 0; shift -= 4) text += kDigits[(words[i] >> shift) & 0xF];
            text += i + 1 < end ? ", " : "\n";
        }
        at = end;
    }
    return text;
}

// The main window over the software card with the maintenance commands
// attached, started interactively (the one adapter is then selected).
struct ToolsRig : apptest::WindowRig {
    explicit ToolsRig(uint16_t macType = 2, const sim::FactoryOptions& options = {},
                      const std::string& programPath = "C:\\TOOLS\\UPD.EXE")
        : apptest::WindowRig(1, kPlatform, options, macType),
          tools({toolsView, classesRoot, requests, programPath}) {}

    meru::MainWindow& StartWithTools() {
        meru::MainWindow& started = Start();
        started.SetTools(&tools);
        boxes.boxes.clear();
        card.ResetCounters();
        return started;
    }
    // Creates the window with the tools attached before its initialisation,
    // which runs a "-restorepda" session (a quiet one ends in it).
    meru::MainWindow& StartFromCommandLine(std::vector<std::string> args) {
        args.insert(args.begin(), "meru.exe");
        Create(args);
        window->SetTools(&tools);
        window->Initialise();
        return *window;
    }
    // The texts of the boxes shown since the start.
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : boxes.boxes) texts.push_back(box.text);
        return texts;
    }

    ScriptedToolsView toolsView;
    MemoryClassesRoot classesRoot;
    meru::MaintenanceCommands tools;
};

}  // namespace toolstest
