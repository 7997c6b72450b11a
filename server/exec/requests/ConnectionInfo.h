#pragma once
// The function bitmap and info block sent after a successful connect, and the
// information calls that reach the server.
#include <array>
#include <string>
#include <cstdint>

#include "ExecSession.h"

namespace qn::exec {

std::array<uint8_t, 100> functionBitmap(ExecSession& session);
std::array<uint8_t, 76> infoBlock(ExecSession& session);
// Appends what the granted options ask for after a connect.
void writeConnectBlocks(ExecSession& session, ItemWriter& out);
// Information types whose answer is a handle or a pointer of the server.
bool infoTypeRefused(int16_t infoType);

}  // namespace qn::exec

namespace qn::exec {
// The pairs of a forwarded connection string that the server applies.
std::string filterConnectionString(const std::string& input);
}  // namespace qn::exec
