#include "settings/RciRequests.h"

namespace merivane::rci {

namespace {

constexpr std::string_view kFileSystemCommandOpen =
    "<rci_request version='1.1'><do_command target='file_system'>";
constexpr std::string_view kZelboCommandOpen =
    "<rci_request version='1.1'><do_command target='zigbee'>";
constexpr std::string_view kCommandClose = "</do_command></rci_request>";

void SetWhy(std::string* why, const char* text) {
    if (why != nullptr) *why = text;
}

// `open` + element + "='" + folder + escaped name + "'/>" + close, for a checked name.
bool BuildFileRequest(std::string_view open, std::string_view element, std::string_view folder,
                      const std::string& name, std::string_view tail, std::string* request,
                      std::string* why) {
    if (!CheckDeviceFileName(name, why)) return false;
    std::string text;
    text.append(open).append(element).append("='").append(folder);
    text.append(EscapeForAttribute(name)).append("'/>").append(kCommandClose).append(tail);
    *request = std::move(text);
    return true;
}

}  // namespace

std::string EscapeForAttribute(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\'':
                out += "&apos;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string InlineCommand(std::string_view request) {
    std::string command = "at&usbinterface=20,\"";
    command.append(request).append("\"\r\n");
    return command;
}

bool CheckDeviceFileName(const std::string& name, std::string* why) {
    if (name.empty()) {
        SetWhy(why, "The file name is empty.");
        return false;
    }
    if (name.size() > kMaxDeviceFileNameBytes) {
        SetWhy(why, "The file name is longer than 255 bytes.");
        return false;
    }
    if (name == "." || name == "..") {
        SetWhy(why, "The file name cannot be \".\" or \"..\".");
        return false;
    }
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            SetWhy(why,
                   "The file name contains a control character such as a line break or a tab.");
            return false;
        }
        if (c == '"') {
            SetWhy(why, "The file name contains a double quote.");
            return false;
        }
        if (c == '/' || c == '\\') {
            SetWhy(why, "The file name contains a slash or a backslash.");
            return false;
        }
        // Device paths travel unquoted in some commands, where a modem's command parser
        // may take ";" as the start of another command and "," as the next argument.
        if (c == ';' || c == ',') {
            SetWhy(why, "The file name contains a semicolon or a comma.");
            return false;
        }
    }
    return true;
}

bool RemovePythonFileRequest(const std::string& name, std::string* request, std::string* why) {
    return BuildFileRequest(kFileSystemCommandOpen, "<rm name", kPythonFolder, name, "", request,
                            why);
}

bool GetPythonFileRequest(const std::string& name, std::string* request, std::string* why) {
    return BuildFileRequest(kFileSystemCommandOpen, "<get_file name", kPythonFolder, name, "\r\n",
                            request, why);
}

bool RemoveMeshFileRequest(const std::string& name, std::string* request, std::string* why) {
    return BuildFileRequest(kFileSystemCommandOpen, "<rm name", kMeshFolder, name, "", request,
                            why);
}

bool ZelboFirmwareUpdateRequest(const std::string& name, std::string* request, std::string* why) {
    return BuildFileRequest(kZelboCommandOpen, "<fw_update file", "", name, "", request, why);
}

bool CheckDevicePath(const std::string& path, std::string* why) {
    if (path == kFirmwareImagePath) return true;
    for (std::string_view folder : {kPythonFolder, kMeshFolder}) {
        if (path.starts_with(folder)) return CheckDeviceFileName(path.substr(folder.size()), why);
    }
    SetWhy(why, "The device path is not in a folder the tool writes to.");
    return false;
}

bool UploadDestinationCommand(const std::string& path, std::string* command, std::string* why) {
    if (!CheckDevicePath(path, why)) return false;
    *command = "AT&USBINTERFACE=9," + path + "\r\n";
    return true;
}

bool DigestCommand(const std::string& path, std::string* command, std::string* why) {
    if (!CheckDevicePath(path, why)) return false;
    *command = "at&usbinterface=41,\"" + path + "\"\r\n";
    return true;
}

}  // namespace merivane::rci
