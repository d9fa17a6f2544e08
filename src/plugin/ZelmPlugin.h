/* The plug-in's exported entry points (C linkage). Each opens one non-modal window for the host's
 * user `AUtente` and the host's opening `AIDFinestra`, and returns 0 at once.
 *
 * A window that cannot be built is not left behind; the reason is kept as the calling thread's
 * last error: ZelmUltimoErrore() returns it as UTF-8 text, empty after a call that succeeded. The
 * text stays valid until the next call of an entry point on the same thread. */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define ZELM_EXPORT __attribute__((visibility("default")))

ZELM_EXPORT int32_t ShowZelmModelFormX(int32_t AUtente, int32_t AIDFinestra);
ZELM_EXPORT int32_t ShowImpXlsHelvoFormX(int32_t AUtente, int32_t AIDFinestra);
ZELM_EXPORT int32_t ShowZelmCreaArtFormX(int32_t AUtente, int32_t AIDFinestra);
ZELM_EXPORT const char* ZelmUltimoErrore(void);

#ifdef __cplusplus
}
#endif
