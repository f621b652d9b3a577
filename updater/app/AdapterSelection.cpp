// The main window's adapter selection: finding the adapters, selecting the
// one card, opening it for an operation, and filling the fields and the
// grid from the card and the catalogue.
#include "app/AdapterSession.h"
#include "app/CommandLine.h"
#include "app/ImageLoadStop.h"
#include "app/MainWindow.h"
#include "app/PdaTexts.h"
#include "base/ReportBox.h"
#include "base/SessionLog.h"
#include "card/CollectedAdapters.h"
#include "image/Catalogue.h"

namespace meru {

bool MainWindow::OpenSelectedAdapter(bool checkDriver) {
    if (!selected_) {
        ReportBox(view_.Owner(), "Cannot continue - No adapter selected.", "Error", kBoxOk);
        ResetToNoAdapter();
        return false;
    }
    if (!adapter_.Open(static_cast<uint32_t>(adapterIndex_), false)) {
        ReportBox(view_.Owner(), "Cannot open selected adapter. Was it removed?", "Error", kBoxIconStop);
        ResetToNoAdapter();
        return false;
    }
    if (checkDriver && static_cast<int32_t>(adapter_.QueryDriverVersion()) < 0) {
        ReportBox(view_.Owner(), "This program requires a newer driver version to update cards. Updating is disabled.",
                  nullptr, kBoxOk);
        return false;  // still open: the caller closes it
    }
    return true;
}

MainWindow::OnlyAdapter MainWindow::OpenOnlyAdapter(std::string& name) {
    DetectAdapters(false);
    if (adapterIndices_.empty()) return OnlyAdapter::kNone;
    if (adapterIndices_.size() > 1) return OnlyAdapter::kSeveral;
    name = adapterNames_[0];
    if (!adapter_.Open(adapterIndices_[0], true) || !adapter_.EnableAux()) {
        adapter_.Close();
        return OnlyAdapter::kCannotOpen;
    }
    if (adapter_.MacType() == kMacTypeUnknown) {
        adapter_.Close();
        return OnlyAdapter::kUnknownCard;
    }
    return OnlyAdapter::kOpened;
}

void MainWindow::ResetToNoAdapter() {
    adapter_.Close();
    cardPda_.Clear();
    selected_ = false;
    RefreshPdaFields();
    SetStatusColour(kColourRed);
    SetStatus("No adapter selected.");
    ClearGrid();
    LogPrintf("No adapter selected.\n");
    PushState();
}

void MainWindow::DetectAdapters(bool autoSelect) {
    selected_ = false;
    adapter_.Close();
    CollectedAdapters found;
    discovery_.FillAdapterList(found);

    // Only adapters that can be opened stay in the list.
    for (size_t i = found.names.size(); i-- > 0;) {
        if (adapter_.Open(found.values[i], false)) {
            adapter_.Close();
        } else {
            found.names.erase(found.names.begin() + static_cast<long>(i));
            found.values.erase(found.values.begin() + static_cast<long>(i));
        }
    }
    adapterNames_ = found.names;
    adapterIndices_ = found.values;
    listSelection_ = -1;
    view_.ShowAdapterList(adapterNames_, listSelection_);

    if (autoSelect && adapterNames_.size() == 1) {
        listSelection_ = 0;
        view_.ShowAdapterList(adapterNames_, listSelection_);
        SelectAdapter();
    }
    RefreshPdaFields();
}

void MainWindow::SelectAdapter() {
    if (listSelection_ < 0 || listSelection_ >= static_cast<int>(adapterIndices_.size())) return;
    const uint32_t index = adapterIndices_[static_cast<size_t>(listSelection_)];
    // A card that fails to be selected must not leave an earlier card's PDA behind.
    cardPda_.Clear();

    if (!adapter_.Open(index, true) || !adapter_.IsOpen() || !adapter_.EnableAux()) {
        adapter_.Close();
        SetStatusColour(kColourRed);
        SetStatus("Error: The adapter could not be opened.");
        LogPrintf("Error: The adapter could not be opened.\n");
        PushState();
        return;
    }
    if (adapter_.MacType() == kMacTypeUnknown) {
        SetStatusColour(kColourRed);
        SetStatus("The adapter has been disabled, or is not compatible with this program.");
        LogPrintf("The adapter has been disabled, or is not compatible with this program.\n");
        adapter_.Close();
        return;
    }
    texts_.adapterName = adapterNames_[static_cast<size_t>(listSelection_)];
    cardPda_.Clear();
    if (!adapter_.ReadPda(cardPda_)) {
        SetStatusColour(kColourRed);
        SetStatus("WARNING! PDA read from card was invalid. ");
        LogPrintf("WARNING! PDA read from card was invalid. \n");
        adapter_.Close();
        return;
    }
    uint8_t mac[6] = {};
    texts_.adapterMac = adapter_.ReadPermanentAddress(mac) ? MacText(mac) : "";
    selected_ = true;
    adapterIndex_ = static_cast<int32_t>(index);

    {
        const AdapterSession driverCheck(*this, true);  // a driver too old for updating is reported here, once
    }
    LoadFirmwareForCard();
    RefreshPdaFields();
}

void MainWindow::RefreshPdaFields() {
    if (!options_.quiet) view_.ShowAdapterNameField(selected_);
    if (!selected_) texts_.adapterMac.clear();
    texts_.pdaMac = PdaMacText(cardPda_);
    texts_.serialNumber = PdaCharacterText(cardPda_, kPdaSerialNumber);
    partNumberText_ = PdaCharacterText(cardPda_, kPdaPartNumber);
    PushState();
}

void MainWindow::RefreshCurrentFirmware() {
    AdapterSession card(*this, false);
    primaryNow_.clear();
    stationNow_.clear();
    if (!card.Usable()) {
        view_.SetGridField(GridField::kCurrentPrimaryRevision, "");
        view_.SetGridField(GridField::kCurrentPrimaryFile, "");
        view_.SetGridField(GridField::kCurrentStationRevision, "");
        view_.SetGridField(GridField::kCurrentStationFile, "");
        return;
    }
    std::string primary, station;
    adapter_.ReadFirmwareVersions(static_cast<uint32_t>(adapterIndex_), primary, station);
    primaryNow_ = primary;
    stationNow_ = station;
    if (!firmwareBeforeRead_) {
        primaryBefore_ = primary;
        stationBefore_ = station;
        firmwareBeforeRead_ = true;
    }
    view_.SetGridField(GridField::kCurrentPrimaryRevision, primary);
    view_.SetGridField(GridField::kCurrentStationRevision, station);
    std::string primaryFile, stationFile;
    adapter_.ReadFileNames(primaryFile, stationFile);
    view_.SetGridField(GridField::kCurrentPrimaryFile, primaryFile);
    view_.SetGridField(GridField::kCurrentStationFile, stationFile);
}

void MainWindow::LoadFirmwareForCard() {
    const int choice =
        SelectForPlatform(
            cardPda_, [this](const std::string& name, unsigned resourceId) { AddFile(name, resourceId); },
            ShowImageLoadStop);
    if (choice == kCardHasNoPlatform) return;
    ReaddFileArguments(options_.arguments, [this](const std::string& path) { AddFile(path, 0); });
    RefreshCurrentFirmware();
    if (choice != kSelectedBoth) return;

    const FileList::Entry* primary = files_.At(files_.FirstOfType(kFilePrimary));
    const FileList::Entry* station = files_.At(files_.FirstOfType(kFileStation));
    if (primary == nullptr || station == nullptr) return;
    view_.SetGridField(GridField::kAfterPrimaryRevision, primary->description);
    view_.SetGridField(GridField::kAfterPrimaryFile, primary->path);
    view_.SetGridField(GridField::kAfterStationRevision, station->description);
    view_.SetGridField(GridField::kAfterStationFile, station->path);
    LogPrintf("Update To: Primary: %s Station: %s (%s  %s)\n", primary->description.c_str(),
              station->description.c_str(), primary->path.c_str(), station->path.c_str());
}

}  // namespace meru
