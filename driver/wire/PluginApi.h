/* Interface of an encryption plug-in (a shared library, conventionally with
 * the extension ".qex") as the driver and the server call it. Plain C so that
 * plug-ins need nothing else from the driver.
 *
 * On entry *data points 20 bytes into a block obtained from malloc (the
 * message header lives in those 20 bytes) and *size is the body length.
 * The plug-in may transform in place or realloc/replace the block, as long as
 * *data again points 20 bytes into a malloc'ed block whose usable size holds
 * the header and the new *size bytes. A block it replaced is its own to free.
 * Both return non-zero on success. Encrypt must leave a non-zero *info so that
 * a peer without a plug-in notices the message is enciphered. */
#ifndef QN_PLUGIN_API_H
#define QN_PLUGIN_API_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int (*QnEncryptFn)(unsigned char** data, uint32_t* size, uint32_t* info);
typedef int (*QnDecryptFn)(unsigned char** data, uint32_t* size, uint32_t info);

#ifdef __cplusplus
}
#endif

#endif
