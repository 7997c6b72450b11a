#include "StringTable.h"

#include <map>

namespace qn::odbc {
namespace {

const std::map<int, const char *> &table() {
    static const std::map<int, const char *> entries = {
        {5, "[Harrow Bay][Quill Net]"},
        {7, "Unable to locate server, no IP address provided by data source."},
        {8, "Unable to locate server, invalid port, or no port provided."},
        {10, "Unable to connect to server."},
        {12, "Driver not capable."},
        {14, "Unable to allocate memory."},
        {15, "Communication error: "},
        {16, "Unknown network communication error. Call Tech Support."},
        {17, "Invalid message format. Possibly another network software is attempting to access the port "
             "used by Quill Net."},
        {18, "The message is larger than the maximum size. By default, the maximum size is 32K, although "
             "both larger and smaller sizes may be set in the Quill Net Monitor. "},
        {19, "The connection has been closed. "},
        {21, "Missing a parameter expected for this ODBC function."},
        {22, "Assertion failure. Contact Tech Support."},
        {23, "Parameter of the wrong type. "},
        {24, "Parameter value larger than expected. Use a smaller size."},
        {25, "Invalid parameter value, NULL or zero. "},
        {29, "Data Truncated."},
        {30, "Connection Lost! All statements and connections have been closed."},
        {31, "Attempted to retrieve data into an invalid bound parameter or column variable. "},
        {32, "Option changed. A parameter was changed to input only, the pointer provided was invalid, and "
             "unable to handle an output parameter."},
        {33, "An invalid, or too small pointer was provided for an output parameter. "},
        {40, "Unable to start a process on the server: the server may be low on resources."},
        {41, "Unable to start a thread on the server; the server may be low on resources. "},
        {42, "Unable to locate the server DLL, you may have a version conflict."},
        {43, "Invalid server DLL, you may have a version conflict."},
        {44, "Unable to initialize the server. Check the Event Log on the server for more details."},
        {45, "Unable to start the server. Check the Event Log in the server for more details. "},
        {46, "Unable to allocate more statements, maximum number of statements per connection reached on "
             "the server."},
        {51, "User canceled the connection in the Quill Net dialog box."},
        {59, "Decryption failed. Check the encryption setup."},
        {60, "Encryption failed."},
        {62, "Unable to perform positioned updates, or other positioned operations when the Bulk Read "
             "(SQL_ENABLE_BULK_READ) option has been enabled."},
        {63, "Unable to perform bi-directional, or other extended fetch operations when the Bulk Read "
             "(SQL_ENABLE_BULK_READ) option has been enabled."},
        {64, "Unable to enable the Bulk Read (SQL_ENABLE_BULK_READ) option. The Cursor Type option "
             "(SQL_CURSOR_TYPE) is not set to forward only. "},
        {65, "Unable to enable the Bulk Read (SQL_ENABLE_BULK_READ) option. The Rowset Size "
             "(SQL_ROWSET_SIZE) is not 1.  "},
        {67, "This option is not supported with the Bulk Read (SQL_ENABLE_BULK_READ) option. "},
        // Windows Sockets texts, numbered by their code.
        {10004, "The network connection was interrupted. (WSAEINTR)."},
        {10013, "Inapropriate IP address given (WSAEACCES)."},
        {10014, "Invalid memory address (WSAEFAULT)."},
        {10022, "Invalid Server. Check to be sure the IP Address is correct, and that the Quill Net Server "
                "is running. (WSAEINVAL)."},
        {10024, "Resource Error, unable to allocate file descriptor (WSAEMFILE)."},
        {10035, "Invalid operation attempted (WSAEWOULDBLOCK)."},
        {10036, "Another communication is currently in progress (WSAEINPROGRESS)."},
        {10037, "Attempt to cancel operation failed (WSAEALREADY)."},
        {10038, "Not connected to the server (WSAENOTSOCK)."},
        {10039, "A server IP address is required (WSAEDESTADDRREQ)."},
        {10040, "Too much data (WSAEMSGSIZE). Check your maximum packet setting in the data source."},
        {10041, "Invalid port specified (WSAEPROTOTYPE)."},
        {10042, "Invalid option attempted for this connection (WSAENOPROTOOPT)."},
        {10043, "Invalid port specified (WSAEPROTONOSUPPORT)."},
        {10044, "Invalid port specified (WSAESOCKTNOSUPPORT)."},
        {10045, "Unable to connect (WSAEOPNOTSUPP)."},
        {10047, "Invalid address (WSAEAFNOSUPPORT)."},
        {10048, "The specified address is already in use (WSAEADDRINUSE)."},
        {10049, "Unable to locate IP address (WSAEADDRNOTAVAIL)."},
        {10050, "The network is down (WSAENETDOWN)."},
        {10051, "Unable to communicate on network, check your network connection (WSAENETUNREACH)."},
        {10052, "The network connection has been reset. You will need to reconnect (WSAENETRESET)."},
        {10053, "Communication cancelled due to timeout or other failure (WSAECONNABORTED)."},
        {10054, "The connection was refused. Check that the Quill Net Server is active, accepting "
                "connections, and of the correct version (WSAECONNRESET)."},
        {10055, "No more buffer space available (WSAENOBUFS)."},
        {10056, "Already connected to the server (WSAEISCONN)."},
        {10057, "Not connected to the server (WSAENOTCONN)."},
        {10058, "The network connection has been shut down (WSAESHUTDOWN)."},
        {10060, "Communication timed out (WSAETIMEDOUT). Check your timeout setting."},
        {10061, "The connection was refused. Check that the Quill Net Server is active, accepting "
                "connections, and of the correct version (WSAECONNREFUSED)."},
        {10091, "Network not ready for communication (WSASYSNOTREADY)."},
        {10093, "Network communication not initialized (WSANOTINITIALISED), function sequence error."},
        {10101, "Connection terminated (WSAEDISCON)."},
        {11001, "Server not found (WSAHOST_NOT_FOUND). Check IP address."},
        {11002, "Server not found (WSATRY_AGAIN)."},
        {11003, "Failure while attempting to locate server (WSANO_RECOVERY)."},
        {11004, "Server not found (WSANO_DATA)."},
        {10009, "Unknown network error (WSABADF)."},
        {10046, "Unknown network error (WSAEPFNOSUPPORT)."},
        {10059, "Unknown network error (WSAETOOMANYREFS)."},
        {10062, "Unknown network error (WSAELOOP)."},
        {10063, "Unknown network error (WSAENAMETOOLONG)."},
        {10064, "Unknown network error (WSAEHOSTDOWN)."},
        {10065, "Unknown network error (WSAEHOSTUNREACH)."},
        {10066, "Unknown network error (WSAENOTEMPTY)."},
        {10067, "Unknown network error (WSAEPROCLIM)."},
        {10068, "Unknown network error (WSAEUSERS)."},
        {10069, "Unknown network error (WSAEDQUOT)."},
        {10070, "Unknown network error (WSAESTALE)."},
        {10071, "Unknown network error (WSAEREMOTE)."},
    };
    return entries;
}

} // namespace

std::string stringEntry(int id) {
    auto it = table().find(id);
    return it == table().end() ? std::string() : std::string(it->second);
}

const std::string &messagePrefix() {
    static const std::string prefix = stringEntry(5);
    return prefix;
}

std::string communicationText(unsigned code) {
    switch (code) {
    case 100: case 200: case 300: return stringEntry(16);
    case 101: return stringEntry(17);
    case 102: return stringEntry(14);
    case 103: return stringEntry(18);
    case 104: return stringEntry(19);
    case 105: return stringEntry(60);
    case 106: return stringEntry(59);
    case 301: return stringEntry(10);
    case 302: return stringEntry(21);
    case 303: return stringEntry(22);
    case 304: return stringEntry(23);
    case 305: return stringEntry(24);
    default: break;
    }
    // Only socket codes may fall through to the table: small numbers would hit
    // unrelated messages.
    return code >= 10000 ? stringEntry(static_cast<int>(code)) : std::string();
}

bool isConnectionLossCode(unsigned code) {
    return code == 104 || (code >= 10050 && code <= 10054) || code == 10058 || code == 10061 ||
           code == 10064 || code == 10065;
}

} // namespace qn::odbc
