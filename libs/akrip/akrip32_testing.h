/* SPDX-License-Identifier: LGPL-2.1-or-later */
/* Test interface of the CD ripping library. Not part of the public records;
 * the program never calls these. */
#ifndef AKRIP32_TESTING_H
#define AKRIP32_TESTING_H

#include "akrip32.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Folder searched for disc images instead of "Discs" beside the program;
 * NULL restores the default. */
AKRIP_API void AkripTestSetDiscsDir(const char* dir);

/* 0: physical drives are not listed (every test sets this: no test may
 * touch a real drive); 1: listed (the default). */
AKRIP_API void AkripTestUsePhysicalDrives(int use);

/* Every read on any handle that touches sector `fromSector` or later (LBA,
 * track 1 = 0) fails with `status` (no data). status 0 removes the fault. */
AKRIP_API void AkripTestFailReads(DWORD fromSector, DWORD status);

/* Low-level reads (plain reads and each read paranoia makes) that touch
 * `sector` come back short, ending before it, the next `times` times, or
 * every time with AKRIP_FAULT_ALWAYS; 0 removes the fault. A plain read
 * that comes back short fails with SS_ERR. */
#define AKRIP_FAULT_ALWAYS 0xFFFFFFFFu
AKRIP_API void AkripTestFailSector(DWORD sector, DWORD times);

/* Every `everyNth` low-level read (counted afresh from this call, on any
 * handle) hands back audio shifted by `samples` stereo samples (-587 to
 * 587; positive: from later on the disc), as a drive that loses its place
 * does. 0 turns it off. */
AKRIP_API void AkripTestJitterReads(DWORD everyNth, int32_t samples);

/* Back to defaults: default folder, physical drives listed, no faults, no jitter. */
AKRIP_API void AkripTestReset(void);

/* CDDB client. Connect and total time limits of one HTTP exchange in
 * milliseconds (defaults 10000 and 30000); 0 restores a default. */
AKRIP_API void AkripTestSetCddbTimeouts(long connectMs, long totalMs);

/* When non-NULL, CDDBQuery takes this table of contents (logical block
 * addresses, track 1 = 0) instead of reading the drive; the handle must
 * still be nonzero. NULL reads the drive again. The TOC is copied. */
AKRIP_API void AkripTestSetCddbToc(const TOC* toc);

/* Why the last CDDB call failed ("" after a success). */
AKRIP_API const char* AkripTestCddbLastError(void);

/* Nonzero: the CDDB client connects to loopback addresses only (test
 * processes set this once; the reset below leaves it). */
AKRIP_API void AkripTestCddbLoopbackOnly(int on);

/* CDDB options, hooks and the remembered query back to their defaults. */
AKRIP_API void AkripTestResetCddb(void);

#ifdef __cplusplus
}
#endif

#endif
