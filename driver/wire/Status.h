#pragma once
#include <cstdint>
#include <string>

#include "Export.h"

namespace qn {

// Status codes of the message layer (buffer status) and of the channel.
// Any code from 10004 up is a Windows Sockets error number.
enum Status : uint32_t {
    MESSAGE_OK = 100,
    MESSAGE_INVALID_FORMAT = 101,
    MESSAGE_MEMORY_ALLOC = 102,
    MESSAGE_SIZE_TOO_BIG = 103,
    MESSAGE_CONNECTION_CLOSED = 104,
    MESSAGE_ENCRYPT_FAILED = 105,
    MESSAGE_DECRYPT_FAILED = 106,
    CLIENT_OK = 200,
    CMESSAGE_OK = 300,
    CMESSAGE_NOT_INIT = 301,
    CMESSAGE_MISSING_ITEM = 302,
    CMESSAGE_INVALID_ARGUMENT = 303,
    CMESSAGE_WRONG_TYPE = 304,
    CMESSAGE_TOO_LARGE = 305,
};

// Windows Sockets error numbers used by the driver (the wire and the texts
// shown to users are defined in these numbers, whatever the host).
enum WsaError : uint32_t {
    WSAEINTR = 10004,
    WSAEBADF = 10009,
    WSAEACCES = 10013,
    WSAEFAULT = 10014,
    WSAEINVAL = 10022,
    WSAEMFILE = 10024,
    WSAEWOULDBLOCK = 10035,
    WSAEINPROGRESS = 10036,
    WSAEALREADY = 10037,
    WSAENOTSOCK = 10038,
    WSAEDESTADDRREQ = 10039,
    WSAEMSGSIZE = 10040,
    WSAEPROTOTYPE = 10041,
    WSAENOPROTOOPT = 10042,
    WSAEPROTONOSUPPORT = 10043,
    WSAESOCKTNOSUPPORT = 10044,
    WSAEOPNOTSUPP = 10045,
    WSAEPFNOSUPPORT = 10046,
    WSAEAFNOSUPPORT = 10047,
    WSAEADDRINUSE = 10048,
    WSAEADDRNOTAVAIL = 10049,
    WSAENETDOWN = 10050,
    WSAENETUNREACH = 10051,
    WSAENETRESET = 10052,
    WSAECONNABORTED = 10053,
    WSAECONNRESET = 10054,
    WSAENOBUFS = 10055,
    WSAEISCONN = 10056,
    WSAENOTCONN = 10057,
    WSAESHUTDOWN = 10058,
    WSAETOOMANYREFS = 10059,
    WSAETIMEDOUT = 10060,
    WSAECONNREFUSED = 10061,
    WSAELOOP = 10062,
    WSAENAMETOOLONG = 10063,
    WSAEHOSTDOWN = 10064,
    WSAEHOSTUNREACH = 10065,
    WSAENOTEMPTY = 10066,
    WSAEPROCLIM = 10067,
    WSAEUSERS = 10068,
    WSAEDQUOT = 10069,
    WSAESTALE = 10070,
    WSAEREMOTE = 10071,
    WSASYSNOTREADY = 10091,
    WSAVERNOTSUPPORTED = 10092,
    WSANOTINITIALISED = 10093,
    WSAEDISCON = 10101,
    WSAHOST_NOT_FOUND = 11001,
    WSATRY_AGAIN = 11002,
    WSANO_RECOVERY = 11003,
    WSANO_DATA = 11004,
};

// The name onFindErrorASCII gives a code ("UnknownErrorCode" when none).
const char* statusName(uint32_t code);

// Maps an errno value of a socket call to its Windows Sockets number.
uint32_t wsaFromErrno(int err);

// Maps a getaddrinfo() result (EAI_*) to its Windows Sockets number.
uint32_t wsaFromGai(int gaiError);

// True for the codes after which a connection counts as lost.
bool isConnectionLost(uint32_t code);

}  // namespace qn

// Copies the code's name into destination (at least 32 bytes) and returns
// destination; a null destination returns null.
QN_EXPORT char* onFindErrorASCII(uint32_t code, char* destination);
