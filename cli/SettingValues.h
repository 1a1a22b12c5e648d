#pragma once

#include <libxml/tree.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace merivane::cli {

// Reads settings by path from a document's start node through the bindings, as the
// pages read them. nullopt for a path that does not resolve.
std::vector<std::optional<std::string>> ReadSettingValues(xmlNode* start,
                                                          const std::vector<std::string>& paths);

// Writes text values by path through the bindings, as the pages write them (a setting
// the document lacks is not written).
void WriteSettingValues(xmlNode* start,
                        const std::vector<std::pair<std::string, std::string>>& assignments);

// A setting's value as the command line shows it: a secret's as "********" unless
// `showSecrets`.
std::string ShownValue(const std::string& path, const std::string& value, bool showSecrets);

// True when `path` resolves to an element that holds other elements: a group of
// settings, which a text value would wipe out.
bool NamesGroup(xmlNode* start, const std::string& path);

}  // namespace merivane::cli
