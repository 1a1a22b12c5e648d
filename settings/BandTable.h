#pragma once

#include <string>

namespace merivane {

// The radio band selection of the mobile settings. The device stores a decimal code
// ("mobile_simple/mobile_gsm_band"); the Mobile page shows a text from its band list.

// The band list's entries, "\n"-separated, in the order the list shows them: North America
// first, quad-band last.
const std::string& BandChoices();

// The codes the device stores, "\n"-separated, in code order.
const std::string& BandCodes();

// The text shown for a stored code, read as atoi reads it. A code the table does not know
// (3, 5, 11 and above, or no number) is kept: it shows as "Unknown band (code <stored text>)",
// which BandTextToCode turns back into the stored text.
std::string BandCodeToText(const std::string& stored);

// The code stored for a shown text: the code of the table entry whose text is exactly `shown`,
// the stored text of an "Unknown band (code ...)" entry, else an empty text.
std::string BandTextToCode(const std::string& shown);

}  // namespace merivane
