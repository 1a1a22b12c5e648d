#pragma once

#include <libxml/tree.h>

#include <string>

#include "settings/XmlDocPtr.h"

namespace merivane {

// Reads a configuration backup or a template (a settings request holding only some groups)
// from `path`: a new request with its settings groups only. Null, with the sentence to
// show in `problem`, for a file that cannot be read or holds anything but a settings
// request.
XmlDocPtr ReadSettingsFile(const std::string& path, std::string& problem);

// The start node of such a request: its first setting group, or null.
xmlNode* SettingsStart(xmlDoc* request);

// Writes a settings request to `path` as the XML library saves a document, readable by its
// owner only (a backup and a template may hold passwords and the SIM PIN). False with the
// reason, worded to follow "cannot be saved to PATH (", in `error`.
bool WriteSettingsFile(xmlDoc* request, const std::string& path, std::string& error);

}  // namespace merivane
