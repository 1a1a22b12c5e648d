#include "cli/SettingValues.h"

#include "settings/BindingHost.h"
#include "settings/Bindings.h"
#include "settings/SecretSettings.h"
#include "settings/SettingPath.h"

namespace merivane::cli {
namespace {

// Notes which records resolved: each record's control is its index.
class ResolvedRecords : public BindingHost {
  public:
    explicit ResolvedRecords(size_t count) : resolved_(count, false) {}
    void ShowControl(const std::string& control_id) override {
        const size_t index = std::stoul(control_id);
        if (index < resolved_.size()) resolved_[index] = true;
    }
    bool Resolved(size_t index) const { return resolved_[index]; }

  private:
    std::vector<bool> resolved_;
};

}  // namespace

std::vector<std::optional<std::string>> ReadSettingValues(xmlNode* start,
                                                          const std::vector<std::string>& paths) {
    std::vector<std::string> values(paths.size());
    BindingTable table;
    for (size_t i = 0; i < paths.size(); ++i)
        table.push_back(BindText(paths[i], &values[i], std::to_string(i)));
    ResolvedRecords resolved(paths.size());
    ReadBindings(&resolved, table, start);

    std::vector<std::optional<std::string>> found(paths.size());
    for (size_t i = 0; i < paths.size(); ++i)
        if (resolved.Resolved(i)) found[i] = values[i];
    return found;
}

void WriteSettingValues(xmlNode* start,
                        const std::vector<std::pair<std::string, std::string>>& assignments) {
    std::vector<std::string> values;
    values.reserve(assignments.size());
    BindingTable table;
    for (const auto& [path, value] : assignments) {
        values.push_back(value);
        table.push_back(BindText(path, &values.back(), ""));
    }
    WriteBindings(table, start);
}

std::string ShownValue(const std::string& path, const std::string& value, bool showSecrets) {
    return showSecrets ? value : ShownSettingValue(path, value);
}

bool NamesGroup(xmlNode* start, const std::string& path) {
    const xmlNode* element = ResolveSettingPath(start, path);
    if (element == nullptr) return false;
    for (const xmlNode* child = element->children; child != nullptr; child = child->next)
        if (child->type == XML_ELEMENT_NODE) return true;
    return false;
}

}  // namespace merivane::cli
