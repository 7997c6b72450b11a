#pragma once
// Everything in the driver is compiled with hidden visibility; only these
// functions form the library's interface.
#define QN_EXPORT extern "C" __attribute__((visibility("default")))
