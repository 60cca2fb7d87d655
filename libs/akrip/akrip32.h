/* SPDX-License-Identifier: LGPL-2.1-or-later */
/* The CD ripping library: drive list, drive handles, table of contents, raw
 * audio sector reads and a CDDB client. C entry points, C calling
 * convention, records packed and little-endian unless noted. Drives are the
 * machine's optical drives (libcdio) followed by the disc images (.cue) in
 * the folder "Discs" beside the program, at most MAXCDLIST in all. */
#ifndef AKRIP32_H
#define AKRIP32_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint8_t BYTE;
typedef uint32_t DWORD;
typedef int32_t BOOL;
typedef uint32_t HCDROM; /* 0 = no handle */

#define MAXCDLIST 8
#define MAXIDLEN 64
#define TRACKS_PER_DISK 100

/* Status of a request (also the status field of TRACKBUF). */
#define SS_PENDING 0
#define SS_COMP 1     /* done */
#define SS_ABORTED 2
#define SS_ABORT_FAIL 3
#define SS_ERR 4      /* the drive or image reported an error */
#define SS_INVALID_HA 0x81
#define SS_INVALID_SRB 0xE0
#define SS_NO_ADAPTERS 0xE8

/* ModifyCDParms parameter ids. */
#define CDP_MSF 36 /* 0: TOC addresses are LBAs, track 1 = 0; 1: MSF with the 2 s lead-in */
/* 0 (the default): ReadCDAudioLBA reads each sector once, as the drive
 * answers. 1: verified reads through libcdio-paranoia in full mode
 * (overlapped reads, verification, jitter repair); a sector that cannot be
 * read within the retries fails the read with SS_ERR, len holding the
 * whole sectors before it, and GetCDReadStats names it. Never silent. */
#define CDP_SECURE 37
/* Verified reads: retries of one sector, a multiple of 5 from 5 to 100
 * (default 20). */
#define CDP_RETRIES 38

/* AccurateRipQuery results. */
#define AR_FOUND 1     /* the disc's dBAR file is in buf */
#define AR_NOT_FOUND 2 /* the database does not know the disc (HTTP 404) */
#define AR_FAILED 3    /* no answer: reason says why */

/* CDDBSetOption ids. */
#define CDDB_OPT_SERVER 0
#define CDDB_OPT_PROXY 1
#define CDDB_OPT_USEPROXY 2
#define CDDB_OPT_AGENT 3
#define CDDB_OPT_USER 4
#define CDDB_OPT_PROXYPORT 5
#define CDDB_OPT_CGI 6
#define CDDB_OPT_HTTPPORT 7
#define CDDB_OPT_USECDPLAYERINI 8
/* value: milliseconds every CDDB request from now on must end within, the
 * whole lookup's time limit (0: only each request's own limit). Setting it
 * also ends a cancellation (CDDBCancel). */
#define CDDB_OPT_TIMELIMIT 9

#define AKRIP_API __attribute__((visibility("default")))

#pragma pack(push, 1)

typedef struct {
    char vendor[9];
    char prodId[17];
    char rev[5];
    char vendSpec[21];
} CDINFO;

/* One drive: host adapter, target and LUN each 0..9 (assigned by position). */
typedef struct {
    BYTE ha;
    BYTE tgt;
    BYTE lun;
    BYTE pad;
    char id[MAXIDLEN + 1]; /* identification, zero-terminated */
    CDINFO info;
} CDREC;

typedef struct {
    BYTE max; /* in: capacity of cd[] */
    BYTE num; /* out: drives found */
    CDREC cd[MAXCDLIST];
} CDLIST;

typedef struct {
    BYTE size;      /* 12 */
    BYTE ver;       /* 1 */
    BYTE ha;
    BYTE tgt;
    BYTE lun;
    BYTE readType;  /* 0 */
    BOOL jitterCorr;
    BYTE numJitter;
    BYTE numOverlap;
} GETCDHAND;

typedef struct {
    BYTE rsvd;
    BYTE ADR;          /* control byte: 0x10/0x12 audio, 0x14 data */
    BYTE trackNumber;  /* 0xAA for the lead-out */
    BYTE rsvd2;
    BYTE addr[4];      /* big-endian LBA, or 0,M,S,F with CDP_MSF = 1 */
} TOCTRACK;

typedef struct {
    BYTE tocLen[2];    /* big-endian, bytes after this field */
    BYTE firstTrack;
    BYTE lastTrack;
    TOCTRACK tracks[TRACKS_PER_DISK]; /* tracks, then the lead-out */
} TOC;

/* Read request and buffer. startFrame and numFrames are set by the caller,
 * maxLen is the capacity of buf; len, status and startOffset are filled. */
typedef struct {
    DWORD startFrame;
    DWORD numFrames;
    DWORD maxLen;
    DWORD len;
    DWORD status;
    int32_t startOffset;
    BYTE buf[1];
} TRACKBUF;
#define TRACKBUFEXTRA 24 /* bytes in front of buf */

typedef struct {
    char categ[12];
    char cddbId[16];
    char artist[81];
    char title[81];
    char pad[2];
} CDDBQUERYITEM;

typedef struct {
    DWORD num;            /* in: capacity of q; out: matches found */
    CDDBQUERYITEM* q;
} CDDBQUERY;

typedef struct {
    char szServer[81];
    BOOL bHTTP;
    int32_t iPort;
    char szCGI[81];
    char szNorth[16];
    char szSouth[16];
    char szLocation[81];
} CDDBSITE;

typedef struct {
    DWORD num;
    CDDBSITE* s;
} CDDBSITELIST;

/* What the verified reads of a handle met since the last GetCDReadStats. */
typedef struct {
    DWORD sectors;     /* sectors delivered */
    DWORD rereads;     /* reads the drive answered short or not at all, read again */
    DWORD repairs;     /* jitter, drift, dropped or doubled bytes corrected by overlap */
    DWORD skips;       /* stretches given up after the retries */
    DWORD errorSector; /* LBA of the first sector not read within the retries; 0xFFFFFFFF none */
} CDREADSTATS;

/* The AccurateRip identity of a disc: the two sums of the audio track
 * starts (the lead-out counted in) and the CDDB id over every track. */
typedef struct {
    DWORD id1;
    DWORD id2;
    DWORD cddb;
    BYTE audioTracks; /* audio tracks on the disc */
    BYTE firstAudio;  /* TOC position (1-based) of the first audio track */
    char name[40];    /* "dBAR-nnn-id1-id2-cddb.bin", zero-terminated */
} ARDISCID;

#pragma pack(pop)

AKRIP_API DWORD GetCDList(CDLIST* cd);
AKRIP_API HCDROM GetCDHandle(GETCDHAND* request);
AKRIP_API BOOL CloseCDHandle(HCDROM hCD);
AKRIP_API DWORD ModifyCDParms(HCDROM hCD, int which, DWORD value);
AKRIP_API DWORD ReadTOC(HCDROM hCD, TOC* toc);
AKRIP_API DWORD ReadCDAudioLBA(HCDROM hCD, TRACKBUF* t);

/* CD-TEXT of the disc in the drive of hCD, read afresh like the TOC: from a
 * physical disc its first language block, from a disc image the TITLE,
 * PERFORMER and SONGWRITER lines of its CUE sheet (UTF-8 when the whole
 * sheet is valid UTF-8, a byte-order mark allowed, else windows-1252).
 * Fills `text` with zero-terminated UTF-8 lines "<FIELD><n>=<value>\n",
 * FIELD one of TITLE, PERFORMER, SONGWRITER, n 0 for the disc (the album)
 * and 1 to 99 for the tracks, disc first, then track by track; missing items
 * have no line, a track's items are not filled in from the disc's. Values
 * hold no control characters, no blanks at either end and at most 255
 * bytes. Whole lines only, at most maxLen bytes with the zero;
 * CDTEXT_MAXLEN always holds every line.
 * Returns SS_COMP (text empty when the disc has no CD-TEXT), SS_ERR when no
 * readable disc is in the drive, SS_INVALID_HA for an unknown handle,
 * SS_INVALID_SRB for no buffer. */
#define CDTEXT_MAXLEN 81920
AKRIP_API DWORD ReadCDText(HCDROM hCD, char* text, int maxLen);
/* The library's version, as GetAKRipDllVersion reports it (and as its
 * version note in the file says). */
#define AKRIP_VERSION_MAJOR 2
#define AKRIP_VERSION_MINOR 0
AKRIP_API DWORD GetAKRipDllVersion(void);

/* What the verified reads met since the last call (then counted afresh). */
AKRIP_API DWORD GetCDReadStats(HCDROM hCD, CDREADSTATS* stats);

/* AccurateRip: the disc's identity from its table of contents (data tracks
 * left out of the sums, the true lead-out counted). SS_COMP or an error. */
AKRIP_API DWORD GetAccurateRipId(HCDROM hCD, ARDISCID* id);
/* Fetches the disc's dBAR file over HTTP from server ("host" or
 * "host:port"; NULL or "" for www.accuraterip.com), through the proxy the
 * CDDB options name, within the CDDB time limits. Returns AR_FOUND with
 * *len bytes in buf (at most maxLen; more is a failure), AR_NOT_FOUND, or
 * AR_FAILED; reason (reasonLen bytes, zero-terminated) says why not. */
AKRIP_API DWORD AccurateRipQuery(const ARDISCID* id, const char* server, BYTE* buf, DWORD maxLen, DWORD* len,
                                 char* reason, DWORD reasonLen);

AKRIP_API void CDDBSetOption(int what, const char* text, int value);
AKRIP_API DWORD CDDBQuery(HCDROM hCD, CDDBQUERY* query);
AKRIP_API DWORD CDDBGetDiskInfo(CDDBQUERYITEM* item, char* entry, int maxLen);
AKRIP_API DWORD CDDBGetServerList(CDDBSITELIST* list);
/* From any thread: the CDDB request in progress ends within about a second
 * and every later one fails at once, until CDDB_OPT_TIMELIMIT is set again. */
AKRIP_API void CDDBCancel(void);

#ifdef __cplusplus
}

static_assert(sizeof(CDREC) == 121, "drive record");
static_assert(sizeof(CDLIST) == 2 + 8 * 121, "drive list");
static_assert(sizeof(GETCDHAND) == 12, "handle request");
static_assert(sizeof(TOCTRACK) == 8, "TOC entry");
static_assert(sizeof(TOC) == 804, "TOC");
static_assert(__builtin_offsetof(TRACKBUF, buf) == TRACKBUFEXTRA, "read buffer header");
static_assert(sizeof(CDDBQUERYITEM) == 192, "match record");
static_assert(sizeof(CDREADSTATS) == 20, "read figures");
static_assert(sizeof(ARDISCID) == 54, "AccurateRip identity");
static_assert(__builtin_offsetof(CDDBQUERYITEM, cddbId) == 12, "match record");
static_assert(__builtin_offsetof(CDDBQUERYITEM, artist) == 28, "match record");
static_assert(__builtin_offsetof(CDDBQUERYITEM, title) == 109, "match record");
#else
_Static_assert(sizeof(CDREC) == 121, "drive record");
_Static_assert(sizeof(GETCDHAND) == 12, "handle request");
_Static_assert(sizeof(TOC) == 804, "TOC");
_Static_assert(sizeof(CDDBQUERYITEM) == 192, "match record");
#endif

#endif
