/* SPDX-License-Identifier: LGPL-2.1-or-later */
/*
 * libgogo: the MP3 encoder library of Trackmill, a C interface over LAME.
 *
 * The designed entry points carry no handle: they drive the library's
 * default job state, one encode job at a time. A job runs:
 *   MPGE_initializeWork, MPGE_setConfigure (any number of items),
 *   MPGE_detectConfigure, MPGE_getConfigure(GOGO_ITEM_FRAME_COUNT),
 *   MPGE_processFrame until it returns GOGO_INPUT_FINISHED or an error,
 *   MPGE_closeCoder, MPGE_endCoder.
 * MPGE_closeCoder + MPGE_endCoder may be called at any point to abandon a
 * job (the partial output file is closed and kept). While a job is open
 * (from a successful MPGE_detectConfigure to MPGE_endCoder),
 * MPGE_initializeWork refuses with GOGO_ERR_SEQUENCE, so a second user
 * cannot pull the job from under the thread that runs it.
 *
 * Several jobs at once: a handle (MPGE_createHandle) is a job state of its
 * own, with its own settings record, its own job and its own LAME context.
 * The entry points ending in "H" take the handle first and otherwise
 * behave exactly as their handle-less twins do on the default state (the
 * same order rules, results and items). Jobs on different handles, and the
 * default job, run at the same time on different threads with no
 * coordination between them; one handle's job is driven from one thread at
 * a time, like the default job. A handle lives until MPGE_destroyHandle,
 * which abandons its open job as MPGE_closeCoderH + MPGE_endCoderH would;
 * no call on that handle may be running then or follow. A null handle is
 * GOGO_ERR_PARAMETER. A handle is reused for any number of jobs in turn:
 *   MPGE_createHandle(&h);
 *   MPGE_initializeWorkH(h) ... MPGE_endCoderH(h);   (as often as needed)
 *   MPGE_destroyHandle(h);
 * The same input on any state, alone or beside other jobs, gives the same
 * bytes.
 *
 * Every result is a 32-bit int: 0 success, otherwise one of GOGO_ERR_*.
 *
 * Items of MPGE_setConfigure and what LAME makes of them:
 *   1  input: value 1 = 0, value 2 = NUL-terminated path of a WAV file
 *      (RIFF WAVE, WAVE_FORMAT_EXTENSIBLE, RF64; unsigned 8-bit, 16/24/32-bit
 *      integer or float PCM; 1 or 2 channels; any rate LAME accepts, read
 *      through libsndfile; float samples that are no number become 0 and
 *      those beyond full scale are clipped to -1..1); value 1 = 2,
 *      value 2 = address of a GogoReaderRecord (PCM pulled through its
 *      function, 16-bit only).
 *   2  output: value 1 = 0, value 2 = NUL-terminated path; the file is
 *      created or truncated. An output that is the input file of item 1
 *      (by device and inode: also through a symbolic link, a hard link or
 *      another spelling of the path) is refused by MPGE_detectConfigure
 *      with GOGO_ERR_SAME_FILE, and the input is left untouched.
 *   3  channel mode 0 mono (stereo input is mixed down), 1 stereo,
 *      2 joint stereo, 3 forced mid/side stereo (joint stereo with every
 *      frame coded M/S), 4 dual channel.
 *   4  constant bitrate in kbps; with MPEG-2 output values above 160 are
 *      clamped to 160. Ignored in VBR mode (item 30 sets the VBR range).
 *   6  output sample rate in Hz (24000 selects MPEG-2). Without it the
 *      output keeps the input rate when that is an MPEG-1 rate (32, 44.1,
 *      48 kHz), so LAME never switches MPEG version on its own.
 *   8  psycho-acoustics: 1 = LAME quality 3 (full psycho-acoustic model
 *      with noise shaping and a thorough quantisation search, LAME's own
 *      default), 0 = LAME quality 7 (the model only decides block types,
 *      no noise shaping: about 1.5x faster, audibly rougher on dense
 *      material and transients). The default is 0.
 *   9  1 = low-pass at 16 kHz; 0 = LAME picks the low-pass for the
 *      bitrate.
 *   10..15 processor extensions MMX, 3DNow!, SSE, enhanced 3DNow!, SPC1,
 *      SPC2 (0/1): the first three are passed to
 *      lame_set_asm_optimizations (LAME on amd64 uses SSE throughout and
 *      treats them as hints); enhanced 3DNow! has no separate switch in
 *      LAME and follows the 3DNow! switch; SPC1 and SPC2 have no LAME
 *      counterpart and are accepted without effect.
 *   17 emphasis: 0 none, 1 50/15 ms, 3 CCITT J.17. Value 2 is reserved by
 *      the MPEG standard and refused (GOGO_ERR_PARAMETER), as is any other
 *      value.
 *   18 VBR level 0 (best) to 9 (smallest); switches to VBR mode (LAME's
 *      default VBR algorithm, lame_set_VBR_q). The output rate is pinned
 *      as for item 6, so level 9 does not resample on its own.
 *   19 number of processors (1 to 4): LAME encodes a job on one thread;
 *      accepted without effect. Several processors are used by running
 *      several jobs at once, each on a handle of its own.
 *   26 output format: 0 MP3. 1 (RIFF WAVE) and 2 (RIFF RMP) are accepted
 *      here and refused by MPGE_detectConfigure with GOGO_ERR_OUTPUT_FORMAT.
 *   30 VBR range: value 1 lowest, value 2 highest bitrate in kbps. Applied
 *      in VBR mode only, the lowest as a hard minimum; LAME rounds each to
 *      a valid bitrate of the output's MPEG version.
 *   31 filter bands: value 1 band A (low), value 2 band B (high), each
 *      0..100 percent of the output's Nyquist frequency. The low-pass
 *      transition band runs from A to B (swapped when A > B); it replaces
 *      the 16 kHz low-pass of item 9. Both 0 leaves LAME's choice.
 *   32 mid/side stereo: value 1 threshold, value 2 power, each 0..100.
 *      LAME decides mid/side per frame from its own model and offers no
 *      threshold, so the threshold is accepted without effect. The power
 *      sets LAME's mid/side masking adjustment (lame_set_msfix, 0..3.5
 *      linearly), which protects the side channel; 0 leaves LAME's value.
 *      Only in joint stereo modes.
 * An unknown item, or a value out of its range, returns GOGO_ERR_PARAMETER
 * and changes nothing.
 *
 * Items of MPGE_getConfigure:
 *   15 total number of MPEG frames of the job (without the LAME/Xing tag
 *      frame) into *(int32_t*)value. Exact for a WAV file and for a reader
 *      record with a byte count; 0 when the length is unknown in advance
 *      (reader record size GOGO_LENGTH_UNKNOWN). Valid after a successful
 *      MPGE_detectConfigure.
 *
 * MPGE_processFrame encodes one MPEG frame's worth of input per call
 * (1152 samples for MPEG-1, 576 for MPEG-2, converted to the input rate)
 * and returns 0, or GOGO_INPUT_FINISHED once the input is exhausted and
 * the encoder flushed. The file then carries a LAME/Xing tag (encoder delay
 * and padding) so gapless decoders give back exactly the input's samples.
 */
#ifndef TRACKMILL_GOGO_H
#define TRACKMILL_GOGO_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(GOGO_BUILDING)
#define GOGO_API __attribute__((visibility("default")))
#else
#define GOGO_API
#endif

typedef int32_t MERET;   /* result of every entry point */
typedef int32_t MPARAM;  /* item number */
typedef uintptr_t UPARAM; /* item value: a number or an address */

enum {
    GOGO_OK = 0,
    GOGO_INPUT_FINISHED = 1,     /* MPGE_processFrame: input exhausted */
    GOGO_ERR_PARAMETER = 2,      /* unknown item or value out of range */
    GOGO_ERR_SEQUENCE = 3,       /* entry point called out of order */
    GOGO_ERR_INPUT_OPEN = 4,     /* input missing, unreadable, not audio */
    GOGO_ERR_INPUT_FORMAT = 5,   /* not WAV, or encoding/channels unsupported */
    GOGO_ERR_OUTPUT_OPEN = 6,    /* output file cannot be created */
    GOGO_ERR_ENCODER_SETUP = 7,  /* LAME refused the settings */
    GOGO_ERR_READ = 8,           /* the input failed mid-job */
    GOGO_ERR_WRITE = 9,          /* the output failed mid-job (disk full) */
    GOGO_ERR_INTERNAL = 10,      /* unexpected failure inside the library */
    GOGO_ERR_OUTPUT_FORMAT = 11, /* RIFF-wrapped output is not offered */
    GOGO_ERR_MEMORY = 12,        /* out of memory */
    GOGO_ERR_SAME_FILE = 13      /* the output is the input file itself */
};

enum {
    GOGO_ITEM_INPUT = 1,
    GOGO_ITEM_OUTPUT = 2,
    GOGO_ITEM_CHANNEL_MODE = 3,
    GOGO_ITEM_BITRATE = 4,
    GOGO_ITEM_OUTPUT_RATE = 6,
    GOGO_ITEM_PSYCHO = 8,
    GOGO_ITEM_LOWPASS_16K = 9,
    GOGO_ITEM_USE_MMX = 10,
    GOGO_ITEM_USE_3DNOW = 11,
    GOGO_ITEM_USE_SSE = 12,
    GOGO_ITEM_USE_EX_3DNOW = 13,
    GOGO_ITEM_USE_SPC1 = 14,
    GOGO_ITEM_USE_SPC2 = 15,
    GOGO_ITEM_FRAME_COUNT = 15, /* MPGE_getConfigure only */
    GOGO_ITEM_EMPHASIS = 17,
    GOGO_ITEM_VBR_LEVEL = 18,
    GOGO_ITEM_PROCESSORS = 19,
    GOGO_ITEM_OUTPUT_FORMAT = 26,
    GOGO_ITEM_VBR_RANGE = 30,
    GOGO_ITEM_FILTER_BANDS = 31,
    GOGO_ITEM_MS_STEREO = 32
};

enum { GOGO_INPUT_FILE = 0, GOGO_INPUT_READER = 2 };

/* MPGE_getUnitStates flags */
enum { GOGO_UNIT_MMX = 2, GOGO_UNIT_3DNOW = 4, GOGO_UNIT_SSE = 8, GOGO_UNIT_EX_3DNOW = 32 };

/* Reader function of input mode 2, called on the thread that calls
 * MPGE_processFrame: fills all `bytes` bytes of `buffer` and returns 0, or
 * returns 1 when no data is left (buffer untouched). A reader that has only
 * part of a block left pads it with zero bytes. The library asks for blocks
 * of 588 sample frames (one CD sector: 2352 bytes of 16-bit stereo), so a
 * producer that delivers whole sectors gets an output without padding. */
typedef MERET (*GogoReaderFunction)(void* buffer, uint32_t bytes);

#define GOGO_LENGTH_UNKNOWN 0xFFFFFFFFu

typedef struct GogoReaderRecord {
    GogoReaderFunction reader;
    uint32_t size;          /* total bytes, or GOGO_LENGTH_UNKNOWN */
    int32_t bitsPerSample;  /* 16 */
    int32_t sampleRate;     /* Hz */
    int32_t channels;       /* 1 or 2 */
} GogoReaderRecord;

#ifdef __cplusplus
static_assert(sizeof(GogoReaderRecord) == sizeof(void*) + 16, "reader record: function, then four 32-bit fields");
static_assert(sizeof(MERET) == 4 && sizeof(UPARAM) == sizeof(void*), "32-bit results, pointer-wide values");
#else
_Static_assert(sizeof(GogoReaderRecord) == sizeof(void*) + 16, "reader record: function, then four 32-bit fields");
_Static_assert(sizeof(MERET) == 4 && sizeof(UPARAM) == sizeof(void*), "32-bit results, pointer-wide values");
#endif

#define GOGO_VERSION_TEXT_SIZE 512

GOGO_API MERET MPGE_initializeWork(void);
GOGO_API MERET MPGE_setConfigure(MPARAM item, UPARAM value1, UPARAM value2);
GOGO_API MERET MPGE_getConfigure(MPARAM item, void* value);
GOGO_API MERET MPGE_detectConfigure(void);
GOGO_API MERET MPGE_processFrame(void);
GOGO_API MERET MPGE_closeCoder(void);
GOGO_API MERET MPGE_endCoder(void);
/* Flags GOGO_UNIT_* of the processor this runs on (CPUID). */
GOGO_API MERET MPGE_getUnitStates(int32_t* flags);
/* Version code (major in bits 8-15, minor in bits 0-7) and a text of at
 * most GOGO_VERSION_TEXT_SIZE bytes; the text starts "GOGO v<major>.<minor>"
 * (characters 6 to 10 are the version) and names the LAME version. */
GOGO_API MERET MPGE_getVersion(int32_t* code, char* text);

/* Job states of their own (see above). */
typedef struct GogoHandle* GOGO_HANDLE;
GOGO_API MERET MPGE_createHandle(GOGO_HANDLE* handle);
GOGO_API MERET MPGE_destroyHandle(GOGO_HANDLE handle);
GOGO_API MERET MPGE_initializeWorkH(GOGO_HANDLE handle);
GOGO_API MERET MPGE_setConfigureH(GOGO_HANDLE handle, MPARAM item, UPARAM value1, UPARAM value2);
GOGO_API MERET MPGE_getConfigureH(GOGO_HANDLE handle, MPARAM item, void* value);
GOGO_API MERET MPGE_detectConfigureH(GOGO_HANDLE handle);
GOGO_API MERET MPGE_processFrameH(GOGO_HANDLE handle);
GOGO_API MERET MPGE_closeCoderH(GOGO_HANDLE handle);
GOGO_API MERET MPGE_endCoderH(GOGO_HANDLE handle);

typedef MERET (*MPGE_initializeWork_t)(void);
typedef MERET (*MPGE_setConfigure_t)(MPARAM, UPARAM, UPARAM);
typedef MERET (*MPGE_getConfigure_t)(MPARAM, void*);
typedef MERET (*MPGE_detectConfigure_t)(void);
typedef MERET (*MPGE_processFrame_t)(void);
typedef MERET (*MPGE_closeCoder_t)(void);
typedef MERET (*MPGE_endCoder_t)(void);
typedef MERET (*MPGE_getUnitStates_t)(int32_t*);
typedef MERET (*MPGE_getVersion_t)(int32_t*, char*);
typedef MERET (*MPGE_createHandle_t)(GOGO_HANDLE*);
typedef MERET (*MPGE_destroyHandle_t)(GOGO_HANDLE);
typedef MERET (*MPGE_initializeWorkH_t)(GOGO_HANDLE);
typedef MERET (*MPGE_setConfigureH_t)(GOGO_HANDLE, MPARAM, UPARAM, UPARAM);
typedef MERET (*MPGE_getConfigureH_t)(GOGO_HANDLE, MPARAM, void*);
typedef MERET (*MPGE_detectConfigureH_t)(GOGO_HANDLE);
typedef MERET (*MPGE_processFrameH_t)(GOGO_HANDLE);
typedef MERET (*MPGE_closeCoderH_t)(GOGO_HANDLE);
typedef MERET (*MPGE_endCoderH_t)(GOGO_HANDLE);

/* The program tests the two bytes of the version code each on its own
 * (major >= 2 and minor >= 48 for items 30 to 32, minor >= 38 for item 26),
 * so the minor byte stays at 48 or above for as long as this library
 * understands those items. */
#define GOGO_VERSION_MAJOR 3
/* 3.51: the handle entry points. */
#define GOGO_VERSION_MINOR 51

#ifdef __cplusplus
}
#endif

#endif
