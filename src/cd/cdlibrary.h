// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "akrip32.h"

namespace trackmill {

// The entry points of the CD ripping library that the drive logic calls.
// AkripLibrary forwards to libakrip32; tests hand in a scripted fake to
// reach refusals (a handle the library will not give or close) that no disc
// image produces.
class CdLibrary
{
public:
    virtual ~CdLibrary() = default;
    virtual DWORD getCDList(CDLIST* list) = 0;
    virtual HCDROM getCDHandle(GETCDHAND* request) = 0;
    virtual BOOL closeCDHandle(HCDROM handle) = 0;
    virtual DWORD modifyCDParms(HCDROM handle, int which, DWORD value) = 0;
    virtual DWORD readTOC(HCDROM handle, TOC* toc) = 0;
    // ReadCDText: "<FIELD><n>=<value>" lines of the disc's CD-TEXT.
    virtual DWORD readCDText(HCDROM handle, char* text, int maxLen) = 0;
    virtual DWORD version() = 0;
};

}
