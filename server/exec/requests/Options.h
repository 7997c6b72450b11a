#pragma once
// Which connection and statement options a client may set or read on the server.
// Options that name files, libraries, windows or addresses of the server never pass.
#include <cstddef>
#include <cstdint>

namespace qn::exec {

enum class OptionKind { Refused, Number, String };

OptionKind connectionOptionKind(int16_t option, bool forSet);
OptionKind statementOptionKind(int16_t option, bool forSet);

constexpr int16_t kRowsetSizeOption = 9;
constexpr int16_t kBindTypeOption = 5;
constexpr int16_t kBulkReadOption = int16_t(4287);
constexpr int16_t kDeferredBindOption = int16_t(4286);
constexpr size_t kMaxRowsetSize = 65535;

}  // namespace qn::exec
