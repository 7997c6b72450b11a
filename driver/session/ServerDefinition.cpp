#include "ServerDefinition.h"

#include "Probe.h"
#include "ServerList.h"
#include "SessionSockets.h"

namespace qn::session {
namespace {

SaveOutcome stay(int message, SaveOutcome::Focus focus) {
    SaveOutcome o;
    o.messageNumber = message;
    o.focus = focus;
    return o;
}

}  // namespace

SaveOutcome saveServerDefinition(ServerList& list, const ServerEdit& edit, const AskYesNo& ask) {
    const long port = portFieldValue(edit.portField);
    if (port < 1 || edit.portField.find_first_not_of(' ') == std::string::npos) {
        return stay(3, SaveOutcome::Focus::Port);
    }
    const std::string tryIP = edit.storeAddress ? "Yes" : "No";

    std::string stored;
    bool checkServer = true;
    if (!isDottedAddress(edit.address)) {
        std::string resolved;
        if (resolveAddress(edit.address, resolved)) {
            if (edit.storeAddress) stored = resolved;
        } else {
            if (!ask(36, {edit.address})) return stay(0, SaveOutcome::Focus::Address);
            checkServer = false;
        }
    }
    if (checkServer) {
        const std::string target = stored.empty() ? edit.address : stored;
        // Ports past the last one cannot answer; the question below still lets the user keep them.
        if (!(port <= 65535 && probe(target, int(port), edit.probeSeconds)) &&
            !ask(37, {target, std::to_string(port)})) {
            return stay(0, SaveOutcome::Focus::Address);
        }
    }

    const bool isNew = edit.originalName.empty();
    const bool renamed = !isNew && edit.name != edit.originalName;
    if ((isNew || renamed) && list.positionOf(edit.name) != 0) {
        return stay(49, SaveOutcome::Focus::Name);
    }
    if (renamed) {
        const int position = list.positionOf(edit.originalName);
        if (position == 0 ? list.add(edit.name) == 0 : !list.rename(position, edit.name)) {
            return stay(0, SaveOutcome::Focus::None);
        }
    } else if (isNew && list.add(edit.name) == 0) {
        return stay(0, SaveOutcome::Focus::None);
    }
    ServerDefinition definition{edit.address, edit.portField, tryIP, stored};
    if (!list.writeDefinition(edit.name, definition)) return stay(0, SaveOutcome::Focus::None);
    SaveOutcome done;
    done.saved = true;
    done.name = edit.name;
    return done;
}

}  // namespace qn::session
