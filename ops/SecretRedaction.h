#pragma once

#include <libxml/tree.h>

#include <string>
#include <vector>

namespace merivane {

// The non-empty values of the secret settings under `start` (see IsSecretSetting).
std::vector<std::string> SecretValues(xmlNode* start);

// `text` (a document, or a command log with documents and commands in it) with every
// secret replaced by "********": the content of every element whose name marks a secret
// setting ("<password>...</password>", "<pin>...</pin>"), and every occurrence of one of
// `known`, as is and as XML writes it, wherever else it stands.
std::string RedactSecrets(std::string text, const std::vector<std::string>& known);

}  // namespace merivane
