#pragma once

namespace merivane {

// Makes the accessibility bus name every combo box by its label (its accessible name or its
// buddy label), as every other control is named, and give its current entry as its value.
// Qt on Linux names a combo box by its current entry, so that a screen reader reads "9600"
// where a person sees "Baud Rate". Safe to call more than once; needs the application object.
void InstallComboBoxNames();

}  // namespace merivane
