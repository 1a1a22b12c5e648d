#include "sim/RciService.h"

#include "sim/Base64Encoder.h"
#include "sim/FirmwareImage.h"

namespace merivane::sim {
namespace {

using Document = DeviceModel::Document;

void AddError(xmlNode* parent, int id, std::string_view text) {
    xmlNode* error = xml::AddChild(parent, "error");
    xml::SetAttribute(error, "id", std::to_string(id));
    xml::AddChild(error, "desc", text);
}

// Real devices write the ampersands of their state values as they are; the
// tool removes them before parsing.
std::string UnescapeAmpersands(std::string text) {
    for (size_t at = text.find("&amp;"); at != std::string::npos; at = text.find("&amp;", at + 1)) {
        text.erase(at + 1, 4);
    }
    return text;
}

// A query that names what it wants (start-up's auto-start and product
// queries) rather than asking for everything.
bool IsNarrowQuery(const xmlNode* command) {
    return (xml::NameIs(command, "query_setting") || xml::NameIs(command, "query_state")) &&
           xml::HasElementChildren(command);
}

}  // namespace

Reply RciService::Execute(std::string_view request) {
    const XmlDocPtr doc = xml::Parse(request);
    const xmlNode* root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
    if (!root || !xml::NameIs(root, "rci_request")) return Reply::Error();

    XmlDocPtr answer = xml::NewDocument("rci_reply");
    xmlNode* replyRoot = xmlDocGetRootElement(answer.get());
    Reply reply;
    reply.body = "\r\n<rci_reply version=\"1.1\">";
    for (const xmlNode* command = xml::FirstElement(root); command;
         command = xml::NextElement(command)) {
        if (xml::NameIs(command, "query_setting")) {
            QuerySetting(command, replyRoot);
        } else if (xml::NameIs(command, "set_setting")) {
            SetSetting(command, replyRoot);
        } else if (xml::NameIs(command, "query_state")) {
            QueryState(command, replyRoot);
        } else if (xml::NameIs(command, "set_factory_default")) {
            FactoryDefault(replyRoot);
        } else if (xml::NameIs(command, "do_command")) {
            DoCommand(command, replyRoot);
        } else {
            AddError(xml::AddChild(replyRoot, xml::Name(command).c_str()), 1, "Unknown command");
        }
        reply.chatterBehind |= IsNarrowQuery(command);
        const std::string part = xml::Dump(replyRoot->last);
        reply.body += xml::NameIs(command, "query_state") ? UnescapeAmpersands(part) : part;
    }
    reply.body += "</rci_reply>\r\n";
    return reply;
}

void RciService::QuerySetting(const xmlNode* command, xmlNode* reply) {
    xml::CopySelected(model_.Root(Document::Settings), command,
                      xml::AddChild(reply, "query_setting"));
}

void RciService::SetSetting(const xmlNode* command, xmlNode* reply) {
    if (xml::MergeValues(model_.Root(Document::Settings), command)) model_.MarkChanged();
    xmlNode* out = xml::AddChild(reply, "set_setting");
    for (const xmlNode* group = xml::FirstElement(command); group;
         group = xml::NextElement(group)) {
        xml::AddChild(out, xml::Name(group).c_str());
    }
}

void RciService::QueryState(const xmlNode* command, xmlNode* reply) {
    xml::CopySelected(model_.Root(Document::State), command, xml::AddChild(reply, "query_state"));
}

void RciService::FactoryDefault(xmlNode* reply) {
    model_.FactoryDefaults();
    xml::AddChild(reply, "set_factory_default");
}

void RciService::DoCommand(const xmlNode* command, xmlNode* reply) {
    xmlNode* out = xml::AddChild(reply, "do_command");
    const std::string target = xml::Attribute(command, "target").value_or("");
    xml::SetAttribute(out, "target", target);
    if (target == "zigbee") {
        if (!model_.RadioPresent()) {
            AddError(out, 1, kNoRadioText);
            return;
        }
        for (const xmlNode* op = xml::FirstElement(command); op; op = xml::NextElement(op))
            Radio(op, out);
    } else if (target == "file_system") {
        for (const xmlNode* op = xml::FirstElement(command); op; op = xml::NextElement(op))
            FileSystem(op, out);
    } else {
        AddError(out, 2, "Unknown target");
    }
}

void RciService::Radio(const xmlNode* op, xmlNode* out) {
    xmlNode* radio = model_.Root(Document::Radio);
    if (xml::NameIs(op, "query_setting")) {
        xml::CopySelected(radio, op, xml::AddChild(out, "query_setting"));
    } else if (xml::NameIs(op, "set_setting")) {
        if (xml::MergeValues(radio, op)) model_.MarkChanged();
        xml::AddChild(out, "set_setting");
    } else if (xml::NameIs(op, "fw_update")) {
        const std::string file = xml::Attribute(op, "file").value_or("");
        xmlNode* done = xml::AddChild(out, "fw_update");
        xml::SetAttribute(done, "file", file);
        const std::string path = file.starts_with("/") ? file : "/WEB/mesh/" + file;
        const std::optional<std::string> image =
            file.empty() ? std::nullopt : model_.Files().Read(path);
        if (!image) {
            AddError(done, 3, "File not found");
            return;
        }
        model_.SetRadioFirmware(FirmwareVersionOf(*image));
        xml::AddChild(done, "status", "complete");
    } else {
        AddError(xml::AddChild(out, xml::Name(op).c_str()), 1, "Unknown command");
    }
}

void RciService::FileSystem(const xmlNode* op, xmlNode* out) {
    if (xml::NameIs(op, "ls")) {
        ListFolder(op, out);
    } else if (xml::NameIs(op, "get_file")) {
        GetFile(op, out);
    } else if (xml::NameIs(op, "rm")) {
        RemoveFile(op, out);
    } else {
        AddError(xml::AddChild(out, xml::Name(op).c_str()), 1, "Unknown command");
    }
}

void RciService::ListFolder(const xmlNode* op, xmlNode* out) {
    const std::string dir = xml::Attribute(op, "dir").value_or("");
    xmlNode* ls = xml::AddChild(out, "ls");
    xml::SetAttribute(ls, "dir", dir);
    const auto entries = model_.Files().List(dir);
    if (!entries) {
        AddError(ls, 3, "Directory not found");
        return;
    }
    for (const DeviceFileSystem::Entry& entry : *entries) {
        xmlNode* item = xml::AddChild(ls, entry.folder ? "dir" : "file");
        xml::SetAttribute(item, "name", entry.name);
        if (!entry.folder) xml::SetAttribute(item, "size", std::to_string(entry.size));
    }
}

void RciService::GetFile(const xmlNode* op, xmlNode* out) {
    const std::string name = xml::Attribute(op, "name").value_or("");
    xmlNode* get = xml::AddChild(out, "get_file");
    xml::SetAttribute(get, "name", name);
    const std::optional<std::string> data = model_.Files().Read(name);
    if (!data) {
        AddError(get, 3, "File not found");
        return;
    }
    xmlNode* content = xml::AddChild(get, "data", Base64Encode(*data));
    xml::SetAttribute(content, "size", std::to_string(data->size()));
    xml::SetAttribute(content, "encode", "base64");
}

void RciService::RemoveFile(const xmlNode* op, xmlNode* out) {
    const std::string name = xml::Attribute(op, "name").value_or("");
    xmlNode* rm = xml::AddChild(out, "rm");
    xml::SetAttribute(rm, "name", name);
    if (!model_.Files().Remove(name)) AddError(rm, 3, "File not found");
}

}  // namespace merivane::sim
