// SPDX-License-Identifier: GPL-2.0-or-later
#include "akriplibrary.h"

namespace trackmill {

DWORD AkripLibrary::getCDList(CDLIST* list) { return GetCDList(list); }
HCDROM AkripLibrary::getCDHandle(GETCDHAND* request) { return GetCDHandle(request); }
BOOL AkripLibrary::closeCDHandle(HCDROM handle) { return CloseCDHandle(handle); }
DWORD AkripLibrary::modifyCDParms(HCDROM handle, int which, DWORD value)
{
    return ModifyCDParms(handle, which, value);
}
DWORD AkripLibrary::readTOC(HCDROM handle, TOC* toc) { return ReadTOC(handle, toc); }
DWORD AkripLibrary::readCDText(HCDROM handle, char* text, int maxLen) { return ReadCDText(handle, text, maxLen); }
DWORD AkripLibrary::version() { return GetAKRipDllVersion(); }

}
