// The server core's request handler: one execution session per client connection.
#include <cstring>

#include "ExecSession.h"
#include "core/RequestHandler.h"
#include "core/ServerConfig.h"
#include "driver/wire/MessageBuffer.h"

namespace qn::server {

namespace {

class ExecRequestHandler : public RequestHandler {
 public:
  explicit ExecRequestHandler(const ConnectionContext& context)
      : session_(std::make_unique<exec::ExecSession>(limitsOf(context))) {}

  void handle(ConnectionContext&, const qn::MessageBuffer& request, qn::MessageBuffer& reply) override {
    if (!session_) session_ = std::make_unique<exec::ExecSession>(limits_);
    auto type = int32_t(headerField(request, kOffType));
    uint32_t size = headerField(request, kOffSize);
    uint32_t extra = headerField(request, kOffExtra);
    std::vector<uint8_t> items;
    int16_t code = session_->handle(type, extra, request.data, size, items);
    if (!items.empty() && msgSetSize(&reply, uint32_t(items.size())) == 1) {
      std::memcpy(reply.data, items.data(), items.size());
    } else if (!items.empty()) {
      code = SQL_ERROR;  // the session checked the size; the buffer disagreed
    }
    msgSetExtraData(&reply, uint32_t(int32_t(code)));
  }

  void disconnected(ConnectionContext&) override { session_.reset(); }

 private:
  exec::Limits limitsOf(const ConnectionContext& context) {
    limits_.grantedOptions = context.grantedOptions;
    limits_.maxStatements = context.maxStatements;
    if (context.maxMessageSize > 32) limits_.maxMessage = context.maxMessageSize;
    return limits_;
  }

  exec::Limits limits_;
  std::unique_ptr<exec::ExecSession> session_;
};

class ExecFactory : public RequestHandlerFactory {
 public:
  std::unique_ptr<RequestHandler> create(ConnectionContext& context) override {
    return std::make_unique<ExecRequestHandler>(context);
  }
};

}  // namespace

std::unique_ptr<RequestHandlerFactory> makeRequestHandlerFactory(const ServerConfig&) {
  return std::make_unique<ExecFactory>();
}

}  // namespace qn::server
