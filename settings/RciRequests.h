#pragma once

#include <string>
#include <string_view>

namespace merivane::rci {

// `text` with what would end or confuse a single-quoted XML attribute value written as an
// entity: "'", "<", ">" and "&".
std::string EscapeForAttribute(std::string_view text);

// The fixed RCI requests, as the text that travels between the framing.
inline constexpr std::string_view kQuerySettings =
    "<rci_request version='1.1'><query_setting></query_setting></rci_request>";
inline constexpr std::string_view kQueryState =
    "<rci_request version='1.1'><query_state/></rci_request>";
inline constexpr std::string_view kQueryProduct =
    "<rci_request version='1.1'><query_state><device_info><product/></device_info></query_state>"
    "</rci_request>";
inline constexpr std::string_view kQueryPythonAutoStart =
    "<rci_request version='1.1'><query_setting><python><state/></python></query_setting>"
    "</rci_request>";
inline constexpr std::string_view kSetPythonAutoStartOff =
    "<rci_request version='1.1'><set_setting><python><state>off</state></python></set_setting>"
    "</rci_request>";
inline constexpr std::string_view kQueryZelboSettings =
    "<rci_request version='1.1'><do_command target='zigbee'><query_setting/></do_command>"
    "</rci_request>";
inline constexpr std::string_view kSetFactoryDefault =
    "<rci_request version='1.1'><set_factory_default/></rci_request>";
inline constexpr std::string_view kRemoveFirmwareImage =
    "<rci_request version='1.1'><do_command target='file_system'><rm name='/fw/updatefw.dwl'/>"
    "</do_command></rci_request>";
inline constexpr std::string_view kListPythonFiles =
    "<rci_request version='1.1'><do_command target='file_system'><ls dir='/WEB/python'/>"
    "</do_command></rci_request>";

// The command that announces a bare request as the next command line (two-part framing).
inline constexpr std::string_view kTwoPartLeadIn = "at&usbinterface=22\r\n";

// Device folders and the firmware image path that files travel to and from.
inline constexpr std::string_view kPythonFolder = "/WEB/python/";
inline constexpr std::string_view kMeshFolder = "/WEB/mesh/";
inline constexpr std::string_view kFirmwareImagePath = "/fw/updatefw.dwl";

// Longest device file name accepted, in bytes.
inline constexpr size_t kMaxDeviceFileNameBytes = 255;

// The one-command framing of a request: "at&usbinterface=20," with the request in double
// quotes and a line end.
std::string InlineCommand(std::string_view request);

// True when `name` can be used as a device file name in a request or device command: not
// empty, at most kMaxDeviceFileNameBytes long, no control character (line ends and tabs
// included), no double quote, no "/" or "\", no ";" or ",", and not "." or "..". Otherwise
// false, with a sentence saying why in `why` (when given).
bool CheckDeviceFileName(const std::string& name, std::string* why);

// The requests that name a device file. Each checks `name` first; on refusal it returns
// false, leaves `request` untouched and says why. Characters that XML can carry inside the
// single-quoted attribute (' < > &) are escaped; other names give the plain text.
//
// Two-part: delete a Python file; fetch a Python file (this one ends with "\r\n").
bool RemovePythonFileRequest(const std::string& name, std::string* request, std::string* why);
bool GetPythonFileRequest(const std::string& name, std::string* request, std::string* why);
// Inline: delete a mesh radio firmware file; start the mesh radio firmware update.
bool RemoveMeshFileRequest(const std::string& name, std::string* request, std::string* why);
bool ZelboFirmwareUpdateRequest(const std::string& name, std::string* request, std::string* why);

// True when `path` is a device file path the tool may use: kFirmwareImagePath, or
// kPythonFolder or kMeshFolder followed by a name that passes CheckDeviceFileName.
bool CheckDevicePath(const std::string& path, std::string* why);

// The upload step that names the file to be written ("AT&USBINTERFACE=9," and the path,
// unquoted) and the request for a stored file's MD5 digest ("at&usbinterface=41," and the
// path in double quotes). The path is plain text there; it is checked with
// CheckDevicePath and goes unchanged. On refusal: false, `command` untouched, `why` set.
bool UploadDestinationCommand(const std::string& path, std::string* command, std::string* why);
bool DigestCommand(const std::string& path, std::string* command, std::string* why);

}  // namespace merivane::rci
