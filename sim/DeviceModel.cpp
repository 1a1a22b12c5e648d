#include "sim/DeviceModel.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "sim/DefaultDocuments.h"

namespace merivane::sim {
namespace fs = std::filesystem;

namespace {

constexpr const char* kProductFile = "product";
constexpr const char* kFilesFolder = "files";

const char* FileNameOf(DeviceModel::Document which) {
    switch (which) {
        case DeviceModel::Document::Settings:
            return "settings.xml";
        case DeviceModel::Document::State:
            return "state.xml";
        case DeviceModel::Document::Radio:
            return "radio.xml";
    }
    return "";
}

std::optional<std::string> ReadHostFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteHostFile(const fs::path& path, const std::string& text) {
    const fs::path temp = path.string() + ".partial";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << text;
        if (!out) return false;
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    return !ec;
}

// Bytes that look like a small Python library archive.
std::string SampleArchive() {
    std::string data = "PK\x03\x04\x14\x00\x00\x00\x08\x00";
    uint32_t x = 0x2545f491u;
    while (data.size() < 6144) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        data += static_cast<char>(x & 0xff);
    }
    return data;
}

}  // namespace

DeviceModel::DeviceModel(const DeviceOptions& options)
    : options_(options), radio_(HasRadioModule(options)) {
    FactoryDefaults();
    state_ = xml::Parse(DefaultStateXml(options_));
    MakeStandardFolders();
    files_.Write("/WEB/python/python.zip", SampleArchive());
    files_.Write("/WEB/python/main.py",
                 "import time\n\nwhile True:\n    print('device alive')\n    time.sleep(60)\n");
    changed_ = false;
}

void DeviceModel::MakeStandardFolders() {
    for (const char* folder : {"/WEB/python", "/WEB/mesh", "/fw"}) files_.MakeFolder(folder);
}

void DeviceModel::FactoryDefaults() {
    settings_ = xml::Parse(DefaultSettingsXml(options_.product));
    radioSettings_ = xml::Parse(DefaultRadioXml());
    changed_ = true;
}

XmlDocPtr& DeviceModel::Slot(Document which) {
    switch (which) {
        case Document::Settings:
            return settings_;
        case Document::State:
            return state_;
        case Document::Radio:
            break;
    }
    return radioSettings_;
}

const XmlDocPtr& DeviceModel::Slot(Document which) const {
    return const_cast<DeviceModel*>(this)->Slot(which);
}

xmlNode* DeviceModel::Root(Document which) { return xmlDocGetRootElement(Slot(which).get()); }

const xmlNode* DeviceModel::Root(Document which) const {
    return xmlDocGetRootElement(Slot(which).get());
}

bool DeviceModel::Load() {
    if (options_.stateDir.empty()) {
        if (options_.autostart) SetValue(Document::Settings, "python/state", "on");
        changed_ = false;
        return true;
    }
    const fs::path dir(options_.stateDir);
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) return false;

    const std::optional<std::string> product = ReadHostFile(dir / kProductFile);
    bool restored = false;
    if (product && *product == ProductName(options_.product)) {
        for (Document which : {Document::Settings, Document::State, Document::Radio}) {
            const std::optional<std::string> text = ReadHostFile(dir / FileNameOf(which));
            if (!text) continue;
            if (XmlDocPtr doc = xml::Parse(*text)) {
                Slot(which) = std::move(doc);
                restored = true;
            }
        }
    }
    if (!restored && options_.autostart) SetValue(Document::Settings, "python/state", "on");

    const bool hadFiles = fs::is_directory(dir / kFilesFolder, ec);
    if (hadFiles) {
        // The saved files replace the factory ones.
        files_ = DeviceFileSystem();
    }
    if (!files_.SetBacking((dir / kFilesFolder).string())) return false;
    MakeStandardFolders();
    changed_ = true;
    SaveIfChanged();
    return true;
}

void DeviceModel::SaveIfChanged() {
    if (!changed_) return;
    changed_ = false;
    if (!options_.stateDir.empty()) Save();
}

bool DeviceModel::Save() {
    const fs::path dir(options_.stateDir);
    bool ok = WriteHostFile(dir / kProductFile, ProductName(options_.product));
    for (Document which : {Document::Settings, Document::State, Document::Radio}) {
        ok &= WriteHostFile(dir / FileNameOf(which), xml::Dump(Root(which)));
    }
    return ok;
}

void DeviceModel::SetFirmware(const std::string& version) {
    SetValue(Document::State, "device_info/firmware", version);
    SetValue(Document::State, "device_info/firmwaresoftrevstr", "Version " + version);
}

void DeviceModel::SetRadioFirmware(const std::string& version) {
    SetValue(Document::State, "zigbee_state/firmware_version", version);
}

std::optional<std::string> DeviceModel::Value(Document which, std::string_view path) const {
    xmlNode* node = xml::Resolve(Root(which), path);
    if (!node) return std::nullopt;
    return xml::Text(node);
}

bool DeviceModel::SetValue(Document which, std::string_view path, std::string_view value) {
    xmlNode* node = xml::Resolve(Root(which), path);
    if (!node || xml::HasElementChildren(node)) return false;
    xml::SetText(node, value);
    changed_ = true;
    return true;
}

}  // namespace merivane::sim
