#pragma once

#include <string>
#include <string_view>

namespace merivane {

// Whether a text's own line breaks ("\n") stay line breaks or are escaped too.
enum class LineBreaks { Keep, Escape };

// `text` made safe to show on a terminal: a device or a planted file may put escape
// sequences (screen clearing, title or clipboard writes), carriage returns or line feeds
// (forged lines) and bidirectional overrides into any value. Shown escaped: C0 controls
// but tab (and "\n" when kept), DEL and bytes that are no UTF-8 as "\xNN"; C1 controls
// and the bidirectional controls as "\uNNNN". Everything else is kept as it is, so
// escaping twice changes nothing more.
std::string TerminalSafe(std::string_view text, LineBreaks lineBreaks = LineBreaks::Escape);

}  // namespace merivane
