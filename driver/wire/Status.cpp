#include "Status.h"

#include <netdb.h>

#include <cerrno>
#include <cstring>

namespace qn {
namespace {

struct NamedCode {
    uint32_t code;
    const char* name;
};

// Order matters only for duplicates: the first match wins.
constexpr NamedCode kNames[] = {
    {MESSAGE_OK, "MESSAGE_OK"},
    {MESSAGE_INVALID_FORMAT, "MESSAGE_INVALID_FORMAT"},
    {MESSAGE_MEMORY_ALLOC, "MESSAGE_MEMORY_ALLOC"},
    {MESSAGE_SIZE_TOO_BIG, "MESSAGE_SIZE_TOO_BIG"},
    {MESSAGE_CONNECTION_CLOSED, "MESSAGE_CONNECTION_CLOSED"},
    {CLIENT_OK, "CLIENT_OK"},
    {CMESSAGE_OK, "CMESSAGE_OK"},
    {CMESSAGE_NOT_INIT, "CMESSAGE_NOT_INIT"},
    {WSAEINTR, "WSAEINTR"},
    {WSAEBADF, "WSABADF"},
    {WSAEACCES, "WSAEACCES"},
    {WSAEFAULT, "WSAEFAULT"},
    {WSAEINVAL, "WSAEINVAL"},
    {WSAEMFILE, "WSAEMFILE"},
    {WSAEWOULDBLOCK, "WSAEWOULDBLOCK"},
    {WSAEINPROGRESS, "WSAEINPROGRESS"},
    {WSAEALREADY, "WSAEALREADY"},
    {WSAENOTSOCK, "WSAENOTSOCK"},
    {WSAEDESTADDRREQ, "WSAEDESTADDRREQ"},
    {WSAEMSGSIZE, "WSAEMSGSIZE"},
    {WSAEPROTOTYPE, "WSAEPROTOTYPE"},
    {WSAENOPROTOOPT, "WSAENOPROTOOPT"},
    {WSAEPROTONOSUPPORT, "WSAEPROTONOSUPPORT"},
    {WSAESOCKTNOSUPPORT, "WSAESOCKTNOSUPPORT"},
    {WSAEOPNOTSUPP, "WSAEOPNOTSUPP"},
    {WSAEPFNOSUPPORT, "WSAEPFNOSUPPORT"},
    {WSAEAFNOSUPPORT, "WSAEAFNOSUPPORT"},
    {WSAEADDRINUSE, "WSAEADDRINUSE"},
    {WSAEADDRNOTAVAIL, "WSAEADDRNOTAVAIL"},
    {WSAENETDOWN, "WSAENETDOWN"},
    {WSAENETUNREACH, "WSAENETUNREACH"},
    {WSAENETRESET, "WSAENETRESET"},
    {WSAECONNABORTED, "WSAECONNABORTED"},
    {WSAECONNRESET, "WSAECONNRESET"},
    {WSAENOBUFS, "WSAENOBUFS"},
    {WSAEISCONN, "WSAEISCONN"},
    {WSAENOTCONN, "WSAENOTCONN"},
    {WSAESHUTDOWN, "WSAESHUTDOWN"},
    {WSAETOOMANYREFS, "WSAETOOMANYREFS"},
    {WSAETIMEDOUT, "WSAETIMEDOUT"},
    {WSAECONNREFUSED, "WSAECONNREFUSED"},
    {WSAELOOP, "WSAELOOP"},
    {WSAENAMETOOLONG, "WSAENAMETOOLONG"},
    {WSAEHOSTDOWN, "WSAEHOSTDOWN"},
    {WSAEHOSTUNREACH, "WSAEHOSTUNREACH"},
    {WSAENOTEMPTY, "WSAENOTEMPTY"},
    {WSAEPROCLIM, "WSAEPROCLIM"},
    {WSAEUSERS, "WSAEUSERS"},
    {WSAEDQUOT, "WSAEDQUOT"},
    {WSAESTALE, "WSAESTALE"},
    {WSAEREMOTE, "WSAEREMOTE"},
    {WSAEDISCON, "WSAEDISCON"},
    {WSASYSNOTREADY, "WSASYSNOTREADY"},
    {WSANOTINITIALISED, "WSANOTINITIALISED"},
    {WSAHOST_NOT_FOUND, "WSAHOST_NOT_FOUND"},
    {WSATRY_AGAIN, "WSATRY_AGAIN"},
    {WSANO_RECOVERY, "WSANO_RECOVERY"},
    {WSANO_DATA, "WSANO_DATA"},
};

constexpr const char* kUnknown = "UnknownErrorCode";

}  // namespace

const char* statusName(uint32_t code) {
    for (const NamedCode& n : kNames) {
        if (n.code == code) {
            return n.name;
        }
    }
    return kUnknown;
}

uint32_t wsaFromErrno(int err) {
    switch (err) {
    case EINTR: return WSAEINTR;
    case EBADF: return WSAEBADF;
    case EACCES:
    case EPERM: return WSAEACCES;
    case EFAULT: return WSAEFAULT;
    case EINVAL: return WSAEINVAL;
    case EMFILE:
    case ENFILE: return WSAEMFILE;
    case EAGAIN: return WSAEWOULDBLOCK;
    case EINPROGRESS: return WSAEINPROGRESS;
    case EALREADY: return WSAEALREADY;
    case ENOTSOCK: return WSAENOTSOCK;
    case EDESTADDRREQ: return WSAEDESTADDRREQ;
    case EMSGSIZE: return WSAEMSGSIZE;
    case EPROTOTYPE: return WSAEPROTOTYPE;
    case ENOPROTOOPT: return WSAENOPROTOOPT;
    case EPROTONOSUPPORT: return WSAEPROTONOSUPPORT;
    case ESOCKTNOSUPPORT: return WSAESOCKTNOSUPPORT;
    case EOPNOTSUPP: return WSAEOPNOTSUPP;
    case EPFNOSUPPORT: return WSAEPFNOSUPPORT;
    case EAFNOSUPPORT: return WSAEAFNOSUPPORT;
    case EADDRINUSE: return WSAEADDRINUSE;
    case EADDRNOTAVAIL: return WSAEADDRNOTAVAIL;
    case ENETDOWN: return WSAENETDOWN;
    case ENETUNREACH: return WSAENETUNREACH;
    case ENETRESET: return WSAENETRESET;
    case ECONNABORTED: return WSAECONNABORTED;
    // A send on a connection the peer has dropped.
    case EPIPE:
    case ECONNRESET: return WSAECONNRESET;
    case ENOBUFS:
    case ENOMEM: return WSAENOBUFS;
    case EISCONN: return WSAEISCONN;
    case ENOTCONN: return WSAENOTCONN;
    case ESHUTDOWN: return WSAESHUTDOWN;
    case ETOOMANYREFS: return WSAETOOMANYREFS;
    case ETIMEDOUT: return WSAETIMEDOUT;
    case ECONNREFUSED: return WSAECONNREFUSED;
    case ELOOP: return WSAELOOP;
    case ENAMETOOLONG: return WSAENAMETOOLONG;
    case EHOSTDOWN: return WSAEHOSTDOWN;
    case EHOSTUNREACH: return WSAEHOSTUNREACH;
    case ENOTEMPTY: return WSAENOTEMPTY;
    case EUSERS: return WSAEUSERS;
    case EDQUOT: return WSAEDQUOT;
    case ESTALE: return WSAESTALE;
    case EREMOTE: return WSAEREMOTE;
    default: return WSAEINVAL;
    }
}

uint32_t wsaFromGai(int gaiError) {
    switch (gaiError) {
    case EAI_NONAME: return WSAHOST_NOT_FOUND;
    case EAI_AGAIN: return WSATRY_AGAIN;
    case EAI_FAIL: return WSANO_RECOVERY;
#ifdef EAI_NODATA
    case EAI_NODATA: return WSANO_DATA;
#endif
    case EAI_MEMORY: return WSAENOBUFS;
    case EAI_FAMILY: return WSAEAFNOSUPPORT;
    case EAI_SOCKTYPE: return WSAESOCKTNOSUPPORT;
    case EAI_SERVICE: return WSAEINVAL;
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY: return WSANO_DATA;
#endif
    case EAI_SYSTEM: return wsaFromErrno(errno);
    default: return WSAHOST_NOT_FOUND;
    }
}

bool isConnectionLost(uint32_t code) {
    switch (code) {
    case MESSAGE_CONNECTION_CLOSED:
    case WSAENETDOWN:
    case WSAENETUNREACH:
    case WSAENETRESET:
    case WSAECONNABORTED:
    case WSAECONNRESET:
    case WSAESHUTDOWN:
    case WSAECONNREFUSED:
    case WSAEHOSTDOWN:
    case WSAEHOSTUNREACH:
        return true;
    default:
        return false;
    }
}

}  // namespace qn

char* onFindErrorASCII(uint32_t code, char* destination) {
    if (destination == nullptr) {
        return nullptr;
    }
    const char* name = qn::statusName(code);
    std::memcpy(destination, name, std::strlen(name) + 1);
    return destination;
}
