#pragma once

#include <string>
#include <vector>

#include "app/MainWindowView.h"

namespace meru {

// File type codes of the file list (the entries' image index).
constexpr int kFilePda = 0;
constexpr int kFileUnknownImage = 1;
constexpr int kFilePrimary = 2;
constexpr int kFileStation = 3;
constexpr int kFilePrimaryAndStation = 4;

// The queue of images and PDA files the next update writes, kept ordered by
// file type code. Holds at most one entry of each of the codes 2, 3 and 4,
// never a code-4 entry beside a code-2 or code-3 one, and each path of
// codes 0 and 1 once (compared without regard to case).
class FileList {
public:
    using Entry = FileListRow;

    // Makes room for the entry by the rules of its code, then inserts it
    // after every entry of an equal or lower code.
    void Insert(const Entry& entry);
    // Deletes the entries at the given positions (any order, duplicates and
    // positions out of range ignored).
    void Remove(std::vector<int> positions);

    int Count() const { return static_cast<int>(entries_.size()); }
    // Position of the first entry with the code, -1 if none.
    int FirstOfType(int typeCode) const;
    // nullptr when the position is out of range.
    const Entry* At(int position) const;
    const std::vector<Entry>& Entries() const { return entries_; }

private:
    void MakeRoomFor(const Entry& entry);

    std::vector<Entry> entries_;
};

// Classifies a file for the file list: a ".pda" file by its platform
// records, anything else as an S-record image (from the FIRMWARE resource
// when resourceId is not 0) by the identities it declares. A file that
// cannot be read still gets an entry (code 0 or 1).
FileList::Entry ClassifyFile(const std::string& path, unsigned resourceId);

// True when the text ends in ".pda", without regard to case.
bool HasPdaExtension(const std::string& path);

}  // namespace meru
