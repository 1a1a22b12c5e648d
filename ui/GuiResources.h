#pragma once

#include <QIcon>
#include <QPixmap>

namespace merivane {

// The program's pictures, compiled in from res/.
QIcon AppIcon();
// The signal bar and link images: lit and unlit, 16 x 16 pixels.
QPixmap LitImage();
QPixmap UnlitImage();
// An indicator whose state is not known (the device is gone): grey with a question mark.
QPixmap UnknownImage();

}  // namespace merivane
