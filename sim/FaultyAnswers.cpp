#include "sim/FaultyAnswers.h"

#include <cstdio>

namespace merivane::sim {

std::string BrokenXml(std::string_view body) {
    const size_t start = body.find('<');
    std::string out = "\r\n";
    if (start == std::string_view::npos) {
        out += "<rci_reply version=\"1.1\"><query_setting><";
    } else {
        const std::string_view doc = body.substr(start);
        const size_t cut = std::max<size_t>(doc.size() / 2, 1);
        out += doc.substr(0, cut);
        out += "<</unterminated";
    }
    out += "\r\n";
    return out;
}

bool CorruptFileContent(std::string& body) {
    const size_t data = body.find("<data");
    const size_t text = data == std::string::npos ? data : body.find('>', data);
    if (text == std::string::npos || text + 1 >= body.size()) return false;
    char& first = body[text + 1];
    if (first == '<' || first == '=') return false;
    first = first == 'A' ? 'B' : 'A';
    return true;
}

std::string HugeFiller() {
    std::string out;
    out.reserve(kHugeAnswerBytes + 128);
    char line[96];
    for (unsigned long n = 0; out.size() < kHugeAnswerBytes; ++n) {
        const int length =
            snprintf(line, sizeof line, "\r\nlog %08lu: 0123456789abcdefghijklmnopqrstuvwxyz", n);
        out.append(line, static_cast<size_t>(length));
    }
    return out;
}

}  // namespace merivane::sim
