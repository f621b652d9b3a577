// ProgramImage: one loaded, plugged and compared image into the card's
// flash, with the progress the user sees (the main window's bar, or the
// centred progress window of a quiet run).
#include "app/MainWindow.h"
#include "app/ProgramFailureBoxes.h"
#include "base/ReportBox.h"
#include "base/SessionLog.h"
#include "image/FirmwareImage.h"

namespace meru {

bool MainWindow::ProgramImage(FirmwareImage& image, bool station, const std::string& description,
                              const std::string& path) {
    if (!adapter_.IsOpen()) {
        ReportBox(view_.Owner(), "Error: Adapter is not open.", nullptr, kBoxOk);
        return false;
    }
    if (image.HasExecutionAddress() && image.ExecutionAddress() != 0) {
        ReportBox(view_.Owner(), "Sorry, RAM downloads are not supported.", "Cannot Continue", kBoxIconStop);
        return false;
    }
    const std::string adapterLine = "Adapter: " + texts_.adapterName + " ";
    const std::string firmwareLine =
        std::string(station ? "Station" : "Primary") + " Firmware: Rev " + description + " from " + path + " ";
    LogPrintf("Updating flash\n");
    LogPrintf("%s\n", adapterLine.c_str());
    LogPrintf("%s\n", firmwareLine.c_str());

    cursor_ = Cursor::kWait;
    view_.SetCursor(cursor_);
    std::unique_ptr<ProgressWindowView> progressWindow = view_.CreateProgressWindow();

    const bool quiet = options_.quiet;
    ProgramResult programmed;
    if (quiet && progressWindow != nullptr) {
        view_.ShowWindow(false);
        view_.EnableWindow(false);
        progressWindow->CentreAndShow();
        progressWindow->SetLines("Flash update in progress.  Please wait.", adapterLine, firmwareLine);
        progressWindow->PaintNow();
        programmed = adapter_.ProgramImage(image, &progressWindow->Bar(), texts_.forceAllBlocks, texts_.verifyDownloads);
    } else if (quiet) {
        view_.ShowWindow(false);
        view_.EnableWindow(false);
        programmed = adapter_.ProgramImage(image, nullptr, texts_.forceAllBlocks, texts_.verifyDownloads);
    } else {
        programmed = adapter_.ProgramImage(image, &view_.MainProgressBar(), texts_.forceAllBlocks,
                                           texts_.verifyDownloads);
    }
    ShowProgramFailure(view_.Owner(), programmed, quiet);
    const bool written = programmed.Written();

    const char* result = written ? "Update Successful!" : "Update FAILED";
    if (!quiet) {
        cursor_ = Cursor::kArrow;
        view_.SetCursor(cursor_);
        view_.EnableWindow(true);
        view_.ShowWindow(true);
    }
    SetStatus(result);
    LogPrintf("%s\n", result);
    progressWindow.reset();
    return written;
}

}  // namespace meru
