#include "sim/FaultyAnswers.h"

#include <cstdio>

#include "sim/Base64Encoder.h"
#include "support/Base64.h"

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

namespace {

// The position and length of the Base64 text of a get_file answer's data element.
bool FindFileContent(const std::string& body, size_t& start, size_t& length) {
    if (body.find("<get_file") == std::string::npos) return false;
    const size_t data = body.find("<data");
    const size_t open = data == std::string::npos ? data : body.find('>', data);
    const size_t close = open == std::string::npos ? open : body.find("</data>", open);
    if (close == std::string::npos) return false;
    start = open + 1;
    length = close - start;
    return true;
}

}  // namespace

bool RenameFetchedFile(std::string& body, const std::string& path) {
    const size_t get = body.find("<get_file");
    const size_t name = get == std::string::npos ? get : body.find("name=\"", get);
    const size_t end = name == std::string::npos ? name : body.find('"', name + 6);
    if (end == std::string::npos) return false;
    body.replace(name + 6, end - (name + 6), path);
    return true;
}

bool LeaveOutOfList(std::string& body, const std::string& name) {
    if (body.find("<ls") == std::string::npos) return false;
    const size_t entry = body.find("<file name=\"" + name + "\"");
    const size_t end = entry == std::string::npos ? entry : body.find("/>", entry);
    if (end == std::string::npos) return false;
    body.erase(entry, end + 2 - entry);
    return true;
}

bool LengthenFetchedFile(std::string& body, size_t extra) {
    size_t start = 0;
    size_t length = 0;
    if (!FindFileContent(body, start, length)) return false;
    const std::string content = Base64DecodeToString(body.substr(start, length));
    body.replace(start, length, Base64Encode(content + std::string(extra, '#')));
    return true;
}

bool AddForeignOperations(std::string& body) {
    const size_t query = body.find("</query_setting>");
    const size_t root = body.rfind("</rci_reply>");
    if (query == std::string::npos || root == std::string::npos || root < query) return false;
    body.insert(root + 12,
                "<!--\r\nat&usbinterface=20,\"<rci_request version='1.1'><do_command "
                "target='file_system'><rm name='/WEB/python/python.zip'/></do_command>"
                "</rci_request>\"\r\n-->");
    body.insert(query + 16,
                "<set_factory_default/><do_command target=\"file_system\"><rm "
                "name=\"/WEB/python/main.py\"/></do_command>");
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
