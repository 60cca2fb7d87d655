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

/* Back to defaults: default folder, physical drives listed, no faults. */
AKRIP_API void AkripTestReset(void);

#ifdef __cplusplus
}
#endif

#endif
