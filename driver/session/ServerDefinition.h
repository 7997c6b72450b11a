#pragma once
// Saving a server definition from the server properties dialog (its OK button), without
// the dialog: questions go through a callback, the outcome says where the focus goes.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qn::session {

class ServerList;

struct ServerEdit {
    std::string originalName;  // empty for a new server
    std::string name;
    std::string address;       // network address field as entered
    std::string portField;
    bool storeAddress = true;  // "Store IP Address for faster connections"
    std::uint32_t probeSeconds = 30;
};

// Asks a Yes/No question by string table number, with the texts for its %s/%d fields.
using AskYesNo = std::function<bool(int messageNumber, const std::vector<std::string>& args)>;

struct SaveOutcome {
    enum class Focus { None, Name, Address, Port };
    bool saved = false;
    int messageNumber = 0;      // an error shown (3 or 49), 0 when none
    Focus focus = Focus::None;  // where the dialog puts the focus when it stays open
    std::string name;           // the saved name
};

SaveOutcome saveServerDefinition(ServerList& list, const ServerEdit& edit, const AskYesNo& ask);

}  // namespace qn::session
