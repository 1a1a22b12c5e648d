#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/USBCommand.h"

namespace merivane {

class BatchExecutor;

// The largest file a download takes on. Its Base64 text must stay a text node the XML
// parser accepts (ten million characters) and its size feeds the answer room and the
// time-outs, which are 32-bit.
inline constexpr uint32_t kMaxDownloadBytes = 7000000;

// The step text of the list request.
inline constexpr char kListingMessage[] = "Retrieving file list from the device...";

// One file of the device's Python folder.
struct PythonFileEntry {
    std::string name;              // the device's file name, whole
    std::string sizeText;          // its size as the device wrote it, spaces and tabs removed
    std::optional<uint32_t> size;  // that size, when it is a number a download can take
    std::string text;              // the list entry as shown
};

// The answer to the list request, read.
struct PythonFileListing {
    bool answered = false;  // the answer held a document (else the list is not refilled)
    std::vector<PythonFileEntry> entries;
};

// The shown text of a file: a name of up to 20 characters padded to 20, four spaces and
// the size padded to 8; a longer name whole, four spaces and the padded size.
std::string PythonFileEntryText(const std::string& name, const std::string& size);

// Reads a device size text (spaces and tabs already removed): decimal digits only, no
// larger than kMaxDownloadBytes; an empty text is 0. Nothing for anything else.
std::optional<uint32_t> ReadFileSize(std::string_view text);

// The entry for a listed file.
PythonFileEntry MakePythonFileEntry(const std::string& name, const std::string& sizeAttribute);

// Reads the answer to the list request: every child of "do_command/ls" from the first
// node on, then the following "file" elements, that has both a "name" and a "size".
PythonFileListing ReadPythonFileList(std::string_view answer);

// Appends the two commands of the list request.
void AppendPythonFileListRequest(CommandList& list);

// Reads the answer of the last command of a run batch that ended with the list request.
PythonFileListing ReadListAnswer(const CommandList& list);

// Runs the list request on its own and reads the answer (the page's initialisation and
// Refresh, the command line's "ls").
PythonFileListing FetchPythonFileList(BatchExecutor& executor);

// The listed file named exactly `name`, or null.
const PythonFileEntry* FindPythonFile(const PythonFileListing& listing, const std::string& name);

}  // namespace merivane
