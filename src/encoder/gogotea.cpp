// SPDX-License-Identifier: GPL-2.0-or-later
#include "gogotea.h"

#include "encodethread.h"
#include "gogojobstate.h"
#include "gogomessage.h"
#include "threadpriority.h"

#include "platform/threadhandover.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <thread>
#include <unistd.h>

namespace trackmill {

namespace {

const QString kCannotInitialize = QStringLiteral("GOGO.DLLを初期化できません.");
const QString kBusy = QStringLiteral("エンコード中に設定は変更できません.");
const QString kOutOfRange = QStringLiteral("値が範囲外です.");
const QString kNoFpu = QStringLiteral("FPUがありません");

bool percent(int value)
{
    return value >= 0 && value <= 100;
}

// Live components; the reader function serves the one whose worker thread
// calls it, so several components may run memory-mode jobs side by side.
std::mutex g_instancesMutex;
std::vector<TGogoTea*> g_instances;

// Item 17 takes 0, 1 or 3; 2 is reserved by the MPEG standard.
int emphasisItem(TEmphasis emphasis)
{
    switch (emphasis) {
    case _5015MS_EMPH: return 1;
    case _CCITT_EMPH: return 3;
    default: return 0;
    }
}

// The major and the minor byte are tested each on its own: a library whose
// minor byte is below the one asked for gets the items not, whatever its
// major byte (3.0 gets none of the 2.38 and 2.48 items).
bool versionAtLeast(int code, int major, int minor)
{
    return ((code >> 8) & 0xFF) >= major && (code & 0xFF) >= minor;
}

}

TGogoTea::TGogoTea(const GogoLibrarySource& source, QObject* parent)
    : QObject(parent), m_ring(kRingBufferSize)
{
    m_library = GogoLibrary::acquire(source);
    if (!m_library)
        throw EGogoTeaError(kCannotInitialize);
    m_dllPath = m_library->path();
    m_job = std::make_shared<GogoJobState>(m_library);
    m_thread = std::make_unique<TEncodeThread>(m_job, this);
    {
        std::lock_guard lock(g_instancesMutex);
        g_instances.push_back(this);
    }
    m_alive = true;
    m_thread->start();
}

TGogoTea::~TGogoTea()
{
    m_alive = false;
    {
        // The reader holds this lock while it touches a component, so once
        // it is released no reader looks at this one any more.
        std::lock_guard lock(g_instancesMutex);
        g_instances.erase(std::remove(g_instances.begin(), g_instances.end(), this),
                          g_instances.end());
    }
    // Quit is taken after any start still queued, so a job that was about
    // to begin is closed by the thread too.
    m_thread->postThreadMessage(GOGO_MSG_QUIT, 0, 0);
    m_thread->wait();
    m_thread.reset();
    // Configured but never started: the library still holds the open job.
    if (m_configured && !m_isEncoding)
        closeConfiguredJob();
}

void TGogoTea::closeConfiguredJob()
{
    m_job->closeCoder();
    m_job->endCoder();
    m_configured = false;
}

void TGogoTea::checkIdle() const
{
    if (m_isEncoding)
        throw EGogoTeaError(kBusy);
}

// Settings change only between jobs; a value out of its range is refused
// and the old one kept.
template <class T>
void TGogoTea::setWhileIdle(T& field, const T& value, bool valid)
{
    checkIdle();
    if (!valid)
        throw EGogoTeaError(kOutOfRange);
    field = value;
}

void TGogoTea::setSourceFile(const QString& path)
{
    setWhileIdle(m_sourceFile, path);
}

void TGogoTea::setDestinationFile(const QString& path)
{
    setWhileIdle(m_destinationFile, path);
}

void TGogoTea::setProcessors(int count)
{
    setWhileIdle(m_processors, count);
}

void TGogoTea::setEmphasis(TEmphasis emphasis)
{
    setWhileIdle(m_emphasis, emphasis);
}

void TGogoTea::setOptimization(TUseUnits units)
{
    setWhileIdle(m_optimization, units);
}

void TGogoTea::setEncodeType(TEncodeType type)
{
    setWhileIdle(m_encodeType, type);
}

void TGogoTea::setBitRate(int kbps)
{
    setWhileIdle(m_bitRate, kbps);
}

void TGogoTea::setFrequency(int frames)
{
    setWhileIdle(m_frequency, frames, frames >= 1);
}

void TGogoTea::setUsePsyAnalize(bool on)
{
    setWhileIdle(m_usePsyAnalize, on);
}

void TGogoTea::setUseLPF(bool on)
{
    setWhileIdle(m_useLPF, on);
}

void TGogoTea::setUseVBR(bool on)
{
    setWhileIdle(m_useVBR, on);
}

void TGogoTea::setUseMPEG2(bool on)
{
    setWhileIdle(m_useMPEG2, on);
}

void TGogoTea::setVBRLevel(int level)
{
    setWhileIdle(m_vbrLevel, level, level >= 0 && level <= 9);
}

void TGogoTea::setPriority(TThreadPriority priority)
{
    m_priority = priority;
    if (m_isEncoding)
        m_thread->applyPriority(priority);
}

void TGogoTea::setEncodeMode(TEncodeMode mode)
{
    setWhileIdle(m_encodeMode, mode);
}

void TGogoTea::setEncodeFormat(TEncodeFormat format)
{
    setWhileIdle(m_encodeFormat, format);
}

void TGogoTea::setExtFilter(const TExtFilter& filter)
{
    setWhileIdle(m_extFilter, filter, percent(filter.Low) && percent(filter.High));
}

void TGogoTea::setVBRBitrate(const TVBRBitrate& range)
{
    setWhileIdle(m_vbrBitrate, range, range.Low >= 0 && range.High >= 0);
}

void TGogoTea::setMSSetting(const TMSSetting& setting)
{
    setWhileIdle(m_msSetting, setting, percent(setting.Threshold) && percent(setting.Power));
}

int TGogoTea::UnitStates() const
{
    int32_t flags = 0;
    return m_library->getUnitStates(&flags) == 0 ? flags : 0;
}

int TGogoTea::VersionCode() const
{
    int32_t code = 0;
    char text[GOGO_VERSION_TEXT_SIZE] = {};
    return m_library->getVersion(&code, text) == 0 ? code : 0;
}

QString TGogoTea::VersionString() const
{
    int32_t code = 0;
    char text[GOGO_VERSION_TEXT_SIZE] = {};
    if (m_library->getVersion(&code, text) != 0)
        return {};
    text[GOGO_VERSION_TEXT_SIZE - 1] = '\0';
    return QString::fromUtf8(text);
}

long TGogoTea::workerThreadId() const
{
    return m_thread ? m_thread->threadId() : 0;
}

bool TGogoTea::ownsJobState() const
{
    return m_job->ownsHandle();
}

void TGogoTea::Configure()
{
    if (m_isEncoding || m_configured)
        throw EGogoTeaError(kBusy);
    GogoJobState& lib = *m_job;

    m_endOfInput = false;
    m_encodeResult = lib.initializeWork();
    if (m_encodeResult != 0)
        throw EGogoTeaError(kNoFpu);

    const QByteArray source = QFile::encodeName(m_sourceFile);
    const QByteArray destination = QFile::encodeName(m_destinationFile);
    if (m_encodeMode == _FILE) {
        lib.setConfigure(GOGO_ITEM_INPUT, GOGO_INPUT_FILE, reinterpret_cast<UPARAM>(source.constData()));
    } else {
        // The library copies the record during the call.
        GogoReaderRecord record{&TGogoTea::readerFunction, GOGO_LENGTH_UNKNOWN, 16, 44100, 2};
        lib.setConfigure(GOGO_ITEM_INPUT, GOGO_INPUT_READER, reinterpret_cast<UPARAM>(&record));
    }
    lib.setConfigure(GOGO_ITEM_OUTPUT, 0, reinterpret_cast<UPARAM>(destination.constData()));

    lib.setConfigure(GOGO_ITEM_PSYCHO, m_usePsyAnalize ? 1 : 0, 0);
    lib.setConfigure(GOGO_ITEM_BITRATE, static_cast<UPARAM>(m_bitRate), 0);
    lib.setConfigure(GOGO_ITEM_LOWPASS_16K, m_useLPF ? 1 : 0, 0);
    if (m_useVBR)
        lib.setConfigure(GOGO_ITEM_VBR_LEVEL, static_cast<UPARAM>(m_vbrLevel), 0);
    if (m_useMPEG2)
        lib.setConfigure(GOGO_ITEM_OUTPUT_RATE, 24000, 0);

    // Only extensions the processor really has.
    TUseUnits units = m_optimization;
    const int present = UnitStates();
    if (!(present & GOGO_UNIT_MMX))
        units.exclude(_USE_MMX);
    if (!(present & GOGO_UNIT_3DNOW))
        units.exclude(_USE_3DNOW);
    if (!(present & GOGO_UNIT_SSE))
        units.exclude(_USE_KNI);
    if (!(present & GOGO_UNIT_EX_3DNOW))
        units.exclude(_USE_EX_3DNOW);
    static constexpr TUseUnit order[] = {_USE_MMX, _USE_3DNOW, _USE_KNI,
                                         _USE_EX_3DNOW, _USE_SPC1, _USE_SPC2};
    for (int i = 0; i < 6; ++i)
        lib.setConfigure(GOGO_ITEM_USE_MMX + i, units.contains(order[i]) ? 1 : 0, 0);

    lib.setConfigure(GOGO_ITEM_EMPHASIS, static_cast<UPARAM>(emphasisItem(m_emphasis)), 0);
    lib.setConfigure(GOGO_ITEM_CHANNEL_MODE, static_cast<UPARAM>(m_encodeType), 0);
    lib.setConfigure(GOGO_ITEM_PROCESSORS, static_cast<UPARAM>(m_processors), 0);

    const int version = VersionCode();
    if (versionAtLeast(version, 2, 48)) {
        if (m_extFilter.Enabled)
            lib.setConfigure(GOGO_ITEM_FILTER_BANDS, static_cast<UPARAM>(m_extFilter.Low),
                             static_cast<UPARAM>(m_extFilter.High));
        if (m_vbrBitrate.Enabled && m_useVBR)
            lib.setConfigure(GOGO_ITEM_VBR_RANGE, static_cast<UPARAM>(m_vbrBitrate.Low),
                             static_cast<UPARAM>(m_vbrBitrate.High));
        if (m_msSetting.Enabled)
            lib.setConfigure(GOGO_ITEM_MS_STEREO, static_cast<UPARAM>(m_msSetting.Threshold),
                             static_cast<UPARAM>(m_msSetting.Power));
    }
    if (versionAtLeast(version, 2, 38))
        lib.setConfigure(GOGO_ITEM_OUTPUT_FORMAT, static_cast<UPARAM>(m_encodeFormat), 0);

    int result;
    try {
        result = lib.detectConfigure();
    } catch (...) {
        result = 10;
    }
    m_encodeResult = result;
    if (result != 0) {
        m_configured = false;
        throw EGogoTeaError(QStringLiteral("GOGO.DLL MPGE_detectConfigure:%1").arg(result));
    }

    {
        std::lock_guard lock(m_ringMutex);
        m_readIndex = 0;
        m_writeIndex = 0;
    }
    int32_t frames = 0;
    lib.getConfigure(GOGO_ITEM_FRAME_COUNT, &frames);
    m_allFrames = frames;
    m_configured = true;
}

void TGogoTea::renewThreadForPriority()
{
    const pid_t tid = m_thread->threadId();
    if (tid == 0 || threadNice(tid) <= niceForPriority(m_priority, m_thread->processNice()))
        return;
    // The worker sits below the priority this job asks for, and Linux does
    // not let an unprivileged thread take back a priority it gave away. A
    // thread made now starts at the window thread's priority, so the job
    // gets a fresh one; the old one is idle between jobs and quits at once.
    auto fresh = std::make_unique<TEncodeThread>(m_job, this);
    {
        // Readers of other components look at every component's thread.
        std::lock_guard lock(g_instancesMutex);
        std::swap(m_thread, fresh);
    }
    fresh->postThreadMessage(GOGO_MSG_QUIT, 0, 0);
    fresh->wait();
    m_thread->start();
}

void TGogoTea::Start()
{
    if (m_encodeMode == _FILE)
        Configure();
    m_encodeResult = 0;
    m_systemError = 0;
    renewThreadForPriority();
    m_thread->applyPriority(m_priority);
    m_isEncoding = true;
    m_thread->postThreadMessage(GOGO_MSG_START, m_allFrames, m_frequency);
}

void TGogoTea::Abort()
{
    if (m_isEncoding)
        m_thread->postThreadMessage(GOGO_MSG_ABORT, 0, 0);
}

bool TGogoTea::WriteData(const void* buffer, int length)
{
    if (m_encodeMode == _FILE)
        return true;
    std::lock_guard lock(m_ringMutex);
    if (!buffer) {
        m_endOfInput = true;
        return true;
    }
    if (length < 1)
        return true;
    const int free = ((m_readIndex - 1 - m_writeIndex) % kRingBufferSize + kRingBufferSize)
                     % kRingBufferSize;
    if (length >= free)
        return false;
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    const int first = std::min(length, kRingBufferSize - m_writeIndex);
    std::memcpy(m_ring.data() + m_writeIndex, bytes, static_cast<size_t>(first));
    std::memcpy(m_ring.data(), bytes + first, static_cast<size_t>(length - first));
    m_writeIndex = (m_writeIndex + length) % kRingBufferSize;
    return true;
}

int32_t TGogoTea::tryRead(void* buffer, uint32_t bytes)
{
    std::lock_guard lock(m_ringMutex);
    const uint32_t available = static_cast<uint32_t>(
        ((m_writeIndex - m_readIndex) % kRingBufferSize + kRingBufferSize) % kRingBufferSize);
    // A request the ring can never hold is served with what there is.
    const bool tooBig = bytes >= static_cast<uint32_t>(kRingBufferSize);
    if (available < bytes && !m_endOfInput && !tooBig)
        return -1;
    const uint32_t n = std::min(available, bytes);
    auto* out = static_cast<unsigned char*>(buffer);
    const uint32_t first = std::min<uint32_t>(n, static_cast<uint32_t>(kRingBufferSize - m_readIndex));
    std::memcpy(out, m_ring.data() + m_readIndex, first);
    std::memcpy(out + first, m_ring.data(), n - first);
    std::memset(out + n, 0, bytes - n);
    m_readIndex = static_cast<int>((m_readIndex + n) % kRingBufferSize);
    return n > 0 ? 0 : 1;
}

int32_t TGogoTea::readerFunction(void* buffer, uint32_t bytes)
{
    const pid_t self = gettid();
    for (;;) {
        {
            std::lock_guard lock(g_instancesMutex);
            auto it = std::find_if(g_instances.begin(), g_instances.end(), [self](TGogoTea* t) {
                return t->m_thread && t->m_thread->threadId() == self;
            });
            // Gone, dying, or being told to stop: "no data left", so the
            // library ends the frame and the worker can take its message.
            if (it == g_instances.end() || !(*it)->m_alive || (*it)->m_thread->stopPending())
                return 1;
            const int32_t r = (*it)->tryRead(buffer, bytes);
            if (r >= 0)
                return r;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool TGogoTea::event(QEvent* e)
{
    // Before the first read of the event, its type included (for events
    // nobody handed over this does nothing).
    handOverAcquire(e);
    if (e->type() != GogoMessageEvent::eventType())
        return QObject::event(e);
    const auto* m = static_cast<GogoMessageEvent*>(e);
    switch (m->message) {
    case GOGO_MSG_PROGRESS:
        emit OnProgress(m->wparam, m->lparam);
        break;
    case GOGO_MSG_ERROR:
        // The job is still being closed on the worker thread; IsEncoding
        // stays set until its job-ended message, so no new job can start
        // inside the library while the old one is being torn down.
        m_encodeResult = m->wparam;
        m_systemError = m->lparam;
        emit OnError(m->wparam);
        break;
    case GOGO_MSG_END:
        m_isEncoding = false;
        m_configured = false;
        emit OnFinish(m->wparam != 0);
        break;
    default:
        break;
    }
    return true;
}

}
