// The flash dump: the card's 128 KiB dump window read piece by piece until
// three reads agree, collected in an image and saved as S-records or as a
// text dump.
#include <cstring>

#include "app/ToolHost.h"
#include "base/ReportBox.h"
#include "base/SessionLog.h"
#include "image/FirmwareImage.h"
#include "tools/DumpFiles.h"
#include "tools/MaintenanceCommands.h"

namespace meru {

namespace {

constexpr unsigned kBoxOkCancelQuestion = 0x21;
constexpr uint32_t kDumpWindowBytes = 0x20000;
constexpr uint16_t kPieceBytes = 512;
// Failed reads of one piece that are tolerated: the next one aborts the dump.
constexpr int kReadFailureLimit = 10;

const char kWarningText[] =
    "WARNING - This procedure is not guaranteed to work. This procedure only works on VELOX cards with parallel "
    "flash! Do you wish to continue?";

// Reads one piece until a first read agrees with the two reads after it.
// A read that differs from the first, and a read the card refuses, each
// count as one failure; past kReadFailureLimit failures the piece is lost.
bool ReadPiece(AdapterHandle& adapter, uint32_t address, uint8_t (&piece)[kPieceBytes]) {
    uint8_t again[kPieceBytes];
    const uint32_t flagged = address | AdapterHandle::kAuxAddressFlag;
    int failures = 0;
    while (failures <= kReadFailureLimit) {
        if (!adapter.ReadAuxPort(piece, flagged, kPieceBytes)) {
            ++failures;
            continue;
        }
        bool agreed = true;
        for (int confirmation = 0; agreed && confirmation < 2; ++confirmation) {
            agreed = adapter.ReadAuxPort(again, flagged, kPieceBytes) && std::memcmp(piece, again, kPieceBytes) == 0;
        }
        if (agreed) return true;
        ++failures;
    }
    return false;
}

// The dump window into `image`, one block from the window's start. False
// after "Too many read errors. Aborting.".
bool ReadDumpWindow(AdapterHandle& adapter, WindowRef owner, FirmwareImage& image) {
    const uint32_t start = adapter.DumpAddress();
    for (uint32_t address = start; address < start + kDumpWindowBytes; address += kPieceBytes) {
        uint8_t piece[kPieceBytes];
        if (!ReadPiece(adapter, address, piece)) {
            ReportBox(owner, "Too many read errors. Aborting.", nullptr, kBoxOk);
            return false;
        }
        if (!image.AppendBytes(piece, address, kPieceBytes)) {
            LogPrintf("Dump: no room for the flash piece at %08X.\n", static_cast<unsigned>(address));
            return false;
        }
    }
    return true;
}

}  // namespace

void MaintenanceCommands::DumpFirmware(ToolHost& window) {
    const WindowRef owner = window.Owner();
    if (ReportBox(owner, kWarningText, "Warning Notice", kBoxOkCancelQuestion) != kAnswerOk) return;
    if (!window.OpenSelectedAdapter(false)) return;
    window.CloseAdapter();

    std::string path;
    DumpFormat format = DumpFormat::kSRecord;
    if (!view_.AskDumpFile(window.Texts().serialNumber, path, format)) return;
    if (!window.OpenSelectedAdapter(false)) return;

    FirmwareImage image;
    const bool read = ReadDumpWindow(window.Adapter(), owner, image);
    window.CloseAdapter();
    if (!read) return;

    const uint16_t lines = format == DumpFormat::kSRecord ? WriteSRecordFile(path, image) : WriteTextDump(path, image);
    if (lines != 0) {
        ReportBox(owner, "File Saved Successfully.", nullptr, kBoxOk);
    } else {
        ReportBox(owner, "Error File could not be written", "Error", kBoxIconStop);
    }
}

}  // namespace meru
