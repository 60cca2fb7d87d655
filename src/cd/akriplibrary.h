// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cdlibrary.h"

namespace trackmill {

// The real CD ripping library, libakrip32.
class AkripLibrary final : public CdLibrary
{
public:
    DWORD getCDList(CDLIST* list) override;
    HCDROM getCDHandle(GETCDHAND* request) override;
    BOOL closeCDHandle(HCDROM handle) override;
    DWORD modifyCDParms(HCDROM handle, int which, DWORD value) override;
    DWORD readTOC(HCDROM handle, TOC* toc) override;
    DWORD readCDText(HCDROM handle, char* text, int maxLen) override;
    DWORD version() override;
};

}
