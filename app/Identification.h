#pragma once

#include <string>

#include "app/DeviceIdentity.h"
#include "link/USBCommand.h"

namespace merivane {

class BatchExecutor;
class DocumentStore;
class Transport;

// The identification batch: modem facts, then the settings, state and (for
// products other than the tracker) mesh radio queries.
CommandList IdentificationCommands(const std::string& product);

// Reads the answers of a run identification batch into `identity` and the
// documents. False when the settings or the state answer is empty (the walk
// stops there); an answer that holds no usable document leaves its slot empty.
bool ReadIdentificationAnswers(const CommandList& list, const std::string& product,
                               DeviceIdentity& identity, DocumentStore& documents);

// Flushes the port, runs the identification batch and reads its answers.
bool IdentifyDevice(Transport& transport, BatchExecutor& executor, const std::string& product,
                    DeviceIdentity& identity, DocumentStore& documents);

// The answer rules, each on its own.
std::string PhoneNumberFromAnswer(const std::string& answer);
int SignalQualityFromAnswer(const std::string& answer);
int RegistrationFromAnswer(const std::string& answer);

}  // namespace merivane
